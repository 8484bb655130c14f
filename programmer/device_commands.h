// The window's Read, Verify and Erase commands: each makes sure a box is
// connected, then runs its device operation. Each returns 0 when a failed
// exchange stopped the operation (the command then ends as aborted), else 1.
#pragma once

int RunDeviceRead();  // the caller clears the design path first
int RunDeviceVerify();
int RunDeviceErase();  // asks before erasing
