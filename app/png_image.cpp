// PNG decoding through libpng's simplified API.
#include "app/png_image.h"

#include <png.h>

#include <cstring>

RgbaImage DecodePng(const unsigned char* data, std::size_t size) {
  RgbaImage result;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&image, data, size) == 0) {
    result.Error = image.message;
    return result;
  }
  image.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) {
    result.Error = image.message;
    png_image_free(&image);
    return result;
  }
  result.Width = static_cast<int>(image.width);
  result.Height = static_cast<int>(image.height);
  result.Pixels = std::move(pixels);
  return result;
}
