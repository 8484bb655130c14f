// The logic a GAL16V8, GAL20V8, GAL20XV10 or macrocell GAL (22V10, 18V10,
// 26CV12, 26V12, 20RA10) fuse map holds, read back from its array and architecture fuses: per
// output cell its kind, polarity, sum of products and enable, on the
// macrocell families the shared reset and preset terms (on the 26V12 each
// register's clock pin and feedback; on the 20RA10 each register's own
// clock, reset and preset terms). Terms are cubes over the array's
// column pairs, each pair read as the level of the pin (or, for a register
// read from its flip-flop, of its pin-level feedback .FB) that feeds it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "abelc/cover.h"
#include "abelc/gal_devices.h"
#include "logic/pla_logic.h"

enum class CellRole {
  Unused,  // drives nothing and nothing reads it
  Input,   // never drives its pin; the array reads the pin
  Output,  // drives its pin at least some of the time (or is a register the array reads)
};

enum class EnableKind {
  Always,  // simple-mode outputs
  OePin,   // 16V8/20V8 registers: the /OE pin, active low
  Term,    // a product-term row
};

struct CellLogic {
  int Pin = 0;
  int Index = 0;  // position in the architecture's cells, highest pin first
  CellRole Role = CellRole::Unused;
  bool Registered = false;
  bool ActiveHigh = false;  // the polarity fuse: XOR, or S0 on the macrocell families
  bool Ac1 = false;         // 16V8/20V8: the cell's AC1 fuse
  int ClockPin = 1;         // a register's clock: pin 1, or on the 26V12 pin 4 where chosen
  // The array reads the flip-flop (/Q), not the pin: every register but on
  // the 26V12, whose feedback fuse chooses.
  bool ReadsRegister = false;
  EnableKind Enable = EnableKind::Always;
  abelc::Cover EnableTerm;  // EnableKind::Term: one cube, or none when never enabled
  abelc::Cover Terms;       // the sum as the map holds it, false rows left out
  abelc::Cover Minimised;   // the same function with fewest terms
  // GAL20RA10 registers: their own clock, reset and preset terms (one cube
  // each, none when never true).
  abelc::Cover ClockTerm, ResetTerm, PresetTerm;
  // GAL20XV10: the cell's XOR gate combines two sums, enabled by pin 13; the
  // pin shows NOT (SumA XOR SumB), and Terms holds SumA XOR SumB as one sum.
  bool XorSums = false;
  abelc::Cover SumA, SumB;
};

struct MapLogic {
  const abelc::GalArchitecture* Arch = nullptr;
  abelc::GalMode Mode = abelc::GalMode::Simple;
  std::string DeviceName;             // "GAL16V8", "ATF22V10C", ...
  std::vector<std::string> PinNames;  // index = pin; never empty for a pin
  std::string NamesFrom;              // where the names came from; empty for the default names
  std::vector<int> VariablePin;       // per column pair: the pin that feeds it (0: a node)
  // GAL6001/6002: per column pair the name its literal is printed with, and
  // the array's shared terms, cells and input cells.
  std::vector<std::string> VariableNames;
  std::optional<PlaLogic> Pla;
  std::vector<std::string> GivenNodeNames;  // as DecodeMap was given them
  std::vector<std::uint8_t> Fuses;          // the whole map, one entry per fuse
  std::size_t MapFuses = 0;                 // the fuses the map itself held
  std::vector<CellLogic> Cells;             // highest pin first, as the rows run
  bool HasRegisters = false;
  abelc::Cover Reset, Preset;  // shared by the macrocell families' registers but the GAL20RA10's
  // Does each register have its own clock, reset and preset terms (GAL20RA10)?
  bool CellControls() const;
  // Do the registers share one reset and one preset term (22V10 and its kin)?
  bool SharedControls() const;
  const CellLogic* CellAt(int pin) const;
  // Is `pin` a register whose feedback column the variable names (Name.FB)?
  bool IsRegisterPin(int pin) const;
  // Is `pin` a 26V12 register the array reads from its pin (Name.PIN)?
  bool IsRegisterReadAtPin(int pin) const;
};

// The family's architecture for a catalogue device code, or nullptr for
// types whose maps are not decoded.
const abelc::GalArchitecture* ArchitectureOf(std::int32_t deviceCode);

// Decodes a map of the given device; `pinNames` (index = pin, may be short or
// hold empty texts) names the pins, the rest get I2, IO19, ... Nothing for
// types without decoding or a map too short for the device.
// `nodeNames` (index = node number) names a GAL6001/6002 map's nodes; the
// rest, and any that a pin's name takes, are N26, N70, ...
std::optional<MapLogic> DecodeMap(std::int32_t deviceCode, const std::string& deviceName,
                                  const std::vector<std::uint8_t>& fuses,
                                  const std::vector<std::string>& pinNames, const std::string& namesFrom,
                                  const std::vector<std::string>& nodeNames = {});

// GAL6001/6002: the shared terms, cells and input cells of the map, and the
// output pins' CellLogic (pla_decode.cpp); their equations (pla_equations.cpp).
void DecodePla(MapLogic& logic);
std::vector<std::string> PlaEquationLines(const MapLogic& logic);

// "A & !B.FB" for a cube, "1" for the universal cube.
std::string TermText(const MapLogic& logic, const abelc::Cube& term);

// A sum on one line: "A & B # C", "0" for none.
std::string SumText(const MapLogic& logic, const abelc::Cover& sum);

// A GAL20XV10 XOR cell's sums: "(A # B) $ (C)", an empty sum "(0)".
std::string XorText(const MapLogic& logic, const CellLogic& cell);

// The equations as lines for people: a heading, then one block per output
// pin in pin order, then the macrocell families' reset and preset.
std::vector<std::string> EquationLines(const MapLogic& logic);

// One line per output cell in pin order: "pin 23 (T): registered, active high",
// "pin 22: input", "pin 21: not used".
std::vector<std::string> CellKindLines(const MapLogic& logic);
