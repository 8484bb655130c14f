// Reading a whole source or side file as bytes: only regular files, so a
// folder or a pipe named as a design is a file that cannot be read.
#pragma once

#include <string>

namespace abelc {

bool ReadWholeFile(const std::string& path, std::string& text);

}  // namespace abelc
