// Cycle-by-cycle simulation of a logic model against its test vectors.
#include "abelc/evaluate.h"

#include <algorithm>

namespace abelc {

namespace {

constexpr signed char kZ = 2;

class Simulator {
 public:
  explicit Simulator(const LogicModel& m)
      : m_(m),
        output_of_(m.signals.size(), -1),
        q_(m.outputs.size(), 0),
        pin_(m.signals.size(), 0),
        drive_(m.signals.size(), -1) {
    for (std::size_t i = 0; i < m.outputs.size(); ++i)
      output_of_[static_cast<std::size_t>(m.outputs[i].signal)] = static_cast<int>(i);
    // The 16V8/20V8 flip-flops clear at power-up and drive their pins through
    // an inverter, so every registered pin starts high, a 'buffer' one too.
    const bool v8 = m.device.family == Family::Gal16V8 || m.device.family == Family::Gal20V8 ||
                    m.device.family == Family::Gal20XV10;
    for (std::size_t i = 0; i < m.outputs.size(); ++i) {
      if (v8 && m.outputs[i].registered && !InvertsRegister(m, m.outputs[i])) q_[i] = 1;
    }
  }

  void Run(const VectorTable& t, SimulationResult& result);

 private:
  bool Registered(int signal) const {
    int o = output_of_[static_cast<std::size_t>(signal)];
    return o >= 0 && m_.outputs[static_cast<std::size_t>(o)].registered;
  }
  int Inverts(int o) const { return InvertsRegister(m_, m_.outputs[static_cast<std::size_t>(o)]) ? 1 : 0; }
  int PinValue(int signal) const {
    signed char p = pin_[static_cast<std::size_t>(signal)];
    if (p != kZ) return p;
    return drive_[static_cast<std::size_t>(signal)] > 0 ? 1 : 0;
  }
  std::uint64_t Assignment() const;
  void Settle();
  void AsyncReset();
  std::vector<int> ClockLevels(std::uint64_t a, bool clocked_input_high) const;

  const LogicModel& m_;
  std::vector<int> output_of_;
  std::vector<int> q_;            // raw flip-flop values, per output
  std::vector<signed char> pin_;  // per signal: 0, 1 or kZ
  std::vector<int> drive_;        // per signal: the level the vector drives, -1 none
};

std::uint64_t Simulator::Assignment() const {
  std::uint64_t a = 0;
  for (std::size_t v = 0; v < m_.variables.size(); ++v) {
    const Variable& var = m_.variables[v];
    int value;
    if (var.kind != Feedback::Pin && Registered(var.signal)) {
      int o = output_of_[static_cast<std::size_t>(var.signal)];
      value = var.kind == Feedback::Q ? q_[static_cast<std::size_t>(o)]
                                      : q_[static_cast<std::size_t>(o)] ^ Inverts(o);
    } else {
      value = PinValue(var.signal);
    }
    if (value) a |= std::uint64_t{1} << v;
  }
  return a;
}

// Pins follow the inputs and the outputs' functions; combinational feedback
// gets a few rounds to settle.
void Simulator::Settle() {
  for (std::size_t s = 0; s < m_.signals.size(); ++s) {
    if (output_of_[s] < 0) pin_[s] = static_cast<signed char>(drive_[s] > 0 ? 1 : 0);
  }
  for (std::size_t round = 0; round < m_.outputs.size() + 2; ++round) {
    bool changed = false;
    for (std::size_t i = 0; i < m_.outputs.size(); ++i) {
      const Output& o = m_.outputs[i];
      std::uint64_t a = Assignment();
      if (o.registered && o.latch_enable && Evaluate(o.latch_enable->on, a)) {
        // A latch follows its input while its enable is 1.
        const int d = o.logic && Evaluate(o.logic->on, a) ? 1 : 0;
        const int q = o.detailed ? d : d ^ Inverts(static_cast<int>(i));
        if (q_[i] != q) changed = true;
        q_[i] = q;
      }
      signed char level;
      if (o.enable && !Evaluate(o.enable->on, a)) {
        level = kZ;
      } else if (o.registered) {
        level = static_cast<signed char>(q_[i] ^ Inverts(static_cast<int>(i)));
      } else {
        level = static_cast<signed char>(o.logic && Evaluate(o.logic->on, a) ? 1 : 0);
      }
      signed char& pin = pin_[static_cast<std::size_t>(o.signal)];
      if (pin != level) changed = true;
      pin = level;
    }
    if (!changed) break;
  }
}

void Simulator::AsyncReset() {
  for (std::size_t i = 0; i < m_.outputs.size(); ++i) {
    const Output& o = m_.outputs[i];
    if (o.registered && o.reset && Evaluate(o.reset->on, Assignment())) {
      q_[i] = 0;
    } else if (o.registered && o.preset && m_.device.family == Family::Gal20RA10 &&
               Evaluate(o.preset->on, Assignment())) {
      q_[i] = 1;  // the GAL20RA10's preset is asynchronous
    }
  }
  Settle();
}

// Each register's clock level: its clock function, or else the level of any
// clocked column.
std::vector<int> Simulator::ClockLevels(std::uint64_t a, bool clocked_input_high) const {
  std::vector<int> levels(m_.outputs.size(), 0);
  for (std::size_t i = 0; i < m_.outputs.size(); ++i) {
    const Output& o = m_.outputs[i];
    if (!o.registered || o.latch_enable) continue;  // a latch has no edge
    levels[i] = o.clock ? (Evaluate(o.clock->on, a) ? 1 : 0) : (clocked_input_high ? 1 : 0);
  }
  return levels;
}

void Simulator::Run(const VectorTable& t, SimulationResult& result) {
  for (const VectorRow& row : t.rows) {
    ++result.vectors;
    // Clock columns run through their phases: .C. 0-1-0, .K. 1-0-1, .U. 0-1, .D. 1-0.
    std::vector<std::string> phases(row.in.size());
    bool preload = false;
    // A clock that rises between vectors (0 in one, 1 in the next) clocks
    // as the pin would; the next state reads the new vector's inputs.
    const std::vector<int> clk_previous = ClockLevels(Assignment(), false);
    for (std::size_t k = 0; k < row.in.size(); ++k) {
      int s = t.in_signals[k];
      char c = row.in[k];
      switch (c) {
        case '0':
        case '1':
          drive_[static_cast<std::size_t>(s)] = c - '0';
          break;
        case 'C':
          phases[k] = "010";
          break;
        case 'K':
          phases[k] = "101";
          break;
        case 'U':
          phases[k] = "01";
          break;
        case 'D':
          phases[k] = "10";
          break;
        case 'P':
          preload = true;
          drive_[static_cast<std::size_t>(s)] = 0;
          break;
        case 'Z':
          drive_[static_cast<std::size_t>(s)] = -1;
          break;
        default:
          drive_[static_cast<std::size_t>(s)] = 0;
          break;
      }
      if (!phases[k].empty()) drive_[static_cast<std::size_t>(s)] = phases[k][0] - '0';
    }
    if (preload) {
      // The levels a preload vector drives onto register pins, as the chip's
      // preload takes them, then the levels it expects there.
      for (std::size_t k = 0; k < row.in.size(); ++k) {
        int o = output_of_[static_cast<std::size_t>(t.in_signals[k])];
        if (o >= 0 && m_.outputs[static_cast<std::size_t>(o)].registered &&
            (row.in[k] == '0' || row.in[k] == '1')) {
          q_[static_cast<std::size_t>(o)] = (row.in[k] - '0') ^ Inverts(o);
        }
      }
      for (std::size_t k = 0; k < row.out.size(); ++k) {
        int o = output_of_[static_cast<std::size_t>(t.out_signals[k])];
        if (o >= 0 && m_.outputs[static_cast<std::size_t>(o)].registered &&
            (row.out[k] == 'H' || row.out[k] == 'L')) {
          q_[static_cast<std::size_t>(o)] = (row.out[k] == 'H' ? 1 : 0) ^ Inverts(o);
        }
      }
    }
    Settle();
    {
      const std::uint64_t now = Assignment();
      const std::vector<int> clk_now = ClockLevels(now, false);
      for (std::size_t i = 0; i < m_.outputs.size(); ++i) {
        const Output& o = m_.outputs[i];
        if (!o.registered || !o.clock || clk_previous[i] != 0 || clk_now[i] != 1 || preload) continue;
        if (o.clock_enable && !Evaluate(o.clock_enable->on, now)) continue;
        const int d = o.logic && Evaluate(o.logic->on, now) ? 1 : 0;
        q_[i] = o.detailed ? d : d ^ Inverts(static_cast<int>(i));
        if (o.preset && Evaluate(o.preset->on, now)) q_[i] = 1;
      }
      Settle();
    }
    AsyncReset();
    std::size_t steps = 0;
    for (const std::string& p : phases) steps = std::max(steps, p.size());
    auto column_high = [&](std::size_t phase) {
      bool high = false;
      for (const std::string& p : phases)
        high = high || (!p.empty() && p[std::min(phase, p.size() - 1)] == '1');
      return high;
    };
    for (std::size_t phase = 1; phase < steps; ++phase) {
      std::uint64_t before = Assignment();
      std::vector<int> clk_before = ClockLevels(before, column_high(phase - 1));
      std::vector<int> next(m_.outputs.size(), 0);
      for (std::size_t i = 0; i < m_.outputs.size(); ++i) {
        const Output& o = m_.outputs[i];
        if (!o.registered) continue;
        int d = o.logic && Evaluate(o.logic->on, before) ? 1 : 0;
        next[i] = o.detailed ? d : d ^ Inverts(static_cast<int>(i));
        if (o.clock_enable && !Evaluate(o.clock_enable->on, before)) next[i] = q_[i];  // '.CE' holds it
        if (o.preset && Evaluate(o.preset->on, before)) next[i] = 1;
      }
      for (std::size_t k = 0; k < phases.size(); ++k) {
        if (phase < phases[k].size())
          drive_[static_cast<std::size_t>(t.in_signals[k])] = phases[k][phase] - '0';
      }
      Settle();
      std::vector<int> clk_after = ClockLevels(Assignment(), column_high(phase));
      for (std::size_t i = 0; i < m_.outputs.size(); ++i) {
        if (clk_before[i] == 0 && clk_after[i] == 1) q_[i] = next[i];
      }
      Settle();
      AsyncReset();
    }
    bool ok = true;
    for (std::size_t k = 0; k < row.out.size(); ++k) {
      char want = row.out[k];
      if (want == 'X') continue;
      int s = t.out_signals[k];
      // A pin the row drives too is driven, not tested, as in the fuse map's vectors.
      bool driven = false;
      for (std::size_t j = 0; j < row.in.size(); ++j) {
        if (t.in_signals[j] == s && (row.in[j] == '0' || row.in[j] == '1')) driven = true;
      }
      if (driven) continue;
      signed char level = pin_[static_cast<std::size_t>(s)];
      char got = level == kZ ? 'Z' : level ? 'H' : 'L';
      if (got != want) {
        ok = false;
        result.failures.push_back(
            "vector " + std::to_string(result.vectors) + " (line " + std::to_string(row.pos.line) + "): '" +
            m_.signals[static_cast<std::size_t>(s)].name + "' is " + got + ", expected " + want);
      }
    }
    if (ok) ++result.passed;
  }
}

}  // namespace

SimulationResult RunTestVectors(const LogicModel& model) {
  SimulationResult result;
  Simulator sim(model);  // the state carries from one TEST_VECTORS section to the next
  for (const VectorTable& t : model.vectors) sim.Run(t, result);
  return result;
}

}  // namespace abelc
