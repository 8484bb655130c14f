// Elaboration, part one: the module's declarations, the walk over its items
// in source order, and the finished outputs of the logic model.
#include "abelc/elaborate.h"

#include <algorithm>

#include "abelc/ascii_case.h"
#include "abelc/elaborator.h"
#include "abelc/gal_devices.h"

namespace abelc {

LogicModel Elaborate(const Module& module, Diagnostics& diags) {
  Elaborator e(diags);
  return e.Run(module);
}

bool InvertsRegister(const LogicModel& m, const Output& o) {
  const Attributes& a = m.signals[static_cast<std::size_t>(o.signal)].attrs;
  if (a.invert || o.inverter == Inverter::Invert) return true;
  if (a.buffer || o.inverter == Inverter::Buffer) return false;
  // The GAL20RA10's and GAL20XV10's registers always drive their pins through an inverter.
  return m.device.family == Family::Gal16V8 || m.device.family == Family::Gal20V8 ||
         m.device.family == Family::Gal20RA10 || m.device.family == Family::Gal20XV10;
}

namespace {

std::string Upper(std::string s) {
  ConvertCase(s, kUpperAscii);
  return s;
}

// Device strings: the P-names of the device library with their mode
// suffixes (and the zero-power Z and high-speed H variants of the 16V8 and
// 20V8), the GAL and ATF spellings. A forced mode comes back in `mode`.
// `plcc` is set for the library's PLCC strings, which name the same chips in
// a package the program does not handle.
Family FamilyOf(const std::string& part, char& mode, bool& plcc) {
  mode = 0;
  plcc = false;
  static const struct {
    const char* name;
    Family family;
    char mode;
  } kParts[] = {
      {"P16V8", Family::Gal16V8, 0},       {"P16V8R", Family::Gal16V8, 'R'},
      {"P16V8C", Family::Gal16V8, 'C'},    {"P16V8S", Family::Gal16V8, 'S'},
      {"P16V8AS", Family::Gal16V8, 'S'},   {"P16V8Z", Family::Gal16V8, 0},
      {"P16V8ZR", Family::Gal16V8, 'R'},   {"P16V8ZC", Family::Gal16V8, 'C'},
      {"P16V8ZS", Family::Gal16V8, 'S'},   {"P16V8HR", Family::Gal16V8, 'R'},
      {"P16V8HC", Family::Gal16V8, 'C'},   {"P16V8HS", Family::Gal16V8, 'S'},
      {"P20V8", Family::Gal20V8, 0},       {"P20V8R", Family::Gal20V8, 'R'},
      {"P20V8C", Family::Gal20V8, 'C'},    {"P20V8S", Family::Gal20V8, 'S'},
      {"P20V8AS", Family::Gal20V8, 'S'},   {"P20V8Z", Family::Gal20V8, 0},
      {"P20V8ZR", Family::Gal20V8, 'R'},   {"P20V8ZC", Family::Gal20V8, 'C'},
      {"P20V8ZS", Family::Gal20V8, 'S'},   {"P22V10", Family::Gal22V10, 0},
      {"P22V10G", Family::Gal22V10, 0},    {"GAL16V8", Family::Gal16V8, 0},
      {"GAL16V8R", Family::Gal16V8, 'R'},  {"GAL16V8C", Family::Gal16V8, 'C'},
      {"GAL16V8S", Family::Gal16V8, 'S'},  {"GAL16V8AS", Family::Gal16V8, 'S'},
      {"GAL20V8", Family::Gal20V8, 0},     {"GAL20V8R", Family::Gal20V8, 'R'},
      {"GAL20V8C", Family::Gal20V8, 'C'},  {"GAL20V8S", Family::Gal20V8, 'S'},
      {"GAL20V8AS", Family::Gal20V8, 'S'}, {"GAL22V10", Family::Gal22V10, 0},
      {"GAL22V10G", Family::Gal22V10, 0},  {"ATF16V8", Family::Gal16V8, 0},
      {"ATF16V8B", Family::Gal16V8, 0},    {"ATF16V8C", Family::Gal16V8, 0},
      {"ATF20V8", Family::Gal20V8, 0},     {"ATF20V8B", Family::Gal20V8, 0},
      {"ATF22V10", Family::Gal22V10, 0},   {"ATF22V10B", Family::Gal22V10, 0},
      {"ATF22V10C", Family::Gal22V10, 0},  {"P18V10G", Family::Gal18V10, 0},
      {"GAL18V10", Family::Gal18V10, 0},   {"P26CV12", Family::Gal26CV12, 0},
      {"GAL26CV12", Family::Gal26CV12, 0}, {"P26V12", Family::Gal26V12, 0},
      {"GAL26V12", Family::Gal26V12, 0},   {"P20RA10", Family::Gal20RA10, 0},
      {"P20RA10G", Family::Gal20RA10, 0},  {"GAL20RA10", Family::Gal20RA10, 0},
      {"P20XV10", Family::Gal20XV10, 0},   {"GAL20XV10", Family::Gal20XV10, 0},
      {"F6001", Family::Gal6001, 0},       {"GAL6001", Family::Gal6001, 0},
      {"F6002", Family::Gal6002, 0},       {"GAL6002", Family::Gal6002, 0},
      {"GAL6002B", Family::Gal6002, 0},
  };
  for (const auto& p : kParts) {
    if (part == p.name) {
      mode = p.mode;
      return p.family;
    }
  }
  for (const char* name :
       {"P16V8HCC", "P16V8HRC", "P16V8HSC", "P16V8HDC", "P20V8ASC", "P20V8CC", "P20V8LCC", "P20V8RC",
        "P20V8SC", "P20V8ZCC", "P20V8ZLC", "P20V8ZRC", "P20V8ZSC", "P22V10C", "P22V10GC", "P22V10IC"}) {
    plcc = plcc || part == name;
  }
  return Family::Unknown;
}

int PinCount(Family f) {
  return DeviceOf(f).pins;
}

}  // namespace

void Elaborator::Fail(SourcePos pos, const std::string& message) {
  if (use_.line != 0) {
    diags_.Error(use_, message + use_note_);
    throw Failure{};
  }
  diags_.Error(pos, message);
  throw Failure{};
}

LogicModel Elaborator::Run(const Module& module) {
  m_.module = module.name;
  m_.title = module.title;
  m_.reduce_by_pin = module.reduce_by_pin;
  SetWorkBudget(50'000'000);
  for (const Item& item : module.items) {
    try {
      std::visit(
          [this](const auto& x) {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, EquationBlock>) {
              Statements(x.stmts, True());
            } else if constexpr (std::is_same_v<T, TruthTable>) {
              Table(x);
            } else if constexpr (std::is_same_v<T, StateDiagram>) {
              Diagram(x);
            } else if constexpr (std::is_same_v<T, TestVectors>) {
              Vectors(x);
            } else if constexpr (std::is_same_v<T, Message>) {
              m_.messages.push_back(x.text);
            } else {
              Declare(x);
            }
          },
          item);
    } catch (Failure&) {
    }
  }
  try {
    Finish();
  } catch (Failure&) {
  }
  return std::move(m_);
}

void Elaborator::Declare(const DeviceDecl& d) {
  if (!m_.device.part.empty()) Fail(d.pos, "a module has only one DEVICE declaration");
  m_.device.id = d.id;
  m_.device.part = Upper(d.part);
  bool plcc = false;
  m_.device.family = FamilyOf(m_.device.part, m_.device.forced_mode, plcc);
  if (plcc) {
    Fail(d.part_pos,
         "'" + d.part +
             "' is a PLCC package; the program's devices are DIP parts (name the DIP part, such as "
             "'P16V8', 'P20V8' or 'P22V10')");
  }
  if (m_.device.family == Family::Unknown) {
    Fail(d.part_pos, "unknown device '" + d.part +
                         "' (GAL16V8, GAL20V8, GAL22V10, GAL18V10, GAL26CV12, GAL26V12 and GAL20RA10 parts "
                         "are known)");
  }
}

int Elaborator::SignalIndex(const std::string& name) const {
  auto it = signal_index_.find(name);
  return it == signal_index_.end() ? -1 : it->second;
}

// The message for a name that is not declared, with a hint when only the
// case differs.
std::string Elaborator::Undeclared(const std::string& name) const {
  std::string text = "'" + name + "' is not declared";
  for (const auto& [other, index] : signal_index_) {
    if (SameIgnoringCase(other, name))
      return text + "; names are case-sensitive, did you mean '" + other + "'?";
  }
  for (const auto& [other, c] : constants_) {
    if (SameIgnoringCase(other, name))
      return text + "; names are case-sensitive, did you mean '" + other + "'?";
  }
  return text;
}

// A refused declaration is an error, but its names are declared all the
// same, so that their uses are not errors too.
void Elaborator::Declare(const PinDecl& d) {
  if (!d.numbers.empty() && d.numbers.size() != d.names.size()) {
    diags_.Error(d.numbers_pos, std::to_string(d.names.size()) + " names but " +
                                    std::to_string(d.numbers.size()) + " numbers in the " +
                                    (d.node ? "NODE" : "PIN") + " declaration");
  }
  for (std::size_t i = 0; i < d.names.size(); ++i) {
    const DeclName& n = d.names[i];
    if (SignalIndex(n.name) >= 0 || constants_.count(n.name)) {
      diags_.Error(n.pos, "'" + n.name + "' is already declared");
      continue;
    }
    Signal s;
    s.name = n.name;
    s.active_low = n.active_low;
    s.node = d.node;
    s.pos = n.pos;
    if (i < d.numbers.size()) {
      s.pin = d.numbers[i];
      for (const Signal& other : m_.signals) {
        if (other.pin == s.pin && other.node == s.node) {
          diags_.Error(d.numbers_pos, std::string(d.node ? "node " : "pin ") + std::to_string(s.pin) +
                                          " is already given to '" + other.name + "'");
          break;
        }
      }
      if (!d.node && m_.device.family != Family::Unknown) {
        int count = PinCount(m_.device.family);
        if (s.pin < 1 || s.pin > count) {
          diags_.Error(d.numbers_pos, "pin " + std::to_string(s.pin) + " does not exist on a " +
                                          std::to_string(count) + "-pin device");
        } else if (s.pin == DeviceOf(m_.device.family).gnd || s.pin == DeviceOf(m_.device.family).vcc) {
          diags_.Error(d.numbers_pos, "pin " + std::to_string(s.pin) + " is " +
                                          (s.pin == DeviceOf(m_.device.family).vcc ? "VCC" : "GND"));
        }
      }
    }
    ApplyAttributes(s, d.attributes, d.attr_pos);
    signal_index_[s.name] = static_cast<int>(m_.signals.size());
    m_.signals.push_back(s);
  }
}

void Elaborator::Declare(const IstypeDecl& d) {
  for (const DeclName& n : d.names) {
    int s = SignalIndex(n.name);
    if (s < 0) Fail(n.pos, Undeclared(n.name));
    ApplyAttributes(m_.signals[static_cast<std::size_t>(s)], d.attributes, d.pos);
  }
}

void Elaborator::ApplyAttributes(Signal& s, const std::vector<std::string>& attrs, SourcePos pos) {
  Attributes& a = s.attrs;
  for (const std::string& attr : attrs) {
    static const struct {
      const char* name;
      bool Attributes::*flag;
      bool Attributes::*conflict;
      bool Attributes::*conflict2;
    } kAttrs[] = {
        {"com", &Attributes::com, &Attributes::reg, &Attributes::reg_d},
        {"reg", &Attributes::reg, &Attributes::com, &Attributes::reg_d},
        {"reg_d", &Attributes::reg_d, &Attributes::com, &Attributes::reg},
        {"buffer", &Attributes::buffer, &Attributes::invert, &Attributes::invert},
        {"invert", &Attributes::invert, &Attributes::buffer, &Attributes::buffer},
        {"pos", &Attributes::pos, &Attributes::neg, &Attributes::neg},
        {"neg", &Attributes::neg, &Attributes::pos, &Attributes::pos},
    };
    bool known = false;
    for (const auto& k : kAttrs) {
      if (attr != k.name) continue;
      known = true;
      for (bool Attributes::*c : {k.conflict, k.conflict2}) {
        if (!(a.*c)) continue;
        const char* other = "";
        for (const auto& o : kAttrs) {
          if (o.flag == c) other = o.name;
        }
        diags_.Error(pos, "'" + s.name + "' is already '" + other + "' and cannot also be '" + attr + "'");
        break;
      }
      if (!(a.*(k.conflict)) && !(a.*(k.conflict2))) a.*(k.flag) = true;
    }
    if (known) continue;
    if (attr == "xor") {
      a.xor_gate = true;
      continue;
    }
    if (attr == "reg_t" || attr == "reg_jk" || attr == "reg_sr" || attr == "reg_g") {
      diags_.Error(pos, "register type '" + attr + "' is not available on GAL devices");
      continue;
    }
    diags_.Warning(pos, "unknown attribute '" + attr + "' is ignored");
  }
}

void Elaborator::Declare(const ConstDecl& d) {
  for (std::size_t i = 0; i < d.names.size(); ++i) {
    const std::string& name = d.names[i].name;
    if (SignalIndex(name) >= 0) Fail(d.names[i].pos, "'" + name + "' is already declared as a signal");
    constants_[name] = {&d, d.values[i]};
  }
}

// Turns the collected equations into the model's outputs, in signal order.
void Elaborator::Declare(const FuseSetting& f) {
  Value v = Eval(f.value, "");
  if (v.kind != Value::Kind::Number) Fail(f.value->pos, "a FUSES value must be a number");
  const int fuses = m_.device.family == Family::Unknown ? 0 : DeviceOf(m_.device.family).fuses;
  for (std::uint64_t n : {f.first, f.last}) {
    if (fuses > 0 && n >= static_cast<std::uint64_t>(fuses)) {
      Fail(f.pos, "fuse " + std::to_string(n) + " does not exist on the " + m_.device.part + " (fuses 0 to " +
                      std::to_string(fuses - 1) + ")");
    }
  }
  const std::uint64_t count = (f.first <= f.last ? f.last - f.first : f.first - f.last) + 1;
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint64_t fuse = f.first <= f.last ? f.first + i : f.first - i;
    const std::uint64_t shift = count - 1 - i;
    const int bit = shift < 64 && ((v.number >> shift) & 1) ? 1 : 0;
    m_.forced_fuses.push_back({static_cast<int>(fuse), bit});
  }
}

void Elaborator::Finish() {
  for (std::size_t si = 0; si < m_.signals.size(); ++si) {
    const Signal& s = m_.signals[si];
    const int sig = static_cast<int>(si);
    Output o;
    o.signal = sig;
    bool any = false;
    auto function = [&](const std::string& ext, bool data) -> std::optional<Function> {
      auto it = slots_.find({sig, ext});
      if (it == slots_.end()) return std::nullopt;
      any = true;
      const Slot& slot = it->second;
      Function f;
      f.pos = slot.first;
      f.on = slot.has_neg ? Or(slot.pos, Not(slot.neg)) : slot.pos;
      // An active-low pin shows the complement of its signal; a '.D' equation
      // is the flip-flop's input as written, whatever the pin's declaration.
      if (data && s.active_low && !slot.d_ext) f.on = Not(f.on);
      f.dc = slot.dc;
      return f;
    };
    o.logic = function("", true);
    o.clock = function("CLK", false);
    o.reset = function("AR", false);
    o.preset = function("SP", false);
    o.enable = function("OE", false);
    o.clock_enable = function("CE", false);
    o.latch_enable = function("LE", false);
    if (!any) continue;
    if (s.pin == 0 && !s.node && m_.device.family != Family::Unknown) {
      diags_.Warning(s.pos, "output '" + s.name + "' has no pin number");
    }
    auto logic = slots_.find({sig, ""});
    if (logic != slots_.end()) {
      const Slot& slot = logic->second;
      if (slot.com_op && (slot.reg_op || slot.d_ext)) {
        Fail(slot.first, "'" + s.name + "' is assigned both with '=' and as a register");
      }
      if (slot.reg_op && slot.d_ext)
        Fail(slot.first, "'" + s.name + "' is assigned both with ':=' and with '.D'");
      o.registered = slot.reg_op || slot.d_ext;
      o.detailed = slot.d_ext;
      if (slot.com_op && !o.registered && (s.attrs.reg || s.attrs.reg_d)) {
        // As the classic compiler does: the '=' wins, with a warning.
        diags_.Warning(slot.first, "'" + s.name +
                                       "' is declared registered but assigned with '='; it is built " +
                                       "combinational (assign it with ':=' or '.D' for a register)");
      }
      if (slot.reg_op && s.attrs.com) {
        diags_.Warning(slot.first, "':=' makes '" + s.name + "', declared 'com', a registered output");
      }
    } else {
      o.registered = s.attrs.reg || s.attrs.reg_d;
    }
    if (logic != slots_.end() && logic->second.equations == 1 && logic->second.xor_sides &&
        s.attrs.xor_gate && logic->second.dc.empty()) {
      o.xor_sides = logic->second.xor_sides;
      if (s.active_low) o.xor_sides->second = Not(o.xor_sides->second);
    }
    o.polarity = s.attrs.pos ? Polarity::Pos : s.attrs.neg ? Polarity::Neg : Polarity::Auto;
    o.inverter = s.attrs.buffer ? Inverter::Buffer : s.attrs.invert ? Inverter::Invert : Inverter::Unknown;
    if (m_.device.family == Family::Gal20RA10 && o.registered) {
      if (s.attrs.buffer) {
        Fail(s.pos, "'" + s.name + "' cannot be 'buffer': the registers of the GAL20RA10 always invert");
      }
      o.inverter = Inverter::Invert;
    } else if (IsMacrocellFamily(m_.device.family) && o.registered && o.inverter == Inverter::Unknown &&
               (o.reset || o.preset)) {
      // A reset or preset, and power-up, reach the pin through the inverter:
      // the pin keeps the level the declaration gives it, the flip-flop's 0
      // showing the signal false. A '.D' written for an active-low pin is
      // then the flip-flop's input as written, behind the inverter.
      o.inverter = s.active_low ? Inverter::Invert : Inverter::Buffer;
      if (s.active_low) {
        diags_.Warning(s.pos, "neither 'invert' nor 'buffer' is given for '" + s.name +
                                  "', which has a reset or preset: it is built 'invert', so that its pin "
                                  "keeps the level declared (active low)");
      }
    }
    if (o.registered && !o.logic) {
      Fail(s.pos, "registered output '" + s.name + "' has a clock or reset but no D equation");
    }
    if (!o.registered && (o.clock || o.reset || o.preset)) {
      SourcePos at = (o.clock ? o.clock : o.reset ? o.reset : o.preset)->pos;
      Fail(at, "'" + s.name + "' has a clock, reset or preset but is not registered");
    }
    if (IsPlaFamily(m_.device.family) && o.registered) {
      // Output cells drive their pins through an inverter; buried and input cells do not.
      if (!s.node && s.attrs.buffer) {
        Fail(s.pos, "'" + s.name + "' cannot be 'buffer': the output cells of the " + m_.device.part +
                        " always invert");
      }
      o.inverter = s.node ? Inverter::Buffer : Inverter::Invert;
    }
    if (!o.registered && (o.clock_enable || o.latch_enable)) {
      Fail((o.clock_enable ? o.clock_enable : o.latch_enable)->pos,
           "'" + s.name + "' has a clock enable or latch enable but is not registered");
    }
    m_.outputs.push_back(std::move(o));
  }
  if (IsPlaFamily(m_.device.family)) ResetNode();
}

// Node 25 of the GAL6001/6002 is the asynchronous reset term that every
// register shares: its equation becomes the reset of each register.
void Elaborator::ResetNode() {
  constexpr int kResetNode = 25;
  for (std::size_t i = 0; i < m_.outputs.size(); ++i) {
    const Signal& s = m_.signals[static_cast<std::size_t>(m_.outputs[i].signal)];
    if (!s.node || s.pin != kResetNode) continue;
    const Output reset = m_.outputs[i];
    if (reset.registered || !reset.logic || reset.enable) {
      Fail(s.pos, "node 25 of the " + m_.device.part + " is the reset of every register: write it as '" +
                      s.name + " = condition;'");
    }
    for (const Variable& v : m_.variables) {
      if (v.signal == reset.signal) {
        Fail(s.pos, "node 25 ('" + s.name + "') resets the registers of the " + m_.device.part +
                        " and cannot be read");
      }
    }
    // Without a register to reset, the term is written as it stands (the input cells are not reset).
    bool any = false;
    for (const Output& o : m_.outputs) {
      const Signal& cell = m_.signals[static_cast<std::size_t>(o.signal)];
      any = any || (o.registered && !(cell.node && cell.pin >= 70));
    }
    if (!any) {
      diags_.Warning(s.pos,
                     "node 25 ('" + s.name +
                         "') resets no register: the design has none besides input cells, which it does "
                         "not reset");
      return;
    }
    m_.outputs.erase(m_.outputs.begin() + static_cast<std::ptrdiff_t>(i));
    for (Output& o : m_.outputs) {
      const Signal& cell = m_.signals[static_cast<std::size_t>(o.signal)];
      const bool input_cell = cell.node && cell.pin >= 70;
      if (!o.registered || input_cell) continue;
      if (o.reset) {
        Fail(o.reset->pos, "'" + cell.name + ".AR' and node 25 ('" + s.name + "') both reset '" + cell.name +
                               "': the " + m_.device.part + " has one reset term for every register");
      }
      o.reset = reset.logic;
    }
    return;
  }
}

}  // namespace abelc
