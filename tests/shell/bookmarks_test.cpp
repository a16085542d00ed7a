// tests/shell/bookmarks_test.cpp -- the bookmark file (byte-exact writing,
// reading back, the lines it refuses, failed writes), thumbnails kept
// numbered by position, the menu entries, going to a bookmark and the
// dialog's delete, undo and OK.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/camera.h"
#include "core/memory.h"
#include "core/strings.h"
#include "core/world.h"
#include "platform/controls.h"
#include "platform/wingdi.h"
#include "shell/bookmarks.h"
#include "shell/dibfile.h"
#include "shell/install.h"
#include "shell_fixture.h"
#include "tests/vrml_hook_guards.h"
#include "viewer/hooks.h"
#include "vrml/parse.h"

namespace {

using platform::DialogAction;

constexpr const char* kHeader =
    "<TITLE>Personal 3D Bookmarks</TITLE>\n<H1>Personal 3D Bookmarks</H1>\n<DL><P>\n";

std::string line(const std::string& url, const std::string& title) {
  return "\t<DT><A HREF=\"" + url +
         "\" LOC=\"1.000000 2.000000 3.000000 1.000000 0.000000 0.000000 0.000000 1.000000 0.000000 0.000000 "
         "0.000000 1.000000\">" +
         title + "\n";
}

bool sameCamera(const ZmRT& a, const ZmRT& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class BookmarksTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    zmFreeBookmarks();
  }
  void TearDown() override {
    zmFreeBookmarks();
    zmSetCurrentWorld(nullptr);
    for (ZmWorld* world : worlds) zmDeleteWorld(world);
    ShellTest::TearDown();
  }

  // A world named `url` whose active camera stands at (1, 2, 3.5).
  ZmWorld* makeWorld(const char* url, const char* title) {
    ZmWorld* world = zmNewWorld(url);
    worlds.push_back(world);
    zmSetCurrentWorld(world);
    ZmId first = -10000, last = -1;
    EXPECT_EQ(zmSetIdCounter(&first, &last, 0), 0);
    EXPECT_EQ(parseVRMLIntoWorld(LUMENFOLD_TEST_DATA "/camera.wrl", world), 0);
    EXPECT_EQ(zmSetActiveCameraID(world, 3), 0);
    if (title != nullptr) world->title = zmStrdup(title);
    return world;
  }

  // Bookmarks from the file text, through the reader.
  int readFrom(const std::string& text) {
    shelltest::writeText(home + "landmark.htm", text);
    zmReadBookmark();
    return zmGetBookmarkCount();
  }

  std::vector<std::string> titles() const {
    std::vector<std::string> all;
    for (int i = 0; i < zmGetBookmarkCount(); i++) all.push_back(zmGetBookmark(i, nullptr)->title);
    return all;
  }

  std::string landmarks() const { return shelltest::readText(home + "landmark.htm"); }

  std::vector<ZmWorld*> worlds;
  VrmlHookGuards vrmlHooks;
};

TEST_F(BookmarksTest, TwoBookmarksAreWrittenByteForByteAndReadBack) {
  ASSERT_STREQ(zmAddBookmark(makeWorld("file:///worlds/hall.wrl", "Great Hall")),
               "Great Hall(1.000000,2.000000,3.500000)");
  ASSERT_NE(zmAddBookmark(makeWorld("http://example.org/b.wrl", nullptr)), nullptr);
  // The matrix of the second written column by column: rows 1 2 3 / 4 5 6 / 7 8 9.
  const ZmRT turned = {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {-1.5f, 0.25f, 100}};
  zmGetBookmark(1, nullptr)->camera = turned;
  const ZmRT first = zmGetBookmark(0, nullptr)->camera;
  ASSERT_EQ(zmSaveBookmark(), 0);
  EXPECT_EQ(landmarks(), shelltest::readText(LUMENFOLD_TEST_DATA "/twomarks.htm"));

  zmFreeBookmarks();
  EXPECT_EQ(zmGetBookmarkCount(), 0);
  ASSERT_NE(zmReadBookmark(), nullptr);
  ASSERT_EQ(zmGetBookmarkCount(), 2);
  EXPECT_EQ(titles(), (std::vector<std::string>{"Great Hall(1.000000,2.000000,3.500000)",
                                                "Unknown World(1.000000,2.000000,3.500000)"}));
  EXPECT_STREQ(zmGetBookmark(0, nullptr)->url, "file:///worlds/hall.wrl");
  EXPECT_STREQ(zmGetBookmark(1, nullptr)->url, "http://example.org/b.wrl");
  EXPECT_TRUE(sameCamera(zmGetBookmark(0, nullptr)->camera, first));
  EXPECT_TRUE(sameCamera(zmGetBookmark(1, nullptr)->camera, turned));
  ZmBookmark* previous = nullptr;
  EXPECT_EQ(zmGetBookmark(1, &previous), zmGetBookmark(0, nullptr)->next);
  EXPECT_EQ(previous, zmGetBookmark(0, nullptr));
  EXPECT_EQ(zmGetBookmark(2, nullptr), nullptr);
}

TEST_F(BookmarksTest, TitlesAndUrlsSurviveTheFile) {
  const std::string longUrl = "http://example.org/" + std::string(700, 'u') + ".wrl";
  struct Case {
    std::string url, title;
  } cases[] = {
      {"file:///a.wrl", "A > B"},
      {"file:///b.wrl", "<i>tagged</i>(1,2,3)"},
      {longUrl, "a line longer than any fixed buffer"},
      {"file:///c.wrl", ""},
  };
  std::string file = kHeader;
  for (const Case& c : cases) file += line(c.url, c.title);
  file += "</DL><P>\n";
  ASSERT_EQ(readFrom(file), int(std::size(cases)));
  for (int i = 0; i < zmGetBookmarkCount(); i++) {
    EXPECT_EQ(zmGetBookmark(i, nullptr)->url, cases[i].url);
    EXPECT_EQ(zmGetBookmark(i, nullptr)->title, cases[i].title);
  }
  ASSERT_EQ(zmSaveBookmark(), 0);
  EXPECT_EQ(landmarks(), file);
}

TEST_F(BookmarksTest, ReadingStopsAtTheEndOrTheFirstLineThatIsNoBookmark) {
  struct Case {
    const char* what;
    std::string text;
    int count;
  } cases[] = {
      {"empty file", "", 0},
      {"header only", kHeader, 0},
      {"header and closing line", std::string(kHeader) + "</DL><P>\n", 0},
      {"no closing line", kHeader + line("file:///a.wrl", "A"), 1},
      {"closing line ends the list", kHeader + line("file:///a.wrl", "A") + "</DL><P>\n" + line("file:///b.wrl", "B"), 1},
      {"a short line", kHeader + line("file:///a.wrl", "A") + "x\n" + line("file:///b.wrl", "B"), 1},
      {"a line cut inside its numbers", kHeader + std::string("\t<DT><A HREF=\"file:///a.wrl\" LOC=\"1 2 3\n"), 0},
      {"a last line without line feed", kHeader + line("file:///a.wrl", "A") + line("file:///b.wrl", "B").substr(0, 40), 1},
  };
  for (const Case& c : cases) EXPECT_EQ(readFrom(c.text), c.count) << c.what;
  std::filesystem::remove(home + "landmark.htm");
  EXPECT_EQ(readFrom(""), 0);
  std::filesystem::remove(home + "landmark.htm");
  EXPECT_EQ(zmReadBookmark(), nullptr);  // no file: no bookmarks, nothing said
  EXPECT_TRUE(shelltest::warnings().empty());
}

TEST_F(BookmarksTest, NoBookmarksSaveAnEmptyFile) {
  ASSERT_EQ(readFrom(kHeader + line("file:///a.wrl", "A")), 1);
  ASSERT_EQ(zmDeleteBookmark(0), 0);
  ASSERT_EQ(zmSaveBookmark(), 0);
  EXPECT_TRUE(std::filesystem::exists(home + "landmark.htm"));
  EXPECT_EQ(landmarks(), "");
}

TEST_F(BookmarksTest, AFailedSaveKeepsThePreviousFile) {
  const std::string previous = kHeader + line("file:///a.wrl", "A") + "</DL><P>\n";
  ASSERT_EQ(readFrom(previous), 1);
  for (int i = 0; i < 40; i++) ASSERT_NE(zmAddBookmark(makeWorld("file:///grown.wrl", "Grown")), nullptr);

  // The file cannot be opened: a warning, nothing written.
  std::filesystem::create_directory(home + "landmark.htm.new");
  EXPECT_EQ(zmSaveBookmark(), -1);
  EXPECT_TRUE(warned("zmSaveBookmark: can not open bookmark file"));
  EXPECT_TRUE(errorBoxes().empty());
  EXPECT_EQ(landmarks(), previous);
  std::filesystem::remove(home + "landmark.htm.new");

  // The disk fills up while writing: an error, and still the old file.
  struct sigaction ignore = {}, saved = {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &saved);
  rlimit limit, small = {1024, 1024};
  getrlimit(RLIMIT_FSIZE, &limit);
  small.rlim_max = limit.rlim_max;
  setrlimit(RLIMIT_FSIZE, &small);
  const int result = zmSaveBookmark();
  setrlimit(RLIMIT_FSIZE, &limit);
  sigaction(SIGXFSZ, &saved, nullptr);
  EXPECT_EQ(result, -1);
  ASSERT_EQ(errorBoxes().size(), 1u);
  EXPECT_NE(errorBoxes()[0].find("zmSaveBookmark: maybe disk full, " + home + "landmark.htm"), std::string::npos);
  EXPECT_EQ(landmarks(), previous);
  EXPECT_FALSE(std::filesystem::exists(home + "landmark.htm.new"));
}

TEST_F(BookmarksTest, AddRefusesWhatHasNoCameraOrUrl) {
  EXPECT_EQ(zmAddBookmark(nullptr), nullptr);
  EXPECT_TRUE(warned("zmAddBookmark: NULL world"));
  ZmWorld* bare = zmNewWorld("file:///bare.wrl");
  worlds.push_back(bare);
  EXPECT_EQ(zmAddBookmark(bare), nullptr);
  EXPECT_TRUE(warned("zmAddBookmark: NULL camera"));
  ZmWorld* unnamed = makeWorld("file:///x.wrl", nullptr);
  zmFree(unnamed->name);
  unnamed->name = nullptr;
  EXPECT_EQ(zmAddBookmark(unnamed), nullptr);
  EXPECT_EQ(zmGetBookmarkCount(), 0);
}

TEST_F(BookmarksTest, AddWritesTheThumbnailOfTheViewAtHalfItsSize) {
  HWND view = CreateWindowExA(0, "static", "", WS_POPUP | WS_VISIBLE, 0, 0, 64, 48, nullptr, nullptr, nullptr, nullptr);
  RECT client;
  GetClientRect(view, &client);
  HDC dc = GetDC(view);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0)), blue = CreateSolidBrush(RGB(0, 0, 255));
  RECT left = {0, 0, client.right / 2, client.bottom}, right = {client.right / 2, 0, client.right, client.bottom};
  FillRect(dc, &left, red);
  FillRect(dc, &right, blue);
  ReleaseDC(view, dc);
  DeleteObject(red);
  DeleteObject(blue);

  EXPECT_EQ(zmCaptureBookmarkThumbnail(view), -1);  // no bookmark to capture for
  ASSERT_NE(zmAddBookmark(makeWorld("file:///a.wrl", "A")), nullptr);
  ASSERT_EQ(zmCaptureBookmarkThumbnail(view), 0);
  BITMAPINFOHEADER* dib = zmReadDibFile((home + "mark00.bmp").c_str());
  ASSERT_NE(dib, nullptr);
  EXPECT_EQ(dib->biWidth, client.right / 2);
  EXPECT_EQ(dib->biHeight, client.bottom / 2);
  HBITMAP picture = zmDibToBitmap(dib, nullptr);
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(memory, picture);
  EXPECT_EQ(GetPixel(memory, 2, 2), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(memory, dib->biWidth - 2, dib->biHeight - 2), RGB(0, 0, 255));
  SelectObject(memory, old);
  DeleteDC(memory);
  DeleteObject(picture);
  zmFree(dib);

  ASSERT_NE(zmAddBookmark(makeWorld("file:///b.wrl", "B")), nullptr);
  ASSERT_EQ(zmCaptureBookmarkThumbnail(view), 0);
  EXPECT_TRUE(std::filesystem::exists(home + "mark01.bmp"));
}

class ThumbnailRenumbering : public BookmarksTest {
 protected:
  // Three bookmarks A, B, C with thumbnails holding their letter.
  void makeThree() {
    std::string file = kHeader;
    for (const char* name : {"A", "B", "C"}) file += line(std::string("file:///") + name + ".wrl", name);
    ASSERT_EQ(readFrom(file), 3);
    for (int i = 0; i < 3; i++) shelltest::writeText(zmBookmarkThumbnailPath(i), std::string(1, char('A' + i)));
  }
  std::vector<std::string> thumbnails() const {
    std::vector<std::string> contents;
    for (int i = 0; i < 4; i++)
      contents.push_back(std::filesystem::exists(zmBookmarkThumbnailPath(i)) ? shelltest::readText(zmBookmarkThumbnailPath(i))
                                                                            : "-");
    return contents;
  }
};

TEST_F(ThumbnailRenumbering, DeletingKeepsTheThumbnailsNumberedByPosition) {
  struct Case {
    int position;
    std::vector<std::string> titles, files;
  } cases[] = {
      {0, {"B", "C"}, {"B", "C", "-", "-"}},
      {1, {"A", "C"}, {"A", "C", "-", "-"}},
      {2, {"A", "B"}, {"A", "B", "-", "-"}},
  };
  for (const Case& c : cases) {
    makeThree();
    ASSERT_EQ(zmDeleteBookmark(c.position), 0);
    EXPECT_EQ(titles(), c.titles) << c.position;
    EXPECT_EQ(thumbnails(), c.files) << c.position;
    const char* added = zmAddBookmark(makeWorld("file:///d.wrl", "D"));
    ASSERT_NE(zmGetBookmark(2, nullptr), nullptr);
    EXPECT_EQ(added, zmGetBookmark(2, nullptr)->title);  // the last one is linked right
  }
  EXPECT_EQ(zmDeleteBookmark(3), -1);
  EXPECT_EQ(zmDeleteBookmark(-1), -1);
}

TEST_F(ThumbnailRenumbering, DialogDeletesOnlyWhatIsStillDeletedAtOk) {
  HWND owner = makeOwner();
  struct Case {
    const char* what;
    std::vector<DialogAction> script;
    INT_PTR result;
    std::vector<std::string> titles, files;
    bool rebuilt;
  } cases[] = {
      {"delete 2, undo 1, OK",
       {{DialogAction::Press, ZM_BMDLG_DELETE}, {DialogAction::Press, ZM_BMDLG_DELETE}, {DialogAction::Press, ZM_BMDLG_UNDO},
        {DialogAction::Press, IDOK}},
       1, {"B", "C"}, {"B", "C", "-", "-"}, true},
      {"delete the last two, OK",
       {{DialogAction::Pick, ZM_BMDLG_LIST, "", 1}, {DialogAction::Press, ZM_BMDLG_DELETE},
        {DialogAction::Press, ZM_BMDLG_DELETE}, {DialogAction::Press, IDOK}},
       1, {"A"}, {"A", "-", "-", "-"}, true},
      {"delete everything, then one more, OK",
       {{DialogAction::Press, ZM_BMDLG_DELETE}, {DialogAction::Press, ZM_BMDLG_DELETE}, {DialogAction::Press, ZM_BMDLG_DELETE},
        {DialogAction::Press, ZM_BMDLG_DELETE}, {DialogAction::Press, IDOK}},
       1, {}, {"-", "-", "-", "-"}, true},
      {"delete 2, cancel", {{DialogAction::Press, ZM_BMDLG_DELETE}, {DialogAction::Press, ZM_BMDLG_DELETE}, {DialogAction::Press, IDCANCEL}},
       0, {"A", "B", "C"}, {"A", "B", "C", "-"}, false},
  };
  for (const Case& c : cases) {
    makeThree();
    platform::queueDialogScript(c.script);
    EXPECT_EQ(zmOpenBookmarkDialog(owner), c.result) << c.what;
    EXPECT_EQ(titles(), c.titles) << c.what;
    EXPECT_EQ(thumbnails(), c.files) << c.what;
    MSG msg;
    const bool posted = PeekMessageA(&msg, owner, WM_COMMAND, WM_COMMAND, PM_REMOVE) != 0;
    EXPECT_EQ(posted, c.rebuilt) << c.what;
    if (posted) {
      EXPECT_EQ(msg.wParam, WPARAM(ZM_CMD_REBUILD_BOOKMARK_MENU));
    }
  }
}

TEST_F(BookmarksTest, MenuEntriesStopBelowTheCommandIds) {
  for (int count : {0, 4, 100, 150}) {
    std::string file = kHeader;
    for (int i = 0; i < count; i++) file += line("file:///w" + std::to_string(i) + ".wrl", "W" + std::to_string(i));
    ASSERT_EQ(readFrom(file), count);
    const std::vector<ZmBookmarkMenuEntry> entries = zmBookmarkMenuEntries();
    ASSERT_EQ(entries.size(), size_t(std::min(count, 100))) << count;
    for (size_t i = 0; i < entries.size(); i++) {
      EXPECT_EQ(entries[i].id, int(i) + 1);
      EXPECT_EQ(entries[i].title, "W" + std::to_string(i));
    }
  }
}

std::vector<std::pair<std::string, ZmRT>> opened;
int recordOpen(const char* url, const ZmRT* camera) {
  opened.push_back({url, *camera});
  return 0;
}

TEST_F(BookmarksTest, GoingToABookmarkLoadsOnlyAnotherWorld) {
  ASSERT_EQ(readFrom(kHeader + line("file:///a.wrl", "A") + line("file:///shown.wrl", "S")), 2);
  makeWorld("file:///shown.wrl", "S");  // current, without a person
  opened.clear();
  EXPECT_EQ(zmGoToBookmark(0, recordOpen), 0);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].first, "file:///a.wrl");
  EXPECT_TRUE(sameCamera(opened[0].second, zmGetBookmark(0, nullptr)->camera));
  EXPECT_EQ(zmGoToBookmark(1, recordOpen), -1);  // the world on show: the person moves, and there is none
  EXPECT_EQ(zmGoToBookmark(2, recordOpen), -1);
  EXPECT_EQ(opened.size(), 1u);
}

TEST_F(BookmarksTest, TheViewerReadsAndSavesThroughItsHooks) {
  ServiceGuard<ZmViewerShell> hooks{viewerShell};
  zmInstallShellHooks();
  ASSERT_EQ(readFrom(kHeader + line("file:///a.wrl", "A") + "</DL><P>\n"), 1);
  zmFreeBookmarks();
  viewerShell().readBookmark();
  EXPECT_EQ(titles(), std::vector<std::string>{"A"});
  zmDeleteBookmark(0);
  viewerShell().saveBookmark();
  EXPECT_EQ(landmarks(), "");
}

}  // namespace
