// The machine's serial ports through termios: raw 115200 8N1 without flow
// control, FIONREAD for the exact count of waiting bytes, TIOCSBRK/TIOCCBRK
// for the break condition.
#pragma once

#include "platform/serial_port.h"

class TermiosPort final : public SerialPort {
 public:
  ~TermiosPort() override;
  bool Open(const std::string& name) override;
  void Close() override;
  bool IsOpen() override { return fd_ >= 0; }
  int BytesWaiting() override;
  int Read(std::uint8_t* buffer, int count) override;
  int Write(const std::uint8_t* data, int count) override;
  void SetBreak() override;
  void ClearBreak() override;
  PortOpenError LastOpenError() const override { return error_; }

 private:
  bool Fail(PortOpenError::Kind what, int fd = -1, const std::string& group = "");

  int fd_ = -1;
  PortOpenError error_;
};
