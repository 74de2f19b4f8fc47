// The triangle element against its worked values (elasticity, B and Ke of the
// unit triangle, the area test and its message, vertex numbers, strains and
// stresses, a general triangle to the last bit), and Ke of random triangles
// against rigid motions.
#include "element/triangle.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "app/erreurs.hpp"
#include "tests/structure_en_memoire.hpp"

namespace {

using Triangle = StructureEnMemoire;

// A 1-based matrix against a table of its rows, entry by entry, exactly.
template <int Lignes, int Colonnes, typename Matrice>
void ComparerMatrice(const std::string& nom, const double (&attendu)[Lignes][Colonnes],
                     const Matrice& m) {
  for (int i = 0; i < Lignes * Colonnes; ++i) {
    EXPECT_EQ(attendu[i / Colonnes][i % Colonnes], m[i / Colonnes + 1][i % Colonnes + 1])
        << nom << i / Colonnes + 1 << i % Colonnes + 1;
  }
}

TEST_F(Triangle, ElasticityMatrixOfEachProblemType) {
  // Problem type, E, nu, then D11, D12 and D33.
  const double cas[][6] = {{1, 100, 0.25, 106.66666666666667, 26.666666666666668, 40},
                           {2, 100, 0.25, 120, 40, 40},
                           {1, 210000, 0, 210000, 0, 105000},
                           {2, 210000, 0, 210000, 0, 105000},
                           {0, 100, 0.25, 0, 0, 0},
                           {3, 100, 0.25, 0, 0, 0}};
  for (const auto& c : cas) {
    S().TypeProbleme = static_cast<int>(c[0]);
    TMatrice33 d;
    d[1][3] = d[3][2] = d[2][2] = 7.0;  // overwritten, zeros included
    MatriceElasticite(Element(1, 2, 3, 1.0, c[1], c[2]), d);
    const double attendu[3][3] = {{c[3], c[4], 0}, {c[4], c[3], 0}, {0, 0, c[5]}};
    ComparerMatrice(std::to_string(c[0]) + " D", attendu, d);
  }
}

TEST_F(Triangle, StrainDisplacementAndStiffnessOfTheUnitTriangle) {
  S().TypeProbleme = 1;
  const double attenduB[3][6] = {{-1, 0, 1, 0, 0, 0}, {0, -1, 0, 0, 0, 1}, {-1, -1, 0, 1, 1, 0}};
  const double attenduKe[6][6] = {{0.75, 0.25, -0.5, -0.25, -0.25, 0},
                                  {0.25, 0.75, 0, -0.25, -0.25, -0.5},
                                  {-0.5, 0, 0.5, 0, 0, 0},
                                  {-0.25, -0.25, 0, 0.25, 0.25, 0},
                                  {-0.25, -0.25, 0, 0.25, 0.25, 0},
                                  {0, -0.5, 0, 0, 0, 0.5}};
  double aire = 0.0;
  TMatrice36 b;
  TMatrice66 ke;
  ASSERT_TRUE(MatriceB(TriangleUnite(1.0, 1.0, 0.0), aire, b));
  ASSERT_TRUE(RigiditeElement(S().ElementEn(1), ke));
  EXPECT_EQ(0.5, aire);
  ComparerMatrice("Ke", attenduKe, ke);
  ComparerMatrice("B", attenduB, b);
  EXPECT_EQ("", Resultats());
}

// Twice the signed area from DeuxFoisAire, and the area test of MatriceB with
// its message line, for element 3 of the list (thickness 2).
TEST_F(Triangle, SignedAreaAndTheRejectionOfSmallOrClockwiseElements) {
  const double sousSeuil = std::nextafter(1e-8, 0.0), x0 = 1e8;
  struct Cas {
    TPoint p1, p2, p3;
    double deuxA;        // from DeuxFoisAire
    double aire;         // the area output: A when accepted, 2A when rejected
    const char* valeur;  // in the message; nullptr when accepted
  } const cas[] = {
      {{0, 0}, {1, 0}, {0, 1}, 1.0, 0.5, nullptr},
      {{0, 0}, {0, 1}, {1, 0}, -1.0, -1.0, "-1.00000000000000E+0000"},  // clockwise
      {{0, 0}, {1, 1}, {2, 2}, 0.0, 0.0, " 0.00000000000000E+0000"},    // collinear
      {{0, 0}, {1, 0}, {0, 1e-9}, 1e-9, 1e-9, " 1.00000000000000E-0009"},
      {{0, 0}, {1, 0}, {0, sousSeuil}, sousSeuil, sousSeuil, " 1.00000000000000E-0008"},
      {{0, 0}, {1, 0}, {0, 1e-8}, 1e-8, 5e-9, nullptr},  // the test is strict
      {{0, 0}, {1, 0}, {0, 1e-7}, 1e-7, 5e-8, nullptr},
      // Far from the origin x1 b1 + x2 b2 + x3 b3 loses digits that the
      // difference form keeps.
      {{x0, 0}, {x0 + 1, 0}, {x0, 5e-9}, 5e-9, 4.999999969612645e-09, " 4.99999996961265E-0009"}};
  S().TypeProbleme = 1;
  TriangleUnite(1.0, 1.0, 0.0);
  Element(1, 2, 3, 1.0, 1.0, 0.0);
  const TElement& element = Element(4, 5, 6, 2.0, 1.0, 0.0);
  std::string attendu;
  for (const Cas& c : cas) {
    Noeuds(4, {c.p1, c.p2, c.p3});
    EXPECT_EQ(c.deuxA, DeuxFoisAire(element));
    EXPECT_EQ(2.0 * c.deuxA, DeuxFoisVolume(element));
    double aire = 42.0;
    TMatrice36 b;
    TMatrice66 ke;
    b[2][4] = ke[6][6] = 7.0;
    EXPECT_EQ(c.valeur == nullptr, MatriceB(element, aire, b)) << c.aire;
    EXPECT_EQ(c.aire, aire);
    EXPECT_EQ(c.valeur == nullptr, RigiditeElement(element, ke)) << c.aire;
    if (c.valeur != nullptr) {
      EXPECT_TRUE(b[1][1] == 0.0 && b[2][4] == 7.0 && ke[1][1] == 0.0 && ke[6][6] == 7.0)
          << c.aire << ": B or Ke written";
      const std::string ligne =
          std::string("L'aire de l'\xE9l\xE9ment 3 est nulle : ") + c.valeur + "\r\n";
      attendu += ligne + ligne;  // once by MatriceB, once by RigiditeElement
    }
    EXPECT_EQ(attendu, Resultats());
  }
}

// Vertices given by their node numbers: two on one node, the unit
// triangle's rotated, and numbers outside the node table.
TEST_F(Triangle, VertexNumbersOnOneNodeRotatedOrOutsideTheTable) {
  TriangleUnite(1.0, 1.0, 0.0);
  EXPECT_EQ(0.0, DeuxFoisAire(Element(2, 2, 3, 1.0, 1.0, 0.0)));
  EXPECT_EQ(0.5, DeuxFoisVolume(Element(2, 3, 1, 0.5, 1.0, 0.0)));
  for (const int noeud : {0, 101, -1}) {
    const TElement& element = Element(1, 2, noeud, 1.0, 1.0, 0.0);
    double aire = 0.0;
    TMatrice36 b;
    EXPECT_THROW(DeuxFoisAire(element), ErreurExecution) << noeud;
    EXPECT_EQ("Range check error", donnees::Erreur([&] { MatriceB(element, aire, b); })) << noeud;
  }
}

// A general triangle as element 1, to the last bit: the order of every
// operation shows in the rounding (Ke is symmetric only to rounding, and its
// halves differ). Its strains and stresses under six displacements, and those
// of the example triangle as element 2 on nodes 4, 5, 6 (equations 7 to 12),
// E = 100, nu = 0.25, under one displacement of 0.001: Ux2 or Uy2.
TEST_F(Triangle, KnownTrianglesToTheLastBit) {
  Noeuds(1, {{12.5, -3.25}, {47.1, 8.3}, {20.7, 33.9}, {0.0, 0.0}, {1.0, 0.0}, {0.0, 1.0}});
  const TElement& general = Element(1, 2, 3, 2.5, 210000.0, 0.3);
  Element(4, 5, 6, 1.0, 100.0, 0.25);
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
  ASSERT_TRUE(RigiditeElement(general, ke));
  ComparerMatrice("Ke", attenduKe, ke);

  // Element, problem type, the equation given 0.001 (0: the general
  // triangle's), then exx, eyy, gxy, ezz, sxx, syy, sxy, szz. In plane stress
  // the zero ezz of a shear is -nu times a positive zero.
  const double cas[][11] = {
      {1, 1, 0, 0x1.c1fcbfb65f7d0p-12, 0x1.292f685534281p-11, -0x1.d4a83aaed06dfp-12,
       -0x1.bf94f4bbc357ep-12, 0x1.148cd8a57f8acp+7, 0x1.41093c0ba1490p+7, -0x1.20cbca90bf82bp+5,
       0x0.0p+0},
      {1, 2, 0, 0x1.c1fcbfb65f7d0p-12, 0x1.292f685534281p-11, -0x1.d4a83aaed06dfp-12, 0x0.0p+0,
       0x1.7bfa839cc5394p+7, 0x1.a876e702e6f77p+7, -0x1.20cbca90bf82bp+5, 0x1.e2aa732c9a83ap+6},
      {2, 1, 9, 0.001, 0, 0, -0.00033333333333333332, 0.10666666666666667, 0.026666666666666668, 0,
       0},
      {2, 2, 9, 0.001, 0, 0, 0, 0.12, 0.04, 0, 0.04},
      {2, 1, 10, 0, 0, 0.001, -0.0, 0, 0, 0.04, 0},
      {2, 2, 10, 0, 0, 0.001, 0, 0, 0, 0.04, 0}};
  const double u[] = {0.0125, -0.003, 0.021, 0.0071, -0.0044, 0.0189};
  for (const auto& c : cas) {
    S().TypeProbleme = static_cast<int>(c[1]);
    S().F = {};
    for (int k = 1; k <= 6 && c[2] == 0; ++k) {
      S().F[k] = u[k - 1];
    }
    if (c[2] > 0) {
      S().F[static_cast<int>(c[2])] = 0.001;
    }
    TContraintesDeformations r;
    ContraintesElement(S().ElementEn(static_cast<int>(c[0])), r);
    const double valeur[] = {r.exx, r.eyy, r.gxy, r.ezz, r.sxx, r.syy, r.sxy, r.szz};
    for (int k = 0; k < 8; ++k) {
      EXPECT_EQ(c[k + 3], valeur[k]) << c[0] << ", " << c[1] << ", " << c[2] << ": " << k;
      EXPECT_EQ(std::signbit(c[k + 3]), std::signbit(valeur[k])) << c[0] << c[1] << c[2] << k;
    }
  }
}

// The elements of random meshes, of both problem types and of any size and
// place: translations along x and y and a rotation about the origin give no
// force, to the rounding of the sums.
TEST_F(Triangle, RigidMotionsOfRandomTrianglesGiveNoForce) {
  std::mt19937 aleas(20240611);
  for (int maillage = 0; maillage < 20; ++maillage) {
    TearDown();
    SetUp();
    ModeleAleatoire(aleas, false);
    for (int e = 1; e <= S().Elements.Nombre; ++e) {
      const TElement& element = S().ElementEn(e);
      TMatrice66 ke;
      ASSERT_TRUE(RigiditeElement(element, ke));
      for (int i = 1; i <= 6; ++i) {
        double force[3] = {}, echelle = 0.0;
        for (int j = 1; j <= 6; ++j) {
          const TPoint& p = S().Noeuds[element.Sommets[(j + 1) / 2]];
          force[j % 2] += ke[i][j];
          force[2] += ke[i][j] * (j % 2 == 1 ? -p.y : p.x);
          echelle += std::fabs(ke[i][j]) * (1.0 + std::fabs(p.x) + std::fabs(p.y));
        }
        for (int m = 0; m < 3; ++m) {
          ASSERT_NEAR(0.0, force[m], 1e-13 * echelle) << maillage << ", " << e << ", " << m;
        }
      }
    }
  }
}

}  // namespace
