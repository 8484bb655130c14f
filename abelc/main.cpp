// abelc: the ABEL compiler's command line.
#include <iostream>
#include <string>
#include <vector>

#include "abelc/compile.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return abelc::RunCommandLine(args, std::cout, std::cerr);
}
