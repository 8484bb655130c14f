// Whole text files as lines, and the copy and delete the compile step needs.
#include "abel/text_files.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "fuses/safe_file.h"

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

bool CopyReplacing(const std::string& from, const std::string& to, std::string& why) {
  std::error_code error;
  if (!fs::is_regular_file(from, error)) {
    why = error ? error.message() : std::make_error_code(std::errc::no_such_file_or_directory).message();
    return false;
  }
  if (fs::equivalent(from, to, error)) return true;
  errno = 0;
  std::ifstream file(from, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (!file || file.bad()) {
    why = std::generic_category().message(errno != 0 ? errno : EIO);
    return false;
  }
  return ReplaceFileContents(to, bytes, why) == 1;
}

bool DeleteIfPresent(const std::string& path) {
  std::error_code error;
  fs::remove(path, error);
  return !fs::exists(fs::symlink_status(path, error));
}
