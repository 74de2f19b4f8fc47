// Time of each stage of the analysis on the largest model the tables hold
// (anneau.txt: 100 nodes, 100 elements, 200 equations), and of the whole
// analysis. Each stage runs on a structure brought to the state it meets in
// a run; what a stage changes and its next run needs back (the system before
// the solution, a fresh results file) is restored outside the timing.
// The benchmark works in a temporary folder, reads the base name from a file
// on standard input and sends the console's bytes to /dev/null.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/fichier_texte.hpp"
#include "element/triangle.hpp"
#include "model/structure.hpp"

namespace {

namespace fs = std::filesystem;

constexpr const char* kNomBase = "anneau";
constexpr const char* kNomResultats = "anneaur.txt";

// Multiply-subtract steps of the elimination for n equations: the sum over
// the pivots k of (n - k)(n - k + 1) / 2, that is (n - 1) n (n + 1) / 6.
double PasElimination(int n) {
  return static_cast<double>(n - 1) * n * (n + 1) / 6.0;
}

int entreeStandard = -1;  // the file holding the base name, as descriptor 0
int sortieReelle = -1;    // the benchmark's own standard output

void RembobinerEntree() {
  lseek(0, 0, SEEK_SET);
}

// Console bytes of the stages go to /dev/null while a benchmark runs; the
// library's report goes to the real standard output between benchmarks.
class TConsoleMuette {
 public:
  TConsoleMuette() {
    std::cout.flush();
    std::fflush(stdout);
    const int nul = open("/dev/null", O_WRONLY);
    dup2(nul, 1);
    close(nul);
  }
  ~TConsoleMuette() {
    Vider(Console());
    dup2(sortieReelle, 1);
  }
  TConsoleMuette(const TConsoleMuette&) = delete;
  TConsoleMuette& operator=(const TConsoleMuette&) = delete;
};

enum class Etape {
  Lecture,
  Verification,
  Rigidite,
  Forces,
  Liaisons,
  Deplacements,
  Reactions,
  Rapport,
  Dessin,
};

// A structure that has gone through every stage before `etape`, as Calcul
// runs them; its results file is /dev/null unless the stage is the report.
std::unique_ptr<TStructure> Preparer(Etape etape) {
  auto s = std::make_unique<TStructure>();
  Structure = s.get();
  RembobinerEntree();
  const auto Avant = [etape](Etape e) { return static_cast<int>(e) < static_cast<int>(etape); };
  bool correct = true;
  if (Avant(Etape::Lecture)) {
    correct = s->Lecture() && s->TypeProbleme != 0;
  }
  if (correct && Avant(Etape::Verification)) {
    correct = s->VerificationModele();
  }
  if (correct && Avant(Etape::Rigidite)) {
    correct = s->AssemblageRigidite();
  }
  if (correct && Avant(Etape::Forces)) {
    s->AssemblageForces();
  }
  if (correct && Avant(Etape::Liaisons)) {
    s->MiseEnPlaceLiaisons();
  }
  if (correct && Avant(Etape::Deplacements)) {
    correct = s->CalculDeplacements();
  }
  if (correct && Avant(Etape::Reactions)) {
    s->CalculActionsLiaison();
  }
  if (!correct) {
    throw std::runtime_error("the benchmark model does not pass the analysis");
  }
  if (Avant(Etape::Lecture)) {
    s->Resultats.Abandonner();
    s->Resultats.Creer(etape == Etape::Rapport ? kNomResultats : "/dev/null");
  }
  return s;
}

void Terminer(std::unique_ptr<TStructure>& s) {
  s->Abandonner();
  Structure = nullptr;
  s.reset();
}

// Runs `corps` as the timed loop on a structure prepared for `etape`.
template <typename Corps>
void Mesurer(benchmark::State& state, Etape etape, Corps corps) {
  const TConsoleMuette muette;
  try {
    std::unique_ptr<TStructure> s = Preparer(etape);
    corps(state, *s);
    Terminer(s);
  } catch (const std::exception& erreur) {
    state.SkipWithError(erreur.what());
  }
}

void BM_Lecture(benchmark::State& state) {
  Mesurer(state, Etape::Lecture, [](benchmark::State& st, TStructure& s) {
    for (auto _ : st) {
      st.PauseTiming();
      s.Resultats.Abandonner();
      RembobinerEntree();
      st.ResumeTiming();
      benchmark::DoNotOptimize(s.Lecture());
    }
  });
}

void BM_Verification(benchmark::State& state) {
  Mesurer(state, Etape::Verification, [](benchmark::State& st, TStructure& s) {
    for (auto _ : st) {
      benchmark::DoNotOptimize(s.VerificationModele());
    }
  });
}

void BM_AssemblageRigidite(benchmark::State& state) {
  Mesurer(state, Etape::Rigidite, [](benchmark::State& st, TStructure& s) {
    for (auto _ : st) {
      benchmark::DoNotOptimize(s.AssemblageRigidite());
      benchmark::ClobberMemory();
    }
  });
}

void BM_AssemblageForces(benchmark::State& state) {
  Mesurer(state, Etape::Forces, [](benchmark::State& st, TStructure& s) {
    for (auto _ : st) {
      s.AssemblageForces();
      benchmark::ClobberMemory();
    }
  });
}

// Blocking an equation twice gives the same system: the stage can run again
// on its own output.
void BM_MiseEnPlaceLiaisons(benchmark::State& state) {
  Mesurer(state, Etape::Liaisons, [](benchmark::State& st, TStructure& s) {
    for (auto _ : st) {
      s.MiseEnPlaceLiaisons();
      benchmark::ClobberMemory();
    }
  });
}

// The elimination works in place: the supported system is put back before
// each run. The rate counter gives the multiply-subtract steps per second.
void BM_CalculDeplacements(benchmark::State& state) {
  Mesurer(state, Etape::Deplacements, [](benchmark::State& st, TStructure& s) {
    const auto k = std::make_unique<decltype(s.K)>(s.K);
    const decltype(s.F) f = s.F;
    for (auto _ : st) {
      st.PauseTiming();
      s.K = *k;
      s.F = f;
      st.ResumeTiming();
      benchmark::DoNotOptimize(s.CalculDeplacements());
      benchmark::ClobberMemory();
    }
    st.counters["pas"] =
        benchmark::Counter(PasElimination(s.NbDdl), benchmark::Counter::kIsIterationInvariantRate);
  });
}

void BM_CalculActionsLiaison(benchmark::State& state) {
  Mesurer(state, Etape::Reactions, [](benchmark::State& st, TStructure& s) {
    for (auto _ : st) {
      s.CalculActionsLiaison();
      benchmark::ClobberMemory();
    }
  });
}

// Into a real file, emptied before each run as a run finds it, and closed.
void BM_EcritureResultats(benchmark::State& state) {
  Mesurer(state, Etape::Rapport, [](benchmark::State& st, TStructure& s) {
    for (auto _ : st) {
      st.PauseTiming();
      s.Resultats.Abandonner();
      s.Resultats.Creer(kNomResultats);
      st.ResumeTiming();
      s.EcritureResultats();
      s.Resultats.Fermer();
    }
  });
}

void BM_EcritureDessin(benchmark::State& state) {
  Mesurer(state, Etape::Dessin, [](benchmark::State& st, TStructure& s) {
    for (auto _ : st) {
      s.EcritureDessin();
    }
  });
}

// From the creation of the structure to its destruction: every stage, the
// results file closed in order; the banner and the viewer are left out.
void BM_Analyse(benchmark::State& state) {
  const TConsoleMuette muette;
  try {
    for (auto _ : state) {
      state.PauseTiming();
      RembobinerEntree();
      state.ResumeTiming();
      auto s = std::make_unique<TStructure>();
      Structure = s.get();
      s->Calcul();
      s->Resultats.Fermer();
      Structure = nullptr;
      s.reset();
    }
  } catch (const std::exception& erreur) {
    state.SkipWithError(erreur.what());
  }
}

BENCHMARK(BM_Lecture)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Verification)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AssemblageRigidite)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AssemblageForces)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MiseEnPlaceLiaisons)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CalculDeplacements)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CalculActionsLiaison)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EcritureResultats)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EcritureDessin)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Analyse)->Unit(benchmark::kMicrosecond);

// The model and the typed name in a folder of our own, the name file as
// standard input.
class TDossierBanc {
 public:
  TDossierBanc() {
    std::string modele = fs::temp_directory_path() / "elasplan_banc_XXXXXX";
    if (mkdtemp(modele.data()) == nullptr) {
      std::perror("mkdtemp");
      std::exit(1);
    }
    dossier_ = modele;
    fs::copy_file(ELASPLAN_MODELE_BANC, dossier_ / (std::string(kNomBase) + ".txt"));
    fs::current_path(dossier_);
    std::FILE* nom = std::fopen("entree", "wb");
    std::fprintf(nom, "%s\n", kNomBase);
    std::fclose(nom);
    entreeStandard = open("entree", O_RDONLY);
    dup2(entreeStandard, 0);
    sortieReelle = dup(1);
    Console().AssocierSortieStandard();
  }
  ~TDossierBanc() {
    Console().Abandonner();
    fs::current_path(dossier_.parent_path());
    std::error_code erreur;
    fs::remove_all(dossier_, erreur);
  }
  TDossierBanc(const TDossierBanc&) = delete;
  TDossierBanc& operator=(const TDossierBanc&) = delete;

 private:
  fs::path dossier_;
};

}  // namespace

int main(int argc, char** argv) {
  const TDossierBanc dossier;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
