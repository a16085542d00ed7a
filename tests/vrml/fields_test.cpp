// tests/vrml/fields_test.cpp -- every field type with good and bad values,
// the list syntax, field declarations and the growth of list fields.
#include <string>

#include "vrml/qvmfields.h"
#include "tests/vrml/vrml_fixture.h"

class FieldsTest : public VrmlTest {
 protected:
  // Parses one node and returns the dump of its fields (or the failure).
  std::string readNode(const std::string& node) {
    qvReleaseNodes(nodes);
    messages().clear();
    if (parseBody(node) != 0) return "FAILED";
    return dump();
  }
};

TEST_F(FieldsTest, GoodValues) {
  struct Case {
    const char* node;
    const char* shows;
  } cases[] = {
      {"PointLight { on FALSE }", "on FALSE"},
      {"PointLight { on 1 }", "on TRUE"},
      {"PointLight { on 0x1 }", "on TRUE"},
      {"SpotLight { intensity -0.5e1 }", "intensity -5"},
      {"Switch { whichChild -0x10 }", "whichChild -16"},
      {"Separator { renderCulling OFF }", "renderCulling OFF"},
      {"ShapeHints { vertexOrdering COUNTERCLOCKWISE faceType UNKNOWN_FACE_TYPE }",
       "vertexOrdering COUNTERCLOCKWISE\n  faceType UNKNOWN_FACE_TYPE"},
      {"Cone { parts ( SIDES | BOTTOM ) }", "parts ( SIDES | BOTTOM )"},
      {"Cone { parts () }", "parts ( )"},
      {"Cylinder { parts TOP }", "parts ( TOP )"},
      {"Rotation { rotation 0 2 0 3.14159 }", "rotation 0 2 0 3.14159"},
      {"MatrixTransform { matrix 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 }",
       "matrix 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16"},
      {"Info { string \"Hello world\" }", "string \"Hello world\""},
      {"Info { string Hello }", "string \"Hello\""},
      {"Texture2Transform { translation 1 # comment\n 2 }", "translation 1 2"},
      {"Texture2 { image 1 1 2 0x8040 }", "image 1 1 2 0x8040"},
      {"Texture2 { image 0 0 0 }", "image 0 0 0"},
      {"Texture2 { image 2 1 4 0xFF000080 255 }", "image 2 1 4 0xff000080 0xff"},
      {"Coordinate3 { point [ 1 2 3, 4 5 6 ] }", "point [ 1 2 3, 4 5 6 ]"},
      {"Coordinate3 { point 7 8 9 }", "point [ 7 8 9 ]"},
      {"Coordinate3 { point [ ] }", "point [ ]"},
      {"Material { shininess [ 1, 2, ] }", "shininess [ 1, 2 ]"},
      {"IndexedFaceSet { coordIndex [ 0x10, -1, 017 ] }", "coordIndex [ 16, -1, 15 ]"},
      {"Cube { width ~ }", "width 2 ~"},
      {"Cube { width 3 ~ }", "width 3 ~"},
  };
  for (const Case& c : cases) {
    std::string shown = readNode(c.node);
    EXPECT_NE(shown.find(c.shows), std::string::npos) << c.node << "\n" << shown << allMessages();
    EXPECT_TRUE(messages().empty()) << c.node << ": " << allMessages();
  }
}

TEST_F(FieldsTest, BadValues) {
  struct Case {
    const char* node;
    const char* message;
  } cases[] = {
      {"PointLight { on 2 }", "Illegal value for QvSFBool: 2 (must be 0 or 1)"},
      {"PointLight { on true }", "Unknown value (\"true\") for QvSFBool (must be TRUE or FALSE)"},
      {"Separator { renderCulling 1 }", "Unknown QvSFEnum enumeration value \"\""},
      {"Separator { renderCulling MAYBE }", "Unknown QvSFEnum enumeration value \"MAYBE\""},
      {"Cone { parts FOO }", "Unknown QvSFBitMask bit mask value \"FOO\""},
      {"Cone { parts ( SIDES BOTTOM ) }", "Expected '|' or ')', got 'B' in QvSFBitMask value"},
      {"Cone { parts ( SIDES |", "EOF reached before ')' in QvSFBitMask value"},
      {"Texture2 { image 1 1 1 -5 }", "Couldn't read value for field \"image\""},
      {"Texture2 { image -1 2 1 }", "Invalid SFImage size -1 x 2 with 1 components"},
      {"Texture2 { image 2 2 5 1 2 3 4 }", "Invalid SFImage size 2 x 2 with 5 components"},
      {"Texture2 { image 2 2 0 }", "Invalid SFImage size 2 x 2 with 0 components"},
      {"Texture2 { image 32767 32767 4 }", "Invalid SFImage size 32767 x 32767 with 4 components"},
      {"Texture2 { image 2 1 1 5 }", "Couldn't read value for field \"image\""},
      {"Coordinate3 { point [ 1 2 3 4 5 6 ] }",
       "Expected ',' or ']' but got '4' while reading value 1"},
      {"Coordinate3 { point [ 1 2 3, 4 5 ] }", "Couldn't read value 2 of field"},
      {"Coordinate3 { point [ 1 2 3,", "Couldn't read value 2 of field"},
      {"Material { shininess [ 1 2 ] }", "Expected ',' or ']' but got '2' while reading value 1"},
      {"Rotation { rotation 0 1 0 }", "Couldn't read value for field \"rotation\""},
      {"Sphere { radius abc }", "Couldn't read value for field \"radius\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(readNode(c.node), "FAILED") << c.node;
    EXPECT_TRUE(sawMessage(c.message)) << c.node << ": " << allMessages();
  }
}

TEST_F(FieldsTest, UnknownBitInAListIsReportedAndSkipped) {
  ASSERT_EQ(parseBody("Cone { parts ( SIDES | FOO ) }"), 0);
  EXPECT_TRUE(sawMessage("Unknown QvSFBitMask bit mask value \"FOO\""));
  EXPECT_EQ(first<QvCone>()->parts.value, QvCone::SIDES);
}

TEST_F(FieldsTest, BitMaskWithoutParenthesesReadsOneName) {
  // The bar and BOTTOM are left for the next token, which ends the node badly.
  EXPECT_NE(parseBody("Cone { parts SIDES|BOTTOM }"), 0);
  EXPECT_TRUE(sawMessage("Expected '}'; got '|'"));
}

TEST_F(FieldsTest, ImagePixelBytes) {
  ASSERT_EQ(parseBody("Texture2 { image 2 1 3 0x102030 0xA0B0C0 }"), 0);
  const QvSFImage& image = first<QvTexture2>()->image;
  ASSERT_NE(image.pixels, nullptr);
  const unsigned char expected[] = {0x10, 0x20, 0x30, 0xA0, 0xB0, 0xC0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(image.pixels[i], expected[i]);
}

TEST_F(FieldsTest, ListFieldsEndWithExactlyTheValuesRead) {
  ASSERT_EQ(parseBody("Material { shininess [ 1, 2, 3, 4, 5 ] transparency [ 1, 2 ] }"), 0);
  QvMaterial* m = first<QvMaterial>();
  EXPECT_EQ(m->shininess.num, 5);
  EXPECT_EQ(m->shininess.maxNum, 5);
  EXPECT_EQ(m->transparency.num, 2);
  EXPECT_EQ(m->getNumValues(), 5);
}

// Counts how often the block is enlarged while a list is read.
class CountingMFFloat : public QvMFFloat {
 public:
  int reserves = 0;

 protected:
  bool reserveValues(int32_t capacity) override {
    ++reserves;
    return QvMFFloat::reserveValues(capacity);
  }
};

TEST_F(FieldsTest, ListsGrowGeometrically) {
  std::string list = "#VRML V1.0 ascii\n[ 0";
  for (int i = 1; i < 10000; ++i) list += ", " + std::to_string(i);
  list += " ]";
  QvInput& in = inputOn(list);
  CountingMFFloat field;
  ASSERT_TRUE(field.read(&in, QvName("values")));
  EXPECT_EQ(field.num, 10000);
  EXPECT_EQ(field.maxNum, 10000);
  EXPECT_EQ(field.values[9999], 9999.0f);
  EXPECT_LE(field.reserves, 20);
}

// Refuses to hold more than two values, as a full heap would.
class StingyMFLong : public QvMFLong {
 protected:
  bool reserveValues(int32_t capacity) override {
    return capacity <= 2 && QvMFLong::reserveValues(capacity);
  }
};

TEST_F(FieldsTest, FailedGrowthKeepsTheBlockAndFailsTheRead) {
  QvInput& in = inputOn("#VRML V1.0 ascii\n[ 5, 6, 7, 8 ]");
  StingyMFLong field;
  EXPECT_FALSE(field.read(&in, QvName("list")));
  EXPECT_EQ(field.num, 2);
  EXPECT_LE(field.num, field.maxNum);
  EXPECT_EQ(field.values[0], 5);
  EXPECT_EQ(field.values[1], 6);
  EXPECT_TRUE(sawMessage("Couldn't read value for field \"list\""));
}

// A node class that is not built in and has no fields of its own, so that a
// "fields" declaration creates fields.
class QvDeclaredNode : public QvGroup {
 public:
  QvDeclaredNode() { isBuiltIn = false; }
  QvFieldData* getFieldData() const override { return ownOr(&emptyTable()); }
  const char* getTypeName() const override { return "Declared"; }

 private:
  static QvFieldData& emptyTable() {
    static QvFieldData table;
    return table;
  }
};

TEST_F(FieldsTest, FieldDeclarationCreatesFieldsOnNodesThatAreNotBuiltIn) {
  QvInput& in = inputOn(
      "#VRML V1.0 ascii\nfields [ SFFloat radius, SFFoo broken, SFString label ] "
      "radius 2.5 label \"x\" }");
  auto* node = new QvDeclaredNode;
  node->ref();
  ASSERT_TRUE(node->readContents(&in));
  QvFieldData* data = node->getFieldData();
  ASSERT_EQ(data->getNumFields(), 2);
  EXPECT_TRUE(data->getFieldName(0) == "radius");
  EXPECT_TRUE(data->getFieldName(1) == "label");
  EXPECT_EQ(static_cast<QvSFFloat*>(data->getField(node, 0))->value, 2.5f);
  EXPECT_STREQ(static_cast<QvSFString*>(data->getField(node, 1))->value.getString(), "x");
  EXPECT_TRUE(sawMessage("Unknown field type \"SFFoo\" of field \"broken\" skipped"));
  // The class table stays empty for every other node of the class.
  auto* other = new QvDeclaredNode;
  EXPECT_EQ(other->getFieldData()->getNumFields(), 0);
  other->ref();
  other->unref();
  node->unref();
}

TEST_F(FieldsTest, FieldDeclarationOnBuiltInOrRegisteredClassesCreatesNothing) {
  ASSERT_EQ(parseBody("EventHandler { fields [ SFString filename, SFFloat extra ] function \"f\" }"), 0);
  EXPECT_EQ(first<QvEventHandler>()->getFieldData()->getNumFields(), 6);
  EXPECT_TRUE(messages().empty()) << allMessages();

  qvReleaseNodes(nodes);
  EXPECT_NE(parseBody("Script { fields radius }"), 0);
  EXPECT_TRUE(sawMessage("Bad field specifications for node"));
}

TEST_F(FieldsTest, EnumTablesGrowAndStripBlanks) {
  QvFieldData table;
  for (int i = 0; i < 7; ++i) table.addEnumValue("  Kind ", (" v" + std::to_string(i) + "\t").c_str(), i * 10);
  int32_t num;
  const int32_t* vals;
  const QvName* names;
  table.getEnumData("Kind", num, vals, names);
  ASSERT_EQ(num, 7);
  EXPECT_EQ(vals[6], 60);
  EXPECT_TRUE(names[6] == "v6");
  table.getEnumData("Other", num, vals, names);
  EXPECT_EQ(num, 0);
  EXPECT_EQ(vals, nullptr);
}
