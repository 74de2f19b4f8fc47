// The data file reader: the dialogue at the prompt, the data and results
// files, the search for "$deb", then the sections up to "$fin". Every line
// read after "$deb" is echoed on the console; the records are not.
#include "model/lecture.hpp"

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
constexpr char kIncompletes[] =
    "Donn\xE9"
    "es incompl\xE8tes, calcul impossible : ";

char Majuscule(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// One line typed at the prompt, without its line end. Read byte by byte so
// that nothing beyond the line is taken from standard input.
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
    ligne += c;
  }
  if (!ligne.empty() && ligne.back() == '\r') {
    ligne.pop_back();
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

// A section's count, with where it was read: a count beyond a table's
// capacity stops the run when its first item beyond is stored, and the error
// then points at the count, which is what the user has to mend.
struct Compte {
  std::int32_t valeur = 0;
  int ligne = 0;
  std::string texte;
};

Compte LireCompte(TTexteEntree& donnees) {
  Compte compte;
  compte.valeur = donnees.LireEntier();
  compte.ligne = donnees.LigneJeton();
  compte.texte = donnees.Jeton();
  donnees.SauterLigne();
  return compte;
}

// The records of a section, each read by `lire(i)` and followed by the skip
// of the rest of its line.
template <typename Lire>
void LireEnregistrements(TTexteEntree& donnees, const Compte& compte, Lire lire) {
  try {
    for (int i = 1; i <= compte.valeur; ++i) {
      lire(i);
      donnees.SauterLigne();
    }
  } catch (ErreurExecution& erreur) {
    if (erreur.Type() == TypeErreur::VerificationIntervalle) {
      erreur.AjouterContexte(donnees.Nom() + ", ligne " + std::to_string(compte.ligne) + " : \"" +
                             compte.texte + "\"");
    }
    throw;
  }
}

// A new item in position i of its list; beyond the capacity it has been
// created, then refused with the index, and is not stored.
template <typename T, int Taille>
T& NouvelItem(TListe<T, Taille>& liste, int i) {
  auto item = std::make_unique<T>();
  T& nouveau = *item;
  liste.Liste[i] = std::move(item);
  return nouveau;
}

void LireNoeuds(TStructure& s, TTexteEntree& donnees) {
  const Compte compte = LireCompte(donnees);
  s.NbNoeuds = compte.valeur;
  LireEnregistrements(donnees, compte, [&](int i) {
    TPoint& noeud = s.Noeuds[i];
    noeud.x = donnees.LireReel();
    noeud.y = donnees.LireReel();
  });
}

// Record: three vertices, then E, Nu and the thickness, in that order.
void LireElements(TStructure& s, TTexteEntree& donnees) {
  const Compte compte = LireCompte(donnees);
  s.Elements.Nombre = compte.valeur;
  LireEnregistrements(donnees, compte, [&](int i) {
    TElement& element = NouvelItem(s.Elements, i);
    for (int j = 1; j <= NbSommets; ++j) {
      element.Sommets[j] = donnees.LireEntier();
    }
    element.E = donnees.LireReel();
    element.Nu = donnees.LireReel();
    element.Epaisseur = donnees.LireReel();
  });
}

void LireLiaisons(TStructure& s, TTexteEntree& donnees) {
  const Compte compte = LireCompte(donnees);
  s.NbLiaisons = compte.valeur;
  s.Liaisons.Nombre = compte.valeur;
  LireEnregistrements(donnees, compte, [&](int i) {
    TLiaison& liaison = NouvelItem(s.Liaisons, i);
    liaison.TypeLiaison = static_cast<std::uint8_t>(donnees.LireEntier());
    liaison.Noeud = donnees.LireEntier();
  });
}

// Type 1: element, Fx, Fy; type 2: two nodes, Fx, Fy; any other type has
// nothing more to read.
void LireCharges(TStructure& s, TTexteEntree& donnees) {
  const Compte compte = LireCompte(donnees);
  s.NbCharges = compte.valeur;
  s.Charges.Nombre = compte.valeur;
  LireEnregistrements(donnees, compte, [&](int i) {
    TCharge& charge = NouvelItem(s.Charges, i);
    charge.TypeCharge = static_cast<std::uint8_t>(donnees.LireEntier());
    if (charge.TypeCharge == 1) {
      charge.N1 = donnees.LireEntier();
      charge.Fx = donnees.LireReel();
      charge.Fy = donnees.LireReel();
    } else if (charge.TypeCharge == 2) {
      charge.N1 = donnees.LireEntier();
      charge.N2 = donnees.LireEntier();
      charge.Fx = donnees.LireReel();
      charge.Fy = donnees.LireReel();
    }
  });
}

struct SectionsLues {
  bool pro = false;
  bool noe = false;
  bool ele = false;
  bool lia = false;
  bool cha = false;
};

// What keeps the analysis from starting, for the line of the results file.
std::string Manques(const TStructure& s, const SectionsLues& lues, std::int32_t typeLu) {
  std::string manque;
  const auto Ajouter = [&manque](const std::string& texte) {
    if (!manque.empty()) {
      manque += ", ";
    }
    manque += texte;
  };
  if (!lues.pro) {
    Ajouter("section \"$pro\" (type de probl\xE8me) absente");
  } else if (typeLu == 0) {
    Ajouter("type de probl\xE8me nul dans \"$pro\"");
  }
  const auto Section = [&Ajouter](bool lue, std::int32_t nombre, const char* motCle,
                                  const char* quoi, const char* nombreDe) {
    if (!lue) {
      Ajouter(std::string("section \"") + motCle + "\" (" + quoi + ") absente");
    } else if (nombre == 0) {
      Ajouter(std::string(nombreDe) + " nul dans \"" + motCle + "\"");
    }
  };
  Section(lues.noe, s.NbNoeuds, "$noe", "noeuds", "nombre de noeuds");
  Section(lues.ele, s.Elements.Nombre, "$ele", "\xE9l\xE9ments", "nombre d'\xE9l\xE9ments");
  Section(lues.lia, s.NbLiaisons, "$lia", "liaisons", "nombre de liaisons");
  Section(lues.cha, s.NbCharges, "$cha", "charges", "nombre de charges");
  return manque;
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

  const std::string nomDonnees = NomFichier + ".txt";
  if (nomDonnees.size() > LongueurMaxNom) {
    Refuser(kOuvrir, nomDonnees, RaisonLongueur(nomDonnees));
  }
  // The system would stop the name at its first NUL and open another file;
  // the message shows each NUL as ^@.
  if (NomFichier.find('\0') != std::string::npos) {
    std::string visible;
    for (const char c : nomDonnees) {
      visible += c == '\0' ? std::string("^@") : std::string(1, c);
    }
    Refuser(kOuvrir, visible, "nom de fichier invalide");
  }
  TTexteEntree donnees;
  if (const int code = donnees.Ouvrir(nomDonnees); code != 0) {
    Refuser(kOuvrir, nomDonnees, RaisonRefus(code));
  }
  const std::string nomResultats = NomFichier + "r.txt";
  if (nomResultats.size() > LongueurMaxNom) {
    donnees.Fermer();
    Refuser(kCreer, nomResultats, RaisonLongueur(nomResultats));
  }
  if (!Resultats.Creer(nomResultats)) {
    const int code = plateforme::DerniereErreur();
    donnees.Fermer();
    Refuser(kCreer, nomResultats, RaisonRefus(code));
  }
  ResultatsOuvert = true;
  FinDeLigne(Resultats);
  EcrireTexte(Resultats, "Lecture du fichier : ");
  EcrireTexte(Resultats, nomDonnees);
  FinDeLigne(Resultats);

  // Reading a whole line always skips its line end too.
  std::string ligne;
  do {
    if (donnees.FinDeFichier()) {
      donnees.Fermer();
      EcrireDonneesIncompletes(Resultats,
                               "ligne \"$deb\" (d\xE9"
                               "but des donn\xE9"
                               "es) introuvable");
      return false;
    }
    donnees.LireLigne(ligne);
    donnees.SauterLigne();
  } while (!MotCle("$deb", ligne));

  SectionsLues lues;
  for (;;) {
    if (donnees.FinDeFichier()) {
      donnees.Fermer();
      EcrireDonneesIncompletes(Resultats,
                               "ligne \"$fin\" (fin des donn\xE9"
                               "es) introuvable");
      return false;
    }
    donnees.LireLigne(ligne);
    donnees.SauterLigne();
    EcrireTexte(console, ligne);
    FinDeLigne(console);

    if (MotCle("$pro", ligne)) {
      TypeProbleme = donnees.LireEntier();
      donnees.SauterLigne();
      lues.pro = true;
    } else if (MotCle("$noe", ligne)) {
      LireNoeuds(*this, donnees);
      lues.noe = true;
    } else if (MotCle("$ele", ligne)) {
      LireElements(*this, donnees);
      lues.ele = true;
    } else if (MotCle("$lia", ligne)) {
      LireLiaisons(*this, donnees);
      lues.lia = true;
    } else if (MotCle("$cha", ligne)) {
      LireCharges(*this, donnees);
      lues.cha = true;
    } else if (MotCle("$fin", ligne)) {
      donnees.Fermer();
      const std::int32_t typeLu = TypeProbleme;
      // A negative count is not zero: VerificationModele refuses it.
      if (NbNoeuds == 0 || Elements.Nombre == 0 || NbLiaisons == 0 || NbCharges == 0) {
        TypeProbleme = 0;
      }
      if (TypeProbleme == 0) {
        EcrireDonneesIncompletes(Resultats, Manques(*this, lues, typeLu));
      }
      return true;
    }
  }
}
