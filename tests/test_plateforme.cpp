#include "app/plateforme.hpp"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <tuple>

#include <windows.h>
#include <xmmintrin.h>
#endif

namespace {

#ifdef _WIN32

// Faults of the SSE unit may come as a group, to be told apart by the flags
// saved with the faulting context.
TEST(PlateformeDeathTest, GroupedSseFaultsAreNamedByTheirFlag) {
  const std::tuple<DWORD, unsigned, const char*> cas[] = {
      {STATUS_FLOAT_MULTIPLE_FAULTS, 0x01, "Invalid floating point operation"},
      {STATUS_FLOAT_MULTIPLE_FAULTS, 0x04, "Floating point division by zero"},
      {STATUS_FLOAT_MULTIPLE_TRAPS, 0x08 | 0x20, "Floating point overflow"}};  // inexact too
  for (const auto& [code, drapeaux, message] : cas) {
    EXPECT_EXIT(
        {
          plateforme::ActiverExceptionsFlottantes();
          // Setting a flag does not trap; the exception is raised by hand.
          _mm_setcsr(_mm_getcsr() | drapeaux);
          RaiseException(code, 0, 0, nullptr);
        },
        testing::ExitedWithCode(1), message);
  }
}

#endif

}  // namespace
