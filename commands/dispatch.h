// Runs the action of one menu item or toolbar button to its end and closes
// it with its log line.
#pragma once

#include <functional>
#include <string>

#include "commands/command_result.h"

// Seconds since 1970-01-01 00:00:00 UTC of the build shown in the About box.
constexpr long long BuildMoment = 1637403005;

extern const char* const SupportedDeviceList;

// Runs the command to its end and closes it with ">>> done <<<", or with
// "-- aborted --" when a failed exchange with the box stopped it.
CommandResult DispatchCommand(int commandId);

// Runs any action as a command: events are dropped while it runs, and it
// closes with the same line as DispatchCommand.
CommandResult RunAsCommand(const std::function<CommandResult()>& action);

// The two halves of DispatchCommand, for a front end that chains several
// actions into one command of its own (open, then save) and closes it once:
// the action alone, and the closing line of a result.
CommandResult RunCommandAction(int commandId);
CommandResult RunUnclosed(const std::function<CommandResult()>& action);
void CloseCommand(const CommandResult& result);

// True while a command runs; the window drops its events meanwhile.
bool IsCommandRunning();

// "DD.MM.YYYY" of a moment in seconds since 1970, taken in UTC so that the
// date reads the same in every time zone.
std::string FormatBuildDate(long long secondsSince1970);

void ResetDispatchState();
