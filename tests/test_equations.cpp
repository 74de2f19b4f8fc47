// The global equations through the stages themselves, on models built in
// memory: the elimination with its pivot test, the row update, the patch test
// and the reactions balancing the loads of random meshes.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numeric>
#include <random>

#include "element/triangle.hpp"
#include "solver/resolution.hpp"
#include "tests/donnees_communes.hpp"

namespace {

// A structure of its own as the current one, its results file in a
// temporary file, and no floating-point fault.
struct Modele {
  std::unique_ptr<TStructure> s = std::make_unique<TStructure>();
  const std::filesystem::path chemin = donnees::Temporaire();
  Modele() {
    Structure = s.get();
    EXPECT_TRUE(s->Resultats.Creer(chemin.string()));
    std::feclearexcept(FE_ALL_EXCEPT);
  }
  ~Modele() {
    EXPECT_EQ(0, std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID)) << "fault";
    s->Abandonner();
    Structure = nullptr;
    std::filesystem::remove(chemin);
  }
  std::string Resultats() const {
    TFichierTexte::Synchroniser();
    return donnees::Contenu(chemin);
  }
};

// K U = F given by its upper triangle, row by row; the lower one, never to
// be read, holds a value that would spoil every result.
TEST(Equations, EliminationOnTheUpperTriangleAndThePivotTest) {
  const Modele m;
  TStructure& S = *m.s;
  const double g = std::ldexp(1.0, 54), sousSeuil = std::nextafter(1e-10, 0.0);
  const struct {
    std::vector<double> k, f, u;
    const char* pivot;  // nullptr when the solution succeeds
  } cas[] = {{{4, 2, 0, 5, 1, 3}, {8, 15, 11}, {1, 2, 3}, nullptr},
             // A zero multiplier still reduces its row: U2 = -0 - (-0 x 1) = +0.
             {{1, -0.0, 0, 1, 0, 1}, {1, -0.0, 0}, {1, 0, 0}, nullptr},
             // Row 1 sums (0 + 1 + 2^54) - 2^54 = 0 in column order, 1 in any other.
             {{1, 1, 1, 1, 2, 1, 1, 2, 1, 2}, {0, 1, g, -g}, {0, 1, g, -g}, nullptr},
             {{1e-10, 0, 1}, {1e-10, 1}, {1, 1}, nullptr},  // an equal pivot passes
             {{1, 0, 1e-10}, {1, 1e-10}, {1, 1}, nullptr},
             {{sousSeuil, 0, 1}, {1, 1}, {}, " 1.00000000000000E-0010"},  // before any step
             {{1, 0, 1e-11}, {1, 1}, {}, " 1.00000000000000E-0011"},      // after the loop
             {{-0.75, 0, 1}, {1, 1}, {}, "-7.50000000000000E-0001"},
             {{1, 1, 1}, {1, 1}, {}, " 0.00000000000000E+0000"},
             {{4, 2, 0.5}, {1, 1}, {}, "-5.00000000000000E-0001"},  // reduced, not 0.5
             {{0}, {1}, {}, " 0.00000000000000E+0000"}};
  const std::string debut = "Le syst\xE8me est mal conditionn\xE9 : ";
  std::string attendu;
  for (const auto& c : cas) {
    S.NbDdl = static_cast<int>(c.f.size());
    for (int i = 1, p = 0; i <= S.NbDdl; ++i) {
      S.F[i] = c.f[i - 1];
      for (int j = 1; j <= S.NbDdl; ++j)
        S.K[i][j] = j >= i ? c.k[p++] : 1e300;
    }
    EXPECT_EQ(c.pivot == nullptr, S.CalculDeplacements()) << (c.pivot ? c.pivot : "");
    attendu += "Calcul des d\xE9placements inconnus\r\n";
    for (std::size_t i = 0; i < c.u.size(); ++i)
      EXPECT_EQ(std::bit_cast<std::uint64_t>(c.u[i]), std::bit_cast<std::uint64_t>(S.F[i + 1]))
          << "U" << i + 1 << " = " << S.F[i + 1];
    if (c.pivot != nullptr) {
      EXPECT_EQ(attendu + debut, m.Resultats());  // handed over before the value is formed
      attendu += debut + "pivot n\xE9gatif ou nul = " + c.pivot + "\r\n";
    }
    Vider(S.Resultats);
    EXPECT_EQ(attendu, m.Resultats());
  }
}

// Each route of the row update against the scalar loop, bit for bit: rows
// of every length from every alignment, special values among random ones.
TEST(Reduction, SseAndAvxRoutesGiveTheScalarLoopsBits) {
  using L = std::numeric_limits<double>;
  const double speciaux[] = {
      0, -0.0, 1, -1, 0.1, 3, L::max(), -L::infinity(), 1e-310, L::denorm_min(), L::quiet_NaN()};
  std::mt19937_64 aleas(11);
  const auto tirage = [&] {
    const double v = std::ldexp(static_cast<double>(aleas() >> 11), int(aleas() % 80) - 100);
    return aleas() % 4 == 0 ? speciaux[aleas() % std::size(speciaux)] : aleas() % 2 ? v : -v;
  };
  for (const TReduction reduire : {ReductionSse2(), ReductionAvx()}) {
    for (int essai = 0; essai < 3000 && reduire != nullptr; ++essai) {
      const std::size_t nombre = aleas() % 203, decalage = aleas() % 4;
      std::vector<double> ligne(nombre + decalage), pivot(nombre + decalage);
      std::generate(ligne.begin(), ligne.end(), tirage);
      std::generate(pivot.begin(), pivot.end(), tirage);
      const double m = tirage();
      std::vector<double> attendu = ligne;
      for (std::size_t j = decalage; j < attendu.size(); ++j)
        attendu[j] = attendu[j] - m * pivot[j];
      reduire(ligne.data() + decalage, pivot.data() + decalage, nombre, m);
      ASSERT_EQ(0, std::memcmp(attendu.data(), ligne.data(), ligne.size() * sizeof(double)))
          << "try " << essai << ", from " << decalage;
    }
  }
}

// Patches of cells cut along random diagonals, nodes numbered at random and
// moved off the grid, each triangle's first vertex at random, held by a hinge
// at (0, 0) and v = 0 at (lx, 0). Under the edge loads t s.n of a uniform
// stress, every element gives back that stress and Hooke's strains, every
// node u = exx x + gxy y, v = eyy y. Under loads of every type, with other
// supports and materials, the blocked reactions balance the loads as given,
// forces and moment; a free component ends as the nodal force.
TEST(Equations, PatchTestAndEquilibriumOfRandomMeshes) {
  for (unsigned cas = 0; cas < 80; ++cas) {
    const Modele m;
    TStructure& S = *m.s;
    std::mt19937 aleas(cas);
    std::uniform_real_distribution<double> u01;
    const auto reel = [&](double a, double b) { return a + (b - a) * u01(aleas); };
    const auto entier = [&](int a, int b) { return a + static_cast<int>(aleas() % (b - a + 1u)); };
    const bool patch = cas % 2 == 0;
    S.TypeProbleme = 1 + static_cast<int>(cas / 2 % 2);
    const int nx = entier(2, 8), ny = entier(2, patch ? 10 - nx : std::min(9, 49 / nx));
    const double lx = reel(1, 1000), ly = lx * reel(0.5, 2), t = reel(0.1, 10);
    const double e = reel(1000, 210000), nu = reel(0, 0.45);
    std::vector<int> numero(static_cast<std::size_t>((nx + 1) * (ny + 1)));
    std::iota(numero.begin(), numero.end(), 1);
    std::shuffle(numero.begin(), numero.end(), aleas);
    const auto noeud = [&](int i, int j) { return numero[i + (nx + 1) * j]; };
    S.NbNoeuds = static_cast<int>(numero.size());
    for (int k = 0; k < S.NbNoeuds; ++k) {
      const int i = k % (nx + 1), j = k / (nx + 1);
      const double dx = i % nx == 0 ? 0 : reel(-0.2, 0.2), dy = j % ny == 0 ? 0 : reel(-0.2, 0.2);
      S.Noeuds[noeud(i, j)] = {(i + dx) * lx / nx, (j + dy) * ly / ny};
    }
    for (int k = 0; k < nx * ny; ++k) {
      const int a = k % nx + (nx + 1) * (k / nx), b = a + 1, c = b + nx + 1, d = c - 1;
      const bool ac = aleas() % 2 == 0;
      for (const auto& sommets : {ac ? std::array{a, b, c} : std::array{a, b, d},
                                  ac ? std::array{a, c, d} : std::array{b, c, d}}) {
        const int r = entier(0, 2);
        auto& element = S.Elements.Liste[++S.Elements.Nombre];
        element = std::make_unique<TElement>(
            patch ? TElement{{}, t, e, nu}
                  : TElement{{}, reel(1, 10), reel(1000, 210000), reel(0, 0.45)});
        for (int v = 1; v <= 3; ++v)
          element->Sommets[v] = numero[sommets[(r + v) % 3]];
      }
    }
    const auto Liaison = [&](int type, int n) {
      S.Liaisons.Liste[S.NbLiaisons = ++S.Liaisons.Nombre] =
          std::make_unique<TLiaison>(TLiaison{static_cast<std::uint8_t>(type), n});
    };
    Liaison(3, noeud(0, 0));
    Liaison(2, noeud(nx, 0));
    const auto Charger = [&](int type, int n1, int n2, double fx, double fy) {
      S.Charges.Liste[S.NbCharges = ++S.Charges.Nombre] =
          std::make_unique<TCharge>(TCharge{static_cast<std::uint8_t>(type), n1, n2, fx, fy});
    };
    const double sxx = reel(-100, 100), syy = reel(-100, 100), sxy = reel(-100, 100);
    if (patch) {  // the boundary counter-clockwise from (0, 0)
      for (int k = 0, i = 0, j = 0; k < 2 * (nx + ny); ++k) {
        const int a = noeud(i, j);
        k < nx ? ++i : k < nx + ny ? ++j : k < 2 * nx + ny ? --i : --j;
        const TPoint &p = S.Noeuds[a], &q = S.Noeuds[noeud(i, j)];
        const double l = std::hypot(q.x - p.x, q.y - p.y), cx = (q.y - p.y) / l;
        const double cy = (p.x - q.x) / l;
        Charger(2, a, noeud(i, j), t * (sxx * cx + sxy * cy), t * (sxy * cx + syy * cy));
      }
    } else {
      for (int k = entier(0, std::min(18, S.NbNoeuds - 2)); k > 0; --k)
        Liaison(entier(0, 4), numero[k < nx ? k : k + 1]);
      for (int k = entier(1, NbMaxCharges); k > 0; --k) {
        const int type = entier(1, 3), n2 = entier(1, S.NbNoeuds);
        const int n1 = entier(1, type == 1 ? S.Elements.Nombre : S.NbNoeuds);
        const double f = type == 1 ? 0.1 : 50, fx = reel(-f, f), fy = reel(-f, f);
        Charger(type == 3 ? entier(3, 255) : type, n1, n2, fx, fy);
      }
    }
    ASSERT_TRUE(S.AssemblageRigidite());
    S.AssemblageForces();
    const Tableau<double, NbMaxDdl> forces = S.F;
    S.MiseEnPlaceLiaisons();
    ASSERT_TRUE(S.CalculDeplacements());
    S.CalculActionsLiaison();
    double bilan[3] = {}, echelle = 0;  // resultant and moment about the origin
    const auto Cumuler = [&](TPoint p, double fx, double fy) {
      bilan[0] += fx;
      bilan[1] += fy;
      bilan[2] += p.x * fy - p.y * fx;
      echelle += (std::fabs(fx) + std::fabs(fy)) * (1 + std::fabs(p.x) + std::fabs(p.y));
    };
    for (int n = 1; n <= S.NbNoeuds; ++n)
      Cumuler(S.Noeuds[n], forces[2 * n - 1], forces[2 * n]);
    for (int s = 1; s <= S.NbLiaisons; ++s) {
      const TLiaison& l = S.LiaisonEn(s);
      for (int d = 0; d < 2; ++d) {
        const int equation = 2 * l.Noeud - 1 + d;
        const double r = d == 0 ? l.Rx : l.Ry;
        if (l.TypeLiaison == 3 || l.TypeLiaison == d + 1) {
          Cumuler(S.Noeuds[l.Noeud], d == 0 ? r : 0, d == 1 ? r : 0);
          EXPECT_EQ(0.0, S.F[equation]) << "case " << cas << ", equation " << equation;
        } else {
          EXPECT_NEAR(forces[equation], r, 1e-9 * (1 + echelle)) << cas << ", support " << s;
        }
      }
    }
    for (int k = 0; k < 3; ++k)
      EXPECT_NEAR(0.0, bilan[k], 1e-10 * (1 + echelle)) << "case " << cas << ", " << k;
    if (!patch)
      continue;
    const bool planes = S.TypeProbleme == 1;
    const double szz = planes ? 0 : nu * (sxx + syy);
    const double exx = (sxx - nu * (syy + szz)) / e, eyy = (syy - nu * (sxx + szz)) / e;
    const double gxy = 2 * (1 + nu) * sxy / e, ezz = planes ? -nu * (sxx + syy) / e : 0;
    const double contrainte = std::max({std::fabs(sxx), std::fabs(syy), std::fabs(sxy)});
    const double deformation = contrainte * (1 + nu) / e;
    for (int k = 1; k <= S.Elements.Nombre; ++k) {
      TContraintesDeformations r;
      ContraintesElement(S.ElementEn(k), r);
      const double attendu[] = {exx, eyy, gxy, ezz, sxx, syy, sxy, szz};
      const double obtenu[] = {r.exx, r.eyy, r.gxy, r.ezz, r.sxx, r.syy, r.sxy, r.szz};
      for (int c = 0; c < 8; ++c)
        ASSERT_NEAR(attendu[c], obtenu[c], 1e-11 * (c < 4 ? deformation : contrainte))
            << "case " << cas << ", element " << k << ", component " << c;
    }
    const double ecart = 1e-11 * deformation * std::max(lx, ly);
    for (int n = 1; n <= S.NbNoeuds; ++n) {
      ASSERT_NEAR(exx * S.Noeuds[n].x + gxy * S.Noeuds[n].y, S.F[2 * n - 1], ecart) << cas << n;
      ASSERT_NEAR(eyy * S.Noeuds[n].y, S.F[2 * n], ecart) << "case " << cas << ", node " << n;
    }
  }
}

// One node is a range of its own: "noeuds 1 à 1", not "aucun noeud".
TEST(Equations, AReferenceBeyondASingleNodeNamesItsRange) {
  const Modele m;
  m.s->NbNoeuds = 1;
  m.s->Liaisons.Liste[m.s->NbLiaisons = ++m.s->Liaisons.Nombre] =
      std::make_unique<TLiaison>(TLiaison{3, 2});
  EXPECT_FALSE(m.s->VerificationModele());
  Vider(m.s->Resultats);
  EXPECT_EQ("Liaison 1 : noeud 2 inexistant (noeuds 1 \xE0 1)\r\n", m.Resultats());
}

}  // namespace
