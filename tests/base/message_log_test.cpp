// The message log: levels, the end in view, events dropped while a command runs.
#include "base/message_log.h"

#include <gtest/gtest.h>

#include "tests/support/recording_window.h"
#include "tests/support/virtual_clock.h"

namespace {

struct LevelCase {
  int Level;
  std::string Text;
  std::vector<std::string> Lines;
};

TEST(MessageLog, EachLevelAddsItsLinesInOrder) {
  const LevelCase cases[] = {
      {LevelPlain, "hello", {"hello"}},
      {LevelWarning, "careful", {"WARNING!", "careful"}},
      {LevelError, "Can't access file", {"ERROR!", "Can't access file"}},
      {0, "level zero is plain", {"level zero is plain"}},
      {16, "so is sixteen", {"so is sixteen"}},
      {-1, "and minus one", {"and minus one"}},
      {LevelPlain, "", {""}},
      {LevelWarning, "", {"WARNING!", ""}},
      {LevelError, "", {"ERROR!", ""}},
  };
  for (const auto& c : cases) {
    TestWindowScope scope;
    MessageLog(c.Text, c.Level);
    EXPECT_EQ(scope.window().LogLines, c.Lines) << "level " << c.Level;
    EXPECT_TRUE(scope.window().FuseMapLines.empty());
  }
}

TEST(MessageLog, ScrollsToTheEndAndDropsEveryWaitingEvent) {
  TestWindowScope scope;
  auto& w = scope.window();
  w.PendingEvents = {{EventKind::Menu, 27}, {EventKind::Close, 0}, {EventKind::Gadget, 2}};
  MessageLog("line", LevelPlain);
  EXPECT_EQ(w.LogScrolls, 1);
  EXPECT_TRUE(w.PendingEvents.empty());
  EXPECT_EQ(w.DroppedEvents.size(), 3u);
  // The pump stops only when nothing is left.
  EXPECT_EQ(w.PumpCalls, 4);
}

TEST(MessageLog, HandlesEventsAtMostOncePerIntervalAndFlushesWhatItLeft) {
  TestWindowScope scope;
  VirtualClockScope clock;
  auto& w = scope.window();
  struct Step {
    std::int64_t AtMs;
    enum { Log, Flush, Reset } Action;
    int RoundsAfter;  // rounds of event handling so far (PumpCalls: nothing is waiting)
  };
  const Step steps[] = {
      {1000, Step::Log, 1},    // the first line: a round at once
      {1000, Step::Log, 1},    // same moment: left for the next round
      {1015, Step::Log, 1},    // still inside the interval
      {1016, Step::Log, 2},    // the interval has passed
      {1016, Step::Flush, 2},  // nothing was left
      {1020, Step::Log, 2},    // left for later again
      {1020, Step::Flush, 3},  // the line at 1020 is shown now
      {1020, Step::Flush, 3},  // and only once
      {500, Step::Log, 4},     // a clock that went back does not stop the rounds
      {501, Step::Log, 4},     // the interval counts from 500 now
      {501, Step::Reset, 4},   // a reset forgets the last round
      {502, Step::Log, 5},     // so the next line starts one at once
  };
  int lines = 0;
  for (const Step& step : steps) {
    clock.clock().Ms = step.AtMs;
    if (step.Action == Step::Log) {
      MessageLog("line " + std::to_string(++lines), LevelPlain);
    } else if (step.Action == Step::Flush) {
      FlushMessageLog();
    } else {
      ResetMessageLogState();
    }
    EXPECT_EQ(w.PumpCalls, step.RoundsAfter) << "at " << step.AtMs;
  }
  EXPECT_EQ(static_cast<int>(w.LogLines.size()), lines);
  EXPECT_EQ(w.LogScrolls, lines);  // the end is kept in view line by line
}

}  // namespace
