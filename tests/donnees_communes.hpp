// What several test files share: the worked example's data file and its
// console echo, and small helpers on texts and folders.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace donnees {

inline const std::string kPlaque =
    "Plaque carr\xE9"
    "e, deux \xE9l\xE9ments\r\n$deb\r\n$pro\r\n1\r\n$noe\r\n4\r\n0 0\r\n"
    "100 0\r\n100 100\r\n0 100\r\n$ele\r\n2\r\n1 2 3 210000 0.3 10\r\n1 3 4 210000 0.3 10\r\n"
    "$lia\r\n2\r\n3 1\r\n1 4\r\n$cha\r\n3\r\n2 2 3 10 0\r\n1 1 0 -7.85e-5\r\n1 2 0 -7.85e-5\r\n"
    "$fin\r\n";

// What the console shows of the worked example after the prompt.
inline const std::string kEchoPlaque = "$pro\r\n$noe\r\n$ele\r\n$lia\r\n$cha\r\n$fin\r\n";

// `texte` with the first `avant` replaced; a failure when there is none.
inline std::string Remplacer(std::string texte, const std::string& avant,
                             const std::string& apres) {
  const std::size_t position = texte.find(avant);
  EXPECT_NE(std::string::npos, position) << avant;
  if (position != std::string::npos) {
    texte.replace(position, avant.size(), apres);
  }
  return texte;
}

inline std::string Contenu(const std::filesystem::path& chemin) {
  std::ifstream entree(chemin, std::ios::binary);
  return {std::istreambuf_iterator<char>(entree), std::istreambuf_iterator<char>()};
}

// The names of the entries of a folder.
inline std::set<std::string> Noms(const std::filesystem::path& dossier) {
  std::set<std::string> noms;
  for (const auto& entree : std::filesystem::directory_iterator(dossier)) {
    noms.insert(entree.path().filename().string());
  }
  return noms;
}

}  // namespace donnees
