// Fuzz target: the input bytes are the data file, run through the whole
// program in-process, from the prompt to the report, with the name typed on
// standard input. A run-time error is an expected end of a run, and so is a
// floating-point fault; anything else that ends it (a crash, a sanitizer
// report, a leak, another exception) is a fault of the program.
//
// Floating-point traps cannot be survived in-process, so they stay masked
// here: a raised division-by-zero, overflow or invalid flag stands for the
// trap that would have ended the real program with status 1. The run then
// goes on with infinities and NaN, and must stay free of undefined behaviour.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cfenv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "app/erreurs.hpp"
#include "app/programme.hpp"
#include "model/structure.hpp"

namespace {

namespace fs = std::filesystem;

constexpr char kNomDonnees[] = "f.txt";
constexpr char kNomResultats[] = "fr.txt";
constexpr char kNomTape[] = "f\n";
constexpr char kNomConsole[] = "console";
constexpr std::string_view kInvite = "Nom du fichier ( sans extension ) ? ";
// The heading that the reader writes into every results file it creates.
constexpr std::string_view kEnTete = "\r\nLecture du fichier : f.txt\r\n";

// After a run-time error caught in-process: releases the structure without
// closing its results file in order and without starting the viewer.
void LibererApresErreur() noexcept {
  if (Structure != nullptr) {
    Structure->Abandonner();
    delete Structure;
    Structure = nullptr;
  }
  Console().Abandonner();
}

fs::path dossierTravail;

[[noreturn]] void Defaut(const std::string& quoi) {
  std::fprintf(stderr, "elasplan_fuzz: %s\n", quoi.c_str());
  std::fflush(stderr);
  std::abort();
}

void Nettoyer() {
  std::error_code ignore;
  fs::current_path(dossierTravail.parent_path(), ignore);
  fs::remove_all(dossierTravail, ignore);
}

// A private working folder and a PATH that finds no viewer.
void Preparer() {
  std::string modele = (fs::temp_directory_path() / "elasplan-fuzz-XXXXXX").string();
  if (mkdtemp(modele.data()) == nullptr) {
    Defaut(std::string("mkdtemp: ") + std::strerror(errno));
  }
  dossierTravail = modele;
  const fs::path vide = dossierTravail / "bin";
  fs::create_directory(vide);
  setenv("PATH", vide.c_str(), 1);
  fs::current_path(dossierTravail);
  std::atexit(Nettoyer);
  fedisableexcept(FE_ALL_EXCEPT);
}

// Standard output becomes an empty file of the working folder.
void CapturerConsole() {
  const int d = open(kNomConsole, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (d < 0 || dup2(d, STDOUT_FILENO) < 0) {
    Defaut(std::string("cannot capture standard output: ") + std::strerror(errno));
  }
  close(d);
}

void EcrireDonnees(const std::uint8_t* octets, std::size_t nombre) {
  const int d = open(kNomDonnees, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (d < 0) {
    Defaut(std::string("cannot write the data file: ") + std::strerror(errno));
  }
  while (nombre > 0) {
    const ssize_t ecrits = write(d, octets, nombre);
    if (ecrits <= 0) {
      Defaut(std::string("cannot write the data file: ") + std::strerror(errno));
    }
    octets += ecrits;
    nombre -= static_cast<std::size_t>(ecrits);
  }
  close(d);
}

// Standard input becomes a pipe that holds the typed name, then its end.
void TaperNom() {
  int tube[2];
  if (pipe(tube) != 0) {
    Defaut(std::string("pipe: ") + std::strerror(errno));
  }
  if (write(tube[1], kNomTape, sizeof kNomTape - 1) != static_cast<ssize_t>(sizeof kNomTape - 1)) {
    Defaut("cannot type the name");
  }
  close(tube[1]);
  dup2(tube[0], STDIN_FILENO);
  close(tube[0]);
}

std::string Lire(const char* nom) {
  std::string contenu;
  const int d = open(nom, O_RDONLY);
  if (d < 0) {
    Defaut(std::string("no file ") + nom + " was created");
  }
  char tampon[65536];
  for (;;) {
    const ssize_t lus = read(d, tampon, sizeof tampon);
    if (lus < 0) {
      Defaut(std::string("cannot read ") + nom + ": " + std::strerror(errno));
    }
    if (lus == 0) {
      break;
    }
    contenu.append(tampon, static_cast<std::size_t>(lus));
  }
  close(d);
  return contenu;
}

// Every line ends with CR LF and neither byte appears alone; a file cut by a
// run-time error may end between the two.
void VerifierFinsDeLigne(const char* quoi, std::string_view contenu, bool complet) {
  for (std::size_t i = 0; i < contenu.size(); ++i) {
    if (contenu[i] == '\n' && (i == 0 || contenu[i - 1] != '\r')) {
      Defaut(std::string(quoi) + ": LF without CR at byte " + std::to_string(i));
    }
    if (contenu[i] == '\r' && i + 1 < contenu.size() && contenu[i + 1] != '\n') {
      Defaut(std::string(quoi) + ": CR without LF at byte " + std::to_string(i));
    }
  }
  if (complet && (contenu.size() < 2 || contenu.substr(contenu.size() - 2) != "\r\n")) {
    Defaut(std::string(quoi) + " does not end with a line end");
  }
}

bool MessageAttendu(std::string_view message) {
  // Input/output errors cannot happen here: the data file is a plain file and
  // the results file's folder has room.
  for (const char* connu : {"Invalid numeric input", "Range check error", "Integer overflow",
                            "Floating point division by zero", "Floating point overflow",
                            "Invalid floating point operation"}) {
    if (message == connu) {
      return true;
    }
  }
  return false;
}

// Everything but the data file and the empty PATH folder goes.
void ViderDossier() {
  for (const auto& entree : fs::directory_iterator(dossierTravail)) {
    const std::string nom = entree.path().filename().string();
    if (nom != kNomDonnees && nom != kNomConsole && nom != "bin") {
      fs::remove_all(entree.path());
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Preparer();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* octets, std::size_t nombre) {
  EcrireDonnees(octets, nombre);
  TaperNom();
  CapturerConsole();
  std::feclearexcept(FE_ALL_EXCEPT);
  bool erreur = false;
  try {
    Programme();
  } catch (const ErreurExecution& e) {
    erreur = true;
    if (!MessageAttendu(e.what())) {
      Defaut(std::string("unexpected run-time error: ") + RapportErreur(e));
    }
    LibererApresErreur();
  }
  const bool fauteFlottante = std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID) != 0;
  std::feclearexcept(FE_ALL_EXCEPT);
  if (Structure != nullptr) {
    Defaut("the structure outlived the run");
  }

  // The banner and the prompt, handed over before the name is read, then the
  // echoed lines, which hold no CR or LF of their own. In-process, a run-time
  // error drops the console's buffer instead of handing it over.
  const std::string console = Lire(kNomConsole);
  if (console.find(kInvite) == std::string::npos) {
    Defaut("console without the prompt");
  }
  VerifierFinsDeLigne("console", console, false);

  const std::string resultats = Lire(kNomResultats);
  // An orderly end hands over the heading at least; after a run-time error
  // the file holds whatever had been handed over, so a prefix of it.
  if (!erreur) {
    if (resultats.substr(0, kEnTete.size()) != kEnTete) {
      Defaut("results file without its heading");
    }
  } else if (resultats.substr(0, kEnTete.size()) != kEnTete.substr(0, resultats.size())) {
    Defaut("results file cut by a run-time error does not begin with the heading");
  }
  // Past a floating-point fault the real program would have stopped: what the
  // file then holds is not specified, only that producing it is sound.
  if (!fauteFlottante) {
    VerifierFinsDeLigne("results file", resultats, !erreur);
  }
  ViderDossier();
  return 0;
}
