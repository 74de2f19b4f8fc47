#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "tests/structure_en_memoire.hpp"

namespace {

using Reactions = StructureEnMemoire;

// The stages from the assembly to the reactions; the applied nodal forces are
// kept in `appliquees` before the supports clear them.
void Analyser(TStructure& s, Tableau<double, NbMaxDdl>& appliquees) {
  ASSERT_TRUE(s.AssemblageRigidite());
  s.AssemblageForces();
  appliquees = s.F;
  s.MiseEnPlaceLiaisons();
  ASSERT_TRUE(s.CalculDeplacements());
  s.CalculActionsLiaison();
}

TEST_F(Reactions, OneElementModel) {
  S().TypeProbleme = 1;
  TriangleUnite(1.0, 1.0, 0.0);
  const TLiaison& rotule = Liaison(3, 1);
  const TLiaison& appui = Liaison(1, 3);
  Charge(2, 1, 2, 2.0, 0.0);
  Tableau<double, NbMaxDdl> appliquees;
  Analyser(S(), appliquees);
  EXPECT_EQ(-2.0, rotule.Rx);
  EXPECT_EQ(0.0, rotule.Ry);
  EXPECT_EQ(0.0, appui.Rx);
  EXPECT_EQ(0.0, appui.Ry);
  const std::string texte = Resultats();
  const std::string fin =
      "Calcul des d\xE9placements inconnus\r\nCalcul des actions de liaison\r\n";
  EXPECT_EQ(fin, texte.substr(texte.size() - fin.size()));
}

TEST_F(Reactions, TwoElementModel) {
  S().TypeProbleme = 1;
  Noeud(1, 0.0, 0.0);
  Noeud(2, 100.0, 0.0);
  Noeud(3, 100.0, 50.0);
  Noeud(4, 0.0, 50.0);
  Element(1, 2, 3, 10.0, 210000.0, 0.3);
  Element(1, 3, 4, 10.0, 210000.0, 0.3);
  const TLiaison& rotule = Liaison(3, 1);
  const TLiaison& appui = Liaison(1, 4);
  Charge(2, 2, 3, 20.0, 0.0);
  Charge(1, 2, 0, 0.0, -0.05);
  Tableau<double, NbMaxDdl> appliquees;
  Analyser(S(), appliquees);
  EXPECT_NEAR(333.33, rotule.Rx, 0.005);
  EXPECT_NEAR(1250.0, rotule.Ry, 0.005);
  EXPECT_NEAR(-1333.33, appui.Rx, 0.005);
  EXPECT_NEAR(-416.67, appui.Ry, 0.005);  // free: the load on its equation
}

TEST_F(Reactions, SupportsSharingANodeOrNoElement) {
  S().TypeProbleme = 2;
  TriangleUnite(1.0, 1.0, 0.2);
  Noeud(4, 3.0, 3.0);  // in no element
  const TLiaison& rotule = Liaison(3, 1);
  const TLiaison& doublon = Liaison(3, 1);
  const TLiaison& appui = Liaison(2, 2);
  const TLiaison& isole = Liaison(3, 4);
  const TLiaison& sansCode = Liaison(4, 3);
  Charge(2, 1, 4, 0.0, -1.0);
  Charge(2, 2, 3, 2.0, 1.0);
  Tableau<double, NbMaxDdl> appliquees;
  Analyser(S(), appliquees);
  // Only the first support at node 1 started from the loads there.
  EXPECT_NEAR(rotule.Rx + appliquees[1], doublon.Rx, 1e-12);
  EXPECT_NEAR(rotule.Ry + appliquees[2], doublon.Ry, 1e-12);
  // No element at node 4: the start values stay.
  EXPECT_EQ(-appliquees[7], isole.Rx);
  EXPECT_EQ(-appliquees[8], isole.Ry);
  // Free components end as the applied force at their equation.
  EXPECT_NEAR(appliquees[3], appui.Rx, 1e-12);
  EXPECT_NEAR(appliquees[5], sansCode.Rx, 1e-12);
  EXPECT_NEAR(appliquees[6], sansCode.Ry, 1e-12);
  // Equilibrium, each blocked equation counted once.
  const double sommeX =
      rotule.Rx + isole.Rx + appliquees[1] + appliquees[3] + appliquees[5] + appliquees[7];
  const double sommeY = rotule.Ry + appui.Ry + isole.Ry + appliquees[2] + appliquees[4] +
                        appliquees[6] + appliquees[8];
  EXPECT_NEAR(0.0, sommeX, 1e-12);
  EXPECT_NEAR(0.0, sommeY, 1e-12);
}

TEST_F(Reactions, GeneratedStableModelsBalanceTheLoads) {
  for (unsigned graine = 1; graine <= 60; ++graine) {
    TearDown();
    SetUp();
    std::mt19937 aleas(graine);
    ModeleAleatoire(aleas, true);
    const std::string quoi = "seed " + std::to_string(graine) + ", type " +
                             std::to_string(S().TypeProbleme) + ", " +
                             std::to_string(S().NbNoeuds) + " nodes, " +
                             std::to_string(S().Elements.Nombre) + " elements";
    Tableau<double, NbMaxDdl> appliquees;
    Analyser(S(), appliquees);
    ASSERT_FALSE(HasFatalFailure()) << quoi;

    double somme[2] = {0.0, 0.0};
    double echelle = 0.0;
    for (int i = 1; i <= S().NbDdl; ++i) {
      somme[(i - 1) % 2] += appliquees[i];
      echelle += std::fabs(appliquees[i]);
    }
    for (int s = 1; s <= S().NbLiaisons; ++s) {
      const TLiaison& liaison = *S().Liaisons.Liste[s];
      std::int32_t a = 0;
      std::int32_t b = 0;
      S().DdlNoeud(liaison.Noeud, a, b);
      const bool bloqueX = liaison.TypeLiaison == 1 || liaison.TypeLiaison == 3;
      const bool bloqueY = liaison.TypeLiaison == 2 || liaison.TypeLiaison == 3;
      if (bloqueX) {
        somme[0] += liaison.Rx;
        echelle += std::fabs(liaison.Rx);
        EXPECT_EQ(0.0, S().F[a]) << quoi;
      }
      if (bloqueY) {
        somme[1] += liaison.Ry;
        echelle += std::fabs(liaison.Ry);
        EXPECT_EQ(0.0, S().F[b]) << quoi;
      }
      // A free component sums the element forces: the applied force there.
      const double tolerance = 1e-9 * (1.0 + echelle);
      if (!bloqueX) {
        EXPECT_NEAR(appliquees[a], liaison.Rx, tolerance) << quoi << ", support " << s;
      }
      if (!bloqueY) {
        EXPECT_NEAR(appliquees[b], liaison.Ry, tolerance) << quoi << ", support " << s;
      }
    }
    EXPECT_NEAR(0.0, somme[0], 1e-10 * (1.0 + echelle)) << quoi << ", along x";
    EXPECT_NEAR(0.0, somme[1], 1e-10 * (1.0 + echelle)) << quoi << ", along y";
  }
}

}  // namespace
