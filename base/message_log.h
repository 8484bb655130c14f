// The log pane's append operation, used by every part of the program.
#pragma once

#include <string>

constexpr int LevelPlain = 13;
constexpr int LevelWarning = 14;  // a "WARNING!" line goes first
constexpr int LevelError = 15;    // an "ERROR!" line goes first

// Appends text (after the level's extra line), scrolls the log to its end and
// lets the window handle what is waiting. Menu, toolbar and close events taken
// here are dropped: commands never nest and are never queued.
void MessageLog(const std::string& text, int level);

// Takes every pending window event and drops its code.
void PumpEvents();
