// Unpacking through the outside gzip program: the unpacked file's name, real
// gzip files unpacked beside the source and into the user folder, a
// corrupt and a missing file, a missing gzip program, and the main window's
// messages dispatched while gzip runs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "loading/filetype.h"
#include "loading/gzip.h"
#include "platform/recorder.h"
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

  // A real gzip file of `text`, made by the system's gzip.
  std::string gzipped(const std::string& name, const std::string& text) {
    std::string plain = path("plain-source");
    std::ofstream(plain) << text;
    std::string target = path(name);
    std::string command = "gzip -c '" + plain + "' > '" + target + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return target;
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
  auto runs = platform::recordedEvents("Process");
  ASSERT_FALSE(runs.empty());
  EXPECT_EQ(runs.back().detail.rfind("cmd.exe /c \"\"", 0), 0u) << runs.back().detail;
  EXPECT_NE(runs.back().detail.find("gzip.exe\" -d -c \"" + picture + "\" > \"" + out + "\"\""),
            std::string::npos)
      << runs.back().detail;
}

TEST_F(GzipTest, CorruptAndMissingFilesFail) {
  std::string corrupt = path("bad.wrl.gz");
  loadingtest::writeFile(corrupt, {0x1f, 0x8b, 0x08, 0x00, 'n', 'o', 't', ' ', 'g', 'z'});
  std::string missing = path("missing.wrl.gz");
  for (const std::string& source : {corrupt, missing}) {
    char out[ZM_GZIP_NAME_SIZE] = "untouched";
    EXPECT_EQ(Decompress(1, nullptr, source.c_str(), out, sizeof out, 4), ZM_GZIP_FAILED) << source;
    EXPECT_STREQ(out, "") << source;
  }
  EXPECT_FALSE(std::filesystem::exists(path("bad.wrl")));
  EXPECT_FALSE(std::filesystem::exists(path("missing.wrl")));
}

TEST_F(GzipTest, UnpackingStopsPastTheLimitAndLeavesNothing) {
  // 4 MB of blanks packs into a few kilobytes.
  std::string source = gzipped("blanks.wrl.gz", std::string(4 << 20, ' '));
  uint64_t saved = zmGetUnpackLimit();
  EXPECT_EQ(saved, 256ull << 20);
  zmSetUnpackLimit(64 << 10);
  char out[ZM_GZIP_NAME_SIZE] = "untouched";
  EXPECT_EQ(Decompress(1, nullptr, source.c_str(), out, sizeof out, 4), ZM_GZIP_FAILED);
  zmSetUnpackLimit(saved);
  EXPECT_STREQ(out, "");
  EXPECT_FALSE(std::filesystem::exists(path("blanks.wrl")));
  // Within the limit the same file unpacks whole.
  ASSERT_EQ(Decompress(1, nullptr, source.c_str(), out, sizeof out, 4), 0);
  EXPECT_EQ(std::filesystem::file_size(out), 4u << 20);
}

TEST_F(GzipTest, RefusesNamesWithQuotes) {
  std::string source = gzipped("q.wrl.gz", "x");
  std::string quoted = path("a\" > \"elsewhere.wrl.gz");
  char out[ZM_GZIP_NAME_SIZE];
  EXPECT_EQ(Decompress(1, nullptr, quoted.c_str(), out, sizeof out, 4), ZM_GZIP_FAILED);
  EXPECT_STREQ(out, "");
}

TEST_F(GzipTest, MissingGzipProgramIsReportedWithTheCommandLine) {
  std::string source = gzipped("x.wrl.gz", "x");
  std::string savedPath = getenv("PATH");
  setenv("PATH", dir.c_str(), 1);
  char out[ZM_GZIP_NAME_SIZE];
  int result = Decompress(1, nullptr, source.c_str(), out, sizeof out, 4);
  setenv("PATH", savedPath.c_str(), 1);
  EXPECT_EQ(result, ZM_GZIP_NOT_FOUND);
  EXPECT_EQ(std::string(out).rfind("cmd.exe /c \"\"", 0), 0u) << out;
  EXPECT_NE(std::string(out).find("gzip.exe"), std::string::npos);
}

int dispatched = 0;
LRESULT CALLBACK countingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_USER + 7) dispatched++;
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST_F(GzipTest, WaitDispatchesTheWindowsMessagesAndCanTimeOut) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = countingProc;
  windowClass.lpszClassName = "LfGzipWaitTest";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  HWND window = CreateWindowExA(0, "LfGzipWaitTest", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  dispatched = 0;
  PostMessageA(window, WM_USER + 7, 0, 0);
  DWORD exitCode = 1;
  EXPECT_EQ(zmRunAndWait(window, "sleep 0.3", nullptr, 0, &exitCode), 0u);
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(dispatched, 1);

  EXPECT_EQ(zmRunAndWait(window, "sleep 5", nullptr, 200, &exitCode), (DWORD)ZM_RUN_TIMED_OUT);
  EXPECT_EQ(exitCode, (DWORD)ZM_RUN_TIMED_OUT);
  EXPECT_EQ(zmRunAndWait(window, "no-such-program-here", nullptr, 0, &exitCode),
            (DWORD)ERROR_FILE_NOT_FOUND);
  DestroyWindow(window);
  UnregisterClassA("LfGzipWaitTest", nullptr);
}

}  // namespace

TEST_F(GzipTest, ScenedumpReadsACompressedWorld) {
  std::string world = gzipped("cubes.wrl.gz", "#VRML V1.0 ascii\nSeparator { Cube { } Cube { } }\n");
  tool_runner::ToolRun run = tool_runner::runTool("scenedump", "'" + world + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.output.find("objects 2 faces 12\n"), std::string::npos) << run.output;
}
