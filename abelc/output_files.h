// The writers of a fitted design's files: the JEDEC fuse file, the report
// with the reduced equations and the chip diagram, and the simulation of the
// test vectors on the fuse-map model. Every file ends its lines in CR LF.
#pragma once

#include <string>
#include <vector>

#include "abelc/fit.h"
#include "abelc/logic_model.h"
#include "abelc/vectors.h"

namespace abelc {

// "Quelvox ABEL compiler <version>", the version being the project's.
extern const char* const kProductName;

// What the writers share: the design, its fit and the file names they cite.
struct OutputContext {
  const LogicModel& model;
  const FitResult& fit;
  std::string base;                  // the design's file name without its extension
  std::string created;               // "Www Mmm dd hh:mm:ss yyyy"
  std::vector<std::string> vectors;  // pin vectors
};

std::string JedecText(const OutputContext& c);
std::string ReportText(const OutputContext& c);
std::string SimulationText(const OutputContext& c, const VectorRun& run);

// The pin names of the chip diagram, index 1..pins ("" unused).
std::vector<std::string> DiagramNames(const OutputContext& c);
// The part as the JEDEC header names it: the classic name P16V8AS / P20V8AS
// for the simple mode, by which the classic simulator models the pins'
// feedback; otherwise the fitted part.
std::string JedecPart(const FitResult& fit);
// "\n" to "\r\n".
std::string Crlf(const std::string& text);
// The 16-bit sum of the fuses packed 8 to a byte, lowest fuse in bit 0.
unsigned FuseChecksum(const std::vector<std::uint8_t>& fuses);

}  // namespace abelc
