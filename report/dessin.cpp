// What the picture shows and where, from the solved structure. Every ratio is
// formed so that it can neither overflow nor divide by zero, whatever the
// model: a floating-point fault here gives up the picture.
#include "report/dessin.hpp"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>

namespace {

// In drawing units.
constexpr double kDemiCote = 330.0;                // half the larger side of the model
constexpr double kMarge = 0.2 * kDemiCote + 84.0;  // deformation, supports, arrows, values
constexpr double kEnTete = 74.0;
constexpr double kFleche = 30.0;  // length of a load arrow

double Fini(double valeur) {
  return std::isfinite(valeur) ? valeur : 0.0;
}

TPlan Plus(TPlan a, TPlan b, double facteur) {
  return {a.x + b.x * facteur, a.y + b.y * facteur};
}

// The nodes as given and displaced, their box centred left of the scale.
void Placer(const TStructure& s, TDessin& d) {
  TPoint min = s.Noeuds[1], max = min;
  Tableau<TPoint, NbMaxNoeuds> u;
  for (std::int32_t n = 1; n <= s.NbNoeuds; ++n) {
    const TPoint& p = s.Noeuds[n];
    min = {std::min(min.x, p.x), std::min(min.y, p.y)};
    max = {std::max(max.x, p.x), std::max(max.y, p.y)};
    std::int32_t x = 0, y = 0;
    s.DdlNoeud(n, x, y);
    u[n] = {Fini(s.F[x]), Fini(s.F[y])};
    d.deplacementMax = std::max(d.deplacementMax, std::hypot(u[n].x, u[n].y));
  }
  // Halves, so that no ratio below exceeds 1 whatever the coordinates.
  // Below 1e-200 mm the box is a point, drawn at the centre.
  const double demiLargeur = max.x * 0.5 - min.x * 0.5, demiHauteur = max.y * 0.5 - min.y * 0.5;
  double demiCote = demiLargeur > demiHauteur ? demiLargeur : demiHauteur;
  demiCote = demiCote > 1e-200 ? demiCote : 1.0;
  const double largeur = demiLargeur / demiCote * (2.0 * kDemiCote),
               hauteur = demiHauteur / demiCote * (2.0 * kDemiCote);
  d.unite = kDemiCote / demiCote;
  // Below 1e-250 of the model's size the factor would overflow: none shown.
  if (d.deplacementMax > 0.0 && d.deplacementMax >= demiCote * 1e-250) {
    d.facteur = TroisChiffres(0.2 * demiCote / d.deplacementMax);
  }
  const double largeurZone = std::max(largeur + 2.0 * kMarge, 570.0),
               hauteurZone = std::max(hauteur + 2.0 * kMarge, 470.0);
  const TPlan origine = {(largeurZone - largeur) * 0.5, kEnTete + (hauteurZone - hauteur) * 0.5};
  d.centre = {origine.x + largeur * 0.5, origine.y + hauteur * 0.5};
  d.largeur = largeurZone + 210.0;
  d.hauteur = kEnTete + hauteurZone;
  d.echelle = {largeurZone + 10.0, kEnTete + 44.0};
  d.nbNoeuds = s.NbNoeuds;
  for (std::int32_t n = 1; n <= s.NbNoeuds; ++n) {
    const TPoint& p = s.Noeuds[n];
    TNoeudDessine& noeud = d.noeuds[n];
    noeud.initial = {
        origine.x + (p.x * 0.5 - min.x * 0.5) / demiCote * (2.0 * kDemiCote),
        origine.y + hauteur - (p.y * 0.5 - min.y * 0.5) / demiCote * (2.0 * kDemiCote)};
    noeud.deforme = noeud.initial;
    if (d.facteur > 0.0) {
      noeud.deforme.x += (u[n].x * d.facteur / demiCote) * kDemiCote;
      noeud.deforme.y -= (u[n].y * d.facteur / demiCote) * kDemiCote;
    }
  }
}

// The numbers are sized to the elements as drawn: readable on a few, not
// cluttering a hundred.
void Colorer(const TStructure& s, TDessin& d) {
  d.nbElements = s.Elements.Nombre;
  double racines = 0.0;
  for (std::int32_t k = 1; k <= d.nbElements; ++k) {
    const Tableau<std::int32_t, NbSommets>& sommets = s.ElementEn(k).Sommets;
    const TPlan a = d.noeuds[sommets[1]].initial, b = d.noeuds[sommets[2]].initial,
                c = d.noeuds[sommets[3]].initial;
    racines += std::sqrt(std::fabs((b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y)) * 0.5);
    TElementDessine& element = d.elements[k];
    for (int j = 1; j <= NbSommets; ++j) {
      const TPlan sommet = d.noeuds[sommets[j]].deforme;
      element.centre = {element.centre.x + sommet.x / 3.0, element.centre.y + sommet.y / 3.0};
    }
    TContraintesDeformations resultat;
    ContraintesElement(s.ElementEn(k), resultat);
    const double v = element.contrainte = ContrainteEquivalente(resultat);
    d.contrainteMin = k == 1 || v < d.contrainteMin ? v : d.contrainteMin;
    d.contrainteMax = k == 1 || v > d.contrainteMax ? v : d.contrainteMax;
  }
  d.police = std::clamp(0.2 * (d.nbElements > 0 ? racines / d.nbElements : 0.0), 5.0, 11.0);
  d.uniforme = !(d.contrainteMax - d.contrainteMin > d.contrainteMax * 1e-9);
  for (std::int32_t k = 1; k <= d.nbElements && !d.uniforme; ++k) {
    d.elements[k].teinte =
        (d.elements[k].contrainte - d.contrainteMin) / (d.contrainteMax - d.contrainteMin);
  }
}

// Outside the model: below a node of the lower half, and so on.
void PlacerLiaisons(const TStructure& s, TDessin& d) {
  for (std::int32_t k = 1; k <= s.NbLiaisons; ++k) {
    const TLiaison* liaison = s.Liaisons.Liste[k].get();
    if (liaison == nullptr || liaison->TypeLiaison < 1 || liaison->TypeLiaison > 3) {
      continue;
    }
    const TPlan p = d.noeuds[liaison->Noeud].deforme;
    const TPlan cote = liaison->TypeLiaison == 1 ? TPlan{p.x <= d.centre.x ? -1.0 : 1.0, 0.0}
                                                 : TPlan{0.0, p.y >= d.centre.y ? 1.0 : -1.0};
    d.liaisons.push_back({liaison->TypeLiaison, liaison->Noeud, p, cote});
  }
}

// A node's number goes away from its elements' numbers (up right when none),
// and off its supports' symbols.
void PlacerNumeros(const TStructure& s, TDessin& d) {
  Tableau<TPlan, NbMaxNoeuds> voisins;
  Tableau<int, NbMaxNoeuds> nombre;
  for (std::int32_t k = 1; k <= d.nbElements; ++k) {
    for (int j = 1; j <= NbSommets; ++j) {
      const std::int32_t noeud = s.ElementEn(k).Sommets[j];
      voisins[noeud] = Plus(voisins[noeud], d.elements[k].centre, 1.0);
      ++nombre[noeud];
    }
  }
  for (std::int32_t n = 1; n <= d.nbNoeuds; ++n) {
    const TPlan p = d.noeuds[n].deforme;
    TPlan cote = {0.6, -0.8};
    if (nombre[n] > 0) {
      const TPlan vers = Unitaire(p.x - voisins[n].x / nombre[n], p.y - voisins[n].y / nombre[n]);
      if (vers.x != 0.0 || vers.y != 0.0) {
        cote = vers;
      }
    }
    for (const TLiaisonDessinee& liaison : d.liaisons) {
      const double produit = cote.x * liaison.cote.x + cote.y * liaison.cote.y;
      if (liaison.noeud == n && produit > 0.0) {
        cote = Plus(cote, liaison.cote, -2.0 * produit);  // mirrored across the node
      }
    }
    d.noeuds[n].numero = Plus(p, cote, 0.9 * d.police);
  }
}

// Arrows along an edge: from it outward when it is pulled, onto it from
// outside when it is pushed, beside it when the load runs along it.
TChargeDessinee ChargeArete(TPlan a, TPlan b, TPlan e, TPlan centre) {
  TChargeDessinee charge;
  const TPlan milieu = {(a.x + b.x) * 0.5, (a.y + b.y) * 0.5};
  TPlan normale = Unitaire(b.y - a.y, a.x - b.x);
  if (normale.x * (milieu.x - centre.x) + normale.y * (milieu.y - centre.y) < 0.0) {
    normale = {-normale.x, -normale.y};
  }
  if (normale.x == 0.0 && normale.y == 0.0) {
    normale = e;
  }
  const double cosinus = e.x * normale.x + e.y * normale.y;
  const double intervalles = std::hypot(b.x - a.x, b.y - a.y) / 30.0;
  const int nombre = (intervalles >= 1.0 ? static_cast<int>(std::min(intervalles, 8.0)) : 1) + 1;
  TPlan loin;  // far end of the middle arrow, where the value goes
  for (int i = 0; i < nombre; ++i) {
    const double t = static_cast<double>(i) / (nombre - 1);
    const TPlan q = {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
    TFleche fleche = {q, Plus(q, e, kFleche)};
    TPlan bout = fleche.tete;
    if (cosinus < -0.3) {
      fleche = {Plus(q, e, -kFleche), q};
      bout = fleche.queue;
    } else if (!(cosinus > 0.3)) {
      bout = Plus(q, normale, 8.0);
      fleche = {Plus(bout, e, -0.5 * kFleche), Plus(bout, e, 0.5 * kFleche)};
    }
    charge.fleches.push_back(fleche);
    charge.extremites = {i == 0 ? bout : charge.extremites.queue, bout};
    loin = i == nombre / 2 ? bout : loin;
  }
  charge.trait = cosinus > 0.3 || cosinus < -0.3;
  charge.vers = cosinus > 0.3 ? e : (cosinus < -0.3 ? TPlan{-e.x, -e.y} : normale);
  charge.etiquette = Plus(loin, charge.vers, 5.0);
  return charge;
}

void PlacerCharges(const TStructure& s, TDessin& d) {
  for (std::int32_t k = 1; k <= s.NbCharges; ++k) {
    const TCharge& charge = s.ChargeEn(k);
    const TPlan e = Unitaire(charge.Fx, -charge.Fy);  // y downward
    if ((charge.TypeCharge != 1 && charge.TypeCharge != 2) || (e.x == 0.0 && e.y == 0.0)) {
      continue;  // ignored, or null: nothing to show
    }
    TChargeDessinee dessinee;
    if (charge.TypeCharge == 2) {
      dessinee = ChargeArete(d.noeuds[charge.N1].deforme, d.noeuds[charge.N2].deforme, e, d.centre);
    } else {
      // Beside the element's number, which stands at the centroid.
      const TPlan queue = Plus(d.elements[charge.N1].centre, e, 7.0);
      dessinee.fleches.push_back({queue, Plus(queue, e, kFleche)});
      dessinee.etiquette = Plus(dessinee.fleches[0].tete, e, 4.0);
      dessinee.vers = e;
    }
    dessinee.type = charge.TypeCharge;
    dessinee.intensite = std::hypot(charge.Fx, charge.Fy);
    d.charges.push_back(dessinee);
  }
}

}  // namespace

TPlan Unitaire(double x, double y) {
  const double longueur = std::hypot(x, y);
  return longueur > 0.0 && std::isfinite(longueur) ? TPlan{x / longueur, y / longueur} : TPlan{};
}

TDessin PreparerDessin(const TStructure& s) {
  TDessin d;
  Placer(s, d);
  Colorer(s, d);
  PlacerLiaisons(s, d);
  PlacerNumeros(s, d);
  PlacerCharges(s, d);
  return d;
}

double ContrainteEquivalente(const TContraintesDeformations& c) {
  const double sxx = Fini(c.sxx), syy = Fini(c.syy), szz = Fini(c.szz), sxy = Fini(c.sxy);
  const double echelle = std::max({std::fabs(sxx), std::fabs(syy), std::fabs(szz), std::fabs(sxy)});
  if (!(echelle > 0.0)) {
    return 0.0;
  }
  const double a = sxx / echelle, b = syy / echelle, z = szz / echelle, t = sxy / echelle;
  const double racine =
      std::sqrt(((a - b) * (a - b) + (b - z) * (b - z) + (z - a) * (z - a)) * 0.5 + 3.0 * t * t);
  return racine > 1.0 && echelle > DBL_MAX / racine ? DBL_MAX : echelle * racine;
}

// The standard library's rounding to three digits, read back.
double TroisChiffres(double valeur) {
  char texte[32];
  const char* fin =
      std::to_chars(texte, texte + sizeof texte, valeur, std::chars_format::scientific, 2).ptr;
  double arrondi = valeur;
  if (!std::isfinite(valeur) || std::from_chars(texte, fin, arrondi).ec != std::errc{}) {
    return valeur;
  }
  return arrondi;
}
