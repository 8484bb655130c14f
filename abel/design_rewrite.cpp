// The compile step's rewrite of a design into its work copy, and what the
// rewrite dropped or renamed.
#include "abel/design_rewrite.h"

namespace {

const std::string ModuleKeyword = "MODULE";
const std::string DeviceKeyword = "DEVICE";

// Only ASCII letters change, so positions in the upper-case form are
// positions in the line as read, UTF-8 included.
std::string UpperCase(const std::string& text) {
  std::string upper = text;
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

}  // namespace

std::vector<std::string> RewriteAbelDesign(const std::vector<std::string>& design) {
  std::vector<std::string> work;
  auto line = design.begin();
  // The keyword tests are plain substring tests: a comment or a title that
  // holds the word counts as well.
  while (line != design.end() && UpperCase(*line).find(ModuleKeyword) == std::string::npos) ++line;
  if (line == design.end()) return work;
  work.push_back("MODULE abelcpl");
  for (++line; line != design.end(); ++line) {
    const auto at = UpperCase(*line).find(DeviceKeyword);
    if (at == std::string::npos) {
      work.push_back(*line);
      continue;
    }
    work.push_back("abelcpl DEVICE" + line->substr(at + DeviceKeyword.size()));
    ++line;
    break;
  }
  work.insert(work.end(), line, design.end());
  return work;
}

AbelRewriteNotes RewriteNotesOf(const std::vector<std::string>& design) {
  AbelRewriteNotes notes;
  for (const std::string& line : design) {
    const auto at = UpperCase(line).find(ModuleKeyword);
    if (at == std::string::npos) {
      ++notes.DroppedLines;
      continue;
    }
    // The name runs from the first non-blank after the keyword to a blank,
    // ';', '(' or a comment.
    std::size_t from = line.find_first_not_of(" \t", at + ModuleKeyword.size());
    if (from == std::string::npos) from = line.size();
    const std::size_t to = line.find_first_of(" \t;(\"", from);
    notes.ModuleName = line.substr(from, to == std::string::npos ? std::string::npos : to - from);
    return notes;
  }
  return notes;
}
