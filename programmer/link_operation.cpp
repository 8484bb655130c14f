// The stop at the first failed exchange of a device operation.
#include "programmer/link_operation.h"

#include "platform/window.h"
#include "programmer/link_buffers.h"
#include "programmer/requests.h"
#include "programmer/transact.h"

namespace {
bool stopped = false;
}  // namespace

LinkOperation::LinkOperation() : device_(GalDevice) {
  stopped = false;
}

bool LinkOperation::Ok(int transactResult, bool wasEndRequest) {
  if (stopped) return false;
  if (transactResult != 0) return true;
  stopped = true;
  if (!wasEndRequest) {
    // Power the socket down; the answer is not waited for.
    CommandBuffer[0] = WireEnd;
    CommandBuffer[1] = 2;
    SendWithoutWaiting(2);
  }
  TheWindow().SetProgress(0);
  GalDevice = device_;
  return false;
}

bool LinkOperation::Stopped() {
  if (stopped) GalDevice = device_;
  return stopped;
}

bool LinkOperationStopped() {
  return stopped;
}
