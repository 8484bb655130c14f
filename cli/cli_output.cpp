// Printing the panes and status fields as quelvox-cli's blocks.
#include "cli/cli_output.h"

#include <cstdio>

std::string EscapedLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    const auto code = static_cast<unsigned char>(c);
    if (c == '\t') {
      line += c;
    } else if (code < 32 || code == 127) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", code);
      line += escape;
    } else {
      line += c;
    }
  }
  return line;
}

void PrintWindow(const CliWindow& window, std::ostream& out, bool brief) {
  out << "--- log ---\n";
  for (const std::string& line : window.LogLines) out << EscapedLine(line) << '\n';
  if (!brief) {
    out << "--- fuse map ---\n";
    for (const std::string& line : window.FuseMapLines) out << EscapedLine(line) << '\n';
  }
  out << "--- status ---\n";
  out << EscapedLine(window.StatusFields[0]) << '\n' << EscapedLine(window.StatusFields[1]) << '\n';
}
