// Every ok design of the front end's collection, fitted: the fuse-map model
// of its map behaves like its equations everywhere, and its test vectors pass
// on the map.
#include <gtest/gtest.h>

#include <filesystem>

#include "abelc/compile.h"
#include "fit_support.h"

namespace {

using namespace abelc;
using namespace abelc_fit_test;

const std::string kOkDir = std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/ok";

TEST(FitOkDesigns, TheMapBehavesLikeTheEquationsAndPassesTheVectors) {
  int fitted = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kOkDir)) {
    if (entry.path().extension() != ".abl") continue;
    const std::string name = entry.path().stem().string();
    SCOPED_TRACE(name);
    const std::string source = ReadFile(entry.path().string());
    Compilation c = CompileSource(source);
    ASSERT_FALSE(c.diags.HasErrors());
    std::optional<FitResult> fit = FitDesign(c.model, c.minimised, c.diags);
    std::string errors;
    for (const Diagnostic& d : c.diags.List()) errors += d.message + "\n";
    ASSERT_TRUE(fit) << errors;
    ++fitted;
    for (const std::string& p : CompareWithModel(c.model, *fit)) ADD_FAILURE() << p;
    CompiledFiles files = CompileToFiles(name + ".abl", source, "Thu Jan  1 00:00:00 2026");
    std::size_t n = 0;
    for (const auto& t : c.model.vectors) n += t.rows.size();
    const std::string passed = std::to_string(n) + " out of " + std::to_string(n) + " vectors passed.";
    EXPECT_NE(files.listing.find(passed), std::string::npos) << files.listing;
    EXPECT_NE(files.sim.find(passed), std::string::npos) << files.sim;
  }
  EXPECT_GE(fitted, 54);
}

}  // namespace
