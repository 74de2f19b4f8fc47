// Temporary files and their contents, and the run-time errors routines raise.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "app/erreurs.hpp"

namespace donnees {

inline std::string Contenu(const std::filesystem::path& chemin) {
  std::ifstream entree(chemin, std::ios::binary);
  return {std::istreambuf_iterator<char>(entree), std::istreambuf_iterator<char>()};
}

// A file name of its own for the test and process: two suites may run at once.
inline std::filesystem::path Temporaire() {
  static const std::string processus = std::to_string(std::random_device{}());
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  return std::filesystem::temp_directory_path() /
         ("elasplan_" + processus + "_" + test->test_suite_name() + "_" + test->name() + ".txt");
}

// What `appel` raises, with its context in brackets if asked; "no error".
template <typename Appel>
std::string Erreur(Appel&& appel, bool avecContexte = false) {
  try {
    appel();
  } catch (const ErreurExecution& erreur) {
    return erreur.what() + (avecContexte ? " (" + erreur.Contexte() + ")" : std::string());
  }
  return "no error";
}

}  // namespace donnees
