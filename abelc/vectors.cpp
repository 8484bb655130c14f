// Vector characters, and the vector run: each vector's pulses are walked
// phase by phase, then its expected levels are compared with the pins.
#include "abelc/vectors.h"

#include <algorithm>

namespace abelc {

std::vector<std::string> PinVectors(const LogicModel& model, const std::vector<int>& pin_of, int pins) {
  std::vector<std::string> out;
  for (const VectorTable& t : model.vectors) {
    for (const VectorRow& row : t.rows) {
      std::string v(static_cast<std::size_t>(pins), 'X');
      v[static_cast<std::size_t>(pins / 2 - 1)] = 'N';
      v[static_cast<std::size_t>(pins - 1)] = 'N';
      // A node has no pin of its own to drive or test, even where it took a cell.
      auto put = [&](int signal, char c) {
        const int pin = pin_of[static_cast<std::size_t>(signal)];
        if (pin > 0 && !model.signals[static_cast<std::size_t>(signal)].node)
          v[static_cast<std::size_t>(pin - 1)] = c;
      };
      for (std::size_t k = 0; k < row.in.size(); ++k) {
        char c = row.in[k];
        put(t.in_signals[k], std::string("01CKUDPX").find(c) != std::string::npos ? c : 'X');
      }
      // A pin in both lists (a bidirectional pin) keeps the level the vector
      // drives, whatever it expects there, as in the classic compiler: a
      // tester cannot drive a pin and test it at once. The run checks that the
      // output is then off.
      for (std::size_t k = 0; k < row.out.size(); ++k) {
        const int pin = pin_of[static_cast<std::size_t>(t.out_signals[k])];
        const char driven = pin > 0 ? v[static_cast<std::size_t>(pin - 1)] : 'X';  // nodes: never driven
        const char want = row.out[k];
        if (driven == '0' || driven == '1') continue;
        put(t.out_signals[k], want == 'X' ? 'N' : want);
      }
      out.push_back(std::move(v));
    }
  }
  return out;
}

VectorRun RunPinVectors(FuseMapModel& model, const std::vector<std::string>& vectors) {
  VectorRun run;
  const int pins = model.Pins();
  std::vector<int> drive(static_cast<std::size_t>(pins) + 1, -1);
  model.TakeUnsettled();  // before the first vector nothing is applied yet
  for (std::size_t n = 0; n < vectors.size(); ++n) {
    const std::string& v = vectors[n];
    std::vector<std::string> phases(static_cast<std::size_t>(pins) + 1);
    std::size_t steps = 1;
    bool preload = false;
    std::vector<int> unsettled;
    const auto take_unsettled = [&] {
      for (int pin : model.TakeUnsettled()) {
        if (std::find(unsettled.begin(), unsettled.end(), pin) == unsettled.end()) unsettled.push_back(pin);
      }
    };
    for (int pin = 1; pin <= pins && pin <= static_cast<int>(v.size()); ++pin) {
      const char c = v[static_cast<std::size_t>(pin - 1)];
      std::string& p = phases[static_cast<std::size_t>(pin)];
      switch (c) {
        case '0':
          p = "0";
          break;
        case '1':
          p = "1";
          break;
        case 'C':
          p = "010";
          break;
        case 'K':
          p = "101";
          break;
        case 'U':
          p = "01";
          break;
        case 'D':
          p = "10";
          break;
        case 'P':
          p = "0";
          preload = true;
          break;  // held low while the registers load
        case 'X':
          p = "x";
          break;
        default:
          break;  // expected levels and supply pins are not driven
      }
      steps = std::max(steps, p.size());
    }
    for (std::size_t step = 0; step < steps; ++step) {
      for (int pin = 1; pin <= pins; ++pin) {
        const std::string& p = phases[static_cast<std::size_t>(pin)];
        if (p.empty()) {
          drive[static_cast<std::size_t>(pin)] = -1;
        } else {
          const char c = p[std::min(step, p.size() - 1)];
          drive[static_cast<std::size_t>(pin)] = c == 'x' ? -1 : c - '0';
        }
      }
      model.Apply(drive);
      take_unsettled();
      if (step == 0 && preload) {
        // The registers take the levels the vector puts on their pins, as
        // inputs (0, 1: the chip's preload) or as expected levels (H, L).
        std::vector<int> levels(static_cast<std::size_t>(pins) + 1, -1);
        for (int pin = 1; pin <= pins && pin <= static_cast<int>(v.size()); ++pin) {
          const char want = v[static_cast<std::size_t>(pin - 1)];
          if (want == 'H' || want == 'L' || want == '0' || want == '1')
            levels[static_cast<std::size_t>(pin)] = want == 'H' || want == '1' ? 1 : 0;
        }
        model.Preload(levels);
        take_unsettled();
      }
    }
    std::string shown = v;
    bool ok = true;
    for (int pin = 1; pin <= pins && pin <= static_cast<int>(v.size()); ++pin) {
      const char want = v[static_cast<std::size_t>(pin - 1)];
      const char got = model.Level(pin);
      if (want == 'N' && model.IsOutput(pin))
        shown[static_cast<std::size_t>(pin - 1)] = got;  // shown, not tested
      if ((want == '0' || want == '1') && !preload && model.IsOutput(pin) && got != 'Z') {
        // The vector drives a pin the device drives too (a preload loads the
        // register behind an enabled output instead).
        ok = false;
        run.mismatches.push_back({static_cast<int>(n) + 1, pin, got, 'Z'});
        continue;
      }
      if (want != 'H' && want != 'L' && want != 'Z') continue;
      shown[static_cast<std::size_t>(pin - 1)] = got;
      if (got != want) {
        ok = false;
        run.mismatches.push_back({static_cast<int>(n) + 1, pin, got, want});
      }
    }
    std::sort(unsettled.begin(), unsettled.end());
    for (int pin : unsettled) {
      ok = false;
      run.unsettled.push_back({static_cast<int>(n) + 1, pin});
    }
    run.shown.push_back(std::move(shown));
    if (ok) ++run.passed;
  }
  return run;
}

}  // namespace abelc
