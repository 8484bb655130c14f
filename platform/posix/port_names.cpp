// COMn names on POSIX: the machine's serial devices in a fixed order.
#include "platform/posix/port_names.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <tuple>

namespace {

constexpr const char* SerialPrefixes[] = {"ttyUSB", "ttyACM", "ttyS"};  // COM order

// (prefix rank, number) of a serial device name; rank -1 for other names.
std::pair<int, long> SortKey(const std::string& name) {
  for (int rank = 0; rank < 3; ++rank) {
    const std::string prefix = SerialPrefixes[rank];
    if (name.size() <= prefix.size() || name.size() > prefix.size() + 6 ||
        name.compare(0, prefix.size(), prefix) != 0)
      continue;
    const std::string digits = name.substr(prefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
      continue;
    return {rank, std::stol(digits)};
  }
  return {-1, 0};
}

}  // namespace

std::vector<std::string> OrderSerialDevices(const std::vector<std::string>& names) {
  std::vector<std::string> devices;
  for (const std::string& name : names) {
    if (SortKey(name).first >= 0) devices.push_back(name);
  }
  std::sort(devices.begin(), devices.end(),
            [](const std::string& a, const std::string& b) { return SortKey(a) < SortKey(b); });
  return devices;
}

std::string ResolvePortName(const std::string& name, const std::vector<std::string>& ordered,
                            const std::string& deviceDir) {
  if (!name.empty() && name[0] == '/') return name;
  if (name.size() < 4 || name.size() > 12) return "";
  const std::string prefix = name.substr(0, 3);
  if (prefix != "COM" && prefix != "com") return "";
  const std::string digits = name.substr(3);
  if (!std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
    return "";
  const long n = std::stol(digits);
  if (n < 1 || n > static_cast<long>(ordered.size())) return "";
  return deviceDir + "/" + ordered[static_cast<std::size_t>(n - 1)];
}

std::vector<std::string> ListSerialDevices(const std::string& deviceDir) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(deviceDir, error)) {
    names.push_back(entry.path().filename().string());
  }
  return OrderSerialDevices(names);
}
