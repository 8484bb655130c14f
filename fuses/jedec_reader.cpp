// The JEDEC reader: file checks, field scan, fuse lists and the checksum comparison.
#include "fuses/jedec_reader.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "base/fuse_map.h"
#include "base/message_log.h"
#include "fuses/jedec_numbers.h"

namespace {

struct ReadState {
  bool Stop = false;
  std::int64_t FuseAddress = 0;  // next fuse an L field sets; kept across fields
  bool FuseData = false;         // an L field, or a QF count above 0
  bool Checksum = false;         // a C field
  bool CutField = false;         // text before ETX (or the end) that no "*" closed
  bool PastCapacity = false;     // an L field went past the last fuse a map can have
  std::string Mismatch;          // the first checksum that did not match, as logged
  // The checksum last computed, over SumCount fuses (-1: none since the fuses
  // last changed), so a file of many C fields sums the map once.
  std::int64_t SumCount = -1;
  int Sum = 0;
};

std::string_view Trimmed(std::string_view field) {
  const auto first = field.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = field.find_last_not_of(' ');
  return field.substr(first, last - first + 1);
}

void ReadFuseList(std::string_view f, ReadState& state) {
  state.FuseAddress = ParseJedecDecimal(f.substr(1));
  state.SumCount = -1;
  // Without a space the whole field is scanned, so the address digits
  // themselves count as fuses (L0008 sets fuses 8, 9 and 10 to 0).
  const auto space = f.find(' ');
  const std::string_view digits = space == std::string_view::npos ? f : f.substr(space + 1);
  for (char c : digits) {
    if (c != '0' && c != '1') continue;
    // An address outside the map (negative, or past the capacity) ends the read.
    if (state.FuseAddress < 0 || state.FuseAddress >= JedecFuseCapacity) {
      state.Stop = true;
      state.PastCapacity = true;
      return;
    }
    FuseMap[static_cast<std::size_t>(state.FuseAddress)] = c == '1' ? 1 : 0;
    ++state.FuseAddress;
  }
}

void CheckChecksum(std::string_view f, ReadState& state) {
  const std::uint64_t expected = ParseJedecHex(f.substr(1));
  const std::int64_t count = FuseMapLength != 0 ? FuseMapLength : state.FuseAddress;
  if (state.SumCount != count) {
    state.Sum = FuseChecksum(count);
    state.SumCount = count;
  }
  const int computed = state.Sum;
  if (static_cast<std::uint64_t>(computed) != expected) {
    const std::string text =
        "Checksum: " + HexText(static_cast<std::uint64_t>(computed)) + " <> expected: " + HexText(expected);
    MessageLog(text, LevelWarning);
    if (state.Mismatch.empty()) state.Mismatch = text;
  }
}

void ProcessField(std::string_view field, ReadState& state) {
  const std::string_view f = Trimmed(field);
  if (f.empty()) return;
  if (f[0] == 'L') {
    state.FuseData = true;
    ReadFuseList(f, state);
  } else if (f[0] == 'C') {
    state.Checksum = true;
    CheckChecksum(f, state);
  } else if (f.substr(0, 2) == "QF") {
    FuseMapLength = ParseJedecDecimal(f.substr(2));
    if (FuseMapLength > 0) state.FuseData = true;
    if (FuseMapLength > JedecFuseCapacity || FuseMapLength == 0) state.Stop = true;
  } else if (f.substr(0, 2) == "F1") {
    FuseMap.fill(1);
    state.SumCount = -1;
  }
  // QP, G1, F0, G0, N, QV, V, P, D, J, X and unknown fields need nothing.
}

// Each byte as the fields are read: letters in upper case, blanks and
// control characters (ETX included) as spaces.
constexpr std::array<char, 256> FieldChars = [] {
  std::array<char, 256> table{};
  for (int byte = 0; byte < 256; ++byte) {
    char c = static_cast<char>(byte);
    if (byte <= 32) c = ' ';
    if (byte >= 'a' && byte <= 'z') c = static_cast<char>(byte - ('a' - 'A'));
    table[static_cast<std::size_t>(byte)] = c;
  }
  return table;
}();

// Reads at most limit + 1 bytes, so a size over the limit shows and a file
// that grows while it is read cannot make the work unbounded. Only regular
// files are read: a folder has no bytes, and opening a pipe would wait for
// a writer for ever.
bool ReadCapped(const std::string& path, std::string& bytes) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(std::filesystem::path(path), error)) return false;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  // In pieces, so a small file (the usual one) costs no megabyte of buffer.
  const std::size_t cap = static_cast<std::size_t>(JedecFileSizeLimit) + 1;
  bytes.clear();
  char piece[16384];
  std::size_t got = 0;
  while (bytes.size() < cap &&
         (got = std::fread(piece, 1, std::min(sizeof piece, cap - bytes.size()), file)) > 0) {
    bytes.append(piece, got);
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return !failed;
}

ReadState ScanJedecText(const std::string& bytes) {
  FuseMapLength = 0;
  FuseMap.fill(0);
  ReadState state;
  // Everything up to and including the first "*" is header: STX, free text, comments.
  const std::size_t star = bytes.find('*');
  const std::size_t begin = star == std::string::npos ? bytes.size() : star + 1;
  std::string text(bytes, begin);
  for (char& c : text) c = FieldChars[static_cast<unsigned char>(c)];
  const std::string_view fields(text);
  const char* const ends = "*\x03";  // the bytes that end a field or start the trailer
  std::size_t start = 0;             // of the field being read
  bool trailer = false;              // ETX seen and no "*" since: the transmission checksum follows
  for (std::size_t at = bytes.find_first_of(ends, begin); at != std::string::npos && !state.Stop;
       at = bytes.find_first_of(ends, at + 1)) {
    const std::size_t end = at - begin;
    if (bytes[at] == '*') {
      ProcessField(fields.substr(start, end - start), state);
      start = end + 1;
      trailer = false;
      state.CutField = false;
    } else if (!trailer) {
      trailer = true;
      state.CutField = !Trimmed(fields.substr(start, end - start)).empty();
    }
  }
  if (!trailer && !state.Stop) state.CutField = !Trimmed(fields.substr(start)).empty();
  // Without a QF field the count is where the last L field ended.
  if (!state.Stop && FuseMapLength == 0) FuseMapLength = state.FuseAddress;
  return state;
}

}  // namespace

std::int64_t ReadJedecText(const std::string& bytes) {
  ScanJedecText(bytes);
  return FuseMapLength;
}

std::int64_t ReadJedecFile(const std::string& path, FuseMapFindings* findings) {
  if (findings) *findings = {};
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
  const ReadState state = ScanJedecText(bytes);
  // What can mean fuses that never reached the map: a cut last field, a file
  // whose fuses are not the ones it was written with, fields left unread.
  std::string damage;
  const auto damaged = [&damage](const std::string& why) { damage += (damage.empty() ? "" : ", ") + why; };
  if (state.CutField) {
    MessageLog("File ends inside a field: the fuse map may be incomplete", LevelWarning);
    damaged("the file ends inside a field");
  }
  if (!state.Mismatch.empty()) damaged("checksum " + state.Mismatch);
  const std::string past = "Fuse data past fuse " + std::to_string(JedecFuseCapacity - 1);
  if (state.PastCapacity && FuseMapLength == 0) {
    MessageLog(past + ": more fuses than any GAL has", LevelError);
  } else if (state.PastCapacity) {
    // The fuse count came from QF: the map is kept, but the fields after
    // the stray one were never read.
    MessageLog(past + ": the rest of the file was not read", LevelWarning);
    damaged("fuse data past the map");
  } else if (!state.FuseData) {
    MessageLog("No fuse data in file", LevelError);
  } else if (!state.Checksum && !state.Stop) {  // a read that stopped early never got there
    MessageLog("No fuse checksum in file", LevelPlain);
  }
  if (findings) findings->Damage = damage;
  return FuseMapLength;
}
