// The configuration-row maps: for every bit of a device's configuration
// (architecture) row, the fuse number it stands for. Bit i of the row is
// entry i of the map; the order is what the programmer delivers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "galmaps/macrocell_maps.h"

// Groups × Size entries: entry j of group g is First + g × GroupStep + j × Step.
// With Source set, those numbers are positions in another map instead.
struct MapRun {
  std::int32_t First = 0;
  std::int32_t Step = 1;
  std::int32_t Size = 1;
  std::int32_t Groups = 1;
  std::int32_t GroupStep = 0;
  const std::int32_t* Source = nullptr;
  // A flag rather than a null test of Source: g++ rejects comparing the
  // address of a constexpr array with null in a constant expression when
  // sanitizers are on.
  bool FromSource = false;
};

// a–b, a↓b, and a run of count fuses apart by step.
constexpr MapRun Up(std::int32_t a, std::int32_t b) {
  return {a, 1, b - a + 1};
}
constexpr MapRun Down(std::int32_t a, std::int32_t b) {
  return {a, -1, a - b + 1};
}
constexpr MapRun Fuse(std::int32_t a) {
  return {a, 1, 1};
}
constexpr MapRun Every(std::int32_t first, std::int32_t step, std::int32_t count) {
  return {first, step, count};
}
// (first, second) for the first pair, each next pair moved by pairStep.
constexpr MapRun Pairs(std::int32_t first, std::int32_t second, std::int32_t count, std::int32_t pairStep) {
  return {first, second - first, 2, count, pairStep};
}
// The S1, S0 pairs of a macrocell family with pairs, its first cell's first.
constexpr MapRun SelectorPairs(const galmaps::MacrocellMap& map) {
  return Pairs(map.S1(0), map.S0(0), map.cell_count, 2);
}
// Entries from .. to of another map, in order.
template <std::size_t N>
constexpr MapRun Positions(const std::array<std::int32_t, N>& map, std::int32_t from, std::int32_t to) {
  return {from, 1, to - from + 1, 1, 0, map.data(), true};
}

void MapRunsDoNotFillTheMap();  // never defined: reached only by a wrong map

template <std::size_t N>
constexpr std::array<std::int32_t, N> BuildMap(std::initializer_list<MapRun> runs) {
  std::array<std::int32_t, N> map{};
  std::size_t n = 0;
  for (const MapRun& run : runs)
    for (std::int32_t g = 0; g < run.Groups; ++g)
      for (std::int32_t j = 0; j < run.Size; ++j) {
        const std::int32_t value = run.First + g * run.GroupStep + j * run.Step;
        map[n++] = run.FromSource ? run.Source[value] : value;
      }
  if (n != N) MapRunsDoNotFillTheMap();
  return map;
}

// clang-format off
inline constexpr auto Cfg16V8 = BuildMap<82>(
    {Up(2128, 2159), Up(2048, 2051), Fuse(2193), Up(2120, 2127), Fuse(2192), Up(2052, 2055), Up(2160, 2191)});
inline constexpr auto Cfg16V8Alt = BuildMap<82>(
    {Up(2048, 2051), Fuse(2193), Up(2120, 2123), Up(2128, 2191), Up(2124, 2127), Fuse(2192), Up(2052, 2055)});
inline constexpr auto Cfg20V8 = BuildMap<82>(
    {Up(2640, 2671), Up(2560, 2563), Fuse(2705), Up(2632, 2639), Fuse(2704), Up(2564, 2567), Up(2672, 2703)});
inline constexpr auto Cfg20V8Alt = BuildMap<82>(
    {Up(2560, 2563), Fuse(2705), Up(2632, 2635), Up(2640, 2703), Up(2636, 2639), Fuse(2704), Up(2564, 2567)});
inline constexpr auto Cfg18V10 = BuildMap<20>({SelectorPairs(galmaps::Map18V10)});
inline constexpr auto Cfg22V10 = BuildMap<20>({SelectorPairs(galmaps::Map22V10)});
inline constexpr auto Cfg26CV12 = BuildMap<24>({SelectorPairs(galmaps::Map26CV12)});
inline constexpr auto Cfg20RA10 = BuildMap<10>({Every(galmaps::Map20RA10.s0_base, 1, galmaps::Map20RA10.cell_count)});
inline constexpr auto Cfg20XV10 = BuildMap<31>(
    {Fuse(1630), Fuse(1628), Fuse(1629), Up(1620, 1622), Up(1610, 1614), Up(1600, 1604), Fuse(1627), Fuse(1626),
     Up(1623, 1625), Down(1619, 1615), Down(1609, 1605)});
// Entry i = 7800 + 12 × (3 − i mod 4) + i div 4: twelve groups 7836, 7824, 7812, 7800, each next one up by 1.
inline constexpr auto Cfg26V12 = BuildMap<48>(
    {{galmaps::Map26V12.feedback_base, -galmaps::Map26V12.cell_count, 4, galmaps::Map26V12.cell_count, 1}});
inline constexpr auto Cfg6001 = BuildMap<68>(
    {Fuse(8221), Fuse(8220), Every(8179, 4, 10), Every(8214, -4, 10), Pairs(8216, 8217, 10, -4),
     Every(8156, 3, 8), Every(8154, 3, 8), Every(8176, -3, 8), Fuse(8218), Fuse(8219)});
inline constexpr auto Cfg6002 = BuildMap<104>(
    {Fuse(8257), Fuse(8256), Positions(Cfg6001, 2, 41), Down(8255, 8238), Up(8220, 8237),
     Positions(Cfg6001, 42, 67)});
// clang-format on
