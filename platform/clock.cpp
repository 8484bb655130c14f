// The system clock and the installed clock of tests.
#include "platform/clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace {

class SystemClock final : public Clock {
 public:
  void SleepMs(int milliseconds) override {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
  std::int64_t NowMs() override {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  }
  LocalDateTime Now() override {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
  }
};

SystemClock systemClock;
Clock* installedClock = &systemClock;

}  // namespace

Clock& TheClock() {
  return *installedClock;
}
void InstallClock(Clock* clock) {
  installedClock = clock != nullptr ? clock : &systemClock;
}
