// The fuse map, its counts and the JEDEC fuse checksum.
#include "base/fuse_map.h"

std::array<std::uint8_t, FuseMapSize> FuseMap{};
std::int64_t FuseMapLength = 0;
std::int64_t ShownFuseCount = 0;

int FuseChecksum(std::int64_t count) {
  // Never read past the array, whatever count a caller got from a file.
  if (count > FuseMapSize) count = FuseMapSize;
  std::int64_t sum = 0;
  std::int64_t weight = 1;
  for (std::int64_t i = 0; i < count; ++i) {
    sum += FuseMap[static_cast<std::size_t>(i)] * weight;
    weight *= 2;
    if (weight == 256) weight = 1;
  }
  return static_cast<int>(sum & 0xFFFF);
}

void ResetFuseState() {
  FuseMap.fill(0);
  FuseMapLength = 0;
  ShownFuseCount = 0;
}
