#include "app/erreurs.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <utility>

#include "app/plateforme.hpp"

namespace {

// The other messages are those of the runs that meet them.
TEST(Erreurs, InputOutputMessagesFollowTheSystemsCode) {
  EXPECT_STREQ("Disk full", ErreurExecution(TypeErreur::EntreeSortie, {}, ENOSPC).what());
  EXPECT_STREQ("File access denied", ErreurExecution(TypeErreur::EntreeSortie, {}, EACCES).what());
  EXPECT_STREQ("I/O error 105", ErreurExecution(TypeErreur::EntreeSortie, {}, 105).what());
}

// Operands the compiler cannot fold.
volatile double zero = 0.0, un = 1.0, enorme = 1e308, resultat = 0.0;

TEST(ErreursDeathTest, FloatingPointFaultsEndTheRunWithTheirMessage) {
  const std::pair<void (*)(), const char*> cas[] = {
      {[] { resultat = un / zero; }, "Floating point division by zero"},
      {[] { resultat = enorme * enorme; }, "Floating point overflow"},
      // 0/0 comes before 1/0: the first fault is the one named.
      {[] {
         resultat = zero / zero;
         resultat = un / zero;
       },
       "Invalid floating point operation"}};
  for (const auto& [faute, message] : cas) {
    EXPECT_EXIT(
        {
          plateforme::ActiverExceptionsFlottantes();
          faute();
        },
        testing::ExitedWithCode(1), message);
  }
}

}  // namespace
