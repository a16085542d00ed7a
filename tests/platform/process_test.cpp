// Outside programs: output redirected to a file, exit codes polled, time-outs
// and termination, the command interpreter form the gzip runner uses, and
// the failure codes for bad programs and handles.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/process.h"
#include "platform/recorder.h"
#include "tests/temp_folder.h"

namespace {

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::clearRecordedEvents();
  }

  // Runs the command line with its output in `output`; returns the exit
  // code after waiting for the end.
  DWORD runToFile(const std::string& commandLine, const std::string& output) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileA(output.c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.hStdOutput = file;
    PROCESS_INFORMATION info = {};
    std::string line = commandLine;
    EXPECT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NEW_CONSOLE,
                               nullptr, nullptr, &startup, &info));
    CloseHandle(file);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = STILL_ACTIVE;
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_TRUE(CloseHandle(info.hThread));
    EXPECT_TRUE(CloseHandle(info.hProcess));
    return code;
  }

  static std::string contents(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  TempFolder temp{"lf-process"};
  std::string folder = temp.path();
};

TEST_F(ProcessTest, CommandLinesSplitAsTheOriginalRuntimeDoes) {
  struct {
    const char* arguments;
    const char* expected;  // each argument followed by '|'
  } cases[] = {
      {"a b\tc", "a|b|c|"},
      {"\"two words\" x", "two words|x|"},
      {"say\\\"hi\\\"", "say\"hi\"|"},
      {"\"back\\\\\" next", "back\\|next|"},
      {"a\\\\b", "a\\\\b|"},
      {"\"in \"\"quotes\"\"\"", "in \"quotes\"|"},
      {"ab\"c d\"e", "abc de|"},
  };
  const std::string output = folder + "/args";
  for (const auto& each : cases) {
    EXPECT_EQ(runToFile(std::string("printf %s| ") + each.arguments, output), 0u) << each.arguments;
    EXPECT_EQ(contents(output), each.expected) << each.arguments;
  }
  EXPECT_EQ(platform::recordedEvents("Process").size(), std::size(cases));
  EXPECT_EQ(platform::recordedEvents("Process")[0].detail, "printf %s| a b\tc");
}

TEST_F(ProcessTest, ExitCodeIsStillActiveUntilTheEnd) {
  EXPECT_EQ(runToFile("sh -c \"exit 3\"", folder + "/out"), 3u);

  STARTUPINFOA startup = {sizeof startup};
  PROCESS_INFORMATION info = {};
  char line[] = "sleep 5";
  ASSERT_TRUE(CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                             &startup, &info));
  EXPECT_GT(info.dwProcessId, 0u);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 20), static_cast<DWORD>(WAIT_TIMEOUT));

  // The gzip runner's time-out ends the program with its own code.
  ASSERT_TRUE(TerminateProcess(info.hProcess, 1121));
  ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, 1121u);
  EXPECT_EQ(WaitForSingleObject(info.hThread, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_FALSE(TerminateProcess(info.hProcess, 1));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
}

// The command line of the gzip runner on the NT family, with "gzip.exe" in
// a program folder that has no such file: the system's gzip unpacks.
TEST_F(ProcessTest, InterpreterLineRunsTheSystemsGzipWithRedirection) {
  const std::string packed = folder + "/x.wrl.gz", unpacked = folder + "/x.wrl";
  std::ofstream(unpacked) << "#VRML V1.0 ascii\n";
  ASSERT_EQ(system(("gzip -f '" + unpacked + "'").c_str()), 0);
  ASSERT_FALSE(std::filesystem::exists(unpacked));

  const std::string line = "cmd.exe /c \"\"" + folder + "/gzip.exe\" -d -c \"" + packed + "\" > \"" +
                           unpacked + "\"\"";
  STARTUPINFOA startup = {sizeof startup};
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = 0;
  PROCESS_INFORMATION info = {};
  std::string buffer = line;
  ASSERT_TRUE(CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE,
                             nullptr, nullptr, &startup, &info));
  ASSERT_EQ(WaitForSingleObject(info.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD code = STILL_ACTIVE;
  ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(contents(unpacked), "#VRML V1.0 ascii\n");
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  EXPECT_EQ(platform::recordedEvents("Process").back().detail, line);

  // The older interpreter's form, without cmd's outer quotes.
  const std::string older = "command.com /c \"" + folder + "/GZIP.EXE\" -d -c \"" + packed +
                            "\" > \"" + folder + "/y.wrl\"";
  std::string olderBuffer = older;
  ASSERT_TRUE(CreateProcessA(nullptr, olderBuffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &info));
  WaitForSingleObject(info.hProcess, INFINITE);
  EXPECT_EQ(contents(folder + "/y.wrl"), "#VRML V1.0 ascii\n");
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
}

TEST_F(ProcessTest, StartFailuresGiveTheSystemCodes) {
  struct {
    std::string line;
    const char* directory;
    DWORD error;
  } cases[] = {
      {"cmd.exe /c \"\"" + folder + "/nogzip.exe\" -d -c \"a\" > \"" + folder + "/o\"\"", nullptr,
       ERROR_FILE_NOT_FOUND},
      {folder + "/missing-tool", nullptr, ERROR_FILE_NOT_FOUND},
      {"no-such-program-anywhere.exe", nullptr, ERROR_FILE_NOT_FOUND},
      {"cmd.exe /c \"printf x > \"" + folder + "/no/such/dir\"\"", nullptr, ERROR_PATH_NOT_FOUND},
      {"printf x", "/no/such/folder", ERROR_DIRECTORY},
      {"", nullptr, ERROR_INVALID_PARAMETER},
  };
  for (auto& each : cases) {
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION info = {};
    SetLastError(0);
    EXPECT_FALSE(CreateProcessA(nullptr, each.line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                each.directory, &startup, &info))
        << each.line;
    EXPECT_EQ(GetLastError(), each.error) << each.line;
  }
  char line[] = "printf x";
  STARTUPINFOA startup = {sizeof startup};
  EXPECT_FALSE(CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(ProcessTest, BadHandlesAndFilesFailWithoutHarm) {
  const HANDLE bogus = reinterpret_cast<HANDLE>(uintptr_t{0x7777});
  DWORD code = 0;
  for (HANDLE bad : {bogus, static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE}) {
    EXPECT_FALSE(GetExitCodeProcess(bad, &code));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(TerminateProcess(bad, 1));
    EXPECT_EQ(WaitForSingleObject(bad, 0), WAIT_FAILED);
    EXPECT_FALSE(CloseHandle(bad));
  }

  const std::string path = folder + "/f";
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(GetExitCodeProcess(file, &code));  // a file is not a process
  EXPECT_EQ(WaitForSingleObject(file, 0), WAIT_FAILED);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_FALSE(CloseHandle(file));

  struct {
    std::string name;
    DWORD disposition;
    DWORD error;
  } failures[] = {
      {path, CREATE_NEW, ERROR_FILE_EXISTS},
      {folder + "/absent", OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
      {folder + "/no/dir/f", CREATE_ALWAYS, ERROR_PATH_NOT_FOUND},
      {path, 9, ERROR_INVALID_PARAMETER},
  };
  for (const auto& each : failures) {
    EXPECT_EQ(CreateFileA(each.name.c_str(), GENERIC_READ, 0, nullptr, each.disposition, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), each.error) << each.name;
  }
}

}  // namespace
