// Opening a fuse file: read it, work out the device type from the number of
// fuses alone, select that type and show the map.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// One row of the identification table: a fuse count a file may give and the
// device type it selects.
struct FuseCountMatch {
  std::int64_t FuseCount;
  int DeviceCode;
};

// DeviceCode for a file's fuse count, or -1 when no device has that count.
int DeviceCodeForFuseCount(std::int64_t fuseCount);

// Does nothing for an empty path. Otherwise clears both panes and the status
// bar, logs the file and path, reads the file and, for a known fuse count,
// selects the device and shows the fuse map. A count no device has goes to
// onUnknownCount when one is given: true means it loaded a map of its own,
// false that the count is reported as matching no GAL.
using UnknownCountHandler = std::function<bool(std::int64_t fuseCount)>;
void LoadFuseFile(const std::string& path, const UnknownCountHandler& onUnknownCount = {});
