// fuzz/inline_image.cpp -- an inline image text through the converter to a
// BMP and mask, then the BMP (with its mask) back to a Texture2 text, which
// must read again as an inline image of the same size.
#include <cstdint>
#include <cstdlib>

#include "core/memory.h"
#include "fuzz/harness.h"
#include "loading/inlineimage.h"

namespace {

void requireSameSize(const char* text, const ZmInlineImageSize& expected) {
  const char* cursor = text;
  ZmInlineImageSize size{};
  unsigned char* pixels = nullptr;
  if (zmReadInlineImage(&cursor, &size, &pixels) != 0 || size.width != expected.width ||
      size.height != expected.height)
    std::abort();
  zmFree(pixels);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (fuzz::adoptPrivateFolderAsHome(), true);
  (void)ready;
  const std::string text = fuzz::asText(data, size);
  const std::string bmp = fuzz::privateFolder() + "inline.bmp";
  const std::string mask = fuzz::privateFolder() + "mask.bmp";
  if (zmInlineTexture2Bmp(text.c_str(), bmp.c_str(), mask.c_str()) == 0) {
    const char* cursor = text.c_str();
    ZmInlineImageSize declared{};
    if (zmReadInlineImageHeader(&cursor, &declared) != 0) std::abort();
    const bool hasAlpha = declared.components == 2 || declared.components == 4;
    char* back = nullptr;
    size_t capacity = 0;
    if (zmBmp2InlineTexture(bmp.c_str(), hasAlpha ? mask.c_str() : nullptr, &back, &capacity) != 0) std::abort();
    requireSameSize(back, declared);
    zmFree(back);
  }
  fuzz::clearPrivateFolder();
  return 0;
}
