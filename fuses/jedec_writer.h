// The JEDEC writer: saves the shown fuse map as a JEDEC file in the one
// style this program writes (header, QF, L lines taken from the fuse-map
// pane, C checksum, CR LF line ends).
#pragma once

#include <string>

// The complete file text for the current fuse map, with the given local
// date and time on its CREATED DATE line.
struct LocalDateTime;
std::string JedecFileText(const LocalDateTime& now);

// True when a fuse map is shown, so there is something to save.
bool FuseMapToSave();

// Logs "Nothing to save: no fuse map is loaded" when FuseMapToSave() is
// false and returns 0; 1 otherwise.
int CheckFuseMapToSave();

// Asks for a file name (save dialog, JEDEC filter) and writes the file.
// Nothing is logged on success; a failure logs "Can't access file" and
// leaves any existing file as it was. With no fuse map shown it asks
// nothing and writes nothing.
void WriteJedecFile();

// Writes the file to a path already chosen, as WriteJedecFile does after its
// dialog; 1 when written, 0 after "Can't access file" or when there is
// nothing to save.
int WriteJedecFileTo(const std::string& path);
