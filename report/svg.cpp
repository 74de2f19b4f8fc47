// The picture written as SVG through the program's text stream, and the
// picture's failure rule: a picture that cannot be written or drawn leaves no
// file and one line on standard error; it never ends the run.
#include <algorithm>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <utility>

#include "app/erreurs.hpp"
#include "app/plateforme.hpp"
#include "report/dessin.hpp"

namespace {

constexpr double kSymbole = 14.0;  // height of a support symbol
constexpr double kHauteurEchelle = 240.0;
constexpr char kCouleurCharges[] = "#17803d";
constexpr char kCouleurNoeuds[] = "#1f3f99";
// A white outline under the letters keeps them readable on any colour.
constexpr char kHalo[] = " stroke=\"#ffffff\" stroke-linejoin=\"round\" paint-order=\"stroke\"";

// Blue, light blue, pale yellow, orange, red: black text stays readable on all.
constexpr int kArrets[][3] = {
    {44, 123, 182}, {171, 217, 233}, {255, 255, 191}, {253, 174, 97}, {215, 25, 28}};
constexpr int kNbArrets = 5;

// With `decimales` decimals, rounded on the exact binary value, and no "-"
// when every digit written is zero; from 10^15 on, three significant digits.
std::string Court(double valeur);
std::string Decimal(double valeur, int decimales) {
  if (!(std::fabs(valeur) < 1e15)) {
    return Court(valeur);
  }
  char texte[32];
  const char* fin =
      std::to_chars(texte, texte + sizeof texte, valeur, std::chars_format::fixed, decimales).ptr;
  const std::string_view ecrit(texte, static_cast<std::size_t>(fin - texte));
  const bool zero = ecrit[0] == '-' && ecrit.find_first_not_of("-0.") == ecrit.npos;
  return std::string(zero ? ecrit.substr(1) : ecrit);
}

// Three significant digits, the shortest way: "19900", "2.5", "7.85e-05".
std::string Court(double valeur) {
  char texte[32];
  return {texte, std::to_chars(texte, texte + sizeof texte, TroisChiffres(valeur)).ptr};
}

// Text through the stream; a real is a coordinate, with one decimal.
class TSvg {
 public:
  explicit TSvg(TFichierTexte& fichier) : fichier_(fichier) {}
  TSvg& operator<<(std::string_view texte) {
    EcrireTexte(fichier_, texte);
    return *this;
  }
  TSvg& operator<<(std::int32_t entier) {
    EcrireEntier(fichier_, entier);
    return *this;
  }
  TSvg& operator<<(double coordonnee) {
    return *this << Decimal(std::clamp(coordonnee, -1e6, 1e6), 1);
  }
  TSvg& operator<<(TPlan p) { return *this << p.x << "," << p.y; }

 private:
  TFichierTexte& fichier_;
};

// Length of the well-formed UTF-8 sequence at `debut` and its code point; 0
// when there is none.
std::size_t SequenceUtf8(std::string_view octets, std::size_t debut, char32_t& point) {
  const auto premier = static_cast<unsigned char>(octets[debut]);
  const std::size_t longueur = premier < 0x80           ? 1
                               : (premier >> 5) == 0x06 ? 2
                               : (premier >> 4) == 0x0E ? 3
                               : (premier >> 3) == 0x1E ? 4
                                                        : 0;
  if (longueur == 0 || debut + longueur > octets.size()) {
    return 0;
  }
  point = longueur == 1 ? premier : premier & (0x7F >> longueur);
  for (std::size_t i = 1; i < longueur; ++i) {
    const auto suite = static_cast<unsigned char>(octets[debut + i]);
    if ((suite & 0xC0) != 0x80) {
      return 0;
    }
    point = point << 6 | (suite & 0x3F);
  }
  constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
  const bool valide =
      point >= kMinimum[longueur] && point <= 0x10FFFF && (point < 0xD800 || point > 0xDFFF);
  return valide ? longueur : 0;
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
  char32_t point = 0;
  bool utf8 = true;
  for (std::size_t i = 0, longueur = 1; utf8 && i < octets.size(); i += longueur) {
    longueur = SequenceUtf8(octets, i, point);
    utf8 = longueur != 0;
  }
  std::string texte;
  for (std::size_t i = 0; i < octets.size();) {
    const auto octet = static_cast<unsigned char>(octets[i]);
    const std::size_t longueur = utf8 ? SequenceUtf8(octets, i, point) : 1;
    if (!utf8) {
      point = octet >= 0x80 && octet < 0xA0 ? kWindows1252[octet - 0x80] : octet;
    }
    i += longueur;
    if (point < 0x20 || point == 0xFFFE || point == 0xFFFF) {
      point = 0xFFFD;
    }
    if (point == '&' || point == '<' || point == '>' || point == '"') {
      texte += point == '&' ? "&amp;" : point == '<' ? "&lt;" : point == '>' ? "&gt;" : "&quot;";
    } else if (point < 0x80) {
      texte += static_cast<char>(point);
    } else {
      const int suites = point < 0x800 ? 1 : point < 0x10000 ? 2 : 3;
      texte += static_cast<char>(((0xF00 >> (suites + 1)) & 0xFF) | point >> (6 * suites));
      for (int k = suites - 1; k >= 0; --k) {
        texte += static_cast<char>(0x80 | ((point >> (6 * k)) & 0x3F));
      }
    }
  }
  return texte;
}

void Fleche(TSvg& o, TPlan queue, TPlan tete) {
  const TPlan d = Unitaire(tete.x - queue.x, tete.y - queue.y);
  const TPlan base = {tete.x - 7.0 * d.x, tete.y - 7.0 * d.y};
  const TPlan gauche = {base.x - 3.0 * d.y, base.y + 3.0 * d.x};
  const TPlan droite = {base.x + 3.0 * d.y, base.y - 3.0 * d.x};
  o << "<path d=\"M" << queue << "L" << base << "\"/><polygon points=\"" << tete << " " << gauche
    << " " << droite << "\" stroke=\"none\"/>\n";
}

// A support symbol with its apex at the node and its base along d: the hinge
// is a triangle on hatched ground, a roller the same triangle on two wheels.
void Symbole(TSvg& o, int code, TPlan noeud, TPlan d) {
  const auto local = [&](double a, double b) {
    return TPlan{noeud.x + d.y * a + d.x * b, noeud.y - d.x * a + d.y * b};
  };
  const double h = kSymbole;
  const double base = code == 3 ? h : 0.72 * h;
  o << "<g class=\"" << (code == 3 ? "rotule" : (code == 1 ? "appui-u" : "appui-v"))
    << "\"><polygon points=\"" << noeud << " " << local(-0.6 * h, base) << " "
    << local(0.6 * h, base) << "\"/>";
  for (const double a : {-0.3 * h, 0.3 * h}) {
    if (code != 3) {
      const TPlan roue = local(a, 0.86 * h);
      o << "<circle cx=\"" << roue.x << "\" cy=\"" << roue.y << "\" r=\"" << 0.14 * h << "\"/>";
    }
  }
  o << "<path d=\"M" << local(-0.9 * h, h) << "L" << local(0.9 * h, h);
  for (int i = 0; i < 4; ++i) {
    const double a = -0.55 * h + i * 0.45 * h;
    o << "M" << local(a, h) << "L" << local(a - 0.3 * h, 1.3 * h);
  }
  o << "\" fill=\"none\"/></g>\n";
}

void EnTete(TSvg& o, const TStructure& s, const TDessin& d) {
  o << "<g class=\"titre\" font-size=\"11\" fill=\"#000000\">\n"
    << "<text x=\"16\" y=\"26\" font-size=\"16\" font-weight=\"bold\">"
    << TexteXml(s.NomFichier + ".txt") << " \xE2\x80\x94 "
    << (s.TypeProbleme == 1 ? "contraintes planes"
                            : "d\xC3\xA9"
                              "formations planes")
    << "</text>\n<text x=\"16\" y=\"46\">";
  if (d.facteur > 0.0) {
    o << "D\xC3\xA9"
         "form\xC3\xA9"
         "e amplifi\xC3\xA9"
         "e "
      << Court(d.facteur) << " fois (d\xC3\xA9placement maximal " << Court(d.deplacementMax)
      << " mm), sur le maillage initial en gris";
  } else {
    o << "D\xC3\xA9placements nuls : la d\xC3\xA9"
         "form\xC3\xA9"
         "e se confond avec le maillage initial";
  }
  o << "</text>\n<text x=\"16\" y=\"62\">Couleur de chaque \xC3\xA9l\xC3\xA9ment : contrainte "
       "\xC3\xA9quivalente de von Mises ; noeuds num\xC3\xA9rot\xC3\xA9s en bleu, "
       "\xC3\xA9l\xC3\xA9ments en italique</text>\n</g>\n";
}

void Maillages(TSvg& o, const TStructure& s, const TDessin& d) {
  o << "<path class=\"maillage\" fill=\"none\" stroke=\"#a0a0a0\" stroke-width=\"0.7\" d=\"";
  for (std::int32_t k = 1; k <= d.nbElements; ++k) {
    for (int j = 1; j <= NbSommets; ++j) {
      o << (j == 1 ? "M" : "L") << d.noeuds[s.ElementEn(k).Sommets[j]].initial;
    }
    o << "Z";
  }
  o << "\"/>\n<g class=\"deformee\" stroke=\"#303030\" stroke-width=\"0.6\" "
       "stroke-linejoin=\"round\">\n";
  for (std::int32_t k = 1; k <= d.nbElements; ++k) {
    o << "<polygon points=\"";
    for (int j = 1; j <= NbSommets; ++j) {
      o << (j == 1 ? "" : " ") << d.noeuds[s.ElementEn(k).Sommets[j]].deforme;
    }
    o << "\" fill=\"" << CouleurEchelle(d.elements[k].teinte) << "\"/>\n";
  }
  o << "</g>\n";
}

void Charges(TSvg& o, const TDessin& d) {
  o << "<g class=\"charges\" fill=\"" << kCouleurCharges << "\" stroke=\"" << kCouleurCharges
    << "\" stroke-width=\"1.3\">\n";
  for (const TChargeDessinee& charge : d.charges) {
    for (const TFleche& fleche : charge.fleches) {
      Fleche(o, fleche.queue, fleche.tete);
    }
    if (charge.trait) {
      o << "<path d=\"M" << charge.extremites.queue << "L" << charge.extremites.tete
        << "\" fill=\"none\"/>\n";
    }
  }
  o << "</g>\n<g class=\"valeurs-charges\" fill=\"" << kCouleurCharges << "\" font-size=\"10\""
    << kHalo << " stroke-width=\"2\">\n";
  for (const TChargeDessinee& charge : d.charges) {
    const TPlan v = charge.vers;
    const double y = v.y > 0.35 ? 11.0 : (v.y < -0.35 ? -2.0 : 4.0);
    o << "<text x=\"" << charge.etiquette.x << "\" y=\"" << charge.etiquette.y + y
      << "\" text-anchor=\"" << (v.x > 0.35 ? "start" : (v.x < -0.35 ? "end" : "middle")) << "\">"
      << Court(charge.intensite) << (charge.type == 2 ? " N/mm" : " N/mm\xC2\xB3") << "</text>\n";
  }
  o << "</g>\n";
}

void Numeros(TSvg& o, const TDessin& d) {
  o << "<g class=\"points-noeuds\" fill=\"" << kCouleurNoeuds << "\">\n";
  for (std::int32_t n = 1; n <= d.nbNoeuds; ++n) {
    o << "<circle cx=\"" << d.noeuds[n].deforme.x << "\" cy=\"" << d.noeuds[n].deforme.y
      << "\" r=\"1.6\"/>\n";
  }
  const double decalage = 0.35 * d.police;  // from the middle of the digits to their base
  o << "</g>\n<g class=\"noeuds\" fill=\"" << kCouleurNoeuds << "\" font-size=\"" << d.police
    << "\" text-anchor=\"middle\"" << kHalo << " stroke-width=\"" << 0.3 * d.police << "\">\n";
  for (std::int32_t n = 1; n <= d.nbNoeuds; ++n) {
    o << "<text x=\"" << d.noeuds[n].numero.x << "\" y=\"" << d.noeuds[n].numero.y + decalage
      << "\">" << n << "</text>\n";
  }
  o << "</g>\n<g class=\"elements\" fill=\"#000000\" font-size=\"" << d.police
    << "\" font-style=\"italic\" text-anchor=\"middle\"" << kHalo << " stroke-width=\""
    << 0.3 * d.police << "\">\n";
  for (std::int32_t k = 1; k <= d.nbElements; ++k) {
    o << "<text x=\"" << d.elements[k].centre.x << "\" y=\"" << d.elements[k].centre.y + decalage
      << "\">" << k << "</text>\n";
  }
  o << "</g>\n";
}

// The colour scale and, below it, a key of the symbols present.
void Legende(TSvg& o, const TDessin& d) {
  const double x = d.echelle.x;
  const double haut = d.echelle.y;
  const double bas = haut + kHauteurEchelle;
  o << "<g class=\"echelle\" font-size=\"10\" fill=\"#000000\">\n<text x=\"" << x << "\" y=\""
    << haut - 24.0 << "\" font-size=\"11\">Contrainte \xC3\xA9quivalente</text>\n<text x=\"" << x
    << "\" y=\"" << haut - 10.0 << "\" font-size=\"11\">de von Mises [MPa]</text>\n<rect x=\"" << x
    << "\" y=\"" << haut << "\" width=\"20\" height=\"" << kHauteurEchelle << "\" fill=\""
    << (d.uniforme ? CouleurEchelle(0.5) : "url(#echelle)")
    << "\" stroke=\"#303030\" stroke-width=\"0.6\"/>\n";
  if (d.uniforme) {
    o << "<text x=\"" << x + 26.0 << "\" y=\"" << (haut + bas) * 0.5 + 3.5 << "\">"
      << Court(d.contrainteMax) << " (uniforme)</text>\n";
  } else {
    const double etendue = d.contrainteMax - d.contrainteMin;
    // Three significant digits of the step between two labels.
    int decimales = 2;
    for (double pas = etendue / 5.0; pas >= 10.0 && decimales > 0; pas /= 10.0) {
      --decimales;
    }
    for (double pas = etendue / 5.0; pas < 1.0 && decimales < 9; pas *= 10.0) {
      ++decimales;
    }
    for (int i = 0; i <= 5; ++i) {
      const double fraction = i / 5.0;
      const double y = bas - fraction * kHauteurEchelle;
      o << "<path d=\"M" << TPlan{x + 20.0, y} << "h4\" stroke=\"#303030\"/><text x=\"" << x + 27.0
        << "\" y=\"" << y + 3.5 << "\">"
        << Decimal(i == 5 ? d.contrainteMax : d.contrainteMin + etendue * fraction, decimales)
        << "</text>\n";
    }
  }
  o << "</g>\n<g class=\"cle\" font-size=\"10\">\n";
  double y = bas + 34.0;
  const auto ligne = [&](const char* texte) {
    o << "<text x=\"" << x + 34.0 << "\" y=\"" << y + 4.0 << "\" fill=\"#000000\">" << texte
      << "</text>\n";
    y += 30.0;
  };
  constexpr std::pair<int, const char*> kSymboles[] = {{3, "Rotule"}, {1, "u = 0"}, {2, "v = 0"}};
  for (const auto& [code, texte] : kSymboles) {
    if (std::any_of(d.liaisons.begin(), d.liaisons.end(),
                    [code = code](const TLiaisonDessinee& l) { return l.code == code; })) {
      // As at the nodes: u = 0 on a wall at the left, the others on the ground.
      o << "<g fill=\"#ffffff\" stroke=\"#000000\" stroke-width=\"1\">";
      Symbole(o, code, code == 1 ? TPlan{x + 19.0, y} : TPlan{x + 10.0, y - 7.0},
              code == 1 ? TPlan{-1.0, 0.0} : TPlan{0.0, 1.0});
      o << "</g>";
      ligne(texte);
    }
  }
  constexpr std::pair<int, const char*> kFleches[] = {{2, "Charge r\xC3\xA9partie [N/mm]"},
                                                      {1, "Force de volume [N/mm\xC2\xB3]"}};
  for (const auto& [type, texte] : kFleches) {
    if (std::any_of(d.charges.begin(), d.charges.end(),
                    [type = type](const TChargeDessinee& c) { return c.type == type; })) {
      o << "<g fill=\"" << kCouleurCharges << "\" stroke=\"" << kCouleurCharges
        << "\" stroke-width=\"1.3\">";
      Fleche(o, {x, y}, {x + 24.0, y});
      o << "</g>";
      ligne(texte);
    }
  }
  o << "</g>\n";
}

}  // namespace

std::string CouleurEchelle(double t) {
  const double position = (std::isnan(t) ? 0.0 : std::clamp(t, 0.0, 1.0)) * (kNbArrets - 1);
  const int segment = std::min(static_cast<int>(position), kNbArrets - 2);
  const double u = position - segment;
  static constexpr char kHexa[] = "0123456789abcdef";
  std::string texte = "#";
  for (int c = 0; c < 3; ++c) {
    const int debut = kArrets[segment][c];
    const int valeur = static_cast<int>(debut + (kArrets[segment + 1][c] - debut) * u + 0.5);
    texte += kHexa[valeur >> 4];
    texte += kHexa[valeur & 0xF];
  }
  return texte;
}

void EcrireSvg(TFichierTexte& fichier, const TStructure& s, const TDessin& d) {
  TSvg o(fichier);
  o << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    << "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " << d.largeur << " " << d.hauteur
    << "\" font-family=\"sans-serif\">\n<title>" << TexteXml(s.NomFichier + ".txt")
    << "</title>\n<defs><linearGradient id=\"echelle\" x1=\"0\" y1=\"1\" x2=\"0\" y2=\"0\">";
  for (int i = 0; i < kNbArrets; ++i) {
    const double t = static_cast<double>(i) / (kNbArrets - 1);
    o << "<stop offset=\"" << Decimal(t, 2) << "\" stop-color=\"" << CouleurEchelle(t) << "\"/>";
  }
  o << "</linearGradient></defs>\n<rect width=\"" << d.largeur << "\" height=\"" << d.hauteur
    << "\" fill=\"#ffffff\"/>\n";
  EnTete(o, s, d);
  Maillages(o, s, d);
  o << "<g class=\"liaisons\" fill=\"#ffffff\" stroke=\"#000000\" stroke-width=\"1\">\n";
  for (const TLiaisonDessinee& liaison : d.liaisons) {
    Symbole(o, liaison.code, liaison.position, liaison.cote);
  }
  o << "</g>\n";
  Charges(o, d);
  Numeros(o, d);
  Legende(o, d);
  o << "</svg>\n";
}

void TStructure::EcritureDessin() {
  const std::string nom = NomFichier + "r.svg";
  TFichierTexte fichier;
  std::string raison;
  if (!fichier.Creer(nom, TEchec::Releve)) {
    raison = RaisonRefus(plateforme::DerniereErreur());
  } else {
    // The picture must not disturb the report: a floating-point fault or a
    // run-time error while drawing gives up the picture, not the run.
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
    if (fichier.Erreur() != 0 || !dessine) {
      std::remove(nom.c_str());  // nothing half-written is left
      raison =
          fichier.Erreur() != 0 ? RaisonRefus(fichier.Erreur()) : "calcul du dessin impossible";
    }
  }
  if (!raison.empty()) {
    EcrireLigneErreur(
        "Dessin non \xE9"
        "crit : " +
        nom + " (" + raison + ")");
  }
}
