// Stands in for the system's text viewer in the tests on Windows. Copied beside
// the program under test, it is found before the system's notepad; it appends
// the command line it was started with to a log beside itself, then ends.
#include <windows.h>

#include <filesystem>
#include <string>

int main() {
  static wchar_t programme[32768];
  const DWORD taille = sizeof programme / sizeof programme[0];
  const DWORD longueur = GetModuleFileNameW(nullptr, programme, taille);
  if (longueur == 0 || longueur >= taille) {
    return 2;
  }
  const std::filesystem::path journal =
      std::filesystem::path(programme).replace_filename(L"visualiseur.log");
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
