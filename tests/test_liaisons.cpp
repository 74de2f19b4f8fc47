#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "tests/structure_en_memoire.hpp"

namespace {

using Liaisons = StructureEnMemoire;

const std::string Lignes =
    "Mise en place des liaisons\r\nInitialisation des actions de liaison\r\n";

// Three nodes, a full symmetric pattern in K and distinct forces in F.
void Systeme(TStructure& s) {
  s.NbNoeuds = 3;
  s.NbDdl = 6;
  for (int i = 1; i <= 7; ++i) {
    s.F[i] = 10.0 * i;
    for (int j = 1; j <= 7; ++j) {
      s.K[i][j] = i == j ? 100.0 : i + j;
    }
  }
}

// K and F as the supports leave them: the equations in `bloquees` have a zero
// row and column, a unit diagonal and zero force; everything else is untouched.
void VerifierBlocage(TStructure& s, const std::set<int>& bloquees, const std::string& quoi) {
  for (int i = 1; i <= 7; ++i) {
    const bool bi = bloquees.count(i) > 0;
    EXPECT_EQ(bi ? 0.0 : 10.0 * i, s.F[i]) << quoi << " F" << i;
    for (int j = 1; j <= 7; ++j) {
      const bool bj = bloquees.count(j) > 0;
      const double avant = i == j ? 100.0 : i + j;
      const double attendu = i == j && bi ? 1.0 : (bi || bj) && i <= 6 && j <= 6 ? 0.0 : avant;
      EXPECT_EQ(attendu, s.K[i][j]) << quoi << " K" << i << "," << j;
    }
  }
}

TEST_F(Liaisons, EachCodeBlocksItsEquationsAndStartsItsReactions) {
  struct Cas {
    std::uint8_t type;
    std::set<int> bloquees;
    double rx, ry;
  };
  // At node 2: equations 3 (x) and 4 (y), forces 30 and 40.
  const Cas cas[] = {
      {1, {3}, -30.0, 0.0}, {2, {4}, 0.0, -40.0}, {3, {3, 4}, -30.0, -40.0},
      {0, {}, 0.0, 0.0},    {4, {}, 0.0, 0.0},    {255, {}, 0.0, 0.0},
  };
  for (const Cas& c : cas) {
    Systeme(S());
    S().Liaisons.Detruire();
    S().Liaisons.Nombre = 0;
    TLiaison& liaison = Liaison(c.type, 2);
    S().MiseEnPlaceLiaisons();
    const std::string quoi = "code " + std::to_string(c.type);
    EXPECT_EQ(c.rx, liaison.Rx) << quoi;
    EXPECT_EQ(c.ry, liaison.Ry) << quoi;
    VerifierBlocage(S(), c.bloquees, quoi);
  }
}

TEST_F(Liaisons, HingeReadsBothForcesBeforeBlocking) {
  Systeme(S());
  const TLiaison& rotule = Liaison(3, 1);
  const TLiaison& libre = Liaison(1, 3);  // F[5] = 50
  S().MiseEnPlaceLiaisons();
  EXPECT_EQ(-10.0, rotule.Rx);
  EXPECT_EQ(-20.0, rotule.Ry);
  EXPECT_EQ(-50.0, libre.Rx);
  EXPECT_EQ(0.0, libre.Ry);
  VerifierBlocage(S(), {1, 2, 5}, "hinge");
  EXPECT_EQ(Lignes, Resultats());
}

TEST_F(Liaisons, UnloadedNodeStartsAtZero) {
  Systeme(S());
  S().F[3] = 0.0;
  S().F[4] = 0.0;
  const TLiaison& rotule = Liaison(3, 2);
  S().MiseEnPlaceLiaisons();
  EXPECT_EQ(0.0, rotule.Rx);
  EXPECT_EQ(0.0, rotule.Ry);
}

TEST_F(Liaisons, SecondSupportOnAnEquationStartsFromZero) {
  Systeme(S());
  const TLiaison& premiere = Liaison(1, 2);
  const TLiaison& seconde = Liaison(3, 2);
  S().MiseEnPlaceLiaisons();
  EXPECT_EQ(-30.0, premiere.Rx);
  EXPECT_EQ(0.0, premiere.Ry);
  EXPECT_EQ(0.0, seconde.Rx);  // F[3] already cleared by the first
  EXPECT_EQ(-40.0, seconde.Ry);
  VerifierBlocage(S(), {3, 4}, "twice");
}

TEST_F(Liaisons, CodesOneAndTwoAtOneNodeActAsAHinge) {
  Systeme(S());
  const TLiaison& u = Liaison(1, 3);
  const TLiaison& v = Liaison(2, 3);
  S().MiseEnPlaceLiaisons();
  EXPECT_EQ(-50.0, u.Rx);
  EXPECT_EQ(0.0, u.Ry);
  EXPECT_EQ(0.0, v.Rx);
  EXPECT_EQ(-60.0, v.Ry);
  VerifierBlocage(S(), {5, 6}, "u then v");
}

TEST_F(Liaisons, NodeBeyondTheTableIsRangeCheckError) {
  Systeme(S());
  Liaison(3, 101);
  EXPECT_THROW(S().MiseEnPlaceLiaisons(), ErreurExecution);
}

}  // namespace
