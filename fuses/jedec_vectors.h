// The test vectors of a JEDEC file: its V fields, "Vnnnn" and one character
// per pin. The fuse reader passes over them; the vector run reads them here.
#pragma once

#include <string>
#include <vector>

struct JedecVectors {
  std::vector<std::string> Vectors;  // in file order, character k for pin k + 1, upper case
  std::string Problem;               // "" or why the vectors cannot be run
};

// The V fields of JEDEC text (the header before the first "*" and the
// trailer after ETX are no fields). Blanks inside a vector are left out. A
// vector that does not have exactly `pins` characters, or holds a character
// other than 0 1 C K U D P X H L Z N F, is a problem named with its number.
JedecVectors ReadJedecVectors(const std::string& bytes, int pins);
