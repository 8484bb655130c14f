// Inputs the fuzzer once found to hang or crash the compiler, kept in
// tests/abelc/fuzz/. Each goes through the fuzz target's own session: every
// stage to the four files, then the fuse file through the program's reader.
#include <gtest/gtest.h>

#include "fuzz/abelc_session.h"
#include "golden_support.h"

namespace {

TEST(FuzzInputs, EachEndsWithAVerdictOfItsOwn) {
  const std::vector<std::string> names = abelc_test::DesignNames("fuzz");
  ASSERT_FALSE(names.empty());
  for (const std::string& name : names) {
    const std::string source = abelc_test::ReadText(abelc_test::DesignDir("fuzz") + "/" + name + ".abl");
    EXPECT_EQ(CompileFuzzedDesign(source), "") << name;
  }
}

}  // namespace
