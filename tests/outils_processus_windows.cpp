// Windows implementation of the test runner of the built program. The program
// and the fake viewer are copied once into a folder of their own: a command
// line without a path finds its program first in the folder of the program
// that starts it, so the working folder holds only the files of the case.
// Each run names its own log of the viewer to the fake viewer through its
// environment, which the program hands down to the viewer unchanged.
#ifdef _WIN32

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cwchar>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "tests/outils_processus.hpp"

namespace essai {

namespace fs = std::filesystem;

namespace {

const fs::path kFauxVisualiseur = ELASPLAN_FAUX_VISUALISEUR;

// Command line of the viewer that the program builds, before the file name.
const std::string kCommandeVisualiseur = "notepad ";

const wchar_t kVariableJournal[] = L"ELASPLAN_JOURNAL_VISUALISEUR";

// The folder of the copies, made once for the whole test program.
const fs::path& DossierOutils(const fs::path& programme) {
  static const DossierTemporaire outils;
  static const fs::path bin = [&] {
    const fs::path dossier = outils.Chemin() / "bin";
    fs::create_directory(dossier);
    fs::copy_file(programme, dossier / programme.filename());
    fs::copy_file(kFauxVisualiseur, dossier / "notepad.exe");
    return dossier;
  }();
  return bin;
}

// This process's environment with the log of the run added.
std::wstring Environnement(const fs::path& journal) {
  std::wstring bloc;
  const std::wstring prefixe = std::wstring(kVariableJournal) + L"=";
  wchar_t* const chaines = GetEnvironmentStringsW();
  for (const wchar_t* v = chaines; *v != L'\0'; v += std::wcslen(v) + 1) {
    if (std::wcsncmp(v, prefixe.c_str(), prefixe.size()) != 0) {
      bloc += v;
      bloc += L'\0';
    }
  }
  FreeEnvironmentStringsW(chaines);
  bloc += prefixe + journal.wstring();
  bloc += L'\0';
  return bloc;  // the string's own terminator ends the block
}

std::system_error ErreurSysteme(const char* quoi) {
  return std::system_error(static_cast<int>(GetLastError()), std::system_category(), quoi);
}

// A handle that is closed when it goes out of scope.
class Poignee {
 public:
  explicit Poignee(HANDLE h = nullptr) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  ~Poignee() {
    if (h_ != nullptr) {
      CloseHandle(h_);
    }
  }
  Poignee(const Poignee&) = delete;
  Poignee& operator=(const Poignee&) = delete;
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

HANDLE OuvrirHeritable(const fs::path& chemin, DWORD acces, DWORD creation) {
  SECURITY_ATTRIBUTES securite{};
  securite.nLength = sizeof securite;
  securite.bInheritHandle = TRUE;
  const HANDLE h = CreateFileW(chemin.c_str(), acces, FILE_SHARE_READ | FILE_SHARE_WRITE, &securite,
                               creation, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    throw ErreurSysteme("CreateFileW");
  }
  return h;
}

// Wine shows the root of the Unix file system as drive Z:, where the full
// device of Linux is found; Windows itself has no such device.
const wchar_t kPeripheriquePlein[] = L"Z:\\dev\\full";

DWORD ProcessusActifs(HANDLE travail) {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION information{};
  if (!QueryInformationJobObject(travail, JobObjectBasicAccountingInformation, &information,
                                 sizeof information, nullptr)) {
    throw ErreurSysteme("QueryInformationJobObject");
  }
  return information.ActiveProcesses;
}

std::vector<std::string> LignesJournal(const fs::path& journal) {
  std::vector<std::string> lignes;
  const std::string contenu = fs::exists(journal) ? LireFichier(journal) : std::string();
  std::string::size_type debut = 0;
  while (debut < contenu.size()) {
    const auto fin = contenu.find('\n', debut);
    if (fin == std::string::npos) {
      break;
    }
    const std::string ligne = contenu.substr(debut, fin - debut);
    // The log holds whole command lines; the expected calls name only the
    // file, so the command line the program must build is checked here.
    if (ligne.compare(0, kCommandeVisualiseur.size(), kCommandeVisualiseur) == 0) {
      lignes.push_back(ligne.substr(kCommandeVisualiseur.size()));
    } else {
      lignes.push_back("unexpected command line: " + ligne);
    }
    debut = fin + 1;
  }
  return lignes;
}

}  // namespace

bool Possible(const Lancement& lancement) {
  if (lancement.limiteTailleFichier >= 0) {
    return false;  // no limit of file size per process on Windows
  }
  if (lancement.sortie == SortieStandard::Pleine) {
    const Poignee plein(CreateFileW(kPeripheriquePlein, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    return plein.get() != nullptr;
  }
  return true;
}

DossierTemporaire::DossierTemporaire() {
  static std::atomic<unsigned> compteur{0};
  const fs::path base = fs::temp_directory_path();
  for (int essai = 0; essai < 1000; ++essai) {
    const fs::path chemin = base / ("elasplan-essai-" + std::to_string(GetCurrentProcessId()) +
                                    "-" + std::to_string(compteur++));
    if (fs::create_directory(chemin)) {
      chemin_ = chemin;
      return;
    }
  }
  throw std::runtime_error("no free name for a temporary folder");
}

DossierTemporaire::~DossierTemporaire() {
  std::error_code ignore;
  // A read-only file cannot be removed on Windows: make everything writable.
  for (auto it = fs::recursive_directory_iterator(chemin_, ignore);
       it != fs::recursive_directory_iterator(); it.increment(ignore)) {
    fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ignore);
  }
  fs::remove_all(chemin_, ignore);
}

Execution Lancer(const Lancement& lancement, int appelsVisualiseurAttendus) {
  static_cast<void>(appelsVisualiseurAttendus);  // the job tells when the viewer is done
  if (!Possible(lancement)) {
    throw std::invalid_argument("options that this system cannot give a run");
  }
  const fs::path programme = DossierOutils(lancement.programme) / lancement.programme.filename();
  DossierTemporaire outils;
  const fs::path journal = outils.Chemin() / "visualiseur.log";
  const fs::path fichierEntree = outils.Chemin() / "stdin";
  const fs::path fichierSortie = outils.Chemin() / "stdout";
  const fs::path fichierErreur = outils.Chemin() / "stderr";
  EcrireFichier(fichierEntree, lancement.entree);

  const Poignee entree(lancement.entreeFermee
                           ? nullptr
                           : OuvrirHeritable(fichierEntree, GENERIC_READ, OPEN_EXISTING));
  const Poignee sortie(lancement.sortie == SortieStandard::Fermee ? nullptr
                       : lancement.sortie == SortieStandard::Pleine
                           ? OuvrirHeritable(kPeripheriquePlein, GENERIC_WRITE, OPEN_EXISTING)
                           : OuvrirHeritable(fichierSortie, GENERIC_WRITE, CREATE_ALWAYS));
  const Poignee erreur(OuvrirHeritable(fichierErreur, GENERIC_WRITE, CREATE_ALWAYS));

  // The program and every process it starts belong to one job, so the
  // viewer is awaited too, and all of them are ended at the time limit.
  const Poignee travail(CreateJobObjectW(nullptr, nullptr));
  if (travail.get() == nullptr) {
    throw ErreurSysteme("CreateJobObjectW");
  }
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limites{};
  limites.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(travail.get(), JobObjectExtendedLimitInformation, &limites,
                          sizeof limites);

  // Only the three standard handles are handed down: a handle that another
  // thread opens meanwhile must not be held open by this run's processes.
  HANDLE heritees[3];
  DWORD nombreHeritees = 0;
  for (const HANDLE h : {entree.get(), sortie.get(), erreur.get()}) {
    if (h != nullptr) {
      heritees[nombreHeritees++] = h;
    }
  }
  SIZE_T taille = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &taille);
  std::vector<char> memoireAttributs(taille);
  const auto attributs = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(memoireAttributs.data());
  if (!InitializeProcThreadAttributeList(attributs, 1, 0, &taille) ||
      !UpdateProcThreadAttribute(attributs, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, heritees,
                                 nombreHeritees * sizeof(HANDLE), nullptr, nullptr)) {
    throw ErreurSysteme("UpdateProcThreadAttribute");
  }

  STARTUPINFOEXW demarrage{};
  demarrage.StartupInfo.cb = sizeof demarrage;
  demarrage.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  // A closed descriptor is given as an invalid handle: Wine would replace a
  // null one with its own standard stream.
  const auto standard = [](const Poignee& p) {
    return p.get() != nullptr ? p.get() : INVALID_HANDLE_VALUE;
  };
  demarrage.StartupInfo.hStdInput = standard(entree);
  demarrage.StartupInfo.hStdOutput = standard(sortie);
  demarrage.StartupInfo.hStdError = standard(erreur);
  demarrage.lpAttributeList = attributs;
  std::wstring ligne = L"\"" + programme.wstring() + L"\"";
  std::wstring environnement = Environnement(journal);
  PROCESS_INFORMATION processus{};
  const auto debut = std::chrono::steady_clock::now();
  const BOOL lance = CreateProcessW(programme.c_str(), ligne.data(), nullptr, nullptr, TRUE,
                                    CREATE_SUSPENDED | CREATE_NO_WINDOW |
                                        CREATE_UNICODE_ENVIRONMENT | EXTENDED_STARTUPINFO_PRESENT,
                                    environnement.data(), lancement.dossier.c_str(),
                                    &demarrage.StartupInfo, &processus);
  DeleteProcThreadAttributeList(attributs);
  if (!lance) {
    throw ErreurSysteme("CreateProcessW");
  }
  const Poignee programmeLance(processus.hProcess);
  const Poignee filPrincipal(processus.hThread);
  if (!AssignProcessToJobObject(travail.get(), processus.hProcess)) {
    TerminateProcess(processus.hProcess, 1);
    throw ErreurSysteme("AssignProcessToJobObject");
  }
  ResumeThread(processus.hThread);

  Execution execution;
  const auto delai = std::chrono::duration<double>(lancement.delaiSecondes);
  const DWORD millisecondes = static_cast<DWORD>(lancement.delaiSecondes * 1000.0);
  if (WaitForSingleObject(processus.hProcess, millisecondes) != WAIT_OBJECT_0) {
    TerminateJobObject(travail.get(), 1);
    WaitForSingleObject(processus.hProcess, INFINITE);
    execution.delaiDepasse = true;
  }
  execution.dureeSecondes =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
  DWORD code = 0;
  GetExitCodeProcess(processus.hProcess, &code);
  // An unhandled exception ends a process with its code, an NTSTATUS of
  // severity error: the counterpart of a signal.
  if ((code & 0xC0000000u) == 0xC0000000u) {
    execution.signal = static_cast<int>(code);
  } else {
    execution.statut = static_cast<int>(code);
  }

  // The viewer is not awaited by the program; it is part of the job.
  while (ProcessusActifs(travail.get()) != 0) {
    if (std::chrono::steady_clock::now() - debut > delai) {
      TerminateJobObject(travail.get(), 1);
      execution.delaiDepasse = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  execution.sortie = LireFichier(fichierSortie);
  execution.erreur = LireFichier(fichierErreur);
  execution.visualiseur = LignesJournal(journal);
  return execution;
}

}  // namespace essai

#endif
