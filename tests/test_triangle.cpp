#include "element/triangle.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <string>

#include "tests/structure_en_memoire.hpp"

namespace {

using Triangle = StructureEnMemoire;

// Relative closeness for values the examples give rounded; exact for zero.
void Proche(double attendu, double valeur, const std::string& quoi) {
  if (attendu == 0.0) {
    EXPECT_EQ(0.0, valeur) << quoi;
  } else {
    EXPECT_NEAR(attendu, valeur, 1e-13 * std::fabs(attendu)) << quoi;
  }
}

TEST_F(Triangle, TwiceTheSignedAreaAndVolume) {
  struct Cas {
    int a, b, c;
    double epaisseur, aire, volume;
  };
  Noeud(1, 0.0, 0.0);
  Noeud(2, 1.0, 0.0);
  Noeud(3, 0.0, 1.0);
  Noeud(4, 2.0, 2.0);
  Noeud(5, 3.0, 3.0);
  const Cas cas[] = {
      {1, 2, 3, 2.0, 1.0, 2.0},    // counter-clockwise
      {1, 3, 2, 2.0, -1.0, -2.0},  // clockwise
      {1, 4, 5, 3.0, 0.0, 0.0},    // collinear
      {2, 2, 3, 1.0, 0.0, 0.0},    // two vertices on one node
      {2, 3, 1, 0.5, 1.0, 0.5},    // same triangle, vertices rotated
  };
  for (const Cas& c : cas) {
    const TElement& element = Element(c.a, c.b, c.c, c.epaisseur, 1.0, 0.0);
    EXPECT_EQ(c.aire, DeuxFoisAire(element)) << c.a << c.b << c.c;
    EXPECT_EQ(c.volume, DeuxFoisVolume(element)) << c.a << c.b << c.c;
  }
}

TEST_F(Triangle, NodeNumberOutsideTheTableIsRangeCheckError) {
  for (const int noeud : {0, 101, -1}) {
    const TElement& element = Element(1, 2, noeud, 1.0, 1.0, 0.0);
    EXPECT_THROW(DeuxFoisAire(element), ErreurExecution) << noeud;
    double aire = 0.0;
    TMatrice36 b;
    EXPECT_THROW(MatriceB(element, aire, b), ErreurExecution) << noeud;
  }
}

TEST_F(Triangle, ElasticityMatrixOfBothProblemTypes) {
  struct Cas {
    int type;
    double e, nu, d11, d12, d33;
  };
  const Cas cas[] = {
      {1, 100.0, 0.25, 106.66666666666667, 26.666666666666668, 40.0},
      {2, 100.0, 0.25, 120.0, 40.0, 40.0},
      {1, 210000.0, 0.0, 210000.0, 0.0, 105000.0},
      {2, 210000.0, 0.0, 210000.0, 0.0, 105000.0},
      {1, 210000.0, 0.3, 230769.23076923078, 69230.769230769234, 80769.230769230766},
      {2, 210000.0, 0.3, 282692.30769230769, 121153.84615384616, 80769.230769230766},
      {0, 100.0, 0.25, 0.0, 0.0, 0.0},
      {3, 100.0, 0.25, 0.0, 0.0, 0.0},
  };
  for (const Cas& c : cas) {
    S().TypeProbleme = c.type;
    const TElement& element = Element(1, 2, 3, 1.0, c.e, c.nu);
    TMatrice33 d;
    for (int i = 1; i <= 3; ++i) {
      for (int j = 1; j <= 3; ++j) {
        d[i][j] = 7.0;  // every entry is overwritten
      }
    }
    MatriceElasticite(element, d);
    const std::string quoi = "type " + std::to_string(c.type) + " nu " + std::to_string(c.nu);
    const double attendu[3][3] = {{c.d11, c.d12, 0.0}, {c.d12, c.d11, 0.0}, {0.0, 0.0, c.d33}};
    for (int i = 1; i <= 3; ++i) {
      for (int j = 1; j <= 3; ++j) {
        Proche(attendu[i - 1][j - 1], d[i][j], quoi + " D" + std::to_string(10 * i + j));
      }
    }
    // D12 comes from the stored D11, bit for bit.
    EXPECT_EQ(d[1][2], d[2][1]) << quoi;
  }
}

TEST_F(Triangle, StrainDisplacementAndStiffnessOfTheUnitTriangle) {
  S().TypeProbleme = 1;
  const TElement& element = TriangleUnite(1.0, 1.0, 0.0);
  double aire = 0.0;
  TMatrice36 b;
  ASSERT_TRUE(MatriceB(element, aire, b));
  EXPECT_EQ(0.5, aire);
  const double attenduB[3][6] = {
      {-1, 0, 1, 0, 0, 0},
      {0, -1, 0, 0, 0, 1},
      {-1, -1, 0, 1, 1, 0},
  };
  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= 6; ++j) {
      EXPECT_EQ(attenduB[i - 1][j - 1], b[i][j]) << "B" << i << j;
    }
  }

  TMatrice66 ke;
  ASSERT_TRUE(RigiditeElement(element, ke));
  const double attenduKe[6][6] = {
      {0.75, 0.25, -0.5, -0.25, -0.25, 0},
      {0.25, 0.75, 0, -0.25, -0.25, -0.5},
      {-0.5, 0, 0.5, 0, 0, 0},
      {-0.25, -0.25, 0, 0.25, 0.25, 0},
      {-0.25, -0.25, 0, 0.25, 0.25, 0},
      {0, -0.5, 0, 0, 0, 0.5},
  };
  for (int i = 1; i <= 6; ++i) {
    for (int j = 1; j <= 6; ++j) {
      EXPECT_EQ(attenduKe[i - 1][j - 1], ke[i][j]) << "Ke" << i << j;
    }
  }
  EXPECT_EQ("", Resultats());
}

TEST_F(Triangle, RejectedElementsWriteOneLineAndLeaveBUntouched) {
  struct Cas {
    double x2, y2, x3, y3;  // vertex 1 at the origin
    double deuxA;
    const char* valeur;
  };
  const Cas cas[] = {
      {0.0, 1.0, 1.0, 0.0, -1.0, "-1.00000000000000E+0000"},  // clockwise
      {1.0, 1.0, 2.0, 2.0, 0.0, " 0.00000000000000E+0000"},   // collinear
      {1.0, 0.0, 0.0, 1e-9, 1e-9, " 1.00000000000000E-0009"},
      {1.0, 0.0, 0.0, std::nextafter(1e-8, 0.0), std::nextafter(1e-8, 0.0),
       " 1.00000000000000E-0008"},
  };
  S().TypeProbleme = 1;
  TriangleUnite(1.0, 1.0, 0.0);
  Element(1, 2, 3, 1.0, 1.0, 0.0);
  // Element 3 of the list, behind two accepted ones.
  const TElement& element = Element(4, 5, 6, 1.0, 1.0, 0.0);
  Noeud(4, 0.0, 0.0);
  std::string attendu;
  for (const Cas& c : cas) {
    Noeud(5, c.x2, c.y2);
    Noeud(6, c.x3, c.y3);
    double aire = 42.0;
    TMatrice36 b;
    b[2][4] = 7.0;
    EXPECT_FALSE(MatriceB(element, aire, b));
    EXPECT_EQ(c.deuxA, aire);
    for (int i = 1; i <= 3; ++i) {
      for (int j = 1; j <= 6; ++j) {
        ASSERT_EQ(i == 2 && j == 4 ? 7.0 : 0.0, b[i][j]);
      }
    }
    TMatrice66 ke;
    ke[6][6] = 9.0;
    EXPECT_FALSE(RigiditeElement(element, ke));
    for (int i = 1; i <= 6; ++i) {
      for (int j = 1; j <= 6; ++j) {
        ASSERT_EQ(i == 6 && j == 6 ? 9.0 : 0.0, ke[i][j]);
      }
    }
    const std::string ligne =
        std::string("L'aire de l'\xE9l\xE9ment 3 est nulle : ") + c.valeur + "\r\n";
    attendu += ligne + ligne;
  }
  EXPECT_EQ(attendu, Resultats());
}

TEST_F(Triangle, RejectionShowsTwiceTheAreaFromTheCoordinateSum) {
  // Far from the origin x1 b1 + x2 b2 + x3 b3 loses digits that the
  // difference form keeps.
  S().TypeProbleme = 1;
  Noeud(1, 1e8, 0.0);
  Noeud(2, 1e8 + 1.0, 0.0);
  Noeud(3, 1e8, 5e-9);
  const TElement& element = Element(1, 2, 3, 1.0, 1.0, 0.0);
  EXPECT_EQ(5e-9, DeuxFoisAire(element));
  double aire = 0.0;
  TMatrice36 b;
  EXPECT_FALSE(MatriceB(element, aire, b));
  EXPECT_EQ(4.999999969612645e-09, aire);
  EXPECT_EQ("L'aire de l'\xE9l\xE9ment 1 est nulle :  4.99999996961265E-0009\r\n", Resultats());
}

TEST_F(Triangle, AreaThresholdIsStrict) {
  S().TypeProbleme = 1;
  Noeud(1, 0.0, 0.0);
  Noeud(2, 1.0, 0.0);
  for (const double deuxA : {1e-8, 1e-7}) {
    Noeud(3, 0.0, deuxA);
    const TElement& element = Element(1, 2, 3, 1.0, 1.0, 0.0);
    double aire = 0.0;
    TMatrice36 b;
    EXPECT_TRUE(MatriceB(element, aire, b)) << deuxA;
    EXPECT_EQ(0.5 * deuxA, aire);
  }
  EXPECT_EQ("", Resultats());
}

// A general triangle, to the last bit: the order of every operation shows in
// the rounding (Ke is symmetric only to rounding, and its halves differ).
TEST_F(Triangle, GeneralTriangleToTheLastBit) {
  Noeud(1, 12.5, -3.25);
  Noeud(2, 47.1, 8.3);
  Noeud(3, 20.7, 33.9);
  const TElement& element = Element(1, 2, 3, 2.5, 210000.0, 0.3);
  S().TypeProbleme = 2;
  const double attenduKe[6][6] = {
      {0x1.ef4c52bfc55c6p+17, 0x1.17d1465c3c00bp+17, -0x1.01b47b80ccd62p+18, -0x1.b91c28e18bae4p+15,
       0x1.41ca441d45008p+13, -0x1.53147847b22a4p+16},
      {0x1.17d1465c3c00cp+17, 0x1.0042c8c08ad49p+18, -0x1.a1bed95d149c1p+16, -0x1.002e6f0f34fe6p+14,
       -0x1.1bc766b6c6ca9p+15, -0x1.e07fc39f2f096p+17},
      {-0x1.01b47b80ccd62p+18, -0x1.a1bed95d149c1p+16, 0x1.958e38c341de5p+18,
       -0x1.f880b9c063080p+15, -0x1.27b37a84ea106p+17, 0x1.4eff9b1ea3100p+17},
      {-0x1.b91c28e18bae4p+15, -0x1.002e6f0f34fe8p+14, -0x1.f880b9c063080p+15,
       0x1.0b8a190a3e7bcp+17, 0x1.d8ce7150f75b1p+16, -0x1.d7089650afb7ep+16},
      {0x1.41ca441d45008p+13, -0x1.1bc766b6c6cabp+15, -0x1.27b37a84ea106p+17, 0x1.d8ce7150f75b2p+16,
       0x1.1396d64315c06p+17, -0x1.4aeabdf593f5ep+16},
      {-0x1.53147847b22a4p+16, -0x1.e07fc39f2f094p+17, 0x1.4eff9b1ea3100p+17,
       -0x1.d7089650afb7ep+16, -0x1.4aeabdf593f5ep+16, 0x1.66020763c372ap+18},
  };
  TMatrice66 ke;
  ASSERT_TRUE(RigiditeElement(element, ke));
  for (int i = 1; i <= 6; ++i) {
    for (int j = 1; j <= 6; ++j) {
      EXPECT_EQ(attenduKe[i - 1][j - 1], ke[i][j]) << "Ke" << i << j;
    }
  }

  const double u[] = {0.0125, -0.003, 0.021, 0.0071, -0.0044, 0.0189};
  for (int k = 1; k <= 6; ++k) {
    S().F[k] = u[k - 1];
  }
  const double attendu[2][8] = {
      {0x1.c1fcbfb65f7d0p-12, 0x1.292f685534281p-11, -0x1.d4a83aaed06dfp-12, -0x1.bf94f4bbc357ep-12,
       0x1.148cd8a57f8acp+7, 0x1.41093c0ba1490p+7, -0x1.20cbca90bf82bp+5, 0x0.0p+0},
      {0x1.c1fcbfb65f7d0p-12, 0x1.292f685534281p-11, -0x1.d4a83aaed06dfp-12, 0x0.0p+0,
       0x1.7bfa839cc5394p+7, 0x1.a876e702e6f77p+7, -0x1.20cbca90bf82bp+5, 0x1.e2aa732c9a83ap+6},
  };
  for (int type = 1; type <= 2; ++type) {
    S().TypeProbleme = type;
    TContraintesDeformations r;
    ContraintesElement(element, r);
    const double valeurs[] = {r.exx, r.eyy, r.gxy, r.ezz, r.sxx, r.syy, r.sxy, r.szz};
    for (int k = 0; k < 8; ++k) {
      EXPECT_EQ(attendu[type - 1][k], valeurs[k]) << "type " << type << " component " << k;
    }
  }
}

// Random triangles, counter-clockwise and not too flat, anywhere in the plane.
struct GenerateurTriangles {
  std::mt19937 aleas{20240611};

  double Uniforme(double a, double b) {
    return std::uniform_real_distribution<double>(a, b)(aleas);
  }

  void Placer(TStructure& s) {
    const double cx = Uniforme(-1000.0, 1000.0);
    const double cy = Uniforme(-1000.0, 1000.0);
    const double taille = Uniforme(0.01, 100.0);
    const double angle = Uniforme(0.0, 6.283185307179586);
    for (int i = 1; i <= 3; ++i) {
      const double a = angle + (i - 1) * 2.0943951023931953 + Uniforme(-0.6, 0.6);
      const double r = taille * Uniforme(0.3, 1.0);
      s.Noeuds[i] = TPoint{cx + r * std::cos(a), cy + r * std::sin(a)};
    }
  }
};

TEST_F(Triangle, StiffnessIsSymmetricAndRigidMotionsGiveNoForce) {
  GenerateurTriangles generateur;
  S().NbNoeuds = 3;
  TElement& element = Element(1, 2, 3, 1.0, 1.0, 0.0);
  for (int essai = 0; essai < 500; ++essai) {
    S().TypeProbleme = 1 + essai % 2;
    generateur.Placer(S());
    element.Epaisseur = generateur.Uniforme(0.1, 50.0);
    element.E = generateur.Uniforme(1.0, 300000.0);
    element.Nu = generateur.Uniforme(0.0, 0.45);
    TMatrice66 ke;
    ASSERT_TRUE(RigiditeElement(element, ke)) << essai;

    double echelle = 0.0;
    for (int i = 1; i <= 6; ++i) {
      for (int j = 1; j <= 6; ++j) {
        echelle = std::max(echelle, std::fabs(ke[i][j]));
      }
    }
    for (int i = 1; i <= 6; ++i) {
      for (int j = 1; j <= 6; ++j) {
        ASSERT_NEAR(ke[i][j], ke[j][i], 1e-13 * echelle) << essai << " Ke" << i << j;
      }
    }
    // Translations along x and y, and a rotation about the origin.
    double bras = 0.0;
    for (int v = 1; v <= 3; ++v) {
      bras = std::max({bras, std::fabs(S().Noeuds[v].x), std::fabs(S().Noeuds[v].y)});
    }
    for (int mouvement = 0; mouvement < 3; ++mouvement) {
      std::array<double, 6> u{};
      for (int v = 1; v <= 3; ++v) {
        const TPoint& p = S().Noeuds[v];
        u[2 * v - 2] = mouvement == 0 ? 1.0 : mouvement == 1 ? 0.0 : -p.y;
        u[2 * v - 1] = mouvement == 0 ? 0.0 : mouvement == 1 ? 1.0 : p.x;
      }
      const double tolerance = 1e-12 * echelle * (mouvement == 2 ? bras : 1.0);
      for (int i = 1; i <= 6; ++i) {
        double force = 0.0;
        for (int j = 1; j <= 6; ++j) {
          force += ke[i][j] * u[j - 1];
        }
        ASSERT_NEAR(0.0, force, tolerance) << essai << " motion " << mouvement << " row " << i;
      }
    }
  }
  EXPECT_EQ("", Resultats());
}

TEST_F(Triangle, StrainsAndStressesOfTheExampleFields) {
  struct Cas {
    int type;
    int equation;  // the one displacement of 0.001
    TContraintesDeformations attendu;
  };
  const Cas cas[] = {
      {1,
       3,
       {0.001, 0.0, 0.0, -0.00033333333333333332, 0.10666666666666667, 0.026666666666666668, 0.0,
        0.0}},
      {2, 3, {0.001, 0.0, 0.0, 0.0, 0.12, 0.04, 0.0, 0.04}},
      {1, 4, {0.0, 0.0, 0.001, 0.0, 0.0, 0.0, 0.04, 0.0}},
      {2, 4, {0.0, 0.0, 0.001, 0.0, 0.0, 0.0, 0.04, 0.0}},
  };
  // The example triangle as element 2, on nodes 4, 5, 6 (equations 7 to 12).
  Noeud(4, 0.0, 0.0);
  Noeud(5, 1.0, 0.0);
  Noeud(6, 0.0, 1.0);
  Element(1, 2, 3, 1.0, 1.0, 0.0);
  const TElement& element = Element(4, 5, 6, 1.0, 100.0, 0.25);
  for (const Cas& c : cas) {
    S().TypeProbleme = c.type;
    for (int i = 1; i <= NbMaxDdl; ++i) {
      S().F[i] = 0.0;
    }
    S().F[6 + c.equation] = 0.001;
    TContraintesDeformations r;
    ContraintesElement(element, r);
    const std::string quoi =
        "type " + std::to_string(c.type) + " Ux/Uy " + std::to_string(c.equation);
    Proche(c.attendu.exx, r.exx, quoi + " exx");
    Proche(c.attendu.eyy, r.eyy, quoi + " eyy");
    Proche(c.attendu.gxy, r.gxy, quoi + " gxy");
    Proche(c.attendu.ezz, r.ezz, quoi + " ezz");
    Proche(c.attendu.sxx, r.sxx, quoi + " sxx");
    Proche(c.attendu.syy, r.syy, quoi + " syy");
    Proche(c.attendu.sxy, r.sxy, quoi + " sxy");
    Proche(c.attendu.szz, r.szz, quoi + " szz");
    // A zero ezz in plane stress is -nu times a positive zero.
    if (c.attendu.ezz == 0.0) {
      EXPECT_EQ(c.type == 1, std::signbit(r.ezz)) << quoi;
    }
    EXPECT_FALSE(std::signbit(r.szz)) << quoi;
  }
  EXPECT_EQ("", Resultats());
}

TEST_F(Triangle, LinearDisplacementFieldsGiveTheirStrainsExactlyToRounding) {
  GenerateurTriangles generateur;
  S().NbNoeuds = 3;
  TElement& element = Element(1, 2, 3, 1.0, 1.0, 0.0);
  for (int essai = 0; essai < 300; ++essai) {
    S().TypeProbleme = 1 + essai % 2;
    generateur.Placer(S());
    element.E = generateur.Uniforme(1.0, 300000.0);
    element.Nu = generateur.Uniforme(0.0, 0.45);
    // Ux = a x + b y + c, Uy = d x + e y + f; a rigid translation when essai % 3 == 0.
    const bool translation = essai % 3 == 0;
    const double a = translation ? 0.0 : generateur.Uniforme(-1e-3, 1e-3);
    const double b = translation ? 0.0 : generateur.Uniforme(-1e-3, 1e-3);
    const double d = translation ? 0.0 : generateur.Uniforme(-1e-3, 1e-3);
    const double e = translation ? 0.0 : generateur.Uniforme(-1e-3, 1e-3);
    const double c = generateur.Uniforme(-1.0, 1.0);
    const double f = generateur.Uniforme(-1.0, 1.0);
    double bras = 0.0;
    for (int v = 1; v <= 3; ++v) {
      const TPoint& p = S().Noeuds[v];
      S().F[2 * v - 1] = a * p.x + b * p.y + c;
      S().F[2 * v] = d * p.x + e * p.y + f;
      bras = std::max({bras, std::fabs(p.x), std::fabs(p.y)});
    }
    TContraintesDeformations r;
    ContraintesElement(element, r);
    // Rounding of the displacements, amplified by the element's size.
    double taille = 0.0;
    for (int v = 2; v <= 3; ++v) {
      taille = std::max(
          taille, std::hypot(S().Noeuds[v].x - S().Noeuds[1].x, S().Noeuds[v].y - S().Noeuds[1].y));
    }
    const double tolerance = 1e-13 * (1.0 + 1e-3 * bras) / taille;
    ASSERT_NEAR(a, r.exx, tolerance) << essai;
    ASSERT_NEAR(e, r.eyy, tolerance) << essai;
    ASSERT_NEAR(b + d, r.gxy, 2.0 * tolerance) << essai;
    TMatrice33 dm;
    MatriceElasticite(element, dm);
    const double g = element.E;  // stresses scale with E
    ASSERT_NEAR(dm[1][1] * a + dm[1][2] * e, r.sxx, 4.0 * g * tolerance) << essai;
    ASSERT_NEAR(dm[2][1] * a + dm[2][2] * e, r.syy, 4.0 * g * tolerance) << essai;
    ASSERT_NEAR(dm[3][3] * (b + d), r.sxy, 4.0 * g * tolerance) << essai;
  }
  EXPECT_EQ("", Resultats());
}

}  // namespace
