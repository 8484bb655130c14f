// The equations of a GAL6001/6002 map: each shared term once, by name, then
// each cell's sums as ORs of those names.
#include "abelc/pla_map.h"
#include "logic/map_logic.h"

namespace {

std::string TermName(int t) {
  return "P" + std::to_string(t);
}

std::string TermNames(const std::vector<int>& terms) {
  if (terms.empty()) return "0";
  std::string text;
  for (int t : terms) text += (text.empty() ? "" : " # ") + TermName(t);
  return text;
}

const char* InputCellText(char mode) {
  return mode == 'r' ? "registered at the rise of pin 1" : "latched while pin 1 is high";
}

}  // namespace

std::vector<std::string> PlaEquationLines(const MapLogic& l) {
  const PlaLogic& p = *l.Pla;
  std::vector<bool> used(p.Terms.size(), false);
  for (const PlaCellLogic& c : p.Cells) {
    if (!c.Used) continue;
    for (const std::vector<int>* s : {&c.SumA, &c.SumB})
      for (int t : *s) used[static_cast<std::size_t>(t)] = true;
  }
  int count = 0;
  for (bool u : used) count += u ? 1 : 0;
  std::vector<std::string> lines;
  std::string heading = "Equations of the " + l.DeviceName + " fuse map, logic array, " +
                        std::to_string(count) + " of " + std::to_string(abelc::pla::kSharedTerms) +
                        " shared product terms used";
  if (!l.NamesFrom.empty()) heading += " (pin names from " + l.NamesFrom + ")";
  lines.push_back(heading + ":");
  for (int pin = 2; pin <= l.Arch->pins; ++pin) {
    const char mode = p.InputCell[static_cast<std::size_t>(pin)];
    if (mode != 'r' && mode != 'l') continue;
    const int node = abelc::pla::InputCellNode(pin);
    lines.push_back("Input cell of " + l.PinNames[static_cast<std::size_t>(pin)] + ", pin " +
                    std::to_string(pin) + " (" + p.NodeNames[static_cast<std::size_t>(node)] + ", node " +
                    std::to_string(node) + "): " + InputCellText(mode));
  }
  lines.push_back("Shared product terms:");
  for (std::size_t t = 0; t < p.Terms.size(); ++t) {
    if (used[t])
      lines.push_back("    " + TermName(static_cast<int>(t)) + " = " + TermText(l, *p.Terms[t]) + ";");
  }
  for (const PlaCellLogic& c : p.Cells) {
    const std::string name =
        c.Pin ? l.PinNames[static_cast<std::size_t>(c.Pin)] : p.NodeNames[static_cast<std::size_t>(c.Node)];
    const std::string where = c.Pin ? ", pin " + std::to_string(c.Pin) : ", node " + std::to_string(c.Node);
    const CellLogic* cell = c.Pin ? l.CellAt(c.Pin) : nullptr;
    if (!c.Used) {
      if (cell) lines.push_back(name + where + (cell->Role == CellRole::Input ? ": input" : ": not used"));
      continue;
    }
    std::string head = name + where + ": ";
    head += !c.Registered  ? "combinational"
            : c.Pin13Clock ? (c.ClockEnable ? "registered, clocked by pin 13 while enabled"
                                            : "registered, clocked by pin 13")
                           : "registered, clocked by a term";
    const bool always = cell && cell->EnableTerm.size() == 1 && abelc::IsUniverse(cell->EnableTerm[0]);
    if (cell && !always) head += ", tri-state";
    if (c.Pin) head += c.Inverting ? ", active low" : ", active high";
    lines.push_back(head);
    lines.push_back("    " + std::string(c.Pin && c.Inverting ? "!" : "") + name +
                    (c.Registered ? " := " : " = ") + TermNames(c.SumA) + ";");
    if (c.ClockEnable) lines.push_back("    " + name + ".CE = " + TermNames(c.SumB) + ";");
    if (c.HoldWhileB) lines.push_back("    " + name + ".CE = !(" + TermNames(c.SumB) + ");");
    if (c.Registered && !c.Pin13Clock) {
      const std::string b = TermNames(c.SumB);
      lines.push_back("    " + name + ".CLK = " + (c.ClockOnFall ? "!(" + b + ")" : b) + ";");
    }
    if (cell) {
      lines.push_back("    " + name + ".OE = " +
                      (cell->EnableTerm.empty() ? std::string("0") : TermText(l, cell->EnableTerm[0])) + ";");
    }
  }
  if (l.HasRegisters) {
    lines.push_back("Reset of every register (node 25, asynchronous):");
    lines.push_back("    AR = " + (p.Reset.empty() ? std::string("0") : TermText(l, p.Reset[0])) + ";");
  }
  return lines;
}
