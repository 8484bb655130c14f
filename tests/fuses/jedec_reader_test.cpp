// The reader's field and number rules, its failures, and the styles other
// tools write: each case is a file text and the fuses, count and log lines
// it must give.
#include "fuses/jedec_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "base/fuse_map.h"
#include "fuses/jedec_numbers.h"
#include "tests/fuses/fuse_test_files.h"
#include "tests/support/recording_window.h"

namespace {

struct ReadCase {
  const char* Name;
  std::string Text;
  long long Length;    // returned and left in FuseMapLength
  std::set<int> Ones;  // fuses that must be 1; every other fuse is 0
  std::vector<std::string> Log;
};

const std::vector<std::string> NoLog;

std::vector<int> FusesSet() {
  std::vector<int> ones;
  for (int i = 0; i < FuseMapSize; ++i) {
    if (FuseMap[static_cast<std::size_t>(i)] != 0) ones.push_back(i);
  }
  return ones;
}

void ExpectRead(const ReadCase& c) {
  TestWindowScope scope;
  FuseMap.fill(1);  // leftovers of an earlier file must not survive
  FuseMapLength = 77;
  EXPECT_EQ(ReadJedecText(c.Text), c.Length) << c.Name;
  EXPECT_EQ(FuseMapLength, c.Length) << c.Name;
  EXPECT_EQ(FusesSet(), std::vector<int>(c.Ones.begin(), c.Ones.end())) << c.Name;
  EXPECT_EQ(scope.window().LogLines, c.Log) << c.Name;
}

TEST(JedecReader, FieldRules) {
  const ReadCase cases[] = {
      {"no star at all", "L0000 1111", 0, {}, NoLog},
      {"the first field is lost to the header", "QF2194*L0000 1*", 1, {0}, NoLog},
      {"lower case", "x*l0000 0101*", 4, {1, 3}, NoLog},
      {"field over two lines", "x*L0000 0101\r\n1010*", 8, {1, 3, 4, 6}, NoLog},
      {"tab and control characters are blanks",
       "x*L0000\t0\x01"
       "1*",
       2,
       {1},
       NoLog},
      {"address digits become fuses without a space", "x*L0008*", 11, {}, NoLog},
      {"count is the end of the last L field", "x*L0100 11*L0000 1*", 1, {0, 100, 101}, NoLog},
      {"stray characters in an L field", "x*L0004 1x1-0 1*", 8, {4, 5, 7}, NoLog},
      {"QF with blank and sign", "x*QF +2194*L0000 1*", 2194, {0}, NoLog},
      {"QF0 stops the read", "x*QF0*L0000 1*", 0, {}, NoLog},
      {"QF10001 stops the read and stays", "x*QF10001*L0000 1*", 10001, {}, NoLog},
      {"QF10000 is accepted", "x*QF10000*L9999 1*", 10000, {9999}, NoLog},
      {"negative QF matches nothing later", "x*QF-5*L0000 1*", -5, {0}, NoLog},
      {"F0, G0, G1, QP, QV, N, P, V, D, J, X pass",
       "x*F0*G0*G1*QP24*QV22*N note L0000 1*P 1 2*V0001 1X0*"
       "D1*J1 2*X0*L0000 01*",
       2,
       {1},
       NoLog},
      {"text after the last star",
       "\x02hdr*L0000 1*\x03"
       "A827",
       1,
       {0},
       NoLog},
      {"several fields on one line", "x*QF16*L0000 11*L0008 1*C0004*", 16, {0, 1, 8}, NoLog},
      {"checksum over the L fields without QF", "x*L0000 1*C0001*", 1, {0}, NoLog},
      {"lower-case checksum hex", "x*L0000 11111111*c00ff*", 8, {0, 1, 2, 3, 4, 5, 6, 7}, NoLog},
      {"checksum mismatch warns and reads on",
       "x*L0000 1*C0002*L0001 1*",
       2,
       {0, 1},
       {"WARNING!", "Checksum: 1 <> expected: 2"}},
      {"checksum before any L field covers 0 fuses",
       "x*C5*L0000 1*",
       1,
       {0},
       {"WARNING!", "Checksum: 0 <> expected: 5"}},
      {"a blank after C reads as 0", "x*L0000 1*C 0001*", 1, {0}, {"WARNING!", "Checksum: 1 <> expected: 0"}},
      {"long checksum values",
       "x*L0000 1*C000000001*C1FFFFFFFFFFFFFFFFFFF*",
       1,
       {0},
       {"WARNING!", "Checksum: 1 <> expected: FFFFFFFFFFFFFFFF"}},
      {"checksum over QF, not over the L fields", "x*QF16*L0000 1*C0001*", 16, {0}, NoLog},
      {"each checksum sums the fuses as they are then",
       "x*QF8*L0000 1*C0001*L0001 1*C0003*C0003*",
       8,
       {0, 1},
       NoLog},
      {"L field reaching 10000 stops", "x*QF2194*L9998 111*L0000 1*", 2194, {9998, 9999}, NoLog},
      {"L field reaching 10000 without QF gives 0", "x*L9999 11*", 0, {9999}, NoLog},
      {"negative address stops", "x*QF2194*L-1 1*L0000 1*", 2194, {}, NoLog},
      {"huge address saturates and stops", "x*L99999999999999999999 1*L0000 1*", 0, {}, NoLog},
      {"huge negative address stops", "x*L-99999999999999999999 1*", 0, {}, NoLog},
      {"address past 10000 without fuses is only a count", "x*L12345 A*", 12345, {}, NoLog},
  };
  for (const ReadCase& c : cases) ExpectRead(c);
}

TEST(JedecReader, F1SetsTheWholeArray) {
  TestWindowScope scope;
  EXPECT_EQ(ReadJedecText("x*L0000 0*C0000*F1*C0001*"), 1);
  EXPECT_EQ(FusesSet().size(), static_cast<std::size_t>(FuseMapSize));
  EXPECT_TRUE(scope.window().LogLines.empty());  // the checksum after F1 counts the ones
}

TEST(JedecReader, LineEndsDoNotMatter) {
  const std::string lf = "\x02\nhdr\n*QF40*\nL0000 0110\n1001*\nL0032 11*\nC0099*\n\x03";
  std::string crlf;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  for (const std::string& text : {lf, crlf, std::string("x*QF40*L0000 0110 1001*L0032 11*C0099*")}) {
    ExpectRead({"line ends", text, 40, {1, 2, 4, 7, 32, 33}, NoLog});
  }
}

TEST(JedecReader, FileFailures) {
  ScratchDir dir;
  const std::string mib = std::to_string(1024 * 1024);
  const std::string fuses = "x*QF2194*L0000 1*C0001*";
  WriteBytes(dir / "big.jed", fuses + std::string(1024 * 1024 + 1 - fuses.size(), ' '));
  WriteBytes(dir / "limit.jed", fuses + std::string(1024 * 1024 - fuses.size(), ' '));
  // Real GAL22V10 files with test vectors run past 20,000 bytes.
  WriteBytes(dir / "vectors.jed", fuses + std::string(20001 - fuses.size(), ' '));
  struct FileCase {
    std::string Path;
    long long Length;
    std::vector<std::string> Log;
  } cases[] = {
      {dir / "missing.jed", 0, {"ERROR!", "Can't access file"}},
      {dir.path(), 0, {"ERROR!", "Can't access file"}},
      {dir / "big.jed", 0, {"ERROR!", "File size > " + mib}},
      {dir / "limit.jed", 2194, {}},
      {dir / "vectors.jed", 2194, {}},
  };
  for (const FileCase& c : cases) {
    TestWindowScope scope;
    FuseMap.fill(1);
    EXPECT_EQ(ReadJedecFile(c.Path), c.Length) << c.Path;
    EXPECT_EQ(scope.window().LogLines, c.Log) << c.Path;
    EXPECT_EQ(FusesSet(), c.Length ? std::vector<int>{0} : std::vector<int>{}) << c.Path;
  }
}

// Files that used to load, or fail, in silence: each says what is wrong.
TEST(JedecReader, FilesMissingAPartSaySo) {
  const std::vector<std::string> cut{"WARNING!", "File ends inside a field: the fuse map may be incomplete"};
  const std::vector<std::string> noChecksum{"No fuse checksum in file"};
  const std::vector<std::string> noFuses{"ERROR!", "No fuse data in file"};
  auto join = [](std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  const struct {
    const char* Name;
    std::string Text;
    long long Length;
    std::vector<std::string> Log;
  } cases[] = {
      {"complete",
       "\x02*QF8*L0 1*C0001*\r\n\x03"
       "ABCD",
       8,
       {}},
      {"complete without ETX", "\x02*QF8*L0 1*C0001*\r\n", 8, {}},
      {"a text file", "Some notes about a design.\nNothing else.\n", 0, noFuses},
      {"fields but no fuses", "x*N note*QP20*", 0, noFuses},
      {"QF0", "x*QF0*C0000*", 0, noFuses},
      {"no checksum", "x*QF8*L0 1*\x03", 8, noChecksum},
      {"cut inside an L field", "x*QF8*L0 1*C0001*L4 1", 8, cut},
      {"cut inside an L field before ETX",
       "x*QF8*L0 1*C0001*L4 1\x03"
       "ABCD",
       8, cut},
      {"cut before the checksum", "x*QF8*L0 1*C00", 8, join(cut, noChecksum)},
      {"cut inside the count", "x*QF", 0, join(cut, noFuses)},
  };
  ScratchDir dir;
  for (const auto& c : cases) {
    TestWindowScope scope;
    WriteBytes(dir / "f.jed", c.Text);
    EXPECT_EQ(ReadJedecFile(dir / "f.jed"), c.Length) << c.Name;
    EXPECT_EQ(scope.window().LogLines, c.Log) << c.Name;
  }
}

// A real file cut at every field boundary and in the middle of every field:
// a cut inside a field always warns, a cut after a field's "*" cannot be
// seen, and the fuses read before the cut are kept.
TEST(JedecReader, ARealFileCutAnywhere) {
  const std::string whole = ReadBytes(JedecDataDir() + "/galette_GAL16V8_reg.jed");
  ASSERT_FALSE(whole.empty());
  ScratchDir dir;
  const std::string warning = "File ends inside a field: the fuse map may be incomplete";
  for (std::size_t star = whole.find('*'); star != std::string::npos; star = whole.find('*', star + 1)) {
    const std::size_t next = whole.find('*', star + 1);
    if (next == std::string::npos) break;
    const std::size_t middle = star + 1 + (next - star) / 2;
    for (std::size_t length : {star + 1, middle}) {
      TestWindowScope scope;
      WriteBytes(dir / "cut.jed", whole.substr(0, length));
      ReadJedecFile(dir / "cut.jed");
      const std::string tail = whole.substr(star + 1, length - star - 1);
      const bool insideField = tail.find_first_not_of(" \r\n\t") != std::string::npos;
      const auto& log = scope.window().LogLines;
      EXPECT_EQ(std::count(log.begin(), log.end(), warning), insideField ? 1 : 0) << "cut at " << length;
    }
  }
}

TEST(JedecNumbers, DecimalAndHexSaturate) {
  EXPECT_EQ(ParseJedecDecimal("  -42x"), -42);
  EXPECT_EQ(ParseJedecDecimal("+"), 0);
  EXPECT_EQ(ParseJedecDecimal("x1"), 0);
  EXPECT_EQ(ParseJedecDecimal("9223372036854775807"), 9223372036854775807LL);
  EXPECT_EQ(ParseJedecDecimal("9223372036854775808"), 9223372036854775807LL);
  EXPECT_EQ(ParseJedecDecimal("-99999999999999999999999"), -9223372036854775807LL);
  EXPECT_EQ(ParseJedecHex("10F0*"), 0x10F0u);
  EXPECT_EQ(ParseJedecHex(" 1"), 0u);
  EXPECT_EQ(ParseJedecHex("FFFFFFFFFFFFFFFF"), 0xFFFFFFFFFFFFFFFFu);
  EXPECT_EQ(ParseJedecHex("10000000000000000"), 0xFFFFFFFFFFFFFFFFu);
  EXPECT_EQ(HexText(0), "0");
  EXPECT_EQ(HexText(0x10F1), "10F1");
}

}  // namespace
