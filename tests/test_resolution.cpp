#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "tests/structure_en_memoire.hpp"

namespace {

using Resolution = StructureEnMemoire;

const std::string LigneCalcul = "Calcul des d\xE9placements inconnus\r\n";
const std::string Message = "Le syst\xE8me est mal conditionn\xE9 : pivot n\xE9gatif ou nul = ";

// The system K U = F given by its upper triangle, row by row; the lower
// triangle holds a value that would spoil every result if it were read.
void Systeme(TStructure& s, const std::vector<std::vector<double>>& k,
             const std::vector<double>& f) {
  const int n = static_cast<int>(f.size());
  s.NbDdl = n;
  for (int i = 1; i <= n; ++i) {
    s.F[i] = f[static_cast<std::size_t>(i - 1)];
    for (int j = 1; j <= n; ++j) {
      s.K[i][j] =
          j >= i ? k[static_cast<std::size_t>(i - 1)][static_cast<std::size_t>(j - 1)] : 1e300;
    }
  }
}

TEST_F(Resolution, SolvesInPlaceFromTheUpperTriangle) {
  Systeme(S(), {{4, 2, 0}, {0, 5, 1}, {0, 0, 3}}, {8, 15, 11});
  ASSERT_TRUE(S().CalculDeplacements());
  EXPECT_EQ(1.0, S().F[1]);
  EXPECT_EQ(2.0, S().F[2]);
  EXPECT_EQ(3.0, S().F[3]);
  // The reduced upper triangle, its diagonal the pivots; the lower one untouched.
  EXPECT_EQ(4.0, S().K[1][1]);
  EXPECT_EQ(4.0, S().K[2][2]);
  EXPECT_EQ(2.75, S().K[3][3]);
  EXPECT_EQ(1.0, S().K[2][3]);
  EXPECT_EQ(1e300, S().K[2][1]);
  EXPECT_EQ(1e300, S().K[3][2]);
  EXPECT_EQ(LigneCalcul, Resultats());
}

TEST_F(Resolution, PivotTestIsAbsoluteAndAnEqualPivotPasses) {
  struct Cas {
    std::vector<std::vector<double>> k;
    const char* pivot;  // nullptr when the solution succeeds
  };
  const double sousSeuil = std::nextafter(1e-10, 0.0);
  const Cas cas[] = {
      {{{1e-10, 0}, {0, 1}}, nullptr},
      {{{1, 0}, {0, 1e-10}}, nullptr},
      {{{sousSeuil, 0}, {0, 1}}, " 1.00000000000000E-0010"},  // first pivot, before any step
      {{{1, 0}, {0, 1e-11}}, " 1.00000000000000E-0011"},      // last pivot, after the loop
      {{{-0.75, 0}, {0, 1}}, "-7.50000000000000E-0001"},
      {{{1, 1}, {0, 1}}, " 0.00000000000000E+0000"},
      // The reduced value is shown, not the assembled 0.5.
      {{{4, 2}, {0, 0.5}}, "-5.00000000000000E-0001"},
      {{{0}}, " 0.00000000000000E+0000"},  // one equation: only the last test
  };
  std::string attendu;
  for (const Cas& c : cas) {
    Systeme(S(), c.k, std::vector<double>(c.k.size(), 1.0));
    EXPECT_EQ(c.pivot == nullptr, S().CalculDeplacements()) << (c.pivot ? c.pivot : "passes");
    attendu += LigneCalcul;
    if (c.pivot != nullptr) {
      attendu += Message + c.pivot + "\r\n";
    }
  }
  EXPECT_EQ(attendu, Resultats());
}

TEST_F(Resolution, PivotMessageHandsOverItsFirstPieceAtOnce) {
  Systeme(S(), {{0}}, {1});
  EXPECT_FALSE(S().CalculDeplacements());
  EXPECT_EQ(LigneCalcul + "Le syst\xE8me est mal conditionn\xE9 : ", Resultats(false));
  EXPECT_EQ(LigneCalcul + Message + " 0.00000000000000E+0000\r\n", Resultats());
}

TEST_F(Resolution, RowsWithAZeroMultiplierAreStillReduced) {
  // m = -0 for row 2: F[2] = -0 - (-0 x 1) is a positive zero, and so is U2;
  // skipping the row would leave a negative zero, which the report would show.
  Systeme(S(), {{1, -0.0, 0}, {0, 1, 0}, {0, 0, 1}}, {1, -0.0, 0});
  ASSERT_TRUE(S().CalculDeplacements());
  EXPECT_EQ(1.0, S().F[1]);
  EXPECT_EQ(0.0, S().F[2]);
  EXPECT_FALSE(std::signbit(S().F[2]));
}

TEST_F(Resolution, BackSubstitutionSumsInIncreasingColumnOrder) {
  // Rows 2 to 4 reduce to the identity and U = (?, 1, 2^54, -2^54): row 1 sums
  // (0 + 1 + 2^54) - 2^54 = 0 in column order, 1 in any other.
  const double grand = std::ldexp(1.0, 54);
  Systeme(S(), {{1, 1, 1, 1}, {0, 2, 1, 1}, {0, 0, 2, 1}, {0, 0, 0, 2}}, {0, 1, grand, -grand});
  ASSERT_TRUE(S().CalculDeplacements());
  EXPECT_EQ(1.0, S().F[2]);
  EXPECT_EQ(grand, S().F[3]);
  EXPECT_EQ(-grand, S().F[4]);
  EXPECT_EQ(0.0, S().F[1]);
}

TEST_F(Resolution, OneElementModelPivotsAndDisplacements) {
  S().TypeProbleme = 1;
  TriangleUnite(1.0, 1.0, 0.0);
  Liaison(3, 1);
  Liaison(1, 3);
  Charge(2, 1, 2, 2.0, 0.0);  // 1 N at equations 1 and 3
  ASSERT_TRUE(S().AssemblageRigidite());
  S().AssemblageForces();
  S().MiseEnPlaceLiaisons();
  const double secondMembre[] = {0, 0, 1, 0, 0, 0};
  for (int i = 1; i <= 6; ++i) {
    ASSERT_EQ(secondMembre[i - 1], S().F[i]) << i;
  }
  ASSERT_TRUE(S().CalculDeplacements());
  const double pivots[] = {1, 1, 0.5, 0.25, 1, 0.5};
  const double deplacements[] = {0, 0, 2, 0, 0, 0};
  for (int i = 1; i <= 6; ++i) {
    EXPECT_EQ(pivots[i - 1], S().K[i][i]) << i;
    EXPECT_EQ(deplacements[i - 1], S().F[i]) << i;
  }
  EXPECT_EQ(
      "Assemblage de la matrice de rigidit\xE9\r\n"
      "Assemblage du vecteur force global\r\n"
      "Mise en place des liaisons\r\n"
      "Initialisation des actions de liaison\r\n" +
          LigneCalcul,
      Resultats());
}

TEST_F(Resolution, NodeInNoElementStopsOnAZeroPivot) {
  S().TypeProbleme = 1;
  TriangleUnite(1.0, 1.0, 0.0);
  Noeud(4, 5.0, 5.0);
  Liaison(3, 1);
  Liaison(1, 3);
  Charge(2, 1, 2, 2.0, 0.0);
  ASSERT_TRUE(S().AssemblageRigidite());
  S().AssemblageForces();
  S().MiseEnPlaceLiaisons();
  Resultats();
  EXPECT_FALSE(S().CalculDeplacements());
  const std::string texte = Resultats();
  EXPECT_EQ(LigneCalcul + Message + " 0.00000000000000E+0000\r\n",
            texte.substr(texte.find(LigneCalcul)));
}

TEST_F(Resolution, GeneratedModelsWithoutSupportsStopOnThePivotMessage) {
  // Soft materials keep the rounding left in the pivots of the rigid motions
  // far below the threshold.
  for (unsigned graine = 1; graine <= 40; ++graine) {
    TearDown();
    SetUp();
    std::mt19937 aleas(graine);
    ModeleAleatoire(aleas, false, 210.0);
    ASSERT_TRUE(S().AssemblageRigidite()) << graine;
    S().AssemblageForces();
    S().MiseEnPlaceLiaisons();
    Resultats();
    ASSERT_FALSE(S().CalculDeplacements()) << graine;
    const std::string texte = Resultats();
    const std::size_t debut = texte.find(LigneCalcul);
    ASSERT_NE(std::string::npos, debut) << graine;
    const std::string fin = texte.substr(debut + LigneCalcul.size());
    ASSERT_EQ(Message.size() + 23 + 2, fin.size()) << graine << ": " << fin;
    EXPECT_EQ(Message, fin.substr(0, Message.size())) << graine;
    EXPECT_EQ("\r\n", fin.substr(fin.size() - 2)) << graine;
    EXPECT_LT(std::stod(fin.substr(Message.size(), 23)), 1e-10) << graine << ": " << fin;
  }
}

}  // namespace
