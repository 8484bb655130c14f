// Programming the chip in the socket with the loaded fuse map: erase, every
// array row, the UES row and the configuration row, then a verify that reads
// the chip back; with the security feature, the security cell after a good
// verify.
#pragma once

// 1 when a fuse map is loaded (ShownFuseCount = FuseMapLength > 0). Otherwise
// logs one line saying that none is and returns 0.
int CheckFuseMapLoaded();

// Identifies the chip, checks that the loaded map fits it, asks the user
// when confirm = 1 (No is the default), writes the map and verifies it; with
// security = 1 a chip that verified then gets its security cell set. Returns
// 1 when the chip holds the map; LastDeviceOutcome() tells what happened,
// LinkOperationStopped() whether a failed exchange stopped it. The FuseMap
// is never changed. A chip it refuses, or a No, leaves the selected device as
// it was.
int ProgramDevice(int confirm, int security);
