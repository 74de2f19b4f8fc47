// Supports: a blocked equation has its row and column cleared and a unit
// diagonal, so the solution gives exactly zero there. The reaction starts at
// minus the external force at that equation, read before it is cleared.
#include "model/structure.hpp"

void TStructure::MiseEnPlaceLiaisons() {
  EcrireTexte(Resultats, "Mise en place des liaisons");
  FinDeLigne(Resultats);
  EcrireTexte(Resultats, "Initialisation des actions de liaison");
  FinDeLigne(Resultats);

  // Zero imposed displacement: the cleared column moves nothing to F.
  const auto BlocageDdl = [this](std::int32_t i) {
    for (int j = 1; j <= NbDdl; ++j) {
      K[j][i] = 0.0;  // column i
      K[i][j] = 0.0;  // row i
    }
    K[i][i] = 1.0;
    F[i] = 0.0;
  };

  for (int s = 1; s <= NbLiaisons; ++s) {
    TLiaison& liaison = LiaisonEn(s);
    std::int32_t a = 0;
    std::int32_t b = 0;
    DdlNoeud(liaison.Noeud, a, b);
    switch (liaison.TypeLiaison) {
      case 1:  // u = 0
        liaison.Rx = -F[a];
        BlocageDdl(a);
        break;
      case 2:  // v = 0
        liaison.Ry = -F[b];
        BlocageDdl(b);
        break;
      case 3:  // hinge: both reactions read before either equation is blocked
        liaison.Rx = -F[a];
        liaison.Ry = -F[b];
        BlocageDdl(a);
        BlocageDdl(b);
        break;
      default:  // blocks nothing
        break;
    }
  }
}
