// The simulated box: frames in, replies out, and its misbehaviour on request.
#include "boxsim/box.h"

#include <algorithm>

#include "platform/clock.h"

namespace {

constexpr int SetupCmd = 1, EndCmd = 2, IdCmd = 3, ReadRowCmd = 5, WriteRowCmd = 7;
constexpr std::size_t StatusReplyLength = 16;
constexpr std::uint8_t ColumnWriteMark = 0x80;

std::uint8_t At(const std::vector<std::uint8_t>& frame, std::size_t i) {
  return i < frame.size() ? frame[i] : 0;
}

std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& frame, std::size_t from, int count) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::max(count, 0)), 0);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = At(frame, from + i);
  return bytes;
}

// Byte 4 carries a shifted row address; 0xFF there means byte 3 names the row.
RowAddress AddressOf(const std::vector<std::uint8_t>& frame) {
  const std::uint8_t shifted = At(frame, 4);
  if (shifted != 0xFF) return {true, shifted};
  return {false, At(frame, 3)};
}

std::vector<std::uint8_t> Framed(std::vector<std::uint8_t> payload, std::uint8_t command,
                                 const Fault& fault) {
  std::size_t length = payload.size();
  switch (fault.Kind) {
    case ReplyFault::ShortPayload:
      payload.resize(static_cast<std::size_t>(std::max(fault.Amount, 0)));
      length = payload.size();
      break;
    case ReplyFault::LongPayload:
      payload.insert(payload.end(), static_cast<std::size_t>(std::max(fault.Amount, 0)), 0x5A);
      length = payload.size();
      break;
    case ReplyFault::TrailerTooLong:
      length = static_cast<std::size_t>(fault.Amount);
      break;
    case ReplyFault::ZeroLength:
      length = 0;
      break;
    case ReplyFault::Huge:
      payload.resize(
          std::max<std::size_t>(payload.size(), static_cast<std::size_t>(std::max(fault.Amount, 1000))), 0);
      length = payload.size();
      break;
    default:
      break;
  }
  const std::uint8_t echo =
      fault.Kind == ReplyFault::WrongEcho ? static_cast<std::uint8_t>(command + 1) : command;
  std::vector<std::uint8_t> reply;
  if (fault.Kind == ReplyFault::NoiseFirst)
    reply.assign(static_cast<std::size_t>(std::max(fault.Amount, 0)), 0xA5);
  reply.insert(reply.end(), payload.begin(), payload.end());
  reply.insert(reply.end(), {static_cast<std::uint8_t>(length & 0xFF),
                             static_cast<std::uint8_t>((length >> 8) & 0xFF), 0, echo});
  if (fault.Kind == ReplyFault::CutOff)
    reply.resize(std::min(reply.size(), static_cast<std::size_t>(fault.Amount)));
  return reply;
}

}  // namespace

double ProgrammerBox::Now() const {
  return static_cast<double>(TheClock().NowMs()) * 1000.0;
}

void ProgrammerBox::Emit(const std::vector<std::uint8_t>& bytes, double startMicros) {
  double at = std::max(startMicros, lineFree_);
  for (std::uint8_t byte : bytes) {
    at += ByteMicros;
    wire_.push_back({byte, at});
  }
  lineFree_ = at;
  WireMicros += ByteMicros * static_cast<double>(bytes.size());
}

void ProgrammerBox::CatchUp() {
  const double now = Now();
  if (bannerDue_ && *bannerDue_ <= now) {
    Emit(std::vector<std::uint8_t>(Banner.begin(), Banner.end()), *bannerDue_);
    bannerDue_.reset();
  }
  while (!wire_.empty() && wire_.front().ArrivalMicros <= now) {
    // A closed port hears nothing; a full driver queue loses what comes next.
    if (open_ && hostQueue_.size() < HostQueueLimit) hostQueue_.push_back(wire_.front().Byte);
    wire_.pop_front();
  }
}

void ProgrammerBox::SendNoise(const std::vector<std::uint8_t>& bytes) {
  CatchUp();
  Emit(bytes, Now());
}

void ProgrammerBox::HostOpen() {
  CatchUp();
  open_ = true;
  hostQueue_.clear();
}

void ProgrammerBox::HostClose() {
  CatchUp();
  open_ = false;
  hostQueue_.clear();
}

void ProgrammerBox::HostSetBreak() {
  CatchUp();
  breakOn_ = true;
  ++BreakPulses;
  incoming_.clear();  // a break ends whatever frame was half received
  bannerDue_.reset();
}

void ProgrammerBox::HostClearBreak() {
  CatchUp();
  breakOn_ = false;
  if (!Unplugged) bannerDue_ = Now() + BannerQuietMicros;
}

void ProgrammerBox::HostWrite(const std::uint8_t* data, int count) {
  CatchUp();
  bannerDue_.reset();
  const double start = Now();
  WireMicros += ByteMicros * count;
  if (breakOn_) return;  // nothing gets through a held break
  for (int i = 0; i < count; ++i) {
    incoming_.push_back(data[i]);
    if (incoming_.size() >= 2 && incoming_[1] < 2) {
      incoming_.clear();  // not a frame the box can read
    } else if (incoming_.size() >= 2 && incoming_.size() == incoming_[1]) {
      const std::vector<std::uint8_t> frame = std::move(incoming_);
      incoming_.clear();
      TakeFrame(frame, start + ByteMicros * (i + 1));
    }
  }
}

int ProgrammerBox::HostBytesWaiting() {
  CatchUp();
  return static_cast<int>(hostQueue_.size());
}

int ProgrammerBox::HostRead(std::uint8_t* buffer, int count) {
  CatchUp();
  int n = 0;
  while (n < count && !hostQueue_.empty()) {
    buffer[n++] = hostQueue_.front();
    hostQueue_.pop_front();
  }
  return n;
}

void ProgrammerBox::TakeFrame(const std::vector<std::uint8_t>& frame, double receivedMicros) {
  ++requests_;
  Frames.push_back(frame);
  if (unplugAfter_ >= 0 && requests_ > unplugAfter_) Unplugged = true;
  if (Unplugged) return;
  const auto own = faults_.find(requests_);
  const Fault fault = own != faults_.end() ? own->second : EveryReply;
  if (fault.Kind == ReplyFault::Silent) return;
  double work = 0;
  std::vector<std::uint8_t> payload = Answer(frame, work);
  Emit(Framed(std::move(payload), frame[0], fault), receivedMicros + WorkMicros + work);
  if (fault.Kind == ReplyFault::CutOff) Unplugged = true;
}

std::vector<std::uint8_t> ProgrammerBox::Answer(const std::vector<std::uint8_t>& frame, double& workMicros) {
  std::vector<std::uint8_t> reply(StatusReplyLength, 0);
  switch (frame[0]) {
    case SetupCmd:
      powered_ = true;
      setupCode_ = At(frame, 4);
      if (Socket) reply[0] = static_cast<std::uint8_t>(Socket->PullUps);
      return reply;
    case EndCmd:
      powered_ = false;
      setupCode_ = -1;
      return reply;
    case IdCmd:
      // A chip gives its ID only when the socket was set up for its kind.
      if (powered_ && Socket && Socket->Type->ProbeCode == setupCode_) {
        reply[0] = Socket->Id[0];
        reply[1] = Socket->Id[1];
      }
      return reply;
    case ReadRowCmd:
      return AnswerReadRow(frame);
    case WriteRowCmd:
      return AnswerWriteRow(frame, workMicros);
    default:
      return reply;
  }
}

std::vector<std::uint8_t> ProgrammerBox::AnswerReadRow(const std::vector<std::uint8_t>& frame) const {
  const int bits = At(frame, 2);
  if (!powered_ || !Socket) return std::vector<std::uint8_t>(static_cast<std::size_t>(bits), 0);
  // A frame longer than 8 bytes carries a column pattern from byte 10 on.
  if (At(frame, 1) > 8) return Socket->ReadColumn(Slice(frame, 10, bits), bits);
  return Socket->ReadRow(AddressOf(frame), bits, At(frame, 6) != 0);
}

std::vector<std::uint8_t> ProgrammerBox::AnswerWriteRow(const std::vector<std::uint8_t>& frame,
                                                        double& workMicros) {
  std::vector<std::uint8_t> reply(StatusReplyLength, 0);
  if (!powered_ || !Socket) return reply;
  const int bits = At(frame, 2);
  const std::vector<std::uint8_t> data = Slice(frame, 10, bits);
  const RowAddress row = AddressOf(frame);
  const ChipType& type = *Socket->Type;
  const bool eraseRow =
      !row.Shifted && bits == 1 && (row.Number == type.EraseRow || row.Number == type.EraseAllRow);
  if (eraseRow) {
    // Ten bits of pulse time: byte 7 and the low two bits of byte 8.
    workMicros = 1000.0 * (At(frame, 7) + 256 * (At(frame, 8) & 3));
    if (row.Number == type.EraseAllRow) {
      Socket->EraseAll();
    } else {
      Socket->Erase();
    }
    return reply;
  }
  workMicros = 1000.0 * At(frame, 7);
  if (At(frame, 8) == ColumnWriteMark) {
    Socket->WriteColumn(At(frame, 3), data);
  } else if (row == type.Security) {
    Socket->Secured = true;
  } else if (!(RowThatDoesNotStick && *RowThatDoesNotStick == row)) {
    Socket->WriteRow(row, data);
  }
  return reply;
}
