// The compile step: the work copy and its side file for the runner, the
// runner's start and verdict, the listing in the log and the output copies.
#include "abel/compile_design.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "abel/design_rewrite.h"
#include "abel/text_files.h"
#include "abel/work_folder.h"
#include "abelc/output_guard.h"
#include "base/message_log.h"
#include "base/paths.h"
#include "platform/process.h"
#include "platform/window.h"

namespace {

int lastVerdict = CompileNotRun;

// The line says what failed; the path says which file, as the design's own
// file, the work folder's and the runner are all candidates.
int Fail(const std::string& line, const std::string& path) {
  MessageLog(line, LevelPlain);
  MessageLog("Path: " + path, LevelPlain);
  return 0;
}

// Deletes the outputs of an earlier run, so that one of its files is never
// taken for a result of this run.
bool DeleteOldOutputs(const std::string& vdos) {
  bool deleted = true;
  for (const char* extension : {"out", "jed", "doc", "sim", "sum"}) {
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

bool IsAbsolute(const std::string& path) {
  return (!path.empty() && (path[0] == '/' || path[0] == '\\')) || (path.size() > 2 && path[1] == ':');
}

// The side file's lines; none for a path that a line cannot hold.
std::vector<std::string> SideFileLines(const std::string& designPath,
                                       const std::vector<std::string>& design) {
  const std::string absolute =
      IsAbsolute(designPath) ? designPath : CurrentDirectoryWithSeparator() + designPath;
  if (absolute.find_first_of("\r\n") != std::string::npos) return {};
  const AbelRewriteNotes notes = RewriteNotesOf(design);
  return {"design=" + absolute, "dropped=" + std::to_string(notes.DroppedLines),
          "module=" + notes.ModuleName};
}

// A side file of an earlier run would make the compiler name another
// design, so one that cannot be written must not be there at all.
bool WriteSideFile(const std::string& vdos, const std::vector<std::string>& lines) {
  if (!lines.empty() && WriteTextLines(WorkFile(vdos, "src"), lines)) return true;
  return DeleteIfPresent(WorkFile(vdos, "src"));
}

// Only a fuse file that came back counts as fitted, whatever the runner said.
int VerdictOf(int exitStatus, bool fuseFileCopied) {
  if (!fuseFileCopied) return CompileErrors;
  if (exitStatus == CompileDone || exitStatus == CompileVectorsFailed) return exitStatus;
  return CompileErrors;
}

CompileSummary lastSummary;
std::vector<std::string> lastCopyLines;

// A line about the copies beside the design: logged now, and kept to be
// shown again after a fuse-map load has cleared the log.
void CopyLine(const std::string& line) {
  MessageLog(line, LevelPlain);
  lastCopyLines.push_back(line);
}

// Copies one output of the runner over its namesake beside the design. A
// file there that no ABEL compiler wrote is renamed out of the way first
// and said so; should the copy then fail, it gets its name back. True when
// the target holds the new file. A missing output is no copy failure: the
// listing says why the runner left none.
bool CopyBesideDesign(const std::string& from, const std::string& to, const std::string& what) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (!fs::exists(fs::symlink_status(fs::path(from), error))) return false;
  if (fs::equivalent(fs::path(from), fs::path(to), error)) return true;
  std::string why, kept;
  const fs::file_status existing = fs::symlink_status(fs::path(to), error);
  // A folder in the way is no file to keep: the copy fails on it below.
  if (fs::exists(existing) && !fs::is_directory(existing) && !abelc::WrittenByAbelCompiler(to)) {
    kept = abelc::KeepAside(to, why);
    if (kept.empty()) {
      CopyLine("ERROR: Can't rename " + to + " out of the way, as no ABEL compiler made it: " + why);
      return false;
    }
  }
  if (!CopyReplacing(from, to, why)) {
    if (!kept.empty()) {
      fs::rename(fs::path(kept), fs::path(to), error);
      if (error) CopyLine(FilePart(to) + " was not made by an ABEL compiler: kept as " + FilePart(kept));
    }
    CopyLine("ERROR: Can't copy " + what + " to " + to + ": " + why);
    return false;
  }
  if (!kept.empty()) CopyLine(FilePart(to) + " was not made by an ABEL compiler: kept as " + FilePart(kept));
  return true;
}

// Reads the compiler's verdict file; unknown keys and bad numbers are skipped.
CompileSummary ReadSummary(const std::string& path) {
  CompileSummary summary;
  std::vector<std::string> lines;
  if (!ReadTextLines(path, lines)) return summary;
  for (const std::string& line : lines) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    const bool number =
        !value.empty() && value.size() < 9 && value.find_first_not_of("0123456789") == std::string::npos;
    if (key == "show") {
      summary.Shown.push_back(value);
    } else if (key == "vectors" && number) {
      summary.Vectors = std::stoi(value);
    } else if (key == "failed" && number) {
      summary.Failed = std::stoi(value);
    } else if (key == "simulation") {
      summary.Simulation = value;
    }
  }
  return summary;
}

}  // namespace

const CompileSummary& LastCompileSummary() {
  return lastSummary;
}

const std::vector<std::string>& LastCompileCopyLines() {
  return lastCopyLines;
}

int LastCompileVerdict() {
  return lastVerdict;
}

std::string VdosDirectory(std::string& why) {
  std::string folder;
  why = ChooseCompileFolder(ProgramDirectory(), folder);
  if (!why.empty()) return "";
  if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) folder += PathSeparator;
  return folder + "vDosPlus" + PathSeparator;
}

std::string WorkFile(const std::string& vdosDirectory, const std::string& extension) {
  return vdosDirectory + "abel" + PathSeparator + "abelcpl." + extension;
}

std::string OutputBaseOf(const std::string& designPath) {
  return DirectoryPart(designPath) + BaseNameOf(designPath);
}

int CompileAbelDesign(const std::string& designPath) {
  lastVerdict = CompileNotRun;
  lastSummary = CompileSummary();
  lastCopyLines.clear();
  if (designPath.empty()) return 0;

  // The design is read whole before the work file is written, so compiling
  // the work file itself does not truncate it before it is read.
  std::vector<std::string> design;
  if (!ReadTextLines(designPath, design)) return Fail("ERROR: Can't open ABEL design file!", designPath);
  std::string why;
  const std::string vdos = VdosDirectory(why);
  if (vdos.empty()) {
    // The path is the folder that would have been used before the work folder.
    return Fail("ERROR: Can't prepare the compiler's work folder: " + why,
                CurrentDirectoryWithSeparator() + "vDosPlus");
  }
  // A work file cut short by a failed write would compile into a wrong fuse map.
  if (!WriteTextLines(WorkFile(vdos, "abl"), RewriteAbelDesign(design)) ||
      !WriteSideFile(vdos, SideFileLines(designPath, design))) {
    return Fail("ERROR: Can't duplicate ABEL design file!", WorkFile(vdos, "abl"));
  }
  if (!DeleteOldOutputs(vdos))
    return Fail("ERROR: Can't delete old compiler output files!", WorkFile(vdos, "*"));

  const int exitStatus = StartProgramAndWait(vdos + "vDosPlus.exe", vdos);
  if (exitStatus == ProcessNotStarted) return Fail("ERROR: Can't start vDosPlus", vdos + "vDosPlus.exe");
  lastVerdict = CompileErrors;

  const std::string base = OutputBaseOf(designPath);
  std::vector<std::string> listing;
  if (!ReadTextLines(WorkFile(vdos, "out"), listing))
    return Fail("ERROR: Can't open compiler output file!", WorkFile(vdos, "out"));
  ShowListing(listing);
  lastSummary = ReadSummary(WorkFile(vdos, "sum"));

  // Only the fuse file decides the result; the listing shows why it is missing.
  CopyBesideDesign(WorkFile(vdos, "out"), base + ".out", "the listing");
  CopyBesideDesign(WorkFile(vdos, "doc"), base + ".doc", "the report");
  CopyBesideDesign(WorkFile(vdos, "sim"), base + ".sim", "the simulation file");
  const bool fuseFileCopied = CopyBesideDesign(WorkFile(vdos, "jed"), base + ".jed", "the fuse file");
  lastVerdict = VerdictOf(exitStatus, fuseFileCopied);
  return fuseFileCopied ? 1 : 0;
}
