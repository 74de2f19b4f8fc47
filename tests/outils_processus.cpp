// Runner of the built program for the tests. Both systems share the run's
// folder (its standard streams and the fake viewer's log) and the reading of
// the log; each starts the program its own way and awaits all it started.
#include "tests/outils_processus.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include <windows.h>

#include <memory>
#else
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace essai {

namespace fs = std::filesystem;

namespace {

using Horloge = std::chrono::steady_clock;

// The file each standard descriptor of the run is bound to; empty: closed.
using Flux = std::array<fs::path, 3>;

const char kJournal[] = "visualiseur.log";

// The lines of the viewer's log. Each starts with the command line the
// program must build before the file name: checked, then left out.
std::vector<std::string> LignesJournal(const fs::path& journal, const std::string& commande) {
  std::vector<std::string> lignes;
  std::istringstream contenu(LireFichier(journal));
  for (std::string ligne; std::getline(contenu, ligne);) {
    lignes.push_back(ligne.starts_with(commande) ? ligne.substr(commande.size())
                                                 : "unexpected command line: " + ligne);
  }
  return lignes;
}

#ifdef _WIN32

// Wine shows the root of the Unix file system as drive Z:, where the full
// device of Linux is found; Windows itself has no such device.
const fs::path kPlein = L"Z:\\dev\\full";
const std::string kCommande = "notepad ";
const bool kLimiteTaille = false;  // no limit of file size per process

// Whether fini() became true within the given time from the start.
bool Attendre(const std::function<bool()>& fini, Horloge::time_point debut, double secondes) {
  while (!fini()) {
    if (Horloge::now() - debut > std::chrono::duration<double>(secondes)) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

std::system_error ErreurSysteme(const char* quoi) {
  return std::system_error(static_cast<int>(GetLastError()), std::system_category(), quoi);
}

using Poignee = std::unique_ptr<void, decltype([](HANDLE h) { CloseHandle(h); })>;

// An inheritable handle on an existing file; none for an empty path.
Poignee Ouvrir(const fs::path& chemin, DWORD acces) {
  if (chemin.empty()) {
    return nullptr;
  }
  SECURITY_ATTRIBUTES heritable{sizeof heritable, nullptr, TRUE};
  const HANDLE h = CreateFileW(chemin.c_str(), acces, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               &heritable, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    throw ErreurSysteme("CreateFileW");
  }
  return Poignee(h);
}

void Executer(const Lancement& lancement, const Flux& flux, const fs::path& dossier,
              Execution& execution) {
  // The program and the fake viewer are copied into the run's folder: a
  // command line without a path finds its program first in the folder of the
  // program that starts it, and the fake viewer writes its log beside itself.
  const fs::path programme = dossier / lancement.programme.filename();
  fs::copy_file(lancement.programme, programme);
  fs::copy_file(ELASPLAN_FAUX_VISUALISEUR, dossier / "notepad.exe");
  const Poignee standard[] = {Ouvrir(flux[0], GENERIC_READ), Ouvrir(flux[1], GENERIC_WRITE),
                              Ouvrir(flux[2], GENERIC_WRITE)};
  // A closed stream is given as an invalid handle: Wine would replace a null
  // one with its own standard stream.
  const auto poignee = [](const Poignee& p) { return p ? p.get() : INVALID_HANDLE_VALUE; };
  const HANDLE poignees[] = {poignee(standard[0]), poignee(standard[1]), poignee(standard[2])};
  // Only these handles are handed down: one that another thread opens
  // meanwhile must not be held open by this run's processes.
  std::vector<HANDLE> heritees;
  std::remove_copy(poignees, poignees + 3, std::back_inserter(heritees), INVALID_HANDLE_VALUE);
  SIZE_T taille = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &taille);
  std::vector<char> memoire(taille);
  const auto attributs = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(memoire.data());
  if (!InitializeProcThreadAttributeList(attributs, 1, 0, &taille) ||
      !UpdateProcThreadAttribute(attributs, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, heritees.data(),
                                 heritees.size() * sizeof(HANDLE), nullptr, nullptr)) {
    throw ErreurSysteme("UpdateProcThreadAttribute");
  }
  STARTUPINFOEXW demarrage{};
  demarrage.StartupInfo.cb = sizeof demarrage;
  demarrage.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  demarrage.StartupInfo.hStdInput = poignees[0];
  demarrage.StartupInfo.hStdOutput = poignees[1];
  demarrage.StartupInfo.hStdError = poignees[2];
  demarrage.lpAttributeList = attributs;

  // The program and every process it starts belong to one job, so that the
  // viewer is awaited too, and all of them are ended at the time limit.
  const Poignee travail(CreateJobObjectW(nullptr, nullptr));
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limites{};
  limites.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(travail.get(), JobObjectExtendedLimitInformation, &limites,
                          sizeof limites);
  std::wstring ligne = L"\"" + programme.wstring() + L"\"";
  PROCESS_INFORMATION processus{};
  const auto debut = Horloge::now();
  // Wine, busy starting other processes, now and then refuses one with an
  // internal error before it runs anything: that start is tried again.
  const auto lancer = [&] {
    return CreateProcessW(programme.c_str(), ligne.data(), nullptr, nullptr, TRUE,
                          CREATE_SUSPENDED | CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT,
                          nullptr, lancement.dossier.c_str(), &demarrage.StartupInfo, &processus);
  };
  BOOL lance = lancer();
  for (int essai = 2; essai <= 3 && !lance && GetLastError() == ERROR_INTERNAL_ERROR; ++essai) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    lance = lancer();
  }
  DeleteProcThreadAttributeList(attributs);
  if (!lance) {
    throw ErreurSysteme("CreateProcessW");
  }
  const Poignee filPrincipal(processus.hThread), processusLance(processus.hProcess);
  if (!AssignProcessToJobObject(travail.get(), processus.hProcess)) {
    const std::system_error erreur = ErreurSysteme("AssignProcessToJobObject");
    TerminateProcess(processus.hProcess, 1);
    throw erreur;
  }
  ResumeThread(processus.hThread);

  const auto fini = [&] { return WaitForSingleObject(processus.hProcess, 0) == WAIT_OBJECT_0; };
  if (!Attendre(fini, debut, lancement.delaiSecondes)) {
    TerminateJobObject(travail.get(), 1);
    WaitForSingleObject(processus.hProcess, INFINITE);
    execution.delaiDepasse = true;
  }
  DWORD code = 0;
  GetExitCodeProcess(processus.hProcess, &code);
  // An unhandled exception ends a process with its code, an NTSTATUS of
  // severity error: the counterpart of a signal.
  const bool exception = (code & 0xC0000000u) == 0xC0000000u;
  execution.statut = exception ? -1 : static_cast<int>(code);
  execution.signal = exception ? static_cast<int>(code) : 0;

  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION compte{};
  const auto vide = [&] {
    return QueryInformationJobObject(travail.get(), JobObjectBasicAccountingInformation, &compte,
                                     sizeof compte, nullptr) &&
           compte.ActiveProcesses == 0;
  };
  if (!Attendre(vide, debut, lancement.delaiSecondes)) {
    TerminateJobObject(travail.get(), 1);
    execution.delaiDepasse = true;
  }
}

#else

const fs::path kPlein = "/dev/full";
const std::string kCommande = "1 ";  // the fake viewer logs its count of arguments, then them
const bool kLimiteTaille = true;

void Executer(const Lancement& lancement, const Flux& flux, const fs::path& dossier,
              Execution& execution) {
  const fs::path faux = dossier / "xdg-open";  // found first on PATH
  EcrireFichier(
      faux, "#!/bin/sh\nprintf '%s %s\\n' $# \"$*\" >> '" + (dossier / kJournal).string() + "'\n");
  fs::permissions(faux, fs::perms::owner_all);
  const char* const systeme = std::getenv("PATH");
  std::string path = "PATH=" + dossier.string() + ":" + (systeme != nullptr ? systeme : "");
  // Every process of the run, the viewer included, holds the writing end of
  // this pipe: its end of file says that all of them have ended.
  int temoin[2];
  if (pipe2(temoin, O_CLOEXEC) != 0) {
    throw std::system_error(errno, std::generic_category(), "pipe2");
  }

  const auto debut = Horloge::now();
  const pid_t pid = fork();
  if (pid < 0) {
    throw std::system_error(errno, std::generic_category(), "fork");
  }
  if (pid == 0) {
    // A descriptor opened while a lower one is closed takes the lower number.
    for (int d = 0; d < 3; ++d) {
      close(d);
      const int f = flux[d].empty() ? d : open(flux[d].c_str(), d == 0 ? O_RDONLY : O_WRONLY);
      if (f != d && (dup2(f, d) != d || close(f) != 0)) {
        _exit(126);
      }
    }
    // Inherited, and above any number the program opens.
    if (fcntl(temoin[1], F_DUPFD, 100) < 0 || chdir(lancement.dossier.c_str()) != 0) {
      _exit(126);
    }
    if (lancement.limiteTailleFichier >= 0) {
      signal(SIGXFSZ, SIG_IGN);
      const auto taille = static_cast<rlim_t>(lancement.limiteTailleFichier);
      const rlimit limite{taille, taille};
      setrlimit(RLIMIT_FSIZE, &limite);
    }
    putenv(path.data());
    execl(lancement.programme.c_str(), lancement.programme.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }

  close(temoin[1]);
  const auto fin = debut + std::chrono::duration<double>(lancement.delaiSecondes);
  for (char octet = 0;;) {
    const auto reste = std::chrono::ceil<std::chrono::milliseconds>(fin - Horloge::now());
    pollfd attente{temoin[0], POLLIN, 0};
    const int pret = poll(&attente, 1, static_cast<int>(std::max<long>(reste.count(), 0)));
    if (pret == 0) {
      kill(pid, SIGKILL);
      execution.delaiDepasse = true;
      break;
    }
    if (pret > 0 && read(temoin[0], &octet, 1) == 0) {
      break;
    }
  }
  close(temoin[0]);
  int etat = 0;
  waitpid(pid, &etat, 0);
  execution.statut = WIFEXITED(etat) ? WEXITSTATUS(etat) : -1;
  execution.signal = WIFSIGNALED(etat) ? WTERMSIG(etat) : 0;
}

#endif

// Windows has no limit of file size per process, and a full device only under Wine.
bool Possible(const Lancement& lancement) {
  return (kLimiteTaille || lancement.limiteTailleFichier < 0) &&
         (lancement.sortie != SortieStandard::Pleine ||
          std::fstream(kPlein, std::ios::in | std::ios::out).is_open());
}

}  // namespace

std::string LireFichier(const fs::path& chemin) {
  std::ifstream entree(chemin, std::ios::binary);
  return {std::istreambuf_iterator<char>(entree), std::istreambuf_iterator<char>()};
}

void EcrireFichier(const fs::path& chemin, const std::string& octets) {
  std::ofstream sortie(chemin, std::ios::binary | std::ios::trunc);
  sortie.write(octets.data(), static_cast<std::streamsize>(octets.size()));
  if (!sortie) {
    throw std::runtime_error("cannot write " + chemin.string());
  }
}

DossierTemporaire::DossierTemporaire() {
  thread_local std::mt19937_64 hasard{std::random_device{}()};
  do {
    chemin_ = fs::temp_directory_path() / ("elasplan-essai-" + std::to_string(hasard()));
  } while (!fs::create_directory(chemin_));
}

DossierTemporaire::~DossierTemporaire() {
  std::error_code ignore;
  // A test may have made a folder, or a file on Windows, read-only: write
  // access is given back first, the folder before what it holds. Links are
  // left as they are, and what they point to.
  const auto ouvrir = [&](const fs::path& chemin) {
    fs::permissions(chemin, fs::perms::owner_all,
                    fs::perm_options::add | fs::perm_options::nofollow, ignore);
  };
  ouvrir(chemin_);
  for (auto it = fs::recursive_directory_iterator(chemin_, ignore);
       it != fs::recursive_directory_iterator(); it.increment(ignore)) {
    ouvrir(it->path());
  }
  fs::remove_all(chemin_, ignore);
}

Execution Lancer(const Lancement& lancement) {
  if (!Possible(lancement)) {
    throw std::invalid_argument("options that this system cannot give a run");
  }
  const DossierTemporaire outils;
  const fs::path& dossier = outils.Chemin();
  for (const auto& [nom, octets] :
       Arbre{{"stdin", lancement.entree}, {"stdout", ""}, {"stderr", ""}}) {
    EcrireFichier(dossier / nom, octets);
  }
  const fs::path sorties[] = {dossier / "stdout", fs::path(), kPlein};  // by SortieStandard
  const Flux flux{lancement.entreeFermee ? fs::path() : dossier / "stdin",
                  sorties[static_cast<int>(lancement.sortie)], dossier / "stderr"};
  Execution execution;
  Executer(lancement, flux, dossier, execution);
  execution.sortie = LireFichier(dossier / "stdout");
  execution.erreur = LireFichier(dossier / "stderr");
  execution.visualiseur = LignesJournal(dossier / kJournal, kCommande);
  return execution;
}

Arbre LireArbre(const fs::path& dossier) {
  Arbre arbre;
  std::error_code absent;
  for (const auto& entree : fs::recursive_directory_iterator(dossier, absent)) {
    if (fs::is_regular_file(entree.symlink_status())) {
      arbre[fs::relative(entree.path(), dossier).generic_string()] = LireFichier(entree.path());
    }
  }
  return arbre;
}

Arbre LireCas(const fs::path& cas) {
  Arbre fichiers = LireArbre(cas);
  std::istringstream communs(LireFichier(cas / "communs"));
  for (std::string ligne; std::getline(communs, ligne);) {
    const std::size_t nom = ligne.find_last_of(' ') + 1;
    if (ligne.empty() || ligne.starts_with("#")) {
      continue;
    }
    const fs::path commun = cas.parent_path() / "communs" / ligne.substr(nom);
    if (nom == 0 || !fs::is_regular_file(commun)) {
      throw std::invalid_argument("no shared file in communs: " + ligne);
    }
    // A file of the case's own comes first.
    fichiers.emplace(ligne.substr(0, ligne.find_last_not_of(' ', nom - 1) + 1),
                     LireFichier(commun));
  }
  return fichiers;
}

std::optional<Execution> LancerCas(const fs::path& cas, const fs::path& dossier,
                                   std::string* pourquoi) {
  for (const auto& [nom, octets] : LireCas(cas)) {
    if (nom.starts_with("entree/")) {
      const fs::path chemin = dossier / fs::path(nom.substr(7));
      fs::create_directories(chemin.parent_path());
      EcrireFichier(chemin, octets);
    }
  }
  Lancement lancement{ELASPLAN_PROGRAMME, dossier, LireFichier(cas / "stdin")};
  std::istringstream montage(LireFichier(cas / "montage"));
  for (std::string mot; montage >> mot;) {
    if (mot.starts_with("#")) {
      std::getline(montage, mot);
    } else if (mot == "limite") {
      montage >> lancement.limiteTailleFichier;
    } else if (mot == "entree-fermee") {
      lancement.entreeFermee = true;
    } else if (mot == "sortie-fermee" || mot == "sortie-pleine") {
      lancement.sortie = mot == "sortie-fermee" ? SortieStandard::Fermee : SortieStandard::Pleine;
    } else {
      throw std::invalid_argument("unknown word in montage: " + mot);
    }
  }
  const std::string commande = LireFichier(cas / "commande");
  const DossierTemporaire outils;  // "$o" of the shell script
  if (!commande.empty()) {
    lancement.programme = outils.Chemin() / "enveloppe";
    EcrireFichier(lancement.programme, "#!/bin/sh\nprogramme='" ELASPLAN_PROGRAMME "'\no='" +
                                           outils.Chemin().string() + "'\n" + commande);
    fs::permissions(lancement.programme, fs::perms::owner_all);
  }
#ifdef _WIN32
  if (!commande.empty()) {  // no shell
    return std::nullopt;
  }
#endif
  if (!Possible(lancement)) {
    return std::nullopt;
  }
  const Execution execution = Lancer(lancement);
  if (!commande.empty() && execution.statut == 77) {  // the shell lacks a means it needs
    if (pourquoi != nullptr) {
      *pourquoi = execution.erreur;  // what the script said of it, if anything
    }
    return std::nullopt;
  }
  return execution;
}

}  // namespace essai
