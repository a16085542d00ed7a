// tests/shell/cmdline_test.cpp -- splitting the command line into words and
// scanning its options.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/report.h"
#include "shell/cmdline.h"

namespace {

std::vector<std::string> words() {
  std::vector<std::string> out;
  for (int i = 1; i < zmShell.commandLine.argc; ++i) out.emplace_back(zmShell.commandLine.argv[i]);
  return out;
}

struct SplitCase {
  std::string text;
  std::vector<std::string> words;
};

TEST(CommandLineTest, SplitsAtEveryKindOfWhiteSpaceWithoutQuoting) {
  const SplitCase cases[] = {
      {"", {}},
      {" \t\r\n ", {}},
      {"a.wrl", {"a.wrl"}},
      {"  -dname\ta.wrl\v\fb.wrl  ", {"-dname", "a.wrl", "b.wrl"}},
      {"my world.wrl", {"my", "world.wrl"}},
      {"\"my world.wrl\"", {"\"my", "world.wrl\""}},
  };
  for (const SplitCase& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(zmSplitCommandLine(text.data()), static_cast<int>(c.words.size()) + 1) << c.text;
    EXPECT_EQ(words(), c.words) << c.text;
    EXPECT_EQ(zmShell.commandLine.argv[0], nullptr);
  }
}

TEST(CommandLineTest, TakesThirtyOneWordsAndLeavesTheRestUncut) {
  std::string text;
  for (int i = 1; i <= 40; ++i) text += "w" + std::to_string(i) + " ";
  EXPECT_EQ(zmSplitCommandLine(text.data()), ZM_ARG_SLOTS);
  EXPECT_STREQ(zmShell.commandLine.argv[ZM_ARG_SLOTS - 1], "w31");
  // The 32nd word is still joined to the rest of the text.
  EXPECT_STREQ(zmShell.commandLine.argv[ZM_ARG_SLOTS - 1] + 4, "w32 w33 w34 w35 w36 w37 w38 w39 w40 ");
}

class OptionScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zmResetOptions();
    zmResetReportStateForTest();
  }
  void TearDown() override { SetUp(); }

  const char* scan(const char* line) {
    text = line;
    zmSplitCommandLine(text.data());
    return zmScanOptions();
  }
  std::string text;
};

TEST_F(OptionScanTest, OptionsSetTheirFlagsAndTheFirstOtherWordIsTheWorld) {
  struct Case {
    const char* line;
    const char* world;  // null: none
    int nextIndex;
    int dname, dcomment, dscouter, dframerate, memdbg;
  };
  const Case cases[] = {
      {"", nullptr, 1, 0, 0, 0, 0, 0},
      {"-dname -dcomment -dscouter", nullptr, 4, 1, 1, 1, 0, 0},
      {"-dframerate -memdbg a.wrl b.wrl", "a.wrl", 4, 0, 0, 0, 1, 1},
      {"a.wrl -dframerate", "a.wrl", 2, 0, 0, 0, 0, 0},  // options after the world stay words
      {"-x a.wrl", "-x", 2, 0, 0, 0, 0, 0},              // an unknown option is the world
      {"-DNAME a.wrl", "-DNAME", 2, 0, 0, 0, 0, 0},      // case matters
  };
  for (const Case& c : cases) {
    zmResetOptions();
    const char* world = scan(c.line);
    if (c.world == nullptr)
      EXPECT_EQ(world, nullptr) << c.line;
    else
      EXPECT_STREQ(world, c.world) << c.line;
    EXPECT_EQ(zmShell.commandLine.argIndex, c.nextIndex) << c.line;
    EXPECT_EQ(zmShell.options.dname, c.dname) << c.line;
    EXPECT_EQ(zmShell.options.dcomment, c.dcomment) << c.line;
    EXPECT_EQ(zmShell.options.dscouter, c.dscouter) << c.line;
    EXPECT_EQ(zmShell.options.dframerate, c.dframerate) << c.line;
    EXPECT_EQ(zmShell.options.memdbg, c.memdbg) << c.line;
  }
}

TEST_F(OptionScanTest, FlagListRunsToTheNextOptionOrTheEnd) {
  EXPECT_EQ(scan("-dflags zmdebug rwdebug"), nullptr);
  EXPECT_TRUE(zmGetFlag(ZM_FLAG_ZMDEBUG));
  EXPECT_TRUE(zmGetFlag(ZM_FLAG_RWDEBUG));

  SetUp();
  EXPECT_STREQ(scan("-dflags zmdebug -dframerate world.wrl"), "world.wrl");
  EXPECT_TRUE(zmGetFlag(ZM_FLAG_ZMDEBUG));
  EXPECT_FALSE(zmGetFlag(ZM_FLAG_RWDEBUG));
  EXPECT_EQ(zmShell.options.dframerate, 1);
}

TEST_F(OptionScanTest, AWordNamingNoFlagEndsTheFlagListAsTheWorld) {
  EXPECT_STREQ(scan("-dflags warning broken.wrl next.wrl"), "broken.wrl");
  EXPECT_TRUE(zmGetFlag(ZM_FLAG_WARNING));
  EXPECT_EQ(zmShell.commandLine.argIndex, 4);  // next.wrl is opened after the world

  SetUp();
  EXPECT_STREQ(scan("-dflags rwdebug Warning qvdebug"), "Warning");  // names are case-sensitive
  EXPECT_TRUE(zmGetFlag(ZM_FLAG_RWDEBUG));
  EXPECT_FALSE(zmGetFlag(ZM_FLAG_QVDEBUG));
}

TEST_F(OptionScanTest, ArgumentsAreTakenAsTheyComeBlanksAndAll) {
  std::string words[] = {"-dframerate", "examples with space/hello.wrl", "second world.wrl"};
  char* argv[] = {words[0].data(), words[1].data(), words[2].data()};
  EXPECT_EQ(zmTakeArguments(3, argv), 4);
  EXPECT_STREQ(zmScanOptions(), "examples with space/hello.wrl");
  EXPECT_EQ(zmShell.options.dframerate, 1);
  EXPECT_STREQ(zmShell.commandLine.argv[zmShell.commandLine.argIndex], "second world.wrl");

  // The table is bounded as the splitter bounds it.
  std::vector<std::string> many(40, "w.wrl");
  std::vector<char*> manyArgv;
  for (std::string& word : many) manyArgv.push_back(word.data());
  EXPECT_EQ(zmTakeArguments(static_cast<int>(manyArgv.size()), manyArgv.data()), ZM_ARG_SLOTS);
}

}  // namespace
