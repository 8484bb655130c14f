// Serial ports whose far ends are simulated programmer boxes, one box per
// port name. Names without a box cannot be opened.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "boxsim/box.h"
#include "platform/serial_port.h"

class SimulatedPorts final : public SerialPort {
 public:
  void Attach(const std::string& name, ProgrammerBox& box) { boxes_[name] = &box; }

  std::vector<std::string> OpenAttempts;  // every name asked for, in order
  std::string OpenName() const { return open_ != nullptr ? openName_ : std::string(); }

  bool Open(const std::string& name) override;
  void Close() override;
  bool IsOpen() override { return open_ != nullptr; }
  int BytesWaiting() override { return open_ != nullptr ? open_->HostBytesWaiting() : 0; }
  int Read(std::uint8_t* buffer, int count) override;
  int Write(const std::uint8_t* data, int count) override;
  void SetBreak() override;
  void ClearBreak() override;

 private:
  std::map<std::string, ProgrammerBox*> boxes_;
  ProgrammerBox* open_ = nullptr;
  std::string openName_;
};
