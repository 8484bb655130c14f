// ASCII case for keywords, names and attributes: by table, the same in every
// locale, and without copies where two words are only compared.
#pragma once

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace abelc {

namespace ascii_case_detail {
constexpr std::array<char, 256> Table(bool upper) {
  std::array<char, 256> table{};
  for (int c = 0; c < 256; ++c) {
    const bool change = upper ? c >= 'a' && c <= 'z' : c >= 'A' && c <= 'Z';
    table[static_cast<std::size_t>(c)] = static_cast<char>(change ? c ^ 0x20 : c);
  }
  return table;
}
}  // namespace ascii_case_detail

inline constexpr std::array<char, 256> kLowerAscii = ascii_case_detail::Table(false);
inline constexpr std::array<char, 256> kUpperAscii = ascii_case_detail::Table(true);

inline char LowerAscii(char c) {
  return kLowerAscii[static_cast<unsigned char>(c)];
}

// `s` through a case table, in place.
inline void ConvertCase(std::string& s, const std::array<char, 256>& table) {
  for (char& c : s) c = table[static_cast<unsigned char>(c)];
}

inline bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

}  // namespace abelc
