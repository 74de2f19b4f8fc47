// Linux and Windows implementations of the platform services.
#include "app/plateforme.hpp"

#include <cerrno>
#include <cfenv>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>

#include "app/erreurs.hpp"

#ifdef _WIN32
#include <float.h>
#include <io.h>
#include <windows.h>
#else
#include <spawn.h>
#include <sys/mman.h>
#include <unistd.h>
extern char** environ;
#endif

namespace plateforme {

// Set once anything is written on standard error: a message the user must
// be able to read before the window closes.
static volatile std::sig_atomic_t erreurStandardEcrite = 0;

#ifdef _WIN32

namespace {

constexpr UINT kPageWindows1252 = 1252;
// The console's output code page before the run; 0 when it was left alone.
UINT pageConsoleAvant = 0;

void RemettrePageConsole() noexcept {
  if (pageConsoleAvant != 0) {
    SetConsoleOutputCP(pageConsoleAvant);
  }
}

// Ctrl-C, Ctrl-Break or a closed window end the run too: the code page goes
// back, then the system's handling ends the process.
BOOL WINAPI GestionnaireConsole(DWORD) {
  RemettrePageConsole();
  return FALSE;
}

// True when the name is an existing folder (`dossier`) or an existing file.
bool Existe(const std::string& nom, bool dossier) {
  const DWORD attributs = GetFileAttributesA(nom.c_str());
  return attributs != INVALID_FILE_ATTRIBUTES &&
         ((attributs & FILE_ATTRIBUTE_DIRECTORY) != 0) == dossier;
}

// Windows refuses a folder as "access denied" and a path through a file as
// "not found": the error numbers are made those of Linux, so that the user is
// told the same reason on both.
int Refus(int descripteur, const std::string& nom) {
  if (descripteur < 0 && errno == EACCES && Existe(nom, true)) {
    errno = EISDIR;
  } else if (descripteur < 0 && errno == ENOENT) {
    for (std::size_t fin = nom.find_first_of("/\\"); fin != std::string::npos;
         fin = nom.find_first_of("/\\", fin + 1)) {
      if (fin > 0 && Existe(nom.substr(0, fin), false)) {
        errno = ENOTDIR;
        break;
      }
    }
  }
  return descripteur;
}

}  // namespace

// The C run-time's descriptors in binary mode: CR LF and the Windows-1252
// bytes go out as they are, and a Ctrl-Z read is a byte like any other.
int OuvrirLecture(const std::string& nom) {
  return Refus(_open(nom.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT), nom);
}

int CreerEcriture(const std::string& nom) {
  return Refus(_open(nom.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT,
                     _S_IREAD | _S_IWRITE),
               nom);
}

bool EstTerminal(int descripteur) {
  // _isatty holds for every character device, NUL included, and for a
  // standard descriptor that has no handle at all: only a console has a mode.
  const intptr_t poignee = _get_osfhandle(descripteur);
  DWORD mode = 0;
  return poignee != -1 && poignee != -2 &&
         GetConsoleMode(reinterpret_cast<HANDLE>(poignee), &mode) != 0;
}

void PreparerFluxStandard() {
  // Text mode would turn every LF written into CR LF and stop reading at
  // Ctrl-Z. A standard descriptor without a handle needs nothing: the run-time
  // keeps its number taken, and reading or writing it fails.
  _setmode(kEntreeStandard, _O_BINARY);
  _setmode(kSortieStandard, _O_BINARY);
  _setmode(kErreurStandard, _O_BINARY);
  // A console starts in its OEM code page, where the accented letters of the
  // program's Windows-1252 text would show as other characters.
  if (EstTerminal(kSortieStandard)) {
    const UINT page = GetConsoleOutputCP();
    if (page != 0 && page != kPageWindows1252 && SetConsoleOutputCP(kPageWindows1252)) {
      pageConsoleAvant = page;
      SetConsoleCtrlHandler(GestionnaireConsole, TRUE);
    }
  }
}

void RendreConsole() noexcept {
  DWORD processus[2];  // alone in the console: GetConsoleProcessList counts 1
  if (erreurStandardEcrite != 0 && GetConsoleProcessList(processus, 2) == 1 &&
      EstTerminal(kEntreeStandard) && EstTerminal(kSortieStandard) &&
      EstTerminal(kErreurStandard)) {
    static const char kAttente[] =
        "Appuyez sur Entr\xE9"
        "e pour fermer la fen\xEAtre.\r\n";
    EcrireTout(kErreurStandard, kAttente, sizeof kAttente - 1);
    char c = 0;
    while (_read(kEntreeStandard, &c, 1) == 1 && c != '\n') {
    }
  }
  RemettrePageConsole();
}

void LancerVisualiseur(const std::string& nomResultats) {
  // The name is neither quoted nor checked: the command line is the one the
  // user's typing makes, and a viewer that does not start goes unnoticed.
  WinExec(("notepad " + nomResultats).c_str(), SW_SHOWNORMAL);
}

namespace {

// Flags of the SSE control and status register; each mask bit sits seven
// places above its flag.
constexpr DWORD kFlagDivisionParZero = 0x04;
constexpr DWORD kFlagDepassement = 0x08;
constexpr DWORD kFlags = 0x3F;

// The SSE unit reports its faults as a group: the one met is the raised flag
// whose exception is not masked. An instruction raises at most one of the
// three unmasked ones.
TypeErreur FauteSse(DWORD mxcsr) {
  const DWORD levees = mxcsr & ~(mxcsr >> 7) & kFlags;
  if ((levees & kFlagDivisionParZero) != 0) {
    return TypeErreur::DivisionFlottanteParZero;
  }
  if ((levees & kFlagDepassement) != 0) {
    return TypeErreur::DepassementFlottant;
  }
  return TypeErreur::OperationFlottanteInvalide;  // the invalid-operation flag
}

// A vectored handler sees the fault before any frame does, so no catch
// clause, run-time or debugger can turn it into something else.
LONG CALLBACK GestionnaireExceptions(EXCEPTION_POINTERS* exception) {
  TypeErreur type;
  switch (exception->ExceptionRecord->ExceptionCode) {
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:  // as the Linux signal, which cannot tell them apart
      type = TypeErreur::DivisionFlottanteParZero;
      break;
    case EXCEPTION_FLT_OVERFLOW:
      type = TypeErreur::DepassementFlottant;
      break;
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_STACK_CHECK:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_UNDERFLOW:
      type = TypeErreur::OperationFlottanteInvalide;
      break;
    case STATUS_FLOAT_MULTIPLE_FAULTS:
    case STATUS_FLOAT_MULTIPLE_TRAPS:
      type = FauteSse(exception->ContextRecord->MxCsr);
      break;
    default:
      return EXCEPTION_CONTINUE_SEARCH;
  }
  // Nothing in the report may trap again.
  _clearfp();
  unsigned int actuel = 0;
  _controlfp_s(&actuel, _MCW_EM, _MCW_EM);
  TerminerSurErreurImmediate(type);
}

}  // namespace

void ActiverExceptionsFlottantes() {
  [[maybe_unused]] static const PVOID gestionnaire =
      AddVectoredExceptionHandler(1, GestionnaireExceptions);
  _clearfp();
  unsigned int actuel = 0;
  // Unmasked on the x87 unit and the SSE unit alike; underflow, inexact
  // results and denormal operands stay masked.
  _controlfp_s(&actuel,
               _MCW_EM & ~static_cast<unsigned>(_EM_ZERODIVIDE | _EM_OVERFLOW | _EM_INVALID),
               _MCW_EM);
}

void* AllouerPages(std::size_t taille) {
  void* adresse = VirtualAlloc(nullptr, taille, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (adresse == nullptr) {
    throw std::bad_alloc();
  }
  return adresse;
}

void LibererPages(void* adresse, std::size_t) noexcept {
  VirtualFree(adresse, 0, MEM_RELEASE);
}

#else

int OuvrirLecture(const std::string& nom) {
  return open(nom.c_str(), O_RDONLY | O_CLOEXEC);
}

int CreerEcriture(const std::string& nom) {
  return open(nom.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

bool EstTerminal(int descripteur) {
  return isatty(descripteur) == 1;
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
  // A write refused by a closed pipe or a file size limit must end the run as
  // an input/output error with its message, not kill the process silently.
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
}

void RendreConsole() noexcept {}

void LancerVisualiseur(const std::string& nomResultats) {
  // xdg-open takes the file name as one argument: no shell ever sees it, so
  // blanks, quotes or ';' in the name are neither split nor executed. A name
  // that starts with "-" is given as "./-..." so that it is never an option.
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) {
    return;
  }
  posix_spawn_file_actions_addopen(&actions, kEntreeStandard, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, kSortieStandard, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, kErreurStandard, "/dev/null", O_WRONLY, 0);
  std::string programme = "xdg-open";
  std::string argument = nomResultats.starts_with('-') ? "./" + nomResultats : nomResultats;
  char* arguments[] = {programme.data(), argument.data(), nullptr};
  // The viewer gets the default handling of the signals the program ignores.
  posix_spawnattr_t attributs;
  const bool avecAttributs = posix_spawnattr_init(&attributs) == 0;
  if (avecAttributs) {
    sigset_t parDefaut;
    sigemptyset(&parDefaut);
    sigaddset(&parDefaut, SIGPIPE);
    sigaddset(&parDefaut, SIGXFSZ);
    posix_spawnattr_setsigdefault(&attributs, &parDefaut);
    posix_spawnattr_setflags(&attributs, POSIX_SPAWN_SETSIGDEF);
  }
  pid_t pid;
  posix_spawnp(&pid, programme.c_str(), &actions, avecAttributs ? &attributs : nullptr, arguments,
               environ);
  if (avecAttributs) {
    posix_spawnattr_destroy(&attributs);
  }
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

void* AllouerPages(std::size_t taille) {
  void* adresse = mmap(nullptr, taille, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  if (adresse == MAP_FAILED) {
    throw std::bad_alloc();
  }
  return adresse;
}

void LibererPages(void* adresse, std::size_t taille) noexcept {
  munmap(adresse, taille);
}

#endif

// A call cut short by a signal (Linux only) is made again.
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

int Fermer(int descripteur) {
  return close(descripteur);
}

bool EstDossier(int descripteur) {
  struct stat etat;
  return fstat(descripteur, &etat) == 0 && S_ISDIR(etat.st_mode);
}

int EcrireTout(int descripteur, const void* octets, std::size_t nombre) noexcept {
  const char* reste = static_cast<const char*>(octets);
  while (nombre > 0) {
    const long ecrits = Ecrire(descripteur, reste, nombre);
    if (ecrits <= 0) {
      return ecrits < 0 ? errno : EIO;
    }
    reste += ecrits;
    nombre -= static_cast<std::size_t>(ecrits);
  }
  return 0;
}

void EcrireErreur(std::string_view ligne) noexcept {
  erreurStandardEcrite = 1;
  EcrireTout(kErreurStandard, ligne.data(), ligne.size());
  EcrireTout(kErreurStandard, "\r\n", 2);
}

void TerminerProcessus(int statut) noexcept {
  RendreConsole();
  _exit(statut);
}

int DerniereErreur() {
  return errno;
}

std::string TexteErreur(int code) {
  return std::strerror(code);
}

}  // namespace plateforme
