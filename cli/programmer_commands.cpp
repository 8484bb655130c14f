// quelvox-cli's programmer commands and the link they use: a real port or the simulated box.
#include "cli/programmer_commands.h"

#include <functional>
#include <iostream>
#include <optional>

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
#include "fuses/fuse_file_load.h"
#include "fuses/jedec_reader.h"
#include "platform/serial_port.h"
#include "programmer/detect.h"

namespace {

constexpr const char* SimPrefix = "sim:";
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
    if (port.rfind(SimPrefix, 0) == 0) {
      if (!PlugInSimulatedBox(port.substr(4), window)) return Connection::NoChipFile;
      name = SimPortName;
    }
    if (DetectProgrammerOn(name) == 1) return Connection::Ready;
    MessageLog("Hardware not present!", LevelError);
    LogDetectionAttempts();
    return Connection::NoBox;
  }

 private:
  // chipFile is CHIP.jed or CHIP.jed,NAME. The chip's file is read with the
  // program's reader; the design already open stays as it was.
  bool PlugInSimulatedBox(const std::string& chipFile, CliWindow& window) {
    const auto design = FuseMap;
    const std::int64_t designLength = FuseMapLength, designShown = ShownFuseCount;
    const std::vector<std::string> log = window.LogLines;
    const auto comma = chipFile.find(',');
    const std::int64_t count = ReadJedecFile(chipFile.substr(0, comma));
    const ChipType* type = comma != std::string::npos ? FindChipType(chipFile.substr(comma + 1))
                                                      : FindChipType(DeviceCodeForFuseCount(count));
    const std::vector<std::uint8_t> fuses(FuseMap.begin(),
                                          FuseMap.begin() + std::max<std::int64_t>(count, 0));
    FuseMap = design;
    FuseMapLength = designLength;
    ShownFuseCount = designShown;
    window.LogLines = log;
    if (count <= 0 || type == nullptr) {
      std::cerr << "quelvox-cli: no chip can be made from " << chipFile << '\n';
      return false;
    }
    box_.Socket = Chip::Holding(*type, fuses);
    clock_.emplace(TheClock());
    InstallClock(&*clock_);
    ports_.Attach(SimPortName, box_);
    InstallSerialPort(&ports_);
    simulated_ = true;
    return true;
  }

  bool simulated_ = false;
  ProgrammerBox box_;
  SimulatedPorts ports_;
  std::optional<SimulatedClock> clock_;
};

// Runs the steps of a programmer command once the box answers on its port.
int OnTheBox(const CliOptions& options, CliWindow& window, const std::function<CommandResult()>& steps) {
  Link link;
  switch (link.Connect(options.Port, window)) {
    case Link::Connection::NoChipFile:
      return ExitFailed;
    case Link::Connection::NoBox:
      return CloseCliCommand(CommandFailed("no programmer box found"));
    case Link::Connection::Ready:
      break;
  }
  return CloseCliCommand(RunUnclosed(steps));
}

}  // namespace

int RunIdentify(const std::vector<std::string>&, const CliOptions& options, CliWindow& window) {
  return OnTheBox(options, window, RunDeviceIdentify);
}

// A read that was stopped, or found no chip, saves nothing; one whose file
// could not be written is not started.
int RunReadChip(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window) {
  if (const std::string why = WhyNotWritable(operands[0]); !why.empty()) {
    std::cerr << "quelvox-cli: cannot save the read: " << why << '\n';
    return ExitFailed;
  }
  return OnTheBox(options, window, [&] {
    CommandResult result = RunCommandAction(CmdRead);
    if (!result.IsDone()) return result;
    window.DialogAnswers.push_back({FullPath(operands[0]), FilterJedec});
    window.BoxAnswers.push_back(BoxAnswer::Yes);  // replace an existing OUT
    return RunCommandAction(CmdSaveAsMenu);
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
