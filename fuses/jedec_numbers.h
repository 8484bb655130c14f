// The two number forms of JEDEC fields: decimal (L addresses, QF) and
// hexadecimal (the C checksum). Both saturate instead of wrapping, so a
// field with too many digits can never turn into a small or negative value.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Skips leading blanks, takes an optional "+" or "-", then decimal digits up
// to the first other character. No digits give 0.
std::int64_t ParseJedecDecimal(std::string_view text);

// Takes hexadecimal digits (upper case) from the very start of text up to the
// first other character. No digits give 0.
std::uint64_t ParseJedecHex(std::string_view text);

// Upper-case hexadecimal without leading zeros ("0" for zero).
std::string HexText(std::uint64_t value);
