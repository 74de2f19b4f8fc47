#include <gtest/gtest.h>

#include <cfenv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/erreurs.hpp"
#include "model/structure.hpp"

namespace {

// A structure built in memory with chosen displacements and reactions, its
// report written into a temporary file and read back whole. Unlike the shared
// in-memory fixture, the file can be read without handing the buffer over,
// as a run-time error leaves it.
class RapportTest : public testing::Test {
 protected:
  void SetUp() override {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    chemin_ = std::filesystem::temp_directory_path() /
              (std::string("elasplan_rapport_") + test->test_suite_name() + "_" + test->name() +
               "_" + std::to_string(testing::UnitTest::GetInstance()->random_seed()) + ".txt");
    s_ = std::make_unique<TStructure>();
    Structure = s_.get();
    ASSERT_TRUE(s_->Resultats.Creer(chemin_.string()));
    s_->TypeProbleme = 1;
    std::feclearexcept(FE_ALL_EXCEPT);
  }
  void TearDown() override {
    // The program traps these; here they are only flags.
    EXPECT_EQ(0, std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID));
    s_->Resultats.Abandonner();
    Structure = nullptr;
    s_.reset();
    std::filesystem::remove(chemin_);
  }

  void Noeud(double x, double y) {
    ++s_->NbNoeuds;
    s_->Noeuds[s_->NbNoeuds] = {x, y};
  }
  void Element(int a, int b, int c, double e, double nu, double epaisseur) {
    auto element = std::make_unique<TElement>();
    element->Sommets[1] = a;
    element->Sommets[2] = b;
    element->Sommets[3] = c;
    element->E = e;
    element->Nu = nu;
    element->Epaisseur = epaisseur;
    s_->Elements.Liste[++s_->Elements.Nombre] = std::move(element);
  }
  void Liaison(std::uint8_t code, int noeud, double rx = 0.0, double ry = 0.0) {
    auto liaison = std::make_unique<TLiaison>();
    liaison->TypeLiaison = code;
    liaison->Noeud = noeud;
    liaison->Rx = rx;
    liaison->Ry = ry;
    s_->Liaisons.Nombre = ++s_->NbLiaisons;
    s_->Liaisons.Liste[s_->NbLiaisons] = std::move(liaison);
  }
  void Charge(std::uint8_t type, int n1, int n2, double fx, double fy) {
    auto charge = std::make_unique<TCharge>();
    charge->TypeCharge = type;
    charge->N1 = n1;
    charge->N2 = n2;
    charge->Fx = fx;
    charge->Fy = fy;
    s_->Charges.Nombre = ++s_->NbCharges;
    s_->Charges.Liste[s_->NbCharges] = std::move(charge);
  }
  // The unit triangle (0, 0), (1, 0), (0, 1), E = 100, nu = 0.25.
  void TriangleUnite() {
    Noeud(0, 0);
    Noeud(1, 0);
    Noeud(0, 1);
    Element(1, 2, 3, 100, 0.25, 1);
  }

  std::string Contenu() const {
    std::ifstream entree(chemin_, std::ios::binary);
    return {std::istreambuf_iterator<char>(entree), std::istreambuf_iterator<char>()};
  }
  std::string Rapport() {
    s_->EcritureResultats();
    s_->Resultats.Fermer();
    return Contenu();
  }
  static std::vector<std::string> Lignes(const std::string& texte) {
    std::vector<std::string> lignes;
    std::size_t debut = 0;
    for (std::size_t fin; (fin = texte.find("\r\n", debut)) != std::string::npos; debut = fin + 2) {
      lignes.push_back(texte.substr(debut, fin - debut));
    }
    EXPECT_EQ(texte.size(), debut) << "text after the last line end";
    return lignes;
  }
  // The lines of a section after its title and blank line, up to the next
  // blank line; a column heading, and the blank line after it, come first.
  static std::vector<std::string> Section(const std::string& texte, const std::string& titre,
                                          bool entete = false) {
    const std::vector<std::string> lignes = Lignes(texte);
    std::vector<std::string> section;
    for (std::size_t i = 0; i < lignes.size(); ++i) {
      if (lignes[i] == titre && i + 2 < lignes.size()) {
        std::size_t j = i + 2;
        if (entete) {
          section.push_back(lignes[j]);
          j += 2;
        }
        for (; j < lignes.size() && !lignes[j].empty(); ++j) {
          section.push_back(lignes[j]);
        }
      }
    }
    return section;
  }

  std::filesystem::path chemin_;
  std::unique_ptr<TStructure> s_;
};

TEST_F(RapportTest, WholeReportOfASmallModel) {
  TriangleUnite();
  Noeud(2, 0);
  Noeud(3, 0);
  Noeud(2, 1);
  Noeud(5, -2.5);  // in no element
  Element(4, 5, 6, 100, 0.25, 0.5);
  Liaison(3, 1, 333.33, -1333.33);
  Liaison(1, 3, 2.5, 99);
  Liaison(2, 4, 7, 123456.5);
  Liaison(4, 7, 11, 12);
  Liaison(3, 7, -0.0, -0.0);
  Charge(2, 2, 3, 10, -2.5);
  Charge(3, 9, 9, 9, 9);
  Charge(1, 1, 0, 0, -7.85e-5);
  Charge(0, 0, 0, 0, 0);
  Charge(1, 2, 0, 1234.567, 0.005);
  s_->F[3] = 0.001;   // Ux of node 2
  s_->F[10] = 0.001;  // Uy of node 5
  s_->F[13] = -4e-7;  // Ux of node 7
  const std::string attendu =
      "\r\n"
      "Probl\xE8me : contraintes planes\r\n"
      "\r\n"
      "Noeuds [ mm ] :\r\n"
      "\r\n"
      "  1  x =    0.000  y =    0.000\r\n"
      "  2  x =    1.000  y =    0.000\r\n"
      "  3  x =    0.000  y =    1.000\r\n"
      "  4  x =    2.000  y =    0.000\r\n"
      "  5  x =    3.000  y =    0.000\r\n"
      "  6  x =    2.000  y =    1.000\r\n"
      "  7  x =    5.000  y =   -2.500\r\n"
      "\r\n"
      "\xC9l\xE9ments :\r\n"
      "\r\n"
      "   1  Noeuds = ( 1 2 3 )  E =    100 MPa  Nu = 0.25  \xC9paisseur =  1.00 mm\r\n"
      "   2  Noeuds = ( 4 5 6 )  E =    100 MPa  Nu = 0.25  \xC9paisseur =  0.50 mm\r\n"
      "\r\n"
      "Liaisons :\r\n"
      "\r\n"
      "noeud  1   Rotule\r\n"
      "noeud  3   u = 0\r\n"
      "noeud  4   v = 0\r\n"
      "noeud  7   code 4 : aucun blocage\r\n"
      "noeud  7   Rotule\r\n"
      "\r\n"
      "Charges :\r\n"
      "\r\n"
      "noeuds ( 2 3 )  fx =  10.00   fy =  -2.50 N/mm\r\n"
      "\xE9l\xE9ment  1 : Fx =   0.00   Fy =  -0.00 N/mm3\r\n"
      "\xE9l\xE9ment  2 : Fx = 1234.57   Fy =   0.01 N/mm3\r\n"
      "\r\n"
      "D\xE9placements nodaux [ mm ]:\r\n"
      "\r\n"
      "Noeud      Ux       Uy\r\n"
      "\r\n"
      "   1   0.000000   0.000000\r\n"
      "   2   0.001000   0.000000\r\n"
      "   3   0.000000   0.000000\r\n"
      "   4   0.000000   0.000000\r\n"
      "   5   0.000000   0.001000\r\n"
      "   6   0.000000   0.000000\r\n"
      "   7  -0.000000   0.000000\r\n"
      "\r\n"
      "Contraintes [ MPa ] et d\xE9"
      "formations :\r\n"
      "\r\n"
      "\xC9lement  sxx     syy     sxy     szz     exx       eyy       gxy       ezz\r\n"
      "\r\n"
      "   1     0.11    0.03    0.00    0.00  0.001000  0.000000  0.000000 -0.000333\r\n"
      "   2     0.00    0.00    0.04    0.00  0.000000  0.000000  0.001000 -0.000000\r\n"
      "\r\n"
      "Actions de liaison [ N ]:\r\n"
      "\r\n"
      "noeud 1 : Rx =   333  Ry = -1333\r\n"
      "noeud 3 : Rx =     3\r\n"
      "noeud 4 : Ry = 123457\r\n"
      "noeud 7 : aucune action (code 4)\r\n"
      "noeud 7 : Rx =    -0  Ry =    -0\r\n"
      "\r\n";
  EXPECT_EQ(attendu, Rapport());
}

TEST_F(RapportTest, ProblemTypeLabel) {
  struct Cas {
    int type;
    const char* ligne;
  };
  for (const Cas cas : {Cas{1, "Probl\xE8me : contraintes planes"},
                        Cas{2,
                            "Probl\xE8me : d\xE9"
                            "formations planes"},
                        Cas{3,
                            "Probl\xE8me : d\xE9"
                            "formations planes"},
                        Cas{-1,
                            "Probl\xE8me : d\xE9"
                            "formations planes"}}) {
    TearDown();
    SetUp();
    s_->NbNoeuds = 1;
    s_->TypeProbleme = cas.type;
    const std::vector<std::string> lignes = Lignes(Rapport());
    ASSERT_LE(2u, lignes.size());
    EXPECT_EQ("", lignes[0]);
    EXPECT_EQ(cas.ligne, lignes[1]) << cas.type;
  }
}

TEST_F(RapportTest, WideNumbersWidenTheirLines) {
  for (int i = 1; i <= 100; ++i) {
    Noeud(i, 0);
  }
  s_->Noeuds[3] = {0, 1};
  s_->Noeuds[100] = {-1234.5678, 12345678.9};
  Element(1, 2, 3, 1000000, -0.3, 123.456);
  Element(1, 2, 3, 12345678, 0.3, 0.005);
  Liaison(1, 100, -2.5);
  Liaison(2, 100, 0, 1e5);
  Liaison(3, 100, 100000.5, -123456.7);
  Charge(1, 100, 0, -1234.5, 0.001);
  Charge(2, 100, 99, 12345, -12345);
  const std::string rapport = Rapport();
  const std::vector<std::string> noeuds = Section(rapport, "Noeuds [ mm ] :");
  ASSERT_EQ(100u, noeuds.size());
  EXPECT_EQ("100  x = -1234.568  y = 12345678.900", noeuds[99]);
  EXPECT_EQ((std::vector<std::string>{
                "   1  Noeuds = ( 1 2 3 )  E = 1000000 MPa  Nu = -0.30  \xC9paisseur = 123.46 mm",
                "   2  Noeuds = ( 1 2 3 )  E = 12345678 MPa  Nu = 0.30  \xC9paisseur =  0.01 mm"}),
            Section(rapport, "\xC9l\xE9ments :"));
  EXPECT_EQ(
      (std::vector<std::string>{"noeud 100   u = 0", "noeud 100   v = 0", "noeud 100   Rotule"}),
      Section(rapport, "Liaisons :"));
  EXPECT_EQ((std::vector<std::string>{"\xE9l\xE9ment100 : Fx = -1234.50   Fy =   0.00 N/mm3",
                                      "noeuds ( 100 99 )  fx = 12345.00   fy = -12345.00 N/mm"}),
            Section(rapport, "Charges :"));
  EXPECT_EQ((std::vector<std::string>{"noeud 100 : Rx =    -3", "noeud 100 : Ry = 100000",
                                      "noeud 100 : Rx = 100001  Ry = -123457"}),
            Section(rapport, "Actions de liaison [ N ]:"));
}

TEST_F(RapportTest, ReactionsRoundedToWholeNewtons) {
  struct Cas {
    double valeur;
    const char* texte;
  };
  const Cas cas[] = {
      {333.33, "  333"}, {-1333.33, "-1333"},      {2.5, "    3"},  {-2.5, "   -3"},
      {0.49, "    0"},   {-0.49, "   -0"},         {-0.0, "   -0"}, {99999.5, "100000"},
      {1e5, "100000"},   {-1234567.5, "-1234568"},
  };
  TriangleUnite();
  for (const Cas& c : cas) {
    Liaison(1, 1, c.valeur, 7);
    Liaison(2, 2, 7, c.valeur);
  }
  std::vector<std::string> attendu;
  for (const Cas& c : cas) {
    attendu.push_back(std::string("noeud 1 : Rx = ") + c.texte);
    attendu.push_back(std::string("noeud 2 : Ry = ") + c.texte);
  }
  EXPECT_EQ(attendu, Section(Rapport(), "Actions de liaison [ N ]:"));
}

TEST_F(RapportTest, SupportCodesThatBlockNothingEndTheirLines) {
  TriangleUnite();
  Liaison(0, 2, 1, 2);
  Liaison(4, 3, 1, 2);
  Liaison(255, 1, 1, 2);
  Liaison(1, 1, 5, 6);
  const std::string rapport = Rapport();
  EXPECT_EQ((std::vector<std::string>{"noeud  2   code 0 : aucun blocage",
                                      "noeud  3   code 4 : aucun blocage",
                                      "noeud  1   code 255 : aucun blocage", "noeud  1   u = 0"}),
            Section(rapport, "Liaisons :"));
  EXPECT_EQ((std::vector<std::string>{
                "noeud 2 : aucune action (code 0)", "noeud 3 : aucune action (code 4)",
                "noeud 1 : aucune action (code 255)", "noeud 1 : Rx =     5"}),
            Section(rapport, "Actions de liaison [ N ]:"));
}

// What a run-time error in the middle of the report leaves in the file is
// what the hand-overs had passed on: nothing of the unfinished line after the
// last of them.
TEST_F(RapportTest, RunTimeErrorKeepsWhatWasHandedOver) {
  TriangleUnite();
  Element(1, 2, 101, 100, 0.25, 1);  // node 101 is beyond the table
  Liaison(3, 1);
  s_->F[3] = 0.001;
  EXPECT_THROW(s_->EcritureResultats(), ErreurExecution);
  s_->Resultats.Abandonner();
  const std::string contenu = Contenu();
  const std::string fin =
      "\r\n"
      "\xC9lement  sxx     syy     sxy     szz     exx       eyy       gxy       ezz\r\n"
      "\r\n"
      "   1     0.11    0.03    0.00    0.00";
  ASSERT_LE(fin.size(), contenu.size());
  EXPECT_EQ(fin, contenu.substr(contenu.size() - fin.size()));
  EXPECT_NE(std::string::npos, contenu.find("   2  Noeuds = ( 1 2 101 )  E =    100 MPa"));

  TearDown();
  SetUp();
  Noeud(0, 0);
  Noeud(1, 0);
  Element(1, 2, 101, 100, 0.25, 1);
  EXPECT_THROW(s_->EcritureResultats(), ErreurExecution);
  s_->Resultats.Abandonner();
  const std::string entete = "\xC9lement  sxx     syy     sxy     szz";
  const std::string tout = Contenu();
  ASSERT_LE(entete.size(), tout.size());
  EXPECT_EQ(entete, tout.substr(tout.size() - entete.size()));
}

}  // namespace
