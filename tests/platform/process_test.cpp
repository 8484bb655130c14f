// The system's process start: the working directory is the child's alone,
// the parent waits for the end and gets its exit status, and a program that
// cannot run is reported.
#include "platform/process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/fuses/fuse_test_files.h"

namespace {

void WriteScript(const std::string& path, const std::string& body, mode_t mode = 0755) {
  WriteBytes(path, "#!/bin/sh\n" + body + "\n");
  chmod(path.c_str(), mode);
}

// Runs the start with this process's standard output and error going to a
// file, and returns what arrived there.
std::string StartCapturingOurOutput(const std::string& program, const std::string& directory, int& result) {
  ScratchDir capture;
  std::fflush(stdout);
  std::fflush(stderr);
  const int savedOut = dup(1), savedErr = dup(2);
  const int file = open((capture / "seen").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(file, 1);
  dup2(file, 2);
  result = SystemProcessStarter().StartAndWait(program, directory);
  dup2(savedOut, 1);
  dup2(savedErr, 2);
  close(file), close(savedOut), close(savedErr);
  return ReadBytes(capture / "seen");
}

TEST(ProcessStart, RunsHiddenInItsWorkingDirectoryAndWaits) {
  ScratchDir dir;
  const std::string work = dir / "work folder";
  std::filesystem::create_directory(work);
  WriteScript(dir / "runner", "echo noise; echo more >&2; sleep 0.3; pwd > started_in; exit 3");
  const auto before = std::filesystem::current_path();

  int result = -1;
  const std::string seen = StartCapturingOurOutput(dir / "runner", work + "/", result);

  EXPECT_EQ(result, 3) << "its exit status";
  EXPECT_EQ(ReadBytes(work + "/started_in"), work + "\n") << "written before the runner ended";
  EXPECT_EQ(seen, "");
  EXPECT_EQ(std::filesystem::current_path(), before);
}

TEST(ProcessStart, ProgramsThatCannotStart) {
  ScratchDir dir;
  WriteScript(dir / "runner", "touch \"" + (dir / "ran") + "\"");
  WriteScript(dir / "not_executable", "touch \"" + (dir / "ran") + "\"", 0644);
  WriteBytes(dir / "garbage",
             "\x7f"
             "ELF but not really");
  chmod((dir / "garbage").c_str(), 0755);
  struct Case {
    const char* What;
    std::string Program, Directory;
  } cases[] = {
      {"missing program", dir / "vDosPlus.exe", dir.path()},
      {"not executable", dir / "not_executable", dir.path()},
      {"not a program", dir / "garbage", dir.path()},
      {"missing working directory", dir / "runner", dir / "nowhere"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SystemProcessStarter().StartAndWait(c.Program, c.Directory), ProcessNotStarted) << c.What;
    EXPECT_FALSE(std::filesystem::exists(dir / "ran")) << c.What;
  }
}

// The exit status comes back as the program left it; a signal that ends it
// reads as a shell reports it, never as success.
TEST(ProcessStart, ExitStatuses) {
  ScratchDir dir;
  const struct {
    const char* Body;
    int Status;
  } cases[] = {{"exit 0", 0}, {"exit 1", 1}, {"exit 255", 255}, {"kill -KILL $$", 128 + 9}};
  for (const auto& c : cases) {
    WriteScript(dir / "runner", c.Body);
    EXPECT_EQ(SystemProcessStarter().StartAndWait(dir / "runner", dir.path()), c.Status) << c.Body;
  }
}

}  // namespace
