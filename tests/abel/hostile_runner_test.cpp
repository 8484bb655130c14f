// The Compile command when things outside the program go wrong: no vDosPlus
// folder and no work folder to use instead, a read-only one, and a runner (a real script) that crashes before
// or half-way through its work or writes garbage. The command always ends with its done line, says what
// failed, and a fuse file only comes back beside the design when the runner left one. Each case runs in a
// forked child without root's rights, as a user would, so the permission bits count.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/fuse_map.h"
#include "commands/command_ids.h"
#include "commands/dispatch.h"
#include "tests/abel/compile_scene.h"
#include "tests/support/environment_variable.h"
#include "tests/support/recording_window.h"

namespace {

using Lines = std::vector<std::string>;

const std::string DesignText = "module x\r\nend x\r\n";

// Every byte value four times over: no line structure, stars and letters anywhere.
std::string Garbage() {
  std::string bytes;
  for (int round = 0; round < 4; ++round) {
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>((b * 37 + round) & 0xFF);
  }
  return bytes;
}

// A GAL16V8 fuse file cut off inside its fifth row, as a runner that dies
// while writing leaves it.
std::string CutFuseFile() {
  std::string text = "\x02\r\nwritten by the runner*\r\nQF2194*\r\nF0*\r\n";
  for (int row = 0; row < 8; ++row)
    text += "L" + std::to_string(10000 + row * 32).substr(1) + " " + std::string(32, '1') + "*\r\n";
  return text.substr(0, text.find("L0128") + 20);
}

void MakeReadOnly(const std::string& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder)) chmod(entry.path().c_str(), 0444);
  chmod(folder.c_str(), 0555);
}

struct Row {
  const char* What;
  std::function<void(CompileScene&)> Setup;
  Lines Log;            // the whole log; "*" is any run of lines, "a*b" a line starting with a, ending with b
  bool FuseFileBeside;  // x.jed beside the design afterwards
};

bool LogMatches(const Lines& log, const Lines& pattern) {
  std::size_t at = 0;
  for (std::size_t p = 0; p < pattern.size(); ++p) {
    if (pattern[p] == "*") {
      const std::size_t rest = pattern.size() - p - 1;
      if (log.size() < at + rest) return false;
      at = log.size() - rest;
      continue;
    }
    const std::string& want = pattern[p];
    if (at >= log.size()) return false;
    const std::size_t star = want.find('*');
    if (star == std::string::npos) {
      if (log[at] != want) return false;
    } else {
      const std::string head = want.substr(0, star), tail = want.substr(star + 1);
      const std::string& line = log[at];
      if (line.size() < head.size() + tail.size() || line.rfind(head, 0) != 0 ||
          line.compare(line.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    }
    ++at;
  }
  return at == log.size();
}

[[noreturn]] void CompileAndExitWithVerdict(CompileScene& scene, const Row& row) {
  DropRootRights();
  TestWindowScope scope;
  RecordingWindow& w = scope.window();
  w.AnswerDialog(scene.Design("x.abl"), 1);
  DispatchCommand(CmdCompile);
  const bool beside = std::filesystem::exists(scene.Design("x.jed"));
  const bool ok = LogMatches(w.LogLines, row.Log) && beside == row.FuseFileBeside;
  if (!ok) {
    for (const std::string& line : w.LogLines) std::fprintf(stderr, "%s\n", line.c_str());
    std::fprintf(stderr, "x.jed beside the design: %d\n", beside ? 1 : 0);
  }
  std::_Exit(ok ? 0 : 3);
}

TEST(HostileRunner, TheCompileCommandSaysWhatFailedAndEnds) {
  GTEST_FLAG_SET(death_test_style, "fast");
  const std::string cantDuplicate = "ERROR: Can't duplicate ABEL design file!";
  const Row rows[] = {
      // Without vDosPlus/ here the user's work folder is used, and a file
      // stands in the way of it.
      {"no vDosPlus folder, and no work folder to be made",
       [](CompileScene& s) {
         std::filesystem::remove_all(s.Vdos());
         WriteBytes(s.Root() + "/data", "");
         setenv("XDG_DATA_HOME", (s.Root() + "/data").c_str(), 1);
       },
       {"ERROR: Can't prepare the compiler's work folder: cannot create the work folder "
        "*/data/quelvox/vDosPlus/abel",
        "Path: *", ">>> done <<<"},
       false},
      {"read-only vDosPlus folder",
       [](CompileScene& s) {
         s.WriteStandInRunner(": > abel/abelcpl.out");
         MakeReadOnly(s.Abel(""));
         MakeReadOnly(s.Vdos());
       },
       {cantDuplicate, "Path: *", ">>> done <<<"},
       false},
      {"read-only abel folder holding an old run",
       [](CompileScene& s) {
         s.WriteStandInRunner(": > abel/abelcpl.out");
         for (const char* name : {"abelcpl.abl", "abelcpl.out", "abelcpl.jed"})
           WriteBytes(s.Abel(name), "old");
         MakeReadOnly(s.Abel(""));
         chmod(s.Abel("abelcpl.abl").c_str(), 0666);
       },
       {"ERROR: Can't delete old compiler output files!", "Path: *", ">>> done <<<"},
       false},
      {"runner crashes at once",
       [](CompileScene& s) { s.WriteStandInRunner("kill -SEGV $$"); },
       {"ERROR: Can't open compiler output file!", "Path: *", ">>> done <<<"},
       false},
      {"runner crashes half-way through the fuse file",
       [](CompileScene& s) {
         WriteBytes(s.Root() + "/cut.jed", CutFuseFile());
         s.WriteStandInRunner(
             "printf 'compiling\\r\\n' > abel/abelcpl.out; cp ../cut.jed abel/abelcpl.jed; kill -SEGV $$");
       },
       // The cut is told: the map loads, but the user learns it may be incomplete.
       {"Parsing file: x.jed", "Path: *", "WARNING!",
        "File ends inside a field: the fuse map may be incomplete", "No fuse checksum in file",
        "2194 fuses match GAL16V8", ">>> done <<<"},
       true},
      // Every copy says which file failed and why, the listing stays in view,
      // and the fuse file no compiler made stays as it was.
      {"read-only design folder",
       [](CompileScene& s) {
         s.WriteStandInRunner(
             "printf 'compiling\\r\\n' > abel/abelcpl.out; for f in jed doc sim; do echo $f > "
             "abel/abelcpl.$f; "
             "done");
         WriteBytes(s.Design("x.jed"), "made by hand*");
         chmod(s.DesignDir().c_str(), 0555);
       },
       {"compiling", "ERROR: Can't copy the listing to *my designs/x.out: Permission denied",
        "ERROR: Can't copy the report to *my designs/x.doc: Permission denied",
        "ERROR: Can't copy the simulation file to *my designs/x.sim: Permission denied",
        "ERROR: Can't rename *my designs/x.jed out of the way, as no ABEL compiler made it: Permission "
        "denied",
        ">>> done <<<"},
       true},
      {"runner writes garbage",
       [](CompileScene& s) {
         WriteBytes(s.Root() + "/garbage", Garbage());
         s.WriteStandInRunner("for f in out jed doc sim; do cp ../garbage abel/abelcpl.$f; done");
       },
       {"Parsing file: x.jed", "*", ">>> done <<<"},
       true},
  };
  EnvironmentScope dataHome("XDG_DATA_HOME", "");  // the case that needs it sets it
  for (const Row& row : rows) {
    CompileScene scene;
    chmod(scene.Root().c_str(), 0777);
    chmod(scene.DesignDir().c_str(), 0777);
    WriteBytes(scene.Design("x.abl"), DesignText);
    chmod(scene.Design("x.abl").c_str(), 0644);
    if (std::filesystem::exists(scene.Vdos())) {
      chmod(scene.Vdos().c_str(), 0777);
      chmod(scene.Abel("").c_str(), 0777);
    }
    row.Setup(scene);
    EXPECT_EXIT(CompileAndExitWithVerdict(scene, row), ::testing::ExitedWithCode(0), "") << row.What;
  }
}

}  // namespace
