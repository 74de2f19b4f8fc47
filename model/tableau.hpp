// Fixed-capacity tables indexed from 1. Every access tests its index, and one
// outside 1..Taille is the run-time error "Range check error": the program
// relies on these bounds instead of comparing counts with capacities.
#pragma once

#include <array>
#include <span>
#include <string>

#include "app/erreurs.hpp"

[[noreturn]] inline void ErreurIndice(int indice, int capacite) {
  throw ErreurExecution(
      TypeErreur::VerificationIntervalle,
      "indice " + std::to_string(indice) + " hors de 1.." + std::to_string(capacite));
}

template <typename T, int Taille>
class Tableau {
 public:
  T& operator[](int indice) {
    Verifier(indice);
    return elements_[static_cast<std::size_t>(indice - 1)];
  }
  const T& operator[](int indice) const {
    Verifier(indice);
    return elements_[static_cast<std::size_t>(indice - 1)];
  }

  // The entries debut..fin (fin >= debut - 1), bounds tested once for the
  // whole run, for loops that sweep a row.
  std::span<T> Tranche(int debut, int fin) {
    if (fin >= debut) {
      Verifier(debut);
      Verifier(fin);
    }
    const int nombre = fin >= debut ? fin - debut + 1 : 0;
    return std::span<T>(elements_.data() + (nombre > 0 ? debut - 1 : 0),
                        static_cast<std::size_t>(nombre));
  }

 private:
  static void Verifier(int indice) {
    if (indice < 1 || indice > Taille) {
      ErreurIndice(indice, Taille);
    }
  }

  std::array<T, Taille> elements_{};
};
