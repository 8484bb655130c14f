// The compiler's output files beside a design: telling a file that an ABEL
// compiler wrote from any other file of the same name, and keeping such
// another file aside before the name is reused, so nothing a user made is lost.
#pragma once

#include <string>

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

}  // namespace abelc
