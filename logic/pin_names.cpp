// Pin names from the NOTE PINS fields of a JEDEC file or from the chip
// diagram of a .doc report.
#include "logic/pin_names.h"

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <system_error>

#include "base/paths.h"

namespace {

constexpr std::size_t JedecTextLimit = 20000;
constexpr std::size_t DocTextLimit = 1000000;

void Take(std::vector<std::string>& names, int pin, const std::string& name) {
  if (pin < 1 || pin >= static_cast<int>(names.size()) || !IsPinIdentifier(name)) return;
  if (!names[static_cast<std::size_t>(pin)].empty()) return;
  // Compared without case: a design may not tell the two apart.
  auto lower = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  for (const std::string& other : names) {
    if (lower(other) == lower(name)) return;
  }
  names[static_cast<std::size_t>(pin)] = name;
}

bool AnyName(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (!name.empty()) return true;
  }
  return false;
}

}  // namespace

bool IsPinIdentifier(const std::string& text) {
  if (text.empty() || text.size() > 31) return false;
  if (!std::isalpha(static_cast<unsigned char>(text[0])) && text[0] != '_') return false;
  for (char c : text) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  }
  static const char* const keywords[] = {"case",
                                         "declarations",
                                         "device",
                                         "else",
                                         "enable",
                                         "end",
                                         "endcase",
                                         "endwith",
                                         "equations",
                                         "flag",
                                         "fuses",
                                         "goto",
                                         "if",
                                         "in",
                                         "istype",
                                         "library",
                                         "macro",
                                         "module",
                                         "node",
                                         "options",
                                         "pin",
                                         "property",
                                         "state",
                                         "state_diagram",
                                         "state_register",
                                         "test_vectors",
                                         "then",
                                         "title",
                                         "trace",
                                         "truth_table",
                                         "when",
                                         "with"};
  std::string lower;
  for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* keyword : keywords) {
    if (lower == keyword) return false;
  }
  return true;
}

namespace {

// The "name:number" pairs of every field that starts with `keyword`.
std::vector<std::string> NoteNames(const std::string& jedecText, const std::string& keyword, int last) {
  std::vector<std::string> names(static_cast<std::size_t>(last) + 1);
  static const std::regex pair(R"(([^\s:]+):(\d{1,3}))");
  std::size_t start = jedecText.find('*');  // the header before the first field is free text
  while (start != std::string::npos) {
    const std::size_t end = jedecText.find('*', start + 1);
    std::string field =
        jedecText.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
    const std::size_t lead = field.find_first_not_of(" \t\r\n");
    if (lead != std::string::npos && field.compare(lead, keyword.size(), keyword) == 0) {
      field = field.substr(lead + keyword.size());
      for (std::sregex_iterator it(field.begin(), field.end(), pair), last; it != last; ++it) {
        Take(names, std::stoi((*it)[2]), (*it)[1]);
      }
    }
    start = end;
  }
  return names;
}

}  // namespace

std::vector<std::string> NotePinNames(const std::string& jedecText, int pins) {
  return NoteNames(jedecText, "NOTE PINS", pins);
}

std::vector<std::string> NoteNodeNames(const std::string& jedecText, int lastNode) {
  return NoteNames(jedecText, "NOTE NODES", lastNode);
}

std::vector<std::string> DocPinNames(const std::string& docText, int pins) {
  std::vector<std::string> names(static_cast<std::size_t>(pins) + 1);
  // "                 Clk |  1                    20  | Vcc"
  static const std::regex row(R"(^\s*!?(\S*)\s*\|\s+(\d{1,2})\s+(\d{1,2})\s+\|\s*!?(\S*)\s*$)");
  std::size_t start = 0;
  while (start < docText.size()) {
    std::size_t end = docText.find('\n', start);
    if (end == std::string::npos) end = docText.size();
    std::string line = docText.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::smatch match;
    if (std::regex_match(line, match, row)) {
      const int left = std::stoi(match[2]), right = std::stoi(match[3]);
      if (left + right == pins + 1) {
        Take(names, left, match[1]);
        Take(names, right, match[4]);
      }
    }
    start = end + 1;
  }
  // The supply pins are labelled Vcc and GND, which are no signals.
  names[static_cast<std::size_t>(pins)].clear();
  names[static_cast<std::size_t>(pins / 2)].clear();
  return names;
}

std::string ReadSmallFile(const std::string& path, std::size_t limit) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return "";
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > limit) return "";
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

PinNameSource PinNamesFor(const std::string& jedecPath, int pins) {
  PinNameSource source;
  if (jedecPath.empty()) {
    source.Names.assign(static_cast<std::size_t>(pins) + 1, "");
    return source;
  }
  const std::string jedec = ReadSmallFile(jedecPath, JedecTextLimit);
  source.NodeNames = NoteNodeNames(jedec, 99);
  source.Names = NotePinNames(jedec, pins);
  if (AnyName(source.Names)) {
    source.From = "the NOTE PINS lines";
    return source;
  }
  const std::string doc = DirectoryPart(jedecPath) + BaseNameOf(jedecPath) + ".doc";
  source.Names = DocPinNames(ReadSmallFile(doc, DocTextLimit), pins);
  if (AnyName(source.Names)) source.From = FilePart(doc);
  return source;
}
