// The pins of a decoded GAL16V8, GAL20V8 or macrocell GAL map, live: the levels
// the user puts on the inputs, what the outputs and registers show, a clock
// pulse and the register preload, on the compiler's fuse-map model of the
// device, from the state the chip powers up in. The Simulate panel shows it.
#pragma once

#include <memory>
#include <string>
#include <vector>

// Kept out of this header: the compiler's model names a member "signals",
// which Qt's window code, which includes this, takes for a keyword.
namespace abelc {
class FuseMapModel;
}
struct MapLogic;

enum class PinUse {
  Input,   // the device never drives it
  Output,  // a cell that drives its pin, at least some of the time
  Clock,   // a pin that clocks registers (pin 1; on the 26V12 pin 4 too): the clock pulse drives it
  Supply,  // GND and Vcc
};

struct SimulatedPin {
  int Pin = 0;
  std::string Name;  // the map's name for the pin; "GND" and "Vcc" for the supply
  PinUse Use = PinUse::Input;
  // The user sets a level on it: an input, an output that can be off (its
  // level counts while it is off), and a register (the level it preloads).
  bool Drivable = false;
  int Driven = 0;     // that level
  char Level = '0';   // what the pin shows: '0', '1', 'Z'; ' ' for a supply pin
  int Register = -1;  // the state Q of the register behind the pin, -1 for none
};

class PinSimulation {
 public:
  // At power-up: every register 0, every input driven low.
  explicit PinSimulation(const MapLogic& logic);
  ~PinSimulation();

  const std::string& DeviceName() const { return device_; }
  const std::vector<SimulatedPin>& Pins() const { return pins_; }  // pins 1..n in order
  const SimulatedPin& At(int pin) const { return pins_[static_cast<std::size_t>(pin - 1)]; }
  bool HasRegisters() const { return registers_; }
  // The output pins that did not settle during the last step (a loop through
  // the feedback that oscillates), in pin order.
  const std::vector<int>& Unsettled() const { return unsettled_; }

  // Puts level 0 or 1 on a drivable pin; other pins are left alone.
  void Drive(int pin, int level);
  // One pulse 0-1-0 on every clock pin at once: the registers load at its rising edge.
  void Clock();
  // Every register takes the state that makes its pin show the level driven
  // on it, as the chip's preload does.
  void Preload();

 private:
  void Show();  // reads the model's pins and registers into pins_

  std::string device_;
  std::unique_ptr<abelc::FuseMapModel> model_;
  std::vector<int> drive_;          // per pin, index 1..n
  std::vector<int> registerIndex_;  // per pin: the register's place in the model's list, -1 none
  std::vector<SimulatedPin> pins_;
  std::vector<int> unsettled_;
  std::vector<int> clockPins_;  // the pins that clock a register
  bool registers_ = false;
};
