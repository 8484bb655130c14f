// The type families, tested by device code wherever behaviour differs per
// family rather than per catalogue field.
#pragma once

#include <cstdint>

constexpr bool Is16V8Family(std::int32_t code) {
  return code == 0 || code == 26 || code == 128 || code == 129;
}
constexpr bool Is20V8Family(std::int32_t code) {
  return code == 32 || code == 58 || code == 130;
}
constexpr bool Is22V10Family(std::int32_t code) {
  return code == 72 || code == 73 || code == 131 || code == 132;
}
constexpr bool Is18V10Family(std::int32_t code) {
  return code == 80;
}
constexpr bool Is26CV12Family(std::int32_t code) {
  return code == 88 || code == 89;
}
constexpr bool Is26V12Family(std::int32_t code) {
  return code == 93;
}
constexpr bool Is20RA10Family(std::int32_t code) {
  return code == 96 || code == 97;
}
constexpr bool Is20XV10Family(std::int32_t code) {
  return code == 101 || code == 102;
}
constexpr bool Is6001Family(std::int32_t code) {
  return code == 64 || code == 65 || code == 68;  // the GAL6002B shares the array
}
constexpr bool IsAtfType(std::int32_t code) {
  return code >= 128 && code <= 132;
}
