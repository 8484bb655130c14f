// The programmer commands (Read, Verify, Erase: detection, identification,
// PES read and decode, supply and timing, the device operations) against a
// box whose every answer comes from the fuzzer's bytes, on a virtual clock.
//
// The bytes are a list of answers. The box takes the next one when it is
// woken on a port and after every request it is sent; each starts with a
// control byte:
//   kind 0  well formed: payload length byte P, P payload bytes, then the
//           trailer (P, 0, 0, the request's command byte); on a wake-up the
//           identification text instead
//   kind 1  raw: a length byte N, then 5*N bytes as they come (long ones
//           cross the reply limit)
//   kind 2  silence
//   kind 3  forged trailer: P, P payload bytes, then four trailer bytes as given
// Once the bytes run out the box is unplugged: nothing more ever arrives, and
// the session ends with the command that is running. The box is unplugged as
// well after MaxTimedOutWaits requests whose reply wait ran to its end: a
// reply shorter than the request expects is still accepted after the
// timeout, so two bytes an answer could keep a GAL6001 read waiting out a
// hundred timeouts (minutes for a user, 4000 rounds of the wait each for the
// fuzzer).
// Shared by the fuzz target, its seed writer and the test that replays the
// inputs the fuzzer found.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "commands/command_ids.h"
#include "commands/dispatch.h"
#include "platform/serial_port.h"
#include "programmer/detect.h"
#include "tests/support/recording_window.h"
#include "tests/support/virtual_clock.h"

constexpr int MaxTimedOutWaits = 8;

class FuzzedBox final : public SerialPort {
 public:
  FuzzedBox(const std::uint8_t* data, std::size_t size, const VirtualClock& clock)
      : data_(data), size_(size), clock_(clock) {}

  bool Open(const std::string&) override {
    open_ = true;
    Clear();
    woken_ = false;
    return true;
  }
  void Close() override {
    open_ = false;
    Clear();
  }
  bool IsOpen() override { return open_; }
  bool Unplugged() const { return at_ >= size_; }
  int BytesWaiting() override { return open_ ? waiting_ : 0; }
  int Read(std::uint8_t* buffer, int count) override {
    const int n = std::clamp(count, 0, waiting_);
    std::copy_n(
        pending_.begin() + static_cast<std::ptrdiff_t>(pending_.size() - static_cast<std::size_t>(waiting_)),
        n, buffer);
    waiting_ -= n;
    if (waiting_ == 0) pending_.clear();
    return n;
  }
  int Write(const std::uint8_t* data, int count) override {
    if (!open_ || count <= 0) return 0;
    requested_ = true;
    requestedAtMs_ = clock_.Ms;
    Answer(data[0], false);
    return count;
  }
  void SetBreak() override {
    // Every request starts with a break; a reply wait runs to its end only
    // when it times out (this box answers at once or never).
    if (requested_ && clock_.Ms - requestedAtMs_ >= 4000 && ++timedOutWaits_ >= MaxTimedOutWaits) at_ = size_;
    requested_ = false;
    if (open_ && !woken_) {
      woken_ = true;
      Answer(0, true);
    }
  }
  void ClearBreak() override {}

 private:
  std::uint8_t Next() { return at_ < size_ ? data_[at_++] : 0; }
  void Clear() {
    pending_.clear();
    waiting_ = 0;
  }
  void Push(std::uint8_t byte) {
    pending_.push_back(byte);
    ++waiting_;
  }
  // Passes on the next count bytes, zeros once they run out.
  void PassOn(int count) {
    const std::size_t given = std::min(static_cast<std::size_t>(count), size_ - at_);
    pending_.insert(pending_.end(), data_ + at_, data_ + at_ + given);
    pending_.resize(pending_.size() + (static_cast<std::size_t>(count) - given), 0);
    at_ += given;
    waiting_ += count;
  }

  void Answer(std::uint8_t command, bool wakeUp) {
    if (at_ >= size_) return;  // unplugged
    const std::uint8_t control = Next();
    switch (control & 3) {
      case 0: {
        if (wakeUp) {
          for (const char* c = BoxIdentification; *c != 0; ++c) Push(static_cast<std::uint8_t>(*c));
          return;
        }
        const std::uint8_t length = Next();
        PassOn(length);
        for (std::uint8_t byte : {length, std::uint8_t{0}, std::uint8_t{0}, command}) Push(byte);
        return;
      }
      case 1: {
        PassOn(5 * Next());
        return;
      }
      case 2:
        return;
      default: {
        PassOn(Next() + 4);
        return;
      }
    }
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
  bool open_ = false;
  bool woken_ = false;
  const VirtualClock& clock_;
  bool requested_ = false;
  std::int64_t requestedAtMs_ = 0;
  int timedOutWaits_ = 0;
  // The bytes waiting are the last waiting_ of pending_: a plain count, so the
  // reply wait's once-a-millisecond question calls no library code.
  std::vector<std::uint8_t> pending_;
  int waiting_ = 0;
};

// Read, Verify and Erase (answered Yes) against the box; returns the log. The
// session ends with the command during which the box was unplugged: against
// an unplugged box every later command only waits out the same timeouts, on
// the virtual clock but a turn of the wait loop per millisecond all the same.
inline std::vector<std::string> RunFuzzedBoxSession(const std::uint8_t* data, std::size_t size) {
  TestWindowScope scope;
  VirtualClockScope clock;
  FuzzedBox box(data, size, clock.clock());
  InstallSerialPort(&box);
  scope.window().AnswerBox(BoxAnswer::Yes);
  for (CommandId command : {CmdRead, CmdVerify, CmdErase}) {
    DispatchCommand(command);
    if (box.Unplugged()) break;
  }
  box.Close();
  InstallSerialPort(nullptr);
  return scope.window().LogLines;
}
