// Stands in for the system's text viewer in the tests on Windows. Copied beside
// the program under test, it is found before the system's notepad; it appends
// the name it was given to a log beside itself, then ends.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

int main() {
  static wchar_t programme[32768];
  GetModuleFileNameW(nullptr, programme, 32768);
  // The command line the program must build, but for the name, is left out.
  const std::string ligne = GetCommandLineA();
  std::ofstream(std::filesystem::path(programme).replace_filename(L"visualiseur.log"),
                std::ios::binary | std::ios::app)
      << (ligne.starts_with("notepad ") ? ligne.substr(8) : "unexpected command line: " + ligne)
      << '\n';
}
