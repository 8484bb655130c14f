// A serial port through termios and FIONREAD.
#include "platform/posix/termios_port.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/port_names.h"

namespace {

constexpr int WriteTimeoutMs = 1000;

bool Configure(int fd) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return false;
  cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(PARENB | CSTOPB | CSIZE | CRTSCTS);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (cfsetispeed(&tio, B115200) != 0 || cfsetospeed(&tio, B115200) != 0) return false;
  if (tcsetattr(fd, TCSANOW, &tio) != 0) return false;
  tcflush(fd, TCIOFLUSH);
  return true;
}

}  // namespace

TermiosPort::~TermiosPort() {
  Close();
}

bool TermiosPort::Fail(PortOpenError::Kind what, int fd, const std::string& group) {
  if (fd >= 0) ::close(fd);
  error_.What = what;
  error_.Group = group;
  return false;
}

bool TermiosPort::Open(const std::string& name) {
  Close();
  const std::string path = ResolvePortName(name, ListSerialDevices());
  error_ = {PortOpenError::None, "", path != name ? path : ""};
  if (path.empty()) return Fail(PortOpenError::Missing);
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENXIO || errno == ENODEV) return Fail(PortOpenError::Missing);
    if (errno == EBUSY) return Fail(PortOpenError::Busy);
    if (errno != EACCES && errno != EPERM) return Fail(PortOpenError::Failed);
    // The device's group may use it (dialout on Debian): name it for the fix.
    struct stat device {};
    const group* owner = ::stat(path.c_str(), &device) == 0 ? getgrgid(device.st_gid) : nullptr;
    return Fail(PortOpenError::Denied, -1, owner != nullptr && device.st_gid != 0 ? owner->gr_name : "");
  }
  if (!isatty(fd)) return Fail(PortOpenError::NotSerial, fd);
  // Another program holding the port (its own lock, or exclusive mode) makes
  // it busy; two programs on one link would garble each other's frames.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) return Fail(PortOpenError::Busy, fd);
  if (!Configure(fd)) return Fail(PortOpenError::Failed, fd);
  fd_ = fd;
  return true;
}

void TermiosPort::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

int TermiosPort::BytesWaiting() {
  int waiting = 0;
  if (fd_ < 0 || ioctl(fd_, FIONREAD, &waiting) != 0) return 0;
  return waiting;
}

int TermiosPort::Read(std::uint8_t* buffer, int count) {
  if (fd_ < 0 || count <= 0) return 0;
  const ssize_t got = ::read(fd_, buffer, static_cast<size_t>(count));
  return got > 0 ? static_cast<int>(got) : 0;
}

int TermiosPort::Write(const std::uint8_t* data, int count) {
  if (fd_ < 0) return 0;
  int written = 0;
  while (written < count) {
    const ssize_t n = ::write(fd_, data + written, static_cast<size_t>(count - written));
    if (n > 0) {
      written += static_cast<int>(n);
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
      break;
    } else {
      // The output queue is full: wait for room rather than lose the frame.
      pollfd p{fd_, POLLOUT, 0};
      if (poll(&p, 1, WriteTimeoutMs) <= 0) break;
    }
  }
  return written;
}

void TermiosPort::SetBreak() {
  if (fd_ >= 0) ioctl(fd_, TIOCSBRK);
}

void TermiosPort::ClearBreak() {
  if (fd_ >= 0) ioctl(fd_, TIOCCBRK);
}
