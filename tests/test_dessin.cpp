// Golden cases drawn by the built program (worked example, plane strain, the
// reals' limits, a hundred nodes; none after a stopped analysis), rendered.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include "tests/outils_processus.hpp"

namespace {

TEST(DessinDesCas, RepresentativeModelsAreDrawnAndRendered) {
  const bool rendu = std::system("command -v rsvg-convert >/dev/null 2>&1") == 0;
  for (const std::string nom :
       {"plaque", "deformations_planes", "dessin_aux_confins", "cent_noeuds", "element_degenere"}) {
    const essai::DossierTemporaire dossier;
    const auto e = essai::LancerCas(ELASPLAN_DOSSIER_E2E "/" + nom, dossier.Chemin());
    ASSERT_TRUE(e && e->erreur.empty()) << nom;
    const std::filesystem::path vu = e->visualiseur.substr(0, e->visualiseur.find('\n'));
    const std::string d = (dossier.Chemin() / vu).replace_extension("").string();
    ASSERT_EQ(nom != "element_degenere", std::filesystem::exists(d + ".svg")) << nom;
    const std::string svg = essai::LireFichier(d + ".svg");
    EXPECT_FALSE(std::regex_search(svg, std::regex("<script|href|<image|<style|nan|inf"))) << nom;
    const std::string commande = "rsvg-convert -o '" + d + ".png' '" + d + ".svg' 2>'" + d + "'";
    EXPECT_TRUE(!rendu || svg.empty() ||
                (std::system(commande.c_str()) == 0 && essai::LireFichier(d).empty() &&
                 essai::LireFichier(d + ".png").starts_with("\x89PNG\r\n\x1A\n")))
        << nom;
  }
  if (!rendu) {
    GTEST_SKIP() << "no rsvg-convert here (Debian package librsvg2-bin)";
  }
}

}  // namespace
