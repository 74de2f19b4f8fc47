// Output streams: what the golden cases meet seldom. Their buffering under a
// file size limit is a set of golden cases.
#include "app/fichier_texte.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <utility>

#include "tests/donnees_communes.hpp"

namespace {

using donnees::Erreur;

// Right-aligned in their widths, never cut; "|" ends each field.
TEST(FichierTexte, IntegersAndTextsInWidths) {
  const std::filesystem::path chemin = donnees::Temporaire();
  TFichierTexte fichier;
  ASSERT_TRUE(fichier.Creer(chemin.string()));
  for (const auto& [valeur, largeur] :
       {std::pair{7, 3}, {100, 2}, {-12, 0}, {0, 4}, {-5, 1}, {-2147483647 - 1, 0}}) {
    EcrireEntier(fichier, valeur, largeur);
    EcrireCaractere(fichier, '|');
  }
  for (const auto& [texte, largeur] : {std::pair{"Uy", 9}, {"longer", 3}, {"\xC9", 2}, {"", 0}}) {
    EcrireTexte(fichier, texte, largeur);
    EcrireCaractere(fichier, '|');
  }
  FinDeLigne(fichier);
  fichier.Fermer();
  EXPECT_EQ("  7|100|-12|   0|-5|-2147483648|       Uy|longer| \xC9||\r\n",
            donnees::Contenu(chemin));
  std::filesystem::remove(chemin);
}

// Under Arret a refusal is the run-time error, met at the latest when another
// file is made; under Releve it is kept, and nothing throws. The messages
// name what a user can mend.
TEST(FichierTexte, RefusedWritesStopTheRunOrAreKept) {
  for (const auto& [code, message] : {std::pair{ENOSPC, "Disk full"},
                                      {EACCES, "File access denied"},
                                      {EPERM, "File access denied"},
                                      {EROFS, "File access denied"},
                                      {EIO, "I/O error 5"},
                                      {EFBIG, "I/O error 27"}}) {
    EXPECT_EQ(message,
              Erreur([c = code] { throw ErreurExecution(TypeErreur::EntreeSortie, {}, c); }));
  }
  const std::filesystem::path chemin = donnees::Temporaire();
  TFichierTexte fichier, plein;
  ASSERT_TRUE(fichier.Creer(chemin.string()));
  fichier.Fermer();
  EXPECT_EQ("I/O error 105", Erreur([&] { EcrireTexte(fichier, "x"); }));
  EXPECT_EQ("I/O error 105", Erreur([&] { FinDeLigne(fichier); }));
  EXPECT_EQ("I/O error 103", Erreur([&] { Vider(fichier); }));
  EXPECT_EQ("I/O error 103", Erreur([&] { fichier.Fermer(); }));
  if (!plein.Creer("/dev/full")) {
    GTEST_SKIP() << "no full device here";
  }
  EcrireTexte(plein, "abc");
  Vider(plein);
  EXPECT_EQ("Disk full", Erreur([&] { fichier.Creer(chemin.string()); }));
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
  fichier.Abandonner();
  std::filesystem::remove(chemin);
}

}  // namespace
