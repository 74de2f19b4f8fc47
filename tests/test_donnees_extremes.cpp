// Whole runs on data too large to be kept as golden cases: lines of a million
// characters, names at and far beyond the length of a file name.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/outils_processus.hpp"

namespace {

namespace fs = std::filesystem;
using essai::LireFichier;

const fs::path kCommuns = fs::path(ELASPLAN_DOSSIER_E2E) / "communs";
const std::string kPlaque = LireFichier(kCommuns / "plaque.txt");

std::string Remplacer(std::string texte, const std::string& avant, const std::string& apres) {
  return texte.replace(texte.find(avant), avant.size(), apres);
}

// The refusal of a name beyond 259 characters, whatever the system would say of it.
std::string Refus(const std::string& nom, const char* quoi = "d'ouvrir le fichier de donn\351es") {
  return "Impossible " + std::string(quoi) + " \"" + nom + "\" : nom trop long (" +
         std::to_string(nom.size()) + " caract\350res, 259 au plus)\r\n";
}

// A long line changes nothing but the echo, wherever the reader meets it: a
// title, blanks before a count, text after a record, a comment line. A number
// is cut at 32 characters. A name too long is refused; an error ends with
// status 1 and "-" stands for a file not created.
TEST(DonneesExtremes, HugeLinesAndLongNames) {
  const std::string x(1000000, 'x'), chiffres(1000000, '1'), n(100000, 'n');
  const std::string console = LireFichier(kCommuns / "echo_complet.stdout");
  const std::string invite = LireFichier(kCommuns / "invite.stdout");
  std::string longues = Remplacer(kPlaque, "Plaque carr\351e, deux \xE9l\xE9ments", x);
  longues = Remplacer(Remplacer(longues, "4\r\n0 0", std::string(1000000, ' ') + "4\r\n0 0"),
                      "3 1\r\n", "3 1 " + x + "\r\n");
  const std::string ddd = "ddd/" + std::string(251, 'b');  // its data file's name: 259
  const struct {
    std::string nom, donnees, erreur, console, resultats;
  } cas[] = {
      {"plaque", Remplacer(longues, "$noe", x + "\r\n$noe"), "",
       Remplacer(console, "$noe", x + "\r\n$noe"), LireFichier(kCommuns / "plaquer.txt")},
      {"plaque", Remplacer(kPlaque, "$noe\r\n4", "$noe\r\n" + chiffres),
       "Erreur d'ex\351cution : Invalid numeric input (plaque.txt, ligne 6 : \"" +
           chiffres.substr(0, 32) + "\")\r\n",
       console.substr(0, console.find("$ele")), ""},
      {ddd, kPlaque, Refus(ddd + "r.txt", "de cr\351er le fichier de r\351sultats"), invite, "-"},
      {n.substr(0, 256), "", Refus(n.substr(0, 256) + ".txt"), invite, "-"},
      {n, "", Refus(n + ".txt"), invite, "-"},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.nom.substr(0, 8));
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
