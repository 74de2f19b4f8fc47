// Stands in for the system's text viewer in the tests on Windows. Found before
// the system's notepad (beside the program, or in the working folder), it
// appends the command line it was started with to visualiseur.log beside
// itself, then ends at once.
#include <windows.h>

#include <cstring>
#include <string>

int main() {
  std::wstring chemin(MAX_PATH, L'\0');
  for (;;) {
    const DWORD longueur =
        GetModuleFileNameW(nullptr, chemin.data(), static_cast<DWORD>(chemin.size()));
    if (longueur == 0) {
      return 2;
    }
    if (longueur < chemin.size()) {
      chemin.resize(longueur);
      break;
    }
    chemin.resize(chemin.size() * 2);
  }
  const std::wstring journal =
      chemin.substr(0, chemin.find_last_of(L"\\/") + 1) + L"visualiseur.log";
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
