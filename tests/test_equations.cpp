// The element and the global equations through the stages themselves, on
// models built in memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <random>
#include <vector>

#include "element/triangle.hpp"
#include "solver/resolution.hpp"
#include "tests/donnees_communes.hpp"

namespace {

using donnees::Modele;

// Bit for bit, which tells NaNs and the signs of zeros apart.
bool MemesBits(const double* a, const double* b, std::size_t n) {
  return n == 0 || std::memcmp(a, b, n * sizeof(double)) == 0;
}

// K U = F given by its upper triangle, row by row; the lower one, never to
// be read, holds a value that would spoil every result. U bit for bit.
TEST(Equations, EliminationOnTheUpperTriangleAndThePivotTest) {
  const Modele m;
  TStructure& S = m.s;
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
             {{4, 2, 0.5}, {1, 1}, {}, "-5.00000000000000E-0001"},        // reduced, not 0.5
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
    EXPECT_TRUE(MemesBits(c.u.data(), &S.F[1], c.u.size())) << S.F[1];
    attendu += "Calcul des d\xE9placements inconnus\r\n";
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
  const double speciaux[] = {0, -0.0, 1, 0.1, DBL_MAX, -HUGE_VAL, 1e-310, NAN};
  std::mt19937_64 aleas(11);
  const auto tirage = [&] {
    const double v = std::ldexp(static_cast<double>(aleas() >> 11), int(aleas() % 80) - 100);
    return aleas() % 4 == 0 ? speciaux[aleas() % std::size(speciaux)] : aleas() % 2 ? v : -v;
  };
  for (const TReduction reduire : {ReductionSse2(), ReductionAvx()}) {
    for (int essai = 0; essai < 3000 && reduire != nullptr; ++essai) {
      const std::size_t nombre = aleas() % 203, decalage = aleas() % 4;
      std::vector<double> ligne(nombre + decalage), pivot(nombre + decalage), attendu;
      const double m = tirage();
      for (std::size_t j = 0; j < ligne.size(); ++j) {
        ligne[j] = tirage(), pivot[j] = tirage();
        attendu.push_back(j < decalage ? ligne[j] : ligne[j] - m * pivot[j]);
      }
      reduire(ligne.data() + decalage, pivot.data() + decalage, nombre, m);
      ASSERT_TRUE(MemesBits(attendu.data(), ligne.data(), ligne.size()));
    }
  }
}

// Patches of cells cut along random diagonals, nodes numbered at random and
// moved off the grid, first vertices at random, both problem types, under the
// edge loads t s.n of a uniform stress, held by a hinge at (0, 0) and v = 0
// along y = 0. Each Ke is symmetric, gives rigid motions no force, and is
// positive definite once they are held. Every element gives back the stress
// and Hooke's strains, every node u = exx x + gxy y, v = eyy y; loads and
// reactions do no work in a rigid motion.
TEST(Equations, PatchTestAndEquilibriumOfRandomMeshes) {
  // The work of forces f at points p in a translation or the rotation, over its terms' scale.
  const auto Travail = [](int mode, const double* f, const TPoint* p, int nombre) {
    double travail = 0, echelle = 0;
    for (int q = 0; q < nombre; ++q) {
      const double w = f[q] * (mode == 2 ? (q % 2 == 0 ? -p[q / 2].y : p[q / 2].x) : q % 2 == mode);
      travail += w, echelle += std::fabs(w);
    }
    return std::fabs(travail) / (1e-300 + echelle);
  };
  for (unsigned cas = 0; cas < 80; ++cas) {
    Modele m;
    TStructure& S = m.s;
    std::mt19937 aleas(cas);
    std::uniform_real_distribution<double> u01;
    const auto reel = [&](double a, double b) { return a + (b - a) * u01(aleas); };
    const bool planes = (S.TypeProbleme = 1 + cas % 2) == 1;
    const int nx = 2 + int(aleas() % 7), ny = 2 + int(aleas() % (9 - nx));
    const double lx = reel(1, 1000), ly = lx * reel(0.5, 2), t = reel(0.1, 10);
    const double e = reel(1000, 210000), nu = reel(0, 0.45);
    std::vector<int> numero(S.NbNoeuds = (nx + 1) * (ny + 1));
    std::iota(numero.begin(), numero.end(), 1);
    std::shuffle(numero.begin(), numero.end(), aleas);
    const auto noeud = [&](int i, int j) { return numero[i + (nx + 1) * j]; };
    for (int k = 0, i = 0, j = 0; k < S.NbNoeuds; ++k, i = k % (nx + 1), j = k / (nx + 1))
      S.Noeuds[numero[k]] = {(i + (i % nx ? reel(-0.2, 0.2) : 0)) * lx / nx,
                             (j + (j % ny ? reel(-0.2, 0.2) : 0)) * ly / ny};
    for (int k = 0; k < nx * ny; ++k) {
      const int a = k % nx + (nx + 1) * (k / nx), b = a + 1, c = b + nx + 1, d = c - 1;
      const bool ac = aleas() % 2 == 0;
      for (const auto& sommets : {ac ? std::array{a, b, c} : std::array{a, b, d},
                                  ac ? std::array{a, c, d} : std::array{b, c, d}}) {
        TElement el{{}, t, e, nu};
        for (int v = 1, r = int(aleas() % 3); v <= 3; ++v)
          el.Sommets[v] = numero[sommets[(r + v) % 3]];
        m.Ajouter(S.Elements, el);
      }
    }
    for (int i = 0; i <= nx; ++i)
      m.Ajouter(S.Liaisons, TLiaison{std::uint8_t(i == 0 ? 3 : 2), noeud(i, 0)});
    const double sxx = reel(-100, 100), syy = reel(-100, 100), sxy = reel(-100, 100);
    for (int k = 0, i = 0, j = 0; k < 2 * (nx + ny); ++k) {  // counter-clockwise
      const int a = noeud(i, j);
      k < nx ? ++i : k < nx + ny ? ++j : k < 2 * nx + ny ? --i : --j;
      const TPoint &p = S.Noeuds[a], &q = S.Noeuds[noeud(i, j)];
      const double l = std::hypot(q.x - p.x, q.y - p.y), cx = (q.y - p.y) / l, cy = (p.x - q.x) / l;
      m.Ajouter(S.Charges,
                TCharge{2, a, noeud(i, j), t * (sxx * cx + sxy * cy), t * (sxy * cx + syy * cy)});
    }
    ASSERT_TRUE(S.AssemblageRigidite());
    S.AssemblageForces();
    Tableau<double, NbMaxDdl> total = S.F;  // the nodal forces, then with the reactions
    S.MiseEnPlaceLiaisons();
    ASSERT_TRUE(S.CalculDeplacements());
    S.CalculActionsLiaison();
    for (int s = 1; s <= S.NbLiaisons; ++s) {
      const TLiaison& l = S.LiaisonEn(s);
      total[2 * l.Noeud - 1] += l.TypeLiaison == 3 ? l.Rx : 0;  // the hinge alone holds x
      total[2 * l.Noeud] += l.Ry;
    }
    for (int mode = 0; mode < 3; ++mode)
      EXPECT_GT(1e-12, Travail(mode, &total[1], &S.Noeuds[1], 2 * S.NbNoeuds)) << cas << mode;
    const double szz = planes ? 0 : nu * (sxx + syy);
    const double exx = (sxx - nu * (syy + szz)) / e, eyy = (syy - nu * (sxx + szz)) / e;
    const double gxy = 2 * (1 + nu) * sxy / e, ezz = planes ? -nu * (sxx + syy) / e : 0;
    const double contrainte = std::max({std::fabs(sxx), std::fabs(syy), std::fabs(sxy)});
    const double deformation = contrainte * (1 + nu) / e;
    for (int k = 1; k <= S.Elements.Nombre; ++k) {
      const TTriangle tr = Triangle(S.ElementEn(k));
      const TPoint p[3] = {tr.p1, tr.p2, tr.p3};
      double aire = 0, diagonale = 0;  // the largest term of a positive semi-definite matrix
      TMatrice66 ke;
      ASSERT_TRUE(RigiditeElement(tr, S.TypeProbleme, aire, ke));
      for (int i = 1; i <= 6; ++i) {
        diagonale = std::max(diagonale, ke[i][i]);
        for (int j = 1; j <= 6; ++j)
          ASSERT_NEAR(ke[i][j], ke[j][i], 1e-14 * (ke[i][i] + ke[j][j])) << cas << ": " << i << j;
        for (int mode = 0; mode < 3; ++mode)
          EXPECT_GT(1e-12, Travail(mode, &ke[i][1], p, 6)) << cas << ", " << k << ": " << mode;
      }
      // Sylvester, with u1, v1 and vertex 2 across side 1-2 held.
      const int l[3] = {std::fabs(p[1].y - p[0].y) > std::fabs(p[1].x - p[0].x) ? 4 : 3, 5, 6};
      const auto c = [&](int i, int j) { return ke[l[i]][l[j]] / diagonale; };
      const auto d = [&](int i, int j) { return c(i, i) * c(j, j) - c(i, j) * c(j, i); };
      const double d3 = c(0, 0) * d(1, 2) - c(0, 1) * (c(1, 0) * c(2, 2) - c(1, 2) * c(2, 0)) +
                        c(0, 2) * (c(1, 0) * c(2, 1) - c(1, 1) * c(2, 0));
      ASSERT_TRUE(c(0, 0) > 1e-3 && d(0, 1) > 1e-3 * c(0, 0) && d3 > 1e-3 * d(0, 1)) << cas << k;
      TContraintesDeformations r;
      ContraintesElement(S.ElementEn(k), r);
      const double attendu[] = {exx, eyy, gxy, ezz, sxx, syy, sxy, szz};
      const double obtenu[] = {r.exx, r.eyy, r.gxy, r.ezz, r.sxx, r.syy, r.sxy, r.szz};
      for (int q = 0; q < 8; ++q)
        ASSERT_NEAR(attendu[q], obtenu[q], 1e-11 * (q < 4 ? deformation : contrainte)) << cas << k;
    }
    const double ecart = 1e-11 * deformation * std::max(lx, ly);
    for (int n = 1; n <= S.NbNoeuds; ++n) {
      ASSERT_NEAR(exx * S.Noeuds[n].x + gxy * S.Noeuds[n].y, S.F[2 * n - 1], ecart) << cas << n;
      ASSERT_NEAR(eyy * S.Noeuds[n].y, S.F[2 * n], ecart) << cas << ' ' << n;
    }
  }
}

// 2A of (0, 0), (1, 0), (0, y3) is y3: the test 2A < 1e-8 is strict; a rejected
// triangle, degenerate or clockwise, leaves 2A, not A, for its message.
TEST(Triangle, AreaTestIsStrictAndARejectedTriangleLeavesTwiceItsArea) {
  for (const double y3 : {1.0, 1e-8, std::nextafter(1e-8, 0.0), 0.0, -1.0}) {
    TMatrice66 ke;
    double aire = 42;
    EXPECT_EQ(y3 >= 1e-8, RigiditeElement({{0, 0}, {1, 0}, {0, y3}, 1, 1, 0}, 1, aire, ke)) << y3;
    EXPECT_EQ(y3 >= 1e-8 ? y3 / 2 : y3, aire) << y3;
  }
}

}  // namespace
