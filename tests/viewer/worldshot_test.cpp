// The worldshot program: example worlds drawn through the whole viewer give
// the same pixels every time, and every world the project holds is drawn
// without a fatal error.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/tool_runner.h"

using tool_runner::runTool;

namespace {

std::string quoted(const std::string& path) { return "'" + path + "'"; }

std::string checksumOf(const std::string& output) {
  const size_t at = output.find("checksum ");
  return at == std::string::npos ? "" : output.substr(at, output.find('\n', at) - at);
}

double coveredOf(const std::string& output) {
  const size_t at = output.find("covered ");
  return at == std::string::npos ? -1.0 : std::stod(output.substr(at + 8));
}

std::vector<std::string> worldsUnder(const std::string& folder) {
  std::vector<std::string> worlds;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    if (entry.path().extension() == ".wrl") worlds.push_back(entry.path().string());
  return worlds;
}

}  // namespace

TEST(Worldshot, ExampleWorldsGiveTheSamePixelsEveryTime) {
  for (const char* name : {"hello.wrl", "gallery.wrl", "choices.wrl"}) {
    const std::string world = std::string(LUMENFOLD_SOURCE_DIR) + "/examples/" + name;
    const auto first = runTool("worldshot", "--size 160x120 " + quoted(world));
    const auto second = runTool("worldshot", "--size 160x120 --depth 16 " + quoted(world));
    ASSERT_EQ(first.status, 0) << name << first.output;
    EXPECT_FALSE(checksumOf(first.output).empty()) << first.output;
    EXPECT_EQ(checksumOf(first.output), checksumOf(second.output)) << name;
    EXPECT_GT(coveredOf(first.output), 5.0) << name << ": the world is drawn, not only its background";
  }
}

TEST(Worldshot, ColourDepthsShowTheSameWorld) {
  const std::string world = std::string(LUMENFOLD_SOURCE_DIR) + "/examples/hello.wrl";
  for (const char* depth : {"8", "15"}) {
    const auto run = runTool("worldshot", std::string("--size 160x120 --depth ") + depth + " " + quoted(world));
    ASSERT_EQ(run.status, 0) << depth << run.output;
    EXPECT_GT(coveredOf(run.output), 5.0) << depth;
  }
}

TEST(Worldshot, EveryWorldOfTheProjectIsDrawnWithoutAFatalError) {
  std::vector<std::string> worlds = worldsUnder(std::string(LUMENFOLD_SOURCE_DIR) + "/examples");
  for (const std::string& layer : {"viewer", "vrml", "vrmlwrite"})
    for (const std::string& world : worldsUnder(std::string(LUMENFOLD_SOURCE_DIR) + "/tests/" + layer + "/data"))
      worlds.push_back(world);
  ASSERT_GT(worlds.size(), 40u);
  for (const std::string& world : worlds) {
    const auto run = runTool("worldshot", "--size 64x48 " + quoted(world));
    EXPECT_EQ(run.status, 0) << world << "\n" << run.output << run.errors;
    EXPECT_EQ(run.output.find("Fatal Error"), std::string::npos) << world << "\n" << run.output;
  }
}
