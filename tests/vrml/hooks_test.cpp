// tests/vrml/hooks_test.cpp -- what the reader's and builder's hook
// wrappers do while their slot is unset.
#include <gtest/gtest.h>

#include <functional>

#include "core/leaf.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/strings.h"
#include "core/world.h"
#include "tests/vrml_hook_guards.h"
#include "vrml/hooks.h"

namespace {

class VrmlHooksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    world = zmNewWorld("hooks.wrl");
    ASSERT_NE(world, nullptr);
    ASSERT_EQ(zmNewZmObj(world, &object, 0), 0);
    ASSERT_EQ(zmAddTopObject(object, "hooks.wrl"), 0);
  }
  void TearDown() override { EXPECT_EQ(zmDeleteWorld(world), 0); }

  CoreHookGuards coreHooks;
  VrmlHookGuards vrmlHooks;
  ZmWorld* world = nullptr;
  ZmObj* object = nullptr;
};

struct DefaultCase {
  const char* wrapper;
  std::function<bool(ZmWorld*, ZmObj*)> answersItsDefault;
};

// Without the upper layers nothing can be fetched, evaluated, queued or
// loaded, and the builder must hear that as a failure; a sound with nowhere
// to play is no failure.
TEST_F(VrmlHooksTest, UnsetSlotsAnswerTheirDocumentedDefault) {
  const DefaultCase cases[] = {
      {"hookWwwLoadFile", [](ZmWorld*, ZmObj*) { return vrmlLoading().wwwLoadFile("a.wrl") == nullptr; }},
      {"hookGetUrl", [](ZmWorld*, ZmObj*) { return vrmlLoading().getUrl(nullptr) == nullptr; }},
      {"hookGetLocalFile", [](ZmWorld*, ZmObj*) { return vrmlLoading().getLocalFile(nullptr) == nullptr; }},
      {"hookSetNameOfWWW",
       [](ZmWorld*, ZmObj* o) { return vrmlLoading().setNameOfWWW(o, zmWWWInline, "a.wrl") == -1; }},
      {"hookGetLocalNameOfWWW",
       [](ZmWorld*, ZmObj* o) {
         const char* local = "kept";
         return vrmlLoading().getLocalNameOfWWW(o, zmWWWInline, &local) == -1 && zmStrEq(local, "kept");
       }},
      {"hookScriptEvalStr",
       [](ZmWorld* w, ZmObj*) { return vrmlScript().scriptEvalStr(w, 1, "set x 1", nullptr) == -1; }},
      {"hookAddEventHandler",
       [](ZmWorld*, ZmObj* o) { return vrmlScript().addEventHandler(o, "f.tcl", 1, 1, "fn", "", "") == -1; }},
      {"hookAddTimeOutHandler",
       [](ZmWorld*, ZmObj* o) { return vrmlScript().addTimeOutHandler(o, "f.tcl", 10, 1, "fn", "", 0) == nullptr; }},
      {"hookNewMovie", [](ZmWorld*, ZmObj*) { return vrmlMedia().newMovie() == nullptr; }},
      {"hookKinNew",
       [](ZmWorld* w, ZmObj*) {
         ZmObj* body = nullptr;
         return vrmlMedia().kinNew(w, "body.kin", "a.wrl", &body) == -1 && body == nullptr;
       }},
      {"hookAddSoundObj", [](ZmWorld* w, ZmObj* o) { return vrmlMedia().addSoundObj(w, o) == 0; }},
  };
  for (const DefaultCase& c : cases) EXPECT_TRUE(c.answersItsDefault(world, object)) << c.wrapper;
}

ZmUrlHash* fakeEntry(const char*) {
  static char entry;
  return reinterpret_cast<ZmUrlHash*>(&entry);
}

TEST_F(VrmlHooksTest, UnsetNamingAttachesTheEntryTheUrlTableGives) {
  vrmlHooks.loading->wwwLoadFile = fakeEntry;
  ASSERT_EQ(vrmlLoading().setNameOfWWW(object, zmWWWAnchor, "b.wrl"), 0);
  EXPECT_EQ(zmGetObjExtension(object, zmWWWAnchor), reinterpret_cast<intptr_t>(fakeEntry(nullptr)));
}

// Each of these frees what it was handed; the leak checker fails the run
// when one does not.
TEST_F(VrmlHooksTest, UnsetReleasesFreeWhatTheyAreHanded) {
  vrmlLoading().extractLha("pack.lzh", zmStrdup("pack.lzh"));
  auto* movie = static_cast<ZmTextureMovie*>(zmMalloc(sizeof(ZmTextureMovie)));
  movie->soundFile = zmStrdup("sound.wav");
  vrmlMedia().deleteTextureMovie(movie);
}

TEST_F(VrmlHooksTest, UnsetSoundLeafHasMediasDefaults) {
  auto* leaf = static_cast<ZmSoundLeaf*>(vrmlMedia().newSoundLeaf());
  ASSERT_NE(leaf, nullptr);
  EXPECT_EQ(leaf->kind, ZM_LEAF_SOUND);
  EXPECT_EQ(leaf->channelType, 0);
  EXPECT_EQ(leaf->volume, 255);
  EXPECT_EQ(leaf->effectiveVolume, 255);
  EXPECT_EQ(leaf->appliedVolume, 255);
  EXPECT_EQ(leaf->range, 20.0f);
  zmDeleteLeaf(leaf);
}

}  // namespace
