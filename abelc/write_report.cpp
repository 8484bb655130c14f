// The report: six pages (reduced equations, chip diagram, resources, product
// terms, unused resources, files). The chip diagram keeps its classic layout
// to the character, since the program copies it into its log.
#include <algorithm>
#include <cstdio>

#include "abelc/equation_printer.h"
#include "abelc/output_files.h"

namespace abelc {

namespace {

std::string Pad(const std::string& s, std::size_t width, bool right) {
  if (s.size() >= width) return s;
  return right ? std::string(width - s.size(), ' ') + s : s + std::string(width - s.size(), ' ');
}

std::string PageHeader(const OutputContext& c, int page) {
  std::string t = page == 1 ? "\n\n\n" : "\f\n\n\n";
  t += std::string(70, ' ') + "Page " + std::to_string(page) + "\n";
  t += std::string(kProductName) + "  -  Device Utilization Chart" + std::string(9, ' ') + c.created + "\n\n";
  if (!c.model.title.empty()) t += c.model.title + "\n";
  return t + "\n";
}

// The part the report names: the fitted library part, or the part as written
// when the design names a chip that shares that map (an ATF part, a
// zero-power or high-speed variant).
std::string ReportPart(const OutputContext& c) {
  const std::string& written = c.model.device.part;
  const bool v8 = written.rfind("P16V8", 0) == 0 || written.rfind("P20V8", 0) == 0;
  const bool variant =
      written.rfind("ATF", 0) == 0 || (v8 && written.size() > 5 && (written[5] == 'Z' || written[5] == 'H'));
  return variant ? written : c.fit.part;
}

const Output* OutputAt(const OutputContext& c, const FittedCell& cell) {
  return cell.output >= 0 ? &c.model.outputs[static_cast<std::size_t>(cell.output)] : nullptr;
}

std::string ChipDiagram(const OutputContext& c) {
  const GalArchitecture& d = DeviceOf(c.model.device.family);
  const std::vector<std::string> names = DiagramNames(c);
  const std::string margin(25, ' ');
  const std::string part = ReportPart(c);
  std::string t = margin + "==== " + part + " Chip Diagram ====\n\n\n\n";
  // Placed as the classic report places its part names (6 to 8 characters).
  t += std::string(42 - std::min<std::size_t>(part.size(), 41), ' ') + part + "\n\n";
  t += margin + "+---------\\       /---------+\n";
  t += margin + "|          \\     /          |\n";
  t += margin + "|           -----           |\n";
  const std::string empty = margin + "|" + std::string(27, ' ') + "|\n";
  for (int p = 1; p <= d.pins / 2; ++p) {
    const int q = d.pins + 1 - p;
    t += Pad(names[static_cast<std::size_t>(p)], 24, true) + " |" + Pad(std::to_string(p), 3, true) +
         std::string(20, ' ') + Pad(std::to_string(q), 4, false) + "| " +
         Pad(names[static_cast<std::size_t>(q)], 24, false) + "\n";
    t += empty;
  }
  t += empty;
  t += margin + "`---------------------------'\n\n";
  t += std::string(24, ' ') + "SIGNATURE: N/A\n";
  return t;
}

std::string TermsPage(const OutputContext& c) {
  std::string t = std::string(16, ' ') + "==== " + ReportPart(c) + " Product Terms Distribution ====\n\n";
  t += "            Signal             |    Pin   | Terms | Terms | Terms\n";
  t += "             Name              | Assigned | Used  |  Max  | Unused\n";
  t += "=========================================================================\n";
  for (const FittedCell& cell : c.fit.cells) {
    const Output* o = OutputAt(c, cell);
    if (!o) continue;
    std::string name =
        c.model.signals[static_cast<std::size_t>(o->signal)].name + (o->registered ? ".REG" : "");
    t += Pad(name, 31, false) + "|   " + Pad(std::to_string(cell.pin), 4, true) + "   |  " +
         Pad(std::to_string(cell.terms_used), 3, true) + "  |  " +
         Pad(std::to_string(cell.terms_max), 3, true) + "  |  " +
         Pad(std::to_string(cell.terms_max - cell.terms_used), 3, true) + "\n";
  }
  t += "\n\n     ==== List of Inputs/Feedbacks ====\n\n";
  t += "Signal Name                    | Pin | Pin Type\n";
  t += "=================================================\n";
  const GalArchitecture& d = DeviceOf(c.model.device.family);
  for (std::size_t s = 0; s < c.model.signals.size(); ++s) {
    const int pin = c.fit.pin_of[s];
    if (pin == 0) continue;
    bool is_output = false;
    for (const Output& o : c.model.outputs) is_output = is_output || o.signal == static_cast<int>(s);
    const bool ra10 = d.family == Family::Gal20RA10;  // pin 1 preloads, pin 13 turns the outputs off
    std::string type = ra10 && pin == 1          ? "/PL"
                       : ra10 && pin == d.oe_pin ? "/OE"
                       : pin == 1 && (c.fit.mode == GalMode::Registered || c.fit.mode == GalMode::Feedback)
                           ? "CLK"
                       : pin == 13 && IsPlaFamily(d.family) ? "CLK"
                       : pin == 1 && !d.IsV8()              ? "CLK/IN"
                                                            : "INPUT";
    if (is_output) continue;
    t += Pad(c.model.signals[s].name, 31, false) + "| " + Pad(std::to_string(pin), 3, true) + " | " + type +
         "\n";
  }
  return t;
}

std::string ResourcesPage(const OutputContext& c) {
  const GalArchitecture& d = DeviceOf(c.model.device.family);
  int inputs = 0, registered = 0, combinational = 0, free_cells = 0;
  for (std::size_t s = 0; s < c.model.signals.size(); ++s) {
    if (c.fit.pin_of[s] != 0) ++inputs;
  }
  for (const FittedCell& cell : c.fit.cells) {
    const Output* o = OutputAt(c, cell);
    if (!o) {
      if (cell.input < 0) ++free_cells;
      continue;
    }
    --inputs;
    (o->registered ? registered : combinational) += 1;
  }
  const int dedicated = d.pins - 2 - static_cast<int>(d.cells.size());
  auto row = [](const std::string& what, int available, int used) {
    int pct = available ? (used * 100 + available / 2) / available : 0;
    return Pad(what, 22, false) + "|" + Pad(std::to_string(available), 7, true) + "    |" +
           Pad(std::to_string(used), 8, true) + "     |" + Pad(std::to_string(used), 8, true) + "     | " +
           std::to_string(available - used) + " (" + std::to_string(100 - pct) + " %)\n";
  };
  std::string t = std::string(16, ' ') + "==== " + ReportPart(c) + " Resource Allocations ====\n\n";
  t += "        Device        | Resource  |   Design    |    Part     |  \n";
  t += "       Resources      | Available | Requirement | Utilization | Unused\n";
  t += "======================|===========|=============|=============|==============\n\n";
  t += row("Input pins", dedicated + static_cast<int>(d.cells.size()), inputs);
  t += row("Output cells", static_cast<int>(d.cells.size()), registered + combinational);
  t += row("Registered outputs", static_cast<int>(d.cells.size()), registered);
  t += row("Combinatorial outputs", static_cast<int>(d.cells.size()), combinational);
  t += row("Product terms", c.fit.terms_total, c.fit.terms_used);
  return t;
}

std::string UnusedPage(const OutputContext& c) {
  const GalArchitecture& d = DeviceOf(c.model.device.family);
  std::string t = "    ==== " + ReportPart(c) + " Unused Resources ====\n\n";
  t += "  Pin  |  Pin   |   Product   | Flip-flop\n";
  t += "Number |  Type  |    Terms    |   Type\n";
  t += "=======|========|=============|==========\n";
  bool any = false;
  std::vector<bool> used(static_cast<std::size_t>(d.pins) + 1, false);
  for (int pin : c.fit.pin_of) used[static_cast<std::size_t>(pin)] = true;
  for (int pin = 1; pin <= d.pins; ++pin) {
    if (used[static_cast<std::size_t>(pin)] || pin == d.Gnd() || pin == d.Vcc()) continue;
    if ((c.fit.mode == GalMode::Registered || c.fit.mode == GalMode::Feedback) &&
        (pin == d.clock_pin || pin == d.oe_pin))
      continue;
    any = true;
    const OutputCell* cell = d.CellAt(pin);
    int terms = 0;
    for (const FittedCell& fc : c.fit.cells) {
      if (fc.pin == pin) terms = fc.terms_max;
    }
    // "    8  |  INPUT |      -      |    -   ", "   14  |  BIDIR | NORMAL  8   |    D   "
    t += Pad(std::to_string(pin), 5, true) + "  |  " + (cell ? "BIDIR" : "INPUT") + " |" +
         (cell ? " NORMAL " + Pad(std::to_string(terms), 2, true) + "   " : "      -      ") + "|    " +
         (cell && (!d.IsV8() || c.fit.mode == GalMode::Registered) ? "D" : "-") + "   \n";
  }
  if (!any) t += "    -  |    -   |      -      |    -   \n";
  return t;
}

}  // namespace

std::vector<std::string> DiagramNames(const OutputContext& c) {
  const GalArchitecture& d = DeviceOf(c.model.device.family);
  std::vector<std::string> names(static_cast<std::size_t>(d.pins) + 1);
  names[static_cast<std::size_t>(d.Gnd())] = "GND";
  names[static_cast<std::size_t>(d.Vcc())] = "Vcc";
  for (std::size_t s = 0; s < c.model.signals.size(); ++s) {
    const int pin = c.fit.pin_of[s];
    if (pin > 0) names[static_cast<std::size_t>(pin)] = c.model.signals[s].name;
  }
  // Outputs shown inverting: every one on the 16V8/20V8, GAL20RA10 and GAL6001/6002, the active-low
  // ones on the 22V10; on the GAL20XV10 and GAL6001/6002 every pin of an output cell, input or output,
  // as the classic report marks them.
  for (const FittedCell& cell : c.fit.cells) {
    const Output* o = OutputAt(c, cell);
    const bool marked_input = (d.IsXv() || IsPlaFamily(d.family)) && cell.input >= 0;
    if ((o && (d.IsV8() || d.IsXv() || d.family == Family::Gal20RA10 || IsPlaFamily(d.family) ||
               !cell.active_high)) ||
        marked_input)
      names[static_cast<std::size_t>(cell.pin)].insert(0, "!");
  }
  return names;
}

std::string ReportText(const OutputContext& c) {
  LogicModel shown = c.model;
  shown.device.part = ReportPart(c);
  std::string t = PageHeader(c, 1) + PrintEquations(shown, c.fit.implemented);
  t += PageHeader(c, 2) + ChipDiagram(c);
  t += PageHeader(c, 3) + ResourcesPage(c);
  t += PageHeader(c, 4) + TermsPage(c);
  t += PageHeader(c, 5) + UnusedPage(c);
  t += PageHeader(c, 6) + "    ==== I/O Files ====\n\n";
  t += "Module: '" + c.model.module + "'\n\n";
  t += "Input files\n===========\nABEL source file: " + c.base + ".abl\nDevice: " + ReportPart(c) + "\n\n";
  t += "Output files\n============\nReport file: " + c.base + ".doc\nProgrammer load file: " + c.base +
       ".jed\nSimulation file: " + c.base + ".sim\nListing: " + c.base + ".out\n";
  return Crlf(t);
}

}  // namespace abelc
