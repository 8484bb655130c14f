// The JEDEC fuse checksum against known vectors, and its bound to the array.
#include "base/fuse_map.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/recording_window.h"

namespace {

struct ChecksumCase {
  std::vector<int> Fuses;  // FuseMap[0..] before the call
  long long Count;
  int Expected;
};

TEST(FuseChecksum, KnownVectors) {
  const std::vector<int> ones8(8, 1), ones16(16, 1), ones2194(2194, 1), onesAll(FuseMapSize, 1);
  const ChecksumCase cases[] = {
      {ones8, 0, 0x0000},
      {ones8, -3, 0x0000},
      {{1, 0, 0, 0, 0, 0, 0, 0}, 8, 0x0001},
      {ones8, 8, 0x00FF},
      {ones16, 16, 0x01FE},
      {{0, 1, 0, 1, 0, 1, 0, 1}, 8, 0x00AA},
      {{0, 1, 0, 0, 0, 0, 0, 1}, 8, 0x0082},  // the UES letter "A" packs the other way round
      {ones8, 3, 0x0007},                     // a partial byte is padded with zeros
      {ones16, 11, 0x0106},                   // and so is one after whole bytes
      {ones2194, 2194, 0x10F1},
      {onesAll, FuseMapSize, 0xDD1F},  // the sum wraps at 16 bits
      {onesAll, 12000, 0xDD1F},        // a count from a rejected QF stays in the array
      {onesAll, 9223372036854775807LL, 0xDD1F},
  };
  for (const ChecksumCase& c : cases) {
    TestWindowScope scope;
    for (std::size_t i = 0; i < c.Fuses.size(); ++i) FuseMap[i] = static_cast<std::uint8_t>(c.Fuses[i]);
    EXPECT_EQ(FuseChecksum(c.Count), c.Expected) << "count " << c.Count;
  }
}

}  // namespace
