// The open and save dialogs, the question before replacing a file, remembered folders.
#include "base/requesters.h"

#include <filesystem>
#include <system_error>

#include "base/message_log.h"
#include "base/paths.h"
#include "platform/window.h"

const char* const FilePatterns = "JEDEC file (*.jed)|*.jed|ABEL file (*.abl)|*.abl|all files (*.*)|*.*";

std::string LastOpenDirectory;
std::string LastSaveDirectory;

namespace {

std::string StartDirectory(const std::string& remembered) {
  return remembered.empty() ? CurrentDirectoryWithSeparator() : remembered;
}

bool PathExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::path(path), error);
}

std::string AskOpen(int filterIndex) {
  FileDialogResult chosen =
      TheWindow().AskFile({false, "Open", StartDirectory(LastOpenDirectory), FilePatterns, filterIndex});
  if (!chosen.Path.empty()) LastOpenDirectory = DirectoryPart(chosen.Path);
  return chosen.Path;
}

std::string AskSave(int filterIndex, const std::string& defaultName) {
  const std::string initial = StartDirectory(LastSaveDirectory) + defaultName;
  std::string name;
  for (;;) {
    FileDialogResult chosen = TheWindow().AskFile({true, "Save as", initial, FilePatterns, filterIndex});
    name = chosen.Path;
    if (!name.empty() && ExtensionOf(name).empty() && chosen.FilterIndex == FilterJedec) name += ".jed";
    if (name.empty() || !PathExists(name)) break;
    BoxAnswer answer =
        TheWindow().ShowMessageBox("File already exists", "Replace \"" + FilePart(name) + "\"?",
                                   BoxButtons::YesNo, BoxIcon::Warning, true);
    if (answer == BoxAnswer::Yes) break;
  }
  if (name.empty()) {
    MessageLog("Save canceled", LevelPlain);
  } else {
    LastSaveDirectory = DirectoryPart(name);
  }
  return name;
}

}  // namespace

std::string AskFileName(int forSave, int filterIndex, const std::string& defaultName) {
  if (forSave == 0) return AskOpen(filterIndex);
  if (forSave == 1) return AskSave(filterIndex, defaultName);
  return std::string();
}

void ResetRequesterState() {
  LastOpenDirectory.clear();
  LastSaveDirectory.clear();
}
