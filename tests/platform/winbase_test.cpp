// Executable path, debugger output, process id and the bounded formatter.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/recorder.h"
#include "platform/winbase.h"

namespace {

TEST(WinBaseTest, ModuleFileNameIsTheExecutableAndCutsLikeTheSystem) {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  char path[4096];
  EXPECT_EQ(GetModuleFileNameA(nullptr, path, sizeof path), self.size());
  EXPECT_EQ(path, self);

  char small[5];
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), sizeof small);
  EXPECT_EQ(std::string(small), self.substr(0, 4));
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, 0), 0u);
}

TEST(WinBaseTest, FormatterStopsAtItsLimit) {
  char buffer[WSPRINTF_LIMIT + 16];
  EXPECT_EQ(wsprintfA(buffer, "%s %d", "count", 3), 7);
  EXPECT_STREQ(buffer, "count 3");

  memset(buffer, '#', sizeof buffer);
  const std::string longText(3000, 'x');
  EXPECT_EQ(wsprintfA(buffer, "%s", longText.c_str()), WSPRINTF_LIMIT - 1);
  EXPECT_EQ(std::string(buffer), longText.substr(0, WSPRINTF_LIMIT - 1));
  EXPECT_EQ(buffer[WSPRINTF_LIMIT], '#');
}

TEST(WinBaseTest, DebugOutputIsRecorded) {
  platform::clearRecordedEvents();
  OutputDebugStringA("zmTest(): hello\n");
  OutputDebugStringA(nullptr);
  auto events = platform::recordedEvents("DebugOutput");
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].detail, "zmTest(): hello\n");
  platform::clearRecordedEvents();
}

TEST(WinBaseTest, ProcessIdIsOurs) { EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid())); }

}  // namespace
