// PAL maps into GAL maps: the type names, the header's type, and for every
// recorded pair of the classic compiler (one design compiled for a PAL and
// for its GAL) a converted PAL map that behaves as the compiler's GAL map.
#include "logic/pal_convert.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "tests/logic/map_checks.h"
#include "tests/support/recording_window.h"

namespace {

const std::string PairDir = std::string(QUELVOX_SOURCE_DIR) + "/tests/logic/pal_pairs";

TEST(PalConvert, TypeNamesAndHeaders) {
  struct Case {
    std::string Text;
    const char* Name;  // nullptr: none
  } names[] = {{"PAL16R4", "PAL16R4"}, {"p20l8", "PAL20L8"}, {"16r6", "PAL16R6"},
               {"PAL16V8", nullptr},   {"PAL16R", nullptr},  {"", nullptr}};
  for (const Case& c : names) {
    const PalType* type = FindPalType(c.Text);
    EXPECT_EQ(type ? std::string(type->Name) : "", c.Name ? c.Name : "") << c.Text;
  }
  const Case headers[] = {
      {"EZ-ABEL 4.32 Data I/O Corp. JEDEC file for: P16R4 V9.0\r\n*QF2048*", "PAL16R4"},
      {"Device: PAL20R8B-2\r\n*", "PAL20R8"},
      {"cupl Device p16l8 Library\n*", "PAL16L8"},
      {"made for a P16R6 or a P16R4\n*", "PAL16R6"},  // the first one named
      {"GAL16R4X and P16R40\n*", nullptr},
      {"no type here *NOTE P16R8*", nullptr},  // only the header counts
  };
  for (const Case& c : headers) {
    const PalType* type = PalTypeInHeader(c.Text);
    EXPECT_EQ(type ? std::string(type->Name) : "", c.Name ? c.Name : "") << c.Text;
  }
}

TEST(PalConvert, EveryRecordedPairBehavesAsTheCompilersGalMap) {
  std::vector<std::string> designs;
  for (const auto& entry : std::filesystem::directory_iterator(PairDir)) {
    if (entry.path().extension() == ".abl") designs.push_back(entry.path().stem().string());
  }
  std::sort(designs.begin(), designs.end());
  ASSERT_EQ(designs.size(), 24u);
  std::map<std::string, int> perType;
  for (const std::string& design : designs) {
    TestWindowScope scope;
    const std::string palPath = PairDir + "/" + design + ".jed";
    const ReadMapFile pal = ReadMap(palPath);
    const PalType* type = PalTypeInHeader(ReadBytes(palPath));
    ASSERT_TRUE(type) << design;
    ASSERT_EQ(pal.Count, type->FuseCount) << design;
    ++perType[type->Name];
    const std::vector<std::uint8_t> converted = ConvertPalMap(*type, pal.Fuses);
    ASSERT_EQ(SelectDevice(type->GalCode), 1);
    const PinNameSource names = PinNamesFor(palPath, GalDevice.PinCount);
    const std::optional<MapLogic> ours = DecodeMap(type->GalCode, GalDevice.Name, converted, names.Names, "");
    const std::optional<MapLogic> theirs = DecodeFile(PairDir + "/" + design + "_gal.jed");
    ASSERT_TRUE(ours && theirs) << design;
    // A pin the design leaves out is the compiler's to choose for the GAL.
    std::vector<int> declared;
    for (std::size_t pin = 1; pin < names.Names.size(); ++pin) {
      if (!names.Names[pin].empty()) declared.push_back(static_cast<int>(pin));
    }
    EXPECT_EQ(FunctionDifferences(*ours, *theirs, declared), "") << design;
    EXPECT_EQ(SimulationDifference(ours->Arch->family, converted, theirs->Fuses, 2000, declared), "")
        << design;
  }
  for (const PalType& type : PalTypes) EXPECT_EQ(perType[type.Name], 3) << type.Name;
}

}  // namespace
