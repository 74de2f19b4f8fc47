// Text output streams: every byte the program writes, on the console or into
// the results file, goes through one of these. Bytes are written unchanged
// (Windows-1252), lines end with CR LF, and a 128-byte buffer is handed over
// when full, on Vider and on closing; a failed write ends the run.
//
// A file keeps the bytes handed over in a store and gives them to the system
// in one call when the store is full, when the file is closed, and before the
// program does anything else that can be seen: the console takes a byte,
// another file is made, a run-time error is reported. The hundreds of
// hand-overs of a report cost a few system calls instead of one each, and
// nothing outside can tell: a refusal is met later, but before anything else
// shows, so the run ends on it as before and the file keeps the same bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// What a refused write or close does: Arret ends the run as a run-time error;
// Releve keeps the first refusal's error number, drops every later write and
// throws nothing, for a file whose failure must not end the run.
enum class TEchec { Arret, Releve };

class TFichierTexte {
 public:
  static constexpr int TailleTampon = 128;
  static constexpr int TailleDepot = 64 * TailleTampon;

  TFichierTexte() = default;
  TFichierTexte(const TFichierTexte&) = delete;
  TFichierTexte& operator=(const TFichierTexte&) = delete;
  // Closes the descriptor without handing over the buffer: only Fermer
  // finishes a file in order.
  ~TFichierTexte();

  void AssocierSortieStandard();
  // Creates the file, or empties it if it exists; false when the system
  // refuses (its error number is then in plateforme::DerniereErreur()). The
  // other files' bytes handed over reach the system first: a refusal of
  // theirs is their run-time error.
  bool Creer(const std::string& nom, TEchec echec = TEchec::Arret);
  // Hands over the buffer and closes; a failure is a run-time error, or with
  // TEchec::Releve kept in Erreur().
  void Fermer();
  // With TEchec::Releve, the error number of the first refusal; 0 when none.
  int Erreur() const { return erreur_; }
  // Closes without handing over the buffer, as the end of a process after a
  // run-time error does; used to release a structure in-process.
  void Abandonner() noexcept;

  bool EstOuvert() const { return mode_ != Mode::Ferme; }
  // Hands over the buffer as Vider does, but ignores a failure: used only on
  // the way out after a run-time error.
  void ViderSansErreur() noexcept;

  // Gives the system what every file has handed over and still holds: 0, or
  // the error number of the first refusal. Safe in a signal handler.
  static int EcrireTousRemis() noexcept;
  // The same, a refusal being the run-time error it would have been when the
  // bytes were handed over. Called before the program shows anything else.
  static void Synchroniser();

  friend void EcrireTexte(TFichierTexte& fichier, std::string_view texte, int largeur);
  friend void EcrireCaractere(TFichierTexte& fichier, char caractere);
  friend void FinDeLigne(TFichierTexte& fichier);
  friend void Vider(TFichierTexte& fichier);

 private:
  enum class Mode { Ferme, Sortie };

  void VerifierSortie() const;
  void Ajouter(std::string_view octets);
  void AjouterBlancs(int nombre);
  // Hands the buffer over: a file keeps it in its store, the console writes it.
  void Transmettre();
  // Writes the bytes handed over; the buffer's bytes move to the front.
  int EcrireRemis() noexcept;
  void Inscrire();
  void Desinscrire() noexcept;
  // A refusal: thrown as a run-time error, or kept with TEchec::Releve.
  void Refuser(int code);

  Mode mode_ = Mode::Ferme;
  int descripteur_ = -1;
  bool proprietaire_ = false;  // the console's descriptor is not ours to close
  bool terminal_ = false;
  bool differe_ = false;  // a file: hand-overs wait in the store
  bool releve_ = false;   // TEchec::Releve
  int erreur_ = 0;
  // octets_[0, remis_) handed over, octets_[remis_, nombre_) the buffer.
  int remis_ = 0;
  int nombre_ = 0;
  char octets_[TailleDepot] = {};
  TFichierTexte* suivant_ = nullptr;  // the next file with a store
  static TFichierTexte* premierDiffere_;
};

// The program's standard output stream.
TFichierTexte& Console();

// A width of 0 means no width: blanks fill the field on the left, and a longer
// text or number is written whole.
void EcrireTexte(TFichierTexte& fichier, std::string_view texte, int largeur = 0);
void EcrireCaractere(TFichierTexte& fichier, char caractere);
void EcrireEntier(TFichierTexte& fichier, std::int32_t valeur, int largeur = 0);
// Room for any 64-bit count written with its decimals, point and sign.
using TTexteDecimal = std::array<char, 24>;
// `unites` with its last `decimales` digits (0 to 9) after the point, at
// least one digit before it, and "-" first when `negatif`; the text ends the
// buffer.
std::string_view TexteDecimal(TTexteDecimal& tampon, std::uint64_t unites, int decimales,
                              bool negatif);

// With decimals (>= 0), the fixed form in the given width; without, the
// scientific form, in 23 characters when no width is given either.
void EcrireReel(TFichierTexte& fichier, double valeur, int largeur = 0, int decimales = -1);
void FinDeLigne(TFichierTexte& fichier);
void Vider(TFichierTexte& fichier);
