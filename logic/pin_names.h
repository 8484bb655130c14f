// Where the names of a fuse map's pins come from: the JEDEC file's
// "NOTE PINS name:number" fields, else the chip diagram of the compiler's
// .doc report beside it. Also the PAL type a JEDEC header names.
#pragma once

#include <string>
#include <vector>

struct PinNameSource {
  std::vector<std::string> Names;      // index = pin; empty text: no name found
  std::string From;                    // "the NOTE PINS lines", "NAME.doc"; empty when nothing was found
  std::vector<std::string> NodeNames;  // index = node number (GAL6001/6002 nodes), from NOTE NODES
};

// The names in the NOTE PINS fields of JEDEC text, for pins 1..pins. A name
// that is no valid identifier or a keyword, or one an earlier entry gave
// another pin (compared without case), is left out.
std::vector<std::string> NotePinNames(const std::string& jedecText, int pins);
// The names in the NOTE NODES fields, for nodes 1..lastNode, the same way.
std::vector<std::string> NoteNodeNames(const std::string& jedecText, int lastNode);
// The names in the chip diagram of a .doc report, the same way.
std::vector<std::string> DocPinNames(const std::string& docText, int pins);

// The names for the map read from jedecPath: its NOTE PINS, else the .doc
// beside it. Missing or unreadable files give no names.
PinNameSource PinNamesFor(const std::string& jedecPath, int pins);

// The whole file when it is a regular file no larger than limit bytes, else the empty text.
std::string ReadSmallFile(const std::string& path, std::size_t limit);

// Is text a name the ABEL language accepts for a pin?
bool IsPinIdentifier(const std::string& text);
