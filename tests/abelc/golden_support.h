// Helpers shared by the golden-design tests: reading the design folders,
// and checking a compiled design against its own meaning.
#pragma once

#include <string>
#include <vector>

#include "abelc/compile.h"

namespace abelc_test {

std::string DesignDir(const std::string& sub);                 // tests/abelc/<sub>
std::vector<std::string> DesignNames(const std::string& sub);  // *.abl without extension, sorted
std::string ReadText(const std::string& path);

// The diagnostics of a compilation as the command line prints them.
std::string DiagnosticText(const abelc::Compilation& c, const std::string& file, const std::string& source);

// Compares every minimised function with the unminimised one outside its
// don't cares (all inputs up to 20 variables, random ones beyond); returns
// one line per disagreement.
std::vector<std::string> CheckMinimisedAgree(const abelc::Compilation& c);

// The model with each logic function replaced by its minimised form.
abelc::LogicModel WithMinimisedLogic(const abelc::Compilation& c);

// A line-by-line diff, "-expected" / "+actual", empty when equal.
std::string LineDiff(const std::string& expected, const std::string& actual);

}  // namespace abelc_test
