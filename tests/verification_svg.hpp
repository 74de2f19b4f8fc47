// Checks of a picture as a reader of it would make them: the file is valid
// UTF-8 and well-formed XML (no DTD), its elements in document order with
// their attributes and text, and where a colour lies on the colour scale that
// the file's own gradient defines. Shared by the unit and end-to-end tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace verification_svg {

struct Element {
  std::string nom;
  std::map<std::string, std::string> attributs;
  std::string texte;  // character data directly inside, entities decoded
  int parent = -1;    // index of the enclosing element, -1 for the root
};

namespace detail {

inline bool Utf8Valide(const std::string& octets) {
  for (std::size_t i = 0; i < octets.size();) {
    const unsigned char c = static_cast<unsigned char>(octets[i]);
    std::size_t longueur = 1;
    std::uint32_t point = c;
    std::uint32_t minimum = 0;
    if (c >= 0x80) {
      if ((c & 0xE0) == 0xC0) {
        longueur = 2, point = c & 0x1F, minimum = 0x80;
      } else if ((c & 0xF0) == 0xE0) {
        longueur = 3, point = c & 0x0F, minimum = 0x800;
      } else if ((c & 0xF8) == 0xF0) {
        longueur = 4, point = c & 0x07, minimum = 0x10000;
      } else {
        return false;
      }
      if (i + longueur > octets.size()) {
        return false;
      }
      for (std::size_t j = 1; j < longueur; ++j) {
        const unsigned char suite = static_cast<unsigned char>(octets[i + j]);
        if ((suite & 0xC0) != 0x80) {
          return false;
        }
        point = (point << 6) | (suite & 0x3F);
      }
      if (point < minimum || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
        return false;
      }
    } else if (c < 0x20 && c != '\n' && c != '\r' && c != '\t') {
      return false;  // not a character of XML
    }
    i += longueur;
  }
  return true;
}

inline bool DebutNom(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
}
inline bool SuiteNom(char c) {
  return DebutNom(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}
inline bool Blanc(char c) {
  return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

// Decodes the character data s[debut, fin); false on a bare '<' or '&'.
inline bool Decoder(const std::string& s, std::size_t debut, std::size_t fin, std::string& sortie) {
  for (std::size_t i = debut; i < fin; ++i) {
    if (s[i] == '<') {
      return false;
    }
    if (s[i] != '&') {
      sortie += s[i];
      continue;
    }
    const std::size_t pv = s.find(';', i);
    if (pv == std::string::npos || pv >= fin) {
      return false;
    }
    const std::string nom = s.substr(i + 1, pv - i - 1);
    static const std::map<std::string, std::string> kEntites = {
        {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}};
    if (kEntites.count(nom) != 0) {
      sortie += kEntites.at(nom);
    } else if (nom.size() > 1 && nom[0] == '#') {
      const bool hexa = nom[1] == 'x';
      const std::string chiffres = nom.substr(hexa ? 2 : 1);
      if (chiffres.empty() ||
          chiffres.find_first_not_of(hexa ? "0123456789abcdefABCDEF" : "0123456789") !=
              std::string::npos) {
        return false;
      }
      sortie += "?";  // a character reference: its value does not matter here
    } else {
      return false;
    }
    i = pv;
  }
  return true;
}

}  // namespace detail

// Empty when `xml` is well-formed; otherwise what is wrong and where.
inline std::string Analyser(const std::string& xml, std::vector<Element>& elements) {
  using namespace detail;
  elements.clear();
  if (!Utf8Valide(xml)) {
    return "not valid UTF-8, or a control character";
  }
  std::vector<std::pair<std::string, std::size_t>> pile;  // name, index in elements
  bool racine = false;
  std::size_t i = 0;
  const auto erreur = [&](const std::string& quoi) {
    return quoi + " at byte " + std::to_string(i);
  };
  if (xml.rfind("<?xml", 0) == 0) {
    const std::size_t fin = xml.find("?>");
    if (fin == std::string::npos) {
      return erreur("unterminated declaration");
    }
    i = fin + 2;
  }
  while (i < xml.size()) {
    if (xml[i] != '<') {
      const std::size_t fin = xml.find('<', i);
      const std::size_t bout = fin == std::string::npos ? xml.size() : fin;
      std::string texte;
      if (!Decoder(xml, i, bout, texte)) {
        return erreur("bad character data");
      }
      if (pile.empty()) {
        if (texte.find_first_not_of(" \r\n\t") != std::string::npos) {
          return erreur("text outside the root");
        }
      } else {
        elements[pile.back().second].texte += texte;
      }
      i = bout;
      continue;
    }
    if (xml.compare(i, 4, "<!--") == 0) {
      const std::size_t fin = xml.find("-->", i + 4);
      if (fin == std::string::npos) {
        return erreur("unterminated comment");
      }
      i = fin + 3;
      continue;
    }
    if (xml.compare(i, 2, "<!") == 0 || xml.compare(i, 2, "<?") == 0) {
      return erreur("DTD, CDATA or processing instruction");
    }
    const bool fermante = xml.compare(i, 2, "</") == 0;
    std::size_t j = i + (fermante ? 2 : 1);
    if (j >= xml.size() || !DebutNom(xml[j])) {
      return erreur("bad tag name");
    }
    const std::size_t debutNom = j;
    while (j < xml.size() && SuiteNom(xml[j])) {
      ++j;
    }
    const std::string nom = xml.substr(debutNom, j - debutNom);
    if (fermante) {
      while (j < xml.size() && Blanc(xml[j])) {
        ++j;
      }
      if (j >= xml.size() || xml[j] != '>') {
        return erreur("bad end tag");
      }
      if (pile.empty() || pile.back().first != nom) {
        return erreur("end tag </" + nom + "> does not match");
      }
      pile.pop_back();
      i = j + 1;
      continue;
    }
    if (pile.empty() && racine) {
      return erreur("second root element");
    }
    Element element;
    element.nom = nom;
    element.parent = pile.empty() ? -1 : static_cast<int>(pile.back().second);
    bool vide = false;
    while (true) {
      const std::size_t avant = j;
      while (j < xml.size() && Blanc(xml[j])) {
        ++j;
      }
      if (j >= xml.size()) {
        return erreur("unterminated tag");
      }
      if (xml[j] == '>') {
        ++j;
        break;
      }
      if (xml.compare(j, 2, "/>") == 0) {
        j += 2;
        vide = true;
        break;
      }
      if (j == avant || !DebutNom(xml[j])) {
        return erreur("bad attribute in <" + nom + ">");
      }
      const std::size_t debutAttribut = j;
      while (j < xml.size() && SuiteNom(xml[j])) {
        ++j;
      }
      const std::string attribut = xml.substr(debutAttribut, j - debutAttribut);
      if (j + 1 >= xml.size() || xml[j] != '=' || (xml[j + 1] != '"' && xml[j + 1] != '\'')) {
        return erreur("attribute " + attribut + " without a quoted value");
      }
      const char guillemet = xml[j + 1];
      const std::size_t fin = xml.find(guillemet, j + 2);
      if (fin == std::string::npos) {
        return erreur("unterminated value");
      }
      std::string valeur;
      if (!Decoder(xml, j + 2, fin, valeur)) {
        return erreur("bad attribute value");
      }
      if (!element.attributs.emplace(attribut, valeur).second) {
        return erreur("attribute " + attribut + " given twice");
      }
      j = fin + 1;
    }
    racine = true;
    elements.push_back(element);
    if (!vide) {
      pile.emplace_back(nom, elements.size() - 1);
    }
    i = j;
  }
  if (!pile.empty()) {
    return "element <" + pile.back().first + "> not closed";
  }
  if (!racine) {
    return "no root element";
  }
  return "";
}

inline std::vector<Element> Nommes(const std::vector<Element>& elements, const std::string& nom) {
  std::vector<Element> choisis;
  for (const Element& element : elements) {
    if (element.nom == nom) {
      choisis.push_back(element);
    }
  }
  return choisis;
}

// The elements named `nom` directly inside an element whose class is `classe`.
inline std::vector<Element> DansClasse(const std::vector<Element>& elements,
                                       const std::string& classe, const std::string& nom) {
  std::vector<Element> choisis;
  for (const Element& element : elements) {
    if (element.nom == nom && element.parent >= 0) {
      const auto& attributs = elements[static_cast<std::size_t>(element.parent)].attributs;
      const auto trouve = attributs.find("class");
      if (trouve != attributs.end() && trouve->second == classe) {
        choisis.push_back(element);
      }
    }
  }
  return choisis;
}

struct Rvb {
  double r, g, b;
};

inline bool LireCouleur(const std::string& texte, Rvb& couleur) {
  if (texte.size() != 7 || texte[0] != '#' ||
      texte.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos) {
    return false;
  }
  const auto octet = [&](int debut) {
    return static_cast<double>(std::strtol(texte.substr(debut, 2).c_str(), nullptr, 16));
  };
  couleur = {octet(1), octet(3), octet(5)};
  return true;
}

// Where `couleur` lies on the file's gradient (its <stop> elements, offsets
// 0 to 1, linear in RGB between them): the closest of 1001 samples. -1 when
// the file has no usable gradient or the colour cannot be read.
inline double PositionSurEchelle(const std::vector<Element>& elements, const std::string& couleur) {
  std::vector<std::pair<double, Rvb>> arrets;
  for (const Element& stop : Nommes(elements, "stop")) {
    Rvb rvb{};
    if (stop.attributs.count("offset") == 0 || stop.attributs.count("stop-color") == 0 ||
        !LireCouleur(stop.attributs.at("stop-color"), rvb)) {
      return -1.0;
    }
    arrets.emplace_back(std::strtod(stop.attributs.at("offset").c_str(), nullptr), rvb);
  }
  Rvb cible{};
  if (arrets.size() < 2 || !LireCouleur(couleur, cible)) {
    return -1.0;
  }
  double meilleure = -1.0;
  double distanceMin = 0.0;
  for (int k = 0; k <= 1000; ++k) {
    const double t = k / 1000.0;
    std::size_t s = 1;
    while (s + 1 < arrets.size() && arrets[s].first < t) {
      ++s;
    }
    const auto& [t0, a] = arrets[s - 1];
    const auto& [t1, b] = arrets[s];
    const double u = t1 > t0 ? (t - t0) / (t1 - t0) : 0.0;
    const Rvb c = {a.r + (b.r - a.r) * u, a.g + (b.g - a.g) * u, a.b + (b.b - a.b) * u};
    const double distance = (c.r - cible.r) * (c.r - cible.r) + (c.g - cible.g) * (c.g - cible.g) +
                            (c.b - cible.b) * (c.b - cible.b);
    if (meilleure < 0.0 || distance < distanceMin) {
      meilleure = t;
      distanceMin = distance;
    }
  }
  return meilleure;
}

}  // namespace verification_svg
