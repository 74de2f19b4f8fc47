// Closed forms through the whole program on a rectangle 100 x 20 mm, 1 mm thick,
// E = 1000 MPa, Nu = 0.3; what the tests print is docs/verification.md's table.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "tests/outils_processus.hpp"

namespace {

constexpr double kE = 1000, kNu = 0.3, kG = kE / (2 * (1 + kNu)), kLongueur = 100, kHauteur = 20;

// By edge x = 0, x = L, y = 0, y = h: its nodes' support code (0: none), traction x, y N/mm.
using Bords = std::array<std::array<double, 3>, 4>;

// nx by ny cells of two triangles, interior nodes moved off the grid by `decalage`
// of a cell, run as a user would: by node x, y and the u, v the report gives, mm.
auto Calculer(int type, int nx, int ny, double decalage, const Bords& b) {
  std::vector<std::array<double, 4>> r;
  std::ostringstream d, elements, liaisons, charges;
  d.precision(17);
  d << "$deb\n$pro\n" << type << "\n$noe\n" << (nx + 1) * (ny + 1) << "\n";
  const auto n = [ny](int i, int j) { return i * (ny + 1) + j + 1; };
  for (int i = 0; i <= nx; ++i)
    for (int j = 0; j <= ny; ++j) {
      const double s = i > 0 && i < nx && j > 0 && j < ny ? decalage : 0;
      r.push_back({(i + ((i + j) % 2 == 0 ? s : -s)) * kLongueur / nx,
                   (j + (i % 2 == 0 ? s : -s)) * kHauteur / ny});
      d << r.back()[0] << ' ' << r.back()[1] << '\n';
      if (i < nx && j < ny)
        elements << n(i, j) << ' ' << n(i + 1, j) << ' ' << n(i + 1, j + 1) << " 1000 0.3 1\n"
                 << n(i, j) << ' ' << n(i + 1, j + 1) << ' ' << n(i, j + 1) << " 1000 0.3 1\n";
    }
  int nbLiaisons = 0, nbCharges = 0;
  for (int bord = 0; bord < 4; ++bord) {
    const int m = bord < 2 ? ny : nx;
    const auto noeud = [&](int k) { return bord < 2 ? n(bord * nx, k) : n(k, (bord - 2) * ny); };
    for (int k = 0; k <= m && b[bord][0] != 0; ++k, ++nbLiaisons)
      liaisons << b[bord][0] << ' ' << noeud(k) << '\n';
    for (int k = 0; k < m && (b[bord][1] != 0 || b[bord][2] != 0); ++k, ++nbCharges)
      charges << "2 " << noeud(k) << ' ' << noeud(k + 1) << ' ' << b[bord][1] << ' ' << b[bord][2]
              << '\n';
  }
  const essai::DossierTemporaire dossier;
  essai::EcrireFichier(dossier.Chemin() / "m.txt",
                       d.str() + "$ele\n" + std::to_string(2 * nx * ny) + "\n" + elements.str() +
                           "$lia\n" + std::to_string(nbLiaisons) + "\n" + liaisons.str() +
                           "$cha\n" + std::to_string(nbCharges) + "\n" + charges.str() + "$fin\n");
  essai::Lancer({ELASPLAN_PROGRAMME, dossier.Chemin(), "m\n"});
  const std::string texte = essai::LireFichier(dossier.Chemin() / "mr.txt");
  std::istringstream rapport(texte.substr(texte.find("Noeud      Ux       Uy") + 22));
  for (double numero = 0; auto& noeud : r)
    EXPECT_TRUE(rapport >> numero >> noeud[2] >> noeud[3]) << numero;
  return r;
}

// A uniform stress, exact on any mesh, puts every node on the exact field within
// half of the report's last decimal: a bar pulled by s = 10 MPa, u = x s / E',
// v = -y nu' s / E' (E', nu' of plane strain in its case); a block, u = y t / G.
TEST(SolutionsAnalytiques, UniformStressGivesTheExactDisplacements) {
  const double s = 10, e2 = kE / (1 - kNu * kNu), nu2 = kNu / (1 - kNu);
  const auto Champ = [](const char* nom, int type, const Bords& b, double dudx, double dudy,
                        double dvdy) {
    const auto r = Calculer(type, 4, 2, 0.25, b);
    for (const auto& [x, y, u, v] : r) {
      EXPECT_NEAR(dudx * x + dudy * y, u, 0.5e-6 + 1e-12) << nom << ", node at " << x << ", " << y;
      EXPECT_NEAR(dvdy * y, v, 0.5e-6 + 1e-12) << nom << ", node at " << x << ", " << y;
    }
    std::printf("%-40s  %10.6f  %10.6f\n", nom, dudx * kLongueur + dudy * kHauteur, r.back()[2]);
  };
  const Bords barre{{{1, 0, 0}, {0, s, 0}, {2, 0, 0}, {}}};
  Champ("bar, plane stress: u(L) = F L / (E A)", 1, barre, s / kE, 0, -kNu * s / kE);
  Champ("bar, plane strain: u(L) = F L / (E' A)", 2, barre, s / e2, 0, -nu2 * s / e2);
  Champ("block in shear: u(h) = t h / G", 1, {{{0, 0, -s}, {0, 0, s}, {3}, {0, s}}}, 0, s / kG, 0);
}

// A cantilever under a shear load P at its free end, on square cells up to
// the capacities: the too stiff triangles put its deflection, the load's work
// over P, below beam theory with shear (Timoshenko, 5/6), rising as refined.
TEST(SolutionsAnalytiques, CantileverDeflectionRisesTowardsBeamTheory) {
  const double q = 1, charge = q * kHauteur, inertie = kHauteur * kHauteur * kHauteur / 12;
  const double poutre = charge * kLongueur * kLongueur * kLongueur / (3 * kE * inertie) +
                        charge * kLongueur / (5.0 / 6.0 * kG * kHauteur);
  double precedente = 0;
  for (const int ny : {1, 2, 3}) {
    const auto r = Calculer(1, 5 * ny, ny, 0, {{{3, 0, 0}, {0, 0, -q}, {}, {}}});
    double fleche = 0;  // the share of P at each end node: 1 / ny, halved at the corners
    for (int j = 0; j <= ny; ++j)
      fleche -= (j == 0 || j == ny ? 0.5 : 1.0) / ny * r[r.size() - 1 - j][3];
    EXPECT_TRUE(precedente < fleche && fleche < poutre) << ny << " cells through the depth";
    precedente = fleche;
    std::printf("cantilever, %2d x %d cells: end deflection  %10.6f  %10.6f  (%.1f %%)\n", 5 * ny,
                ny, poutre, fleche, 100 * fleche / poutre);
  }
}

}  // namespace
