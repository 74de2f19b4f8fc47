// The picture beside the report, from runs of the built program on every
// golden case's data: drawn after a complete analysis only, well-formed,
// plain and self-contained, titled after the data file and the problem, one
// filled polygon per element coloured in the order of the report's stresses,
// accepted by a real SVG renderer. A picture that cannot be written is a
// golden case of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
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

// Whether the bytes are UTF-8 (shortest forms, no surrogate) holding no
// control character that XML refuses.
bool Utf8Valide(const std::string& s) {
  const std::uint32_t minimum[] = {0, 0x80, 0x800, 0x10000};
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i++]);
    const int suite = (c >= 0xC0) + (c >= 0xE0) + (c >= 0xF0);
    std::uint32_t point = suite == 0 ? c : c & (0x3F >> suite);
    for (int k = 0; k < suite; ++k, ++i) {
      point = i < s.size() && (s[i] & 0xC0) == 0x80 ? point << 6 | (s[i] & 0x3F) : 0xD800;
    }
    if ((suite == 0 && c >= 0x80) || c >= 0xF5 || point < minimum[suite] || point > 0x10FFFF ||
        (point >= 0xD800 && point < 0xE000) ||
        (point < 0x20 && point != '\n' && point != '\r' && point != '\t')) {
      return false;
    }
  }
  return true;
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

// Character data with its entities replaced, "&amp;" last.
std::string Decoder(std::string s) {
  for (const auto& [entite, c] :
       {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}}) {
    for (std::size_t i = s.find(entite); i != npos; i = s.find(entite, i + 1)) {
      s.replace(i, std::string(entite).size(), c);
    }
  }
  return s;
}

// The picture of a complete analysis against its report.
void VerifierDessin(const std::string& svg, const std::string& rapport) {
  EXPECT_EQ("", Malforme(svg));
  EXPECT_LT(svg.size(), 100000u);
  // Self-contained and plain: markup characters escaped, nothing fetched or
  // run, sized by the window, numbers without exponent, NaN or infinity.
  EXPECT_TRUE(Utf8Valide(svg));
  for (std::size_t i = svg.find_first_of("&<"); i != npos; i = svg.find_first_of("&<", i + 1)) {
    const std::string suite = svg.substr(i, 6);
    EXPECT_TRUE(suite[0] == '<' ? std::isalpha(static_cast<unsigned char>(suite[1])) ||
                                      suite[1] == '/' || (i == 0 && suite[1] == '?')
                                : std::regex_search(suite, std::regex("^&(amp|lt|gt|quot|apos);")))
        << "raw " << suite[0] << " at " << i;
  }
  for (const char* interdit :
       {"<script", "href", "<image", "<style", "@import", "<foreignObject", "nan", "inf", "e+"}) {
    EXPECT_EQ(npos, svg.find(interdit)) << interdit;
  }
  for (std::size_t i = svg.find("url("); i != npos; i = svg.find("url(", i + 1)) {
    EXPECT_EQ("url(#", svg.substr(i, 5)) << "a reference outside the file";
  }
  const std::size_t svgDebut = svg.find("<svg ");
  const std::string racine = svg.substr(svgDebut, svg.find('>', svgDebut) - svgDebut);
  EXPECT_TRUE(racine.find(" viewBox=\"") != npos && racine.find(" width=") == npos &&
              racine.find(" height=") == npos)
      << racine;
  // The heading's first line: the data file as the report names it, and the problem.
  const auto ligne = [&](const std::string& debut) {
    const std::size_t i = rapport.find(debut) + debut.size();
    return Utf8(rapport.substr(i, rapport.find("\r\n", i) - i));
  };
  const std::size_t titre = svg.find('>', svg.find("<text", svg.find("<g class=\"titre\""))) + 1;
  EXPECT_EQ(ligne("Lecture du fichier : ") + " \xE2\x80\x94 " + ligne("Probl\xE8me : "),
            Decoder(svg.substr(titre, svg.find("</text>", titre) - titre)));
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
  const auto couleurs = [&](const std::string& motif, std::size_t debut, std::size_t fin) {
    std::vector<int> rouges;
    for (std::size_t i = svg.find(motif, debut); i < fin; i = svg.find(motif, i + 1)) {
      const std::size_t c = i + motif.size();
      rouges.push_back(std::stoi(svg.substr(c, 2), nullptr, 16) -
                       std::stoi(svg.substr(c + 4, 2), nullptr, 16));
    }
    return rouges;
  };
  const std::vector<int> echelle = couleurs("stop-color=\"#", 0, svg.size());
  EXPECT_TRUE(echelle.size() > 1 && std::is_sorted(echelle.begin(), echelle.end()));
  const std::size_t g = svg.find("<g class=\"deformee\""), fin = svg.find("</g>", g);
  const std::vector<int> elements = couleurs("\" fill=\"#", g, fin);
  ASSERT_EQ(vm.size(), elements.size()) << "one filled polygon per element";
  const double arrondi = 0.02;
  for (std::size_t j = 0; j < vm.size(); ++j) {
    for (std::size_t k = 0; k < vm.size(); ++k) {
      EXPECT_TRUE(vm[j] + arrondi > vm[k] || elements[j] <= elements[k] + 2)
          << "element " << j + 1 << " is less stressed than " << k + 1;
    }
  }
  if (*std::max_element(vm.begin(), vm.end()) - *std::min_element(vm.begin(), vm.end()) > arrondi) {
    EXPECT_EQ(echelle.front(), *std::min_element(elements.begin(), elements.end()));
    EXPECT_EQ(echelle.back(), *std::max_element(elements.begin(), elements.end()));
  }
}

// The picture goes beside the results file shown when the report is whole.
TEST(Dessin, CompleteAnalysesAloneAreDrawnWithTheirStresses) {
  for (const auto& cas : fs::directory_iterator(kCas)) {
    SCOPED_TRACE(cas.path().filename().string());
    const essai::DossierTemporaire dossier;
    const std::optional<essai::Execution> e = essai::LancerCas(cas.path(), dossier.Chemin());
    if (!e) {
      continue;  // a run this system cannot give
    }
    std::set<fs::path> attendus, dessins;
    for (const std::string& resultats : e->visualiseur) {
      const std::string rapport =
          essai::LireCas(cas.path())["attendu/fichiers/" +
                                     fs::path(resultats).lexically_normal().generic_string()];
      if (e->erreur.empty() && rapport.find("\r\nActions de liaison [ N ]:\r\n") != npos) {
        // The viewer may be given "./" before the name.
        const fs::path dessin = fs::path(resultats).lexically_normal().replace_extension(".svg");
        attendus.insert(dessin);
        VerifierDessin(LireFichier(dossier.Chemin() / dessin), rapport);
      }
    }
    for (const auto& f : fs::recursive_directory_iterator(dossier.Chemin())) {
      if (f.is_regular_file() && f.path().extension() == ".svg") {
        dessins.insert(fs::relative(f.path(), dossier.Chemin()));
      }
    }
    EXPECT_EQ(attendus, dessins);
  }
}

TEST(Dessin, RendererAcceptsThePicture) {
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
