// A model built in memory for the element, solver and picture tests: a
// structure of its own as the current one, its results file in a temporary
// file, and no floating-point fault allowed (the program traps them; here they
// are flags).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "model/structure.hpp"
#include "tests/donnees_communes.hpp"

class StructureEnMemoire : public testing::Test {
 protected:
  void SetUp() override {
    chemin_ = donnees::Temporaire();
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

  TStructure& S() { return *structure_; }

  // Everything written into the results file so far; without `vider`, only
  // what the stream has already handed over.
  std::string Resultats(bool vider = true) {
    if (vider) {
      Vider(structure_->Resultats);
    }
    TFichierTexte::Synchroniser();  // what is handed over, as an outsider sees it
    return donnees::Contenu(chemin_);
  }

  // Nodes at the given points, numbered from `premier` on.
  void Noeuds(std::int32_t premier, std::initializer_list<TPoint> points) {
    for (const TPoint& p : points) {
      S().Noeuds[premier] = p;
      S().NbNoeuds = std::max(S().NbNoeuds, premier++);
    }
  }

  TElement& Element(std::int32_t a, std::int32_t b, std::int32_t c, double epaisseur, double e,
                    double nu) {
    TElement element{{}, epaisseur, e, nu};
    std::tie(element.Sommets[1], element.Sommets[2], element.Sommets[3]) = std::tie(a, b, c);
    return Ajouter(S().Elements, element);
  }

  TLiaison& Liaison(std::uint8_t type, std::int32_t noeud) {
    S().NbLiaisons = S().Liaisons.Nombre + 1;
    return Ajouter(S().Liaisons, TLiaison{type, noeud, 0.0, 0.0});
  }

  TCharge& Charge(std::uint8_t type, std::int32_t n1, std::int32_t n2, double fx, double fy) {
    S().NbCharges = S().Charges.Nombre + 1;
    return Ajouter(S().Charges, TCharge{type, n1, n2, fx, fy});
  }

  // Nodes (0, 0), (1, 0), (0, 1) as 1, 2, 3 and the element 1, 2, 3 on them.
  TElement& TriangleUnite(double epaisseur, double e, double nu) {
    Noeuds(1, {{0.0, 0.0}, {1.0, 0.0}, {0.0, 1.0}});
    return Element(1, 2, 3, epaisseur, e, nu);
  }

  // A perturbed grid of at most 100 nodes numbered at random, two
  // counter-clockwise triangles per cell (at most 100 in all) with random
  // vertex order and material, loads of every type, ignored ones included.
  // With supports it is stable: a hinge at one corner, v = 0 at the next
  // along the bottom edge, codes 0 to 4 at distinct other nodes. Young's
  // moduli lie between eMax / 210 and eMax.
  void ModeleAleatoire(std::mt19937& aleas, bool avecLiaisons, double eMax = 210000.0) {
    std::uniform_real_distribution<double> uniforme(0.0, 1.0);
    const auto reel = [&](double a, double b) { return a + (b - a) * uniforme(aleas); };
    const auto entier = [&](int a, int b) { return a + static_cast<int>(aleas() % (b - a + 1)); };
    S().TypeProbleme = entier(1, 2);
    const int nx = entier(2, 11);
    const int nombre = nx * entier(2, std::min(NbMaxNoeuds / nx, NbMaxElements / 2 / (nx - 1) + 1));
    std::vector<int> numero(static_cast<std::size_t>(nombre));
    std::iota(numero.begin(), numero.end(), 1);
    std::shuffle(numero.begin(), numero.end(), aleas);
    const double hx = reel(1.0, 100.0), hy = reel(1.0, 100.0), x0 = reel(-500.0, 500.0);
    for (int k = 0; k < nombre; ++k) {
      Noeuds(numero[k], {{x0 + (k % nx + reel(-0.2, 0.2)) * hx, (k / nx + reel(-0.2, 0.2)) * hy}});
    }
    // Cell k: its diagonal from k to k + nx + 1, or from k + 1 to k + nx.
    for (int k = 0; k + nx < nombre; ++k) {
      const int d = entier(0, 1), v[6] = {k, k + 1, k + nx + 1 - d, k + d, k + nx + 1, k + nx};
      for (int t = 0; t < 6 && k % nx != nx - 1; t += 3) {
        const int r = entier(0, 2);
        Element(numero[v[t + r]], numero[v[t + (r + 1) % 3]], numero[v[t + (r + 2) % 3]],
                reel(1.0, 10.0), reel(eMax / 210.0, eMax), reel(0.0, 0.45));
      }
    }
    if (avecLiaisons) {
      Liaison(3, numero[0]);
      Liaison(2, numero[nx - 1]);
      for (int k = entier(0, std::min(NbMaxLiaisons - 2, nombre - 2)); k > 0; --k) {
        Liaison(entier(0, 4), numero[k < nx - 1 ? k : k + 1]);
      }
    }
    for (int k = entier(1, NbMaxCharges); k > 0; --k) {
      const int type = entier(1, 3);
      const double f = type == 1 ? 0.1 : 50.0;
      Charge(type == 3 ? entier(3, 255) : type, entier(1, type == 1 ? S().Elements.Nombre : nombre),
             entier(1, nombre), reel(-f, f), reel(-f, f));
    }
  }

 private:
  template <typename T, int Taille>
  static T& Ajouter(TListe<T, Taille>& liste, const T& item) {
    liste.Nombre = liste.Nombre + 1;
    liste.Liste[liste.Nombre] = std::make_unique<T>(item);
    return *liste.Liste[liste.Nombre];
  }

  std::filesystem::path chemin_;
  std::unique_ptr<TStructure> structure_;
};
