// The programmer tests' fixture: a fresh recording window and the simulated
// box, connected, with a look-up in the log.
#pragma once

#include <algorithm>
#include <string>

#include "tests/support/box_link.h"
#include "tests/support/recording_window.h"

struct ConnectedDevice {
  TestWindowScope scope;
  BoxLink link;
  ConnectedDevice() { link.Connect(); }
  RecordingWindow& Window() { return scope.window(); }
  bool Logged(const std::string& line) {
    auto& log = Window().LogLines;
    return std::find(log.begin(), log.end(), line) != log.end();
  }
};
