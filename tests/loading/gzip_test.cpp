// Unpacking gzip files: the unpacked file's name, real gzip files (also of
// several members) unpacked beside the source and into the user folder,
// corrupt, cut-short, plain and missing files, and the unpack limit.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "loading/filetype.h"
#include "loading/gzip.h"
#include "platform/windows.h"
#include "tests/loading/loading_fixture.h"
#include "tests/tool_runner.h"

namespace {

using loadingtest::LoadingTest;

class GzipTest : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    // Errors would otherwise close the program through the fatal box.
    zmTurnOffFlag(ZM_FLAG_ERROR);
  }
  void TearDown() override {
    zmTurnOnFlag(ZM_FLAG_ERROR);
    LoadingTest::TearDown();
  }

  static std::string contents(const std::string& file) {
    loadingtest::Bytes bytes = loadingtest::readFile(file);
    return std::string(bytes.begin(), bytes.end());
  }
};

namespace {

// The user folder, where unpacked files of placement 0 go.
std::string userFolder() {
  char folder[MAX_PATH];
  return zmGetUserDirName(folder, sizeof folder) > 0 ? folder : "";
}

}  // namespace

TEST_F(GzipTest, NamesTheUnpackedFile) {
  const std::string user = userFolder();
  ASSERT_FALSE(user.empty());
  struct Case {
    int flag;
    const char* source;
    uint32_t type;
    std::string expected;
  } cases[] = {
      {1, "/net/x.wrl.gz", 4, "/net/x.wrl"},
      {1, "/net/a_wrl.gz", 1, "/net/a.wrl"},
      {1, "/net/a~wrl.gz", 1, "/net/a.wrl"},
      {1, "/net/x.gz", 4, "/net/x.wrl"},
      {1, "/net/x.gz", 7, "/net/x.jpg"},
      {1, "/net/x.gz", 1, "/net/x"},
      // A '_' in a folder name is not the extension's.
      {1, "/my_dir/x.gz", 4, "/my_dir/x.wrl"},
      {0, "/net/x.wrl.gz", 4, user + "x.wrl"},
      {0, "C:\\net\\x.wrl.gz", 4, user + "x.wrl"},
  };
  for (const Case& c : cases) {
    char out[ZM_GZIP_NAME_SIZE];
    ASSERT_EQ(MakeGzipName(c.flag, c.source, out, sizeof out, c.type), out) << c.source;
    EXPECT_EQ(std::string(out), c.expected) << c.source;
  }
  char out[ZM_GZIP_NAME_SIZE];
  EXPECT_EQ(MakeGzipName(1, "/net/", out, sizeof out, 4), nullptr);
  EXPECT_EQ(MakeGzipName(0, "/net/", out, sizeof out, 4), nullptr);
  // Without any '.' the unpacked name would be the source itself.
  EXPECT_EQ(MakeGzipName(1, "/net/x", out, sizeof out, 4), nullptr);
  std::string longName = "/" + std::string(ZM_GZIP_NAME_SIZE, 'a') + ".gz";
  EXPECT_EQ(MakeGzipName(1, longName.c_str(), out, sizeof out, 4), nullptr);
}

TEST_F(GzipTest, UnpacksBesideTheSourceAndIntoTheUserFolder) {
  std::string source = gzipped("world.wrl.gz", "#VRML V1.0 ascii\nSphere {}\n");
  char out[ZM_GZIP_NAME_SIZE];
  ASSERT_EQ(Decompress(1, nullptr, source.c_str(), out, sizeof out, 4), 0);
  EXPECT_EQ(std::string(out), path("world.wrl"));
  EXPECT_EQ(contents(out), "#VRML V1.0 ascii\nSphere {}\n");

  std::string picture = gzipped("pic.gz", "GIF89a");
  ASSERT_EQ(Decompress(0, nullptr, picture.c_str(), out, sizeof out, 8), 0);
  EXPECT_EQ(std::string(out), userFolder() + "pic.gif");
  EXPECT_EQ(contents(out), "GIF89a");
}

TEST_F(GzipTest, UnpacksEveryMemberOfTheFile) {
  std::string first = gzipped("one.gz", "#VRML V1.0 ascii\n");
  std::string second = gzipped("two.gz", "Sphere {}\n");
  std::string source = path("joined.wrl.gz");
  std::ofstream(source, std::ios::binary) << contents(first) << contents(second);
  char out[ZM_GZIP_NAME_SIZE];
  ASSERT_EQ(Decompress(1, nullptr, source.c_str(), out, sizeof out, 4), 0);
  EXPECT_EQ(contents(out), "#VRML V1.0 ascii\nSphere {}\n");
}

TEST_F(GzipTest, CorruptCutPlainAndMissingFilesFail) {
  std::string corrupt = path("bad.wrl.gz");
  loadingtest::writeFile(corrupt, {0x1f, 0x8b, 0x08, 0x00, 'n', 'o', 't', ' ', 'g', 'z'});
  std::string whole = contents(gzipped("whole.gz", std::string(5000, 'x') + "end"));
  std::string cut = path("cut.wrl.gz");
  std::ofstream(cut, std::ios::binary) << whole.substr(0, whole.size() - 4);
  // Plain text is not a gzip file, however readable.
  std::string plain = path("plain.wrl.gz");
  std::ofstream(plain) << "#VRML V1.0 ascii\n";
  std::string missing = path("missing.wrl.gz");
  for (const std::string& source : {corrupt, cut, plain, missing}) {
    char out[ZM_GZIP_NAME_SIZE] = "untouched";
    EXPECT_EQ(Decompress(1, nullptr, source.c_str(), out, sizeof out, 4), ZM_GZIP_FAILED) << source;
    EXPECT_STREQ(out, "") << source;
  }
  for (const char* unpacked : {"bad.wrl", "cut.wrl", "plain.wrl", "missing.wrl"})
    EXPECT_FALSE(std::filesystem::exists(path(unpacked))) << unpacked;
}

TEST_F(GzipTest, UnpackingStopsPastTheLimitAndLeavesNothing) {
  // 4 MB of blanks packs into a few kilobytes.
  std::string source = gzipped("blanks.wrl.gz", std::string(4 << 20, ' '));
  uint64_t saved = zmGetUnpackLimit();
  EXPECT_EQ(saved, 256ull << 20);
  // The error reporter would close the program: a file too large is only
  // refused, with a message.
  zmTurnOnFlag(ZM_FLAG_ERROR);
  zmSetUnpackLimit((4 << 20) - 1);
  char out[ZM_GZIP_NAME_SIZE] = "untouched";
  EXPECT_EQ(Decompress(1, nullptr, source.c_str(), out, sizeof out, 4), ZM_GZIP_FAILED);
  zmTurnOffFlag(ZM_FLAG_ERROR);
  EXPECT_STREQ(out, "");
  EXPECT_FALSE(std::filesystem::exists(path("blanks.wrl")));
  ASSERT_EQ(loadingtest::warnings().size(), 1u);
  EXPECT_NE(loadingtest::warnings()[0].find(source + ": unpacked file too large"), std::string::npos);
  // Exactly at the limit the same file unpacks whole.
  zmSetUnpackLimit(4 << 20);
  ASSERT_EQ(Decompress(1, nullptr, source.c_str(), out, sizeof out, 4), 0);
  zmSetUnpackLimit(saved);
  EXPECT_EQ(std::filesystem::file_size(out), 4u << 20);
}

int dispatched = 0;
LRESULT CALLBACK countingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_USER + 7) dispatched++;
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// The main window is served while unpacking: one message at once, the
// next not before 100 ms, which a small file never takes.
TEST_F(GzipTest, UnpackingServesOneMessageOfTheWindowAtATime) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = countingProc;
  windowClass.lpszClassName = "LfGzipPumpTest";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  HWND window = CreateWindowExA(0, "LfGzipPumpTest", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  std::string source = gzipped("small.wrl.gz", "#VRML V1.0 ascii\n");
  dispatched = 0;
  PostMessageA(window, WM_USER + 7, 0, 0);
  PostMessageA(window, WM_USER + 7, 0, 0);
  char out[ZM_GZIP_NAME_SIZE];
  EXPECT_EQ(Decompress(1, window, source.c_str(), out, sizeof out, 4), 0);
  EXPECT_EQ(dispatched, 1);
  DestroyWindow(window);
  UnregisterClassA("LfGzipPumpTest", nullptr);
}

}  // namespace

TEST_F(GzipTest, ScenedumpReadsACompressedWorld) {
  std::string world = gzipped("cubes.wrl.gz", "#VRML V1.0 ascii\nSeparator { Cube { } Cube { } }\n");
  tool_runner::ToolRun run = tool_runner::runTool("scenedump", "'" + world + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.output.find("objects 2 faces 12\n"), std::string::npos) << run.output;
}
