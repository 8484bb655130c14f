// The TEST_VECTORS reader: a small tokenizer, the header's pin lists and
// the rows.
#include "logic/abel_vectors.h"

#include <cctype>
#include <cstdint>
#include <optional>

namespace {

struct Token {
  std::string Text;  // upper case; numbers with their radix prefix
  int Line = 0;
  std::string Written;  // as the text has it, for the messages
};

bool IsWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '^';
}

std::vector<Token> Tokens(const std::string& text) {
  std::vector<Token> tokens;
  int line = 1;
  for (std::size_t at = 0; at < text.size();) {
    const char c = text[at];
    if (c == '\n') ++line;
    if (static_cast<unsigned char>(c) <= ' ') {
      ++at;
    } else if (c == '"') {  // a comment ends at the next quote or the line's end
      ++at;
      while (at < text.size() && text[at] != '"' && text[at] != '\n') ++at;
      if (at < text.size() && text[at] == '"') ++at;
    } else if (text.compare(at, 2, "//") == 0) {
      while (at < text.size() && text[at] != '\n') ++at;
    } else if (text.compare(at, 2, "->") == 0 || text.compare(at, 2, "..") == 0) {
      tokens.push_back({text.substr(at, 2), line, text.substr(at, 2)});
      at += 2;
    } else if (c == '.' && at + 2 < text.size() && text[at + 2] == '.' &&
               std::isalpha(static_cast<unsigned char>(text[at + 1]))) {
      tokens.push_back(
          {std::string(".") + static_cast<char>(std::toupper(static_cast<unsigned char>(text[at + 1]))) + ".",
           line, text.substr(at, 3)});
      at += 3;
    } else if (IsWordChar(c)) {
      const std::size_t start = at;
      std::string word;
      while (at < text.size() && IsWordChar(text[at]))
        word += static_cast<char>(std::toupper(static_cast<unsigned char>(text[at++])));
      tokens.push_back({word, line, text.substr(start, at - start)});
    } else {
      tokens.push_back({std::string(1, c), line, std::string(1, c)});
      ++at;
    }
  }
  return tokens;
}

// The value of a number token, or nothing when it is none.
std::optional<std::uint64_t> NumberOf(const std::string& text) {
  int radix = 10;
  std::size_t at = 0;
  if (text.size() > 2 && text[0] == '^') {
    const std::string prefixes = "BODH";
    const int radixes[] = {2, 8, 10, 16};
    const std::size_t which = prefixes.find(text[1]);
    if (which == std::string::npos) return std::nullopt;
    radix = radixes[which];
    at = 2;
  }
  if (at >= text.size()) return std::nullopt;
  std::uint64_t value = 0;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                      : c >= 'A' && c <= 'F'                      ? c - 'A' + 10
                                                                  : 99;
    if (digit >= radix ||
        value > (UINT64_MAX - static_cast<std::uint64_t>(digit)) / static_cast<std::uint64_t>(radix))
      return std::nullopt;
    value = value * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(digit);
  }
  return value;
}

class Reader {
 public:
  Reader(std::vector<Token> tokens, const std::vector<std::string>& names)
      : tokens_(std::move(tokens)), names_(names), pins_(static_cast<int>(names.size()) - 1) {}

  AbelVectors Read() {
    AbelVectors out;
    if (Peek() == "TEST_VECTORS") ++at_;
    const bool paren = Peek() == "(";
    if (paren) ++at_;
    std::vector<std::vector<int>> ins, outs;
    if (!PinSide(ins) || !Expect("->") || !PinSide(outs) || (paren && !Expect(")"))) return Fail(out);
    while (at_ < tokens_.size() && Peek() != "END") {
      std::string v(static_cast<std::size_t>(pins_), 'X');
      v[static_cast<std::size_t>(pins_ / 2 - 1)] = 'N';
      v[static_cast<std::size_t>(pins_ - 1)] = 'N';
      std::vector<std::string> in, result;
      if (!ValueSide(ins, in) || !Expect("->") || !ValueSide(outs, result) || !Expect(";")) return Fail(out);
      std::size_t k = 0;
      for (const auto& group : ins) {
        for (int pin : group) {
          const std::string& value = in[k++];
          const char c = value == ".Z." ? 'X' : value.size() == 1 ? value[0] : value[1];
          v[static_cast<std::size_t>(pin - 1)] = c;
        }
      }
      k = 0;
      for (const auto& group : outs) {
        for (int pin : group) {
          const std::string& value = result[k++];
          char& c = v[static_cast<std::size_t>(pin - 1)];
          const bool driven = c == '0' || c == '1';
          if (value == "1" || value == "0") {
            c = value == "1" ? 'H' : 'L';
          } else if (!driven) {
            c = value == ".Z." ? 'Z' : 'N';
          }
        }
      }
      out.Vectors.push_back(std::move(v));
    }
    if (out.Vectors.empty()) {
      problem_ = "no vectors after the header";
      return Fail(out);
    }
    return out;
  }

 private:
  std::string Peek() const { return at_ < tokens_.size() ? tokens_[at_].Text : ""; }
  int Line() const {
    return at_ < tokens_.size() ? tokens_[at_].Line : tokens_.empty() ? 1 : tokens_.back().Line;
  }

  AbelVectors& Fail(AbelVectors& out) {
    out.Vectors.clear();
    if (problem_.empty())
      problem_ = Peek().empty() ? "the text ends too early" : "\"" + Peek() + "\" unexpected";
    out.Problem = "Test vectors, line " + std::to_string(Line()) + ": " + problem_;
    return out;
  }

  bool Expect(const std::string& text) {
    if (Peek() != text) {
      problem_ = "\"" + text + "\" expected" + (Peek().empty() ? "" : ", not \"" + Peek() + "\"");
      return false;
    }
    ++at_;
    return true;
  }

  // The pin a word names, compared without case as the design's names are;
  // nothing, and why, for a word that names no pin or more than one.
  std::optional<std::uint64_t> PinNamed() {
    const std::string& word = tokens_[at_].Written;
    int found = 0;
    for (int pin = 1; pin <= pins_; ++pin) {
      std::string name = names_[static_cast<std::size_t>(pin)];
      for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (name != Peek()) continue;
      if (found) {
        problem_ = "\"" + word + "\" names pins " + std::to_string(found) + " and " + std::to_string(pin);
        return std::nullopt;
      }
      found = pin;
    }
    if (!found) problem_ = "\"" + word + "\" names no pin of the map";
    return found ? std::optional<std::uint64_t>(found) : std::nullopt;
  }

  // A pin number, a range n..m, or a pin's name: its pins in order.
  bool PinItem(std::vector<int>& group) {
    const bool named =
        !Peek().empty() && (std::isalpha(static_cast<unsigned char>(Peek()[0])) || Peek()[0] == '_');
    const std::optional<std::uint64_t> first = named ? PinNamed() : NumberOf(Peek());
    if (!first) {
      if (!named)
        problem_ =
            "a pin number or name expected" + (Peek().empty() ? std::string() : ", not \"" + Peek() + "\"");
      return false;
    }
    ++at_;
    std::uint64_t last = *first;
    if (!named && Peek() == "..") {
      ++at_;
      const std::optional<std::uint64_t> end = NumberOf(Peek());
      if (!end) {
        problem_ = "a pin number expected after \"..\"";
        return false;
      }
      ++at_;
      last = *end;
    }
    for (std::uint64_t pin = *first;; pin = pin < last ? pin + 1 : pin - 1) {
      if (pin < 1 || pin > static_cast<std::uint64_t>(pins_) ||
          pin == static_cast<std::uint64_t>(pins_ / 2) || pin == static_cast<std::uint64_t>(pins_)) {
        problem_ =
            "pin " + std::to_string(pin) + " is no signal pin of a " + std::to_string(pins_) + "-pin device";
        return false;
      }
      group.push_back(static_cast<int>(pin));
      if (pin == last) break;
    }
    return true;
  }

  // One side of the header: a pin item, or a bracketed list of them; each
  // item is a place a value fills.
  bool PinSide(std::vector<std::vector<int>>& side) {
    if (Peek() != "[") {
      side.emplace_back();
      return PinItem(side.back());
    }
    ++at_;
    do {
      side.emplace_back();
      if (!PinItem(side.back())) return false;
    } while (Peek() == "," && ++at_);
    return Expect("]");
  }

  // One value for the pins of a place: per pin "0", "1" or a dot value.
  bool Value(std::size_t width, std::vector<std::string>& levels) {
    const std::string t = Peek();
    if (t.size() == 3 && t[0] == '.' && t[2] == '.') {
      if (std::string("XCKUDPZ").find(t[1]) == std::string::npos) {
        problem_ = "\"" + t + "\" is no test value";
        return false;
      }
      ++at_;
      levels.insert(levels.end(), width, t);
      return true;
    }
    const std::optional<std::uint64_t> n = NumberOf(t);
    if (!n) {
      problem_ = "a value expected" + (t.empty() ? std::string() : ", not \"" + t + "\"");
      return false;
    }
    if (width < 64 && *n >> width != 0) {
      problem_ = t + " does not fit in " + std::to_string(width) + (width == 1 ? " pin" : " pins");
      return false;
    }
    ++at_;
    for (std::size_t bit = width; bit-- > 0;) levels.push_back(bit < 64 && (*n >> bit & 1) ? "1" : "0");
    return true;
  }

  // The values of one side: a single value spread over all its pins, or a
  // bracketed list with one value per pin or one per place of the header
  // (a range n..m is one place).
  bool ValueSide(const std::vector<std::vector<int>>& side, std::vector<std::string>& levels) {
    std::size_t all = 0;
    for (const auto& group : side) all += group.size();
    if (Peek() != "[") return Value(all, levels);
    ++at_;
    const std::size_t first = at_;
    std::size_t count = 0;
    for (;; ++at_) {
      if (Peek().empty() || Peek() == "]" || Peek() == ";") break;
      if (Peek() != ",") ++count;
    }
    const std::size_t end = at_;
    if (count != all && count != side.size()) {
      problem_ = std::to_string(count) + (count == 1 ? " value" : " values") + " where the header has " +
                 std::to_string(all) + (all == 1 ? " pin" : " pins");
      return false;
    }
    at_ = first;
    for (std::size_t k = 0; k < count; ++k) {
      if (k > 0 && !Expect(",")) return false;
      if (!Value(count == all ? 1 : side[k].size(), levels)) return false;
    }
    return at_ == end && Expect("]");
  }

  std::vector<Token> tokens_;
  const std::vector<std::string>& names_;
  int pins_;
  std::size_t at_ = 0;
  std::string problem_;
};

}  // namespace

AbelVectors ReadAbelVectors(const std::string& text, const std::vector<std::string>& names) {
  return Reader(Tokens(text), names).Read();
}
