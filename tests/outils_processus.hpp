// Runs the built program as a user would: in a working folder, with what is
// typed on standard input, its standard streams captured, and a fake viewer,
// found before the system's, that logs the name it was given. A run that
// does not end is left to the time limit of the test.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace essai {

struct Lancement {
  std::filesystem::path programme, dossier;  // dossier: the working folder
  std::string entree;                        // bytes typed on standard input
  bool entreeFermee = false, sortieFermee = false, sortiePleine = false;  // on the full device
};

struct Execution {
  int statut = -1;  // exit status; minus the signal (on Windows the exception) that ended the run
  std::string sortie, erreur;  // standard output and error
  std::string visualiseur;     // the file name given to each start of the viewer, one a line
};

// Runs the program, and awaits every process it started, the viewer included.
Execution Lancer(const Lancement& lancement);

// A new empty temporary folder, removed with all it holds by the destructor.
class DossierTemporaire {
  std::filesystem::path chemin_;

 public:
  DossierTemporaire() {
    const std::filesystem::path racine = std::filesystem::temp_directory_path() / "elasplan-essai-";
    while (!create_directory((chemin_ = racine) += std::to_string(std::random_device{}()))) {
    }
  }
  ~DossierTemporaire() {
    std::error_code ignore;
    // A case may have made its working folder read-only.
    permissions(chemin_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                ignore);
    remove_all(chemin_, ignore);
  }
  DossierTemporaire(const DossierTemporaire&) = delete;
  const std::filesystem::path& Chemin() const { return chemin_; }
};

// Files by their paths relative to a folder, with their bytes.
using Arbre = std::map<std::string, std::string>;

// The regular files under a folder, links aside.
Arbre LireArbre(const std::filesystem::path& dossier);
// The files of a golden case (see test_bout_en_bout.cpp), shared ones included.
Arbre LireCas(const std::filesystem::path& cas);
// Runs a golden case in `dossier`; none when this system cannot give it what it needs.
std::optional<Execution> LancerCas(const std::filesystem::path& cas,
                                   const std::filesystem::path& dossier);

// The bytes of a file; empty when it cannot be read. A write that fails throws.
inline std::string LireFichier(const std::filesystem::path& chemin) {
  std::ifstream entree(chemin, std::ios::binary);
  return {std::istreambuf_iterator<char>(entree), std::istreambuf_iterator<char>()};
}
inline void EcrireFichier(const std::filesystem::path& chemin, const std::string& octets) {
  std::ofstream sortie(chemin, std::ios::binary | std::ios::trunc);
  if (!sortie.write(octets.data(), static_cast<std::streamsize>(octets.size()))) {
    throw std::runtime_error("cannot write " + chemin.string());
  }
}

}  // namespace essai
