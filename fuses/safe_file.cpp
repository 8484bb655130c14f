// Replacing a file through a temporary file beside it.
#include "fuses/safe_file.h"

#include <cerrno>
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
std::FILE* CreateTemporaryBeside(const std::string& path, std::string& temporary, int& failure) {
  const std::string stem = DirectoryPart(path) + "." + FilePart(path) + ".";
  failure = EEXIST;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = stem + std::to_string(attempt) + ".tmp";
    // "x": fail rather than reuse a file that is already there.
    if (std::FILE* file = std::fopen(temporary.c_str(), "wbx")) return file;
    failure = errno;
    std::error_code error;
    if (!fs::exists(fs::path(temporary), error)) break;  // the folder refuses new files
  }
  temporary.clear();
  return nullptr;
}

// 0 when all bytes are on disk and the file is closed, else the first errno.
int WriteAndClose(std::FILE* file, const std::string& bytes) {
  int failure = 0;
  const auto note = [&failure](bool ok) {
    if (!ok && failure == 0) failure = errno != 0 ? errno : EIO;
  };
  errno = 0;
  note(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
  note(std::fflush(file) == 0);
#ifndef _WIN32
  // On disk before the rename, so a crash cannot leave an empty file behind.
  if (failure == 0) note(fsync(fileno(file)) == 0);
#endif
  note(std::fclose(file) == 0);
  return failure;
}

std::string Reason(int failure) {
  return std::generic_category().message(failure);
}

// The new file keeps the permissions of the one it replaces.
void CopyPermissions(const std::string& from, const std::string& to) {
  std::error_code error;
  const fs::file_status status = fs::status(fs::path(from), error);
  if (!error && fs::is_regular_file(status)) fs::permissions(fs::path(to), status.permissions(), error);
}

}  // namespace

int ReplaceFileContents(const std::string& path, const std::string& bytes) {
  std::string why;
  return ReplaceFileContents(path, bytes, why);
}

int ReplaceFileContents(const std::string& path, const std::string& bytes, std::string& why) {
  std::string temporary;
  int failure = 0;
  std::FILE* file = CreateTemporaryBeside(path, temporary, failure);
  if (file == nullptr) {
    why = Reason(failure);
    return 0;
  }
  std::error_code error;
  if (const int written = WriteAndClose(file, bytes); written == 0) {
    CopyPermissions(path, temporary);
    fs::rename(fs::path(temporary), fs::path(path), error);
    if (!error) return 1;
    why = error.message();
  } else {
    why = Reason(written);
  }
  fs::remove(fs::path(temporary), error);
  return 0;
}
