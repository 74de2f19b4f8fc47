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
constexpr double L = 10.0, t = 2.0, E = 1000.0, nu = 0.25, x0 = 7.0, y0 = -5.0;
// Triangle 1, on the right: 1 N/mm pulls its hypotenuse, 1 N/mm runs along
// its base. Triangle 2, on the left: 2 N/mm push its hypotenuse, 0.6 N/mm3
// along x on its volume.
const double sigma1 = (1.0 * L * std::sqrt(2.0) / 2 + 1.0 * L / 2) / (t * L / 2);
const double sigma2 = -(2.0 * L * std::sqrt(2.0) / 2 + 0.6 * t * L * L / 2 / 3) / (t * L / 2);

TPlan Plus(TPlan a, TPlan b, double facteur) {
  return {a.x + b.x * facteur, a.y + b.y * facteur};
}

testing::AssertionResult Proches(TPlan a, TPlan b, double ecart = 1e-9) {
  if (std::fabs(a.x - b.x) <= ecart && std::fabs(a.y - b.y) <= ecart) {
    return testing::AssertionSuccess();
  }
  return testing::AssertionFailure()
         << "(" << a.x << ", " << a.y << ") is not (" << b.x << ", " << b.y << ")";
}

// The numbers in the first group of each match of `motif`, in the part of
// `texte` from `debut` to `fin`.
std::vector<std::vector<double>> Nombres(const std::string& texte, const std::string& debut,
                                         const std::string& fin, const std::string& motif) {
  const std::size_t i = texte.find(debut);
  const std::string partie = texte.substr(i, texte.find(fin, i) - i);
  const std::regex r(motif), nombre("-?[0-9]+(\\.[0-9]+)?(e[-+][0-9]+)?");
  std::vector<std::vector<double>> groupes;
  for (std::sregex_iterator m(partie.begin(), partie.end(), r), f; m != f; ++m) {
    const std::string g = (*m)[1];
    groupes.emplace_back();
    for (std::sregex_iterator n(g.begin(), g.end(), nombre); n != f; ++n) {
      groupes.back().push_back(std::stod(n->str()));
    }
  }
  return groupes;
}

class Dessin : public StructureEnMemoire {
 protected:
  void Resoudre() {
    ASSERT_TRUE(S().AssemblageRigidite());
    S().AssemblageForces();
    S().MiseEnPlaceLiaisons();
    ASSERT_TRUE(S().CalculDeplacements());
    d = PreparerDessin(S());
  }

  void DeuxTriangles() {
    S().TypeProbleme = 1;
    Noeuds(1, {{x0 + 2 * L, y0},
               {x0 + 3 * L, y0},
               {x0 + 2 * L, y0 + L},
               {x0 + L, y0},
               {x0, y0},
               {x0 + L, y0 + L},
               {x0, y0 + L}});
    Element(1, 2, 3, t, E, nu);
    Element(4, 6, 5, t, E, nu);
    Liaison(1, 1), Liaison(2, 1), Liaison(1, 3), Liaison(4, 2);
    Liaison(3, 4), Liaison(1, 6), Liaison(3, 7);  // node 7 belongs to no element
    Charge(2, 2, 3, 1.0, 0.0), Charge(2, 1, 2, 1.0, 0.0);
    Charge(2, 5, 6, 2.0, 0.0), Charge(1, 2, 0, 0.6, 0.0);
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

  TPlan Noeud(int n) const { return d.noeuds[n].deforme; }

  TDessin d;
};

TEST_F(Dessin, NodesMoveByTheirMagnifiedDisplacementsElementsTakeTheirStressColours) {
  DeuxTriangles();
  const double u2 = sigma1 * L / E, u5 = -sigma2 * L / E;
  const TPoint u[] = {{0, 0}, {u2, 0}, {0, -nu * u2}, {0, 0}, {u5, 0}, {0, nu * u5}, {0, 0}};
  EXPECT_NEAR(u5, d.deplacementMax, 1e-12);
  // The larger side, 3 L, spans 660 units; the largest displacement a tenth
  // of it, to the three digits of the factor.
  EXPECT_NEAR(660.0 / (3 * L), d.unite, 1e-12);
  EXPECT_NEAR(1.0, d.facteur * u5 / (0.1 * 3 * L), 0.005);
  EXPECT_EQ(d.facteur, TroisChiffres(d.facteur));
  ASSERT_EQ(7, d.nbNoeuds);
  for (int n = 1; n <= 7; ++n) {
    const TPoint& p = S().Noeuds[n];
    const TNoeudDessine& noeud = d.noeuds[n];
    EXPECT_TRUE(Proches({d.noeuds[1].initial.x + (p.x - x0 - 2 * L) * d.unite,
                         d.noeuds[1].initial.y - (p.y - y0) * d.unite},
                        noeud.initial))
        << n;
    const double amplifie = d.facteur * d.unite;
    EXPECT_TRUE(
        Proches({noeud.initial.x + u[n - 1].x * amplifie, noeud.initial.y - u[n - 1].y * amplifie},
                noeud.deforme))
        << n;
  }
  // The model centred in its part of the drawing, left of the scale, below
  // the heading.
  const TPlan centre = {(d.echelle.x - 10) / 2, (74 + d.hauteur) / 2};
  EXPECT_TRUE(Proches(centre, d.centre) &&
              Proches(centre, {(d.noeuds[5].initial.x + d.noeuds[2].initial.x) / 2,
                               (d.noeuds[7].initial.y + d.noeuds[1].initial.y) / 2}));
  // Element 1 is the least stressed, element 2 the most.
  EXPECT_NEAR(sigma1, d.contrainteMin, 1e-12);
  EXPECT_NEAR(-sigma2, d.contrainteMax, 1e-12);
  EXPECT_FALSE(d.uniforme);
  EXPECT_EQ(0.0, d.elements[1].teinte);
  EXPECT_EQ(1.0, d.elements[2].teinte);
  EXPECT_TRUE(Proches(
      {(Noeud(4).x + Noeud(6).x + Noeud(5).x) / 3, (Noeud(4).y + Noeud(6).y + Noeud(5).y) / 3},
      d.elements[2].centre));
}

TEST_F(Dessin, SupportsAndNumbersStandOutside) {
  DeuxTriangles();
  const TLiaisonDessinee attendues[] = {{1, 1, Noeud(1), {1, 0}},  {2, 1, Noeud(1), {0, 1}},
                                        {1, 3, Noeud(3), {1, 0}},  {3, 4, Noeud(4), {0, 1}},
                                        {1, 6, Noeud(6), {-1, 0}}, {3, 7, Noeud(7), {0, -1}}};
  ASSERT_EQ(std::size(attendues), d.liaisons.size());
  for (std::size_t k = 0; k < d.liaisons.size(); ++k) {
    const TLiaisonDessinee &a = attendues[k], &l = d.liaisons[k];
    EXPECT_TRUE(a.code == l.code && a.noeud == l.noeud) << k;
    EXPECT_TRUE(Proches(a.position, l.position, 0) && Proches(a.cote, l.cote, 0)) << k;
  }
  // A number is 0.9 font sizes from its node, away from its element, but
  // mirrored off its supports; node 7, alone, goes up right, then mirrored.
  EXPECT_EQ(11.0, d.police);
  for (int n = 1; n <= 7; ++n) {
    const TPlan p = Noeud(n), c = d.elements[n <= 3 ? 1 : 2].centre;
    const TPlan v = {d.noeuds[n].numero.x - p.x, d.noeuds[n].numero.y - p.y};
    EXPECT_NEAR(9.9, std::hypot(v.x, v.y), 1e-9) << n;
    EXPECT_TRUE((n != 2 && n != 5) || v.x * (p.x - c.x) + v.y * (p.y - c.y) > 0) << n;
    for (const TLiaisonDessinee& l : d.liaisons) {
      EXPECT_TRUE(l.noeud != n || v.x * l.cote.x + v.y * l.cote.y <= 0) << n;
    }
  }
  EXPECT_TRUE(Proches({Noeud(7).x + 0.6 * 9.9, Noeud(7).y + 0.8 * 9.9}, d.noeuds[7].numero));
}

// Every arrow points along +x, 30 units long; its foot runs along the edge
// from one node to the other: its tail when the edge is pulled, its head when
// it is pushed, its middle 8 units outside when the load runs along it.
TEST_F(Dessin, LoadArrowsPointTheWayTheLoadsAct) {
  DeuxTriangles();
  struct Attendu {
    int type;
    double intensite;
    int debut, fin;  // nodes of the edge
    int pied;        // of the arrow on the edge: 0 tail, 1 head, 2 middle
    TPlan vers;      // where its value goes
  } const attendus[] = {{2, 1.0, 2, 3, 0, {1, 0}},
                        {2, 1.0, 1, 2, 2, {0, 1}},
                        {2, 2.0, 5, 6, 1, {-1, 0}},
                        {1, 0.6, 0, 0, 0, {1, 0}}};
  ASSERT_EQ(4u, d.charges.size());
  for (std::size_t k = 0; k < 4; ++k) {
    const Attendu& a = attendus[k];
    const TChargeDessinee& c = d.charges[k];
    EXPECT_TRUE(a.type == c.type && a.intensite == c.intensite && Proches(a.vers, c.vers)) << k;
    // Inside the model's part of the drawing, left of the scale, under the
    // heading.
    const auto dedans = [&](TPlan p) {
      return p.x > 0 && p.x < d.echelle.x - 10 && p.y > 74 && p.y < d.hauteur;
    };
    for (const TFleche& f : c.fleches) {
      EXPECT_TRUE(Proches({f.queue.x + 30, f.queue.y}, f.tete) && dedans(f.queue) && dedans(f.tete))
          << k;
    }
    const auto pied = [&](const TFleche& f) {
      return a.pied == 0   ? f.queue
             : a.pied == 1 ? f.tete
                           : TPlan{(f.queue.x + f.tete.x) / 2, (f.queue.y + f.tete.y) / 2 - 8};
    };
    if (a.type == 1) {  // beside the element's number, at its centroid
      ASSERT_EQ(1u, c.fleches.size());
      EXPECT_TRUE(
          Proches({d.elements[2].centre.x + 7, d.elements[2].centre.y}, pied(c.fleches[0])));
      continue;
    }
    EXPECT_TRUE(Proches(Noeud(a.debut), pied(c.fleches.front())) &&
                Proches(Noeud(a.fin), pied(c.fleches.back())))
        << k;
    // Evenly spaced, 30 to 60 units apart, or more when there are nine.
    const double pas =
        std::hypot(Noeud(a.fin).x - Noeud(a.debut).x, Noeud(a.fin).y - Noeud(a.debut).y) /
        (c.fleches.size() - 1);
    EXPECT_TRUE(pas >= 30 && (pas < 60 || c.fleches.size() == 9)) << k;
    // A pulled or pushed edge has a line through the far ends of its
    // arrows; the value goes 5 units beyond the middle one.
    const auto loin = [&](const TFleche& f) {
      return a.pied == 0 ? f.tete : a.pied == 1 ? f.queue : Plus(pied(f), {0, 8}, 1.0);
    };
    EXPECT_EQ(a.pied != 2, c.trait);
    EXPECT_TRUE(!c.trait || Proches(loin(c.fleches.back()), c.extremites.tete));
    EXPECT_TRUE(Proches(Plus(loin(c.fleches[c.fleches.size() / 2]), a.vers, 5), c.etiquette)) << k;
  }
}

TEST_F(Dessin, SvgWritesWhatIsDrawn) {
  DeuxTriangles();
  const std::string svg = Svg();
  // The deformed triangles in their colours over the mesh as given.
  EXPECT_NE(npos, svg.find("fill=\"#2c7bb6\"/>\n<polygon"));  // the least stressed first
  EXPECT_NE(npos, svg.find("fill=\"#d7191c\"/>\n</g>"));
  const auto deformes = Nombres(svg, "\"deformee\"", "</g>", "<polygon points=\"([^\"]*)\"");
  const auto maillage = Nombres(svg, "\"maillage\"", "/>", " d=\"([^\"]*)\"");
  ASSERT_TRUE(deformes.size() == 2 && maillage.size() == 1 && maillage[0].size() == 12);
  for (int k = 1; k <= 2; ++k) {
    ASSERT_EQ(6u, deformes[k - 1].size());
    for (int j = 1; j <= 3; ++j) {
      const TNoeudDessine& n = d.noeuds[S().Elements.Liste[k]->Sommets[j]];
      const double* p = &deformes[k - 1][2 * j - 2];
      const double* m = &maillage[0][6 * k + 2 * j - 8];
      EXPECT_TRUE(Proches(n.deforme, {p[0], p[1]}, 0.05) && Proches(n.initial, {m[0], m[1]}, 0.05));
    }
  }
  // The scale: its colours from the least stressed to the most, its ticks
  // from its foot to its top.
  const auto arrets = Nombres(svg, "<linearGradient", "</linear", "offset=\"([^\"]*)\"");
  const auto traits = Nombres(svg, "\"echelle\"", "\"cle\"", "<path d=\"M([^h]*)h4");
  ASSERT_TRUE(arrets.size() == 5 && traits.size() == 6);
  for (int k = 0; k <= 5; ++k) {
    EXPECT_TRUE(k == 5 || arrets[k][0] == k * 0.25);
    EXPECT_NEAR(d.echelle.y + 240 - 48 * k, traits[k][1], 0.05);
  }
  EXPECT_NE(npos, svg.find("offset=\"0.00\" stop-color=\"#2c7bb6\""));
  EXPECT_NE(npos, svg.find("offset=\"1.00\" stop-color=\"#d7191c\""));
  // Supports: the apex at the node, the base a symbol's height away.
  const auto symboles =
      Nombres(svg, "\"liaisons\"", "\"charges\"", "class=\"[a-z-]+\"><polygon points=\"([^\"]*)\"");
  ASSERT_EQ(d.liaisons.size(), symboles.size());
  for (std::size_t k = 0; k < symboles.size(); ++k) {
    const TLiaisonDessinee& l = d.liaisons[k];
    const std::vector<double>& p = symboles[k];
    const double h = l.code == 3 ? 14 : 0.72 * 14;
    EXPECT_TRUE(Proches(l.position, {p[0], p[1]}, 0.05) &&
                Proches({l.position.x + h * l.cote.x, l.position.y + h * l.cote.y},
                        {(p[2] + p[4]) / 2, (p[3] + p[5]) / 2}, 0.1))
        << k;
  }
  EXPECT_NE(npos, svg.find("<g class=\"appui-v\"><polygon points"));
  // Arrows: the shaft from the tail, the head's tip at the head and its base
  // 7 units back along the arrow.
  const auto fleches = Nombres(svg, "\"charges\"", "\"valeurs-charges\"",
                               "(<path d=\"M[^\"]*\"/><polygon points=\"[^\"]*\")");
  std::size_t i = 0;
  for (const TChargeDessinee& c : d.charges) {
    for (const TFleche& f : c.fleches) {
      ASSERT_LT(i, fleches.size());
      const std::vector<double>& p = fleches[i++];
      EXPECT_TRUE(Proches(f.queue, {p[0], p[1]}, 0.05) && Proches(f.tete, {p[4], p[5]}, 0.05) &&
                  Proches({f.tete.x - 7, f.tete.y}, {p[2], p[3]}, 0.1) &&
                  Proches({p[2], p[3] + 3}, {p[6], p[7]}, 0.1) &&
                  Proches({p[2], p[3] - 3}, {p[8], p[9]}, 0.1));
    }
  }
  EXPECT_EQ(i, fleches.size());
  // Numbers at their nodes and centroids, the digits' middle there.
  const auto numeros = Nombres(svg, "\"noeuds\"", "\"echelle\"", "(<text x=[^>]*)>");
  ASSERT_EQ(9u, numeros.size());
  for (int k = 1; k <= 9; ++k) {
    const TPlan p = k <= 7 ? d.noeuds[k].numero : d.elements[k - 7].centre;
    EXPECT_TRUE(
        Proches({p.x, p.y + 0.35 * d.police}, {numeros[k - 1][0], numeros[k - 1][1]}, 0.05));
  }
  // The key under the scale, a line every 30 units, each symbol left of its
  // text.
  const auto cle = Nombres(svg, "\"cle\"", "</svg>", "(points=\"[^ ]*|<text x=[^>]*)");
  ASSERT_EQ(10u, cle.size());
  for (int k = 0; k < 5; ++k) {
    EXPECT_TRUE(Proches({d.echelle.x + 34, d.echelle.y + 278 + 30 * k},
                        {cle[2 * k + 1][0], cle[2 * k + 1][1]}));
    EXPECT_TRUE(cle[2 * k][0] >= d.echelle.x && cle[2 * k][0] < d.echelle.x + 34 &&
                std::fabs(cle[2 * k][1] - cle[2 * k + 1][1] + 4) < 8)
        << k;
  }
  // The scale's six values from the lowest stress up to the highest.
  const auto valeurs = Nombres(svg, "\"echelle\"", "\"cle\"", "h4\" [^>]*><text [^>]*>([^<]*)<");
  ASSERT_EQ(6u, valeurs.size());
  for (int k = 0; k <= 5; ++k) {
    EXPECT_NEAR(d.contrainteMin + k * (d.contrainteMax - d.contrainteMin) / 5, valeurs[k][0], 5e-4);
  }
  // The heading's factor is the one drawn; the values of the loads; the key.
  std::smatch m;
  ASSERT_TRUE(std::regex_search(svg, m, std::regex("e (\\S+) fois \\(d\\S+ maximal (\\S+) mm")));
  EXPECT_EQ(d.facteur, std::stod(m[1]));
  EXPECT_NEAR(1.0, std::stod(m[2]) / d.deplacementMax, 0.005);
  for (const char* texte :
       {">1 N/mm<", ">2 N/mm<", ">0.6 N/mm\xC2\xB3<", ">Rotule<", ">u = 0<", ">v = 0<",
        ">Charge r\xC3\xA9partie [N/mm]<", ">Force de volume [N/mm\xC2\xB3]<"}) {
    EXPECT_NE(npos, svg.find(texte)) << texte;
  }
}

// No load, or none that acts: nothing moves, one colour, whatever the size
// of the model. Four triangles around a centre node, and a node far away
// that makes their square 66 units a side as drawn.
TEST_F(Dessin, UnloadedModelKeepsItsShapeInOneColour) {
  S().TypeProbleme = 2;
  Noeuds(1, {{0, 0}, {1e-3, 0}, {1e-3, 1e-3}, {0, 1e-3}, {5e-4, 5e-4}, {0, 1e-2}});
  Element(1, 2, 5, t, E, nu), Element(2, 3, 5, t, E, nu);
  Element(3, 4, 5, t, E, nu), Element(4, 1, 5, t, E, nu);
  Liaison(3, 1), Liaison(2, 2), Liaison(3, 6);
  Charge(2, 1, 2, 0.0, 0.0), Charge(7, 1, 2, 1.0, 1.0);
  Resoudre();
  EXPECT_TRUE(d.facteur == 0 && d.uniforme && d.elements[1].teinte == 0.5 && d.charges.empty());
  EXPECT_TRUE(Proches(d.noeuds[3].initial, Noeud(3), 0));
  EXPECT_NEAR(660.0, d.noeuds[1].initial.y - d.noeuds[6].initial.y, 1e-9);
  // The numbers a fifth of the drawn elements' side; the centre node's, with
  // its elements all around it, up to the right.
  EXPECT_NEAR(0.2 * std::sqrt(66.0 * 66.0 / 4), d.police, 1e-9);
  EXPECT_TRUE(Proches(Plus(Noeud(5), {0.6, -0.8}, 0.9 * d.police), d.noeuds[5].numero));
  const std::string svg = Svg();
  EXPECT_NE(npos, svg.find("D\xC3\xA9placements nuls"));
  EXPECT_NE(npos, svg.find(">0 (uniforme)</text>"));
  EXPECT_EQ(npos, svg.find("N/mm"));
}

// A fault while drawing gives up the picture and leaves no file.
TEST_F(Dessin, FaultWhileDrawingLeavesNoFile) {
  Noeuds(1, {{0, 0}});
  Element(1, 0, 1, t, E, nu);
  S().NomFichier = donnees::Temporaire().replace_extension("").string();
  S().EcritureDessin();
  EXPECT_FALSE(std::filesystem::exists(S().NomFichier + "r.svg"));
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
      {"\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80", "\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80"},
      {"\xA9\xA9", "\xC2\xA9\xC2\xA9"},
      {"\xC3(", "\xC3\x83("}};
  for (const auto& [nom, titre] : cas) {
    S().NomFichier = nom;
    EXPECT_NE(npos, Svg().find(std::string("<title>") + titre + ".txt</title>")) << titre;
  }
}

TEST(DessinValeurs, EquivalentStressColoursAndThreeDigits) {
  const double r3 = std::sqrt(3.0);
  // sxx, syy, sxy, szz, then von Mises: uniaxial, pure shear, equal biaxial
  // with the szz of plane strain, opposite biaxial, none, and squares that
  // would overflow.
  const double cas[][5] = {{-100, 0, 0, 0, 100},
                           {0, 0, 50, 0, 50 * r3},
                           {100, 100, 0, 60, 40},
                           {100, -100, 0, 0, 100 * r3},
                           {0, 0, 0, 0, 0},
                           {1e300, -1e300, 0, 0, r3 * 1e300},
                           {DBL_MAX, -DBL_MAX, 0, 0, DBL_MAX}};
  std::feclearexcept(FE_ALL_EXCEPT);
  for (const auto& c : cas) {
    TContraintesDeformations s;
    s.sxx = c[0], s.syy = c[1], s.sxy = c[2], s.szz = c[3];
    EXPECT_NEAR(c[4], ContrainteEquivalente(s), 1e-12 * c[4]) << c[0] << " " << c[1];
  }
  EXPECT_EQ(0, std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID));
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
