// A tolerant JEDEC field reader, enough for the maps other tools wrote.
#include "fit_support.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace abelc_fit_test {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string TestData(const std::string& name) {
  return std::string(QUELVOX_TESTDATA_DIR) + "/jedec/" + name;
}

JedecMap ReadJedec(const std::string& text) {
  JedecMap map;
  std::size_t start = text.find('\x02');
  std::size_t end = text.find('\x03');
  std::string body = text.substr(start == std::string::npos ? 0 : start + 1,
                                 end == std::string::npos ? std::string::npos : end - start - 1);
  std::size_t first = body.find('*');
  int fill = 0;
  std::vector<std::pair<int, std::string>> rows;
  std::istringstream fields(first == std::string::npos ? "" : body.substr(first + 1));
  std::string field;
  while (std::getline(fields, field, '*')) {
    std::size_t i = field.find_first_not_of(" \r\n\t");
    if (i == std::string::npos) continue;
    field = field.substr(i);
    std::string digits;
    for (char c : field) {
      if (!std::isspace(static_cast<unsigned char>(c))) digits += c;
    }
    if (field.rfind("QF", 0) == 0) {
      map.fuse_count = std::stoi(digits.substr(2));
    } else if (field[0] == 'F') {
      fill = digits[1] - '0';
    } else if (field[0] == 'L') {
      std::size_t n = 1;
      while (n < field.size() && std::isdigit(static_cast<unsigned char>(field[n]))) ++n;
      std::string bits;
      for (char c : field.substr(n)) {
        if (c == '0' || c == '1') bits += c;
      }
      rows.push_back({std::stoi(field.substr(1, n - 1)), bits});
    } else if (field[0] == 'V') {
      std::istringstream v(field.substr(1));
      std::string number, pins;
      v >> number >> pins;
      map.vectors.push_back(pins);
    }
  }
  map.fuses.assign(static_cast<std::size_t>(map.fuse_count), static_cast<std::uint8_t>(fill));
  for (const auto& [at, bits] : rows) {
    for (std::size_t k = 0; k < bits.size() && at + k < map.fuses.size(); ++k)
      map.fuses[at + k] = bits[k] == '1';
  }
  return map;
}

}  // namespace abelc_fit_test

#include "abelc/fuse_model.h"

namespace abelc_fit_test {

using namespace abelc;

namespace {

// The design's meaning at one point: pin levels ('0', '1', 'Z') and registers.
class Reference {
 public:
  explicit Reference(const LogicModel& m)
      : m_(m), pin_(m.signals.size(), 0), output_of_(m.signals.size(), -1) {
    for (std::size_t i = 0; i < m.outputs.size(); ++i)
      output_of_[static_cast<std::size_t>(m.outputs[i].signal)] = static_cast<int>(i);
  }

  std::uint64_t Assignment(const std::vector<int>& q) const {
    std::uint64_t a = 0;
    for (std::size_t v = 0; v < m_.variables.size(); ++v) {
      const Variable& var = m_.variables[v];
      const int o = output_of_[static_cast<std::size_t>(var.signal)];
      int value;
      if (o >= 0 && m_.outputs[static_cast<std::size_t>(o)].registered) {
        const int qo = q[static_cast<std::size_t>(o)];
        value = var.kind == Feedback::Q
                    ? qo
                    : qo ^ (InvertsRegister(m_, m_.outputs[static_cast<std::size_t>(o)]) ? 1 : 0);
      } else {
        value = pin_[static_cast<std::size_t>(var.signal)] == 1 ? 1 : 0;
      }
      if (value) a |= std::uint64_t{1} << v;
    }
    return a;
  }

  // Inputs as given, outputs settled, the reset applied. False at a don't care.
  bool Settle(const std::vector<int>& inputs, std::vector<int>& q) {
    for (std::size_t s = 0; s < m_.signals.size(); ++s) {
      if (output_of_[s] < 0) pin_[s] = inputs[s];
    }
    bool dc = false;
    for (std::size_t round = 0; round < m_.outputs.size() + 3; ++round) {
      dc = false;
      for (std::size_t i = 0; i < m_.outputs.size(); ++i) {
        const Output& o = m_.outputs[i];
        const std::uint64_t a = Assignment(q);
        if (o.registered && o.reset && Evaluate(o.reset->on, a)) {
          q[i] = 0;
        } else if (o.registered && o.preset && m_.device.family == Family::Gal20RA10 &&
                   Evaluate(o.preset->on, a)) {
          q[i] = 1;  // the GAL20RA10's preset is asynchronous
        }
        int level;
        if (o.registered) {
          level = q[i] ^ (InvertsRegister(m_, o) ? 1 : 0);
        } else {
          level = o.logic && Evaluate(o.logic->on, a) ? 1 : 0;
          dc = dc || (o.logic && Evaluate(o.logic->dc, a));
        }
        if (o.enable && !Evaluate(o.enable->on, a)) level = 2;
        pin_[static_cast<std::size_t>(o.signal)] = level;
      }
    }
    return !dc;
  }

  // Output `o`'s function at the point: what an input cell takes from its pin.
  int Data(int o, const std::vector<int>& q) const {
    const Output& out = m_.outputs[static_cast<std::size_t>(o)];
    return out.logic && Evaluate(out.logic->on, Assignment(q)) ? 1 : 0;
  }

  // The registers after a clock edge; false where a don't care decides one.
  bool Next(std::vector<int>& q) const {
    const std::uint64_t a = Assignment(q);
    std::vector<int> next = q;
    bool dc = false;
    for (std::size_t i = 0; i < m_.outputs.size(); ++i) {
      const Output& o = m_.outputs[i];
      if (!o.registered) continue;
      const int f = o.logic && Evaluate(o.logic->on, a) ? 1 : 0;
      dc = dc || (o.logic && Evaluate(o.logic->dc, a));
      next[i] = o.detailed ? f : f ^ (InvertsRegister(m_, o) ? 1 : 0);
      if (o.preset && Evaluate(o.preset->on, a)) next[i] = 1;
      if (o.clock_enable && !Evaluate(o.clock_enable->on, a)) next[i] = q[i];
    }
    q = next;
    return !dc;
  }

  char Level(int signal) const { return "LHZ"[pin_[static_cast<std::size_t>(signal)]]; }

 private:
  const LogicModel& m_;
  std::vector<int> pin_;
  std::vector<int> output_of_;
};

}  // namespace

SignalPins PinsOf(const LogicModel& m, const FitResult& fit) {
  SignalPins pins;
  for (std::size_t s = 0; s < m.signals.size(); ++s) {
    bool is_output = false;
    for (const Output& o : m.outputs) is_output = is_output || o.signal == static_cast<int>(s);
    const int pin = fit.pin_of[s];
    if (pin > 1) (is_output ? pins.outputs : pins.inputs).push_back(pin);
  }
  return pins;
}

std::vector<std::string> CompareWithModel(const LogicModel& design, const FitResult& fit) {
  // The register states are the flip-flops' own, so the model must place
  // each inverter where the fit did.
  const LogicModel fitted = FittedModel(design, fit);
  const LogicModel& m = fitted;
  std::vector<std::string> problems;
  std::vector<int> inputs, registers;
  // A GAL26V12's second clock pin rises with pin 1.
  const galmaps::MacrocellMap* map = DeviceOf(m.device.family).map;
  const int second_clock = map ? map->second_clock : 0;
  int second_clock_signal = -1;
  // A GAL20RA10 clocks each register by its own term, and its pin 13, which
  // turns off every output, stays low.
  const bool clock_terms = map && !map->SharedControls();
  for (std::size_t s = 0; s < m.signals.size(); ++s) {
    bool is_output = false;
    for (const Output& o : m.outputs) is_output = is_output || o.signal == static_cast<int>(s);
    if (clock_terms && fit.pin_of[s] == 13) continue;
    if (!is_output && second_clock && fit.pin_of[s] == second_clock) {
      second_clock_signal = static_cast<int>(s);
    } else if (!is_output && fit.pin_of[s] > 1) {
      inputs.push_back(static_cast<int>(s));
    }
  }
  for (std::size_t i = 0; i < m.outputs.size(); ++i) {
    if (m.outputs[i].registered) registers.push_back(static_cast<int>(i));
  }
  std::vector<int> cell_of(m.outputs.size(), -1);
  for (std::size_t c = 0; c < fit.cells.size(); ++c) {
    if (fit.cells[c].output >= 0)
      cell_of[static_cast<std::size_t>(fit.cells[c].output)] = static_cast<int>(c);
  }
  // A GAL6001/6002 clocks its cells from pin 13; its buried cells' registers follow the output cells'.
  const bool pla = IsPlaFamily(m.device.family);
  for (std::size_t i = 0; pla && i < m.outputs.size(); ++i) {
    const int node = fit.node_of[static_cast<std::size_t>(m.outputs[i].signal)];
    if (node >= 26 && node <= 33) cell_of[i] = 10 + node - 26;
  }
  const std::size_t bits = inputs.size() + registers.size();
  const bool exhaustive = bits <= 16;
  const std::uint64_t points = exhaustive ? std::uint64_t{1} << bits : 40000;
  std::uint64_t seed = 12345;
  int clock_signal = -1;
  for (std::size_t s = 0; s < m.signals.size(); ++s) {
    if (fit.pin_of[s] == (pla ? 13 : 1)) clock_signal = static_cast<int>(s);
  }
  if (pla && clock_signal >= 0) std::erase(inputs, clock_signal);
  FuseMapModel device(m.device.family, fit.fuses);
  Reference ref(m);
  for (std::uint64_t point = 0; point < points && problems.size() < 10; ++point) {
    std::uint64_t x = point;
    if (!exhaustive) {
      seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
      x = seed >> 11;
    }
    std::vector<int> in(m.signals.size(), 0), q(m.outputs.size(), 0);
    std::vector<int> drive(static_cast<std::size_t>(device.Pins()) + 1, -1);
    std::size_t bit = 0;
    for (int s : inputs) {
      in[static_cast<std::size_t>(s)] = static_cast<int>((x >> bit++) & 1);
      drive[static_cast<std::size_t>(fit.pin_of[static_cast<std::size_t>(s)])] =
          in[static_cast<std::size_t>(s)];
    }
    std::vector<int> cells_q(pla ? 18 : fit.cells.size(), 0);
    for (int o : registers) {
      q[static_cast<std::size_t>(o)] = static_cast<int>((x >> bit++) & 1);
      // A 16V8/20V8 pin always shows the complement of the chip's flip-flop;
      // the model's 'buffer' flip-flop holds the pin level instead.
      const bool flipped =
          DeviceOf(m.device.family).IsV8() && !InvertsRegister(m, m.outputs[static_cast<std::size_t>(o)]);
      if (cell_of[static_cast<std::size_t>(o)] < 0) continue;  // an input cell: its pin loads it below
      cells_q[static_cast<std::size_t>(cell_of[static_cast<std::size_t>(o)])] =
          q[static_cast<std::size_t>(o)] ^ (flipped ? 1 : 0);
    }
    auto compare = [&](const char* when) {
      for (std::size_t i = 0; i < m.outputs.size(); ++i) {
        const int s = m.outputs[i].signal;
        const int pin = fit.pin_of[static_cast<std::size_t>(s)];
        if (pin == 0) continue;  // a node the fitter folded into its readers
        // A register node in a cell whose output stays off shows in its readers.
        if (m.signals[static_cast<std::size_t>(s)].node && device.Level(pin) == 'Z') continue;
        if (device.Level(pin) != ref.Level(s)) {
          problems.push_back("point " + std::to_string(x) + " " + when + ": '" +
                             m.signals[static_cast<std::size_t>(s)].name + "' is " + device.Level(pin) +
                             ", expected " + ref.Level(s));
        }
      }
    };
    drive[1] = 0;
    if (clock_terms || pla) drive[13] = 0;
    if (clock_signal >= 0) in[static_cast<std::size_t>(clock_signal)] = 0;
    if (second_clock_signal >= 0) {
      drive[static_cast<std::size_t>(second_clock)] = 0;
      in[static_cast<std::size_t>(second_clock_signal)] = 0;
    }
    if (pla) {
      // A pulse on pin 1 loads the input cells with their pins, as the design's registers do.
      for (int level : {0, 1, 0}) {
        drive[1] = level;
        device.Apply(drive);
      }
      ref.Settle(in, q);
      for (int o : registers) {
        if (cell_of[static_cast<std::size_t>(o)] < 0) q[static_cast<std::size_t>(o)] = ref.Data(o, q);
      }
    }
    device.Apply(drive);
    device.SetRegisters(cells_q);
    if (!ref.Settle(in, q)) continue;
    compare("clock low");
    if (!ref.Next(q)) continue;
    drive[1] = 1;
    if (pla) drive[13] = 1;
    if (clock_signal >= 0) in[static_cast<std::size_t>(clock_signal)] = 1;
    if (second_clock_signal >= 0) {
      drive[static_cast<std::size_t>(second_clock)] = 1;
      in[static_cast<std::size_t>(second_clock_signal)] = 1;
    }
    device.Apply(drive);
    if (clock_terms) device.LoadRegisters();
    if (!ref.Settle(in, q)) continue;
    compare("after the clock");
  }
  return problems;
}

}  // namespace abelc_fit_test

namespace abelc_fit_test {

std::vector<std::string> CompareMaps(Family family, const std::vector<std::uint8_t>& expected,
                                     const std::vector<std::uint8_t>& actual,
                                     const std::vector<int>& input_pins,
                                     const std::vector<int>& output_pins) {
  std::vector<std::string> problems;
  FuseMapModel a(family, expected), b(family, actual);
  // Register states vary for the registered output pins; other cells hold 0.
  const int top = family == Family::Gal16V8 ? 19 : family == Family::Gal20V8 ? 22 : 23;
  std::vector<int> cells;
  for (int pin : output_pins) {
    if (a.IsRegistered(pin)) cells.push_back(top - pin);
  }
  const std::size_t bits = input_pins.size() + cells.size();
  for (std::uint64_t x = 0; x < (std::uint64_t{1} << bits) && problems.size() < 10; ++x) {
    std::vector<int> drive(static_cast<std::size_t>(a.Pins()) + 1, -1);
    std::size_t bit = 0;
    for (int pin : input_pins) drive[static_cast<std::size_t>(pin)] = static_cast<int>((x >> bit++) & 1);
    std::vector<int> q(a.Registers().size(), 0);
    for (int c : cells) q[static_cast<std::size_t>(c)] = static_cast<int>((x >> bit++) & 1);
    auto compare = [&](const char* when) {
      for (int pin : output_pins) {
        if (a.Level(pin) != b.Level(pin)) {
          problems.push_back("point " + std::to_string(x) + " " + when + ": pin " + std::to_string(pin) +
                             " is " + b.Level(pin) + ", expected " + a.Level(pin));
        }
      }
    };
    drive[1] = 0;
    for (FuseMapModel* m : {&a, &b}) {
      m->Apply(drive);
      m->SetRegisters(q);
    }
    compare("clock low");
    drive[1] = 1;
    a.Apply(drive);
    b.Apply(drive);
    compare("after the clock");
  }
  return problems;
}

}  // namespace abelc_fit_test
