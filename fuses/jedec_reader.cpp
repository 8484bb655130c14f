// The JEDEC reader: file checks, field scan, fuse lists and the checksum comparison.
#include "fuses/jedec_reader.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "base/fuse_map.h"
#include "base/message_log.h"
#include "fuses/jedec_numbers.h"

namespace {

struct ReadState {
  bool Stop = false;
  std::int64_t FuseAddress = 0;  // next fuse an L field sets; kept across fields
};

std::string Trimmed(const std::string& field) {
  const auto first = field.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  const auto last = field.find_last_not_of(' ');
  return field.substr(first, last - first + 1);
}

void ReadFuseList(const std::string& f, ReadState& state) {
  state.FuseAddress = ParseJedecDecimal(std::string_view(f).substr(1));
  // Without a space the whole field is scanned, so the address digits
  // themselves count as fuses (L0008 sets fuses 8, 9 and 10 to 0).
  const auto space = f.find(' ');
  const std::string_view digits =
      space == std::string::npos ? std::string_view(f) : std::string_view(f).substr(space + 1);
  for (char c : digits) {
    if (c != '0' && c != '1') continue;
    // An address outside the map (negative, or past the capacity) ends the read.
    if (state.FuseAddress < 0 || state.FuseAddress >= JedecFuseCapacity) {
      state.Stop = true;
      return;
    }
    FuseMap[static_cast<std::size_t>(state.FuseAddress)] = c == '1' ? 1 : 0;
    ++state.FuseAddress;
  }
}

void CheckChecksum(const std::string& f, const ReadState& state) {
  const std::uint64_t expected = ParseJedecHex(std::string_view(f).substr(1));
  const int computed = FuseChecksum(FuseMapLength != 0 ? FuseMapLength : state.FuseAddress);
  if (static_cast<std::uint64_t>(computed) != expected) {
    MessageLog(
        "Checksum: " + HexText(static_cast<std::uint64_t>(computed)) + " <> expected: " + HexText(expected),
        LevelWarning);
  }
}

void ProcessField(const std::string& field, ReadState& state) {
  const std::string f = Trimmed(field);
  if (f.empty()) return;
  if (f[0] == 'L') {
    ReadFuseList(f, state);
  } else if (f[0] == 'C') {
    CheckChecksum(f, state);
  } else if (f.compare(0, 2, "QF") == 0) {
    FuseMapLength = ParseJedecDecimal(std::string_view(f).substr(2));
    if (FuseMapLength > JedecFuseCapacity || FuseMapLength == 0) state.Stop = true;
  } else if (f.compare(0, 2, "F1") == 0) {
    FuseMap.fill(1);
  }
  // QP, G1, F0, G0, N, QV, V, P, D, J, X and unknown fields need nothing.
}

char UpperCase(unsigned char byte) {
  return static_cast<char>(byte >= 'a' && byte <= 'z' ? byte - ('a' - 'A') : byte);
}

// Reads at most limit + 1 bytes, so a size over the limit shows and a file
// that grows while it is read cannot make the work unbounded. Only regular
// files are read: a folder has no bytes, and opening a pipe would wait for
// a writer for ever.
bool ReadCapped(const std::string& path, std::string& bytes) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(std::filesystem::path(path), error)) return false;
  // The buffer starts at the file's size plus one byte and grows to the limit
  // only when that byte arrives too, so a file that grew meanwhile still
  // shows as too large.
  const std::uintmax_t size = std::filesystem::file_size(std::filesystem::path(path), error);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  const auto limit = static_cast<std::size_t>(JedecFileSizeLimit) + 1;
  bytes.resize(error || size >= limit ? limit : static_cast<std::size_t>(size) + 1);
  std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
  if (got == bytes.size() && got < limit) {
    bytes.resize(limit);
    got += std::fread(bytes.data() + got, 1, limit - got, file);
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  bytes.resize(got);
  return !failed;
}

}  // namespace

std::int64_t ReadJedecText(const std::string& bytes) {
  FuseMapLength = 0;
  FuseMap.fill(0);
  ReadState state;
  std::size_t i = 0;
  // Everything up to and including the first "*" is header: STX, free text, comments.
  while (i < bytes.size() && bytes[i++] != '*') {
  }
  std::string field;
  for (; i < bytes.size() && !state.Stop; ++i) {
    const char c = UpperCase(static_cast<unsigned char>(bytes[i]));
    if (c == '*') {
      ProcessField(field, state);
      field.clear();
    } else if (static_cast<unsigned char>(c) <= 32) {
      field += ' ';
    } else {
      field += c;
    }
  }
  // Without a QF field the count is where the last L field ended.
  if (!state.Stop && FuseMapLength == 0) FuseMapLength = state.FuseAddress;
  return FuseMapLength;
}

std::int64_t ReadJedecFile(const std::string& path) {
  FuseMapLength = 0;
  FuseMap.fill(0);  // fuses of an earlier file never survive a failed read
  std::string bytes;
  if (!ReadCapped(path, bytes)) {
    MessageLog("Can't access file", LevelError);
    return FuseMapLength;
  }
  if (static_cast<std::int64_t>(bytes.size()) > JedecFileSizeLimit) {
    MessageLog("File size > " + std::to_string(JedecFileSizeLimit), LevelError);
    return FuseMapLength;
  }
  return ReadJedecText(bytes);
}
