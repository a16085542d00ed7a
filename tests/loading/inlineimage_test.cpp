// Inline SFImage texts to BMP files and back: the word reader, depth and
// palette from the colours, the alpha mask, and the Texture2 text of a BMP.
#include "loading/inlineimage.h"

#include <atomic>

#include "tests/loading/loading_fixture.h"

#if defined(__SANITIZE_ADDRESS__)
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void*, size_t),
                                                         void (*onFree)(const volatile void*));
#endif

namespace loadingtest {
namespace {

// The largest block asked of the heap while `run` runs. The sanitizer's
// runtime reports every allocation; a hook once installed stays, so it only
// records while a measurement is on.
template <typename Run>
bool largestBlockWhile(Run run, size_t* largest) {
#if defined(__SANITIZE_ADDRESS__)
  static std::atomic<bool> measuring{false};
  static std::atomic<size_t> seen{0};
  static const bool installed = __sanitizer_install_malloc_and_free_hooks(
      [](const volatile void*, size_t size) {
        if (measuring && size > seen) seen = size;
      },
      [](const volatile void*) {});
  if (!installed) return false;
  seen = 0;
  measuring = true;
  run();
  measuring = false;
  *largest = seen;
  return true;
#else
  (void)run, (void)largest;
  return false;
#endif
}

class InlineImageTest : public LoadingTest {
 protected:
  std::string toText(const char* mask = nullptr) {
    char* text = nullptr;
    size_t capacity = 0;
    if (zmBmp2InlineTexture(path("in.bmp").c_str(), mask, &text, &capacity) != 0) return "<failed>";
    std::string result = text;
    zmFree(text);
    return result;
  }
  void writeBmp(const std::string& name, int width, int height, int bits, Bytes pixels, Bytes map = {}) {
    ZmBmpFileHeader header;
    ZmBmpInfo info = {};
    info.width = width;
    info.height = height;
    info.bitCount = (uint16_t)bits;
    info.colorsUsed = (uint32_t)map.size() / 4;
    info.colormap = map.empty() ? nullptr : map.data();
    ASSERT_EQ(zmWriteBMP(path(name).c_str(), &header, &info, pixels.data()), 0);
  }
};

TEST_F(InlineImageTest, WordsSkipCommentsAndPixelsReadHexOrDecimal) {
  const char* text = "Texture2 { image 4 1 3 # a comment 0x12\n 0xFF0000 #x\n ff00 255 0x0102030405 }";
  const char* cursor = text;
  ZmInlineImageSize size;
  unsigned char* pixels = nullptr;
  ASSERT_EQ(zmReadInlineImage(&cursor, &size, &pixels), 0);
  EXPECT_EQ(size.width, 4);
  EXPECT_EQ(size.components, 3);
  EXPECT_EQ(Bytes(pixels, pixels + 12), (Bytes{0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0x02, 0x03, 0x04}));
  zmFree(pixels);
  char word[ZM_INLINE_WORD_SIZE];
  get_word(&cursor, word);
  EXPECT_STREQ(word, "}");
  get_word(&cursor, word);
  EXPECT_STREQ(word, "");
}

TEST_F(InlineImageTest, TwoColoursGiveAOneBitBmp) {
  ASSERT_EQ(zmInlineTexture2Bmp("image 2 1 3 0xFF0000 0x00FF00", path("out.bmp").c_str(), nullptr), 0);
  ReadBack bmp(path("out.bmp"));
  ASSERT_EQ(bmp.result, 0);
  EXPECT_EQ(bmp.info.bitCount, 1);
  EXPECT_EQ(bmp.info.colorsUsed, 2u);
  EXPECT_EQ(Bytes(bmp.info.colormap, bmp.info.colormap + 8), (Bytes{0, 0, 255, 0, 0, 255, 0, 0}));
  EXPECT_EQ(Bytes(bmp.pixels, bmp.pixels + 2), (Bytes{0, 1}));
}

TEST_F(InlineImageTest, DepthFollowsTheNumberOfColours) {
  struct Case {
    int colors, components, bits;
  };
  for (const Case& c : {Case{3, 1, 4}, Case{16, 3, 4}, Case{17, 2, 8}, Case{256, 1, 8}, Case{257, 3, 24}, Case{300, 4, 24}}) {
    int width = c.colors;
    std::string text = "image " + std::to_string(width) + " 2 " + std::to_string(c.components) + "\n";
    for (int y = 0; y < 2; y++)
      for (int x = 0; x < width; x++) {
        unsigned value = (unsigned)(c.components <= 2 ? x : x * 0x010203);
        if (c.components == 2 || c.components == 4) value = (value << 8) | 0xFF;
        text += std::to_string(value) + " ";
      }
    ASSERT_EQ(zmInlineTexture2Bmp(text.c_str(), path("out.bmp").c_str(), nullptr), 0) << c.colors;
    ReadBack bmp(path("out.bmp"));
    ASSERT_EQ(bmp.result, 0);
    EXPECT_EQ(bmp.info.bitCount, c.bits) << c.colors;
    if (c.bits == 24) {
      // Pixel 100 is R, G, B = 0x64, 0xC9, 0x2C, written as blue, green, red.
      unsigned v = 100 * 0x010203;
      EXPECT_EQ(Bytes(bmp.pixels + 300, bmp.pixels + 303), (Bytes{(unsigned char)v, (unsigned char)(v >> 8), (unsigned char)(v >> 16)}));
    } else {
      for (int x = 0; x < width; x++) {
        const unsigned char* e = bmp.entry(bmp.pixels[x]);
        unsigned char gray = (unsigned char)x;
        if (c.components <= 2) {
          EXPECT_EQ(Bytes(e, e + 3), (Bytes{gray, gray, gray}));
        }
      }
    }
  }
}

TEST_F(InlineImageTest, AlphaAbove127IsWhiteInTheMask) {
  const char* text = "image 3 2 4 0xFF000080 0x00FF007F 0x0000FFFF\n0x11223300 0xFFFFFFFF 0x000000C0";
  ASSERT_EQ(zmInlineTexture2Bmp(text, path("out.bmp").c_str(), path("mask.bmp").c_str()), 0);
  ReadBack mask(path("mask.bmp"));
  ASSERT_EQ(mask.result, 0);
  EXPECT_EQ(mask.info.bitCount, 1);
  EXPECT_EQ(Bytes(mask.pixels, mask.pixels + 6), (Bytes{1, 0, 1, 0, 1, 1}));
  ReadBack bmp(path("out.bmp"));
  EXPECT_EQ(bmp.info.bitCount, 4);
  // Three components leave no mask behind.
  ASSERT_EQ(zmInlineTexture2Bmp("image 1 1 3 5", path("out.bmp").c_str(), path("mask2.bmp").c_str()), 0);
  EXPECT_FALSE(std::filesystem::exists(path("mask2.bmp")));
}

TEST_F(InlineImageTest, BmpGivesTexture2Text) {
  writeBmp("in.bmp", 1, 1, 24, {1, 2, 3});
  EXPECT_EQ(toText(), "Texture2 {\nimage 1 1 3\n0x030201\n}");

  // A gray palette is one component; a mask adds alpha from its gray level.
  Bytes gray, bw = {0, 0, 0, 0, 255, 255, 255, 0};
  for (int i = 0; i < 4; i++) gray.insert(gray.end(), {(unsigned char)(i * 80), (unsigned char)(i * 80), (unsigned char)(i * 80), 0});
  writeBmp("in.bmp", 2, 2, 4, {0, 1, 2, 3}, gray);
  EXPECT_EQ(toText(), "Texture2 {\nimage 2 2 1\n0x00 0x50\n0xa0 0xf0\n}");
  writeBmp("mask.bmp", 2, 2, 1, {1, 0, 0, 1}, bw);
  EXPECT_EQ(toText(path("mask.bmp").c_str()), "Texture2 {\nimage 2 2 2\n0x00ff 0x5000\n0xa000 0xf0ff\n}");
  // A colour mask gives 0.3 R + 0.58 G + 0.11 B.
  writeBmp("mask.bmp", 2, 2, 24, {0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255});
  EXPECT_EQ(toText(path("mask.bmp").c_str()), "Texture2 {\nimage 2 2 2\n0x004c 0x5093\n0xa01c 0xf0fc\n}");
}

TEST_F(InlineImageTest, InlineToBmpAndBackKeepsThePixels) {
  const char* text = "Texture2 {\nimage 3 2 3\n0x0a0b0c 0x102030 0xffffff\n0x000000 0x0a0b0c 0x7f7f01\n}";
  ASSERT_EQ(zmInlineTexture2Bmp(text, path("in.bmp").c_str(), nullptr), 0);
  EXPECT_EQ(toText(), text);
}

TEST_F(InlineImageTest, ForgedSizeIsRefusedBeforeARowIsAllocated) {
  // 54 bytes of header that declare a 24-bit image 2^31 - 1 pixels wide.
  Bytes header = {'B', 'M', 54, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 1, 0, 0, 0,
                  1, 0, 24, 0};
  header.resize(54, 0);
  writeFile(path("in.bmp"), header);
  size_t largest = 0;
  if (!largestBlockWhile([&] { EXPECT_EQ(toText(), "<failed>"); }, &largest))
    GTEST_SKIP() << "allocations are only seen under the address sanitizer";
  EXPECT_LT(largest, 1u << 20);
  EXPECT_EQ(warnings(), std::vector<std::string>{"zmBmp2InlineTexture : cannot allocate memory.\n"});
}

TEST_F(InlineImageTest, FailuresAreReportedWithTheConvertersTexts) {
  writeBmp("in.bmp", 2, 2, 24, Bytes(12, 7));
  writeBmp("small.bmp", 1, 2, 24, Bytes(6, 7));
  char* text = nullptr;
  size_t capacity = 0;
  EXPECT_EQ(zmBmp2InlineTexture(path("in.bmp").c_str(), path("small.bmp").c_str(), &text, &capacity), -1);
  EXPECT_EQ(text, nullptr);
  EXPECT_EQ(zmBmp2InlineTexture(nullptr, nullptr, &text, &capacity), -1);
  char tooSmall[8];
  text = tooSmall;
  capacity = sizeof tooSmall;
  EXPECT_EQ(zmBmp2InlineTexture(path("in.bmp").c_str(), nullptr, &text, &capacity), -1);
  EXPECT_EQ(warnings(), (std::vector<std::string>{
                            "zmBmp2InlineTexture : sizes of bmpfile and maskfile are expected to be the same.\n",
                            "zmBmp2InlineTexture : no file name.\n",
                            "zmBmp2InlineTexture : cannot allocate memory.\n"}));

  struct Case {
    const char* text;
    std::vector<std::string> expected;
  };
  const std::string caught = "zmInlineTexture2Bmp : caught error from subroutine.\n";
  const Case cases[] = {
      {"Texture2 { }", {"zmReadInlineImageHeader : cannot find image structure\n", caught}},
      {"image 0 1 3", {"zmReadInlineImageHeader : image width > 0 is expected\n", caught}},
      {"image 1 70000 3", {"zmReadInlineImageHeader : image height > 0 is expected\n", caught}},
      {"image 1 1 5 0", {"zmReadInlineImageHeader : 1 <= #components <= 4 is expected\n", caught}},
      {"image 2 2 3 1 2 3", {caught}},
  };
  for (const Case& c : cases) {
    warnings().clear();
    EXPECT_EQ(zmInlineTexture2Bmp(c.text, path("out.bmp").c_str(), nullptr), -1) << c.text;
    EXPECT_EQ(warnings(), c.expected) << c.text;
  }
  warnings().clear();
  EXPECT_EQ(zmInlineTexture2Bmp("image 1 1 1 0", nullptr, nullptr), -1);
  EXPECT_EQ(zmInlineTexture2Bmp("image 1 1 1 0", path("no/dir.bmp").c_str(), nullptr), -1);
  EXPECT_EQ(warnings(), (std::vector<std::string>{"zmInlineTexture2Bmp : no file name.\n",
                                                  "zmInlineTexture2Bmp : failed to open file.\n"}));
}

}  // namespace
}  // namespace loadingtest
