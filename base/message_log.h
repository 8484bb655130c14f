// The log pane's append operation, used by every part of the program.
#pragma once

#include <cstdint>
#include <string>

constexpr int LevelPlain = 13;
constexpr int LevelWarning = 14;  // a "WARNING!" line goes first
constexpr int LevelError = 15;    // an "ERROR!" line goes first

// The least wall time (on the installed clock) between two rounds of event
// handling that MessageLog starts. A repaint costs far more than a line, so a
// burst of lines is painted in rounds instead of line by line.
constexpr std::int64_t LogPumpIntervalMs = 16;

// Appends text (after the level's extra line) and scrolls the log to its end.
// Then it lets the window handle what is waiting (painting, resizing) unless
// it did so less than LogPumpIntervalMs ago; the lines appended meanwhile are
// shown by the next round. Menu, toolbar and close events taken in a round
// are dropped: commands never nest and are never queued.
void MessageLog(const std::string& text, int level);

// Runs the round that MessageLog left for later, if any: the dispatcher calls
// it after a command's closing line, and so does code that is about to block
// without handling events, so that the user sees every line meanwhile.
void FlushMessageLog();

// Takes every pending window event and drops its code (a round, always).
void PumpEvents();

// Forgets when the last round ran: the next line starts one at once.
void ResetMessageLogState();
