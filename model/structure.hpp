// The one data model: nodes, elements, supports and loads of the finite
// element model, the global system K U = F and the results file. Every stage
// of the analysis is a method of TStructure; Calcul runs them in this order:
//   Lecture               model/lecture.cpp       data file into the model
//   VerificationModele    model/verification.cpp  references and materials
//   AssemblageRigidite    solver/assemblage.cpp   K from each element's Ke
//   AssemblageForces      solver/assemblage.cpp   F from the loads
//   MiseEnPlaceLiaisons   solver/liaisons.cpp     supports imposed on K and F
//   CalculDeplacements    solver/resolution.cpp   K U = F, U left in F
//   CalculActionsLiaison  solver/reactions.cpp    support reactions
//   EcritureResultats     report/rapport.cpp      the results report
//   EcritureDessin        report/dessin.cpp       the picture
// The element arithmetic (area, D, B, Ke, strains, stresses) is in
// element/triangle.*, the pipeline in app/calcul.cpp.
//
// Equations: node n owns 2n-1 (displacement along x) and 2n (along y); an
// element's six follow its vertex order, x then y of vertex 1, 2, 3.
// Units: mm, N, MPa; loads per volume in N/mm3, per length in N/mm.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/fichier_texte.hpp"
#include "model/tableau.hpp"

constexpr int NbMaxNoeuds = 100;
constexpr int NbMaxElements = 100;
constexpr int NbMaxLiaisons = 20;
constexpr int NbMaxCharges = 20;
constexpr int NbMaxDdl = 2 * NbMaxNoeuds;
constexpr int NbSommets = 3;
constexpr int NbDdlElement = 2 * NbSommets;

struct TPoint {
  double x = 0.0, y = 0.0;
};

// One three-node triangle; Sommets in the data file's order, which is the
// vertex order everywhere.
struct TElement {
  Tableau<std::int32_t, NbSommets> Sommets;
  double Epaisseur = 0.0;  // mm
  double E = 0.0;          // Young's modulus, MPa
  double Nu = 0.0;         // Poisson's ratio
};

// Support codes: 1 blocks x, 2 blocks y, 3 both (a hinge); others nothing.
struct TLiaison {
  std::uint8_t TypeLiaison = 0;
  std::int32_t Noeud = 0;
  double Rx = 0.0, Ry = 0.0;  // reactions along x and y, N
};

// Load types: 1 body force on element N1 (N/mm3); 2 distributed load on the
// segment N1-N2 (N/mm); others are read and ignored.
struct TCharge {
  std::uint8_t TypeCharge = 0;
  std::int32_t N1 = 0, N2 = 0;
  double Fx = 0.0, Fy = 0.0;
};

// A list owns the items in its positions 1..Nombre.
template <typename T, int Taille>
class TListe {
 public:
  virtual ~TListe() { Detruire(); }

  // Destroys the items in positions 1..Nombre, in ascending order.
  void Detruire() {
    for (int i = 1; i <= Nombre && i <= Taille; ++i) {
      Liste[i].reset();
    }
  }

  // Position of the first slot holding that very item, 0 when absent.
  std::int32_t Numero(const T* item) const {
    for (int i = 1; item != nullptr && i <= Nombre && i <= Taille; ++i) {
      if (Liste[i].get() == item) {
        return i;
      }
    }
    return 0;
  }

  std::int32_t Nombre = 0;
  Tableau<std::unique_ptr<T>, Taille> Liste;
};

using TElements = TListe<TElement, NbMaxElements>;
using TLiaisons = TListe<TLiaison, NbMaxLiaisons>;
using TCharges = TListe<TCharge, NbMaxCharges>;

class TStructure {
 public:
  virtual ~TStructure() = default;

  // A structure is large (K alone is 320 KB) and every page of K is written
  // by the analysis of a full model: its memory is mapped whole at once.
  static void* operator new(std::size_t taille);
  static void operator delete(void* adresse, std::size_t taille) noexcept;

  void Calcul();

  bool Lecture();
  bool VerificationModele();
  bool AssemblageRigidite();
  void AssemblageForces();
  void MiseEnPlaceLiaisons();
  bool CalculDeplacements();
  void CalculActionsLiaison();
  void EcritureResultats();
  void EcritureDessin();  // the picture beside the report, base name + "r.svg"

  // The element in position e (1..100); an empty slot is refused like an
  // index beyond the table.
  const TElement& ElementEn(std::int32_t e) const;
  // The same for the support in position s and the load in position k.
  TLiaison& LiaisonEn(std::int32_t s);
  const TLiaison& LiaisonEn(std::int32_t s) const;
  const TCharge& ChargeEn(std::int32_t k) const;

  void DdlNoeud(std::int32_t n, std::int32_t& premier, std::int32_t& second) const;
  // Equations of the element in position e, in its displacement order.
  void DdlElement(std::int32_t e, Tableau<std::int32_t, NbDdlElement>& d) const;

  // Last actions of a run: the lists are destroyed, then the results file, if
  // it was created, is closed and shown in the viewer. A failed close is a
  // run-time error, which is why this is not left to the destructor.
  void Terminer();
  // Releases what a run-time error left behind without any last action: the
  // results file keeps only what had been handed over, no viewer starts.
  void Abandonner() noexcept;

  std::string NomFichier;
  std::int32_t TypeProbleme = 0;  // 1 plane stress, 2 plane strain, 0 incomplete
  std::int32_t NbNoeuds = 0;
  std::int32_t NbLiaisons = 0;
  std::int32_t NbCharges = 0;
  std::int32_t NbDdl = 0;
  Tableau<TPoint, NbMaxNoeuds> Noeuds;
  TElements Elements;
  TLiaisons Liaisons;
  TCharges Charges;
  Tableau<Tableau<double, NbMaxDdl>, NbMaxDdl> K;
  Tableau<double, NbMaxDdl> F;
  TFichierTexte Resultats;
  bool ResultatsOuvert = false;
};

// The current structure, through which the element routines and the report
// reach the model.
inline TStructure* Structure = nullptr;
