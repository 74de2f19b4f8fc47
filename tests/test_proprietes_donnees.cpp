// Properties of every run, whatever the data file holds. Generated files
// (mutations of valid models, random tokens, random sections) must each end
// either with status 0 and a results file that holds its heading and then a
// report or a message, or with status 1 and one run-time error line on
// standard error; never by a signal, never by a hang, and within a second.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tests/donnees_communes.hpp"
#include "tests/outils_processus.hpp"

namespace {

namespace fs = std::filesystem;
using donnees::kPlaque;

const fs::path kProgramme = ELASPLAN_PROGRAMME;
const fs::path kCas = ELASPLAN_DOSSIER_E2E;

// Runs at once: each mostly waits for the program and for its viewer. Under
// Wine a run costs several times more processor time: one at a time and
// fewer cases keep each run within its time limit.
#ifdef _WIN32
constexpr int kFils = 1;
constexpr int kCasParPropriete = 16;
#else
constexpr int kFils = 6;
constexpr int kCasParPropriete = 48;
#endif
constexpr double kDureeMax = 1.0;

const std::string kEnTete = "\r\nLecture du fichier : d.txt\r\n";
// The heading of the report's last part.
const std::string kRapport = "\r\nActions de liaison [ N ]:\r\n";
const std::string kErreur =
    "Erreur d'ex\xE9"
    "cution : ";

// The lines that announce a stage: a results file never ends on one.
const std::string_view kAnnonces[] = {
    "Lecture du fichier : d.txt",
    "Assemblage de la matrice de rigidit\xE9",
    "Assemblage du vecteur force global",
    "Mise en place des liaisons",
    "Initialisation des actions de liaison",
    "Calcul des d\xE9placements inconnus",
    "Calcul des actions de liaison",
};

const char* const kMessages[] = {
    "Invalid numeric input",   "Range check error",
    "Integer overflow",        "Floating point division by zero",
    "Floating point overflow", "Invalid floating point operation",
};

struct Issue {
  std::string donnees;
  essai::Execution execution;
  bool resultatsCrees = false;
  std::string resultats;
};

std::vector<Issue> LancerTous(const std::vector<std::string>& donnees) {
  std::vector<Issue> issues(donnees.size());
  std::atomic<std::size_t> suivant{0};
  const auto travailler = [&] {
    for (std::size_t i = suivant++; i < donnees.size(); i = suivant++) {
      essai::DossierTemporaire dossier;
      essai::EcrireFichier(dossier.Chemin() / "d.txt", donnees[i]);
      essai::Lancement lancement;
      lancement.programme = kProgramme;
      lancement.dossier = dossier.Chemin();
      lancement.entree = "d\n";
      lancement.delaiSecondes = 5.0;
      Issue& issue = issues[i];
      issue.donnees = donnees[i];
      issue.execution = essai::Lancer(lancement);
      issue.resultatsCrees = fs::exists(dossier.Chemin() / "dr.txt");
      issue.resultats = essai::LireFichier(dossier.Chemin() / "dr.txt");
    }
  };
  std::vector<std::thread> fils;
  for (int f = 0; f < kFils; ++f) {
    fils.emplace_back(travailler);
  }
  for (auto& f : fils) {
    f.join();
  }
  return issues;
}

// The data file as a C string literal, for the failure messages.
std::string Litteral(std::string_view octets) {
  std::string texte = "\"";
  for (const char c : octets) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\n') {
      texte += "\\n\"\n\"";
    } else if (c == '\r') {
      texte += "\\r";
    } else if (c == '"' || c == '\\') {
      texte += '\\';
      texte += c;
    } else if (u < 32 || u >= 127) {
      char code[8];
      std::snprintf(code, sizeof code, "\\%03o", u);
      texte += code;
    } else {
      texte += c;
    }
  }
  return texte + "\"";
}

// CR and LF only as CR LF; a file cut short may end between the two.
bool FinsDeLigneCorrectes(std::string_view texte) {
  for (std::size_t i = 0; i < texte.size(); ++i) {
    if (texte[i] == '\n' && (i == 0 || texte[i - 1] != '\r')) {
      return false;
    }
    if (texte[i] == '\r' && i + 1 < texte.size() && texte[i + 1] != '\n') {
      return false;
    }
  }
  return true;
}

bool FinitPar(std::string_view texte, std::string_view fin) {
  return texte.size() >= fin.size() && texte.substr(texte.size() - fin.size()) == fin;
}

std::string_view DerniereLigne(std::string_view texte) {
  texte.remove_suffix(2);  // its CR LF
  const auto debut = texte.rfind("\r\n");
  return debut == std::string_view::npos ? texte : texte.substr(debut + 2);
}

void VerifierFinNormale(const Issue& issue) {
  const std::string& r = issue.resultats;
  EXPECT_EQ("", issue.execution.erreur);
  ASSERT_TRUE(issue.resultatsCrees);
  ASSERT_EQ(kEnTete, r.substr(0, kEnTete.size()));
  EXPECT_TRUE(FinsDeLigneCorrectes(r));
  ASSERT_TRUE(FinitPar(r, "\r\n"));
  if (r.find(kRapport) != std::string::npos) {
    EXPECT_TRUE(FinitPar(r, "\r\n\r\n")) << "the report does not end with its blank line";
  } else {
    // Stopped by a stage or by the reader: its message is the last line.
    const std::string_view derniere = DerniereLigne(r);
    EXPECT_FALSE(derniere.empty()) << "no message after the stage lines";
    for (const std::string_view annonce : kAnnonces) {
      EXPECT_NE(annonce, derniere) << "the results file ends on a stage line";
    }
  }
}

void VerifierErreurExecution(const Issue& issue) {
  const std::string& erreur = issue.execution.erreur;
  ASSERT_TRUE(FinitPar(erreur, "\r\n")) << erreur;
  EXPECT_EQ(erreur.size() - 1, erreur.find('\n')) << "more than one line: " << erreur;
  ASSERT_EQ(kErreur, erreur.substr(0, kErreur.size())) << erreur;
  const std::string message = erreur.substr(kErreur.size(), erreur.size() - kErreur.size() - 2);
  const bool connu = std::any_of(std::begin(kMessages), std::end(kMessages), [&](const char* m) {
    return message == m || message.rfind(std::string(m) + " (", 0) == 0;
  });
  EXPECT_TRUE(connu) << erreur;
  EXPECT_TRUE(issue.execution.visualiseur.empty());
  if (issue.resultatsCrees) {
    const std::string& r = issue.resultats;
    EXPECT_EQ(kEnTete.substr(0, std::min(r.size(), kEnTete.size())), r.substr(0, kEnTete.size()));
    EXPECT_TRUE(FinsDeLigneCorrectes(r));
  }
}

// How the runs of one property ended, so that a generator that no longer
// reaches the analysis, or never fails, is noticed.
struct Bilan {
  int rapports = 0;
  int messages = 0;
  int erreurs = 0;
};

Bilan VerifierProprietes(const std::vector<std::string>& donnees) {
  static const std::string invite = essai::LireFichier(kCas / "nom_vide" / "attendu" / "stdout");
  Bilan bilan;
  for (const Issue& issue : LancerTous(donnees)) {
    SCOPED_TRACE("data file:\n" + Litteral(issue.donnees));
    const essai::Execution& e = issue.execution;
    EXPECT_FALSE(e.delaiDepasse) << "the run did not end";
    EXPECT_EQ(0, e.signal) << "the run was ended by a signal";
    EXPECT_LT(e.dureeSecondes, kDureeMax);
    EXPECT_EQ(invite, e.sortie.substr(0, invite.size()));
    if (e.statut == 0) {
      VerifierFinNormale(issue);
      ++(issue.resultats.find(kRapport) != std::string::npos ? bilan.rapports : bilan.messages);
    } else {
      EXPECT_EQ(1, e.statut);
      VerifierErreurExecution(issue);
      ++bilan.erreurs;
    }
  }
  return bilan;
}

using Aleatoire = std::mt19937;

int Entre(Aleatoire& a, int min, int max) {
  return std::uniform_int_distribution<int>(min, max)(a);
}

bool Chance(Aleatoire& a, int surDix) {
  return Entre(a, 0, 9) < surDix;
}

template <typename T, std::size_t N>
const T& Parmi(Aleatoire& a, const T (&valeurs)[N]) {
  return valeurs[static_cast<std::size_t>(Entre(a, 0, static_cast<int>(N) - 1))];
}

// Valid numbers at the limits of their syntax and of their range.
const std::string kNombres[] = {
    "0",           "1",         "2",          "3",    "4",        "-1",    "-0",
    "7",           "20",        "21",         "100",  "101",      "257",   "2147483647",
    "-2147483648", "$FFFFFFFF", "-$80000000", "0x10", "X7",       "1e308", "-1e308",
    "1e300",       "1e-300",    "4.9e-324",   "0.5",  ".5",       "5.",    "1.0",
    "0.3",         "210000",    "1e-10",      "1e10", "-7.85e-5", "2.1E5"};

// Everything else the reader meets: keywords, malformed numbers, bytes with a
// meaning of their own.
const std::string kAutres[] = {
    "2147483648", "$",    "1e309",   "1e-400",   "0,3",  "1E",   "1e+",
    "nan",        "inf",  "$deb",    "$pro",     "$noe", "$ele", "$lia",
    "$cha",       "$fin", "$NOEUDS", " $ f i n", "zz",   "\x1A", std::string(1, '\0'),
    "\t",         "+",    "-",       ".",        "\xE9", "\r"};

const std::string& UnJeton(Aleatoire& a) {
  return Chance(a, 7) ? Parmi(a, kNombres) : Parmi(a, kAutres);
}

// The sections of a valid model: a grid of nx by ny nodes, two
// counter-clockwise triangles per cell, held on its left edge and loaded on
// its right edge and by its weight.
struct Modele {
  std::string pro, noe, ele, lia, cha;
  int nbNoeuds = 0;
  int nbElements = 0;
  std::string Texte() const { return "Grille\n$deb\n" + pro + noe + ele + lia + cha + "$fin\n"; }
};

Modele Grille(Aleatoire& a) {
  const int nx = Entre(a, 2, 5);
  const int ny = Entre(a, 2, 4);
  const double pas = Entre(a, 1, 50) * 2.5;
  const auto noeud = [nx](int i, int j) { return std::to_string(j * nx + i + 1); };
  Modele m;
  m.nbNoeuds = nx * ny;
  m.nbElements = 2 * (nx - 1) * (ny - 1);
  m.pro = "$pro\n" + std::to_string(Entre(a, 1, 2)) + "\n";
  m.noe = "$noe\n" + std::to_string(m.nbNoeuds) + "\n";
  for (int j = 0; j < ny; ++j) {
    for (int i = 0; i < nx; ++i) {
      m.noe += std::to_string(i * pas) + " " + std::to_string(j * pas) + "\n";
    }
  }
  const std::string materiau = " 70000 0.33 2\n";
  m.ele = "$ele\n" + std::to_string(m.nbElements) + "\n";
  for (int j = 0; j + 1 < ny; ++j) {
    for (int i = 0; i + 1 < nx; ++i) {
      m.ele += noeud(i, j) + " " + noeud(i + 1, j) + " " + noeud(i + 1, j + 1) + materiau;
      m.ele += noeud(i, j) + " " + noeud(i + 1, j + 1) + " " + noeud(i, j + 1) + materiau;
    }
  }
  m.lia = "$lia\n" + std::to_string(ny) + "\n3 1\n";
  for (int j = 1; j < ny; ++j) {
    m.lia += "1 " + noeud(0, j) + "\n";
  }
  m.cha = "$cha\n" + std::to_string(ny) + "\n";
  for (int j = 0; j + 1 < ny; ++j) {
    m.cha += "2 " + noeud(nx - 1, j) + " " + noeud(nx - 1, j + 1) + " 5 -1\n";
  }
  m.cha += "1 1 0 -7.85e-5\n";
  return m;
}

// Positions [debut, fin) of the words (runs of non-blank bytes) of a text.
std::vector<std::pair<std::size_t, std::size_t>> Mots(const std::string& t) {
  std::vector<std::pair<std::size_t, std::size_t>> mots;
  std::size_t i = 0;
  while (i < t.size()) {
    while (i < t.size() && static_cast<unsigned char>(t[i]) <= 32) {
      ++i;
    }
    const std::size_t debut = i;
    while (i < t.size() && static_cast<unsigned char>(t[i]) > 32) {
      ++i;
    }
    if (i > debut) {
      mots.emplace_back(debut, i);
    }
  }
  return mots;
}

std::vector<std::string> Lignes(const std::string& t) {
  std::vector<std::string> lignes;
  std::size_t debut = 0;
  while (debut < t.size()) {
    const std::size_t fin = std::min(t.find('\n', debut), t.size());
    lignes.push_back(t.substr(debut, fin - debut + 1));
    debut = fin + 1;
  }
  return lignes;
}

std::string Joindre(const std::vector<std::string>& lignes) {
  std::string t;
  for (const auto& l : lignes) {
    t += l;
  }
  return t;
}

// One change: a word replaced, removed or doubled, a line doubled, removed or
// moved, a byte inserted, the file cut short.
void Muter(Aleatoire& a, std::string& t) {
  const auto mots = Mots(t);
  if (mots.empty()) {
    t += UnJeton(a);
    return;
  }
  const auto [debut, fin] =
      mots[static_cast<std::size_t>(Entre(a, 0, static_cast<int>(mots.size()) - 1))];
  auto lignes = Lignes(t);
  const auto uneLigne = [&] {
    return lignes.begin() + Entre(a, 0, static_cast<int>(lignes.size()) - 1);
  };
  switch (Entre(a, 0, 9)) {
    case 0:
      t.erase(debut, fin - debut);
      break;
    case 1:
      t.insert(debut, t.substr(debut, fin - debut) + " ");
      break;
    case 2: {
      const auto l = uneLigne();
      lignes.insert(l, *l);
      t = Joindre(lignes);
      break;
    }
    case 3:
      lignes.erase(uneLigne());
      t = Joindre(lignes);
      break;
    case 4:
      std::iter_swap(uneLigne(), uneLigne());
      t = Joindre(lignes);
      break;
    case 5:
      t.insert(static_cast<std::size_t>(Entre(a, 0, static_cast<int>(t.size()))), 1,
               static_cast<char>(Entre(a, 0, 255)));
      break;
    case 6:
      t.resize(static_cast<std::size_t>(Entre(a, 0, static_cast<int>(t.size()))));
      break;
    default:
      t.replace(debut, fin - debut, UnJeton(a));
      break;
  }
}

// A number of the records after the start line changed: an integer into
// another integer, a real scaled a little or into a value at the limits.
void ChangerNombre(Aleatoire& a, std::string& t) {
  const std::string entiers[] = {"0",   "-1",  "5",          "7",          "20",
                                 "21",  "101", "257",        "2147483647", "-2147483648",
                                 "$FF", "0x3", "-$80000000", "$FFFFFFFF"};
  const std::string reels[] = {"0",      "-0",    "0.5",      "1",     "-1",    "1e300", "-1e300",
                               "1e-300", "1e308", "4.9e-324", "1e-10", "2.1E5", ".5",    "5."};
  std::vector<std::pair<std::size_t, std::size_t>> nombres;
  for (const auto& mot : Mots(t)) {
    const char c = t[mot.first];
    if (mot.first > t.find("$deb") && (std::isdigit(static_cast<unsigned char>(c)) || c == '-')) {
      nombres.push_back(mot);
    }
  }
  const auto [debut, fin] =
      nombres[static_cast<std::size_t>(Entre(a, 0, static_cast<int>(nombres.size()) - 1))];
  const std::string mot = t.substr(debut, fin - debut);
  std::string nouveau;
  if (mot.find_first_of(".eE") == std::string::npos) {
    nouveau = Chance(a, 5) ? std::to_string(Entre(a, 1, 4)) : Parmi(a, entiers);
  } else if (Chance(a, 5)) {
    nouveau = std::to_string(std::stod(mot) * Entre(a, 1, 40) / 10.0);
  } else {
    nouveau = Parmi(a, reels);
  }
  t.replace(debut, fin - debut, nouveau);
}

TEST(ProprietesDonnees, MutationsOfValidModels) {
  Aleatoire a(20240601);
  std::vector<std::string> donnees;
  for (int i = 0; i < kCasParPropriete; ++i) {
    std::string t = i % 3 == 0 ? kPlaque : Grille(a).Texte();
    for (int m = Entre(a, 1, 3); m > 0; --m) {
      if (i % 2 == 0) {
        Muter(a, t);
      } else {
        ChangerNombre(a, t);
      }
    }
    donnees.push_back(t);
  }
  const Bilan bilan = VerifierProprietes(donnees);
  EXPECT_GE(bilan.rapports, kCasParPropriete / 12);
  EXPECT_GE(bilan.messages, kCasParPropriete / 12);
  EXPECT_GE(bilan.erreurs, kCasParPropriete / 12);
}

TEST(ProprietesDonnees, RandomTokens) {
  Aleatoire a(7);
  const char* const separateurs[] = {" ", " ", " ", "\n", "\r\n", "\t"};
  std::vector<std::string> donnees;
  for (int i = 0; i < kCasParPropriete; ++i) {
    std::string t = Chance(a, 9) ? "$deb\n" : "";
    for (int j = Entre(a, 5, 150); j > 0; --j) {
      const std::string& jeton = UnJeton(a);
      if (jeton.size() > 1 && jeton[0] == '$' &&
          !std::isxdigit(static_cast<unsigned char>(jeton[1]))) {
        t += "\n" + jeton + "\n";  // a section line
      } else {
        t += jeton + Parmi(a, separateurs);
      }
    }
    if (Chance(a, 8)) {
      t += "\n$fin\n";
    }
    donnees.push_back(t);
  }
  const Bilan bilan = VerifierProprietes(donnees);
  EXPECT_GE(bilan.messages, kCasParPropriete / 12);
  EXPECT_GE(bilan.erreurs, kCasParPropriete / 12);
}

// One section with a random count and random values that break the rules of
// the model now and then: counts beyond the tables, node numbers out of
// range, flat or clockwise triangles, singular materials, unknown codes.
std::string SectionAleatoire(Aleatoire& a, int genre, const Modele& m) {
  const auto compte = [&a](int capacite) {
    switch (Entre(a, 0, 9)) {
      case 0:
        return Entre(a, -2, 0);
      case 1:
        return capacite + 1;
      default:
        return Entre(a, 1, std::min(capacite, 12));
    }
  };
  const auto reel = [&a] {
    return Chance(a, 3) ? Parmi(a, kNombres) : std::to_string(Entre(a, -50, 150));
  };
  const auto noeud = [&a, &m] {
    return std::to_string(Chance(a, 1) ? Entre(a, -1, 102) : Entre(a, 1, m.nbNoeuds));
  };
  std::string t;
  switch (genre) {
    case 0:
      return "$pro\n" + std::to_string(Entre(a, -1, 3)) + "\n";
    case 1: {
      const int n = compte(100);
      t = "$noe\n" + std::to_string(n) + "\n";
      for (int i = 0; i < n && i <= 100; ++i) {
        t += std::to_string(Entre(a, 0, 4) * 25) + " " + std::to_string(Entre(a, 0, 4) * 25) + "\n";
      }
      return t;
    }
    case 2: {
      const int n = compte(100);
      const char* const nu[] = {"0.3", "0.3", "0", "0.5", "1", "-1", "2", "-0.3"};
      t = "$ele\n" + std::to_string(n) + "\n";
      for (int i = 0; i < n && i <= 100; ++i) {
        t += noeud() + " " + noeud() + " " + noeud() + " " + (Chance(a, 2) ? reel() : "210000") +
             " " + Parmi(a, nu) + " " + (Chance(a, 2) ? reel() : "10") + "\n";
      }
      return t;
    }
    case 3: {
      const int n = compte(20);
      t = "$lia\n" + std::to_string(n) + "\n";
      for (int i = 0; i < n && i <= 20; ++i) {
        t += std::to_string(Entre(a, 0, 5)) + " " + noeud() + "\n";
      }
      return t;
    }
    default: {
      const int n = compte(20);
      t = "$cha\n" + std::to_string(n) + "\n";
      for (int i = 0; i < n && i <= 20; ++i) {
        const int type = Entre(a, 0, 3);
        t += std::to_string(type);
        if (type == 1) {
          t += " " + std::to_string(Entre(a, 0, m.nbElements + 1)) + " " + reel() + " " + reel();
        } else if (type == 2) {
          t += " " + noeud() + " " + noeud() + " " + reel() + " " + reel();
        }
        t += "\n";
      }
      return t;
    }
  }
}

// The sections of a valid model, some of them replaced by random ones, in any
// order; some missing, some given twice.
std::string Sections(Aleatoire& a) {
  const Modele m = Grille(a);
  const std::string* valides[] = {&m.pro, &m.noe, &m.ele, &m.lia, &m.cha};
  std::vector<int> genres = {0, 1, 2, 3, 4};
  std::shuffle(genres.begin(), genres.end(), a);
  if (Chance(a, 2)) {
    genres.erase(genres.begin());
  }
  for (int n = Entre(a, 0, 2); n > 0; --n) {
    genres.push_back(Entre(a, 0, 4));
  }
  std::string t = "Sections\n$deb\n";
  for (const int genre : genres) {
    t += Chance(a, 7) ? *valides[genre] : SectionAleatoire(a, genre, m);
  }
  if (Chance(a, 9)) {
    t += "$fin\n";
  }
  return t;
}

TEST(ProprietesDonnees, RandomSections) {
  Aleatoire a(1931);
  std::vector<std::string> donnees;
  for (int i = 0; i < kCasParPropriete; ++i) {
    donnees.push_back(Sections(a));
  }
  const Bilan bilan = VerifierProprietes(donnees);
  EXPECT_GE(bilan.rapports, kCasParPropriete / 12);
  EXPECT_GE(bilan.messages, kCasParPropriete / 12);
  EXPECT_GE(bilan.erreurs, kCasParPropriete / 12);
}

}  // namespace
