// Tests of the script host: interpreters, the start-up script, results,
// errors, pointer texts, archive scripts, the toolkit start and "exit".
#include <fstream>

#include "core/dirs.h"
#include "loading/lha.h"
#include "multiuser/hooks.h"
#include "tests/lha_builder.h"
#include "tests/own_modules.h"
#include "tests/script/script_fixture.h"

namespace {

using HostTest = ScriptTest;

TEST_F(HostTest, ANewWorldHasAnInterpreterWithTheStartupScriptRun) {
  ZmWorld* world = newWorld();
  ASSERT_NE(zmScriptGetInterp(world), nullptr);
  std::string text;
  ASSERT_EQ(eval(world, "expr {$zmVersion >= 1.04 && [llength [info procs zmT*]] == 3}", &text), 0);
  EXPECT_EQ(text, "1");
  EXPECT_EQ(eval(world, "info commands exec", &text), 0);
  EXPECT_EQ(text, "");
  EXPECT_TRUE(notices().empty());
}

TEST_F(HostTest, AnOldOrMissingStartupScriptIsLogged) {
  struct Case {
    const char* content;  // null: no file
    const char* notice;
    bool interpreter;
  } cases[] = {
      {"set zmVersion 1.03\nproc zmTclerror {m} {}\n", "/zminit.tcl is old version.", true},
      {"proc zmTclerror {m} {}\n", "/zminit.tcl is old version.", true},
      {nullptr, "error in zmScriptTclInit:couldn't read file", false},
  };
  for (const Case& c : cases) {
    std::filesystem::path programDir = folder / "program";
    std::filesystem::remove_all(programDir);
    std::filesystem::create_directories(programDir);
    if (c.content != nullptr) std::ofstream(programDir / "zminit.tcl") << c.content;
    zmScriptSetProgramDirForTest(programDir.c_str());
    notices().clear();
    ZmWorld* world = newWorld();
    EXPECT_TRUE(noticed(c.notice)) << (c.content ? c.content : "missing");
    EXPECT_EQ(zmScriptGetInterp(world) != nullptr, c.interpreter);
  }
  int result = 7;
  EXPECT_EQ(zmScriptEvalStr(worlds.back(), 1, "set a 1", &result), -1);  // no interpreter
}

TEST_F(HostTest, AProcedureResultBecomesAnInteger) {
  ZmWorld* world = newWorld();
  ZmObj* object = newObject(world);
  struct Case {
    const char* body;
    int expected;
  } cases[] = {{"", 1}, {"return 0", 0}, {"return abc", 0}, {"return 42", 42}, {"return \"12 apples\"", 12}};
  for (const Case& c : cases) {
    ASSERT_EQ(eval(world, std::string("proc p {o e u} {") + c.body + "}"), 0);
    int result = -99;
    EXPECT_EQ(zmScriptEvalFunction(world, 1, 1, "p", object, nullptr, "", "data", &result), 0) << c.body;
    EXPECT_EQ(result, c.expected) << c.body;
  }
}

TEST_F(HostTest, AnErrorReachesZmTclerrorAndTheCallFails) {
  ZmWorld* world = newWorld();
  ASSERT_EQ(eval(world, "proc zmTclerror {message} {set ::caught $message}"), 0);
  int result = 5;
  EXPECT_EQ(zmScriptEvalStr(world, 1, "error {went wrong}", &result), -1);
  EXPECT_EQ(result, 0);
  std::string text;
  ASSERT_EQ(eval(world, "set ::caught", &text), 0);
  EXPECT_EQ(text, "went wrong");
  EXPECT_EQ(zmScriptEvalStr(world, 0, "set a 1", &result), -1);  // only Tcl has an interpreter
}

TEST_F(HostTest, UserDataReachesTheProcedureWithoutSubstitution) {
  ZmWorld* world = newWorld();
  ZmObj* object = newObject(world);
  ASSERT_EQ(eval(world, "proc p {o e u} {set ::got $u; return 0}"), 0);
  int result = 0;
  ASSERT_EQ(zmScriptEvalFunction(world, 1, 1, "p", object, nullptr, "", "[zmRand] $x \"q\"", &result), 0);
  std::string text;
  ASSERT_EQ(eval(world, "set ::got", &text), 0);
  EXPECT_EQ(text, "[zmRand] $x \"q\"");
}

// Another user's message names a procedure: through the slot scripting
// fills for the multi-user client, the name is one command word, never
// script text, and the data one literal argument.
TEST_F(HostTest, AProcedureNamedByTheNetworkIsOneWord) {
  ZmWorld* world = newWorld();
  ZmObj* object = newObject(world);
  ASSERT_EQ(eval(world, "proc p {o e u} {set ::got $u; return 0}"), 0);
  ZmEvent event = {};
  EXPECT_EQ(multiUserScript().scriptEvalFunction(world, object, &event, "p", "[set ::pwned 1]"), 0);
  for (const char* name : {"p [set ::pwned 1]", "p; set ::pwned 1", "set ::pwned"})
    EXPECT_EQ(multiUserScript().scriptEvalFunction(world, object, &event, name, "1"), ZMQX_NOT_A_WORLD_PROCEDURE)
        << name;
  std::string text;
  ASSERT_EQ(eval(world, "list $::got [info exists ::pwned]", &text), 0);
  EXPECT_EQ(text, "{[set ::pwned 1]} 0");
}

TEST_F(HostTest, ReportersTakeScriptTextsAsText) {
  ZmWorld* world = newWorld();
  ASSERT_EQ(eval(world, "zmMessage {100% %s %n done}"), 0);
  EXPECT_TRUE(noticed("100% %s %n done"));
}

TEST_F(HostTest, PointerTexts) {
  struct Case {
    const char* text;
    uintptr_t address;
    bool reported;
  } cases[] = {{"123", 123, false}, {"", 0, false}, {"-5", 0, true}, {"12a", 0, true}, {" 1", 0, true}};
  for (const Case& c : cases) {
    notices().clear();
    EXPECT_EQ(reinterpret_cast<uintptr_t>(zmScriptStr2Ptr(c.text)), c.address) << c.text;
    EXPECT_EQ(noticed("zmScriptStr2Ptr : bad pointer value["), c.reported) << c.text;
  }
}

TEST_F(HostTest, OnlyHandedOutRecordsAreTakenBack) {
  ZmWorld* world = newWorld();
  ZmObj* object = newObject(world);
  std::string address = std::to_string(reinterpret_cast<uintptr_t>(object));
  std::string text;
  // Never handed out: refused without touching the address.
  EXPECT_EQ(eval(world, "zmAddTimeOutHandler " + address + " 10 1 {} p {} 0", &text), -1);
  EXPECT_TRUE(noticed("zmAddTimeOutHandler:bad ZmObj[" + address + "]"));
  int result = 0;
  ASSERT_EQ(eval(world, "proc keep {o e u} {set ::o $o}"), 0);
  ASSERT_EQ(zmScriptEvalFunction(world, 1, 1, "keep", object, nullptr, "", "", &result), 0);
  EXPECT_EQ(eval(world, "zmAddTimeOutHandler $::o 10 1 {} p {} 0", &text), 0) << text;
  zmDeleteZmObj(object);
  EXPECT_EQ(eval(world, "zmAddTimeOutHandler $::o 10 1 {} p {} 0", &text), -1);  // deleted since
}

TEST_F(HostTest, ToolkitDelays) {
  ZmWorld* first = newWorld();
  zmSetCurrentWorld(first);
  EXPECT_EQ(zmScriptGetTkDelay(), 0u);
  ASSERT_EQ(eval(first, "zmtkInit"), 0);
  EXPECT_EQ(zmScriptGetTkDelay(), 90u);
  ASSERT_EQ(eval(first, "zmtkInit 200"), 0);  // started already: only the delay changes
  EXPECT_EQ(zmScriptGetTkDelay(), 200u);
  ZmWorld* second = newWorld();
  ASSERT_EQ(eval(second, "zmtkInit 200 300"), 0);  // any other count: 90
  zmSetCurrentWorld(second);
  EXPECT_EQ(zmScriptGetTkDelay(), 90u);
  zmSetCurrentWorld(nullptr);
  EXPECT_EQ(zmScriptGetTkDelay(), 0u);
}

TEST_F(HostTest, ExitInAWorldScriptNeverEndsTheProgram) {
  ZmWorld* world = newWorld();
  std::string text;
  EXPECT_EQ(eval(world, "exit 3; set after exit", &text), 0);
  EXPECT_EQ(text, "exit");
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "the toolkit part needs a display";
  ASSERT_EQ(eval(world, "zmtkInit; wm deiconify .; update; exit; wm state .", &text), 0) << text;
  EXPECT_EQ(text, "withdrawn");
  EXPECT_TRUE(notices().empty()) << notices().front();
  EXPECT_EQ(eval(world, "winfo name .", &text), 0);
  EXPECT_EQ(text.rfind("zmtkname", 0), 0u) << text;
  EXPECT_EQ(eval(world, "info commands send", &text), 0);
  EXPECT_EQ(text, "");
}

// An archive a world names may carry Tcl files: each runs in that world's
// interpreter as it is extracted.
TEST_F(HostTest, AnArchivesTclMemberRunsInTheWorldsInterpreter) {
  setenv("TEMP", folder.c_str(), 1);  // the extraction folders stay in the test's own
  zmForgetTempDirForTest();
  static std::string archive;
  archive = (folder / "pack.lzh").string();
  lhatest::writeArchive(archive, {{"init.tcl", "set fromArchive packed\n"}});
  zmSetUrlFetch([](ZmUrlHash*) { return archive.c_str(); });
  ZmWorld* world = newWorld();
  zmSetCurrentWorld(world);
  const int extracted = zmExtractLha("pack.lzh");
  unsetenv("TEMP");
  zmForgetTempDirForTest();
  ASSERT_EQ(extracted, 0);
  std::string text;
  ASSERT_EQ(eval(world, "set fromArchive", &text), 0) << text;
  EXPECT_EQ(text, "packed");
}

// Tk comes from a run-time module: without it a world's toolkit does not
// start, which the world hears as a warning, and its script goes on.
TEST_F(HostTest, AToolkitThatCannotBeLoadedIsAWarningAndTheScriptGoesOn) {
  MissingModules missing;
  zmTurnOnFlag(ZM_FLAG_WARNING);
  ZmWorld* world = newWorld();
  std::string text;
  ASSERT_EQ(eval(world, "zmtkInit; info commands wm", &text), 0) << text;
  EXPECT_EQ(text, "");
  ASSERT_EQ(notices().size(), 1u);
  EXPECT_NE(notices()[0].find("the toolkit could not be loaded"), std::string::npos) << notices()[0];
  ASSERT_EQ(MissingModules::reports().size(), 1u);
  EXPECT_NE(MissingModules::reports()[0].find("toolkit.so"), std::string::npos) << MissingModules::reports()[0];
}

}  // namespace
