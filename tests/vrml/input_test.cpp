// tests/vrml/input_test.cpp -- the header check, characters, comments and
// token readers of QvInput.
#include <cmath>
#include <string>

#include "tests/vrml/vrml_fixture.h"

class InputTest : public VrmlTest {};

TEST_F(InputTest, HeaderVariants) {
  struct Case {
    const char* text;
    bool ok;
    const char* shownAsRead;
  } cases[] = {
      {"#VRML V1.0 ascii\r\nCube { }\r\n", true, nullptr},
      {"\n\n  #VRML V1.0 ascii\nCube { }", true, nullptr},
      {"#VRML V1.0 ascii \nCube { }", false, "NG:   #VRML V1.0 ascii \n"},
      {"#VRML V1.0 utf8\nCube { }", false, "NG:   #VRML V1.0 utf8\n"},
      {"#vrml v1.0 ascii\nCube { }", false, "NG:   #vrml v1.0 ascii\n"},
      {"", false, "NG:   The header string is not found."},
      {"Separator { }", false, "NG:   The header string is not found."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    messages().clear();
    qvReleaseNodes(nodes);
    EXPECT_EQ(parse(c.text), c.ok ? 0 : -1);
    if (c.ok) {
      EXPECT_TRUE(messages().empty()) << allMessages();
    } else {
      EXPECT_TRUE(sawMessage("File does not have a valid header string.")) << allMessages();
      EXPECT_TRUE(sawMessage(c.shownAsRead)) << allMessages();
      EXPECT_TRUE(sawMessage("OK:   #VRML V1.0 ascii")) << allMessages();
    }
  }
}

TEST_F(InputTest, LinesBeforeTheHeaderAreNotCounted) {
  QvInput& in = inputOn("\n\n\n#VRML V1.0 ascii\nword");
  QvString word;
  ASSERT_TRUE(in.read(word));
  EXPECT_STREQ(word.getString(), "word");
  EXPECT_EQ(in.getLineNum(), 2);
}

TEST_F(InputTest, ReadErrorsNameFileAndLine) {
  QvInput& in = inputOn("#VRML V1.0 ascii\n\n\nx");
  char c;
  ASSERT_TRUE(in.read(c));
  QvReadError::post(kQvReadErrorLevel, &in, "Something %d", 7);
  ASSERT_FALSE(messages().empty());
  const std::string& text = messages().back();
  EXPECT_EQ(text.rfind("VRML read error: Something 7\n\tfile: test", 0), 0u) << text;
  EXPECT_NE(text.find(".wrl\n\tOccurred at line 4\n"), std::string::npos) << text;
}

TEST_F(InputTest, CommentsAndEndOfInputInAComment) {
  QvInput& in = inputOn("#VRML V1.0 ascii\n# one\n  # two\nword # trailing");
  QvString word;
  ASSERT_TRUE(in.read(word));
  EXPECT_STREQ(word.getString(), "word");
  EXPECT_EQ(in.getLineNum(), 4);
  EXPECT_TRUE(in.skipWhiteSpace());
  EXPECT_TRUE(sawMessage("EOF reached before end of comment"));
  EXPECT_EQ(QvReadError::getLevel(), kQvEndOfInputLevel);
}

TEST_F(InputTest, StringsWordsAndEscapes) {
  QvInput& in = inputOn("#VRML V1.0 ascii\n\"a\\\"b\" \"a\\nb\" abc} \"two\nlines\" \"open");
  const char* expected[] = {"a\"b", "a\\nb", "abc}", "two\nlines", "open"};
  for (const char* text : expected) {
    QvString s;
    ASSERT_TRUE(in.read(s));
    EXPECT_STREQ(s.getString(), text);
  }
  EXPECT_EQ(in.getLineNum(), 3);
  QvString none;
  EXPECT_FALSE(in.read(none));
}

TEST_F(InputTest, LongStringsAreKeptWhole) {
  std::string longText(100000, 'x');
  QvInput& in = inputOn("#VRML V1.0 ascii\n\"" + longText + "\"");
  QvString s;
  ASSERT_TRUE(in.read(s));
  EXPECT_EQ(s.getString(), longText);
}

TEST_F(InputTest, IdentifiersThatStartWithADigitAreEmpty) {
  QvInput& in = inputOn("#VRML V1.0 ascii\n1abc _ok9 rest");
  QvName name;
  ASSERT_TRUE(in.read(name, true));
  EXPECT_TRUE(name.isEmpty());
  QvString word;
  ASSERT_TRUE(in.read(word));
  EXPECT_STREQ(word.getString(), "1abc");
  ASSERT_TRUE(in.read(name, true));
  EXPECT_TRUE(name == "_ok9");
}

TEST_F(InputTest, OverlongIdentifierIsSplitWithAWarning) {
  std::string ident(300, 'a');
  QvInput& in = inputOn("#VRML V1.0 ascii\n" + ident);
  QvName name;
  ASSERT_TRUE(in.read(name, true));
  EXPECT_EQ(name.getLength(), 255);
  EXPECT_TRUE(sawMessage("QvInput::read() : buffer 256 size is overflow."));
  ASSERT_TRUE(in.read(name, true));
  EXPECT_EQ(name.getLength(), 45);
}

TEST_F(InputTest, Integers) {
  struct Case {
    const char* text;
    bool ok;
    long value;
  } cases[] = {
      {"0x1F", true, 31}, {"017", true, 15}, {"-12", true, -12}, {"+7", true, 7},
      {"0X1F", true, 0},  {"09", true, 0},   {"0x", false, 0},  {"abc", false, 0},
      {"-", false, 0},
      // Decimals on both sides of the 18 digits converted without a library call.
      {"0", true, 0}, {"-0", true, 0}, {"123456789012345678", true, 123456789012345678L},
      {"-999999999999999999", true, -999999999999999999L}, {"1234567890123456789", true, 1234567890123456789L},
      {"-9223372036854775808", true, -9223372036854775807L - 1},
  };
  // At the end of the input, and followed by more of a list as in a file.
  for (const Case& c : cases) {
    for (const char* after : {"", ", 5"}) {
      SCOPED_TRACE(std::string(c.text) + after);
      QvInput& in = inputOn(std::string("#VRML V1.0 ascii\n") + c.text + after);
      long value = -999;
      EXPECT_EQ(in.read(value), c.ok);
      EXPECT_EQ(value, c.ok ? c.value : -999);
      // Every number is read whole but "0X1F": a capital X makes no hex.
      const char rest = std::string(c.text) == "0X1F" ? 'X' : ',';
      char next = 0;
      if (c.ok && *after != '\0') {
        EXPECT_TRUE(in.read(next) && next == rest);
      }
    }
  }
}

TEST_F(InputTest, Reals) {
  struct Case {
    const char* text;
    bool ok;
    double value;
  } cases[] = {
      {"1.", true, 1.0},      {".5", true, 0.5},   {"-2.5e+2", true, -250.0}, {"+3E-1", true, 0.3},
      {"7", true, 7.0},       {".", false, 0},     {"e5", false, 0},          {"1e", false, 0},
      {"1e+", false, 0},
  };
  for (const Case& c : cases) {
    for (const char* after : {"", " ]"}) {
      SCOPED_TRACE(std::string(c.text) + after);
      QvInput& in = inputOn(std::string("#VRML V1.0 ascii\n") + c.text + after);
      double value = -999;
      EXPECT_EQ(in.read(value), c.ok);
      EXPECT_DOUBLE_EQ(value, c.ok ? c.value : -999);
      char next = 0;
      if (c.ok && *after != '\0') {
        EXPECT_TRUE(in.read(next) && next == ']');
      }
    }
  }
}

// The file is read in blocks of 64 KB; a number may start in one and end in
// the next, or have a carriage return inside, which the reader drops.
TEST_F(InputTest, NumbersAcrossBlockEndsAndCarriageReturns) {
  const std::string header = "#VRML V1.0 ascii\n";
  constexpr size_t kBlock = 64 * 1024;
  for (size_t cut = 0; cut < 12; ++cut) {
    SCOPED_TRACE(cut);
    std::string text = header + std::string(kBlock - header.size() - cut, ' ') + "-1234.5e-1 -987654 0, 0x1F";
    QvInput& in = inputOn(text);
    double real = 0;
    long integer = 0, zero = -1, hex = 0;
    char comma = 0;
    ASSERT_TRUE(in.read(real) && in.read(integer) && in.read(zero) && in.read(comma) && in.read(hex));
    EXPECT_DOUBLE_EQ(real, -123.45);
    EXPECT_EQ(integer, -987654);
    EXPECT_EQ(zero, 0);
    EXPECT_EQ(comma, ',');
    EXPECT_EQ(hex, 31);
  }
  QvInput& in = inputOn(header + "12\r34 5.\r25 \r\n7");
  long first = 0, last = 0;
  double second = 0;
  ASSERT_TRUE(in.read(first) && in.read(second) && in.read(last));
  EXPECT_EQ(first, 1234);
  EXPECT_DOUBLE_EQ(second, 5.25);
  EXPECT_EQ(last, 7);
}

TEST_F(InputTest, OverlongNumberIsAReadErrorAndConsumed) {
  std::string digits(QvInput::kMaxNumberText + 50, '1');
  QvInput& in = inputOn("#VRML V1.0 ascii\n" + digits + " 5");
  double real;
  EXPECT_FALSE(in.read(real));
  EXPECT_TRUE(sawMessage("Number text longer than 127 characters"));
  long after;
  ASSERT_TRUE(in.read(after));
  EXPECT_EQ(after, 5);

  QvInput& exact = inputOn("#VRML V1.0 ascii\n" + std::string(QvInput::kMaxNumberText, '0'));
  long zero = -1;
  EXPECT_TRUE(exact.read(zero));
  EXPECT_EQ(zero, 0);
}

TEST_F(InputTest, OutOfRangeIntegerIsReportedAndKept) {
  QvInput& in = inputOn("#VRML V1.0 ascii\n99999999999999999999999");
  long value;
  EXPECT_TRUE(in.read(value));
  EXPECT_EQ(value, LONG_MAX);
  EXPECT_TRUE(sawMessage("QvInput::readInteger(): strtol() returns"));

  QvInput& reals = inputOn("#VRML V1.0 ascii\n1e999");
  float huge;
  EXPECT_TRUE(reals.read(huge));
  EXPECT_TRUE(std::isinf(huge));
  EXPECT_TRUE(sawMessage("QvInput::readReal(): atof() returns"));
}

TEST_F(InputTest, PushedBackStringComesFirst) {
  QvInput& in = inputOn("#VRML V1.0 ascii\nxyz");
  char c;
  ASSERT_TRUE(in.read(c));
  EXPECT_EQ(c, 'x');
  in.putBack("ab");
  ASSERT_TRUE(in.get(c));
  EXPECT_EQ(c, 'a');
  in.putBack(c);
  ASSERT_TRUE(in.get(c));
  EXPECT_EQ(c, 'a');
  ASSERT_TRUE(in.get(c));
  EXPECT_EQ(c, 'b');
  ASSERT_TRUE(in.get(c));
  EXPECT_EQ(c, 'y');
}

TEST_F(InputTest, IsDataInFile) {
  const std::pair<std::string, int> cases[] = {
      {"", 0},
      {"  12 } ;\n# a comment with words\n\n", 0},
      {"\n# " + std::string(300, 'w') + "\n", 0},
      {" 3 { Cube", 1},
  };
  for (const auto& [rest, expected] : cases) {
    SCOPED_TRACE(rest);
    QvInput& in = inputOn("#VRML V1.0 ascii\nCube { }" + rest);
    QvNode* node;
    ASSERT_TRUE(QvDB::read(&in, node));
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(in.isDataInFile(), expected);
    node->unref();
  }
}

TEST_F(InputTest, ArbitraryBytesNeverCrashTheReader) {
  // A deterministic scramble of the characters the grammar cares about.
  const char alphabet[] = "{}[](),|~#\"\\ \n\r\t0123456789.-+exXDEFUSEabcSeparatorCube\xff\x80";
  uint32_t seed = 12345;
  for (int round = 0; round < 200; ++round) {
    std::string text = "#VRML V1.0 ascii\n";
    for (int i = 0; i < 400; ++i) {
      seed = seed * 1103515245u + 12345u;
      text += alphabet[(seed >> 16) % (sizeof alphabet - 1)];
    }
    int result = parse(text);
    EXPECT_TRUE(result == 0 || result == -1);
    if (result == 0) {
      EXPECT_FALSE(nodes.empty());
    }
    dump();
    qvReleaseNodes(nodes);
  }
}

namespace {
char fakeEntry;  // stands for a URL-table entry of the loading layer
ZmUrlHash* fakeLoad(const char*) { return reinterpret_cast<ZmUrlHash*>(&fakeEntry); }
ZmUrlHash* failingLoad(const char*) { return nullptr; }
const char* fakeUrl(ZmUrlHash*) { return "http://host/world.wrl"; }
}  // namespace

TEST_F(InputTest, FileNamesComeFromTheUrlTableWhenThereIsOne) {
  vrmlHooks.loading->wwwLoadFile = fakeLoad;
  vrmlHooks.loading->getUrl = fakeUrl;
  EXPECT_EQ(parseBody("Cube { foo }"), 0);  // an unknown field is reported, not fatal
  EXPECT_TRUE(sawMessage("\tfile: http://host/world.wrl\n")) << allMessages();

  messages().clear();
  vrmlHooks.loading->wwwLoadFile = failingLoad;
  QvInput& in = inputOn("#VRML V1.0 ascii\n");
  EXPECT_EQ(in.getCurFile(), nullptr);
  EXPECT_TRUE(sawMessage("QvInput::setFileName(): zmWwwLoadFile() failed."));
  EXPECT_TRUE(sawMessage("QvInput::QvInput(): setFileName() failed."));
  vrmlHooks.loading->wwwLoadFile = kVrmlLoadingDefaults.wwwLoadFile;
  vrmlHooks.loading->getUrl = kVrmlLoadingDefaults.getUrl;

  QvInput unnamed(nullptr, nullptr);
  EXPECT_EQ(unnamed.getCurFileName(), nullptr);
  EXPECT_TRUE(sawMessage("QvInput::setFileName(): argument pointer to filename is null."));
}
