// Where the source being compiled came from: the name messages give, the
// folders @INCLUDE searches, and what the compile step changed in the text.
#pragma once

#include <string>

namespace abelc {

struct SourceContext {
  std::string file_name;         // the name messages give ("abelcpl.abl" or the user's file)
  std::string directory;         // folder of the file being compiled; empty: the current folder
  std::string design_directory;  // the user's design folder when compiling a work copy; else empty
  int line_offset = 0;           // lines the compile step dropped before MODULE
  std::string original_module;   // the module name before the compile step renamed it; else empty
};

}  // namespace abelc
