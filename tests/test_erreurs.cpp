#include "app/erreurs.hpp"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

// The other messages are those of the runs and routines that meet them, and
// of the floating-point traps (test_plateforme.cpp).
TEST(Erreurs, InputOutputMessagesFollowTheSystemsCode) {
  EXPECT_STREQ("Disk full", ErreurExecution(TypeErreur::EntreeSortie, {}, ENOSPC).what());
  EXPECT_STREQ("File access denied", ErreurExecution(TypeErreur::EntreeSortie, {}, EACCES).what());
}

}  // namespace
