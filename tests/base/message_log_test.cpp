// The message log: levels, the end in view, events dropped while a command runs.
#include "base/message_log.h"

#include <gtest/gtest.h>

#include "tests/support/recording_window.h"

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

}  // namespace
