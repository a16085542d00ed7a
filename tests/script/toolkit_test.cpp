// Tests of the toolkit as a world's scripts have it: every toplevel they
// open carries the world's name in its title, however the title is set,
// none goes inside another program's window, what the user copied
// (clipboard, selection) and other programs ("send") are out of reach, and
// the toolkit reads and writes files only as "open" does.
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "script/limits.h"
#include "script/mainloop.h"
#include "tests/script/script_fixture.h"

namespace {

using ToolkitSecurity = ScriptTest;

TEST_F(ToolkitSecurity, WorldWindowsCarryTheWorldsNameAndReachNoClipboard) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "the toolkit needs a display";
  const std::string name = "http://127.0.0.1:1/evil.wrl";
  ZmWorld* world = zmNewWorld(name.c_str());
  worlds.push_back(world);
  std::string text;
  ASSERT_EQ(eval(world, "zmtkInit", &text), 0) << text;
  const char* titles[] = {
      "wm title .",
      "toplevel .fresh; wm title .fresh",
      "toplevel .pw; wm title .pw {Password}; wm title .pw",
      "toplevel .short; wm ti .short {Password}; wm title .short",
      "frame .f; wm manage .f; wm title .f",
  };
  for (const char* script : titles) {
    ASSERT_EQ(eval(world, script, &text), 0) << script << ": " << text;
    EXPECT_EQ(text.rfind(name, 0), 0u) << script << ": " << text;
  }
  ASSERT_EQ(eval(world, "wm title .pw", &text), 0);
  EXPECT_EQ(text, name + " - Password");
  for (const char* refused : {"clipboard get", "selection get", "send zmtkname {set a 1}", "toplevel .in -use 0x1"})
    EXPECT_EQ(eval(world, refused, &text), -1) << refused;
  ASSERT_EQ(eval(world, "info commands clipboard; info commands selection", &text), 0);
  EXPECT_EQ(text, "");
}

// The toolkit's own ways to files follow "open": images and the option
// database read only what the world may read, images and canvases write
// only plain names into usrfiles.
TEST_F(ToolkitSecurity, TheToolkitReadsAndWritesFilesAsOpenDoes) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "the toolkit needs a display";
  ZmWorld* world = zmNewWorld("http://127.0.0.1:1/evil.wrl");
  worlds.push_back(world);
  const std::string outside = (folder / "outside.ppm").string();
  std::string text;
  ASSERT_EQ(eval(world, "zmtkInit; image create photo pic -width 2 -height 2; canvas .c", &text), 0) << text;
  struct Row {
    std::string script;
    bool succeeds;
  } rows[] = {
      {"image create photo -file /etc/passwd", false},
      {"image create photo -fi /etc/passwd", false},
      {"pic read /etc/passwd", false},
      {"pic configure -file /etc/passwd", false},
      {"option readfile /etc/passwd", false},
      {"pic write " + outside + " -format ppm", false},
      {".c postscript -file " + outside, false},
      {"pic write shot.ppm -format ppm", true},
      {".c postscript -file page.ps", true},
      {"pic read shot.ppm", true},
  };
  for (const Row& row : rows)
    EXPECT_EQ(eval(world, row.script, &text) == 0, row.succeeds) << row.script << ": " << text;
  EXPECT_FALSE(std::filesystem::exists(outside));
  EXPECT_TRUE(std::filesystem::exists(folder / "home" / "usrfiles" / "shot.ppm"));
  EXPECT_TRUE(std::filesystem::exists(folder / "home" / "usrfiles" / "page.ps"));
}

}  // namespace

// What the toolkit's loop serves is limited as any script is: a timer of
// the world's that never ends is stopped and the loop goes on to the next
// event.
TEST_F(ToolkitSecurity, AToolkitEventThatNeverEndsIsStopped) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "the toolkit needs a display";
  zmScriptSetLimitsForTest(200, 0);
  zmTurnOnFlag(ZM_FLAG_WARNING);
  const std::string name = "http://127.0.0.1:1/busy.wrl";
  ZmWorld* world = zmNewWorld(name.c_str());
  worlds.push_back(world);
  Tcl_CreateObjCommand(
      zmScriptGetInterp(world), "quit",
      [](ClientData, Tcl_Interp*, int, Tcl_Obj* const[]) {
        PostQuitMessage(0);
        return TCL_OK;
      },
      nullptr, nullptr);
  std::string text;
  // The stopped timer's error goes to the world's own bgerror, not to the
  // toolkit's dialog.
  ASSERT_EQ(eval(world, "zmtkInit; proc bgerror {m} {set ::bgerror $m}\n"
                        "after 10 {while 1 {}}; after 600 {set ::later 1; quit}",
                 &text),
            0)
      << text;
  const auto start = std::chrono::steady_clock::now();
  MSG msg{};
  zmMainLoop(&msg);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_TRUE(noticed("a toolkit event of " + name + " ran longer than 200 ms and was stopped."));
  ASSERT_EQ(eval(world, "info exists ::later", &text), 0);
  EXPECT_EQ(text, "1");
  zmScriptSetLimitsForTest(0, 0);
}

// A handler that waits for the user (a dialog, "vwait") while the toolkit's
// loop serves the program is not running: its wait does not count, what it
// serves meanwhile does.
TEST_F(ToolkitSecurity, WaitingWhileTheProgramGoesOnIsNotRunning) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "the toolkit needs a display";
  ZmWorld* world = zmNewWorld("http://127.0.0.1:1/dialog.wrl");
  worlds.push_back(world);
  std::string text;
  ASSERT_EQ(eval(world, "zmtkInit", &text), 0) << text;
  zmScriptSetLimitsForTest(200, 0);
  EXPECT_EQ(eval(world, "after 500 {set ::answer yes}; vwait ::answer; set ::answer", &text), 0) << text;
  EXPECT_EQ(text, "yes");
  EXPECT_EQ(eval(world, "after 10 {while 1 {}}; after 1500 {set ::late 1}; vwait ::late", &text), -1);
  zmScriptSetLimitsForTest(0, 0);
}
