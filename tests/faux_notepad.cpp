// Stands in for the system's text viewer in the tests on Windows. Copied beside
// the program under test, it is found before the system's notepad; it appends
// the name it was given to a log beside itself, then ends.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

int main() {
  wchar_t programme[MAX_PATH];
  GetModuleFileNameW(nullptr, programme, MAX_PATH);
  const std::string ligne = GetCommandLineA();  // the name after what the program must put first
  std::ofstream(std::filesystem::path(programme).replace_filename("visualiseur.log"),
                std::ios::binary | std::ios::app)
      << (ligne.starts_with("notepad ") ? ligne.substr(8) : "unexpected command line: " + ligne)
      << '\n';
}
