// The chip diagram taken from a .doc report: where the file is looked for,
// the two reading phases, and a report in the classic compiler's layout.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "base/design_path.h"
#include "base/fuse_map.h"
#include "commands/command_ids.h"
#include "commands/dispatch.h"
#include "devices/gal_device.h"
#include "devices/pinout.h"
#include "tests/support/recording_window.h"

namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

const std::string Pad(25, ' ');
const std::string Header1 = Pad + " ___________     ___________";
const std::string Header2 = Pad + "|           \\___/           |";
const std::string Bottom = Pad + "|___________________________|";
const std::string TopEdge = Pad + "|           -----           |";
const std::string EmptyRow = Pad + "|                           |";
const std::string EndLine = Pad + "`---------------------------'";

class ChipDiagram : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    dir_ = fs::temp_directory_path() /
           ("quelvox-doc-" + std::string(test) + "-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  void WriteDoc(const std::string& name, const Lines& lines, const char* eol = "\r\n") const {
    std::ofstream out(Path(name), std::ios::binary);
    for (const std::string& line : lines) out << line << eol;
  }

  fs::path dir_;
};

TEST_F(ChipDiagram, ReadingPhases) {
  struct Case {
    const char* What;
    Lines Doc;
    Lines Log;
  };
  const std::string row1 = "                      a0 |  1                    20  | Vcc                     ";
  const std::string row2 = "                      a1 |  2                    19  | !y                      ";
  // clang-format off
  const Case cases[] = {
    {"drawing among other text",
     {"page one", TopEdge + "  ", row1, EmptyRow, row2, EmptyRow, EmptyRow, EndLine, "", "after"},
     {Header1, Header2, row1, row2, Bottom}},
    {"no drawing", {"just", "text"}, {Header1, Header2}},
    {"empty file", {}, {Header1, Header2}},
    {"no end line", {TopEdge, row1, EmptyRow, "tail text", ""}, {Header1, Header2, row1, "tail text", ""}},
    {"end line found anywhere in a line", {TopEdge, row1, "x `--- y", row2}, {Header1, Header2, row1, Bottom}},
    {"rows containing an empty row are dropped", {TopEdge, "ab" + EmptyRow + "cd", row2, EndLine},
     {Header1, Header2, row2, Bottom}},
    {"only the first top edge counts", {TopEdge, TopEdge, EndLine}, {Header1, Header2, TopEdge, Bottom}},
  };
  // clang-format on
  for (const Case& c : cases) {
    for (const char* eol : {"\r\n", "\n"}) {
      SCOPED_TRACE(std::string(c.What) + (eol[0] == '\r' ? " (CR LF)" : " (LF)"));
      TestWindowScope scope;
      WriteDoc("design.doc", c.Doc, eol);
      CurrentDesignPath = Path("design.jed");
      ShowChipDiagram();
      EXPECT_EQ(scope.window().LogLines, c.Log);
    }
  }
}

TEST_F(ChipDiagram, DocFileIsTheDesignPathWithItsExtensionReplaced) {
  WriteDoc("plain.doc", {TopEdge, "plain", EndLine});
  WriteDoc("two.dots.doc", {TopEdge, "two dots", EndLine});
  WriteDoc("noext.doc", {TopEdge, "no extension", EndLine});
  const std::pair<std::string, std::string> cases[] = {
      {"plain.jed", "plain"},       {"plain.abl", "plain"},    {"plain", "plain"},
      {"two.dots.jed", "two dots"}, {"noext", "no extension"}, {"missing.jed", ""},
  };
  for (const auto& [design, shown] : cases) {
    TestWindowScope scope;
    CurrentDesignPath = Path(design);
    ShowChipDiagram();
    const Lines expected = shown.empty() ? Lines{} : Lines{Header1, Header2, shown, Bottom};
    EXPECT_EQ(scope.window().LogLines, expected) << design;
  }
}

TEST_F(ChipDiagram, ADocThatIsNoFileIsPassedOverSilently) {
  fs::create_directory(Path("folder.doc"));
  ASSERT_EQ(mkfifo(Path("pipe.doc").c_str(), 0666), 0);  // nothing ever writes to it
  for (const char* design : {"folder.jed", "pipe.jed"}) {
    TestWindowScope scope;
    CurrentDesignPath = Path(design);
    ShowChipDiagram();
    EXPECT_EQ(scope.window().LogLines, Lines{}) << design;
  }
}

TEST_F(ChipDiagram, EmptyDesignPathLooksForDotDocInTheCurrentDirectory) {
  const fs::path before = fs::current_path();
  fs::current_path(dir_);
  {
    TestWindowScope scope;
    CurrentDesignPath.clear();  // as the Read button leaves it
    ShowChipDiagram();
    EXPECT_EQ(scope.window().LogLines, Lines{});
    WriteDoc(".doc", {TopEdge, "found", EndLine});
    ShowChipDiagram();
    EXPECT_EQ(scope.window().LogLines, (Lines{Header1, Header2, "found", Bottom}));
  }
  fs::current_path(before);
}

// Page 2 of a report as the classic DOS compiler lays it out, for a GAL16V8.
Lines ClassicReport() {
  Lines doc = {"\f",
               "",
               "",
               std::string(70, ' ') + "Page 2",
               "ABEL 4.00  -  Device Utilization Chart",
               "",
               "",
               Pad + "==== P16V8R Chip Diagram ====",
               "",
               "",
               "",
               std::string(36, ' ') + "P16V8R",
               "",
               Pad + "+---------\\       /---------+",
               Pad + "|          \\     /          |",
               TopEdge};
  const char* names[21] = {"", "clk", "a",   "b", "", "", "", "", "", "",   "GND",
                           "", "!q0", "!q1", "",  "", "", "", "", "", "Vcc"};
  for (int p = 1; p <= 10; ++p) {
    const std::string left = names[p], right = names[21 - p];
    std::string number = std::to_string(p), opposite = std::to_string(21 - p);
    doc.push_back(std::string(24 - left.size(), ' ') + left + " |" + std::string(3 - number.size(), ' ') +
                  number + std::string(20, ' ') + opposite + std::string(4 - opposite.size(), ' ') + "| " +
                  right + std::string(24 - right.size(), ' '));
    doc.push_back(EmptyRow);
  }
  doc.push_back(EmptyRow);
  doc.insert(doc.end(), {EndLine, "", std::string(24, ' ') + "SIGNATURE: N/A", "\f", "", "",
                         Pad + "==== P16V8R Resource Allocations ===="});
  return doc;
}

TEST_F(ChipDiagram, ClassicReportGivesTheFramedDrawing) {
  TestWindowScope scope;
  const Lines doc = ClassicReport();
  WriteDoc("counter.doc", doc);
  SelectDevice(0);
  FuseMap[2192] = 1;
  FuseMap[2193] = 1;
  CurrentDesignPath = Path("counter.abl");
  DispatchCommand(CmdInfo);
  const Lines& log = scope.window().LogLines;
  ASSERT_EQ(log.size(), 13u + 1u + 13u + 1u);  // diagram, mode line, drawing, done
  EXPECT_EQ(log[0], Header1);
  EXPECT_EQ(log[1], Header2);
  EXPECT_EQ(log[2], "                     clk |  1                    20  | Vcc                     ");
  EXPECT_EQ(log[2].size(), 79u);
  EXPECT_EQ(log[11], "                     GND | 10                    11  |                         ");
  EXPECT_EQ(log[12], Bottom);
  EXPECT_EQ(log[13], "Complex Mode; SYN=1, AC0=1");
  EXPECT_EQ(log[14], "        _____     _____");
  EXPECT_EQ(log[26], "       |_______________|");
  EXPECT_EQ(log[27], ">>> done <<<");
}

}  // namespace
