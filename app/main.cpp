// elasplan: plane elasticity by constant-strain triangles, from a data file
// named at the prompt to a results report beside it.
#include <new>

#include "app/erreurs.hpp"
#include "app/plateforme.hpp"
#include "app/programme.hpp"

int main() {
  plateforme::PreparerFluxStandard();
  plateforme::ActiverExceptionsFlottantes();
  try {
    Programme();
  } catch (const ErreurExecution& erreur) {
    TerminerSurErreur(erreur);
  } catch (const std::bad_alloc&) {
    // Reported without allocating anything more.
    TerminerSurErreurImmediate(TypeErreur::ManqueMemoire);
  }
  plateforme::RendreConsole();
  return 0;
}
