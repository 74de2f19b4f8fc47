// Stands in for the system's text viewer in the tests on Windows. Found before
// the system's notepad (beside the program, or in the working folder), it
// appends the command line it was started with to a log, then ends at once.
#include <windows.h>

#include <string>

namespace {

// The log named by the test in the environment, else the one beside this
// program.
std::wstring Journal() {
  std::wstring nom(32768, L'\0');
  DWORD longueur = GetEnvironmentVariableW(L"ELASPLAN_JOURNAL_VISUALISEUR", nom.data(),
                                           static_cast<DWORD>(nom.size()));
  if (longueur > 0 && longueur < nom.size()) {
    nom.resize(longueur);
    return nom;
  }
  longueur = GetModuleFileNameW(nullptr, nom.data(), static_cast<DWORD>(nom.size()));
  if (longueur == 0 || longueur >= nom.size()) {
    return {};
  }
  nom.resize(longueur);
  return nom.substr(0, nom.find_last_of(L"\\/") + 1) + L"visualiseur.log";
}

}  // namespace

int main() {
  const std::wstring journal = Journal();
  if (journal.empty()) {
    return 2;
  }
  // Shared and opened for appending: two starts of the viewer add two lines.
  const HANDLE fichier =
      CreateFileW(journal.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (fichier == INVALID_HANDLE_VALUE) {
    return 3;
  }
  const std::string ligne = std::string(GetCommandLineA()) + "\n";
  DWORD ecrits = 0;
  const BOOL ok =
      WriteFile(fichier, ligne.data(), static_cast<DWORD>(ligne.size()), &ecrits, nullptr);
  CloseHandle(fichier);
  return ok && ecrits == ligne.size() ? 0 : 4;
}
