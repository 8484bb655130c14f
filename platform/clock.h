// Time as the core sees it: a millisecond sleep and the local date and time.
// Tests install a virtual clock so that long timeouts cost no real time.
#pragma once

#include <cstdint>

struct LocalDateTime {
  int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual void SleepMs(int milliseconds) = 0;
  virtual std::int64_t NowMs() = 0;  // monotonic milliseconds
  virtual LocalDateTime Now() = 0;   // local wall-clock time
};

// The clock in use; the system clock unless something else was installed.
Clock& TheClock();
void InstallClock(Clock* clock);  // nullptr restores the system clock
