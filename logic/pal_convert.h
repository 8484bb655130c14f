// Turning the fuse map of a bipolar PAL16L8/R4/R6/R8 or PAL20L8/R4/R6/R8 into
// the GAL16V8 or GAL20V8 map that behaves the same: the PAL's AND array is
// the GAL's in the matching mode, so the array is kept and the architecture
// fuses are set for the PAL's outputs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "devices/pal_types.h"

// The PAL type a name means: "PAL16R4", "P16R4" or "16R4", in any case; nullptr for none.
const PalType* FindPalType(const std::string& name);

// The types whose maps have this many fuses, in table order; empty for none.
std::vector<const PalType*> PalTypesWithFuseCount(std::int64_t fuseCount);

// The PAL type the free text before a JEDEC file's first field names, or nullptr.
const PalType* PalTypeInHeader(const std::string& jedecText);

// "PAL16L8, PAL16R4, PAL16R6 or PAL16R8".
std::string PalTypeList(const std::vector<const PalType*>& types);

// The GAL map (all its fuses, signature 0) for a PAL map of type.FuseCount fuses.
std::vector<std::uint8_t> ConvertPalMap(const PalType& type, const std::vector<std::uint8_t>& palFuses);
