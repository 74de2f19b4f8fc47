// Reals as text: the fixed form (width, decimals) and the scientific form
// (n = width - 8 significant digits, clamped to 2..18, four-digit exponent).
// The digits are those of the exact binary value, found with integer
// arithmetic, then rounded in decimal: a next digit of 5 or more rounds up,
// which is half away from zero on the exact value. Nothing here is a
// floating-point operation, so no trap can fire whatever the value.
#include <bit>
#include <cstdint>
#include <iterator>
#include <string_view>

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

// A finite magnitude as m 2^e, m an integer below 2^53.
struct TBinaire {
  std::uint64_t mantisse;
  int exposant;
};

TBinaire Decomposer(std::uint64_t grandeur) {
  const int champExposant = static_cast<int>((grandeur & kMasqueExposant) >> 52);
  if (champExposant == 0) {
    return {grandeur & kMasqueMantisse, -1074};  // denormals and zero
  }
  return {(grandeur & kMasqueMantisse) | std::uint64_t{1} << 52, champExposant - 1075};
}

// The exact decimal digits of a finite magnitude m * 2^e: the integer part at
// once, then the fraction one digit at a time. The fraction is a numerator
// over 2^E (E = -e); each digit is the part at and above bit E of ten times
// the numerator. With m odd the fraction has exactly E digits.
class TChiffresExacts {
 public:
  explicit TChiffresExacts(std::uint64_t grandeur);

  int NbEntiers() const { return nbEntiers_; }
  int NbFraction() const { return nbFraction_; }
  bool FractionEpuisee() const { return nbFraction_ == fractionTotale_; }
  // Integer digits first (no leading zero, "0" for none), then the fraction
  // digits found so far.
  char Chiffre(int indice) const { return chiffres_[indice]; }
  void AjouterChiffreFraction();

 private:
  // 1152 bits: enough for 2^1024 and for ten times a numerator below 2^1074.
  static constexpr int kNbMots = 36;
  static constexpr std::uint32_t kMilliard = 1'000'000'000;

  void ConvertirEntier();

  std::uint32_t mots_[kNbMots] = {};  // least significant word first
  int fractionTotale_ = 0;
  int nbEntiers_ = 0;
  int nbFraction_ = 0;
  char chiffres_[kMaxEntiers + kMaxFraction] = {};
};

TChiffresExacts::TChiffresExacts(std::uint64_t grandeur) {
  auto [mantisse, exposant] = Decomposer(grandeur);
  while (mantisse != 0 && (mantisse & 1) == 0 && exposant < 0) {
    mantisse >>= 1;
    ++exposant;
  }
  if (exposant >= 0) {
    // An integer below 2^1024: m spans at most three words from word e / 32.
    const int mot = exposant / 32;
    const int decalage = exposant % 32;
    const std::uint64_t bas = mantisse << decalage;
    mots_[mot] = static_cast<std::uint32_t>(bas);
    mots_[mot + 1] = static_cast<std::uint32_t>(bas >> 32);
    if (decalage != 0) {
      mots_[mot + 2] = static_cast<std::uint32_t>(mantisse >> (64 - decalage));
    }
    ConvertirEntier();
    return;
  }
  const int puissance = -exposant;
  const std::uint64_t entier = puissance < 64 ? mantisse >> puissance : 0;
  const std::uint64_t fraction =
      puissance < 64 ? mantisse & ((std::uint64_t{1} << puissance) - 1) : mantisse;
  mots_[0] = static_cast<std::uint32_t>(entier);
  mots_[1] = static_cast<std::uint32_t>(entier >> 32);
  ConvertirEntier();
  mots_[0] = static_cast<std::uint32_t>(fraction);
  mots_[1] = static_cast<std::uint32_t>(fraction >> 32);
  fractionTotale_ = fraction == 0 ? 0 : puissance;
}

// Writes the integer held in mots_ as decimal digits, leaving mots_ zero: it
// is cut into groups of nine digits by long division by 10^9.
void TChiffresExacts::ConvertirEntier() {
  std::uint32_t groupes[kNbMots] = {};  // least significant group first
  int nbGroupes = 0;
  int haut = kNbMots;
  while (haut > 0 && mots_[haut - 1] == 0) {
    --haut;
  }
  do {
    std::uint64_t reste = 0;
    for (int i = haut - 1; i >= 0; --i) {
      const std::uint64_t courant = (reste << 32) | mots_[i];
      mots_[i] = static_cast<std::uint32_t>(courant / kMilliard);
      reste = courant % kMilliard;
    }
    groupes[nbGroupes++] = static_cast<std::uint32_t>(reste);
    while (haut > 0 && mots_[haut - 1] == 0) {
      --haut;
    }
  } while (haut > 0);

  // The leading group without its leading zeros, the others on nine digits.
  char tete[9];
  int nbTete = 0;
  std::uint32_t premier = groupes[nbGroupes - 1];
  do {
    tete[nbTete++] = static_cast<char>('0' + premier % 10);
    premier /= 10;
  } while (premier != 0);
  while (nbTete > 0) {
    chiffres_[nbEntiers_++] = tete[--nbTete];
  }
  for (int g = nbGroupes - 2; g >= 0; --g) {
    std::uint32_t groupe = groupes[g];
    for (int i = 8; i >= 0; --i) {
      chiffres_[nbEntiers_ + i] = static_cast<char>('0' + groupe % 10);
      groupe /= 10;
    }
    nbEntiers_ += 9;
  }
}

void TChiffresExacts::AjouterChiffreFraction() {
  // Before the product every bit at and above E is zero; after it the digit
  // is below ten, so it lies in bits E..E+3, within words q and q + 1.
  const int q = fractionTotale_ / 32;
  const int decalage = fractionTotale_ % 32;
  std::uint64_t retenue = 0;
  for (int i = 0; i <= q; ++i) {
    const std::uint64_t produit = std::uint64_t{mots_[i]} * 10 + retenue;
    mots_[i] = static_cast<std::uint32_t>(produit);
    retenue = produit >> 32;
  }
  const std::uint64_t dessus = (retenue << 32) | mots_[q];
  const int chiffre = static_cast<int>(dessus >> decalage);
  mots_[q] &= (std::uint32_t{1} << decalage) - 1;
  chiffres_[nbEntiers_ + nbFraction_++] = static_cast<char>('0' + chiffre);
}

// Adds one to the last digit of texte[debut..fin), skipping the point; a
// carry out of the first digit is left to the caller's spare slot before it.
void Incrementer(char* texte, int debut, int fin) {
  for (int i = fin - 1; i >= debut; --i) {
    if (texte[i] == '.') {
      continue;
    }
    if (texte[i] != '9') {
      ++texte[i];
      return;
    }
    texte[i] = '0';
  }
}

void EcrireScientifique(TFichierTexte& fichier, bool negatif, std::uint64_t grandeur, int largeur) {
  int significatifs = largeur - 8;
  if (significatifs < kMinSignificatifs) {
    significatifs = kMinSignificatifs;
  } else if (significatifs > kMaxSignificatifs) {
    significatifs = kMaxSignificatifs;
  }

  TChiffresExacts exact(grandeur);
  int premier = exact.Chiffre(0) != '0' ? 0 : -1;
  while (premier < 0 && !exact.FractionEpuisee()) {
    exact.AjouterChiffreFraction();
    if (exact.Chiffre(exact.NbEntiers() + exact.NbFraction() - 1) != '0') {
      premier = exact.NbEntiers() + exact.NbFraction() - 1;
    }
  }

  // Slot 0 takes a carry out of the mantissa; slot n + 1 is the rounding digit.
  char mantisse[kMaxSignificatifs + 2];
  int exposant = 0;
  for (int j = 0; j <= significatifs + 1; ++j) {
    mantisse[j] = '0';
  }
  if (premier >= 0) {
    exposant = exact.NbEntiers() - 1 - premier;
    while (exact.NbEntiers() + exact.NbFraction() <= premier + significatifs &&
           !exact.FractionEpuisee()) {
      exact.AjouterChiffreFraction();
    }
    const int disponibles = exact.NbEntiers() + exact.NbFraction();
    for (int j = 0; j <= significatifs && premier + j < disponibles; ++j) {
      mantisse[j + 1] = exact.Chiffre(premier + j);
    }
    if (mantisse[significatifs + 1] >= '5') {
      Incrementer(mantisse, 0, significatifs + 1);
      if (mantisse[0] == '1') {
        // 9.99... became 10.00...: one digit fewer after the point, one more
        // power of ten; the digits after the leading 1 are all zero.
        mantisse[1] = '1';
        mantisse[0] = '0';
        ++exposant;
      }
    }
  }

  char texte[kMaxSignificatifs + 8];
  int n = 0;
  texte[n++] = negatif ? '-' : ' ';
  texte[n++] = mantisse[1];
  texte[n++] = '.';
  for (int j = 2; j <= significatifs; ++j) {
    texte[n++] = mantisse[j];
  }
  texte[n++] = 'E';
  texte[n++] = exposant < 0 ? '-' : '+';
  int puissance = exposant < 0 ? -exposant : exposant;
  for (int i = 3; i >= 0; --i) {
    texte[n + i] = static_cast<char>('0' + puissance % 10);
    puissance /= 10;
  }
  n += 4;
  EcrireTexte(fichier, std::string_view(texte, static_cast<std::size_t>(n)), largeur);
}

// The fixed form of the magnitudes the report meets, in integer arithmetic:
// m 2^e 10^d is formed exactly in 128 bits and rounded half up at the point.
// False, with nothing written, when the magnitude or the decimals are beyond
// it; the exact digits then decide.
bool EcrireFixeRapide(TFichierTexte& fichier, bool negatif, std::uint64_t grandeur, int largeur,
                      int decimales) {
  __extension__ using Entier128 = unsigned __int128;
  static constexpr std::uint64_t kPuissances[] = {1,      10,      100,      1000,      10000,
                                                  100000, 1000000, 10000000, 100000000, 1000000000};
  if (decimales >= static_cast<int>(std::size(kPuissances))) {
    return false;
  }
  const std::uint64_t puissance = kPuissances[decimales];
  const auto [mantisse, exposant] = Decomposer(grandeur);
  // The value times 10^d, rounded: its integer part q and the bit that says
  // whether the rest is half a unit or more.
  std::uint64_t q = 0;
  if (exposant >= 0) {
    if (exposant > 10) {
      return false;  // m 2^e beyond 2^63: the exact digits take it
    }
    const Entier128 produit = Entier128{mantisse << exposant} * puissance;
    if ((produit >> 63) != 0) {
      return false;
    }
    q = static_cast<std::uint64_t>(produit);
  } else {
    const int decalage = -exposant;
    // m 10^d < 2^83: from 2^84 down the value is below half a unit.
    if (decalage < 84) {
      const Entier128 produit = Entier128{mantisse} * puissance;
      const Entier128 entier = produit >> decalage;
      if ((entier >> 63) != 0) {
        return false;  // keeps the rounding's carry within 64 bits
      }
      q = static_cast<std::uint64_t>(entier) +
          static_cast<std::uint64_t>((produit >> (decalage - 1)) & 1);
    }
  }

  TTexteDecimal tampon;
  EcrireTexte(fichier, TexteDecimal(tampon, q, decimales, negatif), largeur);
  return true;
}

void EcrireFixe(TFichierTexte& fichier, bool negatif, std::uint64_t grandeur, int largeur,
                int decimales) {
  if (EcrireFixeRapide(fichier, negatif, grandeur, largeur, decimales)) {
    return;
  }
  TChiffresExacts exact(grandeur);
  // One digit past the last written one decides the rounding.
  while (exact.NbFraction() <= decimales && !exact.FractionEpuisee()) {
    exact.AjouterChiffreFraction();
  }
  const int gardees = exact.NbFraction() < decimales ? exact.NbFraction() : decimales;
  const bool versLeHaut =
      exact.NbFraction() > decimales && exact.Chiffre(exact.NbEntiers() + decimales) >= '5';

  // Slot 0 for the sign, slot 1 for a carry into a new integer digit.
  char texte[2 + kMaxEntiers + 1 + kMaxFraction];
  int n = 2;
  texte[1] = '0';
  for (int i = 0; i < exact.NbEntiers(); ++i) {
    texte[n++] = exact.Chiffre(i);
  }
  if (decimales > 0) {
    texte[n++] = '.';
    for (int i = 0; i < gardees; ++i) {
      texte[n++] = exact.Chiffre(exact.NbEntiers() + i);
    }
  }
  if (versLeHaut) {
    Incrementer(texte, 1, n);
  }
  int debut = texte[1] == '1' ? 1 : 2;
  if (negatif) {
    texte[--debut] = '-';
  }
  const std::string_view ecrit(texte + debut, static_cast<std::size_t>(n - debut));

  // Beyond its last fraction digit the value has only zeros: they are written
  // without being held, whatever the number of decimals.
  int zeros = decimales > gardees ? decimales - gardees : 0;
  EcrireTexte(fichier, ecrit, largeur - zeros);
  static constexpr std::string_view kZeros = "00000000000000000000000000000000";
  while (zeros > 0) {
    const int pris =
        zeros < static_cast<int>(kZeros.size()) ? zeros : static_cast<int>(kZeros.size());
    EcrireTexte(fichier, kZeros.substr(0, static_cast<std::size_t>(pris)));
    zeros -= pris;
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
  } else if (decimales >= 0 && grandeur < kSeuilScientifique) {
    EcrireFixe(fichier, negatif, grandeur, champ, decimales);
  } else {
    EcrireScientifique(fichier, negatif, grandeur, champScientifique);
  }
}
