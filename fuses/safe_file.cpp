// Replacing a file through a temporary file beside it.
#include "fuses/safe_file.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "base/paths.h"

namespace fs = std::filesystem;

namespace {

// Creates a file of a name nobody else uses yet, beside the target, so the
// final rename stays within one file system.
std::FILE* CreateTemporaryBeside(const std::string& path, std::string& temporary) {
  const std::string stem = DirectoryPart(path) + "." + FilePart(path) + ".";
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = stem + std::to_string(attempt) + ".tmp";
    // "x": fail rather than reuse a file that is already there.
    if (std::FILE* file = std::fopen(temporary.c_str(), "wbx")) return file;
    std::error_code error;
    if (!fs::exists(fs::path(temporary), error)) break;  // the folder refuses new files
  }
  temporary.clear();
  return nullptr;
}

bool WriteAndClose(std::FILE* file, const std::string& bytes) {
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = std::fflush(file) == 0 && ok;
#ifndef _WIN32
  // On disk before the rename, so a crash cannot leave an empty file behind.
  ok = ok && fsync(fileno(file)) == 0;
#endif
  ok = std::fclose(file) == 0 && ok;
  return ok;
}

// The new file keeps the permissions of the one it replaces.
void CopyPermissions(const std::string& from, const std::string& to) {
  std::error_code error;
  const fs::file_status status = fs::status(fs::path(from), error);
  if (!error && fs::is_regular_file(status)) fs::permissions(fs::path(to), status.permissions(), error);
}

}  // namespace

int ReplaceFileContents(const std::string& path, const std::string& bytes) {
  std::string temporary;
  std::FILE* file = CreateTemporaryBeside(path, temporary);
  if (file == nullptr) return 0;
  std::error_code error;
  if (WriteAndClose(file, bytes)) {
    CopyPermissions(path, temporary);
    fs::rename(fs::path(temporary), fs::path(path), error);
    if (!error) return 1;
  }
  fs::remove(fs::path(temporary), error);
  return 0;
}
