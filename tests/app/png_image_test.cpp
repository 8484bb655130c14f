// Decoding the embedded toolbar images.
#include "app/png_image.h"

#include <gtest/gtest.h>

#include "embedded_images.h"

namespace {

std::uint8_t AlphaAt(const RgbaImage& image, int x, int y) {
  return image.Pixels[static_cast<std::size_t>((y * image.Width + x) * 4 + 3)];
}

TEST(ToolbarImages, DecodeToTheirSizesAsRgba) {
  RgbaImage compile = DecodePng(CompileImagePng, CompileImagePngSize);
  RgbaImage chip = DecodePng(ChipImagePng, ChipImagePngSize);
  ASSERT_TRUE(compile.Error.empty()) << compile.Error;
  ASSERT_TRUE(chip.Error.empty()) << chip.Error;
  EXPECT_EQ(compile.Width, 32);
  EXPECT_EQ(compile.Height, 32);
  EXPECT_EQ(compile.Pixels.size(), 32u * 32u * 4u);
  EXPECT_EQ(chip.Width, 256);
  EXPECT_EQ(chip.Height, 256);
  EXPECT_EQ(chip.Pixels.size(), 256u * 256u * 4u);
}

TEST(ToolbarImages, ChipIsABlackSilhouetteOnTransparency) {
  RgbaImage chip = DecodePng(ChipImagePng, ChipImagePngSize);
  ASSERT_EQ(chip.Width, 256);
  for (auto [x, y] : {std::pair{0, 0}, {255, 0}, {0, 255}, {255, 255}}) EXPECT_EQ(AlphaAt(chip, x, y), 0);
  const std::size_t centre = (128 * 256 + 128) * 4;
  EXPECT_EQ(chip.Pixels[centre], 0);
  EXPECT_EQ(chip.Pixels[centre + 3], 255);
}

TEST(ToolbarImages, GarbageIsReportedNotDecoded) {
  const unsigned char garbage[] = "definitely not a png";
  RgbaImage image = DecodePng(garbage, sizeof garbage);
  EXPECT_EQ(image.Width, 0);
  EXPECT_TRUE(image.Pixels.empty());
  EXPECT_FALSE(image.Error.empty());
}

}  // namespace
