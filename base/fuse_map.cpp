// The fuse map, its counts and the JEDEC fuse checksum.
#include "base/fuse_map.h"

std::array<std::uint8_t, FuseMapSize> FuseMap{};
std::int64_t FuseMapLength = 0;
std::int64_t ShownFuseCount = 0;
FuseMapFindings LoadedMapFindings;

int FuseChecksum(std::int64_t count) {
  // Never read past the array, whatever count a caller got from a file.
  if (count > FuseMapSize) count = FuseMapSize;
  // Fuse i counts with weight 2^(i mod 8): eight fuses make one byte of the sum.
  const std::uint8_t* fuse = FuseMap.data();
  std::uint64_t sum = 0;
  std::int64_t i = 0;
  for (; i + 8 <= count; i += 8, fuse += 8) {
    sum += fuse[0] + (fuse[1] << 1) + (fuse[2] << 2) + (fuse[3] << 3) + (fuse[4] << 4) + (fuse[5] << 5) +
           (fuse[6] << 6) + (fuse[7] << 7);
  }
  for (int shift = 0; i < count; ++i, ++shift, ++fuse) sum += static_cast<std::uint64_t>(*fuse) << shift;
  return static_cast<int>(sum & 0xFFFF);
}

void ResetFuseState() {
  FuseMap.fill(0);
  FuseMapLength = 0;
  ShownFuseCount = 0;
  LoadedMapFindings = {};
}
