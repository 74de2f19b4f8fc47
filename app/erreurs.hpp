// Run-time errors: the faults of the data or of the system that end a run at
// once (a malformed number, an index beyond a table, an overflow, a failed
// read or write). They travel as one exception that only the entry point
// catches, so a test or a fuzz target can run the whole program in-process.
#pragma once

#include <exception>
#include <string>
#include <string_view>

enum class TypeErreur {
  EntreeNumeriqueInvalide,     // "Invalid numeric input"
  VerificationIntervalle,      // "Range check error"
  DepassementEntier,           // "Integer overflow"
  DivisionFlottanteParZero,    // "Floating point division by zero"
  DepassementFlottant,         // "Floating point overflow"
  OperationFlottanteInvalide,  // "Invalid floating point operation"
  EntreeSortie,                // "Disk full", "File access denied", "I/O error N"
  ManqueMemoire,               // "Out of memory": an allocation refused
  FichierInaccessible,         // data or results file refused: its French line alone
};

// Codes of the text streams themselves, beside the operating system's.
constexpr int CodeFichierNonOuvert = 103;
constexpr int CodeFichierNonOuvertEnEcriture = 105;

class ErreurExecution : public std::exception {
 public:
  // For EntreeSortie, `code` is the operating system's error number or one of
  // the codes above; it is ignored for the other types. For
  // FichierInaccessible, `contexte` is the whole French message.
  explicit ErreurExecution(TypeErreur type, std::string contexte = {}, int code = 0);

  TypeErreur Type() const { return type_; }
  // Where the fault was met, in French (which table and index, which file,
  // line and value); empty when unknown.
  const std::string& Contexte() const { return contexte_; }
  void AjouterContexte(const std::string& contexte);

  // The specified message, such as "Range check error".
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  TypeErreur type_;
  std::string contexte_;
  std::string message_;
};

// The line written on standard error, without its line end:
// "Erreur d'exécution : <message>" and, when known, " (<contexte>)"; for
// FichierInaccessible, the message alone.
std::string RapportErreur(const ErreurExecution& erreur);

// Writes `ligne` and CR LF on standard error, after every byte the console
// and the files have pending (their refusals ignored). Safe in a signal
// handler.
void EcrireLigneErreur(std::string_view ligne) noexcept;

// Ends the process as a run-time error does: the report goes to standard
// error and the exit status is 1. Nothing is destroyed, so the results file
// keeps only what had been handed over.
[[noreturn]] void TerminerSurErreur(const ErreurExecution& erreur);

// The same end for a fault met where no exception can be thrown (the
// floating-point trap handler) or nothing more can be allocated: only
// async-signal-safe calls are made.
[[noreturn]] void TerminerSurErreurImmediate(TypeErreur type) noexcept;

// Why the system refused a file, in the user's words (Windows-1252), for
// every message that names a refused file.
std::string RaisonRefus(int code);
