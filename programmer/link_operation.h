// A device operation (identify, read, verify, erase) stops at the first
// exchange that fails: the end request goes out once, the selected device is
// put back as it was, the progress returns to 0, and the command that ran the
// operation reports an abort.
#pragma once

#include "devices/gal_device.h"

class LinkOperation {
 public:
  LinkOperation();  // begins an operation: clears the stopped mark

  // Takes an exchange's result. A 0 stops the operation and sends the end
  // request, unless the failed exchange was the end request itself. True
  // while the operation may go on.
  bool Ok(int transactResult, bool wasEndRequest = false);
  // True when this operation, or one it ran, has stopped; restores the
  // selected device in that case.
  bool Stopped();

 private:
  GalDeviceRecord device_;
};

// True when the last device operation was stopped by a failed exchange.
bool LinkOperationStopped();
