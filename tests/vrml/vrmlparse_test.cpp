// tests/vrml/vrmlparse_test.cpp -- the vrmlparse tool's exit status on every
// fixture: 0 for the good and tolerated files, 1 for the bad ones.
#include <dirent.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/tool_runner.h"

using tool_runner::runTool;

namespace {

int exitStatusOn(const std::string& file) { return runTool("vrmlparse", "'" + file + "'").status; }

}  // namespace

TEST(VrmlparseTool, ExitStatusOnEveryFixture) {
  const std::pair<const char*, int> folders[] = {{"good", 0}, {"tolerated", 0}, {"bad", 1}};
  for (const auto& [folder, expected] : folders) {
    std::string path = std::string(LUMENFOLD_TEST_DATA) + "/" + folder;
    DIR* dir = opendir(path.c_str());
    ASSERT_NE(dir, nullptr) << path;
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name.size() > 4 && name.substr(name.size() - 4) == ".wrl") {
        EXPECT_EQ(exitStatusOn(path + "/" + name), expected) << folder << "/" << name;
      }
    }
    closedir(dir);
  }
  EXPECT_EQ(exitStatusOn(std::string(LUMENFOLD_TEST_DATA) + "/no such file.wrl"), 1);
}
