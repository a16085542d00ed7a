// The program's folders, temporary names, empty files and the time stamp.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <cstring>
#include <string>
#include <vector>

#include "core/dirs.h"
#include "core/report.h"
#include "platform/recorder.h"
#include "platform/winuser.h"
#include "tests/temp_folder.h"

namespace fs = std::filesystem;

namespace {

// Sets or unsets an environment variable for one test and puts it back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

std::string selfPath() { return fs::read_symlink("/proc/self/exe").string(); }

TEST(ModuleDirTest, FileNameAndFolderOfTheExecutable) {
  char buffer[4096];
  std::string self = selfPath();
  ASSERT_EQ(zmGetModuleFileName(buffer, sizeof buffer), static_cast<int>(self.size()));
  EXPECT_EQ(buffer, self);

  std::string folder = self.substr(0, self.rfind('/') + 1);
  ASSERT_EQ(zmGetModuleDirName(buffer, sizeof buffer), static_cast<int>(folder.size()));
  EXPECT_EQ(buffer, folder);
}

TEST(ModuleDirTest, APathThatDoesNotFitIsRefusedNotCut) {
  char buffer[8];
  EXPECT_EQ(zmGetModuleFileName(buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(zmGetModuleDirName(buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(zmGetModuleFileName(buffer, 0), 0);
}

TEST(TempBaseDirTest, EnvironmentOrder) {
  struct Case {
    const char* temp;
    const char* tmpdir;
    const char* expected;
    int result;  // 1 for a folder the environment names, else the length
  };
  const Case cases[] = {
      {"/t/temp", "/t/tmpdir", "/t/temp", 1},
      {nullptr, "/t/tmpdir", "/t/tmpdir", 1},
      {"", "/t/tmpdir", "/t/tmpdir", 1},
      {nullptr, nullptr, "/tmp", 4},
  };
  for (const Case& c : cases) {
    ScopedEnv temp("TEMP", c.temp);
    ScopedEnv tmpdir("TMPDIR", c.tmpdir);
    char buffer[64];
    EXPECT_EQ(zmGetTempBaseDir(buffer, sizeof buffer), c.result) << c.expected;
    EXPECT_STREQ(buffer, c.expected);
  }
}

TEST(TempBaseDirTest, AValueLongerThanTheBufferIsRefused) {
  std::string tooLong(64, 'x');
  ScopedEnv temp("TEMP", tooLong.c_str());
  char buffer[64];
  memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(zmGetTempBaseDir(buffer, sizeof buffer), 0);
  EXPECT_EQ(buffer[0], '#');
}

// A scratch folder named by $TEMP, a fresh temporary-folder path and fatal
// reports that land in the recorder.
class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    temp_.emplace("TEMP", scratch_.c_str());
    zmForgetTempDirForTest();
    zmResetReportStateForTest();
    platform::clearRecordedEvents();
  }
  void TearDown() override {
    // Fatal reports asked a main window that does not exist to close.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    zmForgetTempDirForTest();
    zmResetReportStateForTest();
    platform::clearRecordedEvents();
    temp_.reset();
  }

  std::string programFolder() const { return scratch_ + "/LumenfoldLib"; }

  std::vector<std::string> fatalBoxes() const {
    std::vector<std::string> texts;
    for (const auto& event : platform::recordedEvents("MessageBox")) texts.push_back(event.detail);
    return texts;
  }

  TempFolder folder_{"lf-dirs"};
  std::string scratch_ = folder_.path();
  std::optional<ScopedEnv> temp_;
};

TEST_F(TempDirTest, FolderLiesInTempAndIsMadeAgainWhenDeleted) {
  ScopedEnv home("LUMENFOLD_HOME", "/nonexistent/home");  // not a temporary root
  const char* folder = zmGetTempDir();
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(folder, programFolder());
  EXPECT_TRUE(fs::is_directory(programFolder()));

  fs::remove(programFolder());
  ASSERT_NE(zmGetTempDir(), nullptr);
  EXPECT_TRUE(fs::is_directory(programFolder()));
  EXPECT_TRUE(fatalBoxes().empty());
}

TEST_F(TempDirTest, TrailingSlashOfTempIsNotDoubled) {
  ScopedEnv temp("TEMP", (scratch_ + "/").c_str());
  zmForgetTempDirForTest();
  const char* folder = zmGetTempDir();
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(folder, programFolder());
}

TEST_F(TempDirTest, PathIsKeptForTheRun) {
  ASSERT_NE(zmGetTempDir(), nullptr);
  ScopedEnv temp("TEMP", "/elsewhere");
  const char* folder = zmGetTempDir();
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(folder, programFolder());
}

TEST_F(TempDirTest, TooLongATempIsAnErrorNotAnOverrun) {
  std::string tooLong = "/" + std::string(300, 'x');
  ScopedEnv temp("TEMP", tooLong.c_str());
  zmForgetTempDirForTest();
  EXPECT_EQ(zmGetTempDir(), nullptr);
  EXPECT_EQ(fatalBoxes(), std::vector<std::string>{"Fatal Error\ncan not get temp directory"});
}

TEST_F(TempDirTest, AFileInTheWayIsAnError) {
  std::ofstream(programFolder()) << "not a folder";
  EXPECT_EQ(zmGetTempDir(), nullptr);
  EXPECT_EQ(fatalBoxes(), std::vector<std::string>{"Fatal Error\ncan not make temp directory"});
}

TEST_F(TempDirTest, TempNamesAdvanceTheirLetterUntilFree) {
  char digits[8];
  snprintf(digits, sizeof digits, "%05u", static_cast<unsigned>(getpid()) % 100000u);
  char name[512];
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    ASSERT_EQ(zmMakeTempFileName(name, sizeof name), name);
    EXPECT_EQ(name, programFolder() + "/qx" + letter + digits);
    EXPECT_FALSE(fs::exists(name));  // named, not made
    ASSERT_EQ(zmCreateEmptyFile(name), 0);
  }
  EXPECT_EQ(zmMakeTempFileName(name, sizeof name), nullptr);
  EXPECT_EQ(fatalBoxes(), std::vector<std::string>{"Fatal Error\ncan not make tmp file"});
}

TEST_F(TempDirTest, TempNameNeedsRoomForTheWholeName) {
  size_t exact = programFolder().size() + 1 + 8 + 1;
  std::string name(exact, '#');
  EXPECT_EQ(zmMakeTempFileName(name.data(), exact - 1), nullptr);
  EXPECT_EQ(name, std::string(exact, '#'));
  EXPECT_EQ(zmMakeTempFileName(name.data(), exact), name.data());
  EXPECT_EQ(strlen(name.c_str()), exact - 1);
}

TEST_F(TempDirTest, CreateEmptyFileTruncatesAndFailsWhereItCannotWrite) {
  std::string path = scratch_ + "/full.txt";
  std::ofstream(path) << "contents";
  EXPECT_EQ(zmCreateEmptyFile(path.c_str()), 0);
  EXPECT_EQ(fs::file_size(path), 0u);
  EXPECT_EQ(zmCreateEmptyFile((scratch_ + "/missing/x.txt").c_str()), -1);
  EXPECT_EQ(zmCreateEmptyFile(nullptr), -1);
}

// The bounds come from the same clock as the stamp: time() reads a coarser
// one that may still show the previous second.
time_t calendarSeconds() {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return now.tv_sec;
}

TEST(TimeStampTest, CalendarSecondsAndMilliseconds) {
  ZmTimeStamp stamp;
  time_t before = calendarSeconds();
  intptr_t msec = zmGetTimeStamp(&stamp);
  time_t after = calendarSeconds();
  EXPECT_EQ(msec, stamp.msec);
  EXPECT_GE(stamp.msec, 0);
  EXPECT_LE(stamp.msec, 999);
  EXPECT_GE(stamp.sec, before);
  EXPECT_LE(stamp.sec, after);
}

}  // namespace
