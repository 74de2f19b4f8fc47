#include "tests/outils_processus.hpp"

#include <array>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

namespace essai {

namespace fs = std::filesystem;

namespace {

// The file each standard descriptor of the run is bound to; empty: closed.
using Flux = std::array<fs::path, 3>;

#ifdef _WIN32

// Under Wine, drive Z: is the root of the Unix file system; Windows has no full device.
const fs::path kPlein = L"Z:\\dev\\full";

int Executer(const Lancement& lancement, const Flux& flux, const fs::path& dossier) {
  // Copied side by side: a command line without a path finds its program
  // first in the folder of the program that starts it.
  const fs::path programme = dossier / lancement.programme.filename();
  fs::copy_file(lancement.programme, programme);
  fs::copy_file(ELASPLAN_FAUX_VISUALISEUR, dossier / "notepad.exe");
  // Inheritable handles, on files made if need be. A closed stream is given as an invalid handle:
  // Wine would replace a null one with its own standard stream.
  SECURITY_ATTRIBUTES heritable{sizeof heritable, nullptr, TRUE};
  STARTUPINFOW demarrage{};
  demarrage.cb = sizeof demarrage;
  demarrage.dwFlags = STARTF_USESTDHANDLES;
  HANDLE* const standard[] = {&demarrage.hStdInput, &demarrage.hStdOutput, &demarrage.hStdError};
  for (int d = 0; d < 3; ++d) {
    *standard[d] = flux[d].empty()
                       ? INVALID_HANDLE_VALUE
                       : CreateFileW(flux[d].c_str(), d == 0 ? GENERIC_READ : GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, &heritable, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  // The program and every process it starts belong to one job, so that the
  // viewer is awaited too, and all of them end with the test.
  const HANDLE travail = CreateJobObjectW(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limites{};
  limites.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(travail, JobObjectExtendedLimitInformation, &limites, sizeof limites);
  PROCESS_INFORMATION processus{};
  const bool lance = CreateProcessW(programme.c_str(), nullptr, nullptr, nullptr, TRUE,
                                    CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr,
                                    lancement.dossier.c_str(), &demarrage, &processus) &&
                     AssignProcessToJobObject(travail, processus.hProcess);
  if (!lance) {
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "start");
  }
  ResumeThread(processus.hThread);
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION compte{};
  while (QueryInformationJobObject(travail, JobObjectBasicAccountingInformation, &compte,
                                   sizeof compte, nullptr) &&
         compte.ActiveProcesses > 0) {
    Sleep(2);
  }
  DWORD code = 0;
  // An unhandled exception's code, an NTSTATUS of severity error, is negative as an int.
  GetExitCodeProcess(processus.hProcess, &code);
  for (const HANDLE h : {demarrage.hStdInput, demarrage.hStdOutput, demarrage.hStdError,
                         processus.hThread, processus.hProcess, travail}) {
    CloseHandle(h);
  }
  return static_cast<int>(code);
}

#else

const fs::path kPlein = "/dev/full";

// Through the shell, whose redirections bind, close or fill the standard
// streams; paths are written as it reads them between double quotes.
int Executer(const Lancement& lancement, const Flux& flux, const fs::path& dossier) {
  // Found first on PATH, the fake viewer logs one line per argument: a split name shows twice.
  EcrireFichier(dossier / "xdg-open",
                "#!/bin/sh\nprintf '%s\\n' \"$@\" >>\"${0%/*}/visualiseur.log\"\n");
  fs::permissions(dossier / "xdg-open", fs::perms::owner_all);
  std::ostringstream commande;
  commande << "cd " << lancement.dossier << " && PATH=" << dossier << ":\"$PATH\" && exec ";
  // Every process of the run, the viewer included, holds the pipe as its
  // descriptor 9: its end of file says that all of them have ended.
  commande << lancement.programme << " 9>&1";
  for (int d = 0; d < 3; ++d) {
    commande << ' ' << d << (d == 0 ? "<" : ">");
    flux[d].empty() ? commande << "&-" : commande << flux[d];
  }
  FILE* const temoin = popen(commande.str().c_str(), "r");
  if (temoin == nullptr) {
    throw std::system_error(errno, std::generic_category(), "popen");
  }
  while (std::fgetc(temoin) != EOF) {
  }
  const int etat = pclose(temoin);
  return WIFEXITED(etat) ? WEXITSTATUS(etat) : -WTERMSIG(etat);
}

#endif

}  // namespace

Execution Lancer(const Lancement& lancement) {
  const DossierTemporaire outils;
  const fs::path& dossier = outils.Chemin();
  EcrireFichier(dossier / "stdin", lancement.entree);
  const fs::path sortie = lancement.sortiePleine ? kPlein : dossier / "stdout";
  const Flux flux{lancement.entreeFermee ? fs::path() : dossier / "stdin",
                  lancement.sortieFermee ? fs::path() : sortie, dossier / "stderr"};
  return {Executer(lancement, flux, dossier), LireFichier(dossier / "stdout"),
          LireFichier(dossier / "stderr"), LireFichier(dossier / "visualiseur.log")};
}

Arbre LireArbre(const fs::path& dossier) {
  Arbre arbre;
  for (const auto& entree : fs::recursive_directory_iterator(dossier)) {
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
    const std::size_t nom = ligne.find_last_of(' ');
    fichiers.emplace(ligne.substr(0, ligne.find_last_not_of(' ', nom) + 1),
                     LireFichier(cas.parent_path() / "communs" / ligne.substr(nom + 1)));
  }
  return fichiers;
}

std::optional<Execution> LancerCas(const fs::path& cas, const fs::path& dossier) {
  for (const auto& [nom, octets] : LireCas(cas)) {
    if (nom.starts_with("entree/")) {
      fs::create_directories((dossier / nom.substr(7)).parent_path());
      EcrireFichier(dossier / nom.substr(7), octets);
    }
  }
  const std::string montage = LireFichier(cas / "montage");  // comments, then the fault
  const auto faute = [&](const std::string& mot) { return montage.ends_with("\n" + mot + "\n"); };
  Lancement lancement{ELASPLAN_PROGRAMME,         dossier,
                      LireFichier(cas / "stdin"), faute("entree-fermee"),
                      faute("sortie-fermee"),     faute("sortie-pleine")};
  const std::string commande = LireFichier(cas / "commande");
#ifdef _WIN32
  // No shell; a full device under Wine alone.
  if (!commande.empty() || (lancement.sortiePleine && !std::ifstream(kPlein).is_open())) {
    return std::nullopt;
  }
#endif
  const DossierTemporaire outils;  // "$o" of the shell script
  if (!commande.empty()) {
    lancement.programme = outils.Chemin() / "enveloppe";
    EcrireFichier(lancement.programme, "#!/bin/sh\nprogramme='" ELASPLAN_PROGRAMME "'\no='" +
                                           outils.Chemin().string() + "'\n" + commande);
    fs::permissions(lancement.programme, fs::perms::owner_all);
  }
  const Execution execution = Lancer(lancement);
  if (!commande.empty() && execution.statut == 77) {  // the shell lacks a means it needs
    return std::nullopt;
  }
  return execution;
}

}  // namespace essai
