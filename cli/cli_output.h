// What quelvox-cli prints: the log pane, the fuse-map pane and the two
// status texts, each block under its own header line.
#pragma once

#include <ostream>
#include <string>

#include "cli/cli_window.h"

// The text as one output line: control characters (below 32, and 127) but
// the tab as \xNN with upper-case hex digits, all else unchanged, so that
// drawings with tabs and backslashes read as drawn.
std::string EscapedLine(const std::string& text);

// brief leaves out the fuse-map block.
void PrintWindow(const CliWindow& window, std::ostream& out, bool brief = false);
