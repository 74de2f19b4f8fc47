#include "app/plateforme.hpp"

#include <gtest/gtest.h>

#include <utility>

#ifdef _WIN32
#include <windows.h>
#include <xmmintrin.h>
#else
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#endif

namespace {

volatile double zero = 0.0, un = 1.0, resultat = 0.0;  // not folded by the compiler

#ifdef _WIN32
// Faults of the SSE unit may come as a group, told apart by the flags saved
// with the context. Setting a flag does not trap: the exception is raised by hand.
template <DWORD code, unsigned drapeaux>
void Groupe() {
  _mm_setcsr(_mm_getcsr() | drapeaux);
  RaiseException(code, 0, 0, nullptr);
}
#endif

// With the traps on, a floating-point fault ends the run with its message.
// Overflow is met by the golden cases.
TEST(PlateformeDeathTest, FloatingPointFaultsEndTheRunWithTheirMessage) {
  const std::pair<void (*)(), const char*> cas[] = {
      {[] { resultat = un / zero; }, "Floating point division by zero"},
      {[] { resultat = zero / zero; }, "Invalid floating point operation"},
#ifdef _WIN32
      {Groupe<STATUS_FLOAT_MULTIPLE_FAULTS, 0x01>, "Invalid floating point operation"},
      {Groupe<STATUS_FLOAT_MULTIPLE_FAULTS, 0x04>, "Floating point division by zero"},
      {Groupe<STATUS_FLOAT_MULTIPLE_TRAPS, 0x28>, "Floating point overflow"},  // inexact too
#endif
  };
  for (const auto& [faute, message] : cas) {
    EXPECT_EXIT((plateforme::ActiverExceptionsFlottantes(), faute()), testing::ExitedWithCode(1),
                message);
  }
}

#ifndef _WIN32
// On a terminal a line end hands the console's bytes over.
TEST(Plateforme, ATerminalIsToldFromAFile) {
  const int maitre = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_TRUE(maitre >= 0 && grantpt(maitre) == 0 && unlockpt(maitre) == 0);
  const int terminal = open(ptsname(maitre), O_RDWR | O_NOCTTY), fichier = open("/dev/null", 0);
  EXPECT_TRUE(plateforme::EstTerminal(terminal));
  EXPECT_FALSE(plateforme::EstTerminal(fichier));
  close(terminal), close(fichier), close(maitre);
}
#endif

}  // namespace
