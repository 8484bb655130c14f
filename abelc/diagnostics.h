// Errors and warnings of one compilation, with their source positions, and
// their text as the user sees it: "FILE:line:column: error: message", the
// source line and a caret under the column.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "abelc/source_context.h"

namespace abelc {

struct SourcePos {
  int line = 0;    // 1-based; 0 = no position
  int column = 0;  // 1-based
};

enum class Severity { Error, Warning };

struct Diagnostic {
  Severity severity = Severity::Error;
  SourcePos pos;
  std::string message;
};

// At most kMaxDiagnostics are kept; the next error or warning is replaced by
// one position-less error saying so, and those after it are dropped. A design
// of garbage would otherwise give one error per character, each quoting its
// line: listings growing with the square of the file.
constexpr int kMaxDiagnostics = 200;

class Diagnostics {
 public:
  void Error(SourcePos pos, std::string message);
  void Warning(SourcePos pos, std::string message);
  bool HasErrors() const { return errors_ > 0; }
  int ErrorCount() const { return errors_; }
  int WarningCount() const { return static_cast<int>(list_.size()) - errors_; }
  const std::vector<Diagnostic>& List() const { return list_; }
  // True once the list is at its limit: reading the design any further only
  // finds errors no one will see.
  bool Saturated() const { return list_.size() > static_cast<std::size_t>(kMaxDiagnostics); }

 private:
  bool Full();                                                      // true when the entry must not be kept
  bool Add(Severity severity, SourcePos pos, std::string message);  // false when it was not kept

  std::vector<Diagnostic> list_;
  int errors_ = 0;
};

// Where each line of a source text starts, found once for all the
// diagnostics that quote a line of it. The text must outlive the index.
class SourceLines {
 public:
  explicit SourceLines(const std::string& source);
  // Line n (1-based) without its line end; false when the text has no such line.
  bool Line(int n, std::string_view& out) const;

 private:
  const std::string& source_;
  std::vector<std::size_t> starts_;
};

// One diagnostic as printed: the location line, then the source line and the
// caret when the position names a line of `source`. Lines end in '\n'.
std::string FormatDiagnostic(const Diagnostic& d, const std::string& file_name, const std::string& source);
// The same appended to `out`, naming the context's file at its line numbers:
// a position in the source lies context.line_offset lines further down the
// user's file. With `crlf` every line ends in CR LF, a line break inside the
// file name or the message too.
void AppendDiagnostic(std::string& out, const Diagnostic& d, const SourceContext& context,
                      const SourceLines& source, bool crlf = false);

}  // namespace abelc
