// The fuse-map pane: rows in L-field form, the device name and UES in the status bar.
#include "fuses/fuse_map_view.h"

#include <algorithm>
#include <cstdio>

#include "base/fuse_map.h"
#include "devices/gal_device.h"
#include "platform/window.h"

namespace {

// Fuses past the end of the array read as 0, whatever a device record says.
int FuseAt(std::int64_t index) {
  return index >= 0 && index < FuseMapSize ? FuseMap[static_cast<std::size_t>(index)] : 0;
}

void AppendLatin1AsUtf8(std::string& text, unsigned code) {
  if (code < 0x80) {
    text += static_cast<char>(code);
  } else {
    text += static_cast<char>(0xC0 | (code >> 6));
    text += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

unsigned UesByte(int k) {
  unsigned byte = 0;
  for (int j = 0; j < 8; ++j)
    byte = (byte << 1) | static_cast<unsigned>(FuseAt(GalDevice.UesFuse + 8 * k + j));
  return byte;
}

std::string FuseRowLine(std::int64_t firstFuse, std::int64_t fuseCount) {
  char number[24];
  std::snprintf(number, sizeof number, "L%05lld ", static_cast<long long>(firstFuse));
  std::string line = number;
  const std::size_t start = line.size();
  line.resize(start + static_cast<std::size_t>(std::max<std::int64_t>(fuseCount, 0)));
  for (std::int64_t i = 0; i < fuseCount; ++i)
    line[start + static_cast<std::size_t>(i)] = static_cast<char>('0' | FuseAt(firstFuse + i));
  return line;
}

std::string UesText() {
  std::string text;
  for (int k = 0; k < GalDevice.UesBytes; ++k) {
    const unsigned byte = UesByte(k);
    AppendLatin1AsUtf8(text, byte == 0 ? ' ' : byte);
  }
  return text;
}

void ShowFuseMap(std::int64_t n) {
  Window& window = TheWindow();
  window.ClearPane(Pane::FuseMap);
  ShownFuseCount = n;
  const std::int64_t w = GalDevice.RowCount;
  const std::int64_t rows = n > 0 && w > 0 ? (n + w - 1) / w : 0;
  for (std::int64_t r = 0; r < rows; ++r) {
    const std::int64_t first = r * w;
    window.AppendLine(Pane::FuseMap, FuseRowLine(first, std::min(w, n - first)));
  }
  window.SetStatusText(1, "UES: " + UesText());
  window.SetStatusText(0, GalDevice.Name);
}
