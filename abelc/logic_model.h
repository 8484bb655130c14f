// The logic model: what a design means once its names, sets, sections and
// operators are resolved. Every function is a sum of products over the
// model's variables (pins and feedbacks), written at pin level: an
// active-low declaration is already folded in.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "abelc/cover.h"
#include "abelc/diagnostics.h"

namespace abelc {

enum class Family {
  Unknown,
  Gal16V8,
  Gal20V8,
  Gal22V10,
  Gal18V10,
  Gal26CV12,
  Gal26V12,
  Gal20RA10,
  Gal20XV10,
  Gal6001,
  Gal6002,
};

// The programmable logic arrays: one pool of product terms shared by every sum.
constexpr bool IsPlaFamily(Family f) {
  return f == Family::Gal6001 || f == Family::Gal6002;
}

// The families whose cells have an S0 polarity fuse and one map in galmaps/:
// S0/S1 macrocells with shared reset and preset rows, and the GAL20RA10.
constexpr bool IsMacrocellFamily(Family f) {
  return f == Family::Gal22V10 || f == Family::Gal18V10 || f == Family::Gal26CV12 || f == Family::Gal26V12 ||
         f == Family::Gal20RA10;
}

struct DeviceInfo {
  std::string id;    // the DEVICE declaration's name
  std::string part;  // upper-case, as declared ("P16V8R", "GAL22V10")
  Family family = Family::Unknown;
  char forced_mode = 0;  // 'R', 'C' or 'S' when the part string fixes a 16V8/20V8 mode
};

struct Attributes {
  bool com = false, reg = false, reg_d = false, buffer = false, invert = false, pos = false, neg = false;
  bool xor_gate = false;  // 'xor': a top-level '$' may use the XOR gate of the cell
};

struct Signal {
  std::string name;
  int pin = 0;  // 0: no number given
  bool node = false;
  bool node_in_macrocell = false;  // a node the fitter places in a free macrocell
  bool active_low = false;
  Attributes attrs;
  SourcePos pos;
};

// How a variable reads its signal. Plain is a bare name: the pin, or for a
// registered output its register at pin polarity (the same value unless the
// output is disabled).
enum class Feedback { Plain, Fb, Q, Pin };

struct Variable {
  int signal = 0;
  Feedback kind = Feedback::Plain;
  std::string label;  // as printed: "a", "q.FB", "q.Q", "q.PIN"
};

struct Function {
  Cover on;       // where the function is 1
  Cover dc;       // where its value does not matter
  SourcePos pos;  // its first equation
};

enum class Polarity { Auto, Pos, Neg };
enum class Inverter { Unknown, Buffer, Invert };

struct Output {
  int signal = 0;
  bool registered = false;
  // Registered: true when written as .D (the flip-flop input), false for
  // ':=' (the pin level after the clock).
  bool detailed = false;
  Polarity polarity = Polarity::Auto;
  Inverter inverter = Inverter::Unknown;
  std::optional<Function> logic, clock, reset, preset, enable;
  // An 'xor' output given by one equation whose value is 'left $ right': the
  // two sides (of the pin level, or of the register's input under '.D'),
  // for a cell that combines two sums in an XOR gate (GAL20XV10).
  std::optional<std::pair<Cover, Cover>> xor_sides;
  std::optional<Function> clock_enable;  // '.CE' (GAL6001/6002)
  std::optional<Function> latch_enable;  // '.LE' of an input cell (GAL6001/6002)
};

// Test vectors at pin level: '0' '1' 'C' 'K' 'U' 'D' 'P' 'X' 'Z' 'F' for
// inputs; 'L' 'H' 'Z' or 'X' (not tested) for outputs.
struct VectorRow {
  SourcePos pos;
  std::string in, out;  // one character per column
};

struct VectorTable {
  std::vector<int> in_signals, out_signals;
  std::vector<VectorRow> rows;
};

struct LogicModel {
  std::string module;
  std::string title;
  DeviceInfo device;
  std::vector<Signal> signals;      // in declaration order
  std::vector<Variable> variables;  // index = variable number in the covers
  std::vector<Output> outputs;      // in signal order
  std::vector<VectorTable> vectors;
  std::vector<std::string> messages;              // @MESSAGE texts
  std::vector<std::pair<int, int>> forced_fuses;  // FUSES: (fuse, 0 or 1), set in the map after fitting
  // 'pos' and 'neg' bind the polarity only under OPTIONS '-reduce bypin';
  // otherwise the smaller of the function and its complement is built.
  bool reduce_by_pin = false;
};

// Is the flip-flop of this output behind an inverting buffer? The
// declaration says, or the fitter where the declaration leaves it free
// (Output::inverter); otherwise the 16V8 and 20V8 model every register that way.
bool InvertsRegister(const LogicModel& m, const Output& o);

}  // namespace abelc
