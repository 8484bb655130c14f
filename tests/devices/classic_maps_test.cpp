// The maps the classic compiler wrote for our designs under tests/abelc/maps,
// read in place with our JEDEC reader, against what the catalogue says of the
// GAL20XV10 and GAL6001/6002: the fuse count, the UES at the end of the map,
// and every configuration fuse the compiler set being one the configuration
// map holds. docs/fuse-maps-xv10-6001.md says what each design shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/fuse_map.h"
#include "devices/gal_device.h"
#include "fuses/jedec_reader.h"
#include "tests/support/recording_window.h"

namespace {

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(ClassicMaps, CatalogueAgreesWithTheClassicCompilersMaps) {
  const struct {
    const char* Dir;
    int Code;
    int ArraysEnd;  // first fuse past the AND (and OR) array
  } families[] = {
      {"p20xv10", 101, 1600},  // 40 rows of 40 columns
      {"f6001", 64, 8154},     // 75 AND rows of 78 columns, 64 OR rows of 36 sums
      {"f6002", 68, 8154},
  };
  TestWindowScope scope;
  for (const auto& f : families) {
    SCOPED_TRACE(f.Dir);
    ASSERT_EQ(SelectDevice(f.Code), 1);
    const std::set<int> config(GalDevice.ConfigFuses.begin(),
                               GalDevice.ConfigFuses.begin() + GalDevice.ConfigBits);
    EXPECT_EQ(GalDevice.UesFuse + 8 * GalDevice.UesBytes, GalDevice.FuseCount);
    std::vector<std::filesystem::path> maps;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/maps/" + f.Dir))
      if (entry.path().extension() == ".jed") maps.push_back(entry.path());
    std::sort(maps.begin(), maps.end());
    EXPECT_GE(maps.size(), 5u);
    for (const auto& path : maps) {
      SCOPED_TRACE(path.filename().string());
      ASSERT_EQ(ReadJedecText(ReadBytes(path)), GalDevice.FuseCount);
      EXPECT_EQ(LoadedMapFindings.Damage, "");
      for (int fuse = f.ArraysEnd; fuse < GalDevice.UesFuse; ++fuse)
        if (FuseMap[static_cast<std::size_t>(fuse)]) {
          EXPECT_TRUE(config.count(fuse)) << "fuse " << fuse;
        }
      for (int fuse = GalDevice.UesFuse; fuse < GalDevice.FuseCount; ++fuse)
        EXPECT_EQ(FuseMap[static_cast<std::size_t>(fuse)], 0) << "UES fuse " << fuse;
    }
  }
}

}  // namespace
