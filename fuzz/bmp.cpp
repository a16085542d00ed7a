// fuzz/bmp.cpp -- a BMP file through the loading layer's BMP reader.
//
// A file the reader accepts is written back by the BMP writer and read
// again: the second reading must give the same size and pixels, since the
// converters rely on the two agreeing.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/memory.h"
#include "fuzz/harness.h"
#include "loading/bmpfile.h"

namespace {

struct ReadImage {
  ZmBmpFileHeader header{};
  ZmBmpInfo info{};
  unsigned char* pixels = nullptr;
  ~ReadImage() {
    zmFree(pixels);
    zmFree(info.colormap);
  }
  size_t pixelBytes() const {
    const int32_t height = info.height < 0 ? -info.height : info.height;
    return static_cast<size_t>(info.width) * height * (info.bitCount == 24 ? 3 : 1);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::writeInput("in.bmp", data, size);
  ReadImage first;
  if (zmReadBMP(path.c_str(), &first.header, &first.info, &first.pixels) == 0) {
    const std::string copy = fuzz::privateFolder() + "copy.bmp";
    ZmBmpFileHeader header{};
    ZmBmpInfo info = first.info;
    if (zmWriteBMP(copy.c_str(), &header, &info, first.pixels) == 0) {
      ReadImage second;
      if (zmReadBMP(copy.c_str(), &second.header, &second.info, &second.pixels) != 0) std::abort();
      if (second.info.width != first.info.width || second.info.bitCount != first.info.bitCount ||
          second.pixelBytes() != first.pixelBytes() ||
          std::memcmp(second.pixels, first.pixels, first.pixelBytes()) != 0)
        std::abort();
    }
  }
  fuzz::clearPrivateFolder();
  return 0;
}
