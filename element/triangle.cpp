// Constant-strain triangle: 2A from the vertices, D for plane stress or plane
// strain, B = 1/2A [b_i 0; 0 c_i; c_i b_i] with b1 = y2 - y3, c1 = x3 - x2 and
// cyclic, Ke = A t Bt D B, and the strains B u and stresses D B u. Every sum is
// accumulated from 0 in the stated order: the report prints the signs of tiny
// values, so the order of operations is part of the result.
#include "element/triangle.hpp"

namespace {

// Below this, twice the area (mm2) means a degenerate or clockwise element.
constexpr double DeuxFoisAireMinimale = 1e-8;

const TPoint& Sommet(const TElement& element, int i) {
  return Structure->Noeuds[element.Sommets[i]];
}

}  // namespace

double DeuxFoisAire(const TElement& element) {
  const TPoint& p1 = Sommet(element, 1);
  const TPoint& p2 = Sommet(element, 2);
  const TPoint& p3 = Sommet(element, 3);
  return (p2.x - p1.x) * (p3.y - p1.y) - (p3.x - p1.x) * (p2.y - p1.y);
}

double DeuxFoisVolume(const TElement& element) {
  return DeuxFoisAire(element) * element.Epaisseur;
}

void MatriceElasticite(const TElement& element, TMatrice33& d) {
  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= 3; ++j) {
      d[i][j] = 0.0;
    }
  }
  const double e = element.E;
  const double nu = element.Nu;
  switch (Structure->TypeProbleme) {
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
  d[3][3] = e / (2.0 * (1.0 + nu));
}

bool MatriceB(const TElement& element, double& aire, TMatrice36& b) {
  const TPoint& p1 = Sommet(element, 1);
  const TPoint& p2 = Sommet(element, 2);
  const TPoint& p3 = Sommet(element, 3);
  Tableau<double, NbSommets> bi;
  Tableau<double, NbSommets> ci;
  bi[1] = p2.y - p3.y;
  bi[2] = p3.y - p1.y;
  bi[3] = p1.y - p2.y;
  ci[1] = p3.x - p2.x;
  ci[2] = p1.x - p3.x;
  ci[3] = p2.x - p1.x;

  const double deuxA = p1.x * bi[1] + p2.x * bi[2] + p3.x * bi[3];
  aire = deuxA;
  if (deuxA < DeuxFoisAireMinimale) {
    TFichierTexte& resultats = Structure->Resultats;
    EcrireTexte(resultats, "L'aire de l'\xE9l\xE9ment ");
    EcrireEntier(resultats, Structure->Elements.Numero(&element));
    EcrireTexte(resultats, " est nulle : ");
    EcrireReel(resultats, deuxA);
    FinDeLigne(resultats);
    return false;
  }

  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= NbDdlElement; ++j) {
      b[i][j] = 0.0;
    }
  }
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

bool RigiditeElement(const TElement& element, TMatrice66& ke) {
  TMatrice33 d;
  MatriceElasticite(element, d);
  double aire = 0.0;
  TMatrice36 b;
  if (!MatriceB(element, aire, b)) {
    return false;
  }

  const double facteur = aire * element.Epaisseur;
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

void ContraintesElement(const TElement& element, TContraintesDeformations& resultat) {
  const std::int32_t numero = Structure->Elements.Numero(&element);
  Tableau<std::int32_t, NbDdlElement> ddl;
  Structure->DdlElement(numero, ddl);
  Tableau<double, NbDdlElement> u;
  for (int k = 1; k <= NbDdlElement; ++k) {
    u[k] = Structure->F[ddl[k]];
  }

  TMatrice33 d;
  MatriceElasticite(element, d);
  // Every element that gets here passed the stiffness assembly, so B is
  // accepted; its area is not needed.
  double aire = 0.0;
  TMatrice36 b;
  MatriceB(element, aire, b);

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

  resultat.exx = deformation[1];
  resultat.eyy = deformation[2];
  resultat.gxy = deformation[3];
  resultat.ezz = 0.0;
  resultat.sxx = contrainte[1];
  resultat.syy = contrainte[2];
  resultat.sxy = contrainte[3];
  resultat.szz = 0.0;
  // From the stored values: with sxx + syy a positive zero, -nu times it is a
  // negative zero, and the report writes it with its sign.
  if (Structure->TypeProbleme == 1) {
    resultat.ezz = -element.Nu * (resultat.sxx + resultat.syy) / element.E;
  } else {
    resultat.szz = element.Nu * (resultat.sxx + resultat.syy);
  }
}
