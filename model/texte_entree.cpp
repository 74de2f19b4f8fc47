// Reading the data file through its own fixed buffer, and the two number
// syntaxes. Reals go through extended precision before they are rounded to
// a double, which differs from a direct conversion for a few decimals.
#include "model/texte_entree.hpp"

#include <bit>
#include <cerrno>
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/erreurs.hpp"
#include "app/plateforme.hpp"

namespace {

constexpr int Blanc = 32;  // codes 0 to 32 separate numbers

bool EstChiffre(char c) {
  return c >= '0' && c <= '9';
}

int ValeurHexa(char c) {
  if (EstChiffre(c)) {
    return c - '0';
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  return -1;
}

// Length of the hexadecimal prefix that opens `texte`, 0 when none.
std::size_t PrefixeHexa(std::string_view texte) {
  if (!texte.empty() && (texte[0] == '$' || texte[0] == 'x' || texte[0] == 'X')) {
    return 1;
  }
  if (texte.size() >= 2 && texte[0] == '0' && (texte[1] == 'x' || texte[1] == 'X')) {
    return 2;
  }
  return 0;
}

std::size_t Chiffres(std::string_view texte, std::size_t& i) {
  const std::size_t debut = i;
  while (i < texte.size() && EstChiffre(texte[i])) {
    ++i;
  }
  return i - debut;
}

// strtold with every floating-point exception held: a magnitude beyond the
// extended range would otherwise trap inside the library instead of being
// refused here with the file's context.
long double ConvertirEtendu(const char* texte) {
  std::fenv_t environnement;
  std::feholdexcept(&environnement);
  const long double valeur = std::strtold(texte, nullptr);
  std::fesetenv(&environnement);
  return valeur;
}

// True when rounding to a double would overflow: from DBL_MAX plus half its
// last place on, where the nearest double is beyond the range.
bool DepasseDouble(long double valeur) {
  if constexpr (LDBL_MAX_EXP > DBL_MAX_EXP) {
    const long double limite =
        std::ldexp(1.0L, DBL_MAX_EXP) - std::ldexp(1.0L, DBL_MAX_EXP - DBL_MANT_DIG - 1);
    return std::fabs(valeur) >= limite;
  } else {
    return std::isinf(valeur);
  }
}

// What strtold then a cast to double give, for the decimals the data files
// hold: the exact value W 10^k (W of at most 19 digits, |k| <= 19) is rounded
// to the 64-bit significand of extended precision, then to the 53 bits of a
// double, both times to nearest with ties to even, in integer arithmetic.
// False when the text is beyond that; the library then converts it.
__extension__ using Entier128 = unsigned __int128;

constexpr int kMaxChiffresRapides = 19;
constexpr int kMaxPuissanceRapide = 19;

int NombreDeBits(Entier128 n) {
  const auto haut = static_cast<std::uint64_t>(n >> 64);
  return haut != 0 ? 64 + std::bit_width(haut) : std::bit_width(static_cast<std::uint64_t>(n));
}

// (q + reste / diviseur) 2^e2 rounded to nearest, ties to even, on at most
// 64 bits: a longer q is cut to its 64 high bits, the bits dropped joining
// the remainder that says on which side of the half the value lies.
void ArrondirEtendu(Entier128 q, Entier128 reste, Entier128 diviseur, std::uint64_t& significande,
                    int& e2) {
  const int decalage = NombreDeBits(q) > 64 ? NombreDeBits(q) - 64 : 0;
  if (decalage > 0) {
    // The dropped bits join the remainder: (bits * diviseur + reste) over
    // diviseur 2^decalage.
    reste += (q & ((Entier128{1} << decalage) - 1)) * diviseur;
    diviseur <<= decalage;
    q >>= decalage;
    e2 += decalage;
  }
  if (2 * reste > diviseur || (2 * reste == diviseur && (q & 1) != 0)) {
    ++q;
    if ((q >> 64) != 0) {
      q >>= 1;
      ++e2;
    }
  }
  significande = static_cast<std::uint64_t>(q);
}

// s 2^e2, an extended-precision value with 2^63 <= s < 2^64, as the double
// the cast gives.
double VersDouble(std::uint64_t significande, int e2) {
  ArrondirEtendu(significande >> 11, significande & 0x7FF, Entier128{1} << 11, significande, e2);
  return std::ldexp(static_cast<double>(significande), e2 + 11);
}

bool ConvertirReelRapide(std::string_view texte, double& valeur) {
  std::size_t i = 0;
  const bool negatif = !texte.empty() && texte[0] == '-';
  if (!texte.empty() && (texte[0] == '+' || texte[0] == '-')) {
    ++i;
  }
  std::uint64_t w = 0;
  int chiffres = 0;  // significant digits taken into w
  int puissance = 0;
  bool apresPoint = false;
  for (; i < texte.size() && (EstChiffre(texte[i]) || (texte[i] == '.' && !apresPoint)); ++i) {
    if (texte[i] == '.') {
      apresPoint = true;
      continue;
    }
    if (w == 0 && texte[i] == '0') {
      puissance -= apresPoint ? 1 : 0;
      continue;
    }
    if (++chiffres > kMaxChiffresRapides) {
      return false;
    }
    w = w * 10 + static_cast<std::uint64_t>(texte[i] - '0');
    puissance -= apresPoint ? 1 : 0;
  }
  if (i < texte.size()) {  // the exponent, already checked for its syntax
    ++i;
    const bool exposantNegatif = texte[i] == '-';
    i += texte[i] == '+' || texte[i] == '-' ? 1 : 0;
    if (texte.size() - i > 3) {
      return false;
    }
    int exposant = 0;
    for (; i < texte.size(); ++i) {
      exposant = exposant * 10 + (texte[i] - '0');
    }
    puissance += exposantNegatif ? -exposant : exposant;
  }
  if (w == 0) {
    valeur = negatif ? -0.0 : 0.0;
    return true;
  }
  if (puissance < -kMaxPuissanceRapide || puissance > kMaxPuissanceRapide) {
    return false;
  }
  std::uint64_t dix = 1;
  for (int p = puissance < 0 ? -puissance : puissance; p > 0; --p) {
    dix *= 10;
  }
  // W 10^k exactly, or W / 10^-k with a numerator shifted so that the
  // quotient has 64 or 65 bits: W < 2^64 and 10^19 < 2^64 keep both within
  // 128 bits.
  Entier128 quotient = Entier128{w} * dix;
  Entier128 reste = 0;
  int e2 = 0;
  if (puissance < 0) {
    e2 = -(64 - std::bit_width(w) + std::bit_width(dix));
    const Entier128 numerateur = Entier128{w} << -e2;
    quotient = numerateur / dix;
    reste = numerateur % dix;
  }
  std::uint64_t q = 0;
  ArrondirEtendu(quotient, reste, puissance < 0 ? dix : 1, q, e2);
  if (NombreDeBits(q) < 64) {  // an exact product of fewer bits
    const int manque = 64 - NombreDeBits(q);
    q <<= manque;
    e2 -= manque;
  }
  const double grandeur = VersDouble(q, e2);
  valeur = negatif ? -grandeur : grandeur;
  return true;
}

}  // namespace

bool ConvertirEntier(std::string_view texte, std::int32_t& valeur) {
  bool negatif = false;
  if (!texte.empty() && (texte[0] == '+' || texte[0] == '-')) {
    negatif = texte[0] == '-';
    texte.remove_prefix(1);
  }
  const std::size_t prefixe = PrefixeHexa(texte);
  if (prefixe > 0) {
    const std::string_view chiffres = texte.substr(prefixe);
    if (chiffres.empty() || chiffres.size() > 8) {
      return false;
    }
    std::uint32_t motif = 0;
    for (const char c : chiffres) {
      const int chiffre = ValeurHexa(c);
      if (chiffre < 0) {
        return false;
      }
      motif = motif * 16u + static_cast<std::uint32_t>(chiffre);
    }
    if (negatif) {
      motif = 0u - motif;
    }
    valeur = static_cast<std::int32_t>(motif);
    return true;
  }
  if (texte.empty()) {
    return false;
  }
  const std::int64_t limite = negatif ? 2147483648LL : 2147483647LL;
  std::int64_t grandeur = 0;
  for (const char c : texte) {
    if (!EstChiffre(c)) {
      return false;
    }
    grandeur = grandeur * 10 + (c - '0');
    if (grandeur > limite) {
      return false;
    }
  }
  valeur = static_cast<std::int32_t>(negatif ? -grandeur : grandeur);
  return true;
}

bool ConvertirReel(std::string_view texte, double& valeur) {
  std::size_t i = 0;
  if (i < texte.size() && (texte[i] == '+' || texte[i] == '-')) {
    ++i;
  }
  std::size_t mantisse = Chiffres(texte, i);
  if (i < texte.size() && texte[i] == '.') {
    ++i;
    mantisse += Chiffres(texte, i);
  }
  if (mantisse == 0) {
    return false;
  }
  if (i < texte.size() && (texte[i] == 'E' || texte[i] == 'e')) {
    ++i;
    if (i < texte.size() && (texte[i] == '+' || texte[i] == '-')) {
      ++i;
    }
    if (Chiffres(texte, i) == 0) {
      return false;
    }
  }
  if (i != texte.size()) {
    return false;
  }
  // The integer route reproduces the x87 extended format only; elsewhere the
  // library alone converts.
  if constexpr (LDBL_MANT_DIG == 64) {
    if (ConvertirReelRapide(texte, valeur)) {
      return true;
    }
  }
  // A token is at most 64 characters; a longer text goes through a string.
  char court[TTexteEntree::LongueurMaxReel + 1];
  std::string copie;
  const char* termine = court;
  if (texte.size() < sizeof court) {
    std::memcpy(court, texte.data(), texte.size());
    court[texte.size()] = '\0';
  } else {
    copie.assign(texte);
    termine = copie.c_str();
  }
  const long double etendu = ConvertirEtendu(termine);
  if (DepasseDouble(etendu)) {
    throw ErreurExecution(TypeErreur::DepassementFlottant);
  }
  valeur = static_cast<double>(etendu);
  return true;
}

TTexteEntree::~TTexteEntree() {
  if (descripteur_ >= 0) {
    plateforme::Fermer(descripteur_);
  }
}

int TTexteEntree::Ouvrir(const std::string& nom) {
  if (descripteur_ >= 0) {
    plateforme::Fermer(descripteur_);
    descripteur_ = -1;
  }
  const int descripteur = plateforme::OuvrirLecture(nom);
  if (descripteur < 0) {
    return plateforme::DerniereErreur();
  }
  if (plateforme::EstDossier(descripteur)) {
    plateforme::Fermer(descripteur);
    return EISDIR;
  }
  nom_ = nom;
  descripteur_ = descripteur;
  position_ = 0;
  nombre_ = 0;
  fin_ = false;
  ligne_ = 1;
  longueurJeton_ = 0;
  ligneJeton_ = 0;
  return 0;
}

void TTexteEntree::Fermer() {
  if (descripteur_ < 0) {
    throw ErreurExecution(TypeErreur::EntreeSortie, nom_, CodeFichierNonOuvert);
  }
  const int descripteur = descripteur_;
  descripteur_ = -1;
  if (plateforme::Fermer(descripteur) != 0) {
    throw ErreurExecution(TypeErreur::EntreeSortie, nom_, plateforme::DerniereErreur());
  }
}

int TTexteEntree::Regarder() {
  if (position_ == nombre_) {
    if (descripteur_ < 0) {
      throw ErreurExecution(TypeErreur::EntreeSortie, nom_, CodeFichierNonOuvert);
    }
    if (fin_) {
      return -1;
    }
    const long lus = plateforme::Lire(descripteur_, tampon_, TailleTampon);
    if (lus < 0) {
      throw ErreurExecution(TypeErreur::EntreeSortie, nom_ + ", ligne " + std::to_string(ligne_),
                            plateforme::DerniereErreur());
    }
    if (lus == 0) {
      fin_ = true;
      return -1;
    }
    position_ = 0;
    nombre_ = static_cast<int>(lus);
  }
  return static_cast<unsigned char>(tampon_[position_]);
}

void TTexteEntree::Avancer() {
  if (tampon_[position_] == '\n') {
    ++ligne_;
  }
  ++position_;
}

bool TTexteEntree::FinDeFichier() {
  const int c = Regarder();
  return c < 0 || c == CtrlZ;
}

bool TTexteEntree::LireJeton(int longueurMax) {
  longueurJeton_ = 0;
  for (;;) {
    const int c = Regarder();
    if (c < 0 || c == CtrlZ) {
      ligneJeton_ = ligne_;
      return false;
    }
    if (c > Blanc) {
      break;
    }
    Avancer();
  }
  ligneJeton_ = ligne_;
  while (longueurJeton_ < static_cast<std::size_t>(longueurMax)) {
    const int c = Regarder();
    if (c <= Blanc) {  // the end of the file (-1) and Ctrl-Z end the token too
      break;
    }
    jeton_[longueurJeton_++] = static_cast<char>(c);
    Avancer();
  }
  return true;
}

std::string TTexteEntree::ContexteJeton() const {
  return nom_ + ", ligne " + std::to_string(ligneJeton_) + " : \"" + std::string(Jeton()) + "\"";
}

std::int32_t TTexteEntree::LireEntier() {
  if (!LireJeton(LongueurMaxEntier)) {
    return 0;
  }
  std::int32_t valeur = 0;
  if (!ConvertirEntier(Jeton(), valeur)) {
    throw ErreurExecution(TypeErreur::EntreeNumeriqueInvalide, ContexteJeton());
  }
  return valeur;
}

double TTexteEntree::LireReel() {
  if (!LireJeton(LongueurMaxReel)) {
    return 0.0;
  }
  double valeur = 0.0;
  try {
    if (!ConvertirReel(Jeton(), valeur)) {
      throw ErreurExecution(TypeErreur::EntreeNumeriqueInvalide);
    }
  } catch (ErreurExecution& erreur) {
    erreur.AjouterContexte(ContexteJeton());
    throw;
  }
  return valeur;
}

void TTexteEntree::SauterLigne() {
  for (;;) {
    const int c = Regarder();
    if (c < 0 || c == CtrlZ) {
      return;
    }
    Avancer();
    if (c == '\n') {
      return;
    }
  }
}

void TTexteEntree::LireLigne(std::string& ligne) {
  ligne.clear();
  for (;;) {
    const int c = Regarder();
    if (c < 0 || c == CtrlZ || c == '\n') {
      return;
    }
    if (c != '\r') {
      ligne += static_cast<char>(c);
    }
    Avancer();
  }
}
