// Golden end-to-end cases: each folder of tests/e2e is one run of the built
// program, compared byte for byte with what it must print and write.
//   entree/            files copied into an empty working folder
//   stdin              what is typed at the prompt
//   attendu/stdout, attendu/stderr (absent: empty), attendu/statut (absent: 0)
//   attendu/fichiers/  every file the run must create there, byte for byte
//   attendu/visualiseur  one line per start of the viewer (absent: none)
// ELASPLAN_REGENERER=1 rewrites attendu/ from the actual run, to be reviewed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/outils_processus.hpp"

namespace {

namespace fs = std::filesystem;

const fs::path kCas = ELASPLAN_DOSSIER_E2E;
const fs::path kProgramme = ELASPLAN_PROGRAMME;

std::vector<std::string> NomsDesCas() {
  std::vector<std::string> noms;
  for (const auto& entree : fs::directory_iterator(kCas)) {
    if (entree.is_directory()) {
      noms.push_back(entree.path().filename().string());
    }
  }
  std::sort(noms.begin(), noms.end());
  return noms;
}

std::string LireSiPresent(const fs::path& chemin, const std::string& defaut = "") {
  return fs::exists(chemin) ? essai::LireFichier(chemin) : defaut;
}

// Files of a folder, by name relative to it; the picture beside the report
// is checked by its own tests, not byte for byte here.
std::set<std::string> Fichiers(const fs::path& dossier) {
  std::set<std::string> noms;
  if (!fs::exists(dossier)) {
    return noms;
  }
  for (const auto& entree : fs::recursive_directory_iterator(dossier)) {
    if (entree.is_regular_file() && entree.path().extension() != ".svg") {
      noms.insert(fs::relative(entree.path(), dossier).generic_string());
    }
  }
  return noms;
}

std::string Joindre(const std::vector<std::string>& lignes) {
  std::string texte;
  for (const auto& ligne : lignes) {
    texte += ligne + "\n";
  }
  return texte;
}

class BoutEnBout : public testing::TestWithParam<std::string> {};

TEST_P(BoutEnBout, RunMatchesGolden) {
  const fs::path cas = kCas / GetParam();
  const fs::path attendu = cas / "attendu";
  essai::DossierTemporaire travail;
  const std::set<std::string> entrees = Fichiers(cas / "entree");
  for (const auto& nom : entrees) {
    fs::create_directories((travail.Chemin() / nom).parent_path());
    fs::copy_file(cas / "entree" / nom, travail.Chemin() / nom);
  }
  const std::string visualiseurAttendu = LireSiPresent(attendu / "visualiseur");
  const int appels = static_cast<int>(std::count(visualiseurAttendu.begin(),
                                                 visualiseurAttendu.end(), '\n'));

  essai::Lancement lancement;
  lancement.programme = kProgramme;
  lancement.dossier = travail.Chemin();
  lancement.entree = LireSiPresent(cas / "stdin");
  const essai::Execution execution = essai::Lancer(lancement, appels);
  ASSERT_FALSE(execution.delaiDepasse) << "the run did not end in time";
  ASSERT_EQ(0, execution.signal) << "the run was ended by a signal";

  std::set<std::string> crees;
  for (const auto& nom : Fichiers(travail.Chemin())) {
    if (entrees.count(nom) == 0) {
      crees.insert(nom);
    }
  }

  if (std::getenv("ELASPLAN_REGENERER") != nullptr) {
    fs::remove_all(attendu);
    fs::create_directories(attendu / "fichiers");
    essai::EcrireFichier(attendu / "stdout", execution.sortie);
    if (!execution.erreur.empty()) {
      essai::EcrireFichier(attendu / "stderr", execution.erreur);
    }
    if (execution.statut != 0) {
      essai::EcrireFichier(attendu / "statut", std::to_string(execution.statut) + "\n");
    }
    if (!execution.visualiseur.empty()) {
      essai::EcrireFichier(attendu / "visualiseur", Joindre(execution.visualiseur));
    }
    for (const auto& nom : crees) {
      fs::create_directories((attendu / "fichiers" / nom).parent_path());
      fs::copy_file(travail.Chemin() / nom, attendu / "fichiers" / nom);
    }
    GTEST_SKIP() << "golden rewritten: review it";
  }

  EXPECT_EQ(std::stoi(LireSiPresent(attendu / "statut", "0")), execution.statut);
  EXPECT_EQ(LireSiPresent(attendu / "stdout"), execution.sortie);
  EXPECT_EQ(LireSiPresent(attendu / "stderr"), execution.erreur);
  EXPECT_EQ(visualiseurAttendu, Joindre(execution.visualiseur));
  const std::set<std::string> prevus = Fichiers(attendu / "fichiers");
  EXPECT_EQ(prevus, crees);
  for (const auto& nom : prevus) {
    if (crees.count(nom) != 0) {
      EXPECT_EQ(essai::LireFichier(attendu / "fichiers" / nom),
                essai::LireFichier(travail.Chemin() / nom))
          << nom;
    }
  }
}

std::string NomDuCas(const testing::TestParamInfo<std::string>& info) {
  std::string nom = info.param;
  std::replace_if(
      nom.begin(), nom.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); },
      '_');
  return nom;
}

INSTANTIATE_TEST_SUITE_P(Cas, BoutEnBout, testing::ValuesIn(NomsDesCas()), NomDuCas);

}  // namespace
