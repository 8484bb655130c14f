// What the logic tests compare maps with: a JEDEC file read as Open reads it,
// the pin-level function of every output (kind, next level, enable, and on
// the macrocell families reset and preset) as covers over pin numbers, and
// the fuse-map model of the compiler run on both maps from the same random
// states.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "abelc/fuse_model.h"
#include "base/fuse_map.h"
#include "devices/gal_device.h"
#include "fuses/fuse_file_load.h"
#include "fuses/jedec_reader.h"
#include "logic/map_logic.h"
#include "logic/pin_names.h"
#include "tests/fuses/fuse_test_files.h"

struct ReadMapFile {
  int Code = -1;  // device code for the count, -1 none
  std::int64_t Count = 0;
  std::vector<std::uint8_t> Fuses;
};

// Needs an installed window (the reader may warn). Leaves the map in FuseMap.
inline ReadMapFile ReadMap(const std::string& path) {
  ReadMapFile m;
  m.Count = ReadJedecText(ReadBytes(path));
  m.Code = DeviceCodeForFuseCount(m.Count);
  m.Fuses.assign(FuseMap.begin(), FuseMap.begin() + m.Count);
  return m;
}

inline std::optional<MapLogic> DecodeFile(const std::string& path) {
  const ReadMapFile m = ReadMap(path);
  if (m.Code < 0 || SelectDevice(m.Code) != 1) return std::nullopt;
  const PinNameSource names = PinNamesFor(path, GalDevice.PinCount);
  return DecodeMap(m.Code, GalDevice.Name, m.Fuses, names.Names, names.From, names.NodeNames);
}

// A cover over column pairs rewritten over pin numbers.
inline abelc::Cover OverPins(const MapLogic& l, const abelc::Cover& cover) {
  abelc::Cover out;
  for (const abelc::Cube& c : cover) {
    abelc::Cube p;
    for (std::size_t k = 0; k < l.VariablePin.size(); ++k) {
      const std::uint64_t bit = std::uint64_t{1} << l.VariablePin[k];
      if (!((c.zero >> k) & 1)) p.zero &= ~bit;
      if (!((c.one >> k) & 1)) p.one &= ~bit;
    }
    out.push_back(p);
  }
  return out;
}

inline bool SameFunction(const abelc::Cover& a, const abelc::Cover& b) {
  for (const abelc::Cube& c : a) {
    if (!abelc::CoverContains(b, c)) return false;
  }
  for (const abelc::Cube& c : b) {
    if (!abelc::CoverContains(a, c)) return false;
  }
  return true;
}

// Is the pin one of `pins` (all pins when it is empty)?
inline bool Compared(const std::vector<int>& pins, int pin) {
  return pins.empty() || std::find(pins.begin(), pins.end(), pin) != pins.end();
}

// The differences between the pin-level behaviour of two decoded maps, one
// line each; empty when every output (of `pins`, when given) behaves the same.
inline std::string FunctionDifferences(const MapLogic& a, const MapLogic& b,
                                       const std::vector<int>& pins = {}) {
  std::string diffs;
  auto enable = [](const MapLogic& l, const CellLogic& c) {
    if (c.Enable == EnableKind::Always) return abelc::True();
    if (c.Enable == EnableKind::OePin) {
      abelc::Cover pin;  // the /OE pin low
      pin.push_back(abelc::Literal(l.Arch->oe_pin, false));
      return pin;
    }
    return OverPins(l, c.EnableTerm);
  };
  auto next = [](const MapLogic& l, const CellLogic& c) {
    const abelc::Cover sum = OverPins(l, c.Terms);
    return c.ActiveHigh ? sum : abelc::Not(sum);
  };
  for (const CellLogic& x : a.Cells) {
    if (!Compared(pins, x.Pin)) continue;
    const CellLogic* y = b.CellAt(x.Pin);
    const std::string pin = "pin " + std::to_string(x.Pin) + ": ";
    const bool xOut = x.Role == CellRole::Output, yOut = y && y->Role == CellRole::Output;
    if (xOut != yOut) {
      diffs += pin + (xOut ? "an output in the first map only\n" : "an output in the second map only\n");
      continue;
    }
    if (!xOut) continue;
    if (x.Registered != y->Registered) {
      diffs += pin + "registered in one map only\n";
      continue;
    }
    if (!SameFunction(next(a, x), next(b, *y))) diffs += pin + "another function\n";
    if (!SameFunction(enable(a, x), enable(b, *y))) diffs += pin + "another enable\n";
    if (x.Registered && a.CellControls()) {  // the GAL20RA10's terms of each register
      if (!SameFunction(OverPins(a, x.ClockTerm), OverPins(b, y->ClockTerm)))
        diffs += pin + "another clock\n";
      if (!SameFunction(OverPins(a, x.ResetTerm), OverPins(b, y->ResetTerm)))
        diffs += pin + "another reset\n";
      if (!SameFunction(OverPins(a, x.PresetTerm), OverPins(b, y->PresetTerm)))
        diffs += pin + "another preset\n";
    }
  }
  if (a.HasRegisters && !a.Arch->IsV8()) {
    if (!SameFunction(OverPins(a, a.Reset), OverPins(b, b.Reset))) diffs += "another reset\n";
    if (!SameFunction(OverPins(a, a.Preset), OverPins(b, b.Preset))) diffs += "another preset\n";
  }
  return diffs;
}

// Both maps in the compiler's fuse-map model, from the same random register
// states and pin levels: the pins before and after a clock edge. The first
// difference on one of `pins` (all when empty), or the empty text.
inline std::string SimulationDifference(abelc::Family family, const std::vector<std::uint8_t>& a,
                                        const std::vector<std::uint8_t>& b, int rounds,
                                        const std::vector<int>& pins = {}) {
  abelc::FuseMapModel x(family, a), y(family, b);
  std::mt19937 random(12345);
  const int count = x.Pins();
  for (int round = 0; round < rounds; ++round) {
    std::vector<int> q(12), drive(static_cast<std::size_t>(count) + 1, -1);
    for (int& bit : q) bit = static_cast<int>(random() & 1);
    for (int pin = 2; pin <= count; ++pin)
      drive[static_cast<std::size_t>(pin)] = static_cast<int>(random() & 1);
    drive[1] = 0;
    x.SetRegisters(q);
    y.SetRegisters(q);
    for (int edge = 0; edge < 2; ++edge) {
      x.Apply(drive);
      y.Apply(drive);
      for (int pin = 1; pin <= count; ++pin) {
        if (Compared(pins, pin) && x.Level(pin) != y.Level(pin)) {
          return "round " + std::to_string(round) + (edge ? " after the clock" : "") + ", pin " +
                 std::to_string(pin) + ": " + x.Level(pin) + " and " + y.Level(pin);
        }
      }
      drive[1] = 1;
    }
  }
  return "";
}
