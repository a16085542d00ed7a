// Worlds: defaults, emptying order, top objects, handlers, bounding box.
#include "tests/core/scene_fixture.h"

#include "core/camera.h"
#include "core/hash.h"
#include "tests/core/shape_builders.h"

using WorldTest = SceneTest;

TEST_F(WorldTest, ClearingLeavesTheDefaults) {
  make("a");
  world->viewerSpeed = 3.0f;
  world->backgroundColor[1] = 0.5f;
  world->title = zmStrdup("title");
  ASSERT_EQ(zmClearWorld(world), 0);
  EXPECT_STREQ(world->name, "foo");
  EXPECT_FLOAT_EQ(world->viewerSpeed, 0.1f);
  EXPECT_EQ(world->backgroundColor[1], 0.0f);
  EXPECT_EQ(world->title, nullptr);
  EXPECT_EQ(world->objectCount, 0);
  EXPECT_EQ(world->topObjects, nullptr);
  ASSERT_NE(world->idTable, nullptr);
  EXPECT_EQ(world->idTable->bucketCount, 500u);
  ASSERT_NE(world->cameraTable, nullptr);
  EXPECT_EQ(world->cameraTable->activeId, 1);
  EXPECT_EQ(world->cameraTable->first, nullptr);
  EXPECT_EQ(world->destroyHandlerCount, 1);  // the URL table's deleter
  // The id range is left as the program had it; a new world resets it.
  ZmObj* object = nullptr;
  ASSERT_EQ(zmNewZmObj(world, &object, 0), 0);
  ASSERT_EQ(zmAddTopObject(object, nullptr), 0);
  EXPECT_EQ(object->id, -9999);
}

static ZmWorld* destroyedWorld = nullptr;

TEST_F(WorldTest, EmptyingDeletesTheTreeBeforeTheRendererAndUrlTable) {
  ZmObj* top = make("top");
  make("child", top);
  zmAddLeaf(top, 0, zmNewShape(ZM_LEAF_SOUND));
  ASSERT_EQ(zmAddZmObjToZmMFObj(&world->soundObjects, top), 0);
  world->scriptContext = world;  // as scripting would have made one
  ASSERT_EQ(zmAddWorldDestroyHandler(world, [](ZmWorld* w) {
              destroyedWorld = w;
              sceneCalls.push_back("destroy handler");
            }), 0);
  sceneCalls.clear();
  ASSERT_EQ(zmEmptyWorld(world), 0);
  const std::vector<std::string> expected = {
      "destroyObjInViewer top",
      "deleteObjTimeOutHandler child", "deleteObjLabels child",
      "deleteObjTimeOutHandler top", "deleteSoundLeaf ?", "pause3DMovie top", "deleteObjLabels top",
      // then the destroy handlers, the last registered first
      "destroy handler", "deleteUrlHash",
      "soundSetWorld null", "renderDestroyWorldInViewer", "scriptExit",
  };
  EXPECT_EQ(sceneCalls, expected);
  EXPECT_EQ(destroyedWorld, world);
  EXPECT_EQ(world->idTable, nullptr);
  EXPECT_EQ(world->cameraTable, nullptr);
  EXPECT_EQ(world->soundObjects.count, 0);
  EXPECT_EQ(world->name, nullptr);
  // A second emptying finds nothing left to release.
  sceneCalls.clear();
  EXPECT_EQ(zmEmptyWorld(world), 0);
  EXPECT_EQ(sceneCalls, (std::vector<std::string>{"soundSetWorld null", "renderDestroyWorldInViewer"}));
  zmInitWorld(world, 500, "again");  // for the fixture's deletion
}

TEST_F(WorldTest, AFailingScriptExitIsReturned) {
  world->scriptContext = world;
  hooks.script->scriptExit = [](ZmWorld*, int) { return 7; };
  EXPECT_EQ(zmEmptyWorld(world), 7);
  hooks.viewer->renderDestroyWorldInViewer = [](ZmWorld*) { return -1; };
  zmInitWorld(world, 500, "x");
  EXPECT_EQ(zmDeleteWorld(world), -1);
  EXPECT_EQ(sceneMessages.back(), "zmDeleteWorld : fail to delete contents.");
  hooks.viewer->renderDestroyWorldInViewer = kCoreViewerDefaults.renderDestroyWorldInViewer;
  zmInitWorld(world, 500, "y");
}

static std::vector<int> exitOrder;

TEST_F(WorldTest, HandlerTablesHoldTenAndRunBackwards) {
  zmInitExitHandlers();
  exitOrder.clear();
  EXPECT_EQ(zmAddExitHandler([] { exitOrder.push_back(1); }), 0);
  EXPECT_EQ(zmAddExitHandler([] { exitOrder.push_back(2); }), 0);
  for (int i = 2; i < 10; ++i) EXPECT_EQ(zmAddExitHandler([] {}), 0);
  EXPECT_EQ(zmAddExitHandler([] {}), -1);
  zmCallExitHandlers();
  EXPECT_EQ(exitOrder, (std::vector<int>{2, 1}));
  zmInitExitHandlers();

  for (int i = 1; i < 10; ++i) EXPECT_EQ(zmAddWorldDestroyHandler(world, [](ZmWorld*) {}), 0);
  EXPECT_EQ(zmAddWorldDestroyHandler(world, [](ZmWorld*) {}), -1);
}

TEST_F(WorldTest, TopObjectsAndTheBoundingBoxWithoutThePerson) {
  ZmObj* a = make("a");
  ZmObj* person = make("person");
  ZmObj* b = make("b");
  EXPECT_EQ(world->topObjectCount, 3);
  ZmTopObjList* cursor = world->topObjects;
  EXPECT_EQ(zmGetNextTopObject(&cursor), a);
  EXPECT_EQ(zmGetNextTopObject(&cursor), person);
  EXPECT_EQ(zmGetNextTopObject(&cursor), b);
  EXPECT_EQ(zmGetNextTopObject(&cursor), nullptr);
  EXPECT_STREQ(world->topObjects->fileName, "test.wrl");

  zmAddLeaf(a, 0, newSphere(1.0f));
  zmAddLeaf(person, 0, newSphere(50.0f));
  zmAddLeaf(b, 0, newFace({{0, -3, 0}, {4, 0, 0.5f}, {4, -3, 0}}));
  world->person = person;
  zmSetWorldBoundingCube(world);
  EXPECT_EQ(world->boundingBox[0].y, -3.0f);
  EXPECT_EQ(world->boundingBox[0].x, -1.0f);
  EXPECT_EQ(world->boundingBox[1].x, 4.0f);
  EXPECT_EQ(world->boundingBox[1].z, 1.0f);

  EXPECT_EQ(zmRemoveTopObject(world, person), 0);
  EXPECT_EQ(zmRemoveTopObject(world, person), -1);
  EXPECT_EQ(world->topObjectCount, 2);
  ZmObj* c = make("c");  // appended after the new tail
  EXPECT_EQ(world->topObjects->next->next->object, c);
  ASSERT_EQ(zmAddTopObject(person, nullptr), 0);
}

// The builder asks for the boxes of Separators and shapes, not of a Group
// or an inline world: a top object whose box was never asked for still
// counts, with its place in the world, and one that has none adds nothing.
TEST_F(WorldTest, TheBoundingBoxAsksForBoxesNeverComputed) {
  ZmObj* group = make("group");
  ZmObj* plate = make("plate", group);
  zmAddLeaf(plate, 0, newFace({{-15, -15, -0.5f}, {15, 15, 0.5f}, {15, -15, 0}}));
  moveTo(group, 100, 0, 0);
  make("empty");
  ZmObj* lamp = make("lamp");
  zmAddLeaf(lamp, 0, zmNewPointLight());
  zmSetWorldBoundingCube(world);
  EXPECT_EQ(world->boundingBox[0].x, 85.0f);
  EXPECT_EQ(world->boundingBox[0].y, -15.0f);
  EXPECT_EQ(world->boundingBox[0].z, -0.5f);
  EXPECT_EQ(world->boundingBox[1].x, 115.0f);
  EXPECT_EQ(world->boundingBox[1].y, 15.0f);
  EXPECT_EQ(world->boundingBox[1].z, 0.5f);
}
