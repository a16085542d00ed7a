// Pointer texts that name nothing handed out, or a record no longer alive,
// are refused before anything is read through them.
#include <random>
#include <string>

#include "script/timeouts.h"
#include "tests/script/command_fixture.h"

namespace {


class HandleTest : public CommandTest {
 protected:
  // Runs `script`, which names the handle as `$variable`; it must fail with
  // `message` (the handle's text after its '[') and the bad pointer report.
  void expectRefused(const std::string& script, const std::string& variable, const std::string& message) {
    std::string handle;
    run("set " + variable, &handle);
    notices().clear();
    std::string text;
    EXPECT_EQ(run(script, &text), TCL_ERROR) << script;
    EXPECT_EQ(text, message + "[" + handle + "]") << script;
    EXPECT_TRUE(noticed("zmScriptStr2Ptr : bad pointer value[" + handle + "]")) << script;
  }
};

TEST_F(HandleTest, StaleAndUnknownHandlesAreRefused) {
  std::string text;
  ASSERT_EQ(run("set gone [zmAddObjFromStr 0 {#VRML V1.0 ascii\n"
                "Separator { DEF gone Separator { DEF ball Sphere { } } }}]\n"
                "set goneLeaf [zmGetObjPart [zmGetObjByName $gone ball] 0]\n"
                "set leafWorked [zmSetPartDiffuse $goneLeaf 1 0 0]\n"
                "zmDelObj $gone\n"
                "set freed [zmNewZmMFColor 2]; zmDeleteZmMFColor $freed\n"
                "set task [zmAddTimeOutHandler $cube 10 1 {} p {} 0]; zmRemoveTimeOutHandler $cube $task\n"
                "set unknown 12a",
                &text),
            TCL_OK)
      << text;
  ASSERT_EQ(run("set leafWorked", &text), TCL_OK);
  ASSERT_EQ(text, "0");  // the leaf was good while its object lived
  ASSERT_EQ(run("set ::kept $event", &text), TCL_OK) << text;  // lives only while delivered
  struct Case {
    const char* script;
    const char* variable;
    const char* message;
  } cases[] = {
      {"zmGetObjByName $unknown ball", "unknown", "zmGetObjByName:bad ZmObj"},
      {"zmTranslate $gone 0 1 0 0 1", "gone", "zmTranslate:bad ZmObj"},
      {"zmSetPartDiffuse $goneLeaf 0 1 0", "goneLeaf", "zmSetPartDiffuse:bad Parts or ZmObj"},
      {"zmGetZmMFColor $freed 0 r g b", "freed", "zmGetZmMFColor:bad ZmMFColor"},
      {"zmGetEventType $kept", "kept", "zmGetEventType:bad ZmEvent"},
      {"zmRemoveTimeOutHandler $cube $task", "task", "zmRemoveTimeOutHandler:bad TimeOutHandle"},
  };
  for (const Case& c : cases) expectRefused(c.script, c.variable, c.message);
}

TEST_F(HandleTest, OneWorldsColourListIsNoOtherWorlds) {
  ZmWorld* other = newWorld();
  std::string list;
  ASSERT_EQ(run("set colors", &list), TCL_OK);
  Tcl_Interp* interp = zmScriptGetInterp(other);
  EXPECT_EQ(Tcl_EvalEx(interp, ("zmDeleteZmMFColor " + list).c_str(), -1, 0), TCL_ERROR);
  EXPECT_EQ(std::string(Tcl_GetStringResult(interp)), "zmDeleteZmMFColor:bad ZmMFColor[" + list + "]");
}

// Texts near the handles handed out (misaligned by 1 to 7 bytes, so never
// the start of another record), random numbers and garbage: every command
// refuses them, and the sanitizers see no read of memory not handed out.
TEST_F(HandleTest, RandomTextsNeverReachMemory) {
  std::vector<uintptr_t> live;
  for (const char* name : {"box", "cube", "face", "colors", "light", "camera"}) {
    std::string text;
    ASSERT_EQ(run(std::string("set ") + name, &text), TCL_OK);
    live.push_back(std::stoull(text));
  }
  std::mt19937_64 random(20261210);
  const char* commands[] = {"zmGetEventType %",     "zmGetZmMFColor % 0 r g b", "zmGetPartDiffuse % r g b",
                            "zmGetObjAttribute % 4 n", "zmRemoveTimeOutHandler $cube %", "zmDelObj %"};
  for (int i = 0; i < 1000; ++i) {
    std::string handle;
    switch (i % 4) {
      case 0: handle = std::to_string(live[random() % live.size()] + 1 + random() % 7); break;
      case 1: handle = std::to_string(random()); break;
      case 2: handle = std::to_string(random() % 100000); break;
      default: handle = std::to_string(random() % 1000) + char('a' + random() % 26); break;
    }
    if (handle == "0") continue;
    std::string script = commands[random() % std::size(commands)];
    script.replace(script.find('%'), 1, handle);
    std::string text;
    EXPECT_EQ(run(script, &text), TCL_ERROR) << script << " -> " << text;
  }
}

}  // namespace
