// The picture of a few golden cases as the built program writes it: the
// worked example, plane strain, the limits of the reals, a hundred nodes;
// none after an analysis that stopped. A real renderer must take each one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/outils_processus.hpp"

namespace {

namespace fs = std::filesystem;

TEST(DessinDesCas, RepresentativeModelsAreDrawnAndRendered) {
  const bool rendu = std::system("command -v rsvg-convert >/dev/null 2>&1") == 0;
  for (const std::string nom :
       {"plaque", "deformations_planes", "dessin_aux_confins", "cent_noeuds", "element_degenere"}) {
    const essai::DossierTemporaire dossier;
    const auto e = essai::LancerCas(fs::path(ELASPLAN_DOSSIER_E2E) / nom, dossier.Chemin());
    ASSERT_TRUE(e && e->erreur.empty() && e->visualiseur.find('\n') + 1 == e->visualiseur.size())
        << nom;
    const std::string vu = e->visualiseur.substr(0, e->visualiseur.size() - 1);
    const std::string d = (dossier.Chemin() / fs::path(vu).replace_extension("")).string();
    if (nom == "element_degenere") {
      EXPECT_FALSE(fs::exists(d + ".svg")) << "drawn after an analysis that stopped";
      continue;
    }
    const std::string svg = essai::LireFichier(d + ".svg");
    for (const char* interdit : {"<script", "href", "<image", "<style", "nan", "inf"}) {
      EXPECT_EQ(std::string::npos, svg.find(interdit)) << nom << interdit;
    }
    const std::string commande = "rsvg-convert -o '" + d + ".png' '" + d + ".svg' 2>'" + d + "'";
    EXPECT_TRUE(!rendu || (std::system(commande.c_str()) == 0 && essai::LireFichier(d).empty() &&
                           essai::LireFichier(d + ".png").starts_with("\x89PNG\r\n\x1A\n")))
        << nom;
  }
  if (!rendu) {
    GTEST_SKIP() << "no rsvg-convert here (Debian package librsvg2-bin)";
  }
}

}  // namespace
