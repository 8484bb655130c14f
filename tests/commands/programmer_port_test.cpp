// The programmer port choice: which chip files and chip types the simulated
// programmer takes, Device > Port... with the chip staying in the box from
// command to command (and kept in its file, never in the loaded map's own),
// and a named port that is the only one tried.
#include "commands/programmer_port.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/fuse_map.h"
#include "commands/command_ids.h"
#include "commands/dispatch.h"
#include "fuses/jedec_reader.h"
#include "platform/posix/port_names.h"
#include "tests/fuses/fuse_test_files.h"
#include "tests/support/box_link.h"
#include "tests/support/recording_window.h"

namespace {

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// The fuses a JEDEC file holds, read back with the program's reader.
std::vector<std::uint8_t> FusesIn(const std::string& path) {
  const std::int64_t count = ReadJedecFile(path);
  return std::vector<std::uint8_t>(FuseMap.begin(), FuseMap.begin() + std::max<std::int64_t>(count, 0));
}

// Where "Simulated programmer..." stands in the Port... list: after the
// automatic item, the machine's serial devices and a named port not among them.
int SimulatedItem(int namedPortsAdded = 0) {
  return 1 + static_cast<int>(ListSerialDevices().size()) + namedPortsAdded;
}

bool Logged(RecordingWindow& w, const std::string& line) {
  return std::find(w.LogLines.begin(), w.LogLines.end(), line) != w.LogLines.end();
}

TEST(ProgrammerPort, TheChipFilesAndTypesTheSimulatedProgrammerTakes) {
  ScratchDir dir;
  WriteBytes(dir / "v8.jed", ReadBytes(JedecDataDir() + "/galette_GAL16V8_reg.jed"));
  WriteBytes(dir / "v22.jed", ReadBytes(JedecDataDir() + "/galette_GAL22V10_arsp.jed"));
  WriteBytes(dir / "f100.jed", "\x02*QF100*L0 " + std::string(100, '0') + "*\x03");
  const struct {
    std::string Port;
    std::string Refusal;  // "" when taken; otherwise the start of the reason
    std::string Title = "";
  } cases[] = {
      {"sim:@/v22.jed", "", "simulated: v22.jed (GAL22V10)"},
      {"sim:@/v22.jed,atf22v10b,keep", "", "simulated: v22.jed (ATF22V10B)"},
      {"sim:@/v8.jed,ATF16V8C", "", "simulated: v8.jed (ATF16V8C)"},
      {"sim:@/v22.jed,GAL26V12", "v22.jed holds 5892 fuses; a GAL26V12C has 7912"},
      {"sim:@/v22.jed,ATF16V8C", "v22.jed holds 5892 fuses; an ATF16V8C has 2194"},
      {"sim:@/v8.jed,ATF16V8", "ATF16V8 names more than one chip type: ATF16V8B or ATF16V8C"},
      {"sim:@/v8.jed,PAL16L8", "\"PAL16L8\" is no chip type of the simulated programmer; it takes GAL16V8, "},
      {"sim:@/f100.jed", "no chip can be made from @/f100.jed"},
      {"sim:@/f100.jed,GAL16V8", "f100.jed holds 100 fuses; a GAL16V8 has 2194"},
      {"sim:@/missing.jed,keep", "no chip can be made from @/missing.jed"},
      {"sim:@/v8.jed,keep,GAL16V8", "no chip can be made from @/v8.jed,keep,GAL16V8: sim:CHIP.jed takes"},
      {"sim:", "no chip can be made from : sim:CHIP.jed takes"},
      {"/dev/ttyUSB7", "", "/dev/ttyUSB7"},
  };
  for (const auto& c : cases) {
    TestWindowScope scope;
    ASSERT_EQ(ChooseProgrammerPort(PortChoiceOf("COM7")), "");
    const std::string port = Replaced(c.Port, "@/", dir / "");
    const std::string why = ChooseProgrammerPort(PortChoiceOf(port));
    EXPECT_EQ(why.rfind(Replaced(c.Refusal, "@/", dir / ""), 0), 0u) << c.Port << ": " << why;
    EXPECT_EQ(why.empty(), c.Refusal.empty()) << c.Port;
    // A refused choice leaves the one before in force.
    EXPECT_EQ(PortChoiceTitle(), c.Refusal.empty() ? c.Title : "COM7") << c.Port;
    EXPECT_EQ(scope.window().Title, "Quelvox - " + PortChoiceTitle()) << c.Port;
  }
}

// Port... chooses the simulated programmer with its chip kept in chip.jed:
// the map programmed is read back from the same chip and found in chip.jed;
// once chip.jed is the loaded map's own file, an erase leaves it alone.
TEST(ProgrammerPort, TheSimulatedChipStaysInTheBoxAndIsKeptInItsFile) {
  ScratchDir dir;
  const std::string design = dir / "design.jed", chipFile = dir / "chip.jed";
  WriteBytes(design, ReadBytes(JedecDataDir() + "/galette_GAL22V10_arsp.jed"));
  WriteBytes(chipFile, ReadBytes(JedecDataDir() + "/galette_GAL22V10_invertedreg.jed"));
  TestWindowScope scope;
  RecordingWindow& w = scope.window();
  const std::vector<std::uint8_t> designFuses = FusesIn(design);
  w.AnswerDialog(design);
  ASSERT_TRUE(DispatchCommand(CmdOpenMenu).IsDone());

  w.ChoiceAnswers = {SimulatedItem(), 0};
  w.AnswerDialog(chipFile);
  w.AnswerBox(BoxAnswer::Yes);  // keep
  ASSERT_TRUE(DispatchCommand(CmdChoosePort).IsDone()) << testing::PrintToString(w.LogLines);
  ASSERT_EQ(w.ChoiceDialogs.size(), 2u);
  EXPECT_EQ(w.ChoiceDialogs[0].Items.front(), "Find the programmer automatically");
  EXPECT_EQ(w.ChoiceDialogs[0].Items.back(), "Simulated programmer...");
  EXPECT_EQ(w.ChoiceDialogs[0].Initial, 0);
  EXPECT_EQ(w.ChoiceDialogs[1].Items,
            (std::vector<std::string>{"GAL22V10", "GAL22V10AZ", "ATF22V10B", "ATF22V10C"}));
  EXPECT_EQ(w.Boxes.back().DefaultNo, true);
  EXPECT_TRUE(Logged(w, "Programmer: simulated: chip.jed (GAL22V10), kept in its file"));
  EXPECT_EQ(w.Title, "Quelvox - design.jed - simulated: chip.jed (GAL22V10)");

  const std::string note = "Simulated programmer: chip.jed (GAL22V10)";
  w.AnswerBox(BoxAnswer::Yes);  // replace the chip's contents
  EXPECT_TRUE(DispatchCommand(CmdProgram).IsDone()) << testing::PrintToString(w.LogLines);
  EXPECT_EQ(w.LogLines.front(), note);
  EXPECT_TRUE(Logged(w, "*** SUCCESS ***"));
  EXPECT_EQ(FusesIn(chipFile), designFuses);

  EXPECT_TRUE(DispatchCommand(CmdRead).IsDone());
  EXPECT_EQ(w.LogLines.front(), note);
  EXPECT_EQ(std::vector<std::uint8_t>(FuseMap.begin(), FuseMap.begin() + 5892), designFuses);
  EXPECT_EQ(w.Title, "Quelvox - simulated: chip.jed (GAL22V10)");
  EXPECT_TRUE(DispatchCommand(CmdVerify).IsDone());
  EXPECT_EQ(w.LogLines.front(), note);

  const std::string kept = ReadBytes(chipFile);
  w.AnswerBox(BoxAnswer::Yes);  // discard the read
  w.AnswerDialog(chipFile);
  ASSERT_TRUE(DispatchCommand(CmdOpenMenu).IsDone());
  w.AnswerBox(BoxAnswer::Yes);  // erase
  EXPECT_EQ(DispatchCommand(CmdErase).Status, CommandStatus::Failed);
  EXPECT_EQ(w.LogLines.front(), note);
  EXPECT_TRUE(Logged(w, "GAL22V10 erased"));
  EXPECT_TRUE(Logged(w, "chip.jed is the file the loaded fuse map comes from: the chip is not kept in it"));
  EXPECT_EQ(ReadBytes(chipFile), kept);

  // Nor is it chosen so: the choice in force stays.
  w.ChoiceAnswers = {SimulatedItem(), 0};
  w.AnswerDialog(chipFile);
  w.AnswerBox(BoxAnswer::Yes);
  EXPECT_EQ(DispatchCommand(CmdChoosePort).Status, CommandStatus::Failed);
  EXPECT_TRUE(Logged(w, "chip.jed is the file the loaded fuse map comes from: the chip is not kept in it"));
  EXPECT_EQ(w.Title, "Quelvox - chip.jed - simulated: chip.jed (GAL22V10)");

  // Back to the scan, which finds nothing here.
  w.ChoiceAnswers = {0};
  EXPECT_TRUE(DispatchCommand(CmdChoosePort).IsDone());
  EXPECT_EQ(w.Title, "Quelvox - chip.jed");
  w.LogLines.clear();
  EXPECT_EQ(DispatchCommand(CmdVerify).Status, CommandStatus::Failed);
  EXPECT_EQ(w.LogLines, (std::vector<std::string>{"ERROR!", "Hardware not present!",
                                                  "COM0 to COM32: no such port", ">>> done <<<"}));
}

TEST(ProgrammerPort, PortDialogsCancelledChangeNothing) {
  ScratchDir dir;
  WriteBytes(dir / "chip.jed", ReadBytes(JedecDataDir() + "/galette_GAL16V8_reg.jed"));
  const struct {
    std::vector<std::optional<int>> Choices;
    bool ChipFileGiven;
  } cases[] = {
      {{std::nullopt}, false}, {{SimulatedItem(1)}, false}, {{SimulatedItem(1), std::nullopt}, true}};
  for (const auto& c : cases) {
    TestWindowScope scope;
    RecordingWindow& w = scope.window();
    ASSERT_EQ(ChooseProgrammerPort(PortChoiceOf("COM2")), "");
    w.ChoiceAnswers.assign(c.Choices.begin(), c.Choices.end());
    if (c.ChipFileGiven) w.AnswerDialog(dir / "chip.jed");
    EXPECT_EQ(DispatchCommand(CmdChoosePort).Status, CommandStatus::Cancelled);
    EXPECT_EQ(PortChoiceTitle(), "COM2");
    // COM2, added to the list as the choice in force
    EXPECT_EQ(w.ChoiceDialogs.front().Items[static_cast<std::size_t>(w.ChoiceDialogs.front().Initial)],
              "COM2");
  }
}

// A named port is the only one tried, and the port of an earlier choice is
// given up when the choice changes.
TEST(ProgrammerPort, ANamedPortIsTheOnlyOneTried) {
  TestWindowScope scope;
  BoxLink link("COM3");
  link.Insert("GAL16V8");
  RecordingWindow& w = scope.window();
  ASSERT_TRUE(RunAsCommand([] { return RunChoosePortText("COM5"); }).IsDone());
  EXPECT_EQ(DispatchCommand(CmdVerify).Status, CommandStatus::Failed);
  EXPECT_EQ(link.Ports.OpenAttempts, std::vector<std::string>{"COM5"});
  EXPECT_EQ(w.LogLines,
            (std::vector<std::string>{"Programmer: COM5", ">>> done <<<", "ERROR!", "Hardware not present!",
                                      "COM5: no such port", ">>> done <<<"}));
  ASSERT_TRUE(RunChoosePortText("COM3").IsDone());
  w.LogLines.clear();
  EXPECT_TRUE(DispatchCommand(CmdRead).IsDone());
  EXPECT_EQ(w.LogLines.front(), "Device: GAL16V8 [LATTICE]");  // a real box: no simulated note
  EXPECT_EQ(link.Ports.OpenName(), "COM3");
  EXPECT_EQ(RunChoosePortText("").Status, CommandStatus::Failed);
  ASSERT_TRUE(RunChoosePortText("COM4").IsDone());
  EXPECT_EQ(link.Ports.OpenName(), "");
}

}  // namespace
