// Closed forms through the whole program, on a rectangle 100 x 20 mm, 1 mm
// thick, E = 1000 MPa, Nu = 0.3; what the tests print is the table of
// docs/verification.md.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/outils_processus.hpp"

namespace {

constexpr double kE = 1000, kNu = 0.3, kG = kE / (2 * (1 + kNu)), kLongueur = 100, kHauteur = 20;

// By edge, x = 0, x = L, y = 0, y = h: the support code of its nodes (0:
// none) and the traction on it along x and y, N/mm.
using Bords = std::array<std::array<double, 3>, 4>;

// The rectangle in nx by ny cells of two counter-clockwise triangles, the
// interior nodes moved off the grid by `decalage` of a cell, run as a user
// would: by node x, y and the displacements u, v the report gives, mm.
std::vector<std::array<double, 4>> Calculer(int type, int nx, int ny, double decalage,
                                            const Bords& b) {
  std::vector<std::array<double, 4>> r;
  std::ostringstream d, liaisons, charges;
  d.precision(17);
  d << "$deb\n$pro\n" << type << "\n$noe\n" << (nx + 1) * (ny + 1) << "\n";
  for (int i = 0; i <= nx; ++i)
    for (int j = 0; j <= ny; ++j) {
      const double s = i > 0 && i < nx && j > 0 && j < ny ? decalage : 0;
      r.push_back({(i + ((i + j) % 2 == 0 ? s : -s)) * kLongueur / nx,
                   (j + (i % 2 == 0 ? s : -s)) * kHauteur / ny});
      d << r.back()[0] << ' ' << r.back()[1] << '\n';
    }
  const auto n = [ny](int i, int j) { return i * (ny + 1) + j + 1; };
  d << "$ele\n" << 2 * nx * ny << '\n';
  for (int i = 0; i < nx; ++i)
    for (int j = 0; j < ny; ++j)
      d << n(i, j) << ' ' << n(i + 1, j) << ' ' << n(i + 1, j + 1) << " 1000 0.3 1\n"
        << n(i, j) << ' ' << n(i + 1, j + 1) << ' ' << n(i, j + 1) << " 1000 0.3 1\n";
  int nbLiaisons = 0, nbCharges = 0;
  for (int bord = 0; bord < 4; ++bord) {
    const int m = bord < 2 ? ny : nx;
    const auto noeud = [&](int k) {
      return bord < 2 ? n(bord == 0 ? 0 : nx, k) : n(k, bord == 2 ? 0 : ny);
    };
    for (int k = 0; k <= m && b[bord][0] != 0; ++k, ++nbLiaisons)
      liaisons << b[bord][0] << ' ' << noeud(k) << '\n';
    for (int k = 0; k < m && (b[bord][1] != 0 || b[bord][2] != 0); ++k, ++nbCharges)
      charges << "2 " << noeud(k) << ' ' << noeud(k + 1) << ' ' << b[bord][1] << ' ' << b[bord][2]
              << '\n';
  }
  const essai::DossierTemporaire dossier;
  std::ofstream(dossier.Chemin() / "m.txt", std::ios::binary)
      << d.str() + "$lia\n" + std::to_string(nbLiaisons) + "\n" + liaisons.str() + "$cha\n" +
             std::to_string(nbCharges) + "\n" + charges.str() + "$fin\n";
  const essai::Execution e = essai::Lancer({ELASPLAN_PROGRAMME, dossier.Chemin(), "m\n"});
  EXPECT_EQ(0, e.statut) << e.erreur;
  std::istringstream rapport(essai::LireFichier(dossier.Chemin() / "mr.txt"));
  for (std::string ligne; std::getline(rapport, ligne) && !ligne.starts_with("Noeud      Ux");) {
  }
  std::size_t k = 0;
  for (double numero = 0; k < r.size() && rapport >> numero >> r[k][2] >> r[k][3];)
    ++k;
  EXPECT_EQ(r.size(), k);
  return r;
}

// A uniform stress, which constant-strain triangles reproduce on any mesh,
// puts every node on the exact field within half of the report's last
// decimal: a bar pulled by s = 10 MPa, held along x at its root and along y
// at its base, has u = x s / E', v = -y nu' s / E' (E' = E and nu' = nu in
// plane stress, E / (1 - nu²) and nu / (1 - nu) in plane strain); a block
// sheared by t = 10 MPa, its base clamped, u = y t / G, v = 0.
TEST(SolutionsAnalytiques, UniformStressGivesTheExactDisplacements) {
  const double s = 10, e2 = kE / (1 - kNu * kNu), nu2 = kNu / (1 - kNu);
  const auto Verifier = [](const char* nom, int type, const Bords& b, double dudx, double dudy,
                           double dvdy) {
    const auto r = Calculer(type, 4, 2, 0.25, b);
    for (const auto& [x, y, u, v] : r) {
      EXPECT_NEAR(dudx * x + dudy * y, u, 0.5e-6 + 1e-12) << nom << ", node at " << x << ", " << y;
      EXPECT_NEAR(dvdy * y, v, 0.5e-6 + 1e-12) << nom << ", node at " << x << ", " << y;
    }
    std::printf("%-40s  %10.6f  %10.6f\n", nom, dudx * kLongueur + dudy * kHauteur, r.back()[2]);
  };
  const Bords barre{{{1, 0, 0}, {0, s, 0}, {2, 0, 0}, {}}};
  Verifier("bar, plane stress: u(L) = F L / (E A)", 1, barre, s / kE, 0, -kNu * s / kE);
  Verifier("bar, plane strain: u(L) = F L / (E' A)", 2, barre, s / e2, 0, -nu2 * s / e2);
  Verifier("block in shear: u(h) = t h / G", 1, {{{0, 0, -s}, {0, 0, s}, {3}, {0, s}}}, 0, s / kG,
           0);
}

// A cantilever clamped at x = 0 under a shear load P spread over its free
// end, on square cells up to the capacities: constant-strain triangles make
// it too stiff, so its deflection, the load's work over P, lies below beam
// theory with shear (Timoshenko, coefficient 5/6), P L³ / (3 E I) + P L /
// (5/6 G A), and rises towards it as the mesh is refined.
TEST(SolutionsAnalytiques, CantileverDeflectionRisesTowardsBeamTheory) {
  const double q = 1, charge = q * kHauteur, inertie = kHauteur * kHauteur * kHauteur / 12;
  const double poutre = charge * kLongueur * kLongueur * kLongueur / (3 * kE * inertie) +
                        charge * kLongueur / (5.0 / 6.0 * kG * kHauteur);
  double precedente = 0;
  for (const int ny : {1, 2, 3}) {
    const auto r = Calculer(1, 5 * ny, ny, 0, {{{3, 0, 0}, {0, 0, -q}, {}, {}}});
    double travail = 0;  // of the nodal forces q h / ny, halved at the two corners
    for (int j = 0; j <= ny; ++j)
      travail -= (j == 0 || j == ny ? 0.5 : 1.0) * charge / ny * r[r.size() - 1 - j][3];
    const double fleche = travail / charge;
    EXPECT_GT(fleche, precedente) << ny << " cells through the depth";
    EXPECT_LT(fleche, poutre) << ny << " cells through the depth";
    precedente = fleche;
    std::printf("cantilever, %2d x %d cells: end deflection  %10.6f  %10.6f  (%.1f %%)\n", 5 * ny,
                ny, poutre, fleche, 100 * fleche / poutre);
  }
}

}  // namespace
