// Runs the stages in order and turns the command line into one of them.
#include "abelc/compile.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <new>
#include <ostream>
#include <sstream>

#include "abelc/elaborate.h"
#include "abelc/equation_printer.h"
#include "abelc/fuse_model.h"
#include "abelc/output_files.h"
#include "abelc/parser.h"
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

constexpr const char* kUsage = "usage: abelc [DESIGN.abl]\n       abelc --equations DESIGN.abl\n";
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

bool ReadFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  text = s.str();
  return true;
}

std::string Now() {
  std::time_t t = std::time(nullptr);
  char buf[64];
  std::strftime(buf, sizeof buf, "%a %b %e %H:%M:%S %Y", std::localtime(&t));
  return buf;
}

bool WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out.flush());
}

// The design's four files beside it; on errors only the listing, and any
// older fuse file, report or simulation goes so nobody loads them by mistake.
int CompileFile(const std::string& path, std::ostream& out, std::ostream& err) {
  std::string source;
  const std::string base =
      path.substr(0, path.size() - std::filesystem::path(path).extension().string().size());
  for (const char* ext : {".out", ".jed", ".doc", ".sim"}) {
    std::error_code ec;
    std::filesystem::remove(base + ext, ec);
  }
  if (!ReadFile(path, source)) {
    const std::string text = path + ": error: cannot read the file\n";
    err << text;
    WriteFile(base + ".out", Crlf(std::string(kProductName) + "\n" + text + "1 error, 0 warnings\n"));
    return 1;
  }
  SourceContext context;
  context.file_name = std::filesystem::path(path).filename().string();
  context.directory = std::filesystem::path(path).parent_path().string();
  CompiledFiles files = CompileToFiles(context.file_name, source, Now(), context);
  bool written = WriteFile(base + ".out", files.listing);
  if (files.ok) {
    written = WriteFile(base + ".doc", files.doc) && written;
    written = WriteFile(base + ".sim", files.sim) && written;
    written = WriteFile(base + ".jed", files.jed) && written;
  }
  std::string shown = files.listing;
  shown.erase(std::remove(shown.begin(), shown.end(), '\r'), shown.end());
  out << shown;
  if (!written) {
    err << base << ": error: cannot write the output files\n";
    return 1;
  }
  return files.ok ? 0 : 1;
}

}  // namespace

CompiledFiles CompileToFiles(const std::string& file_name, const std::string& source,
                             const std::string& created) {
  SourceContext context;
  context.file_name = file_name;
  return CompileToFiles(file_name, source, created, context);
}

CompiledFiles CompileToFiles(const std::string& file_name, const std::string& source,
                             const std::string& created, const SourceContext& context) {
  CompiledFiles files;
  Compilation c = CompileSource(source, context);
  std::string listing = std::string(kProductName) + "\n";
  if (!c.model.module.empty()) listing += "Module: '" + c.model.module + "'\n";
  for (const std::string& text : c.model.messages) listing += text + "\n";
  std::optional<FitResult> fit;
  if (!c.diags.HasErrors()) {
    try {
      fit = FitDesign(c.model, c.minimised, c.diags);
      if (fit) ForceFuses(c.model, fit->fuses);
    } catch (const std::bad_alloc&) {
      c.diags.Error({}, "out of memory");
    }
  }
  for (const Diagnostic& d : c.diags.List()) listing += FormatDiagnostic(d, file_name, source);
  if (fit && !c.diags.HasErrors()) {
    OutputContext ctx{c.model, *fit, BaseName(file_name), created, {}};
    const GalArchitecture& device = DeviceOf(c.model.device.family);
    ctx.vectors = PinVectors(c.model, fit->pin_of, device.pins);
    FuseMapModel model(c.model.device.family, fit->fuses);
    VectorRun run = RunPinVectors(model, ctx.vectors);
    listing += FitSummary(c.model, *fit);
    listing +=
        std::to_string(run.passed) + " out of " + std::to_string(ctx.vectors.size()) + " vectors passed.\n";
    int warnings = c.diags.WarningCount();
    if (run.passed < static_cast<int>(ctx.vectors.size())) {
      listing += file_name +
                 ": warning: " + Count(static_cast<int>(ctx.vectors.size()) - run.passed, "vector") +
                 " failed; see " + ctx.base + ".sim\n";
      ++warnings;
    }
    listing += "0 errors, " + Count(warnings, "warning") + "\n";
    files.jed = JedecText(ctx);
    files.doc = ReportText(ctx);
    files.sim = SimulationText(ctx, run);
    files.ok = true;
  } else {
    listing += Count(c.diags.ErrorCount(), "error") + ", " + Count(c.diags.WarningCount(), "warning") + "\n";
  }
  files.listing = Crlf(listing);
  return files;
}

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) return CompileFile(kDefaultDesign, out, err);
  if (args.size() == 1 && args[0].rfind("--", 0) != 0) return CompileFile(args[0], out, err);
  if (args.size() != 2 || args[0] != "--equations") {
    err << kUsage;
    return 2;
  }
  const std::string& path = args[1];
  std::string source;
  if (!ReadFile(path, source)) {
    err << path << ": error: cannot read the file\n";
    return 1;
  }
  Compilation c = CompileSource(source);
  for (const std::string& text : c.model.messages) err << text << "\n";
  for (const Diagnostic& d : c.diags.List()) err << FormatDiagnostic(d, path, source);
  if (c.diags.HasErrors()) {
    err << Count(c.diags.ErrorCount(), "error") << ", " << Count(c.diags.WarningCount(), "warning") << "\n";
    return 1;
  }
  out << PrintEquations(c.model, c.minimised);
  return 0;
}

}  // namespace abelc
