// The picture beside the report, from runs of the built program on a few
// golden cases: the worked example, plane strain, a model at the limits of
// the reals, a stopped analysis (no picture). It is well-formed and plain,
// titled after the data file and the problem, with one filled polygon per
// element coloured in the order of the report's stresses; a real renderer
// takes the picture of a hundred nodes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
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

// Windows-1252 text of the goldens (no byte from 0x80 to 0x9F) as UTF-8.
std::string Utf8(const std::string& s) {
  std::string u;
  for (const char c : s) {
    const auto o = static_cast<unsigned char>(c);
    u += o < 0x80 ? std::string(1, c) : std::string{char(0xC0 | o >> 6), char(0x80 | (o & 0x3F))};
  }
  return u;
}

// The picture of a complete analysis against its report.
void VerifierDessin(const std::string& svg, const std::string& rapport) {
  EXPECT_EQ("", Malforme(svg));
  for (const char* interdit : {"<script", "href", "<image", "<style", "nan", "inf"}) {
    EXPECT_EQ(npos, svg.find(interdit)) << interdit;
  }
  const auto ligne = [&](const std::string& debut) {
    const std::size_t i = rapport.find(debut) + debut.size();
    return Utf8(rapport.substr(i, rapport.find("\r\n", i) - i));
  };
  const std::size_t titre = svg.find('>', svg.find("<text", svg.find("<g class=\"titre\""))) + 1;
  EXPECT_EQ(ligne("Lecture du fichier : ") + " \xE2\x80\x94 " + ligne("Probl\xE8me : "),
            svg.substr(titre, svg.find("</text>", titre) - titre));
  // von Mises from the report's stresses: sxx, syy, sxy, szz to two decimals.
  std::vector<double> vm;
  std::istringstream lignes(
      rapport.substr(rapport.find("\r\n\r\n", rapport.find("\xC9lement")) + 4));
  for (std::string l; std::getline(lignes, l) && l.size() > 1;) {
    double k, xx, yy, xy, zz;
    std::istringstream(l) >> k >> xx >> yy >> xy >> zz;
    vm.push_back(std::hypot(std::hypot(xx - yy, yy - zz, zz - xx) / std::sqrt(2.0), 1.732 * xy));
  }
  // The scale runs from blue to red through pale yellow: red minus blue grows
  // along it, and so orders its colours, to the rounding of the two channels.
  std::vector<int> rouges;
  const std::size_t g = svg.find("<g class=\"deformee\""), fin = svg.find("</g>", g);
  for (std::size_t i = svg.find("\" fill=\"#", g); i < fin; i = svg.find("\" fill=\"#", i + 1)) {
    rouges.push_back(std::stoi(svg.substr(i + 9, 2), nullptr, 16) -
                     std::stoi(svg.substr(i + 13, 2), nullptr, 16));
  }
  ASSERT_EQ(vm.size(), rouges.size()) << "one filled polygon per element";
  for (std::size_t j = 0; j < vm.size(); ++j) {
    for (std::size_t k = 0; k < vm.size(); ++k) {
      EXPECT_TRUE(vm[j] + 0.02 > vm[k] || rouges[j] <= rouges[k] + 2)
          << "element " << j + 1 << " is less stressed than " << k + 1;
    }
  }
}

TEST(DessinDesCas, RepresentativeModelsAreDrawnWithTheirStresses) {
  for (const char* nom :
       {"plaque", "deformations_planes", "dessin_aux_confins", "element_degenere"}) {
    SCOPED_TRACE(nom);
    const essai::DossierTemporaire dossier;
    const std::optional<essai::Execution> e = essai::LancerCas(kCas / nom, dossier.Chemin());
    ASSERT_TRUE(e && e->erreur.empty() && e->visualiseur.size() == 1);
    const std::string rapport =
        LireFichier(kCas / nom / "attendu" / "fichiers" / e->visualiseur[0]);
    const fs::path dessin =
        dossier.Chemin() / fs::path(e->visualiseur[0]).replace_extension(".svg");
    if (rapport.find("\r\nActions de liaison [ N ]:\r\n") == npos) {
      EXPECT_FALSE(fs::exists(dessin)) << "drawn after an analysis that stopped";
    } else {
      VerifierDessin(LireFichier(dessin), rapport);
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
