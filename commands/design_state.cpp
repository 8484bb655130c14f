// The window title, the mark on a fuse map with unsaved changes, and the
// damaged-file finding said again.
#include "commands/design_state.h"

#include "base/fuse_map.h"
#include "base/message_log.h"
#include "base/paths.h"
#include "commands/programmer_port.h"
#include "platform/window.h"

const char* const DiscardReadQuestion = "The fuse map read from the chip is not saved. Discard it?";
const char* const DiscardChangesQuestion = "The fuse map has changes that are not saved. Discard them?";

namespace {

UnsavedChange unsaved = UnsavedChange::None;
std::string shownFile;  // the file the title names

}  // namespace

void ShowLoadedFile(const std::string& path) {
  shownFile = path;
  ShowWindowTitle();
}

void ShowWindowTitle() {
  std::string title = shownFile.empty() ? "Quelvox" : "Quelvox - " + FilePart(shownFile);
  if (const std::string port = PortChoiceTitle(); !port.empty()) title += " - " + port;
  TheWindow().SetTitle(title);
}

void SetUnsavedChange(UnsavedChange change) {
  if (change == UnsavedChange::Edited && unsaved == UnsavedChange::ChipRead) return;
  unsaved = change;
}

UnsavedChange CurrentUnsavedChange() {
  return unsaved;
}

bool MayDiscardUnsavedChanges() {
  if (unsaved == UnsavedChange::None) return true;
  const char* question = unsaved == UnsavedChange::ChipRead ? DiscardReadQuestion : DiscardChangesQuestion;
  return TheWindow().ShowMessageBox("Quelvox", question, BoxButtons::YesNo, BoxIcon::Warning, true) ==
         BoxAnswer::Yes;
}

std::string DamagedFileText() {
  if (LoadedMapFindings.Damage.empty()) return "";
  return "The fuse map was loaded from a damaged file (" + LoadedMapFindings.Damage + ")";
}

bool RepeatDamagedFileFinding(bool saving) {
  const std::string text = DamagedFileText();
  if (text.empty()) return false;
  MessageLog(text, LevelWarning);
  if (saving) {
    MessageLog("The new file's checksum was computed over fuses that may be incomplete", LevelPlain);
  }
  return true;
}

void ResetDesignState() {
  unsaved = UnsavedChange::None;
  shownFile.clear();
}
