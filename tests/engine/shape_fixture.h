// tests/engine/shape_fixture.h -- the engine open on the null device with a
// scratch folder for shape files, removed again afterwards.
#ifndef LUMENFOLD_TESTS_ENGINE_SHAPE_FIXTURE_H
#define LUMENFOLD_TESTS_ENGINE_SHAPE_FIXTURE_H

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/shapepath.h"
#include "engine_fixture.h"
#include "tests/temp_folder.h"

class ShapeFiles : public OpenEngine {
 protected:
  void SetUp() override {
    OpenEngine::SetUp();
  }
  void TearDown() override {
    OpenEngine::TearDown();
  }

  // Writes the bytes to folder/name (sub-folders made) and returns the path.
  std::string write(const std::string& name, const std::string& bytes) {
    std::filesystem::path path = std::filesystem::path(folder_) / name;
    std::filesystem::create_directories(path.parent_path());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return path.string();
  }

  const std::string& folder() const { return folder_; }

 private:
  TempFolder temp_{"lumenfold-shapes"};
  std::string folder_ = temp_.path();
};

#endif
