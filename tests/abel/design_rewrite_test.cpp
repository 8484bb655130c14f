// The work copy of a design: which lines are dropped, which rewritten and
// which copied, for the cases a user's design can present.
#include "abel/design_rewrite.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

TEST(DesignRewrite, Cases) {
  struct Case {
    const char* What;
    Lines Design;
    Lines Work;
  };
  const Case cases[] = {
      {"comments before the module are dropped, lines between module and device kept",
       {"\" my counter", "\" rev 2", "module my_counter", "title 'Counter'", "U1 device 'P22V10';",
        "a pin 1;", "end my_counter"},
       {"MODULE abelcpl", "title 'Counter'", "abelcpl DEVICE 'P22V10';", "a pin 1;", "end my_counter"}},
      {"module keyword in any case, the rest of its line dropped",
       {"MoDuLe Thing (x, y)", "chip DEVICE 'P16V8';"},
       {"MODULE abelcpl", "abelcpl DEVICE 'P16V8';"}},
      {"device keyword in mixed case, text after it keeps its case",
       {"MODULE m", "  Chip_1 DeViCe 'p16V8R' ; \"Device here"},
       {"MODULE abelcpl", "abelcpl DEVICE 'p16V8R' ; \"Device here"}},
      {"only the first device line is rewritten",
       {"module m", "a device 'P16V8';", "b device 'P20V8';"},
       {"MODULE abelcpl", "abelcpl DEVICE 'P16V8';", "b device 'P20V8';"}},
      {"a module line without device line: the rest copied unchanged",
       {"module m", "a pin 1;", "", "end m"},
       {"MODULE abelcpl", "a pin 1;", "", "end m"}},
      {"no module line: nothing left", {"\" nothing", "a pin 1;", "end"}, {}},
      {"an empty design", {}, {}},
      {"the word inside another word counts",
       {"\" submodules: none", "module real"},
       {"MODULE abelcpl", "module real"}},
      {"a device on the module line is not looked at",
       {"module m device", "title 'two devices'", "x device 'P16V8';"},
       {"MODULE abelcpl", "abelcpl DEVICEs'", "x device 'P16V8';"}},
      {"UTF-8 in front of and after the keyword",
       {"module m", "Ü1 device 'P16V8'; \"Größe"},
       {"MODULE abelcpl", "abelcpl DEVICE 'P16V8'; \"Größe"}},
      {"a device line at the end of the design",
       {"module m", "u device"},
       {"MODULE abelcpl", "abelcpl DEVICE"}},
  };
  for (const Case& c : cases) EXPECT_EQ(RewriteAbelDesign(c.Design), c.Work) << c.What;
}

}  // namespace
