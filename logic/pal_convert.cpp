// PAL fuse maps as GAL maps: an L8 becomes a complex-mode map with every cell
// an output under its enable term, an Rn a registered-mode map with the
// PAL's registers as register cells; every output stays active low.
#include "logic/pal_convert.h"

#include <cctype>

#include "abelc/gal_devices.h"
#include "devices/device_families.h"

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

const PalType* FindPalType(const std::string& name) {
  const std::string wanted = Upper(name);
  for (const PalType& type : PalTypes) {
    const std::string full = type.Name, bare = full.substr(3);
    if (wanted == full || wanted == "P" + bare || wanted == bare) return &type;
  }
  return nullptr;
}

std::vector<const PalType*> PalTypesWithFuseCount(std::int64_t fuseCount) {
  std::vector<const PalType*> types;
  for (const PalType& type : PalTypes) {
    if (type.FuseCount == fuseCount) types.push_back(&type);
  }
  return types;
}

const PalType* PalTypeInHeader(const std::string& jedecText) {
  const std::string header = Upper(jedecText.substr(0, jedecText.find('*')));
  const PalType* found = nullptr;
  std::size_t foundAt = std::string::npos;
  for (const PalType& type : PalTypes) {
    const std::string bare = std::string(type.Name).substr(3);  // "16R4"
    for (std::size_t at = header.find(bare); at != std::string::npos; at = header.find(bare, at + 1)) {
      // "P16R4" or "PAL16R4", not inside a longer word or number.
      std::size_t lead = at;
      if (lead >= 2 && header.compare(lead - 2, 2, "AL") == 0) lead -= 2;
      if (lead == 0 || header[lead - 1] != 'P') continue;
      if (lead >= 2 && std::isalnum(static_cast<unsigned char>(header[lead - 2]))) continue;
      const std::size_t after = at + bare.size();
      if (after < header.size() && std::isdigit(static_cast<unsigned char>(header[after]))) continue;
      if (at < foundAt) {
        found = &type;
        foundAt = at;
      }
      break;
    }
  }
  return found;
}

std::string PalTypeList(const std::vector<const PalType*>& types) {
  std::string text;
  for (std::size_t i = 0; i < types.size(); ++i) {
    if (i > 0) text += i + 1 == types.size() ? " or " : ", ";
    text += types[i]->Name;
  }
  return text;
}

std::vector<std::uint8_t> ConvertPalMap(const PalType& type, const std::vector<std::uint8_t>& palFuses) {
  const abelc::GalArchitecture& gal =
      abelc::DeviceOf(Is20V8Family(type.GalCode) ? abelc::Family::Gal20V8 : abelc::Family::Gal16V8);
  std::vector<std::uint8_t> fuses(static_cast<std::size_t>(gal.fuses), 0);
  for (std::size_t f = 0;
       f < fuses.size() && f < palFuses.size() && f < static_cast<std::size_t>(type.FuseCount); ++f) {
    fuses[f] = palFuses[f] ? 1 : 0;
  }
  const bool registers = type.FirstRegisteredPin != 0;
  for (int row = 0; row < gal.rows; ++row) fuses[static_cast<std::size_t>(gal.ptd_base + row)] = 1;
  fuses[static_cast<std::size_t>(gal.syn)] = registers ? 0 : 1;
  fuses[static_cast<std::size_t>(gal.ac0)] = 1;
  for (std::size_t i = 0; i < gal.cells.size(); ++i) {
    const int pin = gal.cells[i].pin;
    const bool registered = registers && pin >= type.FirstRegisteredPin && pin <= type.LastRegisteredPin;
    // XOR stays 0: every PAL output is active low.
    fuses[static_cast<std::size_t>(gal.ac1_base) + i] = registered ? 0 : 1;
  }
  return fuses;
}
