// The JEDEC fuse file: a header naming the part, the pin table as NOTE
// fields, one L field per programmed row, the architecture fuses in short
// fields, the signature, the test vectors, the fuse checksum, ETX and the transmission sum.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "abelc/output_files.h"
#include "abelc/pla_map.h"

namespace abelc {

const char* const kProductName = "Quelvox ABEL compiler " QUELVOX_VERSION;

std::string JedecPart(const FitResult& fit) {
  const std::string& p = fit.part;
  if (p == "P16V8S" || p == "P20V8S") return p.substr(0, 5) + "AS";
  return p;
}

std::string Crlf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  // Line by line: the listing echoes the whole design, and a byte at a time
  // cost more than compiling it.
  std::size_t from = 0;
  for (std::size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1) {
    out.append(text, from, end - from);
    out += "\r\n";
  }
  out.append(text, from, std::string::npos);
  return out;
}

unsigned FuseChecksum(const std::vector<std::uint8_t>& fuses) {
  unsigned sum = 0;
  for (std::size_t i = 0; i < fuses.size(); i += 8) {
    unsigned byte = 0;
    for (std::size_t b = 0; b < 8 && i + b < fuses.size(); ++b) byte |= (fuses[i + b] ? 1u : 0u) << b;
    sum += byte;
  }
  return sum & 0xFFFF;
}

namespace {

std::string Number(int n, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, n);
  return buf;
}

std::string Bits(const std::vector<std::uint8_t>& fuses, int from, int count) {
  std::string s;
  s.reserve(static_cast<std::size_t>(std::max(count, 0)));
  for (int i = from; i < from + count; ++i) s += fuses[static_cast<std::size_t>(i)] ? '1' : '0';
  return s;
}

}  // namespace

std::string JedecText(const OutputContext& c) {
  const GalArchitecture& d = DeviceOf(c.model.device.family);
  const std::vector<std::uint8_t>& f = c.fit.fuses;
  std::string t = "\x02";
  t += std::string(kProductName) + "  JEDEC file for: " + JedecPart(c.fit) + "\n";
  t += "Created on: " + c.created + "\n\n";
  if (!c.model.title.empty()) {
    // The header is one field, ended by '*', of a transmission framed by STX
    // and ETX: those characters of the title are written as blanks.
    std::string title = c.model.title;
    std::replace_if(
        title.begin(), title.end(), [](char ch) { return ch == '*' || ch == '\x02' || ch == '\x03'; }, ' ');
    t += title + "\n";
  }
  t += "*\n";
  t += "QP" + std::to_string(d.pins) + "* QF" + std::to_string(c.fit.fuse_count) + "* QV" +
       std::to_string(c.vectors.size()) + "* F0*\n X0*\n";
  t += "NOTE Table of pin names and numbers*\n";
  // Declared pins in declaration order; a line holds at most 72 characters with its '*'.
  std::string line = "NOTE PINS";
  for (std::size_t s = 0; s < c.model.signals.size(); ++s) {
    if (c.model.signals[s].node || c.fit.pin_of[s] == 0) continue;
    std::string item = " " + c.model.signals[s].name + ":" + std::to_string(c.fit.pin_of[s]);
    if (line.size() + item.size() + 1 > 72 && line != "NOTE PINS") {
      t += line + "*\n";
      line = "NOTE PINS";
    }
    line += item;
  }
  t += line + "*\n";
  // The GAL6001/6002 cells that are nodes: buried, input cells, the reset term.
  std::string nodes = "NOTE NODES";
  for (std::size_t s = 0; s < c.fit.node_of.size(); ++s) {
    if (c.fit.node_of[s] == 0) continue;
    std::string item = " " + c.model.signals[s].name + ":" + std::to_string(c.fit.node_of[s]);
    if (nodes.size() + item.size() + 1 > 72 && nodes != "NOTE NODES") {
      t += nodes + "*\n";
      nodes = "NOTE NODES";
    }
    nodes += item;
  }
  if (nodes != "NOTE NODES") t += "NOTE Table of node names and numbers*\n" + nodes + "*\n";
  // The L fields in address order: each product-term row that has a 1, the
  // architecture fuses, the signature when it has a 1, and any other fuse of
  // the map set to 1, so that the checksum below is that of the fuses written.
  struct Field {
    int from, count;
  };
  std::vector<Field> fields;
  const int count = std::min(c.fit.fuse_count, static_cast<int>(f.size()));
  const auto any_set = [&](int from, int n) {
    return std::any_of(f.begin() + from, f.begin() + from + n, [](std::uint8_t v) { return v != 0; });
  };
  const bool pla = IsPlaFamily(d.family);
  for (int row = 0; row < d.rows && !pla; ++row) {
    if (any_set(row * d.columns, d.columns)) fields.push_back({row * d.columns, d.columns});
  }
  if (pla) {
    // Every shared term with its OR fuses, each enable and reset term and
    // cell's bits that has a 1, as the classic compiler writes them.
    for (int t = 0; t < pla::kSharedTerms; ++t) fields.push_back({pla::AndFuse(t, 0), pla::kTermStride});
    for (int t = pla::kSharedTerms; t < pla::kTerms; ++t) {
      if (any_set(pla::AndFuse(t, 0), pla::kColumns)) fields.push_back({pla::AndFuse(t, 0), pla::kColumns});
    }
    for (int node = pla::kFirstBuried; node <= pla::kLastBuried; ++node) {
      if (any_set(pla::BuriedCellBits(node), 3)) fields.push_back({pla::BuriedCellBits(node), 3});
    }
    for (int pin = 14; pin <= 23; ++pin) {
      if (any_set(pla::OutputCellBits(pin), 4)) fields.push_back({pla::OutputCellBits(pin), 4});
    }
    fields.push_back({pla::kInputBitsBase, d.ues_base - pla::kInputBitsBase});
  } else if (d.IsV8()) {
    fields.push_back({d.xor_base, 8});
    fields.push_back({d.ac1_base, 8});
    fields.push_back({d.ptd_base, 64});
    fields.push_back({d.syn, 1});
    fields.push_back({d.ac0, 1});
  } else if (d.IsXv()) {
    // Polarity, XOR and register fuses, ten each; the mode fuse when it is 1.
    for (int from : {d.xor_map->polarity_base, d.xor_map->xor_base, d.xor_map->register_base})
      fields.push_back({from, 10});
  } else {
    // Pairs in one field; groups (GAL26V12) a field each where one is set,
    // as the classic compiler writes them.
    const int n = static_cast<int>(d.cells.size());
    if (d.map->Pairs()) {
      fields.push_back({d.s0_base, 2 * n});
    } else {
      for (int from = d.s0_base; from < d.ues_base; from += n) {
        if (any_set(from, n)) fields.push_back({from, n});
      }
    }
  }
  constexpr int kSignatureFuses = 64;
  if (d.ues_base + kSignatureFuses <= count && any_set(d.ues_base, kSignatureFuses))
    fields.push_back({d.ues_base, kSignatureFuses});
  std::vector<bool> covered(static_cast<std::size_t>(count), false);
  for (const Field& field : fields) {
    for (int i = field.from; i < field.from + field.count && i < count; ++i)
      covered[static_cast<std::size_t>(i)] = true;
  }
  for (int i = 0; i < count;) {
    if (covered[static_cast<std::size_t>(i)] || !f[static_cast<std::size_t>(i)]) {
      ++i;
      continue;
    }
    int end = i;
    while (end < count && !covered[static_cast<std::size_t>(end)]) ++end;
    fields.push_back({i, end - i});
    i = end;
  }
  std::sort(fields.begin(), fields.end(), [](const Field& a, const Field& b) { return a.from < b.from; });
  for (const Field& field : fields)
    t += "L" + Number(field.from, 4) + " " + Bits(f, field.from, field.count) + "*\n";
  for (std::size_t v = 0; v < c.vectors.size(); ++v)
    t += "V" + Number(static_cast<int>(v) + 1, 4) + " " + c.vectors[v] + "*\n";
  char sum[16];
  std::snprintf(sum, sizeof sum, "%04X",
                FuseChecksum(std::vector<std::uint8_t>(f.begin(), f.begin() + count)));
  t += "C" + std::string(sum) + "*\n\x03";
  t = Crlf(t);
  unsigned transmission = 0;
  for (unsigned char ch : t) transmission += ch;
  std::snprintf(sum, sizeof sum, "%04X", transmission & 0xFFFF);
  return t + sum + "\r\n";
}

}  // namespace abelc
