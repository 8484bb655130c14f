// Finding the programmer box: every port name COM0..COM32 is opened in turn
// and woken with break pulses, and the first one whose answer holds the box's
// identification text stays open as the link.
#pragma once

#include <string>

constexpr const char* BoxIdentification = "Quelvox_V1.0";

// 1 when the box answered (the port stays open), 0 when none did (closed).
int DetectProgrammer();

// The same for one named port only (a COM name or a device path).
int DetectProgrammerOn(const std::string& portName);

// After "Hardware not present!": one log line per port the last detection
// tried and why it found no box there (a run of ports that do not exist is
// one line), with the usual fix for a port the user may not open.
void LogDetectionAttempts();

// Clears both panes and scans again. Returns 1 when the box answered; 0 after
// telling the user "Hardware not present!", when the program must end.
int RedetectProgrammer();
