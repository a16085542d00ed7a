// tests/vrml/nodes_test.cpp -- reading nodes: DEF/USE, names, unknown fields
// and nodes, recovery, cycles, nesting limits, class defaults and the
// accessors of the texture nodes; and the fixture files.
#include <dirent.h>

#include <algorithm>
#include <string>

#include "core/memory.h"
#include "tests/vrml/vrml_fixture.h"
#include "vrml/session.h"

class NodesTest : public VrmlTest {};

TEST_F(NodesTest, SeparatorSkipsUnknownNodesSilently) {
  ASSERT_EQ(parseBody("Separator { Cube { } FontStyle { size 10 } Sphere { } }"), 0);
  auto* sep = first<QvSeparator>();
  ASSERT_NE(sep, nullptr);
  ASSERT_EQ(sep->getNumChildren(), 2);
  EXPECT_STREQ(sep->getChild(0)->getTypeName(), "Cube");
  EXPECT_STREQ(sep->getChild(1)->getTypeName(), "Sphere");
  EXPECT_TRUE(messages().empty()) << allMessages();
}

TEST_F(NodesTest, UseSharesTheDefinedNode) {
  ASSERT_EQ(parseBody("DEF A Cube { width 5 } Separator { USE A USE A }"), 0);
  ASSERT_EQ(nodes.size(), 2u);
  auto* sep = dynamic_cast<QvSeparator*>(nodes[1]);
  ASSERT_EQ(sep->getNumChildren(), 2);
  EXPECT_EQ(sep->getChild(0), nodes[0]);
  EXPECT_EQ(sep->getChild(1), nodes[0]);
  EXPECT_EQ(nodes[0]->getRefCount(), 3);  // the caller's and the separator's two
  EXPECT_NE(dump().find("USE A (Cube #1)"), std::string::npos) << dump();
}

TEST_F(NodesTest, NodeNamesAreSanitisedButUseKeepsTheWrittenName) {
  ASSERT_EQ(parseBody("DEF 3d Cube { } DEF \"a b\" Sphere { } DEF {x} Cone { } Group { USE 3d }"), 0);
  ASSERT_EQ(nodes.size(), 4u);
  EXPECT_TRUE(nodes[0]->getName() == "_3d");
  EXPECT_TRUE(nodes[1]->getName() == "a_b");
  EXPECT_TRUE(nodes[2]->getName() == "__x_");
  EXPECT_EQ(dynamic_cast<QvGroup*>(nodes[3])->getChild(0), nodes[0]);
  const QvPList* named = QvNode::findNodesByName("_3d");
  ASSERT_NE(named, nullptr);
  EXPECT_GE((*named).find(nodes[0]), 0);
}

TEST_F(NodesTest, NamesLeaveTheDictionaryWithTheirNode) {
  ASSERT_EQ(parseBody("DEF OnlyOnce Cube { }"), 0);
  ASSERT_NE(QvNode::findNodesByName("OnlyOnce"), nullptr);
  qvReleaseNodes(nodes);
  EXPECT_EQ(QvNode::findNodesByName("OnlyOnce"), nullptr);
}

TEST_F(NodesTest, ReadErrors) {
  struct Case {
    const char* body;
    const char* message;
  } cases[] = {
      {"Separator { USE B Cube { } }", "Unknown reference \"B\""},
      {"Separator { USE B Cube { } }", "Expected '}'; got 'C'"},
      {"DEF A Cube { } Separator { USE A}", "Unknown reference \"A}\""},
      {"DEF Sphere { }", "Invalid definition of Sphere"},
      {"DEF", "Premature end of file after DEF"},
      {"Separator { USE", "Premature end of file after USE"},
      {"Cube { width 2 height 3 foo 4 }", "Unknown field \"foo\""},
      {"Cube { width 2 height 3 foo 4 }", "Expected '}'; got '4'"},
      {"}", "Extra characters ('}') found in input"},
      {"Cube width 2 }", "Expected '{'; got 'w'"},
      {"Cube", "Expected '{'; got EOF"},
      {"Cube { width 2", "Expected '}'; got EOF"},
      {"Separator { Cube { } ", "Expected '}'; got EOF"},
  };
  for (const Case& c : cases) {
    qvReleaseNodes(nodes);
    messages().clear();
    EXPECT_EQ(parseBody(c.body), -1) << c.body;
    EXPECT_TRUE(sawMessage(c.message)) << c.body << ": " << allMessages();
  }
}

TEST_F(NodesTest, UnknownNodeAtTopLevelFailsTheRead) {
  EXPECT_EQ(parseBody("FontStyle { size 10 } Cube { }"), -1);
  EXPECT_TRUE(nodes.empty());
  EXPECT_TRUE(messages().empty()) << allMessages();  // skipped without a message
}

TEST_F(NodesTest, NullEndsAChildList) {
  EXPECT_EQ(parseBody("Separator { Cube { } NULL Sphere { } }"), -1);
  EXPECT_TRUE(sawMessage("Expected '}'; got 'S'"));
}

TEST_F(NodesTest, ExtensionNodesReportUnknownFieldsAndGoOn) {
  ASSERT_EQ(parseBody("EventHandler { filename \"a.tcl\" bogus function \"f\" eventType ( KEY | COLLISION ) }"),
            0);
  EXPECT_TRUE(sawMessage("Unknown field \"bogus\""));
  auto* handler = first<QvEventHandler>();
  EXPECT_STREQ(handler->function.value.getString(), "f");
  EXPECT_EQ(handler->eventType.value, 0x7);
}

TEST_F(NodesTest, FieldsBeyondThirtyWarnAndAreStillRead) {
  std::string body = "Cube {";
  for (int i = 0; i < 31; ++i) body += " width " + std::to_string(i);
  ASSERT_EQ(parseBody(body + " }"), 0);
  EXPECT_TRUE(sawMessage("QvNode::addFieldInOrder(): The number of fields exceeds the limit."));
  EXPECT_EQ(first<QvCube>()->numFieldsInOrder, 30);
  EXPECT_EQ(first<QvCube>()->width.value, 30.0f);
}

TEST_F(NodesTest, NodeThatContainsItself) {
  ASSERT_EQ(parseBody("DEF A Group { Cube { } USE A }"), 0);
  auto* group = first<QvGroup>();
  ASSERT_EQ(group->getNumChildren(), 2);
  EXPECT_EQ(group->getChild(1), group);
  EXPECT_EQ(group->getRefCount(), 1);  // the cycle holds no reference
  std::string shown = dump();
  EXPECT_NE(shown.find("USE A (Group #1, contains itself)"), std::string::npos) << shown;
  EXPECT_TRUE(sawMessage("node \"A\" contains itself; passed over."));
}

TEST_F(NodesTest, CycleThroughADeeperNodeIsFreedOnce) {
  ASSERT_EQ(parseBody("DEF A Group { DEF P Group { USE A } } USE P USE A"), 0);
  ASSERT_EQ(nodes.size(), 3u);
  QvNodePath path;
  ASSERT_TRUE(path.enter(nodes[1], "test"));
  ASSERT_TRUE(path.enter(dynamic_cast<QvGroup*>(nodes[1])->getChild(0), "test"));
  EXPECT_FALSE(path.enter(nodes[1], "test"));
  // Releasing in any order frees every node exactly once (the sanitizers check).
  std::reverse(nodes.begin(), nodes.end());
}

TEST_F(NodesTest, NestingDeeperThanTheLimitIsRefused) {
  std::string deep;
  for (int i = 0; i < QvNode::kMaxDepth + 10; ++i) deep += "Separator { ";
  for (int i = 0; i < QvNode::kMaxDepth + 10; ++i) deep += "} ";
  parseBody(deep);
  EXPECT_TRUE(sawMessage("Nodes nested deeper than"));
  ASSERT_FALSE(nodes.empty());
  EXPECT_LT(nodes[0]->height, QvNode::kMaxDepth);

  qvReleaseNodes(nodes);
  messages().clear();
  std::string chain = "DEF N0 Group { }\n";
  for (int i = 1; i < QvNode::kMaxDepth + 10; ++i)
    chain += "DEF N" + std::to_string(i) + " Group { USE N" + std::to_string(i - 1) + " }\n";
  parseBody(chain);
  EXPECT_TRUE(sawMessage("Nodes nested deeper than")) << allMessages();
  for (QvNode* node : nodes) EXPECT_LE(node->height, QvNode::kMaxDepth);
}

TEST_F(NodesTest, DefaultsOfTheNodeClasses) {
  ASSERT_EQ(parseBody("Separator { Material { } MaterialBinding { } ShapeHints { } MatrixTransform { }"
                      " SpotLight { } PerspectiveCamera { } Switch { } LOD { } Attributes { }"
                      " Info { } IndexedFaceSet { } AmbientSound { } Movie2 { } AsciiText { } }"),
            0);
  auto* sep = first<QvSeparator>();
  ASSERT_EQ(sep->getNumChildren(), 14);
  auto child = [&](int i) { return sep->getChild(i); };
  auto* material = dynamic_cast<QvMaterial*>(child(0));
  EXPECT_EQ(material->getNumValues(), 1);
  EXPECT_EQ(material->diffuseColor.values[0], 0.8f);
  EXPECT_EQ(dynamic_cast<QvMaterialBinding*>(child(1))->value.value, QvBinding::DEFAULT);
  auto* hints = dynamic_cast<QvShapeHints*>(child(2));
  EXPECT_EQ(hints->faceType.value, QvShapeHints::CONVEX);
  EXPECT_EQ(hints->creaseAngle.value, 0.5f);
  auto* matrix = dynamic_cast<QvMatrixTransform*>(child(3));
  EXPECT_EQ(matrix->matrix.value[2][2], 1.0f);
  EXPECT_EQ(matrix->matrix.value[2][3], 0.0f);
  auto* spot = dynamic_cast<QvSpotLight*>(child(4));
  EXPECT_EQ(spot->cutOffAngle.value, 0.785398f);
  EXPECT_EQ(spot->direction.value[2], -1.0f);
  EXPECT_EQ(dynamic_cast<QvPerspectiveCamera*>(child(5))->focalDistance.value, 5.0f);
  EXPECT_EQ(dynamic_cast<QvSwitch*>(child(6))->whichChild.value, -1);
  EXPECT_EQ(dynamic_cast<QvLOD*>(child(7))->range.num, 1);
  auto* attributes = dynamic_cast<QvAttributes*>(child(8));
  EXPECT_EQ(attributes->mobile.value, 1);
  EXPECT_EQ(attributes->assignId.value, 0);
  EXPECT_FALSE(attributes->isBuiltIn);
  EXPECT_STREQ(dynamic_cast<QvInfo*>(child(9))->string.value.getString(), "<Undefined info>");
  EXPECT_EQ(dynamic_cast<QvIndexedFaceSet*>(child(10))->materialIndex.values[0], -1);
  EXPECT_EQ(dynamic_cast<QvAmbientSound*>(child(11))->loop.value, 1);
  EXPECT_EQ(dynamic_cast<QvMovie2*>(child(12))->getAutoPlayField(), 1);
  EXPECT_EQ(dynamic_cast<QvAsciiText*>(child(13))->justification.value, QvAsciiText::LEFT);
  EXPECT_TRUE(messages().empty()) << allMessages();
}

TEST_F(NodesTest, EveryRegisteredTypeParses) {
  const char* types[] = {"Cone", "Coordinate3", "Cube", "Cylinder", "DirectionalLight", "Group",
                         "IndexedFaceSet", "IndexedLineSet", "Info", "LOD", "Material",
                         "MaterialBinding", "MatrixTransform", "Normal", "NormalBinding",
                         "OrthographicCamera", "PerspectiveCamera", "PointLight", "PointSet",
                         "Rotation", "Scale", "Separator", "ShapeHints", "Sphere", "SpotLight",
                         "Switch", "Texture2", "Texture2Transform", "TextureCoordinate2",
                         "Transform", "TransformSeparator", "Translation", "WWWAnchor", "WWWInline",
                         "Attributes", "Script", "EventHandler", "SporadicTask", "PeriodicTask",
                         "CalendarTask", "TransparentTexture2", "AmbientSound", "Movie2", "AsciiText"};
  for (const char* type : types) {
    qvReleaseNodes(nodes);
    ASSERT_EQ(parseBody(std::string(type) + " { }"), 0) << type << allMessages();
    EXPECT_STREQ(nodes[0]->getTypeName(), type);
  }
}

TEST_F(NodesTest, TextureFileNameMarksTheImageNotGiven) {
  ASSERT_EQ(parseBody("Texture2 { filename \"a.bmp\" image 1 1 1 7 }"), 0);
  auto* texture = first<QvTexture2>();
  EXPECT_FALSE(texture->filename.isDefault());
  EXPECT_TRUE(texture->image.isDefault());
  EXPECT_EQ(texture->image.width, 1);
}

TEST_F(NodesTest, MovieOptions) {
  struct Case {
    const char* option;
    float fps;
    int width, height;
    const char* sound;
  } cases[] = {
      {"", 4.0f, 128, 128, nullptr},
      {"width=64,height=32", 4.0f, 64, 32, nullptr},
      {"framesPerSec 8, width 64", 8.0f, 64, 128, nullptr},
      {"width=64, loop=1, height=32", 4.0f, 64, 128, nullptr},
      {" width=64", 4.0f, 128, 128, nullptr},
      {"width=abc, height=20", 4.0f, 128, 20, nullptr},
      {"sound=\\\"s.wav\\\"", 4.0f, 128, 128, "s.wav"},
      {"sound=plain.wav", 4.0f, 128, 128, "plain.wav"},
  };
  for (const Case& c : cases) {
    qvReleaseNodes(nodes);
    ASSERT_EQ(parseBody(std::string("Movie2 { option \"") + c.option + "\" }"), 0) << c.option;
    Movie2Options options;
    EXPECT_EQ(first<QvMovie2>()->getOptionField(&options), 0);
    EXPECT_EQ(options.framesPerSec, c.fps) << c.option;
    EXPECT_EQ(options.width, c.width) << c.option;
    EXPECT_EQ(options.height, c.height) << c.option;
    if (c.sound) EXPECT_STREQ(options.sound, c.sound) << c.option;
    else EXPECT_EQ(options.sound, nullptr) << c.option;
    zmFree(options.sound);
  }
  EXPECT_TRUE(sawMessage("cb_width: fails to get value."));
}

TEST_F(NodesTest, LongMovieOptionValueIsCut) {
  std::string sound(500, 's');
  ASSERT_EQ(parseBody("Movie2 { option \"sound=" + sound + "\" }"), 0);
  Movie2Options options;
  ASSERT_EQ(first<QvMovie2>()->getOptionField(&options), 0);
  EXPECT_EQ(std::string(options.sound), sound.substr(0, QvMovie2::kMaxOptionValue));
  zmFree(options.sound);
}

TEST_F(NodesTest, InlineNodesAreNumberedInFileOrder) {
  qvSession().inlineCounter = 1;
  ASSERT_EQ(parseBody("Separator { WWWInline { name \"a.wrl\" } WWWInline { } }"), 0);
  auto* sep = first<QvSeparator>();
  EXPECT_EQ(dynamic_cast<QvWWWInline*>(sep->getChild(0))->inlineNumber, 1);
  EXPECT_EQ(dynamic_cast<QvWWWInline*>(sep->getChild(1))->inlineNumber, 2);
}

// Every fixture: good files read without a message, tolerated files read
// with messages, bad files fail (some silently, as an unknown node at the
// top level or a file without nodes do).
TEST_F(NodesTest, Fixtures) {
  enum Messages { kNone, kSome, kAny };
  struct Folder {
    const char* name;
    int result;
    Messages messages;
  } folders[] = {{"good", 0, kNone}, {"tolerated", 0, kSome}, {"bad", -1, kAny}};
  for (const Folder& folder : folders) {
    std::string path = std::string(LUMENFOLD_TEST_DATA) + "/" + folder.name;
    DIR* dir = opendir(path.c_str());
    ASSERT_NE(dir, nullptr) << path;
    int files = 0;
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name.size() < 5 || name.substr(name.size() - 4) != ".wrl") continue;
      ++files;
      messages().clear();
      qvReleaseNodes(nodes);
      EXPECT_EQ(qvReadTopLevelNodes((path + "/" + name).c_str(), nodes), folder.result) << name;
      if (folder.messages != kAny) {
        EXPECT_EQ(messages().empty(), folder.messages == kNone) << name << ": " << allMessages();
      }
      dump();
    }
    closedir(dir);
    EXPECT_GT(files, 0) << path;
  }
}
