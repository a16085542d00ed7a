// tests/vrml/builder_scale_test.cpp -- scales in the transformation: the
// world boxes scenedump reports, and how objects keep what is not rigid.
#include <cmath>
#include <cstdio>
#include <sstream>

#include "tests/tool_runner.h"
#include "tests/vrml/builder_fixture.h"
#include "core/bounds.h"
#include "core/leaf.h"
#include "core/transform.h"

namespace {

struct Box {
  float lo[3], hi[3];
};

// The numbers of scenedump's "box" line; false when there is none.
bool boxLine(const std::string& output, Box* box) {
  size_t at = output.rfind("\nbox ");
  if (at == std::string::npos) return false;
  std::istringstream in(output.substr(at + 5));
  in >> box->lo[0] >> box->lo[1] >> box->lo[2] >> box->hi[0] >> box->hi[1] >> box->hi[2];
  return !in.fail();
}

constexpr float kHalfRoot2 = 0.70710678f;

}  // namespace

TEST_F(BuilderTest, ScenedumpBoxesFollowTheWholeTransformation) {
  struct Case {
    const char* what;
    const char* body;
    Box box;
  } cases[] = {
      {"Transform's scale factor", "Transform { scaleFactor 3 3 3 } Cube { }", {{-3, -3, -3}, {3, 3, 3}}},
      {"scale reaches later translations and shapes",
       "Separator { Scale { scaleFactor 2 2 2 } Translation { translation 5 0 0 } Cone { }"
       " Translation { translation 0 4 0 } Cone { } }",
       {{8, -2, -2}, {12, 10, 2}}},
      {"scale about the centre", "Transform { scaleFactor 2 1 1 center 1 0 0 } Cube { }", {{-3, -1, -1}, {1, 1, 1}}},
      {"scale along the turned axes",
       "Transform { scaleFactor 2 1 1 scaleOrientation 0 0 1 1.5707963 } Cube { }", {{-1, -2, -1}, {1, 2, 1}}},
      {"stretched, then turned",
       "Rotation { rotation 0 0 1 0.78539816 } Scale { scaleFactor 2 1 1 } Cube { }",
       {{-3 * kHalfRoot2, -3 * kHalfRoot2, -1}, {3 * kHalfRoot2, 3 * kHalfRoot2, 1}}},
      {"turned, then stretched (sheared)",
       "Scale { scaleFactor 2 1 1 } Rotation { rotation 0 0 1 0.78539816 } Cube { }",
       {{-4 * kHalfRoot2, -2 * kHalfRoot2, -1}, {4 * kHalfRoot2, 2 * kHalfRoot2, 1}}},
      {"sheared line set",
       "Scale { scaleFactor 1 3 1 } Rotation { rotation 0 0 1 0.78539816 }"
       " Coordinate3 { point [ 0 0 0, 1 0 0 ] } IndexedLineSet { coordIndex [ 0, 1 ] }",
       {{0, 0, 0}, {kHalfRoot2, 3 * kHalfRoot2, 0}}},
      {"nested Separator inherits",
       "Separator { Scale { scaleFactor 2 2 2 } Separator { Translation { translation 1 0 0 } Cube { } } }",
       {{0, -2, -2}, {4, 2, 2}}},
      {"scale ends with its Separator",
       "Separator { Separator { Scale { scaleFactor 5 5 5 } } Translation { translation 1 0 0 } Cube { } }",
       {{0, -1, -1}, {2, 1, 1}}},
      {"Group does not end it", "Group { Scale { scaleFactor 2 2 2 } } Sphere { }", {{-2, -2, -2}, {2, 2, 2}}},
      {"scaling matrix",
       "MatrixTransform { matrix 2 0 0 0  0 2 0 0  0 0 2 0  1 0 0 1 } Cube { }", {{-1, -2, -2}, {3, 2, 2}}},
      {"mirror", "Scale { scaleFactor -1 1 1 } Translation { translation 2 0 0 } Cone { }", {{-3, -1, -1}, {-1, 1, 1}}},
      {"flattened", "Scale { scaleFactor 1 0 1 } Translation { translation 0 5 0 } Cube { }", {{-1, 0, -1}, {1, 0, 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    tool_runner::ToolRun run = tool_runner::runTool("scenedump", "'" + fileWith(c.body) + "'");
    ASSERT_EQ(run.status, 0) << run.output;
    Box box;
    ASSERT_TRUE(boxLine(run.output, &box)) << run.output;
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(box.lo[i], c.box.lo[i], 1e-4) << "axis " << i << "\n" << run.output;
      EXPECT_NEAR(box.hi[i], c.box.hi[i], 1e-4) << "axis " << i << "\n" << run.output;
    }
  }
}

// The inline world is read at the inline's place, its scale included.
TEST_F(BuilderTest, InlinedWorldTakesTheScaleOfItsPlace) {
  std::string inlined = fileWith("Translation { translation 1 0 0 } Cube { }");
  std::string world = fileWith("Scale { scaleFactor 2 2 2 } Separator { WWWInline { name \"" + inlined + "\" } }");
  tool_runner::ToolRun run = tool_runner::runTool("scenedump", "'" + world + "'");
  ASSERT_EQ(run.status, 0) << run.output;
  Box box;
  ASSERT_TRUE(boxLine(run.output, &box)) << run.output;
  const Box want = {{0, -2, -2}, {4, 2, 2}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(box.lo[i], want.lo[i], 1e-4) << run.output;
    EXPECT_NEAR(box.hi[i], want.hi[i], 1e-4) << run.output;
  }
}

// A per-axis scale stays in the object's scale, once: the leaves keep their
// own size. Matrices stay rigid, and children of a scaled group hang at
// scaled places with a scale of their own.
TEST_F(BuilderTest, PerAxisScaleStaysInTheObjectsScaleAndMatricesStayRigid) {
  ASSERT_EQ(build("Separator { Rotation { rotation 0 0 1 1.5707963 } Scale { scaleFactor 2 3 4 }"
                  " DEF S Separator { Translation { translation 1 1 1 } DEF C Cube { } } }"),
            0);
  const ZmObj* cube = named("C");
  EXPECT_FLOAT_EQ(cube->scale[0], 2);
  EXPECT_FLOAT_EQ(cube->scale[1], 3);
  EXPECT_FLOAT_EQ(cube->scale[2], 4);
  const ZmMFVec3f& corners = static_cast<const ZmFace*>(cube->leaf)->vertex;
  for (int32_t i = 0; i < corners.count; ++i) EXPECT_FLOAT_EQ(std::fabs(corners.values[i].z), 1.0f);
  const ZmObj* group = named("S");
  for (float factor : group->scale) EXPECT_FLOAT_EQ(factor, 1.0f);
  // (1, 1, 1) scaled to (2, 3, 4), then turned a quarter about z.
  const ZmRT* world = zmGetWRT(const_cast<ZmObj*>(cube));
  EXPECT_NEAR(world->t.x, -3, 1e-5);
  EXPECT_NEAR(world->t.y, 2, 1e-5);
  EXPECT_NEAR(world->t.z, 4, 1e-5);
  for (const ZmObj* object : {cube, group}) {
    const float* m = object->worldRT.m;
    for (int row = 0; row < 3; ++row)
      EXPECT_NEAR(m[3 * row] * m[3 * row] + m[3 * row + 1] * m[3 * row + 1] + m[3 * row + 2] * m[3 * row + 2], 1,
                  1e-5);
  }
}

// Shear cannot live in a per-axis scale: the faces take it, with normals
// still of unit length, perpendicular to their faces and outwards.
TEST_F(BuilderTest, ShearGoesIntoTheVerticesAndNormalsFollow) {
  ASSERT_EQ(build("Scale { scaleFactor 2 1 1 } Rotation { rotation 0 0 1 0.78539816 } DEF C Cube { }"), 0);
  const ZmObj* object = named("C");
  EXPECT_EQ(object->vrmlType, ZM_VRML_INDEXED_FACE_SET);
  for (float factor : object->scale) EXPECT_FLOAT_EQ(factor, 1.0f);
  int faces = 0;
  for (const ZmLeaf* leaf = object->leaf; leaf; leaf = leaf->next, ++faces) {
    const auto* face = static_cast<const ZmFace*>(leaf);
    ASSERT_GE(face->vertex.count, 3);
    ZmVec3 edge;
    zmVec3Sub(&face->vertex.values[1], &face->vertex.values[0], &edge);
    ASSERT_EQ(face->normal.count, 1);
    const ZmVec3* normals[] = {&face->normal.values[0], &face->orthogonalNormal};
    for (const ZmVec3* normal : normals) {
      EXPECT_NEAR(zmVec3Length(normal), 1, 1e-5) << "face " << faces;
      EXPECT_NEAR(zmVec3Dot(normal, &edge), 0, 1e-5) << "face " << faces;
      EXPECT_GT(zmVec3Dot(normal, &face->vertex.values[0]), 0) << "face " << faces << " points inwards";
    }
  }
  EXPECT_EQ(faces, 6);
}

// Lights are placed by the scaled transformation but keep no scale.
TEST_F(BuilderTest, ScaledLightIsMovedButNotScaled) {
  ASSERT_EQ(build("Scale { scaleFactor 2 2 2 } DEF L PointLight { location 1 0 0 }"), 0);
  const ZmObj* light = named("L");
  EXPECT_NEAR(light->localRT.t.x, 2, 1e-6);
  for (float factor : light->scale) EXPECT_FLOAT_EQ(factor, 1.0f);
  EXPECT_FLOAT_EQ(light->localRT.m[0], 1.0f);
}
