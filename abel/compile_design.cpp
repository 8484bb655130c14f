// The compile step: work file, runner start, listing and the copies of its outputs.
#include "abel/compile_design.h"

#include <vector>

#include "abel/design_rewrite.h"
#include "abel/text_files.h"
#include "base/message_log.h"
#include "base/paths.h"
#include "platform/process.h"
#include "platform/window.h"

namespace {

int Fail(const std::string& line) {
  MessageLog(line, LevelPlain);
  return 0;
}

// Deletes the outputs of an earlier run, so that one of its files is never
// taken for a result of this run.
bool DeleteOldOutputs(const std::string& vdos) {
  bool deleted = true;
  for (const char* extension : {"out", "jed", "doc", "sim"}) {
    if (!DeleteIfPresent(WorkFile(vdos, extension))) deleted = false;
  }
  return deleted;
}

// The listing goes straight into the pane: no level line, no scrolling and
// no event handling per line.
void ShowListing(const std::vector<std::string>& listing) {
  Window& window = TheWindow();
  window.ClearPane(Pane::Log);
  for (const std::string& line : listing) window.AppendLine(Pane::Log, line);
}

}  // namespace

std::string VdosDirectory() {
  return CurrentDirectoryWithSeparator() + "vDosPlus" + PathSeparator;
}

std::string WorkFile(const std::string& vdosDirectory, const std::string& extension) {
  return vdosDirectory + "abel" + PathSeparator + "abelcpl." + extension;
}

std::string OutputBaseOf(const std::string& designPath) {
  return DirectoryPart(designPath) + BaseNameOf(designPath);
}

int CompileAbelDesign(const std::string& designPath) {
  if (designPath.empty()) return 0;
  const std::string vdos = VdosDirectory();

  // The design is read whole before the work file is written, so compiling
  // the work file itself does not truncate it before it is read.
  std::vector<std::string> design;
  if (!ReadTextLines(designPath, design)) return Fail("ERROR: Can't open ABEL design file!");
  // A work file cut short by a failed write would compile into a wrong fuse map.
  if (!WriteTextLines(WorkFile(vdos, "abl"), RewriteAbelDesign(design))) {
    return Fail("ERROR: Can't duplicate ABEL design file!");
  }
  if (!DeleteOldOutputs(vdos)) return Fail("ERROR: Can't delete old compiler output files!");

  if (StartProgramAndWait(vdos + "vDosPlus.exe", vdos) != 1) return Fail("ERROR: Can't start vDosPlus");

  const std::string base = OutputBaseOf(designPath);
  std::vector<std::string> listing;
  if (!ReadTextLines(WorkFile(vdos, "out"), listing)) return Fail("ERROR: Can't open compiler output file!");
  ShowListing(listing);

  // Only the fuse file decides the result; the listing shows why it is missing.
  CopyReplacing(WorkFile(vdos, "out"), base + ".out");
  CopyReplacing(WorkFile(vdos, "doc"), base + ".doc");
  CopyReplacing(WorkFile(vdos, "sim"), base + ".sim");
  return CopyReplacing(WorkFile(vdos, "jed"), base + ".jed") ? 1 : 0;
}
