// A tolerant JEDEC field reader, enough for the maps other tools wrote.
#include "fit_support.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace abelc_fit_test {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string TestData(const std::string& name) { return std::string(QUELVOX_TESTDATA_DIR) + "/jedec/" + name; }

JedecMap ReadJedec(const std::string& text) {
  JedecMap map;
  std::size_t start = text.find('\x02');
  std::size_t end = text.find('\x03');
  std::string body = text.substr(start == std::string::npos ? 0 : start + 1,
                                 end == std::string::npos ? std::string::npos : end - start - 1);
  std::size_t first = body.find('*');
  int fill = 0;
  std::vector<std::pair<int, std::string>> rows;
  std::istringstream fields(first == std::string::npos ? "" : body.substr(first + 1));
  std::string field;
  while (std::getline(fields, field, '*')) {
    std::size_t i = field.find_first_not_of(" \r\n\t");
    if (i == std::string::npos) continue;
    field = field.substr(i);
    std::string digits;
    for (char c : field) {
      if (!std::isspace(static_cast<unsigned char>(c))) digits += c;
    }
    if (field.rfind("QF", 0) == 0) {
      map.fuse_count = std::stoi(digits.substr(2));
    } else if (field[0] == 'F') {
      fill = digits[1] - '0';
    } else if (field[0] == 'L') {
      std::size_t n = 1;
      while (n < field.size() && std::isdigit(static_cast<unsigned char>(field[n]))) ++n;
      std::string bits;
      for (char c : field.substr(n)) {
        if (c == '0' || c == '1') bits += c;
      }
      rows.push_back({std::stoi(field.substr(1, n - 1)), bits});
    } else if (field[0] == 'V') {
      std::istringstream v(field.substr(1));
      std::string number, pins;
      v >> number >> pins;
      map.vectors.push_back(pins);
    }
  }
  map.fuses.assign(static_cast<std::size_t>(map.fuse_count), static_cast<std::uint8_t>(fill));
  for (const auto& [at, bits] : rows) {
    for (std::size_t k = 0; k < bits.size() && at + k < map.fuses.size(); ++k) map.fuses[at + k] = bits[k] == '1';
  }
  return map;
}

}  // namespace abelc_fit_test
