// 100,000 exchanges with a box that answers at random: silence, noise, a
// wrong echo, a reply cut short, one too long, one far beyond any buffer, or
// a good one. None may crash, read outside a buffer or outlast its timeout.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "platform/serial_port.h"
#include "programmer/link_buffers.h"
#include "programmer/transact.h"
#include "tests/support/recording_window.h"
#include "tests/support/virtual_clock.h"

namespace {

enum class Answer { Silence, Noise, WrongEcho, Short, Long, Oversized, Good, Count };

// Bytes arrive one by one at random moments after the request.
class RandomBox final : public SerialPort {
 public:
  RandomBox(VirtualClock& clock, std::uint32_t seed) : clock_(clock), random_(seed) {}

  int ExpectedPayload = 16;
  Answer LastAnswer = Answer::Good;

  bool Open(const std::string&) override { return open_ = true; }
  void Close() override { open_ = false; }
  bool IsOpen() override { return open_; }
  int BytesWaiting() override {
    // Arrival times only grow, so the bytes that have arrived are a prefix.
    auto arrived =
        std::upper_bound(arrivals_.begin() + static_cast<std::ptrdiff_t>(next_), arrivals_.end(), clock_.Ms);
    return static_cast<int>(arrived - arrivals_.begin()) - static_cast<int>(next_);
  }
  int Read(std::uint8_t* buffer, int count) override {
    const int n = std::min(count, BytesWaiting());
    for (int i = 0; i < n; ++i) buffer[i] = bytes_[next_++];
    return n;
  }
  int Write(const std::uint8_t* data, int count) override {
    if (count > 0) Reply(data[0]);
    return count;
  }
  void SetBreak() override {}
  void ClearBreak() override {}

 private:
  void Reply(std::uint8_t command) {
    arrivals_.clear();
    bytes_.clear();
    next_ = 0;
    LastAnswer = static_cast<Answer>(random_() % static_cast<unsigned>(Answer::Count));
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(ExpectedPayload));
    for (auto& b : frame) b = static_cast<std::uint8_t>(random_());
    const int payload = ExpectedPayload;
    frame.insert(frame.end(), {static_cast<std::uint8_t>(payload & 0xFF),
                               static_cast<std::uint8_t>(payload >> 8), 0, command});
    switch (LastAnswer) {
      case Answer::Silence:
        frame.clear();
        break;
      case Answer::Noise:
        frame.resize(random_() % 40);
        for (auto& b : frame) b = static_cast<std::uint8_t>(random_());
        break;
      case Answer::WrongEcho:
        frame.back() = static_cast<std::uint8_t>(command + 1 + random_() % 255);
        break;
      case Answer::Short:
        frame.resize(random_() % frame.size());
        break;
      case Answer::Long:
        frame.resize(frame.size() + 1 + random_() % 30, 0x55);
        break;
      case Answer::Oversized:
        frame.resize(1000 + random_() % 3000, 0xAA);
        break;
      default:
        break;
    }
    std::int64_t at = clock_.Ms + static_cast<std::int64_t>(random_() % 3);
    for (std::uint8_t b : frame) {
      arrivals_.push_back(at);
      bytes_.push_back(b);
      // An oversized reply comes as one burst; the others trickle in.
      if (LastAnswer != Answer::Oversized && random_() % 16 == 0)
        at += 1 + static_cast<std::int64_t>(random_() % 300);
    }
  }

  VirtualClock& clock_;
  std::mt19937 random_;
  bool open_ = false;
  std::vector<std::int64_t> arrivals_;
  std::vector<std::uint8_t> bytes_;
  std::size_t next_ = 0;
};

TEST(Soak, HundredThousandExchangesWithARandomBoxEachEndWithinItsTimeout) {
  TestWindowScope scope;
  VirtualClockScope time;
  RandomBox box(time.clock(), 20261208);
  struct Plugged {
    explicit Plugged(SerialPort& port) { InstallSerialPort(&port); }
    ~Plugged() { InstallSerialPort(nullptr); }
  } plugged(box);
  box.Open("COM1");
  std::mt19937 random(7);
  int accepted = 0;
  for (int i = 0; i < 100000; ++i) {
    const int timeoutSeconds = random() % 8 == 0 ? 4 : static_cast<int>(random() % 2);
    box.ExpectedPayload = static_cast<int>(random() % 200);
    CommandBuffer[0] = static_cast<std::uint8_t>(random());
    const std::int64_t start = time.clock().Ms;
    const int payload = Transact(2, box.ExpectedPayload, timeoutSeconds);
    // Break pulse (2 ms) plus at most one round beyond the timeout.
    ASSERT_LE(time.clock().Ms - start, timeoutSeconds * 1000 + 3) << "exchange " << i;
    ASSERT_GE(payload, 0);
    if (payload > 0) {
      ++accepted;
      ASSERT_EQ(ReplyBuffer.size(), static_cast<std::size_t>(payload));
    }
    if (box.LastAnswer == Answer::Oversized) {
      ASSERT_EQ(payload, 0);
    }
    scope.window().LogLines.clear();
  }
  // Good and long replies get through, so the box was not silent all along.
  EXPECT_GT(accepted, 1000);
}

}  // namespace
