#include "app/erreurs.hpp"

#include <gtest/gtest.h>

#include <cerrno>

#include "app/plateforme.hpp"

namespace {

TEST(Erreurs, MessagesOfTheSpecifiedErrors) {
  struct Cas {
    TypeErreur type;
    int code;
    const char* message;
  };
  const Cas cas[] = {
      {TypeErreur::EntreeNumeriqueInvalide, 0, "Invalid numeric input"},
      {TypeErreur::VerificationIntervalle, 0, "Range check error"},
      {TypeErreur::DepassementEntier, 0, "Integer overflow"},
      {TypeErreur::DivisionFlottanteParZero, 0, "Floating point division by zero"},
      {TypeErreur::DepassementFlottant, 0, "Floating point overflow"},
      {TypeErreur::OperationFlottanteInvalide, 0, "Invalid floating point operation"},
      {TypeErreur::EntreeSortie, ENOSPC, "Disk full"},
      {TypeErreur::EntreeSortie, EACCES, "File access denied"},
      {TypeErreur::EntreeSortie, 105, "I/O error 105"},
      {TypeErreur::EntreeSortie, EFBIG, "I/O error 27"},
  };
  for (const Cas& c : cas) {
    EXPECT_STREQ(c.message, ErreurExecution(c.type, {}, c.code).what());
  }
}

TEST(Erreurs, ReportNamesTheContext) {
  ErreurExecution erreur(TypeErreur::EntreeNumeriqueInvalide);
  EXPECT_EQ("Erreur d'ex\xE9" "cution : Invalid numeric input", RapportErreur(erreur));
  erreur.AjouterContexte("plaque.txt, ligne 14 : \"0,3\"");
  EXPECT_EQ("Erreur d'ex\xE9" "cution : Invalid numeric input (plaque.txt, ligne 14 : \"0,3\")",
            RapportErreur(erreur));
}

TEST(ErreursDeathTest, RunTimeErrorExitsWithStatusOne) {
  EXPECT_EXIT(TerminerSurErreur(ErreurExecution(TypeErreur::VerificationIntervalle, "indice 101")),
              testing::ExitedWithCode(1), "Range check error \\(indice 101\\)");
}

// Operands the compiler cannot fold.
volatile double zero = 0.0;
volatile double un = 1.0;
volatile double enorme = 1e308;

TEST(ErreursDeathTest, DivisionByZeroIsTrapped) {
  EXPECT_EXIT(
      {
        plateforme::ActiverExceptionsFlottantes();
        volatile double r = un / zero;
        (void)r;
      },
      testing::ExitedWithCode(1), "Floating point division by zero");
}

TEST(ErreursDeathTest, OverflowIsTrapped) {
  EXPECT_EXIT(
      {
        plateforme::ActiverExceptionsFlottantes();
        volatile double r = enorme * enorme;
        (void)r;
      },
      testing::ExitedWithCode(1), "Floating point overflow");
}

TEST(ErreursDeathTest, FirstFaultIsNamed) {
  // 0/0 comes before 1/0: the invalid operation is the one reported.
  EXPECT_EXIT(
      {
        plateforme::ActiverExceptionsFlottantes();
        volatile double r = zero / zero;
        r = un / zero;
        (void)r;
      },
      testing::ExitedWithCode(1), "Invalid floating point operation");
}

}  // namespace
