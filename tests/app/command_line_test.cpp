// The window's command line: a file, --help, --version, and what is refused.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using Action = WindowCommandLine::Action;

TEST(WindowCommandLine, FileHelpVersionAndMistakes) {
  const struct {
    std::vector<std::string> Args;
    Action What;
    std::string File;
    std::string Error;
  } cases[] = {
      {{}, Action::Start, "", ""},
      {{"design.jed"}, Action::Start, "design.jed", ""},
      {{"--", "-odd.jed"}, Action::Start, "-odd.jed", ""},
      {{"-"}, Action::Start, "-", ""},
      {{"--help"}, Action::Help, "", ""},
      {{"-h", "x.jed"}, Action::Help, "x.jed", ""},
      {{"--version"}, Action::Version, "", ""},
      {{"--version", "--help"}, Action::Version, "", ""},
      {{"--port", "COM1"}, Action::Wrong, "", "unknown option \"--port\""},
      {{"a.jed", "b.jed"}, Action::Wrong, "", "only one file can be opened"},
      {{""}, Action::Wrong, "", "an empty file name"},
  };
  for (const auto& c : cases) {
    const WindowCommandLine line = ParseWindowCommandLine(c.Args);
    const std::string name = c.Args.empty() ? "(none)" : c.Args[0];
    EXPECT_EQ(line.What, c.What) << name;
    EXPECT_EQ(line.File, c.File) << name;
    EXPECT_EQ(line.Error, c.Error) << name;
  }
}

TEST(WindowCommandLine, VersionAndHelpTexts) {
  std::ostringstream version, help;
  PrintVersion("quelvox", version);
  EXPECT_EQ(version.str(), "quelvox " QUELVOX_VERSION "\n");
  PrintWindowHelp(help);
  EXPECT_EQ(help.str().rfind("usage: quelvox [FILE]\n", 0), 0u);
}

}  // namespace
