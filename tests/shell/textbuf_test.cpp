// tests/shell/textbuf_test.cpp -- font objects and the wrapped text buffer:
// lines split where the measured text stops fitting, line ends and escapes,
// the bounded message list and the numbering of its lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/windows.h"
#include "shell/fontobj.h"
#include "shell/textbuf.h"

namespace {

class TextBufTest : public ::testing::Test {
 protected:
  void SetUp() override {
    font = zmNewFontObj("SYSTEM", 12, RGB(0, 0, 0), RGB(255, 255, 255), 1);
    ASSERT_NE(font, nullptr);
    buf = zmNewTextBuf(font);
    ASSERT_NE(buf, nullptr);
  }
  void TearDown() override {
    zmDeleteTextBuf(buf);
    zmDeleteFontObj(font);
  }

  // Width of the text in the buffer's font, measured apart from the buffer.
  int widthOf(const std::string& text) const {
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font->font);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return size.cx;
  }

  static std::vector<std::string> linesOf(const ZmTextMsg* msg) {
    std::vector<std::string> lines;
    for (const ZmTextLine* line = msg->firstLine; line != nullptr; line = line->next)
      lines.emplace_back(line->start, line->drawn);
    return lines;
  }

  std::string lineText(int lineNo) const {
    ZmTextLine* line = nullptr;
    if (zmTextBufFindLine(buf, lineNo, nullptr, &line) != 0) return "<none>";
    return std::string(line->start, line->drawn);
  }

  void appendAll(const std::vector<std::string>& texts) {
    for (const std::string& text : texts) ASSERT_EQ(zmTextBufAppend(buf, text.c_str()), 0);
  }

  ZmFontObj* font = nullptr;
  ZmTextBuf* buf = nullptr;
};

constexpr int kWide = 100000;

TEST_F(TextBufTest, FontObjectMeasuresItsFontAndPicksItsBrush) {
  struct Case {
    const char* face;
    int flags;
    LONG brushStyle;
  };
  for (const Case& c : {Case{"SYSTEM", 1, BS_SOLID}, Case{"Times New Roman", 4, BS_PATTERN},
                        Case{"No Such Face", 5, BS_PATTERN}, Case{nullptr, 0, BS_SOLID}}) {
    SCOPED_TRACE(c.face ? c.face : "(null face)");
    ZmFontObj* made = zmNewFontObj(c.face, 20, RGB(1, 2, 3), RGB(4, 5, 6), c.flags);
    ASSERT_NE(made, nullptr);
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, made->font);
    TEXTMETRICA metrics{};
    ASSERT_TRUE(GetTextMetricsA(dc, &metrics));
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(zmGetFontObjLineHeight(made), metrics.tmHeight);
    EXPECT_GT(metrics.tmHeight, 0);
    LOGFONTA asked{};
    ASSERT_EQ(GetObjectA(made->font, sizeof asked, &asked), static_cast<int>(sizeof asked));
    EXPECT_EQ(asked.lfHeight, 20);
    EXPECT_EQ(asked.lfWidth, 0);
    LOGBRUSH brush{};
    ASSERT_EQ(GetObjectA(made->brush, sizeof brush, &brush), static_cast<int>(sizeof brush));
    EXPECT_EQ(brush.lbStyle, static_cast<UINT>(c.brushStyle));
    if (c.brushStyle == BS_SOLID) {
      EXPECT_EQ(brush.lbColor, RGB(1, 2, 3));
    }
    EXPECT_EQ(zmGetFontObjBgColor(made), RGB(1, 2, 3));
    EXPECT_EQ(zmGetFontObjTextColor(made), RGB(4, 5, 6));

    const HFONT fontHandle = made->font;
    const HBRUSH brushHandle = made->brush;
    zmDeleteFontObj(made);
    EXPECT_EQ(GetObjectType(fontHandle), 0u) << "the font outlives its object";
    EXPECT_EQ(GetObjectType(brushHandle), 0u);
  }
}

TEST_F(TextBufTest, MessagesSplitIntoLinesThatFitTheMeasuredWidth) {
  struct Case {
    const char* name;
    std::string text;
    int escape;
    std::string widthOfText;  // the wrap width is this text's width (empty: very wide)
    int widthAdjust;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"split after the last fitting character", "abcdefghijklm", 0, "abcdefghij", 0, {"abcdefghij", "klm"}},
      {"one pixel less moves a character on", "abcdefghijklm", 0, "abcdefghij", -1, {"abcdefghi", "jklm"}},
      {"line feed", "one\ntwo", 0, "", 0, {"one", "two"}},
      {"carriage return", "one\rtwo", 0, "", 0, {"one", "two"}},
      {"CR LF is one line end", "one\r\ntwo", 0, "", 0, {"one", "two"}},
      {"escaped line end", "one\\ntwo", 1, "", 0, {"one", "two"}},
      {"escape off draws backslash-n", "one\\ntwo", 0, "", 0, {"one\\ntwo"}},
      {"other escapes draw both characters", "a\\tb\\", 1, "", 0, {"a\\tb\\"}},
      {"tab shown as a blank", "x\ty", 0, "", 0, {"x y"}},
      {"narrower than a character", "abc", 0, "a", -1, {"a", "b", "c"}},
      {"trailing line end adds no line", "ab\n", 0, "", 0, {"ab"}},
      {"empty lines", "\n\n", 0, "", 0, {"", ""}},
      {"empty text has no lines", "", 0, "", 0, {}},
      {"high byte kept with the next", "ab\xe9" "cd", 0, "ab\xe9", 0, {"ab", "\xe9" "cd"}},
      {"high byte before a line end", "\xe9\nx", 0, "", 0, {"\xe9", "x"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    zmTextBufClear(buf);
    const int wrap = c.widthOfText.empty() ? kWide : widthOf(c.widthOfText) + c.widthAdjust;
    ASSERT_EQ(zmTextBufSetWrap(buf, wrap, 10), 0);
    zmTextBufSetEscape(buf, c.escape);
    ASSERT_EQ(zmTextBufAppend(buf, c.text.c_str()), 0);

    const ZmTextMsg* msg = buf->lastMsg;
    ASSERT_NE(msg, nullptr);
    EXPECT_EQ(linesOf(msg), c.lines);
    int consumed = 0;
    int widest = 0;
    for (const ZmTextLine* line = msg->firstLine; line != nullptr; line = line->next) {
      EXPECT_EQ(line->start, msg->text + consumed);
      EXPECT_EQ(line->width, widthOf(std::string(line->start, line->drawn)));
      EXPECT_EQ(line->height, font->lineHeight);
      consumed += line->consumed;
      widest = std::max(widest, line->width);
    }
    EXPECT_EQ(consumed, static_cast<int>(c.text.size()));
    EXPECT_EQ(zmTextBufGetLineCount(buf), static_cast<int>(c.lines.size()));
    EXPECT_EQ(zmTextBufGetHeight(buf), static_cast<int>(c.lines.size()) * font->lineHeight);
    EXPECT_EQ(zmTextBufGetWidest(buf), widest);
  }
}

TEST_F(TextBufTest, FullBufferDropsTheOldestMessage) {
  zmTextBufSetWrap(buf, kWide, 100);
  for (int i = 1; i <= 101; ++i) appendAll({"message " + std::to_string(i)});
  EXPECT_EQ(buf->msgCount, 100);
  EXPECT_EQ(zmTextBufGetFirstLineNo(buf), 1);
  EXPECT_EQ(zmTextBufGetLastLineNo(buf), 100);
  EXPECT_EQ(lineText(0), "<none>");
  EXPECT_EQ(lineText(1), "message 2");
  EXPECT_EQ(lineText(100), "message 101");
}

TEST_F(TextBufTest, DroppingTheWidestMessageNarrowsTheBuffer) {
  zmTextBufSetWrap(buf, kWide, 1);
  appendAll({"a rather long first message", "short"});
  EXPECT_EQ(zmTextBufGetWidest(buf), widthOf("short"));
  EXPECT_EQ(zmTextBufGetHeight(buf), font->lineHeight);
}

TEST_F(TextBufTest, FindLineWalksMessagesAndSkipsEmptyOnes) {
  zmTextBufSetWrap(buf, kWide, 4);
  appendAll({"dropped", "a\nb", "", "c"});
  appendAll({"d"});  // "dropped" makes room: numbering starts at 1
  struct Case {
    int lineNo;
    const char* text;
  };
  for (const Case& c : {Case{-1, "<none>"}, Case{0, "<none>"}, Case{1, "a"}, Case{2, "b"}, Case{3, "c"},
                        Case{4, "d"}, Case{5, "<none>"}}) {
    EXPECT_EQ(lineText(c.lineNo), c.text) << "line " << c.lineNo;
  }
  ZmTextMsg* msg = nullptr;
  ASSERT_EQ(zmTextBufFindLine(buf, 2, &msg, nullptr), 0);
  EXPECT_STREQ(msg->text, "a\nb");
}

TEST_F(TextBufTest, LinesAreNumberedAgainFromZeroAfterMoreThan32000Dropped) {
  constexpr int kLinesPerMessage = 10;
  zmTextBufSetWrap(buf, kWide, 100);
  const std::string message = "0\n1\n2\n3\n4\n5\n6\n7\n8\n9";
  int previousFirst = 0;
  int appended = 0;
  while (true) {
    appendAll({message});
    ++appended;
    const int first = zmTextBufGetFirstLineNo(buf);
    if (first < previousFirst) break;
    previousFirst = first;
    ASSERT_LE(first, ZM_TEXTBUF_RENUMBER_AFTER);
  }
  EXPECT_GT(previousFirst + kLinesPerMessage, ZM_TEXTBUF_RENUMBER_AFTER);
  EXPECT_GT(appended * kLinesPerMessage, ZM_TEXTBUF_RENUMBER_AFTER);
  EXPECT_EQ(zmTextBufGetFirstLineNo(buf), 0);
  EXPECT_EQ(zmTextBufGetLastLineNo(buf), 100 * kLinesPerMessage - 1);
  int expectedFirst = 0;
  for (const ZmTextMsg* msg = buf->firstMsg; msg != nullptr; msg = msg->next) {
    EXPECT_EQ(msg->firstLineNo, expectedFirst);
    expectedFirst += msg->lineCount;
  }
  for (int lineNo = 0; lineNo < 100 * kLinesPerMessage; lineNo += 37)
    EXPECT_EQ(lineText(lineNo), std::to_string(lineNo % kLinesPerMessage));
}

TEST_F(TextBufTest, SetWrapWrapsAgainAndKeepsAtMostTheNewMaximum) {
  zmTextBufSetWrap(buf, kWide, 10);
  appendAll({"abcdefghij", "klmnopqrst", "uvwxyz0123"});
  ASSERT_EQ(zmTextBufGetLineCount(buf), 3);

  ASSERT_EQ(zmTextBufSetWrap(buf, widthOf("abcde"), 2), 0);
  EXPECT_EQ(buf->msgCount, 2);
  EXPECT_EQ(zmTextBufGetFirstLineNo(buf), 1);
  EXPECT_EQ(zmTextBufGetLineCount(buf), 4);
  EXPECT_EQ(zmTextBufGetWidest(buf), std::max(widthOf("klmno"), widthOf("uvwxy")));
  const std::vector<std::string> expected = {"klmno", "pqrst", "uvwxy", "z0123"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(lineText(1 + i), expected[i]);
}

TEST_F(TextBufTest, MissingBufferOrFontReadsAsDocumented) {
  EXPECT_EQ(zmTextBufAppend(nullptr, "x"), -1);
  EXPECT_EQ(zmTextBufAppend(buf, nullptr), -1);
  EXPECT_EQ(zmTextBufGetWidest(nullptr), 1);
  EXPECT_EQ(zmTextBufGetLastLineNo(buf), 0);
  ZmTextBuf* fontless = zmNewTextBuf(nullptr);
  EXPECT_EQ(zmTextBufGetLineHeight(fontless), 1);
  zmTextBufSetWrap(fontless, kWide, 1);
  EXPECT_EQ(zmTextBufAppend(fontless, "x\ny"), 0);
  EXPECT_EQ(zmTextBufGetHeight(fontless), 2);
  zmDeleteTextBuf(fontless);
}

}  // namespace
