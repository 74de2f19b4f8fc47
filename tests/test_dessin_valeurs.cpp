// What the picture draws, on a model solved by hand: two separate triangles
// of side L, each held at its right-angle corner and along x at its top
// corner, so that the x force F at its third corner gives it the uniaxial
// stress F / (t L / 2). Then the SVG written from it.
#include <gtest/gtest.h>

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "report/dessin.hpp"
#include "tests/donnees_communes.hpp"

namespace {

constexpr auto npos = std::string::npos;
constexpr double L = 10.0, t = 2.0, E = 1000.0, nu = 0.25, x0 = 7.0, y0 = -5.0;
// Triangle 1, on the right: 1 N/mm pulls its hypotenuse, 1 N/mm runs along
// its base. Triangle 2, on the left: 2 N/mm push its hypotenuse, 0.6 N/mm3
// along x on its volume.
const double sigma1 = (1.0 * L * std::sqrt(2.0) / 2 + 1.0 * L / 2) / (t * L / 2);
const double sigma2 = -(2.0 * L * std::sqrt(2.0) / 2 + 0.6 * t * L * L / 2 / 3) / (t * L / 2);

TPlan Plus(TPlan a, TPlan b, double facteur = 1.0) {
  return {a.x + b.x * facteur, a.y + b.y * facteur};
}

double Ecart(TPlan a, TPlan b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

// Points as the SVG writes them, one decimal, apart.
template <typename... P>
std::string Texte(P... p) {
  char texte[64];
  std::string points;
  ((std::snprintf(texte, sizeof texte, " %.1f,%.1f", p.x, p.y), points += texte), ...);
  return points.substr(1);
}

class Dessin : public testing::Test {
 protected:
  // The program traps floating-point faults; here they are flags.
  void SetUp() override {
    Structure = &s, std::feclearexcept(FE_ALL_EXCEPT);
    ASSERT_TRUE(s.Resultats.Creer(donnees::Temporaire().string()));
  }
  void TearDown() override {
    EXPECT_EQ(0, std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID));
    s.Abandonner(), std::filesystem::remove(donnees::Temporaire());
    Structure = nullptr;
  }

  template <typename T, int Taille, typename... A>
  static void Ajouter(TListe<T, Taille>& liste, std::int32_t& nombre, A... valeurs) {
    liste.Nombre = nombre = liste.Nombre + 1;
    liste.Liste[liste.Nombre] = std::make_unique<T>(T{valeurs...});
  }
  void Element(std::int32_t a, std::int32_t b, std::int32_t c) {
    std::int32_t nombre = 0;
    Ajouter(s.Elements, nombre, Tableau<std::int32_t, NbSommets>{}, t, E, nu);
    s.Elements.Liste[nombre]->Sommets[1] = a, s.Elements.Liste[nombre]->Sommets[2] = b;
    s.Elements.Liste[nombre]->Sommets[3] = c;
  }

  void Resoudre() {
    ASSERT_TRUE(s.AssemblageRigidite());
    s.AssemblageForces();
    s.MiseEnPlaceLiaisons();
    ASSERT_TRUE(s.CalculDeplacements());
    d = PreparerDessin(s);
  }

  void DeuxTriangles() {
    s.TypeProbleme = 1;
    s.NbNoeuds = 7;
    const TPoint noeuds[] = {{x0 + 2 * L, y0}, {x0 + 3 * L, y0}, {x0 + 2 * L, y0 + L}, {x0 + L, y0},
                             {x0, y0},         {x0 + L, y0 + L}, {x0, y0 + L}};
    for (int n = 1; n <= 7; ++n) {
      s.Noeuds[n] = noeuds[n - 1];
    }
    Element(1, 2, 3), Element(4, 6, 5);
    for (const auto& [code, noeud] :
         {std::pair{1, 1}, {2, 1}, {1, 3}, {4, 2}, {3, 4}, {1, 6}, {3, 7}}) {
      Ajouter(s.Liaisons, s.NbLiaisons, std::uint8_t(code), noeud, 0.0, 0.0);  // 7 alone
    }
    Ajouter(s.Charges, s.NbCharges, std::uint8_t{2}, 2, 3, 1.0, 0.0);
    Ajouter(s.Charges, s.NbCharges, std::uint8_t{2}, 1, 2, 1.0, 0.0);
    Ajouter(s.Charges, s.NbCharges, std::uint8_t{2}, 5, 6, 2.0, 0.0);
    Ajouter(s.Charges, s.NbCharges, std::uint8_t{1}, 2, 0, 0.6, 0.0);
    Ajouter(s.Charges, s.NbCharges, std::uint8_t{2}, 1, 2, 0.0, 0.0);  // null: not drawn
    Ajouter(s.Charges, s.NbCharges, std::uint8_t{7}, 1, 2, 1.0, 1.0);  // ignored
    Ajouter(s.Charges, s.NbCharges, std::uint8_t{2}, 7, 7, 0.0, 1.0);  // upward, on a hinge
    Resoudre();
  }

  std::string Svg() {
    const std::filesystem::path chemin = donnees::Temporaire().replace_extension(".svg");
    TFichierTexte fichier;
    EXPECT_TRUE(fichier.Creer(chemin.string(), TEchec::Releve));
    EcrireSvg(fichier, s, d);
    fichier.Fermer();
    const std::string texte = donnees::Contenu(chemin);
    std::filesystem::remove(chemin);
    return texte;
  }

  TPlan Noeud(int n) const { return d.noeuds[n].deforme; }

  TStructure s;
  TDessin d;
};

TEST_F(Dessin, TheHandSolutionIsDrawn) {
  DeuxTriangles();
  const double u2 = sigma1 * L / E, u5 = -sigma2 * L / E;
  const TPoint u[] = {{0, 0}, {u2, 0}, {0, -nu * u2}, {0, 0}, {u5, 0}, {0, nu * u5}, {0, 0}};
  // The larger side, 3 L, spans 660 units; the largest displacement a tenth
  // of it, to the three digits of the factor.
  EXPECT_NEAR(660.0 / (3 * L), d.unite, 1e-12);
  EXPECT_NEAR(1.0, d.facteur * u5 / (0.1 * 3 * L), 0.005);
  EXPECT_EQ(d.facteur, TroisChiffres(d.facteur));
  for (int n = 1; n <= 7; ++n) {
    const TPoint p = s.Noeuds[n];
    const TPlan initial = Plus(d.noeuds[1].initial, {p.x - x0 - 2 * L, y0 - p.y}, d.unite);
    EXPECT_LT(Ecart(initial, d.noeuds[n].initial) +
                  Ecart(Plus(initial, {u[n - 1].x, -u[n - 1].y}, d.facteur * d.unite), Noeud(n)),
              1e-9)
        << n;
  }
  // Centred left of the scale, with room for the deformation, the supports,
  // the arrows and their values: a fifth of the model's drawn side and 84.
  EXPECT_NEAR((d.noeuds[5].initial.x + d.noeuds[2].initial.x) / 2, (d.echelle.x - 10) / 2, 1e-9);
  EXPECT_NEAR(0.2 * 330 + 84, d.noeuds[5].initial.x, 1e-9);
  // Element 1 is the least stressed, element 2 the most: the scale's ends.
  EXPECT_NEAR(sigma1, d.contrainteMin, 1e-12);
  EXPECT_NEAR(-sigma2, d.contrainteMax, 1e-12);
  const std::string svg = Svg();
  EXPECT_NE(npos, svg.find("<polygon points=\"" + Texte(Noeud(1), Noeud(2), Noeud(3)) +
                           "\" fill=\"#2c7bb6\"/>\n<polygon points=\"" +
                           Texte(Noeud(4), Noeud(6), Noeud(5)) + "\" fill=\"#d7191c\"/>\n</g>"));
  char texte[128];  // the scale's values, evenly from the least to the most
  std::snprintf(texte, sizeof texte, "\">%.3f</text>\n<path d=\"M%.1f,%.1fh4\"", sigma1,
                d.echelle.x + 20, d.echelle.y + 192);
  EXPECT_NE(npos, svg.find(texte));
  std::snprintf(texte, sizeof texte, "\">%.3f</text>\n", (4 * sigma1 - sigma2) / 5);
  EXPECT_NE(npos, svg.find(texte));
  std::snprintf(texte, sizeof texte, "\">%.3f</text>\n</g>", -sigma2);
  EXPECT_NE(npos, svg.find(texte));
  // Supports at their nodes, outside the model: their base along x for
  // u = 0, along y otherwise.
  const TPlan cotes[] = {{1, 0}, {0, 1}, {1, 0}, {0, 1}, {-1, 0}, {0, -1}};
  ASSERT_EQ(6u, d.liaisons.size());
  for (std::size_t k = 0; k < 6; ++k) {
    const TLiaisonDessinee& l = d.liaisons[k];
    EXPECT_EQ(0, Ecart(l.cote, cotes[k]) + Ecart(l.position, Noeud(l.noeud))) << k;
  }
  const TPlan p = Noeud(1);
  EXPECT_NE(npos, svg.find("<g class=\"appui-u\"><polygon points=\"" +
                           Texte(p, Plus(p, {10.08, 8.4}), Plus(p, {10.08, -8.4})) + "\"/>"));
  std::snprintf(texte, sizeof texte, "\"/><circle cx=\"%.1f\" cy=\"%.1f\" r=\"2.0\"/>", p.x - 4.2,
                p.y + 12.04);  // on two wheels
  EXPECT_NE(npos, svg.find("<g class=\"appui-v\"><polygon points=\"" +
                           Texte(p, Plus(p, {-8.4, 10.08}), Plus(p, {8.4, 10.08})) + texte));
  // Arrows 30 units long: from the pulled edge, onto the pushed one, 8 units
  // outside the edge along which the load runs, beside the centroid.
  struct {
    TPlan premier, dernier, e;  // the first and last tails, the direction
  } const attendues[] = {
      {Noeud(2), Noeud(3), {1, 0}},
      {Plus(Noeud(1), {-15, 8}), Plus(Noeud(2), {-15, 8}), {1, 0}},
      {Plus(Noeud(5), {-30, 0}), Plus(Noeud(6), {-30, 0}), {1, 0}},
      {Plus(d.elements[2].centre, {7, 0}), Plus(d.elements[2].centre, {7, 0}), {1, 0}},
      {Noeud(7), Noeud(7), {0, -1}}};
  ASSERT_EQ(5u, d.charges.size());
  for (std::size_t k = 0; k < 5; ++k) {
    const std::vector<TFleche>& f = d.charges[k].fleches;
    const auto& a = attendues[k];
    EXPECT_LT(Ecart(f.front().queue, a.premier) + Ecart(f.back().queue, a.dernier), 1e-9) << k;
    for (const TFleche& fleche : f) {
      EXPECT_LT(Ecart(fleche.tete, Plus(fleche.queue, a.e, 30)), 1e-9) << k;
    }
    EXPECT_EQ(k != 1 && k != 3, d.charges[k].trait);
  }
  // The value of the load along the base under it.
  std::snprintf(texte, sizeof texte, "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">1 N/mm<",
                d.charges[1].etiquette.x, d.charges[1].etiquette.y + 11);
  EXPECT_NE(npos, svg.find(texte));
  const TPlan q = Noeud(2), base = Plus(q, {23, 0});
  EXPECT_NE(npos, svg.find("<path d=\"M" + Texte(q) + "L" + Texte(base) + "\"/><polygon points=\"" +
                           Texte(Plus(q, {30, 0}), Plus(base, {0, 3}), Plus(base, {0, -3}))));
  EXPECT_NE(npos, svg.find("text-anchor=\"start\">0.6 N/mm\xC2\xB3<"));
  EXPECT_NE(npos, svg.find("text-anchor=\"end\">2 N/mm<"));
  EXPECT_NE(npos, svg.find(".txt \342\200\224 contraintes planes</text>"));
}

// A fault while drawing gives up the picture: no file, one line on standard
// error.
TEST_F(Dessin, FaultWhileDrawingLeavesNoFile) {
  s.NbNoeuds = 1;
  Element(1, 0, 1);
  s.NomFichier = donnees::Temporaire().replace_extension("").string();
  testing::internal::CaptureStderr();
  s.EcritureDessin();
  EXPECT_EQ("Dessin non \351crit : " + s.NomFichier + "r.svg (calcul du dessin impossible)\r\n",
            testing::internal::GetCapturedStderr());
  EXPECT_FALSE(std::filesystem::exists(s.NomFichier + "r.svg"));
}

// One element, unloaded, a tenth of the model's size: nothing moves, one
// colour, the numbers a fifth of the element's drawn side. The title is the
// data file's name as typed, Windows-1252 or UTF-8 (not when overlong, a
// surrogate or cut), in UTF-8 with markup escaped.
TEST_F(Dessin, UnloadedElementAndTitles) {
  s.TypeProbleme = 2, s.NbNoeuds = 4;
  s.Noeuds[1] = {0, 0}, s.Noeuds[2] = {1, 0}, s.Noeuds[3] = {0, 1}, s.Noeuds[4] = {0, 10};
  Element(1, 2, 3);
  for (const auto& [code, noeud] : {std::pair{3, 1}, {2, 2}, {3, 4}}) {
    Ajouter(s.Liaisons, s.NbLiaisons, std::uint8_t(code), noeud, 0.0, 0.0);
  }
  Resoudre();
  EXPECT_NEAR(0.2 * std::sqrt(66.0 * 66.0 / 2), d.police, 1e-9);
  const std::string svg = Svg();
  EXPECT_NE(npos, svg.find(".txt \342\200\224 d\303\251formations planes</text>"));
  EXPECT_NE(npos, svg.find("D\xC3\xA9placements nuls"));
  EXPECT_NE(npos, svg.find(">0 (uniforme)</text>"));
  const std::pair<const char*, const char*> cas[] = {
      {"a &b<c>\"\xE9", "a &amp;b&lt;c&gt;&quot;\xC3\xA9"},
      {"\x80\x81\x01\x9F", "\xE2\x82\xAC\xEF\xBF\xBD\xEF\xBF\xBD\xC5\xB8"},
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
      {"\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80\xF0\x9F\x98\x80",
       "\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80\xF0\x9F\x98\x80"},
      {"a\xC3", "a\xC3\x83"}};
  for (const auto& [nom, titre] : cas) {
    s.NomFichier = nom;
    EXPECT_NE(npos, Svg().find(std::string("<title>") + titre + ".txt</title>")) << titre;
  }
}

TEST(DessinValeurs, EquivalentStressColoursAndThreeDigits) {
  TContraintesDeformations c;  // equal biaxial with the szz of plane strain
  c.sxx = c.syy = 100, c.szz = 60;
  EXPECT_NEAR(40, ContrainteEquivalente(c), 1e-12);
  c.sxx = DBL_MAX, c.syy = -DBL_MAX, c.szz = 0;  // squares that would overflow
  EXPECT_EQ(DBL_MAX, ContrainteEquivalente(c));
  // 0.625: halfway from pale yellow to orange.
  EXPECT_EQ("#ffffbf#fed790#2c7bb6#d7191c", CouleurEchelle(0.5) + CouleurEchelle(0.625) +
                                                CouleurEchelle(-3.0) + CouleurEchelle(7.0));
  EXPECT_EQ(0.000503, TroisChiffres(0.000502545));
  EXPECT_EQ(-1230, TroisChiffres(-1234.56));
}

}  // namespace
