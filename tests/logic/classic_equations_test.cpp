// The equations read back from every map the classic compiler made agree
// with the reduced equations its .doc report prints: the same sum, enable,
// reset and preset functions, the same polarity, and a minimised form no
// longer than the compiler's.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "tests/logic/map_checks.h"
#include "tests/support/recording_window.h"

namespace {

std::string ClassicDir() {
  return std::string(QUELVOX_TESTDATA_DIR) + "/abel/classic";
}

struct DocEquation {
  std::string Name, Ext;  // Ext without its dot, upper case: "", "D", "OE", "C", "AR", "SP"
  bool Negated = false;   // "= !( ... )"
  std::string Comment;    // what follows the ';'
  std::vector<std::vector<std::string>> Terms;  // literals as printed; {"1"} for a constant 1
  // "((A) $ (B))", a GAL20XV10 XOR cell: Terms holds sum A, these sum B.
  std::optional<std::vector<std::vector<std::string>>> XorTerms;
};

std::vector<std::vector<std::string>> DocTerms(const std::string& sum) {
  std::vector<std::vector<std::string>> terms;
  if (sum == "0") return terms;
  std::stringstream all(sum);
  for (std::string term; std::getline(all, term, '#');) {
    std::vector<std::string> literals;
    std::stringstream parts(term);
    for (std::string literal; std::getline(parts, literal, '&');) literals.push_back(literal);
    terms.push_back(literals);
  }
  return terms;
}

// The equations of the "Programmed Logic" pages; a long list runs on over
// page headers that repeat the title.
std::vector<DocEquation> DocEquations(const std::string& doc) {
  std::vector<DocEquation> equations;
  std::size_t at = doc.find("Programmed Logic ====");
  if (at == std::string::npos) return equations;
  at = doc.find('\n', at) + 1;
  std::string statement;
  bool header = false;
  while (at < doc.size()) {
    std::size_t nl = doc.find('\n', at);
    if (nl == std::string::npos) nl = doc.size();
    std::string line = doc.substr(at, nl - at);
    at = nl + 1;
    std::erase_if(line, [](char c) { return c == '\r' || c == '\f'; });
    if (line.find("Chip Diagram ====") != std::string::npos) break;
    if (line.find("    Page ") != std::string::npos) header = true;
    if (header) {
      header = line.find("Programmed Logic ====") == std::string::npos;
      continue;
    }
    if (line.rfind("Warning ", 0) == 0) continue;  // under the equations
    const std::size_t lead = line.find_first_not_of(' ');
    if (statement.empty() && lead != std::string::npos && line[lead] == '"') {
      if (!equations.empty()) equations.back().Comment += line;
      continue;
    }
    const std::size_t semi = line.find(';');
    if (semi == std::string::npos) {
      statement += line + " ";
      continue;
    }
    statement += line.substr(0, semi);
    DocEquation e;
    e.Comment = line.substr(semi + 1);
    const std::size_t eq = statement.find('=');
    std::string lhs = statement.substr(0, eq), rhs = statement.substr(eq + 1);
    statement.clear();
    lhs.erase(std::remove(lhs.begin(), lhs.end(), ' '), lhs.end());
    const std::size_t dot = lhs.find('.');
    e.Name = lhs.substr(0, dot);
    if (dot != std::string::npos) e.Ext = lhs.substr(dot + 1);
    rhs.erase(std::remove(rhs.begin(), rhs.end(), ' '), rhs.end());
    if (rhs.rfind("!(", 0) == 0) {
      e.Negated = true;
      rhs = rhs.substr(1);
    }
    if (!rhs.empty() && rhs.front() == '(') rhs = rhs.substr(1, rhs.size() - 2);
    if (const std::size_t x = rhs.find(")$"); x != std::string::npos) {  // "(A)$(B)", "(A)$0"
      std::string right = rhs.substr(x + 2);
      if (right.front() == '(') right = right.substr(1, right.size() - 2);
      e.Terms = DocTerms(rhs.substr(1, x - 1));
      e.XorTerms = DocTerms(right);
    } else {
      e.Terms = DocTerms(rhs);
    }
    equations.push_back(e);
  }
  return equations;
}

// The doc's cover over pin numbers, with each feedback read as the decoder
// reads its column: .FB and plain names at pin level, .Q the flip-flop.
abelc::Cover DocSum(const MapLogic& l, const std::vector<std::vector<std::string>>& terms,
                    std::string& error) {
  abelc::Cover cover;
  for (const std::vector<std::string>& term : terms) {
    abelc::Cube cube;
    for (std::string literal : term) {
      if (literal == "1") continue;
      bool value = true;
      if (literal[0] == '!') {
        value = false;
        literal = literal.substr(1);
      }
      const std::size_t dot = literal.find('.');
      const std::string name = literal.substr(0, dot),
                        ext = dot == std::string::npos ? "" : literal.substr(dot + 1);
      int pin = 0;
      for (std::size_t p = 1; p < l.PinNames.size(); ++p) {
        if (l.PinNames[p] == name) pin = static_cast<int>(p);
      }
      if (pin == 0) {
        error += "unknown name " + name + "\n";
        continue;
      }
      const CellLogic* c = l.CellAt(pin);
      if (ext == "Q" && c && c->Registered && !(c->ActiveHigh && !l.Arch->IsV8())) value = !value;
      cube = abelc::Intersect(cube, abelc::Literal(pin, value));
    }
    cover.push_back(cube);
  }
  return cover;
}

abelc::Cover DocCover(const MapLogic& l, const DocEquation& e, std::string& error) {
  const abelc::Cover a = DocSum(l, e.Terms, error);
  return e.XorTerms ? abelc::Xor(a, DocSum(l, *e.XorTerms, error)) : a;
}

// The classic maps, as paths without the extension: the examples, and those
// of our GAL18V10, GAL26CV12, GAL26V12 and GAL20RA10 designs whose report is kept.
std::vector<std::string> ClassicMaps() {
  std::vector<std::string> names;
  for (const std::string& dir : {ClassicDir(), std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/fit/classic",
                                 std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/maps/p20xv10"}) {
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      std::filesystem::path doc = entry.path();
      doc.replace_extension(".doc");
      // GAL6001/6002 reports print buried and input-cell nodes this reader of
      // reports does not parse; the round trip checks those maps.
      if (entry.path().extension() == ".jed" && std::filesystem::exists(doc) &&
          !entry.path().stem().string().starts_with("gal600"))
        names.push_back((entry.path().parent_path() / entry.path().stem()).string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ClassicEquations, AgreeWithTheReducedEquationsOfEveryReport) {
  const std::vector<std::string> maps = ClassicMaps();
  ASSERT_GE(maps.size(), 20u);
  for (const std::string& name : maps) {
    TestWindowScope scope;
    const std::optional<MapLogic> logic = DecodeFile(name + ".jed");
    ASSERT_TRUE(logic) << name;
    EXPECT_EQ(logic->NamesFrom, "the NOTE PINS lines") << name;
    const std::vector<DocEquation> equations = DocEquations(ReadBytes(name + ".doc"));
    EXPECT_FALSE(equations.empty()) << name;
    for (const DocEquation& e : equations) {
      const std::string what = name + ": " + e.Name + (e.Ext.empty() ? "" : "." + e.Ext);
      std::string error;
      const abelc::Cover doc = DocCover(*logic, e, error);
      EXPECT_EQ(error, "") << what;
      // The GAL20RA10's reset (.AR, .RE) and preset (.AP, .PR) are each register's own.
      const bool reset = e.Ext == "AR" || e.Ext == "RE", preset = e.Ext == "AP" || e.Ext == "PR";
      if ((e.Ext == "AR" || e.Ext == "SP") && !logic->CellControls()) {
        EXPECT_TRUE(SameFunction(doc, OverPins(*logic, e.Ext == "AR" ? logic->Reset : logic->Preset)))
            << what;
        continue;
      }
      int pin = 0;
      for (std::size_t p = 1; p < logic->PinNames.size(); ++p) {
        if (logic->PinNames[p] == e.Name) pin = static_cast<int>(p);
      }
      const CellLogic* c = logic->CellAt(pin);
      ASSERT_TRUE(c && c->Role == CellRole::Output) << what;
      if (reset || preset) {
        EXPECT_TRUE(SameFunction(doc, OverPins(*logic, reset ? c->ResetTerm : c->PresetTerm))) << what;
        continue;
      }
      if (e.Ext == "C") {  // pin 1, on the 26V12 pin 4, on the GAL20RA10 a term
        const abelc::Cover clock = logic->CellControls() ? OverPins(*logic, c->ClockTerm)
                                                         : abelc::Cover{abelc::Literal(c->ClockPin, true)};
        EXPECT_TRUE(SameFunction(doc, clock)) << what;
        continue;
      }
      if (e.Ext == "OE") {
        if (c->Enable == EnableKind::OePin) {
          EXPECT_TRUE(SameFunction(doc, {abelc::Literal(logic->Arch->oe_pin, false)})) << what;
        } else if (logic->CellControls() && SameFunction(doc, {abelc::Literal(logic->Arch->oe_pin, false)})) {
          // The GAL20RA10's /OE pin, outside the array, leaves the OE term true.
          EXPECT_TRUE(SameFunction(abelc::True(), OverPins(*logic, c->EnableTerm))) << what;
        } else if (c->Enable == EnableKind::Term) {
          EXPECT_TRUE(SameFunction(doc, OverPins(*logic, c->EnableTerm))) << what;
        } else {
          EXPECT_TRUE(SameFunction(doc, abelc::True())) << what;
        }
        continue;
      }
      EXPECT_EQ(c->Registered, e.Ext == "D") << what;
      EXPECT_TRUE(SameFunction(doc, OverPins(*logic, c->Terms))) << what;
      EXPECT_LE(c->Minimised.size(), doc.size()) << what;
      EXPECT_TRUE(SameFunction(OverPins(*logic, c->Minimised), doc)) << what;
      if (!c->Registered) {
        EXPECT_EQ(c->ActiveHigh, !e.Negated) << what;
      } else if (!logic->Arch->IsV8() &&
                 !logic->Arch->IsXv()) {  // (the reports of those fold active-low pins in)
        EXPECT_EQ(c->ActiveHigh, e.Comment.find("'BUFFER'") != std::string::npos) << what;
      }
    }
    // Every output the map drives has its equation in the report, but for
    // cells the compiler left as constant outputs.
    for (const CellLogic& c : logic->Cells) {
      if (c.Role != CellRole::Output || c.Terms.empty()) continue;
      const std::string& cellName = logic->PinNames[static_cast<std::size_t>(c.Pin)];
      EXPECT_TRUE(std::any_of(equations.begin(), equations.end(),
                              [&](const DocEquation& e) { return e.Name == cellName; }))
          << name << ": " << cellName;
    }
  }
}

}  // namespace
