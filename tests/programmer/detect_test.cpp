// Finding the box on COM0..COM32 by its identification text.
#include "programmer/detect.h"

#include <gtest/gtest.h>

#include "boxsim/sim_port.h"
#include "platform/serial_port.h"
#include "tests/support/recording_window.h"
#include "tests/support/virtual_clock.h"

namespace {

using Lines = std::vector<std::string>;

// Ports with something answering on them, each a box with its own text.
struct Scan {
  TestWindowScope scope;
  VirtualClockScope clock;
  SimulatedPorts ports;
  std::map<std::string, ProgrammerBox> boxes;
  Scan() { InstallSerialPort(&ports); }
  ~Scan() {
    ports.Close();
    InstallSerialPort(nullptr);
  }
  ProgrammerBox& On(const std::string& name, const std::string& banner) {
    ProgrammerBox& box = boxes[name];
    box.Banner = banner;
    ports.Attach(name, box);
    return box;
  }
  Lines& Log() { return scope.window().LogLines; }
};

TEST(Detect, FindsTheBoxOnCom5AfterTryingCom0ToCom4) {
  Scan s;
  s.On("COM2", "");  // opens, but nothing answers
  s.On("COM5", "Quelvox_V1.0");
  s.On("COM7", "Quelvox_V1.0");
  EXPECT_EQ(DetectProgrammer(), 1);
  EXPECT_EQ(s.Log(), Lines{"Quelvox_V1.0 found @ COM5"});
  EXPECT_EQ(s.ports.OpenAttempts, (Lines{"COM0", "COM1", "COM2", "COM3", "COM4", "COM5"}));
  EXPECT_TRUE(s.ports.IsOpen());
  EXPECT_EQ(s.ports.OpenName(), "COM5");
  EXPECT_EQ(s.boxes["COM5"].BreakPulses, 2);
  EXPECT_TRUE(s.boxes["COM5"].Frames.empty());  // nothing is written
}

TEST(Detect, TheTextIsFoundAnywhereButOnlyInItsOwnCase) {
  const std::pair<std::string, int> answers[] = {
      {"boot...Quelvox_V1.0 ready\r\n", 1},
      {"quelvox_v1.0", 0},
      {"QUELVOX_V1.0", 0},
      {"Quelvox_V1.1", 0},
      {std::string("Q\0u\0e\0l\0v\0o\0x\0_\0V\0001\0.\0000\0", 24), 1},  // zero bytes are dropped
  };
  for (const auto& [answer, found] : answers) {
    Scan s;
    s.On("COM1", answer);
    EXPECT_EQ(DetectProgrammer(), found) << answer;
    EXPECT_EQ(s.ports.IsOpen(), found == 1) << answer;
    EXPECT_EQ(s.ports.OpenAttempts.size(), found == 1 ? 2u : 33u) << answer;
  }
}

TEST(Detect, TextReceivedOnEarlierPortsCounts) {
  Scan s;
  s.On("COM3", "xxQuelvox_");
  s.On("COM4", "V1.0yy");
  EXPECT_EQ(DetectProgrammer(), 1);
  EXPECT_EQ(s.Log(), Lines{"Quelvox_V1.0 found @ COM4"});
}

TEST(Detect, ASingleByteIsNotEvenRead) {
  Scan s;
  s.On("COM1", "Q");
  s.On("COM2", "uelvox_V1.0");
  // COM1's byte is never added to the text, so COM2's answer is incomplete.
  EXPECT_EQ(DetectProgrammer(), 0);
  EXPECT_TRUE(s.Log().empty());
  EXPECT_FALSE(s.ports.IsOpen());
}

TEST(Detect, AnOpenPortIsClosedFirstAndNoBoxLeavesItClosed) {
  Scan s;
  s.On("COM9", "");
  s.ports.Open("COM9");
  const std::int64_t start = s.clock.clock().NowMs();
  EXPECT_EQ(DetectProgrammer(), 0);
  EXPECT_FALSE(s.ports.IsOpen());
  EXPECT_EQ(s.ports.OpenAttempts.size(), 1u + 33u);
  EXPECT_EQ(s.clock.clock().NowMs() - start, 43);  // only COM9 opens: two pulses and 40 ms
}

// After "Hardware not present!" the log says what was tried: a run of ports
// that do not exist is one line, a port that opens but gives no box its own.
TEST(Detect, TheAttemptsOfTheLastScanAreNamed) {
  Scan s;
  s.On("COM2", "");
  s.On("COM3", "something else");
  EXPECT_EQ(DetectProgrammer(), 0);
  LogDetectionAttempts();
  EXPECT_EQ(s.Log(), (Lines{"COM0 to COM1: no such port", "COM2: no answer from a programmer box",
                            "COM3: no answer from a programmer box", "COM4 to COM32: no such port"}));
  s.Log().clear();
  EXPECT_EQ(DetectProgrammerOn("/dev/ttyUSB7"), 0);
  LogDetectionAttempts();
  EXPECT_EQ(s.Log(), Lines{"/dev/ttyUSB7: no such port"});
}

TEST(Detect, RedetectionClearsThePanesAndScans) {
  Scan s;
  s.On("COM1", "Quelvox_V1.0");
  s.scope.window().FuseMapLines = {"L00000 0101"};
  s.Log() = {"old"};
  EXPECT_EQ(RedetectProgrammer(), 1);
  EXPECT_TRUE(s.scope.window().FuseMapLines.empty());
  EXPECT_EQ(s.Log(), Lines{"Quelvox_V1.0 found @ COM1"});
  EXPECT_TRUE(s.scope.window().Boxes.empty());
}

TEST(Detect, FailedRedetectionSaysHardwareNotPresent) {
  Scan s;
  EXPECT_EQ(RedetectProgrammer(), 0);
  ASSERT_EQ(s.scope.window().Boxes.size(), 1u);
  EXPECT_EQ(s.scope.window().Boxes[0].Title, "Quelvox");
  EXPECT_EQ(s.scope.window().Boxes[0].Text, "Hardware not present!");
  EXPECT_EQ(s.scope.window().Boxes[0].Buttons, BoxButtons::Ok);
}

}  // namespace
