// Opening a fuse file: the identification table and the load sequence.
#include "fuses/fuse_file_load.h"

#include <array>

#include "base/fuse_map.h"
#include "base/message_log.h"
#include "base/paths.h"
#include "devices/gal_device.h"
#include "fuses/fuse_map_view.h"
#include "fuses/jedec_reader.h"
#include "platform/window.h"

namespace {

// Each device's full count; for GAL16V8, GAL20V8 and GAL22V10 also one more,
// as some tools write it; and for all but GAL16V8 and GAL20V8 the count of
// the fuses before the UES, for files that leave the UES out.
constexpr std::array<FuseCountMatch, 21> IdentificationTable{{
    {2194, 0},   {2195, 0},                // GAL16V8
    {2706, 32},  {2707, 32},               // GAL20V8
    {3540, 80},  {3476, 80},               // GAL18V10
    {3274, 96},  {3210, 96},               // GAL20RA10
    {1671, 101}, {1631, 101},              // GAL20XV10
    {5892, 72},  {5893, 72},  {5828, 72},  // GAL22V10
    {6432, 88},  {6368, 88},               // GAL26CV12
    {7912, 93},  {7848, 93},               // GAL26V12C
    {8294, 64},  {8222, 64},               // GAL6001
    {8330, 68},  {8258, 68},               // GAL6002B
}};

}  // namespace

int DeviceCodeForFuseCount(std::int64_t fuseCount) {
  for (const FuseCountMatch& match : IdentificationTable) {
    if (match.FuseCount == fuseCount) return match.DeviceCode;
  }
  return -1;
}

void LoadFuseFile(const std::string& path, const UnknownCountHandler& onUnknownCount) {
  if (path.empty()) return;
  Window& window = TheWindow();
  window.ClearPane(Pane::FuseMap);
  window.ClearPane(Pane::Log);
  window.SetStatusText(0, "");
  window.SetStatusText(1, "");
  MessageLog("Parsing file: " + FilePart(path), LevelPlain);
  MessageLog("Path: " + DirectoryPart(path), LevelPlain);
  const std::int64_t n = ReadJedecFile(path, &LoadedMapFindings);
  if (FuseMapLength == 0) return;  // the reader has said why, if there was a reason
  const int code = DeviceCodeForFuseCount(n);
  if (code < 0) {
    if (onUnknownCount && onUnknownCount(n)) return;
    MessageLog(std::to_string(n) + " fuses don't match any GAL", LevelError);
    return;
  }
  SelectDevice(code);
  MessageLog(std::to_string(n) + " fuses match " + GalDevice.Name, LevelPlain);
  FuseMapLength = GalDevice.FuseCount;
  ShowFuseMap(FuseMapLength);
}
