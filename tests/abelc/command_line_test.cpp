// The command line as users and the compile step meet it: the printed
// equations, the diagnostic layout and the exit statuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "abelc/compile.h"

namespace {

using abelc::RunCommandLine;

struct CliRun {
  int status;
  std::string out, err;
};

CliRun Compile(const std::string& source) {
  const std::string path = (std::filesystem::temp_directory_path() / "abelc_cli_test.abl").string();
  std::ofstream(path, std::ios::binary) << source;
  std::ostringstream out, err;
  int status = RunCommandLine({"--equations", path}, out, err);
  std::filesystem::remove(path);
  // Make the messages independent of the temporary folder.
  std::string e = err.str();
  for (std::size_t at; (at = e.find(path)) != std::string::npos;) e.replace(at, path.size(), "design.abl");
  return {status, out.str(), e};
}

TEST(CommandLine, PrintsTheReducedEquationsAndSucceeds) {
  CliRun r = Compile(
      "module m\n d device 'P16V8';\n a, b pin 2, 3;\n y pin 19;\nequations\n y = a & b # a & !b;\nend m\n");
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("    ==== P16V8 Programmed Logic ====\n\n\ny     = (  a );\n", r.out);
}

TEST(CommandLine, ErrorsShowTheSourceLineWithACaretAndExitWithOne) {
  CliRun r = Compile("module m\n a pin 2;\n y pin 19;\nequations\n\ty = a & zz;\nend m\n");
  EXPECT_EQ(1, r.status);
  EXPECT_EQ("design.abl:5:10: error: 'zz' is not declared\n\ty = a & zz;\n\t        ^\n1 error, 0 warnings\n",
            r.err);
  EXPECT_EQ("", r.out);
}

TEST(CommandLine, WarningsAloneDoNotFailTheCompilation) {
  CliRun r = Compile("module abelcpl\n a pin 2;\n y pin 19;\nequations\n y = !a;\nend counter\n");
  EXPECT_EQ(0, r.status);
  EXPECT_NE(std::string::npos,
            r.err.find("design.abl:6:5: warning: END label 'counter' does not match module 'abelcpl'"));
  EXPECT_NE(std::string::npos, r.out.find("y     = (  !a );"));
}

TEST(CommandLine, UsageHelpVersionAndUnreadableFiles) {
  const std::string usage =
      "usage: abelc [--output-folder DIR] DESIGN.abl\n       abelc --equations DESIGN.abl\n"
      "       abelc --help | --version\n";
  const struct {
    std::vector<std::string> Args;
    int Status;
    std::string OutStart, Err;
  } cases[] = {
      {{"--equations"}, 2, "", usage},
      {{}, 2, "", "abelc: no design given\n" + usage},
      {{"--help"}, 0, usage + "\nCompiles the ABEL design", ""},
      {{"-h"}, 0, usage + "\nCompiles the ABEL design", ""},
      {{"--version"}, 0, "abelc " QUELVOX_VERSION "\n", ""},
      {{"--help", "x.abl"}, 2, "", usage},
      {{"x.abl", "y.abl"}, 2, "", usage},
      {{"-o", "x.abl"}, 2, "", "abelc: no design given\n" + usage},
      {{"x.abl", "--output-folder"}, 2, "", usage},
      {{"-o", "a", "-o", "b", "x.abl"}, 2, "", usage},
      {{"--bogus", "x.abl"}, 2, "", usage},
  };
  for (const auto& c : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(c.Status, RunCommandLine(c.Args, out, err)) << c.Args.size();
    EXPECT_EQ(out.str().substr(0, c.OutStart.size()), c.OutStart);
    EXPECT_EQ(err.str(), c.Err);
  }
  std::ostringstream out2, err2;
  EXPECT_EQ(1, RunCommandLine({"--equations", "/nonexistent/x.abl"}, out2, err2));
  EXPECT_EQ("/nonexistent/x.abl: error: cannot read the file\n", err2.str());
}

}  // namespace
