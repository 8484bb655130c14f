// The simulation behind the Simulate panel and the map it was made from.
#include "commands/pin_panel.h"

#include <cstdint>
#include <vector>

#include "base/fuse_map.h"
#include "base/message_log.h"
#include "commands/logic_commands.h"
#include "devices/gal_device.h"
#include "platform/window.h"

namespace {

// What tells one loaded map from another: the device, the fuses but for the
// user signature (a new signature is the same map), and the pin names.
struct MapKey {
  std::int32_t Device = 0;
  std::vector<std::uint8_t> Fuses;
  std::vector<std::string> Names;
  bool operator==(const MapKey&) const = default;
};

PinPanelState panel;
MapKey panelMap;

MapKey KeyOf(const std::optional<MapLogic>& logic) {
  MapKey key;
  if (!logic) return key;
  key.Device = GalDevice.DeviceCode;
  key.Fuses.assign(FuseMap.begin(), FuseMap.begin() + FuseMapLength);
  const std::int64_t ues = GalDevice.UesFuse, end = ues + 8 * GalDevice.UesBytes;
  for (std::int64_t n = ues; n < end && n < FuseMapLength; ++n) key.Fuses[static_cast<std::size_t>(n)] = 0;
  key.Names = logic->PinNames;
  return key;
}

// The loaded map at power-up, or why there is none.
void MakeSimulation(const std::optional<MapLogic>& logic, const std::string& why) {
  panel.Simulation.reset();
  panel.Note = why;
  if (logic) panel.Simulation.emplace(*logic);
  panelMap = KeyOf(logic);
}

}  // namespace

PinPanelState& ThePinPanel() {
  return panel;
}

CommandResult RunSimulatePanelCommand() {
  std::string why;
  const std::optional<MapLogic> logic = DecodeLoadedMap(SimulatedMapsOnly, why);
  if (!logic) {
    MessageLog(why, LevelError);
    return CommandFailed("no simulation");
  }
  MakeSimulation(logic, "");
  panel.Open = true;
  TheWindow().OpenPinPanel();
  return CommandDone();
}

void FollowLoadedMap() {
  if (!panel.Open) return;
  std::string why;
  const std::optional<MapLogic> logic = DecodeLoadedMap(SimulatedMapsOnly, why);
  if (panel.Simulation && logic && KeyOf(logic) == panelMap) return;
  if (!panel.Simulation && !logic && why == panel.Note) return;
  MakeSimulation(logic, why);
  TheWindow().RefreshPinPanel();
}

void ClosePinPanel() {
  panel.Open = false;
  panel.Simulation.reset();
  panel.Note.clear();
  panelMap = MapKey();
}

void ResetPinPanelState() {
  ClosePinPanel();
}
