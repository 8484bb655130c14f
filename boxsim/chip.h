// A chip in the simulated box's socket: its cells (kept in JEDEC fuse order),
// its PES, its ID bytes, its pull-ups and its security cell. Rows and columns
// are cut out of the cells the way the chip's shift register presents them.
// A write only programs cells (1, the erased state, becomes 0): writing over
// cells that were not erased leaves the AND of old and new. Only an erase
// brings cells back to 1 and clears the security cell.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "boxsim/chip_types.h"

constexpr int MakerLattice = 0xA1, MakerNational = 0x8F, MakerSt = 0x20;

struct Chip {
  const ChipType* Type = nullptr;
  std::vector<std::uint8_t> Fuses;  // one per JEDEC fuse, 1 = erased
  std::vector<std::uint8_t> Pes;    // Type->PesLength() bytes
  std::uint8_t Id[2] = {0, 0};
  int PullUps = 0;  // 0 none, 1 pull-ups, 2 pin keeper
  // While set, array rows, columns and the architecture row read as all 0;
  // the UES and the PES read as they are.
  bool Secured = false;

  // An erased chip with the usual PES of its type: a Lattice GAL of
  // algorithm class 0, or an ATF spelling its name.
  static Chip Erased(const ChipType& type);
  // A chip holding fuses (extra entries ignored, missing ones erased).
  static Chip Holding(const ChipType& type, const std::vector<std::uint8_t>& fuses);

  // A GAL PES: class in byte 1, device type in byte 2, maker in byte 3, the
  // class-5 parameters in bytes 4 to 6.
  void SetGalPes(int maker, int algorithmClass, int typeByte, std::uint8_t p4 = 0, std::uint8_t p5 = 0,
                 std::uint8_t p6 = 0);
  // An ATF PES: the text stored back to front, 0xFF after it.
  void SetAtfPes(const std::string& text);

  // The first `bits` cells of a row (0 past the row's end); deviceFlag is
  // byte 6 of the request.
  std::vector<std::uint8_t> ReadRow(RowAddress row, int bits, bool deviceFlag) const;
  void WriteRow(RowAddress row, const std::vector<std::uint8_t>& cells);
  // GAL6001 family: a read picks its column by the single 0 among the
  // term-select bits of the pattern; a write names the column.
  std::vector<std::uint8_t> ReadColumn(const std::vector<std::uint8_t>& pattern, int bits) const;
  void WriteColumn(int column, const std::vector<std::uint8_t>& cells);

  void Erase();     // every fuse back to 1, the security cell cleared
  void EraseAll();  // the PES too
};
