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
  TPlan initial, deforme, numero;
};

struct TElementDessine {
  TPlan centre;             // of the deformed triangle
  double contrainte = 0.0;  // von Mises, MPa
  double teinte = 0.5;      // on the scale, 0 lowest to 1 highest
};

// Apex at the node, base along `cote`, the unit axis away from the model.
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
// edge is pulled or pushed, its intensity at `etiquette` on the side `vers`.
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
  double contrainteMin = 0.0, contrainteMax = 0.0;  // MPa
  bool uniforme = true;                             // the stresses differ by rounding only
  std::int32_t nbNoeuds = 0, nbElements = 0;
  Tableau<TNoeudDessine, NbMaxNoeuds> noeuds;
  Tableau<TElementDessine, NbMaxElements> elements;
  std::vector<TLiaisonDessinee> liaisons;  // codes 1 to 3, in list order
  std::vector<TChargeDessinee> charges;    // types 1 and 2, in list order
};

// Of a solved, checked structure, which must be Structure (its stresses are
// computed through it).
TDessin PreparerDessin(const TStructure& s);

// Von Mises, MPa, with the szz of plane strain; formed on components scaled
// by the largest, so that no square overflows.
double ContrainteEquivalente(const TContraintesDeformations& c);

TPlan Unitaire(double x, double y);  // (0, 0) for a null vector

// Rounded to three significant digits, so that a number written is the one
// drawn; unchanged when that is not finite.
double TroisChiffres(double valeur);

// "#rrggbb" at t, clamped to 0..1: blue to red, linear between five stops.
std::string CouleurEchelle(double t);

// The picture as SVG, through the stream. Refusals are the stream's to keep.
void EcrireSvg(TFichierTexte& fichier, const TStructure& s, const TDessin& d);
