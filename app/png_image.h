// Decodes a PNG held in memory into 8-bit RGBA pixels with libpng.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct RgbaImage {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Pixels;  // rows top to bottom, 4 bytes R G B A per pixel, alpha not premultiplied
  std::string Error;                 // libpng's message when decoding failed
};

RgbaImage DecodePng(const unsigned char* data, std::size_t size);
