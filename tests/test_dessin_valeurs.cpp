// What the picture draws, on a model solved by hand: two separate triangles
// of side L, each held at its right-angle corner and along x at its top
// corner, so that the x force F at its third corner gives it the uniaxial
// stress F / (t L / 2). Then the SVG written from it.
#include <gtest/gtest.h>

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <regex>
#include <string>
#include <vector>

#include "report/dessin.hpp"
#include "tests/structure_en_memoire.hpp"

namespace {

constexpr auto npos = std::string::npos;
constexpr double L = 10.0, t = 2.0, E = 1000.0, nu = 0.25;
// Triangle 1, on the right: 1 N/mm pulls its hypotenuse, 1 N/mm runs along
// its base. Triangle 2, on the left: 2 N/mm push its hypotenuse, 0.6 N/mm3
// along x on its volume.
const double sigma1 = (1.0 * L * std::sqrt(2.0) / 2 + 1.0 * L / 2) / (t * L / 2);
const double sigma2 = -(2.0 * L * std::sqrt(2.0) / 2 + 0.6 * t * L * L / 2 / 3) / (t * L / 2);

// The numbers of a text, in order.
std::vector<double> Nombres(const std::string& texte) {
  static const std::regex nombre("-?[0-9]+(\\.[0-9]+)?(e[-+][0-9]+)?");
  std::vector<double> valeurs;
  for (std::sregex_iterator i(texte.begin(), texte.end(), nombre), fin; i != fin; ++i) {
    valeurs.push_back(std::stod(i->str()));
  }
  return valeurs;
}

// The first group of every match of `motif` in the part of `texte` from
// `debut` to `fin`.
std::vector<std::string> Groupes(const std::string& texte, const std::string& debut,
                                 const std::string& fin, const std::string& motif) {
  const std::size_t i = texte.find(debut);
  const std::string partie = texte.substr(i, texte.find(fin, i) - i);
  std::vector<std::string> groupes;
  const std::regex r(motif);
  for (std::sregex_iterator m(partie.begin(), partie.end(), r), fin; m != fin; ++m) {
    groupes.push_back((*m)[1]);
  }
  return groupes;
}

void ProcheDe(TPlan attendu, double x, double y, double ecart, const std::string& quoi) {
  EXPECT_NEAR(attendu.x, x, ecart) << quoi;
  EXPECT_NEAR(attendu.y, y, ecart) << quoi;
}

class Dessin : public StructureEnMemoire {
 protected:
  void Resoudre() {
    ASSERT_TRUE(S().AssemblageRigidite());
    S().AssemblageForces();
    S().MiseEnPlaceLiaisons();
    ASSERT_TRUE(S().CalculDeplacements());
    S().CalculActionsLiaison();
    d = PreparerDessin(S());
  }

  void DeuxTriangles() {
    S().TypeProbleme = 1;
    Noeuds(1, {{2 * L, 0}, {3 * L, 0}, {2 * L, L}, {L, 0}, {0, 0}, {L, L}, {0, L}});
    Element(1, 2, 3, t, E, nu);
    Element(4, 6, 5, t, E, nu);
    Liaison(1, 1), Liaison(2, 1), Liaison(1, 3), Liaison(4, 2);
    Liaison(3, 4), Liaison(1, 6), Liaison(3, 7);  // node 7 belongs to no element
    Charge(2, 2, 3, 1.0, 0.0);
    Charge(2, 1, 2, 1.0, 0.0);
    Charge(2, 5, 6, 2.0, 0.0);
    Charge(1, 2, 0, 0.6, 0.0);
    Resoudre();
  }

  // The picture written into a file, read back.
  std::string Svg() {
    const std::filesystem::path chemin = donnees::Temporaire().replace_extension(".svg");
    TFichierTexte fichier;
    EXPECT_TRUE(fichier.Creer(chemin.string(), TEchec::Releve));
    EcrireSvg(fichier, S(), d);
    fichier.Fermer();
    EXPECT_EQ(0, fichier.Erreur());
    const std::string texte = donnees::Contenu(chemin);
    std::filesystem::remove(chemin);
    return texte;
  }

  TDessin d;
};

TEST_F(Dessin, NodesMoveByTheirMagnifiedDisplacements) {
  DeuxTriangles();
  const double u2 = sigma1 * L / E, v3 = -nu * u2, u5 = -sigma2 * L / E, v6 = nu * u5;
  const TPoint u[] = {{0, 0}, {u2, 0}, {0, v3}, {0, 0}, {u5, 0}, {0, v6}, {0, 0}};
  EXPECT_NEAR(std::fabs(u5), d.deplacementMax, 1e-12);
  // The larger side, 3 L, spans 660 units; the largest displacement a tenth
  // of it, to the three digits of the factor.
  EXPECT_NEAR(660.0 / (3 * L), d.unite, 1e-12);
  EXPECT_NEAR(1.0, d.facteur * d.deplacementMax / (0.1 * 3 * L), 0.005);
  EXPECT_EQ(d.facteur, TroisChiffres(d.facteur));
  ASSERT_EQ(7, d.nbNoeuds);
  const TNoeudDessine& origine = d.noeuds[1];
  for (int n = 1; n <= 7; ++n) {
    const TPoint& p = S().Noeuds[n];
    const TNoeudDessine& noeud = d.noeuds[n];
    ProcheDe({origine.initial.x + (p.x - 2 * L) * d.unite, origine.initial.y - p.y * d.unite},
             noeud.initial.x, noeud.initial.y, 1e-9, "node " + std::to_string(n) + " as given");
    const double amplifie = d.facteur * d.unite;
    ProcheDe({noeud.initial.x + u[n - 1].x * amplifie, noeud.initial.y - u[n - 1].y * amplifie},
             noeud.deforme.x, noeud.deforme.y, 1e-9, "node " + std::to_string(n) + " deformed");
  }
  EXPECT_TRUE(d.noeuds[5].initial.x > 0 && d.noeuds[2].initial.x < d.echelle.x);
  EXPECT_TRUE(d.noeuds[7].initial.y > 74 && origine.initial.y < d.hauteur);
}

TEST_F(Dessin, ColoursRunFromTheLeastToTheMostStressed) {
  DeuxTriangles();
  EXPECT_NEAR(sigma1, d.contrainteMin, 1e-12 * sigma1);
  EXPECT_NEAR(-sigma2, d.contrainteMax, 1e-12 * sigma1);
  EXPECT_FALSE(d.uniforme);
  EXPECT_EQ(0.0, d.elements[1].teinte);
  EXPECT_EQ(1.0, d.elements[2].teinte);
  for (int k = 1; k <= 2; ++k) {
    const Tableau<std::int32_t, 3>& s = S().Elements.Liste[k]->Sommets;
    TPlan centre;
    for (int j = 1; j <= 3; ++j) {
      centre = {centre.x + d.noeuds[s[j]].deforme.x / 3, centre.y + d.noeuds[s[j]].deforme.y / 3};
    }
    ProcheDe(centre, d.elements[k].centre.x, d.elements[k].centre.y, 1e-9, "centroid");
  }
}

TEST_F(Dessin, SupportsAndNumbersStandOutside) {
  DeuxTriangles();
  struct Attendu {
    int code, noeud;
    TPlan cote;
  } const attendus[] = {{1, 1, {1, 0}}, {2, 1, {0, 1}},  {1, 3, {1, 0}},
                        {3, 4, {0, 1}}, {1, 6, {-1, 0}}, {3, 7, {0, -1}}};
  ASSERT_EQ(std::size(attendus), d.liaisons.size());
  for (std::size_t k = 0; k < d.liaisons.size(); ++k) {
    const TLiaisonDessinee& l = d.liaisons[k];
    EXPECT_EQ(attendus[k].code, l.code);
    EXPECT_EQ(attendus[k].noeud, l.noeud);
    ProcheDe(attendus[k].cote, l.cote.x, l.cote.y, 0, "side of support " + std::to_string(k));
    ProcheDe(d.noeuds[l.noeud].deforme, l.position.x, l.position.y, 0, "at its node");
  }
  // A number is 0.9 font sizes from its node, away from its element, but
  // mirrored off its supports; node 7, alone, goes up right, then mirrored.
  EXPECT_EQ(11.0, d.police);
  for (int n = 1; n <= 7; ++n) {
    const TPlan p = d.noeuds[n].deforme, c = d.elements[n <= 3 ? 1 : 2].centre;
    const TPlan v = {d.noeuds[n].numero.x - p.x, d.noeuds[n].numero.y - p.y};
    EXPECT_NEAR(0.9 * d.police, std::hypot(v.x, v.y), 1e-9) << n;
    EXPECT_TRUE((n != 2 && n != 5) || v.x * (p.x - c.x) + v.y * (p.y - c.y) > 0) << n;
    for (const TLiaisonDessinee& l : d.liaisons) {
      EXPECT_TRUE(l.noeud != n || v.x * l.cote.x + v.y * l.cote.y <= 0) << n;
    }
  }
  ProcheDe({0.6 * 9.9, 0.8 * 9.9}, d.noeuds[7].numero.x - d.noeuds[7].deforme.x,
           d.noeuds[7].numero.y - d.noeuds[7].deforme.y, 1e-9, "node 7");
}

TEST_F(Dessin, LoadArrowsPointTheWayTheLoadsAct) {
  DeuxTriangles();
  ASSERT_EQ(4u, d.charges.size());
  const auto noeud = [&](int n) { return d.noeuds[n].deforme; };
  struct Attendu {
    int type;
    double intensite;
    TPlan debut, fin;  // of the arrows' feet on the edge (heads when pushed)
    bool pousse, trait;
    TPlan vers;
  } const attendus[] = {{2, 1.0, noeud(2), noeud(3), false, true, {1, 0}},
                        {2, 1.0, noeud(1), noeud(2), false, false, {0, 1}},
                        {2, 2.0, noeud(5), noeud(6), true, true, {-1, 0}},
                        {1, 0.6, {}, {}, false, false, {1, 0}}};
  for (std::size_t k = 0; k < 4; ++k) {
    const Attendu& a = attendus[k];
    const TChargeDessinee& c = d.charges[k];
    SCOPED_TRACE(k);
    EXPECT_EQ(a.type, c.type);
    EXPECT_DOUBLE_EQ(a.intensite, c.intensite);
    EXPECT_EQ(a.trait, c.trait);
    ProcheDe(a.vers, c.vers.x, c.vers.y, 1e-12, "side of the value");
    for (const TFleche& f : c.fleches) {
      ProcheDe({f.queue.x + 30, f.queue.y}, f.tete.x, f.tete.y, 1e-9, "arrow along x");
    }
    if (a.type == 1) {
      ASSERT_EQ(1u, c.fleches.size());
      ProcheDe({d.elements[2].centre.x + 7, d.elements[2].centre.y}, c.fleches[0].queue.x,
               c.fleches[0].queue.y, 1e-9, "body force beside the element's number");
      continue;
    }
    ASSERT_GE(c.fleches.size(), 2u);
    const auto pied = [&](const TFleche& f) {
      // Along the edge, the arrows stand 8 units outside it.
      const TPlan milieu = {(f.queue.x + f.tete.x) / 2, (f.queue.y + f.tete.y) / 2 - 8};
      return a.vers.y == 1 ? milieu : a.pousse ? f.tete : f.queue;
    };
    const TPlan premier = pied(c.fleches.front()), dernier = pied(c.fleches.back());
    ProcheDe(a.debut, premier.x, premier.y, 1e-9, "first arrow");
    ProcheDe(a.fin, dernier.x, dernier.y, 1e-9, "last arrow");
    if (c.trait) {  // through the far ends
      const TFleche& f = c.fleches.back();
      ProcheDe(a.pousse ? f.queue : f.tete, c.extremites.tete.x, c.extremites.tete.y, 1e-9, "line");
    }
  }
}

TEST_F(Dessin, SvgWritesWhatIsDrawn) {
  DeuxTriangles();
  const std::string svg = Svg();
  // The deformed triangles with their colours, the mesh as given under them.
  const std::vector<std::string> polygones =
      Groupes(svg, "<g class=\"deformee\"", "<g class=\"liaisons\"",
              "<polygon points=\"([^\"]*)\" fill=\"(#[0-9a-f]{6})\"");
  ASSERT_EQ(2u, polygones.size());
  EXPECT_NE(npos, svg.find("fill=\"#2c7bb6\"/>\n<polygon"));  // the least stressed first
  EXPECT_NE(npos, svg.find("fill=\"#d7191c\"/>\n</g>"));
  const std::vector<double> maillage =
      Nombres(Groupes(svg, "<path class=\"maillage\"", "<g", " d=\"([^\"]*)\"").at(0));
  ASSERT_EQ(12u, maillage.size());
  for (int k = 1; k <= 2; ++k) {
    const std::vector<double> points = Nombres(polygones[k - 1]);
    ASSERT_EQ(6u, points.size());
    for (int j = 1; j <= 3; ++j) {
      const TNoeudDessine& n = d.noeuds[S().Elements.Liste[k]->Sommets[j]];
      ProcheDe(n.deforme, points[2 * j - 2], points[2 * j - 1], 0.05, "deformed vertex");
      const double* m = &maillage[6 * k - 6 + 2 * j - 2];
      ProcheDe(n.initial, m[0], m[1], 0.05, "vertex as given");
    }
  }
  // Supports: the apex at the node, the base a symbol's height away.
  const std::vector<std::string> symboles =
      Groupes(svg, "<g class=\"liaisons\"", "<g class=\"charges\"",
              "<g class=\"([a-z-]+\"><polygon points=\"[^\"]*)\"");
  ASSERT_EQ(d.liaisons.size(), symboles.size());
  for (std::size_t k = 0; k < symboles.size(); ++k) {
    const TLiaisonDessinee& l = d.liaisons[k];
    const char* classes[] = {"appui-u\"", "appui-v\"", "rotule\""};
    EXPECT_TRUE(symboles[k].starts_with(classes[l.code - 1])) << symboles[k];
    const std::vector<double> p = Nombres(symboles[k]);
    const double hauteur = l.code == 3 ? 14 : 0.72 * 14;
    ProcheDe(l.position, p[0], p[1], 0.05, "apex");
    ProcheDe({l.position.x + hauteur * l.cote.x, l.position.y + hauteur * l.cote.y},
             (p[2] + p[4]) / 2, (p[3] + p[5]) / 2, 0.1, "base");
  }
  // Arrows: the shaft from the tail, the head's tip at the arrow's head.
  const std::vector<std::string> fleches =
      Groupes(svg, "<g class=\"charges\"", "<g class=\"valeurs-charges\"",
              "(<path d=\"M[^\"]*\"/><polygon points=\"[^\"]*\")");
  std::size_t i = 0;
  for (const TChargeDessinee& c : d.charges) {
    for (const TFleche& f : c.fleches) {
      ASSERT_LT(i, fleches.size());
      const std::vector<double> p = Nombres(fleches[i++]);
      ProcheDe(f.queue, p[0], p[1], 0.05, "tail");
      ProcheDe(f.tete, p[4], p[5], 0.05, "tip");
      const double base = std::hypot(p[4] - p[2], p[5] - p[3]);
      ProcheDe({(f.tete.x - f.queue.x) / 30, (f.tete.y - f.queue.y) / 30}, (p[4] - p[2]) / base,
               (p[5] - p[3]) / base, 0.02, "head");
    }
  }
  EXPECT_EQ(i, fleches.size());
  // The scale's six values from the lowest stress up to the highest.
  const std::vector<std::string> valeurs = Groupes(svg, "<g class=\"echelle\"", "<g class=\"cle\"",
                                                   "h4\" stroke=\"#303030\"/><text [^>]*>([^<]*)<");
  ASSERT_EQ(6u, valeurs.size());
  EXPECT_NEAR(d.contrainteMin, std::stod(valeurs.front()), 5e-4);
  EXPECT_NEAR(d.contrainteMax, std::stod(valeurs.back()), 5e-4);
  EXPECT_NEAR(d.contrainteMin + 0.4 * (d.contrainteMax - d.contrainteMin), std::stod(valeurs[2]),
              5e-4);
  // The heading's factor is the one drawn; the values of the loads.
  std::smatch m;
  ASSERT_TRUE(std::regex_search(svg, m, std::regex("e (\\S+) fois \\(d\\S+ maximal (\\S+) mm")));
  EXPECT_EQ(d.facteur, std::stod(m[1]));
  EXPECT_NEAR(1.0, std::stod(m[2]) / d.deplacementMax, 0.005);
  EXPECT_EQ((std::vector<std::string>{"1 N/mm", "1 N/mm", "2 N/mm", "0.6 N/mm\xC2\xB3"}),
            Groupes(svg, "<g class=\"valeurs-charges\"", "</g>", ">([^<]*)</text>"));
  EXPECT_EQ((std::vector<std::string>{"Rotule", "u = 0", "v = 0", "Charge r\xC3\xA9partie [N/mm]",
                                      "Force de volume [N/mm\xC2\xB3]"}),
            Groupes(svg, "<g class=\"cle\"", "</svg>", "fill=\"#000000\">([^<]*)<"));
}

// No load: nothing moves, one colour, whatever the size of the model.
TEST_F(Dessin, UnloadedModelKeepsItsShapeInOneColour) {
  S().TypeProbleme = 2;
  Noeuds(1, {{0, 0}, {1e-3, 0}, {0, 2e-3}});
  Element(1, 2, 3, t, E, nu);
  Liaison(3, 1), Liaison(2, 2), Liaison(1, 3);
  Resoudre();
  EXPECT_EQ(0.0, d.facteur);
  EXPECT_TRUE(d.uniforme);
  EXPECT_EQ(0.5, d.elements[1].teinte);
  ProcheDe(d.noeuds[3].initial, d.noeuds[3].deforme.x, d.noeuds[3].deforme.y, 0, "node 3");
  EXPECT_NEAR(660.0, d.noeuds[1].initial.y - d.noeuds[3].initial.y, 1e-9);
  const std::string svg = Svg();
  EXPECT_NE(npos, svg.find("D\xC3\xA9placements nuls"));
  EXPECT_NE(npos, svg.find(">0 (uniforme)</text>"));
  EXPECT_EQ(3u, Groupes(svg, "<g class=\"cle\"", "</svg>", "(<text)").size());
}

// A fault while drawing gives up the picture and leaves no file.
TEST_F(Dessin, FaultWhileDrawingLeavesNoFile) {
  Noeuds(1, {{0, 0}});
  Element(1, 0, 1, t, E, nu);
  S().NomFichier = donnees::Temporaire().replace_extension("").string();
  const std::string nom = S().NomFichier + "r.svg";
  S().EcritureDessin();
  EXPECT_FALSE(std::filesystem::exists(nom));
}

// The title is the data file's name as typed, Windows-1252 or UTF-8, in
// UTF-8 with markup escaped.
TEST_F(Dessin, TitleNamesTheDataFile) {
  const std::pair<const char*, const char*> cas[] = {
      {"a&b<c>\"\xE9", "a&amp;b&lt;c&gt;&quot;\xC3\xA9"},
      {"\xC3\xA9t\xE2\x82\xAC \xF0\x9F\x98\x80", "\xC3\xA9t\xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"\x80\x81\x01\x9F", "\xE2\x82\xAC\xEF\xBF\xBD\xEF\xBF\xBD\xC5\xB8"},
      // Not UTF-8: overlong, a surrogate, beyond U+10FFFF, cut, not continued.
      {"\xE0\x80\x80", "\xC3\xA0\xE2\x82\xAC\xE2\x82\xAC"},
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
      {"\xF4\x90\x80\x80", "\xC3\xB4\xEF\xBF\xBD\xE2\x82\xAC\xE2\x82\xAC"},
      {"a\xC3", "a\xC3\x83"},
      {"\xC3(", "\xC3\x83("}};
  for (const auto& [nom, titre] : cas) {
    S().NomFichier = nom;
    EXPECT_NE(npos, Svg().find(std::string("<title>") + titre + ".txt</title>")) << titre;
  }
}

TEST(DessinValeurs, EquivalentStressOfKnownStates) {
  const double racine3 = std::sqrt(3.0);
  const double cas[][5] = {{100, 0, 0, 0, 100},  // uniaxial, sxx syy sxy szz then von Mises
                           {-100, 0, 0, 0, 100},
                           {0, 0, 50, 0, 50 * racine3},  // pure shear
                           {100, 100, 0, 60, 40},        // equal biaxial with szz of plane strain
                           {100, -100, 0, 0, 100 * racine3},
                           {0, 0, 0, 0, 0}};
  for (const auto& c : cas) {
    TContraintesDeformations s;
    s.sxx = c[0], s.syy = c[1], s.sxy = c[2], s.szz = c[3];
    EXPECT_NEAR(c[4], ContrainteEquivalente(s), 1e-9 * (1 + c[4])) << c[0] << " " << c[1];
  }
  // Squares of such stresses would overflow: the result stays finite.
  std::feclearexcept(FE_ALL_EXCEPT);
  TContraintesDeformations enorme;
  enorme.sxx = 1e300, enorme.syy = -1e300;
  EXPECT_NEAR(racine3, ContrainteEquivalente(enorme) / 1e300, 1e-12);
  enorme.sxx = DBL_MAX, enorme.syy = -DBL_MAX;
  EXPECT_EQ(DBL_MAX, ContrainteEquivalente(enorme));
  EXPECT_EQ(0, std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID));
}

TEST(DessinValeurs, ScaleColoursAndThreeDigits) {
  // 0.625: halfway from pale yellow to orange.
  const std::pair<double, const char*> couleurs[] = {
      {0.0, "#2c7bb6"}, {0.5, "#ffffbf"},          {1.0, "#d7191c"},  {-3.0, "#2c7bb6"},
      {7.0, "#d7191c"}, {std::nan(""), "#2c7bb6"}, {0.625, "#fed790"}};
  for (const auto& [t, couleur] : couleurs) {
    EXPECT_EQ(couleur, CouleurEchelle(t)) << t;
  }
  const std::pair<double, double> chiffres[] = {{19920.4, 19900},
                                                {0.000502545, 0.000503},
                                                {-1234.56, -1230},
                                                {9.996, 10},
                                                {DBL_MAX, DBL_MAX}};
  for (const auto& [valeur, arrondi] : chiffres) {
    EXPECT_EQ(arrondi, TroisChiffres(valeur)) << valeur;
  }
}

}  // namespace
