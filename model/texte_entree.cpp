// Reading the data file through its own fixed buffer, and the two number
// syntaxes. Reals go through extended precision before they are rounded to
// a double, which differs from a direct conversion for a few decimals.
#include "model/texte_entree.hpp"

#include <cerrno>
#include <cfenv>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "app/erreurs.hpp"
#include "app/plateforme.hpp"

namespace {

constexpr int Blanc = 32;  // codes 0 to 32 separate numbers

// Length of the hexadecimal prefix that opens `texte`, 0 when none.
std::size_t PrefixeHexa(std::string_view texte) {
  for (const std::string_view prefixe : {"$", "x", "X", "0x", "0X"}) {
    if (texte.starts_with(prefixe)) {
      return prefixe.size();
    }
  }
  return 0;
}

// The digits from i on, i left after them; their count.
std::size_t Chiffres(std::string_view texte, std::size_t& i) {
  const std::size_t debut = i;
  while (i < texte.size() && texte[i] >= '0' && texte[i] <= '9') {
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

}  // namespace

bool ConvertirEntier(std::string_view texte, std::int32_t& valeur) {
  const bool negatif = texte.starts_with('-');
  if (negatif || texte.starts_with('+')) {
    texte.remove_prefix(1);
  }
  const std::size_t prefixe = PrefixeHexa(texte);
  texte.remove_prefix(prefixe);
  // Into an unsigned type, which takes no sign of its own.
  std::uint64_t grandeur = 0;
  const char* const fin = texte.data() + texte.size();
  const auto lu = std::from_chars(texte.data(), fin, grandeur, prefixe > 0 ? 16 : 10);
  // At most 8 hexadecimal digits; a decimal magnitude within the range.
  if (texte.empty() || lu.ec != std::errc() || lu.ptr != fin ||
      (prefixe > 0 ? texte.size() > 8 : grandeur > (negatif ? 2147483648u : 2147483647u))) {
    return false;
  }
  // A hexadecimal pattern is 32 bits in two's complement, then negated.
  const auto motif = static_cast<std::uint32_t>(grandeur);
  valeur = static_cast<std::int32_t>(negatif ? 0u - motif : motif);
  return true;
}

bool ConvertirReel(std::string_view texte, double& valeur) {
  std::size_t i = 0;
  const auto signe = [&] { i += i < texte.size() && (texte[i] == '+' || texte[i] == '-') ? 1 : 0; };
  signe();
  std::size_t mantisse = Chiffres(texte, i);
  if (i < texte.size() && texte[i] == '.') {
    ++i;
    mantisse += Chiffres(texte, i);
  }
  std::size_t exposant = 0;
  const bool puissance = i < texte.size() && (texte[i] == 'E' || texte[i] == 'e');
  if (puissance) {
    ++i;
    signe();
    exposant = Chiffres(texte, i);
  }
  if (mantisse == 0 || i != texte.size() || (puissance && exposant == 0)) {
    return false;
  }
  // Within 10^-1100..10^1100 the conversion can raise no exception that
  // traps; only a longer token or exponent needs them held.
  const std::string termine(texte);
  const long double etendu = texte.size() <= TTexteEntree::LongueurMaxReel && exposant <= 3
                                 ? std::strtold(termine.c_str(), nullptr)
                                 : ConvertirEtendu(termine.c_str());
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
  return 0;
}

void TTexteEntree::Fermer() {
  const int descripteur = descripteur_;
  descripteur_ = -1;
  if (plateforme::Fermer(descripteur) != 0) {
    throw ErreurExecution(TypeErreur::EntreeSortie, nom_, plateforme::DerniereErreur());
  }
}

int TTexteEntree::Regarder() {
  if (position_ == nombre_) {
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
  const int c = static_cast<unsigned char>(tampon_[position_]);
  return c == CtrlZ ? -1 : c;
}

void TTexteEntree::Avancer() {
  if (tampon_[position_] == '\n') {
    ++ligne_;
  }
  ++position_;
}

bool TTexteEntree::FinDeFichier() {
  return Regarder() < 0;
}

bool TTexteEntree::LireJeton(int longueurMax) {
  longueurJeton_ = 0;
  for (int c = Regarder(); c <= Blanc; c = Regarder()) {
    if (c < 0) {
      ligneJeton_ = ligne_;
      return false;
    }
    Avancer();
  }
  ligneJeton_ = ligne_;
  while (longueurJeton_ < static_cast<std::size_t>(longueurMax)) {
    const int c = Regarder();
    if (c <= Blanc) {  // the end of the text (-1) ends the token too
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
  for (int c = Regarder(); c >= 0; c = Regarder()) {
    Avancer();
    if (c == '\n') {
      return;
    }
  }
}

void TTexteEntree::LireLigne(std::string& ligne) {
  ligne.clear();
  for (int c = Regarder(); c >= 0 && c != '\n'; c = Regarder()) {
    if (c != '\r') {
      ligne += static_cast<char>(c);
    }
    Avancer();
  }
}
