// Equation numbering and the end of a structure's life.
#include "model/structure.hpp"

#include "app/plateforme.hpp"
#include "model/entier.hpp"

void* TStructure::operator new(std::size_t taille) {
  return plateforme::AllouerPages(taille);
}

void TStructure::operator delete(void* adresse, std::size_t taille) noexcept {
  plateforme::LibererPages(adresse, taille);
}

void TStructure::DdlNoeud(std::int32_t n, std::int32_t& premier, std::int32_t& second) const {
  premier = entier::Moins(entier::Fois(2, n), 1);
  second = entier::Plus(premier, 1);
}

const TElement& TStructure::ElementEn(std::int32_t e) const {
  const std::unique_ptr<TElement>& element = Elements.Liste[e];
  if (!element) {
    throw ErreurExecution(TypeErreur::VerificationIntervalle,
                          "\xE9l\xE9ment " + std::to_string(e) + " absent de la liste");
  }
  return *element;
}

TLiaison& TStructure::LiaisonEn(std::int32_t s) {
  const std::unique_ptr<TLiaison>& liaison = Liaisons.Liste[s];
  if (!liaison) {
    throw ErreurExecution(TypeErreur::VerificationIntervalle,
                          "liaison " + std::to_string(s) + " absente de la liste");
  }
  return *liaison;
}

const TCharge& TStructure::ChargeEn(std::int32_t k) const {
  const std::unique_ptr<TCharge>& charge = Charges.Liste[k];
  if (!charge) {
    throw ErreurExecution(TypeErreur::VerificationIntervalle,
                          "charge " + std::to_string(k) + " absente de la liste");
  }
  return *charge;
}

void TStructure::DdlElement(std::int32_t e, Tableau<std::int32_t, NbDdlElement>& d) const {
  const TElement& element = ElementEn(e);
  for (int j = 1; j <= NbSommets; ++j) {
    DdlNoeud(element.Sommets[j], d[2 * j - 1], d[2 * j]);
  }
}

void TStructure::Terminer() {
  Elements.Detruire();
  Liaisons.Detruire();
  Charges.Detruire();
  if (ResultatsOuvert) {
    ResultatsOuvert = false;
    Resultats.Fermer();
    plateforme::LancerVisualiseur(NomFichier + "r.txt");
  }
}

void TStructure::Abandonner() noexcept {
  Resultats.Abandonner();
  ResultatsOuvert = false;
}
