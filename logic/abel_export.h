// An ABEL design that rebuilds a decoded fuse map: the same mode, the same
// polarity and register choice on every cell that drives a pin, the same
// sums, enables, reset and preset (on the 26V12 the same clock pins and
// feedback), and the signature through FUSES where the part's map has one.
// It is written in the dialect of the classic DOS compiler.
#pragma once

#include <string>

#include "logic/map_logic.h"

// The design text (CR LF line ends). `sourceName` (the map's file name, may
// be empty) goes into the title and names the module.
std::string AbelDesignText(const MapLogic& logic, const std::string& sourceName);

// The ABEL part name that selects the map's device and mode: "P16V8R", "P22V10G", "P26CV12", ...
std::string AbelPartName(const MapLogic& logic);
