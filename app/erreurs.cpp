// Messages of the run-time errors and the one way a run ends on them.
#include "app/erreurs.hpp"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <iterator>
#include <new>
#include <utility>

#include "app/fichier_texte.hpp"
#include "app/plateforme.hpp"

namespace {

// In the order of TypeErreur; EntreeSortie and FichierInaccessible have none.
constexpr const char* kMessages[] = {"Invalid numeric input",
                                     "Range check error",
                                     "Integer overflow",
                                     "Floating point division by zero",
                                     "Floating point overflow",
                                     "Invalid floating point operation",
                                     "",
                                     "Out of memory",
                                     ""};
static_assert(std::size(kMessages) == static_cast<int>(TypeErreur::FichierInaccessible) + 1);

const char* MessageFixe(TypeErreur type) {
  return kMessages[static_cast<int>(type)];
}

// The message of a refused read or write, built without allocating so that
// the floating-point trap handler can use it.
struct TMessageEntreeSortie {
  char texte[32] = "I/O error ";
  explicit TMessageEntreeSortie(int code) {
    if (code == ENOSPC) {
      std::strcpy(texte, "Disk full");
    } else if (code == EACCES || code == EPERM || code == EROFS) {
      std::strcpy(texte, "File access denied");
    } else {
      char* fin = texte + std::strlen(texte);
      *std::to_chars(fin, texte + sizeof texte - 1, code).ptr = '\0';
    }
  }
};

// "Erreur d'exécution : " in Windows-1252.
constexpr char kEnTete[] =
    "Erreur d'ex\xE9"
    "cution : ";

}  // namespace

ErreurExecution::ErreurExecution(TypeErreur type, std::string contexte, int code)
    : type_(type), contexte_(std::move(contexte)) {
  if (type == TypeErreur::FichierInaccessible) {
    std::swap(message_, contexte_);
  } else {
    message_ =
        type == TypeErreur::EntreeSortie ? TMessageEntreeSortie(code).texte : MessageFixe(type);
  }
}

void ErreurExecution::AjouterContexte(const std::string& contexte) {
  if (!contexte.empty()) {
    contexte_ = contexte_.empty() ? contexte : contexte_ + ", " + contexte;
  }
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

void EcrireLigneErreur(std::string_view ligne) noexcept {
  TFichierTexte::EcrireEnAttente();
  plateforme::EcrireErreur(ligne);
}

// A refusal of bytes the files had handed over was met before this error:
// it is the one told.
void TerminerSurErreur(const ErreurExecution& erreur) {
  const int refus = TFichierTexte::EcrireEnAttente();
  std::string ligne;
  try {  // the report itself may find no memory left
    ligne =
        RapportErreur(refus != 0 ? ErreurExecution(TypeErreur::EntreeSortie, {}, refus) : erreur);
  } catch (const std::bad_alloc&) {
    TerminerSurErreurImmediate(TypeErreur::ManqueMemoire);
  }
  plateforme::EcrireErreur(ligne);
  plateforme::TerminerProcessus(1);
}

void TerminerSurErreurImmediate(TypeErreur type) noexcept {
  const int refus = TFichierTexte::EcrireEnAttente();
  char ligne[96];
  std::strcpy(ligne, kEnTete);
  std::strcat(ligne, refus != 0 ? TMessageEntreeSortie(refus).texte : MessageFixe(type));
  plateforme::EcrireErreur(ligne);
  plateforme::TerminerProcessus(1);
}

// The system's own text for any error number not in the table.
constexpr std::pair<int, const char*> kRaisons[] = {
    {ENOENT, "fichier ou dossier introuvable"},
    {EACCES, "acc\xE8s refus\xE9"},
    {EPERM, "acc\xE8s refus\xE9"},
    {EISDIR, "c'est un dossier"},
    {ENOTDIR, "une partie du chemin n'est pas un dossier"},
    {ENAMETOOLONG, "nom trop long pour le syst\xE8me"},
    {EROFS, "support en lecture seule"},
    {ENOSPC, "disque plein"},
    {EFBIG, "fichier trop grand"},
    {EMFILE, "trop de fichiers ouverts"},
    {ENFILE, "trop de fichiers ouverts"},
    {EINVAL, "nom de fichier invalide"},
    {EBUSY, "fichier occup\xE9"},
#ifdef ETXTBSY
    {ETXTBSY, "fichier occup\xE9"},
#endif
#ifdef ELOOP
    {ELOOP, "trop de liens symboliques"},
#endif
#ifdef EDQUOT
    {EDQUOT, "quota de disque d\xE9pass\xE9"},
#endif
};

std::string RaisonRefus(int code) {
  for (const auto& [numero, texte] : kRaisons) {
    if (numero == code) {
      return texte;
    }
  }
  return plateforme::TexteErreur(code);
}
