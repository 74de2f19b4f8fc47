#include "model/lecture.hpp"

#include <gtest/gtest.h>

#include <tuple>

namespace {

// The reader's runs are golden end-to-end cases; here is its keyword test.
TEST(MotCle, SpacesAndCaseDoNotMatterAnythingElseDoes) {
  const std::tuple<const char*, const char*, bool> cas[] = {
      {"$noe", "$noe", true},    {"$noe", "$NoE", true},        {"$noe", "   $noe", true},
      {"$noe", "$ n o e", true}, {"$noe", "$NOEUDS 4", true},   {"$ noe", "$noe", true},
      {"$NOE", "$noe", true},    {"$ele", "$el e ments", true}, {"$deb", "$deb\t", true},
      {"$noe", "", false},       {"$noe", "$no", false},        {"$noe", "$no ", false},
      {"$noe", "\t$noe", false}, {"$noe", "x$noe", false},      {"$noe", "$n\toe", false},
      {"$noe", "noe", false},    {"$cha", "$ch\xE0", false},    {"$fin", "\xA0$fin", false}};
  for (const auto& [motCle, ligne, attendu] : cas) {
    EXPECT_EQ(attendu, MotCle(motCle, ligne)) << motCle << " / " << ligne;
  }
}

}  // namespace
