// Each step drives the model as a tester would and reads every pin back.
#include "logic/pin_simulation.h"

#include <algorithm>

#include "abelc/fuse_model.h"
#include "logic/map_logic.h"

namespace {

// Is the cell's output buffer on whatever the pins do?
bool AlwaysEnabled(const CellLogic& c) {
  return c.Enable == EnableKind::Always ||
         (c.Enable == EnableKind::Term && c.EnableTerm.size() == 1 && abelc::IsUniverse(c.EnableTerm[0]));
}

}  // namespace

PinSimulation::PinSimulation(const MapLogic& logic)
    : device_(logic.DeviceName),
      model_(std::make_unique<abelc::FuseMapModel>(logic.Arch->family, logic.Fuses)),
      registers_(logic.HasRegisters) {
  const abelc::GalArchitecture& arch = *logic.Arch;
  drive_.assign(static_cast<std::size_t>(arch.pins) + 1, 0);
  registerIndex_.assign(static_cast<std::size_t>(arch.pins) + 1, -1);
  // A GAL20RA10 register loads as its clock term rises, over the inputs driven.
  auto clock = [&](int pin) {
    if (std::find(clockPins_.begin(), clockPins_.end(), pin) == clockPins_.end()) clockPins_.push_back(pin);
  };
  for (const CellLogic& c : logic.Cells) {
    // A register clocked by a term (ClockPin 0) loads as the inputs make it rise.
    if (!logic.CellControls() && c.Role == CellRole::Output && c.Registered && c.ClockPin > 0)
      clock(c.ClockPin);
  }
  if (logic.Pla) {  // GAL6001/6002: buried registers on pin 13, input cells on pin 1
    for (const PlaCellLogic& c : logic.Pla->Cells) {
      if (c.Used && c.Registered && c.Pin13Clock) clock(13);
    }
    for (char mode : logic.Pla->InputCell) {
      if (mode == 'r' || mode == 'l') clock(1);
    }
  }
  for (int pin = 1; pin <= arch.pins; ++pin) {
    SimulatedPin p;
    p.Pin = pin;
    p.Name = logic.PinNames[static_cast<std::size_t>(pin)];
    const CellLogic* cell = logic.CellAt(pin);
    if (pin == arch.Gnd() || pin == arch.Vcc()) {
      p.Use = PinUse::Supply;
      p.Name = pin == arch.Gnd() ? "GND" : "Vcc";
    } else if (std::find(clockPins_.begin(), clockPins_.end(), pin) != clockPins_.end()) {
      p.Use = PinUse::Clock;
    } else if (cell && cell->Role == CellRole::Output) {
      p.Use = PinUse::Output;
      p.Drivable = !AlwaysEnabled(*cell) || cell->Registered;
      if (cell->Registered) registerIndex_[static_cast<std::size_t>(pin)] = cell->Index;
    } else {
      p.Drivable = true;
    }
    pins_.push_back(p);
  }
  model_->Apply(drive_);
  unsettled_ = model_->TakeUnsettled();
  Show();
}

PinSimulation::~PinSimulation() = default;

void PinSimulation::Show() {
  const std::vector<int> q = model_->Registers();
  for (SimulatedPin& p : pins_) {
    if (p.Use == PinUse::Supply) {
      p.Level = ' ';
      continue;
    }
    p.Driven = drive_[static_cast<std::size_t>(p.Pin)];
    // A cell read as an input has its output off: the pin is at the level driven.
    const char level = p.Use == PinUse::Input ? "LH"[p.Driven] : model_->Level(p.Pin);
    p.Level = level == 'H' ? '1' : level == 'L' ? '0' : 'Z';
    const int index = registerIndex_[static_cast<std::size_t>(p.Pin)];
    p.Register = index < 0 ? -1 : q[static_cast<std::size_t>(index)];
  }
}

void PinSimulation::Drive(int pin, int level) {
  if (pin < 1 || pin > static_cast<int>(pins_.size()) || !At(pin).Drivable) return;
  drive_[static_cast<std::size_t>(pin)] = level ? 1 : 0;
  model_->Apply(drive_);
  unsettled_ = model_->TakeUnsettled();
  Show();
}

void PinSimulation::Clock() {
  if (clockPins_.empty()) return;  // pin 1 is then an input like the others
  std::vector<int> unsettled;
  for (const int level : {1, 0}) {
    for (const int pin : clockPins_) drive_[static_cast<std::size_t>(pin)] = level;
    model_->Apply(drive_);
    for (int pin : model_->TakeUnsettled()) unsettled.push_back(pin);
  }
  std::sort(unsettled.begin(), unsettled.end());
  unsettled.erase(std::unique(unsettled.begin(), unsettled.end()), unsettled.end());
  unsettled_ = unsettled;
  Show();
}

void PinSimulation::Preload() {
  std::vector<int> levels(drive_.size(), -1);
  for (const SimulatedPin& p : pins_) {
    if (p.Register >= 0) levels[static_cast<std::size_t>(p.Pin)] = drive_[static_cast<std::size_t>(p.Pin)];
  }
  model_->Preload(levels);
  unsettled_ = model_->TakeUnsettled();
  Show();
}
