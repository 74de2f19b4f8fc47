// Text input on the data file: free-format numbers found across line ends,
// whole lines and line skips. Blanks are the codes 0 to 32; the end of the
// file, or a Ctrl-Z (26), reads as 0. A number token is cut at 32 characters
// for an integer and 64 for a real, and its rest is read as the next number.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Integer syntax: optional sign, then decimal digits within the 32-bit range,
// or a hexadecimal pattern of 1 to 8 digits after "$", "x", "X", "0x" or "0X",
// taken as 32 bits in two's complement and then negated after a "-" (so
// "-$80000000" wraps back to -2147483648). False when the text is not one.
bool ConvertirEntier(std::string_view texte, std::int32_t& valeur);

// Real syntax: optional sign, digits, optionally "." and digits (at least one
// digit in all), optionally "E" or "e", an optional sign and digits. The value
// is converted in extended precision, then rounded to a double; one beyond
// the double range throws "Floating point overflow", one below it underflows
// as it rounds. False when the text is not a real.
bool ConvertirReel(std::string_view texte, double& valeur);

class TTexteEntree {
 public:
  static constexpr int TailleTampon = 4096;  // a few reads for a whole model
  static constexpr int LongueurMaxEntier = 32;
  static constexpr int LongueurMaxReel = 64;
  static constexpr int CtrlZ = 26;

  TTexteEntree() = default;
  TTexteEntree(const TTexteEntree&) = delete;
  TTexteEntree& operator=(const TTexteEntree&) = delete;
  ~TTexteEntree();

  // Opens the file, once: 0, or the system's error number (EISDIR for a
  // directory, which the system would let us open).
  int Ouvrir(const std::string& nom);
  // A failed close is a run-time input/output error.
  void Fermer();

  // True when no character is left or the next one is Ctrl-Z.
  bool FinDeFichier();
  // Errors raised here name the file, the line and the token read.
  std::int32_t LireEntier();
  double LireReel();
  // Up to and including the next LF; stops at the end of the file.
  void SauterLigne();
  // The characters before the next LF, every CR left out; the LF stays.
  void LireLigne(std::string& ligne);

  // "plaque.txt, ligne 14 : "0,3"": the last number token read (empty when
  // the end of the file gave 0) and its line, for the errors it causes.
  std::string ContexteJeton() const;

 private:
  // The next byte (0..255), or -1 at the end of the file or on a Ctrl-Z,
  // which is never read past; a failed read is a run-time input/output error.
  int Regarder();
  void Avancer();
  // Skips blanks and takes the token; false at the end of the file.
  bool LireJeton(int longueurMax);
  std::string_view Jeton() const { return std::string_view(jeton_, longueurJeton_); }

  std::string nom_;
  int descripteur_ = -1;
  int position_ = 0;
  int nombre_ = 0;
  bool fin_ = false;
  std::int64_t ligne_ = 1;  // of the next character; more than an int may count
  char tampon_[TailleTampon] = {};
  char jeton_[LongueurMaxReel] = {};
  std::size_t longueurJeton_ = 0;
  std::int64_t ligneJeton_ = 0;
};
