// The user signature typed by the user, into the UES fuses of the loaded map.
#include "fuses/user_signature.h"

#include <optional>
#include <vector>

#include "base/fuse_map.h"
#include "base/message_log.h"
#include "devices/gal_device.h"
#include "fuses/fuse_file_load.h"
#include "fuses/fuse_map_view.h"

namespace {

// The code points of a UTF-8 text, or nothing when it is not UTF-8.
std::optional<std::vector<unsigned>> CodePoints(const std::string& text) {
  std::vector<unsigned> points;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int more = 0;
    unsigned point = lead;
    if (lead >= 0xC2 && lead <= 0xDF) {
      more = 1, point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      more = 2, point = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      more = 3, point = lead & 0x07;
    } else if (lead >= 0x80) {
      return std::nullopt;
    }
    if (i + static_cast<std::size_t>(more) >= text.size()) return std::nullopt;
    for (int k = 1; k <= more; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      point = (point << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and points past U+10FFFF are not UTF-8.
    if ((more == 2 && (point < 0x800 || (point >= 0xD800 && point <= 0xDFFF))) ||
        (more == 3 && (point < 0x10000 || point > 0x10FFFF)))
      return std::nullopt;
    points.push_back(point);
    i += static_cast<std::size_t>(more) + 1;
  }
  return points;
}

}  // namespace

void SelectFuseMapDevice() {
  if (GalDevice.FuseCount == FuseMapLength) return;
  const int code = DeviceCodeForFuseCount(FuseMapLength);
  if (code >= 0) SelectDevice(code);
}

std::string UesEditText() {
  std::string text = UesText();
  // Each zero byte is one space, one UTF-8 byte, in UesText.
  for (int k = GalDevice.UesBytes - 1; k >= 0 && UesByte(k) == 0; --k) text.pop_back();
  return text;
}

int SetUserSignature(const std::string& text) {
  SelectFuseMapDevice();
  const GalDeviceRecord& d = GalDevice;
  const std::optional<std::vector<unsigned>> points = CodePoints(text);
  if (!points) {
    MessageLog("The user signature is not a valid text", LevelError);
    return 0;
  }
  if (points->size() > d.UesBytes) {
    MessageLog("The user signature takes at most " + std::to_string(d.UesBytes) + " characters", LevelError);
    return 0;
  }
  for (unsigned point : *points) {
    if (point > 0xFF) {
      MessageLog("The user signature takes only characters up to U+00FF", LevelError);
      return 0;
    }
  }
  for (int k = 0; k < d.UesBytes; ++k) {
    const unsigned byte = k < static_cast<int>(points->size()) ? (*points)[static_cast<std::size_t>(k)] : 0;
    for (int j = 0; j < 8; ++j) {
      const int fuse = d.UesFuse + 8 * k + j;
      if (fuse >= 0 && fuse < FuseMapSize)
        FuseMap[static_cast<std::size_t>(fuse)] = static_cast<std::uint8_t>((byte >> (7 - j)) & 1);
    }
  }
  ShowFuseMap(FuseMapLength);
  return 1;
}
