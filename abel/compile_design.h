// Compiling an ABEL design: the design goes under the fixed name abelcpl into
// the compiler's folder vDosPlus/abel/ (of the current directory when it has
// one, else of the user's work folder), the runner vDosPlus/vDosPlus.exe
// compiles it there, and its listing and output files come back beside the
// design under the design's own name.
#pragma once

#include <string>
#include <vector>

// The folder of the runner, followed by a separator: vDosPlus/ in the folder
// ChooseCompileFolder (abel/work_folder.h) chooses, with the compiler looked
// for beside this program. Empty, with what went wrong in why, when the
// current directory has no vDosPlus/ and the work folder cannot be prepared.
std::string VdosDirectory(std::string& why);

// The compiler's file with the given extension ("abl", "out", "doc", "sim",
// "jed", and "src" for the side file) in the abel folder of a VdosDirectory.
std::string WorkFile(const std::string& vdosDirectory, const std::string& extension);

// The design path without its extension: the directory part and the base
// name. The output copies are this followed by ".out", ".doc", ".sim", ".jed".
std::string OutputBaseOf(const std::string& designPath);

// Returns 1 when the new fuse file was copied beside the design, else 0. An
// empty path does nothing; every other failure but a missing fuse file is
// logged with an "ERROR: " line. The listing replaces the log pane's lines.
//
// A file beside the design that an ABEL compiler did not write is never
// replaced: it is renamed to NAME.ext~ (~2, ~3, ...) first and a line after
// the listing says so. A copy that fails is logged there with the target and
// the system's reason; the target then is as it was.
//
// Beside the work copy abelcpl.abl it leaves the side file abelcpl.src, so
// that the compiler can name the user's file and lines. Its lines, CR LF:
//   design=<the design's path, absolute>
//   dropped=<the number of lines dropped before the MODULE line>
//   module=<the module's name as the design wrote it; empty without one>
// The runner compiles as before when the side file is missing.
int CompileAbelDesign(const std::string& designPath);

// The verdict of the last CompileAbelDesign call, from the runner's exit
// status and the fuse file that came back.
constexpr int CompileNotRun = -1;  // nothing compiled: empty path, or an error line at or before the start
constexpr int CompileDone = 0;     // the fuse file came back and every test vector passed
constexpr int CompileErrors = 1;   // no fuse file, or the runner reported errors
constexpr int CompileVectorsFailed = 3;  // the fuse file came back, but a test vector failed
int LastCompileVerdict();

// What the compiler said of its last run, from the verdict file it leaves
// beside the work copy (abel/abelcpl.sum): the lines to show the user (the
// fit and its terms, each warning, the vector result), the test vectors run
// and failed, and the simulation file's name. Empty when it left none.
struct CompileSummary {
  std::vector<std::string> Shown;
  int Vectors = 0;
  int Failed = 0;
  std::string Simulation;
};
const CompileSummary& LastCompileSummary();

// The lines the last CompileAbelDesign call logged after the listing about
// the copies beside the design: files kept aside and copies that failed.
const std::vector<std::string>& LastCompileCopyLines();
