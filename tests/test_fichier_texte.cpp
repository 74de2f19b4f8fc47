#include "app/fichier_texte.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>

#include "tests/donnees_communes.hpp"

namespace {

class FichierTexteTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(fichier_.Creer(chemin_.string())); }
  void TearDown() override {
    fichier_.Abandonner();
    std::filesystem::remove(chemin_);
  }
  std::size_t Taille() const { return donnees::Contenu(chemin_).size(); }

  const std::filesystem::path chemin_ = donnees::Temporaire();
  TFichierTexte fichier_;
};

// Right-aligned in their widths, never cut; "|" ends each field.
TEST_F(FichierTexteTest, IntegersAndTextsInWidths) {
  using Entiers = std::initializer_list<std::pair<int, int>>;
  for (const auto& [valeur, largeur] :
       Entiers{{7, 3}, {100, 2}, {-12, 0}, {0, 4}, {-5, 1}, {-2147483647 - 1, 0}}) {
    EcrireEntier(fichier_, valeur, largeur);
    EcrireCaractere(fichier_, '|');
  }
  using Textes = std::initializer_list<std::pair<const char*, int>>;
  for (const auto& [texte, largeur] : Textes{{"Uy", 9}, {"longer", 3}, {"\xC9", 2}, {"", 0}}) {
    EcrireTexte(fichier_, texte, largeur);
    EcrireCaractere(fichier_, '|');
  }
  FinDeLigne(fichier_);
  fichier_.Fermer();
  EXPECT_EQ("  7|100|-12|   0|-5|-2147483648|       Uy|longer| \xC9||\r\n",
            donnees::Contenu(chemin_));
}

// What is found in the file once the program shows anything else: exactly
// the bytes handed over.
TEST_F(FichierTexteTest, BufferHandedOverWhenFullOnViderAndOnClose) {
  const auto remis = [this] {
    TFichierTexte::Synchroniser();
    return Taille();
  };
  EcrireTexte(fichier_, std::string(126, 'a'));
  FinDeLigne(fichier_);  // 128 bytes: the buffer is full
  EcrireTexte(fichier_, "abc");
  FinDeLigne(fichier_);  // a file is no terminal: a line end keeps the bytes
  EXPECT_EQ(128u, remis());
  Vider(fichier_);
  EXPECT_EQ(133u, remis());
  EcrireTexte(fichier_, std::string(300, 'b'));
  EXPECT_EQ(133u + 256u, remis());
  fichier_.Fermer();
  EXPECT_EQ(133u + 300u, Taille());
}

// The hand-overs wait in a store that reaches the system when full; a stream
// given up keeps what it handed over and loses its buffer.
TEST_F(FichierTexteTest, StoreWrittenWhenFullAndWhenGivenUp) {
  const std::size_t depot = TFichierTexte::TailleDepot;
  EcrireTexte(fichier_, std::string(depot, 'c'));
  EXPECT_EQ(depot, Taille());
  EcrireTexte(fichier_, std::string(depot + 100, 'd'));
  fichier_.Abandonner();
  EXPECT_EQ(2 * depot + 100 - (2 * depot + 100) % TFichierTexte::TailleTampon, Taille());
}

TEST_F(FichierTexteTest, RefusedWritesEndTheRunWithTheirCode) {
  using donnees::Erreur;
  fichier_.Fermer();
  EXPECT_EQ("I/O error 105", Erreur([&] { EcrireTexte(fichier_, "x"); }));
  EXPECT_EQ("I/O error 105", Erreur([&] { FinDeLigne(fichier_); }));
  EXPECT_EQ("I/O error 103", Erreur([&] { Vider(fichier_); }));
  TFichierTexte plein;
  if (plein.Creer("/dev/full")) {  // not on Windows
    EcrireTexte(plein, "abc");
    EXPECT_EQ("Disk full", Erreur([&] {
                Vider(plein);
                TFichierTexte::Synchroniser();
              }));
    EcrireTexte(plein, "abc");
    EXPECT_EQ("Disk full", Erreur([&] { plein.Fermer(); }));
  }
}

}  // namespace
