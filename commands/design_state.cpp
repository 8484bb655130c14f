// The window title and the mark on a fuse map read from the chip and not saved.
#include "commands/design_state.h"

#include "base/paths.h"
#include "platform/window.h"

const char* const DiscardReadQuestion = "The fuse map read from the chip is not saved. Discard it?";

namespace {

bool unsavedChipRead = false;

}  // namespace

void ShowLoadedFile(const std::string& path) {
  TheWindow().SetTitle(path.empty() ? "Quelvox" : "Quelvox - " + FilePart(path));
}

void SetUnsavedChipRead(bool unsaved) {
  unsavedChipRead = unsaved;
}

bool HasUnsavedChipRead() {
  return unsavedChipRead;
}

bool MayDiscardUnsavedRead() {
  if (!unsavedChipRead) return true;
  return TheWindow().ShowMessageBox("Quelvox", DiscardReadQuestion, BoxButtons::YesNo, BoxIcon::Warning,
                                    true) == BoxAnswer::Yes;
}

void ResetDesignState() {
  unsavedChipRead = false;
}
