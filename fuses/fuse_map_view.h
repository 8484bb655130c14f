// The fuse-map view: one pane line per fuse row in JEDEC L-field form, and
// the device name and UES text in the status bar. The JEDEC writer saves the
// map by reading these lines back, so their format is part of the file format.
#pragma once

#include <cstdint>
#include <string>

// "L" + five-digit first fuse number + " " + one "0"/"1" per fuse of the row.
std::string FuseRowLine(std::int64_t firstFuse, std::int64_t fuseCount);

// The UES of the current device as text: byte 0 as a space, bytes 1..255 as
// the characters U+0001..U+00FF, in UTF-8.
std::string UesText();

// Byte k (from 0) of the UES of the current device; the first fuse of each
// group of 8 is the most significant bit.
unsigned UesByte(int k);

// Shows fuses 0..n-1 in rows of GalDevice.RowCount and sets ShownFuseCount.
void ShowFuseMap(std::int64_t n);
