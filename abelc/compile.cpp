// Runs the stages in order and turns the command line into one of them.
#include "abelc/compile.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <new>
#include <ostream>
#include <sstream>

#include "abelc/elaborate.h"
#include "abelc/equation_printer.h"
#include "abelc/fuse_model.h"
#include "abelc/output_files.h"
#include "abelc/output_guard.h"
#include "abelc/parser.h"
#include "abelc/read_file.h"
#include "abelc/vectors.h"

namespace abelc {

Compilation CompileSource(const std::string& source) {
  return CompileSource(source, SourceContext{});
}

Compilation CompileSource(const std::string& source, const SourceContext& context) {
  Compilation c;
  try {
    Module module = ParseModule(source, c.diags, context);
    if (c.diags.HasErrors()) return c;
    c.model = Elaborate(module, c.diags);
    if (c.diags.HasErrors()) return c;
    c.minimised = MinimiseDesign(c.model, c.diags);
  } catch (const std::bad_alloc&) {
    c.diags.Error({}, "out of memory");
  } catch (...) {
    c.diags.Error({}, "internal error: the compiler stopped unexpectedly");
    c.stopped = true;
  }
  return c;
}

void ForceFuses(const LogicModel& model, std::vector<std::uint8_t>& fuses) {
  for (const auto& [fuse, value] : model.forced_fuses) {
    if (fuse < static_cast<int>(fuses.size()))
      fuses[static_cast<std::size_t>(fuse)] = static_cast<std::uint8_t>(value);
  }
}

namespace {

constexpr const char* kUsage =
    "usage: abelc [--output-folder DIR] DESIGN.abl\n       abelc --equations DESIGN.abl\n"
    "       abelc --help | --version\n";
constexpr const char* kHelp =
    "\nCompiles the ABEL design DESIGN.abl for a GAL16V8, GAL20V8, GAL22V10, GAL18V10,\n"
    "GAL26CV12, GAL26V12, GAL20RA10, GAL20XV10, GAL6001 or GAL6002B and writes\n"
    "DESIGN.out (the listing, also printed), DESIGN.jed (the fuse map), DESIGN.doc (equations\n"
    "and chip diagram) and DESIGN.sim (the test vectors run on the fuse map) beside it.\n"
    "With errors it writes only DESIGN.out and takes away older outputs of the design.\n"
    "A file of these names that no ABEL compiler wrote is never replaced or removed:\n"
    "it is kept as NAME~ (or NAME~2, ...) with a warning. The files are written all or none.\n"
    "\n"
    "  -o, --output-folder DIR write the four files into the folder DIR instead\n"
    "  --equations DESIGN.abl  print the reduced equations, write no files\n"
    "  --help, -h              print this help and exit\n"
    "  --version               print the version and exit\n"
    "\n"
    "Exit status: 0 compiled, 1 errors (or failed test vectors), 2 bad arguments.\n";
constexpr const char* kDefaultDesign = "abel/abelcpl.abl";

std::string Count(int n, const char* what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

std::string BaseName(const std::string& file_name) {
  std::string name = std::filesystem::path(file_name).filename().string();
  std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// The listing's report of a fit: the mode, each output's terms, the total.
std::string FitSummary(const LogicModel& m, const FitResult& fit) {
  std::string t =
      "Device: '" + m.device.part + "' fitted as '" + fit.part + "' (" + ModeName(fit.mode) + " mode)\n";
  for (const FittedCell& cell : fit.cells) {
    if (cell.output < 0) continue;
    const Output& o = m.outputs[static_cast<std::size_t>(cell.output)];
    std::string name = m.signals[static_cast<std::size_t>(o.signal)].name;
    t += "  " + name + std::string(name.size() < 12 ? 12 - name.size() : 1, ' ') + "pin " +
         std::to_string(cell.pin) + (cell.pin < 10 ? "   " : "  ") + std::to_string(cell.terms_used) +
         " of " + std::to_string(cell.terms_max) + " terms, " + (o.registered ? "registered, " : "") +
         (cell.active_high ? "active high" : "active low") + "\n";
  }
  return t + std::to_string(fit.terms_used) + " of " + std::to_string(fit.terms_total) + " terms used\n";
}

std::string Now() {
  std::time_t t = std::time(nullptr);
  char buf[64];
  std::strftime(buf, sizeof buf, "%a %b %e %H:%M:%S %Y", std::localtime(&t));
  return buf;
}

// The last part of a path, split at either separator: the side file may
// come from a system whose paths use the other one.
std::size_t NameStart(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? 0 : slash + 1;
}

// Reads the side file's lines into `context`; values that do not parse are
// left out.
void ReadSideFile(const std::string& text, SourceContext& context) {
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "design" && !value.empty()) {
      const std::size_t name = NameStart(value);
      context.file_name = value.substr(name);
      context.design_directory = value.substr(0, name);
    } else if (key == "dropped" && !value.empty() && value.size() < 10 &&
               value.find_first_not_of("0123456789") == std::string::npos) {
      context.line_offset = std::stoi(value);
    } else if (key == "module") {
      context.original_module = value;
    }
  }
}

// Where the design's files go: beside the design, or into `folder` when one
// is given, named after the design.
std::string OutputBase(const std::string& path, const std::string& folder) {
  const std::filesystem::path design(path);
  if (!folder.empty()) return (std::filesystem::path(folder) / design.stem()).string();
  return path.substr(0, path.size() - design.extension().string().size());
}

// The listing as printed, its closing count line counting `more` errors
// (the files that could not be written) besides the design's.
std::string ShownListing(const CompiledFiles& files, const std::string& more) {
  std::string shown = files.listing;
  if (!more.empty()) {
    shown.resize(files.count_line);
    shown +=
        Crlf(more + "\n" + Count(files.errors + 1, "error") + ", " + Count(files.warnings, "warning") + "\n");
  }
  shown.erase(std::remove(shown.begin(), shown.end(), '\r'), shown.end());
  return shown;
}

// The design's four files; on errors only the listing, and any older fuse
// file, report or simulation an ABEL compiler wrote goes, so nobody loads
// them by mistake. Files of other makers in the way are kept aside. The
// design is read before any file is touched, and the files are put in place
// all or none.
int CompileFile(const std::string& path, const std::string& folder, std::ostream& out, std::ostream& err) {
  const std::string extension = std::filesystem::path(path).extension().string();
  if (IsOutputExtension(extension)) {
    err << path << ": error: the compiler writes " << extension
        << " files; give it the design (DESIGN.abl), not one of its outputs\n";
    return 2;
  }
  std::string source;
  if (!ReadWholeFile(path, source)) {
    err << path << ": error: cannot read the file\n";
    return 1;
  }
  const std::string base = OutputBase(path, folder);
  const SourceContext context = ContextOf(path);
  CompiledFiles files =
      CompileToFiles(std::filesystem::path(path).filename().string(), source, Now(), context);
  std::vector<OutputText> written{{base + ".out", files.listing}};
  std::vector<std::string> stale;
  // Only the compile step, which left a side file, reads the verdict file.
  if (!context.design_directory.empty()) written.push_back({base + kSummaryExtension, files.summary});
  for (const auto& [ext, text] :
       {std::pair{".doc", &files.doc}, std::pair{".sim", &files.sim}, std::pair{".jed", &files.jed}}) {
    if (files.ok) {
      written.push_back({base + ext, *text});
    } else {
      stale.push_back(base + ext);
    }
  }
  const PlacedOutputs placed = PlaceOutputs(written, stale);
  if (!placed.error.empty()) err << placed.error << "\n";
  for (const std::string& warning : placed.warnings) err << warning << "\n";
  out << ShownListing(files, placed.error);
  if (!placed.error.empty()) return 1;
  return !files.ok ? 1 : files.vectors_failed > 0 ? 3 : 0;
}

}  // namespace

CompiledFiles CompileToFiles(const std::string& file_name, const std::string& source,
                             const std::string& created) {
  SourceContext context;
  context.file_name = file_name;
  return CompileToFiles(file_name, source, created, context);
}

CompiledFiles CompileToFiles(const std::string& work_name, const std::string& source,
                             const std::string& created, const SourceContext& context) {
  CompiledFiles files;
  Compilation c = CompileSource(source, context);
  files.stopped = c.stopped;
  if (!context.original_module.empty()) {
    // The compile step renamed the module; an END label giving its old name is right.
    const std::string renamed = "END label '" + context.original_module + "' does not match module '";
    Diagnostics kept;
    for (const Diagnostic& d : c.diags.List()) {
      if (d.severity == Severity::Error) {
        kept.Error(d.pos, d.message);
      } else if (d.message.rfind(renamed, 0) != 0) {
        kept.Warning(d.pos, d.message);
      }
    }
    c.diags = kept;
  }
  const std::string& file_name = context.file_name;
  // The listing has CR LF line ends: the diagnostics are written with them,
  // the rest is converted.
  std::string head = std::string(kProductName) + "\n";
  if (!context.original_module.empty()) {
    head += "Module: '" + context.original_module + "'\n";
  } else if (!c.model.module.empty()) {
    head += "Module: '" + c.model.module + "'\n";
  }
  for (const std::string& text : c.model.messages) head += text + "\n";
  std::optional<FitResult> fit;
  if (!c.diags.HasErrors()) {
    try {
      fit = FitDesign(c.model, c.minimised, c.diags);
      if (fit) ForceFuses(c.model, fit->fuses);
    } catch (const std::bad_alloc&) {
      c.diags.Error({}, "out of memory");
    }
  }
  std::string summary;
  const SourceLines lines(source);
  std::string listing = Crlf(head);
  // Room for most diagnostics: a location line, a quoted line and a caret.
  constexpr std::size_t kDiagnosticSize = 256;
  listing.reserve(listing.size() + c.diags.List().size() * kDiagnosticSize);
  for (const Diagnostic& d : c.diags.List()) {
    const std::size_t start = listing.size();
    AppendDiagnostic(listing, d, context, lines, true);
    if (d.severity == Severity::Warning) {
      summary += "show=";
      summary.append(listing, start, listing.find('\n', start) - 1 - start);  // without the CR
      summary += '\n';
    }
  }
  std::string rest;  // after the diagnostics
  if (fit && !c.diags.HasErrors()) {
    const LogicModel fitted = FittedModel(c.model, *fit);
    OutputContext ctx{fitted, *fit, BaseName(work_name), created, {}};
    const GalArchitecture& device = DeviceOf(c.model.device.family);
    ctx.vectors = PinVectors(fitted, fit->pin_of, device.pins);
    FuseMapModel model(c.model.device.family, fit->fuses);
    VectorRun run = RunPinVectors(model, ctx.vectors);
    const std::string fitted_as = FitSummary(c.model, *fit);
    const std::string vectors_line =
        std::to_string(run.passed) + " out of " + std::to_string(ctx.vectors.size()) + " vectors passed.";
    rest += fitted_as + vectors_line + "\n";
    std::string shown;
    for (std::size_t at = 0; at < fitted_as.size();) {
      const std::size_t end = fitted_as.find('\n', at);
      shown += "show=" + fitted_as.substr(at, end - at) + "\n";
      at = end == std::string::npos ? fitted_as.size() : end + 1;
    }
    summary = shown + summary + "show=" + vectors_line + "\n";
    summary += "vectors=" + std::to_string(ctx.vectors.size()) + "\n";
    summary += "failed=" + std::to_string(static_cast<int>(ctx.vectors.size()) - run.passed) + "\n";
    summary += "simulation=" + BaseName(file_name) + ".sim\n";
    int warnings = c.diags.WarningCount();
    files.vectors_failed = static_cast<int>(ctx.vectors.size()) - run.passed;
    if (files.vectors_failed > 0) {
      // The simulation the user opens is the copy beside the design.
      rest += file_name + ": warning: " + Count(files.vectors_failed, "vector") + " failed; see " +
              BaseName(file_name) + ".sim\n";
      ++warnings;
    }
    // Pin 1 of the GAL20RA10 is /PL: held low it loads the registers from their pins.
    for (std::size_t v = 0; c.model.device.family == Family::Gal20RA10 && v < ctx.vectors.size(); ++v) {
      if (ctx.vectors[v].empty() || ctx.vectors[v][0] != '0') continue;
      rest += file_name + ": warning: vector " + std::to_string(v + 1) +
              " holds pin 1 (/PL) low, which preloads the GAL20RA10's registers; the simulation leaves "
              "that out (hold pin 1 high)\n";
      ++warnings;
      break;
    }
    files.warnings = warnings;
    files.count_line = rest.size();
    rest += "0 errors, " + Count(warnings, "warning") + "\n";
    files.jed = JedecText(ctx);
    files.doc = ReportText(ctx);
    files.sim = SimulationText(ctx, run);
    files.ok = true;
  } else {
    files.errors = c.diags.ErrorCount();
    files.warnings = c.diags.WarningCount();
    files.count_line = rest.size();
    rest += Count(files.errors, "error") + ", " + Count(files.warnings, "warning") + "\n";
  }
  // The count line's place in the listing, once rest has its CR LF line ends.
  files.count_line = listing.size() + Crlf(rest.substr(0, files.count_line)).size();
  listing += Crlf(rest);
  files.listing = std::move(listing);
  files.summary = Crlf("compiler=" + std::string(kProductName) + "\n" + summary);
  return files;
}

SourceContext ContextOf(const std::string& path) {
  SourceContext context;
  const std::size_t name = NameStart(path);
  context.file_name = path.substr(name);
  context.directory = path.substr(0, name);
  if (context.file_name == "abelcpl.abl") {
    std::string side;
    if (ReadWholeFile(context.directory + "abelcpl" + kSideFileExtension, side)) ReadSideFile(side, context);
  }
  return context;
}

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   bool as_runner) {
  if (args.empty() && as_runner) return CompileFile(kDefaultDesign, "", out, err);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    out << kUsage << kHelp;
    return 0;
  }
  if (args.size() == 1 && args[0] == "--version") {
    out << "abelc " << QUELVOX_VERSION << "\n";
    return 0;
  }
  if (args.empty()) {
    err << "abelc: no design given\n" << kUsage;
    return 2;
  }
  if (args[0] != "--equations") {
    // [--output-folder DIR | -o DIR] DESIGN, the option on either side.
    std::string design, folder;
    bool folder_given = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
      if (args[i] == "--output-folder" || args[i] == "-o") {
        if (folder_given || i + 1 == args.size() || args[i + 1].empty()) {
          err << kUsage;
          return 2;
        }
        folder = args[++i];
        folder_given = true;
      } else if (args[i].rfind("-", 0) == 0 || !design.empty()) {
        err << kUsage;
        return 2;
      } else {
        design = args[i];
      }
    }
    if (design.empty()) {
      err << "abelc: no design given\n" << kUsage;
      return 2;
    }
    return CompileFile(design, folder, out, err);
  }
  if (args.size() != 2) {
    err << kUsage;
    return 2;
  }
  const std::string& path = args[1];
  std::string source;
  if (!ReadWholeFile(path, source)) {
    err << path << ": error: cannot read the file\n";
    return 1;
  }
  Compilation c = CompileSource(source, ContextOf(path));
  for (const std::string& text : c.model.messages) err << text << "\n";
  SourceContext named;
  named.file_name = path;
  const SourceLines lines(source);
  std::string text;
  for (const Diagnostic& d : c.diags.List()) AppendDiagnostic(text, d, named, lines);
  err << text;
  if (c.diags.HasErrors()) {
    err << Count(c.diags.ErrorCount(), "error") << ", " << Count(c.diags.WarningCount(), "warning") << "\n";
    return 1;
  }
  out << PrintEquations(c.model, c.minimised);
  return 0;
}

}  // namespace abelc
