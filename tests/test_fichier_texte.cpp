// The output streams: integers, texts and reals in their widths, refused
// writes. The reports' golden files hold the usual forms; here are the rules
// they meet seldom, and reals of every kind against the C library.
#include "app/fichier_texte.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/plateforme.hpp"
#include "tests/donnees_communes.hpp"

#ifdef __linux__
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

using donnees::Erreur;
using L = std::numeric_limits<double>;
constexpr int kSci = -1;  // no decimals: the scientific form

// Value, width, decimals, text: the rules the reports' golden files meet
// seldom or never.
// clang-format off
const std::tuple<double, int, int, const char*> kCas[] = {
    // The exact stored value rounded half away from zero, its sign kept.
    {-0.0000004, 10, 6, " -0.000000"}, {2.675, 4, 2, "2.67"}, {2.5, 5, 0, "    3"},
    {-2.5, 5, 0, "   -3"}, {0.25, 5, 1, "  0.3"}, {-0.0, 6, 0, "    -0"}, {-0.4, 5, 0, "   -0"},
    {-L::denorm_min(), 10, 6, " -0.000000"},
    // Carries run through every digit; a field widens, never cuts.
    {9.996, 6, 2, " 10.00"}, {-9.9999996, 10, 6, "-10.000000"}, {1234567.0, 6, 0, "1234567"},
    // Scientific: width - 8 digits, 2 to 18; 23 characters when no width is given.
    {-0.0, 0, kSci, "-0.00000000000000E+0000"}, {L::max(), 0, kSci, " 1.79769313486232E+0308"},
    {9.999999999999998, 0, kSci, " 1.00000000000000E+0001"},
    {L::denorm_min(), 0, kSci, " 4.94065645841247E-0324"}, {-9.9996, 12, kSci, "-1.000E+0001"},
    {1234.5, 1, kSci, " 1.2E+0003"}, {0.1, 30, kSci, "     1.00000000000000006E-0001"},
    // From 1.6e37 on, the scientific form in the fixed form's width.
    {1.6e37, 10, 2, " 1.6E+0037"}, {-L::max(), 9, 2, "-1.8E+0308"},
    {0x1.812f9cf7920e2p+123, 10, 2, "15999999999999998317546956549464784896.00"},
    // Not a number and infinities, right-aligned.
    {L::quiet_NaN(), 8, 2, "     Nan"}, {-L::quiet_NaN(), 8, 2, "     Nan"},
    {L::signaling_NaN(), 0, 2, "Nan"}, {L::infinity(), 8, 2, "    +Inf"},
    {-L::infinity(), 3, 0, "-Inf"}, {L::quiet_NaN(), 0, kSci, "                    Nan"},
    {-L::infinity(), 0, kSci, "                   -Inf"}};
// clang-format on

// Both routes: the one EcrireReel picks, and the exact digits alone.
constexpr decltype(&EcrireReel) kRoutes[] = {EcrireReel, EcrireReelExact};

// What both routes write of each row, one a line.
std::string Ecrire(const std::vector<std::tuple<double, int, int>>& lignes) {
  const std::filesystem::path chemin = donnees::Temporaire();
  {
    TFichierTexte fichier;
    EXPECT_TRUE(fichier.Creer(chemin.string()));
    for (const auto ecrire : kRoutes) {
      for (const auto& [valeur, largeur, decimales] : lignes) {
        ecrire(fichier, valeur, largeur, decimales);
        FinDeLigne(fichier);
      }
    }
    fichier.Fermer();
  }
  std::string contenu = donnees::Contenu(chemin);
  std::filesystem::remove(chemin);
  return contenu;
}

// Every row by both routes, with the program's traps of floating-point
// faults on: no value may raise one.
TEST(FichierTexteDeathTest, RealsInBothFormsCharacterForCharacterWithoutFault) {
  std::vector<std::tuple<double, int, int>> lignes;
  std::string attendu;
  for (const auto& [valeur, largeur, decimales, texte] : kCas) {
    lignes.emplace_back(valeur, largeur, decimales);
    attendu += texte + std::string("\r\n");
  }
  EXPECT_EXIT(
      {
        plateforme::ActiverExceptionsFlottantes();
        std::exit(Ecrire(lignes) == attendu + attendu ? 0 : 2);
      },
      testing::ExitedWithCode(0), "");
  EXPECT_EQ(attendu + attendu, Ecrire(lignes));
}

// The same by the C library, whose conversions are exact: rounded half to
// even, which differs from half away from zero only on an exact tie after an
// even digit, then one unit too low, with no carry.
std::string Reference(double v, int largeur, int decimales) {
  const bool sci = decimales < 0;
  const int champ = sci && largeur == 0 ? 23 : largeur;
  const int n = sci ? std::clamp(champ - 8, 2, 18) - 1 : decimales;  // digits after the point
  std::vector<char> exact(1500), texte(1500);
  std::snprintf(exact.data(), exact.size(), sci ? "%.1100e" : "%.1100f", v);
  std::snprintf(texte.data(), texte.size(), sci ? "%.*e" : "%.*f", n, v);
  const std::string e = exact.data();
  std::string s = texte.data();
  const std::size_t suivant = e.find('.') + 1 + static_cast<std::size_t>(n);
  const std::size_t dernier = sci ? s.find('e') - 1 : s.size() - 1;
  const char garde = e[suivant - 1] == '.' ? e[suivant - 2] : e[suivant - 1];
  if (e[suivant] == '5' && e.find_first_not_of('0', suivant + 1) >= e.find('e') && garde % 2 == 0) {
    ++s[dernier];
  }
  if (sci) {
    const std::size_t ici = s.find('e');
    const int exposant = std::atoi(s.c_str() + ici + 1);
    std::snprintf(texte.data(), texte.size(), "E%c%04d", exposant < 0 ? '-' : '+',
                  std::abs(exposant));
    s = std::string(std::signbit(v) ? "" : " ").append(s, 0, ici).append(texte.data());
  }
  return std::string(static_cast<std::size_t>(std::max(0, champ - int(s.size()))), ' ') + s;
}

// Random magnitudes from the denormals up, binary fractions that fall on
// exact halves of the last decimal and large integers, by both routes, in
// every fixed form the report uses, a few with more decimals, and the
// scientific form.
TEST(FichierTexte, RealsByBothRoutesMatchTheCLibrary) {
#ifdef _WIN32
  GTEST_SKIP() << "the C library's expansion is exact with glibc only";
#endif
  std::mt19937_64 aleas(20261207);
  const std::pair<int, int> formes[] = {
      {5, 0},  {6, 0},  {7, 1},  {4, 2},   {5, 2},  {6, 2},    {8, 2},    {9, 2},     {8, 3},
      {60, 3}, {10, 6}, {12, 9}, {14, 10}, {0, 14}, {0, kSci}, {1, kSci}, {12, kSci}, {30, kSci}};
  std::vector<std::tuple<double, int, int>> lignes;
  std::string attendu;
  for (const double v : {0.5, -L::denorm_min()}) {  // decimals beyond the longest expansion
    lignes.emplace_back(v, 1200, 1080);
    attendu += Reference(v, 1200, 1080) + "\r\n";
  }
  for (int i = 0; i < 4000; ++i) {
    const double v =
        i % 4 == 0   ? std::bit_cast<double>(aleas() >> 1)
        : i % 4 == 1 ? std::ldexp(double(aleas() % (std::uint64_t{1} << 40)), -int(aleas() % 48))
        : i % 4 == 2 ? static_cast<double>(aleas() % 2000000) / 1000 - 1000
                     : std::ldexp(static_cast<double>(aleas() >> 11), 10 + i % 60);
    for (const auto& [largeur, decimales] : formes) {
      if (std::isfinite(v) && (decimales < 0 || std::fabs(v) < 1.6e37)) {
        lignes.emplace_back(i % 3 == 0 ? -v : v, largeur, decimales);
        attendu += Reference(std::get<0>(lignes.back()), largeur, decimales) + "\r\n";
      }
    }
  }
  // A failure shows the first line that differs.
  const std::string attendus = attendu + attendu, ecrits = Ecrire(lignes);
  const std::size_t ecart = static_cast<std::size_t>(
      std::mismatch(attendus.begin(), attendus.end(), ecrits.begin(), ecrits.end()).first -
      attendus.begin());
  const std::size_t ici = attendus.rfind('\n', ecart) + 1;
  EXPECT_EQ(attendus.substr(ici, attendus.find('\n', ici) - ici),
            ecrits.substr(ici, ecrits.find('\n', ici) - ici));
  EXPECT_EQ(attendus.size(), ecrits.size());
}

// Integers and texts right-aligned in their widths, never cut; "|" ends
// each field. Under Arret a refusal is the run-time error, met at the latest
// when another file is made; under Releve it is kept, and nothing throws.
TEST(FichierTexte, WidthsAndRefusedWrites) {
  const std::filesystem::path chemin = donnees::Temporaire();
  TFichierTexte fichier, plein;
  ASSERT_TRUE(fichier.Creer(chemin.string()));
  for (const auto& [valeur, largeur] :
       {std::pair{7, 3}, {100, 2}, {-12, 0}, {0, 4}, {-5, 1}, {-2147483647 - 1, 0}}) {
    EcrireEntier(fichier, valeur, largeur);
    EcrireCaractere(fichier, '|');
  }
  for (const auto& [texte, largeur] : {std::pair{"Uy", 9}, {"longer", 3}, {"\xC9", 2}, {"", 1}}) {
    EcrireTexte(fichier, texte, largeur);
    EcrireCaractere(fichier, '|');
  }
  fichier.Fermer();
  EXPECT_EQ("  7|100|-12|   0|-5|-2147483648|       Uy|longer| \xC9| |", donnees::Contenu(chemin));
  EXPECT_EQ("I/O error 105", Erreur([&] { EcrireTexte(fichier, "x"); }));
  EXPECT_EQ("I/O error 105", Erreur([&] { FinDeLigne(fichier); }));
  EXPECT_EQ("I/O error 103", Erreur([&] { Vider(fichier); }));
  EXPECT_EQ("I/O error 103", Erreur([&] { fichier.Fermer(); }));
  for (const int code : {EACCES, EROFS}) {
    EXPECT_EQ("File access denied",
              Erreur([code] { throw ErreurExecution(TypeErreur::EntreeSortie, {}, code); }));
  }
#ifdef __linux__
  // A sealed memory file refuses every write (EPERM).
  const int scelle = memfd_create("scelle", MFD_ALLOW_SEALING);
  ASSERT_EQ(0, fcntl(scelle, F_ADD_SEALS, F_SEAL_WRITE));
  ASSERT_TRUE(fichier.Creer("/proc/self/fd/" + std::to_string(scelle)));
  EcrireCaractere(fichier, 'x');  // a hand-over of a single byte
  EXPECT_EQ("File access denied", Erreur([&] { fichier.Fermer(); }));
  close(scelle);
#endif
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
