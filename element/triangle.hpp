// The three-node constant-strain triangle: what one element contributes.
// Geometry and elasticity (D, plane stress or plane strain), the
// strain-displacement matrix B, the stiffness Ke = A t Bt D B, and the
// constant strains and stresses. Components run xx, yy, xy (engineering shear
// strain); displacements run Ux1, Uy1, Ux2, Uy2, Ux3, Uy3. The routines keep no
// state and reach the nodes, the problem type and F through Structure.
#pragma once

#include "model/structure.hpp"

using TMatrice33 = Tableau<Tableau<double, 3>, 3>;
using TMatrice36 = Tableau<Tableau<double, NbDdlElement>, 3>;
using TMatrice66 = Tableau<Tableau<double, NbDdlElement>, NbDdlElement>;

// Strains first, then stresses (MPa), each in the order xx, yy, xy, zz.
struct TContraintesDeformations {
  double exx = 0.0;
  double eyy = 0.0;
  double gxy = 0.0;
  double ezz = 0.0;
  double sxx = 0.0;
  double syy = 0.0;
  double sxy = 0.0;
  double szz = 0.0;
};

// Twice the signed area, mm2: positive when the vertices run counter-clockwise.
double DeuxFoisAire(const TElement& element);
// Twice the signed area times the thickness, mm3.
double DeuxFoisVolume(const TElement& element);
// Hooke's matrix of the element's material for the current problem type; all
// zero for a type other than 1 and 2.
void MatriceElasticite(const TElement& element, TMatrice33& d);

// B of the element. Accepted (2A >= 1e-8): aire holds A and B is written.
// Rejected: one message line in the results file, aire holds 2A, B untouched.
bool MatriceB(const TElement& element, double& aire, TMatrice36& b);
// Ke of the element; false, with Ke untouched, when MatriceB rejects it.
bool RigiditeElement(const TElement& element, TMatrice66& ke);

// Strains and stresses of an element from the displacements in F.
void ContraintesElement(const TElement& element, TContraintesDeformations& resultat);
