// Support reactions R = K U - F at the blocked equations. K is no longer the
// assembled matrix, so the element matrices are formed again and their forces
// at the support's node added to the start values the supports left.
#include "element/triangle.hpp"
#include "model/structure.hpp"

void TStructure::CalculActionsLiaison() {
  EcrireTexte(Resultats, "Calcul des actions de liaison");
  FinDeLigne(Resultats);

  for (int s = 1; s <= NbLiaisons; ++s) {
    TLiaison& liaison = LiaisonEn(s);
    const std::int32_t noeud = liaison.Noeud;
    for (int e = 1; e <= Elements.Nombre; ++e) {
      const TElement& element = ElementEn(e);
      for (int g = 1; g <= NbSommets; ++g) {
        if (element.Sommets[g] != noeud) {
          continue;
        }
        Tableau<std::int32_t, NbDdlElement> d;
        DdlElement(e, d);
        Tableau<double, NbDdlElement> ue;
        for (int q = 1; q <= NbDdlElement; ++q) {
          ue[q] = F[d[q]];
        }
        // Every element passed the assembly: it is accepted again.
        TMatrice66 ke;
        RigiditeElement(element, ke);
        // Both components, whatever the code: a free one is not printed.
        for (int q = 1; q <= NbDdlElement; ++q) {
          liaison.Rx = liaison.Rx + ke[2 * g - 1][q] * ue[q];
        }
        for (int q = 1; q <= NbDdlElement; ++q) {
          liaison.Ry = liaison.Ry + ke[2 * g][q] * ue[q];
        }
      }
    }
  }
}
