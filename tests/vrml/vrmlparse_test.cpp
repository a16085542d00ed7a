// tests/vrml/vrmlparse_test.cpp -- the vrmlparse tool's exit status on every
// fixture: 0 for the good and tolerated files, 1 for the bad ones.
#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace {

// The tool is built next to the tests: <build>/tools/vrmlparse.
std::string toolPath() {
  char self[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return "";
  std::string path(self, static_cast<size_t>(length));
  path = path.substr(0, path.rfind('/'));
  return path.substr(0, path.rfind('/')) + "/tools/vrmlparse";
}

int exitStatusOn(const std::string& tool, const std::string& file) {
  std::string command = "'" + tool + "' '" + file + "' > /dev/null 2>&1";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(VrmlparseTool, ExitStatusOnEveryFixture) {
  std::string tool = toolPath();
  if (access(tool.c_str(), X_OK) != 0) GTEST_SKIP() << "vrmlparse is not built: " << tool;
  const std::pair<const char*, int> folders[] = {{"good", 0}, {"tolerated", 0}, {"bad", 1}};
  for (const auto& [folder, expected] : folders) {
    std::string path = std::string(LUMENFOLD_TEST_DATA) + "/" + folder;
    DIR* dir = opendir(path.c_str());
    ASSERT_NE(dir, nullptr) << path;
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name.size() > 4 && name.substr(name.size() - 4) == ".wrl") {
        EXPECT_EQ(exitStatusOn(tool, path + "/" + name), expected) << folder << "/" << name;
      }
    }
    closedir(dir);
  }
  EXPECT_EQ(exitStatusOn(tool, std::string(LUMENFOLD_TEST_DATA) + "/no such file.wrl"), 1);
}
