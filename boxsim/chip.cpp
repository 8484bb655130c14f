// The socket's chip model: cells, rows and the answers a chip gives.
#include "boxsim/chip.h"

#include <algorithm>

namespace {

// GAL6001 family: row r (shifted address 2r + 1) crosses 11 cells of the
// extra block at bits 20..30 and one cell of each of the 64 product terms at
// bits 31..94. The terms' select bits sit at the same positions of a column
// pattern; a column returns the term's 20 cells at bits 0..19 and its 16
// further cells at bits 103..118.
constexpr int TermCount6001 = 64, TermStride6001 = 114, ExtraBase6001 = 7296, ExtraStride6001 = 78;
constexpr int ExtraAt6001 = 20, TermsAt6001 = 31, ColumnHighAt6001 = 103;

// The fuse behind each cell of a row, -1 for a cell that holds no fuse.
std::vector<int> RowFuses(const ChipType& t, RowAddress row) {
  std::vector<int> fuses(static_cast<std::size_t>(t.Terms), -1);
  if (t.Layout6001) {
    const int r = (row.Number - 1) / 2;
    if (!row.Shifted || row.Number % 2 == 0 || r >= t.Inputs) return {};
    for (int k = 0; k < 11; ++k) fuses[ExtraAt6001 + k] = ExtraBase6001 + ExtraStride6001 * k + r;
    for (int k = 0; k < TermCount6001; ++k) fuses[TermsAt6001 + k] = TermStride6001 * k + r;
    return fuses;
  }
  if (row.Shifted != t.ShiftedRows || row.Number < 0 || row.Number >= t.Inputs) return {};
  for (int term = 0; term < t.Terms; ++term) fuses[term] = term * t.Inputs + row.Number;
  return fuses;
}

std::vector<int> UesFuses(const ChipType& t) {
  std::vector<int> fuses(static_cast<std::size_t>(t.Terms), -1);
  for (int j = 0; j < t.UesBits; ++j) fuses[t.UesPosition + j] = t.UesFirstFuse + j;
  return fuses;
}

int SelectedColumn(const std::vector<std::uint8_t>& pattern) {
  int column = -1;
  for (int k = 0; k < TermCount6001; ++k) {
    const std::size_t at = TermsAt6001 + k;
    if (at < pattern.size() && pattern[at] == 0) {
      if (column >= 0) return -1;  // two terms at once: nothing sensible comes out
      column = k;
    }
  }
  return column;
}

std::vector<int> ColumnFuses(int column) {
  std::vector<int> fuses(ColumnHighAt6001 + 16, -1);
  for (int k = 0; k < 20; ++k) fuses[k] = TermStride6001 * column + 78 + k;
  for (int k = 0; k < 16; ++k) fuses[ColumnHighAt6001 + k] = TermStride6001 * column + 98 + k;
  return fuses;
}

}  // namespace

Chip Chip::Erased(const ChipType& type) {
  Chip chip;
  chip.Type = &type;
  chip.Fuses.assign(static_cast<std::size_t>(type.Fuses), 1);
  chip.Id[0] = type.Id[0];
  chip.Id[1] = type.Id[1];
  if (type.Code >= 128) {
    std::string text = "1F" + type.Name.substr(3);
    if (type.Code == 130) text += "B";  // the ATF20V8 calls itself a B type
    chip.SetAtfPes(text + "1");
  } else {
    chip.SetGalPes(MakerLattice, 0, type.Code);
  }
  return chip;
}

Chip Chip::Holding(const ChipType& type, const std::vector<std::uint8_t>& fuses) {
  Chip chip = Erased(type);
  const std::size_t n = std::min(fuses.size(), chip.Fuses.size());
  std::copy_n(fuses.begin(), n, chip.Fuses.begin());
  return chip;
}

void Chip::SetGalPes(int maker, int algorithmClass, int typeByte, std::uint8_t p4, std::uint8_t p5,
                     std::uint8_t p6) {
  Pes.assign(static_cast<std::size_t>(Type->PesLength()), 0);
  const std::uint8_t bytes[7] = {0x00,
                                 static_cast<std::uint8_t>(algorithmClass),
                                 static_cast<std::uint8_t>(typeByte),
                                 static_cast<std::uint8_t>(maker),
                                 p4,
                                 p5,
                                 p6};
  std::copy_n(bytes, std::min<std::size_t>(7, Pes.size()), Pes.begin());
}

void Chip::SetAtfPes(const std::string& text) {
  Pes.assign(static_cast<std::size_t>(Type->PesLength()), 0xFF);
  for (std::size_t i = 0; i < text.size() && i < Pes.size(); ++i)
    Pes[i] = static_cast<std::uint8_t>(text[text.size() - 1 - i]);
}

std::vector<std::uint8_t> Chip::ReadRow(RowAddress row, int bits, bool deviceFlag) const {
  const ChipType& t = *Type;
  std::vector<std::uint8_t> cells;
  if (row == t.Pes) {
    cells.assign(static_cast<std::size_t>(t.Terms), 1);
    for (std::size_t i = 0; i < Pes.size(); ++i)
      for (int k = 0; k < 8; ++k) cells[t.PesPosition + 8 * i + k] = (Pes[i] >> k) & 1;
    // Without its device flag this chip shifts one bit too few.
    if (t.NeedsDeviceFlag && !deviceFlag) std::rotate(cells.begin(), cells.begin() + 1, cells.end());
  } else {
    std::vector<int> fuses = row == t.Ues ? UesFuses(t) : RowFuses(t, row);
    if (row == t.Config) fuses = t.ConfigFuses;
    const bool hidden = Secured && !(row == t.Ues);
    cells.assign(fuses.size(), 1);
    for (std::size_t i = 0; i < fuses.size(); ++i)
      if (fuses[i] >= 0) cells[i] = hidden ? 0 : Fuses[static_cast<std::size_t>(fuses[i])];
  }
  cells.resize(static_cast<std::size_t>(std::max(bits, 0)), 0);
  return cells;
}

void Chip::WriteRow(RowAddress row, const std::vector<std::uint8_t>& cells) {
  const ChipType& t = *Type;
  if (row == t.Pes) {
    for (std::size_t i = 0; i < Pes.size(); ++i) {
      int byte = 0;
      for (int k = 0; k < 8; ++k) {
        const std::size_t at = t.PesPosition + 8 * i + k;
        byte |= (at < cells.size() ? cells[at] & 1 : 1) << k;
      }
      Pes[i] &= static_cast<std::uint8_t>(byte);
    }
    return;
  }
  std::vector<int> fuses = row == t.Ues ? UesFuses(t) : RowFuses(t, row);
  if (row == t.Config) fuses = t.ConfigFuses;
  for (std::size_t i = 0; i < fuses.size() && i < cells.size(); ++i)
    if (fuses[i] >= 0) Fuses[static_cast<std::size_t>(fuses[i])] &= cells[i] & 1;
}

std::vector<std::uint8_t> Chip::ReadColumn(const std::vector<std::uint8_t>& pattern, int bits) const {
  std::vector<std::uint8_t> cells(static_cast<std::size_t>(std::max(bits, 0)), 1);
  const int column = Type->Layout6001 ? SelectedColumn(pattern) : -1;
  if (column < 0) return cells;
  const std::vector<int> fuses = ColumnFuses(column);
  for (std::size_t i = 0; i < fuses.size() && i < cells.size(); ++i)
    if (fuses[i] >= 0) cells[i] = Secured ? 0 : Fuses[static_cast<std::size_t>(fuses[i])];
  return cells;
}

void Chip::WriteColumn(int column, const std::vector<std::uint8_t>& cells) {
  if (!Type->Layout6001 || column < 0 || column >= TermCount6001) return;
  const std::vector<int> fuses = ColumnFuses(column);
  for (std::size_t i = 0; i < fuses.size() && i < cells.size(); ++i)
    if (fuses[i] >= 0) Fuses[static_cast<std::size_t>(fuses[i])] &= cells[i] & 1;
}

void Chip::Erase() {
  std::fill(Fuses.begin(), Fuses.end(), 1);
  Secured = false;
}

void Chip::EraseAll() {
  Erase();
  std::fill(Pes.begin(), Pes.end(), 0xFF);
}
