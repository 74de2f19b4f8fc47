// Temporary files, the run-time errors routines raise, models built in memory.
#pragma once

#include <gtest/gtest.h>

#include <cfenv>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "app/erreurs.hpp"
#include "model/structure.hpp"
#include "tests/outils_processus.hpp"

namespace donnees {

// A file name of its own for the test and process: two suites may run at once.
inline std::filesystem::path Temporaire() {
  static const std::string processus = std::to_string(std::random_device{}());
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  return std::filesystem::temp_directory_path() /
         ("elasplan_" + processus + "_" + test->test_suite_name() + "_" + test->name() + ".txt");
}

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
  const std::filesystem::path chemin = Temporaire();
  Modele() {
    Structure = &s;
    EXPECT_TRUE(s.Resultats.Creer(chemin.string()));
    std::feclearexcept(FE_ALL_EXCEPT);
  }
  ~Modele() {
    EXPECT_EQ(0, std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID)) << "fault";
    s.Abandonner();
    Structure = nullptr;
    std::filesystem::remove(chemin);
  }
  std::string Resultats() const {
    TFichierTexte::Synchroniser();
    return essai::LireFichier(chemin);
  }
};

}  // namespace donnees
