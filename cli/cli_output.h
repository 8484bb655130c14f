// What quelvox-cli prints: the log pane, the fuse-map pane and the two
// status texts, each block under its own header line.
#pragma once

#include <ostream>
#include <string>

#include "cli/cli_window.h"

// The text as one output line: control characters (below 32, and 127) as
// \xNN with upper-case hex digits, a backslash as \\, all else unchanged.
std::string EscapedLine(const std::string& text);

void PrintWindow(const CliWindow& window, std::ostream& out);
