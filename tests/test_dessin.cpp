// The picture beside the report, from runs of the built program on a few
// golden cases, well-formed and taken by a real renderer when there is one.
// What the picture draws is checked in test_dessin_valeurs.cpp.
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
TEST(DessinDesCas, RepresentativeModelsAreDrawnWellFormedAndRendered) {
  const bool rendu = std::system("command -v rsvg-convert >/dev/null 2>&1") == 0;
  for (const char* nom :
       {"plaque", "deformations_planes", "dessin_aux_confins", "cent_noeuds", "element_degenere"}) {
    SCOPED_TRACE(nom);
    const essai::DossierTemporaire dossier;
    const std::optional<essai::Execution> e = essai::LancerCas(kCas / nom, dossier.Chemin());
    ASSERT_TRUE(e && e->erreur.empty() && e->visualiseur.size() == 1);
    const fs::path d = dossier.Chemin() / fs::path(e->visualiseur[0]).replace_extension("");
    const std::string svg = LireFichier(d.string() + ".svg");
    if (std::string(nom) == "element_degenere") {  // an analysis that stopped
      EXPECT_FALSE(fs::exists(d.string() + ".svg"));
      continue;
    }
    EXPECT_EQ("", Malforme(svg));
    for (const char* interdit : {"<script", "href", "<image", "<style", "nan", "inf"}) {
      EXPECT_EQ(npos, svg.find(interdit)) << interdit;
    }
    std::string commande = "rsvg-convert -o '";
    commande += d.string() + ".png' '" + d.string() + ".svg'";
    EXPECT_TRUE(!rendu || std::system(commande.c_str()) == 0);
  }
}

}  // namespace
