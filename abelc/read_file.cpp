// The one file reader of the compiler: designs, included files, side files.
#include "abelc/read_file.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace abelc {

bool ReadWholeFile(const std::string& path, std::string& text) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(std::filesystem::path(path), ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  text = s.str();
  return true;
}

}  // namespace abelc
