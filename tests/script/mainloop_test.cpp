// Tests of the main loop without the toolkit and of zmMenuExec.
#include <vector>

#include "script/mainloop.h"
#include "tests/script/script_fixture.h"

namespace {

std::vector<WPARAM> commands;

LRESULT CALLBACK mainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COMMAND) {
    commands.push_back(wParam);
    if (wParam == 109) PostQuitMessage(4);  // File, Exit
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST_F(ScriptTest, MenuCommandsReachTheMainWindowAndTheLoopEndsOnQuit) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = mainProc;
  windowClass.lpszClassName = "zmScriptTestMain";
  RegisterClassA(&windowClass);
  HWND main = CreateWindowExA(0, "zmScriptTestMain", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(main, nullptr);
  zmSetMainHwnd(main);
  commands.clear();
  EXPECT_EQ(zmMenuExec(9), 9);  // nothing posted
  ZmWorld* world = newWorld();
  ASSERT_EQ(eval(world, "zmForwardPage; zmBackwardPage; zmMenuExec 7; zmMenuExec 2"), 0);
  MSG msg;
  EXPECT_EQ(zmMainLoop(&msg), 0);
  EXPECT_EQ(msg.message, UINT(WM_QUIT));
  EXPECT_EQ(commands, (std::vector<WPARAM>{110, 111, 120, 109}));
  DestroyWindow(main);
  zmSetMainHwnd(nullptr);
}

}  // namespace
