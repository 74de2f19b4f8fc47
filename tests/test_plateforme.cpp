#include "app/plateforme.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <system_error>
#include <thread>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#include <xmmintrin.h>
#endif

namespace {

namespace fs = std::filesystem;

fs::path DossierDuTest(const std::string& nom) {
  const fs::path dossier =
      fs::temp_directory_path() /
      ("elasplan_pf_" + std::to_string(testing::UnitTest::GetInstance()->random_seed()) + "_" +
       nom);
  fs::remove_all(dossier);
  fs::create_directories(dossier);
  return dossier;
}

// The log of a viewer started without being awaited, once it holds a line.
std::string JournalAttendu(const fs::path& journal) {
  const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  std::string contenu;
  while (std::chrono::steady_clock::now() < limite) {
    std::ifstream entree(journal, std::ios::binary);
    contenu.assign(std::istreambuf_iterator<char>(entree), std::istreambuf_iterator<char>());
    if (!contenu.empty() && contenu.back() == '\n') {
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return contenu;
}

#ifdef _WIN32

const char kNul[] = "NUL";

// The fake notepad, placed in the current folder, is found before the
// system's and logs its command line beside itself.
TEST(Plateforme, ViewerIsNotepadWithTheNameUnquoted) {
  const fs::path dossier = DossierDuTest("visualiseur");
  fs::copy_file(ELASPLAN_FAUX_VISUALISEUR, dossier / "notepad.exe");
  const fs::path precedent = fs::current_path();
  fs::current_path(dossier);
  plateforme::LancerVisualiseur("plaque mince r.txt");
  fs::current_path(precedent);
  EXPECT_EQ("notepad plaque mince r.txt\n", JournalAttendu(dossier / "visualiseur.log"));
  // The viewer is not awaited: its program may still be held open for a moment.
  std::error_code erreur;
  for (int essai = 0; essai < 100 && (fs::remove_all(dossier, erreur), erreur); ++essai) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

// Faults of the SSE unit may come as a group, to be told apart by the flags
// saved with the faulting context.
TEST(PlateformeDeathTest, GroupedSseFaultsAreNamedByTheirFlag) {
  struct Cas {
    DWORD code;
    unsigned drapeaux;
    const char* message;
  };
  const Cas cas[] = {
      {STATUS_FLOAT_MULTIPLE_FAULTS, 0x01, "Invalid floating point operation"},
      {STATUS_FLOAT_MULTIPLE_FAULTS, 0x04, "Floating point division by zero"},
      {STATUS_FLOAT_MULTIPLE_TRAPS, 0x08 | 0x20, "Floating point overflow"},  // inexact too
  };
  for (const Cas& c : cas) {
    EXPECT_EXIT(
        {
          plateforme::ActiverExceptionsFlottantes();
          // Setting a flag does not trap; the exception is raised by hand.
          _mm_setcsr(_mm_getcsr() | c.drapeaux);
          RaiseException(c.code, 0, 0, nullptr);
        },
        testing::ExitedWithCode(1), c.message)
        << c.message;
  }
}

#else

const char kNul[] = "/dev/null";

// The fake xdg-open, first on PATH, logs the argument it was given.
TEST(Plateforme, ViewerGetsTheNameAsOneArgument) {
  const fs::path dossier = DossierDuTest("visualiseur");
  const fs::path journal = dossier / "visualiseur.log";
  {
    std::ofstream script(dossier / "xdg-open", std::ios::binary);
    script << "#!/bin/sh\nprintf '%s|%s\\n' \"$1\" \"$#\" >> '" << journal.string() << "'\n";
  }
  fs::permissions(dossier / "xdg-open", fs::perms::owner_all);
  const char* path = std::getenv("PATH");
  const std::string ancien = path != nullptr ? path : "";
  setenv("PATH", (dossier.string() + ":" + ancien).c_str(), 1);
  plateforme::LancerVisualiseur("plaque mince r.txt");
  setenv("PATH", ancien.c_str(), 1);
  EXPECT_EQ("plaque mince r.txt|1\n", JournalAttendu(journal));
  fs::remove_all(dossier);
}

#endif

// Only an interactive console hands each line over at once: a file or the
// null device, a character device too, is no terminal.
TEST(Plateforme, NeitherAFileNorTheNullDeviceIsATerminal) {
  const fs::path dossier = DossierDuTest("terminal");
  const int fichier = plateforme::CreerEcriture((dossier / "f.txt").string());
  ASSERT_GE(fichier, 0);
  EXPECT_FALSE(plateforme::EstTerminal(fichier));
  plateforme::Fermer(fichier);
  const int nul = plateforme::OuvrirLecture(kNul);
  ASSERT_GE(nul, 0);
  EXPECT_FALSE(plateforme::EstTerminal(nul));
  plateforme::Fermer(nul);
  fs::remove_all(dossier);
}

// CR LF, Windows-1252 letters and Ctrl-Z go through a written and read file
// unchanged.
TEST(Plateforme, BytesGoThroughFilesUnchanged) {
  const fs::path dossier = DossierDuTest("octets");
  const std::string nom = (dossier / "f.txt").string();
  const std::string octets =
      "a\r\nb\n\xE9t\xE9\x1A"
      "c\r";
  const int ecriture = plateforme::CreerEcriture(nom);
  ASSERT_GE(ecriture, 0);
  EXPECT_EQ(static_cast<long>(octets.size()),
            plateforme::Ecrire(ecriture, octets.data(), octets.size()));
  EXPECT_EQ(0, plateforme::Fermer(ecriture));
  const int lecture = plateforme::OuvrirLecture(nom);
  ASSERT_GE(lecture, 0);
  char lus[64] = {};
  EXPECT_EQ(static_cast<long>(octets.size()), plateforme::Lire(lecture, lus, sizeof lus));
  EXPECT_EQ(0, plateforme::Lire(lecture, lus, sizeof lus));
  plateforme::Fermer(lecture);
  EXPECT_EQ(octets, std::string(lus, octets.size()));
  fs::remove_all(dossier);
}

}  // namespace
