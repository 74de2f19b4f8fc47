// The reader's number syntax and keyword test; whole files are golden cases.
#include "model/texte_entree.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "model/lecture.hpp"
#include "tests/donnees_communes.hpp"

namespace {

template <typename T>
std::string Texte(T valeur) {
  char chiffres[32];
  return std::string(chiffres, std::to_chars(chiffres, chiffres + sizeof chiffres, valeur).ptr);
}

// A value in its shortest exact form, "refus" for an invalid token, or the
// run-time error's message.
template <typename T>
std::string Convertir(bool (*convertir)(std::string_view, T&), const std::string& texte) {
  T valeur{};
  bool valide = false;
  const std::string erreur = donnees::Erreur([&] { valide = convertir(texte, valeur); });
  return erreur != "no error" ? erreur : valide ? Texte(valeur) : "refus";
}

// Integers: decimal within 32 bits, or up to 8 hexadecimal digits after $, x
// or 0x, a 32-bit pattern. Reals: the library's extended conversion rounded
// to a double, on a syntax of its own, by random tokens of it, near misses
// and tokens the library would take.
TEST(TexteEntree, IntegerAndRealSyntax) {
  // clang-format off
  const std::pair<std::string, const char*> entiers[] = {
      {"-2147483648", "-2147483648"}, {std::string(31, '0') + "1", "1"}, {"x1f", "31"},
      {"X1F", "31"}, {"0Xab", "171"}, {"$cD", "205"}, {"-$1", "-1"}, {"-$FFFFFFFF", "1"},
      {"-$80000000", "-2147483648"}, {"", "refus"}, {"+", "refus"}, {"--1", "refus"},
      {"1a", "refus"}, {"2147483648", "refus"}, {"-2147483649", "refus"}, {"$", "refus"},
      {"0x", "refus"}, {"$123456789", "refus"}, {"$G", "refus"}, {"$-1", "refus"},
      {"00x1", "refus"}, {"x0x1", "refus"}};
  std::vector<std::pair<std::string, bool>> reels = {{"509383.24865756082", true},
      {"1.7976931348623158e308", true}, {"1.79769313486231583e308", true}, {"inf", false},
      {"1.7976931348623159e308", true}, {"nan", false}, {"$10", false}, {"0x10", false},
      {"1.5.3", false}, {"1.0d0", false}};
  // clang-format on
  for (const auto& [texte, attendu] : entiers) {
    EXPECT_EQ(attendu, Convertir(ConvertirEntier, texte)) << texte;
  }
  std::mt19937 aleas(7);
  const auto tirer = [&](unsigned n, const std::string& choix) {
    std::string s;
    for (n = aleas() % n; n-- > 0;) {
      s += choix[aleas() % choix.size()];
    }
    return s;
  };
  for (int i = 0; i < 3000; ++i) {
    const std::string entier = tirer(20, "0123456789"), fraction = tirer(20, "0123456789"),
                      puissance = tirer(3, "eE"), exposant = tirer(5, "0123456789");
    const bool point = i % 2 == 0, valide = entier.size() + point * fraction.size() > 0 &&
                                            (puissance.empty() || !exposant.empty());
    reels.emplace_back(
        tirer(2, "+-") + entier + (point ? "." + fraction : "") +
            (puissance.empty() ? "" : puissance.substr(0, 1) + tirer(2, "+-") + exposant),
        valide);
  }
  for (const auto& [texte, valide] : reels) {
    const double v = static_cast<double>(std::strtold(texte.c_str(), nullptr));
    const std::string attendu = !valide         ? "refus"
                                : std::isinf(v) ? "Floating point overflow"
                                                : Texte(v);
    EXPECT_EQ(attendu, Convertir(ConvertirReel, texte)) << texte;
  }
}

// Past the last number, an integer and a real read as zero.
TEST(TexteEntree, NumbersPastTheEndReadZero) {
  const essai::DossierTemporaire dossier;
  const std::filesystem::path chemin = dossier.Chemin() / "sept.txt";
  essai::EcrireFichier(chemin, "7\r\n");
  TTexteEntree entree;
  ASSERT_EQ(0, entree.Ouvrir(chemin.string()));
  EXPECT_EQ(7, entree.LireEntier());
  EXPECT_EQ(0, entree.LireEntier());
  EXPECT_EQ(0.0, entree.LireReel());
  entree.Fermer();
}

// Spaces and case do not matter, as the golden cases show; anything else does.
TEST(TexteEntree, KeywordsIgnoreSpacesAndCaseOnly) {
  EXPECT_TRUE(MotCle("$deb", "$deb\t"));
  for (const char* ligne :
       {"", "$no ", "\t$noe", "x$noe", "$n\toe", "noe", "$no\xC9", "\xA0$noe"}) {
    EXPECT_FALSE(MotCle("$noe", ligne)) << ligne;
  }
}

}  // namespace
