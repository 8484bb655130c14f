// Recognising an ABEL compiler's output by its header lines, and the rename
// that keeps any other file of the same name.
#include "abelc/output_guard.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
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

std::string Reason(int error) {
  return error != 0 ? std::generic_category().message(error) : "the write failed";
}

std::string CannotWrite(const std::string& path, const std::string& reason) {
  return path + ": error: cannot write the file: " + reason;
}

// Writes `text` to a new file beside `path` whose name no file has; returns
// its name, or "" with `reason` set.
std::string WriteTemporary(const std::string& path, const std::string& text, std::string& reason) {
  const fs::path target(path);
  for (int n = 1; n < 100; ++n) {
    const fs::path temporary =
        target.parent_path() / ("." + target.filename().string() + ".new" + std::to_string(n));
    errno = 0;
    std::FILE* file = std::fopen(temporary.string().c_str(), "wbx");  // fails when the name is taken
    if (file == nullptr) {
      if (errno == EEXIST) continue;
      reason = Reason(errno);
      return "";
    }
    errno = 0;
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
    int error = errno;
    if (std::fclose(file) != 0 && written) {
      written = false;
      error = errno;
    }
    if (written) return temporary.string();
    reason = Reason(error);
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return "";
  }
  reason = "no free name for a temporary file beside it";
  return "";
}

// Is there something at `path` (a dangling link included)?
bool Exists(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(fs::path(path), error));
}

bool IsDirectory(const std::string& path) {
  std::error_code error;
  return fs::is_directory(fs::status(fs::path(path), error));
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
  if (extension == ".sum") {
    // The verdict file: its first key, or (older files) the lines shown.
    return lines[0].rfind("compiler=", 0) == 0 ||
           any([](const std::string& l) { return l.rfind("show=", 0) == 0; });
  }
  if (extension == ".out") {
    // The listing opens with this compiler's name, the classic console log
    // with its first stage's banner; a text that merely mentions ABEL is not one.
    return lines[0].rfind("Quelvox ABEL compiler ", 0) == 0 ||
           (Has(lines[0], "AHDL2PLA") && Has(lines[0], "ABEL-HDL Processor"));
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

PlacedOutputs PlaceOutputs(const std::vector<OutputText>& files, const std::vector<std::string>& stale) {
  PlacedOutputs placed;
  std::vector<std::string> temporaries;
  const auto give_up = [&](const std::string& error) {
    std::error_code ignored;
    for (const std::string& temporary : temporaries) fs::remove(fs::path(temporary), ignored);
    placed.error = error;
    return placed;
  };
  for (const OutputText& file : files) {
    if (IsDirectory(file.path)) return give_up(CannotWrite(file.path, Reason(EISDIR)));
  }
  for (const OutputText& file : files) {
    std::string reason;
    const std::string temporary = WriteTemporary(file.path, file.text, reason);
    if (temporary.empty()) return give_up(CannotWrite(file.path, reason));
    temporaries.push_back(temporary);
  }
  // Every file is written: now files of other makers step aside. Should one
  // not move, those already moved go back.
  std::vector<std::pair<std::string, std::string>> kept;  // original, kept as
  std::vector<std::string> in_the_way;
  for (const OutputText& file : files) in_the_way.push_back(file.path);
  for (const std::string& path : stale) {
    if (!IsDirectory(path)) in_the_way.push_back(path);
  }
  for (const std::string& path : in_the_way) {
    if (!Exists(path) || WrittenByAbelCompiler(path)) continue;
    std::string why;
    const std::string aside = KeepAside(path, why);
    if (aside.empty()) {
      std::error_code ignored;
      for (const auto& [original, moved] : kept) fs::rename(fs::path(moved), fs::path(original), ignored);
      placed.warnings.clear();  // they are back where they were
      return give_up(CannotWrite(path, "another file of this name cannot be kept aside: " + why));
    }
    kept.emplace_back(path, aside);
    placed.warnings.push_back(path + ": warning: not written by an ABEL compiler; kept as " + aside);
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::error_code error;
    fs::rename(fs::path(temporaries[i]), fs::path(files[i].path), error);
    if (error) {
      temporaries.erase(temporaries.begin(), temporaries.begin() + static_cast<std::ptrdiff_t>(i));
      return give_up(CannotWrite(files[i].path, error.message()));
    }
  }
  for (const std::string& path : stale) {
    std::error_code ignored;
    if (WrittenByAbelCompiler(path)) fs::remove(fs::path(path), ignored);
  }
  return placed;
}

}  // namespace abelc
