// The link's byte arrays and their accessors.
#include "programmer/link_buffers.h"

std::array<std::uint8_t, CommandBufferSize> CommandBuffer{};
std::vector<std::uint8_t> ReplyBuffer(ReplyBufferStartSize, 0);
std::array<std::uint8_t, ReadBackBufferSize> ReadBackBuffer{};
std::vector<std::uint8_t> PesBytes(PesBytesStartSize, 0);

namespace {
std::uint8_t ByteAt(const std::vector<std::uint8_t>& bytes, long i) {
  if (i < 0 || i >= static_cast<long>(bytes.size())) return 0;
  return bytes[static_cast<std::size_t>(i)];
}
}  // namespace

std::uint8_t ReplyByte(long i) {
  return ByteAt(ReplyBuffer, i);
}
std::uint8_t PesByte(long i) {
  return ByteAt(PesBytes, i);
}

void StoreReadBack(long fuse, std::uint8_t value) {
  if (fuse >= 0 && fuse < ReadBackBufferSize) ReadBackBuffer[static_cast<std::size_t>(fuse)] = value;
}

void ResetLinkBuffers() {
  CommandBuffer.fill(0);
  ReplyBuffer.assign(ReplyBufferStartSize, 0);
  ReadBackBuffer.fill(0);
  PesBytes.assign(PesBytesStartSize, 0);
}
