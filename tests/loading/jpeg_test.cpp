// JPEG to BMP: quantised 8-bit output with the image-conversion options,
// grayscale and 24-bit output, OS/2 headers, and damaged files that must
// fail with -1, close both files and leave the program running.
#include "loading/jpeg.h"

#include <dirent.h>

#include "tests/loading/loading_fixture.h"

namespace loadingtest {
namespace {

class JpegTest : public LoadingTest {};

// Four colour quadrants (or a gray ramp), written with the library's own
// compression calls.
void writeJpeg(const std::string& name, int width, int height, bool gray) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  FILE* file = fopen(name.c_str(), "wb");
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = (JDIMENSION)width;
  cinfo.image_height = (JDIMENSION)height;
  cinfo.input_components = gray ? 1 : 3;
  cinfo.in_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 95, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  jpeg_write_marker(&cinfo, JPEG_COM, (const JOCTET*)"made\r\nby a test\\", 16);
  std::vector<JSAMPLE> row((size_t)width * cinfo.input_components);
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++) {
      if (gray) {
        row[x] = (JSAMPLE)(x * 255 / (width - 1));
      } else {
        bool right = x >= width / 2, bottom = y >= height / 2;
        Rgb c = !bottom ? (right ? Rgb{255, 0, 0} : Rgb{0, 255, 0}) : (right ? Rgb{0, 0, 255} : Rgb{255, 255, 255});
        row[3 * x] = c.r;
        row[3 * x + 1] = c.g;
        row[3 * x + 2] = c.b;
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  fclose(file);
}

int openDescriptors() {
  int count = 0;
  DIR* d = opendir("/proc/self/fd");
  while (readdir(d) != nullptr) count++;
  closedir(d);
  return count;
}

bool near(const unsigned char* bgr, Rgb expected) {
  return std::abs(bgr[0] - expected.b) < 48 && std::abs(bgr[1] - expected.g) < 48 && std::abs(bgr[2] - expected.r) < 48;
}

TEST_F(JpegTest, ImageConversionOptionsGiveA256ColourBmp) {
  writeJpeg(path("in.jpg"), 16, 8, false);
  ASSERT_EQ(zmJpg2Bmp(path("in.jpg").c_str(), path("out.bmp").c_str(), 0, &zmJpgImageConversionOption), 0);
  Bytes file = readFile(path("out.bmp"));
  ASSERT_GE(file.size(), 54u);
  EXPECT_EQ(le32(file, 10), 1078u);
  EXPECT_EQ(le32(file, 2), 1078u + 16 * 8);
  EXPECT_EQ(file.size(), 1078u + 16 * 8);
  EXPECT_EQ(le16(file, 28), 8);
  EXPECT_EQ(le32(file, 46), 256u);

  ReadBack bmp(path("out.bmp"));
  ASSERT_EQ(bmp.result, 0);
  // Floyd-Steinberg spreads the error, so judge the middle of each quadrant.
  EXPECT_TRUE(near(bmp.entry(bmp.at(12, 2)), {255, 0, 0}));
  EXPECT_TRUE(near(bmp.entry(bmp.at(3, 2)), {0, 255, 0}));
  EXPECT_TRUE(near(bmp.entry(bmp.at(12, 6)), {0, 0, 255}));
  EXPECT_TRUE(near(bmp.entry(bmp.at(3, 6)), {255, 255, 255}));
  EXPECT_TRUE(warnings().empty());
}

TEST_F(JpegTest, GrayscaleGivesAGrayRampMapAndPaddedRows) {
  writeJpeg(path("gray.jpg"), 5, 3, true);
  ASSERT_EQ(zmJpg2Bmp(path("gray.jpg").c_str(), path("out.bmp").c_str(), 0, nullptr), 0);
  Bytes file = readFile(path("out.bmp"));
  EXPECT_EQ(file.size(), 1078u + 8 * 3);
  for (int i = 0; i < 256; i++) EXPECT_EQ(Bytes(file.begin() + 54 + 4 * i, file.begin() + 58 + 4 * i), (Bytes{(unsigned char)i, (unsigned char)i, (unsigned char)i, 0}));
  ReadBack bmp(path("out.bmp"));
  ASSERT_EQ(bmp.result, 0);
  EXPECT_LT(bmp.at(0, 0), 20);
  EXPECT_GT(bmp.at(4, 0), 235);
}

TEST_F(JpegTest, NoOptionsGive24BitsAndOs2HeadersReadTheSame) {
  writeJpeg(path("in.jpg"), 6, 4, false);
  ASSERT_EQ(zmJpg2Bmp(path("in.jpg").c_str(), path("win.bmp").c_str(), 0, nullptr), 0);
  ASSERT_EQ(zmJpg2Bmp(path("in.jpg").c_str(), path("os2.bmp").c_str(), 1, nullptr), 0);
  Bytes win = readFile(path("win.bmp")), os2 = readFile(path("os2.bmp"));
  EXPECT_EQ(le32(win, 10), 54u);
  EXPECT_EQ(win.size(), 54u + 20 * 4);
  EXPECT_EQ(le32(os2, 10), 26u);
  EXPECT_EQ(le32(os2, 14), 12u);
  ReadBack a(path("win.bmp")), b(path("os2.bmp"));
  ASSERT_EQ(a.result, 0);
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.info.bitCount, 24);
  EXPECT_EQ(Bytes(a.pixels, a.pixels + 72), Bytes(b.pixels, b.pixels + 72));
  EXPECT_TRUE(near(a.pixels + 3 * (6 * 3 + 5), {255, 0, 0}));  // top right
}

TEST_F(JpegTest, EarlyEndWarnsAndCorruptFilesFailWithoutLeakingFiles) {
  writeJpeg(path("in.jpg"), 32, 32, false);
  Bytes whole = readFile(path("in.jpg"));
  size_t scan = 2;
  while (!(whole[scan] == 0xFF && whole[scan + 1] == 0xDA)) scan++;
  writeFile(path("short.jpg"), Bytes(whole.begin(), whole.begin() + (long)(scan + whole.size()) / 2));
  writeFile(path("junk.jpg"), Bytes{'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'});
  Bytes noFrame(whole.begin(), whole.begin() + 20);
  noFrame.insert(noFrame.end(), {0xFF, 0xD9});
  writeFile(path("noframe.jpg"), noFrame);

  int descriptors = openDescriptors();
  EXPECT_EQ(zmJpg2Bmp(path("short.jpg").c_str(), path("out.bmp").c_str(), 0, &zmJpgImageConversionOption), -1);
  EXPECT_EQ(warnings(), std::vector<std::string>{"JPEG internal warning\n"});
  EXPECT_TRUE(std::filesystem::exists(path("out.bmp")));

  Bytes forged = whole;
  size_t frame = 2;
  while (!(forged[frame] == 0xFF && forged[frame + 1] == 0xC0)) frame++;
  forged[frame + 5] = forged[frame + 7] = 0xFD;  // 64800 x 64800
  writeFile(path("forged.jpg"), forged);

  for (const char* name : {"junk.jpg", "noframe.jpg", "forged.jpg"}) {
    warnings().clear();
    EXPECT_EQ(zmJpg2Bmp(path(name).c_str(), path("out.bmp").c_str(), 0, &zmJpgImageConversionOption), -1);
    ASSERT_EQ(warnings().size(), 1u) << name;
    EXPECT_EQ(warnings()[0].rfind("zmJpg2Bmp: ", 0), 0u) << warnings()[0];
  }
  EXPECT_EQ(openDescriptors(), descriptors);
}

TEST_F(JpegTest, VerboseShowsTheBannerOnceAndTheCommentEscaped) {
  writeJpeg(path("in.jpg"), 4, 4, false);
  ZmJpgOption verbose = zmJpgImageConversionOption;
  verbose.verbose = 1;
  testing::internal::CaptureStderr();
  EXPECT_EQ(zmJpg2Bmp(path("in.jpg").c_str(), path("out.bmp").c_str(), 0, &verbose), 0);
  EXPECT_EQ(zmJpg2Bmp(path("in.jpg").c_str(), path("out.bmp").c_str(), 0, &verbose), 0);
  std::string shown = testing::internal::GetCapturedStderr();
  const std::string banner = "Jpg2Bmp : based on IJG program djpeg.\n";
  EXPECT_EQ(shown.find(banner), 0u);
  EXPECT_EQ(shown.find(banner, 1), std::string::npos);
  EXPECT_NE(shown.find("Comment, length 16:\nmade\nby a test\\\\\n"), std::string::npos) << shown;
}

TEST_F(JpegTest, MissingNamesAndFilesAreReported) {
  writeJpeg(path("in.jpg"), 4, 4, false);
  EXPECT_EQ(zmJpg2Bmp(nullptr, path("out.bmp").c_str(), 0, nullptr), -1);
  EXPECT_EQ(zmJpg2Bmp(path("none.jpg").c_str(), path("out.bmp").c_str(), 0, nullptr), -1);
  EXPECT_EQ(zmJpg2Bmp(path("in.jpg").c_str(), nullptr, 0, nullptr), -1);
  std::string unwritable = path("no/such/dir.bmp");
  EXPECT_EQ(zmJpg2Bmp(path("in.jpg").c_str(), unwritable.c_str(), 0, nullptr), -1);
  EXPECT_EQ(warnings(), (std::vector<std::string>{"zmJpg2Bmp: jpegfile name is not given.\n",
                                                  "zmJpg2Bmp: can't open jpegfile.\n",
                                                  "zmJpg2Bmp: bmpfile name is not given.\n",
                                                  "zmJpg2Bmp: can't open bmpfile " + unwritable + "\n"}));
}

}  // namespace
}  // namespace loadingtest
