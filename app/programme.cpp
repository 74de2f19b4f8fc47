// Entry point logic: banner, one structure, Calcul, destruction.
#include "app/programme.hpp"

#include "app/fichier_texte.hpp"
#include "model/structure.hpp"

namespace {

void Banniere() {
  TFichierTexte& console = Console();
  FinDeLigne(console);
  EcrireTexte(console, "  R\xE9solution d'un probl\xE8me d'\xE9lasticit\xE9 plane");
  FinDeLigne(console);
  EcrireTexte(console, "      par la m\xE9thode des \xE9l\xE9ments finis");
  FinDeLigne(console);
  FinDeLigne(console);
  EcrireTexte(console, " elasplan " ELASPLAN_VERSION
                       ", \xE9lasticit\xE9 plane par triangles \xE0 d\xE9"
                       "formation constante");
  FinDeLigne(console);
  FinDeLigne(console);
}

}  // namespace

void Programme() {
  Console().AssocierSortieStandard();
  Banniere();
  Structure = new TStructure;
  Structure->Calcul();
  Structure->Terminer();
  delete Structure;
  Structure = nullptr;
  Vider(Console());
}
