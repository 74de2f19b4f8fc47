// The output streams: reals against the C library, and refused writes.
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
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/plateforme.hpp"
#include "tests/donnees_communes.hpp"

namespace {

using L = std::numeric_limits<double>;
constexpr int kSci = -1;  // no decimals: the scientific form

// The C library's exact conversion, rounded half to even: on an exact tie
// after an even digit one unit too low, never with a carry. Scientific:
// width - 8 digits, 2 to 18; 23 characters when no width is given.
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
    const int ici = static_cast<int>(s.find('e'));
    std::snprintf(texte.data(), texte.size(), "%s%.*sE%+05d", std::signbit(v) ? "" : " ", ici,
                  s.c_str(), std::atoi(s.c_str() + ici + 1));
    s = texte.data();
  }
  return std::string(static_cast<std::size_t>(std::max(0, champ - int(s.size()))), ' ') + s;
}

// Both routes, under the program's traps of floating-point faults. First the
// scientific form from 1.6e37 on, not a number and infinities; then ties,
// carries, signed zeros, extremes, decimals beyond the longest expansion, and
// random magnitudes, exact halves and large integers, against the C library.
TEST(FichierTexteDeathTest, RealsByBothRoutesMatchTheCLibraryWithoutFault) {
  // clang-format off
  std::vector<std::tuple<double, int, int, std::string>> lignes = {
      {1.6e37, 10, 2, " 1.6E+0037"},
      {0x1.812f9cf7920e2p+123, 10, 2, "15999999999999998317546956549464784896.00"},
      {L::quiet_NaN(), 8, 2, "     Nan"}, {-L::quiet_NaN(), 8, 2, "     Nan"},
      {L::signaling_NaN(), 0, 2, "Nan"}, {L::infinity(), 8, 2, "    +Inf"},
      {-L::infinity(), 3, 0, "-Inf"}, {L::quiet_NaN(), 0, kSci, "                    Nan"},
      {-L::infinity(), 0, kSci, "                   -Inf"}};
#ifndef _WIN32  // the C library's expansion is exact with glibc only
  const std::pair<int, int> formes[] = {{5, 0}, {7, 1}, {4, 2}, {9, 2}, {8, 3}, {60, 3}, {10, 6},
      {12, 9}, {14, 10}, {0, 14}, {0, kSci}, {1, kSci}, {12, kSci}, {30, kSci}};
  const double choisies[] = {-0.0, 2.675, 2.5, -2.5, 0.25, -0.4, 9.996, -9.9999996, 1234567.0,
      -0.0000004, 0.1, -9.9996, L::max(), -L::max(), L::denorm_min(), 9.999999999999998};
  // clang-format on
  for (const double v : {0.5, -L::denorm_min()}) {
    lignes.emplace_back(v, 1200, 1080, Reference(v, 1200, 1080));
  }
  std::mt19937_64 aleas(20261207);
  for (int i = -16; i < 4000; ++i) {
    const double v =
        i < 0        ? choisies[i + 16]
        : i % 4 == 0 ? std::bit_cast<double>(aleas() >> 1)
        : i % 4 == 1 ? std::ldexp(double(aleas() % (std::uint64_t{1} << 40)), -int(aleas() % 48))
        : i % 4 == 2 ? static_cast<double>(aleas() % 2000000) / 1000 - 1000
                     : std::ldexp(static_cast<double>(aleas() >> 11), 10 + i % 60);
    for (const auto& [largeur, decimales] : formes) {
      if (std::isfinite(v) && (decimales < 0 || std::fabs(v) < 1.6e37)) {
        const double w = i > 0 && i % 3 == 0 ? -v : v;
        lignes.emplace_back(w, largeur, decimales, Reference(w, largeur, decimales));
      }
    }
  }
#endif
  // A failure shows what was expected from the first difference on.
  const auto verifier = [&] {
    plateforme::ActiverExceptionsFlottantes();
    const essai::DossierTemporaire dossier;
    const std::filesystem::path chemin = dossier.Chemin() / "reels.txt";
    TFichierTexte fichier;
    fichier.Creer(chemin.string());
    std::string attendu;
    for (const auto& [valeur, largeur, decimales, texte] : lignes) {
      EcrireReel(fichier, valeur, largeur, decimales);
      EcrireReelExact(fichier, valeur, largeur, decimales);
      FinDeLigne(fichier);
      attendu += texte + texte + "\r\n";
    }
    fichier.Fermer();
    const std::string ecrit = essai::LireFichier(chemin);
    std::filesystem::remove_all(dossier.Chemin());  // the exit runs no destructor
    const auto ecart = std::mismatch(attendu.begin(), attendu.end(), ecrit.begin(), ecrit.end());
    std::fprintf(stderr, "%.99s\n", attendu.c_str() + (ecart.first - attendu.begin()));
    std::exit(ecrit == attendu ? 0 : 2);
  };
  EXPECT_EXIT(verifier(), testing::ExitedWithCode(0), "");
}

// A closed file and a refused write are run-time errors.
TEST(FichierTexte, RefusedWrites) {
  using donnees::Erreur;
  TFichierTexte fichier;
  EXPECT_EQ("I/O error 105", Erreur([&] { FinDeLigne(fichier); }));
  EXPECT_EQ("I/O error 103", Erreur([&] { Vider(fichier); }));
  for (const int code : {EACCES, EPERM, EROFS}) {
    EXPECT_EQ("File access denied",
              Erreur([code] { throw ErreurExecution(TypeErreur::EntreeSortie, {}, code); }));
  }
}

}  // namespace
