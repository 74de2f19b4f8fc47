// The picture written as SVG through the program's text stream, and its
// failure rule: a picture that cannot be written or drawn leaves no file and
// one line on standard error; it never ends the run.
#include <algorithm>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "app/erreurs.hpp"
#include "app/plateforme.hpp"
#include "report/dessin.hpp"

namespace {

constexpr double kSymbole = 14.0;  // height of a support symbol
constexpr double kHauteurEchelle = 240.0;
constexpr char kCharges[] = "fill=\"#17803d\" stroke=\"#17803d\" stroke-width=\"1.3\"";
constexpr char kLiaisons[] = "fill=\"#ffffff\" stroke=\"#000000\" stroke-width=\"1\"";
// A white outline under the letters keeps them readable on any colour.
constexpr char kHalo[] = " stroke=\"#ffffff\" stroke-linejoin=\"round\" paint-order=\"stroke\"";

// Blue, light blue, pale yellow, orange, red: black text stays readable on all.
constexpr int kArrets[][3] = {
    {44, 123, 182}, {171, 217, 233}, {255, 255, 191}, {253, 174, 97}, {215, 25, 28}};
constexpr int kNbArrets = 5;

// Three significant digits, the shortest way: "19900", "2.5", "7.85e-05".
std::string Court(double valeur) {
  char texte[32];
  return {texte, std::to_chars(texte, texte + sizeof texte, TroisChiffres(valeur)).ptr};
}

// With `decimales` decimals, rounded on the exact binary value; from 10^15
// on, three significant digits.
std::string Decimal(double valeur, int decimales) {
  char texte[32];  // too short from 10^15 on, where the text is not used
  char* fin =
      std::to_chars(texte, texte + sizeof texte, valeur, std::chars_format::fixed, decimales).ptr;
  return std::fabs(valeur) < 1e15 ? std::string(texte, fin) : Court(valeur);
}

// A real is a coordinate, with one decimal; a point is "x,y". A model's "%"
// are replaced by the values, in order.
class TSvg {
 public:
  explicit TSvg(TFichierTexte& fichier) : fichier_(fichier) {}
  TSvg& operator<<(std::string_view texte) {
    EcrireTexte(fichier_, texte);
    return *this;
  }
  TSvg& operator<<(double x) { return *this << Decimal(std::clamp(x, -1e6, 1e6), 1); }
  TSvg& operator<<(TPlan p) { return *this << p.x << "," << p.y; }
  template <typename... T>
  void operator()(std::string_view modele, const T&... valeurs) {
    ((*this << modele.substr(0, modele.find('%')) << valeurs,
      modele.remove_prefix(modele.find('%') + 1)),
     ...);
    *this << modele;
  }

 private:
  TFichierTexte& fichier_;
};

// False when the bytes are not UTF-8 (shortest forms, no surrogate, up to
// U+10FFFF).
bool DecoderUtf8(std::string_view octets, std::u32string& points) {
  constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
  for (std::size_t i = 0; i < octets.size();) {
    const auto premier = static_cast<unsigned char>(octets[i++]);
    const std::size_t suites = premier < 0x80 ? 0 : premier < 0xE0 ? 1 : premier < 0xF0 ? 2 : 3;
    char32_t point = suites == 0 ? premier : premier & (0x3F >> suites);
    bool valide =
        (premier < 0x80 || premier >= 0xC0) && premier < 0xF8 && i + suites <= octets.size();
    for (std::size_t k = 0; k < suites && valide; ++k) {
      const auto suite = static_cast<unsigned char>(octets[i++]);
      valide = (suite & 0xC0) == 0x80;
      point = point << 6 | (suite & 0x3F);
    }
    if (!valide || point < kMinimum[suites] || point > 0x10FFFF ||
        (point >= 0xD800 && point < 0xE000)) {
      return false;
    }
    points += point;
  }
  return true;
}

// Code points of the bytes 0x80..0x9F in Windows-1252; 0 where it has none.
constexpr char16_t kWindows1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// A file name as typed, for the SVG: the program's names are Windows-1252, but
// one typed in a UTF-8 terminal is kept as it is. Markup characters are
// escaped; characters that XML forbids become U+FFFD.
std::string TexteXml(std::string_view octets) {
  std::u32string points;
  if (!DecoderUtf8(octets, points)) {
    points.clear();
    for (const char c : octets) {
      const auto octet = static_cast<unsigned char>(c);
      points += octet >= 0x80 && octet < 0xA0 ? kWindows1252[octet - 0x80] : octet;
    }
  }
  std::string texte;
  for (char32_t point : points) {
    point = point < 0x20 || point == 0xFFFE || point == 0xFFFF ? 0xFFFD : point;
    const int suites = point < 0x80 ? 0 : point < 0x800 ? 1 : point < 0x10000 ? 2 : 3;
    if (point == '&' || point == '<' || point == '>' || point == '"') {
      texte += point == '&' ? "&amp;" : point == '<' ? "&lt;" : point == '>' ? "&gt;" : "&quot;";
    } else {
      texte += static_cast<char>(
          suites == 0 ? point : (0xF00 >> (suites + 1) & 0xFF) | point >> (6 * suites));
    }
    for (int k = suites - 1; k >= 0; --k) {
      texte += static_cast<char>(0x80 | ((point >> (6 * k)) & 0x3F));
    }
  }
  return texte;
}

void Fleche(TSvg& o, TPlan queue, TPlan tete) {
  const TPlan d = Unitaire(tete.x - queue.x, tete.y - queue.y);
  const TPlan base = {tete.x - 7.0 * d.x, tete.y - 7.0 * d.y};
  o("<path d=\"M%L%\"/><polygon points=\"% % %\" stroke=\"none\"/>\n", queue, base, tete,
    TPlan{base.x - 3.0 * d.y, base.y + 3.0 * d.x}, TPlan{base.x + 3.0 * d.y, base.y - 3.0 * d.x});
}

// The hinge is a triangle on hatched ground, a roller the same on two wheels.
void Symbole(TSvg& o, int code, TPlan noeud, TPlan d) {
  const auto local = [&](double a, double b) {
    return TPlan{noeud.x + d.y * a + d.x * b, noeud.y - d.x * a + d.y * b};
  };
  const double h = kSymbole;
  const double base = code == 3 ? h : 0.72 * h;
  o("<g class=\"%\"><polygon points=\"% % %\"/>",
    code == 3 ? "rotule" : (code == 1 ? "appui-u" : "appui-v"), noeud, local(-0.6 * h, base),
    local(0.6 * h, base));
  if (code != 3) {  // a roller's two wheels
    for (const double a : {-0.3 * h, 0.3 * h}) {
      const TPlan roue = local(a, 0.86 * h);
      o("<circle cx=\"%\" cy=\"%\" r=\"%\"/>", roue.x, roue.y, 0.14 * h);
    }
  }
  o("<path d=\"M%L%", local(-0.9 * h, h), local(0.9 * h, h));
  for (int i = 0; i < 4; ++i) {
    const double a = -0.55 * h + i * 0.45 * h;
    o("M%L%", local(a, h), local(a - 0.3 * h, 1.3 * h));
  }
  o("\" fill=\"none\"/></g>\n");
}

// Octal escapes keep the UTF-8 letters apart from the text around them.
void EnTete(TSvg& o, const TStructure& s, const TDessin& d) {
  o("<g class=\"titre\" font-size=\"11\" fill=\"#000000\">\n<text x=\"16\" y=\"26\" "
    "font-size=\"16\" font-weight=\"bold\">% \342\200\224 %</text>\n<text x=\"16\" y=\"46\">",
    TexteXml(s.NomFichier + ".txt"),
    s.TypeProbleme == 1 ? "contraintes planes" : "d\303\251formations planes");
  if (d.facteur > 0.0) {
    o("D\303\251form\303\251e amplifi\303\251e % fois (d\303\251placement maximal % mm), sur le "
      "maillage initial en gris",
      Court(d.facteur), Court(d.deplacementMax));
  } else {
    o("D\303\251placements nuls : la d\303\251form\303\251e se confond avec le maillage initial");
  }
  o("</text>\n<text x=\"16\" y=\"62\">Couleur de chaque \303\251l\303\251ment : contrainte "
    "\303\251quivalente de von Mises ; noeuds num\303\251rot\303\251s en bleu, "
    "\303\251l\303\251ments "
    "en italique</text>\n</g>\n");
}

void Maillages(TSvg& o, const TStructure& s, const TDessin& d) {
  o("<path class=\"maillage\" fill=\"none\" stroke=\"#a0a0a0\" stroke-width=\"0.7\" d=\"");
  for (std::int32_t k = 1; k <= d.nbElements; ++k) {
    const Tableau<std::int32_t, NbSommets>& n = s.ElementEn(k).Sommets;
    o("M%L%L%Z", d.noeuds[n[1]].initial, d.noeuds[n[2]].initial, d.noeuds[n[3]].initial);
  }
  o("\"/>\n<g class=\"deformee\" stroke=\"#303030\" stroke-width=\"0.6\" "
    "stroke-linejoin=\"round\">\n");
  for (std::int32_t k = 1; k <= d.nbElements; ++k) {
    const Tableau<std::int32_t, NbSommets>& n = s.ElementEn(k).Sommets;
    o("<polygon points=\"% % %\" fill=\"%\"/>\n", d.noeuds[n[1]].deforme, d.noeuds[n[2]].deforme,
      d.noeuds[n[3]].deforme, CouleurEchelle(d.elements[k].teinte));
  }
  o("</g>\n<g class=\"liaisons\" %>\n", kLiaisons);
  for (const TLiaisonDessinee& liaison : d.liaisons) {
    Symbole(o, liaison.code, liaison.position, liaison.cote);
  }
  o("</g>\n");
}

// The values over everything drawn so far.
void Charges(TSvg& o, const TDessin& d) {
  o("<g class=\"charges\" %>\n", kCharges);
  for (const TChargeDessinee& charge : d.charges) {
    for (const TFleche& fleche : charge.fleches) {
      Fleche(o, fleche.queue, fleche.tete);
    }
    if (charge.trait) {
      o("<path d=\"M%L%\" fill=\"none\"/>\n", charge.extremites.queue, charge.extremites.tete);
    }
  }
  o("</g>\n<g class=\"valeurs-charges\" fill=\"#17803d\" font-size=\"10\"% stroke-width=\"2\">\n",
    kHalo);
  for (const TChargeDessinee& charge : d.charges) {
    const TPlan v = charge.vers;
    o("<text x=\"%\" y=\"%\" text-anchor=\"%\">% %</text>\n", charge.etiquette.x,
      charge.etiquette.y + (v.y > 0.35 ? 11.0 : (v.y < -0.35 ? -2.0 : 4.0)),
      v.x > 0.35 ? "start" : (v.x < -0.35 ? "end" : "middle"), Court(charge.intensite),
      charge.type == 2 ? "N/mm" : "N/mm\xC2\xB3");
  }
  o("</g>\n");
}

void Numeros(TSvg& o, const TDessin& d) {
  o("<g class=\"points-noeuds\" fill=\"#1f3f99\">\n");
  for (std::int32_t n = 1; n <= d.nbNoeuds; ++n) {
    o("<circle cx=\"%\" cy=\"%\" r=\"1.6\"/>\n", d.noeuds[n].deforme.x, d.noeuds[n].deforme.y);
  }
  const double base = 0.35 * d.police;  // from the middle of the digits down to their base
  for (const bool elements : {false, true}) {
    o(elements
          ? "</g>\n<g class=\"elements\" fill=\"#000000\" font-size=\"%\" font-style=\"italic\" "
            "text-anchor=\"middle\"% stroke-width=\"%\">\n"
          : "</g>\n<g class=\"noeuds\" fill=\"#1f3f99\" font-size=\"%\" text-anchor=\"middle\"% "
            "stroke-width=\"%\">\n",
      d.police, kHalo, 0.3 * d.police);
    for (std::int32_t n = 1; n <= (elements ? d.nbElements : d.nbNoeuds); ++n) {
      const TPlan p = elements ? d.elements[n].centre : d.noeuds[n].numero;
      o("<text x=\"%\" y=\"%\">%</text>\n", p.x, p.y + base, std::to_string(n));
    }
  }
  o("</g>\n");
}

// The colour scale and, below it, a key of the symbols present.
void Legende(TSvg& o, const TDessin& d) {
  const double x = d.echelle.x, haut = d.echelle.y, bas = haut + kHauteurEchelle;
  o("<g class=\"echelle\" font-size=\"10\" fill=\"#000000\">\n<text x=\"%\" y=\"%\" "
    "font-size=\"11\">Contrainte \xC3\xA9quivalente</text>\n<text x=\"%\" y=\"%\" "
    "font-size=\"11\">de von Mises [MPa]</text>\n<rect x=\"%\" y=\"%\" width=\"20\" height=\"%\" "
    "fill=\"%\" stroke=\"#303030\" stroke-width=\"0.6\"/>\n",
    x, haut - 24.0, x, haut - 10.0, x, haut, kHauteurEchelle,
    d.uniforme ? CouleurEchelle(0.5) : "url(#echelle)");
  if (d.uniforme) {
    o("<text x=\"%\" y=\"%\">% (uniforme)</text>\n", x + 26.0, (haut + bas) * 0.5 + 3.5,
      Court(d.contrainteMax));
  }
  // Three significant digits of the step.
  const double etendue = d.contrainteMax - d.contrainteMin;
  int decimales = 2;
  for (double pas = etendue / 5.0; pas >= 10.0 && decimales > 0; pas /= 10.0) {
    --decimales;
  }
  for (double pas = etendue / 5.0; pas < 1.0 && decimales < 9; pas *= 10.0) {
    ++decimales;
  }
  for (int i = 0; i <= 5 && !d.uniforme; ++i) {
    const double y = bas - i / 5.0 * kHauteurEchelle;
    o("<path d=\"M%h4\" stroke=\"#303030\"/><text x=\"%\" y=\"%\">%</text>\n", TPlan{x + 20.0, y},
      x + 27.0, y + 3.5,
      Decimal(i == 5 ? d.contrainteMax : d.contrainteMin + etendue * (i / 5.0), decimales));
  }
  o("</g>\n<g class=\"cle\" font-size=\"10\">\n");
  // Supports by their codes, then loads by their types, negated.
  constexpr std::pair<int, const char*> kCles[] = {{3, "Rotule"},
                                                   {1, "u = 0"},
                                                   {2, "v = 0"},
                                                   {-2, "Charge r\xC3\xA9partie [N/mm]"},
                                                   {-1, "Force de volume [N/mm\xC2\xB3]"}};
  double y = bas + 34.0;
  for (const auto& [code, texte] : kCles) {
    const bool present =
        std::any_of(d.liaisons.begin(), d.liaisons.end(),
                    [code = code](const TLiaisonDessinee& l) { return l.code == code; }) ||
        std::any_of(d.charges.begin(), d.charges.end(),
                    [code = code](const TChargeDessinee& c) { return c.type == -code; });
    if (!present) {
      continue;
    }
    o("<g %>", code < 0 ? kCharges : kLiaisons);
    if (code < 0) {
      Fleche(o, {x, y}, {x + 24.0, y});
    } else {  // as at the nodes: u = 0 on a wall at the left, the others on the ground
      Symbole(o, code, code == 1 ? TPlan{x + 19.0, y} : TPlan{x + 10.0, y - 7.0},
              code == 1 ? TPlan{-1.0, 0.0} : TPlan{0.0, 1.0});
    }
    o("</g><text x=\"%\" y=\"%\" fill=\"#000000\">%</text>\n", x + 34.0, y + 4.0, texte);
    y += 30.0;
  }
  o("</g>\n");
}

}  // namespace

std::string CouleurEchelle(double t) {
  const double position = (std::isnan(t) ? 0.0 : std::clamp(t, 0.0, 1.0)) * (kNbArrets - 1);
  const int segment = std::min(static_cast<int>(position), kNbArrets - 2);
  const double u = position - segment;
  std::string texte = "#";
  for (int c = 0; c < 3; ++c) {
    const int debut = kArrets[segment][c];
    const int valeur = static_cast<int>(debut + (kArrets[segment + 1][c] - debut) * u + 0.5);
    texte += "0123456789abcdef"[valeur >> 4];
    texte += "0123456789abcdef"[valeur & 0xF];
  }
  return texte;
}

void EcrireSvg(TFichierTexte& fichier, const TStructure& s, const TDessin& d) {
  TSvg o(fichier);
  o("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
    "viewBox=\"0 0 % %\" font-family=\"sans-serif\">\n<title>%</title>\n<defs><linearGradient "
    "id=\"echelle\" x1=\"0\" y1=\"1\" x2=\"0\" y2=\"0\">",
    d.largeur, d.hauteur, TexteXml(s.NomFichier + ".txt"));
  for (int i = 0; i < kNbArrets; ++i) {
    const double t = static_cast<double>(i) / (kNbArrets - 1);
    o("<stop offset=\"%\" stop-color=\"%\"/>", Decimal(t, 2), CouleurEchelle(t));
  }
  o("</linearGradient></defs>\n<rect width=\"%\" height=\"%\" fill=\"#ffffff\"/>\n", d.largeur,
    d.hauteur);
  EnTete(o, s, d);
  Maillages(o, s, d);
  Charges(o, d);
  Numeros(o, d);
  Legende(o, d);
  o("</svg>\n");
}

void TStructure::EcritureDessin() {
  const std::string nom = NomFichier + "r.svg";
  TFichierTexte fichier;
  std::string raison = "calcul du dessin impossible";
  if (!fichier.Creer(nom, TEchec::Releve)) {
    raison = RaisonRefus(plateforme::DerniereErreur());
  } else {
    // A floating-point fault or a run-time error gives up the picture only.
    std::fenv_t environnement;
    std::feholdexcept(&environnement);
    bool dessine = true;
    try {
      EcrireSvg(fichier, *this, PreparerDessin(*this));
    } catch (const std::exception&) {
      dessine = false;
    }
    dessine = dessine && std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID) == 0;
    std::fesetenv(&environnement);
    fichier.Fermer();
    if (dessine && fichier.Erreur() == 0) {
      return;
    }
    std::remove(nom.c_str());  // nothing half-written is left
    raison = fichier.Erreur() != 0 ? RaisonRefus(fichier.Erreur()) : raison;
  }
  EcrireLigneErreur("Dessin non \351crit : " + nom + " (" + raison + ")");  // Windows-1252
}
