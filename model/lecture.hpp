// The keyword test of the data file's section lines.
#pragma once

#include <string_view>

// True when `ligne` begins with `motCle` once every space (code 32 only) is
// removed from both and the letters a-z are turned into A-Z in both.
bool MotCle(std::string_view motCle, std::string_view ligne);
