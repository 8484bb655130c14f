// The compile step with a scripted runner: the work file, the runner's start,
// the listing in the log, the copies beside the design, and every failure with
// what it leaves on disk.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <functional>
#include <map>

#include "abel/compile_design.h"
#include "tests/abel/compile_scene.h"
#include "tests/support/recording_window.h"
#include "tests/support/scripted_process.h"

namespace {

using Lines = std::vector<std::string>;
using Files = std::map<std::string, std::string>;  // name -> bytes

const std::string Design =
    "\" Counter for the demo board\r\nmodule my_counter\r\ntitle 'demo'\r\n"
    "U1 device 'P16V8';\r\nq pin 19;\r\nend my_counter\r\n";
const std::string WorkDesign =
    "MODULE abelcpl\r\ntitle 'demo'\r\nabelcpl DEVICE 'P16V8';\r\nq pin 19;\r\n"
    "end my_counter\r\n";
const Files Outputs{{"abelcpl.out", "listing 1\r\nlisting 2\r\n"},
                    {"abelcpl.doc", "doc\r\n"},
                    {"abelcpl.sim", "sim\r\n"},
                    {"abelcpl.jed", "\x02jed*\r\n\x03"}};
const Lines OldOutputs{"abelcpl.doc", "abelcpl.jed", "abelcpl.out", "abelcpl.sim"};

// A scene with a recording window and a scripted runner.
struct Bench {
  CompileScene scene;
  TestWindowScope windowScope;
  ScriptedProcessScope processScope;
  RecordingWindow& window = windowScope.window();
  ScriptedProcessStarter& runner = processScope.starter();

  // The runner writes these files into vDosPlus/abel/.
  void RunnerWrites(const Files& files) {
    runner.Run = [this, files](const ProcessStart&) {
      for (const auto& [name, bytes] : files) WriteBytes(scene.Abel(name), bytes);
    };
  }
  void LeaveOldRun() {
    WriteBytes(scene.Abel("abelcpl.abl"), "old design\r\n");
    for (const std::string& name : OldOutputs) WriteBytes(scene.Abel(name), "old");
  }
};

class Compile : public ::testing::Test, protected Bench {};

TEST_F(Compile, SuccessfulRun) {
  const std::string design = scene.Design("x.v2.abl");
  WriteBytes(design, Design);
  WriteBytes(scene.Design("x.v2.jed"), "an older fuse file");
  LeaveOldRun();
  Lines seenAtStart;
  runner.Run = [&](const ProcessStart&) {
    seenAtStart = CompileScene::Entries(scene.Abel(""));
    for (const auto& [name, bytes] : Outputs) WriteBytes(scene.Abel(name), bytes);
  };
  window.LogLines = {"an earlier line"};

  EXPECT_EQ(CompileAbelDesign(design), 1);

  ASSERT_EQ(runner.Starts.size(), 1u);
  EXPECT_EQ(runner.Starts[0].Program, scene.Vdos() + "vDosPlus.exe");
  EXPECT_EQ(runner.Starts[0].WorkingDirectory, scene.Vdos());
  EXPECT_EQ(std::filesystem::current_path().string(), scene.Root());
  EXPECT_EQ(seenAtStart, (Lines{"abelcpl.abl", "abelcpl.src"}))
      << "old outputs are gone before the runner starts";
  EXPECT_EQ(ReadBytes(scene.Abel("abelcpl.abl")), WorkDesign);
  EXPECT_EQ(ReadBytes(scene.Abel("abelcpl.src")),
            "design=" + design + "\r\ndropped=1\r\nmodule=my_counter\r\n");
  EXPECT_EQ(LastCompileVerdict(), CompileDone);
  // The listing, added straight to the pane, and the older fuse file that
  // no ABEL compiler wrote, kept aside.
  const std::string kept = "x.v2.jed was not made by an ABEL compiler: kept as x.v2.jed~";
  EXPECT_EQ(window.LogLines, (Lines{"listing 1", "listing 2", kept}));
  EXPECT_EQ(LastCompileCopyLines(), Lines{kept});
  EXPECT_EQ(window.LogScrolls, 1) << "the listing is added without scrolling, the line after it is logged";
  for (const char* extension : {"out", "doc", "sim", "jed"}) {
    EXPECT_EQ(ReadBytes(scene.Design("x.v2.") + extension), Outputs.at(std::string("abelcpl.") + extension))
        << extension;
  }
  EXPECT_EQ(ReadBytes(scene.Design("x.v2.jed~")), "an older fuse file");
}

// What is beside the design before the copies and what is there after:
// files an ABEL compiler wrote are replaced, any other file is renamed out of
// the way first, and a copy that fails says why and leaves the target as it
// was.
TEST(CompileBesideDesign, KeepsWhatNoAbelCompilerWrote) {
  const std::string ours = "\x02Quelvox ABEL compiler 1.0  JEDEC file for: P16V8R\r\n*\r\n\x03";
  const std::string classicDoc =
      "\f\r\n\r\nEZ-ABEL 4.32  -  Device Utilization Chart          Mon Jan 01\r\n";
  const std::string classicSim =
      "Simulate EZ-ABEL 4.32 Data I/O Corp.  JEDEC file for: P16V8R V9.0\r\nCreated on: x\r\n";
  std::string bigFuseFile = "\x02";
  while (bigFuseFile.size() < 9000) bigFuseFile += "L0000 11111111111111111111111111111111*\r\n";
  const struct {
    const char* What;
    Files Before;  // beside x.abl
    std::function<void(Bench&)> Setup;
    int Result;
    Lines Log;    // after the listing; @ is the design folder
    Files After;  // beside x.abl; "" for a folder
  } cases[] = {
      {"files an ABEL compiler wrote",
       {{"x.jed", ours},
        {"x.doc", classicDoc},
        {"x.sim", classicSim},
        {"x.out", "Quelvox ABEL compiler 1.0\r\n"}},
       nullptr,
       1,
       {},
       {{"x.jed", Outputs.at("abelcpl.jed")},
        {"x.doc", "doc\r\n"},
        {"x.sim", "sim\r\n"},
        {"x.out", Outputs.at("abelcpl.out")}}},
      {"a fuse file of another tool, and a foreign report",
       {{"x.jed", "made elsewhere*"}, {"x.doc", "my notes"}, {"x.sim", classicSim}},
       nullptr,
       1,
       {"x.doc was not made by an ABEL compiler: kept as x.doc~",
        "x.jed was not made by an ABEL compiler: kept as x.jed~"},
       {{"x.jed", Outputs.at("abelcpl.jed")},
        {"x.jed~", "made elsewhere*"},
        {"x.doc", "doc\r\n"},
        {"x.doc~", "my notes"},
        {"x.sim", "sim\r\n"},
        {"x.out", Outputs.at("abelcpl.out")}}},
      {"the kept name taken already",
       {{"x.jed", "second*"}, {"x.jed~", "first*"}, {"x.jed~3", "third*"}},
       nullptr,
       1,
       {"x.jed was not made by an ABEL compiler: kept as x.jed~2"},
       {{"x.jed", Outputs.at("abelcpl.jed")},
        {"x.jed~", "first*"},
        {"x.jed~2", "second*"},
        {"x.jed~3", "third*"},
        {"x.doc", "doc\r\n"},
        {"x.sim", "sim\r\n"},
        {"x.out", Outputs.at("abelcpl.out")}}},
      {"a folder in the way of the fuse file",
       {{"x.out", "my listing"}},
       [](Bench& b) { std::filesystem::create_directory(b.scene.Design("x.jed")); },
       0,
       {"x.out was not made by an ABEL compiler: kept as x.out~",
        "ERROR: Can't copy the fuse file to @x.jed: Is a directory"},
       {{"x.jed", ""},
        {"x.out", Outputs.at("abelcpl.out")},
        {"x.out~", "my listing"},
        {"x.doc", "doc\r\n"},
        {"x.sim", "sim\r\n"}}},
      // As on a full disk: the foreign file kept aside gets its name back.
      {"a file-size limit cuts the fuse file",
       {{"x.jed", "made elsewhere*"}},
       [bigFuseFile](Bench& b) {
         Files outputs = Outputs;
         outputs["abelcpl.jed"] = bigFuseFile;
         b.runner.Run = [&b, outputs](const ProcessStart&) {
           for (const auto& [name, bytes] : outputs) WriteBytes(b.scene.Abel(name), bytes);
           rlimit limited{};
           getrlimit(RLIMIT_FSIZE, &limited);
           limited.rlim_cur = 4096;
           setrlimit(RLIMIT_FSIZE, &limited);
         };
       },
       0,
       {"ERROR: Can't copy the fuse file to @x.jed: File too large"},
       {{"x.jed", "made elsewhere*"},
        {"x.doc", "doc\r\n"},
        {"x.sim", "sim\r\n"},
        {"x.out", Outputs.at("abelcpl.out")}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    Bench b;
    WriteBytes(b.scene.Design("x.abl"), Design);
    for (const auto& [name, bytes] : c.Before) WriteBytes(b.scene.Design(name), bytes);
    b.RunnerWrites(Outputs);
    if (c.Setup) c.Setup(b);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto savedHandler = signal(SIGXFSZ, SIG_IGN);
    const int result = CompileAbelDesign(b.scene.Design("x.abl"));
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, savedHandler);

    EXPECT_EQ(result, c.Result);
    EXPECT_EQ(LastCompileVerdict(), c.Result == 1 ? CompileDone : CompileErrors);
    Lines log{"listing 1", "listing 2"};
    for (std::string line : c.Log) {
      if (const auto at = line.find('@'); at != std::string::npos) line.replace(at, 1, b.scene.DesignDir());
      log.push_back(line);
    }
    EXPECT_EQ(b.window.LogLines, log);
    Files after = c.After;
    after["x.abl"] = Design;
    Lines names;
    for (const auto& [name, bytes] : after) names.push_back(name);
    EXPECT_EQ(CompileScene::Entries(b.scene.DesignDir()), names) << "no temporary file is left";
    for (const auto& [name, bytes] : after) {
      if (!bytes.empty()) {
        EXPECT_EQ(ReadBytes(b.scene.Design(name)), bytes) << name;
      }
    }
  }
}

TEST_F(Compile, DesignWithLfLineEndsGetsCrLf) {
  WriteBytes(scene.Design("x.abl"), "module a\nb device 'P16V8';\nend");
  RunnerWrites(Outputs);
  EXPECT_EQ(CompileAbelDesign(scene.Design("x.abl")), 1);
  EXPECT_EQ(ReadBytes(scene.Abel("abelcpl.abl")), "MODULE abelcpl\r\nabelcpl DEVICE 'P16V8';\r\nend\r\n");
}

// Compiling the work file itself must not lose the design to the truncation
// of the work file.
TEST_F(Compile, TheWorkFileItself) {
  WriteBytes(scene.Abel("abelcpl.abl"), Design);
  RunnerWrites(Outputs);
  EXPECT_EQ(CompileAbelDesign(scene.Abel("abelcpl.abl")), 1);
  EXPECT_EQ(ReadBytes(scene.Abel("abelcpl.abl")), WorkDesign);
  EXPECT_EQ(ReadBytes(scene.Abel("abelcpl.jed")), Outputs.at("abelcpl.jed"));
}

TEST(CompileFailures, Table) {
  struct Row {
    const char* What;
    std::function<void(Bench&)> Setup;  // after the old run and the design are in place
    std::string DesignName;             // "" for a cancelled requester
    Lines Log;                          // after the line that was there before
    bool Started;
    Lines AbelLeft;      // files in vDosPlus/abel/ afterwards
    bool WorkFileNew;    // the work file holds the new design
    Lines BesideDesign;  // files in the design folder afterwards
    int Verdict;
  };
  const Lines allOld{"abelcpl.abl", "abelcpl.doc", "abelcpl.jed", "abelcpl.out", "abelcpl.sim"};
  const Row rows[] = {
      {"empty path", nullptr, "", {}, false, allOld, false, {"x.abl"}, CompileNotRun},
      {"design missing",
       nullptr,
       "missing.abl",
       {"ERROR: Can't open ABEL design file!"},
       false,
       allOld,
       false,
       {"x.abl"},
       CompileNotRun},
      {"design is a folder",
       [](Bench& b) { std::filesystem::create_directory(b.scene.Design("folder.abl")); },
       "folder.abl",
       {"ERROR: Can't open ABEL design file!"},
       false,
       allOld,
       false,
       {"folder.abl", "x.abl"},
       CompileNotRun},
      {"work file cannot be created",
       [](Bench& b) {
         std::filesystem::remove(b.scene.Abel("abelcpl.abl"));
         std::filesystem::create_directory(b.scene.Abel("abelcpl.abl"));
       },
       "x.abl",
       {"ERROR: Can't duplicate ABEL design file!"},
       false,
       allOld,
       false,
       {"x.abl"},
       CompileNotRun},
      // An old side file that stays would name another design in the messages.
      {"side file cannot be replaced",
       [](Bench& b) { std::filesystem::create_directories(b.scene.Abel("abelcpl.src/stuck")); },
       "x.abl",
       {"ERROR: Can't duplicate ABEL design file!"},
       false,
       {"abelcpl.abl", "abelcpl.doc", "abelcpl.jed", "abelcpl.out", "abelcpl.sim", "abelcpl.src"},
       true,
       {"x.abl"},
       CompileNotRun},
      {"old fuse file cannot be deleted",
       [](Bench& b) {
         std::filesystem::remove(b.scene.Abel("abelcpl.jed"));
         std::filesystem::create_directories(b.scene.Abel("abelcpl.jed/stuck"));
       },
       "x.abl",
       {"ERROR: Can't delete old compiler output files!"},
       false,
       {"abelcpl.abl", "abelcpl.jed", "abelcpl.src"},
       true,
       {"x.abl"},
       CompileNotRun},
      {"runner cannot be started",
       [](Bench& b) { b.runner.Startable = false; },
       "x.abl",
       {"ERROR: Can't start vDosPlus"},
       true,
       {"abelcpl.abl", "abelcpl.src"},
       true,
       {"x.abl"},
       CompileNotRun},
      {"no listing",
       [](Bench& b) {
         b.RunnerWrites({{"abelcpl.jed", "jed"}});
       },
       "x.abl",
       {"ERROR: Can't open compiler output file!"},
       true,
       {"abelcpl.abl", "abelcpl.jed", "abelcpl.src"},
       true,
       {"x.abl"},
       CompileErrors},
      {"listing but no fuse file",
       [](Bench& b) {
         b.RunnerWrites({{"abelcpl.out", "1 error\r\n"}, {"abelcpl.doc", "d"}, {"abelcpl.sim", "s"}});
         b.runner.ExitStatus = 1;
       },
       "x.abl",
       {"1 error"},
       true,
       {"abelcpl.abl", "abelcpl.doc", "abelcpl.out", "abelcpl.sim", "abelcpl.src"},
       true,
       {"x.abl", "x.doc", "x.out", "x.sim"},
       CompileErrors},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.What);
    Bench b;
    WriteBytes(b.scene.Design("x.abl"), Design);
    b.LeaveOldRun();
    if (row.Setup) row.Setup(b);
    b.window.LogLines = {"before"};

    EXPECT_EQ(CompileAbelDesign(row.DesignName.empty() ? "" : b.scene.Design(row.DesignName)), 0);

    // The listing replaces the log; an error line is added to it, followed
    // by the file it is about.
    Lines log = row.Log;
    if (log.empty() || log[0].rfind("ERROR: ", 0) == 0) log.insert(log.begin(), "before");
    const std::pair<std::string, std::string> paths[] = {
        {"ERROR: Can't open ABEL design file!", b.scene.Design(row.DesignName)},
        {"ERROR: Can't duplicate ABEL design file!", b.scene.Abel("abelcpl.abl")},
        {"ERROR: Can't delete old compiler output files!", b.scene.Abel("abelcpl.*")},
        {"ERROR: Can't start vDosPlus", b.scene.Vdos() + "vDosPlus.exe"},
        {"ERROR: Can't open compiler output file!", b.scene.Abel("abelcpl.out")},
    };
    for (const auto& [error, path] : paths) {
      const auto at = std::find(log.begin(), log.end(), error);
      if (at != log.end()) log.insert(at + 1, "Path: " + path);
    }
    EXPECT_EQ(b.window.LogLines, log);
    EXPECT_EQ(b.runner.Starts.size(), row.Started ? 1u : 0u);
    EXPECT_EQ(CompileScene::Entries(b.scene.Abel("")), row.AbelLeft);
    if (std::filesystem::is_regular_file(b.scene.Abel("abelcpl.abl"))) {
      EXPECT_EQ(ReadBytes(b.scene.Abel("abelcpl.abl")), row.WorkFileNew ? WorkDesign : "old design\r\n");
    }
    EXPECT_EQ(CompileScene::Entries(b.scene.DesignDir()), row.BesideDesign);
    EXPECT_EQ(LastCompileVerdict(), row.Verdict);
  }
}

// The runner's exit status is the verdict, but only a fuse file that came
// back counts as fitted.
TEST(CompileVerdict, FromTheExitStatusAndTheFuseFile) {
  const struct {
    int ExitStatus;
    bool FuseFile;
    int Verdict;
  } cases[] = {
      {0, true, CompileDone},    {3, true, CompileVectorsFailed}, {1, false, CompileErrors},
      {0, false, CompileErrors}, {3, false, CompileErrors},       {139, true, CompileErrors},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.ExitStatus) + (c.FuseFile ? " with" : " without") + " a fuse file");
    Bench b;
    WriteBytes(b.scene.Design("x.abl"), Design);
    Files outputs = Outputs;
    if (!c.FuseFile) outputs.erase("abelcpl.jed");
    b.RunnerWrites(outputs);
    b.runner.ExitStatus = c.ExitStatus;
    EXPECT_EQ(CompileAbelDesign(b.scene.Design("x.abl")), c.FuseFile ? 1 : 0);
    EXPECT_EQ(LastCompileVerdict(), c.Verdict);
  }
}

// The side file names the design by an absolute path, however it was given,
// and what the rewrite dropped.
TEST(CompileSideFile, Contents) {
  const struct {
    const char* What;
    std::string Design;
    std::string Path;  // as given, relative to the scene's root
    std::string Side;
  } cases[] = {
      {"relative path", "module cnt;\r\nend cnt\r\n", "my designs/x.abl", "dropped=0\r\nmodule=cnt\r\n"},
      {"lines before MODULE", "\" one\r\n\r\n\" three\r\n  Module\tcnt_2 (a, b)\r\n", "my designs/x.abl",
       "dropped=3\r\nmodule=cnt_2\r\n"},
      {"no MODULE line", "\" just a comment\r\nend\r\n", "my designs/x.abl", "dropped=2\r\nmodule=\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    Bench b;
    WriteBytes(b.scene.Design("x.abl"), c.Design);
    b.RunnerWrites(Outputs);
    CompileAbelDesign(c.Path);
    EXPECT_EQ(ReadBytes(b.scene.Abel("abelcpl.src")), "design=" + b.scene.Design("x.abl") + "\r\n" + c.Side);
  }
}

// A work file cut short, here by a file-size limit as on a full disk, is
// reported and not compiled.
TEST_F(Compile, WorkFileWriteFailure) {
  std::string big = "module m\r\n";
  while (big.size() < 10000) big += "\" a comment line of the design that takes some room\r\n";
  WriteBytes(scene.Design("x.abl"), big);
  LeaveOldRun();
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit limited = saved;
  limited.rlim_cur = 4096;
  const auto savedHandler = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &limited);
  const int result = CompileAbelDesign(scene.Design("x.abl"));
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, savedHandler);

  EXPECT_EQ(result, 0);
  EXPECT_EQ(window.LogLines,
            (Lines{"ERROR: Can't duplicate ABEL design file!", "Path: " + scene.Abel("abelcpl.abl")}));
  EXPECT_TRUE(runner.Starts.empty());
  EXPECT_EQ(ReadBytes(scene.Abel("abelcpl.jed")), "old");
}

TEST(CompilePaths, OutputBaseCutsAtEitherSeparator) {
  EXPECT_EQ(OutputBaseOf("C:\\d\\x.abl"), "C:\\d\\x");
  EXPECT_EQ(OutputBaseOf("/d/my designs/x.v2.abl"), "/d/my designs/x.v2");
  EXPECT_EQ(OutputBaseOf("/d.x/noext"), "/d.x/noext");
  EXPECT_EQ(OutputBaseOf("mixed/dir\\y.ABL"), "mixed/dir\\y");
}

// The compile step with the project's own compiler as the runner: its
// messages name the user's file at the user's lines, the END label that the
// rename made wrong draws no warning, and the exit status is the verdict.
TEST(CompileWithTheCompiler, MessagesAndVerdicts) {
  const std::string head =
      "\" Two lines of notes\r\n\" before the design\r\nmodule gate\r\n"
      "g device 'P16V8';\r\na, b pin 2, 3;\r\ny pin 19;\r\nequations\r\n";
  const struct {
    const char* What;
    std::string Body;
    int Result, Verdict;
    Lines Wanted;    // lines the log must hold
    Lines Unwanted;  // texts no log line may hold
  } cases[] = {
      {"an error",
       "y = a & c;\r\nend gate\r\n",
       0,
       CompileErrors,
       {"x.abl:8:9: error: 'c' is not declared", "1 error, 0 warnings"},
       {"abelcpl", "END label"}},
      {"a failing vector",
       "y = a & b;\r\ntest_vectors ([a, b] -> y)\r\n[1, 1] -> 0;\r\nend gate\r\n",
       1,
       CompileVectorsFailed,
       {"x.abl: warning: 1 vector failed; see x.sim", "0 errors, 1 warning"},
       {"END label"}},
      {"all well",
       "y = a & b;\r\ntest_vectors ([a, b] -> y)\r\n[1, 1] -> 1;\r\nend gate\r\n",
       1,
       CompileDone,
       {"1 out of 1 vectors passed.", "0 errors, 0 warnings"},
       {"END label"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    Bench b;
    InstallProcessStarter(nullptr);  // the system's start, for the real compiler
    std::filesystem::copy_file(std::string(QUELVOX_BINARY_DIR) + "/vDosPlus/vDosPlus.exe",
                               b.scene.Vdos() + "vDosPlus.exe");
    WriteBytes(b.scene.Design("x.abl"), head + c.Body);
    EXPECT_EQ(CompileAbelDesign(b.scene.Design("x.abl")), c.Result);
    EXPECT_EQ(LastCompileVerdict(), c.Verdict);
    for (const std::string& line : c.Wanted) {
      EXPECT_NE(std::find(b.window.LogLines.begin(), b.window.LogLines.end(), line), b.window.LogLines.end())
          << line;
    }
    for (const std::string& line : b.window.LogLines) {
      for (const std::string& text : c.Unwanted) EXPECT_EQ(line.find(text), std::string::npos) << line;
    }
  }
}

}  // namespace
