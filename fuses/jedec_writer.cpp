// The JEDEC writer: the file text and its safe write.
#include "fuses/jedec_writer.h"

#include <cstdio>
#include <string_view>

#include "base/fuse_map.h"
#include "base/message_log.h"
#include "base/requesters.h"
#include "fuses/safe_file.h"
#include "platform/clock.h"
#include "platform/window.h"

namespace {

const char* const LineEnd = "\r\n";

std::string DateLine(const LocalDateTime& now) {
  char text[64];
  std::snprintf(text, sizeof text, "CREATED DATE: %02d/%02d/%04d  %02d:%02d:%02d", now.Day, now.Month,
                now.Year, now.Hour, now.Minute, now.Second);
  return text;
}

// A row goes into the file only if its fuse part (the text after the first
// space, up to the next one) holds a "1"; the F0 field covers the others.
bool RowHasFuseSet(std::string_view line) {
  const auto space = line.find(' ');
  if (space == std::string_view::npos) return false;
  const auto end = line.find(' ', space + 1);
  return line.substr(space + 1, end == std::string_view::npos ? std::string_view::npos : end - space - 1)
             .find('1') != std::string_view::npos;
}

}  // namespace

std::string JedecFileText(const LocalDateTime& now) {
  std::string text;
  auto line = [&text](const std::string& content) {
    text += content;
    text += LineEnd;
  };
  line("\x02");
  line("This is a JEDEC compatible fuse file.");
  line("CREATED BY: Quelvox");
  line(DateLine(now));
  line("*QF" + std::to_string(ShownFuseCount) + "* F0* G0* ");
  Window& window = TheWindow();
  const int rows = window.LineCount(Pane::FuseMap);
  for (int i = 0; i < rows; ++i) {
    const std::string row = window.LineText(Pane::FuseMap, i);
    if (RowHasFuseSet(row)) {
      text += row;
      line("*");
    }
  }
  char checksum[16];
  std::snprintf(checksum, sizeof checksum, "C%04X*", FuseChecksum(FuseMapLength));
  line(checksum);
  line("\x03");
  return text;
}

// A failed load clears the pane but leaves the count last shown, so both
// are looked at: a file of a QF line and no fuses would hold nothing.
bool FuseMapToSave() {
  return ShownFuseCount > 0 && TheWindow().LineCount(Pane::FuseMap) > 0;
}

int CheckFuseMapToSave() {
  if (FuseMapToSave()) return 1;
  MessageLog("Nothing to save: no fuse map is loaded", LevelError);
  return 0;
}

void WriteJedecFile() {
  if (CheckFuseMapToSave() == 0) return;
  const std::string path = AskFileName(1, FilterJedec, "");
  if (!path.empty()) WriteJedecFileTo(path);
}

int WriteJedecFileTo(const std::string& path) {
  if (CheckFuseMapToSave() == 0) return 0;
  // One reading of the clock, so date and time always belong together.
  if (ReplaceFileContents(path, JedecFileText(TheClock().Now())) == 0) {
    MessageLog("Can't access file", LevelError);
    return 0;
  }
  return 1;
}
