// The results report: problem type, the model as read, then the nodal
// displacements (mm), the element stresses (MPa) and strains, and the support
// reactions (N), in fixed columns. The column headings keep their own widths
// and do not line up with the numbers below them. Vider follows each piece of
// a line left unfinished, so that a run-time error met while the line is
// completed finds that piece already in the file.
#include <cstdint>
#include <string_view>

#include "app/fichier_texte.hpp"
#include "element/triangle.hpp"
#include "model/structure.hpp"

namespace {

// One line of a section, for item k of its list.
using TLigne = void (*)(TFichierTexte& r, const TStructure& s, int k);

void Champ(TFichierTexte& r, std::string_view nom, double valeur, int largeur, int decimales) {
  EcrireTexte(r, nom);
  EcrireReel(r, valeur, largeur, decimales);
}

// A section of the report: its heading and a blank line, the column headings
// and a blank line if it has any, a line for each item from 1 to `nombre`,
// then a blank line.
void Section(TFichierTexte& r, const TStructure& s, std::string_view titre, int nombre,
             TLigne ligne, void (*colonnes)(TFichierTexte& r) = nullptr) {
  EcrireTexte(r, titre);
  FinDeLigne(r);
  FinDeLigne(r);
  if (colonnes != nullptr) {
    colonnes(r);
    FinDeLigne(r);
    FinDeLigne(r);
  }
  for (int k = 1; k <= nombre; ++k) {
    ligne(r, s, k);
  }
  FinDeLigne(r);
}

// A code that blocks nothing still gets its line, in the support list and
// among the reactions, naming the code so that the user sees why.
void CodeInconnu(TFichierTexte& r, std::uint8_t code, const char* avant, const char* apres) {
  EcrireTexte(r, avant);
  EcrireEntier(r, code);
  EcrireTexte(r, apres);
}

void LigneNoeud(TFichierTexte& r, const TStructure& s, int i) {
  EcrireEntier(r, i, 3);
  Champ(r, "  x = ", s.Noeuds[i].x, 8, 3);
  Champ(r, "  y = ", s.Noeuds[i].y, 8, 3);
  FinDeLigne(r);
}

void LigneElement(TFichierTexte& r, const TStructure& s, int j) {
  const TElement& element = s.ElementEn(j);
  EcrireEntier(r, j, 4);
  EcrireTexte(r, "  Noeuds = ( ");
  Vider(r);
  for (int k = 1; k <= NbSommets; ++k) {
    EcrireEntier(r, element.Sommets[k]);
    EcrireCaractere(r, ' ');
    Vider(r);
  }
  Champ(r, ")  E = ", element.E, 6, 0);
  Champ(r, " MPa  Nu = ", element.Nu, 4, 2);
  Champ(r, "  \xC9paisseur = ", element.Epaisseur, 5, 2);
  EcrireTexte(r, " mm");
  FinDeLigne(r);
}

void LigneLiaison(TFichierTexte& r, const TStructure& s, int k) {
  const TLiaison& liaison = s.LiaisonEn(k);
  EcrireTexte(r, "noeud ");
  EcrireEntier(r, liaison.Noeud, 2);
  Vider(r);
  if (liaison.TypeLiaison >= 1 && liaison.TypeLiaison <= 3) {
    const char* const libelles[] = {"   u = 0", "   v = 0", "   Rotule"};
    EcrireTexte(r, libelles[liaison.TypeLiaison - 1]);
  } else {
    CodeInconnu(r, liaison.TypeLiaison, "   code ", " : aucun blocage");
  }
  FinDeLigne(r);
}

// Type 1: a body force on an element; type 2: a load per length on the
// segment between two nodes. Other types are ignored by every stage, so not
// reported either, not even by a line end.
void LigneCharge(TFichierTexte& r, const TStructure& s, int k) {
  const TCharge& charge = s.ChargeEn(k);
  const bool volumique = charge.TypeCharge == 1;
  if (volumique) {
    EcrireTexte(r, "\xE9l\xE9ment");
    EcrireEntier(r, charge.N1, 3);
  } else if (charge.TypeCharge == 2) {
    EcrireTexte(r, "noeuds ( ");
    EcrireEntier(r, charge.N1);
    EcrireCaractere(r, ' ');
    EcrireEntier(r, charge.N2);
    EcrireTexte(r, " ) ");
  } else {
    return;
  }
  Vider(r);
  Champ(r, volumique ? " : Fx = " : " fx = ", charge.Fx, 6, 2);
  Champ(r, volumique ? "   Fy = " : "   fy = ", charge.Fy, 6, 2);
  EcrireTexte(r, volumique ? " N/mm3" : " N/mm");
  FinDeLigne(r);
}

void ColonnesDeplacements(TFichierTexte& r) {
  EcrireTexte(r, "Noeud");
  EcrireTexte(r, "Ux", 8);
  EcrireTexte(r, "Uy", 9);
}

// F holds the displacements once the system is solved.
void LigneDeplacement(TFichierTexte& r, const TStructure& s, int i) {
  std::int32_t ddlx = 0;
  std::int32_t ddly = 0;
  s.DdlNoeud(i, ddlx, ddly);
  EcrireEntier(r, i, 4);
  Champ(r, " ", s.F[ddlx], 10, 6);
  Champ(r, " ", s.F[ddly], 10, 6);
  FinDeLigne(r);
}

void ColonnesContraintes(TFichierTexte& r) {
  EcrireTexte(r, "\xC9lement");
  EcrireTexte(r, "sxx", 5);
  EcrireTexte(r, "syy", 8);
  EcrireTexte(r, "sxy", 8);
  EcrireTexte(r, "szz", 8);
  Vider(r);
  EcrireTexte(r, "exx", 8);
  EcrireTexte(r, "eyy", 10);
  EcrireTexte(r, "gxy", 10);
  EcrireTexte(r, "ezz", 10);
}

// The record holds the strains first; the line gives the stresses first.
void LigneContraintes(TFichierTexte& r, const TStructure& s, int k) {
  TContraintesDeformations cd;
  ContraintesElement(s.ElementEn(k), cd);
  EcrireEntier(r, k, 4);
  EcrireReel(r, cd.sxx, 9, 2);
  for (const double contrainte : {cd.syy, cd.sxy, cd.szz}) {
    EcrireReel(r, contrainte, 8, 2);
  }
  Vider(r);
  for (const double deformation : {cd.exx, cd.eyy, cd.gxy, cd.ezz}) {
    EcrireReel(r, deformation, 10, 6);
  }
  FinDeLigne(r);
}

// Only the blocked directions carry a reaction, rounded to whole newtons: a
// free component holds the element forces there and is not printed.
void LigneReaction(TFichierTexte& r, const TStructure& s, int k) {
  const TLiaison& liaison = s.LiaisonEn(k);
  EcrireTexte(r, "noeud ");
  EcrireEntier(r, liaison.Noeud);
  EcrireTexte(r, " : ");
  Vider(r);
  const std::uint8_t code = liaison.TypeLiaison;
  if (code == 1 || code == 3) {
    Champ(r, "Rx = ", liaison.Rx, 5, 0);
  }
  if (code == 2 || code == 3) {
    Champ(r, code == 3 ? "  Ry = " : "Ry = ", liaison.Ry, 5, 0);
  }
  if (code < 1 || code > 3) {
    CodeInconnu(r, code, "aucune action (code ", ")");
  }
  FinDeLigne(r);
}

}  // namespace

void TStructure::EcritureResultats() {
  TFichierTexte& r = Resultats;
  FinDeLigne(r);
  EcrireTexte(r, "Probl\xE8me : ");
  Vider(r);
  EcrireTexte(r, TypeProbleme == 1 ? "contraintes planes"
                                   : "d\xE9"
                                     "formations planes");
  FinDeLigne(r);
  FinDeLigne(r);

  // The model as read.
  Section(r, *this, "Noeuds [ mm ] :", NbNoeuds, LigneNoeud);
  Section(r, *this, "\xC9l\xE9ments :", Elements.Nombre, LigneElement);
  Section(r, *this, "Liaisons :", NbLiaisons, LigneLiaison);
  Section(r, *this, "Charges :", NbCharges, LigneCharge);

  // The results.
  Section(r, *this, "D\xE9placements nodaux [ mm ]:", NbNoeuds, LigneDeplacement,
          ColonnesDeplacements);
  Section(r, *this,
          "Contraintes [ MPa ] et d\xE9"
          "formations :",
          Elements.Nombre, LigneContraintes, ColonnesContraintes);
  Section(r, *this, "Actions de liaison [ N ]:", NbLiaisons, LigneReaction);
}
