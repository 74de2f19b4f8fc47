// The constant-strain triangle of triangle.hpp. Every sum is accumulated from
// 0 in the stated order: the report prints the signs of tiny values, so the
// order of operations is part of the result.
#include "element/triangle.hpp"

namespace {

// Below this, twice the area (mm2) means a degenerate or clockwise element.
constexpr double DeuxFoisAireMinimale = 1e-8;

// "L'aire de l'élément 3 est nulle : " and 2A, in the results file.
void SignalerAireNulle(const TElement& element, double deuxA) {
  TFichierTexte& resultats = Structure->Resultats;
  EcrireTexte(resultats, "L'aire de l'\xE9l\xE9ment ");
  EcrireEntier(resultats, Structure->Elements.Numero(&element));
  EcrireTexte(resultats, " est nulle : ");
  EcrireReel(resultats, deuxA);
  FinDeLigne(resultats);
}

}  // namespace

double DeuxFoisAire(const TTriangle& t) {
  return (t.p2.x - t.p1.x) * (t.p3.y - t.p1.y) - (t.p3.x - t.p1.x) * (t.p2.y - t.p1.y);
}

void MatriceElasticite(double e, double nu, std::int32_t typeProbleme, TMatrice33& d) {
  d = TMatrice33{};
  switch (typeProbleme) {
    case 1:  // plane stress
      d[1][1] = e / (1.0 - nu * nu);
      d[1][2] = nu * d[1][1];
      break;
    case 2:  // plane strain
      d[1][1] = e * (1.0 - nu) / ((1.0 + nu) * (1.0 - 2.0 * nu));
      d[1][2] = nu * d[1][1] / (1.0 - nu);
      break;
    default:
      return;
  }
  d[2][1] = d[1][2];
  d[2][2] = d[1][1];
  d[3][3] = e / (2.0 * (1.0 + nu));  // the shear modulus G
}

bool MatriceB(const TTriangle& t, double& aire, TMatrice36& b) {
  Tableau<double, NbSommets> bi;
  Tableau<double, NbSommets> ci;
  bi[1] = t.p2.y - t.p3.y;
  bi[2] = t.p3.y - t.p1.y;
  bi[3] = t.p1.y - t.p2.y;
  ci[1] = t.p3.x - t.p2.x;
  ci[2] = t.p1.x - t.p3.x;
  ci[3] = t.p2.x - t.p1.x;

  const double deuxA = t.p1.x * bi[1] + t.p2.x * bi[2] + t.p3.x * bi[3];
  aire = deuxA;
  if (deuxA < DeuxFoisAireMinimale) {
    return false;
  }

  b = TMatrice36{};
  for (int i = 1; i <= NbSommets; ++i) {
    bi[i] = bi[i] / deuxA;
    ci[i] = ci[i] / deuxA;
    b[1][2 * i - 1] = bi[i];
    b[2][2 * i] = ci[i];
    b[3][2 * i - 1] = ci[i];
    b[3][2 * i] = bi[i];
  }
  aire = 0.5 * deuxA;
  return true;
}

bool RigiditeElement(const TTriangle& t, std::int32_t typeProbleme, double& aire, TMatrice66& ke) {
  TMatrice33 d;
  MatriceElasticite(t.E, t.Nu, typeProbleme, d);
  TMatrice36 b;
  if (!MatriceB(t, aire, b)) {
    return false;
  }

  const double facteur = aire * t.Epaisseur;
  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= 3; ++j) {
      d[i][j] = d[i][j] * facteur;
    }
  }

  TMatrice36 p;  // (A t D) B
  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= NbDdlElement; ++j) {
      double somme = 0.0;
      for (int k = 1; k <= 3; ++k) {
        somme = somme + d[i][k] * b[k][j];
      }
      p[i][j] = somme;
    }
  }
  // Both halves computed, none mirrored: Ke is symmetric only to rounding.
  for (int i = 1; i <= NbDdlElement; ++i) {
    for (int j = 1; j <= NbDdlElement; ++j) {
      double somme = 0.0;
      for (int k = 1; k <= 3; ++k) {
        somme = somme + b[k][i] * p[k][j];
      }
      ke[i][j] = somme;
    }
  }
  return true;
}

void ContraintesElement(const TTriangle& t, std::int32_t typeProbleme, const TVecteur6& u,
                        TContraintesDeformations& resultat) {
  TMatrice33 d;
  MatriceElasticite(t.E, t.Nu, typeProbleme, d);
  double aire = 0.0;
  TMatrice36 b;
  MatriceB(t, aire, b);

  Tableau<double, 3> deformation;  // exx, eyy, gxy
  for (int i = 1; i <= 3; ++i) {
    double somme = 0.0;
    for (int k = 1; k <= NbDdlElement; ++k) {
      somme = somme + b[i][k] * u[k];
    }
    deformation[i] = somme;
  }
  Tableau<double, 3> contrainte;  // sxx, syy, sxy
  for (int i = 1; i <= 3; ++i) {
    double somme = 0.0;
    for (int k = 1; k <= 3; ++k) {
      somme = somme + d[i][k] * deformation[k];
    }
    contrainte[i] = somme;
  }

  resultat = {deformation[1], deformation[2], deformation[3], 0.0,
              contrainte[1],  contrainte[2],  contrainte[3],  0.0};
  // From the stored values: with sxx + syy a positive zero, -nu times it is a
  // negative zero, and the report writes it with its sign.
  if (typeProbleme == 1) {
    resultat.ezz = -t.Nu * (resultat.sxx + resultat.syy) / t.E;
  } else {
    resultat.szz = t.Nu * (resultat.sxx + resultat.syy);
  }
}

TTriangle Triangle(const TElement& element) {
  const auto& noeuds = Structure->Noeuds;
  const auto& sommets = element.Sommets;
  return {noeuds[sommets[1]], noeuds[sommets[2]], noeuds[sommets[3]],
          element.Epaisseur,  element.E,          element.Nu};
}

double DeuxFoisAire(const TElement& element) {
  return DeuxFoisAire(Triangle(element));
}

double DeuxFoisVolume(const TElement& element) {
  return DeuxFoisAire(element) * element.Epaisseur;
}

void MatriceElasticite(const TElement& element, TMatrice33& d) {
  MatriceElasticite(element.E, element.Nu, Structure->TypeProbleme, d);
}

bool MatriceB(const TElement& element, double& aire, TMatrice36& b) {
  if (MatriceB(Triangle(element), aire, b)) {
    return true;
  }
  SignalerAireNulle(element, aire);
  return false;
}

bool RigiditeElement(const TElement& element, TMatrice66& ke) {
  double aire = 0.0;
  if (RigiditeElement(Triangle(element), Structure->TypeProbleme, aire, ke)) {
    return true;
  }
  SignalerAireNulle(element, aire);
  return false;
}

// Every element that gets here passed the stiffness assembly: it is accepted.
void ContraintesElement(const TElement& element, TContraintesDeformations& resultat) {
  Tableau<std::int32_t, NbDdlElement> ddl;
  Structure->DdlElement(Structure->Elements.Numero(&element), ddl);
  TVecteur6 u;
  for (int k = 1; k <= NbDdlElement; ++k) {
    u[k] = Structure->F[ddl[k]];
  }
  ContraintesElement(Triangle(element), Structure->TypeProbleme, u, resultat);
}
