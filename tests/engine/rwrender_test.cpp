// tests/engine/rwrender_test.cpp -- the rwrender program: a named RWX shape
// on the recording device, and a frame written as a BMP by the display device.
#include <cstdio>
#include <string>

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

}  // namespace

TEST(RwrenderTool, DrawsTheFrontFacesOfAnRwxCubeTheSameEveryRun) {
  const std::string shape = "--device MetaDevice --shape '" + std::string(LUMENFOLD_TEST_DATA) + "/rwx/cube.rwx'";
  tool_runner::ToolRun first = runTool("rwrender", shape);
  ASSERT_EQ(first.status, 0);
  EXPECT_EQ(lastLine(first.output), "triangles 6");
  EXPECT_EQ(runTool("rwrender", shape).output, first.output);
}

TEST(RwrenderTool, MissingShapeFileFails) {
  EXPECT_NE(runTool("rwrender", "--device MetaDevice --shape /nonexistent/shape.rwx").status, 0);
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
