// The design as the compiler sees it: whatever the user named the module and
// the device, the work copy calls both abelcpl, so the compiler's output files
// always carry that name.
#pragma once

#include <string>
#include <vector>

// The lines before the first line holding "MODULE" (in any case) are dropped
// and that line becomes "MODULE abelcpl". In the first later line holding
// "DEVICE", everything in front of the keyword becomes "abelcpl"; the keyword
// is written in upper case and the rest keeps its case. All other lines are
// copied as they are. Without a MODULE line nothing is left.
std::vector<std::string> RewriteAbelDesign(const std::vector<std::string>& design);
