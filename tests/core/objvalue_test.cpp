// Named object values through their text interface: each type, read-only
// and duplicate variables, over-long strings, reuse of deleted nodes. Every
// miss is a warning with a null (or -1) result, never the fatal box.
#include "core/objvalue.h"

#include <string>

#include "tests/core/scene_fixture.h"

namespace {

class ObjValueTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    object = make("holder");
  }

  static std::string text(const char* result) { return result ? result : "(null)"; }

  ZmObj* object = nullptr;
};

TEST_F(ObjValueTest, EachTypeReadsBackAsText) {
  struct Case { int32_t type; const char* in; const char* stored; const char* changed; const char* after; };
  const Case cases[] = {
      {ZM_VALUE_LONG, " -42xyz", "-42", "7", "7"},
      {ZM_VALUE_INT, "12abc", "12", "none", "0"},
      {ZM_VALUE_FLOAT, "2.5", "2.500000", "-0.125", "-0.125000"},
      {ZM_VALUE_STRING, "hello world", "hello world", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    EXPECT_EQ(text(zmNewValue(object, c.type, "v", c.in, 1)), c.stored);
    EXPECT_EQ(text(zmGetObjValue(object, c.type, "v")), c.stored);
    EXPECT_EQ(text(zmSetObjValue(object, c.type, "v", c.changed)), c.after);
    EXPECT_EQ(text(zmGetObjValue(object, c.type, "v")), c.after);
  }
  EXPECT_EQ(text(zmSetObjValue(object, ZM_VALUE_STRING, "v", nullptr)), "");
  EXPECT_TRUE(sceneMessages.empty());
}

TEST_F(ObjValueTest, MissesAreWarningsWithOrdinaryFailures) {
  EXPECT_EQ(zmGetObjValue(object, ZM_VALUE_INT, "nothing"), nullptr);  // no variables at all
  ASSERT_NE(zmNewValue(object, ZM_VALUE_INT, "fixed", "5", 0), nullptr);
  EXPECT_EQ(zmNewValue(object, ZM_VALUE_INT, "fixed", "6", 1), nullptr);
  EXPECT_EQ(zmSetObjValue(object, ZM_VALUE_INT, "fixed", "6"), nullptr);
  EXPECT_EQ(text(zmGetObjValue(object, ZM_VALUE_INT, "fixed")), "5");
  EXPECT_EQ(zmGetObjValue(object, ZM_VALUE_INT, "absent"), nullptr);  // silent
  EXPECT_EQ(zmSetObjValue(object, ZM_VALUE_INT, "absent", "1"), nullptr);
  EXPECT_EQ(zmDeleteObjValue(object, ZM_VALUE_FLOAT, "fixed"), -1);
  EXPECT_EQ(sceneMessages, (std::vector<std::string>{
                               "can't find variable[nothing].",
                               "zmNewObjValue:[fixed] already exists.",
                               "_zmSetObjValue:[fixed] permision denied.",
                               "can't find variable[absent].",
                               "can't find variable[fixed].",
                           }));
  EXPECT_TRUE(fatalTexts().empty());
}

TEST_F(ObjValueTest, StringsUpTo255CharactersAreKept) {
  const std::string longest(255, 'x');
  const std::string tooLong(256, 'y');
  EXPECT_EQ(text(zmNewValue(object, ZM_VALUE_STRING, "s", longest.c_str(), 1)), longest);
  EXPECT_EQ(zmNewValue(object, ZM_VALUE_STRING, "t", tooLong.c_str(), 1), nullptr);
  EXPECT_EQ(zmGetObjValue(object, ZM_VALUE_STRING, "t"), nullptr);
  EXPECT_EQ(zmSetObjValue(object, ZM_VALUE_STRING, "s", tooLong.c_str()), nullptr);
  EXPECT_EQ(text(zmGetObjValue(object, ZM_VALUE_STRING, "s")), longest);
  EXPECT_EQ(sceneMessages, (std::vector<std::string>{
                               "_zmObjValueStr2Ptr: string variable length too long.",
                               "zmNewValue:[t] can't alloc.",
                               "_zmObjValueStr2Ptr: string variable length too long.",
                               "zmSetObjValue:[s] can't alloc.",
                           }));
}

TEST_F(ObjValueTest, OverLongFirstValueLeavesNoList) {
  const std::string tooLong(300, 'z');
  EXPECT_EQ(zmNewValue(object, ZM_VALUE_STRING, "t", tooLong.c_str(), 1), nullptr);
  EXPECT_EQ(zmGetObjExtension(object, zmObjectValue), 0);
}

TEST_F(ObjValueTest, SameNameOncePerTypeAndDeletedNodesAreReused) {
  ASSERT_NE(zmNewValue(object, ZM_VALUE_INT, "n", "1", 1), nullptr);
  ASSERT_NE(zmNewValue(object, ZM_VALUE_STRING, "n", "one", 1), nullptr);
  EXPECT_EQ(text(zmGetObjValue(object, ZM_VALUE_INT, "n")), "1");
  EXPECT_EQ(text(zmGetObjValue(object, ZM_VALUE_STRING, "n")), "one");

  ZmObjValue* list = reinterpret_cast<ZmObjValue*>(zmGetObjExtension(object, zmObjectValue));
  EXPECT_EQ(zmDeleteObjValue(object, ZM_VALUE_INT, "n"), 0);
  EXPECT_EQ(list->type, ZM_VALUE_FREE);
  ASSERT_NE(zmNewValue(object, ZM_VALUE_FLOAT, "f", "1", 1), nullptr);
  EXPECT_EQ(list->type, ZM_VALUE_FLOAT);  // the free node took the new variable
  EXPECT_EQ(list->next->next, nullptr);
  EXPECT_EQ(zmGetObjValue(object, ZM_VALUE_INT, "n"), nullptr);
}

TEST_F(ObjValueTest, EveryTextResultIsTheSameBuffer) {
  char* first = zmNewValue(object, ZM_VALUE_INT, "a", "1", 1);
  char* second = zmNewValue(object, ZM_VALUE_INT, "b", "2", 1);
  EXPECT_EQ(first, second);
  EXPECT_STREQ(first, "2");
}

TEST_F(ObjValueTest, DeleteAllRemovesTheExtension) {
  ASSERT_NE(zmNewValue(object, ZM_VALUE_INT, "a", "1", 1), nullptr);
  EXPECT_EQ(zmDeleteObjValues(object), 0);
  EXPECT_EQ(zmGetObjExtension(object, zmObjectValue), 0);
  EXPECT_EQ(zmDeleteObjValues(object), -1);
}

}  // namespace
