// tests/vrml/session_test.cpp -- parses started inside other parses, as a
// message pump runs a script's or the multi-user client's request while a
// world is fetching an inline or showing a message.
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/vrml/builder_ext_fixture.h"
#include "tests/vrml/vrml_fixture.h"
#include "vrml/session.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

// The body file named at the top level stops nothing, so the parse ends
// with the stop flag still set and the body file named.
const char* kInnerWorld =
    "DEF Inner Separator { DEF InnerLink WWWAnchor { name \"inner-link.wrl\" Cube { } } DEF InnerBox Cube { } }\n"
    "DEF Kinemation Info { string \"walker.kin\" }\n"
    "DEF Title Info { string \"Inner\" }\n"
    "DEF Gravity Info { string \"off\" }\n";

const char* kOuterWorld =
    "Separator {\n"
    "  DEF Title Info { string \"Outer\" }\n"
    "  DEF Before Cube { }\n"
    "  DEF Link WWWAnchor { name \"outer-link.wrl\" Cube { } }\n"
    "  DEF Fetch WWWInline { name \"fetch.wrl\" }\n"
    "  DEF Gravity Info { string \"on\" }\n"
    "  DEF After Cube { }\n"
    "}\n";

// Runs once, inside the next inline fetch.
std::function<void()> duringFetch;
int (*fetchLocalFile)(ZmObj*, int, const char**);
std::map<std::string, ZmWorld*> urlWorlds;  // URL -> the world it was filed for
std::vector<std::pair<ZmWorld*, int>> gravitySettings;

// An inner parse lands either under an object of the current world, which
// is not the one being built, or (taking no world) in the world being built.
enum class InnerTarget { ObjectOfCurrentWorld, WorldBeingBuilt };

class NestedParseTest : public ExtensionTest {
 protected:
  void SetUp() override {
    ExtensionTest::SetUp();
    duringFetch = nullptr;
    urlWorlds.clear();
    gravitySettings.clear();
    other = zmNewWorld("other.wrl");
    ZmId first = -10000, last = -1;
    ASSERT_EQ(zmSetIdCounter(&first, &last, 0), 0);
    zmSetCurrentWorld(other);
    ASSERT_EQ(zmNewZmObj(other, &parent, 0), 0);
    ASSERT_EQ(zmAddTopObject(parent, "other.wrl"), 0);
    fetchLocalFile = vrmlHooks.loading->getLocalNameOfWWW;
    vrmlHooks.loading->getLocalNameOfWWW = [](ZmObj* object, int type, const char** localFile) {
      if (duringFetch) std::exchange(duringFetch, nullptr)();
      return fetchLocalFile(object, type, localFile);
    };
    vrmlHooks.loading->wwwLoadFile = [](const char* url) {
      urlWorlds[url] = zmGetWorldBeingBuiltOrCurrent();
      return standInUrl(url);
    };
    vrmlHooks.viewer->navSetGravity = [](intptr_t, int on) {
      gravitySettings.emplace_back(zmGetWorldBeingBuiltOrCurrent(), on);
    };
    fetchableUrls["fetch.wrl"] = fileWith("DEF Fetched Cube { }");
  }

  void TearDown() override {
    EXPECT_EQ(zmDeleteWorld(other), 0);
    ExtensionTest::TearDown();
  }

  // Reads the outer world while the inner file is added from inside its
  // inline fetch; the inner entry point's result and object.
  std::pair<int, ZmObj*> buildWithNestedAdd(InnerTarget target, const std::string& innerPath) {
    std::pair<int, ZmObj*> inner{1, nullptr};
    duringFetch = [&] {
      inner.first = target == InnerTarget::ObjectOfCurrentWorld
                        ? zmParseVRMLAddToObj(innerPath.c_str(), parent, &inner.second)
                        : zmParseVRMLAddToWorld(innerPath.c_str(), &inner.second);
    };
    outerPath = fileWith(kOuterWorld);
    EXPECT_EQ(parseVRMLIntoWorld(outerPath.c_str(), world), 0);
    EXPECT_EQ(duringFetch, nullptr) << "the inline was never fetched";
    return inner;
  }

  std::vector<std::string> topNames(const ZmWorld* w) const {
    std::vector<std::string> names;
    for (ZmTopObjList* node = w->topObjects; node; node = node->next) names.push_back(nameOf(node->object));
    return names;
  }

  // The outer world holds everything its own file asked for.
  void expectOuterWorldComplete() {
    ASSERT_STREQ(world->title, "Outer");
    auto* link = reinterpret_cast<ZmUrlHash*>(zmGetObjExtension(named("Link"), zmWWWAnchor));
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->url, "outer-link.wrl");
    EXPECT_THAT(childrenOf(named("Fetch")), ElementsAre(named("Fetched")));
    for (const std::string& url :
         {std::string("outer-link.wrl"), std::string("fetch.wrl"), outerPath, fetchableUrls["fetch.wrl"]})
      EXPECT_EQ(urlWorlds[url], world) << url;
    ASSERT_FALSE(gravitySettings.empty());
    EXPECT_EQ(gravitySettings.back(), std::make_pair(world, 1));
    EXPECT_TRUE(callsStartingWith("KINNEW").empty());
    // Nothing of either parse is left in the session at rest.
    EXPECT_EQ(qvSession().world, nullptr);
    EXPECT_EQ(qvSession().stopFlag, 0);
    EXPECT_EQ(qvSession().kinemationFile, nullptr);
  }

  // The inner object lands where it was asked, with the settings and URL
  // entries of its file; the outer world is whole.
  void expectBothWorldsComplete(InnerTarget target) {
    bool underParent = target == InnerTarget::ObjectOfCurrentWorld;
    ZmWorld* innerWorld = underParent ? other : world;
    std::string innerPath = fileWith(kInnerWorld);
    auto [result, added] = buildWithNestedAdd(target, innerPath);
    ASSERT_EQ(result, 0);
    expectOuterWorldComplete();

    std::vector<std::string> outerTops = {"Before", "Link", "Fetch", "After"};
    if (underParent) {
      EXPECT_THAT(topNames(world), ElementsAreArray(outerTops));
      ASSERT_NE(added, nullptr);
      EXPECT_EQ(nameOf(added), "Inner");
      EXPECT_THAT(childrenOf(parent), ElementsAre(added));
      EXPECT_STREQ(other->title, "Inner");
    } else {
      // Placed during the outer traversal, before the outer file's own objects.
      outerTops.insert(outerTops.begin(), {"InnerLink", "InnerBox"});
      EXPECT_THAT(topNames(world), ElementsAreArray(outerTops));
      EXPECT_EQ(added, named("InnerLink"));
      EXPECT_TRUE(childrenOf(parent).empty());
      EXPECT_EQ(other->title, nullptr);
    }
    EXPECT_EQ(urlWorlds["inner-link.wrl"], innerWorld);
    EXPECT_EQ(urlWorlds[innerPath], innerWorld);
    EXPECT_EQ(topNames(other).size(), 1u);  // its own object only
    EXPECT_EQ(gravitySettings, (std::vector<std::pair<ZmWorld*, int>>{{innerWorld, 0}, {world, 1}}));
  }

  void expectOuterWorldCompleteAfterFailedInnerParse(InnerTarget target) {
    // The Separator is never closed.
    std::string innerPath = fileWith("DEF Kinemation Info { string \"walker.kin\" }\nSeparator { DEF Half Cube { }\n");
    auto [result, added] = buildWithNestedAdd(target, innerPath);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(added, nullptr);
    expectOuterWorldComplete();
    EXPECT_THAT(topNames(world), ElementsAre("Before", "Link", "Fetch", "After"));
    EXPECT_TRUE(childrenOf(parent).empty());
    EXPECT_EQ(gravitySettings.size(), 1u);
  }

  ZmWorld* other = nullptr;  // the current world
  ZmObj* parent = nullptr;   // its one top object
  std::string outerPath;
};

TEST_F(NestedParseTest, AddedUnderAnObjectOfTheCurrentWorld) {
  expectBothWorldsComplete(InnerTarget::ObjectOfCurrentWorld);
}

TEST_F(NestedParseTest, AddedToTheWorldBeingBuilt) { expectBothWorldsComplete(InnerTarget::WorldBeingBuilt); }

TEST_F(NestedParseTest, FailingAddUnderAnObjectOfTheCurrentWorld) {
  expectOuterWorldCompleteAfterFailedInnerParse(InnerTarget::ObjectOfCurrentWorld);
}

TEST_F(NestedParseTest, FailingAddToTheWorldBeingBuilt) {
  expectOuterWorldCompleteAfterFailedInnerParse(InnerTarget::WorldBeingBuilt);
}

// ------------------------------------------------------------------------
// A parse started from a message shown while another file is being read.

int (*recordMessage)(const char*);
std::function<void()> duringMessage;

class ReadingInterruptedTest : public VrmlTest {
 protected:
  void SetUp() override {
    VrmlTest::SetUp();
    installStandInUrls(vrmlHooks);
    recordMessage = coreHooks.messages->notifyMessage;
    coreHooks.messages->notifyMessage = [](const char* text) {
      if (duringMessage) std::exchange(duringMessage, nullptr)();
      return recordMessage(text);
    };
    innerWorld = zmNewWorld("inner.wrl");
    zmSetCurrentWorld(innerWorld);
  }

  void TearDown() override {
    duringMessage = nullptr;
    zmSetCurrentWorld(nullptr);
    EXPECT_EQ(zmDeleteWorld(innerWorld), 0);
    std::remove(innerPath.c_str());
    VrmlTest::TearDown();
  }

  ZmWorld* innerWorld = nullptr;
  std::string innerPath = ::testing::TempDir() + "session_inner.wrl";
};

TEST_F(ReadingInterruptedTest, ReaderResumesWithItsOwnCounterLinesAndBodySetting) {
  std::ofstream(innerPath) << "#VRML V1.0 ascii\nDEF Box Cube { }\nDEF Kinemation Info { string \"walker.kin\" }\n";
  int innerResult = 1;
  ZmObj* added = nullptr;
  duringMessage = [&] { innerResult = zmParseVRMLAddToWorld(innerPath.c_str(), &added); };
  std::string tooManyFields;
  for (int i = 1; i <= QvNode::kMaxFieldsInOrder + 1; ++i) tooManyFields += " width " + std::to_string(i);
  qvSession().inlineCounter = 1;
  // The warning on the Cube's last field shows a message, which runs the
  // inner parse before the second inline is read.
  ASSERT_EQ(parseBody("Separator {\n"
                      "  DEF One WWWInline { }\n"
                      "  Cube {" + tooManyFields + " }\n"
                      "  DEF Two WWWInline { }\n"
                      "}\n"),
            0);
  ASSERT_EQ(innerResult, 0) << allMessages();
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->world, innerWorld);

  auto* sep = first<QvSeparator>();
  auto* one = dynamic_cast<QvWWWInline*>(sep->getChild(0));
  auto* two = dynamic_cast<QvWWWInline*>(sep->getChild(2));
  ASSERT_NE(one, nullptr);
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(one->inlineNumber, 1);
  EXPECT_EQ(two->inlineNumber, 2);
  EXPECT_EQ(two->lineNum, 5);
  EXPECT_EQ(two->fileEntry, one->fileEntry);
  EXPECT_EQ(qvSession().stopFlag, 0);
  EXPECT_EQ(qvSession().kinemationFile, nullptr);
}

#ifndef NDEBUG
// The guards are a stack: the outer one ending first would put back a
// session that the inner one still holds.
TEST(SessionDeathTest, AnOuterSessionEndingBeforeItsInnerOneStops) {
  EXPECT_DEATH(
      {
        auto outer = std::make_unique<QvSessionGuard>(nullptr, 1);
        auto inner = std::make_unique<QvSessionGuard>(nullptr, 1);
        outer.reset();
      },
      "^~QvSessionGuard: parse sessions end innermost first");
}
#endif

}  // namespace
