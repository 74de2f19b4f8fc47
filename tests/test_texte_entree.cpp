// The reader's number syntax, its reading of bytes and its keyword test; its
// runs on whole models are golden end-to-end cases.
#include "model/texte_entree.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>

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

TEST(TexteEntree, IntegerAndRealSyntax) {
  // Through extended precision, 509383.24865756082 lands one place below its
  // nearest double 509383.24865756085.
  const char* etendu = LDBL_MANT_DIG > DBL_MANT_DIG ? "509383.2486575608" : "509383.24865756085";
  // clang-format off
  const std::pair<std::string, const char*> entiers[] = {
      {"+7", "7"}, {"-2147483648", "-2147483648"}, {std::string(31, '0') + "1", "1"}, {"x1f", "31"},
      {"X1F", "31"}, {"0x10", "16"}, {"0Xab", "171"}, {"$cD", "205"}, {"-$1", "-1"},
      {"-$FFFFFFFF", "1"}, {"$7FFFFFFF", "2147483647"}, {"-$80000000", "-2147483648"},
      {"", "refus"}, {"+", "refus"}, {"--1", "refus"}, {"1e5", "refus"}, {"1a", "refus"},
      {"2147483648", "refus"}, {"-2147483649", "refus"}, {"$", "refus"}, {"0x", "refus"},
      {"$123456789", "refus"}, {"$G", "refus"}, {"$g", "refus"}, {"$-1", "refus"},
      {"00x1", "refus"}, {"x0x1", "refus"}, {"1$", "refus"}};
  const std::pair<std::string, const char*> reels[] = {
      {"5.", "5"}, {".5", "0.5"}, {"-.5", "-0.5"}, {"+1.5", "1.5"}, {"2.1e+5", "210000"},
      {"00.100", "0.1"}, {"-0.0", "-0"}, {"509383.24865756082", etendu}, {"3e-324", "5e-324"},
      {"2e-324", "0"}, {"1.7976931348623158e308", "1.7976931348623157e+308"},
      {"1.7976931348623159e308", "Floating point overflow"}, {"-1e400", "Floating point overflow"},
      {"", "refus"}, {".", "refus"}, {"+.", "refus"}, {"1e", "refus"}, {"1E-", "refus"},
      {"e5", "refus"}, {".e5", "refus"}, {"1.5.3", "refus"}, {"inf", "refus"}, {"nan", "refus"},
      {"$10", "refus"}, {"0x10", "refus"}, {"1.0d0", "refus"}, {"1-", "refus"}};
  // clang-format on
  for (const auto& [texte, attendu] : entiers) {
    EXPECT_EQ(attendu, Convertir(ConvertirEntier, texte)) << texte;
  }
  for (const auto& [texte, attendu] : reels) {
    EXPECT_EQ(attendu, Convertir(ConvertirReel, texte)) << texte;
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
