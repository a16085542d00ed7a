// tests/vrmlwrite/rewrite_tool_test.cpp -- the vrmlwrite program: a world
// written by it lists the same in scenedump as the world it was read from.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/tool_runner.h"

using tool_runner::runTool;

namespace {

// scenedump's listing without its world line, which names the file read,
// and without its box line, which `box` receives.
std::string withoutWorldLine(const std::string& listing, std::array<float, 6>* box) {
  std::string kept;
  for (size_t start = 0; start < listing.size();) {
    size_t end = listing.find('\n', start);
    if (end == std::string::npos) end = listing.size();
    std::string line = listing.substr(start, end - start);
    if (line.rfind("box ", 0) == 0) {
      std::sscanf(line.c_str(), "box %f %f %f %f %f %f", &(*box)[0], &(*box)[1], &(*box)[2], &(*box)[3],
                  &(*box)[4], &(*box)[5]);
    } else if (line.rfind("world \"", 0) != 0) {
      kept += line + "\n";
    }
    start = end + 1;
  }
  return kept;
}

}  // namespace

TEST(VrmlwriteTool, RewrittenWorldListsTheSame) {
  const std::string source = std::string(LUMENFOLD_TEST_DATA) + "/rewritten.wrl";
  const std::string written = ::testing::TempDir() + "vrmlwrite_tool_rewritten.wrl";

  const auto before = runTool("scenedump", "'" + source + "'");
  ASSERT_EQ(before.status, 0) << before.output;
  // The fixture's parts all reach the scene: the TransformSeparator's child,
  // the text and the face sets.
  ASSERT_NE(before.output.find("Sphere \"Moved\" at (5 0 0)"), std::string::npos) << before.output;
  ASSERT_NE(before.output.find("objects 14 faces 29"), std::string::npos) << before.output;

  const auto write = runTool("vrmlwrite", "'" + source + "' '" + written + "'");
  ASSERT_EQ(write.status, 0) << write.output;
  EXPECT_EQ(write.output.find("non-supported"), std::string::npos) << write.output;

  const auto after = runTool("scenedump", "'" + written + "'");
  std::remove(written.c_str());
  ASSERT_EQ(after.status, 0) << after.output;
  // Objects with their places, scales and flags (mobile among them), the
  // totals, and the box up to the rounding of the written matrices.
  std::array<float, 6> boxAfter{}, boxBefore{};
  EXPECT_EQ(withoutWorldLine(after.output, &boxAfter), withoutWorldLine(before.output, &boxBefore));
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(boxAfter[i], boxBefore[i], 1e-4f) << i;
}

namespace {

void writeText(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path) << text;
}

}  // namespace

// Names in a world are found beside it, not in the folder the tool runs
// in, and the written world finds them again from wherever it is put; a
// name whose file is missing makes the run fail, with what could be
// written still written.
TEST(VrmlwriteTool, InlinesAreFoundBesideTheWorldWhateverTheCurrentFolder) {
  const std::filesystem::path root = std::filesystem::path(::testing::TempDir()) / "vrmlwrite_inline";
  std::filesystem::remove_all(root);
  writeText(root / "world/sub/part.wrl",
            "#VRML V1.0 ascii\nSeparator { Cube { } Translation { translation 3 0 0 } Sphere { } }\n");
  writeText(root / "world/top.wrl",
            "#VRML V1.0 ascii\nSeparator {\n WWWInline { name \"sub/part.wrl\" }\n"
            " Translation { translation 0 5 0 }\n Cone { }\n}\n");
  writeText(root / "world/broken.wrl", "#VRML V1.0 ascii\nWWWInline { name \"nothere.wrl\" }\nCube { }\n");
  std::filesystem::create_directories(root / "elsewhere");
  const std::string out = (root / "out/top.wrl").string();
  std::filesystem::create_directories(root / "out");

  const auto write = runTool("vrmlwrite", "../world/top.wrl '" + out + "'", (root / "elsewhere").string());
  EXPECT_EQ(write.status, 0) << write.output;
  const auto listing = runTool("scenedump", "'" + out + "'", "/");
  ASSERT_EQ(listing.status, 0) << listing.output;
  EXPECT_NE(listing.output.find("objects 4 faces 6"), std::string::npos) << listing.output;
  EXPECT_NE(listing.output.find("Sphere"), std::string::npos) << listing.output;

  const auto broken = runTool("vrmlwrite", "../world/broken.wrl '" + out + "'", (root / "elsewhere").string());
  EXPECT_EQ(broken.status, 1) << broken.output;
  EXPECT_NE(broken.output.find("1 file(s) the world names could not be found"), std::string::npos) << broken.output;
  EXPECT_EQ(runTool("vrmlwrite", "../world/top.wrl /nonexistent-folder/x.wrl", (root / "elsewhere").string()).status,
            1);
  std::filesystem::remove_all(root);
}
