// Recognising an ABEL compiler's output by its header lines, and the rename
// that keeps any other file of the same name.
#include "abelc/output_guard.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace abelc {

namespace {

namespace fs = std::filesystem;

// Enough for every header seen: the classic .doc opens with blank lines and a page number.
constexpr std::size_t kHeadBytes = 1024;
constexpr std::size_t kHeadLines = 6;

std::string Lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The first non-blank lines of the file, without line ends, STX or ETX.
std::vector<std::string> HeadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::error_code error;
  if (!fs::is_regular_file(fs::path(path), error)) return lines;
  std::ifstream in(path, std::ios::binary);
  std::string head(kHeadBytes, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  std::string line;
  for (char c : head) {
    if (c == '\n') {
      if (line.find_first_not_of(" \t") != std::string::npos) lines.push_back(line);
      line.clear();
      if (lines.size() == kHeadLines) break;
    } else if (c != '\r' && c != '\x02' && c != '\x03') {
      line += c;
    }
  }
  return lines;
}

bool Has(const std::string& line, const char* text) {
  return line.find(text) != std::string::npos;
}

}  // namespace

bool IsOutputExtension(const std::string& extension) {
  const std::string lowered = Lowered(extension);
  for (const char* ours : {".jed", ".doc", ".sim", ".out", ".sum"}) {
    if (lowered == ours) return true;
  }
  return false;
}

bool WrittenByAbelCompiler(const std::string& path) {
  const std::string extension = Lowered(fs::path(path).extension().string());
  const std::vector<std::string> lines = HeadLines(path);
  if (lines.empty()) return false;
  const auto any = [&](auto test) { return std::any_of(lines.begin(), lines.end(), test); };
  if (extension == ".jed") return Has(lines[0], "ABEL") && Has(lines[0], "JEDEC file for:");
  if (extension == ".sim") {
    return lines[0].rfind("Simulate ", 0) == 0 && Has(lines[0], "ABEL") &&
           any([](const std::string& l) { return Has(l, "JEDEC file for:"); });
  }
  if (extension == ".doc") {
    return any([](const std::string& l) { return Has(l, "ABEL") && Has(l, "Device Utilization Chart"); });
  }
  if (extension == ".out" || extension == ".sum") {
    // The listing opens with the compiler's banner; the verdict file with its keys.
    if (extension == ".sum") return any([](const std::string& l) { return l.rfind("show=", 0) == 0; });
    return std::any_of(lines.begin(), lines.begin() + std::min<std::size_t>(lines.size(), 3),
                       [](const std::string& l) { return Has(l, "ABEL"); });
  }
  return false;
}

std::string KeepAside(const std::string& path, std::string& why) {
  std::error_code error;
  for (int n = 1; n < 1000; ++n) {
    const std::string kept = path + "~" + (n == 1 ? "" : std::to_string(n));
    if (fs::exists(fs::symlink_status(fs::path(kept), error))) continue;
    fs::rename(fs::path(path), fs::path(kept), error);
    if (!error) return kept;
    why = error.message();
    return "";
  }
  why = "every name from " + path + "~ to " + path + "~999 is taken";
  return "";
}

}  // namespace abelc
