// The data file reader: the dialogue at the prompt, the data and results
// files, the search for "$deb", then the sections up to "$fin". Every line
// read after "$deb" is echoed on the console; the records are not.
#include "model/lecture.hpp"

#include <iterator>
#include <memory>
#include <string>

#include "app/erreurs.hpp"
#include "app/fichier_texte.hpp"
#include "app/plateforme.hpp"
#include "model/structure.hpp"
#include "model/texte_entree.hpp"

namespace {

// The longest data or results file name the format was made for.
constexpr std::size_t LongueurMaxNom = 259;

constexpr char kOuvrir[] =
    "Impossible d'ouvrir le fichier de donn\xE9"
    "es";
constexpr char kCreer[] =
    "Impossible de cr\xE9"
    "er le fichier de r\xE9sultats";
// The lines that open and close the data, for the line that says which one
// is missing.
constexpr char kLigneDebut[] =
    "\"$deb\" (d\xE9"
    "but des donn\xE9"
    "es)";
constexpr char kLigneFin[] =
    "\"$fin\" (fin des donn\xE9"
    "es)";
constexpr char kIncompletes[] =
    "Donn\xE9"
    "es incompl\xE8tes, calcul impossible : ";

char Majuscule(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// One line typed at the prompt, without its line end, every CR left out as
// in a whole line of the data file. Read byte by byte so that nothing beyond
// the line is taken from standard input.
std::string LireLigneEntreeStandard() {
  std::string ligne;
  for (;;) {
    char c = 0;
    const long lus = plateforme::Lire(plateforme::kEntreeStandard, &c, 1);
    if (lus < 0) {
      throw ErreurExecution(TypeErreur::EntreeSortie,
                            "entr\xE9"
                            "e standard",
                            plateforme::DerniereErreur());
    }
    if (lus == 0 || c == '\n' || c == TTexteEntree::CtrlZ) {
      break;
    }
    if (c != '\r') {
      ligne += c;
    }
  }
  return ligne;
}

std::string RaisonLongueur(const std::string& nom) {
  return "nom trop long (" + std::to_string(nom.size()) + " caract\xE8res, " +
         std::to_string(LongueurMaxNom) + " au plus)";
}

// Ends the run with one line on standard error and status 1: a file the user
// named cannot be used, which is a failure and no silent end.
[[noreturn]] void Refuser(const char* action, const std::string& nom, const std::string& raison) {
  throw ErreurExecution(TypeErreur::FichierInaccessible,
                        std::string(action) + " \"" + nom + "\" : " + raison);
}

void EcrireDonneesIncompletes(TFichierTexte& resultats, const std::string& manque) {
  EcrireTexte(resultats, kIncompletes);
  EcrireTexte(resultats, manque);
  FinDeLigne(resultats);
}

// A section's count and where it was read: an item beyond a table's capacity
// is refused with the count's context, which is what the user has to mend.
struct Compte {
  explicit Compte(TTexteEntree& donnees)
      : valeur(donnees.LireEntier()), contexte(donnees.ContexteJeton()) {
    donnees.SauterLigne();
  }
  std::int32_t valeur;
  std::string contexte;
};

// The records of a section, each read by `lire(i)`, then the rest of its line.
template <typename Lire>
void LireEnregistrements(TTexteEntree& donnees, const Compte& compte, Lire lire) {
  try {
    for (int i = 1; i <= compte.valeur; ++i) {
      lire(i);
      donnees.SauterLigne();
    }
  } catch (ErreurExecution& erreur) {
    if (erreur.Type() == TypeErreur::VerificationIntervalle) {
      erreur.AjouterContexte(compte.contexte);
    }
    throw;
  }
}

// A list's section: its count, into the list's Nombre and into `nombre`, then
// each record read by `lire` into a new item in the next position; beyond
// the capacity the item is created, refused with its index and not stored.
template <typename T, int Taille, typename Lire>
void LireListe(TTexteEntree& donnees, TListe<T, Taille>& liste, std::int32_t& nombre, Lire lire) {
  const Compte compte(donnees);
  nombre = compte.valeur;
  liste.Nombre = compte.valeur;
  LireEnregistrements(donnees, compte,
                      [&](int i) { lire(*(liste.Liste[i] = std::make_unique<T>())); });
}

void LireNoeuds(TStructure& s, TTexteEntree& donnees) {
  const Compte compte(donnees);
  s.NbNoeuds = compte.valeur;
  LireEnregistrements(donnees, compte, [&](int i) {
    TPoint& noeud = s.Noeuds[i];
    noeud.x = donnees.LireReel();
    noeud.y = donnees.LireReel();
  });
}

// Record: three vertices, then E, Nu and the thickness, in that order.
void LireElements(TStructure& s, TTexteEntree& donnees) {
  LireListe(donnees, s.Elements, s.Elements.Nombre, [&](TElement& element) {
    for (int j = 1; j <= NbSommets; ++j) {
      element.Sommets[j] = donnees.LireEntier();
    }
    element.E = donnees.LireReel();
    element.Nu = donnees.LireReel();
    element.Epaisseur = donnees.LireReel();
  });
}

// The code keeps the low-order 8 bits of the integer read.
void LireLiaisons(TStructure& s, TTexteEntree& donnees) {
  LireListe(donnees, s.Liaisons, s.NbLiaisons, [&](TLiaison& liaison) {
    liaison.TypeLiaison = static_cast<std::uint8_t>(donnees.LireEntier());
    liaison.Noeud = donnees.LireEntier();
  });
}

// Type (low-order 8 bits), then for type 1: element, Fx, Fy; for type 2: two
// nodes, Fx, Fy; any other type has nothing more to read.
void LireCharges(TStructure& s, TTexteEntree& donnees) {
  LireListe(donnees, s.Charges, s.NbCharges, [&](TCharge& charge) {
    charge.TypeCharge = static_cast<std::uint8_t>(donnees.LireEntier());
    if (charge.TypeCharge != 1 && charge.TypeCharge != 2) {
      return;
    }
    charge.N1 = donnees.LireEntier();
    if (charge.TypeCharge == 2) {
      charge.N2 = donnees.LireEntier();
    }
    charge.Fx = donnees.LireReel();
    charge.Fy = donnees.LireReel();
  });
}

void LireProbleme(TStructure& s, TTexteEntree& donnees) {
  s.TypeProbleme = donnees.LireEntier();
  donnees.SauterLigne();
}

// The sections, each with what reads it and the words that name what it
// gives when it is missing; their keywords differ in their first four
// characters, so a line matches one at the most.
struct TSection {
  const char* motCle;
  void (*lire)(TStructure& s, TTexteEntree& donnees);
  std::int32_t (*nombre)(const TStructure& s);  // 0 when the section gives nothing
  const char* quoi;                             // section "$noe" (noeuds) absente
  const char* nombreDe;                         // nombre de noeuds nul dans "$noe"
};
constexpr TSection kSections[] = {
    {"$pro", LireProbleme, [](const TStructure& s) { return s.TypeProbleme; },
     "type de probl\xE8me", "type de probl\xE8me"},
    {"$noe", LireNoeuds, [](const TStructure& s) { return s.NbNoeuds; }, "noeuds",
     "nombre de noeuds"},
    {"$ele", LireElements, [](const TStructure& s) { return s.Elements.Nombre; }, "\xE9l\xE9ments",
     "nombre d'\xE9l\xE9ments"},
    {"$lia", LireLiaisons, [](const TStructure& s) { return s.NbLiaisons; }, "liaisons",
     "nombre de liaisons"},
    {"$cha", LireCharges, [](const TStructure& s) { return s.NbCharges; }, "charges",
     "nombre de charges"}};
constexpr std::size_t NbSections = std::size(kSections);

// What keeps the analysis from starting, for the line of the results file:
// each section missing or read with nothing in it; empty when none is. A
// negative count is not nothing: VerificationModele refuses it.
std::string Manques(const TStructure& s, const bool (&lues)[NbSections]) {
  std::string manque;
  for (std::size_t k = 0; k < NbSections; ++k) {
    const TSection& section = kSections[k];
    const std::string motCle = std::string("\"") + section.motCle + "\"";
    if (!lues[k]) {
      manque +=
          (manque.empty() ? "section " : ", section ") + motCle + " (" + section.quoi + ") absente";
    } else if (section.nombre(s) == 0) {
      manque +=
          (manque.empty() ? "" : ", ") + std::string(section.nombreDe) + " nul dans " + motCle;
    }
  }
  return manque;
}

// The next line of the data file; at the end of the file, false, the data
// file closed and the results file saying the line `manque` was not found.
bool LigneSuivante(TTexteEntree& donnees, TFichierTexte& resultats, const char* manque,
                   std::string& ligne) {
  if (donnees.FinDeFichier()) {
    donnees.Fermer();
    EcrireDonneesIncompletes(resultats, std::string("ligne ") + manque + " introuvable");
    return false;
  }
  donnees.LireLigne(ligne);
  donnees.SauterLigne();
  return true;
}

// Opens the data file and creates the results file with its heading. A name
// the system cannot take, or a refused file, ends the run.
void OuvrirFichiers(TStructure& s, TTexteEntree& donnees) {
  const std::string nomDonnees = s.NomFichier + ".txt";
  if (nomDonnees.size() > LongueurMaxNom) {
    Refuser(kOuvrir, nomDonnees, RaisonLongueur(nomDonnees));
  }
  // The system would stop the name at its first NUL and open another file;
  // the message shows each NUL as ^@.
  if (s.NomFichier.find('\0') != std::string::npos) {
    std::string visible;
    for (const char c : nomDonnees) {
      visible += c == '\0' ? std::string("^@") : std::string(1, c);
    }
    Refuser(kOuvrir, visible, "nom de fichier invalide");
  }
  if (const int code = donnees.Ouvrir(nomDonnees); code != 0) {
    Refuser(kOuvrir, nomDonnees, RaisonRefus(code));
  }
  const std::string nomResultats = s.NomFichier + "r.txt";
  if (nomResultats.size() > LongueurMaxNom) {
    donnees.Fermer();
    Refuser(kCreer, nomResultats, RaisonLongueur(nomResultats));
  }
  if (!s.Resultats.Creer(nomResultats)) {
    const int code = plateforme::DerniereErreur();
    donnees.Fermer();
    Refuser(kCreer, nomResultats, RaisonRefus(code));
  }
  s.ResultatsOuvert = true;
  FinDeLigne(s.Resultats);
  EcrireTexte(s.Resultats, "Lecture du fichier : ");
  EcrireTexte(s.Resultats, nomDonnees);
  FinDeLigne(s.Resultats);
}

// The lines after "$deb" up to "$fin", each echoed on the console, and the
// records of each section; true once "$fin" is read.
bool LireSections(TStructure& s, TTexteEntree& donnees) {
  bool lues[NbSections] = {};
  std::string ligne;
  while (LigneSuivante(donnees, s.Resultats, kLigneFin, ligne)) {
    EcrireTexte(Console(), ligne);
    FinDeLigne(Console());
    if (MotCle("$fin", ligne)) {
      donnees.Fermer();
      // Nothing to analyse: a count read as zero, or a section missing.
      const std::string manque = Manques(s, lues);
      if (!manque.empty()) {
        s.TypeProbleme = 0;
        EcrireDonneesIncompletes(s.Resultats, manque);
      }
      return true;
    }
    for (std::size_t k = 0; k < NbSections; ++k) {
      if (MotCle(kSections[k].motCle, ligne)) {
        kSections[k].lire(s, donnees);
        lues[k] = true;
        break;
      }
    }
  }
  return false;
}

}  // namespace

bool MotCle(std::string_view motCle, std::string_view ligne) {
  std::size_t i = 0;
  for (const char c : motCle) {
    if (c == ' ') {
      continue;
    }
    while (i < ligne.size() && ligne[i] == ' ') {
      ++i;
    }
    if (i == ligne.size() || Majuscule(ligne[i]) != Majuscule(c)) {
      return false;
    }
    ++i;
  }
  return true;
}

bool TStructure::Lecture() {
  TypeProbleme = 0;
  NbNoeuds = 0;
  NbLiaisons = 0;
  NbCharges = 0;

  TFichierTexte& console = Console();
  EcrireTexte(console,
              "Rappel : LES DONN\xC9"
              "ES SONT LUES DANS UN FICHIER DONT L'EXTENSION EST .TXT");
  FinDeLigne(console);
  FinDeLigne(console);
  EcrireTexte(console, "Nom du fichier ( sans extension ) ? ");
  Vider(console);

  NomFichier = LireLigneEntreeStandard();
  if (NomFichier.empty()) {
    return false;  // the user chose to quit
  }

  TTexteEntree donnees;
  OuvrirFichiers(*this, donnees);
  // Lines before "$deb" are not echoed.
  std::string ligne;
  do {
    if (!LigneSuivante(donnees, Resultats, kLigneDebut, ligne)) {
      return false;
    }
  } while (!MotCle("$deb", ligne));
  return LireSections(*this, donnees);
}
