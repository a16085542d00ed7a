// tests/own_modules.h -- what the tests need of the program's run-time
// modules (platform/ownmodule.h).
//
// Owns: mappedFiles, the files mapped into the test process, and
// MissingModules, which makes every module missing for its lifetime and
// records what is reported. It does not own the loader.
#ifndef LUMENFOLD_TESTS_OWN_MODULES_H
#define LUMENFOLD_TESTS_OWN_MODULES_H

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ownmodule.h"
#include "tests/temp_folder.h"

// /proc/self/maps: one line per mapping, ending in the mapped file's path.
inline std::string mappedFiles() {
  std::ifstream maps("/proc/self/maps");
  std::ostringstream text;
  text << maps.rdbuf();
  return text.str();
}

// Modules looked for in an empty folder, what the loader reports kept in
// reports(); everything as it was afterwards.
class MissingModules {
 public:
  MissingModules() {
    reports().clear();
    saved_ = platform::setOwnModuleReporter(record);
    platform::setOwnModuleFolderForTest(folder_.path().c_str());
  }
  ~MissingModules() {
    platform::setOwnModuleFolderForTest(nullptr);
    platform::setOwnModuleReporter(saved_);
  }
  MissingModules(const MissingModules&) = delete;
  MissingModules& operator=(const MissingModules&) = delete;

  static std::vector<std::string>& reports() {
    static std::vector<std::string> instance;
    return instance;
  }

 private:
  static void record(const char* text) { reports().emplace_back(text); }

  const TempFolder folder_{"lf-no-modules"};
  platform::OwnModuleReporter saved_ = nullptr;
};

#endif
