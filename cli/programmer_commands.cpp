#include "cli/programmer_commands.h"

#include <iostream>
#include <optional>

#include "app/commands.h"
#include "app/dispatch.h"
#include "app/message_log.h"
#include "app/requesters.h"
#include "boxsim/sim_clock.h"
#include "boxsim/sim_port.h"
#include "cli/cli_commands.h"
#include "fuses/fuse_file_load.h"
#include "fuses/fuse_map.h"
#include "fuses/jedec_reader.h"
#include "platform/serial_port.h"
#include "programmer/detect.h"
#include "programmer/device_ops.h"
#include "programmer/link_operation.h"
#include "programmer/pes.h"
#include "programmer/requests.h"

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

  // Sets the link up and looks for the box; false (with the reason on
  // stderr, or "Hardware not present!" in the log) when there is none.
  bool Connect(const std::string& port, CliWindow& window) {
    std::string name = port;
    if (port.rfind(SimPrefix, 0) == 0) {
      if (!PlugInSimulatedBox(port.substr(4), window)) return false;
      name = SimPortName;
    }
    if (DetectProgrammerOn(name) == 1) return true;
    MessageLog("Hardware not present!", LevelError);
    MessageLog(">>> done <<<", LevelPlain);
    return false;
  }

 private:
  // spec is CHIP.jed or CHIP.jed,NAME. The chip's file is read with the
  // program's reader; the design already open stays as it was.
  bool PlugInSimulatedBox(const std::string& spec, CliWindow& window) {
    const auto design = FuseMap;
    const std::int64_t designLength = FuseMapLength, designShown = ShownFuseCount;
    const std::vector<std::string> log = window.LogLines;
    const auto comma = spec.find(',');
    const std::int64_t count = ReadJedecFile(spec.substr(0, comma));
    const ChipType* type = comma != std::string::npos ? FindChipType(spec.substr(comma + 1))
                                                      : FindChipType(DeviceCodeForFuseCount(count));
    const std::vector<std::uint8_t> fuses(FuseMap.begin(),
                                          FuseMap.begin() + std::max<std::int64_t>(count, 0));
    FuseMap = design;
    FuseMapLength = designLength;
    ShownFuseCount = designShown;
    window.LogLines = log;
    if (count <= 0 || type == nullptr) {
      std::cerr << "quelvox-cli: no chip can be made from " << spec << '\n';
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

bool Ended(const CliWindow& window) {
  return LogHas(window, ">>> done <<<");
}

}  // namespace

int RunIdentify(const std::vector<std::string>&, const CliOptions& options, CliWindow& window) {
  Link link;
  if (!link.Connect(options.Port, window)) return ExitFailed;
  const int found = ReadPes();
  if (!LinkOperationStopped()) SendEndRequest();  // power the socket down again
  MessageLog(LinkOperationStopped() ? "-- aborted --" : ">>> done <<<", LevelPlain);
  return found == 1 && !LinkOperationStopped() ? ExitDone : ExitFailed;
}

// A read that was stopped, or found no chip, saves nothing.
int RunReadChip(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window) {
  Link link;
  if (!link.Connect(options.Port, window)) return ExitFailed;
  DispatchCommand(CmdRead);
  if (!Ended(window) || !LogHas(window, "->read")) return ExitFailed;
  window.DialogAnswers.push_back({FullPath(operands[0]), FilterJedec});
  window.BoxAnswers.push_back(BoxAnswer::Yes);  // replace an existing OUT
  DispatchCommand(CmdSaveAsMenu);
  return LogHas(window, "Can't access file") || LogHas(window, "Save canceled") ? ExitFailed : ExitDone;
}

int RunVerifyChip(const std::vector<std::string>& operands, const CliOptions& options, CliWindow& window) {
  if (!OpenDesign(operands[0], window)) return ExitFailed;
  Link link;
  if (!link.Connect(options.Port, window)) return ExitFailed;
  DispatchCommand(CmdVerify);
  return Ended(window) && LogHas(window, "*** SUCCESS ***") ? ExitDone : ExitFailed;
}

int RunEraseChip(const std::vector<std::string>&, const CliOptions& options, CliWindow& window) {
  Link link;
  if (!link.Connect(options.Port, window)) return ExitFailed;
  int erased = 0;
  if (options.All) {
    // No window command erases completely; run it as one would.
    erased = EraseDevice(1);
    MessageLog(LinkOperationStopped() ? "-- aborted --" : ">>> done <<<", LevelPlain);
  } else {
    window.BoxAnswers.push_back(BoxAnswer::Yes);  // the command line already said so
    DispatchCommand(CmdErase);
    erased = Ended(window) && !LogHas(window, "No GAL found!") ? 1 : 0;
  }
  return erased == 1 ? ExitDone : ExitFailed;
}
