// The window's command line: a file, --port, --help, --version, and what is refused.
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
    std::string Port = "";
  } cases[] = {
      {{}, Action::Start, "", ""},
      {{"design.jed"}, Action::Start, "design.jed", ""},
      {{"--", "-odd.jed"}, Action::Start, "-odd.jed", ""},
      {{"-"}, Action::Start, "-", ""},
      {{"--help"}, Action::Help, "", ""},
      {{"-h", "x.jed"}, Action::Help, "x.jed", ""},
      {{"--version"}, Action::Version, "", ""},
      {{"--version", "--help"}, Action::Version, "", ""},
      {{"--port", "COM1"}, Action::Start, "", "", "COM1"},
      {{"d.jed", "--port", "sim:c.jed,GAL22V10,keep"}, Action::Start, "d.jed", "", "sim:c.jed,GAL22V10,keep"},
      {{"--", "--port", "x"}, Action::Wrong, "", "only one file can be opened"},
      {{"--port"}, Action::Wrong, "", "--port needs a port"},
      {{"--port", "", "d.jed"}, Action::Wrong, "", "--port needs a port"},
      {{"--port", "COM1", "--port", "COM2"}, Action::Wrong, "", "--port given twice"},
      {{"--ports", "COM1"}, Action::Wrong, "", "unknown option \"--ports\""},
      {{"a.jed", "b.jed"}, Action::Wrong, "", "only one file can be opened"},
      {{""}, Action::Wrong, "", "an empty file name"},
  };
  for (const auto& c : cases) {
    const WindowCommandLine line = ParseWindowCommandLine(c.Args);
    const std::string name = testing::PrintToString(c.Args);
    EXPECT_EQ(line.What, c.What) << name;
    EXPECT_EQ(line.File, c.File) << name;
    EXPECT_EQ(line.Error, c.Error) << name;
    EXPECT_EQ(line.Port, c.Port) << name;
  }
}

TEST(WindowCommandLine, VersionAndHelpTexts) {
  std::ostringstream version, help;
  PrintVersion("quelvox", version);
  EXPECT_EQ(version.str(), "quelvox " QUELVOX_VERSION "\n");
  PrintWindowHelp(help);
  EXPECT_EQ(help.str().rfind("usage: quelvox [--port PORT] [FILE]\n", 0), 0u);
}

}  // namespace
