// Compile time of the largest golden design, with its product terms before
// and after minimisation as counters, of the whole compile step, and of
// each classic example design.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "abelc/compile.h"

namespace {

std::string Read(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The largest design in tests/abelc/ok by source size.
std::filesystem::path LargestDesign() {
  std::filesystem::path best;
  std::uintmax_t best_size = 0;
  for (const auto& e :
       std::filesystem::directory_iterator(std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/ok")) {
    if (e.path().extension() == ".abl" && e.file_size() > best_size) {
      best_size = e.file_size();
      best = e.path();
    }
  }
  return best;
}

void BM_CompileLargestDesign(benchmark::State& state) {
  const std::filesystem::path path = LargestDesign();
  const std::string source = Read(path);
  state.SetLabel(path.filename().string());
  std::size_t before = 0, after = 0;
  for (auto _ : state) {
    abelc::Compilation c = abelc::CompileSource(source);
    if (c.diags.HasErrors()) state.SkipWithError("the design does not compile");
    before = after = 0;
    for (const abelc::MinimisedOutput& mo : c.minimised.outputs) {
      before += static_cast<std::size_t>(mo.terms_before);
      if (mo.logic) after += mo.logic->Chosen().size();
    }
    benchmark::DoNotOptimize(c);
  }
  state.counters["terms_before"] = static_cast<double>(before);
  state.counters["terms_after"] = static_cast<double>(after);
}
BENCHMARK(BM_CompileLargestDesign)->Unit(benchmark::kMillisecond);

// The whole compile step (fit, fuse map, vector run and the four files) of
// the largest design, and of all ok designs one after the other.
void BM_CompileLargestDesignToFiles(benchmark::State& state) {
  const std::filesystem::path path = LargestDesign();
  const std::string source = Read(path);
  state.SetLabel(path.filename().string());
  for (auto _ : state) {
    abelc::CompiledFiles files =
        abelc::CompileToFiles(path.filename().string(), source, "Thu Jan  1 00:00:00 2026");
    if (!files.ok) state.SkipWithError("the design does not fit");
    benchmark::DoNotOptimize(files);
  }
}
BENCHMARK(BM_CompileLargestDesignToFiles)->Unit(benchmark::kMillisecond);

void BM_CompileEveryOkDesignToFiles(benchmark::State& state) {
  std::vector<std::pair<std::string, std::string>> designs;
  for (const auto& e :
       std::filesystem::directory_iterator(std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/ok")) {
    if (e.path().extension() == ".abl") designs.push_back({e.path().filename().string(), Read(e.path())});
  }
  state.SetLabel(std::to_string(designs.size()) + " designs");
  for (auto _ : state) {
    for (const auto& [name, source] : designs) {
      abelc::CompiledFiles files = abelc::CompileToFiles(name, source, "Thu Jan  1 00:00:00 2026");
      if (!files.ok) state.SkipWithError("a design does not fit");
      benchmark::DoNotOptimize(files);
    }
  }
}
BENCHMARK(BM_CompileEveryOkDesignToFiles)->Unit(benchmark::kMillisecond);

// The whole compile step of one design: each classic example design, one
// benchmark per design; each should stay under 10 ms. A design that does not compile yet is
// reported as such, not timed.
void BM_CompileClassicExample(benchmark::State& state, const std::filesystem::path& path) {
  const std::string source = Read(path);
  const std::string name = path.filename().string();
  for (auto _ : state) {
    abelc::CompiledFiles files = abelc::CompileToFiles(name, source, "Thu Jan  1 00:00:00 2026");
    if (!files.ok) {
      state.SkipWithError("the design does not compile");
      break;
    }
    benchmark::DoNotOptimize(files);
  }
}

const bool kClassicRegistered = [] {
  std::vector<std::filesystem::path> designs;
  std::error_code error;
  for (const auto& e :
       std::filesystem::directory_iterator(std::string(QUELVOX_TESTDATA_DIR) + "/abel/classic", error)) {
    // Only the examples the classic compiler fitted: those with a fuse map beside them.
    std::filesystem::path jed = e.path();
    jed.replace_extension(".jed");
    if (e.path().extension() == ".abl" && std::filesystem::exists(jed)) designs.push_back(e.path());
  }
  std::sort(designs.begin(), designs.end());
  for (const auto& path : designs) {
    benchmark::RegisterBenchmark(("BM_CompileClassicExample/" + path.stem().string()).c_str(),
                                 BM_CompileClassicExample, path)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}();

// One design per family beyond the GAL16V8, GAL20V8 and GAL22V10: the one
// with the widest sum the family allows (on the GAL20XV10 a counter of XOR cells).
const bool kFamiliesRegistered = [] {
  for (const char* name : {"gal18v10_wide_sum", "gal20ra10_wide_sum", "gal20xv10_counter",
                           "gal26cv12_wide_sum", "gal26v12_wide_sum"}) {
    const std::filesystem::path path =
        std::filesystem::path(QUELVOX_SOURCE_DIR) / "tests/abelc/ok" / (std::string(name) + ".abl");
    benchmark::RegisterBenchmark((std::string("BM_CompileFamilyDesign/") + name).c_str(),
                                 BM_CompileClassicExample, path)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace
