// The model decodes the architecture fuses once, then evaluates product-term
// rows straight from the AND array: fuse 0 = the column is connected.
#include "abelc/fuse_model.h"

#include <algorithm>

#include "abelc/gal_devices.h"

namespace abelc {

namespace {

// The pin feeding each true column (column 2k) of the AND array, by mode.
const int k16V8Simple[] = {2, 1, 3, 19, 4, 18, 5, 17, 6, 14, 7, 13, 8, 12, 9, 11};
const int k16V8Complex[] = {2, 1, 3, 18, 4, 17, 5, 16, 6, 15, 7, 14, 8, 13, 9, 11};
const int k16V8Registered[] = {2, 19, 3, 18, 4, 17, 5, 16, 6, 15, 7, 14, 8, 13, 9, 12};
const int k20V8Simple[] = {2, 1, 3, 23, 4, 22, 5, 21, 6, 20, 7, 17, 8, 16, 9, 15, 10, 14, 11, 13};
const int k20V8Complex[] = {2, 1, 3, 23, 4, 21, 5, 20, 6, 19, 7, 18, 8, 17, 9, 16, 10, 14, 11, 13};
const int k20V8Registered[] = {2, 23, 3, 22, 4, 21, 5, 20, 6, 19, 7, 18, 8, 17, 9, 16, 10, 15, 11, 14};
template <std::size_t N>
std::vector<int> Table(const int (&t)[N]) {
  return std::vector<int>(t, t + N);
}

}  // namespace

FuseMapModel::FuseMapModel(Family family, std::vector<std::uint8_t> fuses) : fuses_(std::move(fuses)) {
  if (IsPlaFamily(family)) {
    pla_.emplace(family, std::move(fuses_));
    pins_ = PlaModel::kPins;
    return;
  }
  cells_.reserve(12);
  if (const galmaps::MacrocellMap* map = MacrocellMapOf(family)) {
    macrocells_ = true;
    pins_ = map->pins;
    columns_ = map->Columns();
    rows_ = map->Rows();
    column_pins_.assign(map->column_pins.begin(), map->column_pins.begin() + map->column_pairs);
    for (int i = 0; i < map->cell_count && !map->SharedControls(); ++i) {
      // GAL20RA10: reset and preset rows both true bypass the register; pin
      // 13 low enables every output; the array reads the pins.
      Cell c;
      c.pin = map->cells[static_cast<std::size_t>(i)].pin;
      c.oe_row = map->OeRow(i);
      c.first_sum = map->FirstSum(i);
      c.sums = map->cells[static_cast<std::size_t>(i)].terms;
      c.invert = !Fuse(map->S0(i));
      c.clock_row = map->ClockRow(i);
      c.ar_row = map->CellResetRow(i);
      c.ap_row = map->CellPresetRow(i);
      c.registered = !(RowAlwaysTrue(c.ar_row) && RowAlwaysTrue(c.ap_row));
      c.oe_by_pin = true;
      c.clock_pin = 0;
      cells_.push_back(c);
    }
    if (!map->SharedControls()) {
      oe_pin_ = 13;
      clock_pins_.clear();
    }
    for (int i = 0; i < map->cell_count && map->SharedControls(); ++i) {
      Cell c;
      c.pin = map->cells[static_cast<std::size_t>(i)].pin;
      c.oe_row = map->OeRow(i);
      c.first_sum = c.oe_row + 1;
      c.sums = map->cells[static_cast<std::size_t>(i)].terms;
      c.invert = !Fuse(map->S0(i));
      c.registered = !Fuse(map->S1(i));
      if (map->clock_base >= 0 && !Fuse(map->ClockSelect(i))) c.clock_pin = map->second_clock;
      // The GAL26V12 reads the pin where its feedback fuse equals S1, else /Q.
      c.reads_register =
          map->feedback_base >= 0 ? Fuse(map->FeedbackSelect(i)) == c.registered : c.registered;
      cells_.push_back(c);
    }
    if (map->second_clock) clock_pins_.push_back(map->second_clock);
    ar_row_ = map->ResetRow();
    sp_row_ = map->PresetRow();
  } else if (family == Family::Gal20XV10) {
    // Each cell: an enable term and three sums, or two sums of two into the
    // XOR gate, which pin 13 enables; the pin shows /Q of a register. The
    // mode fuse says whether two column pairs read pins 1 and 13 or 23 and 14.
    const galmaps::XorMap& map = galmaps::Map20XV10;
    pins_ = map.pins;
    columns_ = map.Columns();
    rows_ = map.rows;
    const bool inputs = Fuse(map.mode_fuse);
    const auto& pins = inputs ? map.input_columns : map.feedback_columns;
    column_pins_.assign(pins.begin(), pins.begin() + map.column_pairs);
    oe_pin_ = 13;
    for (int i = 0; i < 10; ++i) {
      Cell c;
      c.pin = map.cells[static_cast<std::size_t>(i)];
      c.registered = !Fuse(map.Register(i));
      c.reads_register = c.registered;  // the pin level while enabled, the register's while off
      c.xor_sums = !Fuse(map.Xor(i));
      c.first_sum = map.FirstRow(i);
      if (c.xor_sums) {
        c.sums = 4;
        c.oe_by_pin = true;
        c.invert = true;
      } else {
        c.oe_row = c.first_sum++;
        c.sums = 3;
        c.invert = Fuse(map.Polarity(i));
      }
      cells_.push_back(c);
    }
  } else {
    const bool small = family == Family::Gal16V8;
    rows_ = 64;
    pins_ = small ? 20 : 24;
    columns_ = small ? 32 : 40;
    const int base = 64 * columns_;  // XOR, signature, AC1, PTD, SYN, AC0 follow the array
    const bool syn = Fuse(base + 144), ac0 = Fuse(base + 145);
    const bool registered_mode = !syn;  // SYN = 0, AC0 = 0 is read as registered too
    const bool simple = syn && !ac0;
    if (small) {
      column_pins_ = simple            ? Table(k16V8Simple)
                     : registered_mode ? Table(k16V8Registered)
                                       : Table(k16V8Complex);
    } else {
      column_pins_ = simple            ? Table(k20V8Simple)
                     : registered_mode ? Table(k20V8Registered)
                                       : Table(k20V8Complex);
    }
    ptd_base_ = base + 80;
    oe_pin_ = registered_mode ? (small ? 11 : 13) : 0;
    const int top = small ? 19 : 22;
    for (int i = 0; i < 8; ++i) {
      Cell c;
      c.pin = top - i;
      const bool ac1 = Fuse(base + 72 + i);
      c.invert = !Fuse(base + i);
      if (simple) {
        c.buffer_off = ac1;
        c.first_sum = 8 * i;
        c.sums = 8;
      } else if (registered_mode && !ac1) {
        c.registered = true;
        c.reads_register = true;
        c.oe_by_pin = true;
        c.first_sum = 8 * i;
        c.sums = 8;
      } else {
        c.oe_row = 8 * i;
        c.first_sum = 8 * i + 1;
        c.sums = 7;
      }
      cells_.push_back(c);
    }
  }
  drive_.assign(static_cast<std::size_t>(pins_) + 1, -1);
  cell_at_pin_.assign(static_cast<std::size_t>(pins_) + 1, -1);
  for (std::size_t i = 0; i < cells_.size(); ++i)
    cell_at_pin_[static_cast<std::size_t>(cells_[i].pin)] = static_cast<int>(i);
  row_start_.reserve(static_cast<std::size_t>(rows_) + 1);
  connected_.reserve(static_cast<std::size_t>(rows_ * columns_));
  for (int row = 0; row < rows_; ++row) {
    row_start_.push_back(connected_.size());
    for (int col = 0; col < columns_; ++col) {
      if (!Fuse(row * columns_ + col)) connected_.push_back(col);
    }
  }
  row_start_.push_back(connected_.size());
  columns_now_.assign(static_cast<std::size_t>(columns_), 0);
  Settle();
  ClockRows(false);
}

bool FuseMapModel::RowAlwaysTrue(int row) const {
  for (int col = 0; col < columns_; ++col) {
    if (!Fuse(row * columns_ + col)) return false;
  }
  return true;
}

// A clock row that rises loads its register from the sum as it stands (the
// inputs settled first); a register that changes may raise another clock row.
void FuseMapModel::ClockRows(bool load) {
  for (std::size_t round = 0; round <= cells_.size(); ++round) {
    ReadColumns();
    std::vector<std::pair<Cell*, int>> loads;
    for (Cell& c : cells_) {
      if (c.clock_row < 0) continue;
      const bool now = Row(c.clock_row);
      if (load && now && !c.clock_was && c.registered) loads.push_back({&c, Sum(c) ? 1 : 0});
      c.clock_was = now;
    }
    if (loads.empty()) return;
    for (auto& [c, d] : loads) c->q = d;
    Settle();
  }
}

const FuseMapModel::Cell* FuseMapModel::CellAt(int pin) const {
  if (pin < 1 || pin > pins_) return nullptr;
  const int i = cell_at_pin_[static_cast<std::size_t>(pin)];
  return i < 0 ? nullptr : &cells_[static_cast<std::size_t>(i)];
}

bool FuseMapModel::IsOutput(int pin) const {
  if (pla_) return pla_->IsOutput(pin);
  const Cell* c = CellAt(pin);
  return c && !c->buffer_off;
}

bool FuseMapModel::IsRegistered(int pin) const {
  if (pla_) return pla_->IsRegistered(pin);
  const Cell* c = CellAt(pin);
  return c && c->registered;
}

int FuseMapModel::PinLevel(int pin) const {
  const Cell* c = CellAt(pin);
  if (c && c->enabled) return c->level;
  // A GAL20RA10 output turned off and not driven reads high, as in the classic simulator.
  if (c && c->clock_row >= 0 && drive_[static_cast<std::size_t>(pin)] < 0) return 1;
  return drive_[static_cast<std::size_t>(pin)] > 0 ? 1 : 0;
}

// Column pairs: the even column is the signal, the odd one its complement.
// A register feeds its column from /Q, whatever the pin shows.
int FuseMapModel::ColumnValue(int column) const {
  const int pin = column_pins_[static_cast<std::size_t>(column / 2)];
  const Cell* c = CellAt(pin);
  int value = c && c->reads_register ? 1 - c->q : PinLevel(pin);
  return column % 2 ? 1 - value : value;
}

void FuseMapModel::ReadColumns() {
  for (int col = 0; col < columns_; ++col) columns_now_[static_cast<std::size_t>(col)] = ColumnValue(col);
}

bool FuseMapModel::Row(int row) const {
  if (ptd_base_ >= 0 && !Fuse(ptd_base_ + row)) return false;
  const auto r = static_cast<std::size_t>(row);
  for (std::size_t at = row_start_[r]; at < row_start_[r + 1]; ++at) {
    const int col = connected_[at];
    if (!columns_now_[static_cast<std::size_t>(col)]) return false;
  }
  return true;
}

bool FuseMapModel::Sum(const Cell& c) const {
  if (c.xor_sums)
    return (Row(c.first_sum) || Row(c.first_sum + 1)) != (Row(c.first_sum + 2) || Row(c.first_sum + 3));
  for (int r = c.first_sum; r < c.first_sum + c.sums; ++r) {
    if (Row(r)) return true;
  }
  return false;
}

// Outputs follow the array until nothing changes (feedback loops get a bounded
// number of rounds); a macrocell family's reset row clears the registers meanwhile.
void FuseMapModel::Settle() {
  const int rounds = 2 * static_cast<int>(cells_.size()) + 2;
  for (int round = 0; round < rounds; ++round) {
    bool changed = false;
    ReadColumns();
    if (ar_row_ >= 0 && Row(ar_row_)) {
      for (Cell& c : cells_) {
        if (c.registered && c.q) {
          c.q = 0;
          changed = true;
        }
      }
      if (changed) ReadColumns();
    }
    // GAL20RA10: each register's own asynchronous reset, then preset.
    bool forced = false;
    for (Cell& c : cells_) {
      if (!c.registered || c.ar_row < 0) continue;
      const int q = Row(c.ar_row) ? 0 : Row(c.ap_row) ? 1 : c.q;
      forced = forced || q != c.q;
      c.q = q;
    }
    if (forced) {
      changed = true;
      ReadColumns();
    }
    for (Cell& c : cells_) {
      bool enabled = !c.buffer_off;
      if (enabled && c.oe_by_pin) enabled = PinLevel(oe_pin_) == 0;
      if (enabled && c.oe_row >= 0) enabled = Row(c.oe_row);
      int level;
      if (c.registered) {
        // 16V8/20V8: the pin is /Q; macrocells: Q, or /Q when S0 = 0.
        level = macrocells_ ? c.q ^ (c.invert ? 1 : 0) : 1 - c.q;
      } else {
        level = Sum(c) ? 1 : 0;
        if (c.invert) level = 1 - level;
      }
      if (enabled != c.enabled || level != c.level) {
        changed = true;
        // Still changing after every cell has had its turn twice over: the
        // feedback holds a loop that oscillates.
        if (round == rounds - 1 && std::find(unsettled_.begin(), unsettled_.end(), c.pin) == unsettled_.end())
          unsettled_.push_back(c.pin);
      }
      c.enabled = enabled;
      c.level = level;
    }
    if (!changed) break;
  }
}

// Every register loads at once from the sums as they stood before the edge.
void FuseMapModel::Clock(const std::vector<int>& rising) {
  ReadColumns();
  const bool preset = sp_row_ >= 0 && Row(sp_row_);
  std::vector<int> next;
  for (const Cell& c : cells_) {
    int sum = Sum(c) ? 1 : 0;
    if (macrocells_) {
      next.push_back(preset ? 1 : sum);
    } else {
      // The XOR sits before the register; the pin shows /Q.
      next.push_back(c.invert ? sum : 1 - sum);
    }
  }
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    const bool clocked = std::find(rising.begin(), rising.end(), cells_[i].clock_pin) != rising.end();
    if (cells_[i].registered && clocked) cells_[i].q = next[i];
  }
}

// The other inputs settle first; then the clock pins that rise clock their
// registers, and take their new levels.
void FuseMapModel::Apply(const std::vector<int>& drive) {
  if (pla_) return pla_->Apply(drive);
  auto is_clock = [&](std::size_t p) {
    return std::find(clock_pins_.begin(), clock_pins_.end(), static_cast<int>(p)) != clock_pins_.end();
  };
  std::vector<int> rising;
  for (int pin : clock_pins_) {
    const std::size_t p = static_cast<std::size_t>(pin);
    if (p < drive.size() && drive_[p] <= 0 && drive[p] > 0) rising.push_back(pin);
  }
  for (std::size_t p = 1; p < drive_.size() && p < drive.size(); ++p) {
    if (!is_clock(p)) drive_[p] = drive[p];
  }
  Settle();
  if (!rising.empty()) Clock(rising);
  for (int pin : clock_pins_) {
    const std::size_t p = static_cast<std::size_t>(pin);
    if (p < drive.size()) drive_[p] = drive[p];
  }
  Settle();
  ClockRows(true);
}

std::vector<int> FuseMapModel::TakeUnsettled() {
  if (pla_) return pla_->TakeUnsettled();
  std::vector<int> pins;
  pins.swap(unsettled_);
  std::sort(pins.begin(), pins.end());
  return pins;
}

char FuseMapModel::Level(int pin) const {
  if (pla_) return pla_->Level(pin);
  const Cell* c = CellAt(pin);
  if (c && !c->buffer_off) return c->enabled ? (c->level ? 'H' : 'L') : 'Z';
  return drive_[static_cast<std::size_t>(pin)] > 0 ? 'H' : 'L';
}

std::vector<int> FuseMapModel::Registers() const {
  if (pla_) return pla_->Registers();
  std::vector<int> q;
  for (const Cell& c : cells_) q.push_back(c.q);
  return q;
}

void FuseMapModel::SetRegisters(const std::vector<int>& q) {
  if (pla_) return pla_->SetRegisters(q);
  for (std::size_t i = 0; i < cells_.size() && i < q.size(); ++i) cells_[i].q = q[i];
  Settle();
  ClockRows(false);
}

void FuseMapModel::Preload(const std::vector<int>& pin_levels) {
  if (pla_) return pla_->Preload(pin_levels);
  for (Cell& c : cells_) {
    const std::size_t pin = static_cast<std::size_t>(c.pin);
    if (!c.registered || pin >= pin_levels.size() || pin_levels[pin] < 0) continue;
    const int level = pin_levels[pin] ? 1 : 0;
    // The inverse of Settle's pin level: macrocells Q (or /Q when S0 = 0), 16V8/20V8 /Q.
    c.q = macrocells_ ? level ^ (c.invert ? 1 : 0) : 1 - level;
  }
  Settle();
  ClockRows(false);
}

void FuseMapModel::LoadRegisters() {
  if (pla_) return pla_->LoadRegisters();
  ReadColumns();
  std::vector<int> next;
  for (const Cell& c : cells_) next.push_back(Sum(c) ? 1 : 0);
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    if (cells_[i].registered && cells_[i].clock_row >= 0) cells_[i].q = next[i];
  }
  Settle();
  ClockRows(false);
}

}  // namespace abelc
