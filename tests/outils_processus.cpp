// POSIX implementation of the test runner of the built program.
#include "tests/outils_processus.hpp"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#endif

namespace essai {

namespace fs = std::filesystem;

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

#ifndef _WIN32

namespace {

double Maintenant() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void Pause(double secondes) {
  timespec t{};
  t.tv_sec = static_cast<time_t>(secondes);
  t.tv_nsec = static_cast<long>((secondes - static_cast<double>(t.tv_sec)) * 1e9);
  nanosleep(&t, nullptr);
}

std::vector<std::string> LignesJournal(const fs::path& journal) {
  std::vector<std::string> lignes;
  const std::string contenu = LireFichier(journal);
  std::string::size_type debut = 0;
  while (debut < contenu.size()) {
    const auto fin = contenu.find('\n', debut);
    if (fin == std::string::npos) {
      break;  // a line still being written
    }
    lignes.push_back(contenu.substr(debut, fin - debut));
    debut = fin + 1;
  }
  return lignes;
}

}  // namespace

DossierTemporaire::DossierTemporaire() {
  std::string modele = (fs::temp_directory_path() / "elasplan-essai-XXXXXX").string();
  if (mkdtemp(modele.data()) == nullptr) {
    throw std::system_error(errno, std::generic_category(), "mkdtemp");
  }
  chemin_ = modele;
}

DossierTemporaire::~DossierTemporaire() {
  std::error_code ignore;
  // A test may have made a folder read-only: give write access back first.
  for (auto it = fs::recursive_directory_iterator(chemin_, ignore);
       it != fs::recursive_directory_iterator(); it.increment(ignore)) {
    if (it->is_directory(ignore)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignore);
    }
  }
  fs::permissions(chemin_, fs::perms::owner_all, fs::perm_options::add, ignore);
  fs::remove_all(chemin_, ignore);
}

Execution Lancer(const Lancement& lancement, int appelsVisualiseurAttendus) {
  DossierTemporaire outils;
  const fs::path faux = outils.Chemin() / "bin";
  fs::create_directory(faux);
  const fs::path journal = outils.Chemin() / "visualiseur.log";
  const fs::path script = faux / "xdg-open";
  EcrireFichier(script, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + journal.string() + "'\n");
  fs::permissions(script, fs::perms::owner_all);
  const fs::path fichierEntree = outils.Chemin() / "stdin";
  const fs::path fichierSortie = outils.Chemin() / "stdout";
  const fs::path fichierErreur = outils.Chemin() / "stderr";
  EcrireFichier(fichierEntree, lancement.entree);

  const char* cheminSysteme = getenv("PATH");
  const std::string path = "PATH=" + faux.string() + ":" + (cheminSysteme ? cheminSysteme : "");

  const double debut = Maintenant();
  const pid_t pid = fork();
  if (pid < 0) {
    throw std::system_error(errno, std::generic_category(), "fork");
  }
  if (pid == 0) {
    // Child: only async-signal-safe calls until exec.
    if (chdir(lancement.dossier.c_str()) != 0) {
      _exit(126);
    }
    if (lancement.entreeFermee) {
      close(0);
    } else {
      const int e = open(fichierEntree.c_str(), O_RDONLY);
      dup2(e, 0);
      close(e);
    }
    if (lancement.sortie == SortieStandard::Fermee) {
      close(1);
    } else if (lancement.sortie == SortieStandard::Pleine) {
      const int s = open("/dev/full", O_WRONLY);
      dup2(s, 1);
      close(s);
    } else {
      const int s = open(fichierSortie.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(s, 1);
      close(s);
    }
    const int r = open(fichierErreur.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(r, 2);
    close(r);
    if (lancement.limiteTailleFichier >= 0) {
      signal(SIGXFSZ, SIG_IGN);
      rlimit limite{};
      limite.rlim_cur = static_cast<rlim_t>(lancement.limiteTailleFichier);
      limite.rlim_max = static_cast<rlim_t>(lancement.limiteTailleFichier);
      setrlimit(RLIMIT_FSIZE, &limite);
    }
    putenv(const_cast<char*>(path.c_str()));
    execl(lancement.programme.c_str(), lancement.programme.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }

  Execution execution;
  int etat = 0;
  for (;;) {
    const pid_t fini = waitpid(pid, &etat, WNOHANG);
    if (fini == pid) {
      break;
    }
    if (Maintenant() - debut > lancement.delaiSecondes) {
      kill(pid, SIGKILL);
      waitpid(pid, &etat, 0);
      execution.delaiDepasse = true;
      break;
    }
    Pause(0.002);
  }
  execution.dureeSecondes = Maintenant() - debut;
  if (WIFEXITED(etat)) {
    execution.statut = WEXITSTATUS(etat);
  } else if (WIFSIGNALED(etat)) {
    execution.signal = WTERMSIG(etat);
  }
  execution.sortie = LireFichier(fichierSortie);
  execution.erreur = LireFichier(fichierErreur);

  // The viewer is not awaited by the program: give it time to log its start,
  // and a moment to show itself when none is expected.
  const double attente = appelsVisualiseurAttendus > 0 ? 5.0 : 0.2;
  const double limite = Maintenant() + attente;
  while (Maintenant() < limite) {
    if (appelsVisualiseurAttendus > 0 &&
        static_cast<int>(LignesJournal(journal).size()) >= appelsVisualiseurAttendus) {
      Pause(0.05);  // a further, unexpected call would show now
      break;
    }
    Pause(0.01);
  }
  execution.visualiseur = LignesJournal(journal);
  return execution;
}

#endif

}  // namespace essai
