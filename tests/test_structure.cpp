#include "model/structure.hpp"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(Structure, NewStructureIsEmpty) {
  const auto s = std::make_unique<TStructure>();
  EXPECT_EQ(0, s->TypeProbleme);
  EXPECT_EQ(0, s->NbNoeuds);
  EXPECT_EQ(0, s->NbLiaisons);
  EXPECT_EQ(0, s->NbCharges);
  EXPECT_EQ(0, s->NbDdl);
  EXPECT_EQ(0, s->Elements.Nombre);
  EXPECT_EQ(0, s->Liaisons.Nombre);
  EXPECT_EQ(0, s->Charges.Nombre);
  EXPECT_FALSE(s->ResultatsOuvert);
  EXPECT_FALSE(s->Resultats.EstOuvert());
  for (int i = 1; i <= NbMaxDdl; ++i) {
    EXPECT_EQ(0.0, s->F[i]);
    for (int j = 1; j <= NbMaxDdl; ++j) {
      ASSERT_EQ(0.0, s->K[i][j]);
    }
  }
}

TEST(Structure, DdlNoeud) {
  const auto s = std::make_unique<TStructure>();
  struct Cas {
    int n, premier, second;
  };
  for (const Cas cas : {Cas{1, 1, 2}, Cas{100, 199, 200}, Cas{0, -1, 0}, Cas{-3, -7, -6}}) {
    int premier = 0;
    int second = 0;
    s->DdlNoeud(cas.n, premier, second);
    EXPECT_EQ(cas.premier, premier) << cas.n;
    EXPECT_EQ(cas.second, second) << cas.n;
  }
  int premier = 0;
  int second = 0;
  EXPECT_THROW(s->DdlNoeud(1073741824, premier, second), ErreurExecution);
  EXPECT_THROW(s->DdlNoeud(-1073741824, premier, second), ErreurExecution);
}

TEST(Structure, DdlElementFollowsVertexOrder) {
  const auto s = std::make_unique<TStructure>();
  s->Elements.Nombre = 1;
  s->Elements.Liste[1] = std::make_unique<TElement>();
  s->Elements.Liste[1]->Sommets[1] = 3;
  s->Elements.Liste[1]->Sommets[2] = 1;
  s->Elements.Liste[1]->Sommets[3] = 2;
  Tableau<std::int32_t, NbDdlElement> d;
  s->DdlElement(1, d);
  const int attendu[] = {5, 6, 1, 2, 3, 4};
  for (int q = 1; q <= NbDdlElement; ++q) {
    EXPECT_EQ(attendu[q - 1], d[q]);
  }
  EXPECT_THROW(s->DdlElement(101, d), ErreurExecution);
  EXPECT_THROW(s->DdlElement(0, d), ErreurExecution);
  // A position within the table but holding no element.
  EXPECT_THROW(s->DdlElement(2, d), ErreurExecution);
}

TEST(Structure, NumeroFindsThatVeryElement) {
  const auto s = std::make_unique<TStructure>();
  s->Elements.Nombre = 7;
  for (int i = 1; i <= 7; ++i) {
    s->Elements.Liste[i] = std::make_unique<TElement>();
  }
  EXPECT_EQ(7, s->Elements.Numero(s->Elements.Liste[7].get()));
  EXPECT_EQ(1, s->Elements.Numero(s->Elements.Liste[1].get()));
  const TElement etranger;
  EXPECT_EQ(0, s->Elements.Numero(&etranger));
  EXPECT_EQ(0, s->Elements.Numero(nullptr));
}

}  // namespace
