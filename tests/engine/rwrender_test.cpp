// tests/engine/rwrender_test.cpp -- the rwrender program: a named RWX shape
// on the recording device, and a frame written as a BMP by the display device.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/tool_runner.h"

using tool_runner::runTool;

namespace {

std::string lastLine(const std::string& text) {
  size_t end = text.find_last_not_of('\n');
  if (end == std::string::npos) return "";
  size_t start = text.rfind('\n', end);
  return text.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1) + 1);
}

struct Rgb {
  int red, green, blue;
};

// The pixels of an uncompressed 24-bit BMP file, in file order.
std::vector<Rgb> bitmapPixels(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<Rgb> pixels;
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[28] != 24) return pixels;
  const auto word = [&](size_t at) { return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24; };
  const size_t offset = word(10), width = word(18), height = word(22) < 0 ? -word(22) : word(22);
  const size_t stride = (width * 3 + 3) & ~size_t{3};
  if (offset + stride * height > bytes.size()) return pixels;
  for (size_t y = 0; y < height; ++y)
    for (size_t x = 0; x < width; ++x) {
      const uint8_t* p = &bytes[offset + y * stride + x * 3];
      pixels.push_back({p[2], p[1], p[0]});
    }
  return pixels;
}

// The texture-mode floor: 64 tiles, one per texture-mode combination, at
// both depths; the same image on every run, the texture's red and white on
// the near and the far half of the floor alike.
TEST(RwrenderTool, TextureModeFloorDrawsEveryCombinationStably) {
  for (const char* depth : {"8", "16"}) {
    const std::string out = testing::TempDir() + "rwrender_modes_" + depth + ".bmp";
    const std::string arguments = std::string("--device MSWindows --size 160x120 --camera 0,-7,6 --depth ") + depth +
                                  " --texture-modes '" + std::string(LUMENFOLD_TEST_DATA) +
                                  "/rwx/textured/checker.bmp' --out '" + out + "'";
    tool_runner::ToolRun first = runTool("rwrender", arguments);
    ASSERT_EQ(first.status, 0) << depth << ": " << first.errors;
    EXPECT_EQ(runTool("rwrender", arguments).output, first.output) << depth;
    const std::vector<Rgb> pixels = bitmapPixels(out);
    ASSERT_EQ(pixels.size(), 160u * 120u);
    int reddish[2] = {}, whitish[2] = {};
    for (size_t k = 0; k < pixels.size(); ++k) {
      const Rgb& pixel = pixels[k];
      const int half = k / 160 < 60 ? 0 : 1;
      if (pixel.red > 80 && pixel.red > 2 * pixel.green && pixel.red > 2 * pixel.blue) ++reddish[half];
      if (pixel.red > 80 && pixel.green > 80 && pixel.blue > 80) ++whitish[half];
    }
    for (int half : {0, 1}) {
      EXPECT_GT(reddish[half], 300) << depth << " half " << half;
      EXPECT_GT(whitish[half], 300) << depth << " half " << half;
    }
    std::remove(out.c_str());
  }
}

}  // namespace

TEST(RwrenderTool, DrawsTheFrontFacesOfAnRwxCubeTheSameEveryRun) {
  const std::string shape = "--device MetaDevice --shape '" + std::string(LUMENFOLD_TEST_DATA) + "/rwx/cube.rwx'";
  tool_runner::ToolRun first = runTool("rwrender", shape);
  ASSERT_EQ(first.status, 0);
  EXPECT_EQ(lastLine(first.output), "triangles 6");
  EXPECT_EQ(runTool("rwrender", shape).output, first.output);
}

TEST(RwrenderTool, MissingShapeFileFailsAndSaysWhy) {
  tool_runner::ToolRun run = runTool("rwrender", "--device MetaDevice --shape /nonexistent/shape.rwx");
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(run.errors,
            "rwrender: cannot build the scene (engine error 13: shape file not found along the search path)\n");
}

// A line asking for gigabytes of hemisphere is skipped with a warning; the
// block after it is drawn.
TEST(RwrenderTool, SkipsAPrimitiveTooLargeAndSaysSo) {
  const std::string shape = testing::TempDir() + "rwrender_huge.rwx";
  std::ofstream(shape) << "modelbegin\nclumpbegin\nhemisphere 1 2000\nblock 1 1 1\nclumpend\nmodelend\n";
  tool_runner::ToolRun run = runTool("rwrender", "--device MetaDevice --shape '" + shape + "'");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(lastLine(run.output), "triangles 6");
  EXPECT_EQ(run.errors, "rwrender: warning: lines of " + shape +
                            " skipped (engine error 41: too many vertices or polygons)\n");
  std::remove(shape.c_str());
}

TEST(RwrenderTool, FindsShapesNamedRelativeToTheCurrentFolder) {
  // Run from the shape's folder and from its parent, never from the tests'.
  const std::string data = std::string(LUMENFOLD_TEST_DATA);
  struct Case {
    std::string folder, shape;
  } cases[] = {{data + "/rwx", "cube.rwx"}, {data, "rwx/cube.rwx"}, {data + "/rwx", "./cube.rwx"}};
  for (const Case& c : cases) {
    tool_runner::ToolRun run = runTool("rwrender", "--device MetaDevice --shape '" + c.shape + "'", c.folder);
    EXPECT_EQ(run.status, 0) << c.shape << ": " << run.errors;
    EXPECT_EQ(lastLine(run.output), "triangles 6") << c.shape;
  }
}

TEST(RwrenderTool, WritesTheFrameAsABitmapWithAStableChecksum) {
  for (const char* depth : {"8", "16"}) {
    const std::string out = testing::TempDir() + "rwrender_" + depth + ".bmp";
    const std::string arguments = std::string("--device MSWindows --size 64x48 --depth ") + depth + " --out '" + out + "'";
    tool_runner::ToolRun first = runTool("rwrender", arguments);
    ASSERT_EQ(first.status, 0) << depth;
    EXPECT_EQ(lastLine(first.output).rfind("checksum 0x", 0), 0u) << first.output;
    EXPECT_EQ(runTool("rwrender", arguments).output, first.output) << depth;
    FILE* bitmap = std::fopen(out.c_str(), "rb");
    ASSERT_NE(bitmap, nullptr) << out;
    char magic[2] = {};
    EXPECT_EQ(std::fread(magic, 1, 2, bitmap), 2u);
    std::fclose(bitmap);
    EXPECT_EQ(std::string(magic, 2), "BM");
    std::remove(out.c_str());
  }
}

TEST(RwrenderTool, TexturedShapeShowsBothColoursOfItsTexture) {
  const std::string out = testing::TempDir() + "rwrender_textured.bmp";
  const std::string arguments = "--device MSWindows --depth 16 --size 160x120 --camera 3,2.5,4 --shape '" +
                                std::string(LUMENFOLD_TEST_DATA) + "/rwx/textured/box.rwx' --out '" + out + "'";
  tool_runner::ToolRun first = runTool("rwrender", arguments);
  ASSERT_EQ(first.status, 0);
  EXPECT_EQ(runTool("rwrender", arguments).output, first.output);
  int reddish = 0, whitish = 0;
  for (const Rgb& pixel : bitmapPixels(out)) {
    if (pixel.red > 80 && pixel.red > 2 * pixel.green && pixel.red > 2 * pixel.blue) ++reddish;
    if (pixel.red > 80 && pixel.green > 80 && pixel.blue > 80 && pixel.green * 4 > pixel.red * 3) ++whitish;
  }
  // The checker texture is red and white; a lit cube shows both on every face.
  EXPECT_GT(reddish, 500);
  EXPECT_GT(whitish, 500);
  std::remove(out.c_str());
}
