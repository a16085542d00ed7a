// The BMP writer and reader: row packing, header completion, round trips at
// every depth, the OS/2 header, and refusal of damaged or forged files.
#include "loading/bmpfile.h"

#include "tests/loading/loading_fixture.h"

namespace loadingtest {
namespace {

class BmpFileTest : public LoadingTest {};

ZmBmpInfo makeInfo(int width, int height, int bits, uint32_t colors = 0, unsigned char* map = nullptr) {
  ZmBmpInfo info = {};
  info.width = width;
  info.height = height;
  info.bitCount = (uint16_t)bits;
  info.colorsUsed = colors;
  info.colormap = map;
  return info;
}

TEST_F(BmpFileTest, RowsArePackedAndPaddedAsTheDepthSays) {
  struct Case {
    int width, bits;
    Bytes pixels;
    Bytes stored;
  };
  const Case cases[] = {
      {3, 1, {1, 0, 1}, {0xA0, 0, 0, 0}},
      {9, 1, {1, 1, 1, 1, 1, 1, 1, 7, 9}, {0xFF, 0x80, 0, 0}},
      {5, 4, {1, 2, 3, 4, 5}, {0x12, 0x34, 0x50, 0x00}},
      {3, 8, {7, 8, 9}, {7, 8, 9, 0}},
      {1, 24, {1, 2, 3}, {1, 2, 3, 0}},
  };
  for (const Case& c : cases) {
    std::string name = path("row.bin");
    FILE* file = fopen(name.c_str(), "wb");
    ZmBmpInfo info = makeInfo(c.width, 1, c.bits);
    ASSERT_EQ(zmWriteBMPRow(file, &info, c.pixels.data()), 0);
    fclose(file);
    EXPECT_EQ(readFile(name), c.stored) << c.width << "x" << c.bits;
    EXPECT_EQ(zmBMPRowLength(&info), c.stored.size());
  }
}

TEST_F(BmpFileTest, SetHeaderCompletesOffsetsAndSizes) {
  ZmBmpFileHeader header;
  ZmBmpInfo info = makeInfo(1, 2, 24);
  ASSERT_EQ(zmSetBMPHeader(&header, &info), 0);
  EXPECT_EQ(header.dataOffset, 54u);
  EXPECT_EQ(info.imageSize, 8u);
  EXPECT_EQ(header.fileSize, 62u);
  EXPECT_STREQ(header.type, "BM");
  EXPECT_EQ(info.headerSize, 40u);
  EXPECT_EQ(info.planes, 1);

  info = makeInfo(4, 4, 8, 300);
  ASSERT_EQ(zmSetBMPHeader(&header, &info), 0);
  EXPECT_EQ(info.colorsUsed, 0u);
  EXPECT_EQ(header.dataOffset, 54u + 1024u);

  info = makeInfo(4, 4, 4, 3);
  info.compression = 1;
  ASSERT_EQ(zmSetBMPHeader(&header, &info), 0);
  EXPECT_EQ(header.dataOffset, 54u + 12u);
  EXPECT_EQ(info.compression, 0u);
  EXPECT_EQ(warnings(), (std::vector<std::string>{
                            "zmSetBMPHeaders : invalid number for #colors...reset to default.\n",
                            "zmSetBMPHeader : RLE and Bitfield encoding are not supported..use BI_RGB\n"}));
}

TEST_F(BmpFileTest, SetHeaderRefusesBadSizesDepthsAndFilesBeyond4GB) {
  struct Case {
    int width, height, bits;
    const char* warning;
  };
  const Case cases[] = {
      {0, 1, 8, "zmSetBMPHeader : invalid width for bitmap\n"},
      {1, 0, 8, "zmSetBMPHeader : invalid height for bitmap.\n"},
      {1, 1, 16, "zmSetBMPHeader : invalid depth for bitmap\n"},
      {70000, 70000, 24, "zmSetBMPHeader : bitmap too large\n"},
      // Three bytes a pixel of this width pass 32 bits: one row alone is 4 GB.
      {0x55555556, 1, 24, "zmSetBMPHeader : bitmap too large\n"},
  };
  for (const Case& c : cases) {
    warnings().clear();
    ZmBmpFileHeader header;
    ZmBmpInfo info = makeInfo(c.width, c.height, c.bits);
    EXPECT_EQ(zmSetBMPHeader(&header, &info), -1);
    EXPECT_EQ(warnings(), std::vector<std::string>{c.warning});
  }
}

TEST_F(BmpFileTest, EveryDepthReadsBackExactly) {
  for (int bits : {1, 4, 8, 24}) {
    const int width = 7, height = 3;
    int channels = bits == 24 ? 3 : 1;
    Bytes pixels(width * height * channels);
    for (size_t i = 0; i < pixels.size(); i++) pixels[i] = (unsigned char)((i * 37 + 11) % (bits == 24 ? 256 : 1 << bits));
    unsigned char map[256 * 4] = {};
    for (int i = 0; i < 256; i++) {
      map[4 * i] = (unsigned char)i;
      map[4 * i + 1] = (unsigned char)(255 - i);
      map[4 * i + 2] = (unsigned char)(i / 2);
    }
    ZmBmpFileHeader header;
    ZmBmpInfo info = makeInfo(width, height, bits, 0, map);
    std::string name = path("round.bmp");
    ASSERT_EQ(zmWriteBMP(name.c_str(), &header, &info, pixels.data()), 0);
    EXPECT_EQ(readFile(name).size(), header.fileSize);

    ReadBack back(name);
    ASSERT_EQ(back.result, 0);
    EXPECT_EQ(back.info.bitCount, bits);
    EXPECT_EQ(Bytes(back.pixels, back.pixels + pixels.size()), pixels) << bits;
    if (bits < 24) {
      EXPECT_EQ(Bytes(back.info.colormap, back.info.colormap + (4 << bits)), Bytes(map, map + (4 << bits)));
    }
  }
  EXPECT_TRUE(warnings().empty());
}

// An OS/2 file: 12-byte core header, 3-byte map entries.
Bytes os2Bitmap() {
  Bytes b = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 14 + 12 + 6, 0, 0, 0,
             12, 0, 0, 0, 3, 0, 2, 0, 1, 0, 1, 0,
             10, 20, 30, 40, 50, 60,
             0xA0, 0, 0, 0, 0x40, 0, 0, 0};
  return b;
}

TEST_F(BmpFileTest, Os2FilesGiveTheSamePixelsAndAFourByteMap) {
  writeFile(path("os2.bmp"), os2Bitmap());
  ReadBack back(path("os2"));  // found with ".bmp" appended
  ASSERT_EQ(back.result, 0);
  EXPECT_EQ(back.info.width, 3);
  EXPECT_EQ(back.info.height, 2);
  EXPECT_EQ(Bytes(back.pixels, back.pixels + 6), (Bytes{1, 0, 1, 0, 1, 0}));
  EXPECT_EQ(Bytes(back.info.colormap, back.info.colormap + 8), (Bytes{10, 20, 30, 0, 40, 50, 60, 0}));
}

TEST_F(BmpFileTest, DamagedAndForgedFilesAreRefusedWithoutLeaks) {
  Bytes good;
  {
    Bytes pixels = {1, 2, 3, 4};
    ZmBmpFileHeader header;
    ZmBmpInfo info = makeInfo(2, 2, 8);
    ASSERT_EQ(zmWriteBMP(path("good.bmp").c_str(), &header, &info, pixels.data()), 0);
    good = readFile(path("good.bmp"));
  }
  auto patched = [&](size_t at, std::initializer_list<unsigned char> bytes) {
    Bytes b = good;
    for (unsigned char v : bytes) b[at++] = v;
    return b;
  };
  struct Case {
    const char* what;
    Bytes file;
    std::vector<std::string> expected;
  };
  const std::string header = "zmReadBMP : failed to read bmp header from " + path("bad.bmp") + "\n";
  const std::string data = "zmReadBMP : failed to read data from " + path("bad.bmp") + "\n";
  const Case cases[] = {
      {"not BM", patched(0, {'X'}), {"zmReadBMPHeaders : file is not in bmp format\n", header}},
      {"zero width", patched(18, {0, 0, 0, 0}), {"zmReadBMPInfoHeader : invalid width bitmap\n", header}},
      {"negative height", patched(22, {0xFF, 0xFF, 0xFF, 0xFF}), {"zmReadBMPInfoHeader : invalid height bitmap\n", header}},
      {"16 bits", patched(28, {16}), {"zmReadBMPInfoHeader : invalid depth bmpfile\n", header}},
      {"forged colour count", patched(46, {0x00, 0x10, 0, 0}), {"zmReadBMPInfoHeader : invalid number of colors\n", header}},
      {"compressed", patched(30, {1}), {"zmReadBMP : RLE decompression is not supported yet\n"}},
      {"forged size", patched(18, {0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0}), {"zmReadBMP : cannot allocate memory\n"}},
      {"short header", Bytes(good.begin(), good.begin() + 30), {"zmReadBMPHeaders : failed to read data from file.\n", header}},
      {"short map", Bytes(good.begin(), good.begin() + 60), {"zmReadBMPHeaders : failed to read data from file.\n", header}},
      {"short rows", Bytes(good.begin(), good.end() - 2),
       {"zmReadBMPRow : failed to read data from file.\n", data}},
  };
  for (const Case& c : cases) {
    warnings().clear();
    writeFile(path("bad.bmp"), c.file);
    ReadBack back(path("bad.bmp"));
    EXPECT_EQ(back.result, -1) << c.what;
    EXPECT_EQ(back.pixels, nullptr) << c.what;
    EXPECT_EQ(back.info.colormap, nullptr) << c.what;
    EXPECT_EQ(warnings(), c.expected) << c.what;
  }
  warnings().clear();
  ReadBack missing(path("nothing"));
  EXPECT_EQ(missing.result, -1);
  EXPECT_EQ(warnings(), std::vector<std::string>{"zmOpenBMP : cannot open bmpfile\n"});
}

}  // namespace
}  // namespace loadingtest
