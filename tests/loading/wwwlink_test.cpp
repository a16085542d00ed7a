// tests/loading/wwwlink_test.cpp -- the browser link with local files:
// which URLs open as worlds (and what is posted), fetching files relative to
// the world, and file names made into URLs.
#include <unistd.h>

#include <utility>

#include "core/apphandles.h"
#include "loading/filetype.h"
#include "loading/urltable.h"
#include "loading/wwwlink.h"
#include "tests/loading/loading_fixture.h"

namespace loadingtest {
namespace {

class WwwLinkTest : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "LfLinkTestMain";
    RegisterClassA(&wc);
    main = CreateWindowExA(0, "LfLinkTestMain", "main", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    zmSetMainHwnd(main);
    zmWwwSetBaseUrl("");
  }
  void TearDown() override {
    DestroyWindow(main);
    zmSetMainHwnd(nullptr);
    UnregisterClassA("LfLinkTestMain", nullptr);
    LoadingTest::TearDown();
  }

  // The messages posted to the main window, in order.
  std::vector<MSG> posted() {
    std::vector<MSG> out;
    MSG msg;
    while (PeekMessageA(&msg, main, 0, 0, PM_REMOVE)) out.push_back(msg);
    return out;
  }

  std::string writeFile(const std::string& name, const std::string& text = "#VRML V1.0 ascii\n") {
    std::ofstream(path(name)) << text;
    return path(name);
  }

  HWND main = nullptr;
};

TEST_F(WwwLinkTest, LocalWorldsArePreparedAndPostedOthersWithoutABrowserPostNothing) {
  const std::string world = writeFile("a.wrl");
  const std::string page = writeFile("a.html");
  const std::pair<std::string, bool> cases[] = {
      {"file://" + world, true},
      {"ftp://example.invalid/a.wrl", false},  // no browser to fetch it
      {"file://" + page, false},               // not a world: the browser would show it
  };
  for (const auto& [url, opens] : cases) {
    warnings().clear();
    EXPECT_EQ(zmWwwOpenUrl(url.c_str()), opens ? 0 : -1) << url;
    const std::vector<MSG> messages = posted();
    if (!opens) {
      EXPECT_TRUE(messages.empty()) << url;
      continue;
    }
    ASSERT_EQ(messages.size(), 2u) << url;
    EXPECT_EQ(messages[0].message, static_cast<UINT>(WM_ZMLOADING));
    EXPECT_EQ(messages[1].message, static_cast<UINT>(WM_ZMLOADWORLD));
    const auto* record = reinterpret_cast<const ZmLoadRecord*>(messages[1].lParam);
    EXPECT_EQ(std::string(record->local), world);
    EXPECT_EQ(std::string(record->url), url);
    EXPECT_EQ(std::string(zmWwwGetBaseUrl()), url);
  }
}

TEST_F(WwwLinkTest, AGzipWorldIsUnpackedBeforeItIsPosted) {
  const std::string world = writeFile("b.wrl", "#VRML V1.0 ascii\nSeparator {}\n");
  ASSERT_EQ(std::system(("gzip -c " + world + " > " + path("b.wrl.gz")).c_str()), 0);
  ASSERT_EQ(zmWwwOpenUrl(("file://" + path("b.wrl.gz")).c_str()), 0);
  const std::vector<MSG> messages = posted();
  ASSERT_EQ(messages.size(), 2u);
  const auto* record = reinterpret_cast<const ZmLoadRecord*>(messages[1].lParam);
  std::ifstream unpacked(record->local);
  std::string first;
  std::getline(unpacked, first);
  EXPECT_EQ(first, "#VRML V1.0 ascii");
  EXPECT_NE(std::string(record->local), path("b.wrl.gz"));
}

TEST_F(WwwLinkTest, FetchesFindFilesBesideTheWorldAndNothingElse) {
  const std::string texture = writeFile("tex.bmp", "BM");
  zmWwwSetBaseUrl(("file://" + path("world.wrl")).c_str());
  ZmUrlHash entry{const_cast<char*>("tex.bmp"), nullptr, ZM_FILE_UNKNOWN, nullptr};
  const char* local = zmWwwFetchUrl(&entry);
  ASSERT_NE(local, nullptr);
  EXPECT_EQ(std::string(local), texture);
  EXPECT_EQ(entry.mimeType, static_cast<uint32_t>(ZM_FILE_BMP));

  ZmUrlHash missing{const_cast<char*>("none.bmp"), nullptr, ZM_FILE_UNKNOWN, nullptr};
  EXPECT_EQ(zmWwwFetchUrl(&missing), nullptr);

  zmWwwSetBaseUrl("ftp://example.invalid/world.wrl");  // no browser to fetch it
  EXPECT_EQ(zmWwwFetchUrl(&entry), nullptr);
  EXPECT_TRUE(posted().empty());
}

TEST_F(WwwLinkTest, FileNamesBecomeAbsoluteFileUrlsOrAreRefusedWhenTooLong) {
  char folder[512];
  ASSERT_NE(getcwd(folder, sizeof folder), nullptr);
  ASSERT_EQ(chdir(dir.c_str()), 0);
  const char* url = zmWwwFilenameToUrl("x.wrl");
  const std::string relative = url != nullptr ? url : "";
  const std::string longName(256, 'n');
  const char* tooLong = zmWwwFilenameToUrl(longName.c_str());
  ASSERT_EQ(chdir(folder), 0);
  EXPECT_EQ(relative, "file://" + path("x.wrl"));
  EXPECT_EQ(tooLong, nullptr);
  ASSERT_FALSE(warnings().empty());
  EXPECT_NE(warnings().back().find("zmWwwFilenameToUrl: FileLength=256: url buffer 256 size is overflow."),
            std::string::npos);
  EXPECT_STREQ(zmWwwFilenameToUrl(std::string(255, 'n').c_str()), nullptr);  // fits, but not as a URL
}

}  // namespace
}  // namespace loadingtest
