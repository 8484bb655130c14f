// Equation layout: "<name><ext padded to 5>= (  term " with each further
// term on its own line as "#   term", aligned three places after the '='.
#include "abelc/equation_printer.h"

#include <algorithm>
#include <bit>

namespace abelc {

namespace {

// Literals and terms in a stable order: signals in declaration order.
std::vector<int> LiteralKey(const LogicModel& m, const Cube& c) {
  std::vector<int> key;
  for (std::uint64_t lits = LiteralMask(c); lits; lits &= lits - 1) {
    int v = std::countr_zero(lits);
    const Variable& var = m.variables[static_cast<std::size_t>(v)];
    int negated = ((c.one >> v) & 1) ? 0 : 1;
    key.push_back(((var.signal * 4 + static_cast<int>(var.kind)) * kMaxVariables + v) * 2 + negated);
  }
  std::sort(key.begin(), key.end());
  return key;
}

std::string Term(const LogicModel& m, const std::vector<int>& key) {
  std::string text;
  for (int k : key) {
    if (!text.empty()) text += " & ";
    int v = (k / 2) % kMaxVariables;
    if (k % 2) text += "!";
    text += m.variables[static_cast<std::size_t>(v)].label;
  }
  return text;
}

void PrintOne(const LogicModel& m, std::string& out, const std::string& name, const std::string& ext,
              const MinimisedFunction& f, bool complement, const std::string& comment) {
  std::string head = name + ext;
  if (ext.size() < 5) head += std::string(5 - ext.size(), ' ');
  head += "= ";
  const Cover& cover = f.Chosen();
  bool negated = f.complemented != complement;
  // Constant functions are printed as their value.
  if (cover.empty() || IsTrue(cover)) {
    bool value = IsTrue(cover) != negated;
    out += head + (value ? "1" : "0") + ";" + comment + "\n";
    return;
  }
  std::vector<std::vector<int>> terms;
  for (const Cube& c : cover) terms.push_back(LiteralKey(m, c));
  std::sort(terms.begin(), terms.end());
  const std::string indent(name.size() + std::max<std::size_t>(ext.size(), 5) + 3, ' ');
  for (std::size_t i = 0; i < terms.size(); ++i) {
    out += i == 0 ? head + (negated ? "!(  " : "(  ") : indent + "#   ";
    out += Term(m, terms[i]) + " ";
    out += i + 1 == terms.size() ? ");" + comment + "\n" : "\n";
  }
}

}  // namespace

std::string PrintEquations(const LogicModel& m, const MinimisedDesign& design) {
  std::string out = m.device.part.empty() ? "    ==== Programmed Logic ====\n\n\n"
                                          : "    ==== " + m.device.part + " Programmed Logic ====\n\n\n";
  bool first = true;
  for (const MinimisedOutput& mo : design.outputs) {
    const Output& o = m.outputs[static_cast<std::size_t>(mo.output)];
    const std::string& name = m.signals[static_cast<std::size_t>(o.signal)].name;
    if (!first) out += "\n";
    first = false;
    if (mo.logic) {
      std::string comment;
      bool complement = false;
      if (o.registered && (o.inverter != Inverter::Unknown || m.device.family != Family::Unknown)) {
        // The 16V8 and 20V8 invert every register; a 22V10 register is
        // inverted when declared so, or when the design leaves it free and
        // its complement is the smaller sum, as the fitter builds it.
        const bool inverts = RegisterInverterIsFree(m, o) ? mo.logic->complemented : InvertsRegister(m, o);
        comment = inverts ? " \" ISTYPE 'INVERT'" : " \" ISTYPE 'BUFFER'";
        // A ':=' equation gives the pin level; behind an inverter the D input is its complement.
        complement = !o.detailed && inverts;
      }
      PrintOne(m, out, name, o.registered ? ".D" : "", *mo.logic, complement, comment);
    }
    if (mo.clock) PrintOne(m, out, name, ".C", *mo.clock, false, "");
    if (mo.clock_enable) PrintOne(m, out, name, ".CE", *mo.clock_enable, false, "");
    if (mo.latch_enable) PrintOne(m, out, name, ".LE", *mo.latch_enable, false, "");
    if (mo.reset) PrintOne(m, out, name, ".AR", *mo.reset, false, "");
    // The GAL20RA10's preset is asynchronous.
    if (mo.preset)
      PrintOne(m, out, name, m.device.family == Family::Gal20RA10 ? ".AP" : ".SP", *mo.preset, false, "");
    if (mo.enable) PrintOne(m, out, name, ".OE", *mo.enable, false, "");
  }
  return out;
}

}  // namespace abelc
