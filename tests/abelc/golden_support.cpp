// Support for the golden-design tests.
#include "golden_support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace abelc_test {

using namespace abelc;

std::string DesignDir(const std::string& sub) {
  return std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/" + sub;
}

std::vector<std::string> DesignNames(const std::string& sub) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(DesignDir(sub))) {
    if (entry.path().extension() == ".abl") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string DiagnosticText(const Compilation& c, const std::string& file, const std::string& source) {
  std::string text;
  for (const Diagnostic& d : c.diags.List()) text += FormatDiagnostic(d, file, source);
  return text;
}

namespace {

// The variables a function reads.
std::uint64_t Support(const Cover& f) {
  std::uint64_t s = 0;
  for (const Cube& c : f) s |= LiteralMask(c);
  return s;
}

// Calls `check` with assignments over `support`: all of them up to 20
// variables, 200000 random ones beyond.
template <typename F>
void ForAssignments(std::uint64_t support, F check) {
  std::vector<int> vars;
  for (int v = 0; v < 64; ++v) {
    if ((support >> v) & 1) vars.push_back(v);
  }
  auto spread = [&](std::uint64_t bits) {
    std::uint64_t a = 0;
    for (std::size_t i = 0; i < vars.size(); ++i) {
      if ((bits >> i) & 1) a |= std::uint64_t{1} << vars[i];
    }
    return a;
  };
  if (vars.size() <= 20) {
    for (std::uint64_t bits = 0; bits < (std::uint64_t{1} << vars.size()); ++bits) {
      if (!check(spread(bits))) return;
    }
    return;
  }
  std::mt19937_64 random(12345);
  for (int i = 0; i < 200000; ++i) {
    if (!check(spread(random()))) return;
  }
}

}  // namespace

std::vector<std::string> CheckMinimisedAgree(const Compilation& c) {
  std::vector<std::string> problems;
  for (const MinimisedOutput& mo : c.minimised.outputs) {
    const Output& o = c.model.outputs[static_cast<std::size_t>(mo.output)];
    const std::string& name = c.model.signals[static_cast<std::size_t>(o.signal)].name;
    auto check = [&](const std::optional<Function>& f, const std::optional<MinimisedFunction>& m,
                     const char* what) {
      if (!f || !m) return;
      std::uint64_t support = Support(f->on) | Support(f->dc) | Support(m->positive) | Support(m->negative);
      ForAssignments(support, [&](std::uint64_t a) {
        if (Evaluate(f->dc, a)) return true;
        bool want = Evaluate(f->on, a);
        bool pos_ok = !m->has_positive || Evaluate(m->positive, a) == want;
        bool neg_ok = !m->has_negative || Evaluate(m->negative, a) != want;
        if (pos_ok && neg_ok) return true;
        problems.push_back(name + " " + what + ": minimised form differs at assignment " + std::to_string(a));
        return false;
      });
    };
    check(o.logic, mo.logic, "logic");
    check(o.clock, mo.clock, ".C");
    check(o.reset, mo.reset, ".AR");
    check(o.preset, mo.preset, ".SP");
    check(o.enable, mo.enable, ".OE");
  }
  return problems;
}

LogicModel WithMinimisedLogic(const Compilation& c) {
  LogicModel m = c.model;
  for (const MinimisedOutput& mo : c.minimised.outputs) {
    Output& o = m.outputs[static_cast<std::size_t>(mo.output)];
    if (mo.logic) o.logic->on = mo.logic->complemented ? Not(mo.logic->negative) : mo.logic->positive;
    if (mo.clock) o.clock->on = mo.clock->positive;
    if (mo.reset) o.reset->on = mo.reset->positive;
    if (mo.preset) o.preset->on = mo.preset->positive;
    if (mo.enable) o.enable->on = mo.enable->positive;
  }
  return m;
}

std::string LineDiff(const std::string& expected, const std::string& actual) {
  if (expected == actual) return "";
  auto lines = [](const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  };
  std::vector<std::string> a = lines(expected), b = lines(actual);
  std::string diff;
  std::size_t n = std::max(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const std::string* x = i < a.size() ? &a[i] : nullptr;
    const std::string* y = i < b.size() ? &b[i] : nullptr;
    if (x && y && *x == *y) continue;
    diff += "line " + std::to_string(i + 1) + ":\n";
    if (x) diff += "-" + *x + "\n";
    if (y) diff += "+" + *y + "\n";
  }
  return diff.empty() ? "(line ends differ)\n" : diff;
}

}  // namespace abelc_test
