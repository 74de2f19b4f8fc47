// The global equations: where element terms land, the solution with its
// pivot test, the worked models from the nodal loads to the reactions, and
// equilibrium of random meshes.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "element/triangle.hpp"
#include "solver/resolution.hpp"
#include "tests/structure_en_memoire.hpp"

namespace {

using Equations = StructureEnMemoire;

const std::string LigneCalcul = "Calcul des d\xE9placements inconnus\r\n";
const std::string DebutPivot = "Le syst\xE8me est mal conditionn\xE9 : ";
const std::string Pivot = DebutPivot + "pivot n\xE9gatif ou nul = ";

// The stages from the assembly to the reactions; the nodal forces are kept
// in `appliquees` before the supports clear them.
void Analyser(TStructure& s, Tableau<double, NbMaxDdl>& appliquees) {
  ASSERT_TRUE(s.AssemblageRigidite());
  s.AssemblageForces();
  appliquees = s.F;
  s.MiseEnPlaceLiaisons();
  ASSERT_TRUE(s.CalculDeplacements());
  s.CalculActionsLiaison();
}

// The unit triangle on nodes 3, 1, 2: its terms land at equations 5, 6, 1,
// 2, 3, 4.
TEST_F(Equations, VerticesThreeOneTwoLandAtTheirEquations) {
  S().TypeProbleme = 1;
  Noeuds(1, {{1.0, 0.0}, {0.0, 1.0}, {0.0, 0.0}});
  const TElement& element = Element(3, 1, 2, 2.0, 3.0, 0.2);
  ASSERT_TRUE(S().AssemblageRigidite());
  TMatrice66 ke;
  ASSERT_TRUE(RigiditeElement(element, ke));
  EXPECT_EQ(6, S().NbDdl);
  EXPECT_EQ(ke[1][1], S().K[5][5]);
  EXPECT_EQ(ke[1][3], S().K[5][1]);
  EXPECT_EQ(ke[4][2], S().K[2][6]);
}

// K U = F given by its upper triangle; the lower one holds a value that would
// spoil every result if it were read.
TEST_F(Equations, EliminationOnTheUpperTriangleAndThePivotTest) {
  const double grand = std::ldexp(1.0, 54), sousSeuil = std::nextafter(1e-10, 0.0);
  struct Cas {
    std::vector<std::vector<double>> k;
    std::vector<double> f, u;
    const char* pivot;  // nullptr when the solution succeeds
  } const cas[] = {
      {{{4, 2, 0}, {0, 5, 1}, {0, 0, 3}}, {8, 15, 11}, {1, 2, 3}, nullptr},
      // A zero multiplier still reduces its row: U2 = -0 - (-0 x 1) = +0.
      {{{1, -0.0, 0}, {0, 1, 0}, {0, 0, 1}}, {1, -0.0, 0}, {1, 0, 0}, nullptr},
      // Row 1 sums (0 + 1 + 2^54) - 2^54 = 0 in column order, 1 in any other.
      {{{1, 1, 1, 1}, {0, 2, 1, 1}, {0, 0, 2, 1}, {0, 0, 0, 2}},
       {0, 1, grand, -grand},
       {0, 1, grand, -grand},
       nullptr},
      {{{1e-10, 0}, {0, 1}}, {1e-10, 1}, {1, 1}, nullptr},  // an equal pivot passes
      {{{1, 0}, {0, 1e-10}}, {1, 1e-10}, {1, 1}, nullptr},
      {{{sousSeuil, 0}, {0, 1}}, {1, 1}, {}, " 1.00000000000000E-0010"},  // before any step
      {{{1, 0}, {0, 1e-11}}, {1, 1}, {}, " 1.00000000000000E-0011"},      // after the loop
      {{{-0.75, 0}, {0, 1}}, {1, 1}, {}, "-7.50000000000000E-0001"},
      {{{1, 1}, {0, 1}}, {1, 1}, {}, " 0.00000000000000E+0000"},
      {{{4, 2}, {0, 0.5}}, {1, 1}, {}, "-5.00000000000000E-0001"},  // reduced, not 0.5
      {{{0}}, {1}, {}, " 0.00000000000000E+0000"}};
  std::string attendu;
  for (const Cas& c : cas) {
    S().NbDdl = static_cast<int>(c.f.size());
    for (int i = 1; i <= S().NbDdl; ++i) {
      S().F[i] = c.f[i - 1];
      for (int j = 1; j <= S().NbDdl; ++j) {
        S().K[i][j] = j >= i ? c.k[i - 1][j - 1] : 1e300;
      }
    }
    EXPECT_EQ(c.pivot == nullptr, S().CalculDeplacements()) << (c.pivot ? c.pivot : "");
    attendu += LigneCalcul;
    for (std::size_t i = 0; i < c.u.size(); ++i) {
      EXPECT_TRUE(c.u[i] == S().F[i + 1] && std::signbit(c.u[i]) == std::signbit(S().F[i + 1]))
          << "U" << i + 1 << " = " << S().F[i + 1];
    }
    if (c.pivot != nullptr) {
      EXPECT_EQ(attendu + DebutPivot, Resultats(false));  // handed over at once
      attendu += Pivot + c.pivot + "\r\n";
    }
    EXPECT_EQ(attendu, Resultats());
  }
}

// Plane stress, a hinge at node 1 and u = 0 at the last node; the models as
// in a data file: the nodes "x y", the elements "a b c thickness E nu" and
// the loads "type n1 n2 fx fy", each list after its count. The third is the
// unit triangle scaled by 10 under the lumped load examples, an edge load
// along the global axes and loads that add nothing (an edge of length zero,
// ignored types).
TEST_F(Equations, WorkedModelsFromTheNodalLoadsToTheReactions) {
  struct Modele {
    const char* donnees;
    std::vector<double> forces, pivots, deplacements;
    std::vector<double> reactions;  // Rx, Ry at node 1, Rx, Ry (free) at the last node
  } const modeles[] = {
      // clang-format off
      {"3 0 0 1 0 0 1  1 1 2 3 1 1 0  1 2 1 2 2 0",
       {1, 0, 1, 0, 0, 0}, {1, 1, 0.5, 0.25, 1, 0.5}, {0, 0, 2, 0, 0, 0}, {-2, 0, 0, 0}},
      {"4 0 0 100 0 100 50 0 50  2 1 2 3 10 210000 0.3 1 3 4 10 210000 0.3  "
       "2 2 2 3 20 0 1 2 0 0 -0.05",
       {0, -416.66666666666674, 500, 0, 500, -416.66666666666674, 0, -416.66666666666674}, {}, {},
       {1000.0 / 3, 1250, -4000.0 / 3, -1250.0 / 3}},
      {"3 0 0 10 0 0 10  1 1 2 3 2 1 0  "
       "6 1 1 0 0 -0.006 2 1 2 0 -1 2 2 3 1 2 2 3 3 5 5 0 1 2 5 5 255 1 2 5 5",
       {0, -5.2, 7.0710678118654755, 8.942135623730951, 7.0710678118654755, 13.942135623730952},
       {}, {}, {-16.013203435596427, -17.684271247461904, 1.8710678118654755, 13.942135623730952}}};
  // clang-format on
  for (const Modele& m : modeles) {
    TearDown();
    SetUp();
    S().TypeProbleme = 1;
    std::istringstream donnees(m.donnees);
    int nombre = 0, a = 0, b = 0, c = 0;
    double x = 0.0, y = 0.0, z = 0.0;
    for (donnees >> nombre; nombre-- > 0 && donnees >> x >> y;) {
      Noeuds(S().NbNoeuds + 1, {{x, y}});
    }
    for (donnees >> nombre; nombre-- > 0 && donnees >> a >> b >> c >> x >> y >> z;) {
      Element(a, b, c, x, y, z);
    }
    for (donnees >> nombre; nombre-- > 0 && donnees >> a >> b >> c >> x >> y;) {
      Charge(static_cast<std::uint8_t>(a), b, c, x, y);
    }
    const TLiaison& rotule = Liaison(3, 1);
    const TLiaison& appui = Liaison(1, S().NbNoeuds);
    Tableau<double, NbMaxDdl> appliquees;
    Analyser(S(), appliquees);
    const auto forces = appliquees.Tranche(1, static_cast<int>(m.forces.size()));
    EXPECT_EQ(m.forces, std::vector<double>(forces.begin(), forces.end()));
    for (std::size_t i = 0; i < m.pivots.size(); ++i) {
      const int ddl = static_cast<int>(i) + 1;
      EXPECT_EQ(m.pivots[i], S().K[ddl][ddl]) << "pivot " << ddl;
      EXPECT_EQ(m.deplacements[i], S().F[ddl]) << "U" << ddl;
    }
    const double valeur[] = {rotule.Rx, rotule.Ry, appui.Rx, appui.Ry};
    for (int k = 0; k < 4; ++k) {
      EXPECT_NEAR(m.reactions[k], valeur[k], 1e-9 * (1 + std::fabs(m.reactions[k]))) << k;
    }
  }
}

// Stable meshes: for each direction the reactions of the supports that block
// it, plus the applied nodal forces, sum to zero; a free component ends as
// the applied force at its equation, a blocked one with a zero displacement.
// Without supports, and of soft materials that keep the rounding left in the
// pivots of the rigid motions far below the threshold, they stop on the
// pivot message.
TEST_F(Equations, RandomMeshesBalanceTheirLoadsOrStopWithoutSupports) {
  for (unsigned graine = 1; graine <= 60; ++graine) {
    TearDown();
    SetUp();
    std::mt19937 aleas(graine);
    ModeleAleatoire(aleas, true);
    Tableau<double, NbMaxDdl> appliquees;
    Analyser(S(), appliquees);
    ASSERT_FALSE(HasFatalFailure()) << "seed " << graine;
    double somme[2] = {}, echelle = 0.0;
    for (int i = 1; i <= S().NbDdl; ++i) {
      somme[(i - 1) % 2] += appliquees[i];
      echelle += std::fabs(appliquees[i]);
    }
    for (int s = 1; s <= S().NbLiaisons; ++s) {
      const TLiaison& l = S().LiaisonEn(s);
      const double r[2] = {l.Rx, l.Ry};
      for (int d = 0; d < 2; ++d) {
        const int equation = 2 * l.Noeud - 1 + d;
        if (l.TypeLiaison == 3 || l.TypeLiaison == d + 1) {
          somme[d] += r[d];
          echelle += std::fabs(r[d]);
          EXPECT_EQ(0.0, S().F[equation]) << "seed " << graine << ", equation " << equation;
        } else {
          EXPECT_NEAR(appliquees[equation], r[d], 1e-9 * (1.0 + echelle))
              << "seed " << graine << ", support " << s << ", direction " << d;
        }
      }
    }
    EXPECT_NEAR(0.0, somme[0], 1e-10 * (1.0 + echelle)) << "seed " << graine << ", along x";
    EXPECT_NEAR(0.0, somme[1], 1e-10 * (1.0 + echelle)) << "seed " << graine << ", along y";

    TearDown();
    SetUp();
    ModeleAleatoire(aleas, false, 210.0);
    ASSERT_TRUE(S().AssemblageRigidite()) << graine;
    S().AssemblageForces();
    S().MiseEnPlaceLiaisons();
    const std::size_t debut = Resultats().size();
    ASSERT_FALSE(S().CalculDeplacements()) << graine;
    const std::string message = Resultats().substr(debut);
    ASSERT_EQ(LigneCalcul.size() + Pivot.size() + 25, message.size()) << graine << ": " << message;
    EXPECT_EQ(LigneCalcul + Pivot, message.substr(0, message.size() - 25)) << graine;
    EXPECT_EQ("\r\n", message.substr(message.size() - 2)) << graine;
    EXPECT_LT(std::stod(message.substr(message.size() - 25, 23)), 1e-10) << message;
  }
}

// A route of the row update against the scalar loop, bit for bit: rows of
// every length from every alignment, special values among random ones.
void ReductionCommeLaBoucle(TReduction reduire) {
  using Limites = std::numeric_limits<double>;
  const double speciaux[] = {0.0,
                             -0.0,
                             1.0,
                             -1.0,
                             0.1,
                             3.0,
                             Limites::max(),
                             -Limites::infinity(),
                             1e-310,
                             Limites::denorm_min(),
                             Limites::quiet_NaN()};
  std::mt19937_64 aleas(11);
  const auto tirage = [&] {
    const double v =
        std::ldexp(static_cast<double>(aleas() >> 11), static_cast<int>(aleas() % 80) - 100);
    return aleas() % 4 == 0 ? speciaux[aleas() % std::size(speciaux)] : aleas() % 2 ? v : -v;
  };
  for (int essai = 0; essai < 3000; ++essai) {
    const std::size_t nombre = aleas() % 203, decalage = aleas() % 4;
    std::vector<double> ligne(nombre + decalage), pivot(nombre + decalage);
    for (std::size_t j = 0; j < ligne.size(); ++j) {
      ligne[j] = tirage();
      pivot[j] = tirage();
    }
    const double m = tirage();
    std::vector<double> attendu = ligne;
    for (std::size_t j = decalage; j < attendu.size(); ++j) {
      attendu[j] = attendu[j] - m * pivot[j];
    }
    reduire(ligne.data() + decalage, pivot.data() + decalage, nombre, m);
    for (std::size_t j = 0; j < ligne.size(); ++j) {
      ASSERT_EQ(std::bit_cast<std::uint64_t>(attendu[j]), std::bit_cast<std::uint64_t>(ligne[j]))
          << "try " << essai << ", entry " << j << " of " << nombre << " from " << decalage;
    }
  }
}

TEST(Reduction, Sse2RouteGivesTheScalarLoopsBits) {
  ReductionCommeLaBoucle(ReductionSse2());
}

TEST(Reduction, AvxRouteGivesTheScalarLoopsBits) {
  if (ReductionAvx() == nullptr) {
    GTEST_SKIP() << "this processor has no AVX";
  }
  ReductionCommeLaBoucle(ReductionAvx());
}

}  // namespace
