// The V-field scanner.
#include "fuses/jedec_vectors.h"

#include <cctype>
#include <string_view>

JedecVectors ReadJedecVectors(const std::string& bytes, int pins) {
  JedecVectors found;
  const std::size_t star = bytes.find('*');
  if (star == std::string::npos) return found;
  std::string_view text(bytes);
  text = text.substr(star + 1);
  text = text.substr(0, text.find('\x03'));
  while (!text.empty()) {
    const std::size_t end = text.find('*');
    const std::string_view field = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    std::size_t at = 0;
    while (at < field.size() && static_cast<unsigned char>(field[at]) <= ' ') ++at;
    if (at >= field.size() || (field[at] != 'V' && field[at] != 'v')) continue;
    std::size_t digits = at + 1;
    while (digits < field.size() && std::isdigit(static_cast<unsigned char>(field[digits]))) ++digits;
    if (digits == at + 1) continue;  // no number: no vector field
    const std::string number(field.substr(at + 1, digits - at - 1));
    std::string vector;
    for (char c : field.substr(digits)) {
      if (static_cast<unsigned char>(c) <= ' ') continue;
      vector += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (found.Problem.empty()) {
      if (static_cast<int>(vector.size()) != pins) {
        found.Problem = "Vector V" + number + " has " + std::to_string(vector.size()) + " pins, the device " +
                        std::to_string(pins);
      } else if (const std::size_t bad = vector.find_first_not_of("01CKUDPXHLZNF");
                 bad != std::string::npos) {
        found.Problem = "Vector V" + number + " holds '" + vector[bad] + "' for pin " +
                        std::to_string(bad + 1) + ", which no tester knows";
      }
    }
    found.Vectors.push_back(std::move(vector));
  }
  return found;
}
