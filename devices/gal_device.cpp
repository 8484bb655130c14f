// The current-device record and its one writer from the catalogue.

#include "devices/gal_device.h"

#include <algorithm>

#include "devices/device_catalogue.h"
#include "devices/pinout.h"

GalDeviceRecord GalDevice;

namespace {

template <typename Row, std::size_t N>
const Row* FindRow(const Row (&table)[N], std::int32_t code) {
  for (const Row& row : table)
    if (row.DeviceCodes.Contains(code)) return &row;
  return nullptr;
}

const DeviceIdentity* FindIdentity(std::int32_t code) {
  for (const DeviceIdentity& row : DeviceIdentities)
    if (row.DeviceCode == code) return &row;
  return nullptr;
}

}  // namespace

int SelectDevice(int code) {
  // Only the low byte is a device code; it is kept even when unknown.
  GalDevice.DeviceCode = code & 0xFF;
  const DeviceIdentity* identity = FindIdentity(GalDevice.DeviceCode);
  const SignatureRows* signature = FindRow(DeviceSignatureRows, GalDevice.DeviceCode);
  const ControlRows* control = FindRow(DeviceControlRows, GalDevice.DeviceCode);
  if (!identity || !signature || !control) return 0;

  GalDeviceRecord& d = GalDevice;
  d.Name = identity->Name;
  d.AddressBits = identity->AddressBits;
  d.DeviceFlag = identity->DeviceFlag;
  d.PinCount = identity->PinCount;
  d.FuseCount = identity->FuseCount;
  d.RowCount = identity->RowCount;
  d.RowLength = identity->RowLength;

  d.UesRow = signature->UesRow;
  d.UesShiftRow = signature->UesShiftRow;
  d.UesFuse = signature->UesFuse;
  d.UesBytes = signature->UesBytes;
  d.UesBitOffset = signature->UesBitOffset;
  d.PesRow = signature->PesRow;
  d.PesShiftRow = signature->PesShiftRow;
  d.PesBitOffset = signature->PesBitOffset;

  d.ConfigRow = control->ConfigRow;
  d.ConfigShiftRow = control->ConfigShiftRow;
  d.ConfigBits = control->ConfigBits;
  d.AuxRow = control->AuxRow;
  d.AuxShiftRow = control->AuxShiftRow;
  d.AuxFlag = control->AuxFlag;
  d.EraseRow = control->EraseRow;
  d.EraseFlag = control->EraseFlag;
  d.EraseAllRow = control->EraseAllRow;
  d.EraseAllFlag = control->EraseAllFlag;

  // Entries past the package and past the map keep what an earlier type left.
  std::copy_n(identity->Layout.begin() + 1, d.PinCount, d.PinTypes.begin() + 1);
  std::copy_n(identity->Map.begin(), std::min<std::size_t>(d.ConfigBits, identity->Map.size()),
              d.ConfigFuses.begin());
  return 1;
}

void ResetDeviceState() {
  GalDevice = GalDeviceRecord{};
  PullUpMode = 0;
}
