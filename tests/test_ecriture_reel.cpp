#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <span>
#include <string>

#include "app/fichier_texte.hpp"
#include "app/plateforme.hpp"

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kMinNormal = std::numeric_limits<double>::min();
constexpr double kMinDenormal = std::numeric_limits<double>::denorm_min();
constexpr int kSansDecimales = -1;  // the scientific form

struct Cas {
  double valeur;
  int largeur;
  int decimales;
  const char* attendu;
};

std::filesystem::path CheminTemporaire() {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  return std::filesystem::temp_directory_path() /
         (std::string("elasplan_reel_") + test->test_suite_name() + "_" + test->name() + ".txt");
}

class EcritureReelTest : public testing::Test {
 protected:
  void TearDown() override { std::filesystem::remove(chemin_); }

  std::string Ecrit(double valeur, int largeur, int decimales) {
    TFichierTexte fichier;
    if (!fichier.Creer(chemin_.string())) {
      ADD_FAILURE() << "cannot create " << chemin_;
      return {};
    }
    EcrireReel(fichier, valeur, largeur, decimales);
    fichier.Fermer();
    std::ifstream entree(chemin_, std::ios::binary);
    return {std::istreambuf_iterator<char>(entree), std::istreambuf_iterator<char>()};
  }

  void Verifier(std::span<const Cas> cas) {
    for (const Cas& c : cas) {
      EXPECT_EQ(c.attendu, Ecrit(c.valeur, c.largeur, c.decimales))
          << std::hexfloat << c.valeur << " (" << c.largeur << ", " << c.decimales << ")";
    }
  }

  std::filesystem::path chemin_ = CheminTemporaire();
};

TEST_F(EcritureReelTest, FixedFormOfTheSpecifiedExamples) {
  const Cas cas[] = {
      {-0.0000004, 10, 6, " -0.000000"},
      {0.0, 10, 6, "  0.000000"},
      {0.125, 4, 2, "0.13"},
      {2.675, 4, 2, "2.67"},
      {2.5, 5, 0, "    3"},
      {-2.5, 5, 0, "   -3"},
      {-1234.5, 5, 0, "-1235"},
      {9.996, 6, 2, " 10.00"},
      {0.3, 4, 2, "0.30"},
      {210000.0, 6, 0, "210000"},
      {1234567.0, 6, 0, "1234567"},
      {1234567.891, 8, 3, "1234567.891"},
  };
  Verifier(cas);
}

TEST_F(EcritureReelTest, ScientificFormOfTheSpecifiedExamples) {
  const Cas cas[] = {
      {1234.5, 0, kSansDecimales, " 1.23450000000000E+0003"},
      {-0.00125, 0, kSansDecimales, "-1.25000000000000E-0003"},
      {0.0, 0, kSansDecimales, " 0.00000000000000E+0000"},
      {-12.5, 0, kSansDecimales, "-1.25000000000000E+0001"},
      {1.0e100, 0, kSansDecimales, " 1.00000000000000E+0100"},
      {9.999999999999998, 0, kSansDecimales, " 1.00000000000000E+0001"},
      {1234.5, 23, kSansDecimales, " 1.23450000000000E+0003"},
  };
  Verifier(cas);
  TFichierTexte fichier;
  ASSERT_TRUE(fichier.Creer(chemin_.string()));
  EcrireReel(fichier, 1234.5);
  fichier.Fermer();
  EXPECT_EQ(23u, std::filesystem::file_size(chemin_));
}

TEST_F(EcritureReelTest, ExactHalvesGoAwayFromZero) {
  // 2^-(d+1) and its odd multiples end on a 5 just past the d-th decimal.
  const Cas cas[] = {
      {0.5, 5, 0, "    1"},
      {1.5, 5, 0, "    2"},
      {-0.5, 5, 0, "   -1"},
      {0.25, 4, 1, " 0.3"},
      {0.375, 4, 2, "0.38"},
      {-0.375, 4, 2, "-0.38"},
      {0.0625, 5, 3, "0.063"},
      {1.03125, 0, 4, "1.0313"},
      {0.0078125, 10, 6, "  0.007813"},
      {-0.0078125, 10, 6, " -0.007813"},
      {0.00048828125, 0, 10, "0.0004882813"},
  };
  Verifier(cas);
}

TEST_F(EcritureReelTest, StoredValueDecidesNearAHalf) {
  const Cas cas[] = {
      // Decimal halves stored just below the half.
      {1.005, 4, 2, "1.00"},
      {1.015, 4, 2, "1.01"},
      {0.045, 4, 2, "0.04"},
      {0.285, 4, 2, "0.28"},
      // And just above it.
      {2.665, 4, 2, "2.67"},
      {1.0000005, 10, 6, "  1.000001"},
      {0.0000015, 10, 6, "  0.000002"},
      // One unit of the last place either side of an exact half.
      {0x1.fffffffffffffp-4, 4, 2, "0.12"},
      {0x1.0000000000001p-3, 4, 2, "0.13"},
      {0x1.3ffffffffffffp+1, 5, 0, "    2"},
      {0x1.4000000000001p+1, 5, 0, "    3"},
      {-0x1.3ffffffffffffp+1, 5, 0, "   -2"},
  };
  Verifier(cas);
}

TEST_F(EcritureReelTest, CarriesRunThroughAllDigits) {
  const Cas cas[] = {
      {9.5, 5, 0, "   10"},
      {-99.5, 5, 0, " -100"},
      {99999.5, 6, 0, "100000"},
      {999.9999, 6, 2, "1000.00"},
      {99.995, 6, 2, "100.00"},
      {0.9999999, 10, 6, "  1.000000"},
      {-9.9999996, 10, 6, "-10.000000"},
      {9.96, 10, kSansDecimales, " 1.0E+0001"},
      {-9.9996, 12, kSansDecimales, "-1.000E+0001"},
  };
  Verifier(cas);
}

TEST_F(EcritureReelTest, NegativeSignKeptWhenAllDigitsAreZero) {
  const Cas cas[] = {
      {-0.0, 0, 0, "-0"},
      {-0.0, 6, 0, "    -0"},
      {-0.0, 5, 2, "-0.00"},
      {-0.0, 10, 6, " -0.000000"},
      {0.0, 6, 0, "     0"},
      {-0.0000005, 10, 6, " -0.000000"},
      {-kMinDenormal, 10, 6, " -0.000000"},
      {-0.4, 5, 0, "   -0"},
      {-0.0, 0, kSansDecimales, "-0.00000000000000E+0000"},
      {-0.0, 12, kSansDecimales, "-0.000E+0000"},
  };
  Verifier(cas);
}

TEST_F(EcritureReelTest, WidthsWidenAndNeverCut) {
  const Cas cas[] = {
      {123.456, 4, 2, "123.46"},
      {-1234.5, 3, 0, "-1235"},
      {12345678.9, 5, 2, "12345678.90"},
      {1.5, 0, 1, "1.5"},
      {1.5, 40, 2, "                                    1.50"},
      {1234.5, 1, kSansDecimales, " 1.2E+0003"},
  };
  Verifier(cas);
}

TEST_F(EcritureReelTest, ScientificDigitsFollowTheWidth) {
  // n = w - 8 significant digits, at least 2 and at most 18.
  const Cas cas[] = {
      {1234.5, 5, kSansDecimales, " 1.2E+0003"},
      {1234.5, 9, kSansDecimales, " 1.2E+0003"},
      {1234.5, 10, kSansDecimales, " 1.2E+0003"},
      {1234.5, 12, kSansDecimales, " 1.235E+0003"},
      {9.5, 10, kSansDecimales, " 9.5E+0000"},
      {9.95, 10, kSansDecimales, " 9.9E+0000"},
      {0.1, 25, kSansDecimales, " 1.0000000000000001E-0001"},
      {0.1, 26, kSansDecimales, " 1.00000000000000006E-0001"},
      {0.1, 30, kSansDecimales, "     1.00000000000000006E-0001"},
      {1.0e-5, 0, kSansDecimales, " 1.00000000000000E-0005"},
      {123456789012345678.0, 26, kSansDecimales, " 1.23456789012345680E+0017"},
  };
  Verifier(cas);
}

TEST_F(EcritureReelTest, HugeMagnitudesSwitchToTheScientificForm) {
  const Cas cas[] = {
      {1.6e37, 10, 2, " 1.6E+0037"},
      {-1.6e37, 9, 2, "-1.6E+0037"},
      {kMax, 10, 6, " 1.8E+0308"},
      {-kMax, 9, 2, "-1.8E+0308"},
      {1.0e300, 0, 2, " 1.00000000000000E+0300"},
      // Below the switch the fixed form writes every digit of the stored value.
      {0x1.812f9cf7920e2p+123, 10, 2, "15999999999999998317546956549464784896.00"},
      {1.0e36, 8, 2, "1000000000000000042420637374017961984.00"},
  };
  Verifier(cas);
}

TEST_F(EcritureReelTest, ExtremeMagnitudes) {
  const Cas cas[] = {
      {kMax, 0, kSansDecimales, " 1.79769313486232E+0308"},
      {kMax, 26, kSansDecimales, " 1.79769313486231571E+0308"},
      {kMinNormal, 0, kSansDecimales, " 2.22507385850720E-0308"},
      {0x0.fffffffffffffp-1022, 0, kSansDecimales, " 2.22507385850720E-0308"},
      {kMinDenormal, 0, kSansDecimales, " 4.94065645841247E-0324"},
      {-kMinDenormal, 0, kSansDecimales, "-4.94065645841247E-0324"},
      {kMinDenormal, 10, 6, "  0.000000"},
  };
  Verifier(cas);
  // The smallest denormal is 4.94065645841246544...e-324: its 324th decimal
  // rounds up from 4 to 5.
  EXPECT_EQ("0." + std::string(323, '0'), Ecrit(kMinDenormal, 0, 323));
  EXPECT_EQ("0." + std::string(323, '0') + "5", Ecrit(kMinDenormal, 0, 324));
}

TEST_F(EcritureReelTest, ManyDecimalsAreTheExactValue) {
  EXPECT_EQ("0.100000000000000005551115123125782702118158340454101562500000", Ecrit(0.1, 0, 60));
  // All 1074 decimals of the smallest denormal, the last a 5, then zeros.
  const std::string tout = Ecrit(-kMinDenormal, 0, 1100);
  const std::string debut = "-0." + std::string(323, '0') + "4940656458412465441765";
  const std::string fin = "9087538682506419718265533447265625" + std::string(26, '0');
  ASSERT_EQ(1103u, tout.size());
  EXPECT_EQ(debut, tout.substr(0, debut.size()));
  EXPECT_EQ(fin, tout.substr(tout.size() - fin.size()));
  EXPECT_EQ(std::string(3, ' ') + "1." + std::string(100000, '0'), Ecrit(1.0, 100005, 100000));
}

TEST_F(EcritureReelTest, NanAndInfinitiesRightAlignedInTheWidth) {
  const Cas cas[] = {
      {kNan, 8, 2, "     Nan"},
      {-kNan, 8, 2, "     Nan"},
      {kInf, 8, 2, "    +Inf"},
      {-kInf, 8, 2, "    -Inf"},
      {kInf, 0, 2, "+Inf"},
      {-kInf, 3, 0, "-Inf"},
      {kNan, 0, kSansDecimales, "                    Nan"},
      {kInf, 0, kSansDecimales, "                   +Inf"},
      {-kInf, 10, kSansDecimales, "      -Inf"},
  };
  Verifier(cas);
}

// Writes every awkward value in every form with the traps on, then ends the
// process normally: a trap would end it with status 1 instead.
[[noreturn]] void EcrireSousExceptions(const std::filesystem::path& chemin) {
  plateforme::ActiverExceptionsFlottantes();
  TFichierTexte fichier;
  if (!fichier.Creer(chemin.string())) {
    std::exit(2);
  }
  const double valeurs[] = {kNan,  -kNan,      std::numeric_limits<double>::signaling_NaN(),
                            kInf,  -kInf,      kMax,
                            -kMax, kMinNormal, kMinDenormal,
                            -0.0,  1.6e37,     0.1};
  for (const double valeur : valeurs) {
    EcrireReel(fichier, valeur);
    EcrireReel(fichier, valeur, 10, 6);
    EcrireReel(fichier, valeur, 30, kSansDecimales);
    EcrireReel(fichier, valeur, 0, 400);
  }
  fichier.Fermer();
  std::exit(0);
}

TEST(EcritureReelDeathTest, NoFloatingPointFaultWhateverTheValue) {
  const std::filesystem::path chemin = CheminTemporaire();
  EXPECT_EXIT(EcrireSousExceptions(chemin), testing::ExitedWithCode(0), "");
  std::filesystem::remove(chemin);
}

}  // namespace
