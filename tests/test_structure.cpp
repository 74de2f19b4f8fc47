#include "model/structure.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/donnees_communes.hpp"

namespace {

// Equations 2n - 1 and 2n of node n, in vertex order for an element; an
// element's position in its list, 0 for one outside it. The tables' bounds
// and 32-bit overflow end the run (the golden cases meet the others).
TEST(Structure, EquationNumbersAndTheirLimits) {
  const auto s = std::make_unique<TStructure>();
  s->Elements.Nombre = 7;
  s->Elements.Liste[7] = std::make_unique<TElement>();
  TElement& element = *(s->Elements.Liste[1] = std::make_unique<TElement>());
  element.Sommets[1] = 3;
  element.Sommets[2] = 1;
  element.Sommets[3] = 2;
  Tableau<std::int32_t, NbDdlElement> d;
  s->DdlElement(1, d);
  const auto ddl = d.Tranche(1, NbDdlElement);
  std::vector<int> vus(ddl.begin(), ddl.end());
  int premier = 0, second = 0;
  s->DdlNoeud(100, premier, second);
  const TElement etranger;
  vus.insert(vus.end(), {premier, second, s->Elements.Numero(s->Elements.Liste[7].get()),
                         s->Elements.Numero(&etranger), s->Elements.Numero(nullptr)});
  EXPECT_EQ((std::vector<int>{5, 6, 1, 2, 3, 4, 199, 200, 7, 0, 0}), vus);

  const std::pair<std::function<void()>, std::string> erreurs[] = {
      {[&] { s->DdlNoeud(1073741824, premier, second); }, "Integer overflow (2 * 1073741824)"},
      {[&] { s->DdlElement(0, d); }, "Range check error (indice 0 hors de 1..100)"},
      {[&] { d[-2147483647 - 1] = 0; }, "Range check error (indice -2147483648 hors de 1..6)"},
      {[&] { d[7] = 0; }, "Range check error (indice 7 hors de 1..6)"}};
  for (const auto& [appel, attendu] : erreurs) {
    EXPECT_EQ(attendu, donnees::Erreur(appel, true));
  }
}

}  // namespace
