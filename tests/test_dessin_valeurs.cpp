// The values the picture writes: its numbers, the colours of its scale and
// the equivalent stress that picks them. The picture itself is checked on
// the golden runs (test_dessin.cpp).
#include <gtest/gtest.h>

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <tuple>
#include <utility>

#include "report/dessin.hpp"

namespace {

// Tables of value, (decimals,) text; aligned by hand.
// clang-format off
TEST(DessinNombres, TexteFixeRoundsHalfAwayWithoutNegativeZero) {
  const std::tuple<double, int, const char*> cas[] = {
      {0.0, 1, "0.0"}, {-0.0, 1, "0.0"}, {-0.04, 1, "0.0"},                 // no sign on zeros
      {1.25, 1, "1.3"}, {-1.25, 1, "-1.3"}, {0.5, 0, "1"}, {-0.5, 0, "-1"},  // halves away
      {123.456, 2, "123.46"}, {999.96, 1, "1000.0"}, {0.001, 3, "0.001"}, {7.0, 4, "7.0000"},
      {12.5, -2, "13"}, {3.14159, 12, "3.141590000"},                        // decimals in 0..9
      {1e20, 2, "1e20"}, {-2.5e18, 1, "-2.5e18"}};                           // too large for them
  for (const auto& [valeur, decimales, attendu] : cas) {
    EXPECT_EQ(attendu, TexteFixe(valeur, decimales)) << valeur << ", " << decimales;
  }
}

TEST(DessinNombres, TexteSignificatifKeepsThreeDigits) {
  const std::pair<double, const char*> cas[] = {
      {0.0, "0"}, {20833.3, "20800"}, {19899.0, "19900"}, {10.0, "10"}, {2.5, "2.5"},
      {0.0123456, "0.0123"}, {9.996, "10"}, {123.456, "123"}, {-0.5, "-0.5"}, {1e-320, "0"},
      {-7.85e-5, "-7.85e-5"}, {7.85e-5, "7.85e-5"}, {1e7, "1e7"}, {9999999.0, "10000000"},
      {1.23456e-12, "1.23e-12"}, {9.999e-4, "0.001"}, {9.9999e-5, "1e-4"},
      {0.00050254, "0.000503"}, {DBL_MAX, "1.8e308"}};
  for (const auto& [valeur, attendu] : cas) {
    EXPECT_EQ(attendu, TexteSignificatif(valeur)) << valeur;
  }
}
// clang-format on

TEST(DessinContraintes, EquivalentStressOfKnownStates) {
  const double racine3 = std::sqrt(3.0);
  const double cas[][5] = {{100, 0, 0, 0, 100},  // uniaxial, sxx syy sxy szz then von Mises
                           {-100, 0, 0, 0, 100},
                           {0, 0, 50, 0, 50 * racine3},  // pure shear
                           {100, 100, 0, 0, 100},        // equal biaxial, plane stress
                           {100, 100, 0, 60, 40},        // the same with szz of plane strain
                           {100, -100, 0, 0, 100 * racine3},
                           {0, 0, 0, 0, 0}};
  for (const auto& c : cas) {
    TContraintesDeformations s;
    s.sxx = c[0], s.syy = c[1], s.sxy = c[2], s.szz = c[3];
    EXPECT_NEAR(c[4], ContrainteEquivalente(s), 1e-9 * (1 + c[4])) << c[0] << " " << c[1];
  }
  // Squares of such stresses would overflow: the result stays finite.
  std::feclearexcept(FE_ALL_EXCEPT);
  TContraintesDeformations enorme;
  enorme.sxx = 1e300, enorme.syy = -1e300;
  EXPECT_NEAR(racine3, ContrainteEquivalente(enorme) / 1e300, 1e-12);
  enorme.sxx = DBL_MAX, enorme.syy = -DBL_MAX;
  EXPECT_EQ(DBL_MAX, ContrainteEquivalente(enorme));
  EXPECT_EQ(0, std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID));
}

TEST(DessinCouleurs, ScaleRunsFromBlueToRedAndClamps) {
  // 0.625: halfway from pale yellow to orange.
  const std::pair<double, const char*> cas[] = {
      {0.0, "#2c7bb6"}, {0.5, "#ffffbf"},          {1.0, "#d7191c"},  {-3.0, "#2c7bb6"},
      {7.0, "#d7191c"}, {std::nan(""), "#2c7bb6"}, {0.625, "#fed790"}};
  for (const auto& [t, couleur] : cas) {
    EXPECT_EQ(couleur, CouleurEchelle(t)) << t;
  }
}

}  // namespace
