// Elaboration, part one: the module's declarations, the walk over its items
// in source order, and the finished outputs of the logic model.
#include "abelc/elaborate.h"

#include <algorithm>
#include <cctype>

#include "abelc/elaborator.h"

namespace abelc {

LogicModel Elaborate(const Module& module, Diagnostics& diags) {
  Elaborator e(diags);
  return e.Run(module);
}

bool InvertsRegister(const LogicModel& m, const Output& o) {
  const Attributes& a = m.signals[static_cast<std::size_t>(o.signal)].attrs;
  if (a.invert || o.inverter == Inverter::Invert) return true;
  if (a.buffer || o.inverter == Inverter::Buffer) return false;
  return m.device.family == Family::Gal16V8 || m.device.family == Family::Gal20V8;
}

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Device strings: the P-names of the device library with their mode
// suffixes, and the GAL spellings.
Family FamilyOf(const std::string& part) {
  static const struct {
    const char* base;
    Family family;
  } kBases[] = {{"P16V8", Family::Gal16V8},   {"GAL16V8", Family::Gal16V8}, {"P20V8", Family::Gal20V8},
                {"GAL20V8", Family::Gal20V8}, {"P22V10", Family::Gal22V10}, {"GAL22V10", Family::Gal22V10}};
  for (const auto& b : kBases) {
    std::string base = b.base;
    if (part.compare(0, base.size(), base) != 0) continue;
    std::string suffix = part.substr(base.size());
    bool v8 = b.family != Family::Gal22V10;
    if (suffix.empty() || (v8 && (suffix == "R" || suffix == "C" || suffix == "S" || suffix == "AS")) ||
        (!v8 && suffix == "G")) {
      return b.family;
    }
  }
  return Family::Unknown;
}

int PinCount(Family f) {
  return f == Family::Gal16V8 ? 20 : 24;
}

}  // namespace

void Elaborator::Fail(SourcePos pos, const std::string& message) {
  diags_.Error(pos, message);
  throw Failure{};
}

LogicModel Elaborator::Run(const Module& module) {
  m_.module = module.name;
  m_.title = module.title;
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
  m_.device.family = FamilyOf(m_.device.part);
  if (m_.device.family == Family::Unknown) {
    Fail(d.part_pos, "unknown device '" + d.part + "' (GAL16V8, GAL20V8 and GAL22V10 parts are known)");
  }
}

int Elaborator::SignalIndex(const std::string& name) const {
  auto it = signal_index_.find(name);
  return it == signal_index_.end() ? -1 : it->second;
}

// The message for a name that is not declared, with a hint when only the
// case differs.
std::string Elaborator::Undeclared(const std::string& name) const {
  auto same_ignoring_case = [&](const std::string& other) {
    return other.size() == name.size() &&
           std::equal(other.begin(), other.end(), name.begin(), [](char a, char b) {
             return std::tolower(static_cast<unsigned char>(a)) ==
                    std::tolower(static_cast<unsigned char>(b));
           });
  };
  std::string text = "'" + name + "' is not declared";
  for (const auto& [other, index] : signal_index_) {
    if (same_ignoring_case(other)) return text + "; names are case-sensitive, did you mean '" + other + "'?";
  }
  for (const auto& [other, c] : constants_) {
    if (same_ignoring_case(other)) return text + "; names are case-sensitive, did you mean '" + other + "'?";
  }
  return text;
}

void Elaborator::Declare(const PinDecl& d) {
  if (!d.numbers.empty() && d.numbers.size() != d.names.size()) {
    Fail(d.numbers_pos, std::to_string(d.names.size()) + " names but " + std::to_string(d.numbers.size()) +
                            " numbers in the " + (d.node ? "NODE" : "PIN") + " declaration");
  }
  for (std::size_t i = 0; i < d.names.size(); ++i) {
    const DeclName& n = d.names[i];
    if (SignalIndex(n.name) >= 0 || constants_.count(n.name))
      Fail(n.pos, "'" + n.name + "' is already declared");
    Signal s;
    s.name = n.name;
    s.active_low = n.active_low;
    s.node = d.node;
    s.pos = n.pos;
    if (!d.numbers.empty()) {
      s.pin = d.numbers[i];
      for (const Signal& other : m_.signals) {
        if (other.pin == s.pin && other.node == s.node) {
          Fail(d.numbers_pos, std::string(d.node ? "node " : "pin ") + std::to_string(s.pin) +
                                  " is already given to '" + other.name + "'");
        }
      }
      if (!d.node && m_.device.family != Family::Unknown) {
        int count = PinCount(m_.device.family);
        if (s.pin < 1 || s.pin > count) {
          Fail(d.numbers_pos, "pin " + std::to_string(s.pin) + " does not exist on a " +
                                  std::to_string(count) + "-pin device");
        }
        if (s.pin == count / 2 || s.pin == count) {
          Fail(d.numbers_pos, "pin " + std::to_string(s.pin) + " is " + (s.pin == count ? "VCC" : "GND"));
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
        Fail(pos, "'" + s.name + "' is already '" + other + "' and cannot also be '" + attr + "'");
      }
      a.*(k.flag) = true;
    }
    if (known) continue;
    if (attr == "reg_t" || attr == "reg_jk" || attr == "reg_sr" || attr == "reg_g") {
      Fail(pos, "register type '" + attr + "' is not available on GAL devices");
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
      if (data && s.active_low) f.on = Not(f.on);
      f.dc = slot.dc;
      return f;
    };
    o.logic = function("", true);
    o.clock = function("CLK", false);
    o.reset = function("AR", false);
    o.preset = function("SP", false);
    o.enable = function("OE", false);
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
      if (slot.com_op && (s.attrs.reg || s.attrs.reg_d)) {
        Fail(slot.first, "'" + s.name + "' is declared registered; assign it with ':=' or '.D'");
      }
      if (slot.reg_op && s.attrs.com) {
        diags_.Warning(slot.first, "':=' makes '" + s.name + "', declared 'com', a registered output");
      }
    } else {
      o.registered = s.attrs.reg || s.attrs.reg_d;
    }
    o.polarity = s.attrs.pos ? Polarity::Pos : s.attrs.neg ? Polarity::Neg : Polarity::Auto;
    o.inverter = s.attrs.buffer ? Inverter::Buffer : s.attrs.invert ? Inverter::Invert : Inverter::Unknown;
    if (o.registered && !o.logic) {
      Fail(s.pos, "registered output '" + s.name + "' has a clock or reset but no D equation");
    }
    if (!o.registered && (o.clock || o.reset || o.preset)) {
      SourcePos at = (o.clock ? o.clock : o.reset ? o.reset : o.preset)->pos;
      Fail(at, "'" + s.name + "' has a clock, reset or preset but is not registered");
    }
    m_.outputs.push_back(std::move(o));
  }
}

}  // namespace abelc
