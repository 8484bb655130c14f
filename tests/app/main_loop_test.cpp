#include <gtest/gtest.h>

#include "app/commands.h"
#include "app/dispatch.h"
#include "app/main_loop.h"
#include "tests/support/recording_window.h"

namespace {

TEST(MainLoop, GreetsOnceThenRunsEachCommandToItsEndUntilClose) {
  TestWindowScope scope;
  auto& w = scope.window();
  GreetUser();
  EXPECT_EQ(w.LogLines, std::vector<std::string>{"Welcome Quelvox user"});

  w.LoopEvents = {{EventKind::Menu, CmdSupplyTest},
                  {EventKind::Gadget, 1},
                  {EventKind::Size, 0},
                  {EventKind::Menu, CmdAbout},
                  {EventKind::Close, 0},
                  {EventKind::Menu, CmdSupportedDevices}};
  EXPECT_EQ(RunMainLoop(), 0);
  EXPECT_EQ(w.LogLines,
            (std::vector<std::string>{"Welcome Quelvox user", ">>> done <<<", ">>> done <<<"}));
  EXPECT_EQ(w.Boxes.size(), 1u);  // the close came before the Devices box
  EXPECT_EQ(w.LoopEvents.size(), 1u);
}

TEST(MainLoop, AClickDuringACommandIsNeverRunAndACloseDoesNotEndTheProgram) {
  TestWindowScope scope;
  auto& w = scope.window();
  // Each line a command appends lets the window deliver a click and a close.
  w.OnAppend = [&w](Pane, const std::string& text) {
    if (text == ">>> done <<<" && w.DroppedEvents.empty())
      w.PendingEvents = {{EventKind::Menu, CmdAbout}, {EventKind::Close, 0}};
  };
  w.LoopEvents = {{EventKind::Menu, CmdRead}, {EventKind::Menu, CmdProgram}};
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

}  // namespace
