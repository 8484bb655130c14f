// Pin-function codes, their printed names, and the pin layout of every
// package the catalogue knows. A layout holds one code per package pin.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>

constexpr std::int32_t PinInput = 36;
constexpr std::int32_t PinGnd = 37;
constexpr std::int32_t PinVcc = 38;
constexpr std::int32_t PinClockInput = 39;
constexpr std::int32_t PinClock2Input = 40;
constexpr std::int32_t PinIo = 41;
constexpr std::int32_t PinOeInput = 42;
constexpr std::int32_t PinOe = 43;
constexpr std::int32_t PinPreload = 44;
constexpr std::int32_t PinOutputClock = 45;

// "I", "GND", ... for the codes above; empty for any other code.
std::string PinName(std::int32_t code);

// Index = package pin; index 0 and pins above the package are unused.
using PinLayout = std::array<std::int32_t, 29>;

// Pins First .. Last (or one pin) have the function Code.
struct PinRun {
  int First;
  int Last;
  std::int32_t Code;
  constexpr PinRun(int pin, std::int32_t code) : First(pin), Last(pin), Code(code) {}
  constexpr PinRun(int first, int last, std::int32_t code) : First(first), Last(last), Code(code) {}
};

// A package of pinCount pins: the listed runs, every other pin an input.
constexpr PinLayout MakeLayout(int pinCount, std::initializer_list<PinRun> runs) {
  PinLayout layout{};
  for (int pin = 1; pin <= pinCount; ++pin) layout[pin] = PinInput;
  for (const PinRun& run : runs)
    for (int pin = run.First; pin <= run.Last; ++pin) layout[pin] = run.Code;
  return layout;
}

// clang-format off
inline constexpr PinLayout Layout16V8 = MakeLayout(20,
    {{1, PinClockInput}, {10, PinGnd}, {11, PinOeInput}, {12, 19, PinIo}, {20, PinVcc}});
inline constexpr PinLayout Layout18V10 = MakeLayout(20,
    {{1, PinClockInput}, {9, PinIo}, {10, PinGnd}, {11, 19, PinIo}, {20, PinVcc}});
inline constexpr PinLayout Layout20V8 = MakeLayout(24,  // 14 and 23 are inputs
    {{1, PinClockInput}, {12, PinGnd}, {13, PinOeInput}, {15, 22, PinIo}, {24, PinVcc}});
inline constexpr PinLayout Layout20RA10 = MakeLayout(24,
    {{1, PinPreload}, {12, PinGnd}, {13, PinOe}, {14, 23, PinIo}, {24, PinVcc}});
inline constexpr PinLayout Layout20XV10 = MakeLayout(24,
    {{1, PinClockInput}, {12, PinGnd}, {13, PinOeInput}, {14, 23, PinIo}, {24, PinVcc}});
inline constexpr PinLayout Layout22V10 = MakeLayout(24,  // 13 is an input
    {{1, PinClockInput}, {12, PinGnd}, {14, 23, PinIo}, {24, PinVcc}});
inline constexpr PinLayout Layout26CV12 = MakeLayout(28,  // 28 is an input
    {{1, PinClockInput}, {7, PinVcc}, {15, 20, PinIo}, {21, PinGnd}, {22, 27, PinIo}});
inline constexpr PinLayout Layout26V12C = MakeLayout(28,  // 28 is an input
    {{1, PinClockInput}, {4, PinClock2Input}, {7, PinVcc}, {15, 20, PinIo}, {21, PinGnd}, {22, 27, PinIo}});
inline constexpr PinLayout Layout6001 = MakeLayout(24,
    {{1, PinClockInput}, {12, PinGnd}, {13, PinOutputClock}, {14, 23, PinIo}, {24, PinVcc}});
// clang-format on
