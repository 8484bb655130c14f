// Real designs of other tools, rewritten in ABEL: the maps we fit behave
// exactly like the maps those tools made, on every input combination and
// register state (the fuse-map model runs both).
#include <gtest/gtest.h>

#include "abelc/compile.h"
#include "abelc/fuse_model.h"
#include "fit_support.h"

namespace {

using namespace abelc;
using namespace abelc_fit_test;

const struct {
  const char* design;  // tests/abelc/fit/real/<design>.abl, and the shared <design>.jed
  GalMode mode;
} kRealDesigns[] = {
    {"galette_GAL16V8_combinatorial", GalMode::Simple}, {"galette_GAL16V8_tri", GalMode::Complex},
    {"galette_GAL16V8_reg", GalMode::Registered},       {"galette_GAL20V8_reg", GalMode::Registered},
    {"galette_GAL22V10_arsp", GalMode::Macrocells},     {"galette_GAL22V10_invertedreg", GalMode::Macrocells},
};

TEST(RealDesigns, OurMapsBehaveLikeTheMapsOfOtherTools) {
  for (const auto& d : kRealDesigns) {
    SCOPED_TRACE(d.design);
    const std::string source =
        ReadFile(std::string(QUELVOX_SOURCE_DIR) + "/tests/abelc/fit/real/" + d.design + ".abl");
    Compilation c = CompileSource(source);
    ASSERT_FALSE(c.diags.HasErrors());
    std::optional<FitResult> fit = FitDesign(c.model, c.minimised, c.diags);
    ASSERT_TRUE(fit) << (c.diags.List().empty() ? "" : c.diags.List().front().message);
    EXPECT_EQ(fit->mode, d.mode);
    JedecMap theirs = ReadJedec(ReadFile(TestData(std::string(d.design) + ".jed")));
    std::vector<int> inputs, outputs;
    for (std::size_t s = 0; s < c.model.signals.size(); ++s) {
      bool is_output = false;
      for (const Output& o : c.model.outputs) is_output = is_output || o.signal == static_cast<int>(s);
      const int pin = fit->pin_of[s];
      if (pin > 1) (is_output ? outputs : inputs).push_back(pin);
    }
    for (const std::string& p :
         CompareMaps(c.model.device.family, theirs.fuses, fit->fuses, inputs, outputs)) {
      ADD_FAILURE() << p;
    }
  }
}

}  // namespace
