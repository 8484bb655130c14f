// Cutting paths with either separator.
#include "base/paths.h"

#include <gtest/gtest.h>

namespace {

struct PathCase {
  std::string Path, Directory, File, Extension, Base;
};

TEST(Paths, BothSeparatorsEndTheDirectoryPart) {
  const PathCase cases[] = {
      {"C:\\d\\x.abl", "C:\\d\\", "x.abl", "abl", "x"},
      {"/home/u/x.abl", "/home/u/", "x.abl", "abl", "x"},
      {"C:\\mixed/dir\\name.tar.gz", "C:\\mixed/dir\\", "name.tar.gz", "gz", "name.tar"},
      {"/a.b/noext", "/a.b/", "noext", "", "noext"},
      {"plain.jed", "", "plain.jed", "jed", "plain"},
      {"dir/", "dir/", "", "", ""},
      {"", "", "", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DirectoryPart(c.Path), c.Directory) << c.Path;
    EXPECT_EQ(FilePart(c.Path), c.File) << c.Path;
    EXPECT_EQ(ExtensionOf(c.Path), c.Extension) << c.Path;
    EXPECT_EQ(BaseNameOf(c.Path), c.Base) << c.Path;
  }
}

TEST(Paths, CurrentDirectoryEndsInASeparator) {
  std::string dir = CurrentDirectoryWithSeparator();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), PathSeparator);
}

}  // namespace
