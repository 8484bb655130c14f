// The simulated programmer box at byte level: it takes request frames off the
// wire at 115200 baud, answers them from the chip in its socket after the
// time the work would take, and sends its identification text when the line
// stays quiet after a break. Time is the platform clock's, so on a virtual
// clock a 4 s timeout costs nothing. It misbehaves on request.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "boxsim/chip.h"

enum class ReplyFault {
  None,
  Silent,          // no answer at all
  WrongEcho,       // last byte is not the command code
  ShortPayload,    // Amount payload bytes, trailer telling so
  LongPayload,     // Amount extra payload bytes, trailer telling so
  TrailerTooLong,  // trailer claims Amount payload bytes, payload unchanged
  ZeroLength,      // trailer claims 0 payload bytes
  Huge,            // payload padded to Amount bytes (1000 or more)
  NoiseFirst,      // Amount noise bytes before the reply
  CutOff,          // only the first Amount bytes, then the box is unplugged
};

struct Fault {
  ReplyFault Kind = ReplyFault::None;
  int Amount = 0;
};

class ProgrammerBox {
 public:
  static constexpr double ByteMicros = 1e6 * 10 / 115200;  // start + 8 data + stop bits
  static constexpr double BannerQuietMicros = 5000;        // quiet line after a break
  static constexpr double WorkMicros = 50;                 // decoding a request

  std::string Banner = "Quelvox_V1.0";  // may hold zero bytes, or be a fragment
  std::optional<Chip> Socket;
  bool Unplugged = false;  // sends nothing at all
  Fault EveryReply;        // applied to every reply without a fault of its own
  // A row whose writes do not take: the box answers as usual, the cells stay.
  std::optional<RowAddress> RowThatDoesNotStick;

  // Misbehave on the reply to frame `number` (1 = the first frame this box
  // receives; RequestCount() + 1 is the next one).
  void FaultOnRequest(int number, Fault fault) { faults_[number] = fault; }
  // Answers `count` more frames, then behaves as if unplugged.
  void UnplugAfter(int count) { unplugAfter_ = requests_ + count; }
  // Bytes that reach the host now, unasked (line noise, a late reply).
  void SendNoise(const std::vector<std::uint8_t>& bytes);

  int RequestCount() const { return requests_; }
  std::vector<std::vector<std::uint8_t>> Frames;  // every frame received, in order
  int BreakPulses = 0;
  double WireMicros = 0;  // time the wire carried bytes, both directions

  // The host's side of the wire, used by the simulated port.
  void HostOpen();
  void HostClose();
  void HostSetBreak();
  void HostClearBreak();
  void HostWrite(const std::uint8_t* data, int count);
  int HostBytesWaiting();
  int HostRead(std::uint8_t* buffer, int count);

 private:
  struct InFlight {
    std::uint8_t Byte;
    double ArrivalMicros;
  };
  static constexpr std::size_t HostQueueLimit = 1000;

  double Now() const;
  void CatchUp();
  void Emit(const std::vector<std::uint8_t>& bytes, double startMicros);
  void TakeFrame(const std::vector<std::uint8_t>& frame, double receivedMicros);
  // The reply's payload, and the time the chip needs before it can be sent.
  std::vector<std::uint8_t> Answer(const std::vector<std::uint8_t>& frame, double& workMicros);
  std::vector<std::uint8_t> AnswerReadRow(const std::vector<std::uint8_t>& frame) const;
  std::vector<std::uint8_t> AnswerWriteRow(const std::vector<std::uint8_t>& frame, double& workMicros);

  bool open_ = false;
  bool breakOn_ = false;
  bool powered_ = false;
  int setupCode_ = -1;
  int requests_ = 0;
  int unplugAfter_ = -1;
  std::optional<double> bannerDue_;
  double lineFree_ = 0;  // when the box's transmitter is idle again
  std::vector<std::uint8_t> incoming_;
  std::deque<InFlight> wire_;
  std::deque<std::uint8_t> hostQueue_;
  std::map<int, Fault> faults_;
};
