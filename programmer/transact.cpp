// One framed exchange with the box, with its break pulse and reply wait.
#include "programmer/transact.h"

#include <algorithm>

#include "base/message_log.h"
#include "platform/clock.h"
#include "platform/serial_port.h"
#include "programmer/link_buffers.h"

namespace {

// A reply this long is never read: it cannot be one the box meant to send,
// and the driver queue holds no more than 1000 bytes anyway.
constexpr int ReplyLimit = 1000;
constexpr int TrailerLength = 4;

void Drain(SerialPort& port) {
  std::uint8_t discarded = 0;
  while (port.BytesWaiting() != 0) {
    if (port.Read(&discarded, 1) != 1) break;  // a port that cannot deliver would spin forever
  }
}

void WriteRequest(SerialPort& port, int length) {
  length = std::clamp(length, 0, CommandBufferSize);
  BreakPulse(port);
  Drain(port);
  port.Write(CommandBuffer.data(), length);
}

// Polls once a millisecond until `needed` bytes are waiting, for at most
// timeoutSeconds x 1000 rounds. The fuzz build leaves this loop without
// coverage: its counter tells the fuzzer nothing about the reply.
void WaitForReply(SerialPort& port, int needed, int timeoutSeconds) {
  long countdown = static_cast<long>(timeoutSeconds) * 1000;
  while (port.BytesWaiting() < needed) {
    PumpEvents();  // paints the window; commands chosen meanwhile are dropped
    LinkSleepMs(1);
    if (--countdown <= 0) {
      MessageLog("Connection Timeout", LevelPlain);
      return;
    }
  }
}

}  // namespace

void BreakPulse(SerialPort& port) {
  port.SetBreak();
  LinkSleepMs(1);
  port.ClearBreak();
  LinkSleepMs(1);
}

void LinkSleepMs(int milliseconds) {
  // Windows needs a 1 ms timer resolution requested before the first sleep;
  // the platform clock sleeps to the millisecond everywhere else.
  TheClock().SleepMs(milliseconds);
}

void SendWithoutWaiting(int length) {
  WriteRequest(TheSerialPort(), length);
}

int Transact(int length, int expectedPayload, int timeoutSeconds) {
  SerialPort& port = TheSerialPort();

  WriteRequest(port, length);
  WaitForReply(port, expectedPayload + TrailerLength, timeoutSeconds);

  // Whatever arrived before a timeout is still read and checked.
  const int n = port.BytesWaiting();
  if (n < TrailerLength || n >= ReplyLimit) return 0;

  ReplyBuffer.resize(static_cast<std::size_t>(n) + 1);
  const int got = port.Read(ReplyBuffer.data(), n);
  // Entry n, and any entry the port did not fill, reads 0 rather than what an
  // older reply left there.
  std::fill(ReplyBuffer.begin() + std::max(got, 0), ReplyBuffer.end(), 0);

  if (ReplyBuffer[static_cast<std::size_t>(n) - 1] != CommandBuffer[0]) {
    MessageLog("Response Error", LevelPlain);
    return 0;
  }
  const int payload =
      ReplyBuffer[static_cast<std::size_t>(n) - 4] + 256 * ReplyBuffer[static_cast<std::size_t>(n) - 3];
  if (payload > 0) ReplyBuffer.resize(static_cast<std::size_t>(payload));
  return payload;
}
