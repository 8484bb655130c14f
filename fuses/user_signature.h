// Setting the user signature (UES) of the loaded fuse map from a text: the
// reverse of the UES text the status bar shows.
#pragma once

#include <string>

// After a verify against a chip of another type, the selected device may not
// be the one the loaded map was made for: this selects the map's device again
// (by its fuse count) when it is not.
void SelectFuseMapDevice();

// Writes text (UTF-8) into the UES fuses: character k into the 8 fuses from
// UesFuse + 8k, the first fuse most significant; a shorter text is padded
// with 0 bytes. A text longer than UesBytes characters, with a character
// above U+00FF, or not UTF-8 is refused with one log line and returns 0.
// On success shows the map and the status bar again and returns 1. The UES
// goes where the loaded map's device keeps it (SelectFuseMapDevice).
int SetUserSignature(const std::string& text);

// The UES as Set User Signature offers it for editing: the status bar's text
// (UesText) without the zero bytes that pad it at the end, so that the text
// given back unchanged leaves the fuses as they were. A zero byte before
// another byte shows as a space and comes back as one.
std::string UesEditText();
