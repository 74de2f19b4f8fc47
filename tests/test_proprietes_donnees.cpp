// Properties of every run, whatever the data file holds. Files made by
// mutating the golden cases' data files with random tokens must each end
// either with status 0 and a results file that holds its heading and then a
// report or a message, or with status 1 and one run-time error line on
// standard error; never by a signal, never by a hang, and within a second.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <future>
#include <random>
#include <string>
#include <vector>

#include "tests/outils_processus.hpp"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
const fs::path kCas = ELASPLAN_DOSSIER_E2E;

// Runs at once: each mostly waits for the program. Under Wine a run costs
// several times more: one at a time and fewer keep each within its second.
#ifdef _WIN32
constexpr int kFils = 1, kEssais = 32;
#else
constexpr int kFils = 6, kEssais = 96;
#endif

// Numbers at the limits of their syntax and range, malformed ones, section
// lines, bytes with a meaning of their own (NUL among them), between blanks.
const std::string kJetons =
    " 0 1 2 3 -1 -0 7 20 21 100 101 257 0x10 1e308 2147483647 -2147483648 2147483648 $FFFFFFFF "
    "-1e308 1e309 .5 0.5 1.0 1e-300 4.9e-324 1e-400 -$80000000 5. 0.3 0,3 1E 210000 1e-10 "
    "-7.85e-5 nan inf zz + - \xE9 \x1A \0 \r \t \n$\n \n$deb\n \n$pro\n \n$noe\n \n$ele\n \n$lia\n "
    "\n$cha\n \n$fin\n "s;

// The lines that announce a stage, each after a CR LF: a results file never
// ends on one.
const std::string kAnnonces =
    "\r\nLecture du fichier : d.txt\r\nAssemblage de la matrice de rigidit\xE9\r\nAssemblage du "
    "vecteur force global\r\nMise en place des liaisons\r\nInitialisation des actions de liaison"
    "\r\nCalcul des d\xE9placements inconnus\r\nCalcul des actions de liaison\r\n";
const std::string kEnTete = "\r\nLecture du fichier : d.txt\r\n";
// What data can make a run end on, followed by " (<where>)" or the line end.
const std::string kMessages =
    "|Invalid numeric input|Range check error|Integer overflow|Floating point division by zero"
    "|Floating point overflow|Invalid floating point operation|";
const std::string kInvite = essai::LireFichier(kCas / "nom_vide" / "attendu" / "stdout");

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

std::atomic<int> bilan[3];  // reports, messages, run-time errors

void Verifier(const std::string& donnees) {
  SCOPED_TRACE(testing::PrintToString(donnees));
  const essai::DossierTemporaire dossier;
  essai::EcrireFichier(dossier.Chemin() / "d.txt", donnees);
  const essai::Execution e = essai::Lancer({ELASPLAN_PROGRAMME, dossier.Chemin(), "d\n"});
  const std::string r = essai::LireFichier(dossier.Chemin() / "dr.txt");
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

// Golden data files, each changed once or twice.
TEST(ProprietesDonnees, GeneratedDataFilesEndWithStatusZeroOrOne) {
  std::vector<std::string> graines, donnees;
  for (const auto& f : fs::recursive_directory_iterator(kCas)) {
    if (f.is_regular_file() && f.path().parent_path().filename() == "entree") {
      graines.push_back(essai::LireFichier(f.path()));
    }
  }
  for (int i = 0; i < kEssais; ++i) {
    donnees.push_back(graines[Entre(0, graines.size() - 1)]);
    for (std::size_t m = Entre(1, 2); m > 0 && !donnees.back().empty(); --m) {
      Muter(donnees.back());
    }
  }
  std::atomic<std::size_t> suivant{0};
  std::vector<std::future<void>> fils;  // each awaited when destroyed
  for (int f = 0; f < kFils; ++f) {
    fils.push_back(std::async(std::launch::async, [&] {
      for (std::size_t i = suivant++; i < donnees.size(); i = suivant++) {
        Verifier(donnees[i]);
      }
    }));
  }
  fils.clear();
  // A generator that no longer reaches the analysis, or never fails, is noticed.
  for (const auto& b : bilan) {
    EXPECT_GE(b, kEssais / 16);
  }
}

}  // namespace
