// Test vectors written as an ABEL TEST_VECTORS section over pin numbers or
// the names of the map's pins, for a map that comes with no design:
//   TEST_VECTORS ([Clk, 2..4] -> [19, Q0])
//   [.C., 0, 1, 0] -> [1, .Z.];
//   [0, ^b101] -> 2;
// turned into the vectors of a JEDEC file, one character per pin.
#pragma once

#include <string>
#include <vector>

struct AbelVectors {
  std::vector<std::string> Vectors;  // character k for pin k + 1
  std::string Problem;               // "" or what is wrong, with its line
};

// names: index = pin, for pins 1..names.size() - 1. The header names pins
// by number (n, or n..m) or by name (compared without case), one by one or
// in brackets.
// A value is 0, 1, a number (^b, ^o, ^d, ^h or decimal; spread over the
// pins of its place, highest bit first) or .X. .C. .K. .U. .D. .P. .Z.; one
// value may stand for all the pins of a side. Inputs become 0 1 C K U D P X
// (.Z. on an input: not driven), outputs H L Z, N for .X. (shown, not
// tested); a pin on both sides keeps the level driven unless an output
// level is expected. Comments: "..." and // to the end of the line.
AbelVectors ReadAbelVectors(const std::string& text, const std::vector<std::string>& names);
