// fuzz/jpeg.cpp -- a JPEG file through the JPEG to BMP converter, once with
// plain 24-bit output in Windows headers and once quantised to 256 colours
// in OS/2 headers, as the image conversion asks for it. A BMP the converter
// calls good must read back through the BMP reader.
#include <cstdint>
#include <cstdlib>

#include "core/memory.h"
#include "fuzz/harness.h"
#include "loading/bmpfile.h"
#include "loading/jpeg.h"

namespace {

void convertAndReadBack(const std::string& jpeg, int format, const ZmJpgOption* options) {
  const std::string bmp = fuzz::privateFolder() + "out.bmp";
  if (zmJpg2Bmp(jpeg.c_str(), bmp.c_str(), format, options) != 0) return;
  ZmBmpFileHeader header{};
  ZmBmpInfo info{};
  unsigned char* pixels = nullptr;
  if (zmReadBMP(bmp.c_str(), &header, &info, &pixels) != 0) std::abort();
  zmFree(pixels);
  zmFree(info.colormap);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (fuzz::adoptPrivateFolderAsHome(), true);
  (void)ready;
  const std::string jpeg = fuzz::writeInput("in.jpg", data, size);
  convertAndReadBack(jpeg, 0, nullptr);
  convertAndReadBack(jpeg, 1, &zmJpgImageConversionOption);
  fuzz::clearPrivateFolder();
  return 0;
}
