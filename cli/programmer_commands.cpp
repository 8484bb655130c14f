// quelvox-cli's programmer commands and the link they use: a real port or the
// simulated box, whose chip may go back into its file afterwards.
#include "cli/programmer_commands.h"

#include <functional>
#include <iostream>
#include <optional>
#include <string_view>

#include "base/fuse_map.h"
#include "base/message_log.h"
#include "base/requesters.h"
#include "boxsim/sim_clock.h"
#include "boxsim/sim_port.h"
#include "cli/cli_commands.h"
#include "cli/output_file.h"
#include "commands/command_ids.h"
#include "commands/device_commands.h"
#include "commands/dispatch.h"
#include "devices/gal_device.h"
#include "fuses/fuse_file_load.h"
#include "fuses/fuse_map_view.h"
#include "fuses/jedec_reader.h"
#include "fuses/jedec_writer.h"
#include "platform/serial_port.h"
#include "programmer/detect.h"

namespace {

constexpr std::string_view SimPrefix = "sim:";
constexpr const char* SimPortName = "COM1";

// The link for one command: the machine's port, or the simulated box with a
// chip made from a JEDEC file on a clock that only moves when the host sleeps.
class Link {
 public:
  ~Link() {
    TheSerialPort().Close();
    if (simulated_) {
      InstallSerialPort(nullptr);
      InstallClock(nullptr);
    }
  }

  // Sets the link up and looks for the box. NoChipFile: a simulated chip
  // could not be made (the reason is on stderr, nothing ran); NoBox: nothing
  // answers on the port ("Hardware not present!" in the log).
  enum class Connection { Ready, NoChipFile, NoBox };
  Connection Connect(const std::string& port, CliWindow& window) {
    std::string name = port;
    if (SimulatedChipOf(port)) {
      if (!PlugInSimulatedBox(port, window)) return Connection::NoChipFile;
      name = SimPortName;
    }
    if (DetectProgrammerOn(name) == 1) return Connection::Ready;
    MessageLog("Hardware not present!", LevelError);
    LogDetectionAttempts();
    return Connection::NoBox;
  }

  // The command's exit status, once a simulated chip marked keep is back in
  // its file (a failure to write it fails the command).
  int Finish(int status) { return KeepChip() ? status : ExitFailed; }

 private:
  // The chip's file is read with the program's reader; the design already
  // open stays as it was.
  bool PlugInSimulatedBox(const std::string& port, CliWindow& window) {
    const SimulatedChipPort sim = *SimulatedChipOf(port);
    keep_ = sim.Keep;
    chipPath_ = sim.ChipFile;
    const auto design = FuseMap;
    const std::int64_t designLength = FuseMapLength, designShown = ShownFuseCount;
    const std::vector<std::string> log = window.LogLines;
    const std::int64_t count = sim.GoodOptions ? ReadJedecFile(chipPath_) : 0;
    const ChipType* type =
        !sim.TypeName.empty() ? FindChipType(sim.TypeName) : FindChipType(DeviceCodeForFuseCount(count));
    const std::vector<std::uint8_t> fuses(FuseMap.begin(),
                                          FuseMap.begin() + std::max<std::int64_t>(count, 0));
    FuseMap = design;
    FuseMapLength = designLength;
    ShownFuseCount = designShown;
    window.LogLines = log;
    if (count <= 0 || type == nullptr) {
      std::cerr << "quelvox-cli: no chip can be made from " << port.substr(SimPrefix.size()) << '\n';
      keep_ = false;
      return false;
    }
    box_.Socket = Chip::Holding(*type, fuses);
    madeWith_ = box_.Socket->Fuses;
    clock_.emplace(TheClock());
    InstallClock(&*clock_);
    ports_.Attach(SimPortName, box_);
    InstallSerialPort(&ports_);
    simulated_ = true;
    return true;
  }

  // Writes the chip's cells into its file as Save writes a map: through the
  // program's JEDEC writer, into a temporary file renamed over the old one.
  // The security cell is not part of a fuse map and is not kept.
  bool KeepChip() {
    // A chip whose cells are as its file made them leaves the file alone:
    // under another type (,NAME) it would not even hold the same map.
    if (!keep_ || !box_.Socket || box_.Socket->Fuses == madeWith_) return true;
    const Chip& chip = *box_.Socket;
    const auto design = FuseMap;
    const std::int64_t designLength = FuseMapLength, designShown = ShownFuseCount;
    const GalDeviceRecord device = GalDevice;
    Window& shown = TheWindow();
    CliWindow scratch;  // the writer reads the rows back from a fuse-map pane
    InstallWindow(&scratch);
    FuseMap.fill(0);
    std::copy(chip.Fuses.begin(), chip.Fuses.end(), FuseMap.begin());
    SelectDevice(chip.Type->Code);
    FuseMapLength = static_cast<std::int64_t>(chip.Fuses.size());
    ShowFuseMap(FuseMapLength);
    const int written = WriteJedecFileTo(chipPath_);
    InstallWindow(&shown);
    FuseMap = design;
    FuseMapLength = designLength;
    ShownFuseCount = designShown;
    GalDevice = device;
    if (written == 1) return true;
    std::cerr << "quelvox-cli: the chip could not be written back into " << chipPath_ << '\n';
    return false;
  }

  bool simulated_ = false;
  bool keep_ = false;
  std::string chipPath_;
  std::vector<std::uint8_t> madeWith_;  // the chip's cells as its file made them
  ProgrammerBox box_;
  SimulatedPorts ports_;
  std::optional<SimulatedClock> clock_;
};

// Runs the steps of a programmer command once the box answers on its port.
int OnTheBox(const CliOptions& options, CliWindow& window, const std::function<CommandResult()>& steps) {
  Link link;
  switch (link.Connect(options.Port, window)) {
    case Link::Connection::NoChipFile:  // a command that opened its file first still closes once
      if (!window.LogLines.empty()) CloseCliCommand(CommandFailed("no chip in the simulated box"));
      return ExitFailed;
    case Link::Connection::NoBox:
      return CloseCliCommand(CommandFailed("no programmer box found"));
    case Link::Connection::Ready:
      break;
  }
  return link.Finish(CloseCliCommand(RunUnclosed(steps)));
}

}  // namespace

// CHIP.jed, then optionally ,NAME (the chip type) and ,keep.
std::optional<SimulatedChipPort> SimulatedChipOf(const std::string& port) {
  if (port.rfind(SimPrefix, 0) != 0) return std::nullopt;
  const std::string chipFile = port.substr(SimPrefix.size());
  std::vector<std::string> parts;
  for (std::size_t from = 0;;) {
    const auto comma = chipFile.find(',', from);
    parts.push_back(chipFile.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
    if (comma == std::string::npos) break;
    from = comma + 1;
  }
  SimulatedChipPort sim;
  sim.ChipFile = parts[0];
  sim.GoodOptions = parts.size() <= 3;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    if (parts[i] == "keep" && !sim.Keep) {
      sim.Keep = true;
    } else if (sim.TypeName.empty() && !sim.Keep) {
      sim.TypeName = parts[i];
    } else {
      sim.GoodOptions = false;
    }
  }
  return sim;
}

int RunIdentify(const std::vector<std::string>&, const CliOptions& options, CliWindow& window) {
  return OnTheBox(options, window, RunDeviceIdentify);
}

// A read that was stopped, or found no chip, saves nothing; one whose file
// could not be written is not started.
int RunReadChip(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window) {
  if (const std::string why = WhyNotWritable(WithExtension(operands[0], "jed")); !why.empty()) {
    std::cerr << "quelvox-cli: cannot save the read: " << why << '\n';
    return ExitFailed;
  }
  return OnTheBox(options, window, [&] {
    return Steps(
        {[] { return RunCommandAction(CmdRead); }, [&] { return SaveDesignAs(operands[0], window); }});
  });
}

int RunVerifyChip(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window) {
  const CommandResult opened = OpenDesign(operands[0], window);
  if (!opened.IsDone()) return CloseCliCommand(opened);
  return OnTheBox(options, window, [] { return RunCommandAction(CmdVerify); });
}

int RunEraseChip(const std::vector<std::string>&, const CliOptions& options, CliWindow& window) {
  if (options.All) return OnTheBox(options, window, [] { return RunDeviceErase(1); });
  window.BoxAnswers.push_back(BoxAnswer::Yes);  // the command line already said so
  return OnTheBox(options, window, [] { return RunCommandAction(CmdErase); });
}

// The command line already said so: no question. --security read-protects a
// chip that verified; --force programs a map loaded from a damaged file.
int RunProgramChip(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window) {
  const CommandResult opened = OpenDesign(operands[0], window);
  if (!opened.IsDone()) return CloseCliCommand(opened);
  SetSecurityFeature(options.Security);
  return OnTheBox(options, window, [&] { return RunDeviceProgram(0, options.Force ? 1 : 0); });
}
