// The CommandId numbers carried by menu items and toolbar buttons.
#pragma once

enum CommandId : int {
  CmdOpenMenu = 16,
  CmdSaveAsMenu = 17,
  CmdSetUserSignature = 19,
  CmdCopyPes = 20,
  CmdDisableAtmelPd = 21,
  CmdEnableSecurity = 22,
  CmdAtmelConditioning = 23,
  CmdSupplyTest = 24,
  CmdAbout = 25,
  CmdSupportedDevices = 26,
  CmdOpenButton = 27,
  CmdSaveButton = 28,
  CmdCompile = 29,
  CmdRead = 30,
  CmdProgram = 31,
  CmdVerify = 32,
  CmdErase = 33,
  CmdInfo = 34,
  CmdQuit = 35,
  CmdEquations = 36,
  CmdExportAbel = 37,
  CmdChoosePort = 38,
  CmdSimulate = 39,
};
