// Inputs the fuzzer once found to hang or crash the compiler, kept in
// tests/abelc/fuzz/. Each goes through every stage to the four files as the
// fuzz target does, and must end with a verdict of its own: errors in the
// listing, never the "internal error" of a stage that threw, or a fuse file
// that the program's own reader opens without a word.
#include <gtest/gtest.h>

#include "abelc/compile.h"
#include "fuses/fuse_file_load.h"
#include "fuses/jedec_reader.h"
#include "golden_support.h"
#include "tests/support/recording_window.h"

namespace {

TEST(FuzzInputs, EachEndsWithAVerdictOfItsOwn) {
  const std::vector<std::string> names = abelc_test::DesignNames("fuzz");
  ASSERT_FALSE(names.empty());
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const std::string source = abelc_test::ReadText(abelc_test::DesignDir("fuzz") + "/" + name + ".abl");
    const abelc::CompiledFiles files = abelc::CompileToFiles("abelcpl.abl", source, "2026-01-01 00:00:00");
    EXPECT_EQ(files.listing.find("internal error"), std::string::npos) << files.listing;
    if (files.ok) {
      TestWindowScope scope;
      EXPECT_GE(DeviceCodeForFuseCount(ReadJedecText(files.jed)), 0);
      EXPECT_TRUE(scope.window().LogLines.empty());
    } else {
      EXPECT_NE(files.listing.find("error"), std::string::npos) << files.listing;
    }
  }
}

}  // namespace
