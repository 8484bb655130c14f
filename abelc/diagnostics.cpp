// Diagnostics collection and their printed form.
#include "abelc/diagnostics.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace abelc {

bool Diagnostics::Full() {
  if (list_.size() < static_cast<std::size_t>(kMaxDiagnostics)) return false;
  if (list_.size() == static_cast<std::size_t>(kMaxDiagnostics)) {
    list_.push_back({Severity::Error, {}, "too many errors and warnings; the rest are not listed"});
    ++errors_;
  }
  return true;
}

bool Diagnostics::Add(Severity severity, SourcePos pos, std::string message) {
  if (Full()) return false;
  if (list_.empty()) list_.reserve(16);
  list_.push_back({severity, pos, std::move(message)});
  return true;
}

void Diagnostics::Error(SourcePos pos, std::string message) {
  if (Add(Severity::Error, pos, std::move(message))) ++errors_;
}

void Diagnostics::Warning(SourcePos pos, std::string message) {
  Add(Severity::Warning, pos, std::move(message));
}

SourceLines::SourceLines(const std::string& source) : source_(source) {
  starts_.reserve(source.size() / 16 + 1);  // room for lines of 16 characters and longer
  starts_.push_back(0);
  for (std::size_t at = source.find('\n'); at != std::string::npos; at = source.find('\n', at + 1)) {
    starts_.push_back(at + 1);
  }
}

bool SourceLines::Line(int n, std::string_view& out) const {
  if (n < 1 || static_cast<std::size_t>(n) > starts_.size()) return false;
  const auto index = static_cast<std::size_t>(n);
  const std::size_t start = starts_[index - 1];
  // A line ends where the next one starts, before its '\n'; the last one at the end of the text.
  const std::size_t end = index < starts_.size() ? starts_[index] - 1 : source_.size();
  out = std::string_view(source_).substr(start, end - start);
  if (!out.empty() && out.back() == '\r') out.remove_suffix(1);
  return true;
}

std::string FormatDiagnostic(const Diagnostic& d, const std::string& file_name, const std::string& source) {
  SourceContext context;
  context.file_name = file_name;
  std::string text;
  AppendDiagnostic(text, d, context, SourceLines(source));
  return text;
}

namespace {

// `text` with its line breaks ('\n') written as `eol`.
void AppendText(std::string& out, std::string_view text, std::string_view eol) {
  for (std::size_t end; (end = text.find('\n')) != std::string_view::npos; text.remove_prefix(end + 1)) {
    out.append(text.substr(0, end));
    out += eol;
  }
  out += text;
}

void AppendNumber(std::string& out, int n) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
  out.append(digits, end);
}

}  // namespace

void AppendDiagnostic(std::string& out, const Diagnostic& d, const SourceContext& context,
                      const SourceLines& source, bool crlf) {
  const std::string_view eol = crlf ? "\r\n" : "\n";
  AppendText(out, context.file_name, eol);
  if (d.pos.line > 0) {
    out += ':';
    AppendNumber(out, d.pos.line + context.line_offset);
    out += ':';
    AppendNumber(out, d.pos.column);
  }
  out += d.severity == Severity::Error ? ": error: " : ": warning: ";
  AppendText(out, d.message, eol);
  out += eol;
  // Lines past the length limit are quoted only to a little beyond the
  // column, and not at all for a column far out, so an error per character
  // of a huge line cannot make the listing grow with the line's square.
  // Lines a design may have (150 characters) are always quoted whole.
  constexpr int kQuotedColumns = 1000, kQuotedAfterColumn = 80, kLongestLine = 150;
  std::string_view line;
  if (d.pos.line > 0 && d.pos.column <= kQuotedColumns && source.Line(d.pos.line, line)) {
    line =
        line.substr(0, static_cast<std::size_t>(std::max(d.pos.column + kQuotedAfterColumn, kLongestLine)));
    out += line;
    out += eol;
    // Keep the tabs of the source line so the caret stands under the column.
    const std::size_t caret = std::min(static_cast<std::size_t>(std::max(d.pos.column - 1, 0)), line.size());
    const std::size_t at = out.size();
    out.append(caret, ' ');
    for (std::size_t i = line.find('\t'); i < caret; i = line.find('\t', i + 1)) out[at + i] = '\t';
    out += '^';
    out += eol;
  }
}

}  // namespace abelc
