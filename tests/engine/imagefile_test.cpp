// Reading BMP and raster files into rasters.
#include "engine/imagefile.h"

#include <sys/stat.h>

#include <string>
#include <vector>

#include "engine/library.h"
#include "engine/rasters.h"
#include "engine/shapefile.h"
#include "image_fixture.h"
#include "shape_fixture.h"

using namespace imagefixture;

namespace {

constexpr intptr_t keepDecoded = 8;
constexpr intptr_t keepResampled = 8 | 4;

class ImageFiles : public ShapeFiles {
 protected:
  RwRaster* read(const std::string& name, const std::string& bytes, intptr_t flags = keepDecoded) {
    return RwReadImage(write(name, bytes).c_str(), flags, 0);
  }
  static std::vector<uint8_t> rowOf(const RwRaster* raster, int y) {
    const uint8_t* row = raster->pixels + y * raster->stride;
    return {row, row + raster->width * raster->depth / 8};
  }
  static std::vector<uint8_t> texel(const RwRaster* raster, int x, int y) {
    const uint8_t* p = raster->pixels + y * raster->stride + x * 3;
    return {p, p + 3};
  }
};

TEST_F(ImageFiles, EightBitBmpRowsLandTopFirstWhicheverWayTheFileRuns) {
  std::vector<std::string> rows = {std::string("\x01\x02\x03", 3), std::string("\x04\x05\x06", 3)};
  for (bool topDown : {false, true}) {
    RwRaster* raster = read("pal.bmp", bmp(3, 2, 8, rows, {{0, 0, 0}}, topDown));
    ASSERT_NE(raster, nullptr) << RwGetError();
    EXPECT_EQ(raster->depth, 8);
    EXPECT_EQ(raster->stride, 4);
    EXPECT_EQ(rowOf(raster, 0), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(rowOf(raster, 1), (std::vector<uint8_t>{4, 5, 6}));
    EXPECT_EQ(raster->colourMap, nullptr);
    EXPECT_EQ(RwDestroyRaster(raster), 1);
  }
}

TEST_F(ImageFiles, TwentyFourBitBmpBecomesRedGreenBlue) {
  // File pixels are blue, green, red.
  std::vector<std::string> rows = {std::string("\x01\x02\x03\x04\x05\x06", 6), std::string("\x07\x08\x09\x0a\x0b\x0c", 6)};
  for (bool topDown : {false, true}) {
    RwRaster* raster = read("rgb.bmp", bmp(2, 2, 24, rows, {}, topDown));
    ASSERT_NE(raster, nullptr) << RwGetError();
    EXPECT_EQ(raster->depth, 24);
    EXPECT_EQ(rowOf(raster, 0), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
    EXPECT_EQ(rowOf(raster, 1), (std::vector<uint8_t>{9, 8, 7, 12, 11, 10}));
    RwDestroyRaster(raster);
  }
}

TEST_F(ImageFiles, OneAndFourBitPixelsBecomeIndexBytes) {
  RwRaster* ones = read("one.bmp", bmp(10, 1, 1, {std::string("\xA5\x80", 2)}, {{0, 0, 0}, {255, 255, 255}}));
  ASSERT_NE(ones, nullptr);
  EXPECT_EQ(rowOf(ones, 0), (std::vector<uint8_t>{1, 0, 1, 0, 0, 1, 0, 1, 1, 0}));
  RwRaster* nibbles = read("four.bmp", bmp(3, 1, 4, {std::string("\x1F\x20", 2)}, {{0, 0, 0}}));
  ASSERT_NE(nibbles, nullptr);
  EXPECT_EQ(rowOf(nibbles, 0), (std::vector<uint8_t>{1, 15, 2}));
}

TEST_F(ImageFiles, PaletteColoursSurviveResampling) {
  // 2 x 2 indices -> 128 x 128 RGB: every source pixel covers 64 x 64 texels.
  std::vector<std::string> rows = {std::string("\x00\x01", 2), std::string("\x02\x03", 2)};
  RwRaster* raster = read("quad.bmp", bmp(2, 2, 8, rows, {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {100, 110, 120}}),
                          keepResampled);
  ASSERT_NE(raster, nullptr) << RwGetError();
  EXPECT_EQ(raster->width, 128);
  EXPECT_EQ(raster->height, 128);
  EXPECT_EQ(raster->depth, 24);
  EXPECT_EQ(texel(raster, 0, 0), (std::vector<uint8_t>{10, 20, 30}));
  EXPECT_EQ(texel(raster, 127, 0), (std::vector<uint8_t>{40, 50, 60}));
  EXPECT_EQ(texel(raster, 63, 127), (std::vector<uint8_t>{70, 80, 90}));
  EXPECT_EQ(texel(raster, 64, 64), (std::vector<uint8_t>{100, 110, 120}));
}

TEST_F(ImageFiles, ResamplingSizes) {
  struct Case {
    int width, height, bits, wantHeight, wantDepth;
  } cases[] = {{64, 64, 24, 128, 24}, {100, 50, 24, 128, 24}, {32, 96, 24, 384, 24}, {128, 256, 8, 256, 8}};
  for (const Case& c : cases) {
    std::string file = c.bits == 24 ? greyBmp(c.width, c.height, 200)
                                    : bmp(c.width, c.height, 8,
                                          std::vector<std::string>(c.height, std::string(c.width, '\x07')), {{0, 0, 0}});
    RwRaster* raster = read("size.bmp", file, keepResampled);
    ASSERT_NE(raster, nullptr) << c.width << "x" << c.height;
    EXPECT_EQ(raster->width, 128);
    EXPECT_EQ(raster->height, c.wantHeight);
    EXPECT_EQ(raster->depth, c.wantDepth);
    // A uniform image stays uniform: the box filter's weights sum to one.
    uint8_t want = c.bits == 24 ? 200 : 7;
    EXPECT_EQ(raster->pixels[0], want);
    EXPECT_EQ(raster->pixels[raster->height * raster->stride - 1], want);
    RwDestroyRaster(raster);
  }
}

TEST_F(ImageFiles, BadFilesAreRefusedWithTheirErrors) {
  std::string good = greyBmp(4, 4, 9);
  std::string forgedWidth = good;
  forgedWidth[18] = '\x00', forgedWidth[19] = '\x00', forgedWidth[20] = '\x00', forgedWidth[21] = '\x40';  // 1 << 30
  std::string forgedHeight = good;
  forgedHeight[25] = '\x70';  // 4 + 0x70 << 24 rows: far beyond the file
  // Each side allowed, together more pixels than any image may have.
  std::string tooManyPixels = good;
  tooManyPixels[18] = '\x01', tooManyPixels[19] = '\x20';  // 8193 wide
  tooManyPixels[22] = '\x15', tooManyPixels[23] = '\x28';  // 10261 high
  std::string sixteenBits = good;
  sixteenBits[28] = 16;
  std::string smallHeader = good;
  smallHeader[14] = 8;
  auto withHeaderSize = [&good](uint32_t size) {
    std::string bytes = good;
    for (int i = 0; i < 4; ++i) bytes[14 + i] = static_cast<char>(size >> (8 * i));
    return bytes;
  };
  struct Case {
    const char* what;
    std::string bytes;
    int error;
  } cases[] = {
      {"pixel data cut short", good.substr(0, good.size() - 5), rwErrRead},
      {"header cut short", good.substr(0, 30), rwErrRead},
      {"only the magic", "BM", rwErrRead},
      {"forged width", forgedWidth, rwErrImageLayout},
      {"forged height", forgedHeight, rwErrImageLayout},
      {"more pixels than an image may have", tooManyPixels, rwErrImageLayout},
      {"raster of more pixels than an image may have", ras(8193, 10261, 8, 1, 0, "", std::string(8, '\0')),
       rwErrImageLayout},
      {"16 bits per pixel", sixteenBits, rwErrImageLayout},
      {"header under 12 bytes", smallHeader, rwErrImageLayout},
      {"header size wrapping past 4 GB", withHeaderSize(0xFFFFFFF2), rwErrImageLayout},
      {"largest header size", withHeaderSize(0xFFFFFFFF), rwErrImageLayout},
      {"header size of no known kind", withHeaderSize(64), rwErrImageLayout},
      {"known header size beyond the file", withHeaderSize(124).substr(0, 60), rwErrRead},
      {"raster map not in thirds", ras(1, 1, 8, 1, 1, std::string(766, '\0'), std::string(2, '\0')), rwErrImageLayout},
      {"raster rows cut short", ras(4, 4, 8, 1, 0, "", std::string(7, '\0')), rwErrRead},
      {"raster forged height", ras(4, 0x7FFFFFFF, 8, 1, 0, "", std::string(8, '\0')), rwErrImageLayout},
      {"raster unknown type", ras(2, 1, 8, 5, 0, "", std::string(2, '\0')), rwErrImageLayout},
  };
  for (const Case& c : cases) {
    RwGetAndClearError();
    EXPECT_EQ(read("bad.bmp", c.bytes), nullptr) << c.what;
    EXPECT_EQ(RwGetAndClearError(), c.error) << c.what;
  }
  EXPECT_EQ(read("text.bmp", "plain words"), nullptr);
  EXPECT_EQ(RwReadImage("absent", keepDecoded, 0), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrFileOpen);
  EXPECT_EQ(RwReadImage(nullptr, keepDecoded, 0), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrInvalidArgument);
  EXPECT_EQ(RwReadImage("bad.bmp", 3, 0), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrTextureFlags);
}

TEST_F(ImageFiles, RasterFileRunsMapsAndByteOrder) {
  // 128 3 7 is four sevens; 128 0 a single 128; rows padded to 2 bytes.
  RwRaster* runs = read("runs.ras", ras(5, 1, 8, 2, 0, "", std::string("\x80\x03\x07\x80\x00\x00", 6)));
  ASSERT_NE(runs, nullptr) << RwGetError();
  EXPECT_EQ(rowOf(runs, 0), (std::vector<uint8_t>{7, 7, 7, 7, 128}));

  RwRaster* bits = read("bits.ras", ras(3, 1, 1, 1, 0, "", std::string("\xA0\x00", 2)), keepResampled);
  ASSERT_NE(bits, nullptr);
  EXPECT_EQ(texel(bits, 0, 0), (std::vector<uint8_t>{255, 255, 255}));  // 1: white
  EXPECT_EQ(texel(bits, 64, 0), (std::vector<uint8_t>{0, 0, 0}));       // 0: black

  std::string rgbMap = std::string("\x0a\x0b", 2) + std::string("\x14\x15", 2) + std::string("\x1e\x1f", 2);
  RwRaster* mapped = read("map.ras", ras(2, 1, 8, 1, 1, rgbMap, std::string("\x01\x00", 2)), keepResampled);
  ASSERT_NE(mapped, nullptr);
  EXPECT_EQ(texel(mapped, 0, 0), (std::vector<uint8_t>{11, 21, 31}));
  EXPECT_EQ(texel(mapped, 127, 0), (std::vector<uint8_t>{10, 20, 30}));

  std::string pixel("\x01\x02\x03\x00", 4);  // one pixel and a padding byte
  RwRaster* bgr = read("bgr.ras", ras(1, 1, 24, 1, 0, "", pixel));
  RwRaster* rgb = read("rgb.ras", ras(1, 1, 24, 3, 0, "", pixel));
  RwRaster* wide = read("xbgr.ras", ras(1, 1, 32, 1, 0, "", pixel));
  ASSERT_TRUE(bgr && rgb && wide);
  EXPECT_EQ(rowOf(bgr, 0), (std::vector<uint8_t>{3, 2, 1}));
  EXPECT_EQ(rowOf(rgb, 0), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(rowOf(wide, 0), (std::vector<uint8_t>{0, 3, 2}));
}

TEST_F(ImageFiles, NamesWithoutADotTryTheImageExtensions) {
  ASSERT_EQ(RwSetShapePath(folder().c_str(), rwReplacePath), 1);
  write("Textures/Wood.BMP", greyBmp(2, 2, 5));
  write("Textures/wood.rle", "not an image");
  RwRaster* raster = RwReadImage("textures\\wood", keepDecoded, 0);
  ASSERT_NE(raster, nullptr) << RwGetError();
  EXPECT_EQ(raster->pixels[0], 5);
  EXPECT_EQ(RwReadImage("textures\\wood.gif", keepDecoded, 0), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrFileOpen);
}

TEST_F(ImageFiles, ConvertedReadsComeBackAtTheDeviceDepth) {
  write("tex.bmp", greyBmp(64, 64, 1));
  RwRaster* raster = RwReadTextureWithFlags((folder() + "/tex.bmp").c_str(), 21);
  ASSERT_NE(raster, nullptr) << RwGetError();
  EXPECT_EQ(raster->depth, rwDeviceRecord.depth);
  EXPECT_EQ(raster->width, 128);
  EXPECT_EQ(RwReadTextureWithFlags((folder() + "/tex.bmp").c_str(), 8 | 4), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrTextureFlags);
}

}  // namespace

namespace {

// A device that never ends, a FIFO with no writer and a folder: reading any
// of them as a file would hang or fail half-way, so they are not opened.
TEST_F(ImageFiles, ImagesAndShapesAreReadOnlyFromRegularFiles) {
  const std::string fifo = folder() + "/pipe.bmp";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {std::string("/dev/zero"), fifo, folder()}) {
    RwGetAndClearError();
    EXPECT_EQ(RwReadImage(path.c_str(), keepDecoded, 0), nullptr) << path;
    EXPECT_EQ(RwGetAndClearError(), rwErrFileOpen) << path;
    EXPECT_EQ(RwReadShape(path.c_str()), nullptr) << path;
    EXPECT_EQ(RwGetAndClearError(), rwErrFileOpen) << path;
  }
}

}  // namespace
