// tests/loading/weblink_test.cpp -- worlds and their files over http from a
// loopback server of our own: the transfer's outcomes, a world read from the
// web exactly as from its files, stalled transfers stopped within a second
// with nothing left behind, and a world from the web kept off local files,
// its archives included.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/apphandles.h"
#include "core/leaf.h"
#include "core/object.h"
#include "core/world.h"
#include "loading/filetype.h"
#include "loading/gzip.h"
#include "loading/httpfetch.h"
#include "loading/lha.h"
#include "loading/loadhooks.h"
#include "loading/madecopies.h"
#include "loading/urltable.h"
#include "loading/weblink.h"
#include "loading/wwwlink.h"
#include "tests/lha_builder.h"
#include "tests/loading/loading_fixture.h"
#include "tests/own_modules.h"
#include "tests/web_server.h"
#include "vrml/parse.h"

namespace loadingtest {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kWorld =
    "#VRML V1.0 ascii\n"
    "Separator {\n"
    "  WWWInline { name \"parts/in.wrl\" }\n"
    "  Separator { Texture2 { filename \"tex.gif\" } Cube { } }\n"
    "  Separator { Texture2 { filename \"photo.jpg\" } Cube { } }\n"
    "  WWWInline { name \"packed.wrl.gz\" }\n"
    "}\n";
constexpr const char* kInline =
    "#VRML V1.0 ascii\n"
    "Separator { Coordinate3 { point [0 0 0, 1 0 0, 1 1 0, 0 1 0] }\n"
    "  IndexedFaceSet { coordIndex [0, 1, 2, -1, 0, 2, 3, -1] } }\n";
constexpr const char* kPacked = "#VRML V1.0 ascii\nSeparator { Cube { } Sphere { } }\n";

// What a world was built into: its objects, faces, and the bytes of each
// texture's local file by URL.
struct Built {
  long objects = 0;
  long faces = 0;
  std::map<std::string, Bytes> textures;
};

void count(const ZmObj* object, Built& built) {
  ++built.objects;
  for (const ZmLeaf* leaf = object->leaf; leaf != nullptr; leaf = leaf->next) {
    if (leaf->kind == ZM_LEAF_FACE) ++built.faces;
    if (!zmIsShapeLeaf(const_cast<ZmLeaf*>(leaf)) || leaf->kind == ZM_LEAF_SOUND) continue;
    ZmUrlHash* texture = static_cast<const ZmShape*>(leaf)->texture.image->file;
    if (texture == nullptr) continue;
    const char* local = zmGetLocalFile(texture);
    built.textures[texture->url] = local != nullptr ? readFile(local) : Bytes{};
  }
  for (ZmChildList* child = object->child; child != nullptr; child = child->next) count(child->object, built);
}

class WebLinkTest : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    zmInstallLoadingHooks();
    zmSetUrlFetch(zmWwwFetchUrl);
    WNDCLASSA wc{};
    wc.lpfnWndProc = mainProc;
    wc.lpszClassName = "LfWebTestMain";
    RegisterClassA(&wc);
    main = CreateWindowExA(0, "LfWebTestMain", "main", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    zmSetMainHwnd(main);
    zmWwwSetBaseUrl("");
    site = path("site");
    fs::create_directories(site + "/parts");
    fs::create_directories(site + "/stall");
    server = std::make_unique<WebServer>(site);
    ASSERT_TRUE(server->running());
  }
  void TearDown() override {
    server.reset();
    DestroyWindow(main);
    zmSetMainHwnd(nullptr);
    UnregisterClassA("LfWebTestMain", nullptr);
    onTimer = nullptr;
    LoadingTest::TearDown();
  }

  // The main window runs `onTimer` on its timer, as a Stop command would
  // arrive while a transfer waits.
  static inline std::function<void()> onTimer;
  static LRESULT CALLBACK mainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER && onTimer) {
      KillTimer(hwnd, wParam);
      onTimer();
      return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }

  void writeSite() {
    std::ofstream(site + "/world.wrl") << kWorld;
    std::ofstream(site + "/parts/in.wrl") << kInline;
    std::ofstream(site + "/packed.wrl") << kPacked;
    ASSERT_EQ(std::system(("gzip -f '" + site + "/packed.wrl'").c_str()), 0);
    ASSERT_EQ(std::system(("convert -size 8x8 gradient:red-blue '" + site + "/tex.gif' && convert -size 16x8 " +
                           "gradient:green-yellow '" + site + "/photo.jpg'")
                              .c_str()),
              0);
  }

  // Opens the world as the link opens it, then builds what was posted the
  // way the program does, and frees it again.
  Built openAndBuild(const std::string& url) {
    Built built;
    EXPECT_EQ(zmWwwOpenUrl(url.c_str()), 0) << url;
    MSG msg{};
    const ZmLoadRecord* record = nullptr;
    while (PeekMessageA(&msg, main, 0, 0, PM_REMOVE))
      if (msg.message == WM_ZMLOADWORLD) record = reinterpret_cast<const ZmLoadRecord*>(msg.lParam);
    if (record == nullptr) return built;
    const std::string local = record->local;
    ZmWorld* world = zmNewWorld(url.c_str());
    zmSetCurrentWorld(world);
    zmNewUrlHashEntry(world->urlTable, url.c_str(), local.c_str(), ZM_FILE_WRL);
    zmWwwSetBaseUrl(url.c_str());
    EXPECT_EQ(parseVRMLIntoWorld(local.c_str(), world), 0);
    for (ZmTopObjList* top = world->topObjects; top != nullptr; top = top->next) count(top->object, built);
    zmSetCurrentWorld(nullptr);
    zmDeleteWorld(world);
    return built;
  }

  // The files the program fetched or made that are still in its folders.
  std::vector<std::string> leftOvers() {
    std::vector<std::string> names;
    for (const std::string& folder : {std::string(zmGetTempDir()), path("home")}) {
      if (!fs::exists(folder)) continue;
      for (const auto& item : fs::recursive_directory_iterator(folder))
        if (item.is_regular_file() && item.path().parent_path().filename() != "copies")
          names.push_back(item.path().string());
    }
    return names;
  }

  std::string site;
  std::unique_ptr<WebServer> server;
  HWND main = nullptr;
};

TEST_F(WebLinkTest, TransfersEndInTheirOutcomeAndLeaveNoFileUnlessWhole) {
  std::ofstream(site + "/page.txt") << "hello";
  const std::string file = path("got");
  struct Case {
    std::string url;
    ZmFetchStatus status;
    long code;
  };
  const Case cases[] = {
      {server->url("page.txt"), ZM_FETCH_OK, 200},
      {server->url("missing.wrl"), ZM_FETCH_HTTP_ERROR, 404},
      {server->url("to-local"), ZM_FETCH_FAILED, 302},  // a redirect to a local file is not followed
      {"http://127.0.0.1:1/x.wrl", ZM_FETCH_FAILED, 0},  // nobody listens
      {"file:///etc/hostname", ZM_FETCH_FAILED, 0},
  };
  for (const Case& c : cases) {
    const ZmFetchOutcome outcome = zmHttpFetch(c.url.c_str(), file.c_str(), nullptr, nullptr);
    EXPECT_EQ(outcome.status, c.status) << c.url << ": " << outcome.message;
    EXPECT_EQ(outcome.httpCode, c.code) << c.url;
    EXPECT_EQ(fs::exists(file), c.status == ZM_FETCH_OK) << c.url;
    if (c.status == ZM_FETCH_OK) {
      EXPECT_EQ(readFile(file), (Bytes{'h', 'e', 'l', 'l', 'o'}));
    } else {
      EXPECT_FALSE(outcome.message.empty()) << c.url;
    }
  }
}

TEST_F(WebLinkTest, WithoutTheWebModuleFetchesFailSayingSoAfterOneReport) {
  std::ofstream(site + "/page.txt") << "hello";
  const std::string file = path("got");
  std::ofstream(file) << "an older copy";
  MissingModules missing;
  for (int attempt = 0; attempt < 2; ++attempt) {
    const ZmFetchOutcome outcome = zmHttpFetch(server->url("page.txt").c_str(), file.c_str(), nullptr, nullptr);
    EXPECT_EQ(outcome.status, ZM_FETCH_FAILED);
    EXPECT_EQ(outcome.message, "the web support could not be loaded");
    EXPECT_FALSE(fs::exists(file));
  }
  ASSERT_EQ(missing.reports().size(), 1u);
  EXPECT_NE(missing.reports()[0].find("web.so"), std::string::npos) << missing.reports()[0];
}

TEST_F(WebLinkTest, ASilentServerIsAskedAboutOftenAndCancelledAtOnce) {
  struct Watch {
    Clock::time_point started = Clock::now(), last = Clock::now();
    Clock::duration longestGap{};
    long long received = 0;
  } watch;
  auto keepGoing = [](long long received, long long, void* user) {
    auto* w = static_cast<Watch*>(user);
    const Clock::time_point now = Clock::now();
    w->longestGap = std::max(w->longestGap, now - w->last);
    w->last = now;
    w->received = received;
    return now - w->started < std::chrono::milliseconds(700);
  };
  const std::string file = path("stalled");
  const ZmFetchOutcome outcome = zmHttpFetch(server->url("stall/big.wrl").c_str(), file.c_str(), keepGoing, &watch);
  EXPECT_EQ(outcome.status, ZM_FETCH_CANCELLED);
  EXPECT_EQ(watch.received, 1000);  // the first block came, then silence
  // A fetch that waited on the socket would be silent for the whole 700 ms;
  // the bounds leave a loaded machine's scheduler its delays.
  EXPECT_LT(watch.longestGap, std::chrono::milliseconds(450));
  EXPECT_LT(Clock::now() - watch.started, std::chrono::milliseconds(2000));
  EXPECT_FALSE(fs::exists(file));
}

// A timer whose work outlasts its period keeps the queue from ever being
// empty, as a frame that takes longer than the frame timer's interval does:
// the windows are served and the transfer still goes on between them.
TEST_F(WebLinkTest, AQueueThatNeverEmptiesDoesNotHoldATransfer) {
  std::ofstream(site + "/page.txt") << "hello";
  const Clock::time_point busyUntil = Clock::now() + std::chrono::seconds(8);
  int ticks = 0;
  onTimer = [&] {
    if (Clock::now() < busyUntil) SetTimer(main, 1, 5, nullptr);
    ++ticks;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  };
  SetTimer(main, 1, 5, nullptr);
  char local[ZM_URL_BUFFER_SIZE];
  const Clock::time_point started = Clock::now();
  EXPECT_EQ(zmWebFetch(server->url("page.txt").c_str(), ZM_FILE_WRL, local, sizeof local), 0);
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(4));  // the timer went on for eight
  EXPECT_GT(ticks, 2);
  EXPECT_EQ(readFile(local), (Bytes{'h', 'e', 'l', 'l', 'o'}));
  KillTimer(main, 1);
}

TEST_F(WebLinkTest, AWorldFromTheWebIsBuiltAsFromItsFilesAndItsCopiesGoWithIt) {
  writeSite();
  const Built fromFiles = openAndBuild("file://" + site + "/world.wrl");
  const Built fromWeb = openAndBuild(server->url("world.wrl"));
  EXPECT_TRUE(warnings().empty()) << warnings().front();
  EXPECT_GT(fromFiles.objects, 6);
  EXPECT_EQ(fromFiles.faces, 3 * 6 + 2);  // three cubes (one packed) and the inline's two faces
  EXPECT_EQ(fromWeb.objects, fromFiles.objects);
  EXPECT_EQ(fromWeb.faces, fromFiles.faces);
  ASSERT_EQ(fromWeb.textures.size(), 2u);
  ASSERT_EQ(fromFiles.textures.size(), 2u);
  for (const char* name : {"tex.gif", "photo.jpg"}) {
    const Bytes& web = fromWeb.textures.at(name);
    EXPECT_GT(web.size(), 54u) << name;
    EXPECT_EQ(web, fromFiles.textures.at(name)) << name;  // the same BMP
  }
  // Fetched files, unpacked and converted copies all went with the worlds.
  EXPECT_EQ(leftOvers(), std::vector<std::string>{});
}

TEST_F(WebLinkTest, AMissingFileOfAWebWorldIsAWarningAndTheRestIsBuilt) {
  std::ofstream(site + "/world.wrl") << "#VRML V1.0 ascii\nSeparator { WWWInline { name \"gone.wrl\" } Cube { } }\n";
  const Built built = openAndBuild(server->url("world.wrl"));
  EXPECT_GE(built.objects, 1);
  bool warned404 = false;
  for (const std::string& text : warnings()) warned404 |= text.find("gone.wrl: HTTP 404") != std::string::npos;
  EXPECT_TRUE(warned404);
}

TEST_F(WebLinkTest, TheStopPathEndsAStalledFetchWithinASecondAndLeavesNoFile) {
  const std::pair<const char*, std::function<void()>> stops[] = {
      {"WM_ZMCANCEL", [] { PostMessageA(zmGetMainHwnd(), WM_ZMCANCEL, 0, 0); }},
      {"zmWwwCancelProgress", [] { zmWwwCancelProgress(); }},
      {"WM_CLOSE", [] { PostMessageA(zmGetMainHwnd(), WM_CLOSE, 0, 0); }},
  };
  zmWwwSetBaseUrl(server->url("world.wrl").c_str());
  for (const auto& [name, stop] : stops) {
    Clock::time_point stopped{};
    onTimer = [&stopped, stop = stop] {
      stopped = Clock::now();
      stop();
    };
    SetTimer(main, 1, 300, nullptr);
    ZmUrlHash entry{const_cast<char*>("stall/big.wrl"), nullptr, ZM_FILE_UNKNOWN, nullptr};
    warnings().clear();
    EXPECT_EQ(zmWwwFetchUrl(&entry), nullptr) << name;
    ASSERT_NE(stopped, Clock::time_point{}) << name;
    EXPECT_LT(Clock::now() - stopped, std::chrono::seconds(1)) << name;
    EXPECT_EQ(leftOvers(), std::vector<std::string>{}) << name;
    ASSERT_FALSE(warnings().empty()) << name;
    EXPECT_NE(warnings().back().find("cancelled"), std::string::npos) << warnings().back();
    // A close is the program's, not the fetch's: it is still to be served.
    MSG msg{};
    EXPECT_EQ(PeekMessageA(&msg, main, WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0, std::string(name) == "WM_CLOSE") << name;
  }
}

TEST_F(WebLinkTest, AWorldFromTheWebReadsNoLocalFile) {
  const std::string secret = path("secret.wrl");
  std::ofstream(secret) << kPacked;
  struct Case {
    std::string world;
    std::string name;
    bool local;
  };
  const Case cases[] = {
      {server->url("world.wrl"), "file://" + secret, false},
      {"https://example.invalid/world.wrl", "file://" + secret, false},
      {server->url("world.wrl"), "file:///etc/hostname", false},
      {"file://" + site + "/world.wrl", "file://" + secret, true},  // a local world may
  };
  for (const Case& c : cases) {
    zmWwwSetBaseUrl(c.world.c_str());
    warnings().clear();
    ZmUrlHash entry{const_cast<char*>(c.name.c_str()), nullptr, ZM_FILE_UNKNOWN, nullptr};
    const char* local = zmWwwFetchUrl(&entry);
    EXPECT_EQ(local != nullptr, c.local) << c.world << " " << c.name;
    if (!c.local) {
      ASSERT_EQ(warnings().size(), 1u);
      EXPECT_EQ(warnings()[0], c.name + ": a world from the web cannot read local files");
    }
  }
  // An absolute path written in a web world names a file of its server.
  std::ofstream(site + "/abs.wrl") << kInline;
  zmWwwSetBaseUrl(server->url("world.wrl").c_str());
  ZmUrlHash absolute{const_cast<char*>("/abs.wrl"), nullptr, ZM_FILE_UNKNOWN, nullptr};
  const char* fetched = zmWwwFetchUrl(&absolute);
  ASSERT_NE(fetched, nullptr);
  EXPECT_EQ(std::string(fetched).rfind(zmGetTempDir(), 0), 0u) << fetched;
  zmDeleteMadeCopy(fetched);
}

TEST_F(WebLinkTest, AWebWorldsArchiveIsFetchedAndDeletedButAUsersArchiveIsNeverOpened) {
  lhatest::writeArchive(site + "/pack.lzh", {{"a.wrl", kPacked}});
  const std::string users = path("users.lzh");
  lhatest::writeArchive(users, {{"b.wrl", kPacked}});
  ZmWorld* world = zmNewWorld(server->url("world.wrl").c_str());
  zmSetCurrentWorld(world);
  zmWwwSetBaseUrl(world->name);

  ASSERT_EQ(zmExtractLha("pack.lzh"), 0);
  const char* member = zmGetLocalFile(zmFindUrlHashEntry(world->urlTable, "a.wrl"));
  ASSERT_NE(member, nullptr);
  EXPECT_EQ(readFile(member).size(), std::string(kPacked).size());

  warnings().clear();
  ASSERT_EQ(zmExtractLha(("file://" + users).c_str()), 0);
  EXPECT_EQ(zmFindUrlHashEntry(world->urlTable, "b.wrl"), nullptr);
  ASSERT_EQ(warnings().size(), 1u);
  EXPECT_EQ(warnings()[0], "file://" + users + ": a world from the web cannot read local files");
  EXPECT_TRUE(fs::exists(users));

  zmSetCurrentWorld(nullptr);
  zmDeleteWorld(world);
  // The fetched archive went once extracted; only its member is left.
  for (const std::string& left : leftOvers()) EXPECT_EQ(fs::path(left).filename(), "a.wrl") << left;
}

}  // namespace
}  // namespace loadingtest
