// OLMC descriptions and mode lines over family × mode × AC1 patterns, the
// 22V10 selector fuses, and the types without analysis.

#include "devices/olmc.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "base/fuse_map.h"
#include "devices/gal_device.h"
#include "tests/support/recording_window.h"

namespace {

const std::map<std::string, std::string> Texts = {
    {"N", "not defined!"},
    {"R", "REGISTER; TRI-STATE by /OE"},
    {"T", "TRI-STATE by Product Term"},
    {"TNF", "TRI-STATE (NO feedback!) by Product Term"},
    {"O", "OUTPUT"},
    {"ONF", "OUTPUT (NO feedback!)"},
    {"IN", "INPUT"},
};

const char* const Undefined = "Mode not defined!; SYN=0, AC0=0";
const char* const Registered = "Registered Mode; SYN=0, AC0=1; /OE & CLK are dedicated inputs";
const char* const Simple = "Simple Mode; SYN=1, AC0=0";
const char* const Complex = "Complex Mode; SYN=1, AC0=1";
const char* const Caution = "CAUTION! Early GAL revision. All outputs without feedback!";

struct OlmcCase {
  int Code;
  int Syn, Ac0;
  const char* Ac1;  // AC1 of the eight OLMC pins, lowest pin first
  std::vector<std::string> Log;
  std::vector<std::string> Results;  // keys of Texts, lowest pin first
};

// clang-format off
const OlmcCase OlmcCases[] = {
  { 26, 1, 0, "00000000", {Simple},          {"O", "O", "O", "ONF", "ONF", "O", "O", "O"}},
  {  0, 1, 0, "00000000", {Simple, Caution}, {"ONF", "ONF", "ONF", "ONF", "ONF", "ONF", "ONF", "ONF"}},
  {128, 1, 0, "11111111", {Simple},          {"IN", "IN", "IN", "N", "N", "IN", "IN", "IN"}},
  {  0, 1, 0, "11111111", {Simple, Caution}, {"IN", "IN", "IN", "N", "N", "IN", "IN", "IN"}},
  {130, 1, 0, "10000001", {Simple},          {"IN", "O", "O", "ONF", "ONF", "O", "O", "IN"}},
  { 32, 1, 0, "01000010", {Simple, Caution}, {"ONF", "IN", "ONF", "ONF", "ONF", "ONF", "IN", "ONF"}},
  { 58, 1, 1, "11111111", {Complex},         {"TNF", "T", "T", "T", "T", "T", "T", "TNF"}},
  { 32, 1, 1, "11011110", {Complex},         {"TNF", "T", "N", "T", "T", "T", "T", "N"}},
  {129, 1, 1, "00000000", {Complex},         {"N", "N", "N", "N", "N", "N", "N", "N"}},
  { 26, 0, 1, "00000001", {Registered},      {"R", "R", "R", "R", "R", "R", "R", "T"}},
  { 32, 0, 1, "01100110", {Registered},      {"R", "T", "T", "R", "R", "T", "T", "R"}},
  {  0, 0, 1, "10000000", {Registered},      {"T", "R", "R", "R", "R", "R", "R", "R"}},
  {  0, 0, 0, "10101010", {Undefined},       {"N", "N", "N", "N", "N", "N", "N", "N"}},
  { 58, 0, 0, "11111111", {Undefined},       {"N", "N", "N", "N", "N", "N", "N", "N"}},
};
// clang-format on

TEST(DescribeOlmc, ModeFamiliesOverModesAndAc1Patterns) {
  for (const OlmcCase& c : OlmcCases) {
    SCOPED_TRACE(std::to_string(c.Code) + " SYN=" + std::to_string(c.Syn) + " AC0=" + std::to_string(c.Ac0) +
                 " AC1=" + c.Ac1);
    TestWindowScope scope;
    ASSERT_EQ(SelectDevice(c.Code), 1);
    const bool is16 = c.Code < 32 || c.Code == 128 || c.Code == 129;
    const int firstPin = is16 ? 12 : 15;
    const int syn = is16 ? 2192 : 2704;
    const int firstAc1 = is16 ? 2127 : 2639;  // descending with the pin number
    FuseMap[syn] = static_cast<std::uint8_t>(c.Syn);
    FuseMap[syn + 1] = static_cast<std::uint8_t>(c.Ac0);
    for (int t = 0; t < 8; ++t) FuseMap[firstAc1 - t] = c.Ac1[t] == '1';

    std::vector<std::string> results;
    for (int pin = firstPin; pin < firstPin + 8; ++pin) results.push_back(DescribeOlmc(pin));
    std::vector<std::string> expected;
    for (const std::string& key : c.Results) expected.push_back(Texts.at(key));
    EXPECT_EQ(results, expected);
    EXPECT_EQ(scope.window().LogLines, c.Log);
  }
}

TEST(DescribeOlmc, ModeLineOnlyAtTheFirstOlmcPin) {
  TestWindowScope scope;
  SelectDevice(0);
  FuseMap[2192] = 1;  // simple mode, early revision
  DescribeOlmc(13);
  DescribeOlmc(19);
  EXPECT_TRUE(scope.window().LogLines.empty());
  DescribeOlmc(12);
  EXPECT_EQ(scope.window().LogLines, (std::vector<std::string>{Simple, Caution}));
}

TEST(DescribeOlmc, PinsOutsideTheOlmcsGetNothing) {
  TestWindowScope scope;
  for (int code : {0, 32, 72}) {
    SelectDevice(code);
    for (int pin : {-100000, 0, 1, 11, 24, 100000})
      EXPECT_EQ(DescribeOlmc(pin), "") << code << " pin " << pin;
  }
  EXPECT_TRUE(scope.window().LogLines.empty());
}

TEST(DescribeOlmc, TwentyTwoV10SelectorIsTheOddFuseOfEachPair) {
  TestWindowScope scope;
  for (int code : {72, 73, 131, 132}) {
    SCOPED_TRACE(code);
    ResetFuseState();
    SelectDevice(code);
    for (int fuse = 5808; fuse <= 5826; fuse += 2) FuseMap[fuse] = 1;  // no influence
    FuseMap[5827] = 1;                                                 // pin 14
    FuseMap[5819] = 1;                                                 // pin 18
    for (int pin = 14; pin <= 23; ++pin)
      EXPECT_EQ(DescribeOlmc(pin), pin == 14 || pin == 18 ? "COMBINATORIAL" : "REGISTERED") << pin;
  }
  EXPECT_TRUE(scope.window().LogLines.empty());
}

TEST(DescribeOlmc, OtherTypesHaveNoAnalysis) {
  TestWindowScope scope;
  FuseMap.fill(1);
  for (int code : {80, 96, 97, 101, 102, 88, 89, 93, 64, 65, 68}) {
    SelectDevice(code);
    for (int pin = 12; pin <= 23; ++pin) EXPECT_EQ(DescribeOlmc(pin), "") << code << " pin " << pin;
  }
  EXPECT_TRUE(scope.window().LogLines.empty());
}

}  // namespace
