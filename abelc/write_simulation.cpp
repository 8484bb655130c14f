// The simulation file: the vector table as the fuse-map model ran it, with
// the pin names written vertically above their columns, each failing vector
// explained under its line, and the count of vectors passed.
#include <algorithm>
#include <cstdio>

#include "abelc/output_files.h"

namespace abelc {

std::string VectorTableText(const std::vector<std::string>& names, const std::vector<std::string>& vectors,
                            const VectorRun& run) {
  const int pins = static_cast<int>(names.size()) - 1;
  std::string t;
  // The pins the vectors use, in pin order, with their names from the pin table.
  std::vector<int> columns;
  for (int pin = 1; pin <= pins; ++pin) {
    if (pin == pins / 2 || pin == pins) continue;
    bool used = std::any_of(vectors.begin(), vectors.end(), [&](const std::string& v) {
      const char ch = v[static_cast<std::size_t>(pin - 1)];
      return ch != 'X' && ch != 'N';
    });
    if (used) columns.push_back(pin);
  }
  std::size_t height = 0;
  for (int pin : columns) height = std::max(height, names[static_cast<std::size_t>(pin)].size());
  for (std::size_t line = 0; line < height; ++line) {
    std::string row(7 + 2 * columns.size() - 1, ' ');
    for (std::size_t k = 0; k < columns.size(); ++k) {
      const std::string& name = names[static_cast<std::size_t>(columns[k])];
      const std::size_t skip = height - name.size();
      if (line >= skip) row[7 + 2 * k] = name[line - skip];
    }
    while (!row.empty() && row.back() == ' ') row.pop_back();
    t += row + "\n";
  }
  t += std::string(columns.empty() ? 6 : 7 + 2 * columns.size() - 1, ' ') + "\n";
  for (std::size_t v = 0; v < run.shown.size(); ++v) {
    char number[16];
    std::snprintf(number, sizeof number, "V%04d", static_cast<int>(v) + 1);
    std::string row = number;
    row += " ";
    for (int pin : columns) {
      row += ' ';
      row += run.shown[v][static_cast<std::size_t>(pin - 1)];
    }
    t += row + "\n";
    bool failed = false;
    for (const VectorMismatch& m : run.mismatches) {
      if (m.vector != static_cast<int>(v) + 1) continue;
      if (!failed) t += "Vector " + std::to_string(m.vector) + "\n";
      failed = true;
      t += names[static_cast<std::size_t>(m.pin)] + " " + std::to_string(m.pin) + ", '" + m.found +
           "' found  '" + m.expected + "' expected\n";
    }
    for (const UnsettledPin& u : run.unsettled) {
      if (u.vector != static_cast<int>(v) + 1) continue;
      if (!failed) t += "Vector " + std::to_string(u.vector) + "\n";
      failed = true;
      t += "pin " + std::to_string(u.pin) + " does not settle\n";
    }
    if (failed) t += "\n";
  }
  t += "\n" + std::to_string(run.passed) + " out of " + std::to_string(run.shown.size()) +
       " vectors passed.\n";
  return t;
}

std::string SimulationText(const OutputContext& c, const VectorRun& run) {
  const GalArchitecture& d = DeviceOf(c.model.device.family);
  std::string t = "Simulate " + std::string(kProductName) + "  Date: " + c.created + "\n";
  t += "Fuse file: '" + c.base + ".jed'  Vector file: '" + c.base + ".jed'  Part: '" + JedecPart(c.fit) +
       "'\n";
  t += std::string(kProductName) + "  JEDEC file for: " + JedecPart(c.fit) + "\nCreated on: " + c.created +
       "\n\n";
  if (!c.model.title.empty()) t += c.model.title + "\n";
  t += "\n\n";
  // The pins the vectors use, with their names from the pin table.
  std::vector<std::string> names(static_cast<std::size_t>(d.pins) + 1);
  for (std::size_t sig = 0; sig < c.model.signals.size(); ++sig) {
    if (c.fit.pin_of[sig] > 0) names[static_cast<std::size_t>(c.fit.pin_of[sig])] = c.model.signals[sig].name;
  }
  t += VectorTableText(names, c.vectors, run);
  return Crlf(t);
}

}  // namespace abelc
