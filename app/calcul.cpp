// The analysis pipeline: the stages in their fixed order. A stage that fails
// has already written its message into the results file; Calcul only stops.
#include "model/structure.hpp"

void TStructure::Calcul() {
  if (!Lecture()) {
    return;
  }
  if (TypeProbleme == 0) {
    return;
  }
  if (!VerificationModele()) {
    return;
  }
  if (!AssemblageRigidite()) {
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
