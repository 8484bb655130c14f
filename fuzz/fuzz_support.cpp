// The fuzz targets' scratch folder, in memory (/dev/shm) where the machine has one.
#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

struct ScratchDir {
  std::string Path;
  ScratchDir() {
    // A file per input on a disk costs more than most inputs take to run.
    std::error_code error;
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    Path = (base / "quelvox-fuzz-XXXXXX").string();
    if (mkdtemp(Path.data()) == nullptr) std::abort();
  }
  ~ScratchDir() {
    std::error_code error;
    std::filesystem::remove_all(Path, error);
  }
};

}  // namespace

const std::string& FuzzScratchDir() {
  static const ScratchDir dir;
  return dir.Path;
}

std::string WriteFuzzFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
  const std::string path = FuzzScratchDir() + "/" + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size != 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);
  return path;
}
