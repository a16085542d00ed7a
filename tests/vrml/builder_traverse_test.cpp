// tests/vrml/builder_traverse_test.cpp -- worlds built from fixture files and
// small texts: objects, matrices, property scopes, textures and the state.
#include <cmath>

#include "tests/vrml/builder_fixture.h"
#include "core/bounds.h"
#include "core/camera.h"
#include "core/transform.h"
#include "vrml/qvstate.h"
#include "vrml/session.h"
#include "vrml/traverse.h"

namespace {

void expectTranslation(const ZmRT& m, float x, float y, float z) {
  EXPECT_NEAR(m.t.x, x, 1e-5);
  EXPECT_NEAR(m.t.y, y, 1e-5);
  EXPECT_NEAR(m.t.z, z, 1e-5);
}

void expectRows(const ZmRT& m, std::initializer_list<float> rows) {
  int i = 0;
  for (float value : rows) EXPECT_NEAR(m.m[i++], value, 1e-5) << "element " << i - 1;
}

const ZmShape* shapeAt(const ZmObj* object, int index) {
  const ZmLeaf* leaf = object->leaf;
  for (int i = 0; i < index && leaf; ++i) leaf = leaf->next;
  return static_cast<const ZmShape*>(leaf);
}

}  // namespace

TEST_F(BuilderTest, SeparatorOfThreeCubesBecomesThreeTopObjectsWithUnitBoxes) {
  std::string path = worldFile("three_cubes.wrl");
  ASSERT_EQ(parseVRMLIntoWorld(path.c_str(), world), 0);
  std::vector<ZmObj*> tops = topObjects();
  ASSERT_EQ(tops.size(), 3u);
  for (size_t i = 0; i < tops.size(); ++i) {
    EXPECT_EQ(tops[i]->vrmlType, ZM_VRML_CUBE);
    EXPECT_EQ(tops[i]->id, tops[0]->id + static_cast<int>(i));
    ZmBoundingCube* cube = zmGetBoundingCube(tops[i]);
    ASSERT_NE(cube, nullptr);
    EXPECT_FLOAT_EQ(cube->local_min.x, -0.5f);
    EXPECT_FLOAT_EQ(cube->local_max.y, 0.5f);
    expectTranslation(tops[i]->localRT, 2.0f * i, 0, 0);
  }
  for (ZmTopObjList* node = world->topObjects; node; node = node->next) EXPECT_EQ(node->fileName, path);
  EXPECT_EQ(world->objectCount, 3);
  // A cube's six faces share one material; a colour given to one face
  // stays with it.
  const ZmShape* first = shapeAt(tops[0], 0);
  for (int f = 1; f < 6; ++f)
    EXPECT_EQ(shapeAt(tops[0], f)->material->diffuse_color.values, first->material->diffuse_color.values) << f;
  ZmSFColor red = {1, 0, 0};
  ZmMFColor list = {1, &red};
  ASSERT_EQ(zmSetLeafDiffuseColor(const_cast<ZmShape*>(shapeAt(tops[0], 5)), &list), 0);
  EXPECT_EQ(shapeAt(tops[0], 5)->material->diffuse_color.values[0].r, 1.0f);
  EXPECT_EQ(first->material->diffuse_color.values[0].r, 0.8f);
}

TEST_F(BuilderTest, TransformNodesGiveTheExpectedLocalMatrices) {
  ASSERT_EQ(parseVRMLIntoWorld(worldFile("transforms.wrl").c_str(), world), 0);
  expectTranslation(named("Twice")->localRT, 2, 0, 0);
  const ZmRT& turned = named("Turned")->localRT;
  expectTranslation(turned, 0, 1, 0);
  expectRows(turned, {0, 1, 0, -1, 0, 0, 0, 0, 1});
  // A scale stays in force for every later shape of its Separator and ends
  // with it; the matrices stay rigid, the object keeps the scale.
  struct Case {
    const char* name;
    float scale;
  } cases[] = {{"Scaled", 2}, {"StillScaled", 2}, {"AfterScaledSeparator", 1}, {"ScaledByTransform", 2}};
  for (const Case& c : cases) {
    const ZmObj* object = named(c.name);
    for (float factor : object->scale) EXPECT_FLOAT_EQ(factor, c.scale) << c.name;
    expectRows(object->localRT, {1, 0, 0, 0, 1, 0, 0, 0, 1});
    expectTranslation(object->localRT, 0, 0, 0);
  }
}

TEST_F(BuilderTest, MatrixTransformWithABadLastColumnWarnsAndStillApplies) {
  ASSERT_EQ(build("Separator { MatrixTransform { matrix 1 0 0 0  0 1 0 0  0 0 1 1  3 4 5 1 }"
                  " DEF C Cube { } }"),
            0);
  EXPECT_TRUE(sawMessage("QvMatrixTransform::traverse(): invalid matrix."));
  expectTranslation(named("C")->localRT, 3, 4, 5);
}

TEST_F(BuilderTest, TransformAppliesCentreAndRotationAroundIt) {
  ASSERT_EQ(build("Separator { Transform { translation 1 0 0 rotation 0 0 1 3.14159265 center 1 0 0 }"
                  " DEF C Cube { } }"),
            0);
  // The origin is moved by -centre, turned half way and moved back: (2, 0, 0), then translated.
  expectTranslation(named("C")->localRT, 3, 0, 0);
}

TEST_F(BuilderTest, MaterialScopeEndsWithSeparatorButNotWithGroup) {
  ASSERT_EQ(parseVRMLIntoWorld(worldFile("material_scope.wrl").c_str(), world), 0);
  struct Case {
    const char* name;
    float red, green, blue;
  } cases[] = {
      {"InsideSeparator", 1, 0, 0},
      {"AfterSeparator", 0.8f, 0.8f, 0.8f},
      {"InsideGroup", 0, 1, 0},
      {"AfterGroup", 0, 1, 0},
  };
  for (const Case& c : cases) {
    const ZmMaterial& material = *shapeAt(named(c.name), 5)->material;
    ASSERT_EQ(material.diffuse_color.count, 1) << c.name;
    EXPECT_FLOAT_EQ(material.diffuse_color.values[0].r, c.red) << c.name;
    EXPECT_FLOAT_EQ(material.diffuse_color.values[0].g, c.green) << c.name;
    EXPECT_FLOAT_EQ(material.diffuse_color.values[0].b, c.blue) << c.name;
  }
}

// An empty list takes the attribute's default value; the copying goes on.
TEST_F(BuilderTest, EmptyMaterialListTakesTheDefaultAndCopyingGoesOn) {
  ASSERT_EQ(parseVRMLIntoWorld(worldFile("material_scope.wrl").c_str(), world), 0);
  const ZmMaterial& material = *shapeAt(named("TwoColours"), 0)->material;
  EXPECT_EQ(material.count, 2);
  ASSERT_EQ(material.shininess.count, 1);
  EXPECT_FLOAT_EQ(material.shininess.values[0], 0.2f);
  ASSERT_EQ(material.transparency.count, 1);
  EXPECT_FLOAT_EQ(material.diffuse_color.values[1].g, 1.0f);
  EXPECT_FALSE(sawMessage("Couldn't allocate memory"));
}

TEST_F(BuilderTest, TextureNodesReachTheLeavesTextureRecords) {
  ASSERT_EQ(parseVRMLIntoWorld(worldFile("textures.wrl").c_str(), world), 0);
  ZmObj* bricks = named("Bricks");
  for (const ZmLeaf* leaf = bricks->leaf; leaf; leaf = leaf->next) {
    const ZmTexture& texture = static_cast<const ZmShape*>(leaf)->texture;
    ASSERT_NE(texture.image->file, nullptr);
    EXPECT_EQ(texture.image->file->url, "brick.bmp");
    EXPECT_EQ(texture.image->wrapS, 1u);
    EXPECT_EQ(texture.image->wrapT, 0u);
    ASSERT_EQ(texture.uv.count, 4);
    EXPECT_FLOAT_EQ(texture.uv.values[2].x, 1.0f);
    EXPECT_FLOAT_EQ(texture.uv.values[2].y, 1.0f);
  }
  const ZmTextureImage& film = *shapeAt(named("Film"), 0)->texture.image;
  ASSERT_NE(film.movie, nullptr);
  ASSERT_NE(film.file, nullptr);
  EXPECT_EQ(film.file->url, "clip.avi");
  EXPECT_EQ(film.movie->playing, 0);
  EXPECT_EQ(film.movie->width, 64);
  EXPECT_EQ(film.movie->height, 32);
  EXPECT_FLOAT_EQ(film.movie->framesPerSec, 8.0f);
  EXPECT_STREQ(film.movie->soundFile, "clip.wav");
}

// A Texture2 without a file name ends the texture before it and names no
// file, so nothing is later looked for in the world's folder.
TEST_F(BuilderTest, TextureWithoutAFileNameMeansNoTexture) {
  ASSERT_EQ(build("Separator { Texture2 { filename \"brick.bmp\" } DEF A Cube { }"
                  " Texture2 { } DEF B Cube { } }"),
            0);
  ASSERT_NE(shapeAt(named("A"), 0)->texture.image->file, nullptr);
  for (const ZmLeaf* leaf = named("B")->leaf; leaf; leaf = leaf->next)
    EXPECT_EQ(static_cast<const ZmShape*>(leaf)->texture.image->file, nullptr);
  EXPECT_FALSE(sawMessage("callZmWwwLoadFile() failed"));
}

// parts ( ALL | TOP ): every leaf still gets its texture and material.
TEST_F(BuilderTest, CylinderWithAllAndAnotherPartTexturesEveryLeaf) {
  ASSERT_EQ(parseVRMLIntoWorld(worldFile("textures.wrl").c_str(), world), 0);
  ZmObj* leafy = named("Leafy");
  int leaves = 0;
  for (const ZmLeaf* leaf = leafy->leaf; leaf; leaf = leaf->next, ++leaves) {
    const ZmShape* shape = static_cast<const ZmShape*>(leaf);
    ASSERT_NE(shape->texture.image->file, nullptr);
    EXPECT_EQ(shape->texture.image->file->url, "leaf.bmp");
    ASSERT_NE(shape->texture.image->mask, nullptr);
    EXPECT_EQ(shape->texture.image->mask->url, "leafmask.bmp");
    EXPECT_EQ(shape->texture.image->wrapT, 1u);
    EXPECT_EQ(shape->material->count, 1);
  }
  EXPECT_EQ(leaves, 3);
}

TEST_F(BuilderTest, ConePartsChooseTheirLeavesAndEachGetsAMaterial) {
  struct Case {
    const char* parts;
    std::vector<int32_t> kinds;
  } cases[] = {
      {"SIDES", {ZM_LEAF_CONE_SIDE}},
      {"BOTTOM", {ZM_LEAF_CONE_BOTTOM}},
      {"ALL", {ZM_LEAF_CONE_SIDE, ZM_LEAF_CONE_BOTTOM}},
      {"( ALL | BOTTOM )", {ZM_LEAF_CONE_SIDE, ZM_LEAF_CONE_BOTTOM}},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(build(std::string("Material { diffuseColor 0 0 1 } DEF K Cone { parts ") + c.parts + " }"), 0);
    ZmObj* cone = named("K");
    std::vector<int32_t> kinds;
    for (const ZmLeaf* leaf = cone->leaf; leaf; leaf = leaf->next) {
      kinds.push_back(leaf->kind);
      EXPECT_FLOAT_EQ(static_cast<const ZmShape*>(leaf)->material->diffuse_color.values[0].b, 1.0f) << c.parts;
    }
    EXPECT_EQ(kinds, c.kinds) << c.parts;
    EXPECT_EQ(zmDeleteZmObj(cone), 0);
  }
}

TEST_F(BuilderTest, UnknownNodeTypeYieldsNoObjectsAndFailure) {
  EXPECT_EQ(parseVRMLIntoWorld(worldFile("unknown_node.wrl").c_str(), world), -1);
  EXPECT_TRUE(topObjects().empty());
  EXPECT_EQ(world->objectCount, 0);
}

TEST_F(BuilderTest, NestedUnknownNodesMakeNothing) {
  ASSERT_EQ(build("Separator { Cuboid { } DEF C Cube { } }"), 0);
  ASSERT_EQ(topObjects().size(), 1u);
  EXPECT_EQ(world->objectCount, 1);
}

TEST_F(BuilderTest, PointSetTakesItsRunOfTheCoordinates) {
  struct Case {
    const char* fields;
    std::vector<float> xs;
  } cases[] = {
      {"", {0, 1, 2, 3}},
      {"startIndex 1 numPoints 2", {1, 2}},
      {"startIndex 2", {2, 3}},
      {"startIndex 3 numPoints 9", {3}},
      {"startIndex 7", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fields);
    builderMessages.clear();
    ASSERT_EQ(build(std::string("Separator { Coordinate3 { point [ 0 0 0, 1 0 0, 2 0 0, 3 0 0 ] }"
                                " Material { diffuseColor [ 1 0 0, 0 1 0 ] } MaterialBinding { value PER_VERTEX }"
                                " DEF P PointSet { ") +
                    c.fields + " } }"),
              0);
    ZmObj* object = named("P");
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->vrmlType, ZM_VRML_POINT_SET);
    const auto* points = static_cast<const ZmPointSet*>(object->leaf);
    ASSERT_EQ(points->kind, ZM_LEAF_POINT_SET);
    std::vector<float> xs;
    for (int32_t i = 0; i < points->vertex.count; ++i) xs.push_back(points->vertex.values[i].x);
    EXPECT_EQ(xs, c.xs);
    EXPECT_EQ(points->materialBinding, 6);
    EXPECT_EQ(points->material->count, 2);
    EXPECT_EQ(sawMessage("QvPointSet::createZmLeaf(): no points in the coordinates."), c.xs.empty());
    if (!c.xs.empty()) {
      const ZmBoundingCube* cube = zmGetBoundingCube(object);
      ASSERT_NE(cube, nullptr);
      EXPECT_FLOAT_EQ(cube->local_min.x, c.xs.front());
      EXPECT_FLOAT_EQ(cube->local_max.x, c.xs.back());
    }
    zmDeleteZmObj(object);
  }
}

// After building, and after the Group moves, the Group's children have the
// world matrices the file describes: the preceding transform counts once.
TEST_F(BuilderTest, GroupChildrenDoNotGetAPrecedingTransformTwice) {
  ASSERT_EQ(parseVRMLIntoWorld(worldFile("group_transform.wrl").c_str(), world), 0);
  ZmObj* outer = named("Outer");
  ZmObj* inner = named("Inner");
  expectTranslation(outer->localRT, 1, 0, 0);
  expectTranslation(inner->localRT, 0, 1, 0);
  expectTranslation(named("Later")->localRT, 1, 1, 0);
  outer->obj_flags &= ~ZM_OBJ_WRT_VALID;
  ASSERT_EQ(zmInvalidateChildWRT(outer), 0);
  expectTranslation(*zmGetWRT(inner), 1, 1, 0);
  ZmVec3 shift = {0, 0, 5};
  ASSERT_EQ(zmObjectTrans(outer, &shift, ZM_COORD_PARENT, 1), 0);
  expectTranslation(*zmGetWRT(inner), 1, 1, 5);
}

// The Separator that wraps a file is unwrapped: a transform in front of it
// stays part of each child's matrix when the children become top objects.
TEST_F(BuilderTest, UnwrappedSeparatorsChildrenKeepTheTransformInFrontOfIt) {
  ASSERT_EQ(build("Translation { translation 0 0 3 } Separator { Translation { translation 1 0 0 } DEF C Cube { } }"),
            0);
  ZmObj* cube = named("C");
  expectTranslation(cube->localRT, 1, 0, 3);
  cube->obj_flags &= ~ZM_OBJ_WRT_VALID;
  expectTranslation(*zmGetWRT(cube), 1, 0, 3);
}

TEST_F(BuilderTest, EmptyTopLevelSeparatorIsDeletedAndPlacesNothing) {
  ASSERT_EQ(build("Separator { Material { } }"), 0);
  EXPECT_TRUE(topObjects().empty());
  EXPECT_EQ(world->objectCount, 0);
  EXPECT_TRUE(sawMessage("zmSetBoundingCube(): child and leaf is null."));
  EXPECT_TRUE(sawMessage("makeItTopObjInWorld1: pointer to child of ZmObj is null."));
}

// Empty Separators are noted once a build, at the first of them: a world
// of thousands would otherwise fill the log with one note each.
TEST_F(BuilderTest, EmptyObjectsAreNotedOnceABuild) {
  const char* kNote = "zmSetBoundingCube(): child and leaf is null.";
  auto notes = [&] {
    long count = 0;
    for (const std::string& m : builderMessages) count += m.find(kNote) != std::string::npos;
    return count;
  };
  const std::string body =
      "Separator {\n Separator { }\n Separator { Material { } }\n Separator { Separator { } }\n DEF C Cube { }\n}";
  ASSERT_EQ(build(body), 0);
  EXPECT_EQ(notes(), 1);
  EXPECT_TRUE(sawMessage("Separator : Occurred at line 3")) << "the first empty one";
  ASSERT_EQ(build("\n" + body), 0);  // a line further down: not a repeat of the last warning
  EXPECT_EQ(notes(), 2) << "a new build notes again";
}

TEST_F(BuilderTest, LightsAndCamerasArePlacedAndCamerasRegistered) {
  ASSERT_EQ(build("Separator { DEF Spot SpotLight { } DEF Sun DirectionalLight { direction 1 0 0 }"
                  " DEF Eye PerspectiveCamera { position 0 0 10 heightAngle 0.5 } }"),
            0);
  ZmObj* spot = named("Spot");
  expectTranslation(spot->localRT, 0, 0, 1);
  const auto* spotLeaf = reinterpret_cast<const ZmSpotLight*>(spot->leaf);
  EXPECT_EQ(spotLeaf->on, 1);
  EXPECT_FLOAT_EQ(spotLeaf->cutOffAngle, 0.785398f);
  expectRows(named("Sun")->localRT, {0, 0, 1, 0, 1, 0, -1, 0, 0});
  ZmObj* eye = named("Eye");
  EXPECT_EQ(zmGetCameraFromCameraTable(world, 3), eye);
  EXPECT_FLOAT_EQ(reinterpret_cast<const ZmPerspectiveCamera*>(eye->leaf)->heightAngle, 0.5f);
}

TEST_F(BuilderTest, HandlersGoToTheNextObjectAndEveryAttachedObjectIsNotified) {
  std::vector<std::string> handlers;
  static std::vector<std::string>* added;
  added = &handlers;
  vrmlHooks.script->addEventHandler = [](ZmObj* object, const char* file, uint32_t mask, int type, const char* function,
                                   const char*, const char*) {
    added->push_back(std::string(object->comment[1]) + " " + file + " " + function + " " + std::to_string(mask) +
                     " " + std::to_string(type));
    return 0;
  };
  ASSERT_EQ(build("Separator { EventHandler { filename \"h.tcl\" function \"onPick\" eventType RIGHT_BUTTON_DOWN"
                  " scriptType TCL } DEF S Separator { DEF C Cube { } } CalendarTask { } DEF G Group { DEF D Cube { } } }"),
            0);
  EXPECT_EQ(handlers, std::vector<std::string>{"S h.tcl onPick 65536 1"});
  // Every object with attachments is told of its creation; a Group is not.
  EXPECT_EQ(builderCalls, (std::vector<std::string>{"CREATE_NOTIFY ", "CREATE_NOTIFY S", "CREATE_NOTIFY C",
                                                   "CREATE_NOTIFY D"}));
  EXPECT_TRUE(sawMessage("The CalendarTask cannot set in the ZmObj."));
}

// A stop flag or body file set outside the parse does not reach it, and the
// parse gives back the session it found.
TEST_F(BuilderTest, StopFlagAndBodyFileOutsideAParseDoNotReachIt) {
  static int bodiesAsked;
  bodiesAsked = 0;
  vrmlHooks.media->kinNew = [](ZmWorld*, const char*, const char*, ZmObj**) {
    ++bodiesAsked;
    return -1;
  };
  qvSession().stopFlag = 1;
  zmParseSetKinemationFile("walker.bvh");
  ASSERT_EQ(build("Separator { Info { } DEF A Cube { } DEF B Cube { } }"), 0);
  EXPECT_EQ(topObjects().size(), 2u);
  EXPECT_EQ(bodiesAsked, 0);
  EXPECT_EQ(qvSession().stopFlag, 1);
  ASSERT_NE(qvSession().kinemationFile, nullptr);
  EXPECT_STREQ(qvSession().kinemationFile.get(), "walker.bvh");
  qvSession().stopFlag = 0;
  qvSession().kinemationFile.reset();
}

TEST(QvStateTest, LevelsRestoreWhatWasPushedInside) {
  QvState state(nullptr);
  ASSERT_TRUE(state.isUsable());
  EXPECT_EQ(state.getDepth(), 0);
  for (int i = 0; i < QV_STACK_COUNT; ++i) {
    if (i != QV_WORLD_RT && i != QV_LOCAL_RT) {
      EXPECT_EQ(state.getTopElement(i), nullptr);
    }
  }
  QvElement* outerWorld = state.getTopElement(QV_WORLD_RT);
  ASSERT_TRUE(state.pushNode(QV_SCALE, nullptr));  // depth 0: survives every pop back to 0
  QvElement* outerScale = state.getTopElement(QV_SCALE);
  state.push();
  state.addElement(QV_WORLD_RT, new QvElement);
  ASSERT_TRUE(state.pushNode(QV_MATERIAL, nullptr));
  state.pop();
  EXPECT_EQ(state.getTopElement(QV_WORLD_RT), outerWorld);
  EXPECT_EQ(state.getTopElement(QV_MATERIAL), nullptr);
  EXPECT_EQ(state.getTopElement(QV_SCALE), outerScale);
  state.push();
  state.popElement(QV_SCALE);  // pushed at an outer level: removed all the same
  EXPECT_EQ(state.getTopElement(QV_SCALE), nullptr);
  state.pop();
}

TEST_F(BuilderTest, NodeThatContainsItselfIsConvertedOnce) {
  builderMessages.clear();
  ASSERT_EQ(build("DEF Loop Group { Cube { } USE Loop }\n"), 0);
  std::vector<ZmObj*> tops = topObjects();
  ASSERT_EQ(tops.size(), 1u);
  ASSERT_NE(tops[0]->child, nullptr);
  EXPECT_EQ(world->objectCount, 2);
  EXPECT_TRUE(sawMessage("traverse: node \"Loop\" contains itself; passed over."));
}
