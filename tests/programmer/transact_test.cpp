// The exchange with the box: replies of every odd shape, the timeout on the
// virtual clock, the drain before a request and the events taken meanwhile.
#include "programmer/transact.h"

#include <gtest/gtest.h>

#include "devices/gal_device.h"
#include "programmer/link_buffers.h"
#include "programmer/pes.h"
#include "programmer/requests.h"
#include "tests/support/box_link.h"
#include "tests/support/recording_window.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A powered GAL16V8 answers an ID request with 0x40 and 15 zero bytes.
struct IdExchange {
  TestWindowScope scope;
  BoxLink link;
  IdExchange() {
    link.Insert("GAL16V8");
    link.Connect();
    ProbeDevice(0);
    scope.window().LogLines.clear();
  }
  int AskId() {
    CommandBuffer[0] = WireReadId;
    CommandBuffer[1] = 2;
    return Transact(2, 16, 4);
  }
  std::vector<std::string>& Log() { return scope.window().LogLines; }
};

Bytes IdPayload() {
  Bytes payload(16, 0);
  payload[0] = 0x40;
  return payload;
}

TEST(Transact, AFullReplyGivesItsPayloadAtOnce) {
  IdExchange x;
  const std::int64_t start = x.link.Clock().NowMs();
  EXPECT_EQ(x.AskId(), 16);
  EXPECT_EQ(ReplyBuffer, IdPayload());
  EXPECT_TRUE(x.Log().empty());
  // Break pulse, 2 bytes out, 20 bytes back at 115200 baud: a few milliseconds.
  EXPECT_LE(x.link.Clock().NowMs() - start, 5);
}

TEST(Transact, EveryRequestFollowsABreakPulse) {
  IdExchange x;
  const int before = x.link.Box.BreakPulses;
  x.AskId();
  x.AskId();
  EXPECT_EQ(x.link.Box.BreakPulses, before + 2);
}

TEST(Transact, ASilentBoxCostsOneTimeoutOnTheVirtualClock) {
  IdExchange x;
  ReplyBuffer.assign({7, 7, 7});
  x.link.Box.FaultOnRequest(x.link.Box.RequestCount() + 1, {ReplyFault::Silent});
  const std::int64_t start = x.link.Clock().NowMs();
  EXPECT_EQ(x.AskId(), 0);
  EXPECT_EQ(x.Log(), std::vector<std::string>{"Connection Timeout"});
  EXPECT_EQ(ReplyBuffer, (Bytes{7, 7, 7}));
  const std::int64_t elapsed = x.link.Clock().NowMs() - start;
  EXPECT_GE(elapsed, 4000);
  EXPECT_LE(elapsed, 4002 + 2);
}

TEST(Transact, AZeroTimeoutEndsAfterOneRound) {
  IdExchange x;
  x.link.Box.Unplugged = true;
  CommandBuffer[0] = WireReadId;
  CommandBuffer[1] = 2;
  EXPECT_EQ(Transact(2, 16, 0), 0);
  EXPECT_EQ(x.Log(), std::vector<std::string>{"Connection Timeout"});
}

struct OddReply {
  const char* Case;
  Fault Shape;
  int Result;
  std::vector<std::string> Log;
  Bytes Buffer;  // ReplyBuffer afterwards
};

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(Transact, RepliesOfEveryShape) {
  const Bytes payload = IdPayload();
  const Bytes trailer16{16, 0, 0, 3};
  const std::vector<OddReply> cases = {
      {"wrong echo",
       {ReplyFault::WrongEcho},
       0,
       {"Response Error"},
       Concat(Concat(payload, {16, 0, 0, 4}), {0})},
      {"trailer length 0", {ReplyFault::ZeroLength}, 0, {}, Concat(Concat(payload, {0, 0, 0, 3}), {0})},
      // Short replies make the wait run out, then count like full ones.
      {"short payload", {ReplyFault::ShortPayload, 2}, 2, {"Connection Timeout"}, {0x40, 0}},
      {"empty payload", {ReplyFault::ShortPayload, 0}, 0, {"Connection Timeout"}, {0, 0, 0, 3, 0}},
      {"fewer than 4 bytes", {ReplyFault::CutOff, 3}, 0, {"Connection Timeout"}, {9}},
      // The wait ends when the expected count has arrived: a longer reply, or
      // noise ahead of it, is cut there and fails the echo check.
      {"long payload",
       {ReplyFault::LongPayload, 5},
       0,
       {"Response Error"},
       Concat(payload, {0x5A, 0x5A, 0x5A, 0x5A, 0})},
      {"noise first",
       {ReplyFault::NoiseFirst, 2},
       0,
       {"Response Error"},
       Concat(Concat({0xA5, 0xA5}, payload), {16, 0, 0})},
  };
  for (const OddReply& c : cases) {
    IdExchange x;
    ReplyBuffer.assign({9});
    x.link.Box.FaultOnRequest(x.link.Box.RequestCount() + 1, c.Shape);
    EXPECT_EQ(x.AskId(), c.Result) << c.Case;
    EXPECT_EQ(x.Log(), c.Log) << c.Case;
    EXPECT_EQ(ReplyBuffer, c.Buffer) << c.Case;
  }
}

TEST(Transact, ATrailerLongerThanTheReplyIsTakenAsItsLength) {
  IdExchange x;
  x.link.Box.FaultOnRequest(x.link.Box.RequestCount() + 1, {ReplyFault::TrailerTooLong, 300});
  EXPECT_EQ(x.AskId(), 300);
  ASSERT_EQ(ReplyBuffer.size(), 300u);
  EXPECT_EQ(Bytes(ReplyBuffer.begin(), ReplyBuffer.begin() + 20), Concat(IdPayload(), {44, 1, 0, 3}));
  EXPECT_TRUE(
      std::all_of(ReplyBuffer.begin() + 20, ReplyBuffer.end(), [](std::uint8_t b) { return b == 0; }));
  EXPECT_EQ(ReplyByte(300), 0);
  EXPECT_EQ(ReplyByte(-1), 0);
}

TEST(Transact, LeftoverBytesAreDrainedBeforeTheRequest) {
  IdExchange x;
  x.link.Box.SendNoise({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 3});
  x.link.Clock().SleepMs(5);
  EXPECT_EQ(x.AskId(), 16);
  EXPECT_EQ(ReplyBuffer, IdPayload());
}

TEST(Transact, A1000ByteReplyIsNeverReadAndWaitsForTheNextDrain) {
  IdExchange x;
  ReplyBuffer.assign({9});
  x.link.Box.FaultOnRequest(x.link.Box.RequestCount() + 1, {ReplyFault::Huge, 1200});
  CommandBuffer[0] = WireReadId;
  CommandBuffer[1] = 2;
  EXPECT_EQ(Transact(2, 1200, 4), 0);  // the driver queue fills at 1000 bytes
  EXPECT_EQ(x.Log(), std::vector<std::string>{"Connection Timeout"});
  EXPECT_EQ(ReplyBuffer, Bytes{9});
  EXPECT_EQ(x.link.Ports.BytesWaiting(), 1000);
  EXPECT_EQ(x.AskId(), 16);
  EXPECT_EQ(ReplyBuffer, IdPayload());
}

TEST(Transact, EventsDuringTheWaitAreTakenAndDropped) {
  IdExchange x;
  auto& w = x.scope.window();
  x.link.Box.FaultOnRequest(x.link.Box.RequestCount() + 1, {ReplyFault::Silent});
  w.PendingEvents = {{EventKind::Menu, 25}, {EventKind::Close, 0}};
  const int pumpsBefore = w.PumpCalls;
  x.AskId();
  EXPECT_TRUE(w.PendingEvents.empty());
  EXPECT_EQ(w.DroppedEvents.size(), 2u);
  EXPECT_GE(w.PumpCalls - pumpsBefore, 4000);  // once per millisecond of waiting
}

}  // namespace
