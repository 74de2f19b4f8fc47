// Wall time of whole processes: the program on a model against an empty
// program, run in turn from the current folder with the same standard input,
// their output thrown away. Each measure runs from the spawn to the end of
// the wait; a pair is one run of each, the order changing from pair to pair so
// that a drift of the machine weighs on both. Prints the medians, the median
// of the ratios of the pairs and the peak resident memory of each.
//
//   chrono <pairs> <standard input> <program> <empty program> [arguments]
// The arguments, if any, go to the program only.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct TMesure {
  double secondes = 0.0;     // wall time
  double secondesCpu = 0.0;  // user and system time of the process itself
  long memoireKo = 0;        // peak resident set, KiB
};

double Secondes(const timeval& t) {
  return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec);
}

double Maintenant() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// One run; a failed start or an exit other than 0 ends the measure, since
// then the time would not be that of a whole analysis.
TMesure Lancer(const std::string& programme, const std::string& entree,
               const std::vector<std::string>& arguments) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, entree.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<std::string> mots{programme};
  mots.insert(mots.end(), arguments.begin(), arguments.end());
  std::vector<char*> ligne;
  for (std::string& mot : mots) {
    ligne.push_back(mot.data());
  }
  ligne.push_back(nullptr);

  const double debut = Maintenant();
  pid_t pid = 0;
  const int erreur = posix_spawn(&pid, programme.c_str(), &actions, nullptr, ligne.data(), environ);
  if (erreur != 0) {
    std::fprintf(stderr, "chrono: %s does not start (%d)\n", programme.c_str(), erreur);
    std::exit(2);
  }
  int statut = 0;
  rusage usage{};
  while (wait4(pid, &statut, 0, &usage) < 0) {
  }
  const double fin = Maintenant();
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(statut) || WEXITSTATUS(statut) != 0) {
    std::fprintf(stderr, "chrono: %s failed (status %d)\n", programme.c_str(), statut);
    std::exit(2);
  }
  return TMesure{fin - debut, Secondes(usage.ru_utime) + Secondes(usage.ru_stime), usage.ru_maxrss};
}

double Mediane(std::vector<double> valeurs) {
  std::sort(valeurs.begin(), valeurs.end());
  const std::size_t milieu = valeurs.size() / 2;
  return valeurs.size() % 2 == 1 ? valeurs[milieu] : 0.5 * (valeurs[milieu - 1] + valeurs[milieu]);
}

double Quantile(std::vector<double> valeurs, double q) {
  std::sort(valeurs.begin(), valeurs.end());
  return valeurs[static_cast<std::size_t>(q * static_cast<double>(valeurs.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr,
                 "usage: chrono <pairs> <standard input> <program> <empty program> [arguments]\n");
    return 2;
  }
  const int paires = std::atoi(argv[1]);
  const std::string entree = argv[2];
  const std::string programme = argv[3];
  const std::string vide = argv[4];
  const std::vector<std::string> arguments(argv + 5, argv + argc);
  const std::vector<std::string> aucun;
  if (paires < 1) {
    std::fprintf(stderr, "chrono: invalid number of pairs\n");
    return 2;
  }

  // Caches, page cache and frequency settle before anything is kept.
  for (int i = 0; i < 20; ++i) {
    Lancer(vide, entree, aucun);
    Lancer(programme, entree, arguments);
  }

  std::vector<double> tempsProgramme;
  std::vector<double> tempsVide;
  std::vector<double> rapports;
  std::vector<double> cpuProgramme;
  std::vector<double> cpuVide;
  long memoireProgramme = 0;
  long memoireVide = 0;
  for (int i = 0; i < paires; ++i) {
    TMesure p;
    TMesure v;
    if (i % 2 == 0) {
      v = Lancer(vide, entree, aucun);
      p = Lancer(programme, entree, arguments);
    } else {
      p = Lancer(programme, entree, arguments);
      v = Lancer(vide, entree, aucun);
    }
    tempsProgramme.push_back(p.secondes);
    tempsVide.push_back(v.secondes);
    rapports.push_back(p.secondes / v.secondes);
    cpuProgramme.push_back(p.secondesCpu);
    cpuVide.push_back(v.secondesCpu);
    memoireProgramme = std::max(memoireProgramme, p.memoireKo);
    memoireVide = std::max(memoireVide, v.memoireKo);
  }

  std::printf("pairs measured            %8d\n", paires);
  std::printf("program, median          %8.1f us  (quartiles %.1f .. %.1f)\n",
              1e6 * Mediane(tempsProgramme), 1e6 * Quantile(tempsProgramme, 0.25),
              1e6 * Quantile(tempsProgramme, 0.75));
  std::printf("empty program, median    %8.1f us  (quartiles %.1f .. %.1f)\n",
              1e6 * Mediane(tempsVide), 1e6 * Quantile(tempsVide, 0.25),
              1e6 * Quantile(tempsVide, 0.75));
  std::printf("median ratio of pairs    %8.2f\n", Mediane(rapports));
  // Processor time counts only the process's own work: it stays put when
  // other processes delay the runs, which the wall time does not.
  std::printf("processor time, median   %8.1f us  (empty program %.1f us)\n",
              1e6 * Mediane(cpuProgramme), 1e6 * Mediane(cpuVide));
  std::printf("peak memory, program     %8ld KiB\n", memoireProgramme);
  std::printf("peak memory, empty       %8ld KiB\n", memoireVide);
  return 0;
}
