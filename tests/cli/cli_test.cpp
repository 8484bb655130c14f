// quelvox-cli as a user runs it: the whole output and exit status for a
// real file, for every failure of open and save, and for bad arguments.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/run_program.h"
#include "tests/fuses/fuse_test_files.h"

namespace {

const std::string Cli = std::string(QUELVOX_BINARY_DIR) + "/quelvox-cli";
const std::string RealFile = "galette_GAL16V8_reg.jed";

ProgramRun RunCli(const std::vector<std::string>& args, rlim_t fileSizeLimit = RLIM_INFINITY) {
  return RunProgram(Cli, args, fileSizeLimit);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

std::string OpenOutput() {
  const std::string golden = ReadBytes(std::string(QUELVOX_SOURCE_DIR) + "/tests/cli/golden/open_" +
                                       Replaced(RealFile, ".jed", ".txt"));
  return Replaced(golden, "@JEDEC_DIR@", JedecDataDir());
}

// The output of a failed load of dir/name: the log, no fuse map, empty status.
std::string FailedOpenOutput(const ScratchDir& dir, const std::string& name, const std::string& lines) {
  return "--- log ---\nParsing file: " + name + "\nPath: " + dir.path() + "/\n" + lines +
         ">>> done <<<\n--- fuse map ---\n--- status ---\n\n\n";
}

TEST(Cli, OpenARealFile) {
  const ProgramRun run = RunCli({"open", JedecDataDir() + "/" + RealFile});
  EXPECT_EQ(run.Out, OpenOutput());
  EXPECT_EQ(run.Err, "");
  EXPECT_EQ(run.Status, 0);
}

TEST(Cli, OpenFailures) {
  ScratchDir dir;
  WriteBytes(dir / "none.jed", "x*N no fuses*");
  WriteBytes(dir / "odd.jed", "x*QF2056*");
  WriteBytes(dir / "big.jed", std::string(1024 * 1024 + 1, '*'));
  WriteBytes(dir / "pal.jed", "x*QF2048*");
  struct Case {
    std::string Name, LogLines;
  } cases[] = {
      {"missing.jed", "ERROR!\nCan't access file\n"},
      {"none.jed", "ERROR!\nNo fuse data in file\n"},
      {"odd.jed", "No fuse checksum in file\nERROR!\n2056 fuses don't match any GAL\n"},
      {"big.jed", "ERROR!\nFile size > 1048576\n"},
      {"pal.jed",
       "No fuse checksum in file\nERROR!\n2048 fuses don't match any GAL\nA PAL16L8, PAL16R4, PAL16R6 or "
       "PAL16R8 "
       "map? quelvox-cli convert-pal IN.jed TYPE OUT.jed turns it into a GAL map\n"},
  };
  for (const Case& c : cases) {
    for (const char* command : {"open", "info"}) {
      const ProgramRun run = RunCli({command, dir / c.Name});
      EXPECT_EQ(run.Out, FailedOpenOutput(dir, c.Name, c.LogLines)) << command << ' ' << c.Name;
      EXPECT_EQ(run.Status, 1) << command << ' ' << c.Name;
    }
  }
}

// Info on a map without OLMC analysis: after the drawing, each output pin's
// kind and polarity as Equations reads them.
TEST(Cli, InfoNamesTheKindOfEachOutputPin) {
  const ProgramRun run = RunCli(
      {"info", std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/fit/classic/gal18v10_reset_preset.jed"});
  EXPECT_NE(run.Out.find("   GND | 10         11 | I/O\n       |_______________|\n"
                         "pin 9 (s2): registered, active high\npin 11 (IO11): not used\n"
                         "pin 12 (s0): registered, active high\npin 13 (s1): registered, active high\n"),
            std::string::npos)
      << run.Out;
  EXPECT_NE(run.Out.find("\npin 18 (nq): registered, active low\npin 19 (IO19): not used\n>>> done <<<\n"),
            std::string::npos)
      << run.Out;
  const ProgramRun xor_cells =
      RunCli({"info", std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/fit/classic/gal20xv10_counter.jed"});
  EXPECT_NE(xor_cells.Out.find("\npin 19 (carry): combinational, active high\n"
                               "pin 20 (q3): registered, XOR of two sums, active low\n"),
            std::string::npos)
      << xor_cells.Out;
}

// A GAL16V8 map whose only fuses set are UES bytes 0x01 and 0x5C, with a
// wrong checksum: the load warns but succeeds, and the control character
// and the backslash are printed escaped.
TEST(Cli, ChecksumWarningAndEscapedUes) {
  ScratchDir dir;
  WriteBytes(dir / "ues.jed", "\x02\n*QF2194*L2056 0000000101011100*C0000*\n\x03");
  std::string map;
  for (int first = 0; first < 2194; first += 32) {
    char number[16];
    std::snprintf(number, sizeof number, "L%05d ", first);
    const std::string fuses = first == 2048 ? "00000000000000010101110000000000" : std::string(32, '0');
    map += number + fuses.substr(0, std::min(32, 2194 - first)) + "\n";
  }
  const ProgramRun run = RunCli({"open", dir / "ues.jed"});
  EXPECT_EQ(run.Out, "--- log ---\nParsing file: ues.jed\nPath: " + dir.path() +
                         "/\nWARNING!\nChecksum: BA <> expected: 0\n2194 fuses match GAL16V8\n>>> done <<<\n"
                         "--- fuse map ---\n" +
                         map + "--- status ---\nGAL16V8\nUES: \\x01\\      \n");
  EXPECT_EQ(run.Status, 0);
}

TEST(Cli, SaveARealFile) {
  ScratchDir dir;
  const std::string source = JedecDataDir() + "/" + RealFile;
  WriteBytes(dir / "out.jed", "replaced");
  const ProgramRun run = RunCli({"save", source, dir / "out.jed"});
  EXPECT_EQ(run.Out, OpenOutput());
  EXPECT_EQ(run.Status, 0);
  // The same bytes as the expected save, but for the date line.
  std::string written = ReadBytes(dir / "out.jed");
  const auto date = written.find("CREATED DATE: ");
  ASSERT_NE(date, std::string::npos);
  written.replace(date + 14, 20, "01/01/2026  00:00:00");
  EXPECT_EQ(written, ReadBytes(source + ".saved.jed"));
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.jed"});
}

// A save that fails on a full disk leaves the old file as it was. The other
// failures of every command are in exit_status_test.cpp.
TEST(Cli, SaveOnAFullDiskKeepsTheOldFile) {
  ScratchDir dir;
  const std::string source = JedecDataDir() + "/" + RealFile;
  const std::string failed =
      Replaced(OpenOutput(), ">>> done <<<\n", "ERROR!\nCan't access file\n>>> done <<<\n");
  WriteBytes(dir / "out.jed", "old");
  const ProgramRun full = RunCli({"save", source, dir / "out.jed"}, 200);
  EXPECT_EQ(full.Out, failed);
  EXPECT_EQ(full.Status, 1);
  EXPECT_EQ(ReadBytes(dir / "out.jed"), "old");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.jed"});
}

// equations, export-abel and convert-pal: each one's exit status and a line
// its log must hold; convert-pal refuses a type the file's count rules out.
TEST(Cli, LogicCommands) {
  ScratchDir dir;
  const std::string classic = std::string(QUELVOX_TESTDATA_DIR) + "/abel/classic/count4.jed";
  const std::string pal = std::string(QUELVOX_SOURCE_DIR) + "/tests/logic/pal_pairs/pal20r6_3.jed";
  struct Case {
    std::vector<std::string> Args;
    int Status;
    std::string Line;
    std::string Written;  // a file the command leaves, "" none
  } cases[] = {
      {{"equations", classic}, 0, "\n    CO = Q3.FB & Q2.FB & Q1.FB & Q0.FB & CI;\n", ""},
      {{"export-abel", classic, dir / "c.abl"}, 0, "\nABEL design written: c.abl\n", "c.abl"},
      {{"convert-pal", pal, "P20R6", dir / "g.jed"},
       0,
       "\n2560 fuses of a PAL20R6 converted into the GAL20V8 map that behaves the same\n",
       "g.jed"},
      {{"convert-pal", pal, "PAL16R6", dir / "x.jed"},
       1,
       "\n2560 fuses: no PAL16R6 map (a PAL16R6 map has 2048)\n",
       ""},
      {{"convert-pal", pal, "PAL22V10", dir / "x.jed"},
       1,
       "\n\"PAL22V10\" is no PAL type Quelvox converts; it converts PAL16L8, PAL16R4, PAL16R6 or PAL16R8 and "
       "PAL20L8, PAL20R4, PAL20R6 or PAL20R8\n",
       ""},
  };
  for (const Case& c : cases) {
    const ProgramRun run = RunCli(c.Args);
    EXPECT_EQ(run.Status, c.Status) << c.Args[0] << ' ' << c.Args[1];
    EXPECT_NE(run.Out.find(c.Line), std::string::npos) << run.Out;
    EXPECT_EQ(run.Err, "");
    if (!c.Written.empty()) {
      EXPECT_FALSE(ReadBytes(dir / c.Written).empty()) << c.Written;
    }
  }
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"c.abl", "g.jed"}));
  // The converted map opens as a GAL20V8 map.
  const ProgramRun reopened = RunCli({"open", dir / "g.jed"});
  EXPECT_NE(reopened.Out.find("\n2706 fuses match GAL20V8\n"), std::string::npos) << reopened.Out;
}

// simulate runs a map's own V fields: every classic map with vectors passes
// them as the classic compiler's .sim says (exit 0), a map with a product
// term cleared or a loop that oscillates fails at the vectors concerned
// (exit 3), and a map it cannot run says why (exit 1). --vectors takes
// TEST_VECTORS over pin numbers or names instead, and says where one is wrong.
TEST(Cli, SimulateRunsTheMapsOwnVectors) {
  const std::string classic = std::string(QUELVOX_TESTDATA_DIR) + "/abel/classic/";
  for (const char* name : {"actlow", "barrel",  "bcd7",    "binbcd",  "bjack",    "cnt10p",  "count116",
                           "count4", "count4a", "dmux1t8", "fdback2", "m6809a",   "m6809b",  "m6809c",
                           "m6809d", "muxadd",  "pol1",    "pol2",    "reset22a", "sequence"}) {
    const std::string sim = ReadBytes(classic + name + ".sim");
    const auto count = sim.rfind("\r\n", sim.find(" vectors passed.")) + 2;
    const std::string passed = sim.substr(count, sim.find("\r", count) - count);
    const ProgramRun run = RunCli({"simulate", "--brief", classic + name + ".jed"});
    EXPECT_EQ(run.Status, 0) << name << run.Out;
    EXPECT_NE(run.Out.find("\n\n" + passed + "\n>>> done <<<\n"), std::string::npos) << name << run.Out;
    EXPECT_EQ(run.Out.find("\nVector "), std::string::npos) << name << run.Out;
  }
  // The classic compiler's maps of the other families pass every vector they hold, as in its
  // simulation (our designs, and those that established the GAL20XV10 and GAL6001/6002 maps).
  std::vector<std::filesystem::path> maps;
  for (const char* folder : {"fit/classic", "maps/p20xv10", "maps/f6001", "maps/f6002"}) {
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/" + folder))
      maps.push_back(entry.path());
  }
  for (const std::filesystem::path& path : maps) {
    const std::filesystem::directory_entry entry(path);
    const std::string name = entry.path().filename().string();
    const bool research = entry.path().parent_path().filename() != "classic";
    if (entry.path().extension() != ".jed" || (!research && name.rfind("gal", 0) != 0) ||
        ReadBytes(entry.path().string()).find("V0001") == std::string::npos)  // some research maps hold none
      continue;
    const ProgramRun run = RunCli({"simulate", "--brief", entry.path().string()});
    EXPECT_EQ(run.Status, 0) << name << run.Out;
    EXPECT_EQ(run.Out.find("\nVector "), std::string::npos) << name << run.Out;
  }

  ScratchDir dir;
  const std::string count4 = ReadBytes(classic + "count4.jed");
  // The first row of Q0's sum cleared (every fuse 0: never true).
  std::string cleared = count4;
  const auto row = cleared.find("L0512 ") + 6;
  cleared.replace(row, 32, std::string(32, '0'));
  WriteBytes(dir / "cleared.jed", cleared);
  std::string novectors;
  for (std::size_t at = 0; at < count4.size();) {
    const auto end = count4.find('\n', at);
    const std::string line = count4.substr(at, end == std::string::npos ? end : end + 1 - at);
    if (line.rfind("V", 0) != 0) novectors += line;
    at = end == std::string::npos ? count4.size() : end + 1;
  }
  WriteBytes(dir / "novectors.jed", novectors);
  // o = !(en & o) on pin 15: with en high the loop through the feedback oscillates.
  WriteBytes(dir / "ring.jed",
             "\x02*QP20*QF2194*F0*NOTE PINS en:2 a:3 o:15 p:16*\n"
             "L0768 11111111111111111111111111111111*L0800 11110111111111111111111111111111*\n"
             "L1024 11111111111111111111111111111111*L1056 01111111111111111101111111111111*\n"
             "L2048 00010000*L2120 11111111*\n"
             "L2128 1111111111111111111111111111111111111111111111111111111111111111*L2192 1*L2193 1*\n"
             "V0001 X00XXXXXXNXXXXHLXXXN*V0002 X11XXXXXXNXXXXNHXXXN*V0003 X01XXXXXXNXXXXHHXXXN*C18DD*\x03");
  WriteBytes(dir / "short.jed", "\x02*QF2194*L0 0*V0001 C0000*\x03");
  // Vectors of ABEL's TEST_VECTORS over pin numbers for actlow.jed (a GAL22V10), as its .sim has them.
  const std::string actlow = classic + "actlow.jed";
  WriteBytes(dir / "act.tv",
             "TEST_VECTORS ([1, 2..3] -> [20..23])\n"
             "\" the registers as at power-up\n"
             "[0, .X., .X.] -> [1, 1, 0, 0];\n"
             "[.C., 0, 0] -> ^b0101;\n"
             "[.C., ^b11] -> [1, 0, 1, .X.]; // one value per place of the header\n"
             "[.C., 0, 1] -> [0, 1, 0, 1];\n");
  WriteBytes(dir / "wrong.tv", "([1, 2, 3] -> [20, 21])\n[0, 0, 0] -> [1, 1];\n[.C., 0, 0] -> [1, 1];\n");
  WriteBytes(dir / "gnd.tv", "TEST_VECTORS ([1, 12] -> 20)\n[0, 0] -> 1;\n");
  WriteBytes(dir / "count.tv", "TEST_VECTORS ([1, 2] -> 20)\n[0, 0] -> 1;\n[0, 0, 1] -> 1;\n");
  WriteBytes(dir / "value.tv", "([1, 2] -> 20)\n[0, .Q.] -> 1;\n");
  WriteBytes(dir / "empty.tv", "");
  // The names of the map's NOTE PINS, in any case, beside numbers.
  WriteBytes(dir / "names.tv",
             "TEST_VECTORS ([Clock, in1, IN2] -> [out4, 21, out2, out1])\n[.C., 0, 0] -> ^b0101;\n");
  WriteBytes(dir / "unknown.tv", "([clock, in9] -> out1)\n[.C., 0] -> 1;\n");
  struct Case {
    std::vector<std::string> Args;
    int Status;
    std::string Lines;
  } cases[] = {
      {{dir / "cleared.jed"}, 3, "\nVector 5\nQ0 17, 'H' found  'L' expected\n\nV0006 "},
      {{dir / "cleared.jed"}, 3, "\n\n25 out of 30 vectors passed.\n>>> done <<<\n"},
      {{dir / "ring.jed"},
       3,
       "\nV0002  1 1 H H\nVector 2\npin 15 does not settle\n\nV0003  0 1 H H\n\n2 out of 3 vectors"},
      {{dir / "novectors.jed"},
       1,
       "\nERROR!\nnovectors.jed holds no test vectors (V fields) to run\n>>> done <<<\n"},
      {{dir / "short.jed"}, 1, "\nERROR!\nVector V0001 has 5 pins, the device 20\n>>> done <<<\n"},
      {{actlow, "--vectors", dir / "act.tv"},
       0,
       "Vector file: 'act.tv'  Part: 'GAL22V10'\n"
       "       c\n       l     o o o o\n       o i i u u u u\n       c n n t t t t\n       k 1 2 4 3 2 1\n"
       "                    \nV0001  0 X X H H L L\nV0002  C 0 0 L H L H\nV0003  C 1 1 H L H L\n"
       "V0004  C 0 1 L H L H\n\n4 out of 4 vectors passed.\n>>> done <<<\n"},
      {{actlow, "--vectors", dir / "wrong.tv"},
       3,
       "\nV0002  C 0 0 L H\nVector 2\nout4 20, 'L' found  'H' expected\n\n\n1 out of 2 vectors passed.\n"},
      {{"--vectors", dir / "gnd.tv", actlow},
       1,
       "\nERROR!\ngnd.tv: Test vectors, line 1: pin 12 is no signal pin of a 24-pin device\n>>> done <<<\n"},
      {{actlow, "--vectors", dir / "count.tv"},
       1,
       "\nERROR!\ncount.tv: Test vectors, line 3: 3 values where the header has 2 pins\n"},
      {{actlow, "--vectors", dir / "value.tv"},
       1,
       "\nERROR!\nvalue.tv: Test vectors, line 2: \".Q.\" is no test value\n"},
      {{actlow, "--vectors", dir / "empty.tv"}, 1, "\nERROR!\nempty.tv: Test vectors, line 1: "},
      {{actlow, "--vectors", dir / "names.tv"}, 0, "\nV0001  C 0 0 L H L H\n\n1 out of 1 vectors passed.\n"},
      {{actlow, "--vectors", dir / "unknown.tv"},
       1,
       "\nERROR!\nunknown.tv: Test vectors, line 1: \"in9\" names no pin of the map\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{"simulate", "--brief"};
    args.insert(args.end(), c.Args.begin(), c.Args.end());
    const ProgramRun run = RunCli(args);
    EXPECT_EQ(run.Status, c.Status) << c.Args.back() << run.Out;
    EXPECT_NE(run.Out.find(c.Lines), std::string::npos) << c.Args.back() << run.Out;
    EXPECT_EQ(run.Err, "");
  }
}

TEST(Cli, BadArgumentsAndHelp) {
  const std::vector<std::vector<std::string>> bad{
      {},           {"frobnicate", "x.jed"}, {"open"}, {"open", "a.jed", "b.jed"}, {"save", "a.jed"},
      {"open", ""}, {"--help", "open"},      {"info"}, {"--version", "open"},
  };
  for (const auto& args : bad) {
    const ProgramRun run = RunCli(args);
    EXPECT_EQ(run.Status, 2) << testing::PrintToString(args);
    EXPECT_EQ(run.Out, "") << testing::PrintToString(args);
    EXPECT_EQ(run.Err.rfind("quelvox-cli: ", 0), 0u) << run.Err;
    EXPECT_NE(run.Err.find("usage: quelvox-cli open FILE\n"), std::string::npos) << run.Err;
  }
  const ProgramRun help = RunCli({"--help"});
  EXPECT_EQ(help.Status, 0);
  EXPECT_EQ(help.Err, "");
  for (const char* line : {"quelvox-cli open FILE", "quelvox-cli save IN OUT", "quelvox-cli info FILE"}) {
    EXPECT_NE(help.Out.find(line), std::string::npos) << line;
  }
  const ProgramRun version = RunCli({"--version"});
  EXPECT_EQ(version.Out, "quelvox-cli " QUELVOX_VERSION "\n");
  EXPECT_EQ(version.Status, 0);
}

// --brief leaves the fuse-map block out, wherever it stands; the rest of the
// output is the same.
TEST(Cli, BriefLeavesTheFuseMapOut) {
  const std::string file = JedecDataDir() + "/" + RealFile;
  const std::string full = OpenOutput();
  const auto map = full.find("--- fuse map ---\n"), status = full.find("--- status ---\n");
  const std::string brief = full.substr(0, map) + full.substr(status);
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"open", "--brief", file}, {"open", file, "--brief"}}) {
    const ProgramRun run = RunCli(args);
    EXPECT_EQ(run.Out, brief);
    EXPECT_EQ(run.Status, 0);
  }
}

}  // namespace
