// Reads ABEL source into a Module. Syntax errors become diagnostics; the
// parser then skips to the next ';' and goes on, so one run reports several.
#pragma once

#include <string>
#include <vector>

#include "abelc/ast.h"
#include "abelc/diagnostics.h"
#include "abelc/source_context.h"

namespace abelc {

Module ParseModule(const std::string& source, Diagnostics& diags);
// `context` tells @INCLUDE and LIBRARY where to look.
Module ParseModule(const std::string& source, Diagnostics& diags, const SourceContext& context);

// Expands the range "a0..a3" (either direction) into its names; false when
// the two ends do not share a prefix and end in numbers.
bool ExpandRange(const std::string& from, const std::string& to, std::vector<std::string>& out);

}  // namespace abelc
