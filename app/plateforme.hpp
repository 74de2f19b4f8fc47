// The few services the program takes from the operating system: raw file
// descriptors, the console, the text viewer, floating-point traps and the exit.
// Everything above this layer is the same on Linux and on Windows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace plateforme {

constexpr int kEntreeStandard = 0;
constexpr int kSortieStandard = 1;
constexpr int kErreurStandard = 2;

// Each returns -1 on failure, with the system's error number in DerniereErreur().
int OuvrirLecture(const std::string& nom);
int CreerEcriture(const std::string& nom);  // created, or emptied if it exists
long Lire(int descripteur, void* octets, std::size_t nombre);
long Ecrire(int descripteur, const void* octets, std::size_t nombre) noexcept;
// Writes every byte, in as many calls as the system takes: 0, or the error
// number of the refusal (EIO for a write that accepts nothing without one).
// Safe in a signal handler.
int EcrireTout(int descripteur, const void* octets, std::size_t nombre) noexcept;
// One line and its CR LF on standard error, remembered for RendreConsole.
// Safe in a signal handler.
void EcrireErreur(std::string_view ligne) noexcept;
int Fermer(int descripteur);
int DerniereErreur();
std::string TexteErreur(int code);  // the system's own words

bool EstTerminal(int descripteur);
bool EstDossier(int descripteur);

// Binary standard streams; closed standard descriptors taken up so that no
// file opened later lands on them; on Windows, a console on standard output
// in the Windows-1252 code page of the program's text for the run.
void PreparerFluxStandard();

// The last act of every run, done by TerminerProcessus too. On Windows, when
// the program is alone in its console (started from Explorer, the window
// closes with it) and its three standard streams are that console, a run
// that wrote on standard error waits for Enter so that the message can be
// read; then the console gets its code page back.
void RendreConsole() noexcept;

// Starts the text viewer on the results file, neither awaited nor checked.
void LancerVisualiseur(const std::string& nomResultats);

// Memory for a large object that is used whole from the start: zeroed, and
// on Linux mapped at once in one system call instead of a fault per page.
// Throws std::bad_alloc when the system refuses.
void* AllouerPages(std::size_t taille);
void LibererPages(void* adresse, std::size_t taille) noexcept;

// Division by zero, overflow and invalid operations end the run with their
// run-time error instead of giving infinities or NaN.
void ActiverExceptionsFlottantes();

// RendreConsole, then the exit.
[[noreturn]] void TerminerProcessus(int statut) noexcept;

}  // namespace plateforme
