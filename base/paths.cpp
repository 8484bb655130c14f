// Directory, file and extension parts of a path, and the current directory.
#include "base/paths.h"

#include <filesystem>
#include <system_error>

namespace {
std::string::size_type LastSeparator(const std::string& path) {
  return path.find_last_of("\\/");
}
}  // namespace

std::string DirectoryPart(const std::string& path) {
  auto cut = LastSeparator(path);
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string FilePart(const std::string& path) {
  auto cut = LastSeparator(path);
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string ExtensionOf(const std::string& path) {
  std::string file = FilePart(path);
  auto dot = file.find_last_of('.');
  return dot == std::string::npos ? std::string() : file.substr(dot + 1);
}

std::string BaseNameOf(const std::string& path) {
  std::string file = FilePart(path);
  auto dot = file.find_last_of('.');
  return dot == std::string::npos ? file : file.substr(0, dot);
}

std::string CurrentDirectoryWithSeparator() {
  std::error_code error;
  std::string dir = std::filesystem::current_path(error).string();
  if (dir.empty() || (dir.back() != '\\' && dir.back() != '/')) dir += PathSeparator;
  return dir;
}
