// Reading a GAL6001 or GAL6002B map: the AND rows of the shared terms, the
// OR fuses that give each cell its sums, the cell bits and the input cells.
#include <algorithm>
#include <bit>
#include <cctype>

#include "abelc/minimise.h"
#include "abelc/pla_map.h"
#include "logic/map_logic.h"

namespace pla = abelc::pla;
using abelc::Cover;
using abelc::Cube;

namespace {

constexpr int kPairs = pla::kColumns / 2;

int PinPair(int pin) {
  return pla::PinColumn(pin) / 2;
}
int RegisterPair(int pin) {
  return pla::RegisterColumn(pin) / 2;
}
int BuriedPair(int node) {
  return pla::BuriedColumn(node) / 2;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

void DecodePla(MapLogic& l) {
  const pla::PlaMap& map = pla::MapOf(l.Arch->family);
  auto fuse = [&](int n) { return l.Fuses[static_cast<std::size_t>(n)] != 0; };
  l.Mode = abelc::GalMode::Pla;
  PlaLogic p;
  p.InputCell.assign(static_cast<std::size_t>(l.Arch->pins) + 1, ' ');
  for (int pin = 2; pin <= 23; ++pin) {
    if (!pla::IsInputPin(pin) && !pla::IsOutputPin(pin)) continue;
    const int bits = pla::InputCellBits(map, pin);
    p.InputCell[static_cast<std::size_t>(pin)] = fuse(bits) ? 'p' : fuse(bits + 1) ? 'r' : 'l';
  }
  // Nodes take the names the map gives them, else N<number>, kept apart
  // from the pin names and from each other.
  p.NodeNames.assign(pla::kLastInputCell + 1, "");
  auto taken = [&](const std::string& name) {
    auto same = [&](const std::string& n) { return Lower(n) == Lower(name); };
    return std::any_of(l.PinNames.begin(), l.PinNames.end(), same) ||
           std::any_of(p.NodeNames.begin(), p.NodeNames.end(), same);
  };
  for (int node = pla::kResetNode; node <= pla::kLastInputCell; ++node) {
    if (node > pla::kLastBuried && node < pla::kFirstInputCell) continue;
    const std::size_t n = static_cast<std::size_t>(node);
    if (n < l.GivenNodeNames.size() && !l.GivenNodeNames[n].empty() && !taken(l.GivenNodeNames[n]))
      p.NodeNames[n] = l.GivenNodeNames[n];
  }
  for (int node = pla::kResetNode; node <= pla::kLastInputCell; ++node) {
    if (node > pla::kLastBuried && node < pla::kFirstInputCell) continue;
    std::string& name = p.NodeNames[static_cast<std::size_t>(node)];
    if (!name.empty()) continue;
    std::string own = "N" + std::to_string(node);
    while (taken(own)) own += "_";
    name = own;
  }
  // The register pairs carry Q, the inverse of the pin: read as Name.FB, the pin level.
  auto row = [&](int term) -> std::optional<Cube> {
    Cube cube;
    for (int k = 0; k < kPairs; ++k) {
      bool high = !fuse(pla::AndFuse(term, 2 * k)), low = !fuse(pla::AndFuse(term, 2 * k + 1));
      if (!high && !low) continue;
      if (high && low) return std::nullopt;
      if (k >= RegisterPair(14)) std::swap(high, low);
      const std::uint64_t bit = std::uint64_t{1} << k;
      if (high) cube.zero &= ~bit;
      if (low) cube.one &= ~bit;
    }
    return cube;
  };
  auto row_set = [&](int term) {
    for (int col = 0; col < pla::kColumns; ++col) {
      if (fuse(pla::AndFuse(term, col))) return true;
    }
    return false;
  };
  for (int t = 0; t < pla::kSharedTerms; ++t) p.Terms.push_back(row(t));
  auto sum = [&](int s) {
    std::vector<int> terms;
    for (int t = 0; t < pla::kSharedTerms; ++t) {
      if (!fuse(pla::OrFuse(t, s)) && p.Terms[static_cast<std::size_t>(t)]) terms.push_back(t);
    }
    return terms;
  };
  // The cell bits: clocked by pin 13, combinational, load unless sum B, not inverting.
  auto cell = [&](PlaCellLogic c, int bits, int sum_a) {
    c.Pin13Clock = fuse(bits);
    c.Registered = !fuse(bits + 1);
    c.ClockEnable = c.Registered && c.Pin13Clock && !fuse(bits + 2);
    c.SumA = sum(sum_a);
    c.SumB = sum(sum_a + 1);
    c.HoldWhileB = c.Registered && c.Pin13Clock && !c.ClockEnable && !c.SumB.empty();
    c.ClockOnFall = c.Registered && !c.Pin13Clock && fuse(bits + 2);
    p.Cells.push_back(c);
  };
  for (int pin = 23; pin >= 14; --pin) {
    PlaCellLogic c;
    c.Pin = pin;
    c.Used = row_set(pla::EnableTerm(pin));
    c.Inverting = !fuse(pla::OutputCellBits(pin) + 3);
    if (std::optional<Cube> e = row(pla::EnableTerm(pin))) c.EnableTerm.push_back(*e);
    cell(c, pla::OutputCellBits(pin), pla::OutputSum(pin));
  }
  for (int node = pla::kFirstBuried; node <= pla::kLastBuried; ++node) {
    PlaCellLogic c;
    c.Node = node;
    cell(c, pla::BuriedCellBits(node), pla::BuriedSum(node));
  }
  if (std::optional<Cube> reset = row(pla::kResetTerm)) p.Reset.push_back(*reset);

  // What the used cells read makes more cells used: a buried cell read by them.
  std::vector<bool> read;
  for (bool more = true; more;) {
    more = false;
    read = PlaPairsRead(p);
    for (PlaCellLogic& c : p.Cells) {
      if (c.Used || c.Pin) continue;
      c.Used = !c.SumA.empty() || !c.SumB.empty() || read[static_cast<std::size_t>(BuriedPair(c.Node))];
      more = more || c.Used;
    }
  }

  // The output pins as the other families' cells, for Info, Simulate and the checks.
  for (const PlaCellLogic& pc : p.Cells) {
    if (!pc.Pin) continue;
    CellLogic c;
    c.Pin = pc.Pin;
    c.Index = 23 - pc.Pin;
    c.Registered = pc.Registered;
    c.ReadsRegister = pc.Registered;
    c.ActiveHigh = !pc.Inverting;
    c.ClockPin = pc.Registered && pc.Pin13Clock ? pla::kOutputClockPin : 0;
    c.Enable = EnableKind::Term;
    c.EnableTerm = pc.EnableTerm;
    for (int t : pc.SumA) c.Terms.push_back(*p.Terms[static_cast<std::size_t>(t)]);
    c.Role = pc.Used                                           ? CellRole::Output
             : read[static_cast<std::size_t>(PinPair(pc.Pin))] ? CellRole::Input
                                                               : CellRole::Unused;
    if (c.Role == CellRole::Output && !abelc::MinimiseCover(c.Terms, {}, c.Minimised)) c.Minimised = c.Terms;
    l.Cells.push_back(c);
  }
  for (const PlaCellLogic& pc : p.Cells) l.HasRegisters = l.HasRegisters || (pc.Used && pc.Registered);

  // Every column pair's name: a pin, the node of its input cell where that
  // registers or latches, a buried node, or an output's register (.FB).
  l.VariablePin.assign(kPairs, 0);
  l.VariableNames.assign(kPairs, "");
  auto pin_name = [&](int pin) { return l.PinNames[static_cast<std::size_t>(pin)]; };
  l.VariablePin[0] = 1;
  l.VariableNames[0] = pin_name(1);
  for (int pin = 2; pin <= 23; ++pin) {
    if (!pla::IsInputPin(pin) && !pla::IsOutputPin(pin)) continue;
    const std::size_t k = static_cast<std::size_t>(PinPair(pin));
    l.VariablePin[k] = pin;
    const CellLogic* cell = l.CellAt(pin);
    const bool register_pin = cell && cell->Role == CellRole::Output && cell->Registered;
    l.VariableNames[k] = p.InputCell[static_cast<std::size_t>(pin)] != 'p'
                             ? p.NodeNames[static_cast<std::size_t>(pla::InputCellNode(pin))]
                             : pin_name(pin) + (register_pin ? ".PIN" : "");
    if (pla::IsOutputPin(pin)) {
      const std::size_t r = static_cast<std::size_t>(RegisterPair(pin));
      l.VariablePin[r] = pin;
      l.VariableNames[r] = pin_name(pin) + ".FB";
    }
  }
  for (int node = pla::kFirstBuried; node <= pla::kLastBuried; ++node)
    l.VariableNames[static_cast<std::size_t>(BuriedPair(node))] = p.NodeNames[static_cast<std::size_t>(node)];
  l.Pla = std::move(p);
}

std::vector<bool> PlaPairsRead(const PlaLogic& p) {
  std::vector<bool> read(kPairs, false);
  auto note = [&](const Cube& c) {
    for (std::uint64_t lits = abelc::LiteralMask(c); lits; lits &= lits - 1)
      read[static_cast<std::size_t>(std::countr_zero(lits))] = true;
  };
  bool registers = false;
  for (const PlaCellLogic& c : p.Cells) {
    if (!c.Used) continue;
    registers = registers || c.Registered;
    for (int t : c.SumA) note(*p.Terms[static_cast<std::size_t>(t)]);
    if (c.Registered && (!c.Pin13Clock || c.ClockEnable || c.HoldWhileB)) {
      for (int t : c.SumB) note(*p.Terms[static_cast<std::size_t>(t)]);
    }
    for (const Cube& e : c.EnableTerm) note(e);
  }
  if (registers) {
    for (const Cube& c : p.Reset) note(c);
  }
  return read;
}
