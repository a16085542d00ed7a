// tests/vrml/builder_limits_test.cpp -- the limits on one build: objects,
// faces and inline reads; a world past them keeps what was built, and one
// message names its file.
#include "tests/vrml/builder_ext_fixture.h"
#include "vrml/buildlimits.h"

namespace {

// Levels of "DEF Ln Separator { USE Ln-1 Translation { ... } USE Ln-1 }":
// each doubles the instances of the Cube at the bottom, so the tree asks
// for 2^levels cubes from a few hundred bytes.
std::string doublingWorld(int levels) {
  std::string text = "DEF L0 Cube { }\n";
  for (int n = 1; n <= levels; ++n) {
    std::string previous = "L" + std::to_string(n - 1);
    text += "DEF L" + std::to_string(n) + " Separator { USE " + previous +
            " Translation { translation 1 0 0 } USE " + previous + " }\n";
  }
  return text;
}

class BuildLimitsTest : public ExtensionTest {
 protected:
  void SetUp() override {
    ExtensionTest::SetUp();
    saved = zmGetBuildLimits();
  }
  void TearDown() override {
    zmSetBuildLimits(&saved);
    ExtensionTest::TearDown();
  }
  void setLimits(int64_t objects, int64_t faces, int64_t inlineReads) {
    ZmBuildLimits limits = {objects, faces, inlineReads};
    zmSetBuildLimits(&limits);
  }
  int limitMessages() const {
    int count = 0;
    for (const std::string& m : builderMessages) count += m.find("the world is too large") != std::string::npos;
    return count;
  }
  int64_t facesOfWorld() {
    int64_t faces = 0;
    for (ZmObj* object : allObjects())
      for (ZmLeaf* leaf = object->leaf; leaf; leaf = leaf->next) faces += leaf->kind == ZM_LEAF_FACE;
    return faces;
  }

  ZmBuildLimits saved;
};

TEST_F(BuildLimitsTest, DefaultsAllowLargeWorldsButNotAnInstancingBlowUp) {
  ZmBuildLimits limits = zmGetBuildLimits();
  EXPECT_EQ(limits.maxObjects, 500000);
  EXPECT_EQ(limits.maxFaces, 2000000);
}

TEST_F(BuildLimitsTest, ObjectLimitStopsTheBuildAndKeepsWhatWasBuilt) {
  setLimits(100, 1000000, 100);
  std::string path = fileWith(doublingWorld(25));
  ASSERT_EQ(parseVRMLIntoWorld(path.c_str(), world), 0);
  // The build ran up to the limit; placing then unwraps the top-level
  // Separators it finished.
  EXPECT_LE(world->objectCount, 100);
  EXPECT_GT(world->objectCount, 50);
  EXPECT_EQ(static_cast<int>(allObjects().size()), world->objectCount);
  EXPECT_EQ(limitMessages(), 1);
  EXPECT_TRUE(sawMessage(path + ": the world is too large"));
}

TEST_F(BuildLimitsTest, FaceLimitCountsTheFacesOfEveryBuiltShape) {
  // Each instance is one face set of two triangles.
  std::string text =
      "DEF L0 Separator { Coordinate3 { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] }"
      " IndexedFaceSet { coordIndex [ 0, 1, 2, -1, 0, 2, 3, -1 ] } }\n";
  text += doublingWorld(12).substr(std::string("DEF L0 Cube { }\n").size());
  setLimits(1000000, 50, 100);
  std::string path = fileWith(text);
  ASSERT_EQ(parseVRMLIntoWorld(path.c_str(), world), 0);
  int64_t faces = facesOfWorld();
  EXPECT_GE(faces, 50);
  EXPECT_LE(faces, 51);
  EXPECT_EQ(limitMessages(), 1);

  // The next build has a tally of its own.
  builderMessages.clear();
  ASSERT_EQ(build("DEF Small Cube { }"), 0);
  EXPECT_NE(named("Small"), nullptr);
  EXPECT_EQ(limitMessages(), 0);
}

TEST_F(BuildLimitsTest, InlineReadsStopAtTheirLimit) {
  fetchableUrls["leaf"] = worldFile("inline_leaf.wrl");
  std::string text = "Separator {";
  for (int i = 0; i < 8; ++i) text += " WWWInline { name \"leaf\" }";
  std::string path = fileWith(text + " }");
  setLimits(1000000, 1000000, 5);
  ASSERT_EQ(parseVRMLIntoWorld(path.c_str(), world), 0);
  std::vector<size_t> leavesPerInline;
  for (ZmObj* top : topObjects()) leavesPerInline.push_back(childrenOf(top).size());
  EXPECT_EQ(leavesPerInline, (std::vector<size_t>{1, 1, 1, 1, 1, 0, 0, 0}));
  EXPECT_EQ(limitMessages(), 1);
  EXPECT_TRUE(sawMessage(path + ": the world is too large; building stopped at "));
}

}  // namespace
