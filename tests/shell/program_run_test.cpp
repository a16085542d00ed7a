// tests/shell/program_run_test.cpp -- the program run as a command: a world
// named relative to the current folder drawn for a counted number of
// frames, its view written out, the frame lines of "-dframerate", a count
// that cannot be met and a display that cannot be opened.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "tests/tool_runner.h"

namespace {

const std::string kProgram = "../shell/lumenfold";

// The program's user folder is a folder of the test's own.
class ProgramRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home = std::filesystem::temp_directory_path() / ("lf-run-" + std::to_string(getpid()));
    std::filesystem::create_directories(home);
    setenv("LUMENFOLD_HOME", home.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("LUMENFOLD_HOME");
    std::filesystem::remove_all(home);
  }
  std::string home;
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

}  // namespace
