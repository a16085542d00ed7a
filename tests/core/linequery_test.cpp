// Line queries against boxes, faces, segments, points, cones, cylinders and
// spheres: exact parameters and hit points, degenerate faces, and the
// outputs a query must leave alone.
#include "core/linequery.h"

#include <cmath>

#include "core/bounds.h"
#include "core/shapequery.h"
#include "tests/core/scene_fixture.h"
#include "tests/core/shape_builders.h"

namespace {

class LineQueryTest : public SceneTest {
 protected:
  // One object per shape, each centred on the origin.
  void SetUp() override {
    SceneTest::SetUp();
    box = make("box");
    zmAddLeaf(box, 0, zmNewCubeLeaf(2, 2, 2));
    segments = make("segments");
    zmAddLeaf(segments, 0, newPolyline({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}));
    points = make("points");
    zmAddLeaf(points, 0, newPointSet({{0, 0, -2}, {5, 0, -2}}));
    cone = make("cone");
    zmAddLeaf(cone, 0, zmNewConeLeaf(ZM_PARTS_ALL, 1, 2));
    cylinder = make("cylinder");
    zmAddLeaf(cylinder, 0, zmNewCylinderLeaf(ZM_PARTS_ALL, 1, 1, 2));
    sphere = make("sphere");
    zmAddLeaf(sphere, 0, newSphere(1));
    bigSphere = make("bigSphere");
    zmAddLeaf(bigSphere, 0, newSphere(1));
    bigSphere->scale[0] = bigSphere->scale[1] = bigSphere->scale[2] = 2;
    moveTo(bigSphere, 10, 0, 0);
  }


 public:
  ZmObj *box, *segments, *points, *cone, *cylinder, *sphere, *bigSphere;
};

// The kind of a leaf, 0 for none.
int32_t kindOfLeaf(ZmLeaf* leaf) { return leaf ? leaf->kind : 0; }

TEST_F(LineQueryTest, RaysAgainstEveryShape) {
  enum Query { Cube, Leaves };
  struct Case {
    const char* what;
    ZmObj* LineQueryTest::*object;
    Query query;
    ZmVec3 p0, p1;
    float heldBefore;
    int hit;
    float t;
    ZmVec3 point;
    int32_t leafKind;  // of the leaf hit (Leaves only)
    int32_t part;
  };
  const Case cases[] = {
      {"box: face z=1", &LineQueryTest::box, Cube, {0, 0, 5}, {0, 0, 4}, -1, 1, 4, {0, 0, 1}, 0, 0},
      {"box: no upper bound on t", &LineQueryTest::box, Cube, {0, 0, 5}, {0, 0, 4.9f}, -1, 1, 40, {0, 0, 1}, 0, 0},
      {"box: start inside gives 0", &LineQueryTest::box, Cube, {0.5f, 0, 0}, {3, 0, 0}, 7, 1, 0, {0.5f, 0, 0}, 0, 0},
      {"box: grazing an edge", &LineQueryTest::box, Cube, {1, 1, 5}, {1, 1, 4}, -1, 1, 4, {1, 1, 1}, 0, 0},
      {"box: parallel outside", &LineQueryTest::box, Cube, {0, 2, 5}, {0, 2, 4}, -1, 0, 0, {}, 0, 0},
      {"box: in a face's plane", &LineQueryTest::box, Cube, {-3, 0, 1}, {-2, 0, 1}, -1, 1, 2, {-1, 0, 1}, 0, 0},
      {"box: pointing away", &LineQueryTest::box, Cube, {0, 0, 5}, {0, 0, 6}, -1, 0, 0, {}, 0, 0},
      {"faces: front", &LineQueryTest::box, Leaves, {0, 0, 5}, {0, 0, 4}, -1, 1, 4, {0, 0, 1}, ZM_LEAF_FACE, 0},
      {"faces: side", &LineQueryTest::box, Leaves, {3, 0.5f, 0}, {2, 0.5f, 0}, -1, 1, 2, {1, 0.5f, 0}, ZM_LEAF_FACE, 0},
      {"faces: miss", &LineQueryTest::box, Leaves, {0, 3, 5}, {0, 3, 4}, -1, 0, 0, {}, 0, 0},
      {"faces: nearer hit held", &LineQueryTest::box, Leaves, {0, 0, 5}, {0, 0, 4}, 3, 0, 0, {}, 0, 0},
      {"segment 0", &LineQueryTest::segments, Leaves, {0.5f, 1, 0}, {0.5f, 0, 0}, -1, 1, 1, {0.5f, 0, 0}, ZM_LEAF_LINE, 0},
      {"segment 1", &LineQueryTest::segments, Leaves, {3, 0.5f, 0}, {2, 0.5f, 0}, -1, 1, 2, {1, 0.5f, 0}, ZM_LEAF_LINE, 1},
      {"segment: parallel", &LineQueryTest::segments, Leaves, {0, 2, 0}, {1, 2, 0}, -1, 0, 0, {}, 0, 0},
      {"point 0", &LineQueryTest::points, Leaves, {0, 0, 0}, {0, 0, -1}, -1, 1, 2, {0, 0, -2}, ZM_LEAF_POINT_SET, 0},
      {"point 1", &LineQueryTest::points, Leaves, {5, 0, 0}, {5, 0, -1}, -1, 1, 2, {5, 0, -2}, ZM_LEAF_POINT_SET, 1},
      {"point: beside the ray", &LineQueryTest::points, Leaves, {0, 3, 0}, {0, 3, -1}, -1, 0, 0, {}, 0, 0},
      {"cone: rising onto the bottom", &LineQueryTest::cone, Leaves, {0.5f, -3, 0}, {0.5f, -2, 0}, -1, 1, 2,
       {0.5f, -1, 0}, ZM_LEAF_CONE_BOTTOM, 0},
      {"cone: falling onto the apex", &LineQueryTest::cone, Leaves, {0, 3, 0}, {0, 2, 0}, -1, 1, 2, {0, 1, 0},
       ZM_LEAF_CONE_SIDE, 0},
      {"cone: level into the side", &LineQueryTest::cone, Leaves, {3, 0, 0}, {2, 0, 0}, -1, 1, 2.5f, {0.5f, 0, 0},
       ZM_LEAF_CONE_SIDE, 0},
      {"cone: level above", &LineQueryTest::cone, Leaves, {3, 2, 0}, {2, 2, 0}, -1, 0, 0, {}, 0, 0},
      {"cylinder: level from inside", &LineQueryTest::cylinder, Leaves, {0.2f, 0, 0}, {1, 0, 0}, -1, 1, 0,
       {0.2f, 0, 0}, ZM_LEAF_CYLINDER_SIDE, 0},
      {"cylinder: level from outside", &LineQueryTest::cylinder, Leaves, {3, 0, 0}, {2, 0, 0}, -1, 1, 2, {1, 0, 0},
       ZM_LEAF_CYLINDER_SIDE, 0},
      {"cylinder: falling onto the top", &LineQueryTest::cylinder, Leaves, {0.5f, 3, 0}, {0.5f, 2, 0}, -1, 1, 2,
       {0.5f, 1, 0}, ZM_LEAF_CYLINDER_TOP, 0},
      {"cylinder: slanted onto the top rim", &LineQueryTest::cylinder, Leaves, {3, 3, 0}, {2, 2, 0}, -1, 1, 2,
       {1, 1, 0}, ZM_LEAF_CYLINDER_TOP, 0},
      {"cylinder: in the top plane", &LineQueryTest::cylinder, Leaves, {3, 1, 0}, {2, 1, 0}, -1, 1, 2, {1, 1, 0},
       ZM_LEAF_CYLINDER_TOP, 0},
      {"cylinder: in the bottom plane", &LineQueryTest::cylinder, Leaves, {3, -1, 0}, {2, -1, 0}, -1, 1, 2,
       {1, -1, 0}, ZM_LEAF_CYLINDER_BOTTOM, 0},
      {"sphere: from outside", &LineQueryTest::sphere, Leaves, {0, 0, 5}, {0, 0, 4}, -1, 1, 4, {0, 0, 1},
       ZM_LEAF_SPHERE, 0},
      {"sphere: from inside, far side", &LineQueryTest::sphere, Leaves, {0, 0, 0}, {0, 0, 1}, -1, 1, 1, {0, 0, 1},
       ZM_LEAF_SPHERE, 0},
      {"sphere: one point on the surface", &LineQueryTest::sphere, Leaves, {1, 0, 0}, {1, 0, 0}, -1, 1, 0, {1, 0, 0},
       ZM_LEAF_SPHERE, 0},
      {"sphere: one point inside", &LineQueryTest::sphere, Leaves, {0, 0, 0}, {0, 0, 0}, -1, 0, 0, {}, 0, 0},
      {"sphere: tangent", &LineQueryTest::sphere, Leaves, {1, 0, 5}, {1, 0, 4}, -1, 1, 5, {1, 0, 0}, ZM_LEAF_SPHERE, 0},
      {"sphere moved and scaled", &LineQueryTest::bigSphere, Leaves, {10, 0, 10}, {10, 0, 9}, -1, 1, 8, {10, 0, 2},
       ZM_LEAF_SPHERE, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ZmObj* object = this->*c.object;
    const ZmVec3 untouched = {-99, -99, -99};
    float t = c.heldBefore;
    ZmVec3 point = untouched;
    ZmLeaf* leaf = nullptr;
    int32_t part = -1;
    int hit = c.query == Cube ? zmIntersectLineAndObjBoundingCube(&c.p0, &c.p1, &t, object, &point)
                              : zmIntersectLineAndLeafObj(&c.p0, &c.p1, &t, object, &leaf, &part, &point);
    ASSERT_EQ(hit, c.hit);
    if (hit == 0) {
      EXPECT_EQ(t, c.heldBefore);
      EXPECT_EQ(point.x, untouched.x);
      EXPECT_EQ(leaf, nullptr);
      EXPECT_EQ(part, -1);
      continue;
    }
    EXPECT_NEAR(t, c.t, 1e-4);
    EXPECT_NEAR(point.x, c.point.x, 1e-4);
    EXPECT_NEAR(point.y, c.point.y, 1e-4);
    EXPECT_NEAR(point.z, c.point.z, 1e-4);
    if (c.query == Leaves) {
      EXPECT_EQ(kindOfLeaf(leaf), c.leafKind);
      EXPECT_EQ(part, c.part);
    }
  }
  EXPECT_TRUE(sceneMessages.empty());
}

TEST_F(LineQueryTest, DegenerateFacesArePassedOverNotTheEndOfTheQuery) {
  ZmObj* object = make("degenerate");
  ZmFace* twoPoints = newFace({{-5, -5, 0}, {5, 5, 0}});
  ZmFace* collinear = newFace({{-5, 0, 0}, {0, 0, 0}, {5, 0, 0}});
  ZmFace* square = newFace({{-1, -1, -3}, {1, -1, -3}, {1, 1, -3}, {-1, 1, -3}});
  twoPoints->next = collinear;
  collinear->next = square;
  zmAddLeaf(object, 0, twoPoints);
  const ZmVec3 p0 = {0, 0, 5}, p1 = {0, 0, 4};
  float t = ZM_NO_HIT;
  ZmLeaf* leaf = nullptr;
  ZmVec3 point;
  ASSERT_EQ(zmIntersectLineAndFaceLeaf(&p0, &p1, &t, twoPoints, zmGetWRT(object), object->scale, &leaf, &point), 1);
  EXPECT_EQ(leaf, square);
  EXPECT_FLOAT_EQ(t, 8);
  EXPECT_FLOAT_EQ(point.z, -3);
}

TEST_F(LineQueryTest, FaceNormalSkipsCollinearVerticesAndIsKept) {
  ZmFace* face = newFace({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}});
  ZmObj* object = make("pentagon");
  zmAddLeaf(object, 0, face);
  const ZmVec3 p0 = {1, 1, 3}, p1 = {1, 1, 2};
  float t = ZM_NO_HIT;
  ZmLeaf* leaf = nullptr;
  ASSERT_EQ(zmIntersectLineAndFaceLeaf(&p0, &p1, &t, face, zmGetWRT(object), object->scale, &leaf, nullptr), 1);
  EXPECT_EQ(face->orthogonal_normal_valid, 1);
  EXPECT_FLOAT_EQ(face->orthogonalNormal.x, 0);  // (v2 - v1) x (v3 - v1) = (1,0,0) x (1,2,0)
  EXPECT_FLOAT_EQ(face->orthogonalNormal.z, 2);
  EXPECT_EQ(t, ZM_NO_HIT);  // without a hit point the first face answers and t stays
}

TEST_F(LineQueryTest, WithoutAHitPointTheFirstFaceInChainOrderAnswers) {
  ZmFace* far = newFace({{-1, -1, -5}, {1, -1, -5}, {1, 1, -5}});
  ZmFace* near = newFace({{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}});
  far->next = near;
  ZmObj* object = make("two faces");
  zmAddLeaf(object, 0, far);
  const ZmVec3 p0 = {0.5f, -0.5f, 5}, p1 = {0.5f, -0.5f, 4};
  float t = ZM_NO_HIT;
  ZmLeaf* leaf = nullptr;
  ASSERT_EQ(zmIntersectLineAndFaceLeaf(&p0, &p1, &t, far, zmGetWRT(object), object->scale, &leaf, nullptr), 1);
  EXPECT_EQ(leaf, far);
  ZmVec3 point;
  ASSERT_EQ(zmIntersectLineAndFaceLeaf(&p0, &p1, &t, far, zmGetWRT(object), object->scale, &leaf, &point), 1);
  EXPECT_EQ(leaf, near);
  EXPECT_FLOAT_EQ(t, 5);
}

TEST_F(LineQueryTest, WrongLeafKindsAndBindingsAreErrors) {
  // The fatal box shows once per run: re-arm it to read each error's text.
  auto lastError = [] {
    std::vector<std::string> texts = fatalTexts();
    zmResetReportStateForTest();
    platform::clearRecordedEvents();
    return texts.empty() ? std::string() : texts.back();
  };
  ZmFace* face = newFace({{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}});
  face->next = newPolyline({{0, 0, 0}, {1, 1, 1}});
  ZmObj* mixed = make("mixed");
  zmAddLeaf(mixed, 0, face);
  const ZmVec3 p0 = {0.5f, -0.5f, 5}, p1 = {0.5f, -0.5f, 4};
  float t = ZM_NO_HIT;
  ZmLeaf* leaf = nullptr;
  // Without a hit point the face answers before the walk reaches the line.
  EXPECT_EQ(zmIntersectLineAndFaceLeaf(&p0, &p1, &t, face, zmGetWRT(mixed), mixed->scale, &leaf, nullptr), 1);
  EXPECT_EQ(lastError(), "");
  ZmVec3 point;
  EXPECT_EQ(zmIntersectLineAndFaceLeaf(&p0, &p1, &t, face, zmGetWRT(mixed), mixed->scale, &leaf, &point), 0);
  EXPECT_EQ(lastError(), "zmIntersectLineAndFaceLeaf: ZmFace is linked to another type of leaf");
  face->normalBinding = 9;
  EXPECT_EQ(zmIntersectLineAndFaceLeaf(&p0, &p1, &t, face, zmGetWRT(mixed), mixed->scale, &leaf, nullptr), 0);
  EXPECT_EQ(lastError(), "zmIntersectLineAndFaceLeaf: wrong normal binding");

  ZmObj* cone = make("cone with a cap");
  ZmLeaf* chain = zmNewConeLeaf(ZM_PARTS_ALL, 1, 2);
  chain->next->next = zmNewCylinderLeaf(ZM_PARTS_TOP, 1, 1, 2);
  zmAddLeaf(cone, 0, chain);
  EXPECT_EQ(zmIntersectLineAndLeafObj(&p0, &p1, nullptr, cone, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(lastError(), "zmIntersectLineAndConeLeaf: wrong leaf type");
}

TEST_F(LineQueryTest, PointsOnPolygonEdgesAreInside) {
  ZmMFVec3f square = {};
  setVertices(&square, {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}});
  const ZmVec3 up = {0, 0, 1}, none = {0, 0, 0};
  struct Case { ZmVec3 p; const ZmVec3* n; int inside; };
  const Case cases[] = {
      {{1, 0, 0}, &up, 1}, {{2, 1, 0}, &up, 1}, {{1, 1, 0}, &up, 1}, {{3, 1, 0}, &up, 0},
      {{0, 0, 0}, &up, 1}, {{1, -0.1f, 0}, &up, 0}, {{1, 1, 0}, &none, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(zmIsPointInPolygon(&c.p, &square, c.n), c.inside) << c.p.x << "," << c.p.y;
  zmFree(square.values);
}

TEST_F(LineQueryTest, NegativeButAcceptedParameterComesBackAsZero) {
  const ZmVec3 p0 = {0, 0, 1.000004f}, p1 = {0, 0, 2};
  float t = ZM_NO_HIT;
  ZmLeaf* leaf = nullptr;
  int32_t part = 0;
  ASSERT_EQ(zmIntersectLineAndLeafObj(&p0, &p1, &t, sphere, &leaf, &part, nullptr), 1);
  EXPECT_EQ(t, 0);
}

TEST_F(LineQueryTest, LightsAreNeverHitAndEmptyObjectsWarn) {
  ZmObj* lamp = make("lamp");
  ZmLeaf* light = zmNewPointLight();
  light->next = newSphere(1);
  zmAddLeaf(lamp, 0, light);
  ZmObj* empty = make("empty");
  const ZmVec3 p0 = {0, 0, 5}, p1 = {0, 0, 4};
  EXPECT_EQ(zmIntersectLineAndLeafObj(&p0, &p1, nullptr, lamp, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(zmIntersectLineAndLeafObj(&p0, &p1, nullptr, empty, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(sceneMessages, std::vector<std::string>{"zmIntersectLineAndLeafObj: not a shape object"});
}

TEST_F(LineQueryTest, PointsInsideAMovedScaledCube) {
  struct Case { ZmVec3 p; int inside; };
  // bigSphere: radius 1 scaled by 2 at (10, 0, 0): its cube spans 8..12 in x.
  for (const Case& c : {Case{{10, 0, 0}, 1}, Case{{12, 2, -2}, 1}, Case{{12.1f, 0, 0}, 0}, Case{{0, 0, 0}, 0}}) {
    EXPECT_EQ(zmIsPointInBoundingCube(&c.p, bigSphere), c.inside) << c.p.x << "," << c.p.y << "," << c.p.z;
  }
  ZmObj* lamp = make("lamp");
  zmAddLeaf(lamp, 0, zmNewPointLight());
  const ZmVec3 origin = {0, 0, 0};
  EXPECT_EQ(zmIsPointInBoundingCube(&origin, lamp), 0);
}

TEST_F(LineQueryTest, BoundingSphereScalesWithTheFactor) {
  const ZmVec3 p0 = {0, 0, 5}, p1 = {0, 0, 4};
  float t = ZM_NO_HIT;
  ZmVec3 point;
  ASSERT_EQ(zmIntersectLineAndBoundingSphere(&p0, &p1, &t, box, 2, &point), 1);
  EXPECT_NEAR(t, 5 - 2 * std::sqrt(3.0f), 1e-4);
  EXPECT_NEAR(point.z, 2 * std::sqrt(3.0f), 1e-4);
  const ZmVec3 q0 = {0, 5, 5}, q1 = {0, 5, 4};
  EXPECT_EQ(zmIntersectLineAndBoundingSphere(&q0, &q1, nullptr, box, 1, nullptr), 0);
}

}  // namespace
