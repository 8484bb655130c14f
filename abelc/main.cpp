// abelc: the ABEL compiler's command line. Started under the compile step's
// name, vDosPlus.exe, it compiles the work design when given no operand.
#include <iostream>
#include <string>
#include <vector>

#include "abelc/compile.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  const std::string program = argc > 0 ? argv[0] : "";
  const std::size_t slash = program.find_last_of("/\\");
  const bool asRunner = program.substr(slash == std::string::npos ? 0 : slash + 1) == "vDosPlus.exe";
  return abelc::RunCommandLine(args, std::cout, std::cerr, asRunner);
}
