// tests/vrmlwrite/format_test.cpp -- number texts, default tests, headers,
// words and aligned lists of the writer.
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstring>
#include <random>

#include "tests/vrmlwrite/writer_fixture.h"
#include "vrmlwrite/qvdumps.h"

using FormatTest = WriterTest;

TEST_F(FormatTest, FloatsPrintWithTheFewestDecimalsThatReadBack) {
  struct Case {
    float value;
    const char* text;
  } cases[] = {
      {0.1f, "0.1"},         {2.0f, "2"},           {100.0f, "100"},          {-0.0004f, "-0.0004"},
      {1.2499999f, "1.2499999"}, {1.5f, "1.5"},      {0.7853982f, "0.7853982"}, {0.0003f, "0.0003"},
      {-0.0f, "-0"},         {1e-8f, "0.00000001"}, {16777216.0f, "16777216"},
  };
  for (const Case& c : cases) EXPECT_EQ(dumpFloatText(c.value), c.text) << c.value;
  QvTdouble converted = 0;
  zmDumpFloat2Double(0.1f, &converted);
  EXPECT_EQ(converted, static_cast<double>(0.1f));
  EXPECT_EQ(dumpNumberText(1.0 / 3.0), dumpFloatText(1.0f / 3.0f));
}

// Every float, however small or large, comes back from its text as the
// reader reads numbers: a double, kept as a float.
TEST_F(FormatTest, EveryFloatReadsBackFromItsText) {
  std::mt19937 random(7);
  for (int i = 0; i < 20000; ++i) {
    const uint32_t bits = random();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) continue;
    const std::string text = dumpFloatText(value);
    double read = 0.0;
    ASSERT_EQ(std::from_chars(text.data(), text.data() + text.size(), read).ptr, text.data() + text.size()) << text;
    ASSERT_EQ(static_cast<float>(read), value) << text;
    ASSERT_EQ(text.find_first_of("eE"), std::string::npos) << text;
  }
}

TEST_F(FormatTest, NumbersIgnoreTheProcessLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = previous ? previous : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr && std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") == nullptr)
    GTEST_SKIP() << "no locale with a decimal comma installed";
  EXPECT_EQ(dumpFloatText(1.5f), "1.5");
  EXPECT_EQ(dumpToDouble(0.25f), 0.25);
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST_F(FormatTest, NullOutputOfTheConversionIsWarned) {
  zmDumpFloat2Double(1.0f, nullptr);
  EXPECT_TRUE(sawMessage("zmDumpFloat2Double(): argument pointer to QvTdouble is null."));
}

TEST_F(FormatTest, Widths) {
  EXPECT_EQ(dumpIntWidth("-12.25"), 3);
  EXPECT_EQ(dumpDecWidth("-12.25"), 2);
  EXPECT_EQ(dumpIntWidth("7"), 1);
  EXPECT_EQ(dumpDecWidth("7"), 0);
}

TEST_F(FormatTest, FieldsEqualOnlyWhenTheyReadBackAlike) {
  EXPECT_TRUE(dumpIsNotEqual(-0.0004, 0.0));
  EXPECT_TRUE(dumpIsNotEqual(0.1004, 0.1));
  EXPECT_TRUE(dumpIsNotEqual(2.0001, 2.0));
  EXPECT_FALSE(dumpIsNotEqual(0.1f, 0.1));
  ZmSFColor grey = {0.8f, 0.8f, 0.8f};
  ZmSFColor two[2] = {grey, grey};
  ZmMFColor one = {1, &grey}, pair = {2, two}, none = {0, nullptr};
  EXPECT_TRUE(dumpIsDefaultMFColor(&one, 0.8, 0.8, 0.8));
  EXPECT_FALSE(dumpIsDefaultMFColor(&pair, 0.8, 0.8, 0.8));
  EXPECT_FALSE(dumpIsDefaultMFColor(&none, 0.8, 0.8, 0.8));
  // Worked-out turns are compared to six decimals: float rounding is no turn,
  // a small turn is one.
  EXPECT_TRUE(dumpIsNoRotation(0, 0, 0, 0.0000004));
  EXPECT_FALSE(dumpIsNoRotation(0, 0, 0, 0.00004));
  EXPECT_FALSE(dumpIsNoRotation(0, 0, 1, 0.0));
}

TEST_F(FormatTest, NodeHeadersQuoteNamesWithBlanks) {
  startCapture();
  zmDumpEmptyNode(dump, "my box", "Cube");
  zmDumpEmptyNode(dump, "box", "Cube");
  zmDumpEmptyNode(dump, "", "Cube");
  zmDumpNodeBegin(dump, "tab\tname", "Group");
  zmDumpNodeBegin(dump, nullptr, "Group");
  EXPECT_EQ(captured(), "DEF \"my box\" Cube{}\nDEF box Cube{}\nCube{}\nDEF \"tab\tname\" Group{\nGroup{\n");
}

TEST_F(FormatTest, EnumerationWordsAndTheirWarnings) {
  startCapture();
  zmDumpBoolean(dump, 0, "on ");
  zmDumpBoolean(dump, 1, "on ");
  zmDumpBoolean(dump, 2, "on ");
  zmDumpWrapType(dump, 1, "wrapS ");
  zmDumpWrapType(dump, 3, "wrapS ");
  zmDumpBindingType(dump, 4, "value");
  zmDumpBindingType(dump, 8, "value");
  zmDumpParts(dump, "parts ", "zmDumpCone", 2);
  zmDumpParts(dump, "parts ", "zmDumpCone", 3);
  EXPECT_EQ(captured(), "on FALSE\non TRUE\nwrapS CLAMP\nvalue  PER_FACE\nparts SIDES\n");
  EXPECT_TRUE(sawMessage("zmDumpBoolean() : invalid value."));
  EXPECT_TRUE(sawMessage("zmDumpWrapType() : invalid wrap type."));
  EXPECT_TRUE(sawMessage("zmDumpBindingType() : invalid binding type."));
  EXPECT_TRUE(sawMessage("zmDumpCone() : invalid parts."));
}

TEST_F(FormatTest, FieldLinesAndIndentation) {
  startCapture();
  dump.indent = 2;
  zmDumpSFFloat(dump, "width  ", 2.5);
  float color[3] = {1.0f, 0.5f, 0.25f};
  zmDumpSFColor(dump, color, "color ");
  dump.indent = 0;
  EXPECT_EQ(captured(), "\t\twidth  2.5\n\t\tcolor 1 0.5 0.25\n");
}

TEST_F(FormatTest, ColourListsAlignTheirColumns) {
  ZmSFColor colors[2] = {{0.8f, 0.8f, 0.8f}, {1.0f, 0.5f, 0.25f}};
  ZmMFColor list = {2, colors};
  startCapture();
  zmDumpMFColor(dump, &list, "diffuseColor  ");
  EXPECT_EQ(captured(), "diffuseColor  [ 0.8 0.8 0.80,\n                1.0 0.5 0.25 ]\n");
}

TEST_F(FormatTest, VectorListsKeepABlankAfterTheBracket) {
  ZmVec2 points[2] = {{0, 0}, {1, 1}};
  ZmMFVec2f list2 = {2, points};
  ZmVec3 vectors[2] = {{-1, 0, 0.5f}, {10, 2, 0}};
  ZmMFVec3f list3 = {2, vectors};
  startCapture();
  zmDumpMFVec2f(dump, &list2, "point");
  zmDumpMFVec3f(dump, &list3, "vector");
  zmDumpMFVec3f(dump, &list3, nullptr);
  EXPECT_EQ(captured(),
            "point [ 0 0,\n"
            "        1 1 ]\n"
            "vector [ -1 0 0.5,\n"
            "         10 2 0.0 ]\n"
            " -1 0 0.5,\n"
            " 10 2 0.0,\n");
}

TEST_F(FormatTest, FloatListsGoThreeALineInBrackets) {
  float one = 0.2f;
  ZmMFFloat single = {1, &one};
  float seven[7] = {0.2f, 0.5f, 0.25f, 0.1f, 1, 2, 3};
  ZmMFFloat many = {7, seven};
  startCapture();
  zmDumpMFFloat(dump, &single, "shininess     ");
  zmDumpMFFloat(dump, &many, "shininess     ");
  EXPECT_EQ(captured(),
            "shininess     0.2\n"
            "shininess     [ 0.2, 0.5, 0.25,\n"
            "                0.1, 1.0, 2.00,\n"
            "                3.0 ]\n");
}

// A column is as wide as its widest value's whole part, point and the most
// decimals any value has; every value stands right-aligned in it with those
// decimals, and the values keep every digit they need.
TEST_F(FormatTest, ColumnsAlignValuesOfDifferentWidths) {
  ZmVec3 vectors[3] = {{-12.5f, 1, 0}, {1, 0.25f, 100}, {0.0003f, -7, 2}};
  ZmMFVec3f list = {3, vectors};
  startCapture();
  zmDumpMFVec3f(dump, &list, "vector");
  EXPECT_EQ(captured(),
            "vector [ -12.5000  1.00   0,\n"
            "           1.0000  0.25 100,\n"
            "           0.0003 -7.00   2 ]\n");
}
