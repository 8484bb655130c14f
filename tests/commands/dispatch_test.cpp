// Every CommandId through the dispatcher: its action, its closing line and its result.
#include "commands/dispatch.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/design_path.h"
#include "base/fuse_map.h"
#include "base/message_log.h"
#include "boxsim/sim_port.h"
#include "commands/command_ids.h"
#include "devices/gal_device.h"
#include "fuses/fuse_map_view.h"
#include "programmer/link_buffers.h"
#include "tests/support/box_link.h"
#include "tests/support/recording_window.h"
#include "tests/support/virtual_clock.h"

namespace {

const std::vector<std::string> DoneOnly{">>> done <<<"};

TEST(Dispatch, CommandsWithoutActionOnlyLogDone) {
  for (int id : {19, 20, 21, 22, 23, 24, 31, 0, -5, 18, 35, 1000}) {
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
  if (saved)
    setenv("TZ", savedTz.c_str(), 1);
  else
    unsetenv("TZ");
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

TEST(Dispatch, ReadClearsTheDesignPathEvenWithoutHardware) {
  TestWindowScope scope;
  BoxLink link;
  link.Box.Unplugged = true;
  CurrentDesignPath = "C:\\d\\x.abl";
  DispatchCommand(CmdRead);
  EXPECT_EQ(CurrentDesignPath, "");
  EXPECT_EQ(scope.window().LogLines,
            (std::vector<std::string>{"ERROR!", "Hardware not present!", ">>> done <<<"}));
  EXPECT_FALSE(link.Ports.IsOpen());
}

TEST(Dispatch, ProgrammerCommandsWithoutABoxEndAfterTheScan) {
  for (int id : {CmdVerify, CmdErase}) {
    TestWindowScope scope;
    SimulatedPorts nothing;
    InstallSerialPort(&nothing);
    DispatchCommand(id);
    InstallSerialPort(nullptr);
    EXPECT_EQ(nothing.OpenAttempts.size(), 33u) << id;
    EXPECT_EQ(scope.window().LogLines,
              (std::vector<std::string>{"ERROR!", "Hardware not present!", ">>> done <<<"}))
        << id;
    EXPECT_TRUE(scope.window().Boxes.empty()) << id;
  }
}

// A GAL16V8 holding fuses 0, 1, 0, 1, ... in the box on COM3.
struct ChipInBox {
  TestWindowScope scope;
  BoxLink link;
  std::vector<std::uint8_t> fuses;
  ChipInBox() {
    for (int i = 0; i < 2194; ++i) fuses.push_back(static_cast<std::uint8_t>(i & 1));
    link.Insert("GAL16V8", fuses);
  }
  std::vector<std::string>& Log() { return scope.window().LogLines; }
};

TEST(Dispatch, ReadFindsTheBoxAndShowsTheChip) {
  ChipInBox x;
  CurrentDesignPath = "C:\\d\\x.abl";
  DispatchCommand(CmdRead);
  EXPECT_EQ(CurrentDesignPath, "");
  EXPECT_EQ(std::vector<std::uint8_t>(FuseMap.begin(), FuseMap.begin() + 2194), x.fuses);
  EXPECT_EQ(x.scope.window().FuseMapLines.size(), 69u);
  EXPECT_EQ(x.Log().back(), ">>> done <<<");
  EXPECT_EQ(x.Log()[x.Log().size() - 2], "->read");
  EXPECT_EQ(x.link.Ports.OpenName(), "COM3");

  // The port stays open: the next command scans no more.
  x.Log().clear();
  DispatchCommand(CmdVerify);
  EXPECT_EQ(x.Log().back(), ">>> done <<<");
  EXPECT_EQ(x.Log()[x.Log().size() - 2], "*** SUCCESS ***");
  EXPECT_EQ(x.link.Ports.OpenAttempts.size(), 4u);
}

TEST(Dispatch, AReadStoppedByTheLinkEndsAsAbortedAndKeepsTheDesign) {
  ChipInBox x;
  SelectDevice(72);
  FuseMap.fill(1);
  FuseMapLength = 5892;
  ShowFuseMap(5892);
  const auto shown = x.scope.window().FuseMapLines;
  x.link.Box.UnplugAfter(10);
  DispatchCommand(CmdRead);
  EXPECT_EQ(x.Log().back(), "-- aborted --");
  EXPECT_EQ(x.Log()[x.Log().size() - 2], "Connection Timeout");
  EXPECT_EQ(x.scope.window().FuseMapLines, shown);
  EXPECT_EQ(GalDevice.Name, "GAL22V10");
  EXPECT_EQ(FuseMapLength, 5892);
}

// Unplugged in the middle of a read, the box never answers again: every later
// command meets one timeout, ends as aborted within the link's four seconds
// (plus the wake-up and pulses around it), keeps the design and leaves the
// port as it was, so the program runs on and says why each time.
TEST(Dispatch, AfterTheBoxIsUnpluggedMidReadEveryCommandTimesOutAndEnds) {
  ChipInBox x;
  x.link.Box.UnplugAfter(10);
  DispatchCommand(CmdRead);
  ASSERT_EQ(x.Log().back(), "-- aborted --");
  const auto shown = x.scope.window().FuseMapLines;
  const std::int64_t length = FuseMapLength;
  for (int id : {CmdRead, CmdVerify, CmdErase, CmdRead}) {
    x.Log().clear();
    x.scope.window().AnswerBox(BoxAnswer::Yes);
    const std::int64_t start = x.link.Clock().NowMs();
    DispatchCommand(id);
    EXPECT_LE(x.link.Clock().NowMs() - start, 4000 + 100) << id;
    ASSERT_GE(x.Log().size(), 2u) << id;
    EXPECT_EQ(x.Log()[x.Log().size() - 2], "Connection Timeout") << id;
    EXPECT_EQ(x.Log().back(), "-- aborted --") << id;
    EXPECT_EQ(std::count(x.Log().begin(), x.Log().end(), "Connection Timeout"), 1) << id;
    EXPECT_EQ(x.scope.window().FuseMapLines, shown) << id;
    EXPECT_EQ(FuseMapLength, length) << id;
    EXPECT_EQ(x.link.Ports.OpenName(), "COM3") << id;
  }
}

TEST(Dispatch, EraseAsksFirstWithNoAsTheDefault) {
  for (BoxAnswer answer : {BoxAnswer::No, BoxAnswer::Closed, BoxAnswer::Yes}) {
    ChipInBox x;
    x.scope.window().AnswerBox(answer);
    DispatchCommand(CmdErase);
    ASSERT_EQ(x.scope.window().Boxes.size(), 1u);
    const ShownBox& box = x.scope.window().Boxes[0];
    EXPECT_EQ(box.Text, "Erase the GAL in the programmer?");
    EXPECT_EQ(box.Buttons, BoxButtons::YesNo);
    EXPECT_TRUE(box.DefaultNo);
    const bool erased = x.link.Box.Socket->Fuses == std::vector<std::uint8_t>(2194, 1);
    EXPECT_EQ(erased, answer == BoxAnswer::Yes);
    EXPECT_EQ(x.link.Box.Frames.empty(), answer != BoxAnswer::Yes);
    EXPECT_EQ(x.Log().back(), ">>> done <<<");
  }
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
  DispatchCommand(CmdProgram);
  EXPECT_FALSE(IsCommandRunning());
  EXPECT_TRUE(w.Boxes.empty());
  EXPECT_EQ(w.DroppedEvents.size(), 2u);
  EXPECT_EQ(w.LogLines, DoneOnly);
}

TEST(Dispatch, TheClosingLineDropsWhatArrivedSinceTheLastRoundOfTheLog) {
  TestWindowScope scope;
  VirtualClockScope clock;  // no time passes: the log would leave the closing line for later
  auto& w = scope.window();
  w.OnAppend = [&w](Pane, const std::string& text) {
    if (text == ">>> done <<<") w.PendingEvents = {{EventKind::Menu, CmdAbout}, {EventKind::Close, 0}};
  };
  RunAsCommand([] {
    MessageLog("working", LevelPlain);
    return CommandDone();
  });
  EXPECT_TRUE(w.PendingEvents.empty());
  EXPECT_EQ(w.DroppedEvents.size(), 2u);
  EXPECT_EQ(w.LogLines, (std::vector<std::string>{"working", ">>> done <<<"}));
}

}  // namespace
