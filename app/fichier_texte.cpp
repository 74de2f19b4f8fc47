// The buffer rule of the text output streams, and their failures.
#include "app/fichier_texte.hpp"

#include <cstring>

#include "app/erreurs.hpp"
#include "app/plateforme.hpp"

TFichierTexte* TFichierTexte::premier_ = nullptr;

void TFichierTexte::Ouvrir(int descripteur, bool fichier, TEchec echec) {
  Abandonner();
  descripteur_ = descripteur;
  fichier_ = fichier;
  terminal_ = !fichier && plateforme::EstTerminal(descripteur);
  echec_ = echec;
  erreur_ = 0;
}

void TFichierTexte::AssocierSortieStandard() {
  Ouvrir(plateforme::kSortieStandard, false, TEchec::Arret);
}

bool TFichierTexte::Creer(const std::string& nom, TEchec echec) {
  Synchroniser();
  const int descripteur = plateforme::CreerEcriture(nom);
  if (descripteur < 0) {
    return false;
  }
  Ouvrir(descripteur, true, echec);
  suivant_ = premier_;
  premier_ = this;
  return true;
}

void TFichierTexte::Fermer() {
  if (!Preparer(CodeFichierNonOuvert)) {
    return;
  }
  remis_ = nombre_;
  const int ecriture = EcrireStock();
  if (const int refus = Clore(); ecriture != 0 || refus != 0) {
    Echouer(ecriture != 0 ? ecriture : refus);
  }
}

void TFichierTexte::Abandonner() noexcept {
  if (descripteur_ >= 0) {
    EcrireStock();
    Clore();
  }
}

int TFichierTexte::Clore() noexcept {
  for (TFichierTexte** lien = &premier_; *lien != nullptr; lien = &(*lien)->suivant_) {
    if (*lien == this) {
      *lien = suivant_;
      break;
    }
  }
  const int code =
      fichier_ && plateforme::Fermer(descripteur_) != 0 ? plateforme::DerniereErreur() : 0;
  descripteur_ = -1;
  remis_ = 0;
  nombre_ = 0;
  return code;
}

void TFichierTexte::Synchroniser() {
  for (TFichierTexte* fichier = premier_; fichier != nullptr; fichier = fichier->suivant_) {
    if (const int code = fichier->EcrireStock(); code != 0) {
      fichier->Echouer(code);
    }
  }
}

int TFichierTexte::EcrireEnAttente() noexcept {
  int refus = 0;
  for (TFichierTexte* fichier = premier_; fichier != nullptr; fichier = fichier->suivant_) {
    const int code = fichier->EcrireStock();
    if (refus == 0 && fichier->echec_ == TEchec::Arret) {
      refus = code;
    }
  }
  TFichierTexte& console = Console();
  if (console.descripteur_ >= 0) {
    console.remis_ = console.nombre_;
    console.EcrireStock();
  }
  return refus;
}

bool TFichierTexte::Preparer(int codeSiFerme) {
  if (descripteur_ < 0) {
    Echouer(codeSiFerme);
    return false;
  }
  if (!fichier_) {
    Synchroniser();
  }
  return true;
}

void TFichierTexte::Ajouter(std::string_view octets) {
  while (!octets.empty() && erreur_ == 0) {
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

void TFichierTexte::Transmettre() {
  remis_ = nombre_;
  if (fichier_ && nombre_ <= TailleStock - TailleTampon) {
    return;  // room left for a whole buffer more
  }
  if (const int code = EcrireStock(); code != 0) {
    Echouer(code);
  }
}

int TFichierTexte::EcrireStock() noexcept {
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

void TFichierTexte::Echouer(int code) {
  if (echec_ == TEchec::Arret) {
    throw ErreurExecution(TypeErreur::EntreeSortie, {}, code);
  }
  if (erreur_ == 0) {
    erreur_ = code;
  }
  remis_ = 0;
  nombre_ = 0;
}

TFichierTexte& Console() {
  static TFichierTexte console;
  return console;
}

void EcrireTexte(TFichierTexte& fichier, std::string_view texte, int largeur) {
  if (!fichier.Preparer(CodeFichierNonOuvertEnEcriture)) {
    return;
  }
  // Compared as sizes: an echoed line may be longer than an int counts.
  if (largeur > 0 && texte.size() < static_cast<std::size_t>(largeur)) {
    static constexpr std::string_view kBlancs = "                                ";
    for (int blancs = largeur - static_cast<int>(texte.size()); blancs > 0;
         blancs -= static_cast<int>(kBlancs.size())) {
      fichier.Ajouter(kBlancs.substr(0, static_cast<std::size_t>(blancs)));
    }
  }
  fichier.Ajouter(texte);
}

void EcrireCaractere(TFichierTexte& fichier, char caractere) {
  EcrireTexte(fichier, std::string_view(&caractere, 1));
}

void EcrireEntier(TFichierTexte& fichier, std::int32_t valeur, int largeur) {
  // The magnitude taken unsigned, so that -2147483648 needs no special case.
  const std::uint32_t grandeur =
      valeur < 0 ? 0u - static_cast<std::uint32_t>(valeur) : static_cast<std::uint32_t>(valeur);
  TTexteDecimal tampon;
  EcrireTexte(fichier, TexteDecimal(tampon, grandeur, 0, valeur < 0), largeur);
}

void FinDeLigne(TFichierTexte& fichier) {
  EcrireTexte(fichier, "\r\n");
  if (fichier.terminal_) {
    fichier.Transmettre();
  }
}

void Vider(TFichierTexte& fichier) {
  if (fichier.Preparer(CodeFichierNonOuvert)) {
    fichier.Transmettre();
  }
}
