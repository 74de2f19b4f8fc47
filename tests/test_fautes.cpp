// Faults injected into runs of the built program: a results file that meets a
// size limit in the middle of the report, a console that refuses its bytes,
// data files and folders that cannot be used, standard input closed or empty,
// and data files at the limits of the reader. Each run's exit status,
// standard error, standard output, files and viewer calls are checked. The
// faults are made with POSIX means (file size limit, /dev/full, /proc, shell);
// on Windows the runs that need none of them are made.
#ifndef _WIN32
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "tests/donnees_communes.hpp"
#include "tests/outils_processus.hpp"

namespace {

namespace fs = std::filesystem;
using donnees::kEchoPlaque;
using donnees::kPlaque;
using donnees::Noms;
using donnees::Remplacer;

const fs::path kProgramme = ELASPLAN_PROGRAMME;
const fs::path kCas = ELASPLAN_DOSSIER_E2E;

constexpr std::size_t TailleTamponFichier = 128;

const std::string kIncompletes =
    "Donn\xE9"
    "es incompl\xE8tes, calcul impossible : ";
const std::string kSansDebut = kIncompletes +
                               "ligne \"$deb\" (d\xE9"
                               "but des donn\xE9"
                               "es) introuvable\r\n";
const std::string kSansFin = kIncompletes +
                             "ligne \"$fin\" (fin des donn\xE9"
                             "es) introuvable\r\n";

std::string EnTete(const std::string& base) {
  return "\r\nLecture du fichier : " + base + ".txt\r\n";
}

std::string ErreurExecution(const std::string& message) {
  return "Erreur d'ex\xE9"
         "cution : " +
         message + "\r\n";
}

// Banner, reminder and prompt: the console of a run that stops at the prompt.
const std::string& Invite() {
  static const std::string invite = essai::LireFichier(kCas / "nom_vide" / "attendu" / "stdout");
  return invite;
}

// One run in a folder of its own that holds the given files.
struct Essai {
  essai::DossierTemporaire dossier;
  essai::Lancement lancement;

  explicit Essai(const std::string& tape) {
    lancement.programme = kProgramme;
    lancement.dossier = dossier.Chemin();
    lancement.entree = tape;
  }
  fs::path operator/(const std::string& nom) const { return dossier.Chemin() / nom; }
  void Ecrire(const std::string& nom, const std::string& octets) const {
    essai::EcrireFichier(dossier.Chemin() / nom, octets);
  }
  essai::Execution Lancer(int appelsVisualiseur = 0) const {
    essai::Execution execution = essai::Lancer(lancement, appelsVisualiseur);
    EXPECT_FALSE(execution.delaiDepasse) << "the run did not end in time";
    EXPECT_EQ(0, execution.signal) << "the run was ended by a signal";
    return execution;
  }
};

// One run checked whole: status, standard error, standard output, the files
// of its folder, and no viewer started.
essai::Execution Verifier(const Essai& essai, int statut, const std::string& erreur,
                          const std::string& sortie, const std::set<std::string>& fichiers) {
  essai::Execution execution = essai.Lancer();
  EXPECT_EQ(statut, execution.statut);
  EXPECT_EQ(erreur, execution.erreur);
  EXPECT_EQ(sortie, execution.sortie);
  EXPECT_EQ(fichiers, Noms(essai.dossier.Chemin()));
  EXPECT_TRUE(execution.visualiseur.empty());
  return execution;
}

// The complete run of the worked example, that the faulty runs are held to.
struct Reference {
  std::string sortie;
  std::string resultats;
  std::string dessin;
};

const Reference& PlaqueComplete() {
  static const Reference reference = [] {
    Essai essai("plaque\n");
    essai.Ecrire("plaque.txt", kPlaque);
    const essai::Execution execution = essai.Lancer(1);
    EXPECT_EQ(0, execution.statut);
    EXPECT_EQ("", execution.erreur);
    return Reference{execution.sortie, essai::LireFichier(essai / "plaquer.txt"),
                     essai::LireFichier(essai / "plaquer.svg")};
  }();
  return reference;
}

TEST(LimiteTaille, CompleteRunIsTheReference) {
  const Reference& reference = PlaqueComplete();
  EXPECT_EQ(Invite() + kEchoPlaque, reference.sortie);
  const std::string debut = EnTete("plaque") + "Assemblage de la matrice de rigidit\xE9\r\n";
  EXPECT_EQ(debut, reference.resultats.substr(0, debut.size()));
  const std::string fin = "noeud 4 : Rx =  -504\r\n\r\n";
  ASSERT_GT(reference.resultats.size(), fin.size());
  EXPECT_EQ(fin, reference.resultats.substr(reference.resultats.size() - fin.size()));
  EXPECT_GT(reference.dessin.size(), reference.resultats.size());
}

// No limit of file size per process on Windows.
#ifndef _WIN32
// A hand-over that crosses the limit is cut there by the system and the rest
// refused (EFBIG): the file keeps the report's first bytes up to the limit,
// the run ends with the I/O error and the viewer does not start. The limit
// holds for the captured console too, so it stays above what that receives.
TEST(LimiteTaille, ResultsFileKeepsTheBytesHandedOverBeforeTheLimit) {
  const Reference& reference = PlaqueComplete();
  const std::string message = ErreurExecution("I/O error 27");
  const std::size_t console = reference.sortie.size() + message.size();
  const std::size_t debutRapport = reference.resultats.find("\r\nProbl\xE8me : ");
  // The last hand-over of the report is its closing: the limits stay before.
  const std::size_t fin = reference.resultats.size() - TailleTamponFichier - 2;
  ASSERT_LT(debutRapport, console);
  ASSERT_LT(console, fin);
  // On and off the 128-byte boundaries, from the nodes to the reactions.
  for (const std::size_t limite :
       {console, std::size_t{511}, std::size_t{512}, std::size_t{513}, std::size_t{1000}, fin}) {
    if (limite < console || limite > fin) {
      continue;
    }
    SCOPED_TRACE("limit " + std::to_string(limite));
    Essai essai("plaque\n");
    essai.Ecrire("plaque.txt", kPlaque);
    essai.lancement.limiteTailleFichier = static_cast<long>(limite);
    Verifier(essai, 1, message, reference.sortie, {"plaque.txt", "plaquer.txt"});
    EXPECT_EQ(reference.resultats.substr(0, limite), essai::LireFichier(essai / "plaquer.txt"));
  }
}

// A limit inside the report's last buffer is met by the drawing first, which
// is given up, then by the closing of the results file, a run-time error.
TEST(LimiteTaille, FailedCloseEndsTheRunWithoutViewer) {
  const Reference& reference = PlaqueComplete();
  const std::size_t limite = reference.resultats.size() - 1;
  Essai essai("plaque\n");
  essai.Ecrire("plaque.txt", kPlaque);
  essai.lancement.limiteTailleFichier = static_cast<long>(limite);
  Verifier(essai, 1,
           "Dessin non \xE9"
           "crit : plaquer.svg (fichier trop grand)\r\n" +
               ErreurExecution("I/O error 27"),
           reference.sortie, {"plaque.txt", "plaquer.txt"});
  EXPECT_EQ(reference.resultats.substr(0, limite), essai::LireFichier(essai / "plaquer.txt"));
}

// Below the banner's length the captured console meets the limit first: the
// run ends at the banner, before any file is opened.
TEST(LimiteTaille, ConsoleFileAtItsLimit) {
  const Reference& reference = PlaqueComplete();
  const std::size_t limite = 100;
  Essai essai("plaque\n");
  essai.Ecrire("plaque.txt", kPlaque);
  essai.lancement.limiteTailleFichier = static_cast<long>(limite);
  Verifier(essai, 1, ErreurExecution("I/O error 27"), reference.sortie.substr(0, limite),
           {"plaque.txt"});
}

#endif

// A run-time error inside the report: the file keeps what the full buffers
// and the Vider calls had handed over, here up to the stresses' heading, which
// is handed over before the first element's stresses are formed. A tiny
// thin plate under a huge edge load: its stresses overflow, not its
// displacements nor its reactions.
TEST(ErreurDansLeRapport, ResultsFileEndsAtTheLastHandOver) {
  Essai essai("demesure\n");
  essai.Ecrire("demesure.txt",
               "$deb\n$pro\n1\n$noe\n4\n0 0\n1e-4 0\n1e-4 1e-4\n0 1e-4\n$ele\n2\n"
               "1 2 3 1000 0.3 1e-10\n1 3 4 1000 0.3 1e-10\n$lia\n2\n3 1\n1 4\n$cha\n1\n"
               "2 2 3 1e300 0\n$fin\n");
  Verifier(essai, 1, ErreurExecution("Floating point overflow"), Invite() + kEchoPlaque,
           {"demesure.txt", "demesurer.txt"});
  const std::string resultats = essai::LireFichier(essai / "demesurer.txt");
  const std::string fin =
      "   4   0.000000 -3.0E+0302\r\n\r\n"
      "Contraintes [ MPa ] et d\xE9"
      "formations :\r\n\r\n"
      "\xC9lement  sxx     syy     sxy     szz";
  ASSERT_GE(resultats.size(), fin.size());
  EXPECT_EQ(fin, resultats.substr(resultats.size() - fin.size()));
  EXPECT_EQ(EnTete("demesure"), resultats.substr(0, EnTete("demesure").size()));
}

// The banner is longer than the console's buffer: its first hand-over fails.
TEST(SortieStandard, RefusedBytesEndTheRunAtTheBanner) {
  struct Cas {
    essai::SortieStandard sortie;
    const char* message;
  };
  for (const Cas& cas : {Cas{essai::SortieStandard::Fermee, "I/O error 9"},
                         Cas{essai::SortieStandard::Pleine, "Disk full"}}) {
    SCOPED_TRACE(cas.message);
    Essai essai("plaque\n");
    essai.Ecrire("plaque.txt", kPlaque);
    essai.lancement.sortie = cas.sortie;
    if (!essai::Possible(essai.lancement)) {
      continue;  // Windows itself has no full device
    }
    Verifier(essai, 1, ErreurExecution(cas.message), "", {"plaque.txt"});
  }
}

// Windows has no shell to close descriptors with.
#ifndef _WIN32
// A shell script that runs the program as `commande` says, "$programme"
// standing for it.
fs::path Enveloppe(const essai::DossierTemporaire& outils, const std::string& commande) {
  const fs::path script = outils.Chemin() / "enveloppe";
  std::string texte = "#!/bin/sh\nprogramme='" + kProgramme.string() + "'\n" + commande + "\n";
  essai::EcrireFichier(script, texte);
  fs::permissions(script, fs::perms::owner_all);
  return script;
}

// With every standard descriptor closed, the banner's write still fails (the
// descriptor taken up at start is not open for writing) and no file is made.
TEST(SortieStandard, AllStandardDescriptorsClosed) {
  essai::DossierTemporaire outils;
  Essai essai("plaque\n");
  essai.Ecrire("plaque.txt", kPlaque);
  essai.lancement.programme = Enveloppe(outils, "exec \"$programme\" <&- >&- 2>&-");
  Verifier(essai, 1, "", "", {"plaque.txt"});
}

// A pipe whose reader is gone, and a file size limit whose signal keeps its
// default action: the refused write is an input/output error with its
// message, never a silent death by signal.
TEST(SortieStandard, SignalsOfRefusedWritesDoNotKillTheRun) {
  struct Cas {
    const char* commande;
    const char* message;
  };
  for (const Cas& cas :
       {Cas{"(exec 3>&1; \"$programme\" | (exec 0<&-; sleep 1)); exit 0", "I/O error 32"},
        Cas{"(trap - XFSZ; ulimit -f 0; exec \"$programme\" 2>&1 >/dev/null) | cat >&2",
            "I/O error 27"}}) {
    SCOPED_TRACE(cas.commande);
    essai::DossierTemporaire outils;
    Essai essai("plaque\n");
    essai.Ecrire("plaque.txt", kPlaque);
    essai.lancement.programme = Enveloppe(outils, cas.commande);
    const essai::Execution execution = essai.Lancer();
    EXPECT_EQ(0, execution.signal);
    EXPECT_NE(std::string::npos, execution.erreur.find(cas.message)) << execution.erreur;
    EXPECT_TRUE(execution.visualiseur.empty());
  }
}

// Standard error closed: the data file would otherwise be given its number.
// The run-time error's report is lost, but neither the data file nor the
// results file receives it.
TEST(SortieStandard, ClosedStandardErrorReceivesNothing) {
  essai::DossierTemporaire outils;
  Essai essai("plaque\n");
  std::string donnees = kPlaque;
  donnees.replace(donnees.find("0.3"), 3, "0,3");
  essai.Ecrire("plaque.txt", donnees);
  essai.lancement.programme = Enveloppe(outils, "exec \"$programme\" 2>&-");
  Verifier(essai, 1, "", Invite() + "$pro\r\n$noe\r\n$ele\r\n", {"plaque.txt", "plaquer.txt"});
  EXPECT_EQ(donnees, essai::LireFichier(essai / "plaque.txt"));
  // The heading was still in the buffer: a run-time error hands nothing over.
  EXPECT_EQ("", essai::LireFichier(essai / "plaquer.txt"));
}

#endif

TEST(EntreeStandard, ClosedIsAnInputOutputError) {
  Essai essai("");
  essai.Ecrire("plaque.txt", kPlaque);
  essai.lancement.entreeFermee = true;
  Verifier(essai, 1,
           ErreurExecution("I/O error 9 (entr\xE9"
                           "e standard)"),
           Invite(), {"plaque.txt"});
}

TEST(EntreeStandard, EmptyEndsTheRunAtThePrompt) {
  Essai essai("");
  essai.Ecrire("plaque.txt", kPlaque);
  Verifier(essai, 0, "", Invite(), {"plaque.txt"});
}

// The name is read byte by byte, so that nothing beyond its line is taken.
TEST(EntreeStandard, NameOfOneHundredThousandCharactersIsRefused) {
  const std::string nom(100000, 'p');
  Essai essai(nom + "\n");
  essai.Ecrire("plaque.txt", kPlaque);
  Verifier(essai, 1,
           "Impossible d'ouvrir le fichier de donn\xE9"
           "es \"" +
               nom + ".txt\" : nom trop long (100004 caract\xE8res, 259 au plus)\r\n",
           Invite(), {"plaque.txt"});
}

void AttendreRefus(const Essai& essai, const std::string& message,
                   const std::set<std::string>& fichiers) {
  Verifier(essai, 1, message, Invite(), fichiers);
}

const std::string kOuvrir =
    "Impossible d'ouvrir le fichier de donn\xE9"
    "es \"plaque.txt\" : ";
const std::string kCreer =
    "Impossible de cr\xE9"
    "er le fichier de r\xE9sultats \"plaquer.txt\" : ";

TEST(FichierDonnees, DirectoryIsRefused) {
  Essai essai("plaque\n");
  fs::create_directory(essai / "plaque.txt");
  AttendreRefus(essai, kOuvrir + "c'est un dossier\r\n", {"plaque.txt"});
}

TEST(FichierDonnees, VanishedIsRefused) {
  {
    SCOPED_TRACE("no such file");
    Essai essai("plaque\n");
    essai.Ecrire("autre.txt", kPlaque);
    AttendreRefus(essai, kOuvrir + "fichier ou dossier introuvable\r\n", {"autre.txt"});
  }
#ifndef _WIN32  // links need a privilege on Windows
  {
    SCOPED_TRACE("link to a removed file");
    Essai essai("plaque\n");
    fs::create_symlink("disparu.txt", essai / "plaque.txt");
    AttendreRefus(essai, kOuvrir + "fichier ou dossier introuvable\r\n", {"plaque.txt"});
  }
#endif
}

// /proc, permissions and capabilities are Linux means.
#ifndef _WIN32
// A file that opens but cannot be read: the run-time error names it, and the
// results file, created before, keeps nothing of its buffered heading.
TEST(FichierDonnees, FailedReadIsAnInputOutputError) {
  Essai essai("plaque\n");
  // Reading a process's memory at address 0 fails with EIO.
  fs::create_symlink("/proc/self/mem", essai / "plaque.txt");
  AttendreRefus(essai, ErreurExecution("I/O error 5 (plaque.txt, ligne 1)"),
                {"plaque.txt", "plaquer.txt"});
  EXPECT_EQ("", essai::LireFichier(essai / "plaquer.txt"));
}

// Root passes over permissions; without the two capabilities that let it,
// it meets them like any user. Empty when permissions cannot be made to hold.
std::string SansPrivileges() {
  if (geteuid() != 0) {
    return "exec \"$programme\"";
  }
  const std::string commande = "setpriv --bounding-set=-dac_override,-dac_read_search --";
  if (std::system((commande + " true 2>/dev/null").c_str()) != 0) {
    return "";
  }
  return "exec " + commande + " \"$programme\"";
}

TEST(FichierDonnees, UnreadableIsRefused) {
  essai::DossierTemporaire outils;
  const std::string commande = SansPrivileges();
  if (commande.empty()) {
    GTEST_SKIP() << "running as root, and setpriv cannot drop the capabilities that override "
                    "file permissions: an unreadable file cannot be made";
  }
  Essai essai("plaque\n");
  essai.Ecrire("plaque.txt", kPlaque);
  fs::permissions(essai / "plaque.txt", fs::perms::none);
  essai.lancement.programme = Enveloppe(outils, commande);
  AttendreRefus(essai, kOuvrir + "acc\xE8s refus\xE9\r\n", {"plaque.txt"});
}

TEST(DossierResultats, ReadOnlyFolderIsRefused) {
  essai::DossierTemporaire outils;
  const std::string commande = SansPrivileges();
  if (commande.empty()) {
    GTEST_SKIP() << "running as root, and setpriv cannot drop the capabilities that override "
                    "file permissions: a read-only folder cannot be made";
  }
  Essai essai("plaque\n");
  essai.Ecrire("plaque.txt", kPlaque);
  fs::permissions(essai.dossier.Chemin(), fs::perms::owner_read | fs::perms::owner_exec);
  essai.lancement.programme = Enveloppe(outils, commande);
  AttendreRefus(essai, kCreer + "acc\xE8s refus\xE9\r\n", {"plaque.txt"});
}

#endif

TEST(DossierResultats, DirectoryInThePlaceOfTheResultsFileIsRefused) {
  Essai essai("plaque\n");
  essai.Ecrire("plaque.txt", kPlaque);
  fs::create_directory(essai / "plaquer.txt");
  AttendreRefus(essai, kCreer + "c'est un dossier\r\n", {"plaque.txt", "plaquer.txt"});
}

// Bytes of every value but "$" (no keyword line can appear) and Ctrl-Z (no
// end of file), with a line end now and then.
std::string Bruit(std::size_t taille, unsigned graine) {
  std::mt19937 aleatoire(graine);
  std::uniform_int_distribution<int> octet(0, 255);
  std::string bruit;
  bruit.reserve(taille);
  while (bruit.size() < taille) {
    const int c = octet(aleatoire);
    if (c != '$' && c != 26) {
      bruit += static_cast<char>(c);
    }
  }
  return bruit;
}

// The console echo of lines read after the start line: each line without its
// LF and without any CR, then CR LF.
std::string Echo(const std::string& lignes) {
  std::string echo;
  std::string::size_type debut = 0;
  while (debut < lignes.size()) {
    std::string::size_type fin = lignes.find('\n', debut);
    if (fin == std::string::npos) {
      fin = lignes.size();
    }
    for (std::string::size_type i = debut; i < fin; ++i) {
      if (lignes[i] != '\r') {
        echo += lignes[i];
      }
    }
    echo += "\r\n";
    debut = fin + 1;
  }
  return echo;
}

// A run that stops at the end of the data file, silently, with a results
// file that says why, shown in the viewer.
void AttendreFinSilencieuse(const Essai& essai, const std::string& base, const std::string& echo,
                            const std::string& raison) {
  const essai::Execution execution = essai.Lancer(1);
  EXPECT_EQ(0, execution.statut);
  EXPECT_EQ("", execution.erreur);
  EXPECT_EQ(Invite() + echo, execution.sortie);
  EXPECT_EQ(EnTete(base) + raison, essai::LireFichier(essai / (base + "r.txt")));
  EXPECT_EQ(std::vector<std::string>{base + "r.txt"}, execution.visualiseur);
}

TEST(DonneesExtremes, MegabytesOfGarbageBeforeTheStartLine) {
  Essai essai("bruit\n");
  essai.Ecrire("bruit.txt", Bruit(4 << 20, 1));
  AttendreFinSilencieuse(essai, "bruit", "", kSansDebut);
}

TEST(DonneesExtremes, MegabytesOfGarbageLinesAreEchoed) {
  const std::string bruit = Bruit(3 << 20, 2);
  Essai essai("bruit\n");
  essai.Ecrire("bruit.txt", "$deb\n" + bruit);
  AttendreFinSilencieuse(essai, "bruit", Echo(bruit), kSansFin);
}

TEST(DonneesExtremes, MegabytesOfGarbageWhereNumbersAreDue) {
  Essai essai("bruit\n");
  essai.Ecrire("bruit.txt", "$deb\n$noe\nz " + Bruit(3 << 20, 3));
  Verifier(essai, 1, ErreurExecution("Invalid numeric input (bruit.txt, ligne 3 : \"z\")"),
           Invite() + "$noe\r\n", {"bruit.txt", "bruitr.txt"});
  EXPECT_EQ("", essai::LireFichier(essai / "bruitr.txt"));
}

// Lines and blanks of one million characters change nothing but the echo.
TEST(DonneesExtremes, LinesOfOneMillionCharacters) {
  const Reference& reference = PlaqueComplete();
  const std::string ligne(1000000, 'x');
  struct Cas {
    std::string nom;
    std::string donnees;
    std::string echo;
  };
  const Cas cas[] = {
      {"title",
       Remplacer(kPlaque,
                 "Plaque carr\xE9"
                 "e, deux \xE9l\xE9ments",
                 ligne),
       kEchoPlaque},
      {"comment", Remplacer(kPlaque, "1\r\n$noe", "1\r\n" + ligne + "\r\n$noe"),
       "$pro\r\n" + ligne + "\r\n$noe\r\n$ele\r\n$lia\r\n$cha\r\n$fin\r\n"},
      {"blanks before a count",
       Remplacer(kPlaque, "$noe\r\n4", "$noe\r\n" + std::string(1000000, ' ') + "4"), kEchoPlaque},
      {"after a record", Remplacer(kPlaque, "3 1\r\n", "3 1 " + ligne + "\r\n"), kEchoPlaque},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom);
    Essai essai("plaque\n");
    essai.Ecrire("plaque.txt", c.donnees);
    const essai::Execution execution = essai.Lancer(1);
    EXPECT_EQ(0, execution.statut);
    EXPECT_EQ("", execution.erreur);
    EXPECT_EQ(Invite() + c.echo, execution.sortie);
    EXPECT_EQ(reference.resultats, essai::LireFichier(essai / "plaquer.txt"));
    EXPECT_EQ(std::vector<std::string>{"plaquer.txt"}, execution.visualiseur);
  }
}

// A number of one million digits is cut after 32: the error shows the cut.
TEST(DonneesExtremes, NumberOfOneMillionDigits) {
  Essai essai("plaque\n");
  essai.Ecrire("plaque.txt",
               Remplacer(kPlaque, "$noe\r\n4", "$noe\r\n" + std::string(1000000, '1')));
  Verifier(essai, 1,
           ErreurExecution("Invalid numeric input (plaque.txt, ligne 6 : \"" +
                           std::string(32, '1') + "\")"),
           Invite() + "$pro\r\n$noe\r\n", {"plaque.txt", "plaquer.txt"});
}

// NUL is a blank between numbers and an ordinary byte of an echoed line.
TEST(DonneesExtremes, NulBytes) {
  const Reference& reference = PlaqueComplete();
  std::string donnees = kPlaque;
  for (std::string::size_type i = donnees.find("$deb"); i < donnees.size(); ++i) {
    if (donnees[i] == ' ') {
      donnees[i] = '\0';
    }
  }
  const std::string commentaire("avec\0nul", 8);
  donnees = Remplacer(donnees, "$lia", commentaire + "\r\n$lia");
  Essai essai("plaque\n");
  essai.Ecrire("plaque.txt", donnees);
  const essai::Execution execution = essai.Lancer(1);
  EXPECT_EQ(0, execution.statut);
  EXPECT_EQ("", execution.erreur);
  EXPECT_EQ(Invite() + "$pro\r\n$noe\r\n$ele\r\n" + commentaire + "\r\n$lia\r\n$cha\r\n$fin\r\n",
            execution.sortie);
  EXPECT_EQ(reference.resultats, essai::LireFichier(essai / "plaquer.txt"));
  EXPECT_EQ(std::vector<std::string>{"plaquer.txt"}, execution.visualiseur);
}

// Ctrl-Z is the end of the file wherever it stands, even inside a line.
TEST(DonneesExtremes, CtrlZInTheMiddle) {
  struct Cas {
    const char* avant;
    const char* apres;
    std::string echo;
    const std::string& raison;
  };
  const Cas cas[] = {
      {"$deb",
       "$d\x1A"
       "eb",
       "", kSansDebut},
      {"$lia", "\x1A$lia", "$pro\r\n$noe\r\n$ele\r\n", kSansFin},
      {"$lia",
       "$l\x1A"
       "ia",
       "$pro\r\n$noe\r\n$ele\r\n$l\r\n", kSansFin},
      {"1 3 4 210000",
       "1 3 4 2\x1A"
       "10000",
       "$pro\r\n$noe\r\n$ele\r\n", kSansFin},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.apres);
    Essai essai("plaque\n");
    essai.Ecrire("plaque.txt", Remplacer(kPlaque, c.avant, c.apres));
    AttendreFinSilencieuse(essai, "plaque", c.echo, c.raison);
  }
}

// Values missing at the end read as 0; then the end line is missing.
TEST(DonneesExtremes, FileEndsInTheMiddleOfARecord) {
  struct Cas {
    std::string::size_type longueur;
    std::string echo;
  };
  const Cas cas[] = {
      {kPlaque.find("100 100") + 2, "$pro\r\n$noe\r\n"},
      {kPlaque.find("10\r\n1 3 4") + 1, "$pro\r\n$noe\r\n$ele\r\n"},
      {kPlaque.find("-7.85e-5\r\n1 2") + 5, "$pro\r\n$noe\r\n$ele\r\n$lia\r\n$cha\r\n"},
      {kPlaque.size() - 4, "$pro\r\n$noe\r\n$ele\r\n$lia\r\n$cha\r\n$f\r\n"},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(kPlaque.substr(0, c.longueur));
    Essai essai("plaque\n");
    essai.Ecrire("plaque.txt", kPlaque.substr(0, c.longueur));
    AttendreFinSilencieuse(essai, "plaque", c.echo, kSansFin);
  }
}

}  // namespace
