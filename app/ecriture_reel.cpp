// Reals as text: the fixed form (width, decimals) and the scientific form
// (n = width - 8 significant digits, clamped to 2..18, four-digit exponent).
// The digits are those of the exact binary value, rounded in decimal: a next
// digit of 5 or more rounds up, which is half away from zero on the exact
// value. Two routes give them: integer arithmetic on 128 bits for the fixed
// forms of a report, and the exact expansion for everything. Nothing here is
// a floating-point operation, so no trap can fire whatever the value.
#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <iterator>
#include <string_view>
#include <utility>

#include "app/fichier_texte.hpp"

namespace {

constexpr std::uint64_t kMasqueSigne = 0x8000'0000'0000'0000;
constexpr std::uint64_t kMasqueExposant = 0x7FF0'0000'0000'0000;
constexpr std::uint64_t kMasqueMantisse = 0x000F'FFFF'FFFF'FFFF;
// From this magnitude up the fixed form gives way to the scientific form. The
// bit patterns of non-negative doubles sort as their values do.
constexpr std::uint64_t kSeuilScientifique = std::bit_cast<std::uint64_t>(1.6e37);

constexpr int kMaxEntiers = 309;    // integer digits of the largest double
constexpr int kMaxFraction = 1074;  // fraction digits of the smallest denormal
constexpr int kLargeurSansLargeur = 23;
constexpr int kMinSignificatifs = 2;
constexpr int kMaxSignificatifs = 18;

// A finite magnitude as m 2^e, m an integer below 2^53: {m, e}.
std::pair<std::uint64_t, int> Decomposer(std::uint64_t grandeur) {
  const int champExposant = static_cast<int>((grandeur & kMasqueExposant) >> 52);
  if (champExposant == 0) {
    return {grandeur & kMasqueMantisse, -1074};  // denormals and zero
  }
  return {(grandeur & kMasqueMantisse) | std::uint64_t{1} << 52, champExposant - 1075};
}

// Adds one to the last digit of texte[debut..fin), skipping the point; a
// carry out of the first digit is left to the caller's spare slot before it.
void Incrementer(char* texte, int debut, int fin) {
  for (int i = fin - 1; i >= debut; --i) {
    if (texte[i] == '9') {
      texte[i] = '0';
    } else if (texte[i] != '.') {
      ++texte[i];
      return;
    }
  }
}

// The exact digits come from the standard library's conversion, asked for
// at least as many as the value has: it writes them all, then zeros, with no
// rounding left to do. A double has at most 767 significant digits.
constexpr int kChiffresExacts = 767;

void EcrireScientifique(TFichierTexte& fichier, bool negatif, std::uint64_t grandeur, int largeur) {
  const int n = std::clamp(largeur - 8, kMinSignificatifs, kMaxSignificatifs);
  // Slot 0 for a carry, then "d.ddd...e+XX" with every digit after the point.
  char texte[1 + 1 + kChiffresExacts + 6];
  texte[0] = '0';
  const char* fin = std::to_chars(texte + 1, std::end(texte), std::bit_cast<double>(grandeur),
                                  std::chars_format::scientific, kChiffresExacts - 1)
                        .ptr;
  const char* e = texte + 2 + kChiffresExacts;
  int exposant = 0;
  std::from_chars(e[1] == '-' ? e + 1 : e + 2, fin, exposant);
  // The n-th digit after the first stands at n + 2.
  if (texte[n + 2] >= '5') {
    Incrementer(texte, 0, n + 2);
    if (texte[0] == '1') {  // 9.99... became 10.00...: the digits after the 1 are zeros
      texte[1] = '1';
      ++exposant;
    }
  }
  // The sign takes the carry's slot; the exponent follows the n digits.
  texte[0] = negatif ? '-' : ' ';
  texte[n + 2] = 'E';
  texte[n + 3] = exposant < 0 ? '-' : '+';
  for (int i = n + 7, puissance = exposant < 0 ? -exposant : exposant; i > n + 3; --i) {
    texte[i] = static_cast<char>('0' + puissance % 10);
    puissance /= 10;
  }
  EcrireTexte(fichier, std::string_view(texte, static_cast<std::size_t>(n + 8)), largeur);
}

// The fixed form of the magnitudes the report meets (with a fraction, below
// 2^52) in integer arithmetic: m 10^d 2^e is formed exactly in 128 bits and
// rounded half up at the point. False, with nothing written, beyond that.
bool EcrireFixeRapide(TFichierTexte& fichier, bool negatif, std::uint64_t grandeur, int largeur,
                      int decimales) {
  __extension__ using Entier128 = unsigned __int128;
  static constexpr std::uint64_t kPuissances[] = {1,      10,      100,      1000,      10000,
                                                  100000, 1000000, 10000000, 100000000, 1000000000};
  const auto [mantisse, exposant] = Decomposer(grandeur);
  if (decimales >= static_cast<int>(std::size(kPuissances)) || exposant >= 0) {
    return false;
  }
  // m 10^d < 2^83: shifted by more, the value is below half a unit.
  const int decalage = std::min(-exposant, 84);
  const Entier128 produit = Entier128{mantisse} * kPuissances[decimales];
  const Entier128 entier = produit >> decalage;
  if ((entier >> 63) != 0) {
    return false;  // keeps the rounding's carry within 64 bits
  }
  // The bit below the point says whether the rest is half a unit or more.
  const auto unites = static_cast<std::uint64_t>(entier + ((produit >> (decalage - 1)) & 1));
  TTexteDecimal tampon;
  EcrireTexte(fichier, TexteDecimal(tampon, unites, decimales, negatif), largeur);
  return true;
}

// Any fixed form from the exact digits, which end after k decimals for a
// value whose lowest bit is 2^-k; the rest are zeros.
void EcrireFixeExact(TFichierTexte& fichier, bool negatif, std::uint64_t grandeur, int largeur,
                     int decimales) {
  const auto [mantisse, exposant] = Decomposer(grandeur);
  const int exactes = mantisse == 0 ? 0 : std::max(0, -(exposant + std::countr_zero(mantisse)));
  const int demandees = std::max(exactes, std::min(decimales, kMaxFraction));
  // Slot 0 for the sign, slot 1 for a carry into a new integer digit.
  char texte[2 + kMaxEntiers + 1 + kMaxFraction];
  texte[1] = '0';
  int n =
      static_cast<int>(std::to_chars(texte + 2, std::end(texte), std::bit_cast<double>(grandeur),
                                     std::chars_format::fixed, demandees)
                           .ptr -
                       texte);
  if (demandees > decimales) {
    // Cut after the last decimal written; the next digit decides.
    const int point = n - demandees - 1;
    n = decimales > 0 ? point + 1 + decimales : point;
    if (texte[point + 1 + decimales] >= '5') {
      Incrementer(texte, 1, n);
    }
  }
  int debut = texte[1] == '1' ? 1 : 2;
  if (negatif) {
    texte[--debut] = '-';
  }
  // Beyond the longest expansion the decimals are zeros, written one by one.
  int zeros = decimales > demandees ? decimales - demandees : 0;
  EcrireTexte(fichier, std::string_view(texte + debut, static_cast<std::size_t>(n - debut)),
              largeur - zeros);
  for (; zeros > 0; --zeros) {
    EcrireCaractere(fichier, '0');
  }
}

void Ecrire(TFichierTexte& fichier, double valeur, int largeur, int decimales, bool rapide) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(valeur);
  const bool negatif = (bits & kMasqueSigne) != 0;
  const std::uint64_t grandeur = bits & ~kMasqueSigne;
  const int champ = largeur > 0 ? largeur : 0;
  // A width of 0 is no width; the scientific form then takes 23 characters.
  const int champScientifique = champ > 0 ? champ : kLargeurSansLargeur;

  if ((grandeur & kMasqueExposant) == kMasqueExposant) {
    const std::string_view texte = (grandeur & kMasqueMantisse) != 0 ? "Nan"
                                   : negatif                         ? "-Inf"
                                                                     : "+Inf";
    EcrireTexte(fichier, texte, decimales >= 0 ? champ : champScientifique);
  } else if (decimales < 0 || grandeur >= kSeuilScientifique) {
    EcrireScientifique(fichier, negatif, grandeur, champScientifique);
  } else if (!rapide || !EcrireFixeRapide(fichier, negatif, grandeur, champ, decimales)) {
    EcrireFixeExact(fichier, negatif, grandeur, champ, decimales);
  }
}

}  // namespace

// Digits from the right: the decimals, the point, the integer part, the sign.
std::string_view TexteDecimal(TTexteDecimal& tampon, std::uint64_t unites, int decimales,
                              bool negatif) {
  std::size_t debut = tampon.size();
  for (int i = 0; i < decimales; ++i) {
    tampon[--debut] = static_cast<char>('0' + unites % 10);
    unites /= 10;
  }
  if (decimales > 0) {
    tampon[--debut] = '.';
  }
  do {
    tampon[--debut] = static_cast<char>('0' + unites % 10);
    unites /= 10;
  } while (unites != 0);
  if (negatif) {
    tampon[--debut] = '-';
  }
  return std::string_view(tampon.data() + debut, tampon.size() - debut);
}

void EcrireReel(TFichierTexte& fichier, double valeur, int largeur, int decimales) {
  Ecrire(fichier, valeur, largeur, decimales, true);
}

void EcrireReelExact(TFichierTexte& fichier, double valeur, int largeur, int decimales) {
  Ecrire(fichier, valeur, largeur, decimales, false);
}
