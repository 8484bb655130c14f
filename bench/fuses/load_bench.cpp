// Time to open the largest fuse file the program knows: a GAL6002B map of
// 8330 fuses, read, identified and shown in the recording window.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

#include "base/fuse_map.h"
#include "fuses/fuse_file_load.h"
#include "tests/fuses/fuse_test_files.h"
#include "tests/support/recording_window.h"

namespace {

constexpr int FuseCount = 8330;
constexpr int RowWidth = 78;

// A file as other tools write it: every row as an L field, random fuses.
std::string Gal6002bFile() {
  std::mt19937 random(6002);
  std::string text = "\x02\r\nbenchmark design\r\n*QF8330*F0*G0*\r\n";
  for (int first = 0; first < FuseCount; first += RowWidth) {
    char number[16];
    std::snprintf(number, sizeof number, "L%05d ", first);
    text += number;
    for (int i = first; i < std::min(first + RowWidth, FuseCount); ++i) {
      FuseMap[i] = static_cast<std::uint8_t>(random() & 1);
      text += static_cast<char>('0' + FuseMap[i]);
    }
    text += "*\r\n";
  }
  char checksum[16];
  std::snprintf(checksum, sizeof checksum, "C%04X*\r\n\x03", FuseChecksum(FuseCount));
  return text + checksum;
}

void BM_LoadFuseFile(benchmark::State& state) {
  ScratchDir dir;
  TestWindowScope scope;
  const std::string path = dir / "gal6002b.jed";
  WriteBytes(path, Gal6002bFile());
  for (auto _ : state) {
    LoadFuseFile(path);
    benchmark::DoNotOptimize(FuseMapLength);
  }
  if (scope.window().LogLines.size() != 3 || scope.window().FuseMapLines.size() != 107) {
    state.SkipWithError("the file did not load as a GAL6002B without warnings");
  }
}
BENCHMARK(BM_LoadFuseFile)->Unit(benchmark::kMicrosecond);

}  // namespace
