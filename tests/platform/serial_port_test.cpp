// The machine's serial port: COMn names and the termios port on a pty.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/posix/port_names.h"
#include "platform/posix/termios_port.h"

namespace {

using Names = std::vector<std::string>;

TEST(PortNames, UsbAdaptersFirstThenBuiltInPortsEachInNumericOrder) {
  const Names dev = {"ttyS10", "tty0", "ttyS2", "ttyACM1",  "ttyUSB10", "ttyUSB2", "ttyACM0",
                     "null",   "ttyS", "ttySx", "ttyUSB1a", "ttyAMA0",  "ttyS0"};
  const Names ordered = OrderSerialDevices(dev);
  EXPECT_EQ(ordered, (Names{"ttyUSB2", "ttyUSB10", "ttyACM0", "ttyACM1", "ttyS0", "ttyS2", "ttyS10"}));
  EXPECT_EQ(ResolvePortName("COM1", ordered), "/dev/ttyUSB2");
  EXPECT_EQ(ResolvePortName("COM3", ordered), "/dev/ttyACM0");
  EXPECT_EQ(ResolvePortName("COM7", ordered), "/dev/ttyS10");
  EXPECT_EQ(ResolvePortName("com5", ordered), "/dev/ttyS0");
  for (const char* none : {"COM0", "COM8", "COM", "COM-1", "COM1x", "LPT1", "COM99999999999"})
    EXPECT_EQ(ResolvePortName(none, ordered), "") << none;
  EXPECT_EQ(ResolvePortName("/dev/pts/4", ordered), "/dev/pts/4");
}

struct Pty {
  int master = -1, slave = -1;
  std::string path;
  Pty() {
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) == 0) path = name;
  }
  ~Pty() {
    if (master >= 0) close(master);
    if (slave >= 0) close(slave);
  }
};

TEST(TermiosPort, CountsReadsAndWritesBytesOnAPty) {
  Pty pty;
  ASSERT_FALSE(pty.path.empty());
  TermiosPort port;
  EXPECT_FALSE(port.Open("/dev/no-such-port"));
  ASSERT_TRUE(port.Open(pty.path));
  EXPECT_TRUE(port.IsOpen());
  EXPECT_EQ(port.BytesWaiting(), 0);

  const std::uint8_t reply[] = {0x40, 0, 16, 0, 0, 3};
  ASSERT_EQ(write(pty.master, reply, sizeof reply), static_cast<ssize_t>(sizeof reply));
  for (int i = 0; i < 200 && port.BytesWaiting() < 6; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(port.BytesWaiting(), 6);
  std::uint8_t got[6] = {};
  EXPECT_EQ(port.Read(got, 6), 6);
  EXPECT_EQ(std::vector<std::uint8_t>(got, got + 6), std::vector<std::uint8_t>(reply, reply + 6));
  EXPECT_EQ(port.Read(got, 6), 0);  // nothing waiting: no blocking

  const std::uint8_t request[] = {5, 8, 64, 3, 0xFF, 0, 0, 0};
  EXPECT_EQ(port.Write(request, 8), 8);
  std::uint8_t sent[8] = {};
  EXPECT_EQ(read(pty.master, sent, 8), 8);
  EXPECT_EQ(std::vector<std::uint8_t>(sent, sent + 8), std::vector<std::uint8_t>(request, request + 8));

  port.SetBreak();  // a pty has no break; the calls must simply not fail
  port.ClearBreak();
  port.Close();
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.BytesWaiting(), 0);
  EXPECT_EQ(port.Write(request, 8), 0);
}

// Why a port does not open, for the lines after "Hardware not present!".
TEST(TermiosPort, SaysWhyAPortDoesNotOpen) {
  Pty free, held;
  ASSERT_FALSE(free.path.empty());
  ASSERT_FALSE(held.path.empty());
  // Another program holding the port has its lock.
  const int other = open(held.path.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(other, 0);
  ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
  const std::string file = std::filesystem::temp_directory_path() / "quelvox-not-a-port";
  std::ofstream(file) << "x";
  const struct {
    std::string Name;
    PortOpenError::Kind What;
  } cases[] = {
      {"/dev/no-such-port", PortOpenError::Missing},
      {"COM0", PortOpenError::Missing},
      {file, PortOpenError::NotSerial},
      {held.path, PortOpenError::Busy},
      {free.path, PortOpenError::None},
  };
  for (const auto& c : cases) {
    TermiosPort port;
    EXPECT_EQ(port.Open(c.Name), c.What == PortOpenError::None) << c.Name;
    EXPECT_EQ(port.LastOpenError().What, c.What) << c.Name;
  }
  close(other);
  std::filesystem::remove(file);
}

// A port the user may not open; root gives up its rights first, since
// permission bits do not stop it.
TEST(TermiosPort, SaysWhenPermissionIsDenied) {
  const std::string file = std::filesystem::temp_directory_path() / "quelvox-denied-port";
  std::ofstream(file) << "x";
  std::filesystem::permissions(file, std::filesystem::perms::owner_read);
  EXPECT_EXIT(
      {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) std::_Exit(4);
        TermiosPort port;
        const bool opened = port.Open(file);
        std::_Exit(!opened && port.LastOpenError().What == PortOpenError::Denied ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
  std::filesystem::remove(file);
}

}  // namespace
