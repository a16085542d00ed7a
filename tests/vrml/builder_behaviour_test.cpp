// tests/vrml/builder_behaviour_test.cpp -- EventHandler, Script, the task
// nodes and Attributes: what each object takes from the pending nodes and
// hands to scripting, in which order, and what is refused.
#include "tests/vrml/builder_ext_fixture.h"
#include "vrml/extnodes.h"

using ::testing::ElementsAre;

TEST_F(ExtensionTest, BehaviourNodesAttachToTheNextObjectInOrder) {
  ASSERT_EQ(parseVRMLIntoWorld(worldFile("behaviour.wrl").c_str(), world), 0);
  // The handler goes to the Separator after it, whose CREATE_NOTIFY comes
  // before its children's; BUTTON hands out PICK for RIGHT_BUTTON_DOWN.
  EXPECT_THAT(callsStartingWith("HANDLER"),
              ElementsAre("HANDLER Holder mask 0x100f8 type 1 function onPick data ball file pick.tcl action Lamp"));
  EXPECT_THAT(callsStartingWith("CREATE_NOTIFY"),
              ElementsAre("CREATE_NOTIFY ", "CREATE_NOTIFY Holder", "CREATE_NOTIFY Inner", "CREATE_NOTIFY Sibling",
                          "CREATE_NOTIFY Timed", "CREATE_NOTIFY Flagged", "CREATE_NOTIFY Plain"));
  std::vector<std::string> handlerThenNotify(builderCalls.begin(), builderCalls.begin() + 3);
  EXPECT_THAT(handlerThenNotify, ElementsAre("CREATE_NOTIFY ", ::testing::StartsWith("HANDLER Holder"),
                                             "CREATE_NOTIFY Holder"));
  EXPECT_THAT(callsStartingWith("SCRIPT"), ElementsAre("SCRIPT type 1 set a 1\nset b 2"));
  EXPECT_THAT(callsStartingWith("SPORADIC"), ElementsAre("SPORADIC Timed 500 type 1 function once data u1 file t.tcl"));
  EXPECT_THAT(callsStartingWith("PERIODIC"), ElementsAre("PERIODIC Timed -20 type 0 function tick data u2 file p.tcl"));
  EXPECT_TRUE(sawMessage("QvNode::setZmCalendarTask() : The CalendarTask cannot set in the ZmObj."));
}

TEST_F(ExtensionTest, AttributesSetFlagsCommentAndLeafShadingOfOneObject) {
  ASSERT_EQ(parseVRMLIntoWorld(worldFile("behaviour.wrl").c_str(), world), 0);
  ZmObj* flagged = named("Flagged");
  EXPECT_EQ(flagged->obj_flags & ZM_OBJ_VISIBLE, 0u);
  for (uint32_t bit : {ZM_OBJ_GRASP, ZM_OBJ_SOLID, ZM_OBJ_COLLISION, ZM_OBJ_MOBILE})
    EXPECT_NE(flagged->obj_flags & bit, 0u) << std::hex << bit;
  ASSERT_NE(flagged->comment[3], nullptr);
  EXPECT_STREQ(flagged->comment[3], "a note");
  for (ZmLeaf* leaf = flagged->leaf; leaf; leaf = leaf->next) {
    EXPECT_EQ(static_cast<ZmShape*>(leaf)->leafFlags & ZM_LEAF_BACKFACE, 0u);
    EXPECT_NE(static_cast<ZmShape*>(leaf)->leafFlags & ZM_LEAF_GOURAUD, 0u);
  }
  // Consumed by one object: the next is a plain new object, not mobile.
  ZmObj* plain = named("Plain");
  EXPECT_NE(plain->obj_flags & ZM_OBJ_VISIBLE, 0u);
  EXPECT_EQ(plain->obj_flags & ZM_OBJ_MOBILE, 0u);
  EXPECT_EQ(plain->comment[3], nullptr);
}

TEST_F(ExtensionTest, UnknownScriptTypeIsRefusedOnceAndNotRetriedByLaterObjects) {
  ASSERT_EQ(build("Separator {"
                  " EventHandler { function \"lost\" }"
                  " EventHandler { function \"kept\" scriptType TCL }"
                  " Script { procedure \"puts x\" }"
                  " SporadicTask { function \"never\" }"
                  " DEF A Cube { } DEF B Cube { } DEF C Cube { } }"),
            0);
  EXPECT_THAT(callsStartingWith("HANDLER"), ElementsAre(::testing::StartsWith("HANDLER A mask 0x0 type 1")));
  EXPECT_TRUE(callsStartingWith("SCRIPT").empty());
  EXPECT_TRUE(callsStartingWith("SPORADIC").empty());
  int refusals = 0;
  for (const std::string& m : builderMessages) refusals += m.find("unknown script type") != std::string::npos;
  EXPECT_EQ(refusals, 3);
  EXPECT_TRUE(sawMessage("QvEventHandler::getZmScriptType: Unknown scriptType"));
  EXPECT_TRUE(sawMessage("QvScript::getZmScriptType: Unknown script type."));
  EXPECT_TRUE(sawMessage("QvSporadicTask::getZmScriptType() : Unknown scriptType."));
  EXPECT_THAT(callsStartingWith("CREATE_NOTIFY"),
              ElementsAre("CREATE_NOTIFY ", "CREATE_NOTIFY A", "CREATE_NOTIFY B", "CREATE_NOTIFY C"));
}

TEST_F(ExtensionTest, ATaskScriptingRefusesStaysPendingWithAWarning) {
  vrmlHooks.script->addTimeOutHandler = [](ZmObj*, const char*, long, int, const char*, const char*, int)
      -> ZmTimeOutHandlerList* { return nullptr; };
  ASSERT_EQ(build("Separator { PeriodicTask { filename \"broken.tcl\" scriptType TCL } DEF A Cube { } }"), 0);
  EXPECT_TRUE(sawMessage("QvNode::setZmPeriodicTask(): zmAddTimeOutHandler() failed."));
  ASSERT_NE(named("A"), nullptr);
  EXPECT_EQ(world->objectCount, 1);
}

TEST_F(ExtensionTest, HandlerThatScriptingRefusesStopsTheLoopAndSendsNoNotify) {
  vrmlHooks.script->addEventHandler = [](ZmObj*, const char*, uint32_t, int, const char*, const char*, const char*) {
    return -1;
  };
  ASSERT_EQ(build("Separator { EventHandler { scriptType TCL } DEF A Cube { } }"), 0);
  EXPECT_TRUE(sawMessage("QvNode::setZmEventHandler(): zmAddEventHandler() failed."));
  EXPECT_THAT(callsStartingWith("CREATE_NOTIFY"), ElementsAre("CREATE_NOTIFY "));
}

TEST_F(ExtensionTest, EmptyScriptProcedureIsIgnoredWithAWarning) {
  ASSERT_EQ(build("Separator { Script { scriptType TCL } DEF A Cube { } }"), 0);
  EXPECT_TRUE(callsStartingWith("SCRIPT").empty());
  EXPECT_TRUE(sawMessage("QvNode::setZmScript() : procedure is ignore for non-strings."));
}

TEST_F(ExtensionTest, EventTypesMapToHandlerMasks) {
  struct Case {
    const char* eventType;
    uint32_t mask;
  } cases[] = {
      {"BUTTON", 0x100F8},           {"RIGHT_BUTTON_DOWN", 0x10000}, {"PICK", 0x10000},
      {"( KEY | COLLISION )", 0x7}, {"NOEVENT", 0},                 {"DELETE_WORLD", 0x200000},
  };
  for (const Case& c : cases) {
    builderCalls.clear();
    ASSERT_EQ(build(std::string("Separator { EventHandler { eventType ") + c.eventType +
                    " scriptType C } Cube { } }"),
              0);
    std::ostringstream want;
    want << "HANDLER  mask 0x" << std::hex << c.mask << std::dec << " type 4";
    EXPECT_THAT(callsStartingWith("HANDLER"), ElementsAre(::testing::StartsWith(want.str()))) << c.eventType;
  }
}

TEST_F(ExtensionTest, EventSubstitutionCanBeChanged) {
  setZmEventSubstitution(ZM_EVENT_KEY_DOWN, ZM_EVENT_GRAB);
  EXPECT_EQ(getZmEventSubstitutionFrom(), ZM_EVENT_KEY_DOWN);
  int built = build("Separator { EventHandler { eventType ( KEY | RIGHT_BUTTON_DOWN ) scriptType TCL } Cube { } }");
  setZmEventSubstitution(ZM_EVENT_RIGHT_BUTTON_DOWN, ZM_EVENT_PICK);
  ASSERT_EQ(built, 0);
  EXPECT_THAT(callsStartingWith("HANDLER"), ElementsAre(::testing::StartsWith("HANDLER  mask 0x20102 ")));
}

// A file another user added runs nothing in this world, nor does a file it
// inlines; its anchors lead only to the web. The same file read as the
// world's own hands everything over, so the difference is the origin.
TEST_F(ExtensionTest, SecurityAnotherUsersFileRunsNothingAndLeadsNowhereLocal) {
  const std::string inlined = fileWith("Separator { Script { procedure \"set inner 1\" scriptType TCL } DEF In Cube { } }");
  fetchableUrls["inner.wrl"] = inlined;
  const std::string avatar =
      fileWith("Separator {"
               " Script { procedure \"set pwned 1\" scriptType TCL }"
               " EventHandler { function \"onPick\" userData \"[open /etc/passwd]\" scriptType TCL }"
               " PeriodicTask { function \"tick\" millisecond 10 scriptType TCL }"
               " SporadicTask { function \"once\" scriptType TCL }"
               " DEF Body Cube { }"
               " WWWInline { name \"inner.wrl\" }"
               " DEF Home WWWAnchor { name \"file:///etc/passwd\" Cube { } }"
               " DEF Away WWWAnchor { name \"http://example.org/next.wrl\" Cube { } } }");
  auto anchorUrl = [&](const char* name) {
    auto* entry = reinterpret_cast<ZmUrlHash*>(zmGetObjExtension(named(name), zmWWWAnchor));
    return entry != nullptr ? entry->url : std::string("(none)");
  };

  ZmObj* camera = nullptr;
  ASSERT_NE(zmParsePeerVRMLInZmCamera(world, avatar.c_str(), &camera), nullptr);
  for (const char* kind : {"SCRIPT", "HANDLER", "PERIODIC", "SPORADIC"}) EXPECT_TRUE(callsStartingWith(kind).empty()) << kind;
  EXPECT_NE(named("Body"), nullptr);
  EXPECT_NE(named("In"), nullptr);  // the inline is read, its Script is not run
  EXPECT_EQ(anchorUrl("Home"), "");
  EXPECT_EQ(anchorUrl("Away"), "http://example.org/next.wrl");
  int warnings = 0;
  for (const std::string& m : builderMessages) warnings += m.find("file another user added do not run") != std::string::npos;
  EXPECT_EQ(warnings, 1);
  EXPECT_TRUE(sawMessage("file:///etc/passwd: an anchor of a file another user added cannot lead to a local file."));

  builderCalls.clear();
  ASSERT_NE(zmParseVRMLInZmCamera(world, avatar.c_str(), &camera), nullptr);
  EXPECT_EQ(callsStartingWith("SCRIPT").size(), 2u);
  EXPECT_EQ(callsStartingWith("HANDLER").size(), 1u);
  EXPECT_EQ(callsStartingWith("PERIODIC").size(), 1u);
}
