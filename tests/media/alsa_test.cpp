// tests/media/alsa_test.cpp -- wave output heard through ALSA: the player's
// blocks reach an ALSA device, here the file plugin, which writes them into
// a WAV file whose length and level are checked. Skipped when ALSA cannot
// open that device.
#include <cstdlib>

#include "core/report.h"
#include "media/output.h"
#include "platform/recorder.h"
#include "platform/alsapcm.h"
#include "platform/midisynth.h"
#include "tests/media/media_fixture.h"
#include "tests/own_modules.h"

namespace {

constexpr int kBlockBytes = 4048;

class AlsaTest : public MediaTest {
 protected:
  void SetUp() override {
    MediaTest::SetUp();
    zmTurnOnFlagByName("message");
  }

  // The debug lines printed since the test began, without their function prefix.
  static std::vector<std::string> debugLines() {
    std::vector<std::string> lines;
    for (const auto& event : platform::recordedEvents("DebugOutput")) {
      std::string text = event.detail;
      size_t at = text.find("(): ");
      if (at != std::string::npos) text = text.substr(at + 4);
      if (!text.empty() && text.back() == '\n') text.pop_back();
      lines.push_back(text);
    }
    return lines;
  }

  void TearDown() override {
    MediaTest::TearDown();
    platform::chooseAlsaOutput(nullptr);
    platform::chooseMidiSynth(nullptr, "");
    unsetenv("LUMENFOLD_SOUND_DEVICE");
    unsetenv("LUMENFOLD_SOUNDFONT");
  }

  // The data chunk of a WAV file: its bytes, empty when there is none.
  static std::string dataChunk(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return {};
    std::string bytes;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, n);
    std::fclose(file);
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
      uint32_t size = uint8_t(bytes[at + 4]) | uint8_t(bytes[at + 5]) << 8 | uint8_t(bytes[at + 6]) << 16 |
                      uint32_t(uint8_t(bytes[at + 7])) << 24;
      if (bytes.compare(at, 4, "data") == 0) return bytes.substr(at + 8, size);
      at += 8 + size + size % 2;
    }
    return {};
  }

  static int peakOf(const std::string& data) {
    int peak = 0;
    for (size_t i = 0; i + 1 < data.size(); i += 2)
      peak = std::max(peak, std::abs(int(int16_t(uint8_t(data[i]) | uint8_t(data[i + 1]) << 8))));
    return peak;
  }
};

TEST_F(AlsaTest, ThePlayedBlocksReachTheDeviceAtTheirVolume) {
  std::string heard = folder + "/heard.wav";
  std::string device = "file:FILE=" + heard + ",FORMAT=wav";
  setenv("LUMENFOLD_SOUND_DEVICE", device.c_str(), 1);
  setenv("LUMENFOLD_SOUNDFONT", "", 1);
  if (zmSoundChooseOutput() != 1) GTEST_SKIP() << "ALSA cannot open " << device;
  EXPECT_EQ(debugLines(), (std::vector<std::string>{"Sound output: ALSA device " + device,
                                                    "MIDI output: silent (no soundfont)"}));
  EXPECT_TRUE(warningsShown.empty()) << "the choice of output is no message for the user";

  // Two and a half blocks of samples at amplitude 12000, played at half volume.
  std::string path = writeFile("tone.wav", waveBytes({squareWave(kBlockBytes * 5 / 4, 12000)}));
  int voice = zmWaveOpen(path.c_str(), 0);
  ASSERT_EQ(voice, 0);
  zmWaveSetVolume(voice, 128);
  zmWavePlay(voice);
  runTicks(60);
  ASSERT_FALSE(zmWaveDeviceOpen());

  std::string data = dataChunk(heard);
  EXPECT_EQ(data.size(), size_t(3 * kBlockBytes)) << "three blocks, the last padded with silence";
  EXPECT_EQ(peakOf(data), 6000);
  EXPECT_EQ(peakOf(data.substr(kBlockBytes * 5 / 2)), 0) << "the padding is silent";
  std::remove(heard.c_str());
}

TEST_F(AlsaTest, NoDeviceLeavesTheSilentOutputAndSaysSo) {
  for (const char* device : {"none", "", "no-such-alsa-device"}) {
    setenv("LUMENFOLD_SOUND_DEVICE", device, 1);
    EXPECT_EQ(zmSoundChooseOutput(), 0) << device;
    EXPECT_EQ(debugLines().back(), "Sound output: silent (no ALSA playback device)") << device;
    EXPECT_TRUE(warningsShown.empty()) << device;
    EXPECT_TRUE(platform::alsaOutputName().empty()) << device;
  }
}

// The notes the scheduler sends are played by the synthesiser: rendered
// here on demand rather than through a device, so that the level can be
// read back.
TEST_F(AlsaTest, TheSynthesiserSoundsANoteAndFallsSilentAfterItsNoteOff) {
  const char* soundFont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
  if (!platform::chooseMidiSynth(soundFont, "")) GTEST_SKIP() << "no soundfont " << soundFont;
  std::vector<int16_t> frames(2 * 4410);
  auto peakAfter = [&frames] {
    EXPECT_TRUE(platform::midiSynthRender(frames.data(), int(frames.size() / 2)));
    int peak = 0;
    for (int16_t sample : frames) peak = std::max(peak, std::abs(int(sample)));
    return peak;
  };
  EXPECT_LT(peakAfter(), 50) << "silent (but for dither) before any note";
  ASSERT_EQ(zmMidiNoteOn(1, 60, 127), 0);
  EXPECT_GT(peakAfter(), 1000) << "the note sounds";
  ASSERT_EQ(zmMidiNoteOff(1, 60), 0);
  for (int i = 0; i < 30; ++i) peakAfter();  // three seconds of release
  EXPECT_LT(peakAfter(), 50) << "and ends";
}

TEST_F(AlsaTest, WithoutTheSynthesiserModuleNoSoundFontLoadsAndNothingIsRendered) {
  MissingModules missing;
  for (int attempt = 0; attempt < 2; ++attempt)
    EXPECT_FALSE(platform::chooseMidiSynth("/usr/share/sounds/sf2/FluidR3_GM.sf2", ""));
  EXPECT_EQ(platform::midiSynthSoundFont(), "");
  std::vector<int16_t> frames(2 * 64);
  EXPECT_FALSE(platform::midiSynthRender(frames.data(), 64));
  platform::midiSynthSend(0x7F3C90);  // a note on, to no synthesiser
  ASSERT_EQ(missing.reports().size(), 1u);
  EXPECT_NE(missing.reports()[0].find("midisynth.so"), std::string::npos) << missing.reports()[0];
}

}  // namespace
