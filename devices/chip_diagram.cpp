// Copies the chip diagram out of the compiler's .doc report into the log:
// from below the drawing's top edge to its bottom line, empty rows left out,
// under a header and above a bottom line of our own.

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "base/design_path.h"
#include "base/message_log.h"
#include "base/paths.h"
#include "devices/pinout.h"

namespace {

const std::string Indent(25, ' ');
const char* const TopEdge = "|           -----           |";
const char* const EmptyRow = "|                           |";
const char* const BottomEdge = "`---";

// One line without its line end; a report written with CR LF reads the same as one with LF.
bool ReadLine(std::ifstream& file, std::string& line) {
  if (!std::getline(file, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace

void ShowChipDiagram() {
  const std::string path = DirectoryPart(CurrentDesignPath) + BaseNameOf(CurrentDesignPath) + ".doc";
  // Only a regular file: a folder has no lines, and a pipe would wait for a writer for ever.
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return;
  std::ifstream file(path, std::ios::binary);
  if (!file) return;

  std::string line;
  while (ReadLine(file, line) && line.find(TopEdge) == std::string::npos) {
  }
  MessageLog(Indent + " ___________     ___________", LevelPlain);
  MessageLog(Indent + "|           \\___/           |", LevelPlain);
  while (ReadLine(file, line)) {
    if (line.find(BottomEdge) != std::string::npos) {
      MessageLog(Indent + "|___________________________|", LevelPlain);
      break;
    }
    if (line.find(EmptyRow) == std::string::npos) MessageLog(line, LevelPlain);
  }
}
