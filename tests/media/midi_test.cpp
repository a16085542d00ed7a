// tests/media/midi_test.cpp -- MIDI notes and sound sets as the bytes the
// device receives, and profiles whose values do not fit MIDI.
#include "tests/media/media_fixture.h"

namespace {

class MidiTest : public MediaTest {};

TEST_F(MidiTest, ANoteSoundStartsWithItsVolumeAndStopsOnTheNextPass) {
  std::string path = writeFile("bell.sna", "[bell]\nCHANNEL=3\nNOTE=60\n");
  ZmSoundLeaf* leaf = addSound("bell", path, 3, {0, 0, 0});
  zmPlaySpotSound(leaf->owner, 0);
  zmSoundSchedule();
  EXPECT_EQ(events("Midi"), (std::vector<std::string>{"007F07B2", "004027B2", "007F3C92"}));
  EXPECT_EQ(leaf->startTick, timeGetTime());
  runTicks(1);
  EXPECT_EQ(events("Midi").back(), "00003C82");
  EXPECT_EQ(leaf->state, ZM_SOUND_STOPPED);
}

TEST_F(MidiTest, ChannelVolumeSendsCoarseAndFineValues) {
  struct Case {
    int volume;
    std::vector<std::string> sent;
  };
  ASSERT_EQ(zmMidiOpen(), 0);
  for (const Case& c : {Case{255, {"007F07B0", "004027B0"}}, Case{1, {"000007B0", "004027B0"}},
                        Case{128, {"004007B0", "000027B0"}}}) {
    platform::clearRecordedEvents();
    EXPECT_EQ(zmMidiSetChannelVolume(1, c.volume), 0);
    EXPECT_EQ(events("Midi"), c.sent) << "volume " << c.volume;
  }
  EXPECT_EQ(zmMidiSetChannelVolume(0, 10), -1);
  EXPECT_EQ(zmMidiSetChannelVolume(17, 10), -1);
}

TEST_F(MidiTest, TheSoundSetSelectsItsProgramWhenTheWorldIsShown) {
  struct Case {
    const char* profile;
    std::vector<std::string> sent;
  };
  const Case cases[] = {
      {"[soundset]\nSOUNDSET=1\n", {"00FF00CF"}},             // channel 16 by default
      {"[soundset]\nSOUNDSET=128\nCHANNEL=2\n", {"00FF7FC1"}},
      {"[soundset]\nCHANNEL=2\n", {}},                         // no instrument named
      {"[soundset]\nSOUNDSET=129\n", {}},                      // beyond 7 bits: skipped
      {"[soundset]\nSOUNDSET=5\nCHANNEL=0\n", {}},
  };
  for (const Case& c : cases) {
    ZmSoundLeaf* leaf = addSound("soundset", writeFile("set.sna", c.profile), 3, {0, 0, 0});
    platform::clearRecordedEvents();
    zmSoundSetWorld(world);
    EXPECT_EQ(events("Midi"), c.sent) << c.profile;
    zmDeleteZmObj(leaf->owner);
  }
}

TEST_F(MidiTest, NoteProfilesOutsideMidiAreSkippedOrClampedWithAWarning) {
  struct Case {
    const char* profile;
    std::vector<std::string> sent;  // after the two volume messages
    bool warned;
  };
  const Case cases[] = {
      {"[n]\nNOTE=60\n", {}, true},                         // channel 0: skipped
      {"[n]\nCHANNEL=17\nNOTE=60\n", {}, true},
      {"[n]\nCHANNEL=1\nNOTE=200\nVEROCITY=-5\n", {"00007F90"}, true},
      {"[n]\nCHANNEL=1\nNOTE=64\nVEROCITY=100\n", {"00644090"}, false},
  };
  for (const Case& c : cases) {
    ZmSoundLeaf* leaf = addSound("n", writeFile("n.sna", c.profile), 3, {0, 0, 0});
    zmPlaySpotSound(leaf->owner, 0);
    platform::clearRecordedEvents();
    warningsShown.clear();
    zmSoundSchedule();
    std::vector<std::string> midi = events("Midi");
    std::vector<std::string> notes;
    for (const std::string& message : midi)
      if (message.substr(6, 1) == "9") notes.push_back(message);
    EXPECT_EQ(notes, c.sent) << c.profile;
    EXPECT_EQ(!warningsShown.empty(), c.warned) << c.profile;
    zmDeleteZmObj(leaf->owner);
  }
}

TEST_F(MidiTest, AfterAFailedOpenNothingIsSentOrRetried) {
  HMIDIOUT other = nullptr;
  ASSERT_EQ(midiOutOpen(&other, MIDI_MAPPER, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
  EXPECT_EQ(zmMidiNoteOn(1, 60, 100), -1);
  EXPECT_EQ(warningsShown, (std::vector<std::string>{"Can't open MIDI device"}));
  midiOutClose(other);
  EXPECT_EQ(zmMidiNoteOn(1, 60, 100), -1) << "not retried";
  EXPECT_EQ(warningsShown.size(), 1u);
  EXPECT_TRUE(events("Midi").empty());
}

}  // namespace
