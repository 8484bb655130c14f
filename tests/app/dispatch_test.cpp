#include <gtest/gtest.h>

#include "app/commands.h"
#include "app/dispatch.h"
#include "tests/support/recording_window.h"

namespace {

const std::vector<std::string> DoneOnly{">>> done <<<"};

TEST(Dispatch, CommandsWithoutActionOnlyLogDone) {
  for (int id : {19, 20, 21, 22, 23, 24, 31, 32, 33, 0, -5, 18, 35, 1000}) {
    TestWindowScope scope;
    CurrentDesignPath = "keep.abl";
    DispatchCommand(id);
    EXPECT_EQ(scope.window().LogLines, DoneOnly) << id;
    EXPECT_TRUE(scope.window().Dialogs.empty()) << id;
    EXPECT_TRUE(scope.window().Boxes.empty()) << id;
    EXPECT_EQ(CurrentDesignPath, "keep.abl") << id;
  }
}

TEST(Dispatch, AboutShowsVersionAndBuildDate) {
  TestWindowScope scope;
  DispatchCommand(CmdAbout);
  ASSERT_EQ(scope.window().Boxes.size(), 1u);
  const ShownBox& box = scope.window().Boxes[0];
  EXPECT_EQ(box.Title, "Quelvox");
  EXPECT_EQ(box.Text, "Version 1.1 (demo)\r\nBuilt: 20.11.2021");
  EXPECT_EQ(box.Buttons, BoxButtons::Ok);
  EXPECT_EQ(scope.window().LogLines, DoneOnly);
}

TEST(Dispatch, BuildDateReadsTheSameInEveryTimeZone) {
  const char* saved = std::getenv("TZ");
  std::string savedTz = saved ? saved : "";
  for (const char* zone : {"UTC", "Pacific/Kiritimati", "America/Adak", "Asia/Kolkata"}) {
    setenv("TZ", zone, 1);
    tzset();
    EXPECT_EQ(FormatBuildDate(BuildMoment), "20.11.2021") << zone;
  }
  if (saved) setenv("TZ", savedTz.c_str(), 1); else unsetenv("TZ");
  tzset();
  EXPECT_EQ(FormatBuildDate(0), "01.01.1970");
  EXPECT_EQ(FormatBuildDate(951782400), "29.02.2000");
}

TEST(Dispatch, DevicesBoxListsThirteenDevices) {
  TestWindowScope scope;
  DispatchCommand(CmdSupportedDevices);
  ASSERT_EQ(scope.window().Boxes.size(), 1u);
  const ShownBox& box = scope.window().Boxes[0];
  EXPECT_EQ(box.Title, "Devices");
  EXPECT_EQ(box.Text,
            "GAL16V8\r\nGAL18V10\r\nGAL20V8\r\nGAL20XV10\r\nGAL20RA10\r\nGAL22V10\r\nATF16V8\r\nATF20V8\r\n"
            "ATF22V10\r\nGAL26V12\r\nGAL26CV12\r\nGAL6001 (GAL39V18)\r\nGAL6002");
  EXPECT_EQ(box.Buttons, BoxButtons::Ok);
}

TEST(Dispatch, ReadClearsTheDesignPath) {
  TestWindowScope scope;
  CurrentDesignPath = "C:\\d\\x.abl";
  DispatchCommand(CmdRead);
  EXPECT_EQ(CurrentDesignPath, "");
  EXPECT_EQ(scope.window().LogLines, DoneOnly);
}

TEST(Dispatch, OpenSetsTheDesignPathEvenWhenCancelled) {
  for (int id : {CmdOpenMenu, CmdOpenButton}) {
    TestWindowScope scope;
    auto& w = scope.window();
    CurrentDesignPath = "old.jed";
    w.CancelDialog();
    DispatchCommand(id);
    EXPECT_EQ(CurrentDesignPath, "");
    ASSERT_EQ(w.Dialogs.size(), 1u);
    EXPECT_EQ(w.Dialogs[0].Title, "Open");
    EXPECT_EQ(w.Dialogs[0].FilterIndex, 0);
    EXPECT_EQ(w.LogLines.back(), ">>> done <<<");
  }
}

TEST(Dispatch, CancelledCompileKeepsTheDesignPath) {
  TestWindowScope scope;
  auto& w = scope.window();
  CurrentDesignPath = "C:\\d\\x.abl";
  DispatchCommand(CmdCompile);
  ASSERT_EQ(w.Dialogs.size(), 1u);
  EXPECT_EQ(w.Dialogs[0].Title, "Open");
  EXPECT_EQ(w.Dialogs[0].FilterIndex, 1);
  EXPECT_EQ(CurrentDesignPath, "C:\\d\\x.abl");
  EXPECT_EQ(w.LogLines.back(), ">>> done <<<");
}

TEST(Dispatch, EventsArrivingDuringACommandAreDropped) {
  TestWindowScope scope;
  auto& w = scope.window();
  w.PendingEvents = {{EventKind::Menu, CmdAbout}, {EventKind::Close, 0}};
  EXPECT_FALSE(IsCommandRunning());
  DispatchCommand(CmdRead);
  EXPECT_FALSE(IsCommandRunning());
  EXPECT_TRUE(w.Boxes.empty());
  EXPECT_EQ(w.DroppedEvents.size(), 2u);
  EXPECT_EQ(w.LogLines, DoneOnly);
}

}  // namespace
