// Runs the stages in order and turns the command line into one of them.
#include "abelc/compile.h"

#include <fstream>
#include <new>
#include <ostream>
#include <sstream>

#include "abelc/elaborate.h"
#include "abelc/equation_printer.h"
#include "abelc/parser.h"

namespace abelc {

Compilation CompileSource(const std::string& source) {
  Compilation c;
  try {
    Module module = ParseModule(source, c.diags);
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

namespace {

constexpr const char* kUsage = "usage: abelc --equations DESIGN.abl\n";

bool ReadFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  text = s.str();
  return true;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
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
    auto count = [](int n, const char* what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); };
    err << count(c.diags.ErrorCount(), "error") << ", " << count(c.diags.WarningCount(), "warning") << "\n";
    return 1;
  }
  out << PrintEquations(c.model, c.minimised);
  return 0;
}

}  // namespace abelc
