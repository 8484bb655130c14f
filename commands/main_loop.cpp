// The greeting, the event loop with its reset branch, and the reset of every shared object.
#include "commands/main_loop.h"

#include "base/fuse_map.h"
#include "base/message_log.h"
#include "base/requesters.h"
#include "commands/command_ids.h"
#include "commands/design_state.h"
#include "commands/dispatch.h"
#include "commands/programmer_port.h"
#include "devices/gal_device.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "programmer/detect.h"
#include "programmer/programmer_state.h"

int ResetCounter = 0;

void ResetProgramState() {
  ResetMessageLogState();
  ResetDispatchState();
  ResetDesignState();
  ResetRequesterState();
  ResetFuseState();
  ResetDeviceState();
  ResetProgrammerState();
  ResetProgrammerPort();
  ResetCounter = 0;
}

void GreetUser() {
  MessageLog("Welcome Quelvox user", LevelPlain);
}

int RunMainLoop() {
  for (;;) {
    ResetCounter = 0;
    WindowEvent event = TheWindow().WaitEvent(-1);
    // File > Quit ends the program as closing the window does, once nothing
    // unsaved would be lost or the user agreed to lose it.
    if (event.Kind == EventKind::Close || (event.Kind == EventKind::Menu && event.Code == CmdQuit)) {
      if (MayDiscardUnsavedChanges()) break;
      continue;
    }
    if (event.Kind == EventKind::Menu) DispatchCommand(event.Code);
    // Gadget and other events carry nothing the loop acts on.
    if (ResetCounter >= 2) {
      MessageLog("Resetting...", LevelPlain);
      FlushMessageLog();  // shown before the pause
      TheClock().SleepMs(600);
      // No box found: the user was told, and the program ends as after a close.
      if (RedetectProgrammer() == 0) break;
    }
  }
  return 0;
}
