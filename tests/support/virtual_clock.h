// A clock whose time moves only when the program sleeps (or a test says so),
// so a four-second timeout costs no real time.
#pragma once

#include <cstdint>

#include "platform/clock.h"

class VirtualClock final : public Clock {
 public:
  std::int64_t Ms = 0;
  std::int64_t TotalSleptMs = 0;
  LocalDateTime Wall{2024, 3, 5, 7, 8, 9};

  void SleepMs(int milliseconds) override {
    if (milliseconds > 0) {
      Ms += milliseconds;
      TotalSleptMs += milliseconds;
    }
  }
  std::int64_t NowMs() override { return Ms; }
  LocalDateTime Now() override { return Wall; }
};

// Installs a virtual clock for the lifetime of the object.
class VirtualClockScope {
 public:
  VirtualClockScope() { InstallClock(&clock_); }
  ~VirtualClockScope() { InstallClock(nullptr); }
  VirtualClock& clock() { return clock_; }

 private:
  VirtualClock clock_;
};
