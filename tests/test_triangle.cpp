// The triangle element on plain values, by its physics; the patch test is in
// test_equations.cpp, and the report's golden cases hold a negative zero ezz.
#include "element/triangle.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <tuple>

namespace {

// Triangles of any size, place and shape, no angle below 15 degrees, in both
// problem types. Ke is symmetric; the translations along x and y and the
// rotation about the origin give no force; with u1, v1 and the displacement
// of vertex 2 across side 1-2 held, which stops the three rigid motions, what
// is left is positive definite. So Ke is
// positive semi-definite with exactly the rigid motions as its null space.
// The same triangle given clockwise is rejected with -2A, Ke untouched.
TEST(Triangle, StiffnessIsPositiveSemiDefiniteWithTheRigidMotionsAsNullSpace) {
  std::mt19937 aleas(20240611);
  std::uniform_real_distribution<double> uniforme(0.0, 1.0);
  const auto reel = [&](double a, double b) { return a + (b - a) * uniforme(aleas); };
  const double pi = std::numbers::pi;
  for (int cas = 0; cas < 400; ++cas) {
    // On a circle, arcs of at least 30 degrees between the vertices give
    // angles of at least 15 degrees, counter-clockwise.
    const double taille = std::pow(10.0, reel(-2, 3)), debut = reel(0, 2 * pi);
    const double arc1 = reel(pi / 6, 5 * pi / 3), arc2 = reel(pi / 6, 11 * pi / 6 - arc1);
    const TPoint centre{taille * reel(-10, 10), taille * reel(-10, 10)};
    const auto sommet = [&](double angle) {
      return TPoint{centre.x + taille * std::cos(angle), centre.y + taille * std::sin(angle)};
    };
    const TPoint p[3] = {sommet(debut), sommet(debut + arc1), sommet(debut + arc1 + arc2)};
    const int type = 1 + cas % 2;
    const double epaisseur = reel(0.1, 10), e = reel(1, 210000), nu = reel(0, 0.45);
    double aire = 0, aireHoraire = 0;
    TMatrice66 ke, keHoraire;
    ASSERT_TRUE(RigiditeElement({p[0], p[1], p[2], epaisseur, e, nu}, type, aire, ke)) << cas;
    EXPECT_NEAR(DeuxFoisAire({p[0], p[1], p[2]}), 2 * aire, 1e-12 * aire) << cas;
    keHoraire[1][1] = 7;
    EXPECT_FALSE(
        RigiditeElement({p[0], p[2], p[1], epaisseur, e, nu}, type, aireHoraire, keHoraire));
    EXPECT_NEAR(-2 * aire, aireHoraire, 1e-12 * aire) << cas;
    EXPECT_EQ(7, keHoraire[1][1]) << cas;

    double echelle = 0;  // the largest diagonal term, the largest term of a PSD matrix
    for (int i = 1; i <= 6; ++i) {
      echelle = std::max(echelle, ke[i][i]);
    }
    for (int i = 1; i <= 6; ++i) {
      double force[3] = {};
      for (int j = 1; j <= 6; ++j) {
        ASSERT_NEAR(ke[i][j], ke[j][i], 1e-14 * echelle) << cas << ": " << i << ", " << j;
        force[j % 2] += ke[i][j];
        force[2] += ke[i][j] * (j % 2 == 1 ? -p[(j - 1) / 2].y : p[(j - 1) / 2].x);
      }
      for (int mode = 0; mode < 3; ++mode) {
        EXPECT_NEAR(0, force[mode], 1e-12 * echelle * (mode < 2 ? 1 : 20 * taille))
            << cas << ": rigid motion " << mode << ", row " << i;
      }
    }
    // Sylvester: the leading minors of what is left are positive.
    const bool travers = std::fabs(p[1].y - p[0].y) > std::fabs(p[1].x - p[0].x);
    const int l[3] = {travers ? 4 : 3, 5, 6};
    const auto m = [&](int i, int j) { return ke[l[i]][l[j]] / echelle; };
    const double d1 = m(0, 0), d2 = d1 * m(1, 1) - m(0, 1) * m(1, 0);
    const double d3 = m(0, 0) * (m(1, 1) * m(2, 2) - m(1, 2) * m(2, 1)) -
                      m(0, 1) * (m(1, 0) * m(2, 2) - m(1, 2) * m(2, 0)) +
                      m(0, 2) * (m(1, 0) * m(2, 1) - m(1, 1) * m(2, 0));
    EXPECT_TRUE(d1 > 1e-3 && d2 > 1e-3 * d1 && d3 > 1e-3 * d2) << cas << ": " << d1 << d2 << d3;
  }
}

// Twice the area of (0, 0), (1, 0), (0, y3) is y3: the test 2A < 1e-8 is
// strict; a rejected triangle leaves 2A, not A, and B as it was.
TEST(Triangle, AreaTestIsStrictAndARejectedTriangleLeavesBAsItWas) {
  const double sousSeuil = std::nextafter(1e-8, 0.0);
  for (const auto& [y3, accepte, aire] : {std::tuple{1.0, true, 0.5},
                                          {1e-8, true, 5e-9},
                                          {sousSeuil, false, sousSeuil},
                                          {0.0, false, 0.0},
                                          {-1.0, false, -1.0}}) {
    TMatrice36 b;
    b[1][1] = 7;
    double obtenue = 42;
    EXPECT_EQ(accepte, MatriceB({{0, 0}, {1, 0}, {0, y3}}, obtenue, b)) << y3;
    EXPECT_EQ(aire, obtenue) << y3;
    EXPECT_EQ(accepte ? -1 : 7, b[1][1]) << y3;
  }
}

}  // namespace
