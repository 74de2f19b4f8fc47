// The triangle element on plain values, by its physics: the stiffness of any
// non-degenerate triangle is symmetric and positive semi-definite with the
// three rigid motions as its null space, the area test, and the sign of a
// zero out-of-plane strain. The patch test is in test_equations.cpp.
#include "element/triangle.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>

namespace {

using Matrice6 = std::array<std::array<double, 6>, 6>;

// Eigenvalues of a symmetric matrix by cyclic Jacobi rotations, ascending.
std::array<double, 6> ValeursPropres(Matrice6 a) {
  for (int balayage = 0; balayage < 30; ++balayage) {
    for (int p = 0; p < 6; ++p) {
      for (int q = p + 1; q < 6; ++q) {
        if (a[p][q] == 0.0) {
          continue;
        }
        const double theta = (a[q][q] - a[p][p]) / (2.0 * a[p][q]);
        const double t =
            std::copysign(1.0, theta) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
        const double c = 1.0 / std::sqrt(t * t + 1.0), s = t * c;
        for (int k = 0; k < 6; ++k) {
          const double kp = a[k][p], kq = a[k][q];
          a[k][p] = c * kp - s * kq;
          a[k][q] = s * kp + c * kq;
        }
        for (int k = 0; k < 6; ++k) {
          const double pk = a[p][k], qk = a[q][k];
          a[p][k] = c * pk - s * qk;
          a[q][k] = s * pk + c * qk;
        }
      }
    }
  }
  std::array<double, 6> valeurs;
  for (int k = 0; k < 6; ++k) {
    valeurs[k] = a[k][k];
  }
  std::sort(valeurs.begin(), valeurs.end());
  return valeurs;
}

// Triangles of any size, place and shape, no angle below 15 degrees,
// in both problem types: Ke is symmetric to rounding; its eigenvalues are
// three zeros and three positive values; the translations along x and y and
// the rotation about the origin give no force. The same triangle given
// clockwise is rejected with -2A and leaves Ke untouched.
TEST(Triangle, StiffnessIsPositiveSemiDefiniteWithTheRigidMotionsAsNullSpace) {
  std::mt19937 aleas(20240611);
  std::uniform_real_distribution<double> uniforme(0.0, 1.0);
  const auto reel = [&](double a, double b) { return a + (b - a) * uniforme(aleas); };
  const double pi = std::numbers::pi;
  for (int cas = 0; cas < 400; ++cas) {
    // On a circle, arcs of at least 30 degrees between the vertices give
    // angles of at least 15 degrees, counter-clockwise.
    const double taille = std::pow(10.0, reel(-2.0, 3.0)), debut = reel(0.0, 2.0 * pi);
    const double arc1 = reel(pi / 6.0, 5.0 * pi / 3.0);
    const double arc2 = reel(pi / 6.0, 11.0 * pi / 6.0 - arc1);
    const TPoint centre{taille * reel(-10.0, 10.0), taille * reel(-10.0, 10.0)};
    const auto Sommet = [&](double angle) {
      return TPoint{centre.x + taille * std::cos(angle), centre.y + taille * std::sin(angle)};
    };
    const TPoint p1 = Sommet(debut), p2 = Sommet(debut + arc1), p3 = Sommet(debut + arc1 + arc2);
    const int type = 1 + cas % 2;
    const double epaisseur = reel(0.1, 10.0), e = reel(1.0, 210000.0), nu = reel(0.0, 0.45);
    const TTriangle direct{p1, p2, p3, epaisseur, e, nu};
    double aire = 0.0;
    TMatrice66 ke;
    ASSERT_TRUE(RigiditeElement(direct, type, aire, ke)) << cas;
    EXPECT_NEAR(DeuxFoisAire(direct), 2.0 * aire, 1e-12 * aire) << cas;
    double aireHoraire = 0.0;
    TMatrice66 keHoraire;
    keHoraire[1][1] = 7.0;
    EXPECT_FALSE(
        RigiditeElement(TTriangle{p1, p3, p2, epaisseur, e, nu}, type, aireHoraire, keHoraire))
        << cas;
    EXPECT_NEAR(-2.0 * aire, aireHoraire, 1e-12 * aire) << cas;
    EXPECT_EQ(7.0, keHoraire[1][1]) << cas;

    double echelle = 0.0;  // the largest diagonal term, the largest term of a PSD matrix
    for (int i = 1; i <= 6; ++i) {
      echelle = std::max(echelle, ke[i][i]);
    }
    Matrice6 symetrique;
    for (int i = 0; i < 6; ++i) {
      for (int j = 0; j < 6; ++j) {
        ASSERT_NEAR(ke[i + 1][j + 1], ke[j + 1][i + 1], 1e-14 * echelle) << cas << i << j;
        symetrique[i][j] = 0.5 * (ke[i + 1][j + 1] + ke[j + 1][i + 1]);
      }
    }
    const std::array<double, 6> valeurs = ValeursPropres(symetrique);
    for (int k = 0; k < 6; ++k) {
      if (k < 3) {
        EXPECT_NEAR(0.0, valeurs[k], 1e-13 * valeurs[5]) << cas << ": eigenvalue " << k;
      } else {
        EXPECT_GT(valeurs[k], 1e-4 * valeurs[5]) << cas << ": eigenvalue " << k;
      }
    }
    const TPoint q[3] = {p1, p2, p3};
    for (int i = 1; i <= 6; ++i) {
      double force[3] = {};
      for (int j = 1; j <= 6; ++j) {
        const TPoint& sommet = q[(j - 1) / 2];
        force[j % 2] += ke[i][j];
        force[2] += ke[i][j] * (j % 2 == 1 ? -sommet.y : sommet.x);
      }
      for (int mode = 0; mode < 3; ++mode) {
        EXPECT_NEAR(0.0, force[mode], 1e-12 * echelle * (mode < 2 ? 1.0 : 20.0 * taille))
            << cas << ": rigid motion " << mode << ", row " << i;
      }
    }
  }
}

// Twice the area x1 b1 + x2 b2 + x3 b3 of (0, 0), (1, 0), (0, y3) is y3: the
// test 2A < 1e-8 is strict; a rejected triangle leaves 2A, not A, and B as
// it was.
TEST(Triangle, AreaTestIsStrictAndARejectedTriangleLeavesBAsItWas) {
  const double sousSeuil = std::nextafter(1e-8, 0.0);
  const struct {
    double y3;
    bool accepte;
    double aire;
  } cas[] = {
      {1.0, true, 0.5},    {1e-7, true, 5e-8}, {1e-8, true, 5e-9}, {sousSeuil, false, sousSeuil},
      {1e-9, false, 1e-9}, {0.0, false, 0.0},  {-1.0, false, -1.0}};
  for (const auto& c : cas) {
    TMatrice36 b;
    b[1][1] = 7.0;
    double aire = 42.0;
    EXPECT_EQ(c.accepte, MatriceB(TTriangle{{0.0, 0.0}, {1.0, 0.0}, {0.0, c.y3}}, aire, b)) << c.y3;
    EXPECT_EQ(c.aire, aire) << c.y3;
    EXPECT_EQ(c.accepte ? -1.0 : 7.0, b[1][1]) << c.y3;
  }
}

// Pure shear in plane stress: sxx + syy is a positive zero, so
// ezz = -nu (sxx + syy) / E is a negative zero, which the report writes with
// its sign.
TEST(Triangle, PureShearInPlaneStressLeavesANegativeZeroEzz) {
  TVecteur6 u;
  u[4] = 0.001;  // Uy2 of (0, 0), (1, 0), (0, 1): v = 0.001 x
  TContraintesDeformations r;
  ContraintesElement(TTriangle{{0.0, 0.0}, {1.0, 0.0}, {0.0, 1.0}, 1.0, 100.0, 0.25}, 1, u, r);
  EXPECT_DOUBLE_EQ(0.001, r.gxy);
  EXPECT_DOUBLE_EQ(0.04, r.sxy);
  EXPECT_TRUE(r.ezz == 0.0 && std::signbit(r.ezz)) << r.ezz;
}

}  // namespace
