// Fitting runs once per candidate mode (16V8/20V8 without a mode suffix try
// simple, then complex, then registered) and keeps the first placement that
// works. Each try checks the declared pins, places the open ones and writes
// the map.
#include "abelc/fit.h"

#include <algorithm>
#include <bit>

#include "abelc/collapse.h"
#include "abelc/fit_pla.h"

namespace abelc {

namespace {

struct Failure {};

// One way to build an output's sum: a cover and whether it is the logic
// function's complement.
struct Form {
  Cover cover;
  bool complemented = false;
};

struct OutputInfo {
  std::vector<Form> forms;      // the preferred one first
  bool read = false;            // the array reads the output back
  bool oe_pin_enable = false;   // enabled by the /OE pin alone (16V8/20V8 register, GAL20RA10)
  bool second_clock = false;    // a GAL26V12 register clocked from pin 4
  bool reads_register = false;  // GAL26V12: the array reads the flip-flop, not the pin
  // GAL20XV10: the cell combines two sums (A, B) in its XOR gate, which pin 13
  // enables; the ways to build them, the fewest terms first.
  bool use_xor = false;
  bool pin13_enable = false;     // the design enables the output by pin 13, active low
  bool xor_in_feedback = false;  // by pin 13 through the XOR gate in feedback mode, by a term in input mode
  std::vector<std::pair<Cover, Cover>> xor_forms;
};

std::string Quote(const std::string& name) {
  return "'" + name + "'";
}

// The output pins as runs, lowest first: "12 to 19", "9 and 11 to 19".
std::string OutputPins(const GalArchitecture& d) {
  std::vector<int> pins;
  for (const OutputCell& c : d.cells) pins.push_back(c.pin);
  std::sort(pins.begin(), pins.end());
  std::vector<std::string> runs;
  for (std::size_t i = 0; i < pins.size();) {
    std::size_t j = i;
    while (j + 1 < pins.size() && pins[j + 1] == pins[j] + 1) ++j;
    runs.push_back(j == i ? std::to_string(pins[i])
                          : std::to_string(pins[i]) + " to " + std::to_string(pins[j]));
    i = j + 1;
  }
  std::string text;
  for (std::size_t i = 0; i < runs.size(); ++i)
    text += (i == 0 ? "" : i + 1 == runs.size() ? " and " : ", ") + runs[i];
  return text;
}

class Fitter {
 public:
  Fitter(const LogicModel& m, const MinimisedDesign& md, const GalArchitecture& d)
      : m_(m), md_(md), d_(d), output_of_(m.signals.size(), -1), read_(m.signals.size(), false) {}

  // Mode-independent checks and facts; false after errors.
  bool Prepare(Diagnostics& diags);
  // One placement; errors go to `diags`. `mode_only` stays true while every
  // error is one that another mode could avoid.
  std::optional<FitResult> Place(GalMode mode, Diagnostics& diags, bool& mode_only);

 private:
  const std::string& Name(int signal) const { return m_.signals[static_cast<std::size_t>(signal)].name; }
  const Signal& Sig(int signal) const { return m_.signals[static_cast<std::size_t>(signal)]; }
  void NoteRead(const Cover& c);
  int SingleLiteralSignal(const Cover& c, bool positive) const;
  int SumTerms(GalMode mode, const OutputCell& cell, int output) const;
  int Need(GalMode mode, int output) const;    // the product terms the output needs in one sum (or side)
  bool XorIn(GalMode mode, int output) const;  // GAL20XV10: the output takes its cell's XOR gate
  void PrepareXor(const MinimisedOutput& mo, Diagnostics& diags);  // errors counted by the caller
  bool HasEnableRow(GalMode mode, int output) const;
  void PlaceOutputs(GalMode mode, std::vector<int>& pin_of, Diagnostics& diags, bool& mode_only) const;
  void PlaceInputs(GalMode mode, std::vector<int>& pin_of, Diagnostics& diags) const;
  FitResult Write(GalMode mode, const std::vector<int>& pin_of, Diagnostics& diags) const;
  void WriteTerm(FitResult& r, GalMode mode, int row, const Cube& c) const;
  void WriteControl(FitResult& r, GalMode mode, int row, const std::optional<MinimisedFunction>& f,
                    const std::string& what, int output, Diagnostics& diags) const;

  const LogicModel& m_;
  const MinimisedDesign& md_;
  const GalArchitecture& d_;
  std::vector<int> output_of_;    // per signal
  std::vector<bool> read_;        // per signal: read by the array
  std::vector<OutputInfo> info_;  // per output
  int clock_signal_ = -1;
  int second_clock_signal_ = -1;  // GAL26V12: the registers clocked from pin 4
  int oe_signal_ = -1;
  bool any_registered_ = false;
  bool any_enable_ = false;
  std::optional<MinimisedFunction> reset_, preset_;
};

void Fitter::NoteRead(const Cover& c) {
  for (const Cube& cube : c) {
    for (std::uint64_t lits = LiteralMask(cube); lits; lits &= lits - 1) {
      read_[static_cast<std::size_t>(m_.variables[static_cast<std::size_t>(std::countr_zero(lits))].signal)] =
          true;
    }
  }
}

// The signal of a cover that is one literal of the given sense, else -1.
int Fitter::SingleLiteralSignal(const Cover& c, bool positive) const {
  if (c.size() != 1 || LiteralCount(c[0]) != 1) return -1;
  int v = std::countr_zero(LiteralMask(c[0]));
  bool is_positive = ((c[0].one >> v) & 1) != 0;
  const Variable& var = m_.variables[static_cast<std::size_t>(v)];
  if (is_positive != positive || var.kind == Feedback::Q) return -1;
  return var.signal;
}

bool Fitter::Prepare(Diagnostics& diags) {
  for (std::size_t i = 0; i < m_.outputs.size(); ++i)
    output_of_[static_cast<std::size_t>(m_.outputs[i].signal)] = static_cast<int>(i);
  info_.resize(m_.outputs.size());
  bool ok = true;
  auto error = [&](SourcePos pos, const std::string& text) {
    diags.Error(pos, text);
    ok = false;
  };
  bool reset_seen = false;
  for (const MinimisedOutput& mo : md_.outputs) {
    const Output& o = m_.outputs[static_cast<std::size_t>(mo.output)];
    const Signal& s = Sig(o.signal);
    OutputInfo& info = info_[static_cast<std::size_t>(mo.output)];
    any_registered_ = any_registered_ || o.registered;
    // The forms the sum may take.
    if (mo.logic) {
      const MinimisedFunction& f = *mo.logic;
      bool need_forced = o.registered && d_.map && !RegisterInverterIsFree(m_, o);
      if (need_forced) {
        // The 22V10 register feeds the pin through S0, which must follow the
        // declared inverter so reset, preset and power-up reach the pin as written.
        bool complemented = InvertsRegister(m_, o) && !o.detailed;
        Form form{complemented ? f.negative : f.positive, complemented};
        if (!(complemented ? f.has_negative : f.has_positive)) {
          Cover on = complemented ? Not(Or(o.logic->on, o.logic->dc)) : o.logic->on;
          if (!MinimiseCover(on, o.logic->dc, form.cover)) {
            error(o.logic->pos, Quote(s.name) + " needs more work to minimise than the limit allows");
          }
        }
        info.forms.push_back(std::move(form));
      } else {
        if (f.has_positive) info.forms.push_back({f.positive, false});
        if (f.has_negative) info.forms.push_back({f.negative, true});
        if (f.complemented && info.forms.size() == 2) std::swap(info.forms[0], info.forms[1]);
      }
      for (const Form& form : info.forms) NoteRead(form.cover);
    } else {
      info.forms.push_back({Cover{}, false});
    }
    const bool cell_clocks = d_.map && !d_.map->SharedControls();  // GAL20RA10
    if (mo.clock && cell_clocks) {
      // The GAL20RA10 clocks each register by a product term of its own.
      NoteRead(mo.clock->Chosen());
    } else if (cell_clocks && o.registered) {
      diags.Warning(s.pos, Quote(s.name) + " has no clock: the " + d_.name +
                               " clocks each register by its own product term (" + s.name + ".CLK)");
    } else if (mo.clock) {
      int c = SingleLiteralSignal(mo.clock->Chosen(), true);
      if (c < 0 || output_of_[static_cast<std::size_t>(c)] >= 0) {
        error(mo.clock->Chosen().empty() ? o.clock->pos : o.clock->pos,
              "the clock of " + Quote(s.name) + " must be the input on pin 1: the " + d_.name +
                  " clocks every register from pin 1");
      } else if (const int second = d_.map ? d_.map->second_clock : 0; second && Sig(c).pin == second) {
        // The GAL26V12 clocks each register from pin 1 or from its second clock pin.
        if (second_clock_signal_ >= 0 && second_clock_signal_ != c) {
          error(o.clock->pos, Quote(s.name) + " is clocked by " + Quote(Name(c)) +
                                  " and another register by " + Quote(Name(second_clock_signal_)) +
                                  " on pin " + std::to_string(second));
        }
        second_clock_signal_ = c;
        info.second_clock = true;
      } else if (Sig(c).pin != 0 && Sig(c).pin != d_.clock_pin) {
        const std::string pins = d_.map && d_.map->second_clock
                                     ? "pin 1 or pin " + std::to_string(d_.map->second_clock)
                                     : "pin 1 only";
        error(o.clock->pos, Quote(s.name) + " is clocked by " + Quote(Name(c)) + " on pin " +
                                std::to_string(Sig(c).pin) + ", but the " + d_.name +
                                " clocks its registers from " + pins);
      } else if (clock_signal_ >= 0 && clock_signal_ != c) {
        error(o.clock->pos, Quote(s.name) + " is clocked by " + Quote(Name(c)) + " and another register by " +
                                Quote(Name(clock_signal_)) + "; the " + d_.name + " has one clock, pin 1");
      } else {
        clock_signal_ = c;
      }
    }
    if (d_.IsXv()) {
      const int errors = diags.ErrorCount();
      PrepareXor(mo, diags);
      ok = ok && diags.ErrorCount() == errors;
    } else if (mo.enable) {
      const Cover& e = mo.enable->Chosen();
      if (!IsTrue(e)) any_enable_ = true;
      const int pin_oe = cell_clocks ? SingleLiteralSignal(e, false) : -1;
      if (pin_oe >= 0 && Sig(pin_oe).pin == d_.oe_pin && output_of_[static_cast<std::size_t>(pin_oe)] < 0) {
        // GAL20RA10: the /OE pin, outside the array, enables every output; the OE term stays true.
        info.oe_pin_enable = true;
      } else if (o.registered && d_.IsV8()) {
        int oe = SingleLiteralSignal(e, false);
        if (IsTrue(e)) {
          // Enabled while the /OE pin is low, which is all the register can do.
        } else if (oe < 0 || output_of_[static_cast<std::size_t>(oe)] >= 0) {
          error(o.enable->pos, "the enable of registered output " + Quote(s.name) + " must be the /OE pin (" +
                                   std::to_string(d_.oe_pin) + ") of the " + d_.name + ", active low");
        } else if (Sig(oe).pin != 0 && Sig(oe).pin != d_.oe_pin) {
          error(o.enable->pos, Quote(s.name) + " is enabled by " + Quote(Name(oe)) + " on pin " +
                                   std::to_string(Sig(oe).pin) + ", but registered outputs of the " +
                                   d_.name + " are enabled by the /OE pin, " + std::to_string(d_.oe_pin));
        } else if (oe_signal_ >= 0 && oe_signal_ != oe) {
          error(o.enable->pos, "registered outputs of the " + std::string(d_.name) + " share one /OE pin; " +
                                   Quote(s.name) + " is enabled by " + Quote(Name(oe)) + ", another by " +
                                   Quote(Name(oe_signal_)));
        } else {
          oe_signal_ = oe;
          info.oe_pin_enable = true;
        }
      } else {
        NoteRead(e);
      }
    }
    if (o.registered && cell_clocks) {
      // The GAL20RA10's reset and preset rows are each register's own.
      if (mo.reset) NoteRead(mo.reset->Chosen());
      if (mo.preset) NoteRead(mo.preset->Chosen());
    } else if (o.registered && !d_.IsV8()) {
      // A macrocell family's reset and preset rows serve every register alike.
      auto same = [](const std::optional<MinimisedFunction>& a, const std::optional<MinimisedFunction>& b) {
        if (a.has_value() != b.has_value()) return false;
        if (!a) return true;
        Cover x = a->Chosen(), y = b->Chosen();
        auto less = [](const Cube& p, const Cube& q) {
          return p.zero != q.zero ? p.zero < q.zero : p.one < q.one;
        };
        std::sort(x.begin(), x.end(), less);
        std::sort(y.begin(), y.end(), less);
        return x == y;
      };
      if (!reset_seen) {
        reset_ = mo.reset;
        preset_ = mo.preset;
        reset_seen = true;
      } else if (!same(reset_, mo.reset) || !same(preset_, mo.preset)) {
        error(s.pos, "the " + std::string(d_.name) + " resets and presets all registers together, but " +
                         Quote(s.name) + " has a reset or preset that differs from the other registers'");
      }
      if (mo.reset) NoteRead(mo.reset->Chosen());
      if (mo.preset) NoteRead(mo.preset->Chosen());
    }
  }
  for (std::size_t i = 0; i < m_.outputs.size(); ++i)
    info_[i].read = read_[static_cast<std::size_t>(m_.outputs[i].signal)];
  // A GAL26V12 register is read from its flip-flop where the design names it
  // (.FB, .Q) or keeps its output off, else from its pin.
  if (d_.map && d_.map->feedback_base >= 0) {
    for (const MinimisedOutput& mo : md_.outputs) {
      OutputInfo& info = info_[static_cast<std::size_t>(mo.output)];
      const Output& o = m_.outputs[static_cast<std::size_t>(mo.output)];
      if (!o.registered) continue;
      info.reads_register = mo.enable && mo.enable->Chosen().empty();
      for (const Variable& v : m_.variables) {
        if (v.signal == o.signal && (v.kind == Feedback::Q || v.kind == Feedback::Fb))
          info.reads_register = true;
      }
    }
  }
  // A pin declared as an output that no equation drives is placed like any
  // other input, its output buffer off.
  for (std::size_t s = 0; s < m_.signals.size(); ++s) {
    const Signal& sig = m_.signals[s];
    const Attributes& a = sig.attrs;
    if (sig.node || output_of_[s] >= 0 ||
        !(a.com || a.reg || a.reg_d || a.buffer || a.invert || a.pos || a.neg))
      continue;
    diags.Warning(sig.pos,
                  Quote(sig.name) + " is declared as an output but has no equation; its pin stays an input");
  }
  return ok;
}

// GAL20XV10: an output uses the XOR gate of its cell when the design writes
// its value as 'left $ right' and declares it 'xor', or enables it by pin 13
// (the XOR gate's only enable); its sums A and B then give the pin
// NOT (A XOR B). Otherwise its cell has an enable term and three sum terms.
void Fitter::PrepareXor(const MinimisedOutput& mo, Diagnostics& diags) {
  const Output& o = m_.outputs[static_cast<std::size_t>(mo.output)];
  const Signal& s = Sig(o.signal);
  OutputInfo& info = info_[static_cast<std::size_t>(mo.output)];
  auto minimised = [&](const Cover& on, Cover& out) { return MinimiseCover(on, Cover{}, out); };
  auto add = [&](const Cover& a, const Cover& b) {
    Cover ma, mb;
    if (minimised(a, ma) && minimised(b, mb) && ma.size() <= 2 && mb.size() <= 2)
      info.xor_forms.push_back({std::move(ma), std::move(mb)});
  };
  // Under ':=' or '=' the pin shows the value, so A XOR B is its complement;
  // under '.D' the register, behind the inverting output, loads A XOR B.
  bool sides_usable = o.xor_sides.has_value();
  if (sides_usable) {
    for (const Cover& side : {o.xor_sides->first, o.xor_sides->second}) {
      for (const Cube& c : side) {
        for (std::uint64_t lits = LiteralMask(c); lits; lits &= lits - 1) {
          const int signal = m_.variables[static_cast<std::size_t>(std::countr_zero(lits))].signal;
          if (Sig(signal).node) sides_usable = false;  // a node folded into the logic
        }
      }
    }
  }
  if (sides_usable) {
    const Cover& left = o.xor_sides->first;
    const Cover want = o.detailed ? o.xor_sides->second : Not(o.xor_sides->second);
    add(left, want);
    add(Not(left), Not(want));
  }
  const bool by_sides = !info.xor_forms.empty();
  if (mo.enable) {
    const Cover& e = mo.enable->Chosen();
    const int oe = SingleLiteralSignal(e, false);
    if (oe >= 0 && output_of_[static_cast<std::size_t>(oe)] < 0 &&
        (Sig(oe).pin == 0 || Sig(oe).pin == d_.oe_pin)) {
      if (oe_signal_ >= 0 && oe_signal_ != oe) {
        diags.Error(o.enable->pos, "pin 13 enables the XOR outputs of the " + std::string(d_.name) + "; " +
                                       Quote(s.name) + " is enabled by " + Quote(Name(oe)) +
                                       ", another output by " + Quote(Name(oe_signal_)));
      }
      oe_signal_ = oe;
      info.pin13_enable = true;
      if (info.xor_forms.empty()) {
        // The value through sum A, sum B empty (the XOR passes A) or true (it inverts A).
        for (const Form& f : info.forms)
          if (f.complemented != o.detailed) add(f.cover, Cover{});
        for (const Form& f : info.forms)
          if (f.complemented == o.detailed) add(f.cover, Cover{Cube{}});
      }
    } else if (!IsTrue(e)) {
      any_enable_ = true;
      NoteRead(e);
    }
  }
  info.use_xor = by_sides;
  std::size_t plain = SIZE_MAX;
  for (const Form& f : info.forms) plain = std::min(plain, f.cover.size());
  if (info.use_xor && !info.pin13_enable && mo.enable && !IsTrue(mo.enable->Chosen())) {
    // Another enable than pin 13: a plain sum, which has an enable term.
    if (plain <= 3) {
      info.use_xor = false;
    } else {
      diags.Error(o.enable->pos, "the enable of XOR output " + Quote(s.name) +
                                     " must be pin 13, active low: the " + d_.name +
                                     " enables its XOR outputs only by pin 13");
    }
  }
  if (info.pin13_enable && !by_sides) {
    // Pin 13 is a column in input mode only: there a plain sum can take it as
    // its enable term; in feedback mode only the XOR gate is enabled by it.
    info.use_xor = plain > 3;
    info.xor_in_feedback = !info.use_xor;
    if (info.use_xor && info.xor_forms.empty()) {
      diags.Error(s.pos, Quote(s.name) +
                             " does not fit: enabled by pin 13, it takes the XOR gate of its cell, "
                             "whose two sums have 2 product terms each");
      info.use_xor = false;
    }
  } else if (o.xor_sides && info.xor_forms.empty() && plain > 3) {
    diags.Error(s.pos, Quote(s.name) +
                           " does not fit: the XOR gate of its cell takes one side of the '$' and the "
                           "complement of the other in 2 product terms each, which these sides do not give; "
                           "as one sum it needs " +
                           std::to_string(plain) + " product terms of 3");
  }
  for (const auto& [a, b] : info.xor_forms) {
    NoteRead(a);
    NoteRead(b);
  }
  if (by_sides && info.use_xor && !info.pin13_enable) {
    diags.Warning(s.pos, Quote(s.name) +
                             " is built with the XOR gate of its cell, which pin 13 turns off: "
                             "its pin is in high impedance while pin 13 is high");
  }
  // Plain sums: the smaller form first; of two alike the complement, whose
  // polarity fuse is 1.
  std::stable_sort(info.forms.begin(), info.forms.end(), [](const Form& a, const Form& b) {
    return a.cover.size() != b.cover.size() ? a.cover.size() < b.cover.size()
                                            : a.complemented > b.complemented;
  });
}

bool Fitter::XorIn(GalMode mode, int output) const {
  const OutputInfo& info = info_[static_cast<std::size_t>(output)];
  return d_.IsXv() && (info.use_xor || (info.xor_in_feedback && mode == GalMode::Feedback));
}

int Fitter::Need(GalMode mode, int output) const {
  const OutputInfo& info = info_[static_cast<std::size_t>(output)];
  std::size_t n = SIZE_MAX;
  if (XorIn(mode, output)) {
    for (const auto& [a, b] : info.xor_forms) n = std::min(n, std::max(a.size(), b.size()));
  } else {
    for (const Form& f : info.forms) n = std::min(n, f.cover.size());
  }
  return static_cast<int>(n);
}

bool Fitter::HasEnableRow(GalMode mode, int output) const {
  if (d_.IsXv()) return !XorIn(mode, output);
  if (mode == GalMode::Macrocells || mode == GalMode::Complex) return true;
  if (mode == GalMode::Simple) return false;
  return !m_.outputs[static_cast<std::size_t>(output)].registered;
}

int Fitter::SumTerms(GalMode mode, const OutputCell& cell, int output) const {
  if (d_.IsXv()) return XorIn(mode, output) ? 2 : 3;
  if (mode == GalMode::Macrocells) return cell.rows - 1;
  return HasEnableRow(mode, output) ? 7 : 8;
}

// Outputs that need the most terms choose first, each taking the smallest
// free cell that holds it (and can read it back when the design does).
void Fitter::PlaceOutputs(GalMode mode, std::vector<int>& pin_of, Diagnostics& diags, bool& mode_only) const {
  std::vector<bool> taken(static_cast<std::size_t>(d_.pins) + 1, false);
  for (std::size_t s = 0; s < pin_of.size(); ++s) {
    if (pin_of[s] > 0 && !Sig(static_cast<int>(s)).node) taken[static_cast<std::size_t>(pin_of[s])] = true;
  }
  std::vector<int> open;
  for (std::size_t i = 0; i < m_.outputs.size(); ++i) {
    if (!Sig(m_.outputs[i].signal).node && pin_of[static_cast<std::size_t>(m_.outputs[i].signal)] == 0) {
      open.push_back(static_cast<int>(i));
    }
  }
  auto need = [&](int o) { return Need(mode, o); };
  std::stable_sort(open.begin(), open.end(), [&](int a, int b) { return need(a) > need(b); });
  for (int o : open) {
    const int signal = m_.outputs[static_cast<std::size_t>(o)].signal;
    const OutputCell* best = nullptr;
    int largest = 0, largest_pin = 0;
    for (const OutputCell& cell : d_.cells) {
      if (taken[static_cast<std::size_t>(cell.pin)]) continue;
      if (info_[static_cast<std::size_t>(o)].read && ReadColumn(d_, mode, cell.pin) < 0) continue;
      int terms = SumTerms(mode, cell, o);
      if (terms > largest) {
        largest = terms;
        largest_pin = cell.pin;
      }
      if (terms >= need(o) && (!best || terms < SumTerms(mode, *best, o))) best = &cell;
    }
    if (!best) {
      const Signal& s = Sig(signal);
      if (largest == 0 && s.node_in_macrocell) {
        diags.Error(
            s.pos, Quote(s.name) + " does not fit: the " + d_.name +
                       " has no buried cells, and no macrocell is free to hold the node (every one drives or "
                       "reads a pin of the design)");
      } else if (largest == 0) {
        diags.Error(s.pos, Quote(s.name) + " does not fit: every output cell of the " + d_.name +
                               " that could take it is in use (" + ModeName(mode) + " mode)");
      } else {
        diags.Error(s.pos, Quote(s.name) + " does not fit: it needs " + std::to_string(need(o)) +
                               " product terms, and the largest free cell (pin " +
                               std::to_string(largest_pin) + ") has " + std::to_string(largest) + " in " +
                               ModeName(mode) + " mode");
      }
      mode_only = false;
      continue;
    }
    taken[static_cast<std::size_t>(best->pin)] = true;
    pin_of[static_cast<std::size_t>(signal)] = best->pin;
  }
}

// Inputs go to free dedicated input pins first, then to free output cells
// that can be read in this mode. The clock and /OE signals have their pins.
void Fitter::PlaceInputs(GalMode mode, std::vector<int>& pin_of, Diagnostics& diags) const {
  std::vector<bool> taken(static_cast<std::size_t>(d_.pins) + 1, false);
  for (std::size_t s = 0; s < pin_of.size(); ++s) {
    if (pin_of[s] > 0 && !Sig(static_cast<int>(s)).node) taken[static_cast<std::size_t>(pin_of[s])] = true;
  }
  // Registered mode, and the GAL20XV10's feedback mode, keep pins 1 and 13 out of the logic.
  const bool registered = mode == GalMode::Registered || mode == GalMode::Feedback;
  bool any_xor = false;
  for (std::size_t o = 0; o < info_.size(); ++o) any_xor = any_xor || XorIn(mode, static_cast<int>(o));
  auto claim = [&](int signal, int pin) {
    if (taken[static_cast<std::size_t>(pin)]) {
      diags.Error(Sig(signal).pos,
                  Quote(Name(signal)) + " needs pin " + std::to_string(pin) + ", which is taken");
      return;
    }
    taken[static_cast<std::size_t>(pin)] = true;
    pin_of[static_cast<std::size_t>(signal)] = pin;
  };
  if (clock_signal_ >= 0 && pin_of[static_cast<std::size_t>(clock_signal_)] == 0)
    claim(clock_signal_, d_.clock_pin);
  if (oe_signal_ >= 0 && pin_of[static_cast<std::size_t>(oe_signal_)] == 0) claim(oe_signal_, d_.oe_pin);
  std::vector<int> order;  // candidate pins, best first
  for (int pin = 2; pin < d_.pins; ++pin) {
    if (!d_.IsCellPin(pin) && pin != d_.Gnd() && pin != d_.oe_pin) order.push_back(pin);
  }
  if (!registered) {
    order.push_back(1);
    if (d_.oe_pin && !any_xor) order.push_back(d_.oe_pin);  // pin 13 turns the XOR gates off
  }
  for (auto it = d_.cells.rbegin(); it != d_.cells.rend(); ++it) order.push_back(it->pin);
  for (std::size_t s = 0; s < m_.signals.size(); ++s) {
    const int signal = static_cast<int>(s);
    if (Sig(signal).node || pin_of[s] != 0 || output_of_[s] >= 0) continue;
    bool placed = false;
    for (int pin : order) {
      if (taken[static_cast<std::size_t>(pin)] || (read_[s] && ReadColumn(d_, mode, pin) < 0)) continue;
      claim(signal, pin);
      placed = true;
      break;
    }
    if (!placed) {
      diags.Error(Sig(signal).pos, Quote(Name(signal)) + " does not fit: no free pin of the " + d_.name +
                                       " can be read as an input in " + ModeName(mode) + " mode");
    }
  }
}

std::optional<FitResult> Fitter::Place(GalMode mode, Diagnostics& diags, bool& mode_only) {
  mode_only = true;
  const int before = diags.ErrorCount();
  auto error = [&](SourcePos pos, const std::string& text, bool mode_reason) {
    diags.Error(pos, text);
    mode_only = mode_only && mode_reason;
  };
  const std::string dev = d_.name;
  const std::string in_mode = std::string(" in ") + ModeName(mode) + " mode";
  std::vector<int> pin_of(m_.signals.size(), 0);
  for (std::size_t s = 0; s < m_.signals.size(); ++s) {
    if (!m_.signals[s].node) pin_of[s] = m_.signals[s].pin;
  }
  // What each declared pin is asked to do.
  for (std::size_t s = 0; s < m_.signals.size(); ++s) {
    const Signal& sig = m_.signals[s];
    const int pin = pin_of[s];
    if (pin == 0) continue;
    const int o = output_of_[s];
    if (o >= 0) {
      const Output& out = m_.outputs[static_cast<std::size_t>(o)];
      if (!d_.IsCellPin(pin)) {
        error(sig.pos,
              Quote(sig.name) + " is an output, but pin " + std::to_string(pin) + " of the " + dev +
                  " is an input pin; outputs go on pins " + OutputPins(d_),
              false);
        continue;
      }
      if (out.registered && d_.IsV8() && mode != GalMode::Registered) {
        error(sig.pos, Quote(sig.name) + " is registered, but the " + dev + in_mode + " has no registers",
              true);
      }
    }
    if (read_[s] && ReadColumn(d_, mode, pin) < 0) {
      std::string why =
          mode == GalMode::Registered && pin == d_.clock_pin ? " is the clock, outside the logic,"
          : mode == GalMode::Registered && pin == d_.oe_pin  ? " is the /OE pin, outside the logic,"
                                                             : " cannot be read by the logic";
      error(sig.pos,
            "the logic reads " + Quote(sig.name) + ", but pin " + std::to_string(pin) + " of the " + dev +
                why + in_mode,
            mode != GalMode::Registered);
    }
  }
  if (mode == GalMode::Simple && any_enable_) {
    error({}, "an output enable needs the " + dev + " in complex mode", true);
  }
  if (diags.ErrorCount() > before) return std::nullopt;
  PlaceOutputs(mode, pin_of, diags, mode_only);
  PlaceInputs(mode, pin_of, diags);
  for (std::size_t s = 0; s < m_.signals.size(); ++s) {
    // The clock and /OE signals take their pins even when the logic reads them.
    if (m_.signals[s].pin == 0 && read_[s] && pin_of[s] > 0 && ReadColumn(d_, mode, pin_of[s]) < 0) {
      error(m_.signals[s].pos,
            "the logic reads " + Quote(m_.signals[s].name) + ", which must be on pin " +
                std::to_string(pin_of[s]) + ", outside the logic of the " + dev + in_mode,
            false);
    }
  }
  for (std::size_t o = 0; mode == GalMode::Feedback && o < info_.size(); ++o) {
    if (!info_[o].xor_in_feedback || !info_[o].xor_forms.empty()) continue;
    error(Sig(m_.outputs[o].signal).pos,
          Quote(Name(m_.outputs[o].signal)) +
              " is enabled by pin 13, which in feedback mode enables only the " +
              "XOR gate of a cell, and it does not fit the gate's two sums of 2 product terms",
          true);
  }
  for (std::size_t s = 0; d_.IsXv() && s < m_.signals.size(); ++s) {
    if (pin_of[s] != d_.oe_pin || !read_[s] || output_of_[s] >= 0) continue;
    for (std::size_t o = 0; o < info_.size(); ++o) {
      if (!XorIn(mode, static_cast<int>(o))) continue;
      diags.Warning(Sig(m_.outputs[o].signal).pos,
                    Quote(Name(m_.outputs[o].signal)) +
                        " takes the XOR gate of its cell, which pin 13 turns off, " + "and pin 13 is " +
                        Quote(m_.signals[s].name) +
                        ", an input of the logic: " + Quote(Name(m_.outputs[o].signal)) +
                        " is in high impedance while " + Quote(m_.signals[s].name) + " is high");
    }
  }
  if (diags.ErrorCount() > before) return std::nullopt;
  FitResult r = Write(mode, pin_of, diags);
  if (diags.ErrorCount() > before) {
    mode_only = false;
    return std::nullopt;
  }
  return r;
}

void Fitter::WriteTerm(FitResult& r, GalMode mode, int row, const Cube& c) const {
  const std::size_t base = static_cast<std::size_t>(row * d_.columns);
  std::fill(r.fuses.begin() + static_cast<std::ptrdiff_t>(base),
            r.fuses.begin() + static_cast<std::ptrdiff_t>(base + static_cast<std::size_t>(d_.columns)), 1);
  for (std::uint64_t lits = LiteralMask(c); lits; lits &= lits - 1) {
    const int v = std::countr_zero(lits);
    const Variable& var = m_.variables[static_cast<std::size_t>(v)];
    const int column = ReadColumn(d_, mode, r.pin_of[static_cast<std::size_t>(var.signal)]);
    // A register's column carries the complement of its flip-flop. On the
    // 16V8/20V8 that is the pin level, so only '.Q' of an inverting register
    // reads it inverted; on the 22V10 a name that means the pin level of an
    // active-high register does too.
    bool flip = false;
    const int o = output_of_[static_cast<std::size_t>(var.signal)];
    if (o >= 0 && m_.outputs[static_cast<std::size_t>(o)].registered) {
      const bool inverts = r.inverters[static_cast<std::size_t>(o)] == Inverter::Invert;
      flip = !d_.map ? var.kind == Feedback::Q && inverts : var.kind == Feedback::Q || !inverts;
      // A GAL26V12 register read from its pin: the column is the pin level.
      if (d_.map && d_.map->feedback_base >= 0 && !info_[static_cast<std::size_t>(o)].reads_register)
        flip = false;
    }
    const bool want_one = ((c.one >> v) & 1) != 0;
    r.fuses[base + static_cast<std::size_t>(column + (want_one != flip ? 0 : 1))] = 0;
  }
}

void Fitter::WriteControl(FitResult& r, GalMode mode, int row, const std::optional<MinimisedFunction>& f,
                          const std::string& what, int output, Diagnostics& diags) const {
  if (!f) return;
  const Cover& c = f->Chosen();
  if (c.size() > 1) {
    const Output& o = m_.outputs[static_cast<std::size_t>(output)];
    const std::optional<Function>& src = what == "OE"    ? o.enable
                                         : what == "CLK" ? o.clock
                                         : what == "AR"  ? o.reset
                                                         : o.preset;
    diags.Error(src ? src->pos : SourcePos{}, Quote(Name(o.signal)) + "." + what +
                                                  " does not fit: it needs " + std::to_string(c.size()) +
                                                  " product terms, and the " + d_.name + " has one for it");
    return;
  }
  if (c.size() == 1) WriteTerm(r, mode, row, c[0]);
}

FitResult Fitter::Write(GalMode mode, const std::vector<int>& pin_of, Diagnostics& diags) const {
  FitResult r;
  r.mode = mode;
  r.pin_of = pin_of;
  r.fuses.assign(static_cast<std::size_t>(d_.fuses), 0);
  r.implemented = md_;
  const bool v8 = d_.IsV8();
  auto set = [&](int fuse, bool value) { r.fuses[static_cast<std::size_t>(fuse)] = value ? 1 : 0; };
  int first_registered = -1;
  // Each output's form first: the preferred one if it fits its cell, else
  // any that does. A free 22V10 register's form decides its inverter, which
  // every term that reads the register must know before it is written.
  std::vector<FittedCell> cells(d_.cells.size());
  std::vector<const Form*> form_of(m_.outputs.size(), nullptr);
  r.inverters.assign(m_.outputs.size(), Inverter::Unknown);
  for (std::size_t i = 0; i < d_.cells.size(); ++i) {
    FittedCell& fc = cells[i];
    fc.pin = d_.cells[i].pin;
    for (std::size_t s = 0; s < pin_of.size(); ++s) {
      if (pin_of[s] != fc.pin || m_.signals[s].node) continue;
      if (output_of_[s] >= 0) {
        fc.output = output_of_[s];
      } else {
        fc.input = static_cast<int>(s);
      }
    }
    if (fc.output < 0) continue;
    const std::size_t o = static_cast<std::size_t>(fc.output);
    fc.enable_term = HasEnableRow(mode, fc.output);
    fc.terms_max = SumTerms(mode, d_.cells[i], fc.output);
    for (const Form& f : info_[o].forms) {
      if (static_cast<int>(f.cover.size()) <= fc.terms_max) {
        form_of[o] = &f;
        break;
      }
    }
    if (!m_.outputs[o].registered) continue;
    const bool inverts = RegisterInverterIsFree(m_, m_.outputs[o]) ? form_of[o] && form_of[o]->complemented
                                                                   : InvertsRegister(m_, m_.outputs[o]);
    r.inverters[o] = inverts ? Inverter::Invert : Inverter::Buffer;
  }
  for (std::size_t i = 0; i < d_.cells.size(); ++i) {
    const OutputCell& cell = d_.cells[i];
    FittedCell fc = cells[i];
    if (fc.output < 0) {
      // Unused or input: the output buffer off, the pin high impedance. An
      // unused 22V10 cell stays a register with its OE row off, as is usual there.
      if (v8) {
        set(d_.ac1_base + static_cast<int>(i), true);
      } else if (d_.IsXv()) {
        // A plain sum that is never enabled; a pin read as an input is combinational.
        set(d_.xor_map->Xor(static_cast<int>(i)), true);
        set(d_.xor_map->Register(static_cast<int>(i)), fc.input >= 0);
      } else if (fc.input >= 0 && d_.map->Pairs()) {
        // A GAL26V12 cell reads its pin whatever S1 says; the classic compiler leaves it 0.
        set(d_.S1(static_cast<int>(i)), true);
      }
      fc.terms_max = v8 ? (mode == GalMode::Complex ? 7 : 8) : cell.rows - 1;
      r.cells.push_back(fc);
      continue;
    }
    const Output& o = m_.outputs[static_cast<std::size_t>(fc.output)];
    const OutputInfo& info = info_[static_cast<std::size_t>(fc.output)];
    const MinimisedOutput* mo = nullptr;
    for (const MinimisedOutput& x : md_.outputs) {
      if (x.output == fc.output) mo = &x;
    }
    fc.registered = o.registered;
    if (o.registered && first_registered < 0) first_registered = fc.output;
    const Form* form = form_of[static_cast<std::size_t>(fc.output)];
    const bool inverts = r.inverters[static_cast<std::size_t>(fc.output)] == Inverter::Invert;
    if (XorIn(mode, fc.output)) {
      // Sum A in the first two rows, sum B in the last two; the pin shows NOT (A XOR B).
      const auto& [a, b] = info.xor_forms.front();
      int row = cell.first_row;
      for (const Cube& c : a) WriteTerm(r, mode, row++, c);
      row = cell.first_row + 2;
      for (const Cube& c : b) WriteTerm(r, mode, row++, c);
      const int k = static_cast<int>(i);
      set(d_.xor_map->Polarity(k), b.empty() && info.pin13_enable);
      set(d_.xor_map->Xor(k), false);
      set(d_.xor_map->Register(k), !o.registered);
      fc.enable_term = false;
      fc.terms_used = static_cast<int>(a.size() + b.size());
      fc.terms_max = 4;
      r.cells.push_back(fc);
      continue;
    }
    if (!form) {
      std::size_t need = SIZE_MAX;
      for (const Form& f : info.forms) need = std::min(need, f.cover.size());
      diags.Error(Sig(o.signal).pos, Quote(Name(o.signal)) + " does not fit: it needs " +
                                         std::to_string(need) + " product terms, and pin " +
                                         std::to_string(cell.pin) + " has " + std::to_string(fc.terms_max) +
                                         " in " + ModeName(mode) + " mode");
      r.cells.push_back(fc);
      continue;
    }
    fc.terms_used = static_cast<int>(form->cover.size());
    // The pin shows the function, or its complement behind a .D of an inverting register.
    const bool pin_is_complement = o.registered && o.detailed && inverts;
    if (o.registered && d_.map) {
      fc.active_high = !inverts;
    } else {
      fc.active_high = form->complemented == pin_is_complement;
    }
    if (mo && mo->logic) {
      MinimisedFunction& impl =
          *r.implemented.outputs[static_cast<std::size_t>(mo - md_.outputs.data())].logic;
      (form->complemented ? impl.negative : impl.positive) = form->cover;
      (form->complemented ? impl.has_negative : impl.has_positive) = true;
      impl.complemented = form->complemented;
    }
    int sum_row = cell.first_row;
    if (fc.enable_term) {
      if (info.oe_pin_enable && d_.map) {
        WriteTerm(r, mode, cell.first_row, Cube{});
      } else if (mo && mo->enable) {
        WriteControl(r, mode, cell.first_row, mo->enable, "OE", fc.output, diags);
      } else {
        WriteTerm(r, mode, cell.first_row, Cube{});
      }
      ++sum_row;
    }
    if (d_.map && !d_.map->SharedControls()) {
      // GAL20RA10: a register's clock, reset and preset terms; a combinational
      // cell has reset and preset both true, which bypasses the register.
      const int k = static_cast<int>(i);
      if (o.registered && mo) {
        WriteControl(r, mode, d_.map->ClockRow(k), mo->clock, "CLK", fc.output, diags);
        WriteControl(r, mode, d_.map->CellResetRow(k), mo->reset, "AR", fc.output, diags);
        WriteControl(r, mode, d_.map->CellPresetRow(k), mo->preset, "AP", fc.output, diags);
      } else if (!o.registered) {
        WriteTerm(r, mode, d_.map->CellResetRow(k), Cube{});
        WriteTerm(r, mode, d_.map->CellPresetRow(k), Cube{});
      }
      sum_row = d_.map->FirstSum(k);
    }
    for (const Cube& c : form->cover) WriteTerm(r, mode, sum_row++, c);
    if (v8) {
      set(d_.xor_base + static_cast<int>(i), fc.active_high);
      set(d_.ac1_base + static_cast<int>(i),
          mode == GalMode::Registered ? !o.registered : mode == GalMode::Complex);
    } else if (d_.IsXv()) {
      const int k = static_cast<int>(i);
      set(d_.xor_map->Polarity(k), !fc.active_high);
      set(d_.xor_map->Xor(k), true);
      set(d_.xor_map->Register(k), !o.registered);
    } else {
      set(d_.S0(static_cast<int>(i)), fc.active_high);
      if (d_.S1(static_cast<int>(i)) >= 0) set(d_.S1(static_cast<int>(i)), !o.registered);
      if (d_.map->clock_base >= 0) {
        // GAL26V12: the feedback fuse equal to S1 reads the pin, else /Q.
        const bool pin_feedback = !o.registered || !info.reads_register;
        set(d_.map->ClockSelect(static_cast<int>(i)), o.registered && !info.second_clock);
        set(d_.map->FeedbackSelect(static_cast<int>(i)), info.read && (pin_feedback == !o.registered));
      }
    }
    r.cells.push_back(fc);
  }
  if (d_.IsXv()) {
    set(d_.xor_map->mode_fuse, mode == GalMode::Inputs);
  } else if (v8) {
    for (int row = 0; row < d_.rows; ++row) set(d_.ptd_base + row, true);
    set(d_.syn, mode != GalMode::Registered);
    set(d_.ac0, mode != GalMode::Simple);
  } else if (first_registered >= 0 && d_.ar_row >= 0) {
    WriteControl(r, mode, d_.ar_row, reset_, "AR", first_registered, diags);
    WriteControl(r, mode, d_.sp_row, preset_, "SP", first_registered, diags);
  }
  for (const FittedCell& c : r.cells) {
    r.terms_used += c.terms_used;
    r.terms_total += c.terms_max;
  }
  return r;
}

std::string PartName(const LogicModel& m, const GalArchitecture& d, GalMode mode) {
  if (d.IsXv()) return mode == GalMode::Inputs ? "P20XVIN" : "P20XVFB";
  if (d.family == Family::Gal18V10) return "P18V10G";
  if (d.family == Family::Gal26CV12) return "P26CV12";
  if (d.family == Family::Gal26V12) return "P26V12";
  if (d.family == Family::Gal20RA10) return m.device.part == "P20RA10G" ? "P20RA10G" : "P20RA10";
  if (!d.IsV8()) return m.device.part == "P22V10" ? "P22V10" : "P22V10G";
  std::string base = d.family == Family::Gal16V8 ? "P16V8" : "P20V8";
  return base + (mode == GalMode::Registered ? "R" : mode == GalMode::Complex ? "C" : "S");
}

}  // namespace

std::optional<FitResult> FitDesign(const LogicModel& model, const MinimisedDesign& design,
                                   Diagnostics& diags) {
  if (model.device.family == Family::Unknown) {
    diags.Error({}, model.device.part.empty()
                        ? "the design declares no device (for example: u1 device 'P16V8';)"
                        : "unknown device '" + model.device.part + "'");
    return std::nullopt;
  }
  if (IsPlaFamily(model.device.family)) return FitPla(model, design, diags);
  const GalArchitecture& d = DeviceOf(model.device.family);
  // None of the devices has buried cells: combinational nodes go into the
  // functions that read them. Output indices and signals stay as they were.
  LogicModel collapsed_model = model;
  MinimisedDesign collapsed_design = design;
  if (!CollapseNodes(collapsed_model, collapsed_design, diags)) return std::nullopt;
  // The nodes left (registers, and nodes with an enable, clock, reset or
  // preset) each take a macrocell whose pin the design leaves free. A 22V10
  // register reads its flip-flop, so its output stays off; any other node is
  // read back from its pin, which it then drives.
  std::vector<std::pair<int, bool>> placed_nodes;  // signal, buried
  for (MinimisedOutput& mo : collapsed_design.outputs) {
    Output& o = collapsed_model.outputs[static_cast<std::size_t>(mo.output)];
    Signal& s = collapsed_model.signals[static_cast<std::size_t>(o.signal)];
    if (!s.node) continue;
    s.node = false;
    s.node_in_macrocell = true;
    s.pin = 0;
    // The GAL20RA10 reads its registers from their pins only: its nodes drive them.
    const bool buried = d.map && d.map->SharedControls() && o.registered && !o.enable;
    if (buried) {
      o.enable = Function{Cover{}, Cover{}, o.logic ? o.logic->pos : s.pos};
      MinimisedFunction off;
      off.has_positive = true;
      mo.enable = off;
    }
    placed_nodes.push_back({o.signal, buried});
  }
  Fitter fitter(collapsed_model, collapsed_design, d);
  if (!fitter.Prepare(diags)) return std::nullopt;
  std::vector<GalMode> modes;
  bool any_registered = false;
  for (const Output& o : model.outputs) any_registered = any_registered || o.registered;
  if (d.IsXv()) {
    // Registers want pins 23 and 14 read back, and pin 13 free to enable the
    // XOR gates; without them pins 1 and 13 are inputs.
    modes = any_registered ? std::vector{GalMode::Feedback, GalMode::Inputs}
                           : std::vector{GalMode::Inputs, GalMode::Feedback};
  } else if (!d.IsV8()) {
    modes = {GalMode::Macrocells};
  } else {
    const char last = model.device.forced_mode;
    if (last == 'R') {
      modes = {GalMode::Registered};
    } else if (last == 'C') {
      modes = {GalMode::Complex};
    } else if (last == 'S') {
      modes = {GalMode::Simple};
    } else if (any_registered) {
      modes = {GalMode::Registered};
    } else {
      // Without registers registered mode is the last resort: it gives up
      // pins 1 and 11 (13) but reads every output cell back.
      modes = {GalMode::Simple, GalMode::Complex, GalMode::Registered};
    }
  }
  Diagnostics reasons;
  bool all_mode_only = true;  // every try so far failed only for its mode
  for (GalMode mode : modes) {
    Diagnostics attempt;
    bool mode_only = true;
    std::optional<FitResult> r = fitter.Place(mode, attempt, mode_only);
    if (r) {
      for (const Diagnostic& w : attempt.List()) {
        if (w.severity == Severity::Warning) diags.Warning(w.pos, w.message);
      }
      for (const auto& [signal, buried] : placed_nodes) {
        const Signal& s = model.signals[static_cast<std::size_t>(signal)];
        const std::string pin = std::to_string(r->pin_of[static_cast<std::size_t>(signal)]);
        diags.Warning(s.pos, Quote(s.name) + " is a node, and the " + d.name +
                                 " has no buried cells: it takes the macrocell of pin " + pin +
                                 (buried ? ", whose output stays off"
                                         : ", and drives that pin, which must be left free on the board"));
      }
      r->part = PartName(model, d, mode);
      // The classic library's P22V10, P26V12 and P20RA10 maps end before the signature.
      r->fuse_count =
          r->part == "P22V10" || r->part == "P26V12" || r->part == "P20RA10" ? d.ues_base : d.fuses;
      r->fuses.resize(static_cast<std::size_t>(r->fuse_count));
      return r;
    }
    // The reasons of the last mode that was tried for want of a better one.
    if (all_mode_only) reasons = attempt;
    all_mode_only = all_mode_only && mode_only;
  }
  for (const Diagnostic& e : reasons.List()) {
    if (e.severity == Severity::Error) diags.Error(e.pos, e.message);
  }
  return std::nullopt;
}

LogicModel FittedModel(const LogicModel& model, const FitResult& fit) {
  LogicModel fitted = model;
  for (std::size_t i = 0; i < fitted.outputs.size() && i < fit.inverters.size(); ++i) {
    if (fit.inverters[i] != Inverter::Unknown) fitted.outputs[i].inverter = fit.inverters[i];
  }
  return fitted;
}

}  // namespace abelc
