// Whole runs on data too large to be kept as golden cases: lines of a million
// characters, megabytes of garbage, names at and far beyond the length of a
// file name.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <random>
#include <string>

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
  return texte.replace(texte.find(avant), avant.size(), apres);
}

struct Attendu {
  int statut;
  std::string erreur, console;
  std::optional<std::string> resultats;  // none: not created
};

// Runs with `nom` typed at the prompt and `donnees`, if any, as its data file.
void Verifier(const char* quoi, const std::string& nom, const std::string& donnees,
              const Attendu& a) {
  SCOPED_TRACE(quoi);
  const essai::DossierTemporaire dossier;
  const fs::path resultats = dossier.Chemin() / (nom + "r.txt");
  if (!donnees.empty()) {
    fs::create_directories(resultats.parent_path());
    essai::EcrireFichier(dossier.Chemin() / (nom + ".txt"), donnees);
  }
  const essai::Execution e = essai::Lancer({ELASPLAN_PROGRAMME, dossier.Chemin(), nom + "\n"});
  EXPECT_EQ(a.statut, e.statut);
  EXPECT_EQ(a.erreur, e.erreur);
  EXPECT_EQ(a.console, e.sortie);
  std::error_code nomTropLong;
  EXPECT_EQ(a.resultats.has_value(), fs::is_regular_file(resultats, nomTropLong));
  EXPECT_EQ(a.resultats.value_or(""), LireFichier(resultats));
  EXPECT_EQ(a.statut == 0 ? 1u : 0u, e.visualiseur.size());
}

// A long line changes nothing but the echo, wherever the reader meets it; a
// number is cut at 32 characters. Lines of bytes of every value but "$" (no
// keyword line) and Ctrl-Z (no end of file) are echoed each without its CRs,
// then CR LF.
TEST(DonneesExtremes, LongLinesAndGarbage) {
  const std::string x(1000000, 'x'), chiffres(1000000, '1');
  const Attendu complet{0, "", kConsole, kResultats};
  Verifier("title", "plaque", Remplacer("Plaque carr\351e, deux \xE9l\xE9ments", x), complet);
  Verifier("blanks", "plaque", Remplacer("4\r\n0 0", std::string(1000000, ' ') + "4\r\n0 0"),
           complet);
  Verifier("after a record", "plaque", Remplacer("3 1\r\n", "3 1 " + x + "\r\n"), complet);
  Verifier("comment", "plaque", Remplacer("$noe", x + "\r\n$noe"),
           {0, "", Remplacer("$noe", x + "\r\n$noe", kConsole), kResultats});
  Verifier("million digits", "plaque", Remplacer("$noe\r\n4", "$noe\r\n" + chiffres),
           {1,
            "Erreur d'ex\351cution : Invalid numeric input (plaque.txt, ligne 6 : \"" +
                chiffres.substr(0, 32) + "\")\r\n",
            kConsole.substr(0, kConsole.find("$ele")), ""});
  std::mt19937 aleas(2);
  std::string bruit = "$deb\n", echo = kInvite;
  while (bruit.size() < (3 << 20)) {
    const char c = static_cast<char>(aleas() % 256);
    if (c != '$' && c != '\x1A') {
      bruit += c;
      echo += c == '\n' ? "\r\n" : c == '\r' ? "" : std::string(1, c);
    }
  }
  Verifier("garbage", "plaque", bruit + "\n",
           {0, "", echo + "\r\n", LireFichier(kCommuns / "plaquer_sans_fin.txt")});
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
