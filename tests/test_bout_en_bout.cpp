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
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "tests/outils_processus.hpp"

namespace {

namespace fs = std::filesystem;

// Files by their names relative to a folder, with their bytes.
using Arbre = std::map<std::string, std::string>;

const fs::path kCas = ELASPLAN_DOSSIER_E2E;

// What an absent file of attendu/ stands for.
const Arbre kParDefaut{{"stdout", ""}, {"stderr", ""}, {"statut", "0\n"}, {"visualiseur", ""}};

std::set<std::string> NomsDesCas() {
  std::set<std::string> noms;
  for (const auto& entree : fs::directory_iterator(kCas)) {
    if (entree.is_directory()) {
      noms.insert(entree.path().filename().string());
    }
  }
  return noms;
}

// The files under a folder, none if it is absent; the picture beside the
// report is checked by its own tests, not byte for byte here.
Arbre Lire(const fs::path& dossier) {
  Arbre arbre;
  std::error_code absent;
  for (const auto& entree : fs::recursive_directory_iterator(dossier, absent)) {
    if (entree.is_regular_file() && entree.path().extension() != ".svg") {
      arbre[fs::relative(entree.path(), dossier).generic_string()] =
          essai::LireFichier(entree.path());
    }
  }
  return arbre;
}

class BoutEnBout : public testing::TestWithParam<std::string> {};

TEST_P(BoutEnBout, RunMatchesGolden) {
  const fs::path cas = kCas / GetParam();
  const fs::path dossierAttendu = cas / "attendu";
  Arbre attendu = Lire(dossierAttendu);
  attendu.insert(kParDefaut.begin(), kParDefaut.end());
  attendu["statut"] = std::to_string(std::stoi(attendu["statut"])) + "\n";
  essai::DossierTemporaire travail;
  const Arbre entrees = Lire(cas / "entree");
  if (fs::exists(cas / "entree")) {  // a copy that fails throws: the case fails
    fs::copy(cas / "entree", travail.Chemin(), fs::copy_options::recursive);
  }

  essai::Lancement lancement;
  lancement.programme = ELASPLAN_PROGRAMME;
  lancement.dossier = travail.Chemin();
  lancement.entree = essai::LireFichier(cas / "stdin");
  const std::string& appels = attendu["visualiseur"];
  const essai::Execution execution =
      essai::Lancer(lancement, static_cast<int>(std::count(appels.begin(), appels.end(), '\n')));
  ASSERT_FALSE(execution.delaiDepasse) << "the run did not end in time";
  ASSERT_EQ(0, execution.signal) << "the run was ended by a signal";

  Arbre obtenu{{"stdout", execution.sortie},
               {"stderr", execution.erreur},
               {"statut", std::to_string(execution.statut) + "\n"}};
  for (const auto& ligne : execution.visualiseur) {
    obtenu["visualiseur"] += ligne + "\n";
  }
  for (const auto& [nom, octets] : Lire(travail.Chemin())) {
    if (entrees.count(nom) == 0) {
      obtenu["fichiers/" + nom] = octets;
    }
  }

  if (std::getenv("ELASPLAN_REGENERER") != nullptr) {
    fs::remove_all(dossierAttendu);
    fs::create_directories(dossierAttendu / "fichiers");
    for (const auto& [nom, octets] : obtenu) {
      const auto defaut = kParDefaut.find(nom);
      if (nom == "stdout" || defaut == kParDefaut.end() || defaut->second != octets) {
        fs::create_directories((dossierAttendu / nom).parent_path());
        essai::EcrireFichier(dossierAttendu / nom, octets);
      }
    }
    GTEST_SKIP() << "golden rewritten: review it";
  }

  obtenu.insert(kParDefaut.begin(), kParDefaut.end());
  for (const auto& [nom, octets] : attendu) {
    EXPECT_EQ(1u, obtenu.count(nom)) << nom << " was not created";
    EXPECT_EQ(octets, obtenu[nom]) << nom;
  }
  for (const auto& [nom, octets] : obtenu) {
    EXPECT_EQ(1u, attendu.count(nom)) << nom << " should not have been created";
  }
}

INSTANTIATE_TEST_SUITE_P(Cas, BoutEnBout, testing::ValuesIn(NomsDesCas()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string nom = info.param;
                           std::replace_if(
                               nom.begin(), nom.end(),
                               [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); },
                               '_');
                           return nom;
                         });

}  // namespace
