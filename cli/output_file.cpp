// The checks of an output file, made without touching it.
#include "cli/output_file.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "base/paths.h"

namespace fs = std::filesystem;

std::string WhyNotWritable(const std::string& path) {
  std::error_code error;
  const fs::path file = fs::absolute(fs::path(path), error);
  if (error) return "cannot tell where " + path + " is";
  const fs::path folder = file.parent_path();
  if (!fs::is_directory(folder, error)) return "the folder " + folder.string() + " does not exist";
  // The save writes a new file beside the old one and renames it over.
  if (access(folder.c_str(), W_OK | X_OK) != 0) return "the folder " + folder.string() + " is not writable";
  const fs::file_status status = fs::status(file, error);
  if (fs::is_directory(status)) return path + " is a folder";
  if (fs::exists(status) && access(file.c_str(), W_OK) != 0) return path + " is not writable";
  return "";
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return fs::equivalent(fs::path(a), fs::path(b), error) && !error;
}

std::string WithExtension(const std::string& path, const std::string& extension) {
  return extension.empty() || !ExtensionOf(path).empty() ? path : path + "." + extension;
}
