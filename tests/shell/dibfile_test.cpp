// tests/shell/dibfile_test.cpp -- BMP files to packed DIBs and back, screen
// pictures at every display depth, and the files whose headers promise more
// than they hold.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/memory.h"
#include "platform/display.h"
#include "platform/lasterror.h"
#include "platform/wingdi.h"
#include "shell/dibfile.h"
#include "shell_fixture.h"

namespace {

using Bytes = std::vector<unsigned char>;

void put(Bytes& b, uint32_t value, int width) {
  for (int i = 0; i < width; i++) b.push_back((unsigned char)(value >> (8 * i)));
}

// A BMP file (or, without the file header, a bare DIB) of a 40-byte header
// with the given fields, `colours` table entries and `pixels` bytes.
struct BmpLayout {
  int width = 2, height = 2, bits = 8;
  uint32_t compression = BI_RGB, imageSize = 0, colorsUsed = 0;
  int colours = 256;
  size_t pixels = 8;
  bool fileHeader = true;
};

Bytes makeBmp(const BmpLayout& s) {
  Bytes b;
  if (s.fileHeader) {
    b = {'B', 'M'};
    put(b, uint32_t(54 + 4 * s.colours + s.pixels), 4);
    put(b, 0, 4);
    put(b, uint32_t(54 + 4 * s.colours), 4);
  }
  for (auto [value, width] : {std::pair{40u, 4}, {uint32_t(s.width), 4}, {uint32_t(s.height), 4}, {1u, 2},
                              {uint32_t(s.bits), 2}, {s.compression, 4}, {s.imageSize, 4}, {0u, 4}, {0u, 4},
                              {s.colorsUsed, 4}, {0u, 4}})
    put(b, value, width);
  for (int i = 0; i < s.colours; i++) put(b, uint32_t(0x00010203 * i) & 0xFFFFFF, 4);
  for (size_t i = 0; i < s.pixels; i++) b.push_back((unsigned char)(i * 37));
  return b;
}

void writeBytes(const std::string& path, const Bytes& bytes) {
  shelltest::writeText(path, std::string(bytes.begin(), bytes.end()));
}

struct DibHolder {
  BITMAPINFOHEADER* dib;
  ~DibHolder() { zmFree(dib); }
};

size_t blockSize(const BITMAPINFOHEADER* dib) { return dib->biSize + zmDibColorTableSize(dib) + dib->biSizeImage; }

class DibFileTest : public shelltest::ShellTest {
 protected:
  void TearDown() override {
    platform::setDisplayDepth(24);
    ShellTest::TearDown();
  }
};

TEST_F(DibFileTest, ScreenPicturesAreWrittenAtTheirFileDepthAndReadBackAlike) {
  const COLORREF colours[4] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255)};
  struct Case {
    int display;
    WORD fileBits;
    DWORD tableEntries;
  } cases[] = {{24, 24, 0}, {16, 24, 0}, {15, 24, 0}, {8, 8, 256}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.display);
    ASSERT_TRUE(platform::setDisplayDepth(c.display));
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, 5, 3);
    HGDIOBJ old = SelectObject(memory, picture);
    for (int y = 0; y < 3; y++)
      for (int x = 0; x < 5; x++) SetPixel(memory, x, y, colours[(x + y) % 4]);
    SelectObject(memory, old);

    DibHolder dib{zmBitmapToDib(picture, BI_RGB, 0, nullptr)};
    ASSERT_NE(dib.dib, nullptr);
    EXPECT_EQ(dib.dib->biBitCount, c.fileBits);
    EXPECT_EQ(zmDibNumColors(dib.dib), c.tableEntries);
    const std::string path = home + "shot.bmp";
    ASSERT_EQ(zmWriteDibFile(path.c_str(), dib.dib), 0u);
    const std::string text = shelltest::readText(path);
    const Bytes file(text.begin(), text.end());
    ASSERT_EQ(file.size(), 14 + blockSize(dib.dib));
    EXPECT_EQ(std::string(file.begin(), file.begin() + 2), "BM");
    EXPECT_EQ(file[10] | file[11] << 8, int(14 + 40 + 4 * c.tableEntries));  // pixel offset

    DibHolder back{zmReadDibFile(path.c_str())};
    ASSERT_NE(back.dib, nullptr);
    ASSERT_EQ(blockSize(back.dib), blockSize(dib.dib));
    EXPECT_EQ(std::memcmp(back.dib, dib.dib, blockSize(dib.dib)), 0);

    HBITMAP shown = zmDibToBitmap(back.dib, nullptr);
    ASSERT_NE(shown, nullptr);
    old = SelectObject(memory, shown);
    std::vector<COLORREF> seen;
    for (int y = 0; y < 3; y++)
      for (int x = 0; x < 5; x++) seen.push_back(GetPixel(memory, x, y));
    SelectObject(memory, picture);
    for (int y = 0; y < 3; y++)
      for (int x = 0; x < 5; x++) EXPECT_EQ(seen[size_t(y * 5 + x)], GetPixel(memory, x, y)) << x << "," << y;
    SelectObject(memory, old);
    DeleteObject(shown);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
  }
}

TEST_F(DibFileTest, BareDibsAndCoreHeadersReadAsTheirBmpFile) {
  BmpLayout layout;
  layout.width = 3;
  layout.pixels = 8;  // two rows of 3 bytes, each padded to 4
  writeBytes(home + "full.bmp", makeBmp(layout));
  layout.fileHeader = false;
  writeBytes(home + "bare.dib", makeBmp(layout));
  DibHolder full{zmReadDibFile((home + "full.bmp").c_str())};
  DibHolder bare{zmReadDibFile((home + "bare.dib").c_str())};
  ASSERT_NE(full.dib, nullptr);
  ASSERT_NE(bare.dib, nullptr);
  EXPECT_EQ(full.dib->biClrUsed, 256u);
  EXPECT_EQ(full.dib->biSizeImage, 8u);
  ASSERT_EQ(blockSize(full.dib), blockSize(bare.dib));
  EXPECT_EQ(std::memcmp(full.dib, bare.dib, blockSize(full.dib)), 0);

  // A 1-bit core header: 12 bytes, colours of 3 bytes, rows of 4 bytes.
  Bytes core;
  for (auto [value, width] : {std::pair{12u, 4}, {9u, 2}, {2u, 2}, {1u, 2}, {1u, 2}}) put(core, value, width);
  core.insert(core.end(), {0x10, 0x20, 0x30, 0x40, 0x50, 0x60});
  core.insert(core.end(), {0xAA, 0x80, 0, 0, 0x55, 0x00, 0, 0});
  writeBytes(home + "core.dib", core);
  DibHolder widened{zmReadDibFile((home + "core.dib").c_str())};
  ASSERT_NE(widened.dib, nullptr);
  EXPECT_EQ(widened.dib->biSize, 40u);
  EXPECT_EQ(widened.dib->biWidth, 9);
  EXPECT_EQ(widened.dib->biClrUsed, 2u);
  const auto* table = reinterpret_cast<const unsigned char*>(widened.dib + 1);
  EXPECT_EQ(Bytes(table, table + 8), (Bytes{0x10, 0x20, 0x30, 0, 0x40, 0x50, 0x60, 0}));
  const auto* rows = static_cast<const unsigned char*>(zmDibBits(widened.dib));
  EXPECT_EQ(Bytes(rows, rows + 8), (Bytes{0xAA, 0x80, 0, 0, 0x55, 0x00, 0, 0}));
}

TEST_F(DibFileTest, HeadersThatPromiseMoreThanTheFileHoldsAreRefused) {
  struct Case {
    const char* what;
    BmpLayout layout;
    size_t cutTo;  // 0: the whole file
  } cases[] = {
      {"more colours than 8 bits index", {2, 2, 8, BI_RGB, 0, 300, 300, 8}, 0},
      {"more colours than 4 bits index", {2, 2, 4, BI_RGB, 0, 17, 17, 8}, 0},
      {"rows beyond the end", {64, 64, 24, BI_RGB, 0, 0, 0, 100}, 0},
      {"a declared image smaller than its rows", {2, 2, 8, BI_RGB, 4, 0, 256, 4}, 0},
      {"a short colour table", {2, 2, 8, BI_RGB, 0, 0, 256, 8}, 54 + 100},
      {"a short file header", {2, 2, 8, BI_RGB, 0, 0, 256, 8}, 10},
      {"run-length compression", {2, 2, 8, BI_RLE8, 8, 0, 256, 8}, 0},
      {"16 bits per pixel", {2, 2, 16, BI_RGB, 0, 0, 0, 8}, 0},
  };
  for (const Case& c : cases) {
    Bytes file = makeBmp(c.layout);
    if (c.cutTo != 0) file.resize(c.cutTo);
    writeBytes(home + "bad.bmp", file);
    DibHolder dib{zmReadDibFile((home + "bad.bmp").c_str())};
    EXPECT_EQ(dib.dib, nullptr) << c.what;
  }
  EXPECT_EQ(zmReadDibFile((home + "missing.bmp").c_str()), nullptr);
  EXPECT_EQ(zmReadDibFile(home.c_str()), nullptr);  // a folder
}

TEST_F(DibFileTest, FailedWritesReturnTheSystemCodeAndLeaveNoFile) {
  writeBytes(home + "a.bmp", makeBmp(BmpLayout{}));
  DibHolder dib{zmReadDibFile((home + "a.bmp").c_str())};
  ASSERT_NE(dib.dib, nullptr);
  EXPECT_EQ(zmWriteDibFile((home + "x.bmp").c_str(), nullptr), DWORD{ERROR_INVALID_HANDLE});
  const std::string missingFolder = home + "no/such/folder/mark00.bmp";
  EXPECT_EQ(zmWriteDibFile(missingFolder.c_str(), dib.dib), DWORD{ERROR_PATH_NOT_FOUND});
  EXPECT_FALSE(std::filesystem::exists(missingFolder));
  struct stat status;
  if (stat("/dev/full", &status) == 0) {
    EXPECT_EQ(zmWriteDibFile("/dev/full", dib.dib), DWORD{ERROR_DISK_FULL});
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));  // a device is never removed
  }
}

}  // namespace
