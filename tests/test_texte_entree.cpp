#include "model/texte_entree.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/erreurs.hpp"
#include "app/plateforme.hpp"

namespace {

TEST(ConvertirEntier, ValidTokens) {
  struct Cas {
    const char* texte;
    std::int32_t valeur;
  };
  const Cas cas[] = {
      {"0", 0},
      {"7", 7},
      {"+7", 7},
      {"-7", -7},
      {"-0", 0},
      {"007", 7},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"00000000000000000000000000000001", 1},
      {"$10", 16},
      {"x1F", 31},
      {"X1f", 31},
      {"0x10", 16},
      {"0XfF", 255},
      {"+$A", 10},
      {"-$1", -1},
      {"$00000001", 1},
      {"$7FFFFFFF", 2147483647},
      {"$FFFFFFFF", -1},
      {"$80000000", -2147483647 - 1},
      {"-$FFFFFFFF", 1},
      // Negating the most negative pattern wraps back onto itself.
      {"-$80000000", -2147483647 - 1},
      {"-0x7FFFFFFF", -2147483647},
  };
  for (const Cas& c : cas) {
    std::int32_t valeur = 12345;
    EXPECT_TRUE(ConvertirEntier(c.texte, valeur)) << c.texte;
    EXPECT_EQ(c.valeur, valeur) << c.texte;
  }
}

TEST(ConvertirEntier, InvalidTokens) {
  for (const char* texte : {"",           "+",  "-",          "--1",         "+-1",
                            "1.0",        "1.", "1e5",        "0,3",         "1a",
                            "a",          "1+", "2147483648", "-2147483649", "99999999999999999999",
                            "$",          "x",  "X",          "0x",          "-$",
                            "$123456789", "$G", "$-1",        "0x-1",        "0b1",
                            "$ 1",        "1$", "0$1",        "00x1",        "x0x1"}) {
    std::int32_t valeur = 12345;
    EXPECT_FALSE(ConvertirEntier(texte, valeur)) << texte;
    EXPECT_EQ(12345, valeur) << texte;
  }
}

TEST(ConvertirReel, ValidTokens) {
  struct Cas {
    const char* texte;
    double valeur;
  };
  const Cas cas[] = {
      {"0", 0.0},      {"210000", 210000.0},   {"5.", 5.0},    {".5", 0.5},      {"-.5", -0.5},
      {"+1.5", 1.5},   {"0.3", 0.3},           {".3", 0.3},    {"2.1E5", 2.1e5}, {"2.1e+5", 2.1e5},
      {"1e-3", 0.001}, {"-7.85e-5", -7.85e-5}, {"1E0", 1.0},   {"00.100", 0.1},  {"5.e2", 500.0},
      {"-0", 0.0},     {"100", 100.0},         {"1e007", 1e7},
  };
  for (const Cas& c : cas) {
    double valeur = 12345.0;
    EXPECT_TRUE(ConvertirReel(c.texte, valeur)) << c.texte;
    EXPECT_EQ(c.valeur, valeur) << c.texte;
  }
  double zero = 1.0;
  ASSERT_TRUE(ConvertirReel("-0.0", zero));
  EXPECT_TRUE(std::signbit(zero));
}

TEST(ConvertirReel, InvalidTokens) {
  for (const char* texte : {"",    ".",    "+",     "-",     "+.",   "0,3",   "1,5e3", "1e",  "1e+",
                            "1E-", "e5",   ".e5",   "1.5.3", "1..5", "inf",   "nan",   "INF", "1x",
                            "$10", "0x10", "1e5.0", "1.0d0", "--1",  "1e5e5", "1-",    "5.f"}) {
    double valeur = 12345.0;
    EXPECT_FALSE(ConvertirReel(texte, valeur)) << texte;
    EXPECT_EQ(12345.0, valeur) << texte;
  }
}

TEST(ConvertirReel, ExtendedPrecisionThenDouble) {
  if (LDBL_MANT_DIG <= DBL_MANT_DIG) {
    GTEST_SKIP() << "no extended precision on this platform";
  }
  // Rounded twice, through 64 mantissa bits then 53, this decimal lands one
  // place below its nearest double 0x1.f171cfea0166fp+18.
  double valeur = 0.0;
  ASSERT_TRUE(ConvertirReel("509383.24865756082", valeur));
  EXPECT_EQ(0x1.f171cfea0166ep+18, valeur);
}

TEST(ConvertirReel, OverflowAndUnderflow) {
  for (const char* texte :
       {"1e400", "-1e400", "1e5000", "-1e99999", "1.7976931348623159e308", "2e308"}) {
    double valeur = 0.0;
    try {
      ConvertirReel(texte, valeur);
      ADD_FAILURE() << "no overflow for " << texte;
    } catch (const ErreurExecution& erreur) {
      EXPECT_STREQ("Floating point overflow", erreur.what()) << texte;
    }
  }
  struct Cas {
    const char* texte;
    double valeur;
  };
  const Cas cas[] = {
      // Just above DBL_MAX, but nearer to it than to the next power of two.
      {"1.7976931348623158e308", DBL_MAX},
      {"-1.7976931348623157e308", -DBL_MAX},
      {"1e-400", 0.0},
      {"2e-324", 0.0},
      {"3e-324", 0x1p-1074},
      {"4.9406564584124654e-324", 0x1p-1074},
      {"2.2250738585072014e-308", DBL_MIN},
  };
  for (const Cas& c : cas) {
    double valeur = 12345.0;
    EXPECT_TRUE(ConvertirReel(c.texte, valeur)) << c.texte;
    EXPECT_EQ(c.valeur, valeur) << c.texte;
  }
  double moinsZero = 0.0;
  ASSERT_TRUE(ConvertirReel("-1e-400", moinsZero));
  EXPECT_TRUE(std::signbit(moinsZero));
}

TEST(ConvertirReelDeathTest, NoTrapWhenFloatingPointFaultsEndTheRun) {
  // With the program's traps on, a magnitude beyond every format is still the
  // run-time error with its context, and an underflow still rounds quietly.
  EXPECT_EXIT(
      {
        plateforme::ActiverExceptionsFlottantes();
        double valeur = 1.0;
        if (!ConvertirReel("1e-5000", valeur) || valeur != 0.0) {
          std::_Exit(4);
        }
        try {
          ConvertirReel("1e5000", valeur);
        } catch (const ErreurExecution& erreur) {
          std::_Exit(erreur.Type() == TypeErreur::DepassementFlottant ? 3 : 5);
        }
        std::_Exit(6);
      },
      testing::ExitedWithCode(3), "");
}

class TexteEntreeTest : public testing::Test {
 protected:
  void TearDown() override {
    if (entree_.EstOuvert()) {
      entree_.Fermer();  // Windows removes no open file
    }
    if (!chemin_.empty()) {
      std::filesystem::remove(chemin_);
    }
  }

  // Writes `contenu` into a temporary file and opens it.
  void Ouvrir(const std::string& contenu) {
    chemin_ = std::filesystem::temp_directory_path() /
              ("elasplan_te_" + std::to_string(testing::UnitTest::GetInstance()->random_seed()) +
               "_" + testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt");
    std::ofstream(chemin_, std::ios::binary) << contenu;
    ASSERT_EQ(0, entree_.Ouvrir(chemin_.string()));
  }

  std::filesystem::path chemin_;
  TTexteEntree entree_;
};

TEST_F(TexteEntreeTest, NumbersFoundAcrossBlanksAndLineEnds) {
  Ouvrir(
      std::string(" \t\r\n 12\n\n-3\x01 4\0"
                  "2.5\x7F\r\n",
                  21));
  EXPECT_EQ(12, entree_.LireEntier());
  EXPECT_EQ(-3, entree_.LireEntier());
  EXPECT_EQ(4, entree_.LireEntier());
  // DEL (127) is no blank: it belongs to the token, which is then invalid.
  EXPECT_THROW(entree_.LireReel(), ErreurExecution);
  EXPECT_EQ(0, entree_.LireEntier());
  EXPECT_TRUE(entree_.FinDeFichier());
}

TEST_F(TexteEntreeTest, EndOfFileReadsZero) {
  Ouvrir("5  \r\n  ");
  EXPECT_FALSE(entree_.FinDeFichier());
  EXPECT_EQ(5, entree_.LireEntier());
  EXPECT_FALSE(entree_.FinDeFichier());  // blanks are still characters
  EXPECT_EQ(0, entree_.LireEntier());
  EXPECT_TRUE(entree_.FinDeFichier());
  EXPECT_EQ(0.0, entree_.LireReel());
  EXPECT_EQ(0, entree_.LireEntier());
  entree_.SauterLigne();
  std::string ligne = "x";
  entree_.LireLigne(ligne);
  EXPECT_EQ("", ligne);
}

TEST_F(TexteEntreeTest, CtrlZIsTheEndOfTheFile) {
  Ouvrir(
      "5\x1A"
      "7\n8\n");
  EXPECT_EQ(5, entree_.LireEntier());
  EXPECT_TRUE(entree_.FinDeFichier());
  EXPECT_EQ(0, entree_.LireEntier());
  EXPECT_EQ(0.0, entree_.LireReel());
  entree_.SauterLigne();
  std::string ligne = "x";
  entree_.LireLigne(ligne);
  EXPECT_EQ("", ligne);
  EXPECT_TRUE(entree_.FinDeFichier());
}

TEST_F(TexteEntreeTest, CtrlZStopsALine) {
  Ouvrir("$fi\x1An\r\n");
  std::string ligne;
  entree_.LireLigne(ligne);
  EXPECT_EQ("$fi", ligne);
  EXPECT_TRUE(entree_.FinDeFichier());
}

TEST_F(TexteEntreeTest, LongTokensAreCutAndTheirRestReadNext) {
  const std::string zeros32(32, '0');
  const std::string reel64 = "0." + std::string(61, '0') + "1";  // 64 characters
  Ouvrir(zeros32 + "17 " + reel64 + "25 1" + std::string(31, '0') + "5");
  EXPECT_EQ(0, entree_.LireEntier());
  EXPECT_EQ(17, entree_.LireEntier());
  EXPECT_EQ(1e-62, entree_.LireReel());
  EXPECT_EQ(25.0, entree_.LireReel());
  // 32 digits are read: far beyond the 32-bit range.
  try {
    entree_.LireEntier();
    FAIL() << "no error";
  } catch (const ErreurExecution& erreur) {
    EXPECT_EQ(TypeErreur::EntreeNumeriqueInvalide, erreur.Type());
    EXPECT_EQ("1" + std::string(31, '0'), entree_.Jeton());
  }
  EXPECT_EQ(5, entree_.LireEntier());
}

TEST_F(TexteEntreeTest, ErrorsNameFileLineAndToken) {
  Ouvrir("1\r\n\r\n  0,3 x\n4 1e400\n$fin\n");
  EXPECT_EQ(1, entree_.LireEntier());
  const std::string nom = chemin_.string();
  struct Cas {
    bool entier;
    TypeErreur type;
    std::string contexte;
  };
  const Cas cas[] = {
      {false, TypeErreur::EntreeNumeriqueInvalide, nom + ", ligne 3 : \"0,3\""},
      {true, TypeErreur::EntreeNumeriqueInvalide, nom + ", ligne 3 : \"x\""},
      {true, TypeErreur::EntreeNumeriqueInvalide, ""},
      {false, TypeErreur::DepassementFlottant, nom + ", ligne 4 : \"1e400\""},
      {true, TypeErreur::EntreeNumeriqueInvalide, nom + ", ligne 5 : \"$fin\""},
  };
  for (const Cas& c : cas) {
    if (c.contexte.empty()) {
      EXPECT_EQ(4, entree_.LireEntier());
      continue;
    }
    try {
      if (c.entier) {
        entree_.LireEntier();
      } else {
        entree_.LireReel();
      }
      ADD_FAILURE() << "no error for " << c.contexte;
    } catch (const ErreurExecution& erreur) {
      EXPECT_EQ(c.type, erreur.Type());
      EXPECT_EQ(c.contexte, erreur.Contexte());
    }
  }
}

TEST_F(TexteEntreeTest, SkipTheRestOfTheLine) {
  Ouvrir("1 2 3\r\n4 5\r6\n7\n\n8");
  EXPECT_EQ(1, entree_.LireEntier());
  entree_.SauterLigne();
  EXPECT_EQ(2, entree_.Ligne());
  EXPECT_EQ(4, entree_.LireEntier());
  entree_.SauterLigne();  // a CR alone ends no line
  EXPECT_EQ(7, entree_.LireEntier());
  entree_.SauterLigne();
  entree_.SauterLigne();  // the empty line
  EXPECT_EQ(8, entree_.LireEntier());
  entree_.SauterLigne();
  EXPECT_TRUE(entree_.FinDeFichier());
  EXPECT_EQ(5, entree_.Ligne());
}

TEST_F(TexteEntreeTest, WholeLinesWithoutTheirEnds) {
  const std::string longue(1000, 'L');
  Ouvrir("abc\r\ndef\na\rb\r\n" + longue + "\n\r\nfin");
  std::string ligne;
  const char* attendues[] = {"abc", "def", "ab", longue.c_str(), "", "fin"};
  for (const char* attendue : attendues) {
    ASSERT_FALSE(entree_.FinDeFichier());
    entree_.LireLigne(ligne);
    EXPECT_EQ(attendue, ligne);
    entree_.SauterLigne();
  }
  EXPECT_TRUE(entree_.FinDeFichier());
}

TEST_F(TexteEntreeTest, LineEndStaysAfterAWholeLine) {
  Ouvrir("$noe 9\r\n4\r\n");
  std::string ligne;
  entree_.LireLigne(ligne);
  EXPECT_EQ("$noe 9", ligne);
  entree_.LireLigne(ligne);
  EXPECT_EQ("", ligne);
  EXPECT_EQ(4, entree_.LireEntier());
}

TEST_F(TexteEntreeTest, CloseTwiceIsAnInputOutputError) {
  Ouvrir("1");
  entree_.Fermer();
  EXPECT_FALSE(entree_.EstOuvert());
  try {
    entree_.Fermer();
    FAIL() << "no error";
  } catch (const ErreurExecution& erreur) {
    EXPECT_STREQ("I/O error 103", erreur.what());
  }
}

TEST(TexteEntree, OpenFailuresGiveTheSystemsReason) {
  TTexteEntree entree;
  const auto dossier = std::filesystem::temp_directory_path();
  EXPECT_EQ(ENOENT, entree.Ouvrir((dossier / "elasplan_absent_5dc1.txt").string()));
  EXPECT_EQ(EISDIR, entree.Ouvrir(dossier.string()));
  EXPECT_FALSE(entree.EstOuvert());
}

#ifdef __linux__
TEST(TexteEntree, FailedReadIsAnInputOutputError) {
  // Reading a process's memory at address 0 fails with EIO.
  TTexteEntree entree;
  ASSERT_EQ(0, entree.Ouvrir("/proc/self/mem"));
  try {
    entree.LireEntier();
    FAIL() << "no error";
  } catch (const ErreurExecution& erreur) {
    EXPECT_EQ(TypeErreur::EntreeSortie, erreur.Type());
    EXPECT_EQ(EIO, erreur.Code());
    EXPECT_EQ("/proc/self/mem, ligne 1", erreur.Contexte());
  }
}
#endif

}  // namespace
