// Checks of the model before any analysis: every node and element reference,
// and the materials whose elasticity matrix would be singular. Each fault is
// one line of the results file, "<item> : <fault>".
#include <string>

#include "app/fichier_texte.hpp"
#include "model/structure.hpp"

namespace {

// "noeud 7 inexistant (noeuds 1 à 4)", or "... (aucun noeud)" when the count
// leaves none to refer to; empty when the number is within 1..nombre.
std::string Inexistant(const std::string& quoi, std::int32_t numero, std::int32_t nombre,
                       const char* pluriel, const char* aucun) {
  if (numero >= 1 && numero <= nombre) {
    return "";
  }
  const std::string plage = nombre < 1 ? aucun : pluriel + (" 1 \xE0 " + std::to_string(nombre));
  return quoi + std::to_string(numero) + " inexistant (" + plage + ")";
}

std::string NoeudInexistant(const std::string& role, std::int32_t noeud, std::int32_t nbNoeuds) {
  return Inexistant(role + "noeud ", noeud, nbNoeuds, "noeuds", "aucun noeud");
}

// The values of nu that zero a denominator of the elasticity matrix; they are
// exact, so they are written exactly. Only plane stress (1) and plane strain
// (2) have divisions to guard: any other type gives a zero matrix.
std::string PoissonImpossible(std::int32_t typeProbleme, double nu) {
  const bool singulier = nu == 1.0 || nu == -1.0 || (typeProbleme == 2 && nu == 0.5);
  if (!singulier || (typeProbleme != 1 && typeProbleme != 2)) {
    return "";
  }
  return std::string("coefficient de Poisson ") +
         (nu == 0.5   ? "0.5"
          : nu == 1.0 ? "1"
                      : "-1") +
         " impossible en " +
         (typeProbleme == 1 ? "contraintes planes"
                            : "d\xE9"
                              "formations planes") +
         " (matrice d'\xE9lasticit\xE9 singuli\xE8re)";
}

}  // namespace

bool TStructure::VerificationModele() {
  int nombre = 0;
  const auto Signaler = [&](const std::string& item, const std::string& defaut) {
    if (!defaut.empty()) {
      EcrireTexte(Resultats, item + " : " + defaut);
      FinDeLigne(Resultats);
      ++nombre;
    }
  };

  for (int i = 1; i <= Elements.Nombre; ++i) {
    const TElement& element = ElementEn(i);
    const std::string item = "\xC9l\xE9ment " + std::to_string(i);
    for (int j = 1; j <= NbSommets; ++j) {
      Signaler(item,
               NoeudInexistant("sommet " + std::to_string(j) + ", ", element.Sommets[j], NbNoeuds));
    }
    Signaler(item, PoissonImpossible(TypeProbleme, element.Nu));
    // The out-of-plane strain of plane stress divides by E.
    if (TypeProbleme == 1 && element.E == 0.0) {
      Signaler(item, "module d'Young nul, impossible en contraintes planes");
    }
  }

  for (int k = 1; k <= NbLiaisons; ++k) {
    Signaler("Liaison " + std::to_string(k), NoeudInexistant("", LiaisonEn(k).Noeud, NbNoeuds));
  }

  // Only types 1 and 2 are used by the analysis; the others are ignored.
  for (int k = 1; k <= NbCharges; ++k) {
    const TCharge& charge = ChargeEn(k);
    const std::string item = "Charge " + std::to_string(k);
    if (charge.TypeCharge == 1) {
      Signaler(item, Inexistant("\xE9l\xE9ment ", charge.N1, Elements.Nombre, "\xE9l\xE9ments",
                                "aucun \xE9l\xE9ment"));
    } else if (charge.TypeCharge == 2) {
      Signaler(item, NoeudInexistant("premier ", charge.N1, NbNoeuds));
      Signaler(item, NoeudInexistant("second ", charge.N2, NbNoeuds));
    }
  }

  return nombre == 0;
}
