// Golden end-to-end cases: each folder of tests/e2e is one run of the built
// program, compared byte for byte with what it must print and write.
//   entree/            files copied into an empty working folder, only read
//   stdin              what is typed at the prompt
//   montage            faults of the run, words after "#" aside: "limite <n>"
//                      (a file size limit, SIGXFSZ ignored), "entree-fermee",
//                      "sortie-fermee", "sortie-pleine" (the full device)
//   commande           a shell script that starts "$programme" its own way ("$o":
//                      a folder of its own; exit 77: a means it needs is missing,
//                      its standard error saying which)
//   attendu/stdout, attendu/stderr (absent: empty), attendu/statut (absent: 0)
//   attendu/fichiers/  every file the run must create there, byte for byte
//   attendu/visualiseur  one line per start of the viewer (absent: none)
// A run this system cannot give (a size limit or a shell on Windows, a full
// device outside Wine) is skipped. ELASPLAN_REGENERER=1 rewrites attendu/ from
// the actual run, to be reviewed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
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

// The files under a folder, links aside, none if it is absent; the picture
// beside the report is checked by its own tests, not byte for byte here.
Arbre Lire(const fs::path& dossier) {
  Arbre arbre;
  std::error_code absent;
  for (const auto& entree : fs::recursive_directory_iterator(dossier, absent)) {
    if (fs::is_regular_file(entree.symlink_status()) && entree.path().extension() != ".svg") {
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
  std::string pourquoi;
  const std::optional<essai::Execution> lance = essai::LancerCas(cas, travail.Chemin(), &pourquoi);
  if (!lance) {
    GTEST_SKIP() << "a means this run needs is missing here" << (pourquoi.empty() ? "" : ": ")
                 << pourquoi;
  }
  const essai::Execution& execution = *lance;
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
    } else {
      EXPECT_EQ(entrees.at(nom).size(), fs::file_size(travail.Chemin() / nom))
          << nom << " written to";
    }
  }

  if (std::getenv("ELASPLAN_REGENERER") != nullptr) {
    fs::remove_all(dossierAttendu);
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

// A folder's name is its test's: letters, digits and underscores only.
INSTANTIATE_TEST_SUITE_P(Cas, BoutEnBout, testing::ValuesIn(NomsDesCas()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

}  // namespace
