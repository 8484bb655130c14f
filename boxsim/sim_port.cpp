// Serial ports whose far ends are simulated boxes.
#include "boxsim/sim_port.h"

bool SimulatedPorts::Open(const std::string& name) {
  Close();
  OpenAttempts.push_back(name);
  const auto found = boxes_.find(name);
  if (found == boxes_.end()) return false;
  open_ = found->second;
  openName_ = name;
  open_->HostOpen();
  return true;
}

void SimulatedPorts::Close() {
  if (open_ != nullptr) open_->HostClose();
  open_ = nullptr;
}

int SimulatedPorts::Read(std::uint8_t* buffer, int count) {
  return open_ != nullptr ? open_->HostRead(buffer, count) : 0;
}

int SimulatedPorts::Write(const std::uint8_t* data, int count) {
  if (open_ == nullptr) return 0;
  open_->HostWrite(data, count);
  return count;
}

void SimulatedPorts::SetBreak() {
  if (open_ != nullptr) open_->HostSetBreak();
}

void SimulatedPorts::ClearBreak() {
  if (open_ != nullptr) open_->HostClearBreak();
}
