// The main loop, the greeting and the reset of the program state.
#include "commands/main_loop.h"

#include <gtest/gtest.h>

#include "base/design_path.h"
#include "commands/command_ids.h"
#include "commands/design_state.h"
#include "commands/dispatch.h"
#include "tests/support/box_link.h"
#include "tests/support/recording_window.h"

namespace {

// Numbers that no item carries: their commands only close with ">>> done <<<".
constexpr int NoItem = 18, OtherNoItem = 1000;

TEST(MainLoop, GreetsOnceThenRunsEachCommandToItsEndUntilClose) {
  TestWindowScope scope;
  auto& w = scope.window();
  GreetUser();
  EXPECT_EQ(w.LogLines, std::vector<std::string>{"Welcome Quelvox user"});

  w.LoopEvents = {{EventKind::Menu, NoItem}, {EventKind::Gadget, 1},
                  {EventKind::Size, 0},      {EventKind::Menu, CmdAbout},
                  {EventKind::Close, 0},     {EventKind::Menu, CmdSupportedDevices}};
  EXPECT_EQ(RunMainLoop(), 0);
  EXPECT_EQ(w.LogLines, (std::vector<std::string>{"Welcome Quelvox user", ">>> done <<<", ">>> done <<<"}));
  EXPECT_EQ(w.Boxes.size(), 1u);  // the close came before the Devices box
  EXPECT_EQ(w.LoopEvents.size(), 1u);
}

TEST(MainLoop, QuitEndsTheLoopAsACloseDoes) {
  TestWindowScope scope;
  auto& w = scope.window();
  w.LoopEvents = {{EventKind::Menu, CmdAbout}, {EventKind::Menu, CmdQuit}, {EventKind::Menu, CmdAbout}};
  EXPECT_EQ(RunMainLoop(), 0);
  EXPECT_EQ(w.Boxes.size(), 1u);
  EXPECT_EQ(w.LogLines, std::vector<std::string>{">>> done <<<"});
  EXPECT_EQ(w.LoopEvents.size(), 1u);
}

// Closing the window or Quit with a changed map not on disk asks first; No
// keeps the window, Yes ends the program.
TEST(MainLoop, CloseAndQuitAskBeforeUnsavedChangesAreLost) {
  for (UnsavedChange change : {UnsavedChange::ChipRead, UnsavedChange::Edited}) {
    TestWindowScope scope;
    auto& w = scope.window();
    SetUnsavedChange(change);
    w.LoopEvents = {{EventKind::Close, 0},
                    {EventKind::Menu, CmdAbout},
                    {EventKind::Menu, CmdQuit},
                    {EventKind::Menu, CmdAbout}};
    w.BoxAnswers = {BoxAnswer::No, BoxAnswer::Ok, BoxAnswer::Yes};
    EXPECT_EQ(RunMainLoop(), 0);
    ASSERT_EQ(w.Boxes.size(), 3u);
    const std::string question =
        change == UnsavedChange::ChipRead ? DiscardReadQuestion : DiscardChangesQuestion;
    for (int i : {0, 2}) {
      EXPECT_EQ(w.Boxes[i].Text, question);
      EXPECT_TRUE(w.Boxes[i].DefaultNo);
    }
    EXPECT_EQ(w.LoopEvents.size(), 1u);
  }
}

TEST(MainLoop, AClickDuringACommandIsNeverRunAndACloseDoesNotEndTheProgram) {
  TestWindowScope scope;
  auto& w = scope.window();
  // Each line a command appends lets the window deliver a click and a close.
  w.OnAppend = [&w](Pane, const std::string& text) {
    if (text == ">>> done <<<" && w.DroppedEvents.empty())
      w.PendingEvents = {{EventKind::Menu, CmdAbout}, {EventKind::Close, 0}};
  };
  w.LoopEvents = {{EventKind::Menu, NoItem}, {EventKind::Menu, OtherNoItem}};
  EXPECT_EQ(RunMainLoop(), 0);
  EXPECT_TRUE(w.Boxes.empty());
  EXPECT_EQ(w.DroppedEvents.size(), 2u);
  // The loop went on to the next command after the dropped close.
  EXPECT_EQ(w.LogLines, (std::vector<std::string>{">>> done <<<", ">>> done <<<"}));
}

TEST(MainLoop, ResetRestoresTheStartUpState) {
  TestWindowScope scope;
  CurrentDesignPath = "x";
  ResetCounter = 5;
  ResetProgramState();
  EXPECT_EQ(CurrentDesignPath, "");
  EXPECT_EQ(ResetCounter, 0);
}

// No command raises the counter; these tests raise it when the command ends.
void RaiseCounterAfterEachCommand(RecordingWindow& w, int value) {
  w.OnAppend = [value](Pane, const std::string& text) {
    if (text == ">>> done <<<") ResetCounter = value;
  };
}

TEST(MainLoop, ACounterOf2RedetectsTheBoxAfterTheCommand) {
  TestWindowScope scope;
  BoxLink link("COM4");
  auto& w = scope.window();
  RaiseCounterAfterEachCommand(w, 2);
  // The re-detection's 10 ms wait takes the gadget event and drops it.
  w.LoopEvents = {{EventKind::Menu, OtherNoItem}, {EventKind::Gadget, 3}, {EventKind::Menu, NoItem}};
  const std::int64_t start = link.Clock().NowMs();
  EXPECT_EQ(RunMainLoop(), 0);
  EXPECT_TRUE(w.LoopEvents.empty());
  EXPECT_GE(link.Clock().NowMs() - start, 600 + 43);
  // Each re-detection clears the log, so only the last one's lines remain.
  EXPECT_EQ(w.LogLines, (std::vector<std::string>{"Quelvox_V1.0 found @ COM4"}));
  EXPECT_TRUE(link.Ports.IsOpen());
  EXPECT_TRUE(w.Boxes.empty());
}

TEST(MainLoop, NoBoxOnRedetectionEndsTheProgram) {
  TestWindowScope scope;
  BoxLink link;
  link.Box.Unplugged = true;
  auto& w = scope.window();
  RaiseCounterAfterEachCommand(w, 2);
  w.LoopEvents = {{EventKind::Menu, OtherNoItem}, {EventKind::Menu, CmdAbout}, {EventKind::Menu, CmdAbout}};
  EXPECT_EQ(RunMainLoop(), 0);
  ASSERT_EQ(w.Boxes.size(), 1u);
  EXPECT_EQ(w.Boxes[0].Text, "Hardware not present!");
  EXPECT_EQ(w.LoopEvents.size(), 1u);  // the wait took one, the loop ran no more
}

TEST(MainLoop, ACounterBelow2DoesNothing) {
  TestWindowScope scope;
  auto& w = scope.window();
  RaiseCounterAfterEachCommand(w, 1);
  w.LoopEvents = {{EventKind::Menu, OtherNoItem}, {EventKind::Menu, OtherNoItem}};
  EXPECT_EQ(RunMainLoop(), 0);
  EXPECT_EQ(w.LogLines, (std::vector<std::string>{">>> done <<<", ">>> done <<<"}));
}

}  // namespace
