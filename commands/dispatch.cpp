// The command dispatcher: maps a CommandId to its action, keeps the "command
// running" mark that makes the window drop events, and writes the closing line.
#include "commands/dispatch.h"

#include <chrono>
#include <cstdio>

#include "base/design_path.h"
#include "base/message_log.h"
#include "commands/command_actions.h"
#include "commands/command_ids.h"
#include "commands/device_commands.h"
#include "commands/logic_commands.h"
#include "commands/pin_panel.h"
#include "commands/programmer_port.h"
#include "platform/window.h"

const char* const SupportedDeviceList =
    "GAL16V8\r\nGAL18V10\r\nGAL20V8\r\nGAL20XV10\r\nGAL20RA10\r\nGAL22V10\r\nATF16V8\r\nATF20V8\r\n"
    "ATF22V10\r\nGAL26V12\r\nGAL26CV12\r\nGAL6001 (GAL39V18)\r\nGAL6002";

namespace {

bool commandRunning = false;

CommandResult ShowBox(const char* title, const std::string& text) {
  TheWindow().ShowMessageBox(title, text, BoxButtons::Ok, BoxIcon::Information, false);
  return CommandDone();
}

CommandResult RunAction(int commandId) {
  switch (commandId) {
    case CmdOpenMenu:
    case CmdOpenButton:
      return RunOpenCommand();
    case CmdSaveAsMenu:
    case CmdSaveButton:
      return RunSaveCommand();
    case CmdCompile:
      return RunCompileCommand();
    case CmdRead:
      return RunReadCommand();
    case CmdVerify:
      return RunDeviceVerify();
    case CmdErase:
      return RunDeviceErase(0);
    case CmdProgram:
      return RunDeviceProgram(1, 0);
    case CmdSetUserSignature:
      return RunSetUserSignature();
    case CmdCopyPes:
      return RunCopyPes();
    case CmdEnableSecurity:
      return RunToggleSecurity();
    case CmdDisableAtmelPd:
      return RunNotAvailable("Disable ATMEL PD feature");
    case CmdAtmelConditioning:
      return RunNotAvailable("ATMEL Conditioning");
    case CmdSupplyTest:
      return RunNotAvailable("Supply test");
    case CmdInfo:
      return RunInfoCommand();
    case CmdEquations:
      return RunEquationsCommand();
    case CmdExportAbel:
      return RunExportAbelCommand();
    case CmdSimulate:
      return RunSimulatePanelCommand();
    case CmdChoosePort:
      return RunChoosePortCommand();
    case CmdAbout:
      return ShowBox("Quelvox", "Version 1.1 (demo)\r\nBuilt: " + FormatBuildDate(BuildMoment));
    case CmdSupportedDevices:
      return ShowBox("Devices", SupportedDeviceList);
    default:  // numbers without an item have no action
      return CommandDone();
  }
}

}  // namespace

std::string FormatBuildDate(long long secondsSince1970) {
  using namespace std::chrono;
  const sys_days day = floor<days>(sys_seconds{seconds{secondsSince1970}});
  const year_month_day date{day};
  char text[16];
  std::snprintf(text, sizeof text, "%02u.%02u.%04d", unsigned(date.day()), unsigned(date.month()),
                int(date.year()));
  return text;
}

bool IsCommandRunning() {
  return commandRunning;
}

CommandResult RunUnclosed(const std::function<CommandResult()>& action) {
  commandRunning = true;
  const CommandResult result = action();
  commandRunning = false;
  return result;
}

CommandResult RunCommandAction(int commandId) {
  return RunUnclosed([commandId] { return RunAction(commandId); });
}

void CloseCommand(const CommandResult& result) {
  // Still running: the closing line's event handling drops clicks too.
  commandRunning = true;
  FollowLoadedMap();
  MessageLog(result.Status == CommandStatus::Aborted ? "-- aborted --" : ">>> done <<<", LevelPlain);
  FlushMessageLog();  // the closing line is always painted and the clicks queued before it dropped
  commandRunning = false;
}

CommandResult RunAsCommand(const std::function<CommandResult()>& action) {
  const CommandResult result = RunUnclosed(action);
  CloseCommand(result);
  return result;
}

CommandResult DispatchCommand(int commandId) {
  return RunAsCommand([commandId] { return RunAction(commandId); });
}

void ResetDispatchState() {
  CurrentDesignPath.clear();
  commandRunning = false;
  ResetDeviceCommandState();
  ResetPinPanelState();
}
