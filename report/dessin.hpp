// The picture of a complete analysis, base name + "r.svg", written by
// TStructure::EcritureDessin after the report. PreparerDessin (dessin.cpp)
// says what is drawn and where, in drawing units with y downward: the nodes'
// box spans 660 units on its larger side, the largest displacement is
// magnified to a tenth of that, and supports, loads and numbers stand at the
// nodes as deformed. EcrireSvg (svg.cpp) writes it as plain SVG, UTF-8.
#pragma once

#include <string>
#include <vector>

#include "app/fichier_texte.hpp"
#include "element/triangle.hpp"
#include "model/structure.hpp"

struct TPlan {
  double x = 0.0, y = 0.0;
};

struct TNoeudDessine {
  TPlan initial, deforme;
  TPlan numero;  // away from the elements and the supports around the node
};

struct TElementDessine {
  TPlan centre;             // of the deformed triangle, where its number goes
  double contrainte = 0.0;  // von Mises, MPa
  double teinte = 0.5;      // of its colour on the scale, 0 lowest to 1 highest
};

// A support symbol has its apex at the node and its base along `cote`, the
// unit axis away from the model: along x for u = 0, along y otherwise.
struct TLiaisonDessinee {
  int code = 0;  // 1 u = 0, 2 v = 0, 3 hinge
  std::int32_t noeud = 0;
  TPlan position;  // of the node, deformed
  TPlan cote;
};

struct TFleche {
  TPlan queue, tete;
};

// A load that is not null: its arrows, a line joining their far ends when an
// edge is pulled or pushed, and its intensity written at `etiquette`, on the
// side of the unit vector `vers`.
struct TChargeDessinee {
  int type = 0;            // 1 body force (N/mm3), 2 edge load (N/mm)
  double intensite = 0.0;  // of (Fx, Fy)
  std::vector<TFleche> fleches;
  bool trait = false;
  TFleche extremites;  // of the line
  TPlan etiquette, vers;
};

struct TDessin {
  double largeur = 0.0, hauteur = 0.0;  // of the whole drawing
  TPlan centre;                         // of the nodes' box as drawn
  TPlan echelle;                        // top left of the colour scale
  double unite = 0.0;                   // drawing units per mm of the model
  double facteur = 0.0;                 // of the displacements, three digits; 0 when none shows
  double deplacementMax = 0.0;          // mm
  double police = 11.0;                 // of the node and element numbers
  double contrainteMin = 0.0, contrainteMax = 0.0;  // MPa, the ends of the scale
  bool uniforme = true;  // the stresses differ by rounding only: one colour
  std::int32_t nbNoeuds = 0, nbElements = 0;
  Tableau<TNoeudDessine, NbMaxNoeuds> noeuds;
  Tableau<TElementDessine, NbMaxElements> elements;
  std::vector<TLiaisonDessinee> liaisons;  // codes 1 to 3, in list order
  std::vector<TChargeDessinee> charges;    // types 1 and 2, in list order
};

// The structure has been solved and checked (VerificationModele): every
// node and element it names exists. Its stresses are computed through
// Structure, which must be it.
TDessin PreparerDessin(const TStructure& s);

// The von Mises equivalent stress, MPa, with the out-of-plane stress szz of
// plane strain (0 in plane stress):
// sqrt(((sxx - syy)^2 + (syy - szz)^2 + (szz - sxx)^2) / 2 + 3 sxy^2).
// Formed on components scaled by the largest, so that no square overflows.
double ContrainteEquivalente(const TContraintesDeformations& c);

// Unit vector of (x, y), or (0, 0) for a null one.
TPlan Unitaire(double x, double y);

// Rounded to three significant digits, so that a number written is the one
// drawn; unchanged when that is not finite.
double TroisChiffres(double valeur);

// "#rrggbb" of the colour scale at t: 0 the lowest stress (blue), 1 the
// highest (red), linear between five stops; t is clamped to 0..1.
std::string CouleurEchelle(double t);

// The picture as SVG, through the stream. Refusals are the stream's to keep.
void EcrireSvg(TFichierTexte& fichier, const TStructure& s, const TDessin& d);
