// Handlers that a world or its scripts wrote get their user data as a
// double-quoted word would give it; calls that come from the network pass
// the procedure name and the data exactly as they came.
#include <string>

#include "core/event.h"
#include "script/events.h"
#include "script/timeouts.h"
#include "tests/script/script_fixture.h"
#include "vrml/parse.h"

namespace {

TEST_F(ScriptTest, LocalHandlersSubstituteTheirUserDataNetworkCallsDoNot) {
  ZmWorld* world = newWorld();
  zmSetCurrentWorld(world);
  ASSERT_EQ(parseVRMLIntoWorld(LUMENFOLD_TEST_DATA "/handlers.wrl", world), 0);
  ZmObj* target = zmGetTopObjByPath("target.stone");  // the handler sits on the shape
  ASSERT_NE(target, nullptr);
  std::string noted;

  ZmEvent press = {};
  press.type = ZM_EVENT_LEFT_BUTTON_DOWN;
  ASSERT_EQ(zmCallEventHandler(target, &press), 0);
  ASSERT_EQ(eval(world, "set ::noted", &noted), 0);
  EXPECT_EQ(noted, "hello 4");

  ASSERT_EQ(eval(world, "zmAddTimeOutHandler [zmGetObjByName target] 10 1 {} note {$::greeting [string length ab]} 0"),
            0);
  platform::advanceClock(20);
  ASSERT_EQ(zmWakeUpTask(world), 0);
  ASSERT_EQ(eval(world, "set ::noted", &noted), 0);
  EXPECT_EQ(noted, "hello 2");

  // Data that cannot be substituted fails the delivery as a failing
  // procedure does.
  ASSERT_EQ(eval(world, "zmAddEventHandler [zmGetObjByName target.stone] 256 1 {} unreached {[no_such_command]}", &noted), 0);
  ASSERT_EQ(noted, "0");
  ZmEvent rightPress = {};
  rightPress.type = ZM_EVENT_RIGHT_BUTTON_DOWN;
  EXPECT_EQ(zmCallEventHandler(target, &rightPress), -1);

  int result = 0;
  ASSERT_EQ(zmScriptEvalFunction(world, 1, 1, "note", target, &press, "", "$::greeting [set ::ran 1]", &result), 0);
  ASSERT_EQ(eval(world, "set ::noted", &noted), 0);
  EXPECT_EQ(noted, "$::greeting [set ::ran 1]");
  EXPECT_EQ(zmScriptEvalFunction(world, 1, 1, "note; set ::ran 1", target, &press, "", "", &result),
            ZM_SCRIPT_NOT_A_WORLD_PROCEDURE);
  ASSERT_EQ(eval(world, "info exists ::ran", &noted), 0);
  EXPECT_EQ(noted, "0");
}

}  // namespace
