// Every CommandId through the dispatcher: its action, its closing line and its result.
#include "commands/dispatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "base/design_path.h"
#include "base/fuse_map.h"
#include "base/message_log.h"
#include "base/requesters.h"
#include "boxsim/sim_port.h"
#include "commands/command_ids.h"
#include "commands/design_state.h"
#include "commands/device_commands.h"
#include "commands/pin_panel.h"
#include "devices/gal_device.h"
#include "fuses/fuse_map_view.h"
#include "programmer/link_buffers.h"
#include "tests/fuses/fuse_test_files.h"
#include "tests/support/box_link.h"
#include "tests/support/recording_window.h"
#include "tests/support/virtual_clock.h"

namespace {

const std::vector<std::string> DoneOnly{">>> done <<<"};

TEST(Dispatch, NumbersWithoutAnItemOnlyLogDone) {
  for (int id : {0, -5, 18, 35, 1000}) {
    TestWindowScope scope;
    CurrentDesignPath = "keep.abl";
    DispatchCommand(id);
    EXPECT_EQ(scope.window().LogLines, DoneOnly) << id;
    EXPECT_TRUE(scope.window().Dialogs.empty()) << id;
    EXPECT_TRUE(scope.window().Boxes.empty()) << id;
    EXPECT_EQ(CurrentDesignPath, "keep.abl") << id;
  }
}

TEST(Dispatch, ItemsWhoseRequestsAreNotKnownSaySo) {
  const std::pair<int, const char*> items[] = {
      {CmdDisableAtmelPd, "Disable ATMEL PD feature"},
      {CmdAtmelConditioning, "ATMEL Conditioning"},
      {CmdSupplyTest, "Supply test"},
  };
  for (const auto& [id, text] : items) {
    TestWindowScope scope;
    DispatchCommand(id);
    EXPECT_EQ(scope.window().LogLines,
              (std::vector<std::string>{std::string("Not available: ") + text, ">>> done <<<"}));
  }
}

TEST(Dispatch, ProgramAndSetUserSignatureNeedALoadedMap) {
  for (int id : {CmdProgram, CmdSetUserSignature}) {
    TestWindowScope scope;
    SimulatedPorts nothing;
    InstallSerialPort(&nothing);
    const CommandResult result = DispatchCommand(id);
    InstallSerialPort(nullptr);
    EXPECT_EQ(result.Status, CommandStatus::Failed) << id;
    EXPECT_EQ(scope.window().LogLines,
              (std::vector<std::string>{"ERROR!", "No fuse map loaded", ">>> done <<<"}))
        << id;
    EXPECT_TRUE(nothing.OpenAttempts.empty()) << id;
    EXPECT_TRUE(scope.window().TextDialogs.empty()) << id;
  }
}

TEST(Dispatch, TheSecurityItemTogglesAndShowsItsMark) {
  TestWindowScope scope;
  EXPECT_FALSE(SecurityFeatureEnabled());
  for (bool expected : {true, false, true}) {
    scope.window().LogLines.clear();
    DispatchCommand(CmdEnableSecurity);
    EXPECT_EQ(SecurityFeatureEnabled(), expected);
    EXPECT_EQ(scope.window().CheckMarks[CmdEnableSecurity], expected);
    EXPECT_EQ(scope.window().LogLines, DoneOnly);
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
  // Each port tried, and why there was no box.
  EXPECT_EQ(scope.window().LogLines,
            (std::vector<std::string>{"ERROR!", "Hardware not present!", "COM0 to COM2: no such port",
                                      "COM3: no answer from a programmer box", "COM4 to COM32: no such port",
                                      ">>> done <<<"}));
  EXPECT_FALSE(link.Ports.IsOpen());
}

// Equations, Export ABEL design and Simulate need a shown map (every GAL
// family's map is read); without one they fail after one line, before any dialog.
TEST(Dispatch, LogicCommandsWithoutAMapTheyReadFail) {
  for (int id : {CmdEquations, CmdExportAbel, CmdSimulate}) {
    TestWindowScope scope;
    const CommandResult result = DispatchCommand(id);
    EXPECT_EQ(result.Status, CommandStatus::Failed) << id;
    EXPECT_EQ(
        scope.window().LogLines,
        (std::vector<std::string>{"ERROR!", "No fuse map loaded: open or read one first", ">>> done <<<"}))
        << id;
    EXPECT_TRUE(scope.window().Dialogs.empty()) << id;
    EXPECT_EQ(scope.window().PinPanelOpens, 0) << id;
  }
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
              (std::vector<std::string>{"ERROR!", "Hardware not present!", "COM0 to COM32: no such port",
                                        ">>> done <<<"}))
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

// Save with no fuse map on show asks for no name and writes nothing, also
// after a failed load that left the count of the map shown before.
TEST(Dispatch, SaveWithNothingLoadedWritesNothing) {
  for (bool loadedBefore : {false, true}) {
    TestWindowScope scope;
    auto& w = scope.window();
    if (loadedBefore) {
      SelectDevice(0);
      ShowFuseMap(2194);
      w.ClearPane(Pane::FuseMap);
    }
    for (int id : {CmdSaveAsMenu, CmdSaveButton}) {
      w.LogLines.clear();
      w.AnswerDialog("/nonexistent/never.jed");
      EXPECT_EQ(DispatchCommand(id).Status, CommandStatus::Failed);
      EXPECT_TRUE(w.Dialogs.empty());
      EXPECT_EQ(w.LogLines, (std::vector<std::string>{"ERROR!", "Nothing to save: no fuse map is loaded",
                                                      ">>> done <<<"}));
    }
  }
}

// A map read from the chip and not saved: Open, Compile and Read ask before
// they replace it; No keeps it, Yes goes on. A save ends the question.
TEST(Dispatch, AnUnsavedReadIsNotDiscardedWithoutAsking) {
  for (int id : {CmdOpenMenu, CmdOpenButton, CmdCompile, CmdRead}) {
    for (BoxAnswer answer : {BoxAnswer::No, BoxAnswer::Closed, BoxAnswer::Yes}) {
      ChipInBox x;
      auto& w = x.scope.window();
      ASSERT_TRUE(DispatchCommand(CmdRead).IsDone());
      const auto shown = w.FuseMapLines;
      w.AnswerBox(answer);
      w.CancelDialog();
      const CommandResult result = DispatchCommand(id);
      ASSERT_EQ(w.Boxes.size(), 1u) << id;
      EXPECT_EQ(w.Boxes[0].Text, "The fuse map read from the chip is not saved. Discard it?");
      EXPECT_EQ(w.Boxes[0].Buttons, BoxButtons::YesNo);
      EXPECT_TRUE(w.Boxes[0].DefaultNo);
      const bool goesOn = answer == BoxAnswer::Yes;
      EXPECT_EQ(result.Status == CommandStatus::Cancelled, !goesOn || id != CmdRead) << id;
      EXPECT_EQ(w.Dialogs.size(), goesOn && id != CmdRead ? 1u : 0u) << id;
      EXPECT_EQ(w.FuseMapLines, shown) << id;
    }
  }
  ChipInBox x;
  auto& w = x.scope.window();
  DispatchCommand(CmdRead);
  ScratchDir dir;
  w.AnswerDialog(dir / "read.jed");
  ASSERT_TRUE(DispatchCommand(CmdSaveAsMenu).IsDone());
  w.CancelDialog();
  DispatchCommand(CmdOpenMenu);
  EXPECT_TRUE(w.Boxes.empty());

  // A new user signature is a change too, asked about in its own words; a
  // read edited so is still a read.
  for (bool readFirst : {false, true}) {
    if (readFirst) DispatchCommand(CmdRead);
    w.TextAnswers.push_back("NEW");
    ASSERT_TRUE(DispatchCommand(CmdSetUserSignature).IsDone());
    w.Boxes.clear();
    EXPECT_EQ(DispatchCommand(CmdOpenMenu).Status, CommandStatus::Cancelled);
    ASSERT_EQ(w.Boxes.size(), 1u);
    EXPECT_EQ(w.Boxes[0].Text, readFirst ? DiscardReadQuestion : DiscardChangesQuestion);
    w.AnswerDialog(dir / "read.jed");
    w.AnswerBox(BoxAnswer::Yes);  // replace the earlier save
    ASSERT_TRUE(DispatchCommand(CmdSaveAsMenu).IsDone());
    w.Boxes.clear();
    w.CancelDialog();
    DispatchCommand(CmdOpenMenu);
    EXPECT_TRUE(w.Boxes.empty());
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
  DispatchCommand(1000);
  EXPECT_FALSE(IsCommandRunning());
  EXPECT_TRUE(w.Boxes.empty());
  EXPECT_EQ(w.DroppedEvents.size(), 2u);
  EXPECT_EQ(w.LogLines, DoneOnly);
}

// A GAL16V8 map of fuses 1, 1, 0, 1, 1, 0, ... shown as after opening its file.
std::vector<std::uint8_t> ShowGal16V8Map() {
  std::vector<std::uint8_t> map;
  for (int i = 0; i < 2194; ++i) map.push_back(i % 3 == 2 ? 0 : 1);
  SelectDevice(0);
  std::copy(map.begin(), map.end(), FuseMap.begin());
  FuseMapLength = 2194;
  ShowFuseMap(2194);
  return map;
}

TEST(Dispatch, ProgramAsksFirstWithNoAsTheDefault) {
  for (BoxAnswer answer : {BoxAnswer::No, BoxAnswer::Closed, BoxAnswer::Yes}) {
    ChipInBox x;
    const std::vector<std::uint8_t> map = ShowGal16V8Map();
    x.scope.window().AnswerBox(answer);
    const CommandResult result = DispatchCommand(CmdProgram);
    ASSERT_EQ(x.scope.window().Boxes.size(), 1u);
    const ShownBox& box = x.scope.window().Boxes[0];
    EXPECT_EQ(box.Text, "Replace the contents of the GAL16V8 in the programmer?");
    EXPECT_EQ(box.Buttons, BoxButtons::YesNo);
    EXPECT_TRUE(box.DefaultNo);
    const bool yes = answer == BoxAnswer::Yes;
    EXPECT_EQ(x.link.Box.Socket->Fuses, yes ? map : x.fuses);
    EXPECT_EQ(result.Status, yes ? CommandStatus::Done : CommandStatus::Cancelled);
    EXPECT_EQ(x.link.Box.Frames.back(), (std::vector<std::uint8_t>{2, 2}));
    const auto writes = std::count_if(x.link.Box.Frames.begin(), x.link.Box.Frames.end(),
                                      [](const std::vector<std::uint8_t>& f) { return f[0] == 7; });
    EXPECT_EQ(writes, yes ? 1 + 32 + 2 : 0);  // erase, rows, UES, configuration
    EXPECT_EQ(x.Log().back(), ">>> done <<<");
    if (yes) {
      EXPECT_EQ(x.Log()[x.Log().size() - 2], "*** SUCCESS ***");
    }
  }
}

// A map from a file that may have lost fuses: Program asks (No by default),
// the command line's program refuses without force; the commands that go
// on say so first, Save also of the new checksum; a read from the chip
// ends it.
TEST(Dispatch, AMapFromADamagedFileIsProgrammedOnlyOnTheUsersWord) {
  const std::string damaged = "The fuse map was loaded from a damaged file (the file ends inside a field)";
  struct Case {
    const char* Name;
    std::function<CommandResult()> Run;
    std::vector<BoxAnswer> Answers;
    CommandStatus Status;
  };
  const Case cases[] = {
      {"window, No", [] { return DispatchCommand(CmdProgram); }, {BoxAnswer::No}, CommandStatus::Cancelled},
      {"window, closed", [] { return DispatchCommand(CmdProgram); }, {}, CommandStatus::Cancelled},
      {"window, Yes",
       [] { return DispatchCommand(CmdProgram); },
       {BoxAnswer::Yes, BoxAnswer::Yes},
       CommandStatus::Done},
      {"command line", [] { return RunDeviceProgram(0, 0); }, {}, CommandStatus::Failed},
      {"command line, forced", [] { return RunDeviceProgram(0, 1); }, {}, CommandStatus::Done},
  };
  for (const Case& c : cases) {
    ChipInBox x;
    auto& w = x.scope.window();
    const std::vector<std::uint8_t> map = ShowGal16V8Map();
    LoadedMapFindings.Damage = "the file ends inside a field";
    w.BoxAnswers.assign(c.Answers.begin(), c.Answers.end());
    EXPECT_EQ(c.Run().Status, c.Status) << c.Name;
    const bool programmed = c.Status == CommandStatus::Done;
    EXPECT_EQ(x.link.Box.Socket->Fuses, programmed ? map : x.fuses) << c.Name;
    if (std::string(c.Name).rfind("window", 0) == 0) {
      ASSERT_FALSE(w.Boxes.empty()) << c.Name;
      EXPECT_EQ(w.Boxes[0].Text, damaged + ". Program it anyway?") << c.Name;
      EXPECT_TRUE(w.Boxes[0].DefaultNo) << c.Name;
    } else {
      EXPECT_TRUE(w.Boxes.empty()) << c.Name;
      const std::string said = damaged + (programmed ? ": programmed anyway, as asked"
                                                     : ": not programmed (--force programs it anyway)");
      EXPECT_NE(std::find(x.Log().begin(), x.Log().end(), said), x.Log().end()) << c.Name;
    }
  }

  ChipInBox x;
  auto& w = x.scope.window();
  ShowGal16V8Map();
  LoadedMapFindings.Damage = "the file ends inside a field";
  ScratchDir dir;
  const std::vector<std::string> repeated{"WARNING!", damaged};
  const auto startsWith = [&](const std::vector<std::string>& lines) {
    return std::equal(lines.begin(), lines.end(), x.Log().begin());
  };
  w.TextAnswers.push_back("NEW");
  EXPECT_TRUE(DispatchCommand(CmdSetUserSignature).IsDone());
  EXPECT_TRUE(startsWith(repeated));
  x.Log().clear();
  w.AnswerDialog(dir / "out.jed");
  EXPECT_TRUE(DispatchCommand(CmdSaveAsMenu).IsDone());
  EXPECT_TRUE(startsWith(
      {"WARNING!", damaged, "The new file's checksum was computed over fuses that may be incomplete"}));
  x.Log().clear();
  DispatchCommand(CmdVerify);  // which starts the log afresh: said beside its result
  EXPECT_TRUE(std::equal(repeated.begin(), repeated.end(), x.Log().end() - 3));
  EXPECT_EQ(LoadedMapFindings.Damage, "the file ends inside a field");  // a new signature kept it
  w.AnswerBox(BoxAnswer::Yes);                                          // discard the unsaved signature
  ASSERT_TRUE(DispatchCommand(CmdRead).IsDone());
  EXPECT_EQ(LoadedMapFindings.Damage, "");
}

TEST(Dispatch, AProgramStoppedByTheLinkEndsAsAbortedAndKeepsTheMap) {
  ChipInBox x;
  const std::vector<std::uint8_t> map = ShowGal16V8Map();
  const auto shown = x.scope.window().FuseMapLines;
  x.scope.window().AnswerBox(BoxAnswer::Yes);
  x.link.Box.UnplugAfter(20);
  EXPECT_EQ(DispatchCommand(CmdProgram).Status, CommandStatus::Aborted);
  EXPECT_EQ(x.Log().back(), "-- aborted --");
  EXPECT_NE(std::find(x.Log().begin(), x.Log().end(),
                      "The chip may now hold part of the fuse map: erase it and program it again"),
            x.Log().end());
  EXPECT_EQ(std::vector<std::uint8_t>(FuseMap.begin(), FuseMap.begin() + 2194), map);
  EXPECT_EQ(x.scope.window().FuseMapLines, shown);
  EXPECT_EQ(x.scope.window().Progress, 0);
}

TEST(Dispatch, CopyPesPutsThePesBytesOnTheClipboard) {
  ChipInBox x;
  DispatchCommand(CmdCopyPes);
  EXPECT_EQ(x.scope.window().Clipboard, "00 00 00 A1 00 00 00 00");
  EXPECT_EQ(x.link.Box.Frames.back(), (std::vector<std::uint8_t>{2, 2}));
  EXPECT_EQ(std::vector<std::string>(x.Log().end() - 3, x.Log().end()),
            (std::vector<std::string>{"PES: 00 00 00 A1 00 00 00 00 ", "PES copied to the clipboard",
                                      ">>> done <<<"}));
}

// The UES fuses of the map: byte k of the UES, first fuse most significant.
std::vector<int> UesBytes(int uesFuse, int count) {
  std::vector<int> bytes;
  for (int k = 0; k < count; ++k) {
    int byte = 0;
    for (int j = 0; j < 8; ++j) byte = byte << 1 | FuseMap[static_cast<std::size_t>(uesFuse + 8 * k + j)];
    bytes.push_back(byte);
  }
  return bytes;
}

// The dialog opens with the UES there is, without the zero bytes that pad
// it; given back unchanged, that text leaves the UES as it was.
TEST(Dispatch, SetUserSignatureWritesTheTextIntoTheUes) {
  // The UES of ShowGal16V8Map's map: B6 DB 6D B6 DB 6D B6 DB.
  const std::string mapUes = "\xC2\xB6\xC3\x9Bm\xC2\xB6\xC3\x9Bm\xC2\xB6\xC3\x9B";
  struct Case {
    std::string Text;
    std::vector<int> Ues;  // empty: refused with Said
    std::string Status, Said;
    std::string Offered;  // by the next Set User Signature
  };
  const std::vector<Case> cases = {
      {"AB", {0x41, 0x42, 0, 0, 0, 0, 0, 0}, "UES: AB      ", "", "AB"},
      {"12345678", {'1', '2', '3', '4', '5', '6', '7', '8'}, "UES: 12345678", "", "12345678"},
      {"", {0, 0, 0, 0, 0, 0, 0, 0}, "UES:         ", "", ""},
      {"A B  ", {0x41, 0x20, 0x42, 0x20, 0x20, 0, 0, 0}, "UES: A B     ", "", "A B  "},
      {"\xC3\xA9t\xC3\xA9",
       {0xE9, 't', 0xE9, 0, 0, 0, 0, 0},
       "UES: \xC3\xA9t\xC3\xA9     ",
       "",
       "\xC3\xA9t\xC3\xA9"},
      {"123456789", {}, "", "The user signature takes at most 8 characters", mapUes},
      {"\xE2\x82\xAC", {}, "", "The user signature takes only characters up to U+00FF", mapUes},
      {"A\xFF", {}, "", "The user signature is not a valid text", mapUes},
  };
  for (const Case& c : cases) {
    TestWindowScope scope;
    auto& w = scope.window();
    ShowGal16V8Map();
    const std::vector<int> before = UesBytes(2056, 8);
    const std::string status = w.StatusFields[1];
    w.TextAnswers.push_back(c.Text);
    const CommandResult result = DispatchCommand(CmdSetUserSignature);
    ASSERT_EQ(w.TextDialogs.size(), 1u);
    EXPECT_EQ(w.TextDialogs[0].Title, "Set User Signature");
    EXPECT_EQ(w.TextDialogs[0].Prompt, "User signature (up to 8 characters):");
    EXPECT_EQ(w.TextDialogs[0].InitialText, mapUes) << c.Text;
    if (c.Ues.empty()) {
      EXPECT_EQ(result.Status, CommandStatus::Failed) << c.Text;
      EXPECT_EQ(w.LogLines, (std::vector<std::string>{"ERROR!", c.Said, ">>> done <<<"})) << c.Text;
      EXPECT_EQ(UesBytes(2056, 8), before) << c.Text;
      EXPECT_EQ(w.StatusFields[1], status) << c.Text;
    } else {
      EXPECT_TRUE(result.IsDone()) << c.Text;
      EXPECT_EQ(w.LogLines, DoneOnly) << c.Text;
      EXPECT_EQ(UesBytes(2056, 8), c.Ues) << c.Text;
      EXPECT_EQ(w.StatusFields[1], c.Status) << c.Text;
      EXPECT_EQ(w.FuseMapLines[65], FuseRowLine(2080, 32)) << c.Text;  // the pane shows the new fuses
    }
    // OK without editing.
    const std::vector<int> ues = UesBytes(2056, 8);
    w.TextAnswers.push_back(c.Offered);
    EXPECT_TRUE(DispatchCommand(CmdSetUserSignature).IsDone()) << c.Text;
    ASSERT_EQ(w.TextDialogs.size(), 2u);
    EXPECT_EQ(w.TextDialogs[1].InitialText, c.Offered) << c.Text;
    EXPECT_EQ(UesBytes(2056, 8), ues) << c.Text;
  }
}

// A PAL map on Open: one list of the types of its fuse count, the one the
// header names first and chosen as the list opens; Cancel refuses the map.
TEST(Dispatch, APalMapOnOpenAsksForItsTypeInOneList) {
  const std::string body = "*\r\nQP20* QF2048* F0*\r\n\x03";
  const std::string question = " Which PAL is it? Quelvox then loads the GAL map that behaves the same.";
  const struct {
    const char* What;
    const char* Header;
    std::optional<int> Answer;
    std::vector<std::string> Items;
    std::string Prompt;
    const char* Converted;  // nullptr: refused
  } cases[] = {
      {"the header's type as the list opens",
       "JEDEC file for: P16R6 V9.0",
       0,
       {"PAL16R6", "PAL16L8", "PAL16R4", "PAL16R8"},
       "The file names a PAL16R6." + question,
       "PAL16R6"},
      {"another type",
       "JEDEC file for: P16R6 V9.0",
       3,
       {"PAL16R6", "PAL16L8", "PAL16R4", "PAL16R8"},
       "The file names a PAL16R6." + question,
       "PAL16R8"},
      {"no type in the header",
       "a fuse map",
       1,
       {"PAL16L8", "PAL16R4", "PAL16R6", "PAL16R8"},
       "2048 fuses: a PAL16L8, PAL16R4, PAL16R6 or PAL16R8 map." + question,
       "PAL16R4"},
      {"cancelled",
       "JEDEC file for: P16R6 V9.0",
       std::nullopt,
       {"PAL16R6", "PAL16L8", "PAL16R4", "PAL16R8"},
       "The file names a PAL16R6." + question,
       nullptr},
  };
  for (const auto& c : cases) {
    TestWindowScope scope;
    auto& w = scope.window();
    ScratchDir dir;
    WriteBytes(dir / "pal.jed", "\x02" + std::string(c.Header) + "\r\n" + body);
    w.AnswerDialog(dir / "pal.jed");
    w.ChoiceAnswers.push_back(c.Answer);
    DispatchCommand(CmdOpenMenu);
    ASSERT_EQ(w.ChoiceDialogs.size(), 1u) << c.What;
    EXPECT_EQ(w.ChoiceDialogs[0].Title, "PAL fuse map") << c.What;
    EXPECT_EQ(w.ChoiceDialogs[0].Prompt, c.Prompt) << c.What;
    EXPECT_EQ(w.ChoiceDialogs[0].Items, c.Items) << c.What;
    EXPECT_EQ(w.ChoiceDialogs[0].Initial, 0) << c.What;
    EXPECT_TRUE(w.Boxes.empty()) << c.What;
    const auto logged = [&w](const std::string& line) {
      return std::find(w.LogLines.begin(), w.LogLines.end(), line) != w.LogLines.end();
    };
    if (c.Converted != nullptr) {
      EXPECT_TRUE(logged("2048 fuses of a " + std::string(c.Converted) +
                         " converted into the GAL16V8 map that behaves the same"))
          << c.What;
      EXPECT_EQ(FuseMapLength, 2194) << c.What;
    } else {
      EXPECT_TRUE(logged("2048 fuses don't match any GAL")) << c.What;
      EXPECT_TRUE(
          logged("A PAL16L8, PAL16R4, PAL16R6 or PAL16R8 map? quelvox-cli convert-pal IN.jed TYPE "
                 "OUT.jed turns it into a GAL map"))
          << c.What;
      EXPECT_TRUE(w.FuseMapLines.empty()) << c.What;
    }
  }
}

TEST(Dispatch, SetUserSignatureCancelledChangesNothing) {
  TestWindowScope scope;
  ShowGal16V8Map();
  const auto shown = scope.window().FuseMapLines;
  EXPECT_EQ(DispatchCommand(CmdSetUserSignature).Status, CommandStatus::Cancelled);
  EXPECT_EQ(scope.window().FuseMapLines, shown);
  EXPECT_EQ(scope.window().LogLines, DoneOnly);
}

// After a verify against a chip of another type that chip's device is the
// selected one; the UES still goes where the map's device keeps it.
TEST(Dispatch, SetUserSignatureWritesWhereTheMapsDeviceKeepsTheUes) {
  TestWindowScope scope;
  SelectDevice(101);  // a GAL20XV10 map: five UES bytes from fuse 1631
  FuseMap.fill(1);
  FuseMapLength = 1671;
  ShowFuseMap(1671);
  SelectDevice(72);
  scope.window().TextAnswers.push_back("AB");
  DispatchCommand(CmdSetUserSignature);
  EXPECT_EQ(scope.window().TextDialogs.at(0).InitialText, "\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF");
  EXPECT_EQ(UesBytes(1631, 5), (std::vector<int>{0x41, 0x42, 0, 0, 0}));
  EXPECT_EQ(scope.window().StatusFields[0], "GAL20XV10");
  EXPECT_EQ(scope.window().StatusFields[1], "UES: AB   ");
  EXPECT_EQ(std::count(FuseMap.begin() + 1671, FuseMap.end(), 0), 0);  // nothing past the map
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

// Export ABEL design never writes over the file the loaded map comes from,
// however the chosen name spells it: its JEDEC file, or the design it was
// compiled from (a name without extension gets .abl).
TEST(Dispatch, ExportAbelRefusesTheLoadedMapsOwnFile) {
  ScratchDir dir;
  const std::string map = ReadBytes(std::string(QUELVOX_TESTDATA_DIR) + "/abel/classic/count4.jed");
  WriteBytes(dir / "count4.jed", map);
  WriteBytes(dir / "count4.abl", "MODULE count4");
  std::filesystem::create_symlink("count4.jed", dir / "link.jed");
  const struct {
    std::string Design, Chosen, Named;
  } cases[] = {
      {"", dir / "count4.jed", "count4.jed"},
      {"", dir / "./link.jed", "link.jed"},
      {dir / "count4.abl", dir / "count4", "count4.abl"},
  };
  for (const auto& c : cases) {
    TestWindowScope scope;
    auto& w = scope.window();
    w.AnswerDialog(dir / "count4.jed");
    ASSERT_TRUE(DispatchCommand(CmdOpenMenu).IsDone());
    if (!c.Design.empty()) CurrentDesignPath = c.Design;
    w.LogLines.clear();
    w.AnswerDialog(c.Chosen, FilterAbel);
    w.AnswerBox(BoxAnswer::Yes);  // replace it
    EXPECT_EQ(DispatchCommand(CmdExportAbel).Status, CommandStatus::Failed) << c.Chosen;
    EXPECT_EQ(w.LogLines, (std::vector<std::string>{"ERROR!",
                                                    c.Named + " is the file the loaded fuse map comes from: "
                                                              "not written over",
                                                    ">>> done <<<"}))
        << c.Chosen;
    EXPECT_EQ(ReadBytes(dir / "count4.jed"), map);
    EXPECT_EQ(ReadBytes(dir / "count4.abl"), "MODULE count4");
  }
}

// Tools > Simulate holds the loaded map's pins while the panel is open: a
// new user signature keeps them as they are, another map (or none) starts
// them anew, and once the panel is closed nothing follows.
TEST(Dispatch, SimulateFollowsTheLoadedMapWhileThePanelIsOpen) {
  const std::string classic = std::string(QUELVOX_TESTDATA_DIR) + "/abel/classic/";
  TestWindowScope scope;
  auto& w = scope.window();
  const PinPanelState& panel = ThePinPanel();
  w.AnswerDialog(classic + "count4.jed");
  DispatchCommand(CmdOpenMenu);
  EXPECT_TRUE(DispatchCommand(CmdSimulate).IsDone());
  EXPECT_EQ(w.PinPanelOpens, 1);
  ASSERT_TRUE(panel.Open && panel.Simulation);
  EXPECT_EQ(panel.Simulation->At(17).Name, "Q0");
  ThePinPanel().Simulation->Drive(18, 1);  // load A (all low) at the clock
  ThePinPanel().Simulation->Clock();
  EXPECT_EQ(panel.Simulation->At(17).Level, '0');

  w.TextAnswers.push_back("NEW");
  ASSERT_TRUE(DispatchCommand(CmdSetUserSignature).IsDone());
  EXPECT_EQ(w.PinPanelRefreshes, 0);
  EXPECT_EQ(panel.Simulation->At(17).Level, '0');

  w.AnswerBox(BoxAnswer::Yes);  // the new signature is not saved
  w.AnswerDialog(classic + "actlow.jed");
  DispatchCommand(CmdOpenMenu);
  EXPECT_EQ(w.PinPanelRefreshes, 1);
  ASSERT_TRUE(panel.Simulation);
  EXPECT_EQ(panel.Simulation->DeviceName(), "GAL22V10");
  EXPECT_EQ(panel.Simulation->At(20).Level, '1');  // at power-up

  w.AnswerDialog(classic + "missing.jed");
  DispatchCommand(CmdOpenMenu);
  EXPECT_EQ(w.PinPanelRefreshes, 2);
  EXPECT_FALSE(panel.Simulation);
  EXPECT_EQ(panel.Note, "No fuse map loaded: open or read one first");

  ClosePinPanel();
  w.AnswerDialog(classic + "count4.jed");
  DispatchCommand(CmdOpenMenu);
  EXPECT_EQ(w.PinPanelRefreshes, 2);
  EXPECT_FALSE(panel.Open || panel.Simulation);
}

}  // namespace
