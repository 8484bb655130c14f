// Diagnostics collection and their printed form.
#include "abelc/diagnostics.h"

#include <algorithm>

namespace abelc {

bool Diagnostics::Full() {
  if (list_.size() < static_cast<std::size_t>(kMaxDiagnostics)) return false;
  if (list_.size() == static_cast<std::size_t>(kMaxDiagnostics)) {
    list_.push_back({Severity::Error, {}, "too many errors and warnings; the rest are not listed"});
    ++errors_;
  }
  return true;
}

void Diagnostics::Error(SourcePos pos, std::string message) {
  if (Full()) return;
  list_.push_back({Severity::Error, pos, std::move(message)});
  ++errors_;
}

void Diagnostics::Warning(SourcePos pos, std::string message) {
  if (Full()) return;
  list_.push_back({Severity::Warning, pos, std::move(message)});
}

SourceLines::SourceLines(const std::string& source) : source_(source) {
  starts_.push_back(0);
  for (std::size_t at = source.find('\n'); at != std::string::npos; at = source.find('\n', at + 1)) {
    starts_.push_back(at + 1);
  }
}

bool SourceLines::Line(int n, std::string& out) const {
  if (n < 1 || static_cast<std::size_t>(n) > starts_.size()) return false;
  const std::size_t start = starts_[static_cast<std::size_t>(n) - 1];
  const std::size_t end = source_.find('\n', start);
  out = source_.substr(start, end == std::string::npos ? std::string::npos : end - start);
  if (!out.empty() && out.back() == '\r') out.pop_back();
  return true;
}

std::string FormatDiagnostic(const Diagnostic& d, const std::string& file_name, const std::string& source) {
  SourceContext context;
  context.file_name = file_name;
  return FormatDiagnostic(d, context, SourceLines(source));
}

std::string FormatDiagnostic(const Diagnostic& d, const SourceContext& context, const SourceLines& source) {
  const char* kind = d.severity == Severity::Error ? "error" : "warning";
  std::string text = context.file_name;
  if (d.pos.line > 0) {
    text += ":" + std::to_string(d.pos.line + context.line_offset) + ":" + std::to_string(d.pos.column);
  }
  text += std::string(": ") + kind + ": " + d.message + "\n";
  std::string line;
  // Lines past the length limit are quoted only to a little beyond the
  // column, and not at all for a column far out, so an error per character
  // of a huge line cannot make the listing grow with the line's square.
  // Lines a design may have (150 characters) are always quoted whole.
  constexpr int kQuotedColumns = 1000, kQuotedAfterColumn = 80, kLongestLine = 150;
  if (d.pos.line > 0 && d.pos.column <= kQuotedColumns && source.Line(d.pos.line, line)) {
    line =
        line.substr(0, static_cast<std::size_t>(std::max(d.pos.column + kQuotedAfterColumn, kLongestLine)));
    text += line + "\n";
    // Keep the tabs of the source line so the caret stands under the column.
    std::string caret(std::min(static_cast<std::size_t>(std::max(d.pos.column - 1, 0)), line.size()), ' ');
    for (std::size_t i = line.find('\t'); i < caret.size(); i = line.find('\t', i + 1)) caret[i] = '\t';
    text += caret + "^\n";
  }
  return text;
}

}  // namespace abelc
