// Checks of the model before any analysis: every node and element reference,
// and the materials whose elasticity matrix would be singular. Each fault is
// one line of the results file naming the item.
#include <string>

#include "app/fichier_texte.hpp"
#include "model/structure.hpp"

namespace {

constexpr char kContraintesPlanes[] = "contraintes planes";
constexpr char kDeformationsPlanes[] =
    "d\xE9"
    "formations planes";

class TDefauts {
 public:
  explicit TDefauts(TFichierTexte& resultats) : resultats_(resultats) {}

  void Signaler(const std::string& ligne) {
    EcrireTexte(resultats_, ligne);
    FinDeLigne(resultats_);
    ++nombre_;
  }
  int Nombre() const { return nombre_; }

 private:
  TFichierTexte& resultats_;
  int nombre_ = 0;
};

std::string Texte(std::int32_t valeur) {
  return std::to_string(valeur);
}

// "noeuds 1 à 4", or "aucun noeud" when the count leaves none to refer to.
std::string Plage(std::int32_t nombre, const char* pluriel, const char* aucun) {
  return nombre < 1 ? std::string(aucun) : std::string(pluriel) + " 1 \xE0 " + Texte(nombre);
}

// "<item> : <role>noeud 7 inexistant (noeuds 1 à 4)".
void VerifierNoeud(TDefauts& defauts, const std::string& item, const char* role, std::int32_t noeud,
                   std::int32_t nbNoeuds) {
  if (noeud < 1 || noeud > nbNoeuds) {
    defauts.Signaler(item + " : " + role + "noeud " + Texte(noeud) + " inexistant (" +
                     Plage(nbNoeuds, "noeuds", "aucun noeud") + ")");
  }
}

// The values that zero a denominator of the elasticity matrix are exact, so
// they are written exactly.
const char* TexteNu(double nu) {
  if (nu == 0.5) {
    return "0.5";
  }
  return nu == 1.0 ? "1" : "-1";
}

void VerifierMateriau(TDefauts& defauts, std::int32_t typeProbleme, const std::string& item,
                      const TElement& element) {
  const bool singulier = typeProbleme == 1
                             ? element.Nu == 1.0 || element.Nu == -1.0
                             : element.Nu == 0.5 || element.Nu == 1.0 || element.Nu == -1.0;
  const char* probleme = typeProbleme == 1 ? kContraintesPlanes : kDeformationsPlanes;
  if (singulier) {
    defauts.Signaler(item + " : coefficient de Poisson " + TexteNu(element.Nu) + " impossible en " +
                     probleme + " (matrice d'\xE9lasticit\xE9 singuli\xE8re)");
  }
  // The out-of-plane strain of plane stress divides by E.
  if (typeProbleme == 1 && element.E == 0.0) {
    defauts.Signaler(item + " : module d'Young nul, impossible en " + probleme);
  }
}

}  // namespace

bool TStructure::VerificationModele() {
  TDefauts defauts(Resultats);

  // Only plane stress and plane strain have divisions to guard: any other
  // type gives a zero elasticity matrix.
  const bool typeConnu = TypeProbleme == 1 || TypeProbleme == 2;

  for (int i = 1; i <= Elements.Nombre; ++i) {
    const TElement& element = ElementEn(i);
    const std::string item = "\xC9l\xE9ment " + Texte(i);
    for (int j = 1; j <= NbSommets; ++j) {
      const std::string role = "sommet " + Texte(j) + ", ";
      VerifierNoeud(defauts, item, role.c_str(), element.Sommets[j], NbNoeuds);
    }
    if (typeConnu) {
      VerifierMateriau(defauts, TypeProbleme, item, element);
    }
  }

  for (int k = 1; k <= NbLiaisons; ++k) {
    const TLiaison& liaison = *Liaisons.Liste[k];
    VerifierNoeud(defauts, "Liaison " + Texte(k), "", liaison.Noeud, NbNoeuds);
  }

  // Only types 1 and 2 are used by the analysis; the others are ignored.
  for (int k = 1; k <= NbCharges; ++k) {
    const TCharge& charge = *Charges.Liste[k];
    const std::string item = "Charge " + Texte(k);
    if (charge.TypeCharge == 1) {
      if (charge.N1 < 1 || charge.N1 > Elements.Nombre) {
        defauts.Signaler(item + " : \xE9l\xE9ment " + Texte(charge.N1) + " inexistant (" +
                         Plage(Elements.Nombre, "\xE9l\xE9ments", "aucun \xE9l\xE9ment") + ")");
      }
    } else if (charge.TypeCharge == 2) {
      VerifierNoeud(defauts, item, "premier ", charge.N1, NbNoeuds);
      VerifierNoeud(defauts, item, "second ", charge.N2, NbNoeuds);
    }
  }

  return defauts.Nombre() == 0;
}
