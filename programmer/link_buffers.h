// The byte arrays of the programmer link: the request being built, the
// payload of the last reply, the fuses read back from a chip and its decoded
// PES. Readers go through ReplyByte and PesByte, which give 0 past the end.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

constexpr int CommandBufferSize = 1001;
constexpr int ReplyBufferStartSize = 1001;
constexpr int ReadBackBufferSize = 10001;
constexpr int PesBytesStartSize = 256;

extern std::array<std::uint8_t, CommandBufferSize> CommandBuffer;
extern std::vector<std::uint8_t> ReplyBuffer;  // resized by every reply read
extern std::array<std::uint8_t, ReadBackBufferSize> ReadBackBuffer;
extern std::vector<std::uint8_t> PesBytes;  // re-created by every PES decode

// Entry i, or 0 when i lies outside the array: a short or failed reply never
// makes the link read memory that is not part of it.
std::uint8_t ReplyByte(long i);
std::uint8_t PesByte(long i);

// Stores a fuse read from the chip; indices outside the buffer are ignored.
void StoreReadBack(long fuse, std::uint8_t value);

void ResetLinkBuffers();
