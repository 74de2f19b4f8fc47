// Constant-strain triangle: what one element contributes.
//   2A = (x2 - x1)(y3 - y1) - (x3 - x1)(y2 - y1), positive counter-clockwise
//   B  = 1/2A [b1 0 b2 0 b3 0; 0 c1 0 c2 0 c3; c1 b1 c2 b2 c3 b3],
//        b1 = y2 - y3, c1 = x3 - x2 and cyclic
//   D  = E/(1-nu2) [1 nu 0; nu 1 0; 0 0 (1-nu)/2] in plane stress,
//        E/((1+nu)(1-2nu)) [1-nu nu 0; nu 1-nu 0; 0 0 (1-2nu)/2] in plane strain
//   Ke = A t Bt D B;  strains e = B u;  stresses s = D e
// Components run xx, yy, xy (engineering shear strain); displacements run Ux1,
// Uy1, Ux2, Uy2, Ux3, Uy3. The arithmetic works on plain values (TTriangle);
// the routines on a TElement are thin callers that fetch its vertices, the
// problem type and F through Structure, and report a rejected element.
#pragma once

#include "model/structure.hpp"

using TMatrice33 = Tableau<Tableau<double, 3>, 3>;
using TMatrice36 = Tableau<Tableau<double, NbDdlElement>, 3>;
using TMatrice66 = Tableau<Tableau<double, NbDdlElement>, NbDdlElement>;
using TVecteur6 = Tableau<double, NbDdlElement>;

// One triangle as plain values: its vertices in vertex order and its material.
struct TTriangle {
  TPoint p1, p2, p3;       // mm
  double Epaisseur = 0.0;  // mm
  double E = 0.0;          // Young's modulus, MPa
  double Nu = 0.0;         // Poisson's ratio
};

// Components in the order xx, yy, xy, zz.
struct TContraintesDeformations {
  double exx = 0.0, eyy = 0.0, gxy = 0.0, ezz = 0.0;  // strains
  double sxx = 0.0, syy = 0.0, sxy = 0.0, szz = 0.0;  // stresses, MPa
};

// Twice the signed area, mm2.
double DeuxFoisAire(const TTriangle& t);
// Hooke's matrix of a material (E in MPa, nu) for problem type 1 (plane
// stress) or 2 (plane strain); all zero for any other type.
void MatriceElasticite(double e, double nu, std::int32_t typeProbleme, TMatrice33& d);
// Accepted when 2A = x1 b1 + x2 b2 + x3 b3 is at least 1e-8 mm2: B written,
// aire = A. Rejected (degenerate or clockwise): aire = 2A, B untouched.
bool MatriceB(const TTriangle& t, double& aire, TMatrice36& b);
// Ke of an accepted triangle, aire as MatriceB leaves it; Ke untouched when
// the triangle is rejected.
bool RigiditeElement(const TTriangle& t, std::int32_t typeProbleme, double& aire, TMatrice66& ke);
// Strains and stresses of an accepted triangle under its six displacements,
// with the out-of-plane component of the problem type: ezz in plane stress,
// szz in plane strain.
void ContraintesElement(const TTriangle& t, std::int32_t typeProbleme, const TVecteur6& u,
                        TContraintesDeformations& resultat);

// The element's vertices, from the nodes of Structure, and its material.
TTriangle Triangle(const TElement& element);

double DeuxFoisAire(const TElement& element);
// Twice the signed area times the thickness, mm3.
double DeuxFoisVolume(const TElement& element);
void MatriceElasticite(const TElement& element, TMatrice33& d);
// A rejected element also gets one line in the results file.
bool MatriceB(const TElement& element, double& aire, TMatrice36& b);
bool RigiditeElement(const TElement& element, TMatrice66& ke);
// Under the displacements in F.
void ContraintesElement(const TElement& element, TContraintesDeformations& resultat);
