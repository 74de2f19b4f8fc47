// Faults injected into runs of the built program, one table row each: a
// results file or console that meets a size limit, a console that refuses its
// bytes, data files and folders that cannot be used, standard input closed or
// empty, and data files at the limits of the reader. Every row checks the exit
// status, standard error, standard output, the files left in the folder with
// their bytes, and the viewer's starts. Rows that need POSIX means (size limit,
// /proc, links, permissions, a shell; /dev/full outside Wine) are skipped on
// Windows, as are rows whose shell lacks a means it needs (exit status 77):
// they are grouped in tests of their own, so that a skip stands for them only.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/outils_processus.hpp"

namespace {

namespace fs = std::filesystem;
using essai::LireFichier;
using essai::SortieStandard;

// The worked example's golden run, and the console of a run that stops at the
// prompt: what a faulty run is held to.
const fs::path kCas = ELASPLAN_DOSSIER_E2E;
const std::string kPlaque = LireFichier(kCas / "plaque" / "entree" / "plaque.txt");
const std::string kConsole = LireFichier(kCas / "plaque" / "attendu" / "stdout");
const std::string kResultats = LireFichier(kCas / "plaque/attendu/fichiers/plaquer.txt");
const std::string kInvite = LireFichier(kCas / "nom_vide" / "attendu" / "stdout");

// Octal escapes where a hex digit follows: "\xE9e" would be one escape.
const std::string kEnTete = "\r\nLecture du fichier : plaque.txt\r\n";
const std::string kIncompletes = kEnTete + "Donn\351es incompl\xE8tes, calcul impossible : ligne ";
const std::string kSansDebut = kIncompletes + "\"$deb\" (d\351but des donn\351es) introuvable\r\n";
const std::string kSansFin = kIncompletes + "\"$fin\" (fin des donn\351es) introuvable\r\n";
const std::string kOuvrir = "Impossible d'ouvrir le fichier de donn\351es \"plaque.txt\" : ";
const std::string kCreer = "Impossible de cr\351er le fichier de r\xE9sultats \"plaquer.txt\" : ";
const std::string kRefus = "acc\xE8s refus\xE9\r\n";

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

// How the run is set up: a folder made in the place of a file, what is typed,
// a file size limit (SIGXFSZ ignored), the standard descriptors, a shell
// running "$programme" (sansdroits: as root, without the rights that pass over
// permissions; "$o": a folder of its own; exit 77: a means it needs is
// missing). A shell is a POSIX means.
struct Montage {
  std::string donnees = kPlaque;  // plaque.txt
  std::string dossier{};
  std::string tape = "plaque\n";
  long limite = -1;
  SortieStandard sortie = SortieStandard::Capturee;
  bool entreeFermee = false;
  std::string commande{};
};
const std::string kSansDroits =
    "sansdroits() { d='setpriv --bounding-set=-dac_override,-dac_read_search --'; [ $(id -u) "
    "!= 0 ] && d=; $d true 2>/dev/null || exit 77; $d \"$@\"; }\n";

// How it must end; a nullopt results file is one never made. A normal end
// shows the results file; a complete one adds the picture.
struct Attendu {
  int statut;
  std::string erreur;
  std::string console;
  std::optional<std::string> resultats;
};

void Verifier(const std::string& nom, const Montage& m, const Attendu& a) {
  SCOPED_TRACE(nom);
  essai::DossierTemporaire dossier, outils;
  const fs::path d = dossier.Chemin();
  essai::Lancement lancement{ELASPLAN_PROGRAMME, d, m.tape, m.entreeFermee, m.sortie, m.limite};
  essai::EcrireFichier(d / "plaque.txt", m.donnees);
  if (!m.dossier.empty()) {
    fs::remove(d / m.dossier);
    fs::create_directory(d / m.dossier);
  }
  if (!m.commande.empty()) {
#ifdef _WIN32
    GTEST_SKIP() << nom << ": no shell on Windows";
#endif
    lancement.programme = outils.Chemin() / "enveloppe";
    essai::EcrireFichier(lancement.programme, "#!/bin/sh\nprogramme='" ELASPLAN_PROGRAMME "'\no='" +
                                                  outils.Chemin().string() + "'\n" + kSansDroits +
                                                  m.commande);
    fs::permissions(lancement.programme, fs::perms::owner_all);
  }
  if (!essai::Possible(lancement)) {
    GTEST_SKIP() << nom << ": Windows has no size limit, and a full device only under Wine";
  }
  const bool vu = a.statut == 0 && a.resultats.has_value();
  const essai::Execution e = essai::Lancer(lancement, vu ? 1 : 0);
  if (e.statut == 77) {
    GTEST_SKIP() << nom << ": setpriv cannot drop root's rights here, or prlimit is missing";
  }
  EXPECT_TRUE(!e.delaiDepasse && e.signal == 0) << "hung, or ended by signal " << e.signal;
  EXPECT_EQ(a.statut, e.statut);
  EXPECT_EQ(a.erreur, e.erreur);
  EXPECT_EQ(a.console, e.sortie);
  EXPECT_EQ(a.resultats.has_value(), fs::is_regular_file(d / "plaquer.txt"));
  EXPECT_EQ(a.resultats.value_or(""), LireFichier(d / "plaquer.txt"));
  EXPECT_EQ(vu && a.resultats == kResultats && a.erreur.empty(),
            fs::is_regular_file(d / "plaquer.svg"));
  if (fs::is_regular_file(fs::symlink_status(d / "plaque.txt"))) {
    EXPECT_EQ(m.donnees.size(), fs::file_size(d / "plaque.txt")) << "data file written to";
  }
  EXPECT_EQ(vu ? std::vector<std::string>{"plaquer.txt"} : std::vector<std::string>{},
            e.visualiseur);
}

// A hand-over that crosses the limit is cut there and the rest refused: the
// file keeps the report's bytes up to the limit, on and off the 128-byte
// buffers. A limit in the last buffer is met by the picture first, given up,
// then by the closing; one above the report, by the picture alone. Below the
// banner, the captured console meets it first, before any file is opened.
TEST(LimiteTaille, ResultsFileKeepsTheBytesHandedOver) {
  const std::string e27 = Erreur("I/O error 27");
  const long n = static_cast<long>(kResultats.size());
  for (const long l : {511L, 512L, 513L, n - 130}) {
    Verifier(std::to_string(l), {.limite = l}, {1, e27, kConsole, kResultats.substr(0, l)});
  }
  const std::string dessin = "Dessin non \351crit : plaquer.svg (fichier trop grand)\r\n";
  Verifier("close", {.limite = n - 1}, {1, dessin + e27, kConsole, kResultats.substr(0, n - 1)});
  Verifier("picture", {.limite = 4000}, {0, dessin, kConsole, kResultats});
  Verifier("console", {.limite = 100}, {1, e27, kConsole.substr(0, 100), {}});
}

// A heading longer than the buffer: its first hand-over meets the limit (set
// on the program alone, its console being a pipe) before any data line is
// read, so none is echoed and the malformed number further down is not met.
TEST(LimiteTaille, HeadingRefusedBeforeAnyDataLineIsRead) {
  std::string nom = "plaque";
  for (int i = 0; i < 60; ++i) {
    nom = "./" + nom;
  }
  Verifier("heading",
           {.donnees = Remplacer("0.3", "0,3"),
            .tape = nom + "\n",
            .commande = "command -v prlimit >/dev/null || exit 77; { prlimit --fsize=50 "
                        "\"$programme\"; echo $? >\"$o/statut\"; } | cat; exit $(cat "
                        "\"$o/statut\")"},
           {1, Erreur("I/O error 27"), kInvite,
            ("\r\nLecture du fichier : " + nom + ".txt\r\n").substr(0, 50)});
}

// The banner is longer than the console's buffer: its first hand-over fails.
TEST(SortieStandard, RefusedWritesEndTheRun) {
  Verifier("closed", {.sortie = SortieStandard::Fermee}, {1, Erreur("I/O error 9"), "", {}});
  Verifier("full", {.sortie = SortieStandard::Pleine}, {1, Erreur("Disk full"), "", {}});
}

// With standard error closed too nothing is said; closed alone, the data file
// that would take its number receives nothing.
TEST(SortieStandard, ClosedStandardDescriptors) {
  Verifier("all closed", {.commande = "exec \"$programme\" <&- >&- 2>&-"}, {1, "", "", {}});
  Verifier("standard error closed",
           {.donnees = Remplacer("0.3", "0,3"), .commande = "exec \"$programme\" 2>&-"},
           {1, "", EchoJusqua("$lia"), ""});
}

// A pipe whose reader is gone before the start, and a size limit whose signal
// keeps its default action: an I/O error with its message, never a death by
// signal. The shell hands the program's status over through "$o/statut".
TEST(SortieStandard, SignalsOfRefusedWritesDoNotKillTheRun) {
  const std::string statut = "; echo $s >\"$o/statut\"; } | ";
  Verifier("SIGPIPE",
           {.commande = "{ while [ ! -e \"$o/pret\" ]; do sleep 0.01; done; \"$programme\"; s=$?" +
                        statut + "{ exec 0<&-; : >\"$o/pret\"; }; exit $(cat \"$o/statut\")"},
           {1, Erreur("I/O error 32"), "", {}});
  Verifier("SIGXFSZ",
           {.commande = "{ trap - XFSZ; ulimit -S -f 0; \"$programme\" 2>&1 >/dev/null; s=$?; "
                        "ulimit -S -f unlimited" +
                        statut + "cat >&2; exit $(cat \"$o/statut\")"},
           {1, Erreur("I/O error 27"), "", ""});
}

// The name is read byte by byte, so that nothing beyond its line is taken.
TEST(EntreeStandard, ClosedEmptyOrTooLong) {
  Verifier("closed", {.tape = "", .entreeFermee = true},
           {1, Erreur("I/O error 9 (entr\351e standard)"), kInvite, {}});
  Verifier("empty", {.tape = ""}, {0, "", kInvite, {}});
  const std::string nom(100000, 'p');
  Verifier(
      "long", {.tape = nom + "\n"},
      {1,
       Remplacer("plaque", nom, kOuvrir) + "nom trop long (100004 caract\350res, 259 au plus)\r\n",
       kInvite,
       {}});
}

TEST(Fichiers, UnusableDataFileOrResultsFolder) {
  const std::string absent = kOuvrir + "fichier ou dossier introuvable\r\n";
  const std::string dossier = "c'est un dossier\r\n";
  Verifier("folder", {.dossier = "plaque.txt"}, {1, kOuvrir + dossier, kInvite, {}});
  Verifier("absent", {.tape = "absent\n"},
           {1, Remplacer("plaque.txt", "absent.txt", absent), kInvite, {}});
}

// Links, /proc, and a name holding a lone CR (only the CR of a CR LF ends the
// name), which no Windows file can have.
TEST(Fichiers, PosixLinksProcAndControlCharacters) {
#ifdef _WIN32
  GTEST_SKIP() << "POSIX means";
#endif
  const std::string absent = kOuvrir + "fichier ou dossier introuvable\r\n";
  Verifier("lone CR", {.tape = "pla\rque\r\n"},
           {1, Remplacer("plaque.txt", "pla\rque.txt", absent), kInvite, {}});
  Verifier("vanished", {.commande = "ln -sf disparu.txt plaque.txt && exec \"$programme\""},
           {1, absent, kInvite, {}});
  // Reading a process's memory at address 0 fails with EIO.
  Verifier("failed read", {.commande = "ln -sf /proc/self/mem plaque.txt && exec \"$programme\""},
           {1, Erreur("I/O error 5 (plaque.txt, ligne 1)"), kInvite, ""});
}

// Skipped where setpriv cannot take from root the rights that pass over them.
TEST(Fichiers, PermissionsHoldWithoutRootsRights) {
  Verifier("unreadable", {.commande = "chmod 0 plaque.txt && sansdroits \"$programme\""},
           {1, kOuvrir + kRefus, kInvite, {}});
  Verifier("read-only folder", {.commande = "chmod 500 . && sansdroits \"$programme\""},
           {1, kCreer + kRefus, kInvite, {}});
}

// The picture's failure changes nothing else: one line on standard error and
// no picture left (cut short by a size limit: see LimiteTaille).
TEST(Dessin, PictureThatCannotBeWrittenLeavesTheRunAsItWas) {
  Verifier(
      "folder", {.dossier = "plaquer.svg"},
      {0, "Dessin non \351crit : plaquer.svg (un dossier porte ce nom)\r\n", kConsole, kResultats});
}

// Long lines and blanks change nothing but the echo; NUL is a blank between
// numbers; Ctrl-Z ends the file wherever it stands; values missing at the end
// read as 0, and then the end line is missing.
TEST(DonneesExtremes, GarbageLongLinesNulCtrlZAndCuts) {
  std::string sans, echo;  // no echo before the start line
  Verifier("garbage", {.donnees = Bruit(4 << 20, 1, sans)}, {0, "", kInvite, kSansDebut});
  const std::string lignes = "$deb\n" + Bruit(3 << 20, 2, echo);
  Verifier("garbage lines", {.donnees = lignes}, {0, "", kInvite + echo, kSansFin});
  Verifier(
      "garbage numbers", {.donnees = "$deb\n$noe\nz " + Bruit(3 << 20, 3, sans)},
      {1, Erreur("Invalid numeric input (plaque.txt, ligne 3 : \"z\")"), kInvite + "$noe\r\n", ""});
  Verifier(
      "million digits", {.donnees = Remplacer("$noe\r\n4", "$noe\r\n" + std::string(1000000, '1'))},
      {1, Erreur("Invalid numeric input (plaque.txt, ligne 6 : \"" + std::string(32, '1') + "\")"),
       EchoJusqua("$ele"), ""});
  const std::string x(1000000, 'x');
  const Attendu complet{0, "", kConsole, kResultats};
  Verifier("title", {.donnees = Remplacer("Plaque carr\351e, deux \xE9l\xE9ments", x)}, complet);
  Verifier("blanks", {.donnees = Remplacer("4\r\n0 0", std::string(1000000, ' ') + "4\r\n0 0")},
           complet);
  Verifier("after a record", {.donnees = Remplacer("3 1\r\n", "3 1 " + x + "\r\n")}, complet);
  Verifier("comment", {.donnees = Remplacer("$noe", x + "\r\n$noe")},
           {0, "", Remplacer("$noe", x + "\r\n$noe", kConsole), kResultats});
  std::string nul = kPlaque;
  std::replace(nul.begin() + static_cast<long>(nul.find("$deb")), nul.end(), ' ', '\0');
  const std::string ligne("avec\0nul\r\n$lia", 14);
  Verifier("NUL", {.donnees = Remplacer("$lia", ligne, nul)},
           {0, "", Remplacer("$lia", ligne, kConsole), kResultats});
  Verifier("Ctrl-Z in $deb", {.donnees = Remplacer("$deb", "$d\032eb")},
           {0, "", kInvite, kSansDebut});
  Verifier("Ctrl-Z before $lia", {.donnees = Remplacer("$lia", "\032$lia")},
           {0, "", EchoJusqua("$lia"), kSansFin});
  Verifier("Ctrl-Z in $lia", {.donnees = Remplacer("$lia", "$l\032ia")},
           {0, "", EchoJusqua("$lia") + "$l\r\n", kSansFin});
  Verifier("Ctrl-Z in a number", {.donnees = Remplacer("1 3 4 210000", "1 3 4 2\03210000")},
           {0, "", EchoJusqua("$lia"), kSansFin});
  for (const auto& [fin, jusqua] : {std::pair{kPlaque.find("100 100") + 2, "$ele"},
                                    {kPlaque.find("10\r\n1 3 4") + 1, "$lia"},
                                    {kPlaque.find("-7.85e-5\r\n1 2") + 5, "$fin"}}) {
    Verifier("cut", {.donnees = kPlaque.substr(0, fin)}, {0, "", EchoJusqua(jusqua), kSansFin});
  }
  Verifier("cut in $fin", {.donnees = kPlaque.substr(0, kPlaque.size() - 4)},
           {0, "", EchoJusqua("$fin") + "$f\r\n", kSansFin});
}

}  // namespace
