// Data files at the limits of the reader, too large or too random to be kept
// as golden cases: megabytes of garbage, lines of a million characters. Every
// row checks the exit status, standard error, standard output, the results
// file with its bytes and the picture beside it, that the data file is not
// written to, and the viewer's starts. The faults injected into a run (size
// limits, refused or closed standard streams, signals, links, permissions)
// are golden cases with a montage or a commande, in tests/e2e.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/outils_processus.hpp"

namespace {

namespace fs = std::filesystem;
using essai::LireFichier;

// The worked example's golden run, and the console of a run that stops at the
// prompt: what a run on changed data is held to.
const fs::path kCas = ELASPLAN_DOSSIER_E2E;
const std::string kPlaque = LireFichier(kCas / "plaque" / "entree" / "plaque.txt");
const std::string kConsole = LireFichier(kCas / "plaque" / "attendu" / "stdout");
const std::string kResultats = LireFichier(kCas / "plaque/attendu/fichiers/plaquer.txt");
const std::string kInvite = LireFichier(kCas / "nom_vide" / "attendu" / "stdout");

// Octal escapes where a hex digit follows: "\xE9e" would be one escape.
const std::string kIncompletes =
    "\r\nLecture du fichier : plaque.txt\r\nDonn\351es incompl\xE8tes, calcul impossible : ligne ";
const std::string kSansDebut = kIncompletes + "\"$deb\" (d\351but des donn\351es) introuvable\r\n";
const std::string kSansFin = kIncompletes + "\"$fin\" (fin des donn\351es) introuvable\r\n";

std::string Erreur(const std::string& message) {
  return "Erreur d'ex\351cution : " + message + "\r\n";
}

std::string Remplacer(const std::string& avant, const std::string& apres,
                      std::string texte = kPlaque) {
  const std::size_t ici = texte.find(avant);
  EXPECT_NE(std::string::npos, ici) << avant;
  return ici == std::string::npos ? texte : texte.replace(ici, avant.size(), apres);
}

// The console after the prompt when the reader stops before the given line.
std::string EchoJusqua(const std::string& ligne) {
  return kInvite + kConsole.substr(kInvite.size(), kConsole.find(ligne) - kInvite.size());
}

// Lines of bytes of every value but "$" (no keyword line) and Ctrl-Z (no end
// of file), and their console echo: each line without any CR, then CR LF.
std::string Bruit(std::size_t taille, unsigned graine, std::string& echo) {
  std::mt19937 aleatoire(graine);
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

// How a run of plaque.txt must end; each makes its results file. A normal end
// shows it; a complete one adds the picture.
struct Attendu {
  int statut;
  std::string erreur, console, resultats;
};

void Verifier(const std::string& nom, const std::string& donnees, const Attendu& a) {
  SCOPED_TRACE(nom);
  const essai::DossierTemporaire dossier;
  const fs::path d = dossier.Chemin();
  essai::EcrireFichier(d / "plaque.txt", donnees);
  const bool vu = a.statut == 0;
  const essai::Execution e = essai::Lancer({ELASPLAN_PROGRAMME, d, "plaque\n"});
  EXPECT_TRUE(!e.delaiDepasse && e.signal == 0) << "hung, or ended by signal " << e.signal;
  EXPECT_EQ(a.statut, e.statut);
  EXPECT_EQ(a.erreur, e.erreur);
  EXPECT_EQ(a.console, e.sortie);
  EXPECT_TRUE(fs::is_regular_file(d / "plaquer.txt"));
  EXPECT_EQ(a.resultats, LireFichier(d / "plaquer.txt"));
  EXPECT_EQ(vu && a.resultats == kResultats && a.erreur.empty(),
            fs::is_regular_file(d / "plaquer.svg"));
  EXPECT_EQ(donnees.size(), fs::file_size(d / "plaque.txt")) << "data file written to";
  EXPECT_EQ(vu ? std::vector<std::string>{"plaquer.txt"} : std::vector<std::string>{},
            e.visualiseur);
}

// Long lines and blanks change nothing but the echo (NUL, Ctrl-Z and files
// cut short are golden cases).
TEST(DonneesExtremes, GarbageAndLongLines) {
  std::string sans, echo;  // no echo before the start line
  Verifier("garbage", Bruit(4 << 20, 1, sans), {0, "", kInvite, kSansDebut});
  const std::string lignes = "$deb\n" + Bruit(3 << 20, 2, echo);
  Verifier("garbage lines", lignes, {0, "", kInvite + echo, kSansFin});
  Verifier(
      "garbage numbers", "$deb\n$noe\nz " + Bruit(3 << 20, 3, sans),
      {1, Erreur("Invalid numeric input (plaque.txt, ligne 3 : \"z\")"), kInvite + "$noe\r\n", ""});
  Verifier(
      "million digits", Remplacer("$noe\r\n4", "$noe\r\n" + std::string(1000000, '1')),
      {1, Erreur("Invalid numeric input (plaque.txt, ligne 6 : \"" + std::string(32, '1') + "\")"),
       EchoJusqua("$ele"), ""});
  const std::string x(1000000, 'x');
  const Attendu complet{0, "", kConsole, kResultats};
  Verifier("title", Remplacer("Plaque carr\351e, deux \xE9l\xE9ments", x), complet);
  Verifier("blanks", Remplacer("4\r\n0 0", std::string(1000000, ' ') + "4\r\n0 0"), complet);
  Verifier("after a record", Remplacer("3 1\r\n", "3 1 " + x + "\r\n"), complet);
  Verifier("comment", Remplacer("$noe", x + "\r\n$noe"),
           {0, "", Remplacer("$noe", x + "\r\n$noe", kConsole), kResultats});
}

}  // namespace
