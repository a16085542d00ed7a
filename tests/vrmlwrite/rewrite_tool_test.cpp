// tests/vrmlwrite/rewrite_tool_test.cpp -- the vrmlwrite program: a world
// written by it lists the same in scenedump as the world it was read from.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
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
