#include "model/lecture.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "app/erreurs.hpp"
#include "app/fichier_texte.hpp"
#include "model/structure.hpp"
#include "tests/donnees_communes.hpp"

namespace {

using donnees::Contenu;
using donnees::kEchoPlaque;
using donnees::kPlaque;
using donnees::Remplacer;

// Descriptors of the C run-time of Windows translate line ends unless binary.
#ifdef _WIN32
constexpr int kBinaire = _O_BINARY;
#else
constexpr int kBinaire = 0;
#endif

TEST(MotCle, SpacesAndCaseDoNotMatter) {
  struct Cas {
    const char* motCle;
    const char* ligne;
    bool attendu;
  };
  const Cas cas[] = {
      {"$noe", "$noe", true},      {"$noe", "$NOE", true},        {"$noe", "$NoE", true},
      {"$noe", "   $noe", true},   {"$noe", "$ n o e", true},     {"$noe", "$noeuds", true},
      {"$noe", "$NOEUDS 4", true}, {"$ noe", "$noe", true},       {"$NOE", "$noe", true},
      {"$fin", "$FIN.", true},     {"$ele", "$el e ments", true}, {"$deb", "$deb\t", true},
      {"$noe", "", false},         {"$noe", "$no", false},        {"$noe", "$no ", false},
      {"$noe", "\t$noe", false},   {"$noe", "x$noe", false},      {"$noe", "$n\toe", false},
      {"$noe", "noe", false},      {"$noe", "$nod", false},       {"$cha", "$ch\xE0", false},
      {"$fin", "\xA0$fin", false},
  };
  for (const Cas& c : cas) {
    EXPECT_EQ(c.attendu, MotCle(c.motCle, c.ligne)) << c.motCle << " / " << c.ligne;
  }
}

constexpr char kRappel[] =
    "Rappel : LES DONN\xC9"
    "ES SONT LUES DANS UN FICHIER DONT L'EXTENSION EST .TXT\r\n"
    "\r\n"
    "Nom du fichier ( sans extension ) ? ";

std::string SansCr(std::string texte) {
  std::erase(texte, '\r');
  return texte;
}

struct Execution {
  bool resultat = false;
  std::string console;
  std::optional<ErreurExecution> erreur;
};

// Runs Lecture in an empty temporary folder, with `tape` as what the user
// types and the console captured.
class LectureTest : public testing::Test {
 protected:
  void SetUp() override {
    const std::string suffixe = std::to_string(testing::UnitTest::GetInstance()->random_seed()) +
                                "_" + testing::UnitTest::GetInstance()->current_test_info()->name();
    dossier_ = std::filesystem::temp_directory_path() / ("elasplan_lecture_" + suffixe);
    capture_ = std::filesystem::temp_directory_path() / ("elasplan_console_" + suffixe);
    std::filesystem::remove_all(dossier_);
    std::filesystem::create_directory(dossier_);
    ancien_ = std::filesystem::current_path();
    std::filesystem::current_path(dossier_);
    s_ = std::make_unique<TStructure>();
  }

  void TearDown() override {
    s_->Abandonner();
    std::filesystem::current_path(ancien_);
    std::filesystem::remove_all(dossier_);
    std::filesystem::remove(capture_);
  }

  static void Ecrire(const std::filesystem::path& nom, const std::string& contenu) {
    std::ofstream(nom, std::ios::binary) << contenu;
  }

  Execution Lancer(const std::string& tape) {
    Execution execution;
    std::fflush(stdout);
    int tube[2];
#ifdef _WIN32
    EXPECT_EQ(0, _pipe(tube, 4096, _O_BINARY));
#else
    EXPECT_EQ(0, pipe(tube));
#endif
    EXPECT_EQ(static_cast<long>(tape.size()), write(tube[1], tape.data(), tape.size()));
    close(tube[1]);
    const int entree = dup(0);
    dup2(tube[0], 0);
    close(tube[0]);
    const int sortie = dup(1);
    const int fichier =
        open(capture_.string().c_str(), O_WRONLY | O_CREAT | O_TRUNC | kBinaire, 0644);
    dup2(fichier, 1);
    close(fichier);
    Console().AssocierSortieStandard();
    try {
      execution.resultat = s_->Lecture();
      Vider(Console());
    } catch (const ErreurExecution& erreur) {
      Console().ViderSansErreur();
      execution.erreur = erreur;
    }
    Console().Abandonner();
    dup2(sortie, 1);
    close(sortie);
    dup2(entree, 0);
    close(entree);
    execution.console = Contenu(capture_);
    return execution;
  }

  // The results file as it stands once closed.
  std::string Resultats() {
    EXPECT_TRUE(s_->ResultatsOuvert);
    if (!s_->ResultatsOuvert) {
      return {};
    }
    s_->Resultats.Fermer();
    s_->ResultatsOuvert = false;
    return Contenu(s_->NomFichier + "r.txt");
  }

  std::set<std::string> Fichiers() const {
    return donnees::Noms(dossier_);
  }

  // The model read from `donnees` when the user types plaque.
  Execution LirePlaque(const std::string& donnees) {
    Ecrire("plaque.txt", donnees);
    return Lancer("plaque\n");
  }

  std::filesystem::path dossier_;
  std::filesystem::path capture_;
  std::filesystem::path ancien_;
  std::unique_ptr<TStructure> s_;
};

constexpr char kEnTetePlaque[] = "\r\nLecture du fichier : plaque.txt\r\n";

// The model as read, one line per item, reals in their shortest exact form.
std::string Reel(double valeur) {
  char texte[32];
  const auto fin = std::to_chars(texte, texte + sizeof texte, valeur).ptr;
  return std::string(texte, fin);
}

std::string Decrire(const TStructure& s) {
  std::string t = "pro " + std::to_string(s.TypeProbleme) + "\nnoe " + std::to_string(s.NbNoeuds);
  for (int i = 1; i <= s.NbNoeuds; ++i) {
    t += " | " + Reel(s.Noeuds[i].x) + " " + Reel(s.Noeuds[i].y);
  }
  t += "\nele " + std::to_string(s.Elements.Nombre);
  for (int e = 1; e <= s.Elements.Nombre; ++e) {
    const TElement& element = s.ElementEn(e);
    t += " | " + std::to_string(element.Sommets[1]) + " " + std::to_string(element.Sommets[2]) +
         " " + std::to_string(element.Sommets[3]) + " E " + Reel(element.E) + " Nu " +
         Reel(element.Nu) + " ep " + Reel(element.Epaisseur);
  }
  t += "\nlia " + std::to_string(s.NbLiaisons) + "/" + std::to_string(s.Liaisons.Nombre);
  for (int k = 1; k <= s.NbLiaisons; ++k) {
    t += " | " + std::to_string(s.Liaisons.Liste[k]->TypeLiaison) + " " +
         std::to_string(s.Liaisons.Liste[k]->Noeud);
  }
  t += "\ncha " + std::to_string(s.NbCharges) + "/" + std::to_string(s.Charges.Nombre);
  for (int k = 1; k <= s.NbCharges; ++k) {
    const TCharge& charge = *s.Charges.Liste[k];
    t += " | " + std::to_string(charge.TypeCharge) + " " + std::to_string(charge.N1) + " " +
         std::to_string(charge.N2) + " " + Reel(charge.Fx) + " " + Reel(charge.Fy);
  }
  return t + "\n";
}

constexpr char kModelePlaque[] =
    "pro 1\n"
    "noe 4 | 0 0 | 100 0 | 100 100 | 0 100\n"
    "ele 2 | 1 2 3 E 210000 Nu 0.3 ep 10 | 1 3 4 E 210000 Nu 0.3 ep 10\n"
    "lia 2/2 | 3 1 | 1 4\n"
    "cha 3/3 | 2 2 3 10 0 | 1 1 0 0 -7.85e-05 | 1 2 0 0 -7.85e-05\n";

TEST_F(LectureTest, WorkedExampleIsReadAsDescribed) {
  const Execution execution = LirePlaque(kPlaque);
  ASSERT_FALSE(execution.erreur) << RapportErreur(*execution.erreur);
  EXPECT_TRUE(execution.resultat);
  EXPECT_EQ(std::string(kRappel) + kEchoPlaque, execution.console);
  EXPECT_EQ("plaque", s_->NomFichier);
  EXPECT_EQ(kModelePlaque, Decrire(*s_));
  EXPECT_EQ(kEnTetePlaque, Resultats());
  EXPECT_EQ((std::set<std::string>{"plaque.txt", "plaquer.txt"}), Fichiers());
}

TEST_F(LectureTest, CrLfAndLfGiveTheSameModel) {
  const Execution lf = LirePlaque(SansCr(kPlaque));
  ASSERT_TRUE(lf.resultat);
  EXPECT_EQ(std::string(kRappel) + kEchoPlaque, lf.console);  // the echo ends lines with CR LF
  EXPECT_EQ(kModelePlaque, Decrire(*s_));
  EXPECT_EQ(kEnTetePlaque, Resultats());
}

TEST_F(LectureTest, ModelAsRead) {
  struct Cas {
    const char* quoi;
    std::string donnees;
    std::string modele;
  };
  const Cas cas[] = {
      {"repeated sections overwrite from the first item",
       "$deb\n$pro\n2\n$noe\n3\n1 1\n2 2\n3 3\n$noe\n2\n10 10\n20 20\n"
       "$ele\n2\n1 2 3 1 0.1 1\n3 2 1 2 0.2 2\n$ele\n1\n2 3 1 5 0.25 5\n"
       "$lia\n1\n3 1\n$lia\n1\n2 2\n$cha\n2\n1 1 1 1\n1 1 1 1\n$cha\n1\n2 1 2 3 4\n"
       "$pro\n1\n$fin\n",
       "pro 1\nnoe 2 | 10 10 | 20 20\nele 1 | 2 3 1 E 5 Nu 0.25 ep 5\nlia 1/1 | 2 2\n"
       "cha 1/1 | 2 1 2 3 4\n"},
      {"records spread over lines or followed by more",
       "$deb\n$pro\n1\n"
       "$noe 9\n2 nodes\n"  // the count on the keyword line is ignored
       "0\n0 extra values\n"
       "1 5 6\n"  // x = 1, y = 5: records carry no item numbers
       "$ele\n1\n1\n2\n  3\n\t2.1E5\n.3\n10 5 5 5\n"
       "$lia\n1\n3\n1\n"
       "$cha\n1\n2\n1\n2\n10\n0\n"
       "$fin\n",
       "pro 1\nnoe 2 | 0 0 | 1 5\nele 1 | 1 2 3 E 210000 Nu 0.3 ep 10\nlia 1/1 | 3 1\n"
       "cha 1/1 | 2 1 2 10 0\n"},
      {"codes keep their low eight bits; other load types read nothing more",
       "$deb\n$pro\n1\n$noe\n1\n0 0\n$ele\n1\n1 1 1 1 0 1\n"
       "$lia\n3\n257 1\n-1 1\n$104 1\n"
       "$cha\n4\n258 1 1 7 8\n3 9 9 9 9 9\n1 1 2 3\n-255 1 4 5 skipped\n"
       "$fin\n",
       "pro 1\nnoe 1 | 0 0\nele 1 | 1 1 1 E 1 Nu 0 ep 1\nlia 3/3 | 1 1 | 255 1 | 4 1\n"
       "cha 4/4 | 2 1 1 7 8 | 3 0 0 0 0 | 1 1 0 2 3 | 1 1 0 4 5\n"},
      {"other spellings of the same numbers",
       Remplacer(kPlaque, "1 3 4 210000 0.3 10", "+1 $3 0x4 2.1E5 .3 1e1"), kModelePlaque},
      {"negative count reads nothing and keeps the type",
       Remplacer(kPlaque, "$lia\r\n2\r\n3 1\r\n1 4\r\n", "$lia\r\n-2\r\n"),
       Remplacer(kModelePlaque, "lia 2/2 | 3 1 | 1 4", "lia -2/-2")},
  };
  for (const Cas& c : cas) {
    s_ = std::make_unique<TStructure>();
    const Execution execution = LirePlaque(c.donnees);
    ASSERT_FALSE(execution.erreur) << c.quoi << ": " << RapportErreur(*execution.erreur);
    EXPECT_TRUE(execution.resultat) << c.quoi;
    EXPECT_EQ(c.modele, Decrire(*s_)) << c.quoi;
    EXPECT_EQ(kEnTetePlaque, Resultats()) << c.quoi;
  }
  // Node 3 of the first node section stays where it was.
  s_ = std::make_unique<TStructure>();
  LirePlaque(cas[0].donnees);
  EXPECT_EQ(3.0, s_->Noeuds[3].x);
}

TEST_F(LectureTest, EmptyNameEndsSilently) {
  Ecrire(".txt", kPlaque);  // never looked for
  for (const char* tape : {"", "\n", "\r\n",
                           "\x1A"
                           "plaque\n"}) {
    s_ = std::make_unique<TStructure>();
    const Execution execution = Lancer(tape);
    EXPECT_FALSE(execution.erreur);
    EXPECT_FALSE(execution.resultat);
    EXPECT_EQ(kRappel, execution.console);
    EXPECT_EQ("", s_->NomFichier);
    EXPECT_FALSE(s_->ResultatsOuvert);
    EXPECT_EQ((std::set<std::string>{".txt"}), Fichiers());
  }
}

TEST_F(LectureTest, NameIsTheWholeLineWithoutItsEnd) {
  struct Cas {
    const char* tape;
    const char* nom;
  };
  const Cas cas[] = {
      {"plaque\r\n", "plaque"},      {"plaque", "plaque"}, {" pla que \n", " pla que "},
#ifndef _WIN32  // no file name holds a control character on Windows
      {"pla\rque\r\n", "pla\rque"},
#endif
      {"plaque\nautre\n", "plaque"},
  };
  for (const Cas& c : cas) {
    s_ = std::make_unique<TStructure>();
    Ecrire(std::string(c.nom) + ".txt", kPlaque);
    const Execution execution = Lancer(c.tape);
    EXPECT_TRUE(execution.resultat) << c.nom;
    EXPECT_EQ(c.nom, s_->NomFichier);
    EXPECT_EQ("\r\nLecture du fichier : " + std::string(c.nom) + ".txt\r\n", Resultats());
    EXPECT_TRUE(std::filesystem::exists(std::string(c.nom) + "r.txt")) << c.nom;
  }
}

TEST_F(LectureTest, FilesThatCannotBeUsedEndWithOneLine) {
  const std::string dossier200(200, 'd');
  const std::string base54(54, 'b');
  std::filesystem::create_directory("dossier.txt");
  std::filesystem::create_directory("bloque");
  std::filesystem::create_directory("bloquer.txt");
  Ecrire("bloque.txt", kPlaque);
  std::filesystem::create_directory(dossier200);
  // A data file name of 259 characters, whose results file name is one more.
  Ecrire(dossier200 + "/" + base54 + ".txt", kPlaque);
  const std::string long256 = dossier200 + "/" + std::string(55, 'c');
  struct Cas {
    std::string tape;
    std::string ligne;
  };
  const Cas cas[] = {
      {"absent\n",
       "Impossible d'ouvrir le fichier de donn\xE9"
       "es \"absent.txt\" : fichier ou dossier "
       "introuvable"},
      {"sous/absent\n",
       "Impossible d'ouvrir le fichier de donn\xE9"
       "es \"sous/absent.txt\" : fichier ou dossier "
       "introuvable"},
      {"dossier\n",
       "Impossible d'ouvrir le fichier de donn\xE9"
       "es \"dossier.txt\" : c'est un dossier"},
      {"bloque\n",
       "Impossible de cr\xE9"
       "er le fichier de r\xE9sultats \"bloquer.txt\" : c'est un dossier"},
      {"bloque.txt/x\n",
       "Impossible d'ouvrir le fichier de donn\xE9"
       "es \"bloque.txt/x.txt\" : une partie du chemin "
       "n'est pas un dossier"},
      {long256 + "\n",
       "Impossible d'ouvrir le fichier de donn\xE9"
       "es \"" +
           long256 + ".txt\" : nom trop long (260 caract\xE8res, 259 au plus)"},
      {dossier200 + "/" + base54 + "\n",
       "Impossible de cr\xE9"
       "er le fichier de r\xE9sultats \"" +
           dossier200 + "/" + base54 + "r.txt\" : nom trop long (260 caract\xE8res, 259 au plus)"},
      {std::string("pla\0que\n", 8), std::string("Impossible d'ouvrir le fichier de donn\xE9"
                                                 "es \"pla^@que.txt\" : nom de fichier invalide")},
  };
  const std::set<std::string> avant = Fichiers();
  for (const Cas& c : cas) {
    s_ = std::make_unique<TStructure>();
    const Execution execution = Lancer(c.tape);
    ASSERT_TRUE(execution.erreur) << c.tape;
    EXPECT_EQ(TypeErreur::FichierInaccessible, execution.erreur->Type());
    EXPECT_EQ(c.ligne, RapportErreur(*execution.erreur));
    EXPECT_EQ(kRappel, execution.console);
    EXPECT_FALSE(s_->ResultatsOuvert);
    EXPECT_EQ(avant, Fichiers());
  }
  EXPECT_FALSE(std::filesystem::exists(dossier200 + "/" + base54 + "r.txt"));
  // The walk of a folder stops at 260 characters on Windows: the long path
  // goes first, by name.
  std::filesystem::remove(dossier200 + "/" + base54 + ".txt");
  std::filesystem::remove(dossier200);
}

TEST_F(LectureTest, IncompleteDataExplainsItselfInTheResults) {
  constexpr char kIncompletes[] =
      "Donn\xE9"
      "es incompl\xE8tes, calcul impossible : ";
  const std::string sansPro = Remplacer(kPlaque, "$pro\r\n1\r\n", "");
  struct Cas {
    std::string donnees;
    bool resultat;
    std::string echo;
    std::string manque;
  };
  const Cas cas[] = {
      {"titre\r\n$noe\r\n4\r\n", false, "",
       "ligne \"$deb\" (d\xE9"
       "but des donn\xE9"
       "es) introuvable"},
      {"", false, "",
       "ligne \"$deb\" (d\xE9"
       "but des donn\xE9"
       "es) introuvable"},
      {"$deb\r\n$pro\r\n1\r\n", false, "$pro\r\n",
       "ligne \"$fin\" (fin des donn\xE9"
       "es) introuvable"},
      {Remplacer(kPlaque, "$fin\r\n", ""), false, "$pro\r\n$noe\r\n$ele\r\n$lia\r\n$cha\r\n",
       "ligne \"$fin\" (fin des donn\xE9"
       "es) introuvable"},
      {sansPro, true, "$noe\r\n$ele\r\n$lia\r\n$cha\r\n$fin\r\n",
       "section \"$pro\" (type de probl\xE8me) absente"},
      {Remplacer(kPlaque, "$pro\r\n1", "$pro\r\n0"), true, kEchoPlaque,
       "type de probl\xE8me nul dans \"$pro\""},
      {Remplacer(kPlaque, "$lia\r\n2\r\n3 1\r\n1 4\r\n", "$lia\r\n0\r\n"), true, kEchoPlaque,
       "nombre de liaisons nul dans \"$lia\""},
      {Remplacer(Remplacer(sansPro, "$noe\r\n4\r\n", "$noe\r\n0\r\n"), "$cha\r\n3\r\n",
                 "$cha\r\n0\r\n"),
       true,
       "$noe\r\n0 0\r\n100 0\r\n100 100\r\n0 100\r\n$ele\r\n$lia\r\n$cha\r\n2 2 3 10 0\r\n"
       "1 1 0 -7.85e-5\r\n1 2 0 -7.85e-5\r\n$fin\r\n",
       "section \"$pro\" (type de probl\xE8me) absente, nombre de noeuds nul dans \"$noe\", "
       "nombre de charges nul dans \"$cha\""},
      {Remplacer(kPlaque, "$ele\r\n2\r\n1 2 3 210000 0.3 10\r\n1 3 4 210000 0.3 10\r\n",
                 "$ele\r\n0\r\n"),
       true, kEchoPlaque, "nombre d'\xE9l\xE9ments nul dans \"$ele\""},
      {"$deb\r\n$fin\r\n", true, "$fin\r\n",
       "section \"$pro\" (type de probl\xE8me) absente, section \"$noe\" (noeuds) absente, "
       "section \"$ele\" (\xE9l\xE9ments) absente, section \"$lia\" (liaisons) absente, "
       "section \"$cha\" (charges) absente"},
  };
  for (const Cas& c : cas) {
    s_ = std::make_unique<TStructure>();
    const Execution execution = LirePlaque(c.donnees);
    ASSERT_FALSE(execution.erreur) << RapportErreur(*execution.erreur);
    EXPECT_EQ(c.resultat, execution.resultat) << c.manque;
    if (c.resultat) {
      EXPECT_EQ(0, s_->TypeProbleme) << c.manque;
    }
    EXPECT_EQ(std::string(kRappel) + c.echo, execution.console);
    EXPECT_EQ(std::string(kEnTetePlaque) + kIncompletes + c.manque + "\r\n", Resultats());
  }
}

// A section of `nombre` records, each on its line.
std::string Section(const char* motCle, int nombre, const char* enregistrement) {
  std::string texte = std::string(motCle) + "\n" + std::to_string(nombre) + "\n";
  for (int i = 0; i < nombre; ++i) {
    texte += enregistrement;
    texte += "\n";
  }
  return texte;
}

TEST_F(LectureTest, CapacitiesStopAtTheFirstItemBeyond) {
  struct Cas {
    const char* motCle;
    int capacite;
    const char* enregistrement;
  };
  const Cas cas[] = {
      {"$noe", 100, "1 2"},
      {"$ele", 100, "1 2 3 1 0.3 1"},
      {"$lia", 20, "3 1"},
      {"$cha", 20, "1 1 0 -1"},
  };
  for (const Cas& c : cas) {
    s_ = std::make_unique<TStructure>();
    const Execution plein =
        LirePlaque("$deb\n$pro\n1\n" + Section(c.motCle, c.capacite, c.enregistrement) + "$fin\n");
    EXPECT_FALSE(plein.erreur) << c.motCle;
    EXPECT_TRUE(plein.resultat) << c.motCle;

    s_ = std::make_unique<TStructure>();
    const Execution trop = LirePlaque(
        "$deb\n$pro\n1\n" + Section(c.motCle, c.capacite + 5, c.enregistrement) + "$fin\n");
    ASSERT_TRUE(trop.erreur) << c.motCle;
    const std::string cap = std::to_string(c.capacite);
    EXPECT_EQ(
        "Erreur d'ex\xE9"
        "cution : Range check error (indice " +
            std::to_string(c.capacite + 1) + " hors de 1.." + cap + ", plaque.txt, ligne 5 : \"" +
            std::to_string(c.capacite + 5) + "\")",
        RapportErreur(*trop.erreur));
  }
}

TEST_F(LectureTest, RunTimeErrorsNameFileLineAndText) {
  struct Cas {
    std::string avant;
    std::string apres;
    std::string rapport;
  };
  const std::string element2 = "1 3 4 210000 0.3 10";
  const Cas cas[] = {
      {element2, "1 3 4 210000 0,3 10",
       "Erreur d'ex\xE9"
       "cution : Invalid numeric input (plaque.txt, ligne 14 : \"0,3\")"},
      {element2, "1.0 3 4 210000 0.3 10",
       "Erreur d'ex\xE9"
       "cution : Invalid numeric input (plaque.txt, ligne 14 : \"1.0\")"},
      {element2, "1 3 4 1e400 0.3 10",
       "Erreur d'ex\xE9"
       "cution : Floating point overflow (plaque.txt, ligne 14 : \"1e400\")"},
      {"$ele\r\n2", "$ele\r\n3",
       "Erreur d'ex\xE9"
       "cution : Invalid numeric input (plaque.txt, ligne 15 : \"$lia\")"},
      {"$pro\r\n1", "$pro\r\nun",
       "Erreur d'ex\xE9"
       "cution : Invalid numeric input (plaque.txt, ligne 4 : \"un\")"},
      {"3 1\r\n", "3 2147483648\r\n",
       "Erreur d'ex\xE9"
       "cution : Invalid numeric input (plaque.txt, ligne 17 : \"2147483648\")"},
  };
  for (const Cas& c : cas) {
    s_ = std::make_unique<TStructure>();
    const Execution execution = LirePlaque(Remplacer(kPlaque, c.avant, c.apres));
    ASSERT_TRUE(execution.erreur) << c.apres;
    EXPECT_EQ(c.rapport, RapportErreur(*execution.erreur));
  }
}

TEST_F(LectureTest, OnlyBodyLinesAreEchoed) {
  const Execution execution = LirePlaque(
      "avant\r\n  $DEB\r\nTitre du calcul\r\n\r\n$pro 1 ignored\r\n1 trailing\r\n"
      "commentaire \xE9\r\n$ N O E U D S\r\n1\r\n5 5\r\n$ele\r\n1\r\n1 1 1 1 0 1\r\n"
      "$lia\r\n1\r\n1 1\r\n$cha\r\n1\r\n1 1 0 0\r\n$Fin des donn\xE9"
      "es\r\n"
      "apr\xE8s\r\n1,5 jamais lu\r\n");
  ASSERT_FALSE(execution.erreur) << RapportErreur(*execution.erreur);
  EXPECT_TRUE(execution.resultat);
  EXPECT_EQ(std::string(kRappel) +
                "Titre du calcul\r\n\r\n$pro 1 ignored\r\ncommentaire \xE9\r\n$ N O E U D S\r\n"
                "$ele\r\n$lia\r\n$cha\r\n$Fin des donn\xE9"
                "es\r\n",
            execution.console);
  EXPECT_EQ(1, s_->TypeProbleme);
  EXPECT_EQ(5.0, s_->Noeuds[1].x);
}

TEST_F(LectureTest, ValuesMissingAtTheEndReadAsZero) {
  const Execution execution = LirePlaque("$deb\n$noe\n2\n1 2\n3");
  ASSERT_FALSE(execution.erreur);
  EXPECT_FALSE(execution.resultat);
  EXPECT_EQ(3.0, s_->Noeuds[2].x);
  EXPECT_EQ(0.0, s_->Noeuds[2].y);
  EXPECT_EQ(std::string(kRappel) + "$noe\r\n", execution.console);
}

}  // namespace
