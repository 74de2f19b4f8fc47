// Whole runs on data too large to be kept as golden cases: lines of a million
// characters, names at and far beyond the length of a file name.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/outils_processus.hpp"

namespace {

namespace fs = std::filesystem;
using essai::LireFichier;

// The worked example's golden run, and the console of a run that stops at the
// prompt.
const fs::path kCommuns = fs::path(ELASPLAN_DOSSIER_E2E) / "communs";
const std::string kPlaque = LireFichier(kCommuns / "plaque.txt");
const std::string kConsole = LireFichier(kCommuns / "echo_complet.stdout");
const std::string kResultats = LireFichier(kCommuns / "plaquer.txt");
const std::string kInvite = LireFichier(kCommuns / "invite.stdout");

std::string Remplacer(const std::string& avant, const std::string& apres,
                      std::string texte = kPlaque) {
  return texte.replace(texte.find(avant), avant.size(), apres);
}

// The refusal of a name beyond 259 characters, whatever the system would say of it.
std::string Refus(const std::string& nom,
                  const std::string& quoi = "d'ouvrir le fichier de donn\351es") {
  return "Impossible " + quoi + " \"" + nom + "\" : nom trop long (" + std::to_string(nom.size()) +
         " caract\350res, 259 au plus)\r\n";
}

struct Cas {
  const char* quoi;
  std::string nom, donnees;                // typed at the prompt; the data file, if any
  std::string erreur, console, resultats;  // an error ends with status 1; "-": not created
};

// A long line changes nothing but the echo, wherever the reader meets it: a
// title, blanks before a count, text after a record, a comment line. A number
// is cut at 32 characters.
TEST(DonneesExtremes, HugeLinesAndLongNames) {
  const std::string x(1000000, 'x'), chiffres(1000000, '1'), n(100000, 'n');
  const std::string longues =
      Remplacer("$noe", x + "\r\n$noe",
                Remplacer("3 1\r\n", "3 1 " + x + "\r\n",
                          Remplacer("4\r\n0 0", std::string(1000000, ' ') + "4\r\n0 0",
                                    Remplacer("Plaque carr\351e, deux \xE9l\xE9ments", x))));
  const std::string ddd = "ddd/" + std::string(251, 'b');  // its data file's name: 259
  const Cas cas[] = {
      {"long lines", "plaque", longues, "", Remplacer("$noe", x + "\r\n$noe", kConsole),
       kResultats},
      {"million digits", "plaque", Remplacer("$noe\r\n4", "$noe\r\n" + chiffres),
       "Erreur d'ex\351cution : Invalid numeric input (plaque.txt, ligne 6 : \"" +
           chiffres.substr(0, 32) + "\")\r\n",
       kConsole.substr(0, kConsole.find("$ele")), ""},
      {"results", ddd, kPlaque, Refus(ddd + "r.txt", "de cr\351er le fichier de r\351sultats"),
       kInvite, "-"},
      {"data", n.substr(0, 256), "", Refus(n.substr(0, 256) + ".txt"), kInvite, "-"},
      {"data", n, "", Refus(n + ".txt"), kInvite, "-"},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.quoi);
    const essai::DossierTemporaire dossier;
    const fs::path resultats = dossier.Chemin() / (c.nom + "r.txt");
    if (!c.donnees.empty()) {
      fs::create_directories(resultats.parent_path());
      essai::EcrireFichier(dossier.Chemin() / (c.nom + ".txt"), c.donnees);
    }
    const essai::Execution e = essai::Lancer({ELASPLAN_PROGRAMME, dossier.Chemin(), c.nom + "\n"});
    EXPECT_EQ(c.erreur.empty() ? 0 : 1, e.statut);
    EXPECT_EQ(c.erreur, e.erreur);
    EXPECT_EQ(c.console, e.sortie);
    std::error_code nomTropLong;
    EXPECT_EQ(c.resultats,
              fs::is_regular_file(resultats, nomTropLong) ? LireFichier(resultats) : "-");
    EXPECT_EQ(c.erreur.empty() ? "plaquer.txt\n" : "", e.visualiseur);
  }
}

}  // namespace
