// tests/script/command_fixture.h -- a world read from tests/script/data
// into the viewer, with the user's avatar, for the script commands to act
// on.
//
// Owns: CommandTest, which opens the engine, builds "scene.wrl" into a
// current world, puts the world's objects, leaves and a colour list into
// script variables ($box $cube $face $lamp $light $eye $camera $choice
// $spike $colors), fetches file URLs as the files themselves (a URL
// beginning with "missing:" cannot be fetched), and runs a script either
// directly or inside the delivery of an event record ($event) to $box. It
// gives the shell's record (scriptShell) back after each test. It does not
// own what the tests check.
#ifndef LUMENFOLD_TESTS_SCRIPT_COMMAND_FIXTURE_H
#define LUMENFOLD_TESTS_SCRIPT_COMMAND_FIXTURE_H

#include <cstring>
#include <string>

#include "core/event.h"
#include "loading/urltable.h"
#include "script/events.h"
#include "script/hooks.h"
#include "tests/script/script_fixture.h"
#include "viewer/api.h"
#include "viewer/install.h"
#include "viewer/construct.h"
#include "viewer/person.h"
#include "viewer/rendering.h"

class CommandTest : public ScriptTest {
 protected:
  static const char* fetchAsFile(ZmUrlHash* entry) {
    const char* url = zmGetUrl(entry);
    return url && std::strncmp(url, "missing:", 8) != 0 ? url : nullptr;
  }

  void SetUp() override {
    ScriptTest::SetUp();
    zmInstallViewerHooks();
    zmSetUrlFetch(fetchAsFile);
    ASSERT_EQ(zmRenderInitViewer(), 0);
    zmSetViewWindowSize(64, 48);
    // A local world in the data folder, whose files its scripts read.
    world = zmNewWorld("file://" LUMENFOLD_TEST_DATA "/scene.wrl");
    worlds.push_back(world);
    zmSetCurrentWorld(world);
    ASSERT_EQ(zmConstructWorld(LUMENFOLD_TEST_DATA "/scene.wrl", world), 0);
    ASSERT_EQ(zmAddPersonToWorld(world), 0);
    ASSERT_EQ(eval(world,
                   "set box [zmGetObjByName box]; set cube [zmGetObjByName $box cube -r]\n"
                   "set face [zmGetObjPart $cube 0]; set lamp [zmGetObjByName lamp]\n"
                   "set light [zmGetObjByName $lamp light -r]; set eye [zmGetObjByName eye]\n"
                   "set camera [zmGetObjByName $eye camera -r]; set choice [zmGetObjByName choice]\n"
                   "set spike [zmGetObjByName cone.spike]; set colors [zmNewZmMFColor 3]\n"
                   "proc withEvent {object event data} {\n"
                   "  set ::event $event\n"
                   "  set ::code [catch {uplevel #0 $::row} ::out]\n"
                   "  return 0\n"
                   "}\n"
                   "zmAddEventHandler $box 16 1 {} withEvent {}"),
              0);
  }

  void TearDown() override {
    ScriptTest::TearDown();
    zmRenderExitViewer();
    zmSetViewWindowSize(0, 0);
  }

  // Runs the script at the global level; its status (TCL_OK or TCL_ERROR)
  // and result text. A script naming $event runs inside the delivery of a
  // left-button press on $cube's first face to $box.
  int run(const std::string& script, std::string* text) {
    Tcl_Interp* interp = zmScriptGetInterp(world);
    if (script.find("$event") == std::string::npos) {
      int code = Tcl_EvalEx(interp, script.c_str(), -1, TCL_EVAL_GLOBAL);
      *text = Tcl_GetStringResult(interp);
      return code;
    }
    Tcl_SetVar(interp, "row", script.c_str(), TCL_GLOBAL_ONLY);
    ZmEvent event = pressOnFace();
    EXPECT_EQ(zmCallEventHandler(boxObject(), &event), 0);
    *text = Tcl_GetVar(interp, "out", TCL_GLOBAL_ONLY);
    return std::stoi(Tcl_GetVar(interp, "code", TCL_GLOBAL_ONLY));
  }

  ZmObj* boxObject() { return zmGetTopObjByPath("box"); }

  ZmEvent pressOnFace() {
    ZmEvent event = {};
    event.type = ZM_EVENT_LEFT_BUTTON_DOWN;
    event.key = 65;
    event.modifiers = 2;
    event.x = 1.5f, event.y = 2.5f, event.z = 3.5f;
    event.x2d = 10, event.y2d = 20;
    event.timeSec = 12, event.timeMsec = 345;
    event.part = reinterpret_cast<intptr_t>(zmGetChildObjByPath(boxObject(), "cube")->leaf);
    return event;
  }

  ZmWorld* world = nullptr;
  ServiceGuard<ZmScriptShell> scriptShellHooks{scriptShell};
};

#endif
