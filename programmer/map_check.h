// Whether the loaded fuse map can go into the chip just identified in the
// socket: the map fits when it has exactly as many fuses as the chip. The
// fuse counts of the device types all differ, so a GAL16V8 map fits an
// ATF16V8B but never a GAL22V10.
#pragma once

#include <string>

// The device type a map of FuseMapLength fuses was made for ("GAL16V8"), or
// "unknown device" when no type has that count.
std::string FuseMapDeviceName();

// 1 when FuseMapLength equals GalDevice.FuseCount. Otherwise logs one error
// line naming both devices and returns 0.
int CheckMapFitsChip();
