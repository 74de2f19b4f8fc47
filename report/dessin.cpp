// Drawing of the results as SVG. Model coordinates (mm, y upward) are mapped to
// drawing units (y downward) through the bounding box of the nodes drawn: the
// larger side of the box spans 2 * kDemiCote units, and the largest
// displacement is drawn a tenth of it. Every ratio is formed so that it can
// neither overflow nor divide by zero, since the floating-point traps are still
// on here. A picture that cannot be written leaves no file and one line on
// standard error; it never ends the run.
#include "report/dessin.hpp"

#include <cerrno>
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>

#include "app/erreurs.hpp"
#include "app/fichier_texte.hpp"
#include "app/plateforme.hpp"

namespace {

// Layout, in drawing units (the viewBox is a few hundred units on each side).
constexpr double kDemiCote = 330.0;
constexpr double kDeformationMax = 0.2 * kDemiCote;  // a tenth of the larger side
constexpr double kMarge = kDeformationMax + 84.0;    // deformation, supports, arrows, values
constexpr double kEnTete = 74.0;
constexpr double kLargeurZoneMin = 570.0;
constexpr double kLargeurLegende = 210.0;
constexpr double kHauteurLegende = 470.0;
constexpr double kSymbole = 14.0;  // height of a support symbol
constexpr double kFleche = 30.0;   // length of a load arrow
constexpr double kHauteurEchelle = 240.0;

// Below this half side (mm) the box is degenerate: one point, or a model too
// small for any ratio to be formed safely.
constexpr double kDemiCoteMinimal = 1e-200;

constexpr const char* kCouleurCharges = "#17803d";
constexpr const char* kCouleurNoeuds = "#1f3f99";
// A white outline under the letters keeps them readable on any colour.
constexpr const char* kHalo =
    " stroke=\"#ffffff\" stroke-linejoin=\"round\" paint-order=\"stroke\"";

struct TCouleur {
  int r, g, b;
};
// Blue, light blue, pale yellow, orange, red: black text stays readable on all.
constexpr TCouleur kArrets[] = {
    {44, 123, 182}, {171, 217, 233}, {255, 255, 191}, {253, 174, 97}, {215, 25, 28}};
constexpr int kNbArrets = 5;

double Fini(double valeur) {
  return std::isfinite(valeur) ? valeur : 0.0;
}

double Borne(double valeur, double minimum, double maximum) {
  if (std::isnan(valeur)) {
    return minimum;
  }
  return valeur < minimum ? minimum : (valeur > maximum ? maximum : valeur);
}

// ---------------------------------------------------------------------------
// Output: a small buffer over a raw descriptor. The first failure is kept and
// every later write is dropped, so the caller tests once, at the end.

class TSortieSvg {
 public:
  explicit TSortieSvg(int descripteur) : descripteur_(descripteur) {}
  TSortieSvg(const TSortieSvg&) = delete;
  TSortieSvg& operator=(const TSortieSvg&) = delete;
  ~TSortieSvg() {
    if (descripteur_ >= 0) {
      plateforme::Fermer(descripteur_);
    }
  }

  TSortieSvg& operator<<(std::string_view texte) {
    while (!texte.empty() && erreur_ == 0) {
      const std::size_t place = kTaille - nombre_;
      const std::size_t pris = texte.size() < place ? texte.size() : place;
      std::memcpy(tampon_ + nombre_, texte.data(), pris);
      nombre_ += pris;
      texte.remove_prefix(pris);
      if (nombre_ == kTaille) {
        Transmettre();
      }
    }
    return *this;
  }

  // Hands over the rest and closes; false when anything failed, with the
  // system's error number in Erreur().
  bool Terminer() {
    Transmettre();
    const int descripteur = descripteur_;
    descripteur_ = -1;
    if (plateforme::Fermer(descripteur) != 0 && erreur_ == 0) {
      erreur_ = plateforme::DerniereErreur();
    }
    return erreur_ == 0;
  }

  int Erreur() const { return erreur_; }

 private:
  static constexpr std::size_t kTaille = 4096;

  void Transmettre() {
    const std::size_t nombre = nombre_;
    nombre_ = 0;
    if (erreur_ == 0) {
      erreur_ = plateforme::EcrireTout(descripteur_, tampon_, nombre);
    }
  }

  int descripteur_;
  int erreur_ = 0;
  std::size_t nombre_ = 0;
  char tampon_[kTaille] = {};
};

// One line on standard error, Windows-1252 with CR LF like the console.
void SignalerRaison(const std::string& nom, const std::string& raison) {
  EcrireLigneErreur(
      "Dessin non \xE9"
      "crit : " +
      nom + " (" + raison + ")");
}

// Why the picture's file was refused.
std::string RaisonEchec(int code) {
  switch (code) {
    case ENOENT:
    case ENOTDIR:
      return "dossier introuvable";
    case EACCES:
    case EPERM:
    case EROFS:
      return "acc\xE8s refus\xE9";
    case ENOSPC:
      return "disque plein";
    case EFBIG:
      return "fichier trop grand";
    case EISDIR:
      return "un dossier porte ce nom";
    default:
      return "erreur d'entr\xE9"
             "e-sortie " +
             std::to_string(code);
  }
}

// ---------------------------------------------------------------------------
// Text inside the SVG.

void AjouterUtf8(std::string& texte, std::uint32_t point) {
  if (point < 0x80) {
    texte += static_cast<char>(point);
  } else if (point < 0x800) {
    texte += static_cast<char>(0xC0 | (point >> 6));
    texte += static_cast<char>(0x80 | (point & 0x3F));
  } else if (point < 0x10000) {
    texte += static_cast<char>(0xE0 | (point >> 12));
    texte += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    texte += static_cast<char>(0x80 | (point & 0x3F));
  } else {
    texte += static_cast<char>(0xF0 | (point >> 18));
    texte += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
    texte += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    texte += static_cast<char>(0x80 | (point & 0x3F));
  }
}

// Length of the UTF-8 sequence at `debut` and its code point; 0 when the bytes
// there are not one well-formed sequence.
std::size_t SequenceUtf8(std::string_view octets, std::size_t debut, std::uint32_t& point) {
  const unsigned char premier = static_cast<unsigned char>(octets[debut]);
  std::size_t longueur = 0;
  std::uint32_t minimum = 0;
  if (premier < 0x80) {
    point = premier;
    return 1;
  } else if ((premier & 0xE0) == 0xC0) {
    longueur = 2;
    point = premier & 0x1F;
    minimum = 0x80;
  } else if ((premier & 0xF0) == 0xE0) {
    longueur = 3;
    point = premier & 0x0F;
    minimum = 0x800;
  } else if ((premier & 0xF8) == 0xF0) {
    longueur = 4;
    point = premier & 0x07;
    minimum = 0x10000;
  } else {
    return 0;
  }
  if (debut + longueur > octets.size()) {
    return 0;
  }
  for (std::size_t i = 1; i < longueur; ++i) {
    const unsigned char suite = static_cast<unsigned char>(octets[debut + i]);
    if ((suite & 0xC0) != 0x80) {
      return 0;
    }
    point = (point << 6) | (suite & 0x3F);
  }
  if (point < minimum || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
    return 0;
  }
  return longueur;
}

// Code points of the bytes 0x80..0x9F in Windows-1252; 0 where it has none.
constexpr std::uint16_t kWindows1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// A file name as typed, for the SVG: the program's names are Windows-1252, but
// one typed in a UTF-8 terminal is kept as it is. Markup characters are
// escaped; characters that XML forbids become U+FFFD.
std::string TexteXml(std::string_view octets) {
  std::uint32_t point = 0;
  bool utf8 = true;
  for (std::size_t i = 0; i < octets.size();) {
    const std::size_t longueur = SequenceUtf8(octets, i, point);
    if (longueur == 0) {
      utf8 = false;
      break;
    }
    i += longueur;
  }
  std::string texte;
  for (std::size_t i = 0; i < octets.size();) {
    std::size_t longueur = 1;
    const unsigned char octet = static_cast<unsigned char>(octets[i]);
    if (utf8) {
      longueur = SequenceUtf8(octets, i, point);
    } else if (octet >= 0x80 && octet < 0xA0) {
      point = kWindows1252[octet - 0x80];
    } else {
      point = octet;
    }
    i += longueur;
    if (point == 0 || point < 0x20 || point == 0xFFFE || point == 0xFFFF) {
      point = 0xFFFD;
    }
    switch (point) {
      case '&':
        texte += "&amp;";
        break;
      case '<':
        texte += "&lt;";
        break;
      case '>':
        texte += "&gt;";
        break;
      case '"':
        texte += "&quot;";
        break;
      default:
        AjouterUtf8(texte, point);
        break;
    }
  }
  return texte;
}

// A coordinate of the drawing, one decimal.
std::string N(double valeur) {
  return TexteFixe(Borne(valeur, -1e6, 1e6), 1);
}

// ---------------------------------------------------------------------------
// Geometry of the drawing.

struct TEcran {
  double x = 0.0;
  double y = 0.0;
};

TEcran Plus(TEcran a, TEcran b, double facteur) {
  return {a.x + b.x * facteur, a.y + b.y * facteur};
}

std::string Point(TEcran p) {
  std::string texte = N(p.x);
  texte += ',';
  texte += N(p.y);
  return texte;
}

// Unit vector of (x, y), or (0, 0) for a null one.
TEcran Unitaire(double x, double y) {
  const double longueur = std::hypot(x, y);
  if (!(longueur > 0.0) || !std::isfinite(longueur)) {
    return {0.0, 0.0};
  }
  return {x / longueur, y / longueur};
}

struct TVue {
  double xmin = 0.0;      // mm
  double ymin = 0.0;      // mm
  double demiCote = 1.0;  // half the larger side of the box, mm, > 0
  double largeur = 0.0;   // of the box as drawn
  double hauteur = 0.0;
  double ox = 0.0;  // drawing position of (xmin, ymin + height)
  double oy = 0.0;
  double facteur = 0.0;       // displacement magnification; 0: none drawn
  double deplacementMax = 0;  // mm
  double largeurZone = 0.0;   // of the model's part, the scale beside it
  double largeurTotale = 0.0;
  double hauteurTotale = 0.0;
  TEcran centre;  // of the box as drawn
};

// Each of (x*0.5 - xmin*0.5) and demiCote is at most half the extent, so the
// ratio is at most 1 and nothing overflows, whatever the coordinates.
TEcran Initial(const TVue& vue, const TPoint& p) {
  const double u = (Fini(p.x) * 0.5 - vue.xmin * 0.5) / vue.demiCote;
  const double v = (Fini(p.y) * 0.5 - vue.ymin * 0.5) / vue.demiCote;
  return {vue.ox + u * (2.0 * kDemiCote), vue.oy + vue.hauteur - v * (2.0 * kDemiCote)};
}

// Magnified displacements are at most a tenth of the larger side.
TEcran Deforme(const TVue& vue, const TPoint& p, double ux, double uy) {
  TEcran ecran = Initial(vue, p);
  if (vue.facteur > 0.0) {
    ecran.x += (Fini(ux) * vue.facteur / vue.demiCote) * kDemiCote;
    ecran.y -= (Fini(uy) * vue.facteur / vue.demiCote) * kDemiCote;
  }
  return ecran;
}

// Three significant digits, so that the factor written is the one drawn.
double Arrondi3(double valeur) {
  if (!(valeur > 1e-290 && valeur < 1e290)) {
    return valeur;
  }
  const double puissance = std::pow(10.0, std::floor(std::log10(valeur)) - 2.0);
  return std::floor(valeur / puissance + 0.5) * puissance;
}

// What one run draws: which nodes and elements can be drawn, the
// displacements and the equivalent stresses.
struct TModeleDessine {
  Tableau<bool, NbMaxNoeuds> noeud;  // drawn: given, or named by an item drawn
  Tableau<bool, NbMaxElements> element;
  Tableau<double, NbMaxElements> contrainte;
  int nbElements = 0;  // positions 1..nbElements of the list
  double contrainteMin = 0.0;
  double contrainteMax = 0.0;
  bool uniforme = true;
  double police = 11.0;  // node and element numbers
};

bool NoeudValide(std::int32_t n) {
  return n >= 1 && n <= NbMaxNoeuds;
}

double Ux(const TStructure& s, int n) {
  return Fini(s.F[2 * n - 1]);
}
double Uy(const TStructure& s, int n) {
  return Fini(s.F[2 * n]);
}

// A support code the report names: 1 blocks x, 2 blocks y, 3 both.
bool LiaisonDessinee(const TLiaison* liaison) {
  return liaison != nullptr && liaison->TypeLiaison >= 1 && liaison->TypeLiaison <= 3 &&
         NoeudValide(liaison->Noeud);
}

void Recenser(const TStructure& s, TModeleDessine& m) {
  for (int n = 1; n <= NbMaxNoeuds; ++n) {
    m.noeud[n] = n <= s.NbNoeuds;
  }
  m.nbElements = s.Elements.Nombre < NbMaxElements ? s.Elements.Nombre : NbMaxElements;
  for (int k = 1; k <= NbMaxElements; ++k) {
    m.element[k] = false;
    m.contrainte[k] = 0.0;
  }
  for (int k = 1; k <= m.nbElements; ++k) {
    const TElement* element = s.Elements.Liste[k].get();
    if (element == nullptr) {
      continue;
    }
    bool valide = true;
    for (int j = 1; j <= NbSommets; ++j) {
      valide = valide && NoeudValide(element->Sommets[j]);
    }
    m.element[k] = valide;
    if (valide) {
      for (int j = 1; j <= NbSommets; ++j) {
        m.noeud[element->Sommets[j]] = true;
      }
    }
  }
  const int nbLiaisons = s.NbLiaisons < NbMaxLiaisons ? s.NbLiaisons : NbMaxLiaisons;
  for (int k = 1; k <= nbLiaisons; ++k) {
    const TLiaison* liaison = s.Liaisons.Liste[k].get();
    if (LiaisonDessinee(liaison)) {
      m.noeud[liaison->Noeud] = true;
    }
  }
  const int nbCharges = s.NbCharges < NbMaxCharges ? s.NbCharges : NbMaxCharges;
  for (int k = 1; k <= nbCharges; ++k) {
    const TCharge* charge = s.Charges.Liste[k].get();
    if (charge != nullptr && charge->TypeCharge == 2 && NoeudValide(charge->N1) &&
        NoeudValide(charge->N2)) {
      m.noeud[charge->N1] = true;
      m.noeud[charge->N2] = true;
    }
  }
}

void Contraintes(const TStructure& s, TModeleDessine& m) {
  bool premier = true;
  for (int k = 1; k <= m.nbElements; ++k) {
    if (!m.element[k]) {
      continue;
    }
    TContraintesDeformations resultat;
    ContraintesElement(*s.Elements.Liste[k], resultat);
    const double valeur = ContrainteEquivalente(resultat);
    m.contrainte[k] = valeur;
    if (premier || valeur < m.contrainteMin) {
      m.contrainteMin = valeur;
    }
    if (premier || valeur > m.contrainteMax) {
      m.contrainteMax = valeur;
    }
    premier = false;
  }
  // Differences at the level of rounding are no field to show.
  m.uniforme = !(m.contrainteMax - m.contrainteMin > m.contrainteMax * 1e-9);
}

TVue Cadrer(const TStructure& s, const TModeleDessine& m) {
  TVue vue;
  bool premier = true;
  double xmax = 0.0;
  double ymax = 0.0;
  double deplacementMax = 0.0;
  for (int n = 1; n <= NbMaxNoeuds; ++n) {
    if (!m.noeud[n]) {
      continue;
    }
    const double x = Fini(s.Noeuds[n].x);
    const double y = Fini(s.Noeuds[n].y);
    if (premier || x < vue.xmin) {
      vue.xmin = x;
    }
    if (premier || x > xmax) {
      xmax = x;
    }
    if (premier || y < vue.ymin) {
      vue.ymin = y;
    }
    if (premier || y > ymax) {
      ymax = y;
    }
    premier = false;
    const double deplacement = std::hypot(Ux(s, n), Uy(s, n));
    if (std::isfinite(deplacement) && deplacement > deplacementMax) {
      deplacementMax = deplacement;
    }
  }
  const double demiLargeur = xmax * 0.5 - vue.xmin * 0.5;
  const double demiHauteur = ymax * 0.5 - vue.ymin * 0.5;
  vue.demiCote = demiLargeur > demiHauteur ? demiLargeur : demiHauteur;
  if (!(vue.demiCote > kDemiCoteMinimal)) {
    vue.demiCote = 1.0;  // a single point: drawn at the centre
  }
  vue.largeur = (demiLargeur / vue.demiCote) * (2.0 * kDemiCote);
  vue.hauteur = (demiHauteur / vue.demiCote) * (2.0 * kDemiCote);

  vue.deplacementMax = deplacementMax;
  // Displacements below 1e-250 of the model's size are drawn as none: the
  // factor would overflow.
  if (deplacementMax > 0.0 && deplacementMax >= vue.demiCote * 1e-250) {
    vue.facteur = Arrondi3(0.2 * vue.demiCote / deplacementMax);
  }

  const double largeurModele = vue.largeur + 2.0 * kMarge;
  vue.largeurZone = largeurModele > kLargeurZoneMin ? largeurModele : kLargeurZoneMin;
  const double hauteurModele = vue.hauteur + 2.0 * kMarge;
  const double hauteurZone = hauteurModele > kHauteurLegende ? hauteurModele : kHauteurLegende;
  vue.ox = (vue.largeurZone - vue.largeur) * 0.5;
  vue.oy = kEnTete + (hauteurZone - vue.hauteur) * 0.5;
  vue.largeurTotale = vue.largeurZone + kLargeurLegende;
  vue.hauteurTotale = kEnTete + hauteurZone;
  vue.centre = {vue.ox + vue.largeur * 0.5, vue.oy + vue.hauteur * 0.5};
  return vue;
}

// Node n where the deformed mesh puts it: supports, loads and numbers follow
// the coloured shape, the grey mesh behind it shows where it was.
TEcran Position(const TStructure& s, const TVue& vue, int n) {
  return Deforme(vue, s.Noeuds[n], Ux(s, n), Uy(s, n));
}

// Centroid of the element as deformed.
TEcran Centre(const TStructure& s, const TVue& vue, const TElement& element) {
  TEcran centre;
  for (int j = 1; j <= NbSommets; ++j) {
    const TEcran sommet = Position(s, vue, element.Sommets[j]);
    centre = {centre.x + sommet.x / 3.0, centre.y + sommet.y / 3.0};
  }
  return centre;
}

// Numbers sized to the elements as drawn: readable on a few elements, not
// cluttering a hundred.
double TaillePolice(const TStructure& s, const TVue& vue, const TModeleDessine& m) {
  double somme = 0.0;
  int nombre = 0;
  for (int k = 1; k <= m.nbElements; ++k) {
    if (!m.element[k]) {
      continue;
    }
    const TElement& element = *s.Elements.Liste[k];
    const TEcran a = Initial(vue, s.Noeuds[element.Sommets[1]]);
    const TEcran b = Initial(vue, s.Noeuds[element.Sommets[2]]);
    const TEcran c = Initial(vue, s.Noeuds[element.Sommets[3]]);
    const double aire = std::fabs((b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y)) * 0.5;
    somme += std::sqrt(aire);
    ++nombre;
  }
  const double moyenne = nombre > 0 ? somme / nombre : 0.0;
  return Borne(0.2 * moyenne, 5.0, 11.0);
}

// ---------------------------------------------------------------------------
// Pieces of the drawing.

void Fleche(TSortieSvg& o, TEcran queue, TEcran tete) {
  const TEcran d = Unitaire(tete.x - queue.x, tete.y - queue.y);
  const TEcran n = {-d.y, d.x};
  const TEcran base = Plus(tete, d, -7.0);
  o << "<path d=\"M" << Point(queue) << "L" << Point(base) << "\"/><polygon points=\""
    << Point(tete) << " " << Point(Plus(base, n, 3.0)) << " " << Point(Plus(base, n, -3.0))
    << "\" stroke=\"none\"/>\n";
}

// A support symbol with its apex at the node, pointing against direction d
// (a unit axis): the hinge is a triangle on hatched ground, a roller the same
// triangle on two wheels.
void Symbole(TSortieSvg& o, int code, TEcran noeud, TEcran d) {
  const TEcran p = {d.y, -d.x};
  const auto local = [&](double a, double b) { return Plus(Plus(noeud, p, a), d, b); };
  const double h = kSymbole;
  const double base = code == 3 ? h : 0.72 * h;
  o << "<g class=\"" << (code == 3 ? "rotule" : (code == 1 ? "appui-u" : "appui-v")) << "\">";
  o << "<polygon points=\"" << Point(noeud) << " " << Point(local(-0.6 * h, base)) << " "
    << Point(local(0.6 * h, base)) << "\"/>";
  if (code != 3) {
    for (const double a : {-0.3 * h, 0.3 * h}) {
      const TEcran roue = local(a, 0.86 * h);
      o << "<circle cx=\"" << N(roue.x) << "\" cy=\"" << N(roue.y) << "\" r=\"" << N(0.14 * h)
        << "\"/>";
    }
  }
  o << "<path d=\"M" << Point(local(-0.9 * h, h)) << "L" << Point(local(0.9 * h, h));
  for (int i = 0; i < 4; ++i) {
    const double a = -0.55 * h + i * 0.45 * h;
    o << "M" << Point(local(a, h)) << "L" << Point(local(a - 0.3 * h, 1.3 * h));
  }
  o << "\" fill=\"none\"/></g>\n";
}

// Where a support's symbol goes, away from its node: outside the model, below
// a node of the lower half, left of a node of the left half, and so on.
TEcran CoteLiaison(const TVue& vue, int code, TEcran noeud) {
  if (code == 1) {
    return {noeud.x <= vue.centre.x ? -1.0 : 1.0, 0.0};
  }
  return {0.0, noeud.y >= vue.centre.y ? 1.0 : -1.0};
}

void Liaisons(TSortieSvg& o, const TStructure& s, const TVue& vue) {
  o << "<g class=\"liaisons\" fill=\"#ffffff\" stroke=\"#000000\" stroke-width=\"1\">\n";
  const int nbLiaisons = s.NbLiaisons < NbMaxLiaisons ? s.NbLiaisons : NbMaxLiaisons;
  for (int k = 1; k <= nbLiaisons; ++k) {
    const TLiaison* liaison = s.Liaisons.Liste[k].get();
    if (!LiaisonDessinee(liaison)) {
      continue;
    }
    const TEcran noeud = Position(s, vue, liaison->Noeud);
    Symbole(o, liaison->TypeLiaison, noeud, CoteLiaison(vue, liaison->TypeLiaison, noeud));
  }
  o << "</g>\n";
}

void Charges(TSortieSvg& o, const TStructure& s, const TVue& vue, const TModeleDessine& m) {
  o << "<g class=\"charges\" fill=\"" << kCouleurCharges << "\" stroke=\"" << kCouleurCharges
    << "\" stroke-width=\"1.3\">\n";
  std::string etiquettes;
  const auto etiquette = [&](TEcran p, TEcran d, const std::string& texte) {
    const char* ancre = d.x > 0.35 ? "start" : (d.x < -0.35 ? "end" : "middle");
    double y = p.y + 4.0;
    if (d.y > 0.35) {
      y = p.y + 11.0;
    } else if (d.y < -0.35) {
      y = p.y - 2.0;
    }
    etiquettes += "<text x=\"" + N(p.x) + "\" y=\"" + N(y) + "\" text-anchor=\"" + ancre + "\">" +
                  texte + "</text>\n";
  };
  const int nbCharges = s.NbCharges < NbMaxCharges ? s.NbCharges : NbMaxCharges;
  for (int k = 1; k <= nbCharges; ++k) {
    const TCharge* charge = s.Charges.Liste[k].get();
    if (charge == nullptr) {
      continue;
    }
    // Display axes: y downward.
    const TEcran e = Unitaire(Fini(charge->Fx), -Fini(charge->Fy));
    if (e.x == 0.0 && e.y == 0.0) {
      continue;  // a null load has nothing to show
    }
    const std::string valeur = TexteSignificatif(std::hypot(Fini(charge->Fx), Fini(charge->Fy)));
    if (charge->TypeCharge == 2 && NoeudValide(charge->N1) && NoeudValide(charge->N2)) {
      const TEcran a = Position(s, vue, charge->N1);
      const TEcran b = Position(s, vue, charge->N2);
      const TEcran milieu = {(a.x + b.x) * 0.5, (a.y + b.y) * 0.5};
      // Outward normal of the edge, away from the centre of the model.
      TEcran normale = Unitaire(b.y - a.y, a.x - b.x);
      if (normale.x * (milieu.x - vue.centre.x) + normale.y * (milieu.y - vue.centre.y) < 0.0) {
        normale = {-normale.x, -normale.y};
      }
      if (normale.x == 0.0 && normale.y == 0.0) {
        normale = e;
      }
      const double cosinus = e.x * normale.x + e.y * normale.y;
      const double longueur = std::hypot(b.x - a.x, b.y - a.y);
      const int nombre = static_cast<int>(Borne(longueur / 30.0, 1.0, 8.0)) + 1;
      TEcran premier;
      TEcran dernier;
      TEcran loin;  // far end of the middle arrow, where the value goes
      for (int i = 0; i < nombre; ++i) {
        const double t = static_cast<double>(i) / (nombre - 1);
        TEcran q = {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
        TEcran queue;
        TEcran tete;
        TEcran bout;
        if (cosinus > 0.3) {  // pulling: from the edge outward
          queue = q;
          tete = Plus(q, e, kFleche);
          bout = tete;
        } else if (cosinus < -0.3) {  // pushing: from outside onto the edge
          queue = Plus(q, e, -kFleche);
          tete = q;
          bout = queue;
        } else {  // along the edge: beside it
          q = Plus(q, normale, 8.0);
          queue = Plus(q, e, -0.5 * kFleche);
          tete = Plus(q, e, 0.5 * kFleche);
          bout = q;
        }
        Fleche(o, queue, tete);
        if (i == 0) {
          premier = bout;
        }
        if (i == nombre / 2) {
          loin = bout;
        }
        dernier = bout;
      }
      if (cosinus > 0.3 || cosinus < -0.3) {  // the line joining the far ends
        o << "<path d=\"M" << Point(premier) << "L" << Point(dernier) << "\" fill=\"none\"/>\n";
      }
      const TEcran direction = cosinus > 0.3 ? e : (cosinus < -0.3 ? TEcran{-e.x, -e.y} : normale);
      etiquette(Plus(loin, direction, 5.0), direction, valeur + " N/mm");
    } else if (charge->TypeCharge == 1 && charge->N1 >= 1 && charge->N1 <= m.nbElements &&
               m.element[charge->N1]) {
      // Beside the element's number, which stands at the centroid.
      const TEcran queue = Plus(Centre(s, vue, *s.Elements.Liste[charge->N1]), e, 7.0);
      const TEcran tete = Plus(queue, e, kFleche);
      Fleche(o, queue, tete);
      etiquette(Plus(tete, e, 4.0), e, valeur + " N/mm\xC2\xB3");
    }
  }
  o << "</g>\n<g class=\"valeurs-charges\" fill=\"" << kCouleurCharges << "\" font-size=\"10\""
    << kHalo << " stroke-width=\"2\">\n"
    << etiquettes << "</g>\n";
}

void EnTete(TSortieSvg& o, const TStructure& s, const TVue& vue) {
  o << "<g class=\"titre\" font-size=\"11\" fill=\"#000000\">\n";
  o << "<text x=\"16\" y=\"26\" font-size=\"16\" font-weight=\"bold\">"
    << TexteXml(s.NomFichier + ".txt") << " \xE2\x80\x94 "
    << (s.TypeProbleme == 1 ? "contraintes planes"
                            : "d\xC3\xA9"
                              "formations planes")
    << "</text>\n";
  o << "<text x=\"16\" y=\"46\">";
  if (vue.facteur > 0.0) {
    o << "D\xC3\xA9"
         "form\xC3\xA9"
         "e amplifi\xC3\xA9"
         "e "
      << TexteSignificatif(vue.facteur) << " fois (d\xC3\xA9placement maximal "
      << TexteSignificatif(vue.deplacementMax) << " mm), sur le maillage initial en gris";
  } else {
    o << "D\xC3\xA9placements nuls : la d\xC3\xA9"
         "form\xC3\xA9"
         "e se confond avec le maillage initial";
  }
  o << "</text>\n<text x=\"16\" y=\"62\">Couleur de chaque \xC3\xA9l\xC3\xA9ment : contrainte "
       "\xC3\xA9quivalente de von Mises ; noeuds num\xC3\xA9rot\xC3\xA9s en bleu, "
       "\xC3\xA9l\xC3\xA9ments en italique</text>\n</g>\n";
}

void Maillages(TSortieSvg& o, const TStructure& s, const TVue& vue, const TModeleDessine& m) {
  o << "<path class=\"maillage\" fill=\"none\" stroke=\"#a0a0a0\" stroke-width=\"0.7\" d=\"";
  for (int k = 1; k <= m.nbElements; ++k) {
    if (!m.element[k]) {
      continue;
    }
    const TElement& element = *s.Elements.Liste[k];
    for (int j = 1; j <= NbSommets; ++j) {
      o << (j == 1 ? "M" : "L") << Point(Initial(vue, s.Noeuds[element.Sommets[j]]));
    }
    o << "Z";
  }
  o << "\"/>\n";

  o << "<g class=\"deformee\" stroke=\"#303030\" stroke-width=\"0.6\" "
       "stroke-linejoin=\"round\">\n";
  for (int k = 1; k <= m.nbElements; ++k) {
    if (!m.element[k]) {
      continue;
    }
    const TElement& element = *s.Elements.Liste[k];
    o << "<polygon points=\"";
    for (int j = 1; j <= NbSommets; ++j) {
      const int n = element.Sommets[j];
      o << (j == 1 ? "" : " ") << Point(Deforme(vue, s.Noeuds[n], Ux(s, n), Uy(s, n)));
    }
    const double t =
        m.uniforme ? 0.5
                   : (m.contrainte[k] - m.contrainteMin) / (m.contrainteMax - m.contrainteMin);
    o << "\" fill=\"" << CouleurEchelle(t) << "\"/>\n";
  }
  o << "</g>\n";
}

void Numeros(TSortieSvg& o, const TStructure& s, const TVue& vue, const TModeleDessine& m) {
  const std::string police = N(m.police);
  o << "<g class=\"points-noeuds\" fill=\"" << kCouleurNoeuds << "\">\n";
  for (int n = 1; n <= NbMaxNoeuds; ++n) {
    if (m.noeud[n]) {
      const TEcran p = Position(s, vue, n);
      o << "<circle cx=\"" << N(p.x) << "\" cy=\"" << N(p.y) << "\" r=\"1.6\"/>\n";
    }
  }
  // A node's number goes on the side away from the elements around it, so
  // that it stays clear of the element numbers; inside the mesh, up right.
  Tableau<TEcran, NbMaxNoeuds> voisins;
  Tableau<int, NbMaxNoeuds> nombre;
  for (int n = 1; n <= NbMaxNoeuds; ++n) {
    voisins[n] = {0.0, 0.0};
    nombre[n] = 0;
  }
  for (int k = 1; k <= m.nbElements; ++k) {
    if (m.element[k]) {
      const TElement& element = *s.Elements.Liste[k];
      const TEcran centre = Centre(s, vue, element);
      for (int j = 1; j <= NbSommets; ++j) {
        const int n = element.Sommets[j];
        voisins[n] = Plus(voisins[n], centre, 1.0);
        ++nombre[n];
      }
    }
  }
  const std::string halo = N(0.3 * m.police);
  const int nbLiaisons = s.NbLiaisons < NbMaxLiaisons ? s.NbLiaisons : NbMaxLiaisons;
  o << "</g>\n<g class=\"noeuds\" fill=\"" << kCouleurNoeuds << "\" font-size=\"" << police
    << "\" text-anchor=\"middle\"" << kHalo << " stroke-width=\"" << halo << "\">\n";
  for (int n = 1; n <= NbMaxNoeuds; ++n) {
    if (m.noeud[n]) {
      const TEcran p = Position(s, vue, n);
      TEcran d = {0.6, -0.8};
      if (nombre[n] > 0) {
        const TEcran vers =
            Unitaire(p.x - voisins[n].x / nombre[n], p.y - voisins[n].y / nombre[n]);
        if (vers.x != 0.0 || vers.y != 0.0) {
          d = vers;
        }
      }
      // Not onto a support's symbol: mirrored to the other side of the node.
      for (int k = 1; k <= nbLiaisons; ++k) {
        const TLiaison* liaison = s.Liaisons.Liste[k].get();
        if (LiaisonDessinee(liaison) && liaison->Noeud == n) {
          const TEcran cote = CoteLiaison(vue, liaison->TypeLiaison, p);
          const double produit = d.x * cote.x + d.y * cote.y;
          if (produit > 0.0) {
            d = Plus(d, cote, -2.0 * produit);
          }
        }
      }
      const TEcran texte = Plus(p, d, 0.9 * m.police);
      o << "<text x=\"" << N(texte.x) << "\" y=\"" << N(texte.y + 0.35 * m.police) << "\">"
        << std::to_string(n) << "</text>\n";
    }
  }
  o << "</g>\n<g class=\"elements\" fill=\"#000000\" font-size=\"" << police
    << "\" font-style=\"italic\" text-anchor=\"middle\"" << kHalo << " stroke-width=\"" << halo
    << "\">\n";
  for (int k = 1; k <= m.nbElements; ++k) {
    if (m.element[k]) {
      const TEcran centre = Centre(s, vue, *s.Elements.Liste[k]);
      o << "<text x=\"" << N(centre.x) << "\" y=\"" << N(centre.y + 0.35 * m.police) << "\">"
        << std::to_string(k) << "</text>\n";
    }
  }
  o << "</g>\n";
}

// The colour scale and, below it, a key of the symbols present.
void Legende(TSortieSvg& o, const TStructure& s, const TVue& vue, const TModeleDessine& m) {
  const double x = vue.largeurZone + 10.0;
  const double haut = kEnTete + 44.0;
  const double bas = haut + kHauteurEchelle;
  o << "<g class=\"echelle\" font-size=\"10\" fill=\"#000000\">\n";
  o << "<text x=\"" << N(x) << "\" y=\"" << N(haut - 24.0)
    << "\" font-size=\"11\">Contrainte \xC3\xA9quivalente</text>\n<text x=\"" << N(x) << "\" y=\""
    << N(haut - 10.0) << "\" font-size=\"11\">de von Mises [MPa]</text>\n";
  o << "<rect x=\"" << N(x) << "\" y=\"" << N(haut) << "\" width=\"20\" height=\""
    << N(kHauteurEchelle) << "\" fill=\""
    << (m.uniforme ? CouleurEchelle(0.5) : std::string("url(#echelle)"))
    << "\" stroke=\"#303030\" stroke-width=\"0.6\"/>\n";
  if (m.uniforme) {
    o << "<text x=\"" << N(x + 26.0) << "\" y=\"" << N((haut + bas) * 0.5 + 3.5) << "\">"
      << TexteSignificatif(m.contrainteMax) << " (uniforme)</text>\n";
  } else {
    const double etendue = m.contrainteMax - m.contrainteMin;
    const double pas = etendue / 5.0;
    // Three significant digits of the step between two labels.
    int decimales = 9;
    if (pas > 1e-300) {
      decimales = static_cast<int>(Borne(2.0 - std::floor(std::log10(pas)), 0.0, 9.0));
    }
    for (int i = 0; i <= 5; ++i) {
      const double fraction = i / 5.0;
      const double valeur = m.contrainteMin + etendue * fraction;
      const double y = bas - fraction * kHauteurEchelle;
      o << "<path d=\"M" << N(x + 20.0) << "," << N(y) << "h4\" stroke=\"#303030\"/><text x=\""
        << N(x + 27.0) << "\" y=\"" << N(y + 3.5) << "\">"
        << TexteFixe(i == 5 ? m.contrainteMax : valeur, decimales) << "</text>\n";
    }
  }
  o << "</g>\n";

  bool rotule = false;
  bool appuiU = false;
  bool appuiV = false;
  bool repartie = false;
  bool volume = false;
  const int nbLiaisons = s.NbLiaisons < NbMaxLiaisons ? s.NbLiaisons : NbMaxLiaisons;
  for (int k = 1; k <= nbLiaisons; ++k) {
    const TLiaison* liaison = s.Liaisons.Liste[k].get();
    if (LiaisonDessinee(liaison)) {
      rotule = rotule || liaison->TypeLiaison == 3;
      appuiU = appuiU || liaison->TypeLiaison == 1;
      appuiV = appuiV || liaison->TypeLiaison == 2;
    }
  }
  const int nbCharges = s.NbCharges < NbMaxCharges ? s.NbCharges : NbMaxCharges;
  for (int k = 1; k <= nbCharges; ++k) {
    const TCharge* charge = s.Charges.Liste[k].get();
    if (charge != nullptr && (Fini(charge->Fx) != 0.0 || Fini(charge->Fy) != 0.0)) {
      repartie = repartie || charge->TypeCharge == 2;
      volume = volume || charge->TypeCharge == 1;
    }
  }
  double y = bas + 34.0;
  o << "<g class=\"cle\" font-size=\"10\">\n";
  const auto ligne = [&](const char* texte) {
    o << "<text x=\"" << N(x + 34.0) << "\" y=\"" << N(y + 4.0) << "\" fill=\"#000000\">" << texte
      << "</text>\n";
    y += 30.0;
  };
  const auto symbole = [&](int code, const char* texte) {
    o << "<g fill=\"#ffffff\" stroke=\"#000000\" stroke-width=\"1\">";
    // As at the nodes: u = 0 on a wall at the left, the others on the ground.
    if (code == 1) {
      Symbole(o, code, {x + 19.0, y}, {-1.0, 0.0});
    } else {
      Symbole(o, code, {x + 10.0, y - 7.0}, {0.0, 1.0});
    }
    o << "</g>";
    ligne(texte);
  };
  if (rotule) {
    symbole(3, "Rotule");
  }
  if (appuiU) {
    symbole(1, "u = 0");
  }
  if (appuiV) {
    symbole(2, "v = 0");
  }
  const auto fleche = [&](const char* texte) {
    o << "<g fill=\"" << kCouleurCharges << "\" stroke=\"" << kCouleurCharges
      << "\" stroke-width=\"1.3\">";
    Fleche(o, {x, y}, {x + 24.0, y});
    o << "</g>";
    ligne(texte);
  };
  if (repartie) {
    fleche("Charge r\xC3\xA9partie [N/mm]");
  }
  if (volume) {
    fleche("Force de volume [N/mm\xC2\xB3]");
  }
  o << "</g>\n";
}

void Dessiner(const TStructure& s, TSortieSvg& o) {
  TModeleDessine m;
  Recenser(s, m);
  Contraintes(s, m);
  const TVue vue = Cadrer(s, m);
  m.police = TaillePolice(s, vue, m);

  o << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    << "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " << N(vue.largeurTotale) << " "
    << N(vue.hauteurTotale) << "\" font-family=\"sans-serif\">\n"
    << "<title>" << TexteXml(s.NomFichier + ".txt") << "</title>\n<defs><linearGradient "
    << "id=\"echelle\" x1=\"0\" y1=\"1\" x2=\"0\" y2=\"0\">";
  for (int i = 0; i < kNbArrets; ++i) {
    const double t = static_cast<double>(i) / (kNbArrets - 1);
    o << "<stop offset=\"" << TexteFixe(t, 2) << "\" stop-color=\"" << CouleurEchelle(t) << "\"/>";
  }
  o << "</linearGradient></defs>\n<rect width=\"" << N(vue.largeurTotale) << "\" height=\""
    << N(vue.hauteurTotale) << "\" fill=\"#ffffff\"/>\n";
  EnTete(o, s, vue);
  Maillages(o, s, vue, m);
  Liaisons(o, s, vue);
  Charges(o, s, vue, m);
  Numeros(o, s, vue, m);
  Legende(o, s, vue, m);
  o << "</svg>\n";
}

}  // namespace

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

std::string CouleurEchelle(double t) {
  const double position = Borne(t, 0.0, 1.0) * (kNbArrets - 1);
  int segment = static_cast<int>(position);
  if (segment > kNbArrets - 2) {
    segment = kNbArrets - 2;
  }
  const double u = position - segment;
  const TCouleur& a = kArrets[segment];
  const TCouleur& b = kArrets[segment + 1];
  const auto composante = [u](int debut, int fin) {
    return static_cast<int>(debut + (fin - debut) * u + 0.5);  // within 0..255
  };
  static constexpr char kHexa[] = "0123456789abcdef";
  std::string texte = "#";
  for (const int valeur : {composante(a.r, b.r), composante(a.g, b.g), composante(a.b, b.b)}) {
    texte += kHexa[(valeur >> 4) & 0xF];
    texte += kHexa[valeur & 0xF];
  }
  return texte;
}

std::string TexteFixe(double valeur, int decimales) {
  valeur = Fini(valeur);
  if (decimales < 0) {
    decimales = 0;
  }
  if (decimales > 9) {
    decimales = 9;
  }
  std::uint64_t puissance = 1;
  for (int i = 0; i < decimales; ++i) {
    puissance *= 10;
  }
  const double absolue = std::fabs(valeur);
  // Up to 2^53 units of the last decimal the rounding below is exact enough.
  if (!(absolue < 9e15 / static_cast<double>(puissance))) {
    return TexteSignificatif(valeur);
  }
  const auto unites =
      static_cast<std::uint64_t>(std::floor(absolue * static_cast<double>(puissance) + 0.5));
  TTexteDecimal tampon;
  return std::string(TexteDecimal(tampon, unites, decimales, std::signbit(valeur) && unites != 0));
}

std::string TexteSignificatif(double valeur) {
  valeur = Fini(valeur);
  const double absolue = std::fabs(valeur);
  if (!(absolue >= 1e-300)) {
    return "0";
  }
  int exposant = static_cast<int>(std::floor(std::log10(absolue)));
  if (absolue >= 1e-4 && absolue < 1e7) {
    if (exposant > 2) {  // whole numbers: the digits beyond the third are zeros
      const double unite = std::pow(10.0, exposant - 2);
      const double arrondi = std::floor(absolue / unite + 0.5) * unite;
      return TexteFixe(std::signbit(valeur) ? -arrondi : arrondi, 0);
    }
    std::string texte = TexteFixe(valeur, 2 - exposant);
    if (texte.find('.') != std::string::npos) {
      while (texte.back() == '0') {
        texte.pop_back();
      }
      if (texte.back() == '.') {
        texte.pop_back();
      }
    }
    return texte;
  }
  double mantisse = absolue / std::pow(10.0, exposant);
  mantisse = std::floor(mantisse * 100.0 + 0.5) / 100.0;
  if (mantisse >= 10.0) {
    mantisse = mantisse / 10.0;
    ++exposant;
  }
  std::string texte = TexteFixe(mantisse, 2);
  while (texte.back() == '0') {
    texte.pop_back();
  }
  if (texte.back() == '.') {
    texte.pop_back();
  }
  return (std::signbit(valeur) ? "-" : "") + texte + "e" + std::to_string(exposant);
}

void TStructure::EcritureDessin() {
  // The report's bytes handed over so far reach their file before this one
  // is made: a refusal of theirs ends the run before any picture.
  TFichierTexte::Synchroniser();
  const std::string nom = NomFichier + "r.svg";
  const int descripteur = plateforme::CreerEcriture(nom);
  if (descripteur < 0) {
    SignalerRaison(nom, RaisonEchec(plateforme::DerniereErreur()));
    return;
  }
  TSortieSvg sortie(descripteur);
  // The picture must not disturb the report: a floating-point fault or a
  // run-time error while drawing gives up the picture, not the run.
  std::fenv_t environnement;
  std::feholdexcept(&environnement);
  bool dessine = true;
  try {
    Dessiner(*this, sortie);
  } catch (const std::exception&) {
    dessine = false;
  }
  dessine = dessine && std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID) == 0;
  std::fesetenv(&environnement);
  if (!sortie.Terminer()) {
    std::remove(nom.c_str());  // nothing half-written is left
    SignalerRaison(nom, RaisonEchec(sortie.Erreur()));
  } else if (!dessine) {
    std::remove(nom.c_str());
    SignalerRaison(nom, "calcul du dessin impossible");
  }
}
