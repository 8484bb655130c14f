// Writing a decoded fuse map as an ABEL design: declarations with the
// attributes that fix each cell's configuration, then the equations.
#include "logic/abel_export.h"

#include <cctype>
#include <set>

#include "abelc/pla_map.h"
#include "logic/pin_names.h"

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// A name no pin has (compared without case, as the compiler's keywords are).
std::string FreeName(const MapLogic& l, std::string name) {
  std::set<std::string> taken;
  for (const std::string& pin : l.PinNames) taken.insert(Lower(pin));
  while (taken.count(Lower(name))) name += "_";
  return name;
}

std::string ModuleName(const MapLogic& l, const std::string& sourceName) {
  std::string base = sourceName.substr(0, sourceName.rfind('.'));
  std::string name;
  for (char c : base) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  if (name.empty() || !std::isalpha(static_cast<unsigned char>(name[0]))) name = "map_" + name;
  if (name.size() > 24) name.resize(24);
  if (!IsPinIdentifier(name)) name = "rebuilt";
  return FreeName(l, name);
}

std::string Sum(const MapLogic& l, const abelc::Cover& cover, const std::string& head) {
  if (cover.empty()) return head + "0;";
  std::string text = head;
  for (std::size_t i = 0; i < cover.size(); ++i) {
    if (i > 0) text += "\r\n" + std::string(head.size() - 2, ' ') + "# ";
    text += TermText(l, cover[i]);
  }
  return text + ";";
}

// One statement per signature byte: the classic compiler's numbers and
// fuse ranges hold 32 bits at most. A value's last bit goes to the range's
// last fuse, so each byte reads as the signature stores it, top bit first.
std::string SignatureFuses(const MapLogic& l) {
  const int first = l.Arch->ues_base;
  if (static_cast<int>(l.Fuses.size()) < first + l.Arch->ues_bits) return "";
  std::string lines;
  bool any = false;
  for (int byte = 0; byte < l.Arch->ues_bits / 8; ++byte) {
    const int from = first + 8 * byte;
    int value = 0;
    for (int b = 0; b < 8; ++b) value = value * 2 + (l.Fuses[static_cast<std::size_t>(from + b)] ? 1 : 0);
    any = any || value != 0;
    const char hex[] = {"0123456789ABCDEF"[value / 16], "0123456789ABCDEF"[value % 16], '\0'};
    lines += "  [" + std::to_string(from) + ".." + std::to_string(from + 7) + "] = ^h" + hex + ";\r\n";
  }
  if (!any) return "";
  // The P26V12 map ends before the signature.
  if (l.Arch->family == abelc::Family::Gal26V12)
    return "\" the signature is not rebuilt: a P26V12 map has none\r\n";
  return "FUSES\r\n" + lines;
}

// The compiler writes a GAL20XV10 XOR cell's polarity fuse 1 only where sum
// B is empty and the design enables the output by pin 13: writing that enable
// keeps the fuse (which changes nothing the cell does) as the map has it.
bool XorEnabledByPin13(const MapLogic& l, const CellLogic& c) {
  return c.SumB.empty() && l.Fuses[static_cast<std::size_t>(l.Arch->xor_map->Polarity(c.Index))];
}

// A GAL6001/6002 map: the pins and nodes the used cells read or drive, then
// each cell's sums with every shared term written out, its clock, clock
// enable and enable, the input cells and the reset term.
std::string PlaDesignBody(const MapLogic& l) {
  namespace pla = abelc::pla;
  const PlaLogic& p = *l.Pla;
  auto pin_name = [&](int pin) { return l.PinNames[static_cast<std::size_t>(pin)]; };
  auto node_name = [&](int node) { return p.NodeNames[static_cast<std::size_t>(node)]; };
  auto sum = [&](const std::vector<int>& terms) {
    abelc::Cover cover;
    for (int t : terms) cover.push_back(*p.Terms[static_cast<std::size_t>(t)]);
    return cover;
  };
  const std::vector<bool> read = PlaPairsRead(p);
  bool pin13 = false, inputClock = false;
  for (const PlaCellLogic& c : p.Cells) pin13 = pin13 || (c.Used && c.Registered && c.Pin13Clock);
  std::string t;
  std::string equations;
  for (int pin = 1; pin <= l.Arch->pins; ++pin) {
    const CellLogic* cell = l.CellAt(pin);
    const bool output = cell && cell->Role == CellRole::Output;
    const int pair = pin == 1 ? 0 : pla::PinColumn(pin) >= 0 ? pla::PinColumn(pin) / 2 : -1;
    const char cellMode = p.InputCell[static_cast<std::size_t>(pin)];
    const bool throughCell = pair >= 0 && read[static_cast<std::size_t>(pair)] && cellMode != 'p' && pin != 1;
    if (throughCell) inputClock = true;
    const bool named = output || (pair >= 0 && read[static_cast<std::size_t>(pair)]) ||
                       (pin == pla::kOutputClockPin && pin13) || throughCell;
    if (!named) continue;
    t += "  " + pin_name(pin) + " PIN " + std::to_string(pin) +
         (output ? std::string(" ISTYPE '") + (cell->Registered ? "reg" : "com") + "'" : "") + ";\r\n";
    if (throughCell) {
      const int node = pla::InputCellNode(pin);
      t += "  " + node_name(node) + " NODE " + std::to_string(node) +
           (cellMode == 'r' ? " ISTYPE 'reg'" : "") + ";\r\n";
      equations += "  " + node_name(node) + " := " + pin_name(pin) + ";\r\n  " + node_name(node) +
                   (cellMode == 'r' ? ".CLK = " : ".LE = ") + pin_name(1) + ";\r\n";
    }
  }
  if (inputClock && t.find("  " + pin_name(1) + " PIN 1;") == std::string::npos)
    t = "  " + pin_name(1) + " PIN 1;\r\n" + t;
  for (const PlaCellLogic& c : p.Cells) {
    if (!c.Used) continue;
    const std::string n = c.Pin ? pin_name(c.Pin) : node_name(c.Node);
    if (!c.Pin)
      t += "  " + n + " NODE " + std::to_string(c.Node) + " ISTYPE '" + (c.Registered ? "reg" : "com") +
           "';\r\n";
    equations +=
        "\r\n" +
        Sum(l, sum(c.SumA),
            "  " + std::string(c.Pin && c.Inverting ? "!" : "") + n + (c.Registered ? " := " : " = ")) +
        "\r\n";
    if (c.Registered && c.Pin13Clock)
      equations += "  " + n + ".CLK = " + pin_name(pla::kOutputClockPin) + ";\r\n";
    if (c.Registered && !c.Pin13Clock && !c.ClockOnFall)
      equations += Sum(l, sum(c.SumB), "  " + n + ".CLK = ") + "\r\n";
    if (c.ClockEnable) equations += Sum(l, sum(c.SumB), "  " + n + ".CE = ") + "\r\n";
    // A JK register as the classic compiler writes it comes back as D with a
    // clock enable; a register clocked as sum B falls, by its complement rising.
    if (c.HoldWhileB || c.ClockOnFall)
      equations += "  " + n + (c.HoldWhileB ? ".CE" : ".CLK") + " = !(" + SumText(l, sum(c.SumB)) + ");\r\n";
    if (c.Pin && !(c.EnableTerm.size() == 1 && abelc::IsUniverse(c.EnableTerm[0])))
      equations += Sum(l, c.EnableTerm, "  " + n + ".OE = ") + "\r\n";
  }
  if (l.HasRegisters && !p.Reset.empty()) {
    t += "  " + node_name(pla::kResetNode) + " NODE " + std::to_string(pla::kResetNode) + ";\r\n";
    equations += "\r\n" + Sum(l, p.Reset, "  " + node_name(pla::kResetNode) + " = ") + "\r\n";
  }
  return t + "\r\nEQUATIONS\r\n" + equations;
}

}  // namespace

std::string AbelPartName(const MapLogic& l) {
  switch (l.Arch->family) {
    case abelc::Family::Gal18V10:
      return "P18V10G";
    case abelc::Family::Gal26CV12:
      return "P26CV12";
    case abelc::Family::Gal26V12:
      return "P26V12";
    case abelc::Family::Gal20RA10:
      return l.MapFuses >= static_cast<std::size_t>(l.Arch->fuses) ? "P20RA10G" : "P20RA10";
    case abelc::Family::Gal20XV10:
      return "P20XV10";
    case abelc::Family::Gal6001:
      return "F6001";
    case abelc::Family::Gal6002:
      return "F6002";
    default:
      break;
  }
  if (!l.Arch->IsV8()) return "P22V10G";
  const std::string base = l.Arch->family == abelc::Family::Gal16V8 ? "P16V8" : "P20V8";
  return base + (l.Mode == abelc::GalMode::Registered ? "R" : l.Mode == abelc::GalMode::Complex ? "C" : "S");
}

std::string AbelDesignText(const MapLogic& l, const std::string& sourceName) {
  const abelc::GalArchitecture& a = *l.Arch;
  auto name = [&](int pin) { return l.PinNames[static_cast<std::size_t>(pin)]; };
  const std::string module = ModuleName(l, sourceName);
  std::string title;
  for (char c : sourceName) title += c == '\'' || static_cast<unsigned char>(c) < 32 ? '_' : c;
  std::string t = "MODULE " + module + "\r\n";
  // Each cell's polarity as the map holds it, not the smaller form.
  t += "OPTIONS '-reduce bypin';\r\n";
  t += "TITLE '" + l.DeviceName + " fuse map" + (title.empty() ? "" : " " + title) +
       ", rebuilt as equations'\r\n\r\n";
  t += "  " + FreeName(l, "U1") + " DEVICE '" + AbelPartName(l) + "';\r\n\r\n";
  if (l.Pla) return t + PlaDesignBody(l) + "\r\n" + SignatureFuses(l) + "\r\nEND " + module + "\r\n";

  // Which pins the design names: every output, and every pin the logic,
  // the clock or the /OE pin of its registers reads.
  std::vector<bool> read(static_cast<std::size_t>(a.pins) + 1, false);
  auto note = [&](const abelc::Cover& cover) {
    for (const abelc::Cube& c : cover) {
      for (std::size_t k = 0; k < l.VariablePin.size(); ++k) {
        if ((abelc::LiteralMask(c) >> k) & 1) read[static_cast<std::size_t>(l.VariablePin[k])] = true;
      }
    }
  };
  bool oePin = false;
  for (const CellLogic& c : l.Cells) {
    if (c.Role != CellRole::Output) continue;
    note(c.Terms);
    note(c.SumA);
    note(c.SumB);
    note(c.EnableTerm);
    oePin = oePin || (c.Enable == EnableKind::OePin && (!c.XorSums || XorEnabledByPin13(l, c)));
  }
  for (const CellLogic& c : l.Cells) {
    if (c.Role != CellRole::Output || !c.Registered) continue;
    if (l.CellControls()) {
      note(c.ClockTerm);
      note(c.ResetTerm);
      note(c.PresetTerm);
    } else {
      read[static_cast<std::size_t>(c.ClockPin)] = true;
    }
  }
  if (l.HasRegisters) {
    if (l.SharedControls()) {
      note(l.Reset);
      note(l.Preset);
    }
  }
  if (oePin) read[static_cast<std::size_t>(a.oe_pin)] = true;
  // A simple-mode cell left out of a design may come back as an output
  // driving a constant; named as an input it keeps its buffer off.
  for (const CellLogic& c : l.Cells) {
    if (l.Mode == abelc::GalMode::Simple && c.Ac1) read[static_cast<std::size_t>(c.Pin)] = true;
  }
  for (int pin = 1; pin <= a.pins; ++pin) {
    const CellLogic* c = l.CellAt(pin);
    if (c && c->Role == CellRole::Output) {
      std::string type;
      if (c->XorSums) {
        type = c->Registered ? "reg,xor" : "com,xor";
      } else if (c->Registered && l.CellControls()) {
        // A GAL20RA10 register always inverts; its polarity is the declaration's.
        type = "reg";
      } else if (c->Registered && !a.IsV8() && !a.IsXv()) {
        type = c->ActiveHigh ? "reg,buffer" : "reg,invert";
      } else {
        type = std::string(c->Registered ? "reg" : "com") + (c->ActiveHigh ? ",pos" : ",neg");
      }
      t += "  " + name(pin) + " PIN " + std::to_string(pin) + " ISTYPE '" + type + "';\r\n";
    } else if (read[static_cast<std::size_t>(pin)]) {
      t += "  " + name(pin) + " PIN " + std::to_string(pin) + ";\r\n";
    }
  }

  t += "\r\nEQUATIONS\r\n";
  for (const CellLogic& c : l.Cells) {
    if (c.Role != CellRole::Output) continue;
    const std::string& n = name(c.Pin);
    if (c.XorSums) {
      // The pin shows NOT (A XOR B).
      t += "\r\n  !" + n + (c.Registered ? " := " : " = ") + XorText(l, c) + ";\r\n";
      if (c.Registered) t += "  " + n + ".CLK = " + name(c.ClockPin) + ";\r\n";
      if (XorEnabledByPin13(l, c)) t += "  " + n + ".OE = !" + name(a.oe_pin) + ";\r\n";
      continue;
    }
    t += "\r\n" +
         Sum(l, c.Terms, "  " + std::string(c.ActiveHigh ? "" : "!") + n + (c.Registered ? " := " : " = ")) +
         "\r\n";
    if (c.Registered && l.CellControls()) {
      t += Sum(l, c.ClockTerm, "  " + n + ".CLK = ") + "\r\n";
      if (!c.ResetTerm.empty()) t += Sum(l, c.ResetTerm, "  " + n + ".AR = ") + "\r\n";
      if (!c.PresetTerm.empty()) t += Sum(l, c.PresetTerm, "  " + n + ".AP = ") + "\r\n";
    } else if (c.Registered) {
      t += "  " + n + ".CLK = " + name(c.ClockPin) + ";\r\n";
    }
    if (c.Enable == EnableKind::OePin) {
      t += "  " + n + ".OE = !" + name(a.oe_pin) + ";\r\n";
    } else if (c.Enable == EnableKind::Term &&
               !(c.EnableTerm.size() == 1 && abelc::IsUniverse(c.EnableTerm[0]))) {
      t += Sum(l, c.EnableTerm, "  " + n + ".OE = ") + "\r\n";
    }
    if (c.Registered && l.SharedControls()) {
      if (!l.Reset.empty()) t += Sum(l, l.Reset, "  " + n + ".AR = ") + "\r\n";
      if (!l.Preset.empty()) t += Sum(l, l.Preset, "  " + n + ".SP = ") + "\r\n";
    }
  }
  t += "\r\n" + SignatureFuses(l);
  t += "\r\nEND " + module + "\r\n";
  return t;
}
