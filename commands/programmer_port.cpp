// The programmer port choice, the simulated box it may hold (chip, clock and
// port, kept from command to command), and Device > Port...
#include "commands/programmer_port.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>

#include "base/design_path.h"
#include "base/fuse_map.h"
#include "base/message_log.h"
#include "base/paths.h"
#include "base/requesters.h"
#include "boxsim/box.h"
#include "boxsim/sim_clock.h"
#include "boxsim/sim_port.h"
#include "commands/design_state.h"
#include "commands/logic_commands.h"
#include "devices/gal_device.h"
#include "fuses/fuse_file_load.h"
#include "fuses/fuse_map_view.h"
#include "fuses/jedec_reader.h"
#include "fuses/jedec_writer.h"
#include "platform/clock.h"
#include "platform/posix/port_names.h"
#include "platform/serial_port.h"
#include "platform/window.h"
#include "programmer/detect.h"
#include "programmer/pes.h"

namespace {

constexpr std::string_view SimPrefix = "sim:";
constexpr const char* SimPortName = "COM1";  // the simulated box's port, as detection names it

// A window nobody sees: the chip file is read, and the chip written back,
// through the program's own reader and writer without a trace in the panes
// of the design on show. The writer reads its rows from the fuse-map pane.
class ScratchWindow final : public Window {
 public:
  void ClearPane(Pane pane) override { Lines(pane).clear(); }
  void AppendLine(Pane pane, const std::string& text) override { Lines(pane).push_back(text); }
  int LineCount(Pane pane) override { return static_cast<int>(Lines(pane).size()); }
  std::string LineText(Pane pane, int index) override {
    return index >= 0 && index < LineCount(pane) ? Lines(pane)[static_cast<std::size_t>(index)] : "";
  }
  void ScrollToEnd(Pane) override {}
  void SetStatusText(int, const std::string&) override {}
  void SetProgress(int) override {}
  FileDialogResult AskFile(const FileDialogRequest&) override { return {}; }
  BoxAnswer ShowMessageBox(const std::string&, const std::string&, BoxButtons, BoxIcon, bool) override {
    return BoxAnswer::Closed;
  }
  std::optional<std::string> AskText(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<int> AskChoice(const std::string&, const std::string&, const std::vector<std::string>&,
                               int) override {
    return std::nullopt;
  }
  void SetClipboardText(const std::string&) override {}
  void SetCommandChecked(int, bool) override {}
  WindowEvent TakePendingEvent() override { return {}; }
  WindowEvent WaitEvent(int) override { return {}; }
  void Beep(int, int) override {}

 private:
  std::vector<std::string>& Lines(Pane pane) { return pane == Pane::FuseMap ? fuseMap_ : log_; }
  std::vector<std::string> fuseMap_, log_;
};

// Runs work on the scratch window and puts the loaded design's fuse map and
// device back afterwards.
template <typename Work>
auto AsideFromTheDesign(Work work) {
  const auto map = FuseMap;
  const std::int64_t length = FuseMapLength, shown = ShownFuseCount;
  const GalDeviceRecord device = GalDevice;
  Window& window = TheWindow();
  ScratchWindow scratch;
  InstallWindow(&scratch);
  const auto result = work();
  InstallWindow(&window);
  FuseMap = map;
  FuseMapLength = length;
  ShownFuseCount = shown;
  GalDevice = device;
  return result;
}

// The fuses of a JEDEC file, read as Open reads them; empty when none.
std::vector<std::uint8_t> ChipFileFuses(const std::string& path) {
  return AsideFromTheDesign([&path] {
    const std::int64_t count = ReadJedecFile(path);
    return std::vector<std::uint8_t>(FuseMap.begin(), FuseMap.begin() + std::max<std::int64_t>(count, 0));
  });
}

// The chip type a file of this many fuses holds (its own type), or null.
const ChipType* OwnChipType(std::size_t fuseCount) {
  return fuseCount == 0 ? nullptr
                        : FindChipType(DeviceCodeForFuseCount(static_cast<std::int64_t>(fuseCount)));
}

std::string WithArticle(const std::string& name) {
  return (name.empty() || std::string("AEIOU").find(name[0]) == std::string::npos ? "a " : "an ") + name;
}

std::string ListOfNames(const std::vector<std::string>& names, const char* last) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? last : ", ";
    text += names[i];
  }
  return text;
}

// A chip type by its name, or by the Devices box's family name where that
// names exactly one type; null after saying why not.
const ChipType* ChipTypeNamed(const std::string& text, std::string& why) {
  std::string name = text;
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (const ChipType* exact = FindChipType(name)) return exact;
  std::vector<const ChipType*> named;
  std::vector<std::string> names;
  for (const ChipType& type : AllChipTypes()) {
    if (type.Name.rfind(name, 0) != 0) continue;
    named.push_back(&type);
    names.push_back(type.Name);
  }
  if (named.size() == 1) return named[0];
  why = named.empty() ? "\"" + text + "\" is no chip type of the simulated programmer; it takes " +
                            ListOfNames(SimulatedChipTypeNames(), " and ")
                      : text + " names more than one chip type: " + ListOfNames(names, " or ");
  return nullptr;
}

bool IsLoadedMapFile(const std::string& path) {
  for (const std::string& own : {LoadedJedecPath(), CurrentDesignPath}) {
    std::error_code notSame;
    if (!own.empty() && std::filesystem::equivalent(path, own, notSame)) return true;
  }
  return false;
}

std::string NotKeptInTheLoadedFile(const std::string& chipFile) {
  return FilePart(chipFile) + " is the file the loaded fuse map comes from: the chip is not kept in it";
}

// The simulated box of a choice: the box with its chip, the port it answers
// on and its clock, all kept while the choice holds.
struct SimulatedProgrammer {
  ProgrammerBox Box;
  SimulatedPorts Ports;
  std::optional<SimulatedClock> Time;
  std::vector<std::uint8_t> InFile;  // the chip's cells as its file holds them
};

PortChoice choice;
std::unique_ptr<SimulatedProgrammer> simulated;
SerialPort* portBefore = nullptr;  // while a ProgrammerLink plugs the box in
Clock* clockBefore = nullptr;

std::string SimulatedName() {
  return FilePart(choice.ChipFile) + " (" + choice.TypeName + ")";
}

// The title's text, which names no automatic choice, and whether the chip is kept.
std::string ChoiceText() {
  if (choice.What == PortChoice::Kind::Automatic) return "found automatically";
  const bool kept = choice.What == PortChoice::Kind::Simulated && choice.Keep;
  return PortChoiceTitle() + (kept ? ", kept in its file" : "");
}

// Writes the chip's cells into its file as Save writes a map: through the
// program's JEDEC writer, into a temporary file renamed over the old one.
// The security cell is not part of a fuse map and is not kept.
bool WriteChipIntoItsFile(const Chip& chip, const std::string& path) {
  return AsideFromTheDesign([&] {
    FuseMap.fill(0);
    std::copy(chip.Fuses.begin(), chip.Fuses.end(), FuseMap.begin());
    SelectDevice(chip.Type->Code);
    FuseMapLength = static_cast<std::int64_t>(chip.Fuses.size());
    ShowFuseMap(FuseMapLength);
    return WriteJedecFileTo(path) == 1;
  });
}

// The simulated programmer of the Port... list: the chip file, its type
// (the file's own first, then the others of its size) and keep.
std::optional<PortChoice> AskSimulatedProgrammer(std::string& why) {
  PortChoice sim;
  sim.What = PortChoice::Kind::Simulated;
  sim.ChipFile = AskFileName(0, FilterJedec, "");
  if (sim.ChipFile.empty()) return std::nullopt;
  const ChipType* own = OwnChipType(ChipFileFuses(sim.ChipFile).size());
  if (own == nullptr) {
    why = "no chip can be made from " + sim.ChipFile;
    return std::nullopt;
  }
  std::vector<std::string> types{own->Name};
  for (const ChipType& type : AllChipTypes()) {
    if (&type != own && type.Fuses == own->Fuses) types.push_back(type.Name);
  }
  const std::optional<int> type = TheWindow().AskChoice(
      "Simulated programmer", "The chip in the socket, made from " + FilePart(sim.ChipFile) + ":", types, 0);
  if (!type) return std::nullopt;
  sim.TypeName = types[static_cast<std::size_t>(*type)];
  sim.Keep = TheWindow().ShowMessageBox("Simulated programmer",
                                        "Keep the chip's contents in " + FilePart(sim.ChipFile) +
                                            "?\r\nThe file is then written over after every command "
                                            "that changes the chip.",
                                        BoxButtons::YesNo, BoxIcon::Warning, true) == BoxAnswer::Yes;
  return sim;
}

CommandResult TakeChoice(const PortChoice& wanted) {
  if (!ChooseProgrammerPortLogged(wanted)) return CommandFailed("the port was not changed");
  MessageLog("Programmer: " + ChoiceText(), LevelPlain);
  return CommandDone();
}

}  // namespace

PortChoice PortChoiceOf(const std::string& text) {
  PortChoice result;
  if (text.rfind(SimPrefix, 0) != 0) {
    result.What = PortChoice::Kind::Named;
    result.Name = text;
    return result;
  }
  // CHIP.jed, then optionally ,TYPE and ,keep.
  result.What = PortChoice::Kind::Simulated;
  const std::string rest = text.substr(SimPrefix.size());
  std::vector<std::string> parts;
  for (std::size_t from = 0;;) {
    const auto comma = rest.find(',', from);
    parts.push_back(rest.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
    if (comma == std::string::npos) break;
    from = comma + 1;
  }
  result.ChipFile = parts[0];
  bool good = !parts[0].empty() && parts.size() <= 3;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    if (parts[i] == "keep" && !result.Keep) {
      result.Keep = true;
    } else if (result.TypeName.empty() && !result.Keep && !parts[i].empty()) {
      result.TypeName = parts[i];
    } else {
      good = false;
    }
  }
  if (!good)
    result.Wrong = "no chip can be made from " + rest + ": sim:CHIP.jed takes ,TYPE and ,keep after it";
  return result;
}

std::string ChooseProgrammerPort(const PortChoice& wanted) {
  PortChoice taken = wanted;
  std::unique_ptr<SimulatedProgrammer> box;
  if (wanted.What == PortChoice::Kind::Named && wanted.Name.empty()) return "no port named";
  if (wanted.What == PortChoice::Kind::Simulated) {
    if (!wanted.Wrong.empty()) return wanted.Wrong;
    std::string why;
    const ChipType* type = nullptr;
    if (!wanted.TypeName.empty() && (type = ChipTypeNamed(wanted.TypeName, why)) == nullptr) return why;
    const std::vector<std::uint8_t> fuses = ChipFileFuses(wanted.ChipFile);
    const ChipType* own = OwnChipType(fuses.size());
    if (fuses.empty() || (type == nullptr && own == nullptr))
      return "no chip can be made from " + wanted.ChipFile;
    if (type == nullptr) type = own;
    if (own == nullptr || own->Fuses != type->Fuses) {
      return FilePart(wanted.ChipFile) + " holds " + std::to_string(fuses.size()) + " fuses; " +
             WithArticle(type->Name) + " has " + std::to_string(type->Fuses);
    }
    if (wanted.Keep && IsLoadedMapFile(wanted.ChipFile)) return NotKeptInTheLoadedFile(wanted.ChipFile);
    taken.TypeName = type->Name;
    box = std::make_unique<SimulatedProgrammer>();
    box->Box.Socket = Chip::Holding(*type, fuses);
    box->InFile = box->Box.Socket->Fuses;
    box->Ports.Attach(SimPortName, box->Box);
  }
  TheSerialPort().Close();  // a port the last choice found is not the new one's
  choice = taken;
  simulated = std::move(box);
  SetLinkNote(simulated ? "Simulated programmer: " + SimulatedName() : "");
  ShowWindowTitle();
  return "";
}

bool ChooseProgrammerPortLogged(const PortChoice& wanted) {
  const std::string why = ChooseProgrammerPort(wanted);
  if (why.empty()) return true;
  MessageLog(why, LevelError);
  return false;
}

const PortChoice& CurrentPortChoice() {
  return choice;
}

std::string PortChoiceTitle() {
  switch (choice.What) {
    case PortChoice::Kind::Automatic:
      return "";
    case PortChoice::Kind::Named:
      return choice.Name;
    case PortChoice::Kind::Simulated:
      return "simulated: " + SimulatedName();
  }
  return "";
}

std::vector<std::string> SimulatedChipTypeNames() {
  std::vector<std::string> names;
  for (const ChipType& type : AllChipTypes()) names.push_back(type.Name);
  return names;
}

ProgrammerLink::ProgrammerLink() {
  if (!simulated) return;
  simulated_ = true;
  portBefore = &TheSerialPort();
  clockBefore = &TheClock();
  if (simulated->Time) {
    simulated->Time->SetWall(*clockBefore);
  } else {
    simulated->Time.emplace(*clockBefore);
  }
  InstallClock(&*simulated->Time);
  InstallSerialPort(&simulated->Ports);
}

ProgrammerLink::~ProgrammerLink() {
  if (!simulated_) return;
  if (simulated) simulated->Ports.Close();
  InstallSerialPort(portBefore);
  InstallClock(clockBefore);
}

bool ProgrammerLink::Connect() {
  switch (choice.What) {
    case PortChoice::Kind::Automatic:
      if (TheSerialPort().IsOpen() || DetectProgrammer() == 1) return true;
      break;
    case PortChoice::Kind::Named:
      if (TheSerialPort().IsOpen() || DetectProgrammerOn(choice.Name) == 1) return true;
      break;
    case PortChoice::Kind::Simulated:
      if (DetectProgrammerOn(SimPortName) == 1) return true;
      break;
  }
  MessageLog("Hardware not present!", LevelError);
  LogDetectionAttempts();
  return false;
}

CommandResult ProgrammerLink::Finish(const CommandResult& result) {
  if (!simulated_ || !simulated || !choice.Keep || !simulated->Box.Socket) return result;
  const Chip& chip = *simulated->Box.Socket;
  // A chip whose cells are as its file holds them leaves the file alone.
  if (chip.Fuses == simulated->InFile) return result;
  std::string why;
  if (IsLoadedMapFile(choice.ChipFile)) {
    why = NotKeptInTheLoadedFile(choice.ChipFile);
  } else if (!WriteChipIntoItsFile(chip, choice.ChipFile)) {
    why = "The chip could not be written back into " + choice.ChipFile;
  } else {
    simulated->InFile = chip.Fuses;
    return result;
  }
  MessageLog(why, LevelError);
  return result.IsDone() ? CommandFailed("the chip was not kept in " + choice.ChipFile) : result;
}

CommandResult RunChoosePortCommand() {
  const std::vector<std::string> devices = ListSerialDevices();
  std::vector<std::string> items{"Find the programmer automatically"};
  std::vector<std::string> names{""};  // the port each item names
  int initial = 0;
  for (std::size_t i = 0; i < devices.size(); ++i) {
    names.push_back("/dev/" + devices[i]);
    items.push_back(names.back() + " (COM" + std::to_string(i + 1) + ")");
  }
  if (choice.What == PortChoice::Kind::Named) {
    const auto listed = std::find(names.begin(), names.end(), choice.Name);
    if (listed == names.end()) {
      names.push_back(choice.Name);
      items.push_back(choice.Name);
    }
    initial = static_cast<int>(std::find(names.begin(), names.end(), choice.Name) - names.begin());
  }
  items.push_back("Simulated programmer...");
  if (choice.What == PortChoice::Kind::Simulated) initial = static_cast<int>(items.size()) - 1;

  const std::optional<int> chosen =
      TheWindow().AskChoice("Port", "Where the programmer is connected:", items, initial);
  if (!chosen) return CommandCancelled("the port was not changed");
  PortChoice wanted;
  if (*chosen == static_cast<int>(items.size()) - 1) {
    std::string why;
    const std::optional<PortChoice> sim = AskSimulatedProgrammer(why);
    if (!sim) {
      if (why.empty()) return CommandCancelled("the port was not changed");
      MessageLog(why, LevelError);
      return CommandFailed(why);
    }
    wanted = *sim;
  } else if (*chosen > 0) {
    wanted.What = PortChoice::Kind::Named;
    wanted.Name = names[static_cast<std::size_t>(*chosen)];
  }
  return TakeChoice(wanted);
}

CommandResult RunChoosePortText(const std::string& portText) {
  return TakeChoice(PortChoiceOf(portText));
}

void ResetProgrammerPort() {
  choice = {};
  simulated.reset();
  SetLinkNote("");
}
