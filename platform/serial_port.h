// The one serial port of the programmer link, as the core sees it: open by
// name with the link's fixed settings, close, bytes waiting, read, write and
// the break condition. Production uses the termios port; tests plug in the
// simulated programmer box.
#pragma once

#include <cstdint>
#include <string>

// Why the last Open failed, for telling the user what to do about it.
struct PortOpenError {
  enum Kind { None, Missing, Denied, Busy, NotSerial, Failed };
  Kind What = Missing;
  std::string Group;   // Denied: the group that may use the port, when known
  std::string Device;  // the device a port name stood for, when it is not the name itself
};

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  // Opens the named port at 115200 baud, 8N1, no flow control. A port that is
  // still open is closed first. Returns false when the port cannot be opened.
  virtual bool Open(const std::string& name) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() = 0;

  // Bytes in the receive queue now; 0 when the port is closed.
  virtual int BytesWaiting() = 0;
  // Reads up to count bytes that are already waiting; returns the number read.
  virtual int Read(std::uint8_t* buffer, int count) = 0;
  // Writes count bytes; returns the number written (0 on failure).
  virtual int Write(const std::uint8_t* data, int count) = 0;

  virtual void SetBreak() = 0;
  virtual void ClearBreak() = 0;

  // After a failed Open: why. Ports that cannot tell say Missing.
  virtual PortOpenError LastOpenError() const { return {}; }
};

// The port in use; the machine's own serial ports unless something else was
// installed.
SerialPort& TheSerialPort();
void InstallSerialPort(SerialPort* port);  // nullptr restores the machine's ports
