// Golden end-to-end cases: each folder of tests/e2e is one run of the built
// program, compared byte for byte with what it must print and write.
//   entree/   files written into an empty working folder, only read
//   stdin     what is typed at the prompt
//   montage   comments, then the fault: "entree-fermee", "sortie-fermee" or
//             "sortie-pleine" (the full device)
//   commande  a shell script that starts "$programme" its own way ("$o": a
//             folder of its own; exit 77: a means it needs is missing)
//   attendu/  stdout, stderr, statut, visualiseur (a line per start of the
//             viewer), fichiers/ (what the run creates, the picture aside);
//             an absent file stands for an empty one, statut for 0
//   communs   a line per shared file: its path in the case, then its name in
//             e2e/communs/; the case's own file comes first
// A run this system cannot give (a shell on Windows, a full device outside
// Wine) is skipped.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "tests/outils_processus.hpp"

namespace {

namespace fs = std::filesystem;
using essai::Arbre;

const fs::path kCas = ELASPLAN_DOSSIER_E2E;

std::set<std::string> NomsDesCas() {
  std::set<std::string> noms;
  for (const auto& entree : fs::directory_iterator(kCas)) {
    noms.insert(entree.path().filename().string());
  }
  noms.erase("communs");
  return noms;
}

class BoutEnBout : public testing::TestWithParam<std::string> {};

TEST_P(BoutEnBout, RunMatchesGolden) {
  const fs::path cas = kCas / GetParam();
  Arbre entrees, attendu;
  for (const auto& [nom, octets] : essai::LireCas(cas)) {
    if (nom.starts_with("entree/") || nom.starts_with("attendu/")) {
      (nom[0] == 'e' ? entrees : attendu)[nom.substr(nom.find('/') + 1)] = octets;
    }
  }
  attendu.insert({{"stdout", ""}, {"stderr", ""}, {"statut", "0\n"}, {"visualiseur", ""}});
  essai::DossierTemporaire travail;
  const std::optional<essai::Execution> e = essai::LancerCas(cas, travail.Chemin());
  if (!e) {
    GTEST_SKIP() << "a means this run needs is missing here";
  }

  Arbre obtenu{{"stdout", e->sortie},
               {"stderr", e->erreur},
               {"statut", std::to_string(e->statut) + "\n"},
               {"visualiseur", e->visualiseur}};
  // The picture beside the report is checked by its own tests.
  for (const auto& [nom, octets] : essai::LireArbre(travail.Chemin())) {
    if (entrees.count(nom) != 0) {
      EXPECT_EQ(entrees.at(nom).size(), octets.size()) << nom << " written to";
    } else if (!nom.ends_with(".svg")) {
      obtenu["fichiers/" + nom] = octets;
    }
  }

  for (const auto& [nom, octets] : attendu) {
    obtenu.try_emplace(nom, "(not created)");
  }
  for (const auto& [nom, octets] : obtenu) {
    EXPECT_EQ(attendu.count(nom) != 0 ? attendu[nom] : "(not to be created)", octets) << nom;
  }
}

// A folder's name is its test's: letters, digits and underscores only.
INSTANTIATE_TEST_SUITE_P(Cas, BoutEnBout, testing::ValuesIn(NomsDesCas()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

}  // namespace
