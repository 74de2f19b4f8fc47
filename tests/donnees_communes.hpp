// The run-time errors routines raise, and models built in memory.
#pragma once

#include <gtest/gtest.h>

#include <cfenv>
#include <filesystem>
#include <memory>
#include <string>

#include "app/erreurs.hpp"
#include "model/structure.hpp"
#include "tests/outils_processus.hpp"

namespace donnees {

// The message of the run-time error `appel` raises; "no error".
template <typename Appel>
std::string Erreur(Appel&& appel) {
  try {
    appel();
  } catch (const ErreurExecution& erreur) {
    return erreur.what();
  }
  return "no error";
}

// A structure of its own as the current one, with a results file; the
// floating-point faults the program traps are flags here, and none may rise.
struct Modele {
  std::unique_ptr<TStructure> structure = std::make_unique<TStructure>();
  TStructure& s = *structure;
  const essai::DossierTemporaire dossier;
  const std::filesystem::path chemin = dossier.Chemin() / "r.txt";
  Modele() {
    Structure = &s;
    EXPECT_TRUE(s.Resultats.Creer(chemin.string()));
    std::feclearexcept(FE_ALL_EXCEPT);
  }
  ~Modele() {
    EXPECT_EQ(0, std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID)) << "fault";
    s.Abandonner();
    Structure = nullptr;
  }
  // Appends to one of the structure's lists; the supports' and loads' counts
  // follow their lists.
  template <typename T, int Taille>
  T& Ajouter(TListe<T, Taille>& liste, const T& item) {
    liste.Liste[++liste.Nombre] = std::make_unique<T>(item);
    s.NbLiaisons = s.Liaisons.Nombre, s.NbCharges = s.Charges.Nombre;
    return *liste.Liste[liste.Nombre];
  }
  std::string Resultats() const {
    TFichierTexte::Synchroniser();
    return essai::LireFichier(chemin);
  }
};

}  // namespace donnees
