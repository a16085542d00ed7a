// tests/shell/program_web_test.cpp -- the program headless on worlds from a
// loopback web server: a world named on the command line, its inline and an
// anchor to another web world; a missing inline is a warning, not a failure;
// the signs of a world on its way, Stop, a refused connection and a reload
// that cannot fetch; and the program itself run on a web world drawing what
// it draws from the world's files.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "shell/lamp.h"
#include "shell/location.h"
#include "shell/mainmenu.h"
#include "shell/toolbar.h"
#include "tests/shell/program_fixture.h"
#include "tests/tool_runner.h"
#include "tests/web_server.h"

namespace {

class ProgramWebTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    site = dir + "/site";
    std::filesystem::create_directories(site);
    server = std::make_unique<WebServer>(site);
    ASSERT_TRUE(server->running());
  }
  void TearDown() override {
    server.reset();
    ProgramTest::TearDown();
  }

  void publish(const std::string& name, const std::string& text) { std::ofstream(site + "/" + name) << text; }

  static long countObjects(ZmChildList* children) {
    long count = 0;
    for (ZmChildList* child = children; child != nullptr; child = child->next)
      count += 1 + countObjects(child->object->child);
    return count;
  }
  static long countObjects(ZmWorld* world) {
    long count = 0;
    for (ZmTopObjList* top = world->topObjects; top != nullptr; top = top->next)
      count += 1 + countObjects(top->object->child);
    return count;
  }

  std::string site;
  std::unique_ptr<WebServer> server;
};

TEST_F(ProgramWebTest, AWorldOnTheCommandLineComesWithItsInlineAndItsAnchorLeadsOn) {
  publish("world.wrl",
          "#VRML V1.0 ascii\nSeparator { WWWInline { name \"in.wrl\" }\n"
          "  WWWAnchor { name \"next.wrl\" Cube { } } }\n");
  publish("in.wrl", "#VRML V1.0 ascii\nSeparator { Cone { } Sphere { } }\n");
  publish("next.wrl", kWorldText);
  start(server->url("world.wrl"));
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_RUNNING);
  ZmWorld* world = zmGetCurrentWorld();
  ASSERT_NE(world, nullptr);
  EXPECT_EQ(std::string(world->name), server->url("world.wrl"));
  const long withInline = countObjects(world);

  // The same world from its files has as many objects.
  ASSERT_EQ(open(site + "/world.wrl"), 0);
  ASSERT_NE(zmGetCurrentWorld(), world);
  EXPECT_EQ(countObjects(zmGetCurrentWorld()), withInline);

  // An anchor's relative name in a web world leads to the web world beside it.
  zmActivateWorld(zmAddHistory(server->url("world.wrl").c_str()), nullptr);
  ASSERT_EQ(zmGoToUrl("next.wrl", nullptr), 0);
  pump();
  ASSERT_NE(zmGetCurrentWorld(), nullptr);
  EXPECT_EQ(std::string(zmGetCurrentWorld()->name), server->url("next.wrl"));
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_RUNNING);
}

TEST_F(ProgramWebTest, AMissingInlineIsAWarningAndTheWorldStillShows) {
  publish("world.wrl", "#VRML V1.0 ascii\nSeparator { WWWInline { name \"gone.wrl\" } Cube { } }\n");
  start(server->url("world.wrl"));
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_RUNNING);
  ASSERT_NE(zmGetCurrentWorld(), nullptr);
  EXPECT_GE(countObjects(zmGetCurrentWorld()), 1);
  EXPECT_TRUE(reported("gone.wrl: HTTP 404"));
}

TEST_F(ProgramWebTest, AWebWorldThatCannotBeHadLeavesTheProgramWaiting) {
  start(server->url("none.wrl"));
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_WAITING);
  EXPECT_EQ(zmGetCurrentWorld(), nullptr);
  EXPECT_TRUE(reported("none.wrl: HTTP 404"));
}

TEST_F(ProgramWebTest, TheProgramDrawsAWebWorldAsItDrawsItsFiles) {
  const std::string examples = LUMENFOLD_SOURCE_DIR "/examples";
  WebServer examplesServer(examples);
  ASSERT_TRUE(examplesServer.running());
  auto draw = [&](const std::string& world, const std::string& shot) {
    const tool_runner::ToolRun run =
        tool_runner::runTool("../shell/lumenfold", "--headless --frames 3 --screenshot '" + shot + "' " + world);
    EXPECT_EQ(run.status, 0) << world << "\n" << run.errors;
    std::ifstream file(shot, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  };
  const std::string fromWeb = draw(examplesServer.url("gallery.wrl"), dir + "/web.bmp");
  const std::string fromFiles = draw(examples + "/gallery.wrl", dir + "/file.bmp");
  ASSERT_GT(fromFiles.size(), 54u);
  EXPECT_TRUE(fromWeb == fromFiles);
  // Not an empty view: the gallery and its sky cover most of it.
  const long lit = std::count_if(fromWeb.begin() + 54, fromWeb.end(), [](char b) { return b != 0; });
  EXPECT_GT(lit, static_cast<long>(fromWeb.size() - 54) / 2);
}

TEST_F(ProgramWebTest, StopLoadingEndsAStalledWorldWithinASecond) {
  start();
  std::filesystem::create_directories(site + "/stall");
  // Chosen while the world is on its way, as a person does from the menu:
  // the fetch serves the queue meanwhile.
  PostMessageA(zmGetMainHwnd(), WM_COMMAND, ZM_CMD_STOP, 0);
  const auto asked = std::chrono::steady_clock::now();
  EXPECT_EQ(zmGoToUrl(server->url("stall/big.wrl").c_str(), nullptr), -1);
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(1));
  EXPECT_TRUE(reported("cancelled"));
  EXPECT_EQ(zmGetCurrentWorld(), nullptr);
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_WAITING);
}

// What the program shows while a world is on its way, seen from inside the
// fetch's pump by a window of the test's own, which then chooses Stop.
struct LoadingSigns {
  int state = -1;
  int stopLook = -1;
  int lampPhases = -1;
};
LoadingSigns signsSeen;

int stopButtonLook() {
  for (ZmToolBarButton* button = zmGetCommandToolBar()->buttons; button != nullptr; button = button->next)
    if (button->id == ZM_CMD_STOP) return button->look;
  return -1;
}

LRESULT CALLBACK lookAtTheSignsThenStop(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_USER) return DefWindowProcA(hwnd, msg, wParam, lParam);
  signsSeen = {zmShell.zmAppState, stopButtonLook(), zmGetLampPhases()};
  PostMessageA(zmGetMainHwnd(), WM_COMMAND, ZM_CMD_STOP, 0);
  return 0;
}

TEST_F(ProgramWebTest, AWorldOnItsWayShowsTheLoadingSignsAndStopBringsBackTheWorldBefore) {
  const std::string a = write("a.wrl");
  start(a);
  ASSERT_EQ(zmShell.zmAppState, ZM_APP_RUNNING);
  EXPECT_EQ(stopButtonLook(), ZM_LOOK_DISABLED);
  WNDCLASSA observerClass{};
  observerClass.lpfnWndProc = lookAtTheSignsThenStop;
  observerClass.lpszClassName = "LoadingSignsObserver";
  RegisterClassA(&observerClass);
  HWND observer = CreateWindowExA(0, "LoadingSignsObserver", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(observer, nullptr);
  signsSeen = {};
  std::filesystem::create_directories(site + "/stall");
  SetWindowTextA(zmGetLocationField(), server->url("stall/big.wrl").c_str());
  SendMessageA(zmGetLocationField(), WM_CHAR, '\r', 0);
  PostMessageA(observer, WM_USER, 0, 0);  // served while the world is on its way
  pump();
  DestroyWindow(observer);

  EXPECT_EQ(signsSeen.state, ZM_APP_FETCHING);
  EXPECT_EQ(signsSeen.stopLook, ZM_LOOK_NORMAL);
  EXPECT_GT(signsSeen.lampPhases, 0);
  EXPECT_TRUE(reported(server->url("stall/big.wrl") + ": cannot be loaded: cancelled"));
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_RUNNING);
  ASSERT_NE(zmGetCurrentWorld(), nullptr);
  EXPECT_EQ(std::string(zmGetCurrentWorld()->name), url(a));
  EXPECT_EQ(zmGetNextHistory(zmGetCurrentHistory()), nullptr);
  char shown[ZM_SHARED_URL_SIZE] = "";
  GetWindowTextA(zmGetLocationField(), shown, sizeof shown);
  EXPECT_EQ(std::string(shown), url(a));
  EXPECT_EQ(stopButtonLook(), ZM_LOOK_DISABLED);
  EXPECT_EQ(zmGetLampPhases(), 0);
}

TEST_F(ProgramWebTest, AServerThatRefusesTheConnectionIsReportedAndTheWorldBeforeStays) {
  const std::string a = write("a.wrl");
  start(a);
  // A port just given up by a listener of our own has nobody behind it.
  int port = 0;
  {
    WebServer gone(site);
    ASSERT_TRUE(gone.running());
    port = std::stoi(gone.url("").substr(std::string("http://127.0.0.1:").size()));
  }
  const std::string closed = "http://127.0.0.1:" + std::to_string(port) + "/w.wrl";
  EXPECT_EQ(zmGoToUrl(closed.c_str(), nullptr), -1);
  EXPECT_TRUE(reported(closed + ": cannot be loaded:"));
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_RUNNING);
  ASSERT_NE(zmGetCurrentWorld(), nullptr);
  EXPECT_EQ(std::string(zmGetCurrentWorld()->name), url(a));
  EXPECT_EQ(zmGetPrevHistory(zmGetCurrentHistory()), nullptr);
}

// A reload whose fetch fails is over: the next world is a step of its own.
TEST_F(ProgramWebTest, AReloadThatCannotFetchLeavesTheNextLoadAHistoryStep) {
  publish("world.wrl", kWorldText);
  start(server->url("world.wrl"));
  ASSERT_NE(zmGetCurrentWorld(), nullptr);
  ZmHistory* webStep = zmGetCurrentHistory();
  const std::string webUrl = server->url("world.wrl");
  server.reset();
  EXPECT_EQ(zmReloadWorld(webUrl.c_str(), nullptr), -1);
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_WAITING);

  ASSERT_EQ(open(write("a.wrl")), 0);
  ASSERT_NE(zmGetCurrentWorld(), nullptr);
  EXPECT_NE(zmGetCurrentHistory(), webStep);
  EXPECT_EQ(zmGetPrevHistory(zmGetCurrentHistory()), webStep);
}

}  // namespace
