// Buffering, line ends and failure rule of the text output streams.
#include "app/fichier_texte.hpp"

#include <cstring>

#include "app/erreurs.hpp"
#include "app/plateforme.hpp"

TFichierTexte* TFichierTexte::premierDiffere_ = nullptr;

TFichierTexte::~TFichierTexte() {
  Abandonner();
}

void TFichierTexte::AssocierSortieStandard() {
  descripteur_ = plateforme::kSortieStandard;
  proprietaire_ = false;
  terminal_ = plateforme::EstTerminal(descripteur_);
  differe_ = false;
  remis_ = 0;
  nombre_ = 0;
  mode_ = Mode::Sortie;
}

bool TFichierTexte::Creer(const std::string& nom, TEchec echec) {
  Synchroniser();
  const int descripteur = plateforme::CreerEcriture(nom);
  if (descripteur < 0) {
    return false;
  }
  descripteur_ = descripteur;
  proprietaire_ = true;
  terminal_ = false;
  differe_ = true;
  releve_ = echec == TEchec::Releve;
  erreur_ = 0;
  remis_ = 0;
  nombre_ = 0;
  mode_ = Mode::Sortie;
  Inscrire();
  return true;
}

void TFichierTexte::Fermer() {
  if (mode_ == Mode::Ferme) {
    throw ErreurExecution(TypeErreur::EntreeSortie, {}, CodeFichierNonOuvert);
  }
  if (!differe_) {
    Synchroniser();
  }
  remis_ = nombre_;
  int code = EcrireRemis();
  Desinscrire();
  if (proprietaire_ && plateforme::Fermer(descripteur_) != 0 && code == 0) {
    code = plateforme::DerniereErreur();
  }
  mode_ = Mode::Ferme;
  descripteur_ = -1;
  if (code != 0) {
    Refuser(code);
  }
}

void TFichierTexte::Refuser(int code) {
  if (!releve_) {
    throw ErreurExecution(TypeErreur::EntreeSortie, {}, code);
  }
  if (erreur_ == 0) {
    erreur_ = code;
  }
  remis_ = 0;
  nombre_ = 0;
}

// What was handed over is in the file, as at the end of a process after a
// run-time error; the buffer is lost.
void TFichierTexte::Abandonner() noexcept {
  if (mode_ != Mode::Ferme) {
    EcrireRemis();
    Desinscrire();
    if (proprietaire_) {
      plateforme::Fermer(descripteur_);
    }
  }
  mode_ = Mode::Ferme;
  descripteur_ = -1;
  remis_ = 0;
  nombre_ = 0;
}

void TFichierTexte::ViderSansErreur() noexcept {
  if (mode_ == Mode::Ferme) {
    return;
  }
  EcrireTousRemis();
  remis_ = nombre_;
  EcrireRemis();
}

int TFichierTexte::EcrireTousRemis() noexcept {
  int premiereErreur = 0;
  for (TFichierTexte* fichier = premierDiffere_; fichier != nullptr; fichier = fichier->suivant_) {
    const int code = fichier->EcrireRemis();
    if (code != 0 && fichier->releve_) {
      fichier->Refuser(code);
    } else if (premiereErreur == 0) {
      premiereErreur = code;
    }
  }
  return premiereErreur;
}

void TFichierTexte::Synchroniser() {
  if (const int code = EcrireTousRemis(); code != 0) {
    throw ErreurExecution(TypeErreur::EntreeSortie, {}, code);
  }
}

void TFichierTexte::Inscrire() {
  suivant_ = premierDiffere_;
  premierDiffere_ = this;
}

void TFichierTexte::Desinscrire() noexcept {
  for (TFichierTexte** lien = &premierDiffere_; *lien != nullptr; lien = &(*lien)->suivant_) {
    if (*lien == this) {
      *lien = suivant_;
      break;
    }
  }
  suivant_ = nullptr;
}

// Whatever the system accepted before a refusal stays where it went; the
// rest of what was handed over is dropped with the error.
int TFichierTexte::EcrireRemis() noexcept {
  const int remis = remis_;
  if (remis == 0) {
    return 0;
  }
  remis_ = 0;
  nombre_ -= remis;
  const int code = plateforme::EcrireTout(descripteur_, octets_, static_cast<std::size_t>(remis));
  std::memmove(octets_, octets_ + remis, static_cast<std::size_t>(nombre_));
  return code;
}

void TFichierTexte::VerifierSortie() const {
  if (mode_ != Mode::Sortie) {
    throw ErreurExecution(TypeErreur::EntreeSortie, {}, CodeFichierNonOuvertEnEcriture);
  }
}

void TFichierTexte::Ajouter(std::string_view octets) {
  if (erreur_ != 0) {
    return;  // after a refusal kept, nothing more goes
  }
  if (!differe_) {
    // Console bytes come after whatever the files handed over before them:
    // a refusal of those must end the run before the console takes more.
    Synchroniser();
  }
  while (!octets.empty()) {
    const std::size_t place = static_cast<std::size_t>(TailleTampon - (nombre_ - remis_));
    const std::size_t pris = octets.size() < place ? octets.size() : place;
    std::memcpy(octets_ + nombre_, octets.data(), pris);
    nombre_ += static_cast<int>(pris);
    octets.remove_prefix(pris);
    if (nombre_ - remis_ == TailleTampon) {
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

void TFichierTexte::Transmettre() {
  remis_ = nombre_;
  if (differe_ && nombre_ <= TailleDepot - TailleTampon) {
    return;  // room left for a whole buffer more
  }
  if (!differe_) {
    Synchroniser();  // the files' bytes were handed over first
  }
  if (const int code = EcrireRemis(); code != 0) {
    Refuser(code);
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
  std::uint32_t grandeur =
      valeur < 0 ? 0u - static_cast<std::uint32_t>(valeur) : static_cast<std::uint32_t>(valeur);
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
