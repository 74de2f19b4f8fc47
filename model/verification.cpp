// Checks of the model before any analysis: counts, problem type, every node
// and element reference, and the materials whose elasticity matrix would be
// singular. Each fault is one line of the results file naming the item.
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

void VerifierCompte(TDefauts& defauts, std::int32_t nombre, const char* quoi, const char* motCle) {
  if (nombre < 0) {
    defauts.Signaler(std::string("Nombre ") + quoi + " n\xE9gatif dans \"" + motCle +
                     "\" : " + Texte(nombre));
  }
}

// "<item> : <role>noeud 7 inexistant (noeuds 1 à 4)"; nothing is said when
// the node count itself is refused.
void VerifierNoeud(TDefauts& defauts, const std::string& item, const char* role, std::int32_t noeud,
                   std::int32_t nbNoeuds) {
  if (nbNoeuds > 0 && (noeud < 1 || noeud > nbNoeuds)) {
    defauts.Signaler(item + " : " + role + "noeud " + Texte(noeud) + " inexistant (noeuds 1 \xE0 " +
                     Texte(nbNoeuds) + ")");
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

  VerifierCompte(defauts, NbNoeuds, "de noeuds", "$noe");
  VerifierCompte(defauts, Elements.Nombre, "d'\xE9l\xE9ments", "$ele");
  VerifierCompte(defauts, NbLiaisons, "de liaisons", "$lia");
  VerifierCompte(defauts, NbCharges, "de charges", "$cha");

  // Any other type would give a zero elasticity matrix, and the analysis
  // would only stop on a zero pivot.
  const bool typeConnu = TypeProbleme == 1 || TypeProbleme == 2;
  if (!typeConnu) {
    defauts.Signaler("Type de probl\xE8me " + Texte(TypeProbleme) +
                     " inconnu dans \"$pro\" : 1 (contraintes planes) ou 2 (" +
                     kDeformationsPlanes + ") attendu");
  }

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
      if (Elements.Nombre > 0 && (charge.N1 < 1 || charge.N1 > Elements.Nombre)) {
        defauts.Signaler(item + " : \xE9l\xE9ment " + Texte(charge.N1) +
                         " inexistant (\xE9l\xE9ments 1 \xE0 " + Texte(Elements.Nombre) + ")");
      }
    } else if (charge.TypeCharge == 2) {
      VerifierNoeud(defauts, item, "premier ", charge.N1, NbNoeuds);
      VerifierNoeud(defauts, item, "second ", charge.N2, NbNoeuds);
    }
  }

  return defauts.Nombre() == 0;
}
