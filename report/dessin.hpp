// The picture of a complete analysis, written beside its report as base name
// + "r.svg": the mesh as given, the magnified deformed mesh with each element
// coloured by its von Mises equivalent stress, the supports, the loads and a
// colour scale. Plain self-contained SVG, UTF-8, numbers written without any
// locale. Written by TStructure::EcritureDessin after the report.
#pragma once

#include <string>

#include "element/triangle.hpp"

// The von Mises equivalent stress, MPa, with the out-of-plane stress szz of
// plane strain (0 in plane stress):
// sqrt(((sxx - syy)^2 + (syy - szz)^2 + (szz - sxx)^2) / 2 + 3 sxy^2).
// Formed on components scaled by the largest, so that no square overflows.
double ContrainteEquivalente(const TContraintesDeformations& c);

// "#rrggbb" of the colour scale at t: 0 the lowest stress (blue), 1 the
// highest (red), linear between five stops; t is clamped to 0..1.
std::string CouleurEchelle(double t);

// The value with `decimales` decimals (0..9), rounded half away from zero,
// "." as separator, and no "-" when every digit written is zero. A value too
// large for that is written as TexteSignificatif writes it.
std::string TexteFixe(double valeur, int decimales);

// Three significant digits without trailing zeros ("20800", "2.5", "0.000503"),
// and the form "7.85e-5" below 0.0001 or from 10 000 000 on.
std::string TexteSignificatif(double valeur);
