// Version, user name and folders as the shell, the nickname and the
// temporary folder ask for them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/lasterror.h"
#include "platform/sysinfo.h"

namespace {

// Sets an environment variable for one scope, restoring it after.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    const char* old = getenv(name);
    hadOld_ = old != nullptr;
    if (hadOld_) old_ = old;
    if (value != nullptr) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~ScopedEnvironment() {
    if (hadOld_) setenv(name_, old_.c_str(), 1);
    else unsetenv(name_);
  }

 private:
  const char* name_;
  bool hadOld_;
  std::string old_;
};

TEST(SysInfoTest, ReportsTheNtFamily) {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
  const DWORD packed = GetVersion();
  EXPECT_EQ(packed & 0xff, info.dwMajorVersion);
  EXPECT_EQ((packed >> 8) & 0xff, info.dwMinorVersion);
  EXPECT_EQ(packed & 0x80000000u, 0u);

  info.dwOSVersionInfoSize = 4;
  EXPECT_FALSE(GetVersionExA(&info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(GetVersionExA(nullptr));
}

TEST(SysInfoTest, UserNameComesFromTheEnvironmentAndReportsItsSize) {
  ScopedEnvironment user("USER", "annabel");
  char name[32];
  DWORD size = sizeof name;
  ASSERT_TRUE(GetUserNameA(name, &size));
  EXPECT_STREQ(name, "annabel");
  EXPECT_EQ(size, 8u);

  size = 32;
  EXPECT_EQ(WNetGetUserA(nullptr, name, &size), static_cast<DWORD>(NO_ERROR));
  EXPECT_STREQ(name, "annabel");
  char small[4] = "xyz";
  size = sizeof small;
  EXPECT_EQ(WNetGetUserA(nullptr, small, &size), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(size, 8u);
  EXPECT_STREQ(small, "xyz");
  EXPECT_FALSE(GetUserNameA(name, nullptr));

  ScopedEnvironment noUser("USER", nullptr), noLogName("LOGNAME", nullptr);
  size = sizeof name;
  ASSERT_TRUE(GetUserNameA(name, &size));  // from the password entry
  EXPECT_GT(size, 1u);
}

TEST(SysInfoTest, FoldersFollowTempThenTmpdir) {
  struct {
    const char* temp;
    const char* tmpdir;
    const char* tempPath;
    const char* systemFolder;
  } cases[] = {
      {"/var/t/", "/x", "/var/t/", "/x"},
      {nullptr, "/scratch", "/scratch/", "/scratch"},
      {nullptr, nullptr, "/tmp/", "/tmp"},
      {"", "", "/tmp/", "/tmp"},
  };
  for (const auto& each : cases) {
    ScopedEnvironment temp("TEMP", each.temp), tmpdir("TMPDIR", each.tmpdir);
    char buffer[64];
    EXPECT_EQ(GetTempPathA(sizeof buffer, buffer), strlen(each.tempPath));
    EXPECT_STREQ(buffer, each.tempPath);
    EXPECT_EQ(GetWindowsDirectoryA(buffer, sizeof buffer), strlen(each.systemFolder));
    EXPECT_STREQ(buffer, each.systemFolder);
  }
  ScopedEnvironment temp("TEMP", "/a/long/folder");
  char small[4] = "abc";
  EXPECT_EQ(GetTempPathA(sizeof small, small), 16u);  // needed, terminator included
  EXPECT_STREQ(small, "abc");
  EXPECT_EQ(GetTempPathA(8, nullptr), 0u);
}

}  // namespace
