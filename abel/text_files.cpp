// Whole text files as lines, and the copy and delete the compile step needs.
#include "abel/text_files.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

bool ReadTextLines(const std::string& path, std::vector<std::string>& lines) {
  std::error_code error;
  if (fs::is_directory(path, error)) return false;
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  lines.clear();
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return file.eof() && !file.bad();
}

bool WriteTextLines(const std::string& path, const std::vector<std::string>& lines) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  for (const std::string& line : lines) file << line << "\r\n";
  file.close();
  return !file.fail();
}

bool CopyReplacing(const std::string& from, const std::string& to) {
  std::error_code error;
  if (!fs::is_regular_file(from, error)) return false;
  if (fs::equivalent(from, to, error)) return true;
  return fs::copy_file(from, to, fs::copy_options::overwrite_existing, error) && !error;
}

bool DeleteIfPresent(const std::string& path) {
  std::error_code error;
  fs::remove(path, error);
  return !fs::exists(fs::symlink_status(path, error));
}
