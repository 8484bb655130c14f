// Open when the file goes wrong outside the program: it cannot be read, it
// is a folder or a pipe, or it vanishes between the dialog and the read.
// Each time the log says so, the earlier design is gone, and the next Open
// works again. Every case runs in a forked child without root's rights, as
// a user would, so the permission bits count.
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
#include "tests/fuses/fuse_test_files.h"
#include "tests/support/recording_window.h"

namespace {

const std::string GoodDesign = "x*QF2194*L0000 1*";

struct FailingFile {
  const char* Name;                                      // the file name the dialog returns
  std::function<void(const std::string& path)> Prepare;  // makes it go wrong, before the dialog
  bool VanishAfterDialog = false;                        // removed once the dialog has closed
};

bool FusesAllZero() {
  for (unsigned char fuse : FuseMap) {
    if (fuse != 0) return false;
  }
  return true;
}

// Opens the good design, then the failing file, then the good design again.
// Exits 0 when the failing Open said "Can't access file" and left nothing of
// the earlier design; otherwise prints the log and exits 3.
[[noreturn]] void OpenAndExitWithVerdict(const ScratchDir& dir, const FailingFile& c) {
  DropRootRights();
  TestWindowScope scope;
  RecordingWindow& w = scope.window();
  w.AnswerDialog(dir / "good.jed");
  DispatchCommand(CmdOpenMenu);
  const std::string path = dir / c.Name;
  if (c.VanishAfterDialog) {
    w.OnAppend = [path](Pane, const std::string& line) {
      if (line.rfind("Parsing file: ", 0) == 0) std::remove(path.c_str());
    };
  }
  w.LogLines.clear();
  w.AnswerDialog(path);
  DispatchCommand(CmdOpenMenu);
  w.OnAppend = nullptr;
  const std::vector<std::string> expected{"Parsing file: " + std::string(c.Name), "Path: " + dir.path() + "/",
                                          "ERROR!", "Can't access file", ">>> done <<<"};
  bool ok = w.LogLines == expected && w.FuseMapLines.empty() && w.StatusFields[0].empty() &&
            w.StatusFields[1].empty() && FuseMapLength == 0 && FusesAllZero();
  w.AnswerDialog(dir / "good.jed");
  DispatchCommand(CmdOpenMenu);
  ok = ok && FuseMapLength == 2194 && FuseMap[0] == 1 && !w.FuseMapLines.empty();
  if (!ok) {
    for (const std::string& line : w.LogLines) std::fprintf(stderr, "%s\n", line.c_str());
  }
  std::_Exit(ok ? 0 : 3);
}

TEST(FailingFiles, OpenSaysItCannotAccessTheFileAndGoesOn) {
  GTEST_FLAG_SET(death_test_style, "fast");
  const FailingFile cases[] = {
      {"locked.jed",
       [](const std::string& path) {
         WriteBytes(path, GoodDesign);
         chmod(path.c_str(), 0200);
       }},
      {"folder.jed", [](const std::string& path) { std::filesystem::create_directory(path); }},
      {"pipe.jed", [](const std::string& path) { mkfifo(path.c_str(), 0666); }},
      {"vanishing.jed", [](const std::string& path) { WriteBytes(path, GoodDesign); }, true},
  };
  for (const FailingFile& c : cases) {
    ScratchDir dir;
    chmod(dir.path().c_str(), 0777);
    WriteBytes(dir / "good.jed", GoodDesign);
    chmod((dir / "good.jed").c_str(), 0644);
    c.Prepare(dir / c.Name);
    EXPECT_EXIT(OpenAndExitWithVerdict(dir, c), ::testing::ExitedWithCode(0), "") << c.Name;
  }
}

}  // namespace
