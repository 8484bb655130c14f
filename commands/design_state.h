// What the window says about the design on show: its title names the file
// the fuse map came from; a change of the map that is not on disk (a read
// from the chip, a new user signature, a PAL conversion) is not thrown away
// unless the user agrees; and what the load found wrong with the map's file
// is said again wherever the map is used.
#pragma once

#include <string>

extern const char* const DiscardReadQuestion;
extern const char* const DiscardChangesQuestion;

// Titles the window "Quelvox - " + the file part of path, or "Quelvox"
// when path is empty (no file: nothing loaded, or a map read from a chip),
// followed by " - " + the programmer port chosen, when it is not found
// automatically.
void ShowLoadedFile(const std::string& path);
// The same title again, for the file last shown (after a new port choice).
void ShowWindowTitle();

// What the shown fuse map holds that no file does.
enum class UnsavedChange {
  None,      // saved, or as loaded
  ChipRead,  // read from the chip and not saved
  Edited,    // changed after the load and not saved
};
// A read replaces whatever was unsaved; an edit of a read map stays a read.
void SetUnsavedChange(UnsavedChange change);
UnsavedChange CurrentUnsavedChange();

// True when nothing unsaved would be lost, or the user agreed to discard it
// (No is the default answer).
bool MayDiscardUnsavedChanges();

// When the loaded map came from a damaged file, says so again: a warning
// line with the reason. For a save also that the new file's checksum covers
// fuses that may be incomplete. True when there was something to say.
bool RepeatDamagedFileFinding(bool saving);
// "The fuse map was loaded from a damaged file (" + the reason + ")", or ""
// for a map from a sound file.
std::string DamagedFileText();

void ResetDesignState();
