// The example world with a script: its task turns the cube, a pick on it
// changes its colour.
#include <functional>

#include "core/event.h"
#include "core/leaf.h"
#include "core/material.h"
#include "script/events.h"
#include "script/timeouts.h"
#include "tests/script/script_fixture.h"
#include "vrml/parse.h"

namespace {

ZmObj* findObject(ZmObj* object, const std::function<bool(ZmObj*)>& wanted) {
  if (wanted(object)) return object;
  for (ZmChildList* node = object->child; node != nullptr; node = node->next)
    if (ZmObj* found = findObject(node->object, wanted)) return found;
  return nullptr;
}

ZmObj* findInWorld(ZmWorld* world, const std::function<bool(ZmObj*)>& wanted) {
  for (ZmTopObjList* node = world->topObjects; node != nullptr; node = node->next)
    if (ZmObj* found = findObject(node->object, wanted)) return found;
  return nullptr;
}

TEST_F(ScriptTest, TheSpinningCubeTurnsAndChangesColour) {
  ZmWorld* world = newWorld();
  zmSetCurrentWorld(world);
  ASSERT_EQ(parseVRMLIntoWorld(LUMENFOLD_SOURCE_DIR "/examples/spinning.wrl", world), 0);
  ASSERT_NE(world->topObjects, nullptr);
  ZmObj* turning = findInWorld(world, [&](ZmObj* o) {
    for (ZmTimeOutHandlerList* r = world->timeOutQueue; r; r = r->next)
      if (r->object == o) return true;
    return false;
  });
  ZmObj* clickable = findInWorld(world, [](ZmObj* o) { return (o->eventMask & ZM_EVENT_PICK) != 0; });
  ASSERT_NE(turning, nullptr);
  ASSERT_NE(clickable, nullptr);
  float before = turning->localRT.m[0];
  platform::advanceClock(400);
  EXPECT_EQ(zmWakeUpTask(world), 0);
  EXPECT_NE(turning->localRT.m[0], before);  // ten turns of three degrees

  ZmObj* shape = findObject(clickable, [](ZmObj* o) { return o->leaf != nullptr; });
  ASSERT_NE(shape, nullptr);
  auto* diffuse = static_cast<ZmMFColor*>(zmGetLeafMaterial(shape->leaf, 2));
  ASSERT_NE(diffuse, nullptr);
  ASSERT_GE(diffuse->count, 1);
  float red = diffuse->values[0].r;
  ZmEvent pick = {};
  pick.type = ZM_EVENT_PICK;
  EXPECT_EQ(zmCallEventHandler(shape, &pick), 0);
  diffuse = static_cast<ZmMFColor*>(zmGetLeafMaterial(shape->leaf, 2));
  EXPECT_NE(diffuse->values[0].r, red);
  EXPECT_TRUE(notices().empty()) << notices().front();
}

}  // namespace
