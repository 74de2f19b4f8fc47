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

// A heading of the report: its line, then a blank line.
void Titre(TFichierTexte& r, std::string_view titre) {
  EcrireTexte(r, titre);
  FinDeLigne(r);
  FinDeLigne(r);
}

// One reaction component, rounded to whole newtons.
void Reaction(TFichierTexte& r, std::string_view nom, double valeur) {
  EcrireTexte(r, nom);
  EcrireReel(r, valeur, 5, 0);
}

// A code that blocks nothing still gets its line, in the support list and
// among the reactions, naming the code so that the user sees why.
void CodeInconnu(TFichierTexte& r, std::uint8_t code, const char* avant, const char* apres) {
  EcrireTexte(r, avant);
  EcrireEntier(r, code);
  EcrireTexte(r, apres);
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

  Titre(r, "Noeuds [ mm ] :");
  for (int i = 1; i <= NbNoeuds; ++i) {
    const TPoint& noeud = Noeuds[i];
    EcrireEntier(r, i, 3);
    EcrireTexte(r, "  x = ");
    EcrireReel(r, noeud.x, 8, 3);
    EcrireTexte(r, "  y = ");
    EcrireReel(r, noeud.y, 8, 3);
    FinDeLigne(r);
  }
  FinDeLigne(r);

  Titre(r, "\xC9l\xE9ments :");
  for (int j = 1; j <= Elements.Nombre; ++j) {
    const TElement& element = ElementEn(j);
    EcrireEntier(r, j, 4);
    EcrireTexte(r, "  Noeuds = ( ");
    Vider(r);
    for (int s = 1; s <= NbSommets; ++s) {
      EcrireEntier(r, element.Sommets[s]);
      EcrireCaractere(r, ' ');
      Vider(r);
    }
    EcrireTexte(r, ")  E = ");
    EcrireReel(r, element.E, 6, 0);
    EcrireTexte(r, " MPa  Nu = ");
    EcrireReel(r, element.Nu, 4, 2);
    EcrireTexte(r, "  \xC9paisseur = ");
    EcrireReel(r, element.Epaisseur, 5, 2);
    EcrireTexte(r, " mm");
    FinDeLigne(r);
  }
  FinDeLigne(r);

  Titre(r, "Liaisons :");
  for (int k = 1; k <= NbLiaisons; ++k) {
    const TLiaison& liaison = LiaisonEn(k);
    EcrireTexte(r, "noeud ");
    EcrireEntier(r, liaison.Noeud, 2);
    Vider(r);
    switch (liaison.TypeLiaison) {
      case 1:
        EcrireTexte(r, "   u = 0");
        break;
      case 2:
        EcrireTexte(r, "   v = 0");
        break;
      case 3:
        EcrireTexte(r, "   Rotule");
        break;
      default:
        CodeInconnu(r, liaison.TypeLiaison, "   code ", " : aucun blocage");
        break;
    }
    FinDeLigne(r);
  }
  FinDeLigne(r);

  Titre(r, "Charges :");
  for (int k = 1; k <= NbCharges; ++k) {
    const TCharge& charge = ChargeEn(k);
    switch (charge.TypeCharge) {
      case 1:
        EcrireTexte(r, "\xE9l\xE9ment");
        EcrireEntier(r, charge.N1, 3);
        Vider(r);
        EcrireTexte(r, " : Fx = ");
        EcrireReel(r, charge.Fx, 6, 2);
        EcrireTexte(r, "   Fy = ");
        EcrireReel(r, charge.Fy, 6, 2);
        EcrireTexte(r, " N/mm3");
        FinDeLigne(r);
        break;
      case 2:
        EcrireTexte(r, "noeuds ( ");
        EcrireEntier(r, charge.N1);
        EcrireCaractere(r, ' ');
        EcrireEntier(r, charge.N2);
        EcrireTexte(r, " ) ");
        Vider(r);
        EcrireTexte(r, " fx = ");
        EcrireReel(r, charge.Fx, 6, 2);
        EcrireTexte(r, "   fy = ");
        EcrireReel(r, charge.Fy, 6, 2);
        EcrireTexte(r, " N/mm");
        FinDeLigne(r);
        break;
      default:
        // Ignored by every stage, so not reported either.
        break;
    }
  }
  FinDeLigne(r);

  Titre(r, "D\xE9placements nodaux [ mm ]:");
  EcrireTexte(r, "Noeud");
  EcrireTexte(r, "Ux", 8);
  EcrireTexte(r, "Uy", 9);
  FinDeLigne(r);
  FinDeLigne(r);
  for (int i = 1; i <= NbNoeuds; ++i) {
    std::int32_t ddlx = 0;
    std::int32_t ddly = 0;
    DdlNoeud(i, ddlx, ddly);
    EcrireEntier(r, i, 4);
    EcrireCaractere(r, ' ');
    EcrireReel(r, F[ddlx], 10, 6);
    EcrireCaractere(r, ' ');
    EcrireReel(r, F[ddly], 10, 6);
    FinDeLigne(r);
  }
  FinDeLigne(r);

  Titre(r,
        "Contraintes [ MPa ] et d\xE9"
        "formations :");
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
  FinDeLigne(r);
  FinDeLigne(r);
  for (int k = 1; k <= Elements.Nombre; ++k) {
    // The record holds the strains first; the line gives the stresses first.
    TContraintesDeformations cd;
    ContraintesElement(ElementEn(k), cd);
    EcrireEntier(r, k, 4);
    EcrireReel(r, cd.sxx, 9, 2);
    EcrireReel(r, cd.syy, 8, 2);
    EcrireReel(r, cd.sxy, 8, 2);
    EcrireReel(r, cd.szz, 8, 2);
    Vider(r);
    EcrireReel(r, cd.exx, 10, 6);
    EcrireReel(r, cd.eyy, 10, 6);
    EcrireReel(r, cd.gxy, 10, 6);
    EcrireReel(r, cd.ezz, 10, 6);
    FinDeLigne(r);
  }
  FinDeLigne(r);

  // Only the blocked directions carry a reaction: a free component holds the
  // element forces there and is not printed.
  Titre(r, "Actions de liaison [ N ]:");
  for (int k = 1; k <= NbLiaisons; ++k) {
    const TLiaison& liaison = LiaisonEn(k);
    EcrireTexte(r, "noeud ");
    EcrireEntier(r, liaison.Noeud);
    EcrireTexte(r, " : ");
    Vider(r);
    switch (liaison.TypeLiaison) {
      case 1:
        Reaction(r, "Rx = ", liaison.Rx);
        break;
      case 2:
        Reaction(r, "Ry = ", liaison.Ry);
        break;
      case 3:
        Reaction(r, "Rx = ", liaison.Rx);
        Reaction(r, "  Ry = ", liaison.Ry);
        break;
      default:
        CodeInconnu(r, liaison.TypeLiaison, "aucune action (code ", ")");
        break;
    }
    FinDeLigne(r);
  }
  FinDeLigne(r);
}
