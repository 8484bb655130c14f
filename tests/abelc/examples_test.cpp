// The project's own designs: every design in examples/ compiles to the .jed
// checked in beside it, and every ABEL code block of docs/abel.md compiles
// (or, marked abel-refused, is refused), so the documentation never shows
// what the compiler does not do.
#include <gtest/gtest.h>

#include <filesystem>

#include "abelc/compile.h"
#include "golden_support.h"

namespace {

using abelc_test::ReadText;

const std::string SourceDir = QUELVOX_SOURCE_DIR;

// The text of the "Created on: " line of a .jed; the compilation is given the
// same moment, so the two files agree byte for byte.
std::string CreatedOn(const std::string& jed) {
  const std::string key = "Created on: ";
  const auto at = jed.find(key);
  if (at == std::string::npos) return "";
  const auto end = jed.find_first_of("\r\n", at);
  return jed.substr(at + key.size(), end - at - key.size());
}

TEST(Examples, EachDesignCompilesToItsCheckedInFuseMap) {
  int designs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(SourceDir + "/examples")) {
    if (entry.path().extension() != ".abl") continue;
    ++designs;
    const std::string name = entry.path().filename().string();
    std::filesystem::path jedPath = entry.path();
    jedPath.replace_extension(".jed");
    const std::string checkedIn = ReadText(jedPath.string());
    const abelc::CompiledFiles files =
        abelc::CompileToFiles(name, ReadText(entry.path().string()), CreatedOn(checkedIn));
    ASSERT_TRUE(files.ok) << files.listing;
    EXPECT_EQ(files.jed, checkedIn) << name << " no longer compiles to " << jedPath.filename()
                                    << "; if the compiler changed on purpose, run: (cd examples && abelc "
                                    << name << ")";
  }
  EXPECT_GE(designs, 6);
}

struct CodeBlock {
  std::string Kind;  // the word after the opening fence
  std::string Text;
  int Line = 0;
};

std::vector<CodeBlock> CodeBlocks(const std::string& markdown) {
  std::vector<CodeBlock> blocks;
  std::size_t at = 0;
  int line = 1;
  CodeBlock* open = nullptr;
  while (at < markdown.size()) {
    const std::size_t end = std::min(markdown.find('\n', at), markdown.size());
    const std::string text = markdown.substr(at, end - at);
    if (text.rfind("```", 0) == 0) {
      if (open == nullptr) {
        blocks.push_back({text.substr(3), "", line});
        open = &blocks.back();
      } else {
        open = nullptr;
      }
    } else if (open != nullptr) {
      open->Text += text + "\n";
    }
    at = end + 1;
    ++line;
  }
  return blocks;
}

TEST(Examples, TheCodeBlocksOfTheLanguageGuideCompileAsTheySay) {
  int compiled = 0, refused = 0;
  for (const CodeBlock& block : CodeBlocks(ReadText(SourceDir + "/docs/abel.md"))) {
    if (block.Kind != "abel" && block.Kind != "abel-refused") continue;
    const abelc::CompiledFiles files = abelc::CompileToFiles("block.abl", block.Text, "now");
    if (block.Kind == "abel") {
      ++compiled;
      EXPECT_TRUE(files.ok) << "docs/abel.md line " << block.Line << ":\n" << files.listing;
    } else {
      ++refused;
      EXPECT_FALSE(files.ok) << "docs/abel.md line " << block.Line << " compiles, but is shown as refused";
    }
  }
  EXPECT_GE(compiled, 5);
  EXPECT_GE(refused, 13);
}

}  // namespace
