// K U = F by Gauss elimination without pivoting, on the upper triangle only
// (K is symmetric, K[k][i] stands for K[i][k]), then back substitution; the
// displacements replace the forces in F. A pivot below an absolute threshold
// means a mechanism or an indefinite matrix and ends the solution.
#include <cstddef>
#include <span>

#include "model/entier.hpp"
#include "model/structure.hpp"
#include "solver/resolution.hpp"

namespace {

// N/mm, not scaled by the size of the entries; a pivot equal to it passes.
constexpr double PivotMinimal = 1e-10;

// One row of a step, `termes` row i and `termesPivot` row k from column i
// on. Each entry is a computation of its own, so the compiler does two or
// four at a time, each with the bits of the scalar loop; nothing is summed,
// so no order changes. Rows i and k never overlap, which `__restrict` tells
// the compiler.
// clang keeps every operation that may trap where the source puts it, which
// also keeps its vectoriser out; this loop guards nothing and computes every
// entry whatever the others give, so the constraint is lifted here only.
#ifdef __clang__
#pragma float_control(push)
#pragma float_control(except, off)
#endif
[[gnu::always_inline]] inline void ReduireLigne(double* __restrict termes,
                                                const double* __restrict termesPivot,
                                                std::size_t nombre, double m) {
  // An odd entry first, then pairs: one register each, and no loop left over
  // for a last entry.
  if (nombre % 2 != 0) {
    termes[0] = termes[0] - m * termesPivot[0];
    ++termes;
    ++termesPivot;
    --nombre;
  }
  // Four pairs a turn: fewer instructions spent on the loop itself.
#pragma GCC unroll 4
  for (std::size_t j = 0; j < nombre; j += 2) {
    termes[j] = termes[j] - m * termesPivot[j];
    termes[j + 1] = termes[j + 1] - m * termesPivot[j + 1];
  }
}

void Reduire(double* __restrict termes, const double* __restrict termesPivot, std::size_t nombre,
             double m) {
  ReduireLigne(termes, termesPivot, nombre, m);
}

#if defined(__x86_64__) || defined(__i386__)
[[gnu::target("avx")]] void ReduireAvx(double* __restrict termes,
                                       const double* __restrict termesPivot, std::size_t nombre,
                                       double m) {
  ReduireLigne(termes, termesPivot, nombre, m);
}
#endif
#ifdef __clang__
#pragma float_control(pop)
#endif

}  // namespace

TReduction ReductionSse2() {
  return Reduire;
}

TReduction ReductionAvx() {
#if defined(__x86_64__) || defined(__i386__)
  return __builtin_cpu_supports("avx") ? ReduireAvx : nullptr;
#else
  return nullptr;
#endif
}

bool TStructure::CalculDeplacements() {
  EcrireTexte(Resultats, "Calcul des d\xE9placements inconnus");
  FinDeLigne(Resultats);

  const auto MessagePivot = [this](double pivot) {
    EcrireTexte(Resultats, "Le syst\xE8me est mal conditionn\xE9 : ");
    Vider(Resultats);
    EcrireTexte(Resultats, "pivot n\xE9gatif ou nul = ");
    EcrireReel(Resultats, pivot);
    FinDeLigne(Resultats);
  };

  const TReduction avx = ReductionAvx();
  const TReduction reduire = avx != nullptr ? avx : ReductionSse2();
  const std::int32_t n = NbDdl;
  const std::int32_t avantDernier = entier::Moins(n, 1);
  for (int k = 1; k <= avantDernier; ++k) {
    const double pivot = K[k][k];
    if (pivot < PivotMinimal) {
      MessagePivot(pivot);
      return false;
    }
    // Row k and F from the pivot on, bounds checked once for the step: the
    // multiplier of row i is K[k][i], at offset i - k.
    const std::span<const double> ligneK = K[k].Tranche(k, n);
    const std::span<double> f = F.Tranche(k, n);
    for (int i = k + 1; i <= n; ++i) {
      const std::size_t decalage = static_cast<std::size_t>(i - k);
      const double m = ligneK[decalage] / pivot;
      f[decalage] = f[decalage] - m * f[0];
      // Row i from its diagonal on; every row, even when m is zero.
      const std::span<double> ligne = K[i].Tranche(i, n);
      reduire(ligne.data(), ligneK.data() + decalage, ligne.size(), m);
    }
  }
  const double pivot = K[n][n];
  if (pivot < PivotMinimal) {
    MessagePivot(pivot);
    return false;
  }

  F[n] = F[n] / K[n][n];
  for (int i = avantDernier; i >= 1; --i) {
    const std::span<const double> ligne = K[i].Tranche(i + 1, n);
    const std::span<const double> u = F.Tranche(i + 1, n);
    double somme = 0.0;
    for (std::size_t j = 0; j < ligne.size(); ++j) {
      somme = somme + ligne[j] * u[j];
    }
    F[i] = (F[i] - somme) / K[i][i];
  }
  return true;
}
