// The tree keeps its layer order, and the check itself catches a wrong-way include.
#include "tests/structure/include_order.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;

TEST(IncludeOrder, EveryIncludeOfTheTreePointsDown) {
  for (const WrongWayInclude& wrong : FindWrongWayIncludes(QUELVOX_SOURCE_DIR)) {
    ADD_FAILURE() << wrong.File << ":" << wrong.Line << " includes \"" << wrong.Included << "\"";
  }
}

// A small tree of its own: the check must see an include that points up, in
// both spellings, and leave the ones that point down alone.
TEST(IncludeOrder, TheCheckCatchesAWrongWayInclude) {
  const fs::path root = fs::path(QUELVOX_BINARY_DIR) / "include-order-tree";
  fs::remove_all(root);
  const auto write = [&](const std::string& file, const std::string& text) {
    fs::create_directories((root / file).parent_path());
    std::ofstream(root / file) << text;
  };
  write("devices/olmc.cpp", "#include \"base/fuse_map.h\"\n#include \"fuses/fuse_map_view.h\"\n");
  write("base/log.cpp", "#include <string>\n  #  include \"commands/dispatch.h\"\n#include \"log.h\"\n");
  write("base/log.h", "");
  write("abelc/lexer.cpp", "#include \"abelc/lexer.h\"\n#include \"platform/window.h\"\n");
  write("tests/anything.cpp", "#include \"app/main_window.h\"\n");

  const std::vector<WrongWayInclude> wrong = FindWrongWayIncludes(root);
  ASSERT_EQ(wrong.size(), 3u);
  EXPECT_EQ(wrong[0].File, "abelc/lexer.cpp");
  EXPECT_EQ(wrong[0].Line, 2);
  EXPECT_EQ(wrong[1].File, "base/log.cpp");
  EXPECT_EQ(wrong[1].Included, "commands/dispatch.h");
  EXPECT_EQ(wrong[2].File, "devices/olmc.cpp");
  EXPECT_EQ(wrong[2].Included, "fuses/fuse_map_view.h");
  fs::remove_all(root);
}

TEST(IncludeOrder, SubsystemsBesideEachOtherStayApart) {
  EXPECT_FALSE(MayInclude("programmer", "abel"));
  EXPECT_FALSE(MayInclude("abel", "programmer"));
  EXPECT_FALSE(MayInclude("cli", "app"));
  EXPECT_FALSE(MayInclude("platform", "boxsim"));
  EXPECT_TRUE(MayInclude("cli", "boxsim"));
}

}  // namespace
