// Fuse maps for the programmer tests: random chip contents, and a design
// shown as after opening its file.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "base/fuse_map.h"
#include "devices/gal_device.h"
#include "fuses/fuse_map_view.h"

using Bytes = std::vector<std::uint8_t>;

inline Bytes RandomFuses(int count, unsigned seed) {
  std::mt19937 random(seed);
  Bytes fuses(static_cast<std::size_t>(count));
  for (auto& fuse : fuses) fuse = static_cast<std::uint8_t>(random() & 1);
  return fuses;
}

// The design as it would be after opening its file: fuses, pane, status bar.
inline void ShowDesign(int code, const Bytes& fuses) {
  SelectDevice(code);
  std::copy(fuses.begin(), fuses.end(), FuseMap.begin());
  FuseMapLength = static_cast<std::int64_t>(fuses.size());
  ShowFuseMap(FuseMapLength);
}

inline Bytes FuseMapBytes(int count) {
  return Bytes(FuseMap.begin(), FuseMap.begin() + count);
}
