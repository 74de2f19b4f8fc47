// The picture beside the report, from runs of the built program on a few
// golden cases: the worked example, plane strain, a model at the limits of
// the reals, a hundred nodes, an analysis that stopped. A real renderer, a
// strict XML reader, must take each picture. What the picture draws is
// checked in test_dessin_valeurs.cpp.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "tests/outils_processus.hpp"

namespace {

namespace fs = std::filesystem;

TEST(DessinDesCas, RepresentativeModelsAreDrawnAndRendered) {
  const bool rendu = std::system("command -v rsvg-convert >/dev/null 2>&1") == 0;
  for (const char* nom :
       {"plaque", "deformations_planes", "dessin_aux_confins", "cent_noeuds", "element_degenere"}) {
    SCOPED_TRACE(nom);
    const essai::DossierTemporaire dossier;
    const std::optional<essai::Execution> e =
        essai::LancerCas(fs::path(ELASPLAN_DOSSIER_E2E) / nom, dossier.Chemin());
    ASSERT_TRUE(e && e->erreur.empty() && e->visualiseur.find('\n') + 1 == e->visualiseur.size());
    const std::string d =
        (dossier.Chemin() / fs::path(e->visualiseur).replace_extension("")).string();
    if (std::string(nom) == "element_degenere") {
      EXPECT_FALSE(fs::exists(d + ".svg")) << "drawn after an analysis that stopped";
      continue;
    }
    const std::string svg = essai::LireFichier(d + ".svg");
    for (const char* interdit : {"<script", "href", "<image", "<style", "nan", "inf"}) {
      EXPECT_EQ(std::string::npos, svg.find(interdit)) << interdit;
    }
    std::string commande = "rsvg-convert -o '";
    commande += d + ".png' '" + d + ".svg' 2>'" + d + "'";
    EXPECT_TRUE(!rendu || (std::system(commande.c_str()) == 0 && essai::LireFichier(d).empty()));
    EXPECT_TRUE(!rendu || essai::LireFichier(d + ".png").starts_with("\x89PNG\r\n\x1A\n"));
  }
  if (!rendu) {
    GTEST_SKIP() << "no rsvg-convert here (Debian package librsvg2-bin)";
  }
}

}  // namespace
