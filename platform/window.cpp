// The window in use and the event kinds the core sees.
#include "platform/window.h"

#include <cstdio>
#include <cstdlib>

namespace {
Window* installedWindow = nullptr;
}

Window& TheWindow() {
  if (installedWindow == nullptr) {
    std::fputs("quelvox: no window installed\n", stderr);
    std::abort();
  }
  return *installedWindow;
}

void InstallWindow(Window* window) {
  installedWindow = window;
}
