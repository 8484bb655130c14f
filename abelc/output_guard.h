// The compiler's output files beside a design: telling a file that an ABEL
// compiler wrote from any other file of the same name, and keeping such
// another file aside before the name is reused, so nothing a user made is lost.
#pragma once

#include <string>
#include <vector>

namespace abelc {

// The extensions of the files a compile writes beside its design, with the dot.
bool IsOutputExtension(const std::string& extension);

// True when the file at path is one that an ABEL compiler wrote: this one or
// the classic DOS compiler, told by the compiler's header at the file's start
// (for .jed and .sim files with its "JEDEC file for:" line), whatever its
// version. A missing or unreadable file, or one of any other extension, is not.
bool WrittenByAbelCompiler(const std::string& path);

// Renames the file at path to the first free name of path~, path~2, path~3,
// ... and returns that name; "" with why set when it could not be renamed.
std::string KeepAside(const std::string& path, std::string& why);

// One file a compile writes: its final path and its contents.
struct OutputText {
  std::string path;
  std::string text;
};

struct PlacedOutputs {
  // "PATH: error: cannot write the file: REASON" when a file could not be
  // put in place; empty when all were.
  std::string error;
  // One line per file of another maker kept aside, naming both files.
  std::vector<std::string> warnings;
};

// Puts every file of `files` in place, all or none: each is written to a
// temporary file in its own folder first, and only when all are written are
// they renamed to their names. Then each file of `stale` that an ABEL
// compiler wrote is removed. A file of another maker in the way of either
// is kept aside first (see KeepAside) with a warning; nothing is deleted that
// was not written by an ABEL compiler. When a file cannot be written, no
// existing file is changed and no temporary file is left.
PlacedOutputs PlaceOutputs(const std::vector<OutputText>& files, const std::vector<std::string>& stale);

}  // namespace abelc
