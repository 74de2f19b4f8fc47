// What the picture shows and where, from the solved structure. Every ratio is
// formed so that it can neither overflow nor divide by zero, whatever the
// model: a floating-point fault here gives up the picture.
#include "report/dessin.hpp"

#include <cfloat>
#include <charconv>
#include <cmath>

namespace {

// Layout, in drawing units.
constexpr double kDemiCote = 330.0;                // half the larger side of the model
constexpr double kMarge = 0.2 * kDemiCote + 84.0;  // deformation, supports, arrows, values
constexpr double kEnTete = 74.0;
constexpr double kLargeurZoneMin = 570.0;
constexpr double kLargeurLegende = 210.0;
constexpr double kHauteurLegende = 470.0;
constexpr double kFleche = 30.0;  // length of a load arrow

// Below this half side (mm) the box is degenerate: one point, or a model too
// small for any ratio to be formed safely.
constexpr double kDemiCoteMinimal = 1e-200;

double Fini(double valeur) {
  return std::isfinite(valeur) ? valeur : 0.0;
}

double Borne(double valeur, double minimum, double maximum) {
  if (std::isnan(valeur)) {
    return minimum;
  }
  return valeur < minimum ? minimum : (valeur > maximum ? maximum : valeur);
}

TPlan Plus(TPlan a, TPlan b, double facteur) {
  return {a.x + b.x * facteur, a.y + b.y * facteur};
}

// The nodes' box in mm and where it goes in the drawing.
struct TCadre {
  double xmin = 0.0;
  double ymin = 0.0;
  double demiCote = 1.0;  // half the larger side of the box, > 0
  double largeur = 0.0;   // of the box as drawn
  double hauteur = 0.0;
  TPlan origine;  // drawing position of (xmin, ymin + box height)
  TPlan centre;   // of the box as drawn
};

TPlan Deplacement(const TStructure& s, std::int32_t n) {
  std::int32_t x = 0;
  std::int32_t y = 0;
  s.DdlNoeud(n, x, y);
  return {Fini(s.F[x]), Fini(s.F[y])};
}

// Each of (x*0.5 - xmin*0.5) and demiCote is at most half the extent, so the
// ratio is at most 1 and nothing overflows, whatever the coordinates.
TPlan Initial(const TCadre& cadre, const TPoint& p) {
  const double u = (p.x * 0.5 - cadre.xmin * 0.5) / cadre.demiCote;
  const double v = (p.y * 0.5 - cadre.ymin * 0.5) / cadre.demiCote;
  return {cadre.origine.x + u * (2.0 * kDemiCote),
          cadre.origine.y + cadre.hauteur - v * (2.0 * kDemiCote)};
}

// The box of the nodes, the largest displacement and the factor that makes
// it a tenth of the box's larger side; displacements below 1e-250 of the
// model's size are drawn as none, since the factor would overflow.
TCadre Cadrer(const TStructure& s, TDessin& d) {
  TCadre cadre;
  double xmax = 0.0;
  double ymax = 0.0;
  for (std::int32_t n = 1; n <= s.NbNoeuds; ++n) {
    const TPoint& p = s.Noeuds[n];
    cadre.xmin = n == 1 || p.x < cadre.xmin ? p.x : cadre.xmin;
    xmax = n == 1 || p.x > xmax ? p.x : xmax;
    cadre.ymin = n == 1 || p.y < cadre.ymin ? p.y : cadre.ymin;
    ymax = n == 1 || p.y > ymax ? p.y : ymax;
    const TPlan u = Deplacement(s, n);
    const double deplacement = std::hypot(u.x, u.y);
    if (deplacement > d.deplacementMax) {
      d.deplacementMax = deplacement;
    }
  }
  const double demiLargeur = xmax * 0.5 - cadre.xmin * 0.5;
  const double demiHauteur = ymax * 0.5 - cadre.ymin * 0.5;
  cadre.demiCote = demiLargeur > demiHauteur ? demiLargeur : demiHauteur;
  if (!(cadre.demiCote > kDemiCoteMinimal)) {
    cadre.demiCote = 1.0;  // a single point: drawn at the centre
  }
  cadre.largeur = (demiLargeur / cadre.demiCote) * (2.0 * kDemiCote);
  cadre.hauteur = (demiHauteur / cadre.demiCote) * (2.0 * kDemiCote);
  d.unite = kDemiCote / cadre.demiCote;
  if (d.deplacementMax > 0.0 && d.deplacementMax >= cadre.demiCote * 1e-250) {
    d.facteur = TroisChiffres(0.2 * cadre.demiCote / d.deplacementMax);
  }

  const double largeurModele = cadre.largeur + 2.0 * kMarge;
  const double largeurZone = largeurModele > kLargeurZoneMin ? largeurModele : kLargeurZoneMin;
  const double hauteurModele = cadre.hauteur + 2.0 * kMarge;
  const double hauteurZone = hauteurModele > kHauteurLegende ? hauteurModele : kHauteurLegende;
  cadre.origine = {(largeurZone - cadre.largeur) * 0.5,
                   kEnTete + (hauteurZone - cadre.hauteur) * 0.5};
  cadre.centre = {cadre.origine.x + cadre.largeur * 0.5, cadre.origine.y + cadre.hauteur * 0.5};
  d.largeur = largeurZone + kLargeurLegende;
  d.hauteur = kEnTete + hauteurZone;
  d.echelle = {largeurZone + 10.0, kEnTete + 44.0};
  return cadre;
}

// Each node where it was and where the magnified displacement takes it.
void Placer(const TStructure& s, const TCadre& cadre, TDessin& d) {
  d.nbNoeuds = s.NbNoeuds;
  for (std::int32_t n = 1; n <= s.NbNoeuds; ++n) {
    TNoeudDessine& noeud = d.noeuds[n];
    noeud.initial = Initial(cadre, s.Noeuds[n]);
    noeud.deforme = noeud.initial;
    if (d.facteur > 0.0) {
      const TPlan u = Deplacement(s, n);
      noeud.deforme.x += (u.x * d.facteur / cadre.demiCote) * kDemiCote;
      noeud.deforme.y -= (u.y * d.facteur / cadre.demiCote) * kDemiCote;
    }
  }
}

// Each element's stress and centroid as deformed; the scale runs from the
// lowest stress to the highest.
void Colorer(const TStructure& s, TDessin& d) {
  d.nbElements = s.Elements.Nombre;
  for (std::int32_t k = 1; k <= d.nbElements; ++k) {
    const TElement& element = s.ElementEn(k);
    TElementDessine& dessine = d.elements[k];
    for (int j = 1; j <= NbSommets; ++j) {
      const TPlan sommet = d.noeuds[element.Sommets[j]].deforme;
      dessine.centre = {dessine.centre.x + sommet.x / 3.0, dessine.centre.y + sommet.y / 3.0};
    }
    TContraintesDeformations resultat;
    ContraintesElement(element, resultat);
    dessine.contrainte = ContrainteEquivalente(resultat);
    if (k == 1 || dessine.contrainte < d.contrainteMin) {
      d.contrainteMin = dessine.contrainte;
    }
    if (k == 1 || dessine.contrainte > d.contrainteMax) {
      d.contrainteMax = dessine.contrainte;
    }
  }
  // Differences at the level of rounding are no field to show.
  d.uniforme = !(d.contrainteMax - d.contrainteMin > d.contrainteMax * 1e-9);
  for (std::int32_t k = 1; k <= d.nbElements && !d.uniforme; ++k) {
    d.elements[k].teinte =
        (d.elements[k].contrainte - d.contrainteMin) / (d.contrainteMax - d.contrainteMin);
  }
}

// Numbers sized to the elements as drawn: readable on a few elements, not
// cluttering a hundred.
double TaillePolice(const TStructure& s, const TDessin& d) {
  double somme = 0.0;
  for (std::int32_t k = 1; k <= d.nbElements; ++k) {
    const TElement& element = s.ElementEn(k);
    const TPlan a = d.noeuds[element.Sommets[1]].initial;
    const TPlan b = d.noeuds[element.Sommets[2]].initial;
    const TPlan c = d.noeuds[element.Sommets[3]].initial;
    const double aire = std::fabs((b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y)) * 0.5;
    somme += std::sqrt(aire);
  }
  const double moyenne = d.nbElements > 0 ? somme / d.nbElements : 0.0;
  return Borne(0.2 * moyenne, 5.0, 11.0);
}

// Outside the model: below a node of the lower half, left of a node of the
// left half, and so on.
void PlacerLiaisons(const TStructure& s, const TCadre& cadre, TDessin& d) {
  for (std::int32_t k = 1; k <= s.NbLiaisons; ++k) {
    const TLiaison* liaison = s.Liaisons.Liste[k].get();
    if (liaison == nullptr || liaison->TypeLiaison < 1 || liaison->TypeLiaison > 3) {
      continue;
    }
    const TPlan p = d.noeuds[liaison->Noeud].deforme;
    const TPlan cote = liaison->TypeLiaison == 1 ? TPlan{p.x <= cadre.centre.x ? -1.0 : 1.0, 0.0}
                                                 : TPlan{0.0, p.y >= cadre.centre.y ? 1.0 : -1.0};
    d.liaisons.push_back({liaison->TypeLiaison, liaison->Noeud, p, cote});
  }
}

// A node's number goes on the side away from the elements around it, so that
// it stays clear of their numbers (up right when none), and not onto its
// support's symbol.
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
  const int nombre = static_cast<int>(Borne(std::hypot(b.x - a.x, b.y - a.y) / 30.0, 1.0, 8.0)) + 1;
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

void PlacerCharges(const TStructure& s, const TCadre& cadre, TDessin& d) {
  for (std::int32_t k = 1; k <= s.NbCharges; ++k) {
    const TCharge& charge = s.ChargeEn(k);
    const TPlan e = Unitaire(charge.Fx, -charge.Fy);  // y downward
    if ((charge.TypeCharge != 1 && charge.TypeCharge != 2) || (e.x == 0.0 && e.y == 0.0)) {
      continue;  // ignored, or null: nothing to show
    }
    TChargeDessinee dessinee;
    if (charge.TypeCharge == 2) {
      dessinee =
          ChargeArete(d.noeuds[charge.N1].deforme, d.noeuds[charge.N2].deforme, e, cadre.centre);
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
  if (!(longueur > 0.0) || !std::isfinite(longueur)) {
    return {0.0, 0.0};
  }
  return {x / longueur, y / longueur};
}

TDessin PreparerDessin(const TStructure& s) {
  TDessin d;
  const TCadre cadre = Cadrer(s, d);
  Placer(s, cadre, d);
  Colorer(s, d);
  d.police = TaillePolice(s, d);
  PlacerLiaisons(s, cadre, d);
  PlacerNumeros(s, d);
  PlacerCharges(s, cadre, d);
  return d;
}

double ContrainteEquivalente(const TContraintesDeformations& c) {
  const double sxx = Fini(c.sxx);
  const double syy = Fini(c.syy);
  const double szz = Fini(c.szz);
  const double sxy = Fini(c.sxy);
  double echelle = std::fabs(sxx);
  for (const double composante : {syy, szz, sxy}) {
    if (std::fabs(composante) > echelle) {
      echelle = std::fabs(composante);
    }
  }
  if (!(echelle > 0.0)) {
    return 0.0;
  }
  const double a = sxx / echelle;
  const double b = syy / echelle;
  const double z = szz / echelle;
  const double t = sxy / echelle;
  const double racine =
      std::sqrt(((a - b) * (a - b) + (b - z) * (b - z) + (z - a) * (z - a)) * 0.5 + 3.0 * t * t);
  if (racine > 1.0 && echelle > DBL_MAX / racine) {
    return DBL_MAX;
  }
  return echelle * racine;
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
