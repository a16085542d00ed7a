// tests/shell/program_test.cpp -- the program headless: start-up, loading
// worlds, the cache and history, the frame tick, closing and shut-down.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/event.h"
#include "core/object.h"
#include "platform/ddeml.h"
#include "platform/dialogs.h"
#include "platform/winbase.h"
#include "script/events.h"
#include "script/host.h"
#include "script/timeouts.h"
#include "multiuser/connection.h"
#include "shell/avatar.h"
#include "shell/bookmarks.h"
#include "shell/location.h"
#include "shell/mainmenu.h"
#include "shell/preferences.h"
#include "shell/worldload.h"
#include "tests/shell/program_fixture.h"
#include "viewer/person.h"

namespace {

std::vector<std::string> calls;  // what the shut-down tests saw, in order

int recordWorldOut(ZmObj*, ZmEvent*, const char*) {
  calls.emplace_back("WORLD_OUT");
  return 0;
}
void recordWorldDeleted(ZmWorld*) { calls.emplace_back("world deleted"); }
void recordExitHandler() { calls.emplace_back("exit handlers"); }

ZmObj* firstTopObject(ZmWorld* world) {
  ZmTopObjList* cursor = world->topObjects;
  return zmGetNextTopObject(&cursor);
}

TEST_F(ProgramTest, WithoutWorldTheProgramWaits) {
  start("-dframerate");
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_WAITING);
  EXPECT_EQ(zmGetCurrentWorld(), nullptr);
  EXPECT_EQ(zmShell.options.dframerate, 1);
  EXPECT_TRUE(IsWindowVisible(zmGetMainHwnd()));
  EXPECT_TRUE(IsWindow(zmGetViewHwnd()));
}

TEST_F(ProgramTest, WorldsOnTheCommandLineLoadOneAfterAnother) {
  const std::string a = write("a.wrl"), b = write("b.wrl"), c = write("c.wrl");
  start(a + " " + b + " " + c);
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_RUNNING);
  EXPECT_EQ(zmShell.worldRunning, 1);
  ASSERT_NE(zmGetCurrentWorld(), nullptr);
  EXPECT_EQ(std::string(zmGetCurrentWorld()->name), url(c));
  EXPECT_EQ(zmCacheCount(), 3);
  std::vector<std::string> shown;
  for (ZmHistory* entry = zmGetFirstHistory(); entry != nullptr; entry = zmGetNextHistory(entry))
    shown.emplace_back(entry->url);
  EXPECT_EQ(shown, (std::vector<std::string>{url(a), url(b), url(c)}));
  EXPECT_NE(zmGetCurrentWorld()->person, nullptr);  // the avatar joined
}

TEST_F(ProgramTest, ACachedWorldIsShownAgainWithoutReadingItsFile) {
  const std::string a = write("a.wrl"), b = write("b.wrl");
  start(a);
  ZmWorld* first = zmGetCurrentWorld();
  ASSERT_NE(first, nullptr);
  ASSERT_EQ(open(b), 0);
  ASSERT_NE(zmGetCurrentWorld(), first);
  // Reading the file again would now fail.
  std::filesystem::remove(a);
  std::string name = url(a);
  ZmLoadRecord record{"/nowhere/a.wrl", name.data()};
  SendMessageA(zmGetMainHwnd(), WM_ZMLOADWORLD, 0, reinterpret_cast<LPARAM>(&record));
  EXPECT_EQ(zmGetCurrentWorld(), first);
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_RUNNING);
  EXPECT_EQ(zmCacheCount(), 2);
  EXPECT_STREQ(zmGetCurrentHistory()->url, name.c_str());
  EXPECT_NE(zmGetPrevHistory(zmGetCurrentHistory()), nullptr);  // a new step: a, b, a
}

TEST_F(ProgramTest, AnEscapedBlankIsDecodedBeforeTheWorldIsLookedUp) {
  const std::string spaced = write("my world.wrl");
  start();
  std::string escaped = url(dir + "/my%20world.wrl");
  ZmLoadRecord record{spaced.c_str(), escaped.data()};
  SendMessageA(zmGetMainHwnd(), WM_ZMLOADWORLD, 0, reinterpret_cast<LPARAM>(&record));
  ASSERT_NE(zmGetCurrentWorld(), nullptr);
  EXPECT_EQ(std::string(zmGetCurrentWorld()->name), url(spaced));
  EXPECT_EQ(std::string(zmGetCurrentHistory()->url), url(spaced));
  char shown[ZM_SHARED_URL_SIZE] = "";
  GetWindowTextA(zmGetLocationField(), shown, sizeof shown);
  EXPECT_EQ(std::string(shown), url(spaced));
}

TEST_F(ProgramTest, ALoadArrivingWhileAWorldIsBuiltIsDropped) {
  const std::string a = write("a.wrl");
  start();
  zmShell.zmAppState = ZM_APP_BUILDING;
  std::string name = url(a);
  ZmLoadRecord record{a.c_str(), name.data()};
  // A fetch started meanwhile (a script's) leaves the build its state.
  SendMessageA(zmGetMainHwnd(), WM_ZMLOADING, 0, 0);
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_BUILDING);
  EXPECT_EQ(SendMessageA(zmGetMainHwnd(), WM_ZMLOADWORLD, 0, reinterpret_cast<LPARAM>(&record)), 0);
  EXPECT_EQ(zmCacheCount(), 0);
  EXPECT_EQ(zmGetCurrentWorld(), nullptr);
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_BUILDING);
}

std::string locationText() {
  char shown[ZM_SHARED_URL_SIZE] = "";
  GetWindowTextA(zmGetLocationField(), shown, sizeof shown);
  return shown;
}

TEST_F(ProgramTest, AFailedFirstWorldSaysWhyAndLeavesTheProgramWaitingAndAbleToLoadAgain) {
  const std::string bad = write("bad.wrl", "not a world at all {{{\n"), good = write("good.wrl");
  start(bad);
  EXPECT_TRUE(reported(url(bad) + ": cannot be read as a VRML 1.0 world"));
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_WAITING);
  EXPECT_EQ(zmGetCurrentWorld(), nullptr);
  EXPECT_EQ(zmCacheCount(), 0);
  EXPECT_EQ(zmGetCurrentHistory(), nullptr);  // a world that never came is no step
  EXPECT_EQ(locationText(), "");

  ASSERT_EQ(open(good), 0);
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_RUNNING);
  ASSERT_NE(zmGetCurrentWorld(), nullptr);
  EXPECT_EQ(std::string(zmGetCurrentWorld()->name), url(good));
  EXPECT_EQ(zmGetPrevHistory(zmGetCurrentHistory()), nullptr);
}

// The world before comes back as it was, the history with it: its step stays
// current and the step after it (Forward) is not dropped.
TEST_F(ProgramTest, AFailedLoadSaysWhyAndShowsTheWorldBeforeWithTheHistoryAsItWas) {
  const std::string a = write("a.wrl"), b = write("b.wrl");
  start(a + " " + b);
  SendMessageA(zmGetMainHwnd(), WM_COMMAND, ZM_CMD_BACKWARD, 0);
  ZmWorld* before = zmGetCurrentWorld();
  ZmHistory* step = zmGetCurrentHistory();
  ASSERT_NE(before, nullptr);
  ASSERT_EQ(std::string(before->name), url(a));
  ZmHistory* forward = zmGetNextHistory(step);
  ASSERT_NE(forward, nullptr);

  const struct {
    std::string path;
    std::string why;
  } failures[] = {
      {write("bad.wrl", "not a world\n"), "cannot be read as a VRML 1.0 world"},
      {dir + "/missing.wrl", "cannot be read: No such file or directory"},
  };
  for (const auto& failure : failures) {
    messages.clear();
    SetWindowTextA(zmGetLocationField(), url(failure.path).c_str());
    SendMessageA(zmGetLocationField(), WM_CHAR, '\r', 0);
    pump();
    EXPECT_TRUE(reported(url(failure.path) + ": " + failure.why)) << failure.path;
    EXPECT_EQ(zmGetCurrentWorld(), before) << failure.path;
    EXPECT_EQ(zmShell.zmAppState, ZM_APP_RUNNING) << failure.path;
    EXPECT_EQ(zmGetCurrentHistory(), step) << failure.path;
    EXPECT_EQ(zmGetNextHistory(step), forward) << failure.path;
    EXPECT_EQ(zmCacheCount(), 2) << failure.path;
    EXPECT_EQ(locationText(), url(a)) << failure.path;
    tick();
    EXPECT_EQ(zmShell.zmAppState, ZM_APP_RUNNING) << failure.path;  // the world ticks on
  }
  SendMessageA(zmGetMainHwnd(), WM_COMMAND, ZM_CMD_FORWARD, 0);
  EXPECT_EQ(zmGetCurrentWorld(), zmCacheFindWorld(url(b).c_str()));
}

// A cancelled fetch says "Load Error" and leaves what was shown: the world
// on show keeps running, and without one the program waits.
TEST_F(ProgramTest, ACancelledLoadKeepsTheWorldOnShowOrWaits) {
  start();
  SendMessageA(zmGetMainHwnd(), WM_ZMLOADING, 0, 0);
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_FETCHING);
  SendMessageA(zmGetMainHwnd(), WM_ZMCANCEL, 0, 0);
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_WAITING);

  const std::string a = write("a.wrl");
  ASSERT_EQ(open(a), 0);
  ZmWorld* shown = zmGetCurrentWorld();
  ASSERT_NE(shown, nullptr);
  SendMessageA(zmGetMainHwnd(), WM_ZMLOADING, 0, 0);
  SendMessageA(zmGetMainHwnd(), WM_ZMCANCEL, 0, 0);
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_RUNNING);
  EXPECT_EQ(zmGetCurrentWorld(), shown);
  EXPECT_EQ(locationText(), url(a));
  const std::vector<platform::RecordedEvent> boxes = platform::recordedEvents("MessageBox");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].detail, "Lumenfold\nLoad Error");
}

TEST_F(ProgramTest, AFailedAvatarReadLeavesTheProgramAbleToLoadAgain) {
  const std::string first = write("first.wrl"), second = write("second.wrl");
  zmSetPersonFileForTest((dir + "/no-such-person.wrl").c_str());
  start(first);
  zmSetPersonFileForTest(nullptr);
  EXPECT_TRUE(reported("zmAddPersonToWorld: can not read file"));
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_WAITING);
  EXPECT_EQ(zmGetCurrentWorld(), nullptr);
  EXPECT_EQ(zmCacheCount(), 0);

  ASSERT_EQ(open(second), 0);
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_RUNNING);
  ASSERT_NE(zmGetCurrentWorld(), nullptr);
  EXPECT_NE(zmGetCurrentWorld()->person, nullptr);
}

TEST_F(ProgramTest, UrlsTooLongForTheirBuffersAreRefusedNotCut) {
  start();
  const std::string longName = dir + "/" + std::string(300, 'x') + ".wrl";
  const std::string longUrl = url(longName);

  EXPECT_EQ(zmWwwFilenameToUrl(longName.c_str()), nullptr);
  EXPECT_TRUE(reported("FileLength=" + std::to_string(longName.size()) + ": url buffer 256 size is overflow."));

  EXPECT_EQ(zmLoadWorld(write("a.wrl").c_str(), longUrl.c_str(), nullptr), -1);
  EXPECT_TRUE(reported("zmLoadWorld: the URL is longer than 255 characters: refused"));
  EXPECT_EQ(zmCacheCount(), 0);
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_WAITING);

  messages.clear();
  ASSERT_TRUE(platform::dropFiles(zmGetMainHwnd(), {longName}, POINT{50, 50}));
  pump();
  EXPECT_TRUE(reported("the file name is longer than 255 characters: refused"));
  EXPECT_EQ(zmCacheCount(), 0);
}

TEST_F(ProgramTest, DroppedFilesOpenOneAtATime) {
  const std::string a = write("a.wrl"), b = write("b.wrl");
  start();
  ASSERT_TRUE(platform::dropFiles(zmGetMainHwnd(), {a, b}, POINT{50, 50}));
  pump();
  EXPECT_TRUE(reported("One file at a time please."));
  EXPECT_EQ(zmGetCurrentWorld(), nullptr);

  ASSERT_TRUE(platform::dropFiles(zmGetMainHwnd(), {b}, POINT{50, 50}));
  pump();
  ASSERT_NE(zmGetCurrentWorld(), nullptr);
  EXPECT_EQ(std::string(zmGetCurrentWorld()->name), url(b));
}

// A name typed into the Open dialog is one name, blanks and all, whether
// given whole or relative to the folder the dialog shows.
TEST_F(ProgramTest, TheOpenDialogOpensATypedNameWithBlanks) {
  const std::string spaced = write("my world.wrl"), other = write("other world.wrl");
  start();
  using Action = platform::DialogAction;
  platform::queueDialogScript({{Action::Type, IDC_OPENFILE_NAME, spaced}, {Action::Press, IDOK}});
  SendMessageA(zmGetMainHwnd(), WM_COMMAND, ZM_CMD_OPEN_FILE, 0);
  pump();
  ASSERT_NE(zmGetCurrentWorld(), nullptr);
  EXPECT_EQ(std::string(zmGetCurrentWorld()->name), url(spaced));

  const std::filesystem::path kept = std::filesystem::current_path();
  std::filesystem::current_path(dir);  // the dialog starts in the current folder
  platform::queueDialogScript({{Action::Type, IDC_OPENFILE_NAME, "other world"}, {Action::Press, IDOK}});
  SendMessageA(zmGetMainHwnd(), WM_COMMAND, ZM_CMD_OPEN_FILE, 0);
  pump();
  std::filesystem::current_path(kept);
  ASSERT_NE(zmGetCurrentWorld(), nullptr);
  EXPECT_EQ(std::string(zmGetCurrentWorld()->name), url(other));
}

TEST_F(ProgramTest, EnterInTheLocationFieldOpensItsWorld) {
  const std::string a = write("a.wrl");
  start();
  SetWindowTextA(zmGetLocationField(), url(a).c_str());
  SendMessageA(zmGetLocationField(), WM_CHAR, '\r', 0);
  pump();
  ASSERT_NE(zmGetCurrentWorld(), nullptr);
  EXPECT_EQ(std::string(zmGetCurrentWorld()->name), url(a));
}

TEST_F(ProgramTest, ReloadBuildsTheWorldAnewInPlaceOfItsHistoryStep) {
  const std::string a = write("a.wrl");
  start(a);
  ZmWorld* before = zmGetCurrentWorld();
  ZmHistory* step = zmGetCurrentHistory();
  ASSERT_EQ(zmReloadWorld(url(a).c_str(), nullptr), 0);
  pump();
  ASSERT_NE(zmGetCurrentWorld(), nullptr);
  EXPECT_NE(zmGetCurrentWorld(), before);
  EXPECT_EQ(zmGetCurrentHistory(), step);
  EXPECT_EQ(zmGetNextHistory(step), nullptr);
  EXPECT_EQ(zmCacheCount(), 1);
  EXPECT_EQ(zmReloadWorld(url(dir + "/never.wrl").c_str(), nullptr), -1);
}

TEST_F(ProgramTest, UnescapingDecodesOnlyCompleteHexEscapes) {
  const std::pair<std::string, std::string> cases[] = {
      {"a%20b", "a b"},      {"%41%4a%4A", "AJJ"}, {"100%", "100%"},  {"%2", "%2"},
      {"%zz%2G", "%zz%2G"}, {"%%41", "%A"},       {"%7e~", "~~"},    {"", ""},
  };
  for (const auto& [text, decoded] : cases) {
    std::string buffer = text;
    zmUnescapeUrl(buffer.data());
    EXPECT_STREQ(buffer.c_str(), decoded.c_str()) << text;
  }
}

// A time-out that ends the world on show from inside the tick, as a nested
// load that fails does.
int leaveForWaiting(ZmObj*, ZmEvent*, const char*) {
  zmShell.zmAppState = ZM_APP_WAITING;
  return 1;
}

TEST_F(ProgramTest, TheTickRestoresTheRunningStateOnlyWhenNothingChangedIt) {
  start(write("a.wrl"));
  tick();
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_RUNNING);
  ASSERT_NE(zmAddTimeOutHandler(firstTopObject(zmGetCurrentWorld()), nullptr, 1, ZM_SCRIPT_C,
                                reinterpret_cast<const void*>(leaveForWaiting), "", 0),
            nullptr);
  tick();
  EXPECT_EQ(zmShell.zmAppState, ZM_APP_WAITING);
}

TEST_F(ProgramTest, TicksRenderFramesAndWriteTheirTimingWhenAsked) {
  start("-dframerate " + write("a.wrl"));
  platform::clearRecordedEvents();
  tick();
  tick();
  std::vector<std::string> timingLines;
  for (const platform::RecordedEvent& event : platform::recordedEvents("DebugOutput"))
    if (event.detail.rfind("Rendering ", 0) == 0) timingLines.push_back(event.detail);
  ASSERT_EQ(timingLines.size(), 2u);
  // The virtual clock stands still while a frame renders; a tick is 1000 ms.
  // The first frame has no frame before it: no other work, not the time
  // since the clock began.
  EXPECT_EQ(timingLines[0].rfind("Rendering    0 msec. Other    0 msec. Total 0 msec.", 0), 0u) << timingLines[0];
  EXPECT_EQ(timingLines[1].rfind("Rendering    0 msec. Other 1000 msec. Total 1000 msec.", 0), 0u) << timingLines[1];
}

// A WORLD_IN handler that pumps messages with a close waiting in the queue.
int pumpWithCloseWaiting(ZmObj*, ZmEvent*, const char*) {
  PostMessageA(zmGetMainHwnd(), WM_CLOSE, 0, 0);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  calls.emplace_back(IsWindow(zmGetMainHwnd()) ? "open after the nested pump" : "closed in the nested pump");
  return 0;
}

TEST_F(ProgramTest, ACloseDuringALoadWaitsUntilTheLoadHasUnwound) {
  calls.clear();
  const std::string a = write("a.wrl"), b = write("b.wrl");
  start(a);
  zmAddEventHandler(firstTopObject(zmCacheFindWorld(url(a).c_str())), "", ZM_EVENT_WORLD_IN, ZM_SCRIPT_C,
                    reinterpret_cast<const void*>(pumpWithCloseWaiting), "", nullptr);
  // Reload builds a's world again; the new one has no handler, so re-show a
  // cached a through a second world.
  ASSERT_EQ(open(b), 0);
  ASSERT_EQ(open(a), 0);
  EXPECT_EQ(calls, (std::vector<std::string>{"open after the nested pump"}));
  EXPECT_FALSE(IsWindow(zmGetMainHwnd()));
  EXPECT_EQ(quitCode, 0);
}

TEST_F(ProgramTest, ACloseWhileAWorldFetchesATextureEndsTheFetchAndClosesOnceTheLoadHasUnwound) {
  start();
  const std::string world = write("textured.wrl",
                                  "#VRML V1.0 ascii\nSeparator { Texture2 { filename \"ftp://example.invalid/t.gif\" } "
                                  "Cube {} }\n");
  ASSERT_EQ(zmWwwOpenFile(world.c_str()), 0);
  HWND main = zmGetMainHwnd();
  PostMessageA(main, WM_CLOSE, 0, 0);  // waits behind the world, so it comes while the texture is fetched
  platform::clearRecordedEvents();
  pump();
  std::vector<std::string> transcript;
  for (const auto& event : platform::recordedEvents("Dde")) transcript.push_back(event.detail);
  ASSERT_GE(transcript.size(), 3u);
  EXPECT_EQ(transcript[0], "request NETSCAPE WWW_RegisterViewer Lumenfold,image/gif,0x4");
  EXPECT_EQ(transcript[1], "request NETSCAPE WWW_OpenURL ftp://example.invalid/t.gif,,0xFFFFFFFF,0x04,,,Lumenfold");
  EXPECT_EQ(transcript[2], "request NETSCAPE WWW_UnRegisterViewer Lumenfold,image/gif");
  EXPECT_FALSE(IsWindow(main));
  EXPECT_EQ(quitCode, 0);
}

// The "Load Texture" preference decides whether a world's textures are
// fetched and applied once it is read.
TEST_F(ProgramTest, TexturesLoadOnlyWhileTheLoadTexturePreferenceIsOn) {
  start();
  for (int texture : {0, 1}) {
    const std::string world = write("textured" + std::to_string(texture) + ".wrl",
                                    "#VRML V1.0 ascii\nSeparator { Texture2 { filename \"ftp://example.invalid/t.gif\" } "
                                    "Cube {} }\n");
    zmSetPreference(ZM_PREF_TEXTURE, &texture);
    platform::clearRecordedEvents();
    ASSERT_EQ(zmLoadWorld(world.c_str(), url(world).c_str(), nullptr), 0) << texture;
    bool fetched = false;
    for (const auto& event : platform::recordedEvents("Dde"))
      fetched = fetched || event.detail.find("WWW_OpenURL ftp://example.invalid/t.gif") != std::string::npos;
    EXPECT_EQ(fetched, texture == 1) << texture;
  }
}

// A browser under "NETSCAPE" that gives every local file a web URL.
struct WebUrlBrowser {
  static inline DWORD instance = 0;
  static inline HSZ name = nullptr;
  static HDDEDATA CALLBACK callback(UINT type, UINT, HCONV, HSZ topic, HSZ item, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    if (type == XTYP_CONNECT) return reinterpret_cast<HDDEDATA>(uintptr_t(item == name));
    if (type != XTYP_REQUEST) return nullptr;
    char text[64];
    DdeQueryStringA(instance, topic, text, sizeof text, CP_WINANSI);
    std::string answer = std::strcmp(text, "WWW_QueryURLFile") == 0 ? "\"http://example.invalid/w.wrl.gz\"" : "1";
    return DdeCreateDataHandle(instance, reinterpret_cast<LPBYTE>(answer.data()), DWORD(answer.size() + 1), 0, item,
                               CF_TEXT, 0);
  }
};

TEST_F(ProgramTest, TheWorldNamedOnTheCommandLineIsKeptWhateverUrlTheBrowserGivesIt) {
  ASSERT_EQ(DdeInitializeA(&WebUrlBrowser::instance, WebUrlBrowser::callback, 0, 0), UINT(DMLERR_NO_ERROR));
  WebUrlBrowser::name = DdeCreateStringHandleA(WebUrlBrowser::instance, "NETSCAPE", CP_WINANSI);
  DdeNameService(WebUrlBrowser::instance, WebUrlBrowser::name, nullptr, DNS_REGISTER);
  const std::string world = write("w.wrl");
  ASSERT_EQ(std::system(("gzip -f " + world).c_str()), 0);
  start(world + ".gz");
  EXPECT_NE(zmCacheFindWorld("http://example.invalid/w.wrl.gz"), nullptr);
  EXPECT_TRUE(std::filesystem::exists(world + ".gz"));
  DestroyWindow(zmGetMainHwnd());
  pump();
  DdeUninitialize(WebUrlBrowser::instance);
  WebUrlBrowser::instance = 0;
}

TEST_F(ProgramTest, ShutDownLeavesTheWorldThenFreesItThenRunsTheExitHandlers) {
  calls.clear();
  start(write("a.wrl"));
  ZmWorld* world = zmGetCurrentWorld();
  ASSERT_NE(world, nullptr);
  zmAddEventHandler(firstTopObject(world), "", ZM_EVENT_WORLD_OUT, ZM_SCRIPT_C,
                    reinterpret_cast<const void*>(recordWorldOut), "", nullptr);
  zmAddWorldDestroyHandler(world, recordWorldDeleted);
  zmAddExitHandler(recordExitHandler);
  HWND main = zmGetMainHwnd();
  PostMessageA(main, WM_CLOSE, 0, 0);
  pump();
  EXPECT_EQ(calls, (std::vector<std::string>{"WORLD_OUT", "world deleted", "exit handlers"}));
  EXPECT_FALSE(IsWindow(main));
  EXPECT_EQ(zmGetCurrentWorld(), nullptr);
  EXPECT_EQ(quitCode, 0);
}

}  // namespace

TEST_F(ProgramTest, AShownWorldJoinsThroughTheProxyAndAsTheAvatarChosenBeforeIt) {
  const std::string a = write("a.wrl");
  start();
  ASSERT_EQ(zmSetPreference(ZM_PREF_SOCKS_HOST, "proxy.example"), 0);
  ASSERT_EQ(zmSetPreference(ZM_PREF_SOCKS_PORT, "1080"), 0);
  using platform::DialogAction;
  platform::queueDialogScript({{DialogAction::Pick, ZM_AVDLG_LIST, "", 1}, {DialogAction::Press, IDOK}});
  ASSERT_EQ(zmOpenAvatarDialog(zmGetMainHwnd()), 0);
  ASSERT_EQ(zmGoToUrl(url(a).c_str(), nullptr), 0);
  pump();
  ASSERT_NE(zmGetCurrentWorld(), nullptr);
  const ZmMultiUserSettings& settings = zmMultiUserSettings();
  EXPECT_EQ(settings.socksHost, "proxy.example");
  EXPECT_EQ(settings.socksPort, "1080");
  EXPECT_EQ(settings.avatarFile, "boy.wrl");
  zmResetAvatarForTest();
}

TEST_F(ProgramTest, ABookmarkDeletedBeforeItsWorldArrivesLeavesItsPlaceBehind) {
  const std::string a = write("a.wrl");
  const std::string c = write("c.wrl");
  start();
  ASSERT_EQ(zmGoToUrl(url(a).c_str(), nullptr), 0);
  pump();
  ASSERT_NE(zmAddBookmark(zmGetCurrentWorld()), nullptr);
  ZmBookmark* bookmark = zmGetBookmark(zmGetBookmarkCount() - 1, nullptr);
  ASSERT_NE(bookmark, nullptr);
  // The place is asked for while the world is on its way; the bookmark goes
  // before it arrives (under the sanitizers a kept pointer would be read
  // after it was freed).
  ASSERT_EQ(zmGoToUrl(url(c).c_str(), &bookmark->camera), 0);
  ASSERT_EQ(zmDeleteBookmark(zmGetBookmarkCount() - 1), 0);
  pump();
  ASSERT_NE(zmGetCurrentWorld(), nullptr);
  EXPECT_EQ(std::string(zmGetCurrentWorld()->name), url(c));
}
