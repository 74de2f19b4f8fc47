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

namespace {

// The item in position i of a list; an empty slot is refused like an index
// beyond the table, as "liaison 3 absente de la liste".
template <typename T, int Taille>
T& Item(const TListe<T, Taille>& liste, std::int32_t i, const char* nom, const char* absent) {
  const std::unique_ptr<T>& item = liste.Liste[i];
  if (!item) {
    throw ErreurExecution(TypeErreur::VerificationIntervalle,
                          nom + std::to_string(i) + absent + " de la liste");
  }
  return *item;
}

}  // namespace

const TElement& TStructure::ElementEn(std::int32_t e) const {
  return Item(Elements, e, "\xE9l\xE9ment ", " absent");
}

TLiaison& TStructure::LiaisonEn(std::int32_t s) {
  return Item(Liaisons, s, "liaison ", " absente");
}

const TLiaison& TStructure::LiaisonEn(std::int32_t s) const {
  return Item(Liaisons, s, "liaison ", " absente");
}

const TCharge& TStructure::ChargeEn(std::int32_t k) const {
  return Item(Charges, k, "charge ", " absente");
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
