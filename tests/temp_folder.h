// tests/temp_folder.h -- a test's private temporary folder.
//
// Owns: one new, empty folder under the system's temporary folder, named
// "<prefix>-XXXXXX" by mkdtemp so that test programs running side by side
// never share one, and everything written into it: the folder goes with the
// record. Declare it as a fixture member, before the members that use it.
#ifndef LUMENFOLD_TESTS_TEMP_FOLDER_H
#define LUMENFOLD_TESTS_TEMP_FOLDER_H

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    else ADD_FAILURE() << "cannot make a temporary folder " << pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder, without a trailing '/'.
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

#endif
