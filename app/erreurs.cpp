// Messages of the run-time errors and the one way a run ends on them.
#include "app/erreurs.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "app/fichier_texte.hpp"
#include "app/plateforme.hpp"

namespace {

const char* MessageFixe(TypeErreur type) {
  switch (type) {
    case TypeErreur::EntreeNumeriqueInvalide:
      return "Invalid numeric input";
    case TypeErreur::VerificationIntervalle:
      return "Range check error";
    case TypeErreur::DepassementEntier:
      return "Integer overflow";
    case TypeErreur::DivisionFlottanteParZero:
      return "Floating point division by zero";
    case TypeErreur::DepassementFlottant:
      return "Floating point overflow";
    case TypeErreur::OperationFlottanteInvalide:
      return "Invalid floating point operation";
    case TypeErreur::EntreeSortie:
    case TypeErreur::FichierInaccessible:
      break;
  }
  return "";
}

std::string MessageEntreeSortie(int code) {
  if (code == ENOSPC) {
    return "Disk full";
  }
  if (code == EACCES || code == EPERM || code == EROFS) {
    return "File access denied";
  }
  return "I/O error " + std::to_string(code);
}

// "Erreur d'exécution : " in Windows-1252.
constexpr char kEnTete[] =
    "Erreur d'ex\xE9"
    "cution : ";

void EcrireTout(int descripteur, const char* octets, std::size_t nombre) noexcept {
  while (nombre > 0) {
    const long ecrits = plateforme::Ecrire(descripteur, octets, nombre);
    if (ecrits <= 0) {
      return;  // nowhere left to report to
    }
    octets += ecrits;
    nombre -= static_cast<std::size_t>(ecrits);
  }
}

}  // namespace

ErreurExecution::ErreurExecution(TypeErreur type, std::string contexte, int code)
    : type_(type), code_(code), contexte_(std::move(contexte)) {
  if (type == TypeErreur::FichierInaccessible) {
    message_ = std::move(contexte_);
    contexte_.clear();
    return;
  }
  message_ = type == TypeErreur::EntreeSortie ? MessageEntreeSortie(code) : MessageFixe(type);
}

void ErreurExecution::AjouterContexte(const std::string& contexte) {
  if (contexte.empty()) {
    return;
  }
  contexte_ = contexte_.empty() ? contexte : contexte_ + ", " + contexte;
}

std::string RapportErreur(const ErreurExecution& erreur) {
  // A file that cannot be opened is the user's to mend, not a fault of the
  // run: its line says so without the run-time error heading.
  std::string ligne = erreur.Type() == TypeErreur::FichierInaccessible ? "" : kEnTete;
  ligne += erreur.what();
  if (!erreur.Contexte().empty()) {
    ligne += " (" + erreur.Contexte() + ")";
  }
  return ligne;
}

void TerminerSurErreur(const ErreurExecution& erreur) {
  Console().ViderSansErreur();
  const std::string ligne = RapportErreur(erreur) + "\r\n";
  EcrireTout(plateforme::kErreurStandard, ligne.data(), ligne.size());
  std::_Exit(1);
}

void TerminerSurErreurImmediate(TypeErreur type) noexcept {
  Console().ViderSansErreur();
  EcrireTout(plateforme::kErreurStandard, kEnTete, sizeof kEnTete - 1);
  const char* message = MessageFixe(type);
  EcrireTout(plateforme::kErreurStandard, message, std::strlen(message));
  EcrireTout(plateforme::kErreurStandard, "\r\n", 2);
  plateforme::TerminerProcessus(1);
}
