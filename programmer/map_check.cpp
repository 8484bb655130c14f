// The fit of the loaded fuse map to the identified chip, and the line that
// names both devices when it does not fit.
#include "programmer/map_check.h"

#include "base/fuse_map.h"
#include "base/message_log.h"
#include "devices/gal_device.h"
#include "fuses/fuse_file_load.h"

std::string FuseMapDeviceName() {
  const int code = DeviceCodeForFuseCount(FuseMapLength);
  if (code < 0) return "unknown device";
  const GalDeviceRecord chip = GalDevice;
  SelectDevice(code);
  const std::string name = GalDevice.Name;
  GalDevice = chip;
  return name;
}

int CheckMapFitsChip() {
  if (FuseMapLength == GalDevice.FuseCount) return 1;
  MessageLog("The fuse map is for a " + FuseMapDeviceName() + " (" + std::to_string(FuseMapLength) +
                 " fuses), the programmer holds a " + GalDevice.Name + " (" +
                 std::to_string(GalDevice.FuseCount) + " fuses)",
             LevelError);
  return 0;
}
