// Reading, verifying and erasing the chip in the programmer's socket.
#pragma once

// Reads every fuse of the chip into the ReadBackBuffer, then either shows it
// as the current design (verify = 0) or compares it with the FuseMap.
// readPesFirst = 1 identifies the chip first; 0 uses the selected device on a
// socket that an earlier identification left powered. Always returns 0;
// LinkOperationStopped() tells whether a failed exchange stopped it.
int ReadOrVerifyDevice(int verify, int readPesFirst);

// What the last ReadOrVerifyDevice or EraseDevice came to, for the command
// that ran it.
enum class DeviceOutcome {
  None,          // no operation yet
  NoChip,        // no chip was identified
  Stopped,       // a failed exchange stopped it
  Read,          // the chip's fuses are shown as the current design
  Verified,      // the chip holds the FuseMap
  VerifyFailed,  // the chip differs from the FuseMap
  Erased,
  Unsupported,  // the chip cannot do what was asked (erase-all on an ATF type)
  Refused,      // nothing was written: no map, a map of another device, or a chip it cannot program
  Declined,     // the user said no before anything was written
  Programmed,   // the chip holds the FuseMap, verified (and secured when asked)
};
DeviceOutcome LastDeviceOutcome();
void ResetDeviceOutcome();
// For the operations built on these, such as ProgramDevice.
void SetDeviceOutcome(DeviceOutcome value);

// Erases the chip (eraseAll = 0) or erases it completely, and logs that it
// did. 1 when the operation ran, 0 when no chip was identified or the link
// failed. Erase-all on an ATF type erases nothing (outcome Unsupported).
int EraseDevice(int eraseAll);
