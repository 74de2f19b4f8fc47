// The analysis pipeline: the stages in their fixed order. A stage that fails
// has already written its message into the results file; Calcul only stops.
#include "model/structure.hpp"

void TStructure::Calcul() {
  // TypeProbleme 0: the data are incomplete, and the reader has said so.
  if (!Lecture() || TypeProbleme == 0 || !VerificationModele() || !AssemblageRigidite()) {
    return;
  }
  AssemblageForces();
  MiseEnPlaceLiaisons();
  if (!CalculDeplacements()) {
    return;
  }
  CalculActionsLiaison();
  EcritureResultats();
  EcritureDessin();
}
