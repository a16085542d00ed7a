// tests/vrml/builder_lineset_test.cpp -- IndexedLineSet conversion:
// polylines, their normals and order, and polylines with nothing to draw.
#include <vector>

#include "tests/vrml/builder_fixture.h"

namespace {

std::vector<const ZmLine*> linesOf(const ZmObj* object) {
  std::vector<const ZmLine*> lines;
  for (const ZmLeaf* leaf = object->leaf; leaf; leaf = leaf->next) {
    EXPECT_EQ(leaf->kind, ZM_LEAF_LINE);
    lines.push_back(static_cast<const ZmLine*>(leaf));
  }
  return lines;
}

}  // namespace

TEST_F(BuilderTest, PolylinesBecomeLeavesAndEmptyOnesMakeNone) {
  ASSERT_EQ(parseVRMLIntoWorld(worldFile("lineset.wrl").c_str(), world), 0);
  // (0 1 2), (2 3), (1), an empty one and (8), whose only index is refused.
  std::vector<const ZmLine*> lines = linesOf(named("Lines"));
  ASSERT_EQ(lines.size(), 3u);
  const int32_t counts[] = {3, 2, 1};
  for (size_t l = 0; l < lines.size(); ++l) {
    const ZmLine* line = lines[l];
    ASSERT_EQ(line->vertex.count, counts[l]);
    EXPECT_EQ(line->texture.uv.count, counts[l]);
    EXPECT_EQ(line->materialBinding, 1);
    EXPECT_EQ(line->material->count, 1);
    EXPECT_EQ(line->normalBinding, 7);
    ASSERT_EQ(line->normal.count, counts[l]);
    for (int32_t i = 0; i < line->normal.count; ++i) {
      EXPECT_FLOAT_EQ(line->normal.values[i].x, 1.0f);
      EXPECT_FLOAT_EQ(line->normal.values[i].z, 1.0f);
    }
  }
  EXPECT_FLOAT_EQ(lines[1]->vertex.values[1].z, 3.0f);
  EXPECT_TRUE(sawMessage("QvLineTable::initLine(): Invalid coordinate index."));
  EXPECT_TRUE(sawMessage("QvLineTable::calcNormalOfLine(): a line has less than three vertices."));
  EXPECT_FALSE(sawMessage("zmMalloc: arguemnt size is 0 value."));
}

TEST_F(BuilderTest, ClockwisePolylineIsStoredReversed) {
  ASSERT_EQ(parseVRMLIntoWorld(worldFile("lineset.wrl").c_str(), world), 0);
  std::vector<const ZmLine*> lines = linesOf(named("Reversed"));
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_EQ(lines[0]->vertex.count, 3);
  EXPECT_FLOAT_EQ(lines[0]->vertex.values[0].y, 1.0f);  // point 2 first
  EXPECT_FLOAT_EQ(lines[0]->vertex.values[2].x, 0.0f);
}

TEST_F(BuilderTest, LineSetBindingsFollowTheFaceTableRules) {
  ASSERT_EQ(build("Separator { Coordinate3 { point [ 0 0 0, 1 0 0, 1 1 0 ] }"
                  " Material { diffuseColor [ 1 0 0, 0 1 0 ] } MaterialBinding { value PER_VERTEX_INDEXED }"
                  " Normal { vector [ 0 0 1 ] } NormalBinding { value OVERALL }"
                  " DEF L IndexedLineSet { coordIndex [ 0, 1, 2 ] materialIndex [ 1, -2, 3 ] } }"),
            0);
  std::vector<const ZmLine*> lines = linesOf(named("L"));
  ASSERT_EQ(lines.size(), 1u);
  const ZmLine* line = lines[0];
  EXPECT_EQ(line->materialBinding, 7);
  ASSERT_EQ(line->material->count, 3);
  EXPECT_FLOAT_EQ(line->material->diffuse_color.values[0].g, 1.0f);  // index 1
  EXPECT_FLOAT_EQ(line->material->diffuse_color.values[1].r, 1.0f);  // negative: record 0
  EXPECT_FLOAT_EQ(line->material->diffuse_color.values[2].g, 1.0f);  // 3 wraps to 1
  EXPECT_EQ(line->normalBinding, 1);
  ASSERT_EQ(line->normal.count, 1);
  EXPECT_FLOAT_EQ(line->normal.values[0].z, 1.0f);
}

TEST_F(BuilderTest, LineSetWithoutCoordinatesIsDropped) {
  ASSERT_EQ(build("Separator { DEF Kept Cube { } DEF L IndexedLineSet { coordIndex [ 0, 1 ] } }"), 0);
  EXPECT_TRUE(sawMessage("QvLineTable::setCoords(): No Coordinate3 is defined."));
  EXPECT_TRUE(sawMessage("QvIndexedLineSet::createAndAddLeaves(): State info is insufficient."));
  EXPECT_TRUE(sawMessage("IndexedLineSet::traverse(): createAndAddLeaves() failed."));
  EXPECT_EQ(world->objectCount, 1);
}
