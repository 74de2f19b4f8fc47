// Closed forms through the whole program: a model is written as a data file,
// run as a user would run it, and its displacements and reactions are read
// back from the report. Each test prints its expected and computed values.
// Rectangle 100 x 20 mm, thickness 1 mm, E = 1000 MPa, Nu = 0.3: displacements
// of about a millimetre, of which the report writes six decimals.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/outils_processus.hpp"

namespace {

constexpr double kE = 1000, kNu = 0.3, kLongueur = 100, kHauteur = 20;

struct Modele {
  std::string donnees;
  std::vector<double> x, y;  // by node
};

// nx by ny cells, each cut into two counter-clockwise triangles, the interior
// nodes moved off the grid by `decalage` of a cell; node (i, j) is number
// i (ny + 1) + j + 1. The root x = 0 is held by `code` (its lowest node by a
// hinge); the free end carries (fx, fy) N/mm.
Modele Rectangle(int type, int nx, int ny, double decalage, int code, double fx, double fy) {
  Modele m;
  std::ostringstream d;
  d.precision(17);
  d << "$deb\n$pro\n" << type << "\n$noe\n" << (nx + 1) * (ny + 1) << "\n";
  for (int i = 0; i <= nx; ++i) {
    for (int j = 0; j <= ny; ++j) {
      const double s = i > 0 && i < nx && j > 0 && j < ny ? decalage : 0;
      m.x.push_back((i + ((i + j) % 2 == 0 ? s : -s)) * kLongueur / nx);
      m.y.push_back((j + (i % 2 == 0 ? s : -s)) * kHauteur / ny);
      d << m.x.back() << ' ' << m.y.back() << '\n';
    }
  }
  const auto n = [ny](int i, int j) { return i * (ny + 1) + j + 1; };
  d << "$ele\n" << 2 * nx * ny << '\n';
  for (int i = 0; i < nx; ++i) {
    for (int j = 0; j < ny; ++j) {
      const std::string materiau = " 1000 0.3 1\n";
      d << n(i, j) << ' ' << n(i + 1, j) << ' ' << n(i + 1, j + 1) << materiau;
      d << n(i, j) << ' ' << n(i + 1, j + 1) << ' ' << n(i, j + 1) << materiau;
    }
  }
  d << "$lia\n" << ny + 1 << '\n';
  for (int j = 0; j <= ny; ++j) {
    d << (j == 0 ? 3 : code) << ' ' << n(0, j) << '\n';
  }
  d << "$cha\n" << ny << '\n';
  for (int j = 0; j < ny; ++j) {
    d << "2 " << n(nx, j) << ' ' << n(nx, j + 1) << ' ' << fx << ' ' << fy << '\n';
  }
  m.donnees = d.str() + "$fin\n";
  return m;
}

struct Resultats {
  std::vector<double> u, v;  // by node, mm
  double rx = 0, ry = 0;     // sums of the reactions, N
  int liaisons = 0;
};

// The text of the report from the end of `debut` to the blank line after it.
std::string Section(const std::string& rapport, const std::string& debut) {
  const std::size_t ici = rapport.find(debut);
  EXPECT_NE(std::string::npos, ici) << debut;
  const std::size_t depuis = ici == std::string::npos ? rapport.size() : ici + debut.size();
  return rapport.substr(depuis, rapport.find("\r\n\r\n", depuis) - depuis);
}

Resultats Calculer(const Modele& modele) {
  const essai::DossierTemporaire dossier;
  essai::EcrireFichier(dossier.Chemin() / "m.txt", modele.donnees);
  const essai::Execution e = essai::Lancer({ELASPLAN_PROGRAMME, dossier.Chemin(), "m\n"});
  EXPECT_EQ(0, e.statut) << e.erreur;
  const std::string rapport = essai::LireFichier(dossier.Chemin() / "mr.txt");
  Resultats r;
  std::istringstream deplacements(Section(rapport, "Ux       Uy\r\n\r\n"));
  for (double noeud = 0, u = 0, v = 0; deplacements >> noeud >> u >> v;) {
    r.u.push_back(u);
    r.v.push_back(v);
  }
  std::istringstream reactions(Section(rapport, "Actions de liaison [ N ]:\r\n\r\n"));
  for (std::string mot, egal; reactions >> mot;) {
    double valeur = 0;
    if ((mot == "Rx" || mot == "Ry") && reactions >> egal >> valeur) {
      (mot == "Rx" ? r.rx : r.ry) += valeur;
    }
    r.liaisons += mot == "noeud";
  }
  EXPECT_EQ(modele.x.size(), r.u.size()) << rapport;
  return r;
}

// A bar pulled by a uniform traction p on its free end carries a uniform
// stress p / thickness, which constant-strain triangles reproduce exactly on
// any mesh: every node lies on u = x s / E', v = -y nu' s / E' (E' = E and
// nu' = nu in plane stress, E / (1 - nu²) and nu / (1 - nu) in plane strain),
// so the tip moves F L / (E' A). Each written value is within half of its last
// decimal of the exact one, the solution's own rounding being some 1e-13 mm;
// each reaction, written in whole newtons, within half a newton.
TEST(SolutionsAnalytiques, BarInTensionMovesByFLOverEA) {
  const double p = 10, s = p / 1.0, demi = 0.5e-6 + 1e-12;
  const struct {
    const char* nom;
    int type;
    double e, nu;
  } cas[] = {{"plane stress", 1, kE, kNu},
             {"plane strain", 2, kE / (1 - kNu * kNu), kNu / (1 - kNu)}};
  for (const auto& c : cas) {
    SCOPED_TRACE(c.nom);
    const Modele m = Rectangle(c.type, 4, 2, 0.25, 1, p, 0);
    const Resultats r = Calculer(m);
    for (std::size_t k = 0; k < r.u.size(); ++k) {
      EXPECT_NEAR(m.x[k] * s / c.e, r.u[k], demi) << "node " << k + 1;
      EXPECT_NEAR(-m.y[k] * c.nu * s / c.e, r.v[k], demi) << "node " << k + 1;
    }
    EXPECT_NEAR(-p * kHauteur, r.rx, 0.5 * r.liaisons);
    EXPECT_NEAR(0, r.ry, 0.5 * r.liaisons);
    std::printf("bar, %s: u(L) = F L / (E' A)  %10.6f  %10.6f\n", c.nom, kLongueur * s / c.e,
                r.u.back());
  }
}

// A cantilever clamped at x = 0, under a shear load P spread evenly over its
// free end, on meshes of square cells refined up to the capacities (90
// elements, 64 nodes). Beam theory with shear (Timoshenko, shear coefficient
// 5/6) gives P L³ / (3 E I) + P L / (5/6 G A). Constant-strain triangles make
// a model too stiff: its end deflection, taken as the load's work over P,
// lies below the exact one, and rises towards it as the mesh is refined.
TEST(SolutionsAnalytiques, CantileverDeflectionRisesTowardsBeamTheory) {
  const double q = 1, charge = q * kHauteur, inertie = kHauteur * kHauteur * kHauteur / 12;
  const double g = kE / (2 * (1 + kNu));
  const double poutre = charge * kLongueur * kLongueur * kLongueur / (3 * kE * inertie) +
                        charge * kLongueur / (5.0 / 6.0 * g * kHauteur);
  double precedente = 0;
  for (const int ny : {1, 2, 3}) {
    const Resultats r = Calculer(Rectangle(1, 5 * ny, ny, 0, 3, 0, -q));
    double travail = 0;  // of the nodal forces q h / ny, halved at the two corners
    for (int j = 0; j <= ny; ++j) {
      const double part = (j == 0 || j == ny ? 0.5 : 1.0) * charge / ny;
      travail -= part * r.v[r.v.size() - 1 - j];
    }
    const double fleche = travail / charge;
    EXPECT_GT(fleche, precedente) << ny << " cells through the depth";
    EXPECT_LT(fleche, poutre) << ny << " cells through the depth";
    EXPECT_NEAR(charge, r.ry, 0.5 * r.liaisons);
    precedente = fleche;
    std::printf("cantilever, %2d x %d cells: end deflection  %10.6f  %10.6f  (%.1f %%)\n", 5 * ny,
                ny, poutre, fleche, 100 * fleche / poutre);
  }
}

}  // namespace
