#include "app/dispatch.h"

#include <chrono>
#include <cstdio>

#include "app/command_actions.h"
#include "app/commands.h"
#include "app/message_log.h"
#include "platform/window.h"
#include "programmer/device_commands.h"

std::string CurrentDesignPath;

const char* const SupportedDeviceList =
    "GAL16V8\r\nGAL18V10\r\nGAL20V8\r\nGAL20XV10\r\nGAL20RA10\r\nGAL22V10\r\nATF16V8\r\nATF20V8\r\n"
    "ATF22V10\r\nGAL26V12\r\nGAL26CV12\r\nGAL6001 (GAL39V18)\r\nGAL6002";

namespace {
bool commandRunning = false;
bool commandAborted = false;
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

void ReportCommandAborted() {
  commandAborted = true;
}

bool IsCommandRunning() {
  return commandRunning;
}

void DispatchCommand(int commandId) {
  commandRunning = true;
  commandAborted = false;
  switch (commandId) {
    case CmdOpenMenu:
    case CmdOpenButton:
      RunOpenCommand();
      break;
    case CmdSaveAsMenu:
    case CmdSaveButton:
      RunSaveCommand();
      break;
    case CmdCompile:
      RunCompileCommand();
      break;
    case CmdRead:
      CurrentDesignPath.clear();
      if (RunDeviceRead() == 0) ReportCommandAborted();
      break;
    case CmdVerify:
      if (RunDeviceVerify() == 0) ReportCommandAborted();
      break;
    case CmdErase:
      if (RunDeviceErase() == 0) ReportCommandAborted();
      break;
    case CmdInfo:
      RunInfoCommand();
      break;
    case CmdAbout:
      TheWindow().ShowMessageBox("Quelvox", "Version 1.1 (demo)\r\nBuilt: " + FormatBuildDate(BuildMoment),
                                 BoxButtons::Ok, BoxIcon::Information, false);
      break;
    case CmdSupportedDevices:
      TheWindow().ShowMessageBox("Devices", SupportedDeviceList, BoxButtons::Ok, BoxIcon::Information, false);
      break;
    default:  // Program, the Device and Tools items and unknown numbers have no action
      break;
  }
  MessageLog(commandAborted ? "-- aborted --" : ">>> done <<<", LevelPlain);
  commandAborted = false;
  commandRunning = false;
}

void ResetDispatchState() {
  CurrentDesignPath.clear();
  commandAborted = false;
  commandRunning = false;
}
