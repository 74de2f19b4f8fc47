// Whole runs on data too large or too random to be kept as golden cases:
// lines of a million characters, megabytes of garbage, names at and far beyond
// the length of a file name, and golden data files mutated at random.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tests/outils_processus.hpp"

namespace {

namespace fs = std::filesystem;
using essai::LireFichier;
using namespace std::string_literals;

// The worked example's golden run, and the console of a run that stops at the
// prompt: what a run on changed data is held to.
const fs::path kCommuns = fs::path(ELASPLAN_DOSSIER_E2E) / "communs";
const std::string kPlaque = LireFichier(kCommuns / "plaque.txt");
const std::string kConsole = LireFichier(kCommuns / "echo_complet.stdout");
const std::string kResultats = LireFichier(kCommuns / "plaquer.txt");
const std::string kInvite = LireFichier(kCommuns / "invite.stdout");

std::string Erreur(const std::string& message) {
  return "Erreur d'ex\351cution : " + message + "\r\n";
}

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
           {1, Erreur("Invalid numeric input (plaque.txt, ligne 6 : \"" + coupe + "\")"),
            kConsole.substr(0, kConsole.find("$ele")), ""});
  std::string echo;
  const std::string bruit = "$deb\n" + Bruit(3 << 20, echo);
  Verifier("garbage", "plaque", bruit,
           {0, "", kInvite + echo,
            "\r\nLecture du fichier : plaque.txt\r\nDonn\351es incompl\350tes, calcul impossible "
            ": ligne \"$fin\" (fin des donn\351es) introuvable\r\n"});
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

// Golden data files each changed once or twice at random must end either with
// status 0 and a results file that holds its heading and then a report or the
// line that says why it stopped, or with status 1 and one run-time error line;
// never by a signal or a hang, and within a second. Runs under Wine cost
// several times more.
#ifdef _WIN32
constexpr int kEssais = 32;
#else
constexpr int kEssais = 96;
#endif

// Numbers at the limits of their syntax and range, malformed ones, section
// lines, bytes with a meaning of their own (NUL among them), between blanks.
const std::string kJetons =
    " 0 1 2 3 -1 -0 7 20 21 100 101 257 0x10 1e308 2147483647 -2147483648 2147483648 $FFFFFFFF "
    "-1e308 1e309 .5 0.5 1.0 1e-300 4.9e-324 1e-400 -$80000000 5. 0.3 0,3 1E 210000 1e-10 "
    "-7.85e-5 nan inf zz + - \xE9 \x1A \0 \r \t \n$\n \n$deb\n \n$pro\n \n$noe\n \n$ele\n \n$lia\n "
    "\n$cha\n \n$fin\n "s;
// The lines that announce a stage: a results file never ends on one.
const std::string kAnnonces =
    "\r\nLecture du fichier : d.txt\r\nAssemblage de la matrice de rigidit\xE9\r\nAssemblage du "
    "vecteur force global\r\nMise en place des liaisons\r\nInitialisation des actions de liaison"
    "\r\nCalcul des d\xE9placements inconnus\r\nCalcul des actions de liaison\r\n";
const std::string kEnTete = "\r\nLecture du fichier : d.txt\r\n";
// What data can make a run end on, followed by " (<where>)" or the line end.
const std::string kMessages =
    "|Invalid numeric input|Range check error|Integer overflow|Floating point division by zero"
    "|Floating point overflow|Invalid floating point operation|";

std::mt19937 aleas(20240601);
std::size_t Entre(std::size_t min, std::size_t max) {
  return std::uniform_int_distribution<std::size_t>(min, max)(aleas);
}
std::string Jeton() {
  const std::size_t debut = kJetons.rfind(' ', Entre(1, kJetons.size() - 2)) + 1;
  return kJetons.substr(debut, kJetons.find(' ', debut) - debut);
}

// One change at a random place: the rest of its word replaced or removed, its
// line doubled or removed, a byte inserted, the file cut short.
void Muter(std::string& t) {
  const std::size_t ici = Entre(0, t.size());
  const std::size_t mot = std::min(t.find_first_of(" \t\r\n", ici), t.size()) - ici;
  const std::size_t ligne = t.rfind('\n', ici) + 1;  // 0 on the first line
  const std::size_t finLigne = std::min(t.find('\n', ici), t.size() - 1) + 1;
  const std::size_t ou[] = {ici, ici, ici, ligne, ligne, ici, ici};
  const std::size_t longueur[] = {mot, mot, mot, 0, finLigne - ligne, 0, t.size() - ici};
  const std::string par[] = {Jeton(), Jeton(),
                             "",      t.substr(ligne, finLigne - ligne),
                             "",      std::string(1, static_cast<char>(Entre(0, 255))),
                             ""};
  const std::size_t c = Entre(0, std::size(ou) - 1);
  t.replace(ou[c], longueur[c], par[c]);
}

int bilan[3];  // reports, messages, run-time errors

void VerifierFin(const std::string& donnees) {
  SCOPED_TRACE(testing::PrintToString(donnees));
  const essai::DossierTemporaire dossier;
  essai::EcrireFichier(dossier.Chemin() / "d.txt", donnees);
  const essai::Execution e = essai::Lancer({ELASPLAN_PROGRAMME, dossier.Chemin(), "d\n"});
  const std::string r = LireFichier(dossier.Chemin() / "dr.txt");
  for (std::size_t i = r.find_first_of("\r\n"); i != std::string::npos;
       i = r.find_first_of("\r\n", i + 2)) {
    // Only CR LF; a file cut short may end between the two.
    EXPECT_TRUE(r[i] == '\r' && (i + 1 == r.size() || r[i + 1] == '\n'))
        << "lone CR or LF at " << i;
  }
  EXPECT_TRUE(!e.delaiDepasse && e.signal == 0 && e.dureeSecondes < 1.0)
      << "hung, slow or ended by signal " << e.signal;
  EXPECT_TRUE(e.sortie.starts_with(kInvite));
  if (e.statut != 0) {
    ++bilan[2];
    EXPECT_TRUE(e.statut == 1 && e.erreur.starts_with("Erreur d'ex\351cution : ") &&
                e.erreur.find('\n') == e.erreur.size() - 1 && e.visualiseur.empty())
        << "status " << e.statut << ", one line and no viewer: " << e.erreur;
    const std::size_t debut = e.erreur.find(" : ") + 3;
    const std::size_t fin = std::min(e.erreur.find(" (", debut), e.erreur.find('\r', debut));
    const std::string message = e.erreur.substr(debut, fin - debut);
    EXPECT_NE(std::string::npos, kMessages.find(std::string("|").append(message).append("|")))
        << e.erreur;
    EXPECT_TRUE(kEnTete.starts_with(r.substr(0, kEnTete.size()))) << r;  // what was handed over
    return;
  }
  EXPECT_EQ("", e.erreur);
  ASSERT_TRUE(r.starts_with(kEnTete) && r.ends_with("\r\n")) << r;
  const std::string derniere = r.substr(r.rfind("\r\n", r.size() - 3) + 2);
  const bool rapport = r.find("\r\nActions de liaison [ N ]:\r\n") != std::string::npos;
  ++bilan[rapport ? 0 : 1];
  // A report ends with its blank line, a stopped analysis with the line saying why.
  EXPECT_TRUE(rapport ? derniere == "\r\n" : kAnnonces.find("\r\n" + derniere) == std::string::npos)
      << derniere;
}

TEST(ProprietesDonnees, GeneratedDataFilesEndWithStatusZeroOrOne) {
  std::vector<std::string> graines;
  for (const auto& cas : fs::directory_iterator(ELASPLAN_DOSSIER_E2E)) {
    for (const auto& [nom, octets] : essai::LireCas(cas.path())) {
      if (nom.starts_with("entree/")) {
        graines.push_back(octets);
      }
    }
  }
  for (int i = 0; i < kEssais; ++i) {
    std::string donnees = graines[Entre(0, graines.size() - 1)];
    for (std::size_t m = Entre(1, 2); m > 0 && !donnees.empty(); --m) {
      Muter(donnees);
    }
    VerifierFin(donnees);
  }
  // A generator that no longer reaches the analysis, or never fails, is noticed.
  for (const int b : bilan) {
    EXPECT_GE(b, kEssais / 16);
  }
}

}  // namespace
