// Shape, line, light and camera leaves of a world read from a file, turned
// into engine clumps, lights and cameras, and rendered on the recording device.
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "core/material.h"
#include "core/memory.h"
#include "engine/clump.h"
#include "engine/light.h"
#include "engine/material.h"
#include "engine/polygon.h"
#include "viewer/material.h"
#include "viewer_fixture.h"

namespace {

std::vector<RwPolygon*> polygonsOf(RwClump* clump) {
  std::vector<RwPolygon*> polygons;
  RwForAllPolygonsInClumpWithData(
      clump, [](RwPolygon* p, void* out) { static_cast<std::vector<RwPolygon*>*>(out)->push_back(p); return p; },
      &polygons);
  return polygons;
}

// The engine's own quantisation of the material we expect.
void expectEngineMaterial(const RwMaterial* actual, float ambient, float diffuse, float specular, float red,
                          float green, float blue, float opacity) {
  RwMaterial* expected = RwCreateMaterial();
  RwSetMaterialSurface(expected, ambient, diffuse, specular);
  RwSetMaterialColor(expected, red, green, blue);
  RwSetMaterialOpacity(expected, opacity);
  EXPECT_EQ(actual->ambient, expected->ambient);
  EXPECT_EQ(actual->diffuse, expected->diffuse);
  EXPECT_EQ(actual->specular, expected->specular);
  EXPECT_EQ(actual->colour, expected->colour);
  EXPECT_EQ(actual->opacity, expected->opacity);
  RwDestroyMaterial(expected);
}

RwClump* clumpOf(ZmLeaf* leaf) { return static_cast<RwClump*>(leaf->rendering); }

}  // namespace

TEST_F(ViewerWorld, ShapeLeavesBecomeLinkedClumpsOfTheWorldScene) {
  read("shapes.wrl");
  ASSERT_EQ(buildAll(), 0) << (errorBoxes().empty() ? "" : errorBoxes()[0]);

  // Cube: one clump, one polygon per face leaf, tagged for the shared material.
  ZmObj* box = named("Box");
  auto* face = box->leaf;
  RwClump* cube = RwGetPolygonClump(static_cast<RwPolygon*>(face->rendering));
  ASSERT_NE(cube, nullptr);
  EXPECT_EQ(RwGetClumpNumPolygons(cube), 6);
  EXPECT_EQ(RwGetClumpTag(cube), reinterpret_cast<intptr_t>(face));
  EXPECT_EQ(RwGetClumpData(cube), reinterpret_cast<uintptr_t>(box));
  std::vector<intptr_t> tags;
  for (ZmLeaf* leaf = face; leaf; leaf = leaf->next) {
    auto* polygon = static_cast<RwPolygon*>(leaf->rendering);
    EXPECT_EQ(RwGetPolygonData(polygon), reinterpret_cast<uintptr_t>(leaf));
    tags.push_back(RwGetPolygonTag(polygon));
  }
  EXPECT_EQ(tags, (std::vector<intptr_t>{1, 2, 2, 2, 2, 3}));

  // Cone of its side only; cylinder of three parts; each part one clump.
  ZmObj* tip = named("Tip");
  ASSERT_EQ(tip->leaf->next, nullptr);
  EXPECT_EQ(RwGetClumpNumPolygons(clumpOf(tip->leaf)), 10);
  int cylinderParts = 0;
  for (ZmLeaf* leaf = named("Can")->leaf; leaf; leaf = leaf->next, cylinderParts++) {
    EXPECT_EQ(RwGetClumpNumPolygons(clumpOf(leaf)), 10);
    EXPECT_EQ(RwGetClumpScene(clumpOf(leaf)), world->rendering->scene);
  }
  EXPECT_EQ(cylinderParts, 3);

  ZmObj* ball = named("Ball");
  RwClump* sphere = clumpOf(ball->leaf);
  EXPECT_GT(RwGetClumpNumPolygons(sphere), 20);
  EXPECT_EQ(RwGetClumpData(sphere), reinterpret_cast<uintptr_t>(ball));
  RwVector origin;
  RwGetClumpOrigin(sphere, &origin);
  EXPECT_FLOAT_EQ(origin.x, 4.0f);

  EXPECT_EQ(RwGetClumpNumPolygons(RwGetPolygonClump(static_cast<RwPolygon*>(named("Sheet")->leaf->rendering))), 2);

  // A polyline of three points: two hexagonal prisms tagged 0 and 1 under one clump.
  ZmObj* wire = named("Wire");
  RwClump* polyline = clumpOf(wire->leaf);
  EXPECT_EQ(RwGetClumpTag(polyline), reinterpret_cast<intptr_t>(wire->leaf));
  EXPECT_EQ(RwGetClumpNumChildren(polyline), 2);
  for (intptr_t i = 0; i < 2; i++) {
    RwClump* segment = RwFindTaggedClump(polyline, i);
    ASSERT_NE(segment, nullptr);
    EXPECT_EQ(RwGetClumpNumPolygons(segment), 6);
    EXPECT_EQ(RwGetClumpData(segment), reinterpret_cast<uintptr_t>(wire));
  }
  EXPECT_EQ(RwGetClumpScene(polyline), world->rendering->scene);
}

TEST_F(ViewerWorld, MaterialsReachTheEnginePolygons) {
  read("shapes.wrl");
  ASSERT_EQ(buildAll(), 0);
  // ambient 0.2 grey, diffuse blue, specular 0.4 grey, transparency 0.25:
  // colour (0.2, 0.2, 1.2) scaled so blue is 1.
  // The cone side's light sampling follows the leaf's Gouraud flag.
  auto* side = static_cast<ZmShape*>(named("Tip")->leaf);
  const intptr_t sampling = (side->leafFlags & ZM_LEAF_GOURAUD) ? 2 : 1;
  for (RwPolygon* polygon : polygonsOf(clumpOf(side))) {
    expectEngineMaterial(RwGetPolygonMaterial(polygon), 0.15f, 0.25f, 0.3f, 1 / 6.0f, 1 / 6.0f, 1.0f, 0.75f);
    EXPECT_EQ(RwGetMaterialLightSampling(RwGetPolygonMaterial(polygon)), sampling);
  }
  // Discs are always flat.
  RwPolygon* cap = polygonsOf(clumpOf(named("Can")->leaf->next)).front();
  EXPECT_EQ(RwGetMaterialLightSampling(RwGetPolygonMaterial(cap)), 1);
  for (ZmLeaf* leaf = named("Box")->leaf; leaf; leaf = leaf->next)
    expectEngineMaterial(RwGetPolygonMaterial(static_cast<RwPolygon*>(leaf->rendering)), 0.15f, 0.25f, 0.0f,
                         1.0f, 1 / 6.0f, 1 / 6.0f, 1.0f);

  // A set with one material shares one engine material among its faces.
  auto materialOf = [](ZmLeaf* leaf) { return RwGetPolygonMaterial(static_cast<RwPolygon*>(leaf->rendering)); };
  RwMaterial* shared = materialOf(named("Box")->leaf);
  for (ZmLeaf* leaf = named("Box")->leaf; leaf; leaf = leaf->next) EXPECT_EQ(materialOf(leaf), shared);

  // After the build every face computes its own material: turn one face
  // green, and the others stay red.
  auto* face = static_cast<ZmFace*>(named("Box")->leaf->next);
  zmOwnLeafMaterial(face)->diffuse_color.values[0] = {0.0f, 1.0f, 0.0f};
  ASSERT_EQ(coreViewer().renderSetMaterial(face), 0);
  expectEngineMaterial(materialOf(face), 0.15f, 0.25f, 0.0f, 1 / 6.0f, 1.0f, 1 / 6.0f, 1.0f);
  for (ZmLeaf* leaf = named("Box")->leaf; leaf; leaf = leaf->next) {
    if (leaf == face) continue;
    expectEngineMaterial(materialOf(leaf), 0.15f, 0.25f, 0.0f, 1.0f, 1 / 6.0f, 1 / 6.0f, 1.0f);
  }
}

TEST_F(ViewerWorld, LightsAndCamerasCarryTheirLeafParameters) {
  read("shapes.wrl");
  ASSERT_EQ(buildAll(), 0);

  ZmLeaf* lamp = named("Lamp")->leaf;
  auto* point = static_cast<RwLight*>(lamp->rendering);
  RwLight* expected = RwCreateLight(2, 0.0f, 0.0f, 0.0f, 1.0f);
  RwSetLightColor(expected, 0.5f, 0.25f, 0.0f);
  EXPECT_EQ(point->kind, 2);
  EXPECT_EQ(std::vector<int>(point->colour, point->colour + 3), std::vector<int>(expected->colour, expected->colour + 3));
  EXPECT_EQ(point->state, 2);
  EXPECT_EQ(point->scene, world->rendering->scene);
  EXPECT_EQ(RwGetLightData(point), reinterpret_cast<uintptr_t>(lamp));
  EXPECT_FLOAT_EQ(point->matrix.m[3][0], 1.0f);
  EXPECT_FLOAT_EQ(point->matrix.m[3][2], 3.0f);

  auto* spot = static_cast<RwLight*>(named("Spot")->leaf->rendering);
  RwLight* expectedSpot = RwCreateLight(3, 0.0f, 0.0f, 0.0f, 1.0f);
  RwSetLightConeAngle(expectedSpot, 22.5f);
  EXPECT_EQ(spot->kind, 3);
  EXPECT_EQ(spot->state, 1);  // "on FALSE"
  EXPECT_NEAR(spot->cone, expectedSpot->cone, 2);
  EXPECT_EQ(static_cast<RwLight*>(named("Sun")->leaf->rendering)->kind, 1);
  RwDestroyLight(expected);
  RwDestroyLight(expectedSpot);

  struct CameraCase {
    const char* name;
    int32_t projection;
    float width, height;
  };
  for (const CameraCase& c : {CameraCase{"Ortho", 2, 2.0f * 4 / 3, 2.0f},
                              CameraCase{"Persp", 1, 0.414213f * 4 / 3, 0.414213f}}) {
    SCOPED_TRACE(c.name);
    ZmLeaf* leaf = named(c.name)->leaf;
    auto* camera = static_cast<RwCamera*>(leaf->rendering);
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(RwGetCameraProjection(camera), c.projection);
    float w = 0, h = 0;
    RwGetCameraViewwindow(camera, &w, &h);
    EXPECT_NEAR(w, c.width, 1e-4);
    EXPECT_NEAR(h, c.height, 1e-4);
    intptr_t vw = 0, vh = 0;
    RwGetCameraViewport(camera, nullptr, nullptr, &vw, &vh);
    EXPECT_EQ(vw, 64);
    EXPECT_EQ(vh, 48);
    EXPECT_EQ(RwGetCameraData(camera), reinterpret_cast<uintptr_t>(leaf));
  }
}

TEST_F(ViewerWorld, RenderingThroughTheWorldCameraRecordsTriangles) {
  read("shapes.wrl");
  ASSERT_EQ(buildAll(), 0);
  auto* camera = static_cast<RwCamera*>(named("Persp")->leaf->rendering);
  viewerTriangles.clear();
  RwInvalidateCameraViewport(camera);
  ASSERT_NE(RwBeginCameraUpdate(camera, 0), nullptr);
  RwClearCameraViewport(camera);
  ASSERT_NE(RwRenderScene(world->rendering->scene), nullptr);
  RwEndCameraUpdate(camera);
  // The recording device hands over what is drawn without a depth buffer:
  // here the sphere, which overlaps no other clump (the cube's editable
  // clump and the overlapping cylinder parts go through the depth buffer).
  EXPECT_GT(viewerTriangles.size(), 100u);

}

TEST_F(ViewerWorld, InvisibleObjectsAreBuiltHiddenInTheScene) {
  read("shapes.wrl");
  for (const char* name : {"Ball", "Wire", "Box"}) named(name)->obj_flags &= ~ZM_OBJ_VISIBLE;
  ASSERT_EQ(buildAll(), 0);
  RwClump* hidden[] = {clumpOf(named("Ball")->leaf), clumpOf(named("Wire")->leaf),
                       RwGetPolygonClump(static_cast<RwPolygon*>(named("Box")->leaf->rendering))};
  for (RwClump* clump : hidden) {
    EXPECT_EQ(clump->state, rwClumpOff);
    EXPECT_EQ(RwGetClumpScene(clump), world->rendering->scene);
  }
  EXPECT_EQ(clumpOf(named("Can")->leaf)->state, rwClumpOn);

  auto* camera = static_cast<RwCamera*>(named("Persp")->leaf->rendering);
  viewerTriangles.clear();
  RwBeginCameraUpdate(camera, 0);
  RwClearCameraViewport(camera);
  RwRenderScene(world->rendering->scene);
  RwEndCameraUpdate(camera);
  EXPECT_TRUE(viewerTriangles.empty());  // the sphere, the one clump drawn plainly, is hidden
}

TEST_F(ViewerWorld, WorldFileFaultsAreWarnedAndSkipped) {
  static std::vector<std::string> notes;
  notes.clear();
  coreHooks.messages->notifyMessage = [](const char* text) { notes.push_back(text); return 0; };
  zmTurnOnFlagByName("warning");
  read("broken.wrl");
  const char* expected[] = {"zmRwSetLineSegment() : the length of the line is zero",
                            "zmRwSetPerspectiveCamera() : the camera's view window is out of range; 1.0 x 0.75 is used",
                            "zmRwSetOrthographicCamera() : the camera's view window is out of range; 1.0 x 0.75 is used"};
  EXPECT_EQ(buildAll(), 0);
  for (const std::string& box : errorBoxes()) ADD_FAILURE() << box;
  for (const char* text : expected) {
    bool found = false;
    for (const std::string& note : notes) found = found || note.find(text) != std::string::npos;
    EXPECT_TRUE(found) << text;
  }
  // The short segment is left out, the segment after it keeps its number.
  RwClump* polyline = clumpOf(named("Short")->leaf);
  ASSERT_EQ(RwGetClumpNumChildren(polyline), 1);
  EXPECT_EQ(RwGetClumpTag(RwGetClumpFirstChild(polyline)), 1);
  // A camera whose view window is out of range still serves, with the
  // default camera's window.
  for (RwCamera* camera : cameras()) {
    float halfWidth = 0.0f, halfHeight = 0.0f;
    ASSERT_NE(RwGetCameraViewwindow(camera, &halfWidth, &halfHeight), nullptr);
    EXPECT_FLOAT_EQ(halfWidth, 1.0f);
    EXPECT_FLOAT_EQ(halfHeight, 0.75f);
  }
  EXPECT_EQ(cameras().size(), 2u);
}

TEST_F(ViewerWorld, TextIsOneGlyphPerCharacterAtTheAdvances) {
  read("broken.wrl");
  ASSERT_EQ(zmRwSetAsciiText(named("Label")), 0);
  RwClump* text = clumpOf(named("Label")->leaf);
  ASSERT_EQ(RwGetClumpNumChildren(text), 2);
  RwClump* h = RwGetClumpFirstChild(text);
  RwMatrix placed;
  RwGetClumpLocalMatrix(h->nextSibling, &placed);
  EXPECT_FLOAT_EQ(placed.m[3][0] - named("Label")->worldRT.t.x, static_cast<float>(RwGetClumpTag(h)) / 100.0f);
}

// The glyphs of a built text, each at the pen position its clump was moved
// to (relative to the text's object) with the box of its own vertices.
struct PlacedGlyph {
  float x, y;            // pen position
  float advance;         // how far the pen moves past it
  RwVector low, high;    // the glyph's vertices about its pen position
};

std::vector<PlacedGlyph> placedGlyphs(ZmObj* text, RwClump* clump) {
  std::vector<PlacedGlyph> glyphs;
  for (RwClump* glyph = RwGetClumpFirstChild(clump); glyph; glyph = glyph->nextSibling) {
    RwMatrix placed;
    RwGetClumpLocalMatrix(glyph, &placed);
    PlacedGlyph g{placed.m[3][0] - text->worldRT.t.x, placed.m[3][1] - text->worldRT.t.y,
                  static_cast<float>(RwGetClumpTag(glyph)) / 100.0f, {}, {}};
    RwGetClumpBounds(glyph, &g.low, &g.high);
    glyphs.push_back(g);
  }
  return glyphs;
}

// How tall the text stands: from the lowest vertex to the highest.
float heightOf(const std::vector<PlacedGlyph>& glyphs) {
  float low = 0.0f, high = 0.0f;
  for (const PlacedGlyph& g : glyphs) {
    if (g.high.y <= g.low.y) continue;  // a blank's glyph has no outline
    low = std::min(low, g.y + g.low.y);
    high = std::max(high, g.y + g.high.y);
  }
  return high - low;
}

// Each string of a text is a line of its own, a line height (one unit)
// times the spacing below the one before, justified as the node says.
TEST_F(ViewerWorld, TextLinesStandBelowEachOtherJustified) {
  read("text.wrl");
  struct Case {
    const char* name;
    std::vector<float> baselines;  // of the lines, top first
    int justification;             // 0 left, 1 centre, 2 right
  } cases[] = {{"One", {0}, 0}, {"Three", {0, -1, -2}, 1}, {"Spaced", {0, -2}, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(zmRwSetAsciiText(named(c.name)), 0);
    const std::vector<PlacedGlyph> glyphs = placedGlyphs(named(c.name), clumpOf(named(c.name)->leaf));
    std::vector<float> baselines;
    for (const PlacedGlyph& g : glyphs)
      if (baselines.empty() || baselines.back() != g.y) baselines.push_back(g.y);
    EXPECT_EQ(baselines, c.baselines);
    for (float baseline : baselines) {
      float start = 1e9f, end = -1e9f;
      for (const PlacedGlyph& g : glyphs) {
        if (g.y != baseline) continue;
        start = std::min(start, g.x);
        end = std::max(end, g.x + g.advance);
      }
      const float expectedStart = c.justification == 0 ? 0.0f : c.justification == 1 ? -end : start;
      EXPECT_NEAR(start, expectedStart, 1e-5f) << baseline;
      if (c.justification == 2) {
        EXPECT_NEAR(end, 0.0f, 1e-5f) << baseline;
      }
    }
  }
  // Three strings stand three line heights tall, one string one.
  const float one = heightOf(placedGlyphs(named("One"), clumpOf(named("One")->leaf)));
  const float three = heightOf(placedGlyphs(named("Three"), clumpOf(named("Three")->leaf)));
  EXPECT_GT(one, 0.7f);
  EXPECT_LT(one, 1.3f);
  EXPECT_GT(three, 2.7f);
  EXPECT_LT(three, 3.3f);
}

// Element reduction, without engine polygons.
TEST(ViewerMaterial, ElementsReduceToEngineWords) {
  ZmSFColor black = {0, 0, 0}, emissive = {0.5f, 0, 0};
  ZmSFColor diffuse[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  float transparency = 0.25f;
  auto material = [&](ZmSFColor* d, int32_t dn, ZmSFColor* e) {
    ZmMaterial m = {};
    m.count = dn;
    m.ambient_color = {1, &black};
    m.diffuse_color = {dn, d};
    m.specular_color = {1, &black};
    m.emmisive_color = {1, e};
    m.transparency = {1, &transparency};
    return m;
  };
  ZmRwMaterial out = {};
  ZmMaterial glowing = material(&black, 1, &emissive);
  ASSERT_EQ(zmRwCalcMaterial(&out, &glowing, 0), 0);
  EXPECT_FLOAT_EQ(out.ambient, 0.125f);
  EXPECT_EQ(std::vector<float>({out.red, out.green, out.blue}), std::vector<float>({1, 0, 0}));
  EXPECT_FLOAT_EQ(out.opacity, 0.75f);

  ZmMaterial dark = material(&black, 1, &black);
  ASSERT_EQ(zmRwCalcMaterial(&out, &dark, 0), 0);
  EXPECT_EQ(std::vector<float>({out.red, out.green, out.blue}), std::vector<float>({0, 0, 0}));

  // Element 5 of three is element 2; the single lists stand for every element.
  ZmMaterial three = material(diffuse, 3, &black);
  ASSERT_EQ(zmRwCalcMaterial(&out, &three, 5), 0);
  EXPECT_EQ(std::vector<float>({out.red, out.green, out.blue}), std::vector<float>({0, 0, 1}));
  EXPECT_FLOAT_EQ(out.diffuse, 0.25f);

  // The mean of elements 0 and 1: yellow.
  ASSERT_EQ(zmRwCalcMeanMaterial(&out, &three, 0, 2), 0);
  EXPECT_EQ(std::vector<float>({out.red, out.green, out.blue}), std::vector<float>({1, 1, 0}));
  EXPECT_FLOAT_EQ(out.diffuse, 0.25f);
}

// Face sets and line sets made by hand, for what a world file cannot express.
class HandMadeShapes : public ViewerWorld {
 public:
  ZmObj* objectWith(std::initializer_list<ZmLeaf*> leaves) {
    ZmObj* object = nullptr;
    EXPECT_EQ(zmNewZmObj(world, &object, 0), 0);
    EXPECT_EQ(zmAddTopObject(object, "hand.wrl"), 0);
    for (ZmLeaf* leaf : leaves) zmAddLeaf(object, 0, leaf);
    return object;
  }
  static ZmSFVec3f* points(std::initializer_list<ZmSFVec3f> values) {
    auto* array = static_cast<ZmSFVec3f*>(zmMalloc(sizeof(ZmSFVec3f) * values.size()));
    std::copy(values.begin(), values.end(), array);
    return array;
  }
  static ZmFace* triangle(int32_t materialBinding, int32_t normalBinding, int32_t normals) {
    ZmFace* face = zmNewFaceLeaf();
    face->materialBinding = materialBinding;
    face->normalBinding = normalBinding;
    face->vertex = {3, points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}})};
    if (normals > 0) face->normal = {normals, points({{0, 0, 1}, {0, 0, 1}, {0, 0, 1}})};
    ZmMaterial* material = zmOwnLeafMaterial(face);
    material->count = 1;
    material->diffuse_color = {1, static_cast<ZmSFColor*>(zmMalloc(sizeof(ZmSFColor)))};
    return face;
  }
  static ZmLine* line(std::initializer_list<ZmSFVec3f> values) {
    ZmLine* leaf = zmNewLineLeaf();
    leaf->vertex = {static_cast<int32_t>(values.size()), points(values)};
    ZmMaterial* material = zmOwnLeafMaterial(leaf);
    material->count = 1;
    material->diffuse_color = {1, static_cast<ZmSFColor*>(zmMalloc(sizeof(ZmSFColor)))};
    return leaf;
  }
};

TEST_F(HandMadeShapes, FaceTagsFollowTheMaterialBinding) {
  for (int32_t binding : {1, 4}) {
    ZmObj* object = objectWith({triangle(binding, 4, 1), triangle(binding, 4, 1), triangle(binding, 4, 1)});
    ASSERT_EQ(zmRwSetFace(object), 0);
    std::vector<intptr_t> tags;
    for (ZmLeaf* leaf = object->leaf; leaf; leaf = leaf->next)
      tags.push_back(RwGetPolygonTag(static_cast<RwPolygon*>(leaf->rendering)));
    const std::vector<intptr_t> expected = binding == 1 ? std::vector<intptr_t>{1, 2, 3} : std::vector<intptr_t>{0, 0, 0};
    EXPECT_EQ(tags, expected);
  }
}

TEST_F(HandMadeShapes, SingleFaceSetKeepsNoParkedMaterial) {
  ZmObj* object = objectWith({triangle(1, 4, 1)});
  ASSERT_EQ(zmRwSetFace(object), 0);
  RwPolygon* polygon = static_cast<RwPolygon*>(object->leaf->rendering);
  EXPECT_EQ(RwGetPolygonTag(polygon), 1);
  // The built clump's tag names its first leaf; the material record was used
  // and freed at once, which the leak check at exit proves.
  EXPECT_EQ(RwGetClumpTag(RwGetPolygonClump(polygon)), reinterpret_cast<intptr_t>(object->leaf));
}

TEST_F(HandMadeShapes, FaceAndLineFailuresNameTheirStep) {
  struct Case {
    std::function<int(HandMadeShapes*)> build;
    const char* message;
  };
  const Case cases[] = {
      {[](HandMadeShapes* t) { return zmRwSetFace(t->objectWith({triangle(1, 4, 1), triangle(1, 9, 1)})); },
       "zmRwSetFace() : wrong normal binding type"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    zmResetReportStateForTest();
    platform::clearRecordedEvents();
    EXPECT_EQ(c.build(this), -1);
    ASSERT_EQ(errorBoxes().size(), 1u);
    EXPECT_NE(errorBoxes()[0].find(c.message), std::string::npos);
  }
}

// Faces that reach the viewer without their corners or with a normal list
// of the wrong length (the reader refuses such faces; other producers may
// not): warned about, the corners left out, the normals replaced.
TEST_F(HandMadeShapes, FaceDataFaultsAreWarnedAndLeftOut) {
  zmTurnOnFlagByName("warning");
  static std::vector<std::string> notes;
  notes.clear();
  coreHooks.messages->notifyMessage = [](const char* text) { notes.push_back(text); return 0; };
  ZmFace* cornerless = triangle(1, 4, 1);
  cornerless->vertex.count = 2;
  ZmObj* object = objectWith({triangle(1, 6, 2), cornerless, triangle(1, 4, 1)});
  ASSERT_EQ(zmRwSetFace(object), 0);
  EXPECT_TRUE(errorBoxes().empty());
  EXPECT_NE(object->leaf->rendering, nullptr);
  EXPECT_EQ(object->leaf->next->rendering, nullptr);
  EXPECT_NE(object->leaf->next->next->rendering, nullptr);
  EXPECT_EQ(RwGetPolygonTag(static_cast<RwPolygon*>(object->leaf->next->next->rendering)), 3)
      << "the last face drawn releases the shared material";
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_NE(notes[0].find("number of normal vectors isn't equal to number of vertices"), std::string::npos);
  EXPECT_NE(notes[1].find("a face has fewer than three vertices"), std::string::npos);
}

TEST_F(HandMadeShapes, SegmentsTurnTheCylinderAxisOntoTheSegment) {
  // Up, down, along +x and below the horizontal: each prism's far end sits on
  // the segment's second point.
  ZmObj* object = objectWith({line({{0, 0, 0}, {0, 2, 0}, {0, 0, 0}, {3, 0, 0}, {4, -1, 0}})});
  ASSERT_EQ(zmRwSetLine(object), 0);
  RwClump* polyline = clumpOf(object->leaf);
  const float points[5][2] = {{0, 0}, {0, 2}, {0, 0}, {3, 0}, {4, -1}};
  for (intptr_t i = 0; i < 4; i++) {
    SCOPED_TRACE(i);
    RwClump* segment = RwFindTaggedClump(polyline, i);
    RwVector low, high;
    ASSERT_NE(RwGetClumpBounds(segment, &low, &high), nullptr);
    RwMatrix m;
    RwGetClumpLocalMatrix(segment, &m);
    // A prism along the segment is symmetric about the segment's midpoint.
    RwVector centre = {(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2};
    RwTransformPoint(&centre, &m);
    EXPECT_NEAR(centre.x, (points[i][0] + points[i + 1][0]) / 2, 1e-3);
    EXPECT_NEAR(centre.y, (points[i][1] + points[i + 1][1]) / 2, 1e-3);
    EXPECT_NEAR(centre.z, 0.0f, 1e-3);
  }
}
