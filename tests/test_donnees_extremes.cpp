// Whole runs on data too large to be kept as golden cases: lines of a million
// characters, megabytes of garbage, names at and far beyond the length of a
// file name.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tests/outils_processus.hpp"

namespace {

namespace fs = std::filesystem;
using essai::LireFichier;

// The worked example's golden run, and the console of a run that stops at the
// prompt: what a run on changed data is held to.
const fs::path kCommuns = fs::path(ELASPLAN_DOSSIER_E2E) / "communs";
const std::string kPlaque = LireFichier(kCommuns / "plaque.txt");
const std::string kConsole = LireFichier(kCommuns / "echo_complet.stdout");
const std::string kResultats = LireFichier(kCommuns / "plaquer.txt");
const std::string kInvite = LireFichier(kCommuns / "invite.stdout");

std::string Remplacer(const std::string& avant, const std::string& apres,
                      std::string texte = kPlaque) {
  const std::size_t ici = texte.find(avant);
  EXPECT_NE(std::string::npos, ici) << avant;
  return ici == std::string::npos ? texte : texte.replace(ici, avant.size(), apres);
}

// How a run must end. A normal end shows the results file; a complete report
// comes with its picture.
struct Attendu {
  int statut;
  std::string erreur, console;
  std::optional<std::string> resultats;  // none: not created
};

// Runs with `nom` typed at the prompt and `donnees`, if any, as its data file.
void Verifier(const std::string& trace, const std::string& nom, const std::string& donnees,
              const Attendu& a) {
  SCOPED_TRACE(trace);
  const essai::DossierTemporaire dossier;
  const fs::path d = dossier.Chemin(), fichier = d / (nom + ".txt");
  if (!donnees.empty()) {
    fs::create_directories(fichier.parent_path());
    essai::EcrireFichier(fichier, donnees);
  }
  const essai::Execution e = essai::Lancer({ELASPLAN_PROGRAMME, d, nom + "\n"});
  EXPECT_TRUE(!e.delaiDepasse && e.signal == 0) << "hung, or ended by signal " << e.signal;
  EXPECT_EQ(a.statut, e.statut);
  EXPECT_EQ(a.erreur, e.erreur);
  EXPECT_EQ(a.console, e.sortie);
  const fs::path resultats = d / (nom + "r.txt");
  std::error_code nomTropLong;
  EXPECT_EQ(a.resultats.has_value(), fs::is_regular_file(resultats, nomTropLong));
  EXPECT_EQ(a.resultats.value_or(""), LireFichier(resultats));
  EXPECT_EQ(a.statut == 0 && a.resultats == kResultats,
            fs::is_regular_file(fs::path(resultats).replace_extension(".svg"), nomTropLong));
  if (!donnees.empty()) {
    EXPECT_EQ(donnees.size(), fs::file_size(fichier)) << "data file written to";
  }
  EXPECT_EQ(a.statut == 0 ? std::vector<std::string>{nom + "r.txt"} : std::vector<std::string>{},
            e.visualiseur);
}

// Lines of bytes of every value but "$" (no keyword line) and Ctrl-Z (no end
// of file), and their console echo: each line without any CR, then CR LF.
std::string Bruit(std::size_t taille, std::string& echo) {
  std::mt19937 aleatoire(2);
  std::string bruit;
  while (bruit.size() < taille) {
    const char c = static_cast<char>(aleatoire() % 256);
    if (c != '$' && c != '\x1A') {
      bruit += c;
      echo += c == '\n' ? "\r\n" : c == '\r' ? "" : std::string(1, c);
    }
  }
  echo += "\r\n";
  return bruit + "\n";
}

// A long line changes nothing but the echo, wherever the reader meets it.
TEST(DonneesExtremes, LongLinesAndGarbage) {
  const std::string x(1000000, 'x');
  const Attendu complet{0, "", kConsole, kResultats};
  Verifier("title", "plaque", Remplacer("Plaque carr\351e, deux \xE9l\xE9ments", x), complet);
  Verifier("blanks", "plaque", Remplacer("4\r\n0 0", std::string(1000000, ' ') + "4\r\n0 0"),
           complet);
  Verifier("after a record", "plaque", Remplacer("3 1\r\n", "3 1 " + x + "\r\n"), complet);
  Verifier("comment", "plaque", Remplacer("$noe", x + "\r\n$noe"),
           {0, "", Remplacer("$noe", x + "\r\n$noe", kConsole), kResultats});
  const std::string chiffres(1000000, '1'), coupe(32, '1');  // a number is cut at 32 characters
  Verifier("million digits", "plaque", Remplacer("$noe\r\n4", "$noe\r\n" + chiffres),
           {1,
            "Erreur d'ex\351cution : Invalid numeric input (plaque.txt, ligne 6 : \"" + coupe +
                "\")\r\n",
            kConsole.substr(0, kConsole.find("$ele")), ""});
  std::string echo;
  const std::string bruit = "$deb\n" + Bruit(3 << 20, echo);
  Verifier("garbage", "plaque", bruit,
           {0, "", kInvite + echo, LireFichier(kCommuns / "plaquer_sans_fin.txt")});
}

// A data or results file name beyond 259 characters is refused, whatever the
// system would say of it.
TEST(DonneesExtremes, NamesTooLong) {
  const auto refus = [](const std::string& quoi, const std::string& nom) {
    return "Impossible " + quoi + " \"" + nom + "\" : nom trop long (" +
           std::to_string(nom.size()) + " caract\350res, 259 au plus)\r\n";
  };
  const std::string resultats = "ddd/" + std::string(251, 'b');  // its data file's name: 259
  Verifier("results", resultats, kPlaque,
           {1, refus("de cr\351er le fichier de r\351sultats", resultats + "r.txt"), kInvite, {}});
  for (const std::size_t longueur : {256, 100000}) {
    const std::string nom(longueur, 'n');
    Verifier("data", nom, "",
             {1, refus("d'ouvrir le fichier de donn\351es", nom + ".txt"), kInvite, {}});
  }
}

}  // namespace
