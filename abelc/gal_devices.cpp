// The fitter's device tables, by pin.
#include "abelc/gal_devices.h"

#include "abelc/pla_map.h"

namespace abelc {

const char* ModeName(GalMode mode) {
  switch (mode) {
    case GalMode::Simple:
      return "simple";
    case GalMode::Complex:
      return "complex";
    case GalMode::Registered:
      return "registered";
    case GalMode::Macrocells:
      return "macrocell";
    case GalMode::Inputs:
      return "input";
    case GalMode::Feedback:
      return "feedback";
    case GalMode::Pla:
      return "logic array";
  }
  return "";
}

const OutputCell* GalArchitecture::CellAt(int pin) const {
  for (const OutputCell& c : cells) {
    if (c.pin == pin) return &c;
  }
  return nullptr;
}

namespace {

GalArchitecture MakeV8(Family family) {
  const bool small = family == Family::Gal16V8;
  GalArchitecture d;
  d.family = family;
  d.name = small ? "GAL16V8" : "GAL20V8";
  d.pins = small ? 20 : 24;
  d.gnd = d.pins / 2;
  d.vcc = d.pins;
  d.columns = small ? 32 : 40;
  d.rows = 64;
  const int base = d.rows * d.columns;
  d.xor_base = base;
  d.ues_base = base + 8;
  d.ac1_base = base + 72;
  d.ptd_base = base + 80;
  d.syn = base + 144;
  d.ac0 = base + 145;
  d.fuses = base + 146;
  const int top = small ? 19 : 22;
  for (int i = 0; i < 8; ++i) d.cells.push_back({top - i, 8 * i, 8});
  d.oe_pin = small ? 11 : 13;
  return d;
}

GalArchitecture MakeMacrocells(Family family, const galmaps::MacrocellMap& map) {
  GalArchitecture d;
  d.family = family;
  d.name = map.name;
  d.pins = map.pins;
  d.gnd = map.gnd;
  d.vcc = map.vcc;
  d.columns = map.Columns();
  d.rows = map.Rows();
  d.map = &map;
  d.s0_base = map.s0_base;
  d.ues_base = map.ues;
  d.fuses = map.Fuses();
  d.ar_row = map.ResetRow();
  d.sp_row = map.PresetRow();
  for (int i = 0; i < map.cell_count; ++i) {
    const galmaps::MacrocellCell& cell = map.cells[static_cast<std::size_t>(i)];
    d.cells.push_back({cell.pin, map.OeRow(i), cell.terms + 1});
  }
  // The GAL20RA10: pin 1 is /PL, pin 13 the /OE of every output.
  if (!map.SharedControls()) {
    d.clock_pin = 0;
    d.oe_pin = 13;
  }
  return d;
}

GalArchitecture MakeXor(const galmaps::XorMap& map) {
  GalArchitecture d;
  d.family = Family::Gal20XV10;
  d.name = map.name;
  d.pins = map.pins;
  d.gnd = map.gnd;
  d.vcc = map.vcc;
  d.columns = map.Columns();
  d.rows = map.rows;
  d.xor_map = &map;
  d.xor_base = map.xor_base;
  d.ues_base = map.ues;
  d.fuses = map.Fuses();
  d.ues_bits = map.Fuses() - map.ues;
  for (int i = 0; i < 10; ++i)
    d.cells.push_back({map.cells[static_cast<std::size_t>(i)], map.FirstRow(i), 4});
  d.oe_pin = 13;
  d.ar_row = d.sp_row = -1;
  return d;
}

// The GAL6001 and GAL6002B: pins 2-11 inputs, 14-23 outputs, pin 1 the input
// cells' clock and pin 13 the output clock; every product term is shared.
GalArchitecture MakePla(Family family) {
  const pla::PlaMap& map = pla::MapOf(family);
  GalArchitecture d;
  d.family = family;
  d.name = map.name;
  d.pins = 24;
  d.gnd = 12;
  d.vcc = 24;
  d.columns = pla::kColumns;
  d.rows = pla::kTerms;
  d.fuses = map.fuses;
  d.ues_base = map.ues;
  d.ues_bits = map.fuses - map.ues;
  d.clock_pin = pla::kOutputClockPin;
  for (int p = 23; p >= 14; --p) d.cells.push_back({p, 0, pla::kSharedTerms});
  return d;
}

// Columns by pin, 16V8 and 20V8 (true column; -1: not in the array).
struct PinColumns {
  int pin, simple, complex, registered;
};

const PinColumns k16V8Columns[] = {
    {1, 2, 2, -1},    {2, 0, 0, 0},     {3, 4, 4, 4},     {4, 8, 8, 8},     {5, 12, 12, 12},
    {6, 16, 16, 16},  {7, 20, 20, 20},  {8, 24, 24, 24},  {9, 28, 28, 28},  {11, 30, 30, -1},
    {12, 26, -1, 30}, {13, 22, 26, 26}, {14, 18, 22, 22}, {15, -1, 18, 18}, {16, -1, 14, 14},
    {17, 14, 10, 10}, {18, 10, 6, 6},   {19, 6, -1, 2},
};

const PinColumns k20V8Columns[] = {
    {1, 2, 2, -1},    {2, 0, 0, 0},     {3, 4, 4, 4},     {4, 8, 8, 8},     {5, 12, 12, 12},
    {6, 16, 16, 16},  {7, 20, 20, 20},  {8, 24, 24, 24},  {9, 28, 28, 28},  {10, 32, 32, 32},
    {11, 36, 36, 36}, {13, 38, 38, -1}, {14, 34, 34, 38}, {15, 30, -1, 34}, {16, 26, 30, 30},
    {17, 22, 26, 26}, {18, -1, 22, 22}, {19, -1, 18, 18}, {20, 18, 14, 14}, {21, 14, 10, 10},
    {22, 10, -1, 6},  {23, 6, 6, 2},
};

}  // namespace

const galmaps::MacrocellMap* MacrocellMapOf(Family family) {
  switch (family) {
    case Family::Gal22V10:
      return &galmaps::Map22V10;
    case Family::Gal18V10:
      return &galmaps::Map18V10;
    case Family::Gal26CV12:
      return &galmaps::Map26CV12;
    case Family::Gal26V12:
      return &galmaps::Map26V12;
    case Family::Gal20RA10:
      return &galmaps::Map20RA10;
    default:
      return nullptr;
  }
}

const GalArchitecture& DeviceOf(Family family) {
  static const GalArchitecture k16 = MakeV8(Family::Gal16V8);
  static const GalArchitecture k20 = MakeV8(Family::Gal20V8);
  static const GalArchitecture k22 = MakeMacrocells(Family::Gal22V10, galmaps::Map22V10);
  static const GalArchitecture k18 = MakeMacrocells(Family::Gal18V10, galmaps::Map18V10);
  static const GalArchitecture k26 = MakeMacrocells(Family::Gal26CV12, galmaps::Map26CV12);
  static const GalArchitecture k26v = MakeMacrocells(Family::Gal26V12, galmaps::Map26V12);
  static const GalArchitecture kra = MakeMacrocells(Family::Gal20RA10, galmaps::Map20RA10);
  static const GalArchitecture kxv = MakeXor(galmaps::Map20XV10);
  static const GalArchitecture k6001 = MakePla(Family::Gal6001);
  static const GalArchitecture k6002 = MakePla(Family::Gal6002);
  switch (family) {
    case Family::Gal6001:
      return k6001;
    case Family::Gal6002:
      return k6002;
    case Family::Gal16V8:
      return k16;
    case Family::Gal20V8:
      return k20;
    case Family::Gal18V10:
      return k18;
    case Family::Gal26CV12:
      return k26;
    case Family::Gal26V12:
      return k26v;
    case Family::Gal20RA10:
      return kra;
    case Family::Gal20XV10:
      return kxv;
    default:
      return k22;
  }
}

int ReadColumn(const GalArchitecture& d, GalMode mode, int pin) {
  if (const galmaps::MacrocellMap* map = MacrocellMapOf(d.family)) return map->ColumnOf(pin);
  if (d.xor_map) return d.xor_map->ColumnOf(pin, mode == GalMode::Feedback);
  auto pick = [&](const auto& table) {
    for (const PinColumns& p : table) {
      if (p.pin != pin) continue;
      return mode == GalMode::Simple ? p.simple : mode == GalMode::Complex ? p.complex : p.registered;
    }
    return -1;
  };
  return d.family == Family::Gal16V8 ? pick(k16V8Columns) : pick(k20V8Columns);
}

}  // namespace abelc
