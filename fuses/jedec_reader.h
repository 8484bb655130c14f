// The JEDEC reader: a tolerant field scanner that fills the FuseMap from a
// .jed file and sets FuseMapLength. It acts on L, C, QF and F1 fields and
// passes over every other field, whatever tool wrote the file.
#pragma once

#include <cstdint>
#include <string>

#include "base/fuse_map.h"

// Bytes; a larger file is refused. Real files with test vectors run to
// tens of kilobytes, so the limit only guards against reading anything at all.
constexpr std::int64_t JedecFileSizeLimit = 1024 * 1024;
constexpr std::int64_t JedecFuseCapacity = 10000;  // an L field stops at this address

// Clears the FuseMap, reads the file and returns FuseMapLength (also left in
// the global). Reports "Can't access file", the size limit and checksum
// mismatches through the message log, and files that would otherwise fail
// in silence: a last field cut off, fuse data without a checksum, no fuse
// data at all, fuse data past the last fuse any GAL has. What can mean lost
// fuses also goes into findings, when given.
std::int64_t ReadJedecFile(const std::string& path, FuseMapFindings* findings = nullptr);

// The same for bytes already in memory: clears the FuseMap and scans them.
std::int64_t ReadJedecText(const std::string& bytes);
