// The message log: level lines, the appended text, the end kept in view, and
// the rounds of event handling (at most one per interval) that drop events.
#include "base/message_log.h"

#include "platform/clock.h"
#include "platform/window.h"

namespace {

bool pumpedBefore = false;  // false: no round yet since the last reset
std::int64_t lastPumpMs = 0;
bool linesUnshown = false;  // lines appended since the last round

}  // namespace

void PumpEvents() {
  Window& window = TheWindow();
  while (window.TakePendingEvent().Kind != EventKind::None) {
  }
  pumpedBefore = true;
  lastPumpMs = TheClock().NowMs();
  linesUnshown = false;
}

void MessageLog(const std::string& text, int level) {
  Window& window = TheWindow();
  if (level == LevelWarning) {
    window.AppendLine(Pane::Log, "WARNING!");
  } else if (level == LevelError) {
    window.AppendLine(Pane::Log, "ERROR!");
  }
  window.AppendLine(Pane::Log, text);
  window.ScrollToEnd(Pane::Log);
  linesUnshown = true;
  // A clock that went backwards (a test's virtual clock) counts as an interval passed.
  const std::int64_t sinceLast = TheClock().NowMs() - lastPumpMs;
  if (!pumpedBefore || sinceLast >= LogPumpIntervalMs || sinceLast < 0) PumpEvents();
}

void FlushMessageLog() {
  if (linesUnshown) PumpEvents();
}

void ResetMessageLogState() {
  pumpedBefore = false;
  lastPumpMs = 0;
  linesUnshown = false;
}
