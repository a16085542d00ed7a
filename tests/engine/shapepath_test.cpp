// The shape search path: editing it, the lookup order, the empty element
// that ends a search, names with '\\' or in another letter case, and the
// path taken from RWSHAPEPATH when the library opens.
#include "engine/shapepath.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/clump.h"
#include "engine/library.h"
#include "engine/shapefile.h"
#include "shape_fixture.h"

namespace {

using ShapePath = ShapeFiles;

TEST_F(ShapePath, EditingModes) {
  struct Step {
    const char* text;
    int mode;
    int error;  // 0: accepted
    const char* path;
  };
  const Step steps[] = {
      {"b", rwAppendPath, 0, "b"},  // an empty path is replaced whatever the mode
      {"a", rwPrependPath, 0, "a;b"},      {"c", rwAppendPath, 0, "a;b;c"},
      {"x", 7, rwErrCombineMode, "a;b;c"}, {nullptr, rwReplacePath, rwErrInvalidArgument, "a;b;c"},
      {"d", rwReplacePath, 0, "d"},
  };
  EXPECT_STREQ(RwGetShapePath(), "");
  for (const Step& step : steps) {
    SCOPED_TRACE(step.path);
    EXPECT_EQ(RwSetShapePath(step.text, step.mode), step.error ? 0 : 1);
    EXPECT_EQ(RwGetAndClearError(), step.error);
    EXPECT_STREQ(RwGetShapePath(), step.path);
  }
  std::string longest(1022, 'p');
  EXPECT_EQ(RwSetShapePath(longest.c_str(), rwReplacePath), 1);
  EXPECT_EQ(RwSetShapePath("q", rwAppendPath), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrPathTooLong);
  EXPECT_EQ(RwSetShapePath((longest + "p").c_str(), rwReplacePath), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrPathTooLong);
  EXPECT_EQ(RwGetShapePath(), longest);
  // Joined, the path may grow to 1023 characters, one more than a path
  // given whole, whichever end takes the new text.
  for (int mode : {rwPrependPath, rwAppendPath}) {
    SCOPED_TRACE(mode);
    const std::string old(1021, 'o');
    ASSERT_EQ(RwSetShapePath(old.c_str(), rwReplacePath), 1);
    EXPECT_EQ(RwSetShapePath("n", mode), 1);
    EXPECT_EQ(RwGetAndClearError(), 0);
    EXPECT_EQ(RwGetShapePath(), mode == rwPrependPath ? "n;" + old : old + ";n");
    EXPECT_EQ(RwSetShapePath("n", mode), 0);
    EXPECT_EQ(RwGetAndClearError(), rwErrPathTooLong);
  }
}

TEST_F(ShapePath, SearchOrderAndTheEmptyElement) {
  std::string inA = write("a/both.rwx", "");
  write("b/both.rwx", "");
  std::string onlyB = write("b/only.rwx", "");
  std::string a = folder() + "/a", b = folder() + "/b";

  EXPECT_EQ(RwFindFile("only.rwx"), nullptr);  // no path: relative names are not found
  EXPECT_STREQ(RwFindFile(onlyB.c_str()), onlyB.c_str());

  RwSetShapePath((a + ";" + b).c_str(), rwReplacePath);
  EXPECT_STREQ(RwFindFile("only.rwx"), onlyB.c_str());
  EXPECT_STREQ(RwFindFile("both.rwx"), inA.c_str());
  EXPECT_EQ(RwFindFile("none.rwx"), nullptr);

  RwSetShapePath((a + ";;" + b).c_str(), rwReplacePath);
  EXPECT_EQ(RwFindFile("only.rwx"), nullptr);
  RwSetShapePath((";" + b).c_str(), rwReplacePath);
  EXPECT_EQ(RwFindFile("only.rwx"), nullptr);
  EXPECT_EQ(RwReadShape("only.rwx"), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrFileNotFound);
}

TEST_F(ShapePath, BackslashesAndLetterCaseResolve) {
  std::string shape = write("Models/Chair/leg.rwx", "");
  RwSetShapePath((folder() + "\\models").c_str(), rwReplacePath);
  EXPECT_STREQ(RwFindFile("chair\\LEG.RWX"), shape.c_str());
  EXPECT_STREQ(RwFindFile((folder() + "\\MODELS\\chair\\Leg.rwx").c_str()), shape.c_str());
  EXPECT_EQ(RwFindFile("chair\\arm.rwx"), nullptr);
}

TEST_F(ShapePath, EnvironmentPathIsInstalledAtOpen) {
  setenv("RWSHAPEPATH", "/x;/y", 1);
  RwClose();
  ASSERT_EQ(RwOpenDefault("NullDevice", 0), 1);
  EXPECT_STREQ(RwGetShapePath(), "/x;/y");
  unsetenv("RWSHAPEPATH");
  RwClose();
  ASSERT_EQ(RwOpenDefault("NullDevice", 0), 1);
  EXPECT_STREQ(RwGetShapePath(), "");
}

}  // namespace
