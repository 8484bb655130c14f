// Equations, Export ABEL design, the PAL question of Open and the PAL
// conversion of quelvox-cli: the loaded map through the logic/ library.
#include "commands/logic_commands.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "abel/compile_design.h"
#include "base/design_path.h"
#include "base/fuse_map.h"
#include "base/message_log.h"
#include "base/paths.h"
#include "base/requesters.h"
#include "commands/design_state.h"
#include "devices/gal_device.h"
#include "fuses/fuse_file_load.h"
#include "fuses/fuse_map_view.h"
#include "fuses/jedec_reader.h"
#include "fuses/jedec_vectors.h"
#include "fuses/jedec_writer.h"
#include "fuses/safe_file.h"
#include "logic/abel_export.h"
#include "logic/abel_vectors.h"
#include "logic/map_logic.h"
#include "logic/map_simulation.h"
#include "logic/pal_convert.h"
#include "logic/pin_names.h"
#include "platform/window.h"

namespace {

bool MapLoaded() {
  return TheWindow().LineCount(Pane::FuseMap) > 0 && FuseMapLength > 0;
}

// The loaded map decoded, or nothing after a line that says why.
std::optional<MapLogic> LoadedLogic(const std::string& unsupported) {
  std::string why;
  std::optional<MapLogic> logic = DecodeLoadedMap(unsupported, why);
  if (!logic) MessageLog(why, LevelError);
  return logic;
}

const std::string EquationsOnly =
    "Equations are read from GAL16V8, GAL18V10, GAL20RA10, GAL20V8, GAL20XV10, GAL22V10, GAL26CV12, "
    "GAL26V12, GAL6001 and GAL6002B maps only, not from a ";

void LoadConverted(const PalType& type, const std::vector<std::uint8_t>& palFuses) {
  const std::vector<std::uint8_t> gal = ConvertPalMap(type, palFuses);
  SelectDevice(type.GalCode);
  FuseMap.fill(0);
  std::copy(gal.begin(), gal.end(), FuseMap.begin());
  FuseMapLength = static_cast<std::int64_t>(gal.size());
  ShowFuseMap(FuseMapLength);
}

// Asks which of the types the count allows it is, in one list with the one
// the header names first. Returns the type the user took, or nullptr.
const PalType* AskPalType(std::int64_t fuseCount, const std::string& path) {
  std::vector<const PalType*> types = PalTypesWithFuseCount(fuseCount);
  const PalType* named = PalTypeInHeader(ReadSmallFile(path, JedecFileSizeLimit));
  if (named && named->FuseCount == fuseCount) {
    std::erase(types, named);
    types.insert(types.begin(), named);
  } else {
    named = nullptr;
  }
  std::vector<std::string> names;
  for (const PalType* type : types) names.emplace_back(type->Name);
  const std::string why = named ? "The file names a " + std::string(named->Name) + ". "
                                : std::to_string(fuseCount) + " fuses: a " + PalTypeList(types) + " map. ";
  const std::optional<int> chosen = TheWindow().AskChoice(
      "PAL fuse map", why + "Which PAL is it? Quelvox then loads the GAL map that behaves the same.", names,
      0);
  if (!chosen || *chosen < 0 || *chosen >= static_cast<int>(types.size())) return nullptr;
  return types[static_cast<std::size_t>(*chosen)];
}

bool TakePalMap(std::int64_t fuseCount, const std::string& path) {
  if (PalTypesWithFuseCount(fuseCount).empty()) return false;
  const PalType* type = AskPalType(fuseCount, path);
  if (!type) return false;
  const std::vector<std::uint8_t> pal(FuseMap.begin(), FuseMap.begin() + fuseCount);
  LoadConverted(*type, pal);
  MessageLog(std::to_string(fuseCount) + " fuses of a " + type->Name + " converted into the " +
                 GalDevice.Name + " map that behaves the same",
             LevelPlain);
  SetUnsavedChange(UnsavedChange::Edited);  // the GAL map is on no disk yet
  return true;
}

}  // namespace

const char* const SimulatedMapsOnly =
    "Simulation runs on GAL16V8, GAL18V10, GAL20RA10, GAL20V8, GAL20XV10, GAL22V10, GAL26CV12, GAL26V12, "
    "GAL6001 and GAL6002B maps only, not on a ";

std::optional<MapLogic> DecodeLoadedMap(const std::string& unsupported, std::string& why) {
  if (!MapLoaded()) {
    why = "No fuse map loaded: open or read one first";
    return std::nullopt;
  }
  std::vector<std::uint8_t> fuses(FuseMap.begin(), FuseMap.begin() + FuseMapLength);
  const PinNameSource names = PinNamesFor(LoadedJedecPath(), GalDevice.PinCount);
  std::optional<MapLogic> logic =
      DecodeMap(GalDevice.DeviceCode, GalDevice.Name, fuses, names.Names, names.From, names.NodeNames);
  if (!logic) why = unsupported + GalDevice.Name;
  return logic;
}

std::string LoadedJedecPath() {
  if (CurrentDesignPath.empty()) return "";
  std::string extension = ExtensionOf(CurrentDesignPath);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == "abl" ? OutputBaseOf(CurrentDesignPath) + ".jed" : CurrentDesignPath;
}

void OpenFuseFile(const std::string& path) {
  LoadFuseFile(path, [&path](std::int64_t fuseCount) { return TakePalMap(fuseCount, path); });
  if (MapLoaded()) return;
  const std::vector<const PalType*> types = PalTypesWithFuseCount(FuseMapLength);
  if (!types.empty()) {
    MessageLog("A " + PalTypeList(types) +
                   " map? quelvox-cli convert-pal IN.jed TYPE OUT.jed turns it into a GAL map",
               LevelPlain);
  }
}

CommandResult RunEquationsCommand() {
  const std::optional<MapLogic> logic = LoadedLogic(EquationsOnly);
  if (!logic) return CommandFailed("no equations");
  for (const std::string& line : EquationLines(*logic)) MessageLog(line, LevelPlain);
  return CommandDone();
}

void ShowCellKinds() {
  std::string why;
  const std::optional<MapLogic> logic = DecodeLoadedMap("", why);
  if (!logic || logic->Arch->IsV8() || logic->Arch->family == abelc::Family::Gal22V10) return;
  for (const std::string& line : CellKindLines(*logic)) MessageLog(line, LevelPlain);
}

SimulationOutcome RunSimulateCommand(const std::string& vectorFile) {
  SimulationOutcome outcome;
  const std::optional<MapLogic> logic = LoadedLogic(SimulatedMapsOnly);
  const auto fail = [&outcome](const std::string& why) {
    MessageLog(why, LevelError);
    outcome.Result = CommandFailed(why);
    return outcome;
  };
  if (!logic) {
    outcome.Result = CommandFailed("no vectors run");
    return outcome;
  }
  RepeatDamagedFileFinding(false);
  const std::string source = LoadedJedecPath();
  std::vector<std::string> vectors;
  if (!vectorFile.empty()) {
    const std::string text = ReadSmallFile(vectorFile, JedecFileSizeLimit);
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(vectorFile, error);
    if (text.empty() && (error || size != 0)) return fail("Can't access file " + vectorFile);
    const AbelVectors found = ReadAbelVectors(text, logic->PinNames);
    if (!found.Problem.empty()) return fail(FilePart(vectorFile) + ": " + found.Problem);
    vectors = found.Vectors;
  } else {
    const JedecVectors found =
        ReadJedecVectors(source.empty() ? "" : ReadSmallFile(source, JedecFileSizeLimit), logic->Arch->pins);
    if (!found.Problem.empty()) return fail(found.Problem);
    if (found.Vectors.empty()) {
      return fail((source.empty() ? std::string("The map") : FilePart(source)) +
                  " holds no test vectors (V fields) to run");
    }
    vectors = found.Vectors;
  }
  MessageLog("Fuse file: '" + FilePart(source) + "'  Vector file: '" +
                 FilePart(vectorFile.empty() ? source : vectorFile) + "'  Part: '" + GalDevice.Name + "'",
             LevelPlain);
  const MapSimulation run = SimulateMap(*logic, vectors);
  for (const std::string& line : run.Lines) MessageLog(line, LevelPlain);
  outcome.Passed = run.Passed;
  outcome.Total = run.Total;
  return outcome;
}

CommandResult RunExportAbelCommand() {
  const std::optional<MapLogic> logic = LoadedLogic(EquationsOnly);
  if (!logic) return CommandFailed("no design written");
  RepeatDamagedFileFinding(false);
  const std::string source = LoadedJedecPath();
  const std::string base = source.empty() ? "design" : BaseNameOf(source);
  std::string path = AskFileName(1, FilterAbel, base + ".abl");
  if (path.empty()) return CommandCancelled("export cancelled");
  if (ExtensionOf(path).empty()) path += ".abl";
  // Never over the file the map comes from: its JEDEC file, or the design it was compiled from.
  for (const std::string& own : {source, CurrentDesignPath}) {
    std::error_code notSame;
    if (!own.empty() && std::filesystem::equivalent(path, own, notSame)) {
      MessageLog(FilePart(path) + " is the file the loaded fuse map comes from: not written over",
                 LevelError);
      return CommandFailed("not written over " + own);
    }
  }
  if (ReplaceFileContents(path, AbelDesignText(*logic, source.empty() ? "" : FilePart(source))) != 1) {
    MessageLog("Can't access file", LevelError);
    return CommandFailed("can't write " + path);
  }
  MessageLog("ABEL design written: " + FilePart(path), LevelPlain);
  return CommandDone();
}

CommandResult RunConvertPal(const std::string& in, const std::string& palType, const std::string& out) {
  const PalType* type = FindPalType(palType);
  if (!type) {
    MessageLog("\"" + palType + "\" is no PAL type Quelvox converts; it converts " +
                   PalTypeList(PalTypesWithFuseCount(2048)) + " and " +
                   PalTypeList(PalTypesWithFuseCount(2560)),
               LevelError);
    return CommandFailed("unknown PAL type " + palType);
  }
  MessageLog("Parsing file: " + FilePart(in), LevelPlain);
  const std::int64_t n = ReadJedecFile(in, &LoadedMapFindings);
  if (n == 0) return CommandFailed("no fuse map read from " + in);
  if (n != type->FuseCount) {
    MessageLog(std::to_string(n) + " fuses: no " + type->Name + " map (a " + type->Name + " map has " +
                   std::to_string(type->FuseCount) + ")",
               LevelError);
    return CommandFailed(FilePart(in) + " is no " + type->Name + " map");
  }
  const std::vector<std::uint8_t> pal(FuseMap.begin(), FuseMap.begin() + n);
  LoadConverted(*type, pal);
  MessageLog(std::to_string(n) + " fuses of a " + type->Name + " converted into the " + GalDevice.Name +
                 " map that behaves the same",
             LevelPlain);
  RepeatDamagedFileFinding(true);
  if (WriteJedecFileTo(out) != 1) return CommandFailed("can't write " + out);
  CurrentDesignPath = out;
  return CommandDone();
}
