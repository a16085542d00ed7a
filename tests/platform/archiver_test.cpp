// The archiver library over liblhasa: reached by ordinal, member listing with
// safe names, extraction that never leaves the target folder, and its error
// results.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/archiver.h"
#include "platform/module.h"
#include "tests/lha_builder.h"
#include "tests/temp_folder.h"

namespace {

namespace fs = std::filesystem;

class ArchiverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    archive = root + "/pack.lzh";
    platform::provideArchiver();
  }

  static std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::vector<std::string> listMembers() {
    std::vector<std::string> names;
    HARC handle = ArchiverOpenArchive(nullptr, archive.c_str(), 1);
    EXPECT_NE(handle, nullptr);
    ArchiverMemberInfo info;
    for (int r = ArchiverFindFirst(handle, "*.*", &info); r == 0; r = ArchiverFindNext(handle, &info)) {
      // Callers read the name at byte 26 of the record.
      names.push_back(reinterpret_cast<const char*>(&info) + 26);
    }
    EXPECT_EQ(ArchiverCloseArchive(handle), 0);
    return names;
  }

  TempFolder temp{"lf-archiver"};
  std::string root = temp.path();
  std::string archive;
};

TEST_F(ArchiverTest, IsReachedByOrdinalAndByName) {
  HMODULE module = LoadLibraryA("C:\\WINDOWS\\UNLHA32.DLL");
  ASSERT_NE(module, nullptr);
  const int ordinals[] = {1, 11, 17, 21, 22, 23, 24};
  for (int ordinal : ordinals)
    EXPECT_NE(GetProcAddress(module, reinterpret_cast<LPCSTR>((uintptr_t)ordinal)), nullptr) << ordinal;
  EXPECT_EQ(GetProcAddress(module, reinterpret_cast<LPCSTR>((uintptr_t)2)), nullptr);
  EXPECT_EQ(GetProcAddress(module, reinterpret_cast<LPCSTR>((uintptr_t)11)),
            GetProcAddress(module, "UnlhaCheckArchive"));
  EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(ArchiverTest, ListsMembersUnderNamesThatStayInside) {
  lhatest::writeArchive(archive, {{"a.wrl", "#VRML V1.0 ascii\n"},
                                  {"tex\\wood.gif", "GIF89a"},
                                  {"..\\..\\evil.txt", "x"},
                                  {"\\abs\\x.txt", "y"}});
  EXPECT_TRUE(ArchiverCheckArchive(archive.c_str(), 1));
  EXPECT_EQ(ArchiverGetFileCount(archive.c_str()), 4);
  EXPECT_EQ(listMembers(), (std::vector<std::string>{"a.wrl", "tex/wood.gif", "evil.txt", "abs/x.txt"}));
}

TEST_F(ArchiverTest, FindFirstFiltersByPatternAndRestarts) {
  lhatest::writeArchive(archive, {{"a.wrl", "1"}, {"b.tcl", "2"}, {"c.wrl", "3"}});
  HARC handle = ArchiverOpenArchive(nullptr, archive.c_str(), 1);
  ArchiverMemberInfo info;
  EXPECT_EQ(ArchiverFindNext(handle, &info), ARCHIVER_ERROR_FIND_ORDER);
  ASSERT_EQ(ArchiverFindFirst(handle, "*.wrl", &info), 0);
  EXPECT_STREQ(info.fileName, "a.wrl");
  ASSERT_EQ(ArchiverFindNext(handle, &info), 0);
  EXPECT_STREQ(info.fileName, "c.wrl");
  EXPECT_EQ(ArchiverFindNext(handle, &info), -1);
  ASSERT_EQ(ArchiverFindFirst(handle, "*.*", &info), 0);
  EXPECT_STREQ(info.fileName, "a.wrl");
  EXPECT_EQ(info.originalSize, 1u);
  EXPECT_STREQ(info.method, "-lh0-");
  EXPECT_EQ(ArchiverCloseArchive(handle), 0);
  EXPECT_EQ(ArchiverCloseArchive(handle), ARCHIVER_ERROR_INVALID_HANDLE);
  EXPECT_EQ(ArchiverFindFirst(handle, "*.*", &info), ARCHIVER_ERROR_INVALID_HANDLE);
}

TEST_F(ArchiverTest, ExtractsEveryMemberInsideTheFolder) {
  lhatest::writeArchive(archive, {{"a.wrl", "#VRML V1.0 ascii\n"},
                                  {"tex\\wood.gif", "GIF89a"},
                                  {"..\\..\\evil.txt", "x"},
                                  {"\\abs\\x.txt", "y"}});
  std::string folder = root + "/out/0/";
  char output[10];
  std::string command = "x -cm \"" + archive + "\" \"" + folder + "\"";
  ASSERT_EQ(ArchiverCommand(nullptr, command.c_str(), output, sizeof output), 0);
  EXPECT_LT(std::strlen(output), sizeof output);
  EXPECT_EQ(contents(folder + "a.wrl"), "#VRML V1.0 ascii\n");
  EXPECT_EQ(contents(folder + "tex/wood.gif"), "GIF89a");
  EXPECT_EQ(contents(folder + "evil.txt"), "x");
  EXPECT_EQ(contents(folder + "abs/x.txt"), "y");
  EXPECT_FALSE(fs::exists(root + "/evil.txt"));
  EXPECT_FALSE(fs::exists(root + "/out/evil.txt"));
  EXPECT_FALSE(fs::exists("/abs/x.txt"));
}

TEST_F(ArchiverTest, ReportsErrors) {
  std::string text = root + "/plain.txt";
  std::ofstream(text) << "not an archive";
  std::string corrupt = root + "/corrupt.lzh";
  lhatest::writeArchive(corrupt, {{"a.wrl", "some data"}}, true);
  EXPECT_FALSE(ArchiverCheckArchive(text.c_str(), 1));
  EXPECT_EQ(ArchiverGetFileCount(text.c_str()), -1);
  EXPECT_EQ(ArchiverOpenArchive(nullptr, text.c_str(), 1), nullptr);

  struct Case {
    std::string command;
    int result;
  } cases[] = {
      {"x -cm \"" + text + "\" \"" + root + "/o/\"", ARCHIVER_ERROR_NOT_ARCHIVE},
      {"x -cm \"" + root + "/missing.lzh\" \"" + root + "/o/\"", ARCHIVER_ERROR_ARCHIVE_MISSING},
      {"x -cm \"" + corrupt + "\" \"" + root + "/o/\"", ARCHIVER_ERROR_CRC},
      {"x -cm \"" + corrupt + "\" \"" + text + "/o/\"", ARCHIVER_ERROR_MAKE_DIRECTORY},
      {"a -cm \"" + corrupt + "\"", ARCHIVER_ERROR_ILLEGAL_COMMAND},
      {"x -z \"" + corrupt + "\"", ARCHIVER_ERROR_ILLEGAL_COMMAND},
      {"x -cm", ARCHIVER_ERROR_NO_FILE_NAME},
  };
  for (const Case& c : cases) {
    char output[10];
    EXPECT_EQ(ArchiverCommand(nullptr, c.command.c_str(), output, sizeof output), c.result) << c.command;
  }
}

}  // namespace
