// The GIF reader and the GIF to BMP converter: depths from the colour count,
// exact pixels and palettes, interlacing, local tables, the transparency
// mask, and damaged files (bad signature, truncated or corrupt LZW data).
#include "loading/gif.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "tests/loading/gif_builder.h"
#include "tests/loading/loading_fixture.h"

namespace loadingtest {
namespace {

class GifTest : public LoadingTest {
 protected:
  int convert(const GifPicture& picture, const char* mask = nullptr) {
    writeFile(path("in.gif"), buildGif(picture));
    return zmGif2Bmp(path("in.gif").c_str(), path("out.bmp").c_str(), mask);
  }
  bool scratchFolderGone() const {
    struct stat status;
    return stat((dir + "/LumenfoldLib/gif2bmp").c_str(), &status) != 0;
  }
};

std::vector<Rgb> ramp(int entries) {
  std::vector<Rgb> table;
  for (int i = 0; i < entries; i++) table.push_back({(unsigned char)(i * 7), (unsigned char)(255 - i), (unsigned char)(i * 3)});
  return table;
}

GifPicture pattern(int width, int height, int colors, int tableSize) {
  GifPicture p;
  p.width = width;
  p.height = height;
  p.globalTable = ramp(tableSize);
  for (int i = 0; i < width * height; i++) p.pixels.push_back((unsigned char)((i * i / 3 + i / 5) % colors));
  return p;
}

void expectSamePicture(const ReadBack& bmp, const GifPicture& p, const std::vector<Rgb>& table) {
  ASSERT_EQ(bmp.result, 0);
  ASSERT_EQ(bmp.info.width, p.width);
  ASSERT_EQ(bmp.info.height, p.height);
  for (int y = 0; y < p.height; y++)
    for (int x = 0; x < p.width; x++) ASSERT_EQ(bmp.at(x, y), p.pixels[y * p.width + x]) << x << "," << y;
  for (size_t i = 0; i < table.size(); i++) {
    const unsigned char* e = bmp.entry((int)i);
    EXPECT_EQ(Bytes(e, e + 4), (Bytes{table[i].b, table[i].g, table[i].r, 0})) << i;
  }
}

TEST_F(GifTest, DepthFollowsTheColourCountAndPixelsComeOutExact) {
  struct Case {
    int colors, tableSize, bits;
  };
  for (const Case& c : {Case{2, 2, 1}, Case{16, 16, 4}, Case{17, 32, 8}, Case{200, 256, 8}}) {
    GifPicture p = pattern(13, 7, c.colors, c.tableSize);
    ASSERT_EQ(convert(p), 0);
    ReadBack bmp(path("out.bmp"));
    EXPECT_EQ(bmp.info.bitCount, c.bits);
    EXPECT_EQ(bmp.info.colorsUsed, (uint32_t)c.tableSize);
    expectSamePicture(bmp, p, p.globalTable);
  }
  EXPECT_TRUE(warnings().empty());
  EXPECT_TRUE(scratchFolderGone());
}

TEST_F(GifTest, InterlacedAndPlainGiveIdenticalFiles) {
  for (int height : {1, 2, 5, 10, 17}) {
    GifPicture p = pattern(6, height, 16, 16);
    ASSERT_EQ(convert(p), 0);
    Bytes plain = readFile(path("out.bmp"));
    p.interlaced = true;
    ASSERT_EQ(convert(p), 0);
    EXPECT_EQ(readFile(path("out.bmp")), plain) << height;
  }
}

TEST_F(GifTest, LocalTableReplacesTheGlobalOne) {
  GifPicture p = pattern(5, 4, 4, 2);
  p.localTable = ramp(4);
  for (Rgb& c : p.localTable) c.g = 9;
  ASSERT_EQ(convert(p), 0);
  ReadBack bmp(path("out.bmp"));
  EXPECT_EQ(bmp.info.bitCount, 4);
  expectSamePicture(bmp, p, p.localTable);
}

TEST_F(GifTest, MaskMarksExactlyTheTransparentIndex) {
  GifPicture p = pattern(9, 6, 5, 8);
  p.transparent = 3;
  ASSERT_EQ(convert(p, path("mask.bmp").c_str()), 0);
  ReadBack mask(path("mask.bmp"));
  ASSERT_EQ(mask.result, 0);
  EXPECT_EQ(mask.info.bitCount, 1);
  EXPECT_EQ(Bytes(mask.entry(0), mask.entry(0) + 8), (Bytes{0, 0, 0, 0, 255, 255, 255, 0}));
  int marked = 0;
  for (int y = 0; y < p.height; y++)
    for (int x = 0; x < p.width; x++) {
      EXPECT_EQ(mask.at(x, y), p.pixels[y * p.width + x] == 3 ? 1 : 0);
      marked += mask.at(x, y);
    }
  EXPECT_GT(marked, 0);

  // Without a transparent colour no mask is written.
  p.transparent = -1;
  ASSERT_EQ(convert(p, path("mask2.bmp").c_str()), 0);
  EXPECT_FALSE(std::filesystem::exists(path("mask2.bmp")));
}

TEST_F(GifTest, DecoderFollowsTableGrowthToTwelveBitsAndAFullTable) {
  // Long runs make strings of the form KwKwK; pseudo-random bytes fill the
  // 4096-entry table long before the end.
  GifPicture p;
  p.width = 150;
  p.height = 120;
  p.globalTable = ramp(256);
  uint32_t seed = 12345;
  for (int i = 0; i < p.width * p.height; i++) {
    seed = seed * 1103515245 + 12345;
    p.pixels.push_back(i < 600 ? (unsigned char)(i / 100) : (unsigned char)(seed >> 24));
  }
  writeFile(path("big.gif"), buildGif(p));
  FILE* file = fopen(path("big.gif").c_str(), "rb");
  uint16_t width, height, transparent;
  unsigned char red[256], green[256], blue[256], interlaced;
  int colors;
  ASSERT_EQ(zmReadGifHeader(file, &width, &height, red, green, blue, &transparent, &colors, &interlaced), 0);
  EXPECT_EQ(transparent, ZM_GIF_NO_TRANSPARENT);
  std::vector<unsigned char> decoded(width * height);
  for (int y = 0; y < height; y++) ReadGifImage(file, decoded.data() + y * width, width, 0);
  fclose(file);
  EXPECT_EQ(decoded, p.pixels);
}

TEST_F(GifTest, WrongSignatureIsRefused) {
  Bytes gif = buildGif(pattern(4, 4, 2, 2));
  gif[4] = '8';  // "GIF88a"
  writeFile(path("bad.gif"), gif);
  EXPECT_EQ(zmGif2Bmp(path("bad.gif").c_str(), path("out.bmp").c_str(), nullptr), -1);
  EXPECT_EQ(warnings(), (std::vector<std::string>{"zmReadGifHeader : failed to read GIF header.\n",
                                                  "zmGif2Bmp : caught error from subroutine.\n"}));
  warnings().clear();
  EXPECT_EQ(zmGif2Bmp(nullptr, path("out.bmp").c_str(), nullptr), -1);
  EXPECT_EQ(zmGif2Bmp(path("none.gif").c_str(), path("out.bmp").c_str(), nullptr), -1);
  EXPECT_EQ(warnings(), (std::vector<std::string>{"zmGif2Bmp : no file name.\n", "zmGif2Bmp : failed to open file.\n"}));
  EXPECT_TRUE(scratchFolderGone());
}

TEST_F(GifTest, TruncatedPixelDataStillGivesAFullSizeBmp) {
  GifPicture p = pattern(16, 16, 16, 16);
  Bytes gif = buildGif(p);
  gif.resize(gif.size() * 2 / 3);
  writeFile(path("cut.gif"), gif);
  ASSERT_EQ(zmGif2Bmp(path("cut.gif").c_str(), path("out.bmp").c_str(), nullptr), 0);
  ReadBack bmp(path("out.bmp"));
  ASSERT_EQ(bmp.result, 0);
  EXPECT_EQ(bmp.info.width, 16);
  EXPECT_EQ(bmp.info.height, 16);
  for (int x = 0; x < 16; x++) EXPECT_EQ(bmp.at(x, 0), p.pixels[x]);
}

// A GIF whose declared size is far beyond its few pixels of data.
Bytes tinyGifDeclaring(int width, int height) {
  Bytes gif = buildGif(pattern(2, 2, 2, 2));
  size_t descriptor = 13 + 3 * 2;  // past the screen and its 2-entry table
  while (gif[descriptor] != ',') descriptor++;
  for (size_t at : {size_t{6}, descriptor + 5}) {
    gif[at] = (unsigned char)width, gif[at + 1] = (unsigned char)(width >> 8);
    gif[at + 2] = (unsigned char)height, gif[at + 3] = (unsigned char)(height >> 8);
  }
  return gif;
}

// In a child process: converts into a device with files limited to `bytes`
// (a write past it fails rather than killing the child). 0 on success.
int convertUnderFileSizeLimit(const std::string& gif, rlim_t bytes) {
  rlimit limit = {bytes, bytes};
  setrlimit(RLIMIT_FSIZE, &limit);
  signal(SIGXFSZ, SIG_IGN);
  return zmGif2Bmp(gif.c_str(), "/dev/null", nullptr) == 0 ? 0 : 1;
}

TEST_F(GifTest, DeclaredSizeBeyondTheImageLimitIsRefused) {
  writeFile(path("huge.gif"), tinyGifDeclaring(20000, 20000));
  EXPECT_EQ(zmGif2Bmp(path("huge.gif").c_str(), path("out.bmp").c_str(), nullptr), -1);
  EXPECT_EQ(warnings(), (std::vector<std::string>{"zmGif2Bmp : cannot allocate memory.\n"}));
  EXPECT_TRUE(scratchFolderGone());
}

TEST_F(GifTest, RowsPastTheDataAreNotStaged) {
  // 16 MB of rows from four pixels of data: the scratch file may hold only
  // the rows that have data, so a 1 MB file size limit must not matter.
  // The BMP goes to a device, which the limit does not cover.
  writeFile(path("tall.gif"), tinyGifDeclaring(4096, 4096));
  std::string gif = path("tall.gif");
  EXPECT_EXIT(std::exit(convertUnderFileSizeLimit(gif, 1 << 20)), testing::ExitedWithCode(0), "");
}

TEST_F(GifTest, EveryPrefixAndCorruptCodesAreHandledWithinTheBuffers) {
  // Under the sanitizers: no read or write outside a buffer, no leak, and
  // the scratch folder is always removed.
  GifPicture p = pattern(11, 9, 32, 32);
  p.transparent = 1;
  Bytes gif = buildGif(p);
  for (size_t length = 0; length < gif.size(); length++) {
    writeFile(path("cut.gif"), Bytes(gif.begin(), gif.begin() + (long)length));
    int result = zmGif2Bmp(path("cut.gif").c_str(), path("out.bmp").c_str(), path("mask.bmp").c_str());
    EXPECT_TRUE(result == 0 || result == -1);
  }
  size_t dataStart = gif.size() - 40;
  for (size_t at = dataStart; at + 2 < gif.size(); at++) {
    Bytes bad = gif;
    bad[at] ^= 0xFF;  // codes beyond the table, clear and end codes in odd places
    writeFile(path("bad.gif"), bad);
    int result = zmGif2Bmp(path("bad.gif").c_str(), path("out.bmp").c_str(), nullptr);
    EXPECT_TRUE(result == 0 || result == -1);
  }
  EXPECT_TRUE(scratchFolderGone());
}

TEST_F(GifTest, OutOfRangeCodeSizeIsRefused) {
  for (unsigned char size : {0, 9, 12}) {
    GifPicture p = pattern(4, 4, 2, 2);
    Bytes gif = buildGif(p);
    // The code size byte follows the 10-byte image descriptor.
    size_t at = 13 + 3 * p.globalTable.size();
    while (gif[at] != ',') at++;
    gif[at + 10] = size;
    writeFile(path("bad.gif"), gif);
    warnings().clear();
    EXPECT_EQ(zmGif2Bmp(path("bad.gif").c_str(), path("out.bmp").c_str(), nullptr), -1);
    EXPECT_EQ(warnings().front(), "zmReadGifHeader : failed to read GIF header.\n");
  }
}

}  // namespace
}  // namespace loadingtest
