// The model reads the cell bits once, then evaluates the shared terms from
// the AND array and each sum from its OR fuses (0 = the term feeds the sum).
#include "abelc/pla_model.h"

#include <algorithm>

#include "abelc/pla_map.h"

namespace abelc {

PlaModel::PlaModel(Family family, std::vector<std::uint8_t> fuses) : fuses_(std::move(fuses)) {
  const pla::PlaMap& map = pla::MapOf(family);
  auto row_used = [&](int term) {
    for (int col = 0; col < pla::kColumns; ++col) {
      if (Fuse(pla::AndFuse(term, col))) return true;
    }
    return false;
  };
  for (int pin = 23; pin >= 14; --pin) {
    Cell c;
    c.pin = pin;
    c.sum_a = pla::OutputSum(pin);
    c.enable_term = pla::EnableTerm(pin);
    c.used = row_used(c.enable_term);
    const int bits = pla::OutputCellBits(pin);
    c.pin13 = Fuse(bits);
    c.combinational = Fuse(bits + 1);
    c.b_inverted = Fuse(bits + 2);
    c.no_invert = Fuse(bits + 3);
    cells_.push_back(c);
  }
  for (int node = pla::kFirstBuried; node <= pla::kLastBuried; ++node) {
    Cell c;
    c.pin = node;
    c.buried = true;
    c.used = true;
    c.sum_a = pla::BuriedSum(node);
    const int bits = pla::BuriedCellBits(node);
    c.pin13 = Fuse(bits);
    c.combinational = Fuse(bits + 1);
    c.b_inverted = Fuse(bits + 2);
    cells_.push_back(c);
  }
  for (int pin = 2; pin <= 23; ++pin) {
    if (!pla::IsInputPin(pin) && !pla::IsOutputPin(pin)) continue;
    const int bits = pla::InputCellBits(map, pin);
    inputs_[static_cast<std::size_t>(pin)].mode = Fuse(bits) ? 'p' : Fuse(bits + 1) ? 'r' : 'l';
  }
  connected_.resize(pla::kTerms);
  for (int t = 0; t < pla::kTerms; ++t) {
    for (int col = 0; col < pla::kColumns; ++col) {
      if (!Fuse(pla::AndFuse(t, col))) connected_[static_cast<std::size_t>(t)].push_back(col);
    }
  }
  sum_terms_.resize(pla::kSums);
  for (int t = 0; t < pla::kSharedTerms; ++t) {
    for (int s = 0; s < pla::kSums; ++s) {
      if (!Fuse(pla::OrFuse(t, s))) sum_terms_[static_cast<std::size_t>(s)].push_back(t);
    }
  }
  columns_.assign(pla::kColumns, 0);
  terms_.assign(pla::kTerms, false);
  Settle();
}

PlaModel::Cell* PlaModel::CellAtPin(int pin) {
  for (Cell& c : cells_) {
    if (!c.buried && c.pin == pin) return &c;
  }
  return nullptr;
}

const PlaModel::Cell* PlaModel::CellAtPin(int pin) const {
  return const_cast<PlaModel*>(this)->CellAtPin(pin);
}

int PlaModel::PinLevel(int pin) const {
  const Cell* c = CellAtPin(pin);
  if (c && c->used && c->enabled) {
    const int sum_level = c->combinational ? c->value ^ (c->no_invert ? 0 : 1) : 1 - c->q;
    return sum_level;
  }
  // An output turned off and not driven reads high, as in the classic simulator.
  if (c && c->used && drive_[static_cast<std::size_t>(pin)] < 0) return 1;
  return drive_[static_cast<std::size_t>(pin)] > 0 ? 1 : 0;
}

int PlaModel::InputLevel(int pin) const {
  const InputCell& in = inputs_[static_cast<std::size_t>(pin)];
  return in.mode == 'p' ? PinLevel(pin) : in.held;
}

void PlaModel::ReadColumns() {
  auto put = [&](int column, int value) {
    columns_[static_cast<std::size_t>(column)] = value;
    columns_[static_cast<std::size_t>(column + 1)] = 1 - value;
  };
  put(0, drive_[pla::kInputClockPin] > 0 ? 1 : 0);
  for (int pin = 2; pin <= 23; ++pin) {
    if (pla::IsInputPin(pin) || pla::IsOutputPin(pin)) put(pla::PinColumn(pin), InputLevel(pin));
  }
  for (const Cell& c : cells_) {
    if (c.buried) {
      put(pla::BuriedColumn(c.pin), c.combinational ? c.value : c.q);
    } else {
      put(pla::RegisterColumn(c.pin), c.q);
    }
  }
}

bool PlaModel::Term(int term) const {
  for (int col : connected_[static_cast<std::size_t>(term)]) {
    if (!columns_[static_cast<std::size_t>(col)]) return false;
  }
  return true;
}

void PlaModel::ComputeTerms() {
  for (int t = 0; t < pla::kTerms; ++t) terms_[static_cast<std::size_t>(t)] = Term(t);
}

bool PlaModel::SumValue(int sum) const {
  for (int t : sum_terms_[static_cast<std::size_t>(sum)]) {
    if (terms_[static_cast<std::size_t>(t)]) return true;
  }
  return false;
}

int PlaModel::Load(const Cell& c) const {
  const int a = SumValue(c.sum_a) ? 1 : 0;
  return c.no_invert ? 1 - a : a;
}

// Latches follow their pins while pin 1 is high; the reset term clears every
// register; the combinational cells and the enables follow the array.
void PlaModel::Settle() {
  const int rounds = 2 * static_cast<int>(cells_.size()) + 2;
  for (int round = 0; round < rounds; ++round) {
    bool changed = false;
    if (drive_[pla::kInputClockPin] > 0) {
      for (int pin = 2; pin <= 23; ++pin) {
        InputCell& in = inputs_[static_cast<std::size_t>(pin)];
        if (in.mode != 'l') continue;
        const int level = PinLevel(pin);
        changed = changed || in.held != level;
        in.held = level;
      }
    }
    ReadColumns();
    ComputeTerms();
    if (terms_[pla::kResetTerm]) {
      for (Cell& c : cells_) {
        if (!c.combinational && c.q) {
          c.q = 0;
          changed = true;
        }
      }
    }
    for (Cell& c : cells_) {
      const bool enabled = c.buried || terms_[static_cast<std::size_t>(c.enable_term)];
      const int value = c.combinational ? (SumValue(c.sum_a) ? 1 : 0) : c.q;
      if (enabled != c.enabled || value != c.value) {
        changed = true;
        if (round == rounds - 1 && !c.buried &&
            std::find(unsettled_.begin(), unsettled_.end(), c.pin) == unsettled_.end())
          unsettled_.push_back(c.pin);
      }
      c.enabled = enabled;
      c.value = value;
    }
    if (!changed) break;
  }
}

// Registers clocked by their sum B load as it rises (with the third bit: as it
// falls); a load may raise another clock sum.
void PlaModel::ClockTerms(bool load) {
  for (std::size_t round = 0; round <= cells_.size(); ++round) {
    ReadColumns();
    ComputeTerms();
    std::vector<std::pair<Cell*, int>> loads;
    for (Cell& c : cells_) {
      if (c.combinational || c.pin13) continue;
      const bool clock = SumValue(c.sum_a + 1) != c.b_inverted;
      if (load && clock && !c.clock_was && c.used) loads.push_back({&c, Load(c)});
      c.clock_was = clock;
    }
    if (loads.empty()) return;
    for (auto& [c, q] : loads) c->q = q;
    Settle();
  }
}

// The rise of pin 13: each register it clocks loads sum A, unless sum B says
// no (with the third bit) or only when sum B says so (without it).
void PlaModel::ClockCells(bool pin13_rose) {
  ReadColumns();
  ComputeTerms();
  std::vector<int> next;
  for (const Cell& c : cells_) {
    const bool b = SumValue(c.sum_a + 1);
    const bool loads = pin13_rose && !c.combinational && c.pin13 && b != c.b_inverted;
    next.push_back(loads ? Load(c) : c.q);
  }
  for (std::size_t i = 0; i < cells_.size(); ++i) cells_[i].q = next[i];
}

void PlaModel::Apply(const std::vector<int>& drive) {
  auto level = [&](int pin) {
    return static_cast<std::size_t>(pin) < drive.size() ? drive[static_cast<std::size_t>(pin)] : -1;
  };
  const bool rose13 = drive_[pla::kOutputClockPin] <= 0 && level(pla::kOutputClockPin) > 0;
  const bool rose1 = drive_[pla::kInputClockPin] <= 0 && level(pla::kInputClockPin) > 0;
  // A latch closes as pin 1 falls, before the other inputs change.
  if (drive_[pla::kInputClockPin] > 0 && level(pla::kInputClockPin) <= 0)
    drive_[pla::kInputClockPin] = level(pla::kInputClockPin);
  for (int p = 1; p <= kPins; ++p) {
    if (p != pla::kOutputClockPin && p != pla::kInputClockPin) drive_[static_cast<std::size_t>(p)] = level(p);
  }
  Settle();
  ClockTerms(true);
  if (rose13) ClockCells(true);
  if (rose1) {
    for (int pin = 2; pin <= 23; ++pin) {
      InputCell& in = inputs_[static_cast<std::size_t>(pin)];
      if (in.mode == 'r') in.held = PinLevel(pin);
    }
  }
  drive_[pla::kOutputClockPin] = level(pla::kOutputClockPin);
  drive_[pla::kInputClockPin] = level(pla::kInputClockPin);
  Settle();
  ClockTerms(true);
}

char PlaModel::Level(int pin) const {
  if (pin < 1 || pin > kPins) return 'L';
  const Cell* c = CellAtPin(pin);
  if (c && c->used) return c->enabled ? (PinLevel(pin) ? 'H' : 'L') : 'Z';
  return drive_[static_cast<std::size_t>(pin)] > 0 ? 'H' : 'L';
}

bool PlaModel::IsOutput(int pin) const {
  const Cell* c = CellAtPin(pin);
  return c && c->used;
}

bool PlaModel::IsRegistered(int pin) const {
  const Cell* c = CellAtPin(pin);
  return c && c->used && !c->combinational;
}

std::vector<int> PlaModel::TakeUnsettled() {
  std::vector<int> pins;
  pins.swap(unsettled_);
  std::sort(pins.begin(), pins.end());
  return pins;
}

std::vector<int> PlaModel::Registers() const {
  std::vector<int> q;
  for (const Cell& c : cells_) q.push_back(c.q);
  return q;
}

void PlaModel::SetRegisters(const std::vector<int>& q) {
  for (std::size_t i = 0; i < cells_.size() && i < q.size(); ++i) cells_[i].q = q[i];
  Settle();
  ClockTerms(false);
}

void PlaModel::Preload(const std::vector<int>& pin_levels) {
  for (Cell& c : cells_) {
    const std::size_t pin = static_cast<std::size_t>(c.pin);
    if (c.buried || c.combinational || !c.used || pin >= pin_levels.size() || pin_levels[pin] < 0) continue;
    c.q = pin_levels[pin] ? 0 : 1;  // the pin shows /Q
  }
  Settle();
  ClockTerms(false);
}

void PlaModel::LoadRegisters() {
  ReadColumns();
  ComputeTerms();
  std::vector<int> next;
  for (const Cell& c : cells_) next.push_back(!c.combinational && !c.pin13 && c.used ? Load(c) : c.q);
  for (std::size_t i = 0; i < cells_.size(); ++i) cells_[i].q = next[i];
  Settle();
  ClockTerms(false);
}

}  // namespace abelc
