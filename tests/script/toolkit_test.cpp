// Tests of the toolkit as a world's scripts have it: every toplevel they
// open carries the world's name in its title, however the title is set,
// none goes inside another program's window, and what the user copied
// (clipboard, selection) and other programs ("send") are out of reach.
#include <cstdlib>

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

}  // namespace
