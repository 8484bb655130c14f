// Programming a GAL22V10 through the simulated box at 115200 baud, verify
// included. Reported: the time on the virtual clock divided by the floor (every
// request and reply byte at 115200 baud, 2 ms per break pulse, one ErasePulse
// and one ProgPulse per written row), and the CPU time per Program of the host
// and the simulated box together.
#include <benchmark/benchmark.h>

#include <random>

#include "base/fuse_map.h"
#include "devices/gal_device.h"
#include "fuses/fuse_map_view.h"
#include "programmer/device_ops.h"
#include "programmer/program_device.h"
#include "tests/support/box_link.h"
#include "tests/support/recording_window.h"

namespace {

constexpr int Gal22V10Fuses = 5892;
constexpr double BreakPulseMicros = 2000;  // break held 1 ms, then 1 ms before the request

std::vector<std::uint8_t> RandomFuses(unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> fuses(Gal22V10Fuses);
  for (auto& fuse : fuses) fuse = static_cast<std::uint8_t>(random() & 1);
  return fuses;
}

void BM_ProgramGal22V10(benchmark::State& state) {
  const std::vector<std::uint8_t> map = RandomFuses(22), held = RandomFuses(23);
  double virtualMicros = 0, floorMicros = 0;
  std::int64_t programs = 0;
  for (auto _ : state) {
    TestWindowScope scope;
    BoxLink link;
    link.Insert("GAL22V10", held);
    link.Connect();
    SelectDevice(72);
    std::copy(map.begin(), map.end(), FuseMap.begin());
    FuseMapLength = Gal22V10Fuses;
    ShowFuseMap(Gal22V10Fuses);
    const std::int64_t start = link.Clock().NowMs();
    const int programmed = ProgramDevice(0, 0);
    virtualMicros += 1000.0 * static_cast<double>(link.Clock().NowMs() - start);
    int writtenRows = 0;
    for (const auto& frame : link.Box.Frames)
      if (frame[0] == 7 && frame[2] != 1) ++writtenRows;  // not the erase, whose request carries one byte
    floorMicros += link.Box.WireMicros + BreakPulseMicros * link.Box.BreakPulses +
                   1000.0 * (GalDevice.ErasePulse + writtenRows * GalDevice.ProgPulse);
    ++programs;
    if (programmed != 1 || link.Box.Socket->Fuses != map) {
      state.SkipWithError("the chip does not hold the map it was programmed with");
      break;
    }
  }
  state.counters["virtual_ms_per_program"] = virtualMicros / 1000.0 / static_cast<double>(programs);
  state.counters["floor_ms"] = floorMicros / 1000.0 / static_cast<double>(programs);
  state.counters["virtual_over_floor"] = virtualMicros / floorMicros;
}
BENCHMARK(BM_ProgramGal22V10)->Unit(benchmark::kMillisecond);

}  // namespace
