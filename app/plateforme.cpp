// Linux and Windows implementations of the platform services.
#include "app/plateforme.hpp"

#include <cerrno>
#include <cfenv>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "app/erreurs.hpp"

#ifdef _WIN32
#include <fcntl.h>
#include <float.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>
extern char** environ;
#endif

namespace plateforme {

#ifdef _WIN32

int OuvrirLecture(const std::string& nom) { return _open(nom.c_str(), _O_RDONLY | _O_BINARY); }

int CreerEcriture(const std::string& nom) {
  return _open(nom.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
}

long Lire(int descripteur, void* octets, std::size_t nombre) {
  return _read(descripteur, octets, static_cast<unsigned>(nombre));
}

long Ecrire(int descripteur, const void* octets, std::size_t nombre) noexcept {
  return _write(descripteur, octets, static_cast<unsigned>(nombre));
}

int Fermer(int descripteur) { return _close(descripteur); }

bool EstTerminal(int descripteur) { return _isatty(descripteur) != 0; }

bool EstDossier(int descripteur) {
  struct _stat64 etat;
  return _fstat64(descripteur, &etat) == 0 && (etat.st_mode & _S_IFDIR) != 0;
}

void PreparerFluxStandard() {
  // Text mode would turn every LF into CR LF and stop reading at Ctrl-Z.
  _setmode(kEntreeStandard, _O_BINARY);
  _setmode(kSortieStandard, _O_BINARY);
  _setmode(kErreurStandard, _O_BINARY);
}

void LancerVisualiseur(const std::string& nomResultats) {
  const std::string commande = "notepad " + nomResultats;
  WinExec(commande.c_str(), 1);
}

namespace {

LONG WINAPI FiltreExceptions(EXCEPTION_POINTERS* exception) {
  switch (exception->ExceptionRecord->ExceptionCode) {
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case STATUS_FLOAT_MULTIPLE_FAULTS:
      TerminerSurErreurImmediate(TypeErreur::DivisionFlottanteParZero);
    case EXCEPTION_FLT_OVERFLOW:
      TerminerSurErreurImmediate(TypeErreur::DepassementFlottant);
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_STACK_CHECK:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_UNDERFLOW:
      TerminerSurErreurImmediate(TypeErreur::OperationFlottanteInvalide);
    default:
      return EXCEPTION_CONTINUE_SEARCH;
  }
}

}  // namespace

void ActiverExceptionsFlottantes() {
  SetUnhandledExceptionFilter(FiltreExceptions);
  unsigned int actuel = 0;
  _clearfp();
  _controlfp_s(&actuel, ~static_cast<unsigned>(_EM_ZERODIVIDE | _EM_OVERFLOW | _EM_INVALID),
               _MCW_EM);
}

void TerminerProcessus(int statut) noexcept { _exit(statut); }

#else

int OuvrirLecture(const std::string& nom) { return open(nom.c_str(), O_RDONLY | O_CLOEXEC); }

int CreerEcriture(const std::string& nom) {
  return open(nom.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

long Lire(int descripteur, void* octets, std::size_t nombre) {
  long lus;
  do {
    lus = read(descripteur, octets, nombre);
  } while (lus < 0 && errno == EINTR);
  return lus;
}

long Ecrire(int descripteur, const void* octets, std::size_t nombre) noexcept {
  long ecrits;
  do {
    ecrits = write(descripteur, octets, nombre);
  } while (ecrits < 0 && errno == EINTR);
  return ecrits;
}

int Fermer(int descripteur) { return close(descripteur); }

bool EstTerminal(int descripteur) { return isatty(descripteur) == 1; }

bool EstDossier(int descripteur) {
  struct stat etat;
  return fstat(descripteur, &etat) == 0 && S_ISDIR(etat.st_mode);
}

void PreparerFluxStandard() {
  // A closed standard descriptor is taken up by /dev/null opened the wrong way
  // round: reading or writing it still fails, but the data or results file
  // can no longer be given its number and receive the console's bytes.
  for (const int descripteur : {kEntreeStandard, kSortieStandard, kErreurStandard}) {
    if (fcntl(descripteur, F_GETFD) == -1 && errno == EBADF) {
      const int sens = descripteur == kEntreeStandard ? O_WRONLY : O_RDONLY;
      const int nouveau = open("/dev/null", sens);
      if (nouveau >= 0 && nouveau != descripteur) {
        dup2(nouveau, descripteur);
        close(nouveau);
      }
    }
  }
}

void LancerVisualiseur(const std::string& nomResultats) {
  // xdg-open takes the file name as one argument: no shell ever sees it, so
  // blanks, quotes or ';' in the name are neither split nor executed.
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) {
    return;
  }
  posix_spawn_file_actions_addopen(&actions, kEntreeStandard, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, kSortieStandard, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, kErreurStandard, "/dev/null", O_WRONLY, 0);
  std::string programme = "xdg-open";
  std::string argument = nomResultats;
  char* arguments[] = {programme.data(), argument.data(), nullptr};
  pid_t pid;
  posix_spawnp(&pid, programme.c_str(), &actions, nullptr, arguments, environ);
  posix_spawn_file_actions_destroy(&actions);
}

namespace {

void GestionnaireSigfpe(int, siginfo_t* information, void*) {
  switch (information->si_code) {
    case FPE_FLTDIV:
    case FPE_INTDIV:
      TerminerSurErreurImmediate(TypeErreur::DivisionFlottanteParZero);
    case FPE_FLTOVF:
      TerminerSurErreurImmediate(TypeErreur::DepassementFlottant);
    default:
      TerminerSurErreurImmediate(TypeErreur::OperationFlottanteInvalide);
  }
}

}  // namespace

void ActiverExceptionsFlottantes() {
  struct sigaction action {};
  action.sa_sigaction = GestionnaireSigfpe;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  sigaction(SIGFPE, &action, nullptr);
  std::feclearexcept(FE_ALL_EXCEPT);
  feenableexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID);
}

void TerminerProcessus(int statut) noexcept { _exit(statut); }

#endif

int DerniereErreur() { return errno; }

std::string TexteErreur(int code) { return std::strerror(code); }

}  // namespace plateforme
