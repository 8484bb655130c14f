// The four output files: golden .jed, .doc and .sim for small designs of each
// device and mode (their fuses checked by hand against the architecture
// tables), the failures that leave no fuse file, and the command line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "abelc/compile.h"
#include "fit_support.h"
#include "tests/abelc/golden_support.h"

namespace {

using namespace abelc;
using namespace abelc_fit_test;
using abelc_test::LineDiff;
namespace fs = std::filesystem;

const std::string kGoldenDir = std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/fit/golden";
constexpr const char* kDate = "Thu Jan  1 00:00:00 2026";

// The fuse checksum of each design, worked out from the architecture tables;
// the unused cells of the 16V8/20V8 are inputs, those of the 22V10 off.
const struct {
  const char* design;
  const char* checksum;
} kGolden[] = {
    {"ex1_16v8_simple", "C0CD3*"},  {"ex2_16v8_registered", "C0CF4*"}, {"ex3_22v10_enable", "C0AE6*"},
    {"ex4_20v8_complex", "C12D1*"}, {"ex5_22v10_toggle", "C0AF2*"},
};

TEST(OutputFiles, GoldenJedecReportAndSimulation) {
  const bool update = std::getenv("QUELVOX_UPDATE_GOLDEN") != nullptr;
  for (const auto& g : kGolden) {
    SCOPED_TRACE(g.design);
    const std::string base = kGoldenDir + "/" + g.design;
    CompiledFiles files = CompileToFiles(std::string(g.design) + ".abl", ReadFile(base + ".abl"), kDate);
    ASSERT_TRUE(files.ok) << files.listing;
    EXPECT_NE(files.jed.find(std::string("\r\n") + g.checksum + "\r\n"), std::string::npos);
    for (const auto& [ext, text] : {std::pair<std::string, std::string>{".jed", files.jed},
                                    {".doc", files.doc},
                                    {".sim", files.sim},
                                    {".out", files.listing}}) {
      if (update) std::ofstream(base + ext, std::ios::binary) << text;
      const std::string expected = ReadFile(base + ext);
      EXPECT_EQ(expected, text) << ext << " differs:\n" << LineDiff(expected, text);
    }
  }
}

// Rows of the Unused Resources page as the report layout gives them, an
// unused input pin and an unused 22V10 cell, character for character.
TEST(OutputFiles, UnusedResourceRowsKeepTheirLayout) {
  const struct {
    const char* design;
    const char* row;
  } cases[] = {
      {"ex1_16v8_simple", "    8  |  INPUT |      -      |    -   \r\n"},
      {"ex3_22v10_enable", "   14  |  BIDIR | NORMAL  8   |    D   \r\n"},
      {"ex3_22v10_enable", "   18  |  BIDIR | NORMAL 16   |    D   \r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.design);
    CompiledFiles files =
        CompileToFiles(std::string(c.design) + ".abl", ReadFile(kGoldenDir + "/" + c.design + ".abl"), kDate);
    ASSERT_TRUE(files.ok) << files.listing;
    const std::size_t page = files.doc.find(" Unused Resources ====");
    ASSERT_NE(page, std::string::npos);
    EXPECT_NE(files.doc.find(c.row, page), std::string::npos) << c.row;
  }
}

TEST(OutputFiles, TheJedecChecksumsAddUp) {
  CompiledFiles files = CompileToFiles("ex5.abl", ReadFile(kGoldenDir + "/ex5_22v10_toggle.abl"), kDate);
  const std::string& t = files.jed;
  const std::size_t etx = t.find('\x03');
  ASSERT_NE(etx, std::string::npos);
  unsigned sum = 0;
  for (std::size_t i = t.find('\x02'); i <= etx; ++i) sum += static_cast<unsigned char>(t[i]);
  char hex[8];
  std::snprintf(hex, sizeof hex, "%04X", sum & 0xFFFF);
  EXPECT_EQ(t.substr(etx + 1), std::string(hex) + "\r\n");
  JedecMap map = ReadJedec(t);
  EXPECT_EQ(map.fuse_count, 5892);
  EXPECT_EQ(map.vectors.size(), 4u);
}

// Designs the fitter must refuse, with the message the user sees.
const struct {
  const char* what;
  const char* source;
  const char* message;
} kFailures[] = {
    {"too many terms",
     "module m\n d device 'P16V8';\n a, b, c, e pin 2, 3, 4, 5;\n y pin 19;\nequations\n"
     " y = a $ b $ c $ e;\n y.oe = a;\nend m\n",
     "'y' does not fit: it needs 8 product terms, and pin 19 has 7 in complex mode"},
    {"too many terms for any free cell",
     "module m\n d device 'P16V8';\n a, b, c, e, f pin 2, 3, 4, 5, 6;\n y pin;\nequations\n"
     " y = a $ b $ c $ e $ f;\nend m\n",
     "'y' does not fit: it needs 16 product terms, and the largest free cell (pin 19) has 8 in simple mode"},
    {"wrong clock pin",
     "module m\n d device 'P22V10';\n c, a pin 3, 2;\n q pin 23 istype 'reg';\nequations\n"
     " q.clk = c;\n q := a;\nend m\n",
     "'q' is clocked by 'c' on pin 3, but the GAL22V10 clocks its registers from pin 1 only"},
    {"enable of a 16V8 register other than the /OE pin",
     "module m\n d device 'P16V8';\n clk, a, e pin 1, 2, 3;\n q pin 19 istype 'reg';\nequations\n"
     " q.clk = clk;\n q := a;\n q.oe = e;\nend m\n",
     "the enable of registered output 'q' must be the /OE pin (11) of the GAL16V8, active low"},
    {"more outputs than cells",
     "module m\n d device 'P16V8';\n a pin 2;\n y0..y8 pin;\nequations\n [y0..y8] = a;\nend m\n",
     "'y8' does not fit: every output cell of the GAL16V8 that could take it is in use (simple mode)"},
    {"output on an input pin",
     "module m\n d device 'P16V8';\n a pin 2;\n y pin 5;\nequations\n y = a;\nend m\n",
     "'y' is an output, but pin 5 of the GAL16V8 is an input pin; outputs go on pins 12 to 19"},
    {"output on an input pin of a part whose output pins have a gap",
     "module m\n d device 'P26CV12';\n a pin 2;\n y pin 14;\nequations\n y = a;\nend m\n",
     "'y' is an output, but pin 14 of the GAL26CV12 is an input pin; outputs go on pins 15 to 20 and 22 to "
     "27"},
    {"the supply pins of a 28-pin part",
     "module m\n d device 'P26CV12';\n a pin 7;\n y pin 15;\nequations\n y = a;\nend m\n", "pin 7 is VCC"},
    {"a clock of two terms on the GAL20RA10",
     "module m\n d device 'P20RA10';\n ck, a, b pin 2, 3, 4;\n !q pin 23 istype 'reg';\nequations\n"
     " q.clk = ck & a # ck & b;\n q := !q.fb;\nend m\n",
     "'q'.CLK does not fit: it needs 2 product terms, and the GAL20RA10 has one for it"},
    {"different resets on the 22V10",
     "module m\n d device 'P22V10';\n clk, a, r pin 1, 2, 3;\n p, q pin 22, 23 istype 'reg';\nequations\n"
     " [p, q].clk = clk;\n p := a;\n q := !a;\n q.ar = r;\nend m\n",
     "the GAL22V10 resets and presets all registers together, but 'q' has a reset or preset that differs "
     "from "
     "the other registers'"},
    {"logic reading the clock pin of a 16V8 in registered mode",
     "module m\n d device 'P16V8';\n clk, a pin 1, 2;\n q pin 19 istype 'reg';\n y pin 18;\nequations\n"
     " q.clk = clk;\n q := a;\n y = q & !clk;\nend m\n",
     "the logic reads 'clk', but pin 1 of the GAL16V8 is the clock, outside the logic, in registered mode"},
    {"combinational nodes reading each other in a loop",
     "module m\n d device 'P16V8';\n a pin 2;\n s, t node istype 'com';\n y pin 19;\nequations\n"
     " s = a & t;\n t = !s;\n y = t;\nend m\n",
     "the combinational node 's' reads itself through a loop of nodes"},
    {"a registered node with no macrocell left for it",
     "module m\n d device 'P22V10';\n clk, a pin 1, 2;\n i22..i14 pin 22..14;\n t node istype 'reg';\n"
     " y pin 23;\nequations\n t.clk = clk;\n t := a;\n y = t;\nend m\n",
     "'t' does not fit: the GAL22V10 has no buried cells, and no macrocell is free to hold the node"},
    {"an enable other than pin 13 on a GAL20XV10 XOR output",
     "module m\n d device 'P20XV10';\n a, b, c, d, e pin 2, 3, 4, 5, 6;\n y pin 23 istype 'com,xor';\n"
     "equations\n y = (a & b # c & d) $ e;\n y.oe = !e;\nend m\n",
     "the enable of XOR output 'y' must be pin 13, active low: the GAL20XV10 enables its XOR outputs only by "
     "pin 13"},
    {"a side of a GAL20XV10 XOR with three terms",
     "module m\n d device 'P20XV10';\n a, b, c, d, e pin 2, 3, 4, 5, 6;\n y pin 23 istype 'com,xor';\n"
     "equations\n y = (a & b # c & d # a & !c) $ e;\nend m\n",
     "'y' does not fit: the XOR gate of its cell takes one side of the '$' and the complement of the other "
     "in 2 "
     "product terms each, which these sides do not give; as one sum it needs "},
    {"65 shared terms on the GAL6001",
     "module m\n d device 'F6001';\n a, b, c, e, f, g, h pin 2, 3, 4, 5, 6, 7, 8;\n y, z pin 23, 22;\n"
     "equations\n y = a $ b $ c $ e $ f $ g $ h;\n z = a;\nend m\n",
     "the design does not fit the GAL6001: its sums need 65 product terms, and the array has 64"},
    {"a JK register on the GAL6002B",
     "module m\n d device 'F6002';\n a pin 2;\n q pin 23 istype 'reg';\nequations\n q.j = a;\n q.k = a;\nend "
     "m\n",
     "'q.J': the F6002 is fitted with D registers only"},
    {"a clock enable with a clock term on the GAL6001",
     "module m\n d device 'F6001';\n a, b, c pin 2, 3, 4;\n q pin 23 istype 'reg';\nequations\n"
     " q := c;\n q.clk = a & b;\n q.ce = c;\nend m\n",
     "'q' has a clock term and a clock enable: the GAL6001 takes a clock enable only on registers clocked by "
     "pin 13"},
    {"pin 13 read by the logic of the GAL6001",
     "module m\n d device 'F6001';\n ck, a pin 13, 2;\n y pin 23;\nequations\n y = ck & a;\nend m\n",
     "'ck' on pin 13 is the output clock of the GAL6001 and does not reach the array"},
    {"input cells of one GAL6001 group set two ways",
     "module m\n d device 'F6001';\n clk, a, b pin 1, 2, 3;\n ra node 70 istype 'reg';\n lb node 71;\n"
     " y pin 23;\nequations\n ra := a; ra.clk = clk;\n lb := b; lb.le = clk;\n y = ra & lb;\nend m\n",
     "the GAL6001 sets those cells alike"},
    {"a GAL6001 pin read past the input cells its group registers",
     "module m\n d device 'F6001';\n clk, a, e pin 1, 2, 5;\n ra node 70 istype 'reg';\n y pin "
     "23;\nequations\n"
     " ra := a; ra.clk = clk;\n y = ra & e;\nend m\n",
     "'e' on pin 5 reaches the array through its registered input cell only (the GAL6001 sets the cells of "
     "pins 2 to 11 alike): read the cell's node instead"},
    {"node 25 read on the GAL6002B",
     "module m\n d device 'F6002';\n a, b pin 2, 3;\n q pin 23 istype 'reg';\n r node 25;\n y pin 22;\n"
     "equations\n q := a;\n r = b;\n y = r;\nend m\n",
     "node 25 ('r') resets the registers of the F6002 and cannot be read"},
    {"no device", "module m\n a pin 2;\n y pin 19;\nequations\n y = a;\nend m\n",
     "the design declares no device (for example: u1 device 'P16V8';)"},
    {"unknown device", "module m\n d device 'P16V9';\n a pin 2;\n y pin 19;\nequations\n y = a;\nend m\n",
     "unknown device 'P16V9'"},
};

TEST(OutputFiles, FailuresGiveTheirMessageAndNoFuseFile) {
  for (const auto& f : kFailures) {
    SCOPED_TRACE(f.what);
    CompiledFiles files = CompileToFiles("abelcpl.abl", f.source, kDate);
    EXPECT_FALSE(files.ok);
    EXPECT_NE(files.listing.find(f.message), std::string::npos) << files.listing;
    EXPECT_TRUE(files.jed.empty());
  }
}

TEST(OutputFiles, CommandLineWritesBesideTheDesignAndRemovesStaleFiles) {
  const fs::path dir = fs::temp_directory_path() / "abelc_fit_cli";
  fs::remove_all(dir);
  fs::create_directories(dir / "abel");
  std::ofstream(dir / "abel" / "abelcpl.abl") << ReadFile(kGoldenDir + "/ex1_16v8_simple.abl");
  const fs::path cwd = fs::current_path();
  fs::current_path(dir);
  std::ostringstream out, err;
  EXPECT_EQ(0, RunCommandLine({}, out, err, true)) << err.str();  // as the compile step's runner
  fs::current_path(cwd);
  for (const char* ext : {".out", ".jed", ".doc", ".sim"})
    EXPECT_TRUE(fs::exists(dir / "abel" / (std::string("abelcpl") + ext)));
  EXPECT_NE(out.str().find("3 out of 3 vectors passed."), std::string::npos);

  std::ofstream(dir / "bad.abl") << kFailures[0].source;
  std::ofstream(dir / "bad.jed") << "stale";
  std::ostringstream out2, err2;
  EXPECT_EQ(1, RunCommandLine({(dir / "bad.abl").string()}, out2, err2));
  EXPECT_FALSE(fs::exists(dir / "bad.jed"));
  EXPECT_NE(ReadFile((dir / "bad.out").string()).find("1 error, 0 warnings"), std::string::npos);
  fs::remove_all(dir);
}

// The work copy's side file names the user's design: its file and lines in
// every message, and its module in the END label check. A value that does
// not parse is left out; a missing side file leaves the work copy's names.
// The exit status is the verdict: 3 when the map fails a test vector.
TEST(OutputFiles, CommandLineReadsTheSideFileAndGivesTheVerdict) {
  const std::string work = "MODULE abelcpl\nabelcpl DEVICE 'P16V8';\na, b pin 2, 3;\ny pin 19;\nequations\n";
  const struct {
    const char* what;
    const char* side;  // nullptr: no side file
    std::string body;
    int status;
    std::vector<std::string> wanted, unwanted;
  } cases[] = {
      {"no side file",
       nullptr,
       "y = a & c;\nend count\n",
       1,
       {"Module: 'abelcpl'", "abelcpl.abl:6:9: error: 'c' is not declared",
        "abelcpl.abl:7:5: warning: END label 'count' does not match module 'abelcpl'"},
       {}},
      {"side file",
       "design=C:\\d\\count.abl\r\ndropped=3\r\nmodule=count\r\n",
       "y = a & c;\nend count\n",
       1,
       {"Module: 'count'", "count.abl:9:9: error: 'c' is not declared", "1 error, 0 warnings"},
       {"abelcpl", "END label"}},
      {"another END label",
       "design=/u/my designs/count.abl\nmodule=count\nfuture=1\ndropped=-2\n",
       "y = a & c;\nend counter\n",
       1,
       {"count.abl:6:9: error: 'c' is not declared",
        "count.abl:7:5: warning: END label 'counter' does not match module 'abelcpl'"},
       {}},
      {"failing vector",
       "design=/u/count.abl\ndropped=1\nmodule=count\n",
       "y = a & b;\ntest_vectors ([a, b] -> y)\n[1, 1] -> 0;\nend count\n",
       3,
       {"0 out of 1 vectors passed.", "count.abl: warning: 1 vector failed; see count.sim"},
       {}},
  };
  const fs::path dir = fs::temp_directory_path() / "abelc_side_file";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(dir);
    fs::create_directories(dir / "abel");
    std::ofstream(dir / "abel" / "abelcpl.abl") << work << c.body;
    if (c.side) std::ofstream(dir / "abel" / "abelcpl.src", std::ios::binary) << c.side;
    std::ostringstream out, err;
    EXPECT_EQ(c.status, RunCommandLine({(dir / "abel" / "abelcpl.abl").string()}, out, err)) << err.str();
    const std::string listing = out.str();
    for (const std::string& line : c.wanted)
      EXPECT_NE(listing.find(line + "\n"), std::string::npos) << listing;
    for (const std::string& text : c.unwanted) EXPECT_EQ(listing.find(text), std::string::npos) << listing;
  }
  fs::remove_all(dir);
}

}  // namespace
