// The global equations through the stages themselves, on models built in
// memory: the elimination with its pivot test, the patch test, and the
// reactions balancing the loads of random meshes.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "element/triangle.hpp"
#include "solver/resolution.hpp"
#include "tests/donnees_communes.hpp"

namespace {

const std::string LigneCalcul = "Calcul des d\xE9placements inconnus\r\n";
const std::string DebutPivot = "Le syst\xE8me est mal conditionn\xE9 : ";
const std::string Pivot = DebutPivot + "pivot n\xE9gatif ou nul = ";

// A structure of its own as the current one, its results file in a
// temporary file, and no floating-point fault (the program traps them; here
// they are flags).
class Equations : public testing::Test {
 protected:
  void SetUp() override {
    structure_ = std::make_unique<TStructure>();
    Structure = structure_.get();
    ASSERT_TRUE(structure_->Resultats.Creer(chemin_.string()));
    std::feclearexcept(FE_ALL_EXCEPT);
  }

  void TearDown() override {
    EXPECT_EQ(0, std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID))
        << "floating-point fault";
    structure_->Abandonner();
    Structure = nullptr;
    structure_.reset();
    std::filesystem::remove(chemin_);
  }

  void Recommencer() {
    TearDown();
    SetUp();
  }

  TStructure& S() { return *structure_; }

  // What the results file holds; without `vider`, only what the stream has
  // already handed over.
  std::string Resultats(bool vider = true) {
    if (vider) {
      Vider(structure_->Resultats);
    }
    TFichierTexte::Synchroniser();
    return donnees::Contenu(chemin_);
  }

  template <typename T, int Taille>
  static void Ajouter(TListe<T, Taille>& liste, std::int32_t& nombre, const T& item) {
    liste.Liste[liste.Nombre + 1] = std::make_unique<T>(item);
    nombre = ++liste.Nombre;
  }
  void Liaison(std::uint8_t type, std::int32_t noeud) {
    Ajouter(S().Liaisons, S().NbLiaisons, TLiaison{type, noeud, 0.0, 0.0});
  }
  void Charge(std::uint8_t type, std::int32_t n1, std::int32_t n2, double fx, double fy) {
    Ajouter(S().Charges, S().NbCharges, TCharge{type, n1, n2, fx, fy});
  }

  // A patch of nx by ny cells over lx by ly mm, the nodes numbered at random:
  // inner nodes off the grid by up to a fifth of a cell each way, edge nodes
  // moved along their edge, corners in place. Each cell is cut along a random
  // diagonal into two counter-clockwise triangles whose first vertex is drawn
  // at random; each takes the material `materiau` gives. Returns the number
  // of the node at grid point (i, j), at index i + (nx + 1) j.
  template <typename Materiau>
  std::vector<int> Grille(std::mt19937& aleas, int nx, int ny, double lx, double ly,
                          Materiau materiau) {
    std::uniform_real_distribution<double> ecart(-0.2, 0.2);
    std::vector<int> numero(static_cast<std::size_t>((nx + 1) * (ny + 1)));
    std::iota(numero.begin(), numero.end(), 1);
    std::shuffle(numero.begin(), numero.end(), aleas);
    S().NbNoeuds = static_cast<int>(numero.size());
    for (int j = 0; j <= ny; ++j) {
      for (int i = 0; i <= nx; ++i) {
        const double dx = i % nx == 0 ? 0.0 : ecart(aleas), dy = j % ny == 0 ? 0.0 : ecart(aleas);
        S().Noeuds[numero[i + (nx + 1) * j]] = {(i + dx) * lx / nx, (j + dy) * ly / ny};
      }
    }
    for (int j = 0; j < ny; ++j) {
      for (int i = 0; i < nx; ++i) {
        const int a = i + (nx + 1) * j, b = a + 1, c = b + nx + 1, d = c - 1;
        const bool diagonaleAC = aleas() % 2 == 0;
        for (const auto& t : {diagonaleAC ? std::vector{a, b, c} : std::vector{a, b, d},
                              diagonaleAC ? std::vector{a, c, d} : std::vector{b, c, d}}) {
          const int r = static_cast<int>(aleas() % 3);
          TElement element = materiau();
          for (int k = 1; k <= 3; ++k) {
            element.Sommets[k] = numero[t[(r + k) % 3]];
          }
          Ajouter(S().Elements, S().Elements.Nombre, element);
        }
      }
    }
    return numero;
  }

  // The stages from the assembly to the reactions; the nodal forces as they
  // were before the supports cleared them.
  Tableau<double, NbMaxDdl> Analyser() {
    EXPECT_TRUE(S().AssemblageRigidite());
    S().AssemblageForces();
    const Tableau<double, NbMaxDdl> forces = S().F;
    S().MiseEnPlaceLiaisons();
    EXPECT_TRUE(S().CalculDeplacements());
    S().CalculActionsLiaison();
    return forces;
  }

 private:
  const std::filesystem::path chemin_ = donnees::Temporaire();
  std::unique_ptr<TStructure> structure_;
};

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

// A patch of arbitrary triangles under the nodal forces of a uniform stress
// (the traction t s.n on each edge of its boundary, as edge loads), held by a
// hinge at (0, 0) and v = 0 at (lx, 0), in plane stress and plane strain.
// Every element gives back that stress and the strains of Hooke's law in
// three dimensions (ezz = 0 in plane strain, szz = 0 in plane stress); every
// node the displacements u = exx x + gxy y, v = eyy y; the supports nothing.
TEST_F(Equations, PatchOfArbitraryTrianglesReproducesAUniformStress) {
  std::mt19937 aleas(1963);
  std::uniform_real_distribution<double> uniforme(0.0, 1.0);
  const auto reel = [&](double a, double b) { return a + (b - a) * uniforme(aleas); };
  for (int cas = 0; cas < 40; ++cas) {
    Recommencer();
    S().TypeProbleme = 1 + cas % 2;
    const int nx = 2 + static_cast<int>(aleas() % 4), ny = 2 + static_cast<int>(aleas() % 4);
    const double lx = reel(1.0, 1000.0), ly = lx * reel(0.5, 2.0), t = reel(0.1, 10.0);
    const double e = reel(1000.0, 210000.0), nu = reel(0.0, 0.45);
    const double sxx = reel(-100.0, 100.0), syy = reel(-100.0, 100.0), sxy = reel(-100.0, 100.0);
    const std::vector<int> numero = Grille(aleas, nx, ny, lx, ly, [&] {
      return TElement{{}, t, e, nu};
    });
    // The boundary counter-clockwise: bottom, right, top, left.
    std::vector<int> bord;
    for (int i = 0; i < nx; ++i) {
      bord.push_back(numero[i]);
    }
    for (int j = 0; j < ny; ++j) {
      bord.push_back(numero[nx + (nx + 1) * j]);
    }
    for (int i = nx; i > 0; --i) {
      bord.push_back(numero[i + (nx + 1) * ny]);
    }
    for (int j = ny; j > 0; --j) {
      bord.push_back(numero[(nx + 1) * j]);
    }
    for (std::size_t k = 0; k < bord.size(); ++k) {
      const int a = bord[k], b = bord[(k + 1) % bord.size()];
      const TPoint &pa = S().Noeuds[a], &pb = S().Noeuds[b];
      const double longueur = std::hypot(pb.x - pa.x, pb.y - pa.y);
      const double cx = (pb.y - pa.y) / longueur, cy = (pa.x - pb.x) / longueur;  // outward
      Charge(2, a, b, t * (sxx * cx + sxy * cy), t * (sxy * cx + syy * cy));
    }
    Liaison(3, numero[0]);
    Liaison(2, numero[nx]);
    Analyser();

    const bool planes = S().TypeProbleme == 1;
    const double szz = planes ? 0.0 : nu * (sxx + syy);
    const double exx = (sxx - nu * (syy + szz)) / e, eyy = (syy - nu * (sxx + szz)) / e;
    const double gxy = 2.0 * (1.0 + nu) * sxy / e, ezz = planes ? -nu * (sxx + syy) / e : 0.0;
    const double contrainte = std::max({std::fabs(sxx), std::fabs(syy), std::fabs(sxy)});
    const double deformation = contrainte * (1.0 + nu) / e;
    for (int k = 1; k <= S().Elements.Nombre; ++k) {
      TContraintesDeformations r;
      ContraintesElement(S().ElementEn(k), r);
      const double attendu[] = {exx, eyy, gxy, ezz, sxx, syy, sxy, szz};
      const double obtenu[] = {r.exx, r.eyy, r.gxy, r.ezz, r.sxx, r.syy, r.sxy, r.szz};
      for (int m = 0; m < 8; ++m) {
        ASSERT_NEAR(attendu[m], obtenu[m], 1e-11 * (m < 4 ? deformation : contrainte))
            << "case " << cas << ", element " << k << ", component " << m;
      }
    }
    const double deplacement = deformation * std::max(lx, ly);
    for (int n = 1; n <= S().NbNoeuds; ++n) {
      const TPoint& p = S().Noeuds[n];
      ASSERT_NEAR(exx * p.x + gxy * p.y, S().F[2 * n - 1], 1e-11 * deplacement) << cas << ", " << n;
      ASSERT_NEAR(eyy * p.y, S().F[2 * n], 1e-11 * deplacement) << cas << ", " << n;
    }
    const double force = contrainte * t * std::max(lx, ly);
    EXPECT_NEAR(0.0, S().LiaisonEn(1).Rx, 1e-11 * force) << cas;
    EXPECT_NEAR(0.0, S().LiaisonEn(1).Ry, 1e-11 * force) << cas;
    EXPECT_NEAR(0.0, S().LiaisonEn(2).Ry, 1e-11 * force) << cas;
  }
}

// Random meshes of random materials under loads of every type (body forces,
// loads along any segment, ignored types), held by a hinge at a corner, v = 0
// at the next corner and supports of codes 0 to 4 elsewhere. The blocked
// reaction components balance the loads as given, forces and moment about
// the origin, whatever the lumping; a blocked displacement is zero; a free
// component ends as the nodal force at its equation.
TEST_F(Equations, ReactionsBalanceTheLoadsOfRandomMeshes) {
  for (unsigned graine = 1; graine <= 40; ++graine) {
    Recommencer();
    std::mt19937 aleas(graine);
    std::uniform_real_distribution<double> uniforme(0.0, 1.0);
    const auto reel = [&](double a, double b) { return a + (b - a) * uniforme(aleas); };
    const auto entier = [&](int a, int b) { return a + static_cast<int>(aleas() % (b - a + 1)); };
    S().TypeProbleme = entier(1, 2);
    const int nx = entier(1, 9), ny = entier(1, std::min(9, 49 / nx));
    const std::vector<int> numero =
        Grille(aleas, nx, ny, reel(1.0, 1000.0), reel(1.0, 1000.0), [&] {
          return TElement{{}, reel(1.0, 10.0), reel(1000.0, 210000.0), reel(0.0, 0.45)};
        });
    Liaison(3, numero[0]);
    Liaison(2, numero[nx]);
    for (int k = entier(0, std::min(18, S().NbNoeuds - 2)); k > 0; --k) {
      Liaison(static_cast<std::uint8_t>(entier(0, 4)), numero[k < nx ? k : k + 1]);
    }
    // Resultant and moment about the origin of the loads as given.
    double charge[3] = {}, echelle = 0.0;
    const auto Cumuler = [&](TPoint p, double fx, double fy) {
      charge[0] += fx;
      charge[1] += fy;
      charge[2] += p.x * fy - p.y * fx;
      echelle += (std::fabs(fx) + std::fabs(fy)) * (1.0 + std::fabs(p.x) + std::fabs(p.y));
    };
    for (int k = entier(1, NbMaxCharges); k > 0; --k) {
      const int type = entier(1, 3), n1 = entier(1, type == 1 ? S().Elements.Nombre : S().NbNoeuds);
      const int n2 = entier(1, S().NbNoeuds);
      const double f = type == 1 ? 0.1 : 50.0, fx = reel(-f, f), fy = reel(-f, f);
      Charge(static_cast<std::uint8_t>(type == 3 ? entier(3, 255) : type), n1, n2, fx, fy);
      if (type == 1) {
        const TElement& element = S().ElementEn(n1);
        const TPoint &a = S().Noeuds[element.Sommets[1]], &b = S().Noeuds[element.Sommets[2]],
                     &c = S().Noeuds[element.Sommets[3]];
        const double volume =
            0.5 * element.Epaisseur * ((b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y));
        Cumuler({(a.x + b.x + c.x) / 3.0, (a.y + b.y + c.y) / 3.0}, volume * fx, volume * fy);
      } else if (type == 2) {
        const TPoint &a = S().Noeuds[n1], &b = S().Noeuds[n2];
        const double longueur = std::hypot(b.x - a.x, b.y - a.y);
        Cumuler({(a.x + b.x) / 2.0, (a.y + b.y) / 2.0}, longueur * fx, longueur * fy);
      }
    }

    const Tableau<double, NbMaxDdl> forces = Analyser();
    ASSERT_FALSE(HasFailure()) << "seed " << graine;
    for (int s = 1; s <= S().NbLiaisons; ++s) {
      const TLiaison& l = S().LiaisonEn(s);
      const TPoint& p = S().Noeuds[l.Noeud];
      const double r[2] = {l.Rx, l.Ry};
      for (int d = 0; d < 2; ++d) {
        const int equation = 2 * l.Noeud - 1 + d;
        if (l.TypeLiaison == 3 || l.TypeLiaison == d + 1) {
          Cumuler(p, d == 0 ? r[0] : 0.0, d == 1 ? r[1] : 0.0);
          EXPECT_EQ(0.0, S().F[equation]) << "seed " << graine << ", equation " << equation;
        } else {
          EXPECT_NEAR(forces[equation], r[d], 1e-9 * (1.0 + echelle))
              << "seed " << graine << ", support " << s << ", direction " << d;
        }
      }
    }
    for (int m = 0; m < 3; ++m) {
      EXPECT_NEAR(0.0, charge[m], 1e-10 * (1.0 + echelle)) << "seed " << graine << ", " << m;
    }
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
