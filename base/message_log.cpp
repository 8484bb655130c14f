// The message log: level lines, the appended text, the end kept in view, dropped events.
#include "base/message_log.h"

#include "platform/window.h"

void PumpEvents() {
  Window& window = TheWindow();
  while (window.TakePendingEvent().Kind != EventKind::None) {
  }
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
  PumpEvents();
}
