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

// What the rewrite took from the design that its messages should give back:
// the lines dropped before the MODULE line, and the module's name as the
// design wrote it there (the word after the keyword; empty without a MODULE
// line or a name).
struct AbelRewriteNotes {
  int DroppedLines = 0;
  std::string ModuleName;
};
AbelRewriteNotes RewriteNotesOf(const std::vector<std::string>& design);
