// tests/shell/program_run_test.cpp -- the program run as a command: a world
// named relative to the current folder drawn for a counted number of
// frames, its view written out, the frame lines of "-dframerate", a count
// that cannot be met (no world, or one that cannot be had), a world whose
// name has blanks and a display that cannot be opened; and worldshot
// drawing what the program draws.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "tests/tool_runner.h"
#include "tests/temp_folder.h"

namespace {

const std::string kProgram = "../shell/lumenfold";

// The program's user folder is a folder of the test's own.
class ProgramRunTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("LUMENFOLD_HOME", home.c_str(), 1); }
  void TearDown() override { unsetenv("LUMENFOLD_HOME"); }
  TempFolder temp{"lf-run"};
  std::string home = temp.path();
};

TEST_F(ProgramRunTest, CountedFramesOfARelativeWorldAreTimedAndTheViewWritten) {
  const std::string shot = home + "/view.bmp";
  const tool_runner::ToolRun run = tool_runner::runTool(
      kProgram, "--headless --frames 3 --screenshot '" + shot + "' hello.wrl", LUMENFOLD_SOURCE_DIR "/examples");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_TRUE(std::regex_match(run.output, std::regex("frames 3 ms/frame [0-9]+\\.[0-9]{3} tick [0-9]+\\.[0-9]{3} fps [0-9]+\\.[0-9] chat 0\n"))) << run.output;

  std::ifstream file(shot, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 54u);
  ASSERT_EQ(std::string(bytes.data(), 2), "BM");
  // The world's floor and cube cover much of the black view.
  const long lit = std::count_if(bytes.begin() + 54, bytes.end(), [](char b) { return b != 0; });
  EXPECT_GT(lit, static_cast<long>(bytes.size() - 54) / 5);
}

// Each frame after the first says what its whole tick cost beside its
// rendering, in the program thread's processor time.
TEST_F(ProgramRunTest, FrameRateLinesGiveEachTicksCostAfterTheFirstFrame) {
  const tool_runner::ToolRun run =
      tool_runner::runTool(kProgram, "--headless --frames 3 -dframerate hello.wrl", LUMENFOLD_SOURCE_DIR "/examples");
  EXPECT_EQ(run.status, 0) << run.errors;
  const std::regex timing("Rendering +[0-9]+ msec\\. Other.*\n");
  const std::regex cost("Tick ([0-9]+\\.[0-9]{3}) msec\\. CPU: rendering ([0-9]+\\.[0-9]{3}) msec\\., the rest ([0-9]+\\.[0-9]{3}) msec\\.\n");
  EXPECT_EQ(std::distance(std::sregex_iterator(run.errors.begin(), run.errors.end(), timing), std::sregex_iterator()), 3)
      << run.errors;
  int costs = 0;
  for (auto it = std::sregex_iterator(run.errors.begin(), run.errors.end(), cost); it != std::sregex_iterator(); ++it) {
    const double tick = std::stod((*it)[1]), rendering = std::stod((*it)[2]), rest = std::stod((*it)[3]);
    EXPECT_GE(tick, rendering) << it->str();
    EXPECT_NEAR(rest, tick - rendering, 0.002) << it->str();
    costs++;
  }
  EXPECT_EQ(costs, 2) << run.errors;
}

TEST_F(ProgramRunTest, FramesThatCannotBeCountedEndTheRunWithFailure) {
  const tool_runner::ToolRun run = tool_runner::runTool(kProgram, "--headless --frames 3");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.errors.find("--frames needs a world that can be read"), std::string::npos) << run.errors;
}

// A world that cannot be had ends a counted run at once, saying why on
// standard error (the Messages window of a headless run is seen by nobody);
// a word after "-dflags" that names no flag is the world.
TEST_F(ProgramRunTest, AWorldThatCannotBeHadEndsACountedRunWithFailureAndSaysWhy) {
  std::ofstream(home + "/broken.wrl") << "not a world\n";
  const struct {
    std::string arguments;
    std::vector<std::string> said;
  } cases[] = {
      {"-dflags warning broken.wrl",
       {"VRML read error", "file://" + home + "/broken.wrl: cannot be read as a VRML 1.0 world"}},
      {"/no/such.wrl", {"file:///no/such.wrl: cannot be read: No such file or directory"}},
  };
  for (const auto& c : cases) {
    const tool_runner::ToolRun run = tool_runner::runTool(kProgram, "--headless --frames 5 " + c.arguments, home);
    EXPECT_EQ(run.status, 1) << c.arguments;
    for (const std::string& text : c.said) EXPECT_NE(run.errors.find(text), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("--frames needs a world that can be read"), std::string::npos) << run.errors;
  }
}

TEST_F(ProgramRunTest, AWorldWhoseNameHasBlanksIsOneArgument) {
  const std::string folder = home + "/examples with space";
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(LUMENFOLD_SOURCE_DIR "/examples/hello.wrl", folder + "/hello.wrl");
  const tool_runner::ToolRun run =
      tool_runner::runTool(kProgram, "--headless --frames 2 'examples with space/hello.wrl'", home);
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.output.rfind("frames 2 ", 0), 0u) << run.output;
}

TEST_F(ProgramRunTest, ADisplayThatCannotBeOpenedEndsTheRunWithFailure) {
  const char* kept = std::getenv("DISPLAY");
  const std::string display = kept != nullptr ? kept : "";
  setenv("DISPLAY", ":4093", 1);  // no server there
  const tool_runner::ToolRun run = tool_runner::runTool(kProgram, "hello.wrl", LUMENFOLD_SOURCE_DIR "/examples");
  if (kept != nullptr) {
    setenv("DISPLAY", display.c_str(), 1);
  } else {
    unsetenv("DISPLAY");
  }
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.errors.find("lumenfold: cannot open the display :4093"), std::string::npos) << run.errors;
}

std::vector<uint8_t> readBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

uint32_t littleEndian(const std::vector<uint8_t>& bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t{bytes[at + 3]} << 24;
}

// worldshot's checksum (FNV-1a over red, green and blue of the shown pixels,
// rows from the top) of a 24-bit BMP the program wrote.
std::string checksumOfBmp(const std::vector<uint8_t>& bmp) {
  const long width = littleEndian(bmp, 18), height = littleEndian(bmp, 22);
  const size_t row = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  uint32_t hash = 2166136261u;
  for (long y = 0; y < height; ++y) {
    const size_t start = littleEndian(bmp, 10) + static_cast<size_t>(height - 1 - y) * row;
    for (long x = 0; x < width; ++x)
      for (int channel : {2, 1, 0}) hash = (hash ^ bmp[start + 3 * static_cast<size_t>(x) + channel]) * 16777619u;
  }
  char text[32];
  std::snprintf(text, sizeof text, "checksum 0x%08x", hash);
  return text;
}

// The program's first frame of a world of the shell's fixtures, and
// worldshot's picture of it in a view of the same size.
struct TwoPictures {
  std::vector<uint8_t> program, worldshot;
  std::string worldshotOutput;
};

TwoPictures drawBoth(const std::string& home, const char* world, const std::string& worldshotOptions) {
  TwoPictures pictures;
  const std::string programShot = home + "/program.bmp", worldShot = home + "/worldshot.bmp";
  const tool_runner::ToolRun program = tool_runner::runTool(
      kProgram, "--headless --frames 1 --screenshot '" + programShot + "' " + world, LUMENFOLD_TEST_DATA);
  EXPECT_EQ(program.status, 0) << program.errors;
  pictures.program = readBytes(programShot);
  if (pictures.program.size() < 54) return pictures;
  const std::string size =
      std::to_string(littleEndian(pictures.program, 18)) + "x" + std::to_string(littleEndian(pictures.program, 22));
  const tool_runner::ToolRun shot = tool_runner::runTool(
      "worldshot", "--size " + size + " " + worldshotOptions + " --out '" + worldShot + "' " + world,
      LUMENFOLD_TEST_DATA);
  EXPECT_EQ(shot.status, 0) << shot.output << shot.errors;
  pictures.worldshot = readBytes(worldShot);
  pictures.worldshotOutput = shot.output;
  return pictures;
}

// A world camera that looks down keeps looking down in the program from
// the first frame on, as worldshot shows the world through that camera.
TEST_F(ProgramRunTest, TheWorldCamerasTiltIsKeptFromTheFirstFrame) {
  const TwoPictures pictures = drawBoth(home, "tilted.wrl", "--own-camera");
  ASSERT_GT(pictures.program.size(), 54u);
  EXPECT_TRUE(pictures.program == pictures.worldshot);
}

// Looking straight up, the view keeps looking up (as far as navigation
// tilts a view) and shows the plate overhead rather than the empty horizon.
TEST_F(ProgramRunTest, AWorldCameraLookingStraightUpShowsWhatIsAbove) {
  const std::string shot = home + "/up.bmp";
  const tool_runner::ToolRun run = tool_runner::runTool(
      kProgram, "--headless --frames 2 --screenshot '" + shot + "' overhead.wrl", LUMENFOLD_TEST_DATA);
  ASSERT_EQ(run.status, 0) << run.errors;
  const std::vector<uint8_t> bytes = readBytes(shot);
  ASSERT_GT(bytes.size(), 54u);
  const long lit = std::count_if(bytes.begin() + 54, bytes.end(), [](uint8_t b) { return b != 0; });
  EXPECT_GT(lit, static_cast<long>(bytes.size() - 54) / 10);
}

// worldshot fetches and converts a world's JPEG images as the program does,
// so its picture and checksum of a textured world are the program's.
TEST_F(ProgramRunTest, WorldshotDrawsAJpegTexturedWorldAsTheProgramDoes) {
  const TwoPictures pictures = drawBoth(home, "jpeg_textured.wrl", "");
  ASSERT_GT(pictures.program.size(), 54u);
  EXPECT_NE(pictures.worldshotOutput.find(checksumOfBmp(pictures.program)), std::string::npos)
      << pictures.worldshotOutput << " against the program's " << checksumOfBmp(pictures.program);
  EXPECT_EQ(checksumOfBmp(pictures.worldshot), checksumOfBmp(pictures.program));
}

}  // namespace
