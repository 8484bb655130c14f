// programmer_seeds DIR: writes the seed corpus of the programmer fuzz target.
// Read, Verify and Erase run against the simulated box with a chip in its
// socket, and every answer the box gives is written down in the target's
// answer-list form, so each seed is a whole session that works: replayed
// through the fuzzed box it must log what the session logged.
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "fuzz/fuzzed_box.h"
#include "tests/support/box_link.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Passes everything to the simulated ports and groups what the box sends by
// the wake-up or request that caused it.
class RecordingPort final : public SerialPort {
 public:
  explicit RecordingPort(SerialPort& inner) : inner_(inner) {}
  struct Answer {
    bool WakeUp = false;
    std::uint8_t Command = 0;
    Bytes Sent;
  };
  std::vector<Answer> Answers;

  bool Open(const std::string& name) override {
    Answers.push_back({true, 0, {}});
    return inner_.Open(name);
  }
  void Close() override { inner_.Close(); }
  bool IsOpen() override { return inner_.IsOpen(); }
  int BytesWaiting() override { return inner_.BytesWaiting(); }
  int Read(std::uint8_t* buffer, int count) override {
    const int n = inner_.Read(buffer, count);
    if (!Answers.empty()) Answers.back().Sent.insert(Answers.back().Sent.end(), buffer, buffer + n);
    return n;
  }
  int Write(const std::uint8_t* data, int count) override {
    Answers.push_back({false, count > 0 ? data[0] : std::uint8_t{0}, {}});
    return inner_.Write(data, count);
  }
  void SetBreak() override { inner_.SetBreak(); }
  void ClearBreak() override { inner_.ClearBreak(); }

 private:
  SerialPort& inner_;
};

void Encode(const RecordingPort::Answer& a, Bytes& out) {
  const std::size_t n = a.Sent.size();
  if (n == 0) {
    out.push_back(2);
  } else if (a.WakeUp) {
    out.push_back(0);  // the identification text
  } else if (n >= 4 && n - 4 < 256 && a.Sent[n - 4] == n - 4 && a.Sent[n - 3] == 0 && a.Sent[n - 2] == 0 &&
             a.Sent[n - 1] == a.Command) {
    out.push_back(0);
    out.push_back(static_cast<std::uint8_t>(n - 4));
    out.insert(out.end(), a.Sent.begin(), a.Sent.end() - 4);
  } else if (n >= 4 && n - 4 < 256) {
    out.push_back(3);
    out.push_back(static_cast<std::uint8_t>(n - 4));
    out.insert(out.end(), a.Sent.begin(), a.Sent.end());
  } else {
    out.push_back(1);
    out.push_back(static_cast<std::uint8_t>((n + 4) / 5));
    out.insert(out.end(), a.Sent.begin(), a.Sent.end());
    out.resize(out.size() + (5 - n % 5) % 5, 0);
  }
}

bool WriteSeed(const std::string& dir, const std::string& chip, bool erased) {
  TestWindowScope scope;
  BoxLink link("COM0");
  const ChipType* type = FindChipType(chip);
  if (type == nullptr) return false;
  Bytes fuses(static_cast<std::size_t>(type->Fuses));
  std::mt19937 random(static_cast<unsigned>(type->Code));
  for (auto& fuse : fuses) fuse = erased ? 1 : static_cast<std::uint8_t>(random() & 1);
  link.Insert(chip, fuses);
  RecordingPort recorder(link.Ports);
  InstallSerialPort(&recorder);
  scope.window().AnswerBox(BoxAnswer::Yes);
  for (CommandId command : {CmdRead, CmdVerify, CmdErase}) DispatchCommand(command);
  link.Ports.Close();
  InstallSerialPort(&link.Ports);
  Bytes seed;
  for (const auto& answer : recorder.Answers) Encode(answer, seed);
  if (RunFuzzedBoxSession(seed.data(), seed.size()) != scope.window().LogLines) {
    std::fprintf(stderr, "%s: the replayed session logs other lines\n", chip.c_str());
    return false;
  }
  const std::string path = dir + "/" + chip + (erased ? "_erased" : "") + ".bin";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  std::fwrite(seed.data(), 1, seed.size(), file);
  std::fclose(file);
  std::printf("%s: %zu answers, %zu bytes\n", path.c_str(), recorder.Answers.size(), seed.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: programmer_seeds DIR\n");
    return 2;
  }
  bool ok = true;
  for (const char* chip : {"GAL16V8", "ATF16V8B", "GAL20V8", "GAL22V10", "GAL20XV10"})
    ok = WriteSeed(argv[1], chip, false) && ok;
  ok = WriteSeed(argv[1], "GAL22V10", true) && ok;
  return ok ? 0 : 1;
}
