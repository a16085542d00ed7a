// Tests of the limits of script runs: a script that runs too long is
// stopped wherever it was started (a procedure of an event handler or a
// task, one another user names, a Script node's text, the substitution of a
// handler's user data), a world whose scripts take too much memory loses
// its interpreter while other worlds go on, and a stop asked for from
// outside ends a running script at once. The bounds are shortened for the
// tests (200 ms, 64 MB); the clock is the real one.
#include <chrono>
#include <functional>
#include <thread>

#include "core/event.h"
#include "platform/tclloop.h"
#include "script/events.h"
#include "script/limits.h"
#include "script/timeouts.h"
#include "tests/script/script_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kTestRunMs = 200;
constexpr size_t kTestMemory = size_t(64) << 20;

class LimitsSecurity : public ScriptTest {
 protected:
  void SetUp() override {
    ScriptTest::SetUp();
    // No toolkit serves the program's messages here: a wait holds the
    // program and counts (a test of the toolkit may have left its loop in).
    platform::removeTclEventSource();
    zmScriptSetLimitsForTest(kTestRunMs, kTestMemory);
    zmTurnOnFlag(ZM_FLAG_WARNING);
    world = newWorld();
    object = newObject(world);
    // zmTclerror must not be reached by a stopped run: it would fail too.
    ASSERT_EQ(eval(world, "proc zmTclerror {m} {incr ::errors}; set ::errors 0"), 0);
    ASSERT_EQ(eval(world, "proc spin {o e d} {incr ::calls; while 1 {}}; set ::calls 0"), 0);
  }
  void TearDown() override {
    zmScriptSetLimitsForTest(0, 0);
    zmScriptClearStopForTest();
    ScriptTest::TearDown();
  }

  // Runs `start` and gives how long it took in milliseconds.
  template <typename Start>
  static long long timed(Start start) {
    const auto before = Clock::now();
    start();
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - before).count();
  }

  std::string value(const std::string& script) {
    std::string text;
    EXPECT_EQ(eval(world, script, &text), 0) << script << ": " << text;
    return text;
  }

  ZmWorld* world = nullptr;
  ZmObj* object = nullptr;
};

// Every way a world's script is started: each loops for ever and comes back
// failed after the budget, a warning names what was stopped, "catch" holds
// nothing, and the world's interpreter serves the next script as before.
TEST_F(LimitsSecurity, ALoopIsStoppedWhereverItStarts) {
  ASSERT_EQ(eval(world, "foreach p {onPick onTask onCall} {proc $p {o e d} {while 1 {}}}"), 0);
  ZmEvent press = {};
  press.type = ZM_EVENT_PICK;
  struct Case {
    const char* name;
    std::function<int()> start;
    const char* warning;
  } cases[] = {
      {"event handler",
       [&] {
         zmAddEventHandler(object, "", ZM_EVENT_PICK, 1, "onPick", "", nullptr);
         return zmCallEventHandler(object, &press);
       },
       "onPick ran longer than 200 ms and was stopped."},
      {"periodic task",
       [&] {
         zmAddTimeOutHandler(object, "", 10, 1, "onTask", "", 1);
         platform::advanceClock(20);
         return zmWakeUpTask(world);
       },
       "onTask ran longer than 200 ms"},
      {"procedure named by another user",
       [&] {
         int result = 0;
         return zmScriptEvalFunction(world, 1, 1, "onCall", object, &press, "", "", &result);
       },
       "onCall ran longer than 200 ms"},
      {"Script node", [&] { return eval(world, "catch {while 1 {}}; set ::after 1"); },
       "the script \"catch {while 1 {}}; set ::after 1\" ran longer"},
      {"user data of a handler",
       [&] {
         int result = 0;
         return zmScriptEvalHandler(world, 1, "set", object, &press, "[while 1 {}]", &result);
       },
       "set ran longer than 200 ms"},
      {"waiting for an event", [&] { return eval(world, "vwait ::forever"); }, "the script \"vwait ::forever\""},
      {"sleeping", [&] { return eval(world, "after 100000"); }, "the script \"after 100000\""},
  };
  // Reading the program's standard input could block where no limit acts:
  // no world has it.
  EXPECT_EQ(value("list [catch {gets stdin} message] $message"), "1 {can not find channel named \"stdin\"}");
  for (const Case& c : cases) {
    notices().clear();
    int status = 0;
    const long long took = timed([&] { status = c.start(); });
    EXPECT_EQ(status, -1) << c.name;
    EXPECT_GE(took, kTestRunMs) << c.name;
    EXPECT_LT(took, kTestRunMs + 1000) << c.name;
    EXPECT_TRUE(noticed(c.warning)) << c.name;
    EXPECT_EQ(value("set ::errors"), "0") << c.name;
    EXPECT_EQ(value("info exists ::after"), "0") << c.name;
  }
}

// A procedure stopped once is not called again by handlers or by other
// users, so that a runaway FRAME handler cannot cost every frame its budget
// nor keep the FRAME handlers of other objects from running; another
// procedure runs as before.
TEST_F(LimitsSecurity, AStoppedProcedureIsNotCalledAgain) {
  ZmEvent frame = {};
  frame.type = ZM_EVENT_FRAME;
  ZmObj* other = newObject(world);
  ASSERT_EQ(eval(world, "proc tick {o e d} {incr ::ticks}; set ::ticks 0"), 0);
  ASSERT_EQ(zmAddEventHandler(object, "", ZM_EVENT_FRAME, 1, "spin", "", nullptr), 0);
  ASSERT_EQ(zmAddEventHandler(other, "", ZM_EVENT_FRAME, 1, "tick", "", nullptr), 0);
  EXPECT_EQ(zmCallWorldEventHandlers(world, &frame), -1);
  const long long again = timed([&] { EXPECT_EQ(zmCallWorldEventHandlers(world, &frame), 0); });
  EXPECT_LT(again, 50);
  EXPECT_EQ(value("set ::ticks"), "1");
  int result = 0;
  EXPECT_EQ(zmScriptEvalFunction(world, 1, 1, "spin", object, &frame, "", "", &result), 0);
  EXPECT_EQ(value("set ::calls"), "1");
  ASSERT_EQ(eval(world, "proc fine {o e d} {return 7}"), 0);
  EXPECT_EQ(zmScriptEvalFunction(world, 1, 1, "fine", object, &frame, "", "", &result), 0);
  EXPECT_EQ(result, 7);
}

// A run inside a run of the same world spends the outer run's budget: the
// inner loop ends both, and only the procedure that looped is reported.
TEST_F(LimitsSecurity, ANestedRunSpendsTheOuterBudget) {
  static ZmObj* target = object;
  target = object;
  ASSERT_EQ(zmAddEventHandler(object, "", ZM_EVENT_CREATE_NOTIFY, 1, "spin", "", nullptr), 0);
  // What a command that makes an object does: its handlers run at once.
  Tcl_CreateObjCommand(
      zmScriptGetInterp(world), "notify",
      [](ClientData, Tcl_Interp*, int, Tcl_Obj* const[]) {
        ZmEvent created = {};
        created.type = ZM_EVENT_CREATE_NOTIFY;
        return zmCallEventHandler(target, &created) == 0 ? TCL_OK : TCL_ERROR;
      },
      nullptr, nullptr);
  notices().clear();
  const long long took = timed([&] { EXPECT_EQ(eval(world, "after 50; notify; set ::outerDone 1"), -1); });
  EXPECT_LT(took, kTestRunMs + 1000);
  EXPECT_EQ(value("info exists ::outerDone"), "0");
  EXPECT_EQ(value("set ::calls"), "1");
  int reports = 0;
  for (const std::string& text : notices()) reports += text.find("ran longer than") != std::string::npos;
  EXPECT_EQ(reports, 1);
  EXPECT_TRUE(noticed("spin ran longer than 200 ms"));
}

// Memory taken by a world's scripts is counted across its runs: a task that
// grows a list a little each run stops the world's scripts once the bound
// is passed. The world's interpreter goes (what it held is given back), a
// message says why, and another world's scripts go on.
TEST_F(LimitsSecurity, AWorldPastTheMemoryBoundLosesItsScripts) {
  zmScriptSetLimitsForTest(10000, kTestMemory);  // memory, not time, stops these runs
  ZmWorld* other = newWorld();
  ASSERT_EQ(eval(world, "proc grow {o e d} {lappend ::kept [string repeat x 8000000]; return 0}"), 0);
  ASSERT_NE(zmAddTimeOutHandler(object, "", 10, 1, "grow", "", 1), nullptr);
  notices().clear();
  int wakes = 0;
  while (zmScriptGetInterp(world) != nullptr && wakes < 100) {
    platform::advanceClock(20);
    zmWakeUpTask(world);
    ++wakes;
  }
  EXPECT_EQ(zmScriptGetInterp(world), nullptr);
  EXPECT_GE(wakes, 3);  // several runs, each within the bound, added up
  EXPECT_TRUE(noticed("The scripts of test.wrl took more than 64 MB and were stopped."));
  int result = 0;
  EXPECT_EQ(zmScriptEvalStr(world, 1, "set a 1", &result), -1);
  std::string text;
  EXPECT_EQ(eval(other, "set b 2", &text), 0);
  EXPECT_EQ(text, "2");
}

// One run that grows fast is stopped at the slice that sees the bound
// passed, long before its time is up.
TEST_F(LimitsSecurity, AGrowingListIsStoppedWithinItsRun) {
  zmScriptSetLimitsForTest(20000, size_t(16) << 20);
  notices().clear();
  const long long took = timed([&] {
    EXPECT_EQ(eval(world, "while 1 {lappend ::l [string repeat x 1000000]}"), -1);
  });
  EXPECT_LT(took, 10000);
  EXPECT_TRUE(noticed("took more than 16 MB"));
  EXPECT_EQ(zmScriptGetInterp(world), nullptr);
}

// A stop asked for from outside (a signal's handler) ends the running
// script at its next slice, and no script begins afterwards.
TEST_F(LimitsSecurity, AStopRequestEndsTheRunningScriptAtOnce) {
  zmScriptSetLimitsForTest(60000, 0);
  std::thread signaller([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    zmScriptRequestStop();
  });
  const long long took = timed([&] { EXPECT_EQ(eval(world, "while 1 {}"), -1); });
  signaller.join();
  EXPECT_GE(took, 100);
  EXPECT_LT(took, 600);
  const long long next = timed([&] { EXPECT_EQ(eval(world, "while 1 {}"), -1); });
  EXPECT_LT(next, 50);
  EXPECT_FALSE(noticed("ran longer than"));
}

}  // namespace
