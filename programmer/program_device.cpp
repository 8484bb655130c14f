// The Program operation: the checks before writing, the write-row requests in
// their order, the verify that follows, and the security cell.
#include "programmer/program_device.h"

#include <algorithm>
#include <string>

#include "base/fuse_map.h"
#include "base/message_log.h"
#include "devices/gal_device.h"
#include "platform/window.h"
#include "programmer/device_ops.h"
#include "programmer/link_buffers.h"
#include "programmer/link_operation.h"
#include "programmer/map_check.h"
#include "programmer/pes.h"
#include "programmer/requests.h"

namespace {

constexpr int RowDataStart = 10;  // data bits travel from byte 10 of a write request on

bool IsGal6001Family(int code) {
  return code == 64 || code == 65 || code == 68;
}

std::uint8_t FuseAt(long fuse) {
  return fuse >= 0 && fuse < FuseMapSize ? FuseMap[static_cast<std::size_t>(fuse)] & 1 : 1;
}

void PutDataBit(int k, std::uint8_t bit) {
  if (RowDataStart + k < CommandBufferSize) CommandBuffer[static_cast<std::size_t>(RowDataStart + k)] = bit;
}

// True when this chip may not get the map; the reason is logged.
bool ChipRefused() {
  if (!LastPesValid()) {
    // The programming voltage and pulse would come from a guessed type.
    MessageLog("The chip's PES is not valid: the chip is not programmed", LevelError);
    return true;
  }
  if (CheckMapFitsChip() == 0) return true;
  if (IsGal6001Family(GalDevice.DeviceCode)) {
    MessageLog("Programming the " + GalDevice.Name + " is not available", LevelError);
    return true;
  }
  return false;
}

// Bit k of array row r is fuse r + k x RowCount, as the read takes it back.
bool WriteArray(LinkOperation& op) {
  const GalDeviceRecord& d = GalDevice;
  for (int r = 0; r < d.RowCount; ++r) {
    for (int k = 0; k < d.RowLength; ++k) PutDataBit(k, FuseAt(r + static_cast<long>(k) * d.RowCount));
    if (!op.Ok(SendWriteRequest(WriteArrayRow, r, 0))) return false;
    TheWindow().SetProgress((r + 1) * 100 / d.RowCount);
  }
  return true;
}

// The UES sits at UesBitOffset of its row; the row's other bits go as 1,
// the erased state, so the write leaves them as the erase did.
bool WriteUes(LinkOperation& op) {
  const GalDeviceRecord& d = GalDevice;
  for (int k = 0; k < d.RowLength; ++k) PutDataBit(k, 1);
  for (int j = 0; j < d.UesBytes * 8; ++j) PutDataBit(d.UesBitOffset + j, FuseAt(d.UesFuse + j));
  return op.Ok(SendWriteRequest(WriteUesRow, 0, 0));
}

bool WriteConfiguration(LinkOperation& op) {
  const GalDeviceRecord& d = GalDevice;
  for (int k = 0; k < d.ConfigBits; ++k) PutDataBit(k, FuseAt(d.ConfigFuses[static_cast<std::size_t>(k)]));
  return op.Ok(SendWriteRequest(WriteConfigRow, 0, 0));
}

bool WriteMap(LinkOperation& op) {
  MessageLog("->program", LevelPlain);
  return op.Ok(SendProgrammingSetup()) && op.Ok(SendWriteRequest(WriteErase, 0, 0)) && WriteArray(op) &&
         WriteUes(op) && WriteConfiguration(op);
}

// The auxiliary row is the chip's security cell: once it is written, the
// chip reads its array and configuration back as 0 until the next erase.
bool SetSecurityCell(LinkOperation& op) {
  if (!op.Ok(SendProgrammingSetup()) || !op.Ok(SendWriteRequest(WriteAuxRow, 0, 0)) ||
      !op.Ok(SendEndRequest(), true))
    return false;
  MessageLog("Security fuse set: the chip is now read-protected", LevelPlain);
  return true;
}

int Stop(LinkOperation& op) {
  op.Stopped();
  SetDeviceOutcome(DeviceOutcome::Stopped);
  return 0;
}

int StopPartWay(LinkOperation& op) {
  MessageLog("The chip may now hold part of the fuse map: erase it and program it again", LevelError);
  return Stop(op);
}

}  // namespace

int CheckFuseMapLoaded() {
  if (FuseMapLength > 0 && ShownFuseCount == FuseMapLength) return 1;
  MessageLog("No fuse map loaded", LevelError);
  return 0;
}

int ProgramDevice(int confirm, int security) {
  if (CheckFuseMapLoaded() == 0) {
    SetDeviceOutcome(DeviceOutcome::Refused);
    return 0;
  }
  const GalDeviceRecord before = GalDevice;
  LinkOperation op;
  if (ReadPes() == 0) {
    op.Stopped();
    SetDeviceOutcome(LinkOperationStopped() ? DeviceOutcome::Stopped : DeviceOutcome::NoChip);
    return 0;
  }

  const bool refused = ChipRefused();
  bool confirmed = !refused;
  if (confirmed && confirm == 1) {
    const BoxAnswer answer = TheWindow().ShowMessageBox(
        "Quelvox", "Replace the contents of the " + GalDevice.Name + " in the programmer?", BoxButtons::YesNo,
        BoxIcon::Warning, true);
    confirmed = answer == BoxAnswer::Yes;
  }
  if (!confirmed) {
    if (!op.Ok(SendEndRequest(), true)) return Stop(op);
    SetDeviceOutcome(refused ? DeviceOutcome::Refused : DeviceOutcome::Declined);
    GalDevice = before;
    return 0;
  }

  // From the erase on, a stop leaves the chip holding part of the map.
  if (!WriteMap(op) || !op.Ok(SendReadSetup())) return StopPartWay(op);
  ReadOrVerifyDevice(1, 0);
  if (LinkOperationStopped()) return StopPartWay(op);
  if (LastDeviceOutcome() != DeviceOutcome::Verified) return 0;
  if (security == 1 && !SetSecurityCell(op)) return Stop(op);
  SetDeviceOutcome(DeviceOutcome::Programmed);
  return 1;
}
