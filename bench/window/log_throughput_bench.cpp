// How fast the real log pane takes 10,000 lines: through MessageLog, which
// scrolls after every line and lets the window handle its events at most
// every LogPumpIntervalMs; with a round of events after every line, as the log
// once did; and through the plain pane append that long compiler listings use.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <string>

#include "app/main_window.h"
#include "base/message_log.h"
#include "commands/main_loop.h"

namespace {

constexpr int Lines = 10000;
MainWindow* window = nullptr;

void BM_LogWithPumping(benchmark::State& state) {
  for (auto _ : state) {
    window->ClearPane(Pane::Log);
    for (int i = 0; i < Lines; ++i) MessageLog("Row " + std::to_string(i) + " of the listing", LevelPlain);
  }
  state.counters["lines_per_s"] = benchmark::Counter(
      static_cast<double>(Lines) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LogWithPumping)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LogPumpingEveryLine(benchmark::State& state) {
  for (auto _ : state) {
    window->ClearPane(Pane::Log);
    for (int i = 0; i < Lines; ++i) {
      MessageLog("Row " + std::to_string(i) + " of the listing", LevelPlain);
      PumpEvents();
    }
  }
  state.counters["lines_per_s"] = benchmark::Counter(
      static_cast<double>(Lines) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LogPumpingEveryLine)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_LogWithoutPumping(benchmark::State& state) {
  for (auto _ : state) {
    window->ClearPane(Pane::Log);
    for (int i = 0; i < Lines; ++i)
      window->AppendLine(Pane::Log, "Row " + std::to_string(i) + " of the listing");
    QCoreApplication::processEvents();
  }
  state.counters["lines_per_s"] = benchmark::Counter(
      static_cast<double>(Lines) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LogWithoutPumping)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("DISPLAY") == nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr)
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::benchmark::Initialize(&argc, argv);
  ResetProgramState();
  MainWindow main;
  window = &main;
  InstallWindow(&main);
  main.show();
  QCoreApplication::processEvents();
  ::benchmark::RunSpecifiedBenchmarks();
  ::benchmark::Shutdown();
  InstallWindow(nullptr);
  return 0;
}
