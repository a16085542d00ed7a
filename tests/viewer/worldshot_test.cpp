// worldshot renders through the avatar as the program does: its light 0
// lights a world without lights, its camera is the view unless the world's
// own is asked for, and the same world gives the same image every run; the
// example worlds keep their pixels, and every world the project holds is
// drawn without a fatal error.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/tool_runner.h"
#include "tests/temp_folder.h"

namespace {

std::string fixture(const char* name) { return std::string(LUMENFOLD_TEST_DATA) + "/" + name; }

struct Shot {
  double covered = -1.0;        // per cent of the pixels off the background
  std::vector<uint8_t> file;    // the BMP written
};

Shot shoot(const std::string& world, const std::string& options = "") {
  char out[] = "/tmp/worldshot_test_XXXXXX";
  const int fd = mkstemp(out);
  Shot shot;
  if (fd < 0) return shot;
  close(fd);
  const tool_runner::ToolRun run =
      tool_runner::runTool("worldshot", options + " --out '" + out + "' '" + world + "'");
  EXPECT_EQ(run.status, 0) << run.output << run.errors;
  const size_t at = run.output.find("covered ");
  if (at != std::string::npos) shot.covered = std::atof(run.output.c_str() + at + 8);
  std::ifstream file(out, std::ios::binary);
  shot.file.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  std::remove(out);
  return shot;
}

uint32_t littleEndian(const std::vector<uint8_t>& bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t{bytes[at + 3]} << 24;
}

// Mean of red + green + blue over the pixels that are not black (the
// worlds' background), from a 24-bit BMP.
double meanLitLevel(const std::vector<uint8_t>& bmp) {
  if (bmp.size() < 54 || (bmp[28] | bmp[29] << 8) != 24) return 0.0;
  const uint32_t offset = littleEndian(bmp, 10);
  double sum = 0.0;
  long count = 0;
  for (size_t i = offset; i + 2 < bmp.size(); i += 3) {
    const int level = bmp[i] + bmp[i + 1] + bmp[i + 2];
    if (level == 0) continue;
    sum += level;
    ++count;
  }
  return count ? sum / static_cast<double>(count) : 0.0;
}

TEST(Worldshot, WorldWithoutLightsIsLitByTheAvatarsFirstLight) {
  const Shot lit = shoot(fixture("hall.wrl"));
  const Shot dark = shoot(fixture("darkhall.wrl"));
  ASSERT_GT(lit.covered, 0.0);
  EXPECT_EQ(lit.covered, dark.covered) << "the same shapes in the same view";
  EXPECT_GT(meanLitLevel(lit.file), 2.0 * meanLitLevel(dark.file));
}

TEST(Worldshot, WorldCameraOnlyWhenAskedTheAvatarsOtherwise) {
  // The cone's base, radius 2, seen from above: through the world's
  // parallel camera (half height 6) it is 40 pixels wide in a 240-pixel
  // high view; through the avatar's perspective camera at the same place,
  // 20 units above it (half height 0.75 per unit), 16 pixels.
  const double viewPixels = 320.0 * 240.0;
  const double own = 100.0 * M_PI * 40.0 * 40.0 / viewPixels;
  const double avatar = 100.0 * M_PI * 16.0 * 16.0 / viewPixels;
  EXPECT_NEAR(shoot(fixture("lookout.wrl"), "--own-camera").covered, own, 0.15 * own);
  EXPECT_NEAR(shoot(fixture("lookout.wrl")).covered, avatar, 0.25 * avatar);
}

TEST(Worldshot, SameWorldSameImageEveryRun) {
  const Shot first = shoot(fixture("hall.wrl"), "--depth 8");
  const Shot second = shoot(fixture("hall.wrl"), "--depth 8");
  ASSERT_GT(first.file.size(), 54u);
  EXPECT_TRUE(first.file == second.file);
  EXPECT_TRUE(shoot(fixture("lookout.wrl")).file == shoot(fixture("lookout.wrl")).file);
}

// The rectangle of the pixels that are not black, from a 24-bit BMP.
struct LitRectangle {
  long left = -1, top = -1, right = -1, bottom = -1;  // inclusive; -1 when nothing is lit
  long width = 0, height = 0;                          // of the picture
};

LitRectangle litRectangle(const std::vector<uint8_t>& bmp) {
  LitRectangle lit;
  if (bmp.size() < 54) return lit;
  lit.width = littleEndian(bmp, 18);
  lit.height = littleEndian(bmp, 22);
  const size_t row = (static_cast<size_t>(lit.width) * 3 + 3) / 4 * 4;
  for (long y = 0; y < lit.height; ++y)
    for (long x = 0; x < lit.width; ++x) {
      const size_t at = littleEndian(bmp, 10) + static_cast<size_t>(lit.height - 1 - y) * row + 3 * x;
      if (bmp[at] == 0 && bmp[at + 1] == 0 && bmp[at + 2] == 0) continue;
      if (lit.left < 0 || x < lit.left) lit.left = x;
      if (x > lit.right) lit.right = x;
      if (lit.top < 0) lit.top = y;
      lit.bottom = y;
    }
  return lit;
}

// A world without a camera of its own is seen from in front, far enough
// for the whole of it, whatever node holds it at the top: a plate 3, 30 or
// 300 wide lies inside the view and spans a good part of it, and a Group,
// an inline world and a Separator of one plate give one picture.
TEST(Worldshot, TheHomeViewFramesTheWorldWhateverHoldsIt) {
  const TempFolder temp("worldshot_home");
  const std::filesystem::path folder = temp.path();
  for (int size : {3, 30, 300}) {
    SCOPED_TRACE(size);
    const std::string plate = "Cube { width " + std::to_string(size) + " height " + std::to_string(size) + " depth 1 }";
    const std::string group = "group" + std::to_string(size) + ".wrl";
    const std::vector<std::pair<std::string, std::string>> worlds = {
        {group, "Group { " + plate + " }"},
        {"inline" + std::to_string(size) + ".wrl", "WWWInline { name \"" + group + "\" }"},
        {"separator" + std::to_string(size) + ".wrl", "Separator { " + plate + " }"},
    };
    for (const auto& [name, body] : worlds) std::ofstream(folder / name) << "#VRML V1.0 ascii\n" << body << "\n";
    std::vector<uint8_t> first;
    for (const auto& [name, body] : worlds) {
      SCOPED_TRACE(name);
      const Shot shot = shoot((folder / name).string(), "--size 160x120");
      const LitRectangle lit = litRectangle(shot.file);
      ASSERT_GE(lit.left, 0) << "nothing drawn";
      EXPECT_GT(lit.left, 0);
      EXPECT_GT(lit.top, 0);
      EXPECT_LT(lit.right, lit.width - 1);
      EXPECT_LT(lit.bottom, lit.height - 1);
      EXPECT_GE(10 * (lit.right - lit.left + 1), lit.width);
      EXPECT_GE(10 * (lit.bottom - lit.top + 1), lit.height);
      if (first.empty()) first = shot.file;
      EXPECT_TRUE(shot.file == first) << "not the picture of " << worlds[0].first;
    }
  }
}

}  // namespace

namespace examples {

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


TEST(Worldshot, ExampleWorldsGiveTheSamePixelsEveryTime) {
  for (const char* name : {"hello.wrl", "gallery.wrl", "choices.wrl"}) {
    const std::string world = std::string(LUMENFOLD_SOURCE_DIR) + "/examples/" + name;
    const auto first = tool_runner::runTool("worldshot", "--size 160x120 " + quoted(world));
    const auto second = tool_runner::runTool("worldshot", "--size 160x120 --depth 16 " + quoted(world));
    ASSERT_EQ(first.status, 0) << name << first.output;
    EXPECT_FALSE(checksumOf(first.output).empty()) << first.output;
    EXPECT_EQ(checksumOf(first.output), checksumOf(second.output)) << name;
    EXPECT_GT(coveredOf(first.output), 5.0) << name << ": the world is drawn, not only its background";
  }
}

TEST(Worldshot, ColourDepthsShowTheSameWorld) {
  const std::string world = std::string(LUMENFOLD_SOURCE_DIR) + "/examples/hello.wrl";
  for (const char* depth : {"8", "15"}) {
    const auto run = tool_runner::runTool("worldshot", std::string("--size 160x120 --depth ") + depth + " " + quoted(world));
    ASSERT_EQ(run.status, 0) << depth << run.output;
    EXPECT_GT(coveredOf(run.output), 5.0) << depth;
  }
}

TEST(Worldshot, EveryWorldOfTheProjectIsDrawnWithoutAFatalError) {
  std::vector<std::string> worlds = worldsUnder(std::string(LUMENFOLD_SOURCE_DIR) + "/examples");
  for (const char* layer : {"viewer", "vrml", "vrmlwrite"})
    for (const std::string& world : worldsUnder(std::string(LUMENFOLD_SOURCE_DIR) + "/tests/" + layer + "/data"))
      worlds.push_back(world);
  ASSERT_GT(worlds.size(), 40u);
  for (const std::string& world : worlds) {
    const auto run = tool_runner::runTool("worldshot", "--size 64x48 " + quoted(world));
    EXPECT_EQ(run.status, 0) << world << "\n" << run.output << run.errors;
    EXPECT_EQ(run.output.find("Fatal Error"), std::string::npos) << world << "\n" << run.output;
  }
}

}  // namespace examples
