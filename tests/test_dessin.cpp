#include "report/dessin.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#include <csignal>
#endif

#include "tests/structure_en_memoire.hpp"
#include "tests/verification_svg.hpp"

namespace {

namespace fs = std::filesystem;
using ElementSvg = verification_svg::Element;

std::string Lire(const fs::path& chemin) {
  std::ifstream entree(chemin, std::ios::binary);
  return {std::istreambuf_iterator<char>(entree), std::istreambuf_iterator<char>()};
}

// von Mises from the stress components, written out plainly.
double VonMises(const TContraintesDeformations& c) {
  const double a = c.sxx - c.syy;
  const double b = c.syy - c.szz;
  const double d = c.szz - c.sxx;
  return std::sqrt((a * a + b * b + d * d) / 2.0 + 3.0 * c.sxy * c.sxy);
}

TEST(DessinNombres, TexteFixeRoundsHalfAwayWithoutNegativeZero) {
  struct Cas {
    double valeur;
    int decimales;
    const char* attendu;
  };
  const Cas cas[] = {
      {0.0, 1, "0.0"},
      {-0.0, 1, "0.0"},
      {-0.04, 1, "0.0"},
      {1.25, 1, "1.3"},
      {-1.25, 1, "-1.3"},
      {123.456, 2, "123.46"},
      {0.5, 0, "1"},
      {-0.5, 0, "-1"},
      {999.96, 1, "1000.0"},
      {0.001, 3, "0.001"},
      {7.0, 4, "7.0000"},
      {12.5, -2, "13"},
      {3.14159, 12, "3.141590000"},
      {1e20, 2, "1e20"},
      {-2.5e18, 1, "-2.5e18"},
  };
  for (const Cas& c : cas) {
    EXPECT_EQ(c.attendu, TexteFixe(c.valeur, c.decimales))
        << c.valeur << " with " << c.decimales << " decimals";
  }
}

TEST(DessinNombres, TexteSignificatifKeepsThreeDigits) {
  struct Cas {
    double valeur;
    const char* attendu;
  };
  const Cas cas[] = {
      {0.0, "0"},
      {20833.3, "20800"},
      {19899.0, "19900"},
      {10.0, "10"},
      {2.5, "2.5"},
      {0.0123456, "0.0123"},
      {9.996, "10"},
      {-7.85e-5, "-7.85e-5"},
      {7.85e-5, "7.85e-5"},
      {1e7, "1e7"},
      {9999999.0, "10000000"},
      {1.23456e-12, "1.23e-12"},
      {9.999e-4, "0.001"},
      {9.9999e-5, "1e-4"},
      {0.00050254, "0.000503"},
      {123.456, "123"},
      {-0.5, "-0.5"},
      {1e-320, "0"},
      {DBL_MAX, "1.8e308"},
  };
  for (const Cas& c : cas) {
    EXPECT_EQ(c.attendu, TexteSignificatif(c.valeur)) << c.valeur;
  }
}

TEST(DessinContraintes, EquivalentStressOfKnownStates) {
  struct Cas {
    double sxx, syy, sxy, szz, attendu;
  };
  const Cas cas[] = {
      {100, 0, 0, 0, 100},                 // uniaxial
      {-100, 0, 0, 0, 100},                // compression alike
      {0, 0, 50, 0, 50 * std::sqrt(3.0)},  // pure shear
      {100, 100, 0, 0, 100},               // equal biaxial, plane stress
      {100, 100, 0, 60, 40},               // the same with szz of plane strain
      {100, -100, 0, 0, 100 * std::sqrt(3.0)},
      {0, 0, 0, 0, 0},
  };
  for (const Cas& c : cas) {
    TContraintesDeformations contraintes;
    contraintes.sxx = c.sxx;
    contraintes.syy = c.syy;
    contraintes.sxy = c.sxy;
    contraintes.szz = c.szz;
    EXPECT_NEAR(c.attendu, ContrainteEquivalente(contraintes), 1e-9 * (1 + c.attendu))
        << c.sxx << " " << c.syy << " " << c.sxy << " " << c.szz;
  }
  // Squares of such stresses would overflow: the result stays finite.
  std::feclearexcept(FE_ALL_EXCEPT);
  TContraintesDeformations enorme;
  enorme.sxx = 1e300;
  enorme.syy = -1e300;
  EXPECT_NEAR(std::sqrt(3.0), ContrainteEquivalente(enorme) / 1e300, 1e-12);
  enorme.sxx = DBL_MAX;
  enorme.syy = -DBL_MAX;
  EXPECT_EQ(DBL_MAX, ContrainteEquivalente(enorme));
  EXPECT_EQ(0, std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID));
}

TEST(DessinCouleurs, ScaleRunsFromBlueToRedAndClamps) {
  EXPECT_EQ("#2c7bb6", CouleurEchelle(0.0));
  EXPECT_EQ("#ffffbf", CouleurEchelle(0.5));
  EXPECT_EQ("#d7191c", CouleurEchelle(1.0));
  EXPECT_EQ("#2c7bb6", CouleurEchelle(-3.0));
  EXPECT_EQ("#d7191c", CouleurEchelle(7.0));
  EXPECT_EQ("#2c7bb6", CouleurEchelle(std::nan("")));
  EXPECT_EQ("#fed790", CouleurEchelle(0.625));  // halfway from pale yellow to orange
}

// A structure in memory whose picture is written into a folder of its own,
// under the base name "essai" as if the user had typed that path.
class DessinTest : public StructureEnMemoire {
 protected:
  void SetUp() override {
    StructureEnMemoire::SetUp();
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    dossier_ = fs::temp_directory_path() / ("elasplan_dessin_" + std::string(test->name()) + "_" +
                                            std::to_string(std::random_device{}()));
    fs::create_directories(dossier_);
    S().NomFichier = (dossier_ / "essai").string();
    S().TypeProbleme = 1;
  }
  void TearDown() override {
    std::error_code ignore;
    fs::permissions(dossier_, fs::perms::owner_all, fs::perm_options::add, ignore);
    fs::remove_all(dossier_, ignore);
    StructureEnMemoire::TearDown();
  }

  void Deplacement(int n, double ux, double uy) {
    S().F[2 * n - 1] = ux;
    S().F[2 * n] = uy;
  }

  // The worked example: a square plate of 100 mm in two elements, with the
  // displacements of its report.
  void Plaque() {
    Noeud(1, 0, 0);
    Noeud(2, 100, 0);
    Noeud(3, 100, 100);
    Noeud(4, 0, 100);
    Element(1, 2, 3, 10, 210000, 0.3);
    Element(1, 3, 4, 10, 210000, 0.3);
    Liaison(3, 1);
    Liaison(1, 4);
    Charge(2, 2, 3, 10, 0);
    Charge(1, 1, 0, 0, -7.85e-5);
    Charge(1, 2, 0, 0, -7.85e-5);
    Deplacement(2, 0.000475, -0.000009);
    Deplacement(3, 0.000479, -0.000152);
    Deplacement(4, 0.0, -0.000147);
  }

  // Writes the picture and returns it, "" when there is none; standard error
  // goes to erreur_ and the document's elements to elements_.
  std::string Dessin() {
    testing::internal::CaptureStderr();
    S().EcritureDessin();
    erreur_ = testing::internal::GetCapturedStderr();
    const fs::path chemin = S().NomFichier + "r.svg";
    if (!fs::is_regular_file(chemin)) {
      return "";
    }
    const std::string svg = Lire(chemin);
    const std::string probleme = verification_svg::Analyser(svg, elements_);
    EXPECT_EQ("", probleme) << "not well-formed";
    return svg;
  }

  std::vector<ElementSvg> Dans(const std::string& classe, const std::string& nom) const {
    return verification_svg::DansClasse(elements_, classe, nom);
  }
  std::vector<std::string> Textes(const std::string& classe) const {
    std::vector<std::string> textes;
    for (const ElementSvg& texte : Dans(classe, "text")) {
      textes.push_back(texte.texte);
    }
    return textes;
  }
  static bool Contient(const std::vector<std::string>& textes, const std::string& texte) {
    return std::find(textes.begin(), textes.end(), texte) != textes.end();
  }
  std::set<std::string> FichiersDuDossier() const {
    std::set<std::string> noms;
    for (const auto& entree : fs::directory_iterator(dossier_)) {
      noms.insert(entree.path().filename().string());
    }
    return noms;
  }

  fs::path dossier_;
  std::string erreur_;
  std::vector<ElementSvg> elements_;
};

TEST_F(DessinTest, PictureBesideTheReportIsSelfContainedXml) {
  Plaque();
  const std::string svg = Dessin();
  ASSERT_FALSE(svg.empty());
  EXPECT_EQ("", erreur_);
  EXPECT_EQ((std::set<std::string>{"essair.svg"}), FichiersDuDossier());
  EXPECT_EQ(0u, svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg ", 0));
  ASSERT_FALSE(elements_.empty());
  const ElementSvg& racine = elements_.front();
  EXPECT_EQ("svg", racine.nom);
  EXPECT_EQ("http://www.w3.org/2000/svg", racine.attributs.at("xmlns"));
  EXPECT_EQ(1u, racine.attributs.count("viewBox"));
  // Scales to the window: no fixed size.
  EXPECT_EQ(0u, racine.attributs.count("width"));
  EXPECT_EQ(0u, racine.attributs.count("height"));
  for (const char* interdit :
       {"<script", "href", "<image", "<style", "@import", "<foreignObject", "nan", "inf", "e+"}) {
    EXPECT_EQ(std::string::npos, svg.find(interdit)) << interdit;
  }
  for (std::size_t i = svg.find("url("); i != std::string::npos; i = svg.find("url(", i + 1)) {
    EXPECT_EQ("url(#", svg.substr(i, 5)) << "only references inside the file";
  }
  const std::vector<std::string> titre = Textes("titre");
  ASSERT_EQ(3u, titre.size());
  EXPECT_EQ(S().NomFichier + ".txt \xE2\x80\x94 contraintes planes", titre[0]);
  EXPECT_EQ(
      "D\xC3\xA9"
      "form\xC3\xA9"
      "e amplifi\xC3\xA9"
      "e 19900 fois (d\xC3\xA9placement maximal 0.000503 mm), sur le maillage initial en gris",
      titre[1]);
  EXPECT_EQ(2u, Dans("deformee", "polygon").size());
}

TEST_F(DessinTest, PlaneStrainTitleAndOutOfPlaneStressInTheScale) {
  // Equal biaxial strain 0.001 of the unit triangle, E = 100, nu = 0.25: in
  // plane stress sxx = syy = 0.1333; in plane strain sxx = syy = 0.16 and
  // szz = 0.08, so von Mises falls to 0.08.
  struct Cas {
    int type;
    const char* probleme;
    const char* valeur;
  };
  const Cas cas[] = {{1, "contraintes planes", "0.133 (uniforme)"},
                     {2,
                      "d\xC3\xA9"
                      "formations planes",
                      "0.08 (uniforme)"}};
  TriangleUnite(1, 100, 0.25);
  Deplacement(2, 0.001, 0.0);
  Deplacement(3, 0.0, 0.001);
  for (const Cas& c : cas) {
    S().TypeProbleme = c.type;
    ASSERT_FALSE(Dessin().empty());
    EXPECT_EQ(S().NomFichier + ".txt \xE2\x80\x94 " + c.probleme, Textes("titre").at(0));
    EXPECT_TRUE(Contient(Textes("echelle"), c.valeur)) << c.type;
  }
}

TEST_F(DessinTest, OnePolygonPerElementColouredInStressOrder) {
  // A strip of eight elements; ux = 0.001 x^2 and a shear growing along it
  // give every element its own stress.
  for (int i = 0; i <= 4; ++i) {
    Noeud(2 * i + 1, 10.0 * i, 0.0);
    Noeud(2 * i + 2, 10.0 * i, 10.0);
    Deplacement(2 * i + 1, 0.001 * i * i, 0.0002 * i * i * i);
    Deplacement(2 * i + 2, 0.0012 * i * i, 0.0002 * i * i * i);
  }
  for (int i = 0; i < 4; ++i) {
    Element(2 * i + 1, 2 * i + 3, 2 * i + 4, 1, 1000, 0.3);
    Element(2 * i + 1, 2 * i + 4, 2 * i + 2, 1, 1000, 0.3);
  }
  Liaison(3, 1);
  Liaison(2, 2);
  ASSERT_FALSE(Dessin().empty());

  const std::vector<ElementSvg> polygones = Dans("deformee", "polygon");
  ASSERT_EQ(8u, polygones.size());
  std::vector<double> contraintes;
  for (int k = 1; k <= 8; ++k) {
    TContraintesDeformations c;
    ContraintesElement(S().ElementEn(k), c);
    contraintes.push_back(VonMises(c));
  }
  const double minimum = *std::min_element(contraintes.begin(), contraintes.end());
  const double maximum = *std::max_element(contraintes.begin(), contraintes.end());
  ASSERT_GT(maximum - minimum, 1e-3 * maximum);
  for (std::size_t k = 0; k < polygones.size(); ++k) {
    const double position =
        verification_svg::PositionSurEchelle(elements_, polygones[k].attributs.at("fill"));
    EXPECT_NEAR((contraintes[k] - minimum) / (maximum - minimum), position, 0.01)
        << "element " << k + 1;
    for (std::size_t j = 0; j < polygones.size(); ++j) {
      if (contraintes[j] < contraintes[k]) {
        EXPECT_LE(
            verification_svg::PositionSurEchelle(elements_, polygones[j].attributs.at("fill")),
            position + 1e-9)
            << j + 1 << " is less stressed than " << k + 1;
      }
    }
  }
  // The scale's labels run from the lowest to the highest stress.
  const std::vector<std::string> echelle = Textes("echelle");
  ASSERT_EQ(8u, echelle.size());  // two title lines, six values
  EXPECT_NEAR(minimum, std::stod(echelle[2]), 1e-3 * maximum);
  EXPECT_NEAR(maximum, std::stod(echelle[7]), 1e-3 * maximum);
}

TEST_F(DessinTest, FactorWrittenIsTheOneDrawn) {
  // Box 1 x 1 mm, largest displacement 0.001 mm: 0.1 mm drawn, factor 100,
  // that is a tenth of the 660 units of the larger side.
  TriangleUnite(1, 100, 0.25);
  Deplacement(2, 0.001, 0.0);
  ASSERT_FALSE(Dessin().empty());
  EXPECT_EQ(
      "D\xC3\xA9"
      "form\xC3\xA9"
      "e amplifi\xC3\xA9"
      "e 100 fois (d\xC3\xA9placement maximal 0.001 mm), sur le maillage initial en gris",
      Textes("titre").at(1));
  const std::vector<ElementSvg> maillage = verification_svg::Nommes(elements_, "path");
  ASSERT_FALSE(maillage.empty());
  ASSERT_EQ("maillage", maillage.front().attributs.at("class"));
  const std::string initial = maillage.front().attributs.at("d");  // "Mx,yLx,yLx,yZ"
  const std::string deforme = Dans("deformee", "polygon").at(0).attributs.at("points");
  const double x2Initial = std::stod(initial.substr(initial.find('L') + 1));
  const double x2Deforme = std::stod(deforme.substr(deforme.find(' ') + 1));
  EXPECT_NEAR(66.0, x2Deforme - x2Initial, 0.11);
}

TEST_F(DessinTest, NumbersOfEveryNodeAndElement) {
  Plaque();
  Noeud(5, 50, 150);  // given, in no element: numbered all the same
  ASSERT_FALSE(Dessin().empty());
  EXPECT_EQ((std::vector<std::string>{"1", "2", "3", "4", "5"}), Textes("noeuds"));
  EXPECT_EQ((std::vector<std::string>{"1", "2"}), Textes("elements"));
  EXPECT_EQ(5u, Dans("points-noeuds", "circle").size());
}

TEST_F(DessinTest, SupportsAndLoadsWithTheirValues) {
  Plaque();
  Noeud(5, 50, -20);
  Noeud(6, 120, 50);
  Liaison(2, 5);
  Liaison(0, 6);  // blocks nothing: no symbol
  Liaison(4, 2);
  Charge(3, 1, 2, 5, 5);  // ignored type
  Charge(2, 3, 4, 0, 0);  // null: nothing to show
  Charge(2, 4, 1, 0, -2.5);
  ASSERT_FALSE(Dessin().empty());
  // One symbol at each support, one in the key.
  EXPECT_EQ(3u, Dans("liaisons", "g").size());  // hinge, u = 0, v = 0
  std::multiset<std::string> symboles;
  for (const ElementSvg& element : verification_svg::Nommes(elements_, "g")) {
    if (element.attributs.count("class") != 0) {
      symboles.insert(element.attributs.at("class"));
    }
  }
  EXPECT_EQ(2u, symboles.count("rotule"));
  EXPECT_EQ(2u, symboles.count("appui-u"));
  EXPECT_EQ(2u, symboles.count("appui-v"));
  EXPECT_EQ((std::vector<std::string>{"10 N/mm", "7.85e-5 N/mm\xC2\xB3", "7.85e-5 N/mm\xC2\xB3",
                                      "2.5 N/mm"}),
            Textes("valeurs-charges"));
  EXPECT_EQ((std::vector<std::string>{"Rotule", "u = 0", "v = 0", "Charge r\xC3\xA9partie [N/mm]",
                                      "Force de volume [N/mm\xC2\xB3]"}),
            Textes("cle"));
}

TEST_F(DessinTest, KeyShowsOnlyWhatIsPresent) {
  TriangleUnite(1, 100, 0.25);
  Liaison(2, 1);
  Charge(2, 1, 2, 0, 0);
  Deplacement(2, 0.001, 0.0);
  ASSERT_FALSE(Dessin().empty());
  EXPECT_EQ((std::vector<std::string>{"v = 0"}), Textes("cle"));
  EXPECT_TRUE(Textes("valeurs-charges").empty());
}

TEST_F(DessinTest, ZeroDisplacementsGiveOneColourAndNoFactor) {
  Plaque();
  for (int n = 1; n <= 4; ++n) {
    Deplacement(n, 0.0, 0.0);
  }
  ASSERT_FALSE(Dessin().empty());
  EXPECT_EQ(
      "D\xC3\xA9placements nuls : la d\xC3\xA9"
      "form\xC3\xA9"
      "e se confond avec le maillage initial",
      Textes("titre").at(1));
  for (const ElementSvg& polygone : Dans("deformee", "polygon")) {
    EXPECT_EQ(CouleurEchelle(0.5), polygone.attributs.at("fill"));
  }
  EXPECT_TRUE(Contient(Textes("echelle"), "0 (uniforme)"));
}

TEST_F(DessinTest, DegenerateBoxesDrawWithoutFault) {
  struct Cas {
    const char* nom;
    TPoint p1, p2, p3;
    TPoint isole;  // node 4, in no element
  };
  const Cas cas[] = {
      {"one point", {5, 5}, {5, 5}, {5, 5}, {5, 5}},
      {"horizontal line", {0, 0}, {1, 0}, {2, 0}, {3, 0}},
      {"vertical line", {0, 0}, {0, 1}, {0, 2}, {0, -1}},
      {"far nodes", {0, 0}, {1, 0}, {0, 1}, {1.7e308, -1.7e308}},
      {"far the other way", {0, 0}, {1, 0}, {0, 1}, {-1.7e308, 1.7e308}},
      {"tiny", {0, 0}, {1e-250, 0}, {0, 1e-250}, {0, 0}},
  };
  Element(1, 2, 3, 1, 100, 0.25);
  Liaison(3, 1);
  Liaison(1, 4);
  Charge(2, 2, 3, 1, 1);
  Charge(1, 1, 0, 0, -1);
  for (const Cas& c : cas) {
    Noeud(1, c.p1.x, c.p1.y);
    Noeud(2, c.p2.x, c.p2.y);
    Noeud(3, c.p3.x, c.p3.y);
    Noeud(4, c.isole.x, c.isole.y);
    Deplacement(2, 1e-3, -1e-3);
    Deplacement(4, 1e300, 0.0);
    ASSERT_FALSE(Dessin().empty()) << c.nom;
    EXPECT_EQ("", erreur_) << c.nom;
    EXPECT_EQ(1u, Dans("deformee", "polygon").size()) << c.nom;
    EXPECT_EQ(0, std::fetestexcept(FautesFlottantes)) << c.nom;
  }
}

TEST_F(DessinTest, FileNameInTheTitleBecomesUtf8) {
  struct Cas {
    const char* tape;
    const char* titre;
  };
  const Cas cas[] = {
      {"pi\xE8"
       "ce",
       "pi\xC3\xA8"
       "ce"},  // Windows-1252, as the program reads
      {"pi\xC3\xA8"
       "ce",
       "pi\xC3\xA8"
       "ce"},  // typed in a UTF-8 terminal
#ifndef _WIN32
      // Windows gives no file the first name, and the run-time's path objects
      // read the second in another character set than the system.
      {"a&b<c\"d", "a&b<c\"d"},                    // escaped, then read back
      {"\x80\x81x", "\xE2\x82\xAC\xEF\xBF\xBDx"},  // euro, and a byte with no character
#endif
  };
  Plaque();
  for (const Cas& c : cas) {
    // Joined as bytes: a path object would take them for the system's
    // characters on Windows.
    S().NomFichier = dossier_.string() + "/" + c.tape;
    ASSERT_FALSE(Dessin().empty()) << c.tape;
    EXPECT_EQ(dossier_.string() + "/" + c.titre + ".txt \xE2\x80\x94 contraintes planes",
              Textes("titre").at(0));
  }
}

TEST_F(DessinTest, PictureThatCannotBeCreatedLeavesALineOnStandardError) {
  Plaque();
  fs::create_directories(dossier_ / "dossierr.svg");
  struct Cas {
    fs::path base;
    const char* raison;
  };
  const Cas cas[] = {
      {dossier_ / "absent" / "essai", "dossier introuvable"},
      {dossier_ / "dossier", "un dossier porte ce nom"},
  };
  for (const Cas& c : cas) {
    S().NomFichier = c.base.string();
    EXPECT_EQ("", Dessin());
    EXPECT_EQ(
        "Dessin non \xE9"
        "crit : " +
            c.base.string() + "r.svg (" + c.raison + ")\r\n",
        erreur_);
  }
  EXPECT_TRUE(fs::is_directory(dossier_ / "dossierr.svg"));
  EXPECT_EQ((std::set<std::string>{"dossierr.svg"}), FichiersDuDossier());
}

#ifndef _WIN32
TEST_F(DessinTest, ReadOnlyFolderLeavesNoPicture) {
  Plaque();
  fs::permissions(dossier_, fs::perms::owner_read | fs::perms::owner_exec);
  if (access(dossier_.c_str(), W_OK) == 0) {
    GTEST_SKIP() << "this user writes in read-only folders (root)";
  }
  EXPECT_EQ("", Dessin());
  EXPECT_EQ(
      "Dessin non \xE9"
      "crit : " +
          S().NomFichier + "r.svg (acc\xE8s refus\xE9)\r\n",
      erreur_);
}

TEST_F(DessinTest, WriteFailingHalfwayRemovesThePicture) {
  Plaque();
  // A file size limit below the picture's: the system refuses the rest.
  rlimit avant{};
  ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &avant));
  rlimit limite = avant;
  limite.rlim_cur = 3000;
  const auto signal = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &limite));
  testing::internal::CaptureStderr();
  S().EcritureDessin();
  erreur_ = testing::internal::GetCapturedStderr();
  setrlimit(RLIMIT_FSIZE, &avant);
  std::signal(SIGXFSZ, signal);
  EXPECT_EQ(
      "Dessin non \xE9"
      "crit : " +
          S().NomFichier + "r.svg (fichier trop grand)\r\n",
      erreur_);
  EXPECT_TRUE(FichiersDuDossier().empty());
}
#endif

TEST_F(DessinTest, HundredElementsStayWellUnder100KB) {
  // 10 x 5 cells of two triangles, 66 nodes, every support kind, 20 loads.
  for (int j = 0; j <= 5; ++j) {
    for (int i = 0; i <= 10; ++i) {
      const int n = j * 11 + i + 1;
      Noeud(n, 20.0 * i, 20.0 * j);
      Deplacement(n, 1e-4 * i * j, -2e-4 * i * i);
    }
  }
  for (int j = 0; j < 5; ++j) {
    for (int i = 0; i < 10; ++i) {
      const int a = j * 11 + i + 1;
      Element(a, a + 1, a + 12, 5, 210000, 0.3);
      Element(a, a + 12, a + 11, 5, 210000, 0.3);
    }
  }
  for (int j = 0; j <= 5; ++j) {
    Liaison(j == 0 ? 3 : 1, j * 11 + 1);
  }
  Liaison(2, 11);
  for (int k = 1; k <= 10; ++k) {
    Charge(1, 10 * k, 0, 0, -7.85e-5);
  }
  for (int j = 0; j < 5; ++j) {
    Charge(2, j * 11 + 11, j * 11 + 22, 0, -5);
  }
  for (int i = 0; i < 5; ++i) {
    Charge(2, 56 + 2 * i, 57 + 2 * i, 0.5, -1);
  }
  const std::string svg = Dessin();
  ASSERT_FALSE(svg.empty());
  EXPECT_EQ(100u, Dans("deformee", "polygon").size());
  EXPECT_EQ(66u, Textes("noeuds").size());
  EXPECT_LT(svg.size(), 50000u) << "bytes";
}

// Random models of every shape the program accepts, with random
// displacements: always one coloured polygon per element, and no fault.
TEST_F(DessinTest, RandomModelsGiveWellFormedPictures) {
  for (unsigned graine = 1; graine <= 30; ++graine) {
    SCOPED_TRACE(graine);
    TearDown();
    SetUp();
    std::mt19937 aleas(graine);
    ModeleAleatoire(aleas, true);
    std::uniform_real_distribution<double> deplacement(-1e-2, 1e-2);
    for (int n = 1; n <= S().NbNoeuds; ++n) {
      Deplacement(n, deplacement(aleas), deplacement(aleas));
    }
    ASSERT_FALSE(Dessin().empty());
    EXPECT_EQ("", erreur_);
    EXPECT_EQ(static_cast<std::size_t>(S().Elements.Nombre), Dans("deformee", "polygon").size());
    for (const ElementSvg& polygone : Dans("deformee", "polygon")) {
      EXPECT_GE(verification_svg::PositionSurEchelle(elements_, polygone.attributs.at("fill")),
                0.0);
    }
  }
}

}  // namespace
