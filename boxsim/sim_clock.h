// A clock for runs against the simulated box: time moves only when the
// program sleeps, so a read takes no longer than the host's own work.
#pragma once

#include "platform/clock.h"

class SimulatedClock final : public Clock {
 public:
  void SleepMs(int milliseconds) override {
    if (milliseconds > 0) ms_ += milliseconds;
  }
  std::int64_t NowMs() override { return ms_; }
  LocalDateTime Now() override { return wall_->Now(); }

  explicit SimulatedClock(Clock& wall) : wall_(&wall) {}
  // Dates come from wall from now on; the simulated time runs on.
  void SetWall(Clock& wall) { wall_ = &wall; }

 private:
  std::int64_t ms_ = 0;
  Clock* wall_;  // dates still come from the real clock
};
