#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "element/triangle.hpp"
#include "tests/structure_en_memoire.hpp"

namespace {

using Assemblage = StructureEnMemoire;

const std::string LigneRigidite = "Assemblage de la matrice de rigidit\xE9\r\n";
const std::string LigneForces = "Assemblage du vecteur force global\r\n";

void Remplir(TStructure& s, double valeur) {
  for (int i = 1; i <= NbMaxDdl; ++i) {
    s.F[i] = valeur;
    for (int j = 1; j <= NbMaxDdl; ++j) {
      s.K[i][j] = valeur;
    }
  }
}

TEST_F(Assemblage, ElementTermsLandAtTheirEquationsInsideTheClearedBlock) {
  S().TypeProbleme = 1;
  // The unit triangle on nodes 3, 1, 2: equations 5, 6, 1, 2, 3, 4.
  Noeud(3, 0.0, 0.0);
  Noeud(1, 1.0, 0.0);
  Noeud(2, 0.0, 1.0);
  const TElement& element = Element(3, 1, 2, 2.0, 3.0, 0.2);
  Remplir(S(), 9.0);
  ASSERT_TRUE(S().AssemblageRigidite());
  EXPECT_EQ(6, S().NbDdl);
  TMatrice66 ke;
  ASSERT_TRUE(RigiditeElement(element, ke));
  EXPECT_EQ(ke[1][1], S().K[5][5]);
  EXPECT_EQ(ke[1][3], S().K[5][1]);
  EXPECT_EQ(ke[4][2], S().K[2][6]);
  const int d[] = {5, 6, 1, 2, 3, 4};
  for (int p = 1; p <= 6; ++p) {
    for (int q = 1; q <= 6; ++q) {
      EXPECT_EQ(ke[p][q], S().K[d[p - 1]][d[q - 1]]) << p << q;
    }
  }
  // Outside the active block K keeps what it held.
  for (const int i : {1, 6, 7, 200}) {
    EXPECT_EQ(9.0, S().K[i][7]) << i;
    EXPECT_EQ(9.0, S().K[7][i]) << i;
    EXPECT_EQ(9.0, S().K[200][i]) << i;
  }
  EXPECT_EQ(LigneRigidite, Resultats());
}

TEST_F(Assemblage, ElementsSharingAnEdgeAddUpSymmetrically) {
  S().TypeProbleme = 2;
  Noeud(1, 0.0, 0.0);
  Noeud(2, 100.0, 0.0);
  Noeud(3, 100.0, 50.0);
  Noeud(4, 0.0, 50.0);
  Noeud(5, 200.0, 200.0);  // in no element
  const TElement& premier = Element(1, 2, 3, 10.0, 210000.0, 0.3);
  const TElement& second = Element(3, 4, 1, 5.0, 70000.0, 0.33);
  ASSERT_TRUE(S().AssemblageRigidite());
  EXPECT_EQ(10, S().NbDdl);
  TMatrice66 k1;
  TMatrice66 k2;
  ASSERT_TRUE(RigiditeElement(premier, k1));
  ASSERT_TRUE(RigiditeElement(second, k2));
  const int d1[] = {1, 2, 3, 4, 5, 6};
  const int d2[] = {5, 6, 7, 8, 1, 2};
  double attendu[11][11] = {};
  for (int p = 0; p < 6; ++p) {
    for (int q = 0; q < 6; ++q) {
      attendu[d1[p]][d1[q]] += k1[p + 1][q + 1];
    }
  }
  for (int p = 0; p < 6; ++p) {
    for (int q = 0; q < 6; ++q) {
      attendu[d2[p]][d2[q]] += k2[p + 1][q + 1];
    }
  }
  for (int i = 1; i <= 10; ++i) {
    for (int j = 1; j <= 10; ++j) {
      EXPECT_EQ(attendu[i][j], S().K[i][j]) << i << "," << j;
      EXPECT_NEAR(S().K[i][j], S().K[j][i], 1e-9) << i << "," << j;
    }
  }
  // Node 5 belongs to no element: its rows and columns stay zero.
  for (int j = 1; j <= 10; ++j) {
    EXPECT_EQ(0.0, S().K[9][j]);
    EXPECT_EQ(0.0, S().K[j][10]);
  }
}

TEST_F(Assemblage, RejectedElementStopsTheAssembly) {
  S().TypeProbleme = 1;
  Noeud(1, 0.0, 0.0);
  Noeud(2, 1.0, 0.0);
  Noeud(3, 0.0, 1.0);
  Noeud(4, 1.0, 1.0);
  Element(1, 2, 3, 1.0, 1.0, 0.0);
  Element(2, 4, 3, 1.0, 1.0, 0.0);
  Element(3, 4, 2, 1.0, 1.0, 0.0);  // clockwise
  Element(2, 4, 3, 1.0, 1.0, 0.0);  // never reached
  Remplir(S(), 9.0);
  EXPECT_FALSE(S().AssemblageRigidite());
  // The first two are in K, the fourth (a copy of the second) is not.
  EXPECT_EQ(0.75, S().K[1][1]);
  EXPECT_EQ(0.5 + 0.25, S().K[3][3]);
  EXPECT_EQ(0.75, S().K[7][7]);
  EXPECT_EQ(9.0, S().K[9][9]);
  EXPECT_EQ(LigneRigidite + "L'aire de l'\xE9l\xE9ment 3 est nulle : -1.00000000000000E+0000\r\n",
            Resultats());
}

TEST_F(Assemblage, FirstElementRejectedLeavesTheBlockCleared) {
  S().TypeProbleme = 1;
  Noeud(1, 0.0, 0.0);
  Noeud(2, 1.0, 1.0);
  Noeud(3, 2.0, 2.0);
  Element(1, 2, 3, 1.0, 1.0, 0.0);
  Remplir(S(), 9.0);
  EXPECT_FALSE(S().AssemblageRigidite());
  for (int i = 1; i <= 6; ++i) {
    for (int j = 1; j <= 6; ++j) {
      EXPECT_EQ(0.0, S().K[i][j]);
    }
  }
  EXPECT_EQ(LigneRigidite + "L'aire de l'\xE9l\xE9ment 1 est nulle :  0.00000000000000E+0000\r\n",
            Resultats());
}

TEST_F(Assemblage, TooManyNodesIsRangeCheckError) {
  S().TypeProbleme = 1;
  S().NbNoeuds = 101;
  try {
    S().AssemblageRigidite();
    FAIL() << "no error";
  } catch (const ErreurExecution& erreur) {
    EXPECT_STREQ("Range check error", erreur.what());
  }
}

TEST_F(Assemblage, LoadsBecomeNodalForcesAlongTheGlobalAxes) {
  struct Cas {
    const char* nom;
    std::uint8_t type;
    int n1, n2;
    double fx, fy;
    double attendu[8];
  };
  // Nodes 1 (0, 0), 2 (10, 0), 3 (0, 10), 4 (6, 8); element 1 is 2, 3, 1 with
  // thickness 2, element 2 is 1, 2, 4 with thickness 1.
  const Cas cas[] = {
      {"body force", 1, 1, 0, 0.0, -0.006, {0.0, -0.2, 0.0, -0.2, 0.0, -0.2, 0.0, 0.0}},
      {"body force along x", 1, 2, 0, 0.15, 0.0, {2.0, 0.0, 2.0, 0.0, 0.0, 0.0, 2.0, 0.0}},
      {"edge load", 2, 1, 4, 0.0, -1.0, {0.0, -5.0, 0.0, 0.0, 0.0, 0.0, 0.0, -5.0}},
      {"inclined edge, global axes",
       2,
       2,
       3,
       1.0,
       2.0,
       {0.0, 0.0, 7.0710678118654755, 14.142135623730951, 7.0710678118654755, 14.142135623730951,
        0.0, 0.0}},
      {"edge of length zero", 2, 3, 3, 5.0, 5.0, {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0}},
      {"type 0 ignored", 0, 1, 2, 5.0, 5.0, {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0}},
      {"type 3 ignored", 3, 1, 2, 5.0, 5.0, {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0}},
      {"type 255 ignored", 255, 1, 2, 5.0, 5.0, {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0}},
  };
  Noeud(1, 0.0, 0.0);
  Noeud(2, 10.0, 0.0);
  Noeud(3, 0.0, 10.0);
  Noeud(4, 6.0, 8.0);
  Element(2, 3, 1, 2.0, 1.0, 0.0);
  Element(1, 2, 4, 1.0, 1.0, 0.0);
  S().NbDdl = 8;
  S().Charges.Nombre = 1;
  S().NbCharges = 1;
  for (const Cas& c : cas) {
    S().F[9] = 3.0;  // beyond NbDdl: neither cleared nor loaded
    S().Charges.Liste[1] = std::make_unique<TCharge>(TCharge{c.type, c.n1, c.n2, c.fx, c.fy});
    S().AssemblageForces();
    for (int i = 1; i <= 8; ++i) {
      // Exact: W / 6 is formed first, then multiplied by the load.
      EXPECT_EQ(c.attendu[i - 1], S().F[i]) << c.nom << " F" << i;
    }
    EXPECT_EQ(3.0, S().F[9]) << c.nom;
  }
  std::string attendu;
  for (std::size_t k = 0; k < std::size(cas); ++k) {
    attendu += LigneForces;
  }
  EXPECT_EQ(attendu, Resultats());
}

TEST_F(Assemblage, LoadsAddUpAtSharedEquations) {
  Noeud(1, 0.0, 0.0);
  Noeud(2, 10.0, 0.0);
  Noeud(3, 0.0, 10.0);
  Element(1, 2, 3, 2.0, 1.0, 0.0);
  S().NbDdl = 6;
  Charge(2, 1, 2, 0.0, -1.0);    // 5 N down on nodes 1 and 2
  Charge(2, 3, 1, 0.5, 0.0);     // 2.5 N along x on nodes 3 and 1
  Charge(1, 1, 0, 0.0, -0.006);  // 0.2 N down on every vertex
  Charge(1, 1, 0, 0.003, 0.0);   // 0.1 N along x on every vertex
  S().AssemblageForces();
  const double attendu[] = {2.6, -5.2, 0.1, -5.2, 2.6, -0.2};
  for (int i = 1; i <= 6; ++i) {
    EXPECT_NEAR(attendu[i - 1], S().F[i], 1e-14) << i;
  }
}

TEST_F(Assemblage, LoadOnAnEmptyElementSlotIsRangeCheckError) {
  TriangleUnite(1.0, 1.0, 0.0);
  S().NbDdl = 6;
  Charge(1, 2, 0, 1.0, 1.0);
  EXPECT_THROW(S().AssemblageForces(), ErreurExecution);
}

}  // namespace
