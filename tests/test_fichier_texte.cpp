#include "app/fichier_texte.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/erreurs.hpp"

namespace {

class FichierTexteTest : public testing::Test {
 protected:
  void SetUp() override {
    chemin_ = std::filesystem::temp_directory_path() /
              ("elasplan_ft_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "_" + testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt");
    ASSERT_TRUE(fichier_.Creer(chemin_.string()));
  }
  void TearDown() override {
    fichier_.Abandonner();
    std::filesystem::remove(chemin_);
  }
  std::string Contenu() const {
    std::ifstream entree(chemin_, std::ios::binary);
    return {std::istreambuf_iterator<char>(entree), std::istreambuf_iterator<char>()};
  }
  std::string Ferme() {
    fichier_.Fermer();
    return Contenu();
  }

  std::filesystem::path chemin_;
  TFichierTexte fichier_;
};

TEST_F(FichierTexteTest, IntegersRightAlignedAndNeverCut) {
  struct Cas {
    int valeur, largeur;
    const char* attendu;
  };
  const Cas cas[] = {
      {7, 3, "  7"},           {100, 2, "100"},       {-12, 0, "-12"},
      {0, 0, "0"},             {0, 4, "   0"},        {-2147483647 - 1, 0, "-2147483648"},
      {2147483647, 0, "2147483647"}, {-5, 2, "-5"},   {-5, 1, "-5"},
      {42, -3, "42"},          {1, 12, "           1"},
  };
  std::string attendu;
  for (const Cas& c : cas) {
    EcrireEntier(fichier_, c.valeur, c.largeur);
    EcrireCaractere(fichier_, '|');
    attendu += c.attendu;
    attendu += '|';
  }
  EXPECT_EQ(attendu, Ferme());
}

TEST_F(FichierTexteTest, TextsInWiderFieldsAndLineEnds) {
  EcrireTexte(fichier_, "Uy", 9);
  EcrireTexte(fichier_, "sxx", 5);
  EcrireTexte(fichier_, "longer than", 3);
  EcrireTexte(fichier_, "\xC9lement");
  EcrireTexte(fichier_, "\xC9", 2);
  FinDeLigne(fichier_);
  FinDeLigne(fichier_);
  EXPECT_EQ(std::string("       Uy  sxxlonger than\xC9lement \xC9\r\n\r\n"), Ferme());
}

TEST_F(FichierTexteTest, BufferHandedOverOnlyWhenFullOrOnVider) {
  const std::string ligne(126, 'a');
  EcrireTexte(fichier_, ligne);
  FinDeLigne(fichier_);  // 128 bytes: the buffer is full and goes out
  EXPECT_EQ(128u, Contenu().size());
  EcrireTexte(fichier_, "abc");
  FinDeLigne(fichier_);  // a file is not a terminal: the line end keeps it
  EXPECT_EQ(128u, Contenu().size());
  Vider(fichier_);
  EXPECT_EQ(133u, Contenu().size());
  EcrireTexte(fichier_, std::string(300, 'b'), 0);
  EXPECT_EQ(133u + 256u, Contenu().size());
  EXPECT_EQ(133u + 300u, Ferme().size());
}

TEST_F(FichierTexteTest, AbandonLosesTheBuffer) {
  EcrireTexte(fichier_, "perdu");
  fichier_.Abandonner();
  EXPECT_EQ("", Contenu());
}

TEST_F(FichierTexteTest, ClosedStreamRefusesWritesAndVider) {
  fichier_.Fermer();
  try {
    EcrireTexte(fichier_, "x");
    FAIL();
  } catch (const ErreurExecution& erreur) {
    EXPECT_EQ(TypeErreur::EntreeSortie, erreur.Type());
    EXPECT_EQ(105, erreur.Code());
    EXPECT_STREQ("I/O error 105", erreur.what());
  }
  EXPECT_THROW(FinDeLigne(fichier_), ErreurExecution);
  EXPECT_THROW(EcrireEntier(fichier_, 1), ErreurExecution);
  try {
    Vider(fichier_);
    FAIL();
  } catch (const ErreurExecution& erreur) {
    EXPECT_EQ(103, erreur.Code());
  }
}

TEST(FichierTexte, FullDeviceIsDiskFullWhenTheBufferGoesOut) {
  TFichierTexte plein;
  if (!plein.Creer("/dev/full")) {
    GTEST_SKIP() << "no /dev/full";
  }
  EcrireTexte(plein, "abc");
  try {
    Vider(plein);
    FAIL();
  } catch (const ErreurExecution& erreur) {
    EXPECT_STREQ("Disk full", erreur.what());
  }
  plein.Abandonner();
}

TEST(FichierTexte, CannotCreateInMissingFolder) {
  TFichierTexte fichier;
  EXPECT_FALSE(fichier.Creer("/nonexistent-folder-elasplan/x.txt"));
  EXPECT_FALSE(fichier.EstOuvert());
}

}  // namespace
