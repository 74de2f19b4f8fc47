#include "model/tableau.hpp"

#include <gtest/gtest.h>

#include "model/entier.hpp"

namespace {

TEST(Tableau, IndexedFromOneWithinItsCapacity) {
  Tableau<int, 3> t;
  t[1] = 10;
  t[3] = 30;
  EXPECT_EQ(10, t[1]);
  EXPECT_EQ(0, t[2]);
  EXPECT_EQ(30, t[3]);
}

TEST(Tableau, IndexOutsideIsRangeCheckError) {
  Tableau<int, 3> t;
  for (const int indice : {0, -1, 4, 101, -2147483647 - 1, 2147483647}) {
    try {
      t[indice] = 1;
      FAIL() << "no error for index " << indice;
    } catch (const ErreurExecution& erreur) {
      EXPECT_STREQ("Range check error", erreur.what());
      EXPECT_EQ("indice " + std::to_string(indice) + " hors de 1..3", erreur.Contexte());
    }
  }
}

TEST(Tableau, TrancheTestsBothEndsOnce) {
  Tableau<int, 5> t;
  for (int i = 1; i <= 5; ++i) {
    t[i] = i;
  }
  const auto tranche = t.Tranche(2, 4);
  ASSERT_EQ(3u, tranche.size());
  EXPECT_EQ(2, tranche[0]);
  EXPECT_EQ(4, tranche[2]);
  EXPECT_TRUE(t.Tranche(5, 4).empty());
  EXPECT_THROW(t.Tranche(0, 3), ErreurExecution);
  EXPECT_THROW(t.Tranche(3, 6), ErreurExecution);
}

TEST(Entier, OverflowIsIntegerOverflow) {
  EXPECT_EQ(199, entier::Moins(entier::Fois(2, 100), 1));
  EXPECT_EQ(-2147483647 - 1, entier::Moins(-2147483647, 1));
  try {
    entier::Fois(2, 1073741824);
    FAIL();
  } catch (const ErreurExecution& erreur) {
    EXPECT_STREQ("Integer overflow", erreur.what());
  }
  EXPECT_THROW(entier::Plus(2147483647, 1), ErreurExecution);
  EXPECT_THROW(entier::Moins(-2147483647 - 1, 1), ErreurExecution);
}

}  // namespace
