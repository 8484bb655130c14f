// Saving never destroys the file it replaces: a folder that refuses new
// files and a write that fails in the file layer both leave the old bytes,
// no temporary file, and the error in the log.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/fuse_map.h"
#include "devices/gal_device.h"
#include "fuses/fuse_map_view.h"
#include "fuses/jedec_writer.h"
#include "tests/fuses/fuse_test_files.h"
#include "tests/support/recording_window.h"

namespace {

const std::string OldBytes = "old design, must survive\r\n";
const std::vector<std::string> CantAccess{"ERROR!", "Can't access file"};

// A GAL22V10 with every fuse 1 is shown, then saved over path with Yes to
// the replace question. Exits 0 when the log is exactly the error lines.
[[noreturn]] void SaveAndExitWithVerdict(const std::string& path) {
  TestWindowScope scope;
  FuseMap.fill(1);
  SelectDevice(72);
  FuseMapLength = GalDevice.FuseCount;
  ShowFuseMap(FuseMapLength);
  scope.window().AnswerDialog(path);
  scope.window().AnswerBox(BoxAnswer::Yes);
  WriteJedecFile();
  std::_Exit(scope.window().LogLines == CantAccess ? 0 : 3);
}

// The kernel then refuses every byte past the limit (EFBIG), as a full disk
// would; SIGXFSZ is ignored so the write fails instead of ending the process.
void LimitFileSize(rlim_t bytes) {
  signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  limit.rlim_cur = limit.rlim_max = bytes;
  if (setrlimit(RLIMIT_FSIZE, &limit) != 0) std::_Exit(4);
}

class SafeSave : public ::testing::Test {
 protected:
  void SetUp() override {
    // The child must be a fork of this very test, sharing its folder.
    GTEST_FLAG_SET(death_test_style, "fast");
    chmod(dir_.path().c_str(), 0755);
    target_ = dir_ / "design.jed";
    WriteBytes(target_, OldBytes);
    chmod(target_.c_str(), 0666);
  }
  void ExpectOldFileAlone() {
    EXPECT_EQ(ReadBytes(target_), OldBytes);
    EXPECT_EQ(dir_.Entries(), std::vector<std::string>{"design.jed"});
  }
  ScratchDir dir_;
  std::string target_;
};

TEST_F(SafeSave, FolderThatRefusesNewFiles) {
  ASSERT_EQ(chmod(dir_.path().c_str(), 0555), 0);
  EXPECT_EXIT(
      {
        DropRootRights();
        SaveAndExitWithVerdict(target_);
      },
      ::testing::ExitedWithCode(0), "");
  ExpectOldFileAlone();
}

TEST_F(SafeSave, FullDiskUnderTheFileLayer) {
  EXPECT_EXIT(
      {
        LimitFileSize(100);
        SaveAndExitWithVerdict(target_);
      },
      ::testing::ExitedWithCode(0), "");
  ExpectOldFileAlone();
}

TEST_F(SafeSave, MissingFolderAndFolderAsTarget) {
  std::filesystem::create_directory(dir_ / "sub.jed");
  for (const std::string& path : {dir_ / "none/x.jed", dir_ / "sub.jed"}) {
    EXPECT_EXIT(SaveAndExitWithVerdict(path), ::testing::ExitedWithCode(0), "") << path;
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir_ / "sub.jed"));
  EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"design.jed", "sub.jed"}));
}

TEST_F(SafeSave, ReplacesAndKeepsThePermissions) {
  ASSERT_EQ(chmod(target_.c_str(), 0640), 0);
  TestWindowScope scope;
  SelectDevice(0);
  FuseMapLength = 2194;
  ShowFuseMap(2194);
  scope.window().AnswerDialog(target_);
  scope.window().AnswerBox(BoxAnswer::Yes);
  WriteJedecFile();
  EXPECT_TRUE(scope.window().LogLines.empty());
  EXPECT_EQ(ReadBytes(target_).substr(0, 3), "\x02\r\n");
  struct stat info {};
  ASSERT_EQ(stat(target_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(dir_.Entries(), std::vector<std::string>{"design.jed"});
}

}  // namespace
