// What the window says about the design on show: its title names the file
// the fuse map came from, and a map read from the chip is not thrown away
// before it has been saved unless the user agrees.
#pragma once

#include <string>

extern const char* const DiscardReadQuestion;

// Titles the window "Quelvox - " + the file part of path, or "Quelvox"
// when path is empty (no file: nothing loaded, or a map read from a chip).
void ShowLoadedFile(const std::string& path);

// Marks the shown fuse map as read from the chip and not saved, or clears
// the mark (saved, or replaced by a file).
void SetUnsavedChipRead(bool unsaved);
bool HasUnsavedChipRead();

// True when nothing unsaved would be lost, or the user agreed to discard the
// map read from the chip (No is the default answer).
bool MayDiscardUnsavedRead();

void ResetDesignState();
