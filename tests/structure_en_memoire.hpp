// A model built in memory for the element and solver tests: a structure of its
// own as the current one, its results file in a temporary file, and no
// floating-point fault allowed (the program traps them; here they are flags).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "model/structure.hpp"

class StructureEnMemoire : public testing::Test {
 protected:
  static constexpr int FautesFlottantes = FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID;

  void SetUp() override {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    chemin_ = std::filesystem::temp_directory_path() /
              ("elasplan_" + std::string(test->test_suite_name()) + "_" + test->name() + "_" +
               std::to_string(std::random_device{}()) + ".txt");
    structure_ = std::make_unique<TStructure>();
    Structure = structure_.get();
    ASSERT_TRUE(structure_->Resultats.Creer(chemin_.string()));
    std::feclearexcept(FE_ALL_EXCEPT);
  }

  void TearDown() override {
    EXPECT_EQ(0, std::fetestexcept(FautesFlottantes)) << "floating-point fault raised";
    structure_->Abandonner();
    Structure = nullptr;
    structure_.reset();
    std::filesystem::remove(chemin_);
  }

  TStructure& S() { return *structure_; }

  // Everything written into the results file so far; without `vider`, only
  // what the stream has already handed over.
  std::string Resultats(bool vider = true) {
    if (vider) {
      Vider(structure_->Resultats);
    }
    std::ifstream entree(chemin_, std::ios::binary);
    return {std::istreambuf_iterator<char>(entree), std::istreambuf_iterator<char>()};
  }

  void Noeud(std::int32_t n, double x, double y) {
    S().Noeuds[n] = TPoint{x, y};
    if (n > S().NbNoeuds) {
      S().NbNoeuds = n;
    }
  }

  TElement& Element(std::int32_t a, std::int32_t b, std::int32_t c, double epaisseur, double e,
                    double nu) {
    auto element = std::make_unique<TElement>();
    element->Sommets[1] = a;
    element->Sommets[2] = b;
    element->Sommets[3] = c;
    element->Epaisseur = epaisseur;
    element->E = e;
    element->Nu = nu;
    TElements& liste = S().Elements;
    liste.Nombre = liste.Nombre + 1;
    liste.Liste[liste.Nombre] = std::move(element);
    return *liste.Liste[liste.Nombre];
  }

  TLiaison& Liaison(std::uint8_t type, std::int32_t noeud) {
    auto liaison = std::make_unique<TLiaison>();
    liaison->TypeLiaison = type;
    liaison->Noeud = noeud;
    TLiaisons& liste = S().Liaisons;
    liste.Nombre = liste.Nombre + 1;
    S().NbLiaisons = liste.Nombre;
    liste.Liste[liste.Nombre] = std::move(liaison);
    return *liste.Liste[liste.Nombre];
  }

  TCharge& Charge(std::uint8_t type, std::int32_t n1, std::int32_t n2, double fx, double fy) {
    auto charge = std::make_unique<TCharge>();
    charge->TypeCharge = type;
    charge->N1 = n1;
    charge->N2 = n2;
    charge->Fx = fx;
    charge->Fy = fy;
    TCharges& liste = S().Charges;
    liste.Nombre = liste.Nombre + 1;
    S().NbCharges = liste.Nombre;
    liste.Liste[liste.Nombre] = std::move(charge);
    return *liste.Liste[liste.Nombre];
  }

  // Nodes (0, 0), (1, 0), (0, 1) as 1, 2, 3 and the element 1, 2, 3 on them.
  TElement& TriangleUnite(double epaisseur, double e, double nu) {
    Noeud(1, 0.0, 0.0);
    Noeud(2, 1.0, 0.0);
    Noeud(3, 0.0, 1.0);
    return Element(1, 2, 3, epaisseur, e, nu);
  }

  // A random model of up to 100 nodes and 100 elements: a perturbed grid
  // numbered at random, two counter-clockwise triangles per cell with random
  // vertex order and material, sometimes one node that no element holds; loads
  // of every type, ignored ones included. With supports, it is stable: a hinge
  // at one corner, v = 0 at the next along the bottom edge, a hinge at the lone
  // node, and more supports (codes 0 to 4) at distinct other nodes. Young's
  // moduli lie between eMax / 210 and eMax.
  void ModeleAleatoire(std::mt19937& aleas, bool avecLiaisons, double eMax = 210000.0) {
    const auto uniforme = [&aleas](double a, double b) {
      return std::uniform_real_distribution<double>(a, b)(aleas);
    };
    const auto entier = [&aleas](int a, int b) {
      return std::uniform_int_distribution<int>(a, b)(aleas);
    };
    S().TypeProbleme = entier(1, 2);
    const bool noeudIsole = entier(0, 1) == 1;
    const int nx = entier(2, 11);
    const int nyMax = std::min((NbMaxNoeuds - 1) / nx, NbMaxElements / 2 / (nx - 1) + 1);
    const int ny = entier(2, nyMax);
    const int nombre = nx * ny + (noeudIsole ? 1 : 0);
    std::vector<std::int32_t> numero(static_cast<std::size_t>(nombre));
    for (int k = 0; k < nombre; ++k) {
      numero[static_cast<std::size_t>(k)] = k + 1;
    }
    std::shuffle(numero.begin(), numero.end(), aleas);
    const auto grille = [&](int i, int j) { return numero[static_cast<std::size_t>(j * nx + i)]; };

    const double hx = uniforme(1.0, 100.0);
    const double hy = uniforme(1.0, 100.0);
    const double x0 = uniforme(-500.0, 500.0);
    const double y0 = uniforme(-500.0, 500.0);
    for (int j = 0; j < ny; ++j) {
      for (int i = 0; i < nx; ++i) {
        Noeud(grille(i, j), x0 + (i + uniforme(-0.2, 0.2)) * hx,
              y0 + (j + uniforme(-0.2, 0.2)) * hy);
      }
    }
    if (noeudIsole) {
      Noeud(numero.back(), uniforme(-500.0, 500.0), uniforme(-500.0, 500.0));
    }
    const auto triangle = [&](std::int32_t a, std::int32_t b, std::int32_t c) {
      const std::int32_t v[3] = {a, b, c};
      const int r = entier(0, 2);
      Element(v[r], v[(r + 1) % 3], v[(r + 2) % 3], uniforme(1.0, 10.0),
              uniforme(eMax / 210.0, eMax), uniforme(0.0, 0.45));
    };
    for (int j = 0; j + 1 < ny; ++j) {
      for (int i = 0; i + 1 < nx; ++i) {
        const std::int32_t a = grille(i, j);
        const std::int32_t b = grille(i + 1, j);
        const std::int32_t c = grille(i + 1, j + 1);
        const std::int32_t d = grille(i, j + 1);
        if (entier(0, 1) == 0) {
          triangle(a, b, c);
          triangle(a, c, d);
        } else {
          triangle(a, b, d);
          triangle(b, c, d);
        }
      }
    }

    if (avecLiaisons) {
      std::vector<std::int32_t> autres(numero.begin(), numero.begin() + nx * ny);
      autres.erase(std::remove_if(
                       autres.begin(), autres.end(),
                       [&](std::int32_t n) { return n == grille(0, 0) || n == grille(nx - 1, 0); }),
                   autres.end());
      std::shuffle(autres.begin(), autres.end(), aleas);
      struct Appui {
        std::uint8_t type;
        std::int32_t noeud;
      };
      std::vector<Appui> appuis = {{3, grille(0, 0)}, {2, grille(nx - 1, 0)}};
      if (noeudIsole) {
        appuis.push_back({3, numero.back()});
      }
      const int plus = entier(0, std::min<int>(NbMaxLiaisons - static_cast<int>(appuis.size()),
                                               static_cast<int>(autres.size())));
      for (int k = 0; k < plus; ++k) {
        appuis.push_back(
            {static_cast<std::uint8_t>(entier(0, 4)), autres[static_cast<std::size_t>(k)]});
      }
      std::shuffle(appuis.begin(), appuis.end(), aleas);
      for (const Appui& appui : appuis) {
        Liaison(appui.type, appui.noeud);
      }
    }

    const int charges = entier(1, NbMaxCharges);
    for (int k = 0; k < charges; ++k) {
      const int type = entier(0, 5);
      if (type <= 1) {
        Charge(1, entier(1, S().Elements.Nombre), 0, uniforme(-0.1, 0.1), uniforme(-0.1, 0.1));
      } else if (type <= 4) {
        Charge(2, entier(1, nombre), entier(1, nombre), uniforme(-50.0, 50.0),
               uniforme(-50.0, 50.0));
      } else {
        Charge(static_cast<std::uint8_t>(entier(3, 255)), 1, 2, 1.0, 1.0);
      }
    }
  }

 private:
  std::filesystem::path chemin_;
  std::unique_ptr<TStructure> structure_;
};
