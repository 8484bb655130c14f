// Reading a GAL fuse map back into equations: the mode, each cell's rows and
// architecture fuses, which pins the logic reads, and the printed form.
#include "logic/map_logic.h"

#include <algorithm>
#include <bit>
#include <utility>

#include "abelc/minimise.h"
#include "devices/device_families.h"

namespace {

using abelc::Cover;
using abelc::Cube;

std::string DefaultPinName(const abelc::GalArchitecture& arch, int pin) {
  return (arch.IsCellPin(pin) ? "IO" : "I") + std::to_string(pin);
}

class Decoder {
 public:
  explicit Decoder(MapLogic& logic) : l_(logic), a_(*logic.Arch) {}
  void Run();

 private:
  bool Fuse(int n) const { return l_.Fuses[static_cast<std::size_t>(n)] != 0; }
  // The row as a cube; nothing when the row can never be true.
  std::optional<Cube> Row(int row) const;
  void AddRows(Cover& cover, int first, int count) const;
  std::vector<bool> PinsRead() const;
  void Note(const Cover& cover, std::vector<bool>& read) const;

  MapLogic& l_;
  const abelc::GalArchitecture& a_;
  std::vector<bool> swapped_;  // per pin: the true column carries the pin's complement
};

std::optional<Cube> Decoder::Row(int row) const {
  if (a_.IsV8() && !Fuse(a_.ptd_base + row)) return std::nullopt;
  Cube cube;
  const int base = row * a_.columns;
  for (int k = 0; k < a_.columns / 2; ++k) {
    bool high = !Fuse(base + 2 * k), low = !Fuse(base + 2 * k + 1);
    if (!high && !low) continue;
    if (high && low) return std::nullopt;
    if (swapped_[static_cast<std::size_t>(l_.VariablePin[static_cast<std::size_t>(k)])]) std::swap(high, low);
    const std::uint64_t bit = std::uint64_t{1} << k;
    if (high) cube.zero &= ~bit;
    if (low) cube.one &= ~bit;
  }
  return cube;
}

void Decoder::AddRows(Cover& cover, int first, int count) const {
  for (int row = first; row < first + count; ++row) {
    if (std::optional<Cube> cube = Row(row)) cover.push_back(*cube);
  }
}

void Decoder::Note(const Cover& cover, std::vector<bool>& read) const {
  for (const Cube& c : cover) {
    for (std::uint64_t lits = abelc::LiteralMask(c); lits; lits &= lits - 1) {
      read[static_cast<std::size_t>(l_.VariablePin[static_cast<std::size_t>(std::countr_zero(lits))])] = true;
    }
  }
}

// The pins read by the cells that drive their pins, and by the 22V10's
// reset and preset when a register uses them.
std::vector<bool> Decoder::PinsRead() const {
  std::vector<bool> read(static_cast<std::size_t>(a_.pins) + 1, false);
  bool registers = false;
  for (const CellLogic& c : l_.Cells) {
    if (c.Role != CellRole::Output) continue;
    Note(c.Terms, read);
    Note(c.SumA, read);
    Note(c.SumB, read);
    Note(c.EnableTerm, read);
    if (c.Registered) {
      Note(c.ClockTerm, read);
      Note(c.ResetTerm, read);
      Note(c.PresetTerm, read);
    }
    registers = registers || c.Registered;
  }
  if (registers) {
    Note(l_.Reset, read);
    Note(l_.Preset, read);
  }
  return read;
}

void Decoder::Run() {
  using abelc::GalMode;
  if (a_.IsV8()) {
    const bool syn = Fuse(a_.syn), ac0 = Fuse(a_.ac0);
    // SYN = 0 with AC0 = 0 is no defined mode; the chip then behaves as registered.
    l_.Mode = !syn ? GalMode::Registered : ac0 ? GalMode::Complex : GalMode::Simple;
  } else if (a_.IsXv()) {
    l_.Mode = Fuse(a_.xor_map->mode_fuse) ? GalMode::Inputs : GalMode::Feedback;
  } else {
    l_.Mode = GalMode::Macrocells;
  }
  l_.VariablePin.assign(static_cast<std::size_t>(a_.columns / 2), 0);
  for (int pin = 1; pin <= a_.pins; ++pin) {
    const int column = abelc::ReadColumn(a_, l_.Mode, pin);
    if (column >= 0) l_.VariablePin[static_cast<std::size_t>(column / 2)] = pin;
  }
  swapped_.assign(static_cast<std::size_t>(a_.pins) + 1, false);
  for (std::size_t i = 0; i < a_.cells.size(); ++i) {
    const abelc::OutputCell& cell = a_.cells[i];
    CellLogic c;
    c.Pin = cell.pin;
    c.Index = static_cast<int>(i);
    if (a_.IsV8()) {
      c.ActiveHigh = Fuse(a_.xor_base + c.Index);
      c.Ac1 = Fuse(a_.ac1_base + c.Index);
      c.Registered = l_.Mode == GalMode::Registered && !c.Ac1;
      c.ReadsRegister = c.Registered;
      c.Enable = l_.Mode == GalMode::Simple ? EnableKind::Always
                 : c.Registered             ? EnableKind::OePin
                                            : EnableKind::Term;
    } else if (a_.IsXv()) {
      // The array reads a register's pin level (/Q); an XOR cell is enabled by pin 13.
      const galmaps::XorMap& map = *a_.xor_map;
      c.Registered = !Fuse(map.Register(c.Index));
      c.ReadsRegister = c.Registered;
      c.XorSums = !Fuse(map.Xor(c.Index));
      c.ActiveHigh = !c.XorSums && !Fuse(map.Polarity(c.Index));
      c.Enable = c.XorSums ? EnableKind::OePin : EnableKind::Term;
      if (c.XorSums) {
        AddRows(c.SumA, cell.first_row, 2);
        AddRows(c.SumB, cell.first_row + 2, 2);
        c.Terms = abelc::Xor(c.SumA, c.SumB);
        c.Role = CellRole::Output;
      }
    } else {
      const galmaps::MacrocellMap& map = *a_.map;
      c.ActiveHigh = Fuse(map.S0(c.Index));
      c.Enable = EnableKind::Term;
      if (l_.CellControls()) {
        // GAL20RA10: reset and preset rows both true bypass the register.
        // The array reads the pin, which shows the sum or its complement.
        AddRows(c.ClockTerm, map.ClockRow(c.Index), 1);
        AddRows(c.ResetTerm, map.CellResetRow(c.Index), 1);
        AddRows(c.PresetTerm, map.CellPresetRow(c.Index), 1);
        auto always = [](const Cover& t) { return t.size() == 1 && abelc::IsUniverse(t[0]); };
        c.Registered = !(always(c.ResetTerm) && always(c.PresetTerm));
        c.ReadsRegister = c.Registered;
        if (!c.Registered) {
          c.ClockTerm.clear();
          c.ResetTerm.clear();
          c.PresetTerm.clear();
        }
        l_.Cells.push_back(c);
        continue;
      }
      c.Registered = !Fuse(map.S1(c.Index));
      c.ReadsRegister = c.Registered;
      if (map.clock_base >= 0) {  // GAL26V12
        if (c.Registered && !Fuse(map.ClockSelect(c.Index))) c.ClockPin = map.second_clock;
        // The array reads the pin where the feedback fuse equals S1, else /Q.
        c.ReadsRegister = Fuse(map.FeedbackSelect(c.Index)) == c.Registered;
      }
      // A register feeds the array from /Q; an active-high pin shows Q.
      swapped_[static_cast<std::size_t>(c.Pin)] = c.Registered && c.ReadsRegister && c.ActiveHigh;
    }
    l_.Cells.push_back(c);
  }
  for (CellLogic& c : l_.Cells) {
    const abelc::OutputCell& cell = a_.cells[static_cast<std::size_t>(c.Index)];
    if (c.XorSums) continue;
    if (c.Enable == EnableKind::Term) {
      AddRows(c.EnableTerm, cell.first_row, 1);
      const int sums = l_.CellControls() ? a_.map->FirstSum(c.Index) : cell.first_row + 1;
      AddRows(c.Terms, sums, cell.rows - 1);
    } else {
      AddRows(c.Terms, cell.first_row, cell.rows);
    }
    const bool buffer_off = l_.Mode == GalMode::Simple && c.Ac1;
    if (!buffer_off && (c.Enable != EnableKind::Term || !c.EnableTerm.empty())) c.Role = CellRole::Output;
  }
  if (l_.SharedControls()) {
    AddRows(l_.Reset, a_.ar_row, 1);
    AddRows(l_.Preset, a_.sp_row, 1);
  }
  // A macrocell register that never drives its pin still feeds the array
  // from its flip-flop: when the logic reads it, it is part of the design.
  // Reading it may make more read.
  for (bool more = true; more;) {
    more = false;
    const std::vector<bool> read = PinsRead();
    for (CellLogic& c : l_.Cells) {
      if (c.Role == CellRole::Output || !read[static_cast<std::size_t>(c.Pin)]) continue;
      // The GAL20RA10 reads a register only at its pin, which it never drives.
      if (c.Registered && c.ReadsRegister && !l_.CellControls()) {
        c.Role = CellRole::Output;
        more = true;
      } else {
        c.Role = CellRole::Input;
      }
    }
  }
  // The minimised terms in a stable order: by their literals' pins.
  auto key = [this](const Cube& c) {
    std::vector<int> k;
    for (std::uint64_t lits = abelc::LiteralMask(c); lits; lits &= lits - 1) {
      const int v = std::countr_zero(lits);
      k.push_back(l_.VariablePin[static_cast<std::size_t>(v)] * 2 + (((c.one >> v) & 1) ? 0 : 1));
    }
    std::sort(k.begin(), k.end());
    return k;
  };
  for (CellLogic& c : l_.Cells) {
    l_.HasRegisters = l_.HasRegisters || (c.Role == CellRole::Output && c.Registered);
    if (c.Role != CellRole::Output) continue;
    if (!abelc::MinimiseCover(c.Terms, {}, c.Minimised)) c.Minimised = c.Terms;
    std::stable_sort(c.Minimised.begin(), c.Minimised.end(),
                     [&key](const Cube& a, const Cube& b) { return key(a) < key(b); });
  }
}

std::string Lhs(const MapLogic& l, const CellLogic& c) {
  return (c.ActiveHigh ? "" : "!") + l.PinNames[static_cast<std::size_t>(c.Pin)];
}

std::string CoverText(const MapLogic& l, const Cover& cover, const std::string& head) {
  std::string text = head;
  if (cover.empty()) return text + "0;";
  std::vector<std::string> terms;
  for (const Cube& c : cover) terms.push_back(TermText(l, c));
  for (std::size_t i = 0; i < terms.size(); ++i) {
    if (i > 0) text += "\n" + std::string(head.size() - 2, ' ') + "# ";
    text += terms[i];
  }
  return text + ";";
}

void AddLines(std::vector<std::string>& lines, const std::string& text) {
  std::size_t start = 0;
  for (std::size_t nl = text.find('\n'); nl != std::string::npos; nl = text.find('\n', start)) {
    lines.push_back(text.substr(start, nl - start));
    start = nl + 1;
  }
  lines.push_back(text.substr(start));
}

bool Shorter(const Cover& a, const Cover& b) {
  return a.size() < b.size() || (a.size() == b.size() && abelc::TotalLiterals(a) < abelc::TotalLiterals(b));
}

}  // namespace

const CellLogic* MapLogic::CellAt(int pin) const {
  for (const CellLogic& c : Cells) {
    if (c.Pin == pin) return &c;
  }
  return nullptr;
}

bool MapLogic::CellControls() const {
  return Arch->map && !Arch->map->SharedControls();
}

bool MapLogic::SharedControls() const {
  return Arch->map && Arch->map->SharedControls();
}

bool MapLogic::IsRegisterPin(int pin) const {
  const CellLogic* c = CellAt(pin);
  return c && c->Registered && c->Role == CellRole::Output && c->ReadsRegister;
}

bool MapLogic::IsRegisterReadAtPin(int pin) const {
  const CellLogic* c = CellAt(pin);
  return c && c->Registered && c->Role == CellRole::Output && !c->ReadsRegister;
}

const abelc::GalArchitecture* ArchitectureOf(std::int32_t deviceCode) {
  if (Is16V8Family(deviceCode)) return &abelc::DeviceOf(abelc::Family::Gal16V8);
  if (Is20V8Family(deviceCode)) return &abelc::DeviceOf(abelc::Family::Gal20V8);
  if (Is22V10Family(deviceCode)) return &abelc::DeviceOf(abelc::Family::Gal22V10);
  if (Is18V10Family(deviceCode)) return &abelc::DeviceOf(abelc::Family::Gal18V10);
  if (Is26CV12Family(deviceCode)) return &abelc::DeviceOf(abelc::Family::Gal26CV12);
  if (Is26V12Family(deviceCode)) return &abelc::DeviceOf(abelc::Family::Gal26V12);
  if (Is20RA10Family(deviceCode)) return &abelc::DeviceOf(abelc::Family::Gal20RA10);
  if (Is20XV10Family(deviceCode)) return &abelc::DeviceOf(abelc::Family::Gal20XV10);
  if (Is6001Family(deviceCode))
    return &abelc::DeviceOf(deviceCode == 68 ? abelc::Family::Gal6002 : abelc::Family::Gal6001);
  return nullptr;
}

std::optional<MapLogic> DecodeMap(std::int32_t deviceCode, const std::string& deviceName,
                                  const std::vector<std::uint8_t>& fuses,
                                  const std::vector<std::string>& pinNames, const std::string& namesFrom,
                                  const std::vector<std::string>& nodeNames) {
  const abelc::GalArchitecture* arch = ArchitectureOf(deviceCode);
  if (!arch) return std::nullopt;
  const std::size_t needed = static_cast<std::size_t>(arch->IsV8() ? arch->fuses : arch->ues_base);
  if (fuses.size() < needed) return std::nullopt;
  MapLogic logic;
  logic.Arch = arch;
  logic.DeviceName = deviceName;
  logic.Fuses = fuses;
  logic.MapFuses = fuses.size();
  logic.Fuses.resize(static_cast<std::size_t>(arch->fuses), 0);
  logic.NamesFrom = namesFrom;
  logic.PinNames.assign(static_cast<std::size_t>(arch->pins) + 1, "");
  for (int pin = 1; pin <= arch->pins; ++pin) {
    const std::size_t p = static_cast<std::size_t>(pin);
    logic.PinNames[p] =
        p < pinNames.size() && !pinNames[p].empty() ? pinNames[p] : DefaultPinName(*arch, pin);
  }
  if (abelc::IsPlaFamily(arch->family)) {
    logic.GivenNodeNames = nodeNames;
    DecodePla(logic);
  } else {
    Decoder(logic).Run();
  }
  return logic;
}

std::string TermText(const MapLogic& l, const Cube& term) {
  std::vector<std::pair<int, std::string>> literals;
  for (std::uint64_t lits = abelc::LiteralMask(term); lits; lits &= lits - 1) {
    const int k = std::countr_zero(lits);
    const int pin = l.VariablePin[static_cast<std::size_t>(k)];
    const bool negated = ((term.one >> k) & 1) == 0;
    if (!l.VariableNames.empty()) {  // a logic array's columns, in their order
      literals.push_back({k, (negated ? "!" : "") + l.VariableNames[static_cast<std::size_t>(k)]});
      continue;
    }
    const char* feedback = l.IsRegisterPin(pin) ? ".FB" : l.IsRegisterReadAtPin(pin) ? ".PIN" : "";
    literals.push_back({pin, (negated ? "!" : "") + l.PinNames[static_cast<std::size_t>(pin)] + feedback});
  }
  if (literals.empty()) return "1";
  std::sort(literals.begin(), literals.end());
  std::string text;
  for (const auto& literal : literals) text += (text.empty() ? "" : " & ") + literal.second;
  return text;
}

std::string SumText(const MapLogic& l, const Cover& sum) {
  std::string text;
  for (const Cube& t : sum) text += (text.empty() ? "" : " # ") + TermText(l, t);
  return text.empty() ? "0" : text;
}

std::string XorText(const MapLogic& l, const CellLogic& c) {
  return "(" + SumText(l, c.SumA) + ") $ (" + SumText(l, c.SumB) + ")";
}

std::vector<std::string> EquationLines(const MapLogic& l) {
  if (l.Pla) return PlaEquationLines(l);
  std::vector<std::string> lines;
  std::string heading = "Equations of the " + l.DeviceName + " fuse map";
  if (l.Arch->IsV8()) heading += std::string(", ") + abelc::ModeName(l.Mode) + " mode";
  if (!l.NamesFrom.empty()) heading += " (pin names from " + l.NamesFrom + ")";
  lines.push_back(heading + ":");
  std::vector<const CellLogic*> cells;
  for (const CellLogic& c : l.Cells) cells.push_back(&c);
  std::sort(cells.begin(), cells.end(),
            [](const CellLogic* a, const CellLogic* b) { return a->Pin < b->Pin; });
  for (const CellLogic* c : cells) {
    const std::string& name = l.PinNames[static_cast<std::size_t>(c->Pin)];
    std::string head = name + ", pin " + std::to_string(c->Pin) + ": ";
    if (c->Role == CellRole::Unused) {
      lines.push_back(head + "not used");
      continue;
    }
    if (c->Role == CellRole::Input) {
      lines.push_back(head + "input");
      continue;
    }
    head += c->Registered ? "registered" : "combinational";
    const bool always =
        c->Enable == EnableKind::Always ||
        (c->Enable == EnableKind::Term && c->EnableTerm.size() == 1 && IsUniverse(c->EnableTerm[0]));
    if (!always) head += ", tri-state";
    if (c->XorSums) head += ", XOR of two sums";
    lines.push_back(head + (c->ActiveHigh ? ", active high" : ", active low"));
    const std::string lhs = "    " + Lhs(l, *c) + (c->Registered ? " := " : " = ");
    if (c->XorSums) {
      lines.push_back(lhs + XorText(l, *c) + ";");
      lines.push_back("  as one sum, " + std::to_string(c->Minimised.size()) + " terms:");
      AddLines(lines, CoverText(l, c->Minimised, lhs));
    } else {
      AddLines(lines, CoverText(l, c->Terms, lhs));
    }
    if (!c->XorSums && Shorter(c->Minimised, c->Terms)) {
      lines.push_back("  minimised, " + std::to_string(c->Minimised.size()) + " of " +
                      std::to_string(c->Terms.size()) + " terms:");
      AddLines(lines, CoverText(l, c->Minimised, lhs));
    }
    if (c->Registered && l.CellControls()) {
      lines.push_back(CoverText(l, c->ClockTerm, "    " + name + ".CLK = "));
      if (!c->ResetTerm.empty()) lines.push_back(CoverText(l, c->ResetTerm, "    " + name + ".AR = "));
      if (!c->PresetTerm.empty()) lines.push_back(CoverText(l, c->PresetTerm, "    " + name + ".AP = "));
    } else if (c->Registered && l.Arch->map && l.Arch->map->clock_base >= 0) {
      lines.push_back("    " + name + ".CLK = " + l.PinNames[static_cast<std::size_t>(c->ClockPin)] + ";");
    }
    if (c->Enable == EnableKind::OePin) {
      lines.push_back("    " + name + ".OE = !" + l.PinNames[static_cast<std::size_t>(l.Arch->oe_pin)] + ";");
    } else if (c->Enable == EnableKind::Term) {
      lines.push_back(CoverText(l, c->EnableTerm, "    " + name + ".OE = "));
    }
  }
  if (l.HasRegisters && l.SharedControls()) {
    lines.push_back("Reset of every register (asynchronous):");
    lines.push_back(CoverText(l, l.Reset, "    AR = "));
    lines.push_back("Preset of every register (at the clock):");
    lines.push_back(CoverText(l, l.Preset, "    SP = "));
  }
  return lines;
}

std::vector<std::string> CellKindLines(const MapLogic& l) {
  std::vector<const CellLogic*> cells;
  for (const CellLogic& c : l.Cells) cells.push_back(&c);
  std::sort(cells.begin(), cells.end(),
            [](const CellLogic* a, const CellLogic* b) { return a->Pin < b->Pin; });
  std::vector<std::string> lines;
  for (const CellLogic* c : cells) {
    std::string line = "pin " + std::to_string(c->Pin);
    if (!l.NamesFrom.empty()) line += " (" + l.PinNames[static_cast<std::size_t>(c->Pin)] + ")";
    if (c->Role == CellRole::Unused) {
      line += ": not used";
    } else if (c->Role == CellRole::Input) {
      line += ": input";
    } else {
      line += c->Registered ? ": registered" : ": combinational";
      if (c->XorSums) line += ", XOR of two sums";
      line += c->ActiveHigh ? ", active high" : ", active low";
    }
    lines.push_back(line);
  }
  return lines;
}
