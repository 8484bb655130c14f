// Cutting paths into directory, file name and extension. Both "\" and "/"
// end a directory part, whatever the platform; paths the program builds use
// the platform's own separator.
#pragma once

#include <string>

#ifdef _WIN32
constexpr char PathSeparator = '\\';
#else
constexpr char PathSeparator = '/';
#endif

// The path up to and including its last "\" or "/"; empty when there is none.
std::string DirectoryPart(const std::string& path);
// The path after its last "\" or "/".
std::string FilePart(const std::string& path);
// The text after the last "." of the file part; empty when there is none.
std::string ExtensionOf(const std::string& path);
// The file part without its extension (and without the dot).
std::string BaseNameOf(const std::string& path);
// The process's current directory, ending in a separator.
std::string CurrentDirectoryWithSeparator();
