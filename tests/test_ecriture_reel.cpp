#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
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
#include <vector>

#include "app/fichier_texte.hpp"
#include "app/plateforme.hpp"
#include "tests/donnees_communes.hpp"

namespace {

using Limites = std::numeric_limits<double>;
constexpr double kNan = Limites::quiet_NaN();
constexpr double kInf = Limites::infinity();
constexpr int kSci = -1;  // no decimals: the scientific form

// Value, width, decimals, text.
// clang-format off
const std::tuple<double, int, int, const char*> kCas[] = {
    // Fixed form: the exact stored value rounded half away from zero, its sign kept.
    {-0.0000004, 10, 6, " -0.000000"}, {0.0, 10, 6, "  0.000000"}, {0.125, 4, 2, "0.13"},
    {2.675, 4, 2, "2.67"},  {2.665, 4, 2, "2.67"}, {0x1.3ffffffffffffp+1, 5, 0, "    2"},
    {2.5, 5, 0, "    3"},   {-2.5, 5, 0, "   -3"}, {-1234.5, 5, 0, "-1235"}, {0.3, 4, 2, "0.30"},
    {-0.0, 6, 0, "    -0"}, {-0.4, 5, 0, "   -0"}, {-Limites::denorm_min(), 10, 6, " -0.000000"},
    // Carries run through every digit; a field widens, never cuts.
    {9.996, 6, 2, " 10.00"}, {-99.5, 5, 0, " -100"}, {-9.9999996, 10, 6, "-10.000000"},
    {210000.0, 6, 0, "210000"}, {1234567.0, 6, 0, "1234567"}, {1234567.891, 8, 3, "1234567.891"},
    // Scientific form: w - 8 digits, 2 to 18, and width 23 when none is given.
    {1234.5, 0, kSci, " 1.23450000000000E+0003"},   {-0.00125, 0, kSci, "-1.25000000000000E-0003"},
    {0.0, 0, kSci, " 0.00000000000000E+0000"},      {-12.5, 0, kSci, "-1.25000000000000E+0001"},
    {1.0e100, 0, kSci, " 1.00000000000000E+0100"},  {-0.0, 0, kSci, "-0.00000000000000E+0000"},
    {9.999999999999998, 0, kSci, " 1.00000000000000E+0001"},
    {Limites::max(), 0, kSci, " 1.79769313486232E+0308"},
    {Limites::denorm_min(), 0, kSci, " 4.94065645841247E-0324"}, {1234.5, 12, kSci, " 1.235E+0003"},
    {-9.9996, 12, kSci, "-1.000E+0001"}, {1234.5, 5, kSci, " 1.2E+0003"},
    {0.1, 30, kSci, "     1.00000000000000006E-0001"},
    // From 1.6e37 on, the scientific form in the fixed form's width.
    {1.6e37, 10, 2, " 1.6E+0037"}, {-Limites::max(), 9, 2, "-1.8E+0308"},
    {0x1.812f9cf7920e2p+123, 10, 2, "15999999999999998317546956549464784896.00"},
    // Not a number and infinities, right-aligned.
    {kNan, 8, 2, "     Nan"}, {-kNan, 8, 2, "     Nan"}, {Limites::signaling_NaN(), 0, 2, "Nan"},
    {kInf, 8, 2, "    +Inf"}, {-kInf, 3, 0, "-Inf"},  {kNan, 0, kSci, "                    Nan"},
    {-kInf, 0, kSci, "                   -Inf"}};
// clang-format on

// Both routes: the one EcrireReel picks, and the exact digits alone.
constexpr decltype(&EcrireReel) kRoutes[] = {EcrireReel, EcrireReelExact};

// Every row on a line of its own, by both routes, written with the program's
// traps of floating-point faults on: no value may raise one.
TEST(EcritureReelDeathTest, BothFormsCharacterForCharacterWithoutFault) {
  const std::filesystem::path chemin = donnees::Temporaire();
  std::filesystem::remove(chemin);
  EXPECT_EXIT(
      {
        plateforme::ActiverExceptionsFlottantes();
        TFichierTexte fichier;
        if (fichier.Creer(chemin.string())) {
          for (const auto ecrire : kRoutes) {
            for (const auto& [valeur, largeur, decimales, texte] : kCas) {
              ecrire(fichier, valeur, largeur, decimales);
              FinDeLigne(fichier);
            }
          }
          fichier.Fermer();
        }
        std::exit(0);
      },
      testing::ExitedWithCode(0), "");
  std::string attendu;
  for (const auto& [valeur, largeur, decimales, texte] : kCas) {
    attendu += texte + std::string("\r\n");
  }
  EXPECT_EQ(attendu + attendu, donnees::Contenu(chemin));
  std::filesystem::remove(chemin);
}

// The C library's exact expansion of a stored value's magnitude: its digits,
// "0" first to take a carry, and where the point falls.
std::string Expansion(double valeur, std::size_t& point) {
  std::vector<char> exact(1500);
  std::snprintf(exact.data(), exact.size(), "0%.1100f", std::fabs(valeur));
  std::string chiffres(exact.data());
  point = chiffres.find('.');
  return chiffres.erase(point, 1);
}

// The first `garde` digits, rounded half away from zero on the next one.
std::string Arrondi(std::string chiffres, std::size_t garde) {
  if (chiffres[garde] >= '5') {
    std::size_t i = garde - 1;
    for (; chiffres[i] == '9'; --i) {
      chiffres[i] = '0';
    }
    ++chiffres[i];
  }
  return chiffres.substr(0, garde);
}

std::string Aligne(std::string texte, int largeur) {
  const std::size_t champ = static_cast<std::size_t>(largeur);
  return texte.size() < champ ? std::string(champ - texte.size(), ' ') + texte : texte;
}

// The fixed form by another route.
std::string FixeDeReference(double valeur, int largeur, int decimales) {
  std::size_t point = 0;
  const std::string chiffres = Expansion(valeur, point);
  const std::string arrondi = Arrondi(chiffres, point + static_cast<std::size_t>(decimales));
  const std::size_t debut = arrondi[0] == '0' ? 1 : 0;
  std::string texte(std::signbit(valeur) ? 1 : 0, '-');
  texte.append(arrondi, debut, point - debut);
  if (decimales > 0) {
    texte.append(1, '.').append(arrondi, point);
  }
  return Aligne(texte, largeur);
}

// The scientific form by another route, n = width - 8 significant digits.
std::string ScientifiqueDeReference(double valeur, int largeur) {
  std::size_t point = 0;
  const std::string chiffres = Expansion(valeur, point);
  // Zero's first digit is its units digit.
  const std::size_t nonNul = chiffres.find_first_not_of('0');
  const std::size_t premier = nonNul == std::string::npos ? point - 1 : nonNul;
  const std::size_t n = static_cast<std::size_t>(std::clamp(largeur - 8, 2, 18));
  std::string mantisse = Arrondi(chiffres, premier + n).substr(premier - 1);
  int exposant = static_cast<int>(point) - static_cast<int>(premier) - 1;
  if (mantisse[0] != '0') {  // 9.99... rounded up to 10.0...
    ++exposant;
  }
  mantisse = mantisse[0] != '0' ? mantisse.substr(0, n) : mantisse.substr(1);
  char exposantTexte[16];
  std::snprintf(exposantTexte, sizeof exposantTexte, "E%c%04d", exposant < 0 ? '-' : '+',
                std::abs(exposant));
  return Aligne(std::string(std::signbit(valeur) ? "-" : " ") + mantisse[0] + "." +
                    mantisse.substr(1) + exposantTexte,
                largeur);
}

// Random magnitudes from the denormals up, and binary fractions that fall on
// exact halves of the last decimal, by both routes: in every fixed form the
// report uses and a few with more decimals, and in the scientific form.
TEST(EcritureReel, BothRoutesMatchTheExactExpansion) {
#ifdef _WIN32
  GTEST_SKIP() << "the C library's expansion is exact with glibc only";
#endif
  std::mt19937_64 aleatoire(20261207);
  std::vector<double> valeurs;
  for (int i = 0; i < 1000; ++i) {
    const double v = std::bit_cast<double>(aleatoire() >> 1);
    if (std::isfinite(v)) {
      valeurs.push_back(i % 2 == 0 ? v : -v);
    }
    const double fraction = std::ldexp(static_cast<double>(aleatoire() % (std::uint64_t{1} << 40)),
                                       -static_cast<int>(aleatoire() % 48));
    valeurs.push_back(i % 3 == 0 ? -fraction : fraction);
    valeurs.push_back(static_cast<double>(aleatoire() % 2000000) / 1000.0 - 1000.0);
    valeurs.push_back(std::ldexp(static_cast<double>(aleatoire() >> 11), 10 + i % 60));
  }
  const std::pair<int, int> formes[] = {{5, 0},   {6, 0},  {4, 2},  {5, 2},   {6, 2},
                                        {8, 2},   {9, 2},  {8, 3},  {10, 6},  {12, 9},
                                        {14, 10}, {0, 14}, {0, -1}, {12, -1}, {30, -1}};
  const std::filesystem::path chemin = donnees::Temporaire();
  std::string attendu;
  {
    TFichierTexte fichier;
    ASSERT_TRUE(fichier.Creer(chemin.string()));
    for (const auto ecrire : kRoutes) {
      for (const double v : valeurs) {
        for (const auto& [largeur, decimales] : formes) {
          if (decimales >= 0 && std::fabs(v) >= 1.6e37) {
            continue;
          }
          ecrire(fichier, v, largeur, decimales);
          FinDeLigne(fichier);
          attendu += decimales >= 0 ? FixeDeReference(v, largeur, decimales)
                                    : ScientifiqueDeReference(v, largeur == 0 ? 23 : largeur);
          attendu += "\r\n";
        }
      }
    }
    fichier.Fermer();
  }
  // Line by line: a failure shows the first rows that differ.
  std::istringstream lignesAttendues(attendu), lignesEcrites(donnees::Contenu(chemin));
  std::string ligneAttendue, ligneEcrite;
  for (int fautes = 0; fautes < 10 && std::getline(lignesAttendues, ligneAttendue);) {
    std::getline(lignesEcrites, ligneEcrite);
    fautes += ligneAttendue == ligneEcrite ? 0 : 1;
    EXPECT_EQ(ligneAttendue, ligneEcrite);
  }
  std::filesystem::remove(chemin);
}

}  // namespace
