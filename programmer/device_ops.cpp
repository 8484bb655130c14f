// Read, verify and erase: the row requests, the read-back layout and the outcome.
#include "programmer/device_ops.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "base/fuse_map.h"
#include "base/message_log.h"
#include "devices/gal_device.h"
#include "fuses/fuse_map_view.h"
#include "platform/window.h"
#include "programmer/link_buffers.h"
#include "programmer/link_operation.h"
#include "programmer/map_check.h"
#include "programmer/pes.h"
#include "programmer/requests.h"

namespace {

DeviceOutcome outcome = DeviceOutcome::None;

// The outcome of an operation that ended early: stopped, or no chip found.
DeviceOutcome EndedEarly() {
  return LinkOperationStopped() ? DeviceOutcome::Stopped : DeviceOutcome::NoChip;
}

bool IsGal6001Family(int code) {
  return code == 64 || code == 65 || code == 68;
}
bool IsAtf(int code) {
  return code >= 128 && code <= 132;
}

// The GAL6001 family keeps its fuses in a layout of its own. Each of the 78
// rows crosses 11 cells of the 7296.. block (reply bits 20..30) and one cell
// of each of the 64 product terms (bits 31..94). Each of the 64 columns is
// selected by a single 0 in a pattern of ones and returns the term's 20 + 16
// further cells (bits 0..19 and 103..118).
constexpr int Gal6001ExtraBase = 7296, Gal6001ExtraStride = 78, Gal6001TermStride = 114;
constexpr int Gal6001Columns = 64, Gal6001PatternStart = 41;

bool ReadGal6001Array(LinkOperation& op) {
  const GalDeviceRecord& d = GalDevice;
  for (int r = 0; r < d.RowCount; ++r) {
    if (!op.Ok(SendReadRequest(ReadArrayRow, 2 * r + 1))) return false;
    for (int k = 0; k < 11; ++k)
      StoreReadBack(Gal6001ExtraBase + Gal6001ExtraStride * k + r, ReplyByte(20 + k));
    for (int k = 0; k < 64; ++k) StoreReadBack(Gal6001TermStride * k + r, ReplyByte(31 + k));
    TheWindow().SetProgress((r + 1) * 100 / d.RowCount);
  }
  for (int c = 0; c < Gal6001Columns; ++c) {
    const int patternEnd = std::min(10 + d.RowLength + d.AddressBits, CommandBufferSize);
    std::fill(CommandBuffer.begin() + 10, CommandBuffer.begin() + patternEnd, 0);
    std::fill(CommandBuffer.begin() + Gal6001PatternStart, CommandBuffer.begin() + Gal6001PatternStart + 64,
              1);
    CommandBuffer[Gal6001PatternStart + c] = 0;
    if (!op.Ok(SendReadRequest(ReadColumn, 0))) return false;
    for (int k = 0; k < 20; ++k) StoreReadBack(Gal6001TermStride * c + 78 + k, ReplyByte(k));
    for (int k = 0; k < 16; ++k) StoreReadBack(Gal6001TermStride * c + 98 + k, ReplyByte(103 + k));
    TheWindow().SetProgress((c + 1) * 100 / Gal6001Columns);
  }
  return true;
}

// Bit k of row r is fuse r + k x RowCount.
bool ReadArray(LinkOperation& op) {
  const GalDeviceRecord& d = GalDevice;
  for (int r = 0; r < d.RowCount; ++r) {
    if (!op.Ok(SendReadRequest(ReadArrayRow, r))) return false;
    for (int k = 0; k < d.RowLength; ++k) StoreReadBack(r + k * d.RowCount, ReplyByte(k));
    TheWindow().SetProgress((r + 1) * 100 / d.RowCount);
  }
  return true;
}

bool ReadConfigAndUes(LinkOperation& op) {
  const GalDeviceRecord& d = GalDevice;
  if (!op.Ok(SendReadRequest(ReadConfigRow, 0))) return false;
  for (int k = 0; k < d.ConfigBits; ++k)
    StoreReadBack(d.ConfigFuses[static_cast<std::size_t>(k)], ReplyByte(k));
  if (!op.Ok(SendReadRequest(ReadUesRow, 0))) return false;
  for (int j = 0; j < d.UesBytes * 8; ++j) StoreReadBack(d.UesFuse + j, ReplyByte(d.UesBitOffset + j));
  return true;
}

std::vector<std::string> FuseMapPaneLines() {
  Window& window = TheWindow();
  std::vector<std::string> lines;
  for (int i = 0, n = window.LineCount(Pane::FuseMap); i < n; ++i)
    lines.push_back(window.LineText(Pane::FuseMap, i));
  return lines;
}

void RestoreFuseMapPane(const std::vector<std::string>& lines) {
  Window& window = TheWindow();
  window.ClearPane(Pane::FuseMap);
  for (const std::string& line : lines) window.AppendLine(Pane::FuseMap, line);
}

void ShowReadFuses() {
  const int count = std::clamp(GalDevice.FuseCount, 0, FuseMapSize);
  std::copy_n(ReadBackBuffer.begin(), count, FuseMap.begin());
  ShowFuseMap(GalDevice.FuseCount);
  FuseMapLength = GalDevice.FuseCount;
}

void CompareReadFuses() {
  const int count = std::clamp(GalDevice.FuseCount, 0, FuseMapSize);
  const auto diff = std::mismatch(ReadBackBuffer.begin(), ReadBackBuffer.begin() + count, FuseMap.begin());
  if (diff.first == ReadBackBuffer.begin() + count) {
    MessageLog("*** SUCCESS ***", LevelPlain);
    outcome = DeviceOutcome::Verified;
    return;
  }
  outcome = DeviceOutcome::VerifyFailed;
  const auto first = static_cast<int>(diff.first - ReadBackBuffer.begin());
  MessageLog("VERIFY failed @ fuse #" + std::to_string(first), LevelError);
  // Where to look in the fuse-map pane: its rows are RowCount fuses wide.
  const auto differing = std::inner_product(ReadBackBuffer.begin(), ReadBackBuffer.begin() + count,
                                            FuseMap.begin(), 0, std::plus<>(), std::not_equal_to<>());
  const int width = std::max<int>(GalDevice.RowCount, 1);
  char row[16];
  std::snprintf(row, sizeof row, "L%05d", first / width * width);
  MessageLog(std::to_string(differing) + (differing == 1 ? " fuse differs" : " fuses differ") +
                 ", the first in row " + std::to_string(first / width) + " (" + row + "), column " +
                 std::to_string(first % width) + " (counting from 0)",
             LevelPlain);
  TheWindow().Beep(440, 300);
}

}  // namespace

DeviceOutcome LastDeviceOutcome() {
  return outcome;
}
void ResetDeviceOutcome() {
  outcome = DeviceOutcome::None;
}
void SetDeviceOutcome(DeviceOutcome value) {
  outcome = value;
}

int ReadOrVerifyDevice(int verify, int readPesFirst) {
  const GalDeviceRecord mapDevice = GalDevice;  // identifying the chip selects its type
  LinkOperation op;
  outcome = DeviceOutcome::NoChip;
  if (readPesFirst == 1 && ReadPes() == 0) {
    op.Stopped();
    outcome = EndedEarly();
    return 0;
  }
  const bool reading = verify == 0;
  // A map for another device type cannot match: say so instead of a fuse number.
  if (!reading && CheckMapFitsChip() == 0) {
    op.Ok(SendEndRequest(), true);
    outcome = op.Stopped() ? DeviceOutcome::Stopped : DeviceOutcome::VerifyFailed;
    GalDevice = mapDevice;  // the pane still shows the map of its own device
    return 0;
  }
  // Kept to be put back should the read stop half-way: the pane then still
  // shows the design the FuseMap holds.
  const std::vector<std::string> shownLines = reading ? FuseMapPaneLines() : std::vector<std::string>{};
  if (reading) {
    TheWindow().ClearPane(Pane::FuseMap);
    MessageLog("->read", LevelPlain);
  } else {
    MessageLog("->verify", LevelPlain);
  }
  ReadBackBuffer.fill(0);

  const bool read = (IsGal6001Family(GalDevice.DeviceCode) ? ReadGal6001Array(op) : ReadArray(op)) &&
                    ReadConfigAndUes(op) && op.Ok(SendEndRequest(), true);
  if (!read) {
    if (reading) RestoreFuseMapPane(shownLines);
    op.Stopped();
    outcome = DeviceOutcome::Stopped;
    return 0;
  }
  if (reading) {
    ShowReadFuses();
    outcome = DeviceOutcome::Read;
  } else {
    CompareReadFuses();
  }
  TheWindow().SetProgress(0);
  return 0;
}

int EraseDevice(int eraseAll) {
  LinkOperation op;
  outcome = DeviceOutcome::NoChip;
  if (ReadPes() == 0) {
    op.Stopped();
    outcome = EndedEarly();
    return 0;
  }
  outcome = DeviceOutcome::Stopped;
  if (!op.Ok(SendProgrammingSetup())) return 0;
  const bool unsupported = eraseAll != 0 && IsAtf(GalDevice.DeviceCode);
  if (eraseAll == 0) {
    if (!op.Ok(SendWriteRequest(WriteErase, 0, 0))) return 0;
  } else if (unsupported) {
    MessageLog("ATMEL devices do not support this feature", LevelPlain);
  } else if (!op.Ok(SendWriteRequest(WriteEraseAll, 0, 0))) {
    return 0;
  }
  if (!op.Ok(SendEndRequest(), true)) return 0;
  if (unsupported) {
    outcome = DeviceOutcome::Unsupported;
    return 1;
  }
  MessageLog(GalDevice.Name + (eraseAll == 0 ? " erased" : " erased completely"), LevelPlain);
  outcome = DeviceOutcome::Erased;
  return 1;
}
