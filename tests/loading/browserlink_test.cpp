// tests/loading/browserlink_test.cpp -- the browser link over DDE: the
// program's server and the topics it answers, the requests of its client
// as the browser sees them, fetching through a browser, and the program's
// own browser service.
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/apphandles.h"
#include "loading/browserservice.h"
#include "loading/ddeclient.h"
#include "loading/ddeserver.h"
#include "loading/desktopopen.h"
#include "loading/filetype.h"
#include "loading/urltable.h"
#include "loading/wwwlink.h"
#include "platform/recorder.h"
#include "tests/loading/gif_builder.h"
#include "tests/loading/loading_fixture.h"

namespace loadingtest {
namespace {

constexpr UINT kHandOver = WM_USER + 50;  // to the fake browser's window: hand the document over

// A browser stand-in under "NETSCAPE": acknowledges every request, and on
// "WWW_OpenURL" hands `file` over as the document of `url` once its window
// gets to it, as a browser does after the request has been answered.
struct FakeBrowser {
  DWORD instance = 0;
  HSZ name = nullptr;
  HWND window = nullptr;
  std::string file, url, mime;  // what it hands over; url empty: nothing
};
FakeBrowser* fake = nullptr;

HDDEDATA CALLBACK fakeBrowserCallback(UINT type, UINT, HCONV, HSZ hsz1, HSZ hsz2, HDDEDATA, ULONG_PTR, ULONG_PTR) {
  if (type == XTYP_CONNECT) return reinterpret_cast<HDDEDATA>(uintptr_t(hsz2 == fake->name));
  if (type != XTYP_REQUEST && type != XTYP_POKE) return nullptr;
  char topic[64];
  DdeQueryStringA(fake->instance, hsz1, topic, sizeof topic, CP_WINANSI);
  if (std::strcmp(topic, "WWW_OpenURL") == 0 && !fake->url.empty()) PostMessageA(fake->window, kHandOver, 0, 0);
  if (type == XTYP_POKE) return reinterpret_cast<HDDEDATA>(uintptr_t(DDE_FACK));
  BYTE yes[4] = {1, 0, 0, 0};
  return DdeCreateDataHandle(fake->instance, yes, sizeof yes, 0, hsz2, CF_TEXT, 0);
}

// One request from a client of the test's own; the answer's bytes, or
// "(none)" when nothing answered.
std::string askService(const char* service, const char* topic, const std::string& item) {
  DWORD instance = 0;
  DdeInitializeA(&instance, nullptr, APPCMD_CLIENTONLY, 0);
  HSZ s = DdeCreateStringHandleA(instance, service, CP_WINANSI);
  HSZ t = DdeCreateStringHandleA(instance, topic, CP_WINANSI);
  HSZ i = DdeCreateStringHandleA(instance, item.c_str(), CP_WINANSI);
  HCONV conv = DdeConnect(instance, s, t, nullptr);
  HDDEDATA data = conv != nullptr ? DdeClientTransaction(nullptr, 0, conv, i, CF_TEXT, XTYP_REQUEST, 1000, nullptr)
                                  : nullptr;
  std::string answer = "(none)";
  if (data != nullptr) {
    answer.assign(DdeGetData(data, nullptr, 0, 0), '\0');
    DdeGetData(data, reinterpret_cast<LPBYTE>(answer.data()), DWORD(answer.size()), 0);
  }
  DdeUninitialize(instance);
  return answer;
}

uint32_t asNumber(const std::string& bytes) {
  uint32_t value = 0;
  if (bytes.size() == 4) std::memcpy(&value, bytes.data(), 4);
  return bytes.size() == 4 ? value : 0xdeadbeef;
}

LRESULT CALLBACK mainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CLOSE) platform::recordEvent("Main", "WM_CLOSE");
  return msg == WM_CLOSE ? 0 : DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK fakeWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != kHandOver) return DefWindowProcA(hwnd, msg, wParam, lParam);
  askService("Lumenfold", "WWW_ViewDocFile", "\"" + fake->file + "\",\"" + fake->url + "\",\"" + fake->mime + "\"");
  return 0;
}

class BrowserLinkTest : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    main = makeWindow("LfBrowserLinkMain", mainProc);
    zmSetMainHwnd(main);
    zmWwwSetBaseUrl("");
    zmDdeForgetWarningForTest();
    platform::clearRecordedEvents();
  }
  void TearDown() override {
    zmWwwUnRegisterViewer();
    zmStopBrowserService();
    if (fake != nullptr) {
      DdeUninitialize(fake->instance);
      DestroyWindow(fake->window);
      UnregisterClassA("LfFakeBrowser", nullptr);
      fake = nullptr;
    }
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    DestroyWindow(main);
    zmSetMainHwnd(nullptr);
    UnregisterClassA("LfBrowserLinkMain", nullptr);
    LoadingTest::TearDown();
  }

  HWND makeWindow(const char* className, WNDPROC proc) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    return CreateWindowExA(0, className, "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  }

  void startFakeBrowser() {
    fake = &fakeBrowser;
    fake->window = makeWindow("LfFakeBrowser", fakeWindowProc);
    DdeInitializeA(&fake->instance, fakeBrowserCallback, 0, 0);
    fake->name = DdeCreateStringHandleA(fake->instance, "NETSCAPE", CP_WINANSI);
    DdeNameService(fake->instance, fake->name, nullptr, DNS_REGISTER);
    ASSERT_EQ(zmWwwRegisterViewer(), 0);
    platform::clearRecordedEvents();
  }

  void startOwnService() {
    ASSERT_EQ(zmStartBrowserService(), 1);
    ASSERT_EQ(zmWwwRegisterViewer(), 0);
    platform::clearRecordedEvents();
  }

  // The messages posted to the main window, in order, taken off the queue.
  std::vector<MSG> posted() {
    std::vector<MSG> out;
    MSG msg;
    while (PeekMessageA(&msg, main, 0, 0, PM_REMOVE)) out.push_back(msg);
    return out;
  }

  // Serves every waiting message but the main window's.
  void serveOthers() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) && msg.hwnd != main) {
      PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
      DispatchMessageA(&msg);
    }
  }

  std::vector<std::string> transcript() {
    std::vector<std::string> lines;
    for (const auto& event : platform::recordedEvents("Dde")) lines.push_back(event.detail);
    return lines;
  }

  void writeGif(const std::string& name) {
    GifPicture picture;
    picture.width = picture.height = 2;
    picture.globalTable = {{255, 0, 0}, {0, 0, 255}};
    picture.pixels = {0, 1, 1, 0};
    picture.minCodeSize = 2;
    writeFile(path(name), buildGif(picture));
  }

  int warningsContaining(const std::string& text) {
    int count = 0;
    for (const std::string& warning : warnings()) count += warning.find(text) != std::string::npos;
    return count;
  }

  HWND main = nullptr;
  FakeBrowser fakeBrowser;
};

TEST_F(BrowserLinkTest, ItemArgumentsAreQuoteAwareAndBounded) {
  struct Case {
    const char* item;
    int n;
    const char* expected;  // null: no such argument
  } cases[] = {
      {"\"C:\\a,b.wrl\",\"http://h/a.wrl\",\"x-world/x-vrml\"", 0, "C:\\a,b.wrl"},
      {"\"C:\\a,b.wrl\",\"http://h/a.wrl\",\"x-world/x-vrml\"", 2, "x-world/x-vrml"},
      {"\"C:\\a,b.wrl\",\"http://h/a.wrl\",\"x-world/x-vrml\"", 3, nullptr},
      {"app,x-world/x-vrml,0x4", 2, "0x4"},  // an unquoted last argument
      {"\"never closed,x", 0, nullptr},
      {"\"a\"junk,b", 0, nullptr},
      {",,", 1, ""},
  };
  for (const Case& c : cases) {
    char out[64] = "unset";
    const bool found = zmDdeItemArgument(c.item, c.n, out, sizeof out);
    EXPECT_EQ(found, c.expected != nullptr) << c.item << " #" << c.n;
    if (found && c.expected != nullptr) {
      EXPECT_STREQ(out, c.expected) << c.item;
    }
  }
  char small[4];
  EXPECT_FALSE(zmDdeItemArgument("\"abcd\"", 0, small, sizeof small));  // does not fit: not cut
}

TEST_F(BrowserLinkTest, HandedDocumentsArePostedAndOnlyFetchedFilesAreConsumed) {
  startOwnService();
  const std::string world = path("a.wrl");
  writeFile(world, Bytes{'#'});
  writeGif("t.gif");
  writeGif("u.gif");
  struct Case {
    std::string file, url, mime, expectedLocal;
    bool sourceKept;
  } cases[] = {
      {world, "file://" + world, "x-world/x-vrml", world, true},
      // Fetched from the web: converted beside itself, the GIF consumed.
      {path("t.gif"), "http://example.invalid/t.gif", "image/gif", path("t.bmp"), false},
      // The user's own picture: converted into the user folder and kept.
      {path("u.gif"), "file://" + path("u.gif"), "image/gif", dir + "/home/u.bmp", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(askService("Lumenfold", "WWW_ViewDocFile", "\"" + c.file + "\",\"" + c.url + "\",\"" + c.mime + "\""),
              std::string(1, '\0'));
    const std::vector<MSG> messages = posted();
    ASSERT_EQ(messages.size(), 1u) << c.file;
    EXPECT_EQ(messages[0].message, static_cast<UINT>(WM_ZMLOADWORLD));
    const auto* record = reinterpret_cast<const ZmLoadRecord*>(messages[0].lParam);
    EXPECT_EQ(std::string(record->local), c.expectedLocal);
    EXPECT_EQ(std::string(record->url), c.url);
    EXPECT_TRUE(std::filesystem::exists(record->local)) << record->local;
    EXPECT_EQ(std::filesystem::exists(c.file), c.sourceKept) << c.file;
  }
}

TEST_F(BrowserLinkTest, MalformedHandOversPostNothing) {
  startOwnService();
  const std::string longName(600, 'n');
  const std::string items[] = {
      "\"" + path("a.wrl") + "\",\"file:///a.wrl\"",               // no MIME type
      "\"" + path("a.wrl") + ",\"file:///a.wrl\",\"x-world/x-vrml\"",  // a quote never closed
      "\"" + longName + "\",\"file:///a.wrl\",\"x-world/x-vrml\"",      // longer than an item may be
      "",
  };
  for (const std::string& item : items) {
    askService("Lumenfold", "WWW_ViewDocFile", item);
    EXPECT_TRUE(posted().empty()) << item;
  }
}

TEST_F(BrowserLinkTest, TransfersAreNumberedAndCancellingNamesTheLastOne) {
  startOwnService();
  const uint32_t before = zmDdeTransactionCounter();
  for (uint32_t i = 1; i <= 3; ++i)
    EXPECT_EQ(asNumber(askService("Lumenfold", "WWW_BeginProgress", "0xFFFFFFFF,\"Loading\"")), before + i);
  EXPECT_EQ(askService("Lumenfold", "WWW_MakingProgress", "0x1,\"x\",10"), std::string(2, '\0'));
  EXPECT_EQ(askService("Lumenfold", "WWW_EndProgress", "0x1"), std::string(1, '\0'));
  platform::clearRecordedEvents();
  EXPECT_EQ(zmWwwCancelProgress(), 0);
  char expected[64];
  std::snprintf(expected, sizeof expected, "poke NETSCAPE WWW_CancelProgress 0x%X", before + 3);
  EXPECT_EQ(transcript(), (std::vector<std::string>{expected}));
  EXPECT_TRUE(posted().empty());
}

TEST_F(BrowserLinkTest, AlertsCancelTheLoadUnlessTheyAreAboutGzip) {
  startOwnService();
  EXPECT_EQ(asNumber(askService("Lumenfold", "WWW_Alert", "\"unexpected x-gzip encoding\",0x1,0x1")), 1u);
  EXPECT_TRUE(posted().empty());
  EXPECT_EQ(asNumber(askService("Lumenfold", "WWW_Alert", "\"not found\",0x1,0x1")), 0u);
  const std::vector<MSG> messages = posted();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].message, static_cast<UINT>(WM_ZMCANCEL));
  // The program's server takes no conversation for another service name.
  EXPECT_EQ(askService("OTHER", "WWW_Alert", "\"not found\""), "(none)");
  EXPECT_TRUE(posted().empty());
}

TEST_F(BrowserLinkTest, WithoutABrowserRegistrationFailsAndRequestsFailQuietly) {
  EXPECT_EQ(zmWwwRegisterViewer(), -1);
  EXPECT_EQ(zmWwwRegisterViewer(), -1);
  EXPECT_EQ(warningsContaining("Netscape is not running."), 1);
  EXPECT_EQ(askService("Lumenfold", "WWW_Alert", "\"x\""), "(none)");  // no server started
  EXPECT_EQ(zmWwwOpenUrl("ftp://example.invalid/a.wrl"), -1);
  EXPECT_EQ(zmWwwCancelProgress(), 0);
  EXPECT_TRUE(posted().empty());
  EXPECT_TRUE(transcript().empty());  // nothing reached a browser
}

TEST_F(BrowserLinkTest, AFetchThroughTheBrowserRegistersWaitsAndUnregisters) {
  startFakeBrowser();
  std::filesystem::create_directories(path("cache"));
  zmWwwSetBaseUrl("ftp://example.invalid/w/world.wrl");
  ZmUrlHash entry{const_cast<char*>("tex.gif"), nullptr, ZM_FILE_UNKNOWN, nullptr};
  struct Case {
    std::string handedUrl;
    bool fetched;
  } cases[] = {
      {"ftp://example.invalid/w/tex.gif", true},
      {"ftp://example.invalid/w/other.gif", false},  // another document came first
  };
  for (const Case& c : cases) {
    writeGif("cache/tex.gif");
    fake->file = path("cache/tex.gif");
    fake->url = c.handedUrl;
    fake->mime = "image/gif";
    platform::clearRecordedEvents();
    const char* local = zmWwwFetchUrl(&entry);
    EXPECT_EQ(local != nullptr, c.fetched) << c.handedUrl;
    if (c.fetched) {
      ASSERT_NE(local, nullptr);
      EXPECT_EQ(std::string(local), path("cache/tex.bmp"));
      EXPECT_EQ(entry.mimeType, static_cast<uint32_t>(ZM_FILE_BMP));
    }
    EXPECT_FALSE(std::filesystem::exists(path("cache/tex.gif")));  // the browser's copy, consumed
    const std::string viewDoc = "request Lumenfold WWW_ViewDocFile \"" + fake->file + "\",\"" + c.handedUrl +
                                "\",\"image/gif\"";
    EXPECT_EQ(transcript(), (std::vector<std::string>{
                                "request NETSCAPE WWW_RegisterViewer Lumenfold,image/gif,0x4",
                                "request NETSCAPE WWW_OpenURL "
                                "ftp://example.invalid/w/tex.gif,,0xFFFFFFFF,0x04,,,Lumenfold",
                                viewDoc,
                                "request NETSCAPE WWW_UnRegisterViewer Lumenfold,image/gif",
                            }));
  }
}

TEST_F(BrowserLinkTest, AFileOfATypeWithoutMimeTextIsFetchedWithoutARegistration) {
  startFakeBrowser();
  zmWwwSetBaseUrl("ftp://example.invalid/w/world.wrl");
  writeFile(path("notes.txt"), Bytes{'x'});
  fake->file = path("notes.txt");
  fake->url = "ftp://example.invalid/w/notes.txt";
  fake->mime = "text/plain";
  ZmUrlHash entry{const_cast<char*>("notes.txt"), nullptr, ZM_FILE_BMP, nullptr};
  const char* local = zmWwwFetchUrl(&entry);
  ASSERT_NE(local, nullptr);
  EXPECT_EQ(std::string(local), path("notes.txt"));
  EXPECT_EQ(entry.mimeType, static_cast<uint32_t>(ZM_FILE_UNKNOWN));
  const std::vector<std::string> lines = transcript();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "request NETSCAPE WWW_OpenURL ftp://example.invalid/w/notes.txt,,0xFFFFFFFF,0x04,,,Lumenfold");
}

TEST_F(BrowserLinkTest, ACloseDuringAFetchEndsItAndReachesTheMainWindowAfterwards) {
  startFakeBrowser();
  zmWwwSetBaseUrl("ftp://example.invalid/w/world.wrl");
  ZmUrlHash entry{const_cast<char*>("inline.wrl"), nullptr, ZM_FILE_UNKNOWN, nullptr};
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(zmWwwFetchUrl(&entry), nullptr);
  std::vector<std::string> order;
  for (const auto& event : platform::recordedEvents()) order.push_back(event.kind + " " + event.detail);
  EXPECT_EQ(order, (std::vector<std::string>{
                       "Dde request NETSCAPE WWW_OpenURL "
                       "ftp://example.invalid/w/inline.wrl,,0xFFFFFFFF,0x04,,,Lumenfold",
                       "Main WM_CLOSE",
                   }));
}

TEST_F(BrowserLinkTest, TheOwnServiceHandsFilesToTheirViewerAndAlertsWhatItCannotHave) {
  startOwnService();
  writeGif("p.gif");
  const std::string url = "file://" + path("p.gif");
  EXPECT_EQ(asNumber(askService("NETSCAPE", "WWW_RegisterViewer", "Lumenfold,image/gif,0x4")), 1u);
  const uint32_t number = zmDdeTransactionCounter() + 1;
  EXPECT_EQ(asNumber(askService("NETSCAPE", "WWW_OpenURL", url + ",,0xFFFFFFFF,0x04,,,Lumenfold")), 1u);
  EXPECT_TRUE(posted().empty());  // the document comes after the request was answered
  platform::clearRecordedEvents();
  serveOthers();
  std::vector<MSG> messages = posted();
  ASSERT_EQ(messages.size(), 1u);
  ASSERT_EQ(messages[0].message, static_cast<UINT>(WM_ZMLOADWORLD));
  const auto* record = reinterpret_cast<const ZmLoadRecord*>(messages[0].lParam);
  EXPECT_EQ(std::string(record->local), dir + "/home/p.bmp");
  EXPECT_TRUE(std::filesystem::exists(path("p.gif")));  // the user's file is kept
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%X", number);
  const std::string size = std::to_string(std::filesystem::file_size(path("p.gif")));
  EXPECT_EQ(transcript(), (std::vector<std::string>{
                              "request Lumenfold WWW_BeginProgress 0xFFFFFFFF,\"Loading " + url + "\"",
                              "request Lumenfold WWW_SetProgressRange " + std::string(hex) + "," + size,
                              "request Lumenfold WWW_MakingProgress " + std::string(hex) + ",\"" + url + "\"," + size,
                              "request Lumenfold WWW_EndProgress " + std::string(hex),
                              "request Lumenfold WWW_ViewDocFile \"" + path("p.gif") + "\",\"" + url +
                                  "\",\"image/gif\"",
                          }));

  // What it cannot have, and what no viewer takes, cancel the load.
  writeFile(path("p.txt"), Bytes{'x'});
  for (const std::string& other :
       {std::string("ftp://example.invalid/x.wrl"), "file://" + path("missing.wrl"), "file://" + path("p.txt")}) {
    askService("NETSCAPE", "WWW_OpenURL", other + ",,0xFFFFFFFF,0x04,,,Lumenfold");
    serveOthers();
    messages = posted();
    ASSERT_EQ(messages.size(), 1u) << other;
    EXPECT_EQ(messages[0].message, static_cast<UINT>(WM_ZMCANCEL)) << other;
  }
}

TEST_F(BrowserLinkTest, TheOwnServiceStartsOnlyWhenNoBrowserAnswersAndTellsFileUrls) {
  startFakeBrowser();
  EXPECT_EQ(zmStartBrowserService(), 0);
  zmWwwUnRegisterViewer();
  DdeUninitialize(fake->instance);
  fake->instance = 0;
  EXPECT_EQ(zmStartBrowserService(), 1);
  ASSERT_EQ(zmWwwRegisterViewer(), 0);
  char folder[512];
  ASSERT_NE(getcwd(folder, sizeof folder), nullptr);
  const char* url = zmWwwFilenameToUrl("x.wrl");
  ASSERT_NE(url, nullptr);
  EXPECT_EQ(std::string(url), "file://" + std::string(folder) + "/x.wrl");
  EXPECT_EQ(transcript().back(), "request NETSCAPE WWW_QueryURLFile x.wrl");
}

}  // namespace
}  // namespace loadingtest

namespace loadingtest {
namespace {

// A stand-in xdg-open first on PATH that writes its arguments, one a line,
// into "opened" of the test's folder.
class DesktopOpenTest : public BrowserLinkTest {
 protected:
  void SetUp() override {
    BrowserLinkTest::SetUp();
    const char* path = std::getenv("PATH");
    savedPath = path != nullptr ? path : "";
    const std::string script = "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >>'" + this->path("opened") +
                               "'; done\n";
    std::filesystem::create_directory(this->path("bin"));
    writeFile(this->path("bin/xdg-open"), Bytes(script.begin(), script.end()));
    std::filesystem::permissions(this->path("bin/xdg-open"), std::filesystem::perms::owner_all);
    setenv("PATH", (this->path("bin") + ":" + savedPath).c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", savedPath.c_str(), 1);
    BrowserLinkTest::TearDown();
  }

  // The URLs the stand-in was given, once `count` have come (a loaded
  // machine may start it late).
  std::vector<std::string> opened(size_t count) {
    std::vector<std::string> lines;
    for (int wait = 0; wait < 200 && lines.size() < count; ++wait) {
      if (wait > 0) usleep(50 * 1000);
      lines.clear();
      std::ifstream file(path("opened"));
      for (std::string line; std::getline(file, line);) lines.push_back(line);
    }
    return lines;
  }

  std::string savedPath;
};

TEST_F(DesktopOpenTest, DocumentsNoViewerTakesGoToTheDesktopsBrowserAsOneArgument) {
  startOwnService();
  writeGif("p.gif");
  const std::vector<std::string> handed = {
      "http://127.0.0.1:9/page.html",                  // a web page
      "https://example.invalid/a b;$(touch x).html",   // spaces and shell characters stay one argument
      "mailto:someone@example.invalid",                // no document at all
      "file://" + path("p.gif"),                       // a type of ours that no viewer took
  };
  for (const std::string& url : handed) {
    askService("NETSCAPE", "WWW_OpenURL", url + ",,0xFFFFFFFF,0x04,,,Lumenfold");
    serveOthers();
    EXPECT_TRUE(posted().empty()) << url << ": nothing comes back to the program";
  }
  // Each hand-over is a process of its own: they may write in any order.
  std::vector<std::string> got = opened(handed.size()), expected = handed;
  std::sort(got.begin(), got.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(got, expected);
  EXPECT_FALSE(std::filesystem::exists(path("x")));
  EXPECT_EQ(platform::recordedEvents("DesktopOpen").size(), handed.size());
}

TEST_F(DesktopOpenTest, OtherSchemesAndTypesTheProgramMayWaitForAreNotHandedOver) {
  startOwnService();
  writeFile(path("notes.txt"), Bytes{'x'});
  // gopher: is no scheme of the desktop's browser; a local file of a type
  // without MIME text may be a fetch the program waits on.
  for (const std::string& url : {std::string("gopher://example.invalid/page.html"), "file://" + path("notes.txt")}) {
    askService("NETSCAPE", "WWW_OpenURL", url + ",,0xFFFFFFFF,0x04,,,Lumenfold");
    serveOthers();
    std::vector<MSG> messages = posted();
    ASSERT_EQ(messages.size(), 1u) << url;
    EXPECT_EQ(messages[0].message, static_cast<UINT>(WM_ZMCANCEL)) << url;
  }
  EXPECT_TRUE(platform::recordedEvents("DesktopOpen").empty());
}

TEST(DesktopMayOpenTest, OnlyTheDesktopsSchemesWithoutControlCharacters) {
  struct Case {
    const char* url;
    bool allowed;
  } cases[] = {
      {"http://h/p.html", true},  {"HTTPS://h/", true},      {"ftp://h/f", true},
      {"file:///tmp/x.png", true}, {"mailto:a@b", true},     {"javascript:alert(1)", false},
      {"-h", false},               {"/tmp/x.html", false},   {"http://h/\nx", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(zmDesktopMayOpen(c.url), c.allowed) << c.url;
  EXPECT_FALSE(zmDesktopMayOpen(nullptr));
}

}  // namespace
}  // namespace loadingtest
