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

using Points = std::vector<TPlan>;

TPlan Plus(TPlan a, TPlan b, double facteur = 1.0) {
  return {a.x + b.x * facteur, a.y + b.y * facteur};
}

testing::AssertionResult Proches(const Points& a, const Points& b, double ecart = 1e-9) {
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (!(std::fabs(a[i].x - b[i].x) <= ecart && std::fabs(a[i].y - b[i].y) <= ecart)) {
      return testing::AssertionFailure() << "point " << i << ": (" << a[i].x << ", " << a[i].y
                                         << ") is not (" << b[i].x << ", " << b[i].y << ")";
    }
  }
  return a.size() == b.size()
             ? testing::AssertionSuccess()
             : testing::AssertionFailure() << a.size() << " points, not " << b.size();
}

// The numbers of the first group of every match of `motif` in `texte`, by
// pairs, from `debut` on to `fin`.
Points Lire(const std::string& texte, const std::string& debut, const std::string& fin,
            const std::string& motif) {
  const std::size_t i = texte.find(debut);
  const std::string partie = texte.substr(i, texte.find(fin, i) - i);
  const std::regex r(motif), nombre("-?[0-9]+(\\.[0-9]+)?(e[-+][0-9]+)?");
  std::vector<double> valeurs;
  for (std::sregex_iterator m(partie.begin(), partie.end(), r), f; m != f; ++m) {
    const std::string g = (*m)[1];
    for (std::sregex_iterator n(g.begin(), g.end(), nombre); n != f; ++n) {
      valeurs.push_back(std::stod(n->str()));
    }
  }
  Points points;
  for (std::size_t k = 0; k + 1 < valeurs.size(); k += 2) {
    points.push_back({valeurs[k], valeurs[k + 1]});
  }
  return points;
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
    Noeuds(1, {{x0 + 2 * L, y0}, {x0 + 3 * L, y0}, {x0 + 2 * L, y0 + L}, {x0 + L, y0}});
    Noeuds(5, {{x0, y0}, {x0 + L, y0 + L}, {x0, y0 + L}});
    Element(1, 2, 3, t, E, nu), Element(4, 6, 5, t, E, nu);
    Liaison(1, 1), Liaison(2, 1), Liaison(1, 3), Liaison(4, 2);
    Liaison(3, 4), Liaison(1, 6), Liaison(3, 7);  // node 7 belongs to no element
    Charge(2, 2, 3, 1.0, 0.0), Charge(2, 1, 2, 1.0, 0.0), Charge(2, 5, 6, 2.0, 0.0);
    Charge(1, 2, 0, 0.6, 0.0), Charge(2, 7, 7, 1.0, 0.0);  // an edge of no length
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
  Points initiaux, deformes, attendus, amplifies;
  for (int n = 1; n <= 7; ++n) {
    const TPoint& p = S().Noeuds[n];
    const TPlan initial = {d.noeuds[1].initial.x + (p.x - x0 - 2 * L) * d.unite,
                           d.noeuds[1].initial.y - (p.y - y0) * d.unite};
    initiaux.push_back(d.noeuds[n].initial), attendus.push_back(initial);
    deformes.push_back(Noeud(n));
    amplifies.push_back(Plus(initial, {u[n - 1].x, -u[n - 1].y}, d.facteur * d.unite));
  }
  EXPECT_TRUE(Proches(attendus, initiaux));
  EXPECT_TRUE(Proches(amplifies, deformes));
  // The model centred in its part of the drawing, left of the scale, below
  // the heading; the scale's titles under the heading too.
  const TPlan centre = {(d.echelle.x - 10) / 2, (74 + d.hauteur) / 2};
  EXPECT_TRUE(Proches({centre, centre}, {d.centre,
                                         {(d.noeuds[5].initial.x + d.noeuds[2].initial.x) / 2,
                                          (d.noeuds[7].initial.y + d.noeuds[1].initial.y) / 2}}));
  EXPECT_GE(d.echelle.y - 24, 74 + 11);
  // Element 1 is the least stressed, element 2 the most.
  EXPECT_NEAR(sigma1, d.contrainteMin, 1e-12);
  EXPECT_NEAR(-sigma2, d.contrainteMax, 1e-12);
  EXPECT_TRUE(!d.uniforme && d.elements[1].teinte == 0.0 && d.elements[2].teinte == 1.0);
  const TPlan somme = Plus(Plus(Noeud(4), Noeud(6)), Noeud(5));
  EXPECT_TRUE(Proches({{somme.x / 3, somme.y / 3}}, {d.elements[2].centre}));
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
    EXPECT_TRUE(Proches({a.position, a.cote}, {l.position, l.cote}, 0)) << k;
  }
  // A number is 0.9 font sizes from its node, away from its element, but
  // mirrored off its supports; node 7, alone, goes up right, then mirrored.
  EXPECT_EQ(11.0, d.police);
  for (int n = 1; n <= 7; ++n) {
    const TPlan p = Noeud(n), c = d.elements[n <= 3 ? 1 : 2].centre;
    const TPlan v = Plus(d.noeuds[n].numero, p, -1);
    EXPECT_NEAR(9.9, std::hypot(v.x, v.y), 1e-9) << n;
    EXPECT_TRUE((n != 2 && n != 5) || v.x * (p.x - c.x) + v.y * (p.y - c.y) > 0) << n;
    for (const TLiaisonDessinee& l : d.liaisons) {
      EXPECT_TRUE(l.noeud != n || v.x * l.cote.x + v.y * l.cote.y <= 0) << n;
    }
  }
  EXPECT_TRUE(Proches({Plus(Noeud(7), {0.6, 0.8}, 9.9)}, {d.noeuds[7].numero}));
}

// Every arrow points along +x, 30 units long, inside the model's part of the
// drawing. Its foot runs along the edge from one node to the other: its tail
// when the edge is pulled, its head when it is pushed, its middle 8 units
// outside when the load runs along it. The value goes 5 units beyond the
// middle arrow.
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
                        {1, 0.6, 0, 0, 0, {1, 0}},
                        {2, 1.0, 7, 7, 0, {1, 0}}};
  ASSERT_EQ(std::size(attendus), d.charges.size());
  for (std::size_t k = 0; k < d.charges.size(); ++k) {
    const Attendu& a = attendus[k];
    const TChargeDessinee& c = d.charges[k];
    EXPECT_TRUE(a.type == c.type && a.intensite == c.intensite && Proches({a.vers}, {c.vers})) << k;
    const auto pied = [&](const TFleche& f) {
      return a.pied == 0   ? f.queue
             : a.pied == 1 ? f.tete
                           : TPlan{(f.queue.x + f.tete.x) / 2, (f.queue.y + f.tete.y) / 2 - 8};
    };
    const auto loin = [&](const TFleche& f) {
      return a.pied == 0 ? f.tete : a.pied == 1 ? f.queue : Plus(pied(f), {0, 8});
    };
    for (const TFleche& f : c.fleches) {
      EXPECT_TRUE(Proches({Plus(f.queue, {30, 0})}, {f.tete})) << k;
      EXPECT_TRUE(f.queue.x > 0 && f.tete.x < d.echelle.x - 10 && f.tete.y > 74 &&
                  f.tete.y < d.hauteur)
          << k;
    }
    if (a.type == 1) {  // beside the element's number, at its centroid
      ASSERT_EQ(1u, c.fleches.size());
      EXPECT_TRUE(Proches({Plus(d.elements[2].centre, {7, 0})}, {pied(c.fleches[0])}));
      continue;
    }
    const TFleche &premiere = c.fleches.front(), &derniere = c.fleches.back();
    EXPECT_TRUE(Proches(
        {Noeud(a.debut), Noeud(a.fin), Plus(loin(c.fleches[c.fleches.size() / 2]), a.vers, 5)},
        {pied(premiere), pied(derniere), c.etiquette}))
        << k;
    // Evenly spaced, 30 to 60 units apart, or more when there are nine; two
    // on an edge of no length.
    const TPlan bout = Plus(Noeud(a.fin), Noeud(a.debut), -1);
    const double pas = std::hypot(bout.x, bout.y) / (c.fleches.size() - 1);
    EXPECT_TRUE(a.debut == a.fin ? c.fleches.size() == 2
                                 : pas >= 30 && (pas < 60 || c.fleches.size() == 9))
        << k;
    // A pulled or pushed edge has a line through the far ends of its arrows.
    EXPECT_EQ(a.pied != 2, c.trait);
    EXPECT_TRUE(!c.trait ||
                Proches({loin(premiere), loin(derniere)}, {c.extremites.queue, c.extremites.tete}));
  }
}

TEST_F(Dessin, SvgWritesWhatIsDrawn) {
  DeuxTriangles();
  const std::string svg = Svg();
  // The deformed triangles in their colours over the mesh as given, the
  // nodes, the numbers with the digits' middle at their place.
  EXPECT_NE(npos, svg.find("fill=\"#2c7bb6\"/>\n<polygon"));  // the least stressed first
  EXPECT_NE(npos, svg.find("fill=\"#d7191c\"/>\n</g>"));
  Points initiaux, deformes, noeuds, numeros;
  for (int k = 1; k <= 2; ++k) {
    for (int j = 1; j <= 3; ++j) {
      initiaux.push_back(d.noeuds[S().Elements.Liste[k]->Sommets[j]].initial);
      deformes.push_back(Noeud(S().Elements.Liste[k]->Sommets[j]));
    }
  }
  for (int n = 1; n <= 7; ++n) {
    noeuds.push_back(Noeud(n));
    numeros.push_back(Plus(d.noeuds[n].numero, {0, 0.35 * d.police}));
  }
  for (int k = 1; k <= 2; ++k) {
    numeros.push_back(Plus(d.elements[k].centre, {0, 0.35 * d.police}));
  }
  const double a = 0.05;  // a coordinate is written with one decimal
  EXPECT_TRUE(Proches(initiaux, Lire(svg, "\"maillage\"", "/>", " d=\"([^\"]*)\""), a));
  EXPECT_TRUE(Proches(deformes, Lire(svg, "\"deformee\"", "</g>", "points=\"([^\"]*)\""), a));
  EXPECT_TRUE(
      Proches(noeuds, Lire(svg, "\"points-noeuds\"", "</g>", "(cx=\"[^\"]*\" cy=\"[^\"]*)"), a));
  EXPECT_TRUE(Proches(numeros, Lire(svg, "\"noeuds\"", "\"echelle\"", "(<text x=[^>]*)>"), a));
  // Supports: the apex at the node, the base a symbol's height away along
  // the side, its corners 0.6 heights on each side, the first one clockwise.
  Points symboles;
  for (const TLiaisonDessinee& l : d.liaisons) {
    const double h = 14, base = l.code == 3 ? h : 0.72 * h;
    const TPlan milieu = Plus(l.position, l.cote, base), travers = {l.cote.y, -l.cote.x};
    symboles.insert(symboles.end(),
                    {l.position, Plus(milieu, travers, -0.6 * h), Plus(milieu, travers, 0.6 * h)});
  }
  EXPECT_TRUE(Proches(
      symboles, Lire(svg, "\"liaisons\"", "\"charges\"", "\"><polygon points=\"([^\"]*)"), 0.1));
  std::string classes;
  const std::regex classe("<g class=\"([a-z-]+)\"><polygon");
  for (std::sregex_iterator i(svg.begin(), svg.end(), classe), f; i != f; ++i) {
    classes += (*i)[1].str() + " ";
  }
  EXPECT_EQ("appui-u appui-v appui-u rotule appui-u rotule rotule appui-u appui-v ", classes);
  // Arrows: the shaft from the tail, the tip at the head, the head's base 7
  // units back along the arrow and 3 on each side.
  Points fleches;
  for (const TChargeDessinee& c : d.charges) {
    for (const TFleche& f : c.fleches) {
      const TPlan base = Plus(f.tete, {-7, 0});
      fleches.insert(fleches.end(),
                     {f.queue, base, f.tete, Plus(base, {0, 3}), Plus(base, {0, -3})});
    }
  }
  EXPECT_TRUE(Proches(fleches,
                      Lire(svg, "\"charges\"", "\"valeurs-charges\"",
                           "(<path d=\"M[^\"]*\"/><polygon points=\"[^\"]*)"),
                      0.1));
  // Values beside their loads: after a rightward arrow, under a downward one.
  Points valeurs;
  for (const TChargeDessinee& c : d.charges) {
    valeurs.push_back(Plus(c.etiquette, {0, c.vers.y > 0 ? 11.0 : 4.0}));
  }
  EXPECT_TRUE(Proches(
      valeurs, Lire(svg, "\"valeurs-charges\"", "</g>", "(<text x=\"[^\"]*\" y=\"[^\"]*)"), a));
  EXPECT_NE(npos, svg.find("text-anchor=\"middle\">1 N/mm<"));
  EXPECT_NE(npos, svg.find("text-anchor=\"start\">0.6 N/mm\xC2\xB3<"));
  EXPECT_NE(npos, svg.find("text-anchor=\"end\">2 N/mm<"));
  // The scale: its colours from the least stressed at its foot to the most
  // at its top, its six values and ticks evenly between.
  EXPECT_NE(npos, svg.find("x1=\"0\" y1=\"1\" x2=\"0\" y2=\"0\"><stop offset=\"0.00\" "
                           "stop-color=\"#2c7bb6\"/><stop offset=\"0.25\""));
  EXPECT_NE(npos, svg.find("<stop offset=\"1.00\" stop-color=\"#d7191c\"/></linear"));
  Points traits, echelle;
  for (int k = 0; k <= 5; ++k) {
    const double y = d.echelle.y + 240 - 48 * k;
    traits.push_back({d.echelle.x + 20, y});
    echelle.push_back({y + 3.5, d.contrainteMin + k * (d.contrainteMax - d.contrainteMin) / 5});
  }
  EXPECT_TRUE(Proches(traits, Lire(svg, "\"echelle\"", "\"cle\"", "<path d=\"M([^h]*)h4"), a));
  EXPECT_TRUE(
      Proches(echelle, Lire(svg, "\"echelle\"", "\"cle\"", "h4[^>]*><text [^ ]* (y[^<]*)<"), a));
  // The key under the scale, a line every 30 units, each symbol left of its
  // text.
  const Points cle =
      Lire(svg, "\"cle\"", "</svg>", "(points=\"[^ ]*|<text x=\"[^\"]*\" y=\"[^\"]*)");
  ASSERT_EQ(10u, cle.size());
  for (int k = 0; k < 5; ++k) {
    EXPECT_TRUE(Proches({{d.echelle.x + 34, d.echelle.y + 278 + 30 * k}}, {cle[2 * k + 1]}));
    EXPECT_TRUE(cle[2 * k].x >= d.echelle.x && cle[2 * k].x < d.echelle.x + 34 &&
                std::fabs(cle[2 * k].y - cle[2 * k + 1].y + 4) < 8)
        << k;
  }
  // The heading: the problem, the factor drawn; the key's texts.
  EXPECT_NE(npos, svg.find(".txt \342\200\224 contraintes planes</text>"));
  std::smatch m;
  ASSERT_TRUE(std::regex_search(svg, m, std::regex("e (\\S+) fois \\(d\\S+ maximal (\\S+) mm")));
  EXPECT_EQ(d.facteur, std::stod(m[1]));
  EXPECT_NEAR(1.0, std::stod(m[2]) / d.deplacementMax, 0.005);
  for (const char* texte : {">Rotule<", ">u = 0<", ">v = 0<", ">Charge r\xC3\xA9partie [N/mm]<",
                            ">Force de volume [N/mm\xC2\xB3]<"}) {
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
  EXPECT_TRUE(Proches({d.noeuds[3].initial}, {Noeud(3)}, 0));
  // Centred in the least room the drawing gives a model.
  EXPECT_TRUE(Proches({{570.0 / 2, (74 + d.hauteur) / 2}, {0, 660}},
                      {d.centre, Plus(d.noeuds[1].initial, d.noeuds[6].initial, -1)}));
  // The numbers a fifth of the drawn elements' side; the centre node's, with
  // its elements all around it, up to the right.
  EXPECT_NEAR(0.2 * std::sqrt(66.0 * 66.0 / 4), d.police, 1e-9);
  EXPECT_TRUE(Proches({Plus(Noeud(5), {0.6, -0.8}, 0.9 * d.police)}, {d.noeuds[5].numero}));
  const std::string svg = Svg();
  EXPECT_NE(npos, svg.find(".txt \342\200\224 d\303\251formations planes</text>"));
  EXPECT_NE(npos, svg.find("D\xC3\xA9placements nuls"));
  EXPECT_NE(npos, svg.find(">0 (uniforme)</text>"));
  EXPECT_EQ(npos, svg.find("N/mm"));
}

// A fault while drawing gives up the picture: no file, one line on standard
// error.
TEST_F(Dessin, FaultWhileDrawingLeavesNoFile) {
  Noeuds(1, {{0, 0}});
  Element(1, 0, 1, t, E, nu);
  S().NomFichier = donnees::Temporaire().replace_extension("").string();
  testing::internal::CaptureStderr();
  S().EcritureDessin();
  EXPECT_EQ("Dessin non \351crit : " + S().NomFichier + "r.svg (calcul du dessin impossible)\r\n",
            testing::internal::GetCapturedStderr());
  EXPECT_FALSE(std::filesystem::exists(S().NomFichier + "r.svg"));
}

// The title is the data file's name as typed, Windows-1252 or UTF-8, in
// UTF-8 with markup escaped.
TEST_F(Dessin, TitleNamesTheDataFile) {
  const std::pair<const char*, const char*> cas[] = {
      {"a&b<c>\"\xE9", "a&amp;b&lt;c&gt;&quot;\xC3\xA9"},
      {"\xC3\xA9t\xE2\x82\xAC \xF0\x9F\x98\x80", "\xC3\xA9t\xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80", "\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80"},
      {"\x80\x81\x01\x9F", "\xE2\x82\xAC\xEF\xBF\xBD\xEF\xBF\xBD\xC5\xB8"},
      // Not UTF-8: overlong, a surrogate, beyond U+10FFFF, no lead byte of
      // UTF-8, cut, not continued, a continuation first.
      {"\xE0\x80\x80", "\xC3\xA0\xE2\x82\xAC\xE2\x82\xAC"},
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
      {"\xF4\x90\x80\x80", "\xC3\xB4\xEF\xBF\xBD\xE2\x82\xAC\xE2\x82\xAC"},
      {"\xF9\x90\x80\x80", "\xC3\xB9\xEF\xBF\xBD\xE2\x82\xAC\xE2\x82\xAC"},
      {"a\xC3", "a\xC3\x83"},
      {"\xC3(", "\xC3\x83("},
      {"\xA9\xA9", "\xC2\xA9\xC2\xA9"}};
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
  const double cas[][5] = {{-0.5, 0, 0, 0, 0.5},
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
