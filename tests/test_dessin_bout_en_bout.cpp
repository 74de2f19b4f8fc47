// The picture beside the report, from the built program run as a user would:
// written after a complete analysis only, well-formed, coloured as the
// report's stresses say, accepted by a real SVG renderer, and never a reason
// for the run to change its outcome.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/outils_processus.hpp"
#include "tests/verification_svg.hpp"

namespace {

namespace fs = std::filesystem;

// A cantilever of four cells of 50 mm, hinged and held along x on its left
// edge, loaded downward on its right edge and by its weight.
const char kConsole[] =
    "Console en huit \xE9l\xE9ments\r\n"
    "$deb\r\n$pro\r\n1\r\n"
    "$noe\r\n10\r\n0 0\r\n50 0\r\n100 0\r\n150 0\r\n200 0\r\n"
    "0 50\r\n50 50\r\n100 50\r\n150 50\r\n200 50\r\n"
    "$ele\r\n8\r\n"
    "1 2 7 210000 0.3 10\r\n1 7 6 210000 0.3 10\r\n"
    "2 3 8 210000 0.3 10\r\n2 8 7 210000 0.3 10\r\n"
    "3 4 9 210000 0.3 10\r\n3 9 8 210000 0.3 10\r\n"
    "4 5 10 210000 0.3 10\r\n4 10 9 210000 0.3 10\r\n"
    "$lia\r\n2\r\n3 1\r\n1 6\r\n"
    "$cha\r\n2\r\n2 5 10 0 -20\r\n1 1 0 -7.85e-5\r\n"
    "$fin\r\n";
constexpr int kNbElements = 8;

class DessinBoutEnBout : public testing::Test {
 protected:
  essai::Execution Lancer(const std::string& donnees, long limiteTaille = -1) {
    essai::EcrireFichier(travail_.Chemin() / "console.txt", donnees);
    essai::Lancement lancement;
    lancement.programme = ELASPLAN_PROGRAMME;
    lancement.dossier = travail_.Chemin();
    lancement.entree = "console\n";
    lancement.limiteTailleFichier = limiteTaille;
    const essai::Execution execution = essai::Lancer(lancement, 1);
    EXPECT_FALSE(execution.delaiDepasse);
    EXPECT_EQ(0, execution.signal);
    return execution;
  }
  fs::path Dessin() const { return travail_.Chemin() / "consoler.svg"; }
  std::string Rapport() const { return essai::LireFichier(travail_.Chemin() / "consoler.txt"); }

  // The report's stresses, element by element: sxx, syy, sxy, szz.
  std::vector<std::vector<double>> Contraintes() const {
    const std::string rapport = Rapport();
    const std::string entete = "\xC9lement  sxx";
    std::size_t debut = rapport.find(entete);
    std::vector<std::vector<double>> contraintes;
    if (debut == std::string::npos) {
      return contraintes;
    }
    std::istringstream lignes(rapport.substr(rapport.find("\r\n\r\n", debut) + 4));
    for (int k = 1; k <= kNbElements; ++k) {
      int numero = 0;
      std::vector<double> valeurs(4);
      lignes >> numero >> valeurs[0] >> valeurs[1] >> valeurs[2] >> valeurs[3];
      EXPECT_EQ(k, numero);
      lignes.ignore(1000, '\n');
      contraintes.push_back(valeurs);
    }
    return contraintes;
  }

  essai::DossierTemporaire travail_;
};

TEST_F(DessinBoutEnBout, CompleteAnalysisDrawsTheReportsStresses) {
  const essai::Execution execution = Lancer(kConsole);
  EXPECT_EQ(0, execution.statut);
  EXPECT_EQ("", execution.erreur);
  ASSERT_TRUE(fs::is_regular_file(Dessin()));
  std::vector<verification_svg::Element> elements;
  ASSERT_EQ("", verification_svg::Analyser(essai::LireFichier(Dessin()), elements));
  const auto polygones = verification_svg::DansClasse(elements, "deformee", "polygon");
  ASSERT_EQ(static_cast<std::size_t>(kNbElements), polygones.size());

  // von Mises from the report's columns (two decimals: stresses of tens of
  // MPa leave the order unambiguous).
  std::vector<double> equivalentes;
  for (const auto& s : Contraintes()) {
    const double a = s[0] - s[1];
    const double b = s[1] - s[3];
    const double c = s[3] - s[0];
    equivalentes.push_back(std::sqrt((a * a + b * b + c * c) / 2.0 + 3.0 * s[2] * s[2]));
  }
  ASSERT_EQ(static_cast<std::size_t>(kNbElements), equivalentes.size());
  double minimum = equivalentes[0];
  double maximum = equivalentes[0];
  for (const double v : equivalentes) {
    minimum = std::min(minimum, v);
    maximum = std::max(maximum, v);
  }
  ASSERT_GT(maximum - minimum, 1.0);
  for (int k = 0; k < kNbElements; ++k) {
    const double position =
        verification_svg::PositionSurEchelle(elements, polygones[k].attributs.at("fill"));
    EXPECT_NEAR((equivalentes[k] - minimum) / (maximum - minimum), position, 0.02)
        << "element " << k + 1;
  }
}

TEST_F(DessinBoutEnBout, RendererAcceptsThePicture) {
#ifdef _WIN32
  GTEST_SKIP() << "the renderer is checked on Linux";
#else
  if (std::system("command -v rsvg-convert >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "rsvg-convert is not installed (Debian package librsvg2-bin)";
  }
  Lancer(kConsole);
  ASSERT_TRUE(fs::is_regular_file(Dessin()));
  const fs::path png = travail_.Chemin() / "rendu.png";
  const std::string commande = "rsvg-convert -o '" + png.string() + "' '" + Dessin().string() +
                               "' 2>'" + (travail_.Chemin() / "rsvg.err").string() + "'";
  EXPECT_EQ(0, std::system(commande.c_str())) << essai::LireFichier(travail_.Chemin() / "rsvg.err");
  EXPECT_EQ("", essai::LireFichier(travail_.Chemin() / "rsvg.err"));
  ASSERT_TRUE(fs::is_regular_file(png));
  EXPECT_EQ("\x89PNG\r\n\x1A\n", essai::LireFichier(png).substr(0, 8));
#endif
}

TEST_F(DessinBoutEnBout, StoppedAnalysisDrawsNothing) {
  struct Cas {
    const char* nom;
    std::vector<std::pair<std::string, std::string>> changements;
  };
  const Cas cas[] = {
      {"clockwise element", {{"1 2 7 210000", "2 1 7 210000"}}},  // assembly refuses it
      {"no problem type", {{"$pro\r\n1\r\n", ""}}},               // stops after reading
      {"free node",                                               // its pivot is zero
       {{"$noe\r\n10\r\n", "$noe\r\n11\r\n"}, {"200 50\r\n$ele", "200 50\r\n300 0\r\n$ele"}}},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom);
    std::string donnees = kConsole;
    for (const auto& [avant, apres] : c.changements) {
      const std::size_t ici = donnees.find(avant);
      ASSERT_NE(std::string::npos, ici);
      donnees.replace(ici, avant.size(), apres);
    }
    fs::remove(Dessin());
    const essai::Execution execution = Lancer(donnees);
    EXPECT_EQ(0, execution.statut);
    EXPECT_EQ("", execution.erreur);
    EXPECT_EQ(std::string::npos, Rapport().find("Contraintes [ MPa ]")) << "the analysis went on";
    EXPECT_FALSE(fs::exists(Dessin()));
  }
}

// The picture's failure changes nothing else: same console, same report, the
// viewer started, status 0; one line on standard error and no picture.
TEST_F(DessinBoutEnBout, PictureThatCannotBeWrittenLeavesTheRunAsItWas) {
  const essai::Execution normale = Lancer(kConsole);
  const std::string rapport = Rapport();
  fs::remove(Dessin());

  fs::create_directory(Dessin());  // a folder holds the picture's name
  const essai::Execution refusee = Lancer(kConsole);
  EXPECT_EQ(0, refusee.statut);
  EXPECT_EQ(normale.sortie, refusee.sortie);
  EXPECT_EQ(normale.visualiseur, refusee.visualiseur);
  EXPECT_EQ(rapport, Rapport());
  EXPECT_TRUE(fs::is_directory(Dessin()));
  EXPECT_EQ(
      "Dessin non \xE9"
      "crit : consoler.svg (un dossier porte ce nom)\r\n",
      refusee.erreur);
  fs::remove(Dessin());

  // A size limit that the report fits in but not the picture.
  essai::Lancement limite;
  limite.limiteTailleFichier = 4000;
  if (!essai::Possible(limite)) {
    return;
  }
  ASSERT_LT(rapport.size(), 4000u);
  const essai::Execution tronquee = Lancer(kConsole, 4000);
  EXPECT_EQ(0, tronquee.statut);
  EXPECT_EQ(normale.sortie, tronquee.sortie);
  EXPECT_EQ(rapport, Rapport());
  EXPECT_EQ(
      "Dessin non \xE9"
      "crit : consoler.svg (fichier trop grand)\r\n",
      tronquee.erreur);
  EXPECT_FALSE(fs::exists(Dessin()));
}

}  // namespace
