// Text output streams: every byte the program writes, on the console or into
// a file (the results, the picture), goes through one of these, unchanged.
//
// The one buffer rule. Bytes collect in a buffer of 128, handed over when it
// is full, on Vider and on Fermer (and on FinDeLigne when the console is a
// terminal). The console writes what it is handed at once. A file keeps it in
// a store of 8 KiB, written when full, on Fermer, and before anything else of
// the run can be seen: before the console takes a byte, another file is
// created or a line goes to standard error. A report thus costs a few system
// calls, and nothing outside can tell: a refusal, met later but before
// anything else shows, ends the run all the same with the file holding
// exactly the bytes handed over. After a run-time error each file keeps what
// it was handed; the buffers are lost, as at the end of a process.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// What a refused write or close does: Arret, the run-time error; Releve, the
// first refusal's error number is kept (Erreur()), later writes are dropped
// and nothing throws.
enum class TEchec { Arret, Releve };

class TFichierTexte {
 public:
  static constexpr int TailleTampon = 128;

  TFichierTexte() = default;
  TFichierTexte(const TFichierTexte&) = delete;
  TFichierTexte& operator=(const TFichierTexte&) = delete;
  ~TFichierTexte() { Abandonner(); }

  void AssocierSortieStandard();
  // Creates or empties the file once the other files' stores are written (a
  // refusal of theirs is thrown here). False when the system refuses, its
  // error number in plateforme::DerniereErreur().
  bool Creer(const std::string& nom, TEchec echec = TEchec::Arret);
  // Hands over the buffer and closes.
  void Fermer();
  // Closes as the end of a process after a run-time error does: what was
  // handed over is written, the buffer is lost. Used to release in-process.
  void Abandonner() noexcept;
  // Under TEchec::Releve, the error number of the first refusal; else 0.
  int Erreur() const { return erreur_; }

  // Writes every file's store: what an outsider sees of the files from now.
  static void Synchroniser();
  // The files' stores, then the console's buffer, go to the system as at the
  // end of a process. Returns the error number of the first refusal of a
  // file's stored bytes under TEchec::Arret (a run-time error met before the
  // one now ending the run), else 0. Safe in a signal handler.
  static int EcrireEnAttente() noexcept;

  friend void EcrireTexte(TFichierTexte& fichier, std::string_view texte, int largeur);
  friend void FinDeLigne(TFichierTexte& fichier);
  friend void Vider(TFichierTexte& fichier);

 private:
  static constexpr int TailleStock = 64 * TailleTampon;

  void Ouvrir(int descripteur, bool fichier, TEchec echec);
  // Before an operation: false on a closed stream; the files' stores are
  // written before the console takes anything.
  bool Preparer(int codeSiFerme);
  void Ajouter(std::string_view octets);
  void Transmettre();
  // Writes the store; the buffer's bytes move to the front. What the system
  // accepted before a refusal stays written, the rest is dropped.
  int EcrireStock() noexcept;
  // Leaves the list of files and closes: 0, or the error number of the close.
  int Clore() noexcept;
  // Under TEchec::Releve, drops whatever is pending.
  void Echouer(int code);

  int descripteur_ = -1;
  bool fichier_ = false;  // a file of ours (stored, closed by us), not the console
  bool terminal_ = false;
  TEchec echec_ = TEchec::Arret;
  int erreur_ = 0;
  // octets_[0, remis_) handed over, octets_[remis_, nombre_) the buffer.
  int remis_ = 0;
  int nombre_ = 0;
  char octets_[TailleStock] = {};
  TFichierTexte* suivant_ = nullptr;  // the open files, for the rule above
  static TFichierTexte* premier_;
};

TFichierTexte& Console();  // standard output

// A width of 0 is none: blanks fill the field on the left, and a longer text
// or number is written whole.
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
// scientific form, in 23 characters when no width is given either. The digits
// are the exact stored value's, rounded half away from zero.
void EcrireReel(TFichierTexte& fichier, double valeur, int largeur = 0, int decimales = -1);
// The same by the exact-digit route alone, which EcrireReel takes only where
// its integer route cannot: for the tests that compare the two.
void EcrireReelExact(TFichierTexte& fichier, double valeur, int largeur = 0, int decimales = -1);
void FinDeLigne(TFichierTexte& fichier);
void Vider(TFichierTexte& fichier);
