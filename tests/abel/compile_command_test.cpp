// The compile command from end to end, with a stand-in runner script started
// for real: from the window's command, and from quelvox-cli.
#include <gtest/gtest.h>

#include "base/design_path.h"
#include "commands/command_ids.h"
#include "commands/dispatch.h"
#include "tests/abel/compile_scene.h"
#include "tests/cli/run_program.h"
#include "tests/fuses/fuse_test_files.h"
#include "tests/support/current_directory.h"
#include "tests/support/environment_variable.h"
#include "tests/support/recording_window.h"

namespace {

using Lines = std::vector<std::string>;

const std::string Cli = std::string(QUELVOX_BINARY_DIR) + "/quelvox-cli";
const std::string RealJedec = JedecDataDir() + "/galette_GAL16V8_reg.jed";
const std::string PinRow = "                      a0 |  1                    20  | Vcc                     ";
const std::string Report = "page 1\r\n                         |           -----           |\r\n" + PinRow +
                           "\r\n                         `---------------------------'\r\n";

// A runner that compiles every design into the real fuse file, printing
// something on the way, as a console program would.
void WriteRunnerMaking(const CompileScene& scene, const std::string& jedec) {
  WriteBytes(scene.Root() + "/report.doc", Report);
  scene.WriteStandInRunner(
      "echo compiling; printf 'ok\\r\\n' > abel/abelcpl.out; cp ../report.doc abel/abelcpl.doc;"
      " : > abel/abelcpl.sim; cp \"" +
      jedec + "\" abel/abelcpl.jed");
}

void WriteSucceedingRunner(const CompileScene& scene) {
  WriteRunnerMaking(scene, RealJedec);
}

const std::string ForAnotherProgrammer =
    "The GAL6001 map is for another programmer: Quelvox opens and saves it but does not program this device";

void WriteFailingRunner(const CompileScene& scene) {
  scene.WriteStandInRunner(
      "printf 'x.abl:3:1: error: oops\\r\\n1 errors, 0 warnings\\r\\n' > abel/abelcpl.out");
}

// Choosing "Compile" in the window with my designs/x.abl in the dialog.
class CompileCommand : public ::testing::Test {
 protected:
  CompileScene scene;
  TestWindowScope windowScope;
  RecordingWindow& window = windowScope.window();

  void CompileDesign() {
    WriteBytes(scene.Design("x.abl"), "module x\r\n");
    window.AnswerDialog(scene.Design("x.abl"), 1);
    DispatchCommand(CmdCompile);
  }
};

TEST_F(CompileCommand, SuccessLoadsTheFuseFileAndShowsTheChipDiagram) {
  WriteSucceedingRunner(scene);
  CompileDesign();

  EXPECT_EQ(CurrentDesignPath, scene.Design("x.abl"));
  ASSERT_GE(window.LogLines.size(), 3u);
  EXPECT_EQ(window.LogLines[0], "Parsing file: x.jed");
  EXPECT_EQ(window.LogLines[1], "Path: " + scene.DesignDir());
  EXPECT_NE(std::find(window.LogLines.begin(), window.LogLines.end(), PinRow), window.LogLines.end());
  EXPECT_EQ(window.LogLines.back(), ">>> done <<<");
  EXPECT_FALSE(window.FuseMapLines.empty());
  EXPECT_EQ(ReadBytes(scene.Design("x.jed")), ReadBytes(RealJedec));
  EXPECT_EQ(std::find(window.LogLines.begin(), window.LogLines.end(), ForAnotherProgrammer),
            window.LogLines.end());
}

// A map compiled for a part Quelvox reads but does not program is loaded, and the log says so.
TEST_F(CompileCommand, AGal6001MapLoadsAndIsSaidToBeForAnotherProgrammer) {
  WriteRunnerMaking(scene, std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/fit/classic/gal6001_decoder.jed");
  CompileDesign();

  EXPECT_FALSE(window.FuseMapLines.empty());
  EXPECT_NE(std::find(window.LogLines.begin(), window.LogLines.end(), ForAnotherProgrammer),
            window.LogLines.end());
  EXPECT_EQ(window.LogLines.back(), ">>> done <<<");
}

// A map on show before stays, and the log says it is not the design's.
TEST_F(CompileCommand, FailureKeepsTheDesignPathAndShowsTheListing) {
  const struct {
    const char* What;
    std::string EarlierPath;  // the file the map on show came from
    Lines MapBefore;
    Lines After;  // the lines between the listing and the closing line
  } cases[] = {
      {"nothing shown", "earlier.abl", {}, {}},
      {"a map from a file",
       "earlier.abl",
       {"map"},
       {"The fuse map loaded before is still loaded: earlier.abl"}},
      {"a map read from the chip", "", {"map"}, {"The fuse map loaded before is still loaded"}},
  };
  WriteFailingRunner(scene);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    std::filesystem::remove_all(scene.DesignDir());  // the listing of the row before
    std::filesystem::create_directory(scene.DesignDir());
    CurrentDesignPath = c.EarlierPath;
    window.FuseMapLines = c.MapBefore;
    CompileDesign();

    EXPECT_EQ(CurrentDesignPath, c.EarlierPath);
    Lines log{"x.abl:3:1: error: oops", "1 errors, 0 warnings"};
    log.insert(log.end(), c.After.begin(), c.After.end());
    log.push_back(">>> done <<<");
    EXPECT_EQ(window.LogLines, log);
    EXPECT_EQ(window.FuseMapLines, c.MapBefore);
  }
}

// The fuse-map and status blocks of a compile are those of opening the new file.
TEST(CompileCli, Success) {
  CompileScene scene;
  WriteSucceedingRunner(scene);
  WriteBytes(scene.Design("x.abl"), "module x\r\n");
  WriteBytes(scene.Design("x.jed"), "a map of another tool*");
  const ProgramRun run = RunProgram(Cli, {"compile", "my designs/x.abl"});
  const ProgramRun open = RunProgram(Cli, {"open", scene.Design("x.jed")});
  const auto fuseMap = open.Out.find("--- fuse map ---");
  ASSERT_NE(fuseMap, std::string::npos);
  EXPECT_EQ(run.Out.rfind("--- log ---\nParsing file: x.jed\nPath: " + scene.DesignDir() + "\n", 0), 0u)
      << run.Out;
  EXPECT_NE(run.Out.find(PinRow + "\n"), std::string::npos) << run.Out;
  EXPECT_EQ(run.Out.substr(run.Out.find("--- fuse map ---")), open.Out.substr(fuseMap));
  EXPECT_EQ(run.Out.find("compiling"), std::string::npos) << "the runner's own output is hidden";
  // The line about the file kept aside comes again after the load.
  EXPECT_NE(run.Out.find("\nx.jed was not made by an ABEL compiler: kept as x.jed~\n>>> done <<<\n"),
            std::string::npos)
      << run.Out;
  EXPECT_EQ(ReadBytes(scene.Design("x.jed~")), "a map of another tool*");
  EXPECT_EQ(run.Status, 0);
}

// With the project's compiler as the runner: a design that fits but fails a
// test vector is loaded, says so after the load, and the command fails.
TEST(CompileCli, AFailingVectorFailsTheCommand) {
  CompileScene scene;
  std::filesystem::copy_file(std::string(QUELVOX_BINARY_DIR) + "/vDosPlus/vDosPlus.exe",
                             scene.Vdos() + "vDosPlus.exe");
  WriteBytes(scene.Design("x.abl"),
             "module x\r\ng device 'P16V8';\r\na pin 2;\r\ny pin 19;\r\nequations\r\ny = a;\r\n"
             "test_vectors (a -> y)\r\n1 -> 0;\r\nend x\r\n");
  const ProgramRun run = RunProgram(Cli, {"compile", scene.Design("x.abl"), "--brief"});
  EXPECT_NE(run.Out.find(
                "0 out of 1 vectors passed.\nERROR: 1 of 1 test vectors failed (see x.sim)\n>>> done <<<\n"),
            std::string::npos)
      << run.Out;
  EXPECT_EQ(run.Status, 1);
}

// From a folder without vDosPlus/, quelvox-cli compiles in the user's work
// folder, prepared as the launcher prepares it, with the compiler found beside
// quelvox-cli; the files land beside the design all the same.
TEST(CompileCli, FromAFolderWithoutTheCompilersFolder) {
  ScratchDir data, elsewhere;
  WriteBytes(
      data / "gate.abl",
      "module gate\r\ng device 'P16V8';\r\na pin 2;\r\ny pin 19;\r\nequations\r\ny = a;\r\nend gate\r\n");
  ProgramRun run;
  {
    EnvironmentScope dataHome("XDG_DATA_HOME", data / "share");
    CurrentDirectoryScope scope(elsewhere.path());
    run = RunProgram(Cli, {"compile", data / "gate.abl", "--brief"});
  }
  EXPECT_EQ(run.Status, 0) << run.Out << run.Err;
  EXPECT_TRUE(std::filesystem::is_symlink(data / "share/quelvox/vDosPlus/vDosPlus.exe"));
  EXPECT_TRUE(std::filesystem::exists(data / "gate.jed"));
  EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path()));
}

TEST(CompileCli, Failures) {
  const std::string empty = "--- fuse map ---\n--- status ---\n\n\n";
  struct Case {
    const char* What;
    void (*Runner)(const CompileScene&);
    const char* InTheWay;  // a folder made beside the design
    std::string Log;
  } cases[] = {
      {"no runner", nullptr, nullptr, "ERROR: Can't start vDosPlus\nPath: @vDosPlus/vDosPlus.exe\n"},
      {"compile error", WriteFailingRunner, nullptr, "x.abl:3:1: error: oops\n1 errors, 0 warnings\n"},
      {"a folder in the way of the fuse file", WriteSucceedingRunner, "x.jed",
       "ok\nERROR: Can't copy the fuse file to @my designs/x.jed: Is a directory\n"},
  };
  for (const Case& c : cases) {
    CompileScene scene;
    if (c.Runner) c.Runner(scene);
    WriteBytes(scene.Design("x.abl"), "module x\r\n");
    if (c.InTheWay) std::filesystem::create_directory(scene.Design(c.InTheWay));
    const ProgramRun run = RunProgram(Cli, {"compile", scene.Design("x.abl")});
    std::string log = c.Log;
    if (const auto at = log.find('@'); at != std::string::npos) log.replace(at, 1, scene.Root() + "/");
    EXPECT_EQ(run.Out, "--- log ---\n" + log + ">>> done <<<\n" + empty) << c.What;
    EXPECT_EQ(run.Status, 1) << c.What;
  }
}

}  // namespace
