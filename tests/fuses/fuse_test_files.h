// Files for the fuse and CLI tests: a scratch folder removed afterwards,
// whole-file reads and writes, and the real JEDEC files of other tools that
// the shared test data holds (read in place, never copied).
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quelvox-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
  }
  ~ScratchDir() {
    std::error_code error;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 error);
    std::filesystem::remove_all(path_, error);
  }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }
  // Names of everything in the folder, sorted.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::string path_;
};

// Permission bits do not stop root, so a root test process gives up its
// rights in a forked child (a death test) before it touches the files.
inline void DropRootRights() {
  if (geteuid() != 0) return;
  if (setgid(65534) != 0 || setuid(65534) != 0) std::_Exit(4);
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string JedecDataDir() {
  return std::string(QUELVOX_TESTDATA_DIR) + "/jedec";
}

// The real files (name.jed). Beside each lies name.jed.saved.jed, the exact
// file that saving it must give when the clock reads 01/01/2026 00:00:00.
inline std::vector<std::string> RealJedecFiles() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(JedecDataDir())) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() == ".jed" && name.find(".saved.") == std::string::npos)
      names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}
