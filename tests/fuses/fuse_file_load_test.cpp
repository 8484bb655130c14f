// Opening a fuse file: the identification by fuse count, the log lines of
// every outcome, and what the panes and status bar show afterwards.
#include "fuses/fuse_file_load.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/design_path.h"
#include "base/fuse_map.h"
#include "commands/command_ids.h"
#include "commands/dispatch.h"
#include "devices/gal_device.h"
#include "tests/fuses/fuse_test_files.h"
#include "tests/support/recording_window.h"

namespace {

struct IdCase {
  long long Count;
  int Code;
  const char* Name;
  long long FuseCount;
};

TEST(FuseFileLoad, IdentifiesAllTwentyOneCounts) {
  const IdCase cases[] = {
      {2194, 0, "GAL16V8", 2194},     {2195, 0, "GAL16V8", 2194},    {2706, 32, "GAL20V8", 2706},
      {2707, 32, "GAL20V8", 2706},    {3540, 80, "GAL18V10", 3540},  {3476, 80, "GAL18V10", 3540},
      {3274, 96, "GAL20RA10", 3274},  {3210, 96, "GAL20RA10", 3274}, {1671, 101, "GAL20XV10", 1671},
      {1631, 101, "GAL20XV10", 1671}, {5892, 72, "GAL22V10", 5892},  {5893, 72, "GAL22V10", 5892},
      {5828, 72, "GAL22V10", 5892},   {6432, 88, "GAL26CV12", 6432}, {6368, 88, "GAL26CV12", 6432},
      {7912, 93, "GAL26V12C", 7912},  {7848, 93, "GAL26V12C", 7912}, {8294, 64, "GAL6001", 8294},
      {8222, 64, "GAL6001", 8294},    {8330, 68, "GAL6002B", 8330},  {8258, 68, "GAL6002B", 8330},
  };
  ScratchDir dir;
  for (const IdCase& c : cases) {
    TestWindowScope scope;
    auto& w = scope.window();
    const std::string path = dir / "n.jed";
    WriteBytes(path, "\x02*QF" + std::to_string(c.Count) + "*C0000*\x03");
    EXPECT_EQ(DeviceCodeForFuseCount(c.Count), c.Code);
    LoadFuseFile(path);
    const std::vector<std::string> log{"Parsing file: n.jed", "Path: " + dir.path() + "/",
                                       std::to_string(c.Count) + " fuses match " + c.Name};
    EXPECT_EQ(w.LogLines, log) << c.Count;
    EXPECT_EQ(GalDevice.DeviceCode, c.Code) << c.Count;
    EXPECT_EQ(FuseMapLength, c.FuseCount) << c.Count;
    EXPECT_EQ(ShownFuseCount, c.FuseCount) << c.Count;
    EXPECT_EQ(w.StatusFields[0], c.Name);
    EXPECT_FALSE(w.FuseMapLines.empty());
  }
  for (long long other : {0LL, 1LL, 2056LL, 2193LL, 2196LL, 5894LL, 8331LL, 10000LL, -2194LL}) {
    EXPECT_EQ(DeviceCodeForFuseCount(other), -1) << other;
  }
}

struct LoadCase {
  const char* Name;
  std::string Text;
  std::vector<std::string> AfterPath;  // log lines after "Parsing file:" and "Path:"
  long long LengthAfter;
  bool Shown;
  std::string Damage = "";  // what the loaded map keeps of its file's damage
};

TEST(FuseFileLoad, OutcomesAndTheirLogLines) {
  std::string l16v8;  // L fields up to fuse 2194, no QF
  for (int r = 0; r < 2194; r += 32)
    l16v8 += "L" + std::to_string(r) + " " + std::string(std::min(32, 2194 - r), '0') + "*";
  const LoadCase cases[] = {
      {"too big", "x*" + std::string(1024 * 1024 + 1, ' '), {"ERROR!", "File size > 1048576"}, 0, false},
      {"no fuses", "x*N nothing*", {"ERROR!", "No fuse data in file"}, 0, false},
      {"unknown count", "x*QF2056*C0000*", {"ERROR!", "2056 fuses don't match any GAL"}, 2056, false},
      {"QF over the capacity", "x*QF12000*", {"ERROR!", "12000 fuses don't match any GAL"}, 12000, false},
      {"checksum mismatch",
       "x*QF2195*L0000 1*C0000*",
       {"WARNING!", "Checksum: 1 <> expected: 0", "2195 fuses match GAL16V8"},
       2194,
       true,
       "checksum Checksum: 1 <> expected: 0"},
      {"ends inside a field",
       "x*QF2194*L0000 1*L0032 1",
       {"WARNING!", "File ends inside a field: the fuse map may be incomplete", "No fuse checksum in file",
        "2194 fuses match GAL16V8"},
       2194,
       true,
       "the file ends inside a field"},
      {"L field past the last fuse, no QF",
       "x*L0000 1*L20000 1*",
       {"ERROR!", "Fuse data past fuse 9999: more fuses than any GAL has"},
       0,
       false},
      {"L field past the last fuse after QF",
       "x*QF2194*L0000 1*L9999 11*C0001*",
       {"WARNING!", "Fuse data past fuse 9999: the rest of the file was not read",
        "2194 fuses match GAL16V8"},
       2194,
       true,
       "fuse data past the map"},
      {"count from the L fields",
       "x*" + l16v8,
       {"No fuse checksum in file", "2194 fuses match GAL16V8"},
       2194,
       true},
  };
  ScratchDir dir;
  for (const LoadCase& c : cases) {
    TestWindowScope scope;
    auto& w = scope.window();
    WriteBytes(dir / "f.jed", c.Text);
    w.LogLines = {"earlier"};
    w.StatusFields[0] = "old";
    LoadFuseFile(dir / "f.jed");
    std::vector<std::string> log{"Parsing file: f.jed", "Path: " + dir.path() + "/"};
    log.insert(log.end(), c.AfterPath.begin(), c.AfterPath.end());
    EXPECT_EQ(w.LogLines, log) << c.Name;
    EXPECT_EQ(FuseMapLength, c.LengthAfter) << c.Name;
    EXPECT_EQ(w.FuseMapLines.empty(), !c.Shown) << c.Name;
    EXPECT_EQ(w.StatusFields[0].empty(), !c.Shown) << c.Name;
    EXPECT_EQ(LoadedMapFindings.Damage, c.Damage) << c.Name;
  }
}

TEST(FuseFileLoad, AMissingFileClearsTheDesign) {
  TestWindowScope scope;
  auto& w = scope.window();
  w.FuseMapLines = {"L00000 1"};
  w.StatusFields[1] = "UES: old";
  FuseMap[5] = 1;
  LoadFuseFile("C:\\designs\\gone.jed");
  EXPECT_EQ(w.LogLines, (std::vector<std::string>{"Parsing file: gone.jed", "Path: C:\\designs\\", "ERROR!",
                                                  "Can't access file"}));
  EXPECT_TRUE(w.FuseMapLines.empty());
  EXPECT_EQ(w.StatusFields[1], "");
  EXPECT_EQ(FuseMap[5], 0);
  EXPECT_EQ(FuseMapLength, 0);
}

TEST(FuseFileLoad, RejectedCountKeepsTheDeviceAndTheFuses) {
  ScratchDir dir;
  TestWindowScope scope;
  SelectDevice(72);
  WriteBytes(dir / "f.jed", "x*QF2056*L0003 1*");
  LoadFuseFile(dir / "f.jed");
  EXPECT_EQ(GalDevice.Name, "GAL22V10");
  EXPECT_EQ(FuseMap[3], 1);
  EXPECT_TRUE(scope.window().FuseMapLines.empty());
}

TEST(FuseFileLoad, UesLeftOutReadsAsSpaces) {
  ScratchDir dir;
  TestWindowScope scope;
  WriteBytes(dir / "f.jed", "x*QF5828*L0000 1*");
  LoadFuseFile(dir / "f.jed");
  EXPECT_EQ(scope.window().FuseMapLines.size(), 134u);
  EXPECT_EQ(ShownFuseCount, 5892);
  EXPECT_EQ(scope.window().StatusFields[1], "UES:         ");
}

TEST(FuseFileLoad, EmptyPathDoesNothing) {
  TestWindowScope scope;
  auto& w = scope.window();
  w.LogLines = {"kept"};
  FuseMap[1] = 1;
  LoadFuseFile("");
  EXPECT_EQ(w.LogLines, std::vector<std::string>{"kept"});
  EXPECT_EQ(FuseMap[1], 1);
}

TEST(FuseFileLoad, OpenCommandLoadsTheChosenFileTwiceAlike) {
  ScratchDir dir;
  WriteBytes(dir / "a.jed", "x*QF2194*L0000 1*");
  TestWindowScope scope;
  auto& w = scope.window();
  std::vector<std::string> first;
  for (int round = 0; round < 2; ++round) {
    w.AnswerDialog(dir / "a.jed");
    DispatchCommand(CmdOpenButton);
    if (round == 0) first = w.LogLines;
  }
  EXPECT_EQ(CurrentDesignPath, dir / "a.jed");
  EXPECT_EQ(w.LogLines, first);
  EXPECT_EQ(w.LogLines.back(), ">>> done <<<");
  EXPECT_EQ(w.FuseMapLines[0], "L00000 1" + std::string(31, '0'));
}

}  // namespace
