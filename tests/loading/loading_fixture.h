// Shared fixture of the image-conversion tests: a private folder for the
// files a case writes (also the program's temporary folder, so the GIF
// converter's scratch files stay inside it), the warnings reported while a
// case runs, small readers for the files the converters produce, and real
// gzip files to unpack.
//
// Owns: the folder of each case and all in it, removed afterwards, and the
// TEMP and LUMENFOLD_HOME settings it changes, put back. It does not own the
// buffers of the converters beyond ReadBack, which frees what it read.
#ifndef LUMENFOLD_TESTS_LOADING_FIXTURE_H
#define LUMENFOLD_TESTS_LOADING_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/dirs.h"
#include "core/memory.h"
#include "core/report.h"
#include "loading/bmpfile.h"
#include "tests/url_fetch_guard.h"
#include "tests/vrml_hook_guards.h"
#include "vrmlwrite/hooks.h"
#include "tests/temp_folder.h"

namespace loadingtest {

inline std::vector<std::string>& warnings() {
  static std::vector<std::string> texts;
  return texts;
}

inline int recordWarning(const char* text) {
  warnings().push_back(text);
  return 0;
}

using Bytes = std::vector<unsigned char>;

struct Rgb {
  unsigned char r, g, b;
};

inline Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write((const char*)bytes.data(), (std::streamsize)bytes.size());
}

inline uint32_t le32(const Bytes& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | ((uint32_t)b[at + 3] << 24);
}
inline uint16_t le16(const Bytes& b, size_t at) { return (uint16_t)(b[at] | (b[at + 1] << 8)); }

// A BMP read back whole: headers, map and one byte (or three) per pixel.
struct ReadBack {
  int result = -1;
  ZmBmpFileHeader header = {};
  ZmBmpInfo info = {};
  unsigned char* pixels = nullptr;

  explicit ReadBack(const std::string& path) { result = zmReadBMP(path.c_str(), &header, &info, &pixels); }
  ~ReadBack() {
    zmFree(pixels);
    zmFree(info.colormap);
  }
  ReadBack(const ReadBack&) = delete;
  ReadBack& operator=(const ReadBack&) = delete;

  // Pixel x of display row y (row 0 at the top).
  unsigned char at(int x, int y) const { return pixels[(size_t)(info.height - 1 - y) * info.width + x]; }
  const unsigned char* entry(int index) const { return info.colormap + 4 * index; }
};

class LoadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previousTemp = getenv("TEMP") != nullptr ? getenv("TEMP") : "";
    setenv("TEMP", dir.c_str(), 1);
    // What the program writes for the user lands in the test's own folder too.
    setenv("LUMENFOLD_HOME", (dir + "/home").c_str(), 1);
    zmForgetTempDirForTest();
    warnings().clear();
    zmTurnOnFlag(ZM_FLAG_WARNING);
    coreHooks.messages->notifyMessage = recordWarning;
  }

  void TearDown() override {
    unsetenv("LUMENFOLD_HOME");
    if (previousTemp.empty()) {
      unsetenv("TEMP");
    } else {
      setenv("TEMP", previousTemp.c_str(), 1);
    }
    zmForgetTempDirForTest();
  }

  std::string path(const std::string& name) const { return dir + "/" + name; }

  // A real gzip file of `text` named `name` in the case's folder, made by
  // the system's gzip; its path.
  std::string gzipped(const std::string& name, const std::string& text) {
    const std::string plain = path("plain-source");
    std::ofstream(plain, std::ios::binary) << text;
    const std::string target = path(name);
    const std::string command = "gzip -c '" + plain + "' > '" + target + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return target;
  }

  TempFolder temp{"lf-loading"};
  std::string dir = temp.path();
  std::string previousTemp;
  // Every service the loading layer fills or calls, emptied for the test,
  // and nothing to fetch.
  CoreHookGuards coreHooks;
  VrmlHookGuards vrmlHooks;
  ServiceGuard<ZmWriterLoading> writerHooks{writerLoading};
  UrlFetchGuard urlFetch;
};

}  // namespace loadingtest

#endif
