// The folders' layer order, and a check of every `#include "..."` of a source
// tree against it: a folder includes only itself and the folders below it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// True when a file of folder `from` may include a header of folder `to`.
// Folders the order does not name (tests, bench, fuzz, ...) may include anything.
bool MayInclude(const std::string& from, const std::string& to);

struct WrongWayInclude {
  std::string File;  // relative to the tree's root
  int Line = 0;
  std::string Included;
};

// Every include of a .h or .cpp file under root that points against the order.
// An include without a folder ("x.h") belongs to the including file's folder,
// or to assets/ when the header lies there.
std::vector<WrongWayInclude> FindWrongWayIncludes(const std::filesystem::path& root);
