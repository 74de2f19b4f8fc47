// Global stiffness matrix and force vector. Each element's Ke is added term by
// term at its six equations (2n-1, 2n of each vertex); loads become nodal forces
// along the global axes: a third of a body force's resultant on each vertex,
// half of an edge load's on each end node.
#include <algorithm>
#include <cmath>
#include <span>

#include "element/triangle.hpp"
#include "model/entier.hpp"
#include "model/structure.hpp"

bool TStructure::AssemblageRigidite() {
  EcrireTexte(Resultats, "Assemblage de la matrice de rigidit\xE9");
  FinDeLigne(Resultats);

  NbDdl = entier::Fois(2, NbNoeuds);
  // Only the active block: the rest of K is never read. Each row's span is
  // bounds checked once, then cleared as one block of stores.
  for (int i = 1; i <= NbDdl; ++i) {
    const std::span<double> ligne = K[i].Tranche(1, NbDdl);
    std::fill(ligne.begin(), ligne.end(), 0.0);
  }

  for (int e = 1; e <= Elements.Nombre; ++e) {
    TMatrice66 ke;
    if (!RigiditeElement(ElementEn(e), ke)) {
      return false;
    }
    Tableau<std::int32_t, NbDdlElement> d;
    DdlElement(e, d);
    // All 36 terms, zeros included.
    for (int p = 1; p <= NbDdlElement; ++p) {
      for (int q = 1; q <= NbDdlElement; ++q) {
        K[d[p]][d[q]] = K[d[p]][d[q]] + ke[p][q];
      }
    }
  }
  return true;
}

void TStructure::AssemblageForces() {
  EcrireTexte(Resultats, "Assemblage du vecteur force global");
  FinDeLigne(Resultats);

  const std::span<double> forces = F.Tranche(1, NbDdl);
  std::fill(forces.begin(), forces.end(), 0.0);

  for (int k = 1; k <= NbCharges; ++k) {
    const TCharge& charge = ChargeEn(k);
    switch (charge.TypeCharge) {
      case 1: {  // body force, N/mm3, on element N1
        // W / 6 = a third of the element's volume.
        const double tiers = DeuxFoisVolume(ElementEn(charge.N1)) / 6.0;
        const double px = tiers * charge.Fx;
        const double py = tiers * charge.Fy;
        Tableau<std::int32_t, NbDdlElement> d;
        DdlElement(charge.N1, d);
        for (int g = 1; g <= NbSommets; ++g) {
          F[d[2 * g - 1]] = F[d[2 * g - 1]] + px;
          F[d[2 * g]] = F[d[2 * g]] + py;
        }
        break;
      }
      case 2: {  // load per length, N/mm, on the segment N1-N2
        const TPoint& a = Noeuds[charge.N1];
        const TPoint& b = Noeuds[charge.N2];
        const double longueur = std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y));
        const double px = charge.Fx * longueur * 0.5;
        const double py = charge.Fy * longueur * 0.5;
        for (const std::int32_t noeud : {charge.N1, charge.N2}) {
          std::int32_t i = 0;
          std::int32_t j = 0;
          DdlNoeud(noeud, i, j);
          F[i] = F[i] + px;
          F[j] = F[j] + py;
        }
        break;
      }
      default:  // read, but no load
        break;
    }
  }
}
