// The JEDEC fuse file: a header naming the part, the pin table as NOTE
// fields, one L field per programmed row, the architecture fuses in short
// fields, the test vectors, the fuse checksum, ETX and the transmission sum.
#include <algorithm>
#include <cstdio>

#include "abelc/output_files.h"

namespace abelc {

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
  t += std::string(kProductName) + "  JEDEC file for: " + c.fit.part + "\n";
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
  for (int row = 0; row < d.rows; ++row) {
    std::string bits = Bits(f, row * d.columns, d.columns);
    if (bits.find('1') != std::string::npos) t += "L" + Number(row * d.columns, 4) + " " + bits + "*\n";
  }
  if (d.IsV8()) {
    t += "L" + Number(d.xor_base, 4) + " " + Bits(f, d.xor_base, 8) + "*\n";
    t += "L" + Number(d.ac1_base, 4) + " " + Bits(f, d.ac1_base, 8) + "*\n";
    t += "L" + Number(d.ptd_base, 4) + " " + Bits(f, d.ptd_base, 64) + "*\n";
    t += "L" + Number(d.syn, 4) + " " + Bits(f, d.syn, 1) + "*\n";
    t += "L" + Number(d.ac0, 4) + " " + Bits(f, d.ac0, 1) + "*\n";
  } else {
    t += "L" + Number(d.s0_base, 4) + " " + Bits(f, d.s0_base, 20) + "*\n";
  }
  for (std::size_t v = 0; v < c.vectors.size(); ++v)
    t += "V" + Number(static_cast<int>(v) + 1, 4) + " " + c.vectors[v] + "*\n";
  char sum[16];
  std::snprintf(sum, sizeof sum, "%04X", FuseChecksum(f));
  t += "C" + std::string(sum) + "*\n\x03";
  t = Crlf(t);
  unsigned transmission = 0;
  for (unsigned char ch : t) transmission += ch;
  std::snprintf(sum, sizeof sum, "%04X", transmission & 0xFFFF);
  return t + sum + "\r\n";
}

}  // namespace abelc
