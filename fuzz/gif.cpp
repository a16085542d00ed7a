// fuzz/gif.cpp -- a GIF file through the GIF to BMP converter, with a mask.
//
// The BMP files the converter writes are read back by the BMP reader: what
// one half of the loading layer writes, the other half must accept.
#include <cstdint>
#include <cstdlib>

#include "core/memory.h"
#include "fuzz/harness.h"
#include "loading/bmpfile.h"
#include "loading/gif.h"

namespace {

void readBackBmp(const std::string& path) {
  ZmBmpFileHeader header{};
  ZmBmpInfo info{};
  unsigned char* pixels = nullptr;
  if (zmReadBMP(path.c_str(), &header, &info, &pixels) != 0) {
    std::abort();  // the converter wrote a BMP its own reader refuses
  }
  zmFree(pixels);
  zmFree(info.colormap);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (fuzz::adoptPrivateFolderAsHome(), true);
  (void)ready;
  const std::string gif = fuzz::writeInput("in.gif", data, size);
  const std::string bmp = fuzz::privateFolder() + "out.bmp";
  const std::string mask = fuzz::privateFolder() + "mask.bmp";
  if (zmGif2Bmp(gif.c_str(), bmp.c_str(), mask.c_str()) == 0) {
    readBackBmp(bmp);
    if (FILE* made = std::fopen(mask.c_str(), "rb")) {
      std::fclose(made);
      readBackBmp(mask);
    }
  }
  fuzz::clearPrivateFolder();
  return 0;
}
