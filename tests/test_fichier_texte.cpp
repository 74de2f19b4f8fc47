#include "app/fichier_texte.hpp"

#include <gtest/gtest.h>

#include <cerrno>
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
// the bytes handed over; a stream given up loses its buffer.
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
  EcrireTexte(fichier_, std::string(20000, 'b'));
  EXPECT_EQ(133u + 19968u, remis());
  fichier_.Abandonner();
  EXPECT_EQ(133u + 19968u, Taille());
  ASSERT_TRUE(fichier_.Creer(chemin_.string()));
  EcrireTexte(fichier_, std::string(300, 'c'));
  fichier_.Fermer();
  EXPECT_EQ(300u, Taille());
}

// Under Arret a refusal is the run-time error, met at the latest when another
// file is made; under Releve it is kept, and nothing throws.
TEST_F(FichierTexteTest, RefusedWritesStopTheRunOrAreKept) {
  using donnees::Erreur;
  fichier_.Fermer();
  EXPECT_EQ("I/O error 105", Erreur([&] { EcrireTexte(fichier_, "x"); }));
  EXPECT_EQ("I/O error 105", Erreur([&] { FinDeLigne(fichier_); }));
  EXPECT_EQ("I/O error 103", Erreur([&] { Vider(fichier_); }));
  EXPECT_EQ("I/O error 103", Erreur([&] { fichier_.Fermer(); }));
  TFichierTexte plein;
  if (!plein.Creer("/dev/full")) {
    GTEST_SKIP() << "no full device here";
  }
  EcrireTexte(plein, "abc");
  Vider(plein);
  EXPECT_EQ("Disk full", Erreur([&] { fichier_.Creer(chemin_.string()); }));
  EcrireTexte(plein, "abc");
  EXPECT_EQ("Disk full", Erreur([&] { plein.Fermer(); }));

  ASSERT_TRUE(plein.Creer("/dev/full", TEchec::Releve));
  EcrireTexte(plein, std::string(20000, 'd'));
  Vider(plein);
  EXPECT_EQ("no error", Erreur([&] {
              TFichierTexte::Synchroniser();
              EcrireEntier(plein, 12);
              plein.Fermer();
              plein.Fermer();
            }));
  EXPECT_EQ(ENOSPC, plein.Erreur());
}

}  // namespace
