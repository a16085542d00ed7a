// fuzz/replay.cpp -- the main() of a harness built without libFuzzer: feeds
// every file under the folders named on the command line (in name order) to
// LLVMFuzzerTestOneInput once, so that the stored corpus and the regression
// inputs run as an ordinary test under the sanitizers.
//
// A named folder may be missing (a target may have no regressions yet), but
// finding no input at all is a failure: it means a wrong path. Exit status 0
// when every input ran (a fault stops the process through the sanitizers),
// 1 when there was nothing to run.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "fuzz/harness.h"

namespace {

std::vector<std::filesystem::path> inputsUnder(const char* folder) {
  std::vector<std::filesystem::path> inputs;
  std::error_code missing;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, missing))
    if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') inputs.push_back(entry.path());
  return inputs;
}

std::vector<char> readAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::filesystem::path> inputs;
  for (int i = 1; i < argc; ++i) {
    std::vector<std::filesystem::path> found = inputsUnder(argv[i]);
    inputs.insert(inputs.end(), found.begin(), found.end());
  }
  if (inputs.empty()) {
    std::fprintf(stderr, "replay: no input found\n");
    return 1;
  }
  std::sort(inputs.begin(), inputs.end());
  for (const auto& path : inputs) {
    const std::vector<char> bytes = readAll(path);
    // A heap block of exactly the input's size, so that a read past its end is seen.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size()]);
    std::memcpy(exact.get(), bytes.data(), bytes.size());
    LLVMFuzzerTestOneInput(exact.get(), bytes.size());
  }
  std::printf("replayed %zu inputs\n", inputs.size());
  return 0;
}
