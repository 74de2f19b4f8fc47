// Buffering, line ends and failure rule of the text output streams.
#include "app/fichier_texte.hpp"

#include <cerrno>
#include <cstring>

#include "app/erreurs.hpp"
#include "app/plateforme.hpp"

TFichierTexte::~TFichierTexte() { Abandonner(); }

void TFichierTexte::AssocierSortieStandard() {
  descripteur_ = plateforme::kSortieStandard;
  proprietaire_ = false;
  terminal_ = plateforme::EstTerminal(descripteur_);
  nombre_ = 0;
  mode_ = Mode::Sortie;
}

bool TFichierTexte::Creer(const std::string& nom) {
  const int descripteur = plateforme::CreerEcriture(nom);
  if (descripteur < 0) {
    return false;
  }
  descripteur_ = descripteur;
  proprietaire_ = true;
  terminal_ = false;
  nombre_ = 0;
  mode_ = Mode::Sortie;
  return true;
}

void TFichierTexte::Fermer() {
  if (mode_ == Mode::Ferme) {
    throw ErreurExecution(TypeErreur::EntreeSortie, {}, CodeFichierNonOuvert);
  }
  Transmettre();
  const int descripteur = descripteur_;
  const bool proprietaire = proprietaire_;
  mode_ = Mode::Ferme;
  descripteur_ = -1;
  if (proprietaire && plateforme::Fermer(descripteur) != 0) {
    throw ErreurExecution(TypeErreur::EntreeSortie, {}, plateforme::DerniereErreur());
  }
}

void TFichierTexte::Abandonner() noexcept {
  if (mode_ != Mode::Ferme && proprietaire_) {
    plateforme::Fermer(descripteur_);
  }
  mode_ = Mode::Ferme;
  descripteur_ = -1;
  nombre_ = 0;
}

void TFichierTexte::ViderSansErreur() noexcept {
  if (mode_ == Mode::Ferme) {
    return;
  }
  const char* octets = tampon_;
  int reste = nombre_;
  nombre_ = 0;
  while (reste > 0) {
    const long ecrits = plateforme::Ecrire(descripteur_, octets, static_cast<std::size_t>(reste));
    if (ecrits <= 0) {
      return;
    }
    octets += ecrits;
    reste -= static_cast<int>(ecrits);
  }
}

void TFichierTexte::VerifierSortie() const {
  if (mode_ != Mode::Sortie) {
    throw ErreurExecution(TypeErreur::EntreeSortie, {}, CodeFichierNonOuvertEnEcriture);
  }
}

void TFichierTexte::Ajouter(std::string_view octets) {
  while (!octets.empty()) {
    const std::size_t place = static_cast<std::size_t>(TailleTampon - nombre_);
    const std::size_t pris = octets.size() < place ? octets.size() : place;
    std::memcpy(tampon_ + nombre_, octets.data(), pris);
    nombre_ += static_cast<int>(pris);
    octets.remove_prefix(pris);
    if (nombre_ == TailleTampon) {
      Transmettre();
    }
  }
}

void TFichierTexte::AjouterBlancs(int nombre) {
  static constexpr char kBlancs[] = "                                ";
  constexpr int kParPaquet = static_cast<int>(sizeof kBlancs - 1);
  while (nombre > 0) {
    const int pris = nombre < kParPaquet ? nombre : kParPaquet;
    Ajouter(std::string_view(kBlancs, static_cast<std::size_t>(pris)));
    nombre -= pris;
  }
}

// Hands the buffered bytes to the system. Whatever it accepted before a
// refusal stays where it went; the rest is dropped with the error.
void TFichierTexte::Transmettre() {
  const char* octets = tampon_;
  int reste = nombre_;
  nombre_ = 0;
  while (reste > 0) {
    const long ecrits = plateforme::Ecrire(descripteur_, octets, static_cast<std::size_t>(reste));
    if (ecrits <= 0) {
      // A write that accepts nothing without an error number is still refused.
      throw ErreurExecution(TypeErreur::EntreeSortie, {},
                            ecrits < 0 ? plateforme::DerniereErreur() : EIO);
    }
    octets += ecrits;
    reste -= static_cast<int>(ecrits);
  }
}

TFichierTexte& Console() {
  static TFichierTexte console;
  return console;
}

void EcrireTexte(TFichierTexte& fichier, std::string_view texte, int largeur) {
  fichier.VerifierSortie();
  fichier.AjouterBlancs(largeur - static_cast<int>(texte.size()));
  fichier.Ajouter(texte);
}

void EcrireCaractere(TFichierTexte& fichier, char caractere) {
  fichier.VerifierSortie();
  fichier.Ajouter(std::string_view(&caractere, 1));
}

void EcrireEntier(TFichierTexte& fichier, std::int32_t valeur, int largeur) {
  // Digits of the magnitude from the right; the magnitude is taken unsigned so
  // that -2147483648 needs no special case.
  char chiffres[12];
  int debut = sizeof chiffres;
  std::uint32_t grandeur = valeur < 0 ? 0u - static_cast<std::uint32_t>(valeur)
                                      : static_cast<std::uint32_t>(valeur);
  do {
    chiffres[--debut] = static_cast<char>('0' + grandeur % 10);
    grandeur /= 10;
  } while (grandeur != 0);
  if (valeur < 0) {
    chiffres[--debut] = '-';
  }
  EcrireTexte(fichier,
              std::string_view(chiffres + debut, static_cast<std::size_t>(sizeof chiffres - debut)),
              largeur);
}

void FinDeLigne(TFichierTexte& fichier) {
  fichier.VerifierSortie();
  fichier.Ajouter("\r\n");
  if (fichier.terminal_) {
    fichier.Transmettre();
  }
}

void Vider(TFichierTexte& fichier) {
  if (fichier.mode_ == TFichierTexte::Mode::Ferme) {
    throw ErreurExecution(TypeErreur::EntreeSortie, {}, CodeFichierNonOuvert);
  }
  fichier.Transmettre();
}
