// The picture of a model solved by hand: two separate triangles of side L,
// each held at its right-angle corner and along x at its top corner, so that
// an x force F at the third corner gives the uniaxial stress F / (t L / 2).
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "report/dessin.hpp"
#include "tests/donnees_communes.hpp"

namespace {

constexpr double L = 10.0, t = 2.0, E = 1000.0, nu = 0.25, x0 = 7.0, y0 = -5.0;
// Triangle 1, on the right: 1 N/mm pulls its hypotenuse, 1 N/mm runs along its
// base. Triangle 2: 2 N/mm push its hypotenuse, 0.6 N/mm3 along x on its volume.
const double sigma1 = (1.0 * L * std::sqrt(2.0) / 2 + 1.0 * L / 2) / (t * L / 2);
const double sigma2 = -(2.0 * L * std::sqrt(2.0) / 2 + 0.6 * t * L * L / 2 / 3) / (t * L / 2);

const auto Plus = [](TPlan a, TPlan b, double k = 1) { return a.x += k * b.x, a.y += k * b.y, a; };
const auto Ecart = [](TPlan a, TPlan b) { return std::hypot(a.x - b.x, a.y - b.y); };
template <typename... A>
std::string Format(const char* modele, A... valeurs) {
  char texte[256];
  std::snprintf(texte, sizeof texte, modele, valeurs...);
  return texte;
}
// Points as the SVG writes them, one decimal, apart.
const auto Texte = [](auto... p) { return (Format(" %.1f,%.1f", p.x, p.y) + ...).substr(1); };

class Dessin : public testing::Test, protected donnees::Modele {
 protected:
  template <typename R = std::initializer_list<TCharge>>
  void Resoudre(std::initializer_list<TPoint> noeuds,
                std::initializer_list<std::initializer_list<int>> elements,
                std::initializer_list<TLiaison> liaisons, const R& charges) {
    std::copy(noeuds.begin(), noeuds.end(), &s.Noeuds[1]), s.NbNoeuds = std::ssize(noeuds);
    for (const auto& sommets : elements) {
      std::copy(sommets.begin(), sommets.end(),
                &Ajouter(s.Elements, TElement{{}, t, E, nu}).Sommets[1]);
    }
    for (const TLiaison& l : liaisons) {
      Ajouter(s.Liaisons, l);
    }
    for (const TCharge& c : charges) {
      Ajouter(s.Charges, c);
    }
    ASSERT_TRUE(s.AssemblageRigidite() &&
                (s.AssemblageForces(), s.MiseEnPlaceLiaisons(), s.CalculDeplacements()));
    d = PreparerDessin(s);
  }
  void Contient(std::initializer_list<std::string> fragments) {
    const std::filesystem::path chemin = dossier.Chemin() / "r.svg";
    TFichierTexte fichier;
    EXPECT_TRUE(fichier.Creer(chemin.string(), TEchec::Releve));
    EcrireSvg(fichier, s, d), fichier.Fermer();
    for (const std::string& f : fragments) {
      EXPECT_NE(std::string::npos, essai::LireFichier(chemin).find(f)) << f;
    }
  }
  TPlan Noeud(int n) const { return d.noeuds[n].deforme; }

  TDessin d;
};

TEST_F(Dessin, TheHandSolutionIsDrawn) {
  // Node 7 alone on a hinge; a support of code 4 holds nothing. Loads null or
  // of an unknown type are not drawn; the last one upward, on a single node.
  s.TypeProbleme = 1;
  const auto P = [](double i, double j) { return TPoint{x0 + i * L, y0 + j * L}; };
  const TCharge charges[] = {{2, 2, 3, 1}, {2, 1, 2, 1},    {2, 5, 6, 2},   {1, 2, 0, 0.6},
                             {2, 1, 2},    {7, 1, 2, 1, 1}, {2, 7, 7, 0, 1}};
  Resoudre({P(2, 0), P(3, 0), P(2, 1), P(1, 0), P(0, 0), P(1, 1), P(0, 1)}, {{2, 3, 1}, {4, 6, 5}},
           {{1, 1}, {2, 1}, {1, 3}, {4, 2}, {3, 4}, {1, 6}, {3, 7}}, charges);
  // The larger side, 3 L, spans 660 units, 150 from the left and the top
  // under a 74-unit heading; the largest displacement a tenth of it, to the
  // three digits of the factor.
  const double u2 = sigma1 * L / E, u5 = -sigma2 * L / E, unite = 660 / (3 * L);
  const TPoint u[] = {{0, 0}, {u2, 0}, {0, -nu * u2}, {0, 0}, {u5, 0}, {0, nu * u5}, {0, 0}};
  EXPECT_LT(Ecart({d.largeur, d.hauteur}, {1170, 594}) + Ecart(d.echelle, {970, 118}), 1e-9);
  EXPECT_NEAR(1.0, d.facteur * u5 / (0.1 * 3 * L), 0.005);
  EXPECT_EQ(d.facteur, TroisChiffres(d.facteur));
  for (int n = 1; n <= 7; ++n) {
    const TPlan p = {150 + (s.Noeuds[n].x - x0) * unite, 444 - (s.Noeuds[n].y - y0) * unite};
    const TPlan deforme = Plus(p, {u[n - 1].x, -u[n - 1].y}, d.facteur * unite);
    EXPECT_LT(Ecart(p, d.noeuds[n].initial) + Ecart(deforme, Noeud(n)), 1e-9) << n;
  }
  // Supports at their nodes, outside the model, based along x for u = 0.
  const TPlan cotes[] = {{1, 0}, {0, 1}, {1, 0}, {0, 1}, {-1, 0}, {0, -1}};
  ASSERT_EQ(6u, d.liaisons.size());
  for (std::size_t k = 0; const TLiaisonDessinee& l : d.liaisons) {
    EXPECT_EQ(0, Ecart(l.cote, cotes[k++]) + Ecart(l.position, Noeud(l.noeud))) << k;
  }
  // Arrows 30 units long along the force, tails from N1 to N2: from a pulled
  // edge, onto a pushed one, 8 units outside one along which the load runs.
  const TPlan decalages[] = {{0, 0}, {-15, 8}, {-30, 0}, {7, 0}, {0, 0}};
  ASSERT_EQ(5u, d.charges.size());
  for (std::size_t k = 0; k < 5; ++k) {
    SCOPED_TRACE(k);
    const std::vector<TFleche>& f = d.charges[k].fleches;
    const TCharge& c = charges[k < 4 ? k : 6];
    const TPlan a = Plus(k == 3 ? d.elements[2].centre : Noeud(c.N1), decalages[k]);
    const TPlan b = k == 3 ? a : Plus(Noeud(c.N2), decalages[k]);
    EXPECT_EQ(k != 1 && k != 3, d.charges[k].trait);
    EXPECT_LT(Ecart(f.front().queue, a) + Ecart(f.back().queue, b), 1e-9);
    for (const TFleche& e : f) {
      EXPECT_LT(Ecart(e.tete, Plus(e.queue, {c.Fx, -c.Fy}, 30 / std::hypot(c.Fx, c.Fy))), 1e-9);
    }
  }
  // In the SVG: element 1, the least stressed, blue, element 2 red; the scale
  // evenly between their stresses; the roller on wheels; two arrows; node 2's
  // dot and the last node's number; the values.
  const TPlan p = Noeud(1), q = Noeud(2), b = Plus(q, {23, 0}), c = d.charges[1].etiquette;
  const TPlan h = d.charges[4].fleches[0].tete,
              v = {2 * q.x - p.x - Noeud(3).x, 2 * q.y - p.y - Noeud(3).y};
  // Node 2's number, 0.9 of the digits' size away from its one element's centre.
  EXPECT_LT(Ecart(d.noeuds[2].numero, Plus(q, v, 0.9 * d.police / std::hypot(v.x, v.y))), 1e-9);
  Contient(
      {"<polygon points=\"" + Texte(q, Noeud(3), p) + "\" fill=\"#2c7bb6\"/>\n<polygon points=\"" +
           Texte(Noeud(4), Noeud(6), Noeud(5)) + "\" fill=\"#d7191c\"/>\n</g>",
       Format("\">%.3f</text>\n<path d=\"M", sigma1) + Texte(Plus(d.echelle, {20, 192})) + "h4\"",
       Format("\">%.3f</text>\n", (4 * sigma1 - sigma2) / 5),
       Format("\">%.3f</text>\n</g>", -sigma2),
       "u\"><polygon points=\"" + Texte(p, Plus(p, {10.08, 8.4}), Plus(p, {10.08, -8.4})),
       "v\"><polygon points=\"" + Texte(p, Plus(p, {-8.4, 10.08}), Plus(p, {8.4, 10.08})) +
           Format("\"/><circle cx=\"%.1f\" cy=\"%.1f\" r=\"2.0\"/>", p.x - 4.2, p.y + 12.04),
       "<path d=\"M" + Texte(q) + "L" + Texte(b) + "\"/><polygon points=\"" +
           Texte(Plus(q, {30, 0}), Plus(b, {0, 3}), Plus(b, {0, -3})),
       "<polygon points=\"" + Texte(h, Plus(h, {3, 7}), Plus(h, {-3, 7})),
       Format("<circle cx=\"%.1f\" cy=\"%.1f\" r=\"1.6\"/>", q.x, q.y),
       ">7</text>\n</g>\n<g class=\"elements\"",
       Format("<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">1 N/mm<", c.x, c.y + 11),
       "text-anchor=\"start\">0.6 N/mm\xC2\xB3<", "text-anchor=\"end\">2 N/mm<",
       ".txt \342\200\224 contraintes planes</text>"});
}

// One element, unloaded, a tenth of the model's size: nothing moves, one colour,
// numbers a fifth of its drawn side. Titles in UTF-8, the name as typed if UTF-8
// (no surrogate, not cut), else Windows-1252. A fault leaves no file, one line.
TEST_F(Dessin, UnloadedElementTitlesAndFault) {
  s.TypeProbleme = 2;
  Resoudre({{0, 0}, {1, 0}, {0, 1}, {0, 10}}, {{1, 2, 3}}, {{3, 1}, {2, 2}, {3, 4}}, {});
  EXPECT_NEAR(0.2 * std::sqrt(66.0 * 66.0 / 2), d.police, 1e-9);
  Contient({">0 (uniforme)</text>", "y=\"46\">D\303\251placements nuls"});
  for (const auto& [nom, titre] :
       {std::pair{"a &b<c>\"\xE9", "a &amp;b&lt;c&gt;&quot;\xC3\xA9"},
        {"\x80\x81\x01\x9F", "\xE2\x82\xAC\xEF\xBF\xBD\xEF\xBF\xBD\xC5\xB8"},
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
        {"\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80", "\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80"},
        {"a\xC3", "a\xC3\x83"}}) {
    s.NomFichier = nom;
    Contient({Format("<title>%s.txt</title>", titre)});
  }
  s.Elements.Liste[1]->Sommets[2] = 0;
  s.NomFichier = (dossier.Chemin() / "plaque").string();
  testing::internal::CaptureStderr();
  s.EcritureDessin();
  EXPECT_EQ("Dessin non \351crit : " + s.NomFichier + "r.svg (calcul du dessin impossible)\r\n",
            testing::internal::GetCapturedStderr());
  EXPECT_FALSE(std::filesystem::exists(s.NomFichier + "r.svg"));
}

TEST(DessinValeurs, EquivalentStressColoursAndThreeDigits) {
  // Equal biaxial with plane strain's szz; squares that would overflow; 0.625
  // halfway from pale yellow to orange.
  EXPECT_NEAR(40, ContrainteEquivalente({.sxx = 100, .syy = 100, .szz = 60}), 1e-12);
  EXPECT_EQ(DBL_MAX, ContrainteEquivalente({.sxx = DBL_MAX, .syy = -DBL_MAX}));
  EXPECT_EQ("#ffffbf#fed790#2c7bb6#d7191c", CouleurEchelle(0.5) + CouleurEchelle(0.625) +
                                                CouleurEchelle(-3.0) + CouleurEchelle(7.0));
  EXPECT_EQ(std::pair(0.000503, -1230.0),
            std::pair(TroisChiffres(0.000502545), TroisChiffres(-1234.56)));
}

}  // namespace
