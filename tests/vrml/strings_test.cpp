// tests/vrml/strings_test.cpp -- texts, interned names, the dictionary, the
// pointer lists, the text utilities and the read-error repeat filter.
#include <cstring>
#include <string>

#include "core/memory.h"
#include "vrml/qvfield.h"
#include "tests/vrml/vrml_fixture.h"

class StringsTest : public VrmlTest {};

TEST_F(StringsTest, ShortTextsStayInPlaceLongOnesGoToTheHeap) {
  QvString s;
  std::string t254(254, 'a'), t255(255, 'b');
  s = t254.c_str();
  const char* inPlace = s.getString();
  s = t255.c_str();
  EXPECT_NE(s.getString(), inPlace);
  EXPECT_EQ(s.getString(), t255);
  s = "ten chars!";
  EXPECT_EQ(s.getString(), inPlace);
  EXPECT_STREQ(s.getString(), "ten chars!");
}

TEST_F(StringsTest, AssigningASliceOfItself) {
  QvString s("abcdef");
  s = s.getString() + 2;
  EXPECT_STREQ(s.getString(), "cdef");
  std::string big(1000, 'z');
  big[0] = 'A';
  QvString h(big.c_str());
  h = h.getString() + 1;
  EXPECT_EQ(h.getString(), big.substr(1));
  h += h.getString();
  EXPECT_EQ(h.getString(), big.substr(1) + big.substr(1));
}

TEST_F(StringsTest, Hash) {
  EXPECT_EQ(QvString::hash(""), 0u);
  EXPECT_EQ(QvString::hash("A"), static_cast<uint32_t>('A'));
  EXPECT_EQ(QvString::hash("AB"), static_cast<uint32_t>('A') ^ (static_cast<uint32_t>('B') << 5));
  // Bytes from 0x80 count as negative characters.
  EXPECT_EQ(QvString::hash("\x80"), static_cast<uint32_t>(-128));
}

TEST_F(StringsTest, NamesAreInterned) {
  QvName a("Interned"), b(std::string("Interned").c_str()), c("interned");
  EXPECT_TRUE(a == b);
  EXPECT_EQ(a.getString(), b.getString());
  EXPECT_TRUE(a != c);
  std::string huge(5000, 'n');
  EXPECT_EQ(QvName(huge.c_str()).getString(), QvName(huge.c_str()).getString());
}

TEST_F(StringsTest, NodeNameCharacters) {
  for (char ch : std::string("+'\"\\{} \t"))
    EXPECT_FALSE(QvName::isNodeNameChar(static_cast<unsigned char>(ch))) << ch;
  for (char ch : std::string("aZ09_-.!@$%"))
    EXPECT_TRUE(QvName::isNodeNameChar(static_cast<unsigned char>(ch))) << ch;
  EXPECT_FALSE(QvName::isNodeNameStartChar('3'));
  EXPECT_TRUE(QvName::isNodeNameStartChar('_'));
}

TEST_F(StringsTest, Dictionary) {
  QvDict dict(251);
  int one = 1, two = 2;
  EXPECT_TRUE(dict.enter(7, &one));
  EXPECT_TRUE(dict.enter(7 + 251, &two));  // same bucket
  EXPECT_FALSE(dict.enter(7, &two));       // replaced
  void* value;
  ASSERT_TRUE(dict.find(7, value));
  EXPECT_EQ(value, &two);
  EXPECT_FALSE(dict.find(8, value));
  EXPECT_EQ(value, nullptr);
  EXPECT_TRUE(dict.remove(7));
  EXPECT_FALSE(dict.remove(7));
  EXPECT_TRUE(dict.find(7 + 251, value));
}

TEST_F(StringsTest, PointerListGrowth) {
  QvPList list;
  int items[9];
  const int expectedCapacity[] = {4, 4, 4, 4, 8, 8, 8, 8, 16};
  for (int i = 0; i < 9; ++i) {
    ASSERT_TRUE(list.append(&items[i]));
    EXPECT_EQ(list.getCapacity(), expectedCapacity[i]);
  }
  EXPECT_EQ(list.find(&items[3]), 3);
  list.remove(0);
  EXPECT_EQ(list[0], &items[1]);
  EXPECT_EQ(list.getLength(), 8);
}

TEST_F(StringsTest, ConvertBackslashes) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"a\\nb\\tc", "a\nbtc"},
      {"only\\ttab", "only\\ttab"},  // no backslash-n: copied unchanged
      {"x\\n\\", "x\n\\"},           // a backslash that ends the text stops there
      {"\\n", "\n"},
  };
  for (const Case& c : cases) {
    char* converted = zmPFconvCR(c.in);
    ASSERT_NE(converted, nullptr);
    EXPECT_STREQ(converted, c.out) << c.in;
    zmFree(converted);
  }
  EXPECT_EQ(zmPFconvCR(nullptr), nullptr);
  EXPECT_TRUE(sawMessage("zmPFconvCR: Invalid argument."));
}

TEST_F(StringsTest, FileUrl) {
  EXPECT_STREQ(qvFAbs2UrlOfFileName("/tmp/a.wrl"), "file:///tmp/a.wrl");
  EXPECT_STREQ(qvFAbs2UrlOfFileName("C:\\w\\a.wrl"), "file:///C|/w/a.wrl");
}

TEST_F(StringsTest, StripWhite) {
  EXPECT_TRUE(stripWhite("  a b  ") == "a b");
  EXPECT_TRUE(stripWhite("\tname") == "name");
  EXPECT_TRUE(stripWhite("   ").isEmpty());
  std::string longText = std::string(600, 'x') + " ";
  EXPECT_EQ(stripWhite(longText.c_str()).getLength(), 499);
  EXPECT_TRUE(sawMessage("stripWhite(): buffer 500 size is overflow."));
}

TEST_F(StringsTest, ReadErrorRepeatFilter) {
  QvInput& in = inputOn("#VRML V1.0 ascii\n");
  QvReadError::post(kQvReadErrorLevel, &in, "first");
  QvReadError::post(kQvReadErrorLevel, &in, "first");
  EXPECT_EQ(messages().size(), 1u);
  QvReadError::post(kQvReadErrorLevel, &in, "second");
  QvReadError::post(kQvReadErrorLevel, &in, "first");
  EXPECT_EQ(messages().size(), 3u);
  // Level 2 is not shown, but it is remembered for the repeat test.
  QvReadError::post(kQvUnknownNodeLevel, &in, "hidden");
  QvReadError::post(kQvReadErrorLevel, &in, "hidden");
  EXPECT_EQ(messages().size(), 3u);
  EXPECT_EQ(QvReadError::getLevel(), kQvReadErrorLevel);
}

TEST_F(StringsTest, LongMessagesAreCut) {
  std::string huge(5000, 'm');
  QvInput& in = inputOn("#VRML V1.0 ascii\n");
  QvReadError::post(kQvReadErrorLevel, &in, "%s", huge.c_str());
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_LT(messages()[0].size(), 400u);
  QvDebugError::post("QvTest::method", "%s", huge.c_str());
  ASSERT_EQ(messages().size(), 2u);
  EXPECT_EQ(messages()[1].rfind("VRML error in QvTest::method(): mmm", 0), 0u);
  EXPECT_LT(messages()[1].size(), 300u);
}
