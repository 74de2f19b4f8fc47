// The triangle element on plain values, by its physics; the patch test is in
// test_equations.cpp, and the report's golden cases hold a negative zero ezz.
#include "element/triangle.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace {

// Triangles of any size, place and shape, no angle below 15 degrees, in both
// problem types. Ke is symmetric; the translations along x and y and the
// rotation about the origin give no force; with u1, v1 and the motion of
// vertex 2 across side 1-2 held, which stops the three rigid motions, what is
// left is positive definite. So Ke is positive semi-definite with exactly the
// rigid motions as its null space.
TEST(Triangle, StiffnessIsPositiveSemiDefiniteWithTheRigidMotionsAsNullSpace) {
  std::mt19937 aleas(20240611);
  std::uniform_real_distribution<double> u01;
  const auto reel = [&](double a, double b) { return a + (b - a) * u01(aleas); };
  const double pi = std::numbers::pi;
  for (int cas = 0; cas < 400; ++cas) {
    // Arcs of at least 30 degrees between the vertices on a circle give
    // angles of at least 15 degrees, counter-clockwise.
    const double taille = std::pow(10.0, reel(-2, 3)), debut = reel(0, 2 * pi);
    const double arc1 = reel(pi / 6, 5 * pi / 3), arc2 = reel(pi / 6, 11 * pi / 6 - arc1);
    const TPoint centre{taille * reel(-10, 10), taille * reel(-10, 10)};
    const auto sommet = [&](double a) {
      return TPoint{centre.x + taille * std::cos(a), centre.y + taille * std::sin(a)};
    };
    const TPoint p[3] = {sommet(debut), sommet(debut + arc1), sommet(debut + arc1 + arc2)};
    double aire = 0;
    TMatrice66 ke;
    ASSERT_TRUE(RigiditeElement({p[0], p[1], p[2], reel(0.1, 10), reel(1, 210000), reel(0, 0.45)},
                                1 + cas % 2, aire, ke));
    EXPECT_NEAR(DeuxFoisAire({p[0], p[1], p[2]}), 2 * aire, 1e-12 * aire) << cas;
    double echelle = 0;  // the largest diagonal term, the largest term of a PSD matrix
    for (int i = 1; i <= 6; ++i)
      echelle = std::max(echelle, ke[i][i]);
    for (int i = 1; i <= 6; ++i) {
      double force[3] = {};
      for (int j = 1; j <= 6; ++j) {
        ASSERT_NEAR(ke[i][j], ke[j][i], 1e-14 * echelle) << cas << ": " << i << ", " << j;
        force[j % 2] += ke[i][j];
        force[2] += ke[i][j] * (j % 2 == 1 ? -p[(j - 1) / 2].y : p[(j - 1) / 2].x);
      }
      for (int mode = 0; mode < 3; ++mode)
        EXPECT_NEAR(0, force[mode], 1e-12 * echelle * (mode < 2 ? 1 : 20 * taille))
            << cas << ": rigid motion " << mode << ", row " << i;
    }
    // Sylvester: the leading minors of what is left are positive.
    const int l[3] = {std::fabs(p[1].y - p[0].y) > std::fabs(p[1].x - p[0].x) ? 4 : 3, 5, 6};
    const auto m = [&](int i, int j) { return ke[l[i]][l[j]] / echelle; };
    const double d1 = m(0, 0), d2 = d1 * m(1, 1) - m(0, 1) * m(1, 0);
    const double d3 = m(0, 0) * (m(1, 1) * m(2, 2) - m(1, 2) * m(2, 1)) -
                      m(0, 1) * (m(1, 0) * m(2, 2) - m(1, 2) * m(2, 0)) +
                      m(0, 2) * (m(1, 0) * m(2, 1) - m(1, 1) * m(2, 0));
    EXPECT_TRUE(d1 > 1e-3 && d2 > 1e-3 * d1 && d3 > 1e-3 * d2) << cas << ": " << d1 << d2 << d3;
  }
}

// Twice the area of (0, 0), (1, 0), (0, y3) is y3: the test 2A < 1e-8 is
// strict; a rejected triangle, degenerate or clockwise, leaves 2A, not A, and
// Ke as it was.
TEST(Triangle, AreaTestIsStrictAndARejectedTriangleLeavesKeAsItWas) {
  const double sousSeuil = std::nextafter(1e-8, 0.0);
  for (const double y3 : {1.0, 1e-8, sousSeuil, 0.0, -1.0}) {
    const bool accepte = y3 >= 1e-8;
    TMatrice66 ke;
    ke[1][1] = 7;
    double aire = 42;
    EXPECT_EQ(accepte, RigiditeElement({{0, 0}, {1, 0}, {0, y3}, 1, 1, 0}, 1, aire, ke)) << y3;
    EXPECT_EQ(accepte ? y3 / 2 : y3, aire) << y3;
    EXPECT_EQ(accepte, ke[1][1] != 7) << y3;
  }
}

}  // namespace
