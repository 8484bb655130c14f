// The toolbar images as stored in the program: PNG bytes, decoded at start-up.
#pragma once

extern const unsigned char CompileImagePng[];  // 32 x 32, 8-bit RGBA
extern const unsigned long CompileImagePngSize;
extern const unsigned char ChipImagePng[];  // 256 x 256, 8-bit RGBA, transparent background
extern const unsigned long ChipImagePngSize;
