// Tests of event handlers: delivery up the tree, order, matching, removal
// and the world-wide caches.
#include <string>
#include <utility>
#include <vector>

#include "core/event.h"
#include "core/strings.h"
#include "script/events.h"
#include "tests/script/script_fixture.h"

namespace {

std::vector<std::string> runs;  // "userData@holder" of every native handler run

std::string nameOf(ZmObj* object) { return object && object->comment[1] ? object->comment[1] : "?"; }

int record(ZmObj* holder, ZmEvent*, const char* userData) {
  runs.push_back(std::string(userData) + "@" + nameOf(holder));
  return 0;
}

// Callbacks of their own: handlers with the same callback and type match.
template <int N>
int recordAs(ZmObj* holder, ZmEvent* event, const char* userData) {
  return record(holder, event, userData);
}
constexpr ZmEventCallback kCallbacks[] = {recordAs<0>, recordAs<1>, recordAs<2>};

class EventsTest : public ScriptTest {
 protected:
  void SetUp() override {
    ScriptTest::SetUp();
    runs.clear();
    world = newWorld();
    parent = named(newObject(world), "parent");
    child = named(newObject(world, parent), "child");
  }
  static ZmObj* named(ZmObj* object, const char* name) {
    object->comment[1] = zmStrdup(name);
    return object;
  }
  int add(ZmObj* object, uint32_t mask, const char* data, ZmEventCallback callback = record) {
    return zmAddEventHandler(object, "", mask, 4, reinterpret_cast<const void*>(callback), data, nullptr);
  }
  int deliver(ZmObj* object, uint32_t type) {
    ZmEvent event = {};
    event.type = type;
    int result = zmCallEventHandler(object, &event);
    EXPECT_EQ(event.object, object);
    return result;
  }
  ZmWorld* world;
  ZmObj* parent;
  ZmObj* child;
};

TEST_F(EventsTest, DeliveryTable) {
  struct Case {
    const char* name;
    std::vector<std::pair<bool, uint32_t>> handlers;  // {on the child?, mask}, added in order
    uint32_t event;
    std::vector<std::string> expected;
  } cases[] = {
      {"own handler", {{true, ZM_EVENT_KEY_DOWN}, {false, ZM_EVENT_KEY_DOWN}}, ZM_EVENT_KEY_DOWN, {"0@child"}},
      {"up to the parent", {{true, ZM_EVENT_LEFT_BUTTON_DOWN}, {false, ZM_EVENT_KEY_DOWN}}, ZM_EVENT_KEY_DOWN,
       {"1@parent"}},
      {"nobody wants it", {{true, ZM_EVENT_LEFT_BUTTON_DOWN}}, ZM_EVENT_KEY_DOWN, {}},
      {"create stops", {{false, ZM_EVENT_CREATE_NOTIFY}}, ZM_EVENT_CREATE_NOTIFY, {}},
      {"delete stops", {{false, ZM_EVENT_DELETE_NOTIFY}}, ZM_EVENT_DELETE_NOTIFY, {}},
      {"oldest first", {{true, ZM_EVENT_PICK}, {true, ZM_EVENT_PICK | ZM_EVENT_DRAG}, {true, ZM_EVENT_PICK}},
       ZM_EVENT_PICK, {"0@child", "1@child", "2@child"}},
  };
  for (const Case& c : cases) {
    for (ZmObj* object : {parent, child}) zmDeleteAllEventHandler(object);
    runs.clear();
    for (size_t i = 0; i < c.handlers.size(); ++i)
      ASSERT_EQ(add(c.handlers[i].first ? child : parent, c.handlers[i].second, std::to_string(i).c_str(),
                    kCallbacks[i]),
                0)
          << c.name;
    EXPECT_EQ(deliver(child, c.event), 0) << c.name;
    EXPECT_EQ(runs, c.expected) << c.name;
  }
}

TEST_F(EventsTest, DuplicatesAreRefusedAndRemovalClearsOnlyTheNamedBits) {
  ASSERT_EQ(add(child, ZM_EVENT_PICK | ZM_EVENT_GRAB, "a"), 0);
  EXPECT_EQ(add(child, ZM_EVENT_PICK | ZM_EVENT_GRAB, "a"), -1);
  auto remove = [&](uint32_t mask) {
    return zmRemoveEventHandler(child, "", mask, 4, reinterpret_cast<const void*>(record), "a", nullptr);
  };
  EXPECT_EQ(remove(ZM_EVENT_PICK), 0);
  EXPECT_EQ(child->eventMask, uint32_t(ZM_EVENT_GRAB));
  deliver(child, ZM_EVENT_PICK);
  deliver(child, ZM_EVENT_GRAB);
  EXPECT_EQ(runs, (std::vector<std::string>{"a@child"}));
  EXPECT_EQ(remove(ZM_EVENT_GRAB), 0);
  EXPECT_EQ(child->eventHandlers, nullptr);
  EXPECT_EQ(child->eventMask, 0u);
  EXPECT_EQ(remove(ZM_EVENT_GRAB), -1);
}

TEST_F(EventsTest, ScriptHandlersSeeTheirObjectAndEventAndAFailureStopsTheRest) {
  ASSERT_EQ(eval(world, "proc first {o e u} {lappend ::seen [zmGetEventType $e] [expr {[zmGetEventObj $e] == $o}] $u}\n"
                        "proc broken {o e u} {error no}\n"
                        "proc last {o e u} {lappend ::seen last}"),
            0);
  for (const char* procedure : {"first", "broken", "last"})
    ASSERT_EQ(zmAddEventHandler(child, "", ZM_EVENT_PICK, 1, procedure, procedure, nullptr), 0);
  EXPECT_EQ(deliver(child, ZM_EVENT_PICK), -1);
  std::string seen;
  ASSERT_EQ(eval(world, "set ::seen", &seen), 0);
  EXPECT_EQ(seen, "65536 1 first");
}

TEST_F(EventsTest, WorldWideDeliverySkipsObjectsDeletedMeanwhile) {
  ZmObj* other = named(newObject(world), "other");
  ASSERT_EQ(eval(world, "proc removeOther {o e u} {lappend ::seen $u; zmDelObjFromTest}\n"
                        "proc note {o e u} {lappend ::seen $u}"),
            0);
  static ZmObj* doomed;
  doomed = other;
  Tcl_CreateCommand(
      zmScriptGetInterp(world), "zmDelObjFromTest",
      [](ClientData, Tcl_Interp*, int, const char**) { return zmDeleteZmObj(std::exchange(doomed, nullptr)); },
      nullptr, nullptr);
  ASSERT_EQ(zmAddEventHandler(child, "", ZM_EVENT_WORLD_IN | ZM_EVENT_FRAME, 1, "removeOther", "child", nullptr), 0);
  ASSERT_EQ(zmAddEventHandler(other, "", ZM_EVENT_FRAME | ZM_EVENT_WORLD_IN, 1, "note", "other", nullptr), 0);
  EXPECT_EQ(world->eventObjects[0].count, 2);
  EXPECT_EQ(world->eventObjects[2].count, 2);
  ZmEvent enter = {};
  enter.type = ZM_EVENT_WORLD_IN;
  EXPECT_EQ(zmCallWorldEventHandlers(world, &enter), 0);
  std::string seen;
  ASSERT_EQ(eval(world, "set ::seen", &seen), 0);
  EXPECT_EQ(seen, "child child");  // from the WORLD_IN cache, then the FRAME cache
  EXPECT_EQ(world->eventObjects[0].count, 1);  // the deleted object left every cache
  EXPECT_EQ(world->eventObjects[2].count, 1);
}

TEST_F(EventsTest, AnObjectStandsInACacheOncePerHandler) {
  ASSERT_EQ(add(child, ZM_EVENT_FRAME, "a"), 0);
  ASSERT_EQ(zmAddEventHandler(child, "", ZM_EVENT_FRAME, 4, reinterpret_cast<const void*>(record), "b", "actor"), 0);
  EXPECT_EQ(world->eventObjects[2].count, 2);
  ZmEvent frame = {};
  frame.type = ZM_EVENT_FRAME;
  EXPECT_EQ(zmCallWorldEventHandlers(world, &frame), 0);
  EXPECT_EQ(runs, (std::vector<std::string>{"a@child", "b@child", "a@child", "b@child"}));
  EXPECT_EQ(zmRemoveEventHandler(child, "", ZM_EVENT_FRAME, 4, reinterpret_cast<const void*>(record), "a", nullptr),
            0);
  EXPECT_EQ(world->eventObjects[2].count, 1);
}

TEST_F(EventsTest, EventCommandsFromScripts) {
  std::string text;
  ASSERT_EQ(eval(world, "proc keep {o e u} {set ::o $o}"), 0);
  int result = 0;
  ASSERT_EQ(zmScriptEvalFunction(world, 1, 1, "keep", child, nullptr, "", "", &result), 0);
  ASSERT_EQ(eval(world, "proc onPick {o e u} {zmGetEventPoint $e ::x ::y ::z; zmGetEventTime $e ::s ::ms}\n"
                        "zmAddEventHandler $::o 65536 1 {} onPick data",
                 &text),
            0);
  EXPECT_EQ(text, "0");
  EXPECT_EQ(eval(world, "zmAddEventHandler $::o 65536 1 {} onPick data", &text), 0);
  EXPECT_EQ(text, "-1");  // the same again
  EXPECT_EQ(eval(world, "zmAddEventHandler $::o 65536 1 {} onPick data x"), -1);
  EXPECT_TRUE(noticed("zmAddEventHandler:wrong args:zmAddEventHandler ZmObj ZmBitMask"));
  EXPECT_EQ(eval(world, "zmAddEventHandler $::o 65536 4 {} 1234 data"), -1);  // no callback from a script
  ZmEvent pick = {};
  pick.type = ZM_EVENT_PICK;
  pick.x = 1.5f;
  pick.timeSec = 77;
  pick.timeMsec = 5;
  ASSERT_EQ(zmCallEventHandler(child, &pick), 0);
  ASSERT_EQ(eval(world, "list $::x $::s $::ms", &text), 0);
  EXPECT_EQ(text, "1.500000 77 5");
  EXPECT_EQ(eval(world, "zmGetEventType 12"), -1);  // no event is being delivered
}

}  // namespace
