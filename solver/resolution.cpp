// K U = F by Gauss elimination without pivoting, on the upper triangle only
// (K is symmetric, K[k][i] stands for K[i][k]), then back substitution; the
// displacements replace the forces in F. A pivot below an absolute threshold
// means a mechanism or an indefinite matrix and ends the solution.
#include <span>

#include "model/structure.hpp"

namespace {

// N/mm, not scaled by the size of the entries; a pivot equal to it passes.
constexpr double PivotMinimal = 1e-10;

}  // namespace

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

  const std::int32_t n = NbDdl;
  for (int k = 1; k <= n - 1; ++k) {
    const double pivot = K[k][k];
    if (pivot < PivotMinimal) {
      MessagePivot(pivot);
      return false;
    }
    for (int i = k + 1; i <= n; ++i) {
      const double m = K[k][i] / pivot;
      F[i] = F[i] - m * F[k];
      // Row i from its diagonal on; every row, even when m is zero.
      const std::span<double> ligne = K[i].Tranche(i, n);
      const std::span<const double> ligneK = K[k].Tranche(i, n);
      for (std::size_t j = 0; j < ligne.size(); ++j) {
        ligne[j] = ligne[j] - m * ligneK[j];
      }
    }
  }
  const double pivot = K[n][n];
  if (pivot < PivotMinimal) {
    MessagePivot(pivot);
    return false;
  }

  F[n] = F[n] / K[n][n];
  for (int i = n - 1; i >= 1; --i) {
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
