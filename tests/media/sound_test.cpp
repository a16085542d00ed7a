// tests/media/sound_test.cpp -- the sound scheduler: volume by distance and
// range, the loudest sounds chosen for the outputs, looping, suspending, and
// sounds deleted while they play.
#include <cmath>

#include "tests/media/media_fixture.h"
#include "vrml/parse.h"

namespace {

class SoundTest : public MediaTest {
 protected:
  std::string longWave(int16_t amplitude = 8000) {
    return writeFile("long.wav", waveBytes({squareWave(40000, amplitude)}));
  }
};

TEST_F(SoundTest, VolumeFadesWithDistanceToZeroAtTheRange) {
  struct Case {
    float distance, range;
    int volume, heard;
  };
  const Case cases[] = {
      {0.0f, 20.0f, 255, 255},  // on the centre: full
      {0.9f, 20.0f, 200, 200},  // nearer than 1.0: full
      {5.0f, 20.0f, 255, 191},  // trunc(15 / 20 x 255)
      {10.0f, 20.0f, 100, 50},
      {20.0f, 20.0f, 255, 0},   // at the range
      {30.0f, 20.0f, 255, 0},   // beyond it, never negative
  };
  ZmSoundLeaf* leaf = addSound("s", longWave(), 1, {0, 0, 0});
  leaf->autoPlay = 1;
  zmSoundAutoPlay(world);
  for (const Case& c : cases) {
    leaf->range = c.range;
    zmSetSoundVolume(leaf->owner, c.volume);
    moveCamera(c.distance, 0, 0);
    zmSoundSchedule();
    EXPECT_EQ(leaf->effectiveVolume, c.heard) << "distance " << c.distance;
    EXPECT_EQ(leaf->appliedVolume, c.heard) << "distance " << c.distance;
  }
  EXPECT_EQ(countOf(events("Wave"), "open 1 ch 8000 Hz 16 bit"), 1) << "new volumes, no restart";
}

TEST_F(SoundTest, RangeIsHalfTheCubeDiagonalAndAZeroSizeCubeIsSilent) {
  ZmSoundLeaf* boxed = addSound("boxed", longWave(), 1, {0, 0, 0}, 2.0f);
  ZmSoundLeaf* bare = addSound("bare", longWave(), 1, {50, 0, 0}, -1);
  ZmSoundLeaf* point = addSound("point", longWave(), 1, {-50, 0, 0}, 0.0f);
  ZmSoundLeaf* spot = addSound("spot", writeFile("spot.mid", "MThd"), 2, {90, 0, 0}, 0.0f);
  for (ZmSoundLeaf* leaf : {boxed, bare, point}) leaf->autoPlay = 1;
  zmSoundAutoPlay(world);
  zmPlaySpotSound(spot->owner, 1);
  EXPECT_FLOAT_EQ(boxed->range, std::sqrt(48.0f) / 2);
  EXPECT_FLOAT_EQ(bare->range, 20.0f);
  EXPECT_FLOAT_EQ(point->range, 0.0f);

  moveCamera(-50, 0, 0);  // exactly on the zero-size cube
  zmSoundSchedule();
  EXPECT_EQ(point->state, ZM_SOUND_AUDIBLE);
  EXPECT_EQ(point->effectiveVolume, 0);
  EXPECT_EQ(boxed->state, ZM_SOUND_OUTSIDE);
  EXPECT_EQ(bare->state, ZM_SOUND_AUDIBLE) << "no cube: audible wherever the camera is";
  EXPECT_EQ(spot->state, ZM_SOUND_AUDIBLE) << "unattenuated: audible wherever the camera is";
  EXPECT_EQ(spot->effectiveVolume, 255);
}

TEST_F(SoundTest, OnlyTheLouderWavePlaysAndTheOtherFollowsWhenItEnds) {
  std::string shortPath = writeFile("short.wav", waveBytes({squareWave(2000, 500)}));
  ZmSoundLeaf* near = addSound("near", shortPath, 1, {0, 0, 0});
  ZmSoundLeaf* far = addSound("far", longWave(), 1, {10, 0, 0});
  near->autoPlay = far->autoPlay = 1;
  zmSoundAutoPlay(world);
  near->range = far->range = 20.0f;
  zmSoundSchedule();
  EXPECT_EQ(near->device, 0);
  EXPECT_EQ(far->device, -1);
  EXPECT_EQ(events("WaveLevel").front(), "499") << "the near file plays at 255 / 256";

  runTicks(2);  // its 4000 bytes are in one block; the voice is done
  EXPECT_EQ(near->state, ZM_SOUND_STOPPED);
  EXPECT_EQ(far->device, 0);
  EXPECT_EQ(events("WaveLevel").back(), "3969") << "the far file at volume 127";
}

TEST_F(SoundTest, TheSixteenLoudestNotesPlay) {
  std::string profile;
  for (int i = 0; i < 18; ++i)
    profile += "[n" + std::to_string(i) + "]\nCHANNEL=" + std::to_string(i % 16 + 1) + "\nNOTE=" +
               std::to_string(40 + i) + "\n";
  std::string path = writeFile("notes.sna", profile);
  for (int i = 0; i < 18; ++i) {
    ZmSoundLeaf* leaf = addSound(("n" + std::to_string(i)).c_str(), path, 3, {0, 0, 0});
    leaf->autoPlay = 1;
    leaf->unattenuated = 1;
    leaf->volume = 100 + i;  // n0 and n1 are the quietest
  }
  zmSoundAutoPlay(world);
  zmSoundSchedule();
  std::vector<std::string> midi = events("Midi");
  int notesOn = 0;
  for (const std::string& message : midi) notesOn += message.substr(6, 1) == "9" ? 1 : 0;
  EXPECT_EQ(notesOn, 16);
  EXPECT_EQ(countOf(midi, "007F2890"), 0) << "n0 (note 40) is left out";
  EXPECT_EQ(countOf(midi, "007F2990"), 0) << "n1 (note 41) is left out";
  EXPECT_EQ(countOf(midi, "007F3991"), 1) << "n17 (note 57, channel 2) plays";
}

TEST_F(SoundTest, ALoopingSoundPlaysOnUntilStoppedAndResumesFromItsStart) {
  std::string path = writeFile("loop.wav", waveBytes({squareWave(300, 2000)}));
  ZmSoundLeaf* leaf = addSound("loop", path, 1, {0, 0, 0});
  zmPlaySpotSound(leaf->owner, 1);
  runTicks(200);
  EXPECT_EQ(leaf->state, ZM_SOUND_AUDIBLE);
  EXPECT_EQ(zmWaveIsPlaying(leaf->device), 1);

  EXPECT_EQ(zmSuspendAllSound(), 0);
  EXPECT_EQ(leaf->state, ZM_SOUND_PAUSED);
  EXPECT_FALSE(zmWaveDeviceOpen());
  EXPECT_EQ(zmResumeAllSound(), 0);
  runTicks(1);
  EXPECT_EQ(countOf(events("Wave"), "open 1 ch 8000 Hz 16 bit"), 2) << "reopened from its start";

  EXPECT_EQ(zmStopSoundByName("loop"), 0);
  runTicks(1);
  EXPECT_FALSE(zmWaveDeviceOpen());
  EXPECT_EQ(zmStopSoundByName("nothing"), -1);
}

TEST_F(SoundTest, ASoundDeletedWhilePlayingStopsAndGivesItsBlocksBack) {
  ZmSoundLeaf* leaf = addSound("doomed", longWave(), 1, {0, 0, 0});
  zmPlaySpotSound(leaf->owner, 1);
  runTicks(3);
  ASSERT_TRUE(zmWaveDeviceOpen());
  ASSERT_EQ(zmDeleteZmObj(leaf->owner), 0);
  EXPECT_FALSE(zmWaveDeviceOpen());
  EXPECT_EQ(world->soundObjects.count, 0);
  std::vector<std::string> wave = events("Wave");
  ASSERT_GE(wave.size(), 2u);
  EXPECT_EQ(std::vector<std::string>(wave.end() - 2, wave.end()), (std::vector<std::string>{"reset", "close"}));
  size_t before = wave.size();
  runTicks(50);
  EXPECT_EQ(events("Wave").size(), before) << "nothing plays after the deletion";
}

TEST_F(SoundTest, ScriptOperationsRefuseObjectsWithoutSoundLeaf) {
  ZmObj* plain = nullptr;
  ASSERT_EQ(zmNewZmObj(world, &plain, 1), 0);
  zmNameObject(plain, "plain");
  ASSERT_EQ(zmAddTopObject(plain, "plain"), 0);
  zmAddZmObjToZmMFObj(&world->soundObjects, plain);
  EXPECT_EQ(zmPlayAmbientSound(plain, 0), -1);
  EXPECT_EQ(zmSetSoundVolume(plain, 3), -1);
  EXPECT_EQ(zmPlaySpotSoundByName("plain", 0), -1);
  EXPECT_EQ(warningsShown, (std::vector<std::string>{"zmAmbientSoundPlay: sound object has no sound leaf",
                                                     "zmAmbientSoundPlay: sound object has no sound leaf",
                                                     "zmAmbientSoundPlay: sound object plain has no sound leaf"}));
  zmRemoveObjToZmMFObj(&world->soundObjects, plain);
  zmSoundSetWorld(nullptr);
  EXPECT_EQ(zmSuspendAllSound(), -1);
}

// The whole way from a world file: the reader makes the sound objects, the
// world being shown selects the instrument, and the sounds around the
// camera start on the next tick.
TEST_F(SoundTest, AWorldFilesSoundsPlayWhereTheCameraStands) {
  static std::string fetchFolder;
  fetchFolder = folder;
  zmSetUrlFetch([](ZmUrlHash* entry) {
    static std::string local;
    local = fetchFolder + "/" + entry->url;
    return local.c_str();
  });
  writeFile("set.sna", "[soundset]\nSOUNDSET=20\nCHANNEL=4\n");
  writeFile("notes.sna", "[bell]\nCHANNEL=4\nNOTE=72\nVEROCITY=90\n");
  writeFile("rain.wav", waveBytes({squareWave(40000, 1000)}));
  std::string path = writeFile("sounds.wrl",
                               "#VRML V1.0 ascii\n"
                               "Separator {\n"
                               "  DEF soundset AmbientSound { filename \"set.sna\" }\n"
                               "  DEF bell AmbientSound { filename \"notes.sna\" bboxSize 10 10 10 }\n"
                               "  DEF rain AmbientSound { filename \"rain.wav\" bboxSize 10 10 10 }\n"
                               "  DEF far AmbientSound { filename \"rain.wav\" bboxSize 2 2 2 bboxCenter 50 0 0 }\n"
                               "}\n");
  ASSERT_EQ(parseVRMLIntoWorld(path.c_str(), world), 0);
  ASSERT_EQ(world->soundObjects.count, 4);
  zmSoundAutoPlay(world);
  zmSoundSetWorld(world);
  EXPECT_EQ(events("Midi"), (std::vector<std::string>{"00FF13C3"})) << "program 20 on channel 4";

  moveCamera(1, 0, 0);
  zmSoundSchedule();
  std::vector<std::string> midi = events("Midi");
  EXPECT_EQ(midi.back(), "005A4893") << "the bell: note 72, velocity 90 on channel 4";
  EXPECT_EQ(countOf(events("Wave"), "open 1 ch 8000 Hz 16 bit"), 1) << "the rain, not the far one";
}

}  // namespace
