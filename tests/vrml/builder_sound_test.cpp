// tests/vrml/builder_sound_test.cpp -- AmbientSound objects: the sound leaf,
// its channel by suffix, the box, and the entry in the world's sounds.
#include "tests/vrml/builder_ext_fixture.h"
#include "core/bounds.h"

namespace {

const ZmSoundLeaf* soundOf(const ZmObj* object) {
  EXPECT_NE(object->leaf, nullptr);
  EXPECT_EQ(object->leaf->kind, ZM_LEAF_SOUND);
  return static_cast<const ZmSoundLeaf*>(object->leaf);
}

}  // namespace

TEST_F(ExtensionTest, SoundChannelComesFromTheExactSuffix) {
  struct Case {
    const char* fileName;
    int32_t channel;
    const char* warnedSuffix;  // null: no warning
  } cases[] = {
      {"rain.wav", 1, nullptr}, {"song.mid", 2, nullptr}, {"set.sna", 3, nullptr},
      {"RAIN.WAV", 0, ".WAV"},  {"wav", 0, "wav"},        {"noise.au", 0, "e.au"},
  };
  for (const Case& c : cases) {
    builderMessages.clear();
    ASSERT_EQ(build(std::string("Separator { DEF S AmbientSound { filename \"") + c.fileName + "\" } }"), 0);
    ZmObj* sound = topObjects().back();
    const ZmSoundLeaf* leaf = soundOf(sound);
    EXPECT_EQ(leaf->channelType, c.channel) << c.fileName;
    ASSERT_NE(leaf->file, nullptr);
    EXPECT_EQ(leaf->file->url, c.fileName);
    std::string warning = std::string("QvAmbientSound::createZmLeaf(): Unknown '") +
                          (c.warnedSuffix ? c.warnedSuffix : "") + "' suffixes of filename.";
    EXPECT_EQ(sawMessage(warning), c.warnedSuffix != nullptr) << c.fileName;
  }
}

TEST_F(ExtensionTest, SoundFlagsDefaultsAndBox) {
  ASSERT_EQ(build("Separator { DEF Loud AmbientSound { filename \"a.wav\" }"
                  " DEF Quiet AmbientSound { filename \"b.wav\" autoPlay FALSE loop FALSE"
                  "   bboxSize 2 4 6 bboxCenter 1 1 1 } }"),
            0);
  const ZmSoundLeaf* loud = soundOf(named("Loud"));
  EXPECT_EQ(loud->autoPlay, 1);
  EXPECT_EQ(loud->loop, 1);
  EXPECT_EQ(loud->volume, 255);
  EXPECT_FLOAT_EQ(loud->range, 20.0f);
  const ZmBoundingCube* point = zmGetBoundingCube(named("Loud"));
  ASSERT_NE(point, nullptr);
  EXPECT_FLOAT_EQ(point->local_min.x, 0.0f);
  EXPECT_FLOAT_EQ(point->local_max.z, 0.0f);

  const ZmSoundLeaf* quiet = soundOf(named("Quiet"));
  EXPECT_EQ(quiet->autoPlay, 0);
  EXPECT_EQ(quiet->loop, 0);
  const ZmBoundingCube* box = zmGetBoundingCube(named("Quiet"));
  ASSERT_NE(box, nullptr);
  EXPECT_FLOAT_EQ(box->local_min.x, 0.0f);
  EXPECT_FLOAT_EQ(box->local_min.y, -1.0f);
  EXPECT_FLOAT_EQ(box->local_min.z, -2.0f);
  EXPECT_FLOAT_EQ(box->local_max.x, 2.0f);
  EXPECT_FLOAT_EQ(box->local_max.y, 3.0f);
  EXPECT_FLOAT_EQ(box->local_max.z, 4.0f);
}

TEST_F(ExtensionTest, SoundObjectsAreHandedToMediaAndRemovedWhenRefused) {
  static std::vector<ZmObj*> entered;
  entered.clear();
  vrmlHooks.media->addSoundObj = [](ZmWorld*, ZmObj* object) {
    if (zmObjNameIs(object, "Refused")) return -1;
    entered.push_back(object);
    return 0;
  };
  ASSERT_EQ(build("Separator { Attributes { comment \"ambient\" } DEF Kept AmbientSound { filename \"k.mid\" }"
                  " DEF Refused AmbientSound { filename \"r.mid\" } }"),
            0);
  ASSERT_EQ(entered.size(), 1u);
  EXPECT_EQ(entered[0], named("Kept"));
  EXPECT_STREQ(entered[0]->comment[3], "ambient");
  EXPECT_TRUE(sawMessage("QvAmbientSound::setZmSpecialNode(): zmAddSoundObj() failed."));
  EXPECT_EQ(topObjects().size(), 1u);
  EXPECT_EQ(world->objectCount, 1);
}
