// Tests of the time-out queue on the virtual clock.
#include <fstream>
#include <string>
#include <vector>

#include "core/event.h"
#include "loading/urltable.h"
#include "media/timeouthooks.h"
#include "script/timeouts.h"
#include "tests/script/script_fixture.h"

namespace {

std::vector<std::string> runs;

int recordRun(ZmObj*, ZmEvent* event, const char* userData) {
  EXPECT_EQ(event->type, uint32_t(ZM_EVENT_TIME_OUT));
  runs.push_back(userData);
  return 0;  // a periodic one stays queued
}

class TimeOutsTest : public ScriptTest {
 protected:
  void SetUp() override {
    ScriptTest::SetUp();
    runs.clear();
    world = newWorld();
    object = newObject(world);
  }
  ZmTimeOutHandlerList* addNative(uint32_t interval, const char* data, int taskType = 0) {
    return zmAddTimeOutHandler(object, "", interval, 4, reinterpret_cast<const void*>(recordRun), data, taskType);
  }
  int queued() const {
    int count = 0;
    for (ZmTimeOutHandlerList* r = world->timeOutQueue; r != nullptr; r = r->next) ++count;
    return count;
  }
  ZmWorld* world;
  ZmObj* object;
};

TEST_F(TimeOutsTest, SameTimeRecordsRunInQueueOrder) {
  addNative(100, "first");
  addNative(200, "later");
  addNative(200, "before later");  // equal to a record further on: goes before it
  addNative(100, "after first");   // equal to the first record: goes after it
  platform::advanceClock(99);
  EXPECT_EQ(zmWakeUpTask(world), 0);
  EXPECT_TRUE(runs.empty());
  platform::advanceClock(101);
  EXPECT_EQ(zmWakeUpTask(world), 0);
  EXPECT_EQ(runs, (std::vector<std::string>{"first", "after first", "before later", "later"}));
  EXPECT_EQ(queued(), 0);  // sporadic tasks run once
}

// Media's frame steppers go through the same queue as native callbacks.
TEST_F(TimeOutsTest, MediaTimeOutsRunAsNativeTasksUntilRemoved) {
  ZmTimeOutHandlerList* record = mediaScript().addTimeOutHandler(object, 250, recordRun, 1);
  ASSERT_NE(record, nullptr);
  platform::advanceClock(1000);
  EXPECT_EQ(zmWakeUpTask(world), 0);
  EXPECT_EQ(runs.size(), 4u);
  mediaScript().removeTimeOutHandler(object, record);
  EXPECT_EQ(queued(), 0);
  platform::advanceClock(1000);
  EXPECT_EQ(zmWakeUpTask(world), 0);
  EXPECT_EQ(runs.size(), 4u);
}

TEST_F(TimeOutsTest, ABlockedPeriodicTaskCatchesUp) {
  addNative(100, "tick", 1);
  platform::advanceClock(1000);
  EXPECT_EQ(zmWakeUpTask(world), 0);
  EXPECT_EQ(runs.size(), 10u);
  EXPECT_EQ(queued(), 1);
}

TEST_F(TimeOutsTest, IntervalZeroRunsOncePerWakeUp) {
  addNative(0, "spin", 1);
  for (int wake = 1; wake <= 3; ++wake) {
    EXPECT_EQ(zmWakeUpTask(world), 0);
    EXPECT_EQ(runs.size(), size_t(wake));
  }
}

TEST_F(TimeOutsTest, AProcedureResultKeepsOrEndsAPeriodicTask) {
  struct Case {
    const char* body;
    int wakeResult;
    int queuedAfter;
  } cases[] = {{"return 0", 0, 1}, {"", 0, 0}, {"return 1", 0, 0}, {"error broken", -1, 0}};
  for (const Case& c : cases) {
    zmDeleteObjTimeOutHandler(object);
    ASSERT_EQ(eval(world, std::string("proc task {o e u} {") + c.body + "}"), 0);
    ASSERT_NE(zmAddTimeOutHandler(object, "", 10, 1, "task", "", 1), nullptr);
    platform::advanceClock(10);
    EXPECT_EQ(zmWakeUpTask(world), c.wakeResult) << c.body;
    EXPECT_EQ(queued(), c.queuedAfter) << c.body;
  }
}

TEST_F(TimeOutsTest, ARecordRemovedOrWhoseObjectIsDeletedDuringItsRunIsFreed) {
  std::string text;
  ASSERT_EQ(eval(world, "proc keep {o e u} {set ::o $o}"), 0);
  int result = 0;
  ASSERT_EQ(zmScriptEvalFunction(world, 1, 1, "keep", object, nullptr, "", "", &result), 0);
  ASSERT_EQ(eval(world, "proc stop {o e u} {zmRemoveTimeOutHandler $o $::handle; return 0}\n"
                        "set ::handle [zmAddTimeOutHandler $::o 10 1 {} stop {} 1]",
                 &text),
            0);
  platform::advanceClock(10);
  EXPECT_EQ(zmWakeUpTask(world), 0);
  EXPECT_EQ(queued(), 0);
  EXPECT_EQ(eval(world, "zmRemoveTimeOutHandler $::o $::handle"), -1);  // the handle went with the record

  static ZmObj* doomed;
  doomed = object;
  Tcl_CreateCommand(
      zmScriptGetInterp(world), "deleteMe",
      [](ClientData, Tcl_Interp*, int, const char**) { return zmDeleteZmObj(doomed); }, nullptr, nullptr);
  ASSERT_EQ(eval(world, "proc vanish {o e u} {deleteMe; return 0}"), 0);
  ASSERT_NE(zmAddTimeOutHandler(object, "", 10, 1, "vanish", "", 1), nullptr);
  platform::advanceClock(10);
  EXPECT_EQ(zmWakeUpTask(world), 0);
  EXPECT_EQ(queued(), 0);
}

TEST_F(TimeOutsTest, RemovingARecordNotQueuedDoesNothingAndResetRetimes) {
  ZmTimeOutHandlerList* record = addNative(100, "a", 1);
  ZmTimeOutHandlerList stranger = {};
  zmRemoveTimeOutHandler(object, &stranger);
  EXPECT_EQ(queued(), 1);
  platform::advanceClock(5000);  // loading took five seconds
  EXPECT_EQ(zmResetTimeOutHandlers(world), 0);
  EXPECT_EQ(zmWakeUpTask(world), 0);
  EXPECT_TRUE(runs.empty());
  platform::advanceClock(100);
  EXPECT_EQ(zmWakeUpTask(world), 0);
  EXPECT_EQ(runs.size(), 1u);
  zmRemoveTimeOutHandler(object, record);
  EXPECT_EQ(queued(), 0);
  EXPECT_EQ(zmResetTimeOutHandlers(world), -1);
}

TEST_F(TimeOutsTest, AScriptFileWithErrorsIsOnlyAWarning) {
  std::filesystem::path script = folder / "broken.tcl";
  std::ofstream(script) << "proc {";
  zmSetUrlFetch([](ZmUrlHash* entry) -> const char* { return zmGetUrl(entry); });
  EXPECT_EQ(zmAddTimeOutHandler(object, script.c_str(), 10, 1, "task", "", 0), nullptr);
  EXPECT_TRUE(noticed("zmAddTimeOutHandler: zmRegisterAndEvalScriptFile error"));
  EXPECT_TRUE(platform::recordedEvents("MessageBox").empty());
}

}  // namespace
