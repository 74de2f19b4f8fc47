// The picture beside the report, from runs of the built program on a few
// golden cases: the worked example, plane strain, a model at the limits of
// the reals, a stopped analysis; a real renderer takes the picture of a
// hundred nodes. What the picture draws is checked in test_dessin_valeurs.cpp.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/outils_processus.hpp"

namespace {

namespace fs = std::filesystem;
using essai::LireFichier;
constexpr auto npos = std::string::npos;
const fs::path kCas = ELASPLAN_DOSSIER_E2E;

// Why a text is not well-formed XML, "" when it is: tags balanced under one
// root, attribute values quoted (the picture has no DTD, comment or CDATA).
std::string Malforme(const std::string& x) {
  std::vector<std::string> ouverts;
  int racines = 0;
  for (std::size_t i = x.find('<', x.starts_with("<?xml ") ? 2 : 0); i != npos;
       i = x.find('<', i)) {
    std::size_t j = i + 1;
    for (bool cite = false; j < x.size() && (cite || x[j] != '>'); cite ^= x[j++] == '"') {
      if (x[j] == '<' || (!cite && x[j] == '=' && x.compare(j + 1, 1, "\"") != 0)) {
        return "attribute not quoted at " + std::to_string(j);
      }
    }
    const std::string nom = x.substr(i + 1, x.find_first_of(" \n/>", i + 2) - i - 1);
    if (j == x.size() ||
        (nom.starts_with("/") && (ouverts.empty() || "/" + ouverts.back() != nom))) {
      return "<" + nom + " not closed, or closing nothing open";
    }
    if (nom.starts_with("/")) {
      ouverts.pop_back();
    } else if (x[j - 1] != '/') {
      racines += ouverts.empty();
      ouverts.push_back(nom);
    }
    i = j;
  }
  return ouverts.empty() && racines == 1 ? "" : "not one root, or tags left open";
}

// A stopped analysis draws nothing; a complete one a well-formed, plain
// picture, whatever its numbers.
TEST(DessinDesCas, RepresentativeModelsAreDrawnWellFormed) {
  for (const char* nom :
       {"plaque", "deformations_planes", "dessin_aux_confins", "element_degenere"}) {
    SCOPED_TRACE(nom);
    const essai::DossierTemporaire dossier;
    const std::optional<essai::Execution> e = essai::LancerCas(kCas / nom, dossier.Chemin());
    ASSERT_TRUE(e && e->erreur.empty() && e->visualiseur.size() == 1);
    const std::string rapport = essai::LireCas(kCas / nom)["attendu/fichiers/" + e->visualiseur[0]];
    const fs::path dessin =
        dossier.Chemin() / fs::path(e->visualiseur[0]).replace_extension(".svg");
    const std::string svg = LireFichier(dessin);
    if (rapport.find("\r\nActions de liaison [ N ]:\r\n") == npos) {
      EXPECT_FALSE(fs::exists(dessin)) << "drawn after an analysis that stopped";
      continue;
    }
    EXPECT_EQ("", Malforme(svg));
    for (const char* interdit : {"<script", "href", "<image", "<style", "nan", "inf"}) {
      EXPECT_EQ(npos, svg.find(interdit)) << interdit;
    }
  }
}

TEST(DessinDesCas, RendererAcceptsThePicture) {
#ifndef _WIN32
  if (std::system("command -v rsvg-convert >/dev/null 2>&1") == 0) {
    const essai::DossierTemporaire dossier;
    essai::LancerCas(kCas / "cent_noeuds", dossier.Chemin());
    const std::string d = (dossier.Chemin() / "poutrer").string();
    EXPECT_EQ(
        0, std::system(("rsvg-convert -o '" + d + ".png' '" + d + ".svg' 2>'" + d + "'").c_str()));
    EXPECT_EQ("", LireFichier(d));
    EXPECT_TRUE(LireFichier(d + ".png").starts_with("\x89PNG\r\n\x1A\n"));
    return;
  }
#endif
  GTEST_SKIP() << "no rsvg-convert here (Debian package librsvg2-bin)";
}

}  // namespace
