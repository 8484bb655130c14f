// Reading a GAL22V10 through the simulated box at 115200 baud. Reported:
// the time the read takes on the virtual clock divided by the wire floor (every
// request and reply byte at 115200 baud plus 2 ms per break pulse), and the
// CPU time per read of the host and the simulated box together.
#include <benchmark/benchmark.h>

#include <random>

#include "base/fuse_map.h"
#include "programmer/device_ops.h"
#include "programmer/link_operation.h"
#include "tests/support/box_link.h"
#include "tests/support/recording_window.h"

namespace {

constexpr int Gal22V10Fuses = 5892;
constexpr double BreakPulseMicros = 2000;  // break held 1 ms, then 1 ms before the request

void BM_ReadGal22V10(benchmark::State& state) {
  std::mt19937 random(22);
  std::vector<std::uint8_t> fuses(Gal22V10Fuses);
  for (auto& fuse : fuses) fuse = static_cast<std::uint8_t>(random() & 1);
  double virtualMicros = 0, floorMicros = 0;
  std::int64_t reads = 0;
  for (auto _ : state) {
    TestWindowScope scope;
    BoxLink link;
    link.Insert("GAL22V10", fuses);
    link.Connect();
    const std::int64_t start = link.Clock().NowMs();
    ReadOrVerifyDevice(0, 1);
    virtualMicros += 1000.0 * static_cast<double>(link.Clock().NowMs() - start);
    floorMicros += link.Box.WireMicros + BreakPulseMicros * link.Box.BreakPulses;
    ++reads;
    if (LinkOperationStopped() || !std::equal(fuses.begin(), fuses.end(), FuseMap.begin())) {
      state.SkipWithError("the chip did not read back as it was loaded");
      break;
    }
  }
  state.counters["virtual_ms_per_read"] = virtualMicros / 1000.0 / static_cast<double>(reads);
  state.counters["wire_floor_ms"] = floorMicros / 1000.0 / static_cast<double>(reads);
  state.counters["virtual_over_floor"] = virtualMicros / floorMicros;
}
BENCHMARK(BM_ReadGal22V10)->Unit(benchmark::kMillisecond);

}  // namespace
