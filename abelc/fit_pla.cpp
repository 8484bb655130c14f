// Each cell's sums become AND rows over the array's 78 columns; rows that are
// alike are one term, whose OR fuses feed every sum that uses it. The output
// cells invert, so a pin's sum is the complement of its function.
#include "abelc/fit_pla.h"

#include <algorithm>
#include <bit>
#include <map>

#include "abelc/collapse.h"
#include "abelc/pla_map.h"
#include "abelc/share_terms.h"

namespace abelc {

namespace {

using Row = std::vector<std::uint8_t>;  // kColumns fuses, 0 = connected

std::string Quote(const std::string& name) {
  return "'" + name + "'";
}

// What a cell is built from: its sums A and B and how it is clocked.
struct CellPlan {
  int output = -1;  // index into the model's outputs
  int pin = 0;      // an output pin, or a buried node
  bool buried = false;
  bool registered = false;
  bool pin13_clock = false;  // else clocked by sum B
  bool clock_enable = false;
  Cover a, b;
  Cover on, dc;            // what sum A must cover, and where it is free
  int design_output = -1;  // index into the minimised design
  bool complemented = false;
};

class PlaFitter {
 public:
  PlaFitter(const LogicModel& m, const MinimisedDesign& md, Diagnostics& diags)
      : m_(m), md_(md), diags_(diags), map_(pla::MapOf(m.device.family)), output_of_(m.signals.size(), -1) {
    // The outputs left in the design: a node folded into its readers takes no cell.
    for (const MinimisedOutput& mo : md.outputs)
      output_of_[static_cast<std::size_t>(m.outputs[static_cast<std::size_t>(mo.output)].signal)] = mo.output;
  }

  std::optional<FitResult> Run();

 private:
  const Signal& Sig(int signal) const { return m_.signals[static_cast<std::size_t>(signal)]; }
  const Output& Out(int output) const { return m_.outputs[static_cast<std::size_t>(output)]; }
  void Error(SourcePos pos, const std::string& text) {
    diags_.Error(pos, text);
    ok_ = false;
  }
  void PlaceSignals();
  void PlaceInputCells();
  bool IsPin13(const Cover& c) const;
  char InputMode(int pin) const;
  Cover Complement(const MinimisedFunction& f, const Function& src, const std::string& name);
  void PlanCells();
  Row RowOf(const Cube& c, SourcePos pos);
  int SharedTerm(const Row& row);
  void WriteRow(int term, const Row& row);
  void WriteCells();
  void WriteControls();

  const LogicModel& m_;
  const MinimisedDesign& md_;
  Diagnostics& diags_;
  const pla::PlaMap& map_;
  bool ok_ = true;
  std::vector<int> output_of_;  // per signal
  FitResult r_;
  std::vector<CellPlan> cells_;
  std::map<Row, int> terms_;                                   // shared rows and their term numbers
  int clock_signal_ = -1;                                      // the signal on pin 13
  std::vector<char> input_mode_ = std::vector<char>(25, 'p');  // per pin: plain, registered, latched
  std::vector<int> reported_;                                  // pins read past their input cells
  int reset_node_ = -1;  // node 25 in a design without registers: index into the minimised design
};

// The numbers the design gives, and free pins for the rest: outputs on
// 23..14, registered nodes on buried cells 26..33, inputs on 2..11.
void PlaFitter::PlaceSignals() {
  r_.pin_of.assign(m_.signals.size(), 0);
  r_.node_of.assign(m_.signals.size(), 0);
  std::vector<bool> taken(pla::kLastInputCell + 1, false);
  for (std::size_t s = 0; s < m_.signals.size(); ++s) {
    const Signal& sig = m_.signals[s];
    if (sig.pin <= 0) continue;
    (sig.node ? r_.node_of : r_.pin_of)[s] = sig.pin;
    if (sig.pin < static_cast<int>(taken.size())) taken[static_cast<std::size_t>(sig.pin)] = true;
  }
  auto take = [&](int from, int to, int step) {
    for (int p = from; p != to + step; p += step) {
      if (!taken[static_cast<std::size_t>(p)]) {
        taken[static_cast<std::size_t>(p)] = true;
        return p;
      }
    }
    return 0;
  };
  for (std::size_t s = 0; s < m_.signals.size(); ++s) {
    const Signal& sig = m_.signals[s];
    if (sig.pin > 0) continue;
    const int o = output_of_[s];
    if (sig.node && o >= 0) {
      r_.node_of[s] = take(pla::kFirstBuried, pla::kLastBuried, 1);
      if (!r_.node_of[s]) Error(sig.pos, Quote(sig.name) + " does not fit: the eight buried cells are taken");
    } else if (!sig.node && o >= 0) {
      r_.pin_of[s] = take(23, 14, -1);
      if (!r_.pin_of[s]) Error(sig.pos, Quote(sig.name) + " does not fit: the ten output pins are taken");
    } else if (!sig.node) {
      r_.pin_of[s] = take(2, 11, 1);
    }
  }
  for (std::size_t s = 0; s < m_.signals.size(); ++s) {
    const Signal& sig = m_.signals[s];
    const int o = output_of_[s];
    const int pin = r_.pin_of[s], node = r_.node_of[s];
    if (sig.node && node == pla::kResetNode) continue;  // the reset term, already taken apart
    if (sig.node && node && !pla::IsBuriedNode(node) && !pla::IsInputCellNode(node)) {
      Error(sig.pos, "node " + std::to_string(node) + " of the " + map_.name +
                         " is not a cell: nodes 26 to 33 are the buried cells, 70 to 89 the input cells and "
                         "25 the reset");
    } else if (o >= 0 && !sig.node && !pla::IsOutputPin(pin)) {
      Error(sig.pos, Quote(sig.name) + " is an output on pin " + std::to_string(pin) +
                         ", but the outputs of the " + map_.name + " are pins 14 to 23");
    } else if (o < 0 && !sig.node && pin == pla::kOutputClockPin) {
      clock_signal_ = static_cast<int>(s);
    }
  }
}

// Nodes 70-89 are the input cells: a register of its pin clocked by pin 1, or
// a latch that follows its pin while pin 1 is high.
void PlaFitter::PlaceInputCells() {
  for (const MinimisedOutput& mo : md_.outputs) {
    const Output& o = Out(mo.output);
    const Signal& s = Sig(o.signal);
    const int node = r_.node_of[static_cast<std::size_t>(o.signal)];
    if (!s.node || !pla::IsInputCellNode(node)) continue;
    const int pin = pla::InputCellPin(node);
    const bool latched = mo.latch_enable.has_value();
    auto one_literal = [&](const std::optional<MinimisedFunction>& f, int& signal) {
      signal = -1;
      if (!f || f->Chosen().size() != 1 || LiteralCount(f->Chosen()[0]) != 1) return false;
      const Cube& c = f->Chosen()[0];
      const int v = std::countr_zero(LiteralMask(c));
      if (((c.one >> v) & 1) == 0) return false;
      signal = m_.variables[static_cast<std::size_t>(v)].signal;
      return true;
    };
    int data = -1, control = -1;
    const bool data_ok = one_literal(mo.logic, data) && r_.pin_of[static_cast<std::size_t>(data)] == pin;
    const bool control_ok = one_literal(latched ? mo.latch_enable : mo.clock, control) &&
                            r_.pin_of[static_cast<std::size_t>(control)] == pla::kInputClockPin;
    if (!o.registered || !data_ok) {
      Error(s.pos, Quote(s.name) + " is the input cell of pin " + std::to_string(pin) +
                       ": it can only hold that pin (" + s.name + " := pin; " + s.name + ".CLK = pin 1, or " +
                       s.name + ".LE = pin 1)");
      continue;
    }
    if (!control_ok || (latched && mo.clock) || o.reset || o.enable || o.clock_enable) {
      Error(s.pos, Quote(s.name) +
                       " is an input cell: it is clocked or latched by pin 1 only, without "
                       "a reset, enable or clock enable");
      continue;
    }
    const char mode = latched ? 'l' : 'r';
    if (!map_.input_cell_pairs) {
      // The GAL6001 sets pins 2-11 alike, and pins 14-23 alike.
      const bool low = pla::IsInputPin(pin);
      for (int p = low ? 2 : 14; p <= (low ? 11 : 23); ++p) {
        const char other = input_mode_[static_cast<std::size_t>(p)];
        if (other != 'p' && other != mode) {
          const std::string pins = low ? "2 to 11" : "14 to 23";
          Error(s.pos, Quote(s.name) + " is " + (latched ? "latched" : "registered") +
                           ", but another input cell of pins " + pins +
                           " is not: the GAL6001 sets those cells alike");
          break;
        }
      }
    }
    input_mode_[static_cast<std::size_t>(pin)] = mode;
  }
}

// What the pin's input cell does: on the GAL6001 the setting of its group.
char PlaFitter::InputMode(int pin) const {
  char mode = input_mode_[static_cast<std::size_t>(pin)];
  for (int p = 2; p <= 23 && !map_.input_cell_pairs; ++p) {
    const char other = input_mode_[static_cast<std::size_t>(p)];
    if (pla::IsInputPin(p) == pla::IsInputPin(pin) && other != 'p') mode = other;
  }
  return mode;
}

bool PlaFitter::IsPin13(const Cover& c) const {
  if (c.size() != 1 || LiteralCount(c[0]) != 1) return false;
  const int v = std::countr_zero(LiteralMask(c[0]));
  const Variable& var = m_.variables[static_cast<std::size_t>(v)];
  return ((c[0].one >> v) & 1) != 0 && var.signal == clock_signal_;
}

Cover PlaFitter::Complement(const MinimisedFunction& f, const Function& src, const std::string& name) {
  if (f.has_negative) return f.negative;
  Cover out;
  if (!MinimiseCover(Not(Or(src.on, src.dc)), src.dc, out))
    Error(src.pos, Quote(name) + " needs more work to minimise than the limit allows");
  return out;
}

void PlaFitter::PlanCells() {
  for (std::size_t k = 0; k < md_.outputs.size(); ++k) {
    const MinimisedOutput& mo = md_.outputs[k];
    const Output& o = Out(mo.output);
    const Signal& s = Sig(o.signal);
    const std::size_t sig = static_cast<std::size_t>(o.signal);
    if (s.node && pla::IsInputCellNode(r_.node_of[sig])) continue;
    CellPlan c;
    c.output = mo.output;
    c.buried = s.node;
    c.pin = s.node ? r_.node_of[sig] : r_.pin_of[sig];
    if (c.pin == 0) continue;
    if (c.buried && c.pin == pla::kResetNode) {
      reset_node_ = static_cast<int>(k);  // a design without registers: the term alone
      continue;
    }
    c.registered = o.registered;
    if (c.buried && mo.enable)
      Error(o.enable->pos, Quote(s.name) + " is a buried node and has no output enable");
    if (mo.preset) Error(o.preset->pos, "the " + std::string(map_.name) + " has no preset");
    if (mo.logic) {
      SetWorkBudget(kMinimiseWorkPerFunction);
      MinimisedFunction& impl = *r_.implemented.outputs[k].logic;
      // Output cells invert: the sum is the complement, except for a '.D'
      // written straight into the flip-flop. Buried cells do not.
      const bool complemented = !c.buried && !(o.registered && o.detailed);
      c.a = complemented ? Complement(*mo.logic, *o.logic, s.name) : mo.logic->positive;
      c.on = complemented ? Not(Or(o.logic->on, o.logic->dc)) : o.logic->on;
      c.dc = o.logic->dc;
      c.design_output = static_cast<int>(k);
      c.complemented = complemented;
      if (!complemented && !mo.logic->has_positive) {
        if (!MinimiseCover(o.logic->on, o.logic->dc, c.a))
          Error(o.logic->pos, Quote(s.name) + " needs more work to minimise than the limit allows");
      }
      (complemented ? impl.negative : impl.positive) = c.a;
      (complemented ? impl.has_negative : impl.has_positive) = true;
      impl.complemented = complemented;
    }
    if (o.registered) {
      if (!mo.clock) {
        diags_.Warning(s.pos,
                       Quote(s.name) +
                           " has no clock equation: it is clocked by pin 13, the output clock of the " +
                           map_.name);
      }
      const bool pin13 = !mo.clock || IsPin13(mo.clock->Chosen());
      c.pin13_clock = pin13;
      if (!pin13) c.b = mo.clock->Chosen();
      if (mo.clock_enable) {
        if (!pin13) {
          Error(o.clock_enable->pos, Quote(s.name) + " has a clock term and a clock enable: the " +
                                         map_.name +
                                         " takes a clock enable only on registers clocked by pin 13");
        }
        c.clock_enable = true;
        c.b = mo.clock_enable->Chosen();
      }
    }
    cells_.push_back(std::move(c));
  }
}

// The AND row of a product: a register read as its pin level (plain or
// '.FB') is the complement of its Q column.
Row PlaFitter::RowOf(const Cube& c, SourcePos pos) {
  Row row(pla::kColumns, 1);
  for (std::uint64_t lits = LiteralMask(c); lits; lits &= lits - 1) {
    const int v = std::countr_zero(lits);
    const Variable& var = m_.variables[static_cast<std::size_t>(v)];
    const std::size_t sig = static_cast<std::size_t>(var.signal);
    const Signal& s = Sig(var.signal);
    const int pin = r_.pin_of[sig], node = r_.node_of[sig];
    const int o = output_of_[sig];
    int column = -1;
    bool flip = false;
    if (s.node && pla::IsBuriedNode(node)) {
      column = pla::BuriedColumn(node);
    } else if (s.node && pla::IsInputCellNode(node)) {
      column = pla::PinColumn(pla::InputCellPin(node));
    } else if (!s.node && o >= 0 && Out(o).registered && var.kind != Feedback::Pin) {
      column = pla::RegisterColumn(pin);
      flip = var.kind != Feedback::Q;
    } else if (!s.node) {
      column = pla::PinColumn(pin);
      // A pin whose cell registers or latches it reaches the array through its node only.
      if (column >= 0 && pin > 1 && InputMode(pin) != 'p') {
        if (std::find(reported_.begin(), reported_.end(), pin) == reported_.end()) {
          reported_.push_back(pin);
          Error(pos, Quote(s.name) + " on pin " + std::to_string(pin) + " reaches the array through its " +
                         (InputMode(pin) == 'l' ? "latched" : "registered") + " input cell only" +
                         (map_.input_cell_pairs
                              ? ""
                              : " (the " + std::string(map_.name) + " sets the cells of pins " +
                                    (pla::IsInputPin(pin) ? "2 to 11" : "14 to 23") + " alike)") +
                         ": read the cell's node instead");
        }
        continue;
      }
    }
    if (column < 0) {
      Error(pos, Quote(s.name) + (pin == pla::kOutputClockPin
                                      ? " on pin 13 is the output clock of the " + std::string(map_.name) +
                                            " and does not reach the array"
                                      : " cannot be read in the array of the " + std::string(map_.name)));
      continue;
    }
    const bool want_one = ((c.one >> v) & 1) != 0;
    row[static_cast<std::size_t>(column + (want_one != flip ? 0 : 1))] = 0;
  }
  return row;
}

int PlaFitter::SharedTerm(const Row& row) {
  auto [it, added] = terms_.try_emplace(row, static_cast<int>(terms_.size()));
  if (added && it->second < pla::kSharedTerms) {
    WriteRow(it->second, row);
    for (int s = 0; s < pla::kSums; ++s) r_.fuses[static_cast<std::size_t>(pla::OrFuse(it->second, s))] = 1;
  }
  return it->second;
}

void PlaFitter::WriteRow(int term, const Row& row) {
  for (int col = 0; col < pla::kColumns; ++col)
    r_.fuses[static_cast<std::size_t>(pla::AndFuse(term, col))] = row[static_cast<std::size_t>(col)];
}

void PlaFitter::WriteCells() {
  auto set = [&](int fuse, bool v) { r_.fuses[static_cast<std::size_t>(fuse)] = v ? 1 : 0; };
  for (const CellPlan& c : cells_) {
    const Output& o = Out(c.output);
    const SourcePos pos = o.logic ? o.logic->pos : Sig(o.signal).pos;
    const int a = c.buried ? pla::BuriedSum(c.pin) : pla::OutputSum(c.pin);
    for (const auto& [cover, sum] : {std::pair{&c.a, a}, std::pair{&c.b, a + 1}}) {
      for (const Cube& cube : *cover) {
        const int term = SharedTerm(RowOf(cube, pos));
        if (term < pla::kSharedTerms) set(pla::OrFuse(term, sum), false);
      }
    }
    // Clocked by pin 13, combinational, load unless sum B: see the map's table.
    const bool first = c.registered && c.pin13_clock;
    const bool third = c.registered && c.pin13_clock && !c.clock_enable;
    const int bits = c.buried ? pla::BuriedCellBits(c.pin) : pla::OutputCellBits(c.pin);
    set(bits, first);
    set(bits + 1, !c.registered);
    set(bits + 2, third);
  }
  // The input cells: on the GAL6001 one setting per group of ten pins.
  for (int pin = 2; pin <= 23; ++pin) {
    if (!pla::IsInputPin(pin) && !pla::IsOutputPin(pin)) continue;
    const char mode = InputMode(pin);
    const int bits = pla::InputCellBits(map_, pin);
    set(bits, mode == 'p');
    set(bits + 1, mode != 'l');
  }
}

void PlaFitter::WriteControls() {
  // Enable terms: TRUE without '.OE', FALSE (all 0) for a pin with no output.
  for (const CellPlan& c : cells_) {
    if (c.buried) continue;
    const MinimisedOutput* mo = nullptr;
    for (const MinimisedOutput& x : md_.outputs) {
      if (x.output == c.output) mo = &x;
    }
    const Output& o = Out(c.output);
    const Cover e = mo && mo->enable ? mo->enable->Chosen() : True();
    if (e.size() > 1) {
      Error(o.enable->pos, Quote(Sig(o.signal).name) + ".OE does not fit: it needs " +
                               std::to_string(e.size()) + " product terms, and the " + map_.name +
                               " has one for it");
    } else if (e.size() == 1) {
      const Row row = RowOf(e[0], o.enable ? o.enable->pos : Sig(o.signal).pos);
      WriteRow(pla::EnableTerm(c.pin), row);
    }
  }
  // The reset term, shared by every register.
  const MinimisedOutput* first = nullptr;
  for (const MinimisedOutput& mo : md_.outputs) {
    const Output& o = Out(mo.output);
    if (!o.registered || pla::IsInputCellNode(r_.node_of[static_cast<std::size_t>(o.signal)])) continue;
    if (!first) {
      first = &mo;
      continue;
    }
    auto sorted = [](const std::optional<MinimisedFunction>& f) {
      Cover c = f ? f->Chosen() : Cover{};
      std::sort(c.begin(), c.end(), [](const Cube& p, const Cube& q) {
        return p.zero != q.zero ? p.zero < q.zero : p.one < q.one;
      });
      return std::pair{f.has_value(), c};
    };
    if (sorted(first->reset) != sorted(mo.reset)) {
      Error(Sig(o.signal).pos, "the " + std::string(map_.name) + " resets all registers together, but " +
                                   Quote(Sig(o.signal).name) +
                                   " has a reset that differs from the other registers'");
    }
  }
  if (!first && reset_node_ >= 0) {
    const MinimisedOutput& mo = md_.outputs[static_cast<std::size_t>(reset_node_)];
    const Output& o = Out(mo.output);
    Cover c;
    if (mo.logic && mo.logic->has_positive) {
      c = mo.logic->positive;
    } else if (o.logic && !MinimiseCover(o.logic->on, o.logic->dc, c)) {
      Error(o.logic->pos, Quote(Sig(o.signal).name) + " needs more work to minimise than the limit allows");
    }
    if (c.size() > 1) {
      Error(o.logic->pos, "the reset of the " + std::string(map_.name) + " does not fit: it needs " +
                              std::to_string(c.size()) + " product terms, and the reset term is one");
    } else if (c.size() == 1) {
      WriteRow(pla::kResetTerm, RowOf(c[0], o.logic->pos));
    }
  }
  if (first && first->reset) {
    const Cover& c = first->reset->Chosen();
    const Output& o = Out(first->output);
    if (c.size() > 1) {
      Error(o.reset->pos, "the reset of the " + std::string(map_.name) + " does not fit: it needs " +
                              std::to_string(c.size()) + " product terms, and the reset term is one");
    } else if (c.size() == 1) {
      WriteRow(pla::kResetTerm, RowOf(c[0], o.reset->pos));
    }
  }
}

std::optional<FitResult> PlaFitter::Run() {
  r_.mode = GalMode::Pla;
  r_.part = map_.part;
  r_.fuse_count = map_.fuses;
  r_.fuses.assign(static_cast<std::size_t>(map_.fuses), 0);
  r_.implemented = md_;
  r_.inverters.assign(m_.outputs.size(), Inverter::Unknown);
  PlaceSignals();
  if (!ok_) return std::nullopt;
  PlaceInputCells();
  PlanCells();
  if (!ok_) return std::nullopt;
  for (int t = 0; t < pla::kSharedTerms; ++t) {
    for (int s = 0; s < pla::kSums; ++s) r_.fuses[static_cast<std::size_t>(pla::OrFuse(t, s))] = 1;
  }
  std::vector<SharedSum> sums;
  for (const CellPlan& c : cells_) sums.push_back({c.on, c.dc, c.a});
  ShareTerms(sums);
  for (std::size_t i = 0; i < cells_.size(); ++i) cells_[i].a = sums[i].cover;
  for (const CellPlan& c : cells_) {
    if (c.design_output < 0) continue;
    MinimisedFunction& impl = *r_.implemented.outputs[static_cast<std::size_t>(c.design_output)].logic;
    (c.complemented ? impl.negative : impl.positive) = c.a;
  }
  WriteCells();
  WriteControls();
  if (static_cast<int>(terms_.size()) > pla::kSharedTerms) {
    Error({}, "the design does not fit the " + std::string(map_.name) + ": its sums need " +
                  std::to_string(terms_.size()) + " product terms, and the array has " +
                  std::to_string(pla::kSharedTerms));
  }
  if (!ok_) return std::nullopt;
  for (std::size_t i = 0; i < m_.outputs.size(); ++i) {
    if (m_.outputs[i].registered) r_.inverters[i] = m_.outputs[i].inverter;
  }
  // The report's cells: the output pins, highest first.
  for (int pin = 23; pin >= 14; --pin) {
    FittedCell fc;
    fc.pin = pin;
    fc.enable_term = true;
    fc.terms_max = pla::kSharedTerms;
    for (const CellPlan& c : cells_) {
      if (c.buried || c.pin != pin) continue;
      fc.output = c.output;
      fc.registered = c.registered;
      fc.terms_used = static_cast<int>(c.a.size());
    }
    for (std::size_t s = 0; s < m_.signals.size() && fc.output < 0; ++s) {
      if (r_.pin_of[s] == pin && output_of_[s] < 0) fc.input = static_cast<int>(s);
    }
    r_.cells.push_back(fc);
  }
  r_.terms_used = static_cast<int>(terms_.size());
  r_.terms_total = pla::kSharedTerms;
  return r_;
}

}  // namespace

std::optional<FitResult> FitPla(const LogicModel& model, const MinimisedDesign& design, Diagnostics& diags) {
  // Combinational nodes without a cell number go into the functions that
  // read them; numbered ones take their buried cells.
  LogicModel collapsed = model;
  MinimisedDesign collapsed_design = design;
  std::vector<std::size_t> numbered;
  for (std::size_t s = 0; s < collapsed.signals.size(); ++s) {
    Signal& sig = collapsed.signals[s];
    if (sig.node && sig.pin > 0) {
      sig.node = false;
      numbered.push_back(s);
    }
  }
  if (!CollapseNodes(collapsed, collapsed_design, diags)) return std::nullopt;
  for (std::size_t s : numbered) collapsed.signals[s].node = true;
  PlaFitter fitter(collapsed, collapsed_design, diags);
  try {
    return fitter.Run();
  } catch (const WorkLimitExceeded&) {
    diags.Error({}, "the design needs more work to fit than the limit allows");
    return std::nullopt;
  }
}

}  // namespace abelc
