#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>

#include "model/structure.hpp"

namespace {

// The square plate of two elements, held at nodes 1 and 4, loaded along the
// edge 2-3 and by the weight of both elements.
std::unique_ptr<TStructure> Plaque() {
  auto s = std::make_unique<TStructure>();
  s->TypeProbleme = 1;
  s->NbNoeuds = 4;
  s->Noeuds[2].x = 100;
  s->Noeuds[3].x = 100;
  s->Noeuds[3].y = 100;
  s->Noeuds[4].y = 100;
  const int sommets[2][3] = {{1, 2, 3}, {1, 3, 4}};
  s->Elements.Nombre = 2;
  for (int e = 1; e <= 2; ++e) {
    s->Elements.Liste[e] = std::make_unique<TElement>();
    for (int j = 1; j <= 3; ++j) {
      s->Elements.Liste[e]->Sommets[j] = sommets[e - 1][j - 1];
    }
    s->Elements.Liste[e]->E = 210000;
    s->Elements.Liste[e]->Nu = 0.3;
    s->Elements.Liste[e]->Epaisseur = 10;
  }
  s->NbLiaisons = 2;
  s->Liaisons.Nombre = 2;
  for (int k = 1; k <= 2; ++k) {
    s->Liaisons.Liste[k] = std::make_unique<TLiaison>();
  }
  s->Liaisons.Liste[1]->TypeLiaison = 3;
  s->Liaisons.Liste[1]->Noeud = 1;
  s->Liaisons.Liste[2]->TypeLiaison = 1;
  s->Liaisons.Liste[2]->Noeud = 4;
  s->NbCharges = 3;
  s->Charges.Nombre = 3;
  for (int k = 1; k <= 3; ++k) {
    s->Charges.Liste[k] = std::make_unique<TCharge>();
  }
  *s->Charges.Liste[1] = TCharge{2, 2, 3, 10.0, 0.0};
  *s->Charges.Liste[2] = TCharge{1, 1, 0, 0.0, -7.85e-5};
  *s->Charges.Liste[3] = TCharge{1, 2, 0, 0.0, -7.85e-5};
  return s;
}

class VerificationTest : public testing::Test {
 protected:
  void SetUp() override {
    chemin_ = std::filesystem::temp_directory_path() /
              ("elasplan_verif_" + std::to_string(testing::UnitTest::GetInstance()->random_seed()) +
               "_" + testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt");
  }
  void TearDown() override { std::filesystem::remove(chemin_); }

  // Runs the checks on the plate changed by `modifier`; gives the lines
  // written into the results file.
  std::string Verifier(const std::function<void(TStructure&)>& modifier, bool& accepte) {
    const auto s = Plaque();
    modifier(*s);
    EXPECT_TRUE(s->Resultats.Creer(chemin_.string()));
    accepte = s->VerificationModele();
    s->Resultats.Fermer();
    std::ifstream entree(chemin_, std::ios::binary);
    return {std::istreambuf_iterator<char>(entree), std::istreambuf_iterator<char>()};
  }

  std::filesystem::path chemin_;
};

TEST_F(VerificationTest, EachFaultIsOneLineNamingTheItem) {
  struct Cas {
    const char* quoi;
    std::function<void(TStructure&)> modifier;
    std::string lignes;
  };
  const Cas cas[] = {
      {"sound model", [](TStructure&) {}, ""},
      {"vertex above NbNoeuds", [](TStructure& s) { s.Elements.Liste[2]->Sommets[3] = 7; },
       "\xC9l\xE9ment 2 : sommet 3, noeud 7 inexistant (noeuds 1 \xE0 4)\r\n"},
      {"vertex 0", [](TStructure& s) { s.Elements.Liste[1]->Sommets[1] = 0; },
       "\xC9l\xE9ment 1 : sommet 1, noeud 0 inexistant (noeuds 1 \xE0 4)\r\n"},
      {"support node", [](TStructure& s) { s.Liaisons.Liste[2]->Noeud = 5; },
       "Liaison 2 : noeud 5 inexistant (noeuds 1 \xE0 4)\r\n"},
      {"support of another code still checked",
       [](TStructure& s) {
         *s.Liaisons.Liste[1] = TLiaison{7, -1, 0, 0};
       },
       "Liaison 1 : noeud -1 inexistant (noeuds 1 \xE0 4)\r\n"},
      {"body force element", [](TStructure& s) { s.Charges.Liste[3]->N1 = 3; },
       "Charge 3 : \xE9l\xE9ment 3 inexistant (\xE9l\xE9ments 1 \xE0 2)\r\n"},
      {"edge nodes",
       [](TStructure& s) {
         s.Charges.Liste[1]->N1 = -1;
         s.Charges.Liste[1]->N2 = 9;
       },
       "Charge 1 : premier noeud -1 inexistant (noeuds 1 \xE0 4)\r\n"
       "Charge 1 : second noeud 9 inexistant (noeuds 1 \xE0 4)\r\n"},
      {"ignored load type",
       [](TStructure& s) {
         *s.Charges.Liste[1] = TCharge{3, 99, 99, 1, 1};
       },
       ""},
      {"Nu 1 in plane stress", [](TStructure& s) { s.Elements.Liste[1]->Nu = 1.0; },
       "\xC9l\xE9ment 1 : coefficient de Poisson 1 impossible en contraintes planes (matrice "
       "d'\xE9lasticit\xE9 singuli\xE8re)\r\n"},
      {"Nu -1 in plane stress", [](TStructure& s) { s.Elements.Liste[2]->Nu = -1.0; },
       "\xC9l\xE9ment 2 : coefficient de Poisson -1 impossible en contraintes planes (matrice "
       "d'\xE9lasticit\xE9 singuli\xE8re)\r\n"},
      {"Nu 0.5 in plane stress", [](TStructure& s) { s.Elements.Liste[2]->Nu = 0.5; }, ""},
      {"Nu 0.5 in plane strain",
       [](TStructure& s) {
         s.TypeProbleme = 2;
         s.Elements.Liste[2]->Nu = 0.5;
       },
       "\xC9l\xE9ment 2 : coefficient de Poisson 0.5 impossible en d\xE9"
       "formations planes "
       "(matrice d'\xE9lasticit\xE9 singuli\xE8re)\r\n"},
      {"Nu 1 in plane strain",
       [](TStructure& s) {
         s.TypeProbleme = 2;
         s.Elements.Liste[1]->Nu = 1.0;
       },
       "\xC9l\xE9ment 1 : coefficient de Poisson 1 impossible en d\xE9"
       "formations planes "
       "(matrice d'\xE9lasticit\xE9 singuli\xE8re)\r\n"},
      {"Nu close to 0.5",
       [](TStructure& s) {
         s.TypeProbleme = 2;
         s.Elements.Liste[1]->Nu = 0.49999999999999994;
       },
       ""},
      {"E 0 in plane stress", [](TStructure& s) { s.Elements.Liste[1]->E = -0.0; },
       "\xC9l\xE9ment 1 : module d'Young nul, impossible en contraintes planes\r\n"},
      {"E 0 in plane strain",
       [](TStructure& s) {
         s.TypeProbleme = 2;
         s.Elements.Liste[1]->E = 0.0;
       },
       ""},
      {"other problem type: nothing to divide by",
       [](TStructure& s) {
         s.TypeProbleme = 3;
         s.Elements.Liste[1]->Nu = 1.0;
         s.Elements.Liste[1]->E = 0.0;
       },
       ""},
      {"negative node count leaves no node to refer to",
       [](TStructure& s) {
         s.NbNoeuds = -2;
         s.NbCharges = s.Charges.Nombre = 1;
         s.NbLiaisons = s.Liaisons.Nombre = 1;
         s.Elements.Nombre = 1;
       },
       "\xC9l\xE9ment 1 : sommet 1, noeud 1 inexistant (aucun noeud)\r\n"
       "\xC9l\xE9ment 1 : sommet 2, noeud 2 inexistant (aucun noeud)\r\n"
       "\xC9l\xE9ment 1 : sommet 3, noeud 3 inexistant (aucun noeud)\r\n"
       "Liaison 1 : noeud 1 inexistant (aucun noeud)\r\n"
       "Charge 1 : premier noeud 2 inexistant (aucun noeud)\r\n"
       "Charge 1 : second noeud 3 inexistant (aucun noeud)\r\n"},
      {"negative element count leaves no element to load",
       [](TStructure& s) { s.Elements.Nombre = -1; },
       "Charge 2 : \xE9l\xE9ment 1 inexistant (aucun \xE9l\xE9ment)\r\n"
       "Charge 3 : \xE9l\xE9ment 2 inexistant (aucun \xE9l\xE9ment)\r\n"},
      {"negative support and load counts are no fault",
       [](TStructure& s) {
         s.NbLiaisons = s.Liaisons.Nombre = -3;
         s.NbCharges = s.Charges.Nombre = -4;
       },
       ""},
      {"faults in model order",
       [](TStructure& s) {
         s.Charges.Liste[2]->N1 = 0;
         s.Liaisons.Liste[1]->Noeud = 0;
         s.Elements.Liste[2]->Nu = 1.0;
         s.Elements.Liste[2]->E = 0.0;
         s.Elements.Liste[1]->Sommets[2] = 5;
       },
       "\xC9l\xE9ment 1 : sommet 2, noeud 5 inexistant (noeuds 1 \xE0 4)\r\n"
       "\xC9l\xE9ment 2 : coefficient de Poisson 1 impossible en contraintes planes (matrice "
       "d'\xE9lasticit\xE9 singuli\xE8re)\r\n"
       "\xC9l\xE9ment 2 : module d'Young nul, impossible en contraintes planes\r\n"
       "Liaison 1 : noeud 0 inexistant (noeuds 1 \xE0 4)\r\n"
       "Charge 2 : \xE9l\xE9ment 0 inexistant (\xE9l\xE9ments 1 \xE0 2)\r\n"},
  };
  for (const Cas& c : cas) {
    bool accepte = false;
    EXPECT_EQ(c.lignes, Verifier(c.modifier, accepte)) << c.quoi;
    EXPECT_EQ(c.lignes.empty(), accepte) << c.quoi;
  }
}

}  // namespace
