// tests/vrml/builder_text_test.cpp -- the AsciiText node's text leaf.
#include "tests/vrml/builder_fixture.h"

TEST_F(BuilderTest, AsciiTextLeafTakesItsFields) {
  struct Case {
    const char* node;
    const char* text;
    int32_t justification;
    float spacing;
    float width;
  } cases[] = {
      {"AsciiText { }", "", 0, 1.0f, 0},
      {"AsciiText { string \"Hello\" justification RIGHT spacing 2 }", "Hello", 2, 2.0f, 0},
      {"AsciiText { string \"Mid\" justification CENTER width 3.5 }", "Mid", 1, 1.0f, 3.5f},
      {"AsciiText { string [ \"one\", \"two\" ] spacing 1.5 }", "one\ntwo", 0, 1.5f, 0},
      {"AsciiText { string [ \"solo\" ] }", "solo", 0, 1.0f, 0},
      {"AsciiText { string [ ] }", "", 0, 1.0f, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.node);
    zmClearWorld(world);
    ASSERT_EQ(build(std::string("Separator { DEF T ") + c.node + " }"), 0);
    ZmObj* object = named("T");
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->vrmlType, ZM_VRML_ASCII_TEXT);
    const auto* leaf = reinterpret_cast<const ZmAsciiText*>(object->leaf);
    ASSERT_EQ(leaf->kind, ZM_LEAF_ASCII_TEXT);
    ASSERT_NE(leaf->string, nullptr);
    EXPECT_STREQ(leaf->string, c.text);
    EXPECT_EQ(leaf->justification, c.justification);
    EXPECT_FLOAT_EQ(leaf->spacing, c.spacing);
    EXPECT_FLOAT_EQ(leaf->width, c.width);
    EXPECT_EQ(leaf->next, nullptr);
  }
}
