// Diagnostics collection and their printed form.
#include "abelc/diagnostics.h"

namespace abelc {

void Diagnostics::Error(SourcePos pos, std::string message) {
  list_.push_back({Severity::Error, pos, std::move(message)});
  ++errors_;
}

void Diagnostics::Warning(SourcePos pos, std::string message) {
  list_.push_back({Severity::Warning, pos, std::move(message)});
}

namespace {

// Line `n` (1-based) of `source` without its line end; empty if absent.
bool SourceLine(const std::string& source, int n, std::string& out) {
  std::size_t start = 0;
  for (int i = 1; i < n; ++i) {
    start = source.find('\n', start);
    if (start == std::string::npos) return false;
    ++start;
  }
  if (start > source.size()) return false;
  std::size_t end = source.find('\n', start);
  out = source.substr(start, end == std::string::npos ? std::string::npos : end - start);
  if (!out.empty() && out.back() == '\r') out.pop_back();
  return true;
}

}  // namespace

std::string FormatDiagnostic(const Diagnostic& d, const std::string& file_name, const std::string& source) {
  SourceContext context;
  context.file_name = file_name;
  return FormatDiagnostic(d, context, source);
}

std::string FormatDiagnostic(const Diagnostic& d, const SourceContext& context, const std::string& source) {
  const char* kind = d.severity == Severity::Error ? "error" : "warning";
  std::string text = context.file_name;
  if (d.pos.line > 0) {
    text += ":" + std::to_string(d.pos.line + context.line_offset) + ":" + std::to_string(d.pos.column);
  }
  text += std::string(": ") + kind + ": " + d.message + "\n";
  std::string line;
  if (d.pos.line > 0 && SourceLine(source, d.pos.line, line)) {
    text += line + "\n";
    // Keep the tabs of the source line so the caret stands under the column.
    std::string caret;
    for (int i = 0; i + 1 < d.pos.column && i < static_cast<int>(line.size()); ++i) {
      caret += line[i] == '\t' ? '\t' : ' ';
    }
    text += caret + "^\n";
  }
  return text;
}

}  // namespace abelc
