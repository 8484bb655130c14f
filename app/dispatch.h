// Runs the action of one menu item or toolbar button.
#pragma once

#include <string>

// The file the current design came from; read by the chip-diagram display.
extern std::string CurrentDesignPath;

// Seconds since 1970-01-01 00:00:00 UTC of the build shown in the About box.
constexpr long long BuildMoment = 1637403005;

extern const char* const SupportedDeviceList;

// Runs the command to its end and closes it with ">>> done <<<", or with
// "-- aborted --" when the command called ReportCommandAborted().
void DispatchCommand(int commandId);

// Lets the running command end with "-- aborted --" instead of ">>> done <<<".
void ReportCommandAborted();

// True while DispatchCommand runs; the window drops its events meanwhile.
bool IsCommandRunning();

// "DD.MM.YYYY" of a moment in seconds since 1970, taken in UTC so that the
// date reads the same in every time zone.
std::string FormatBuildDate(long long secondsSince1970);

void ResetDispatchState();
