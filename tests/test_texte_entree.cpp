// The reader's number syntax, its reading of bytes and its keyword test; its
// runs on whole models are golden end-to-end cases.
#include "model/texte_entree.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/erreurs.hpp"
#include "model/lecture.hpp"
#include "tests/donnees_communes.hpp"

namespace {

using namespace std::string_literals;

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
      {"1.7976931348623159e308", true}, {"inf", false}, {"nan", false}, {"$10", false},
      {"0x10", false}, {"1.5.3", false}, {"1.0d0", false}};
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
    const bool point = i % 2 == 0;
    reels.emplace_back(
        tirer(2, "+-") + entier + (point ? "." + fraction : "") + puissance.substr(0, 1) +
            (puissance.empty() ? "" : tirer(2, "+-") + exposant),
        entier.size() + point * fraction.size() > 0 && (puissance.empty() || !exposant.empty()));
  }
  for (const auto& [texte, valide] : reels) {
    const double attendu = static_cast<double>(std::strtold(texte.c_str(), nullptr));
    EXPECT_EQ(!valide               ? "refus"
              : std::isinf(attendu) ? "Floating point overflow"
                                    : Texte(attendu),
              Convertir(ConvertirReel, texte))
        << texte;
  }
}

// Reads a file with one operation per letter of a sequence: E an integer, R
// a real, L a whole line (in brackets), F the end-of-file test, S skips the
// rest of the line; an error shows its message and context, the file named f.
TEST(TexteEntree, NumbersLinesAndTheEndOfTheFile) {
  const std::tuple<std::string, const char*, std::string> cas[] = {
      // Blanks are codes 0 to 32, line ends included; DEL is none.
      {" \t\r\n 12\n\n-3\x01 4\0 2.5\x7F\r\n"s, "EEEREF",
       "12 -3 4 Invalid numeric input (f, ligne 4 : \"2.5\x7F\") 0 fin "},
      // Tokens are cut at 32 characters for an integer, 64 for a real.
      {std::string(32, '0') + "17 0." + std::string(61, '0') + "125", "EERR", "0 17 1e-62 25 "},
      // CR LF and LF end a line, a lone CR or NUL does not; the token is read past.
      {"1 \0 2\r\n4 5\r6\n7 x\n\n8"s, "ESESEESEF",
       "1 4 7 Invalid numeric input (f, ligne 3 : \"x\") 8 fin "},
      // A whole line leaves its line end in place.
      {"abc\r\ndef\na\rb\r\n\r\nfin", "LLSLSLSLSLSF", "[abc] [] [def] [ab] [] [fin] fin "}};
  for (const auto& [contenu, suite, attendu] : cas) {
    const std::filesystem::path chemin = donnees::Temporaire();
    std::ofstream(chemin, std::ios::binary) << contenu;
    std::string trace, ligne;
    TTexteEntree entree;
    ASSERT_EQ(0, entree.Ouvrir(chemin.string()));
    for (const char operation : std::string(suite)) {
      try {
        trace += operation == 'E'   ? Texte(entree.LireEntier()) + " "
                 : operation == 'R' ? Texte(entree.LireReel()) + " "
                 : operation == 'L' ? (entree.LireLigne(ligne), "[" + ligne + "] ")
                 : operation == 'F' ? (entree.FinDeFichier() ? "fin " : "- ")
                                    : (entree.SauterLigne(), "");
      } catch (const ErreurExecution& e) {
        trace += e.what() + (" (f" + e.Contexte().substr(chemin.string().size()) + ") ");
      }
    }
    entree.Fermer();
    std::filesystem::remove(chemin);
    EXPECT_EQ(attendu, trace) << suite;
  }
}

// Spaces and case do not matter, as the golden cases show; anything else does.
TEST(TexteEntree, KeywordsIgnoreSpacesAndCaseOnly) {
  const std::tuple<const char*, const char*, bool> cas[] = {
      {"$deb", "$deb\t", true},  {"$noe", "", false},        {"$noe", "$no ", false},
      {"$noe", "\t$noe", false}, {"$noe", "x$noe", false},   {"$noe", "$n\toe", false},
      {"$noe", "noe", false},    {"$cha", "$ch\xE0", false}, {"$fin", "\xA0$fin", false}};
  for (const auto& [motCle, ligne, attendu] : cas) {
    EXPECT_EQ(attendu, MotCle(motCle, ligne)) << motCle << " / " << ligne;
  }
}

}  // namespace
