// tests/media/wave_test.cpp -- the wave player: blocks streamed on the
// device's time, volume while copying, looping, the end of the data and
// files it must refuse.
#include "core/dirs.h"
#include "tests/media/media_fixture.h"

namespace {

constexpr int kBlockBytes = 4048;

class WaveTest : public MediaTest {};

// One block of data at 8000 Hz, 16 bits, lasts 253 ms.
TEST_F(WaveTest, AFileStreamsToItsEndAndTheDeviceClosesAfterTheLastBlock) {
  // Two and a half blocks of samples: three blocks, the last padded.
  std::string path = writeFile("a.wav", waveBytes({squareWave(kBlockBytes * 5 / 4, 1000)}));
  int voice = zmWaveOpen(path.c_str(), 0);
  ASSERT_EQ(voice, 0);
  ASSERT_EQ(zmWavePlay(voice), 0);
  EXPECT_EQ(zmWaveIsPlaying(voice), 0) << "all data is in blocks, the voice is free";
  runTicks(40);
  EXPECT_EQ(events("Wave"), (std::vector<std::string>{"open 1 ch 8000 Hz 16 bit", "write 4048", "write 4048",
                                                      "write 4048", "close"}));
  EXPECT_FALSE(zmWaveDeviceOpen());
}

TEST_F(WaveTest, VolumeScalesEverySampleAndZeroKeepsTheVoicePlaying) {
  struct Case {
    uint16_t bits;
    int16_t amplitude;
    unsigned volume;
    std::string peak;
  };
  for (const Case& c : {Case{16, 20000, 256, "20000"}, Case{16, 20000, 128, "10000"}, Case{16, 20000, 0, "0"},
                        Case{8, 100, 128, "50"}, Case{8, 100, 0, "0"}}) {
    platform::clearRecordedEvents();
    WaveLayout layout{squareWave(kBlockBytes * 4, c.amplitude)};
    layout.bits = c.bits;
    std::string path = writeFile("v.wav", waveBytes(layout));
    int voice = zmWaveOpen(path.c_str(), 1);
    ASSERT_EQ(voice, 0);
    zmWaveSetVolume(voice, c.volume);
    zmWavePlay(voice);
    EXPECT_EQ(events("WaveLevel").front(), c.peak) << c.bits << " bits, volume " << c.volume;
    EXPECT_EQ(zmWaveIsPlaying(voice), 1);
    EXPECT_EQ(zmWaveStop(voice), 0);
    EXPECT_FALSE(zmWaveDeviceOpen());
  }
}

TEST_F(WaveTest, ALoopingFileWrapsWithoutAGapAndOneVoiceIsAll) {
  // 1000 bytes of data: every block holds the file four times and more.
  std::string path = writeFile("loop.wav", waveBytes({squareWave(500, 3000)}));
  int voice = zmWaveOpen(path.c_str(), 1);
  ASSERT_EQ(voice, 0);
  EXPECT_EQ(zmWaveOpen(path.c_str(), 0), -1) << "one voice only";
  zmWavePlay(voice);
  runTicks(300);  // six seconds: many times the 16 blocks
  EXPECT_EQ(zmWaveIsPlaying(voice), 1);
  std::vector<std::string> levels = events("WaveLevel");
  EXPECT_GT(levels.size(), 20u);
  EXPECT_EQ(countOf(levels, "3000"), int(levels.size())) << "no block holds silence";
  EXPECT_EQ(countOf(events("Wave"), "close"), 0);
}

TEST_F(WaveTest, DataClaimingMoreThanTheFileHoldsEndsAtTheRealEnd) {
  WaveLayout layout{squareWave(3000, 1000)};
  layout.claimedDataBytes = 1000000;
  std::string path = writeFile("short.wav", waveBytes(layout));
  int voice = zmWaveOpen(path.c_str(), 0);
  ASSERT_EQ(voice, 0);
  zmWavePlay(voice);
  runTicks(50);
  EXPECT_EQ(zmWaveIsPlaying(voice), 0);
  EXPECT_EQ(countOf(events("Wave"), "write 4048"), 2) << "6000 bytes: two blocks";
  EXPECT_FALSE(zmWaveDeviceOpen());
  EXPECT_EQ(zmWaveOpen(path.c_str(), 0), 0) << "the voice is free again";
}

// A data chunk of no bytes, looping or not, gives no block and no notice:
// the device closes at once, and the next file opens it in its own format.
TEST_F(WaveTest, AnEmptyDataChunkLeavesTheDeviceClosedForTheNextFormat) {
  for (int loop : {0, 1}) {
    platform::clearRecordedEvents();
    WaveLayout empty{{}};
    empty.bits = 8;
    empty.rate = 11025;
    int voice = zmWaveOpen(writeFile("empty.wav", waveBytes(empty)).c_str(), loop);
    ASSERT_EQ(voice, 0) << loop;
    zmWavePlay(voice);
    EXPECT_FALSE(zmWaveDeviceOpen()) << loop;
    voice = zmWaveOpen(writeFile("next.wav", waveBytes({squareWave(100, 1000)})).c_str(), 0);
    ASSERT_EQ(voice, 0) << loop;
    EXPECT_EQ(events("Wave"), (std::vector<std::string>{"open 1 ch 11025 Hz 8 bit", "close", "open 1 ch 8000 Hz 16 bit"}))
        << loop;
    zmWaveStop(voice);
  }
}

TEST_F(WaveTest, FilesThatAreNoPlayableWaveAreRefusedAndLeaveTheDeviceClosed) {
  WaveLayout noData{squareWave(100, 1)};
  noData.withData = false;
  WaveLayout shortFormat{squareWave(100, 1)};
  shortFormat.fmtBytes = 10;  // the file ends inside the format
  shortFormat.withData = false;
  WaveLayout twelveBits{squareWave(100, 1)};
  twelveBits.bits = 12;
  struct Case {
    const char* name;
    std::string bytes;
  };
  for (const Case& c : {Case{"nodata.wav", waveBytes(noData)}, Case{"shortfmt.wav", waveBytes(shortFormat)},
                        Case{"badformat.wav", waveBytes(twelveBits)}, Case{"text.wav", "not a wave"}}) {
    std::string path = writeFile(c.name, c.bytes);
    EXPECT_EQ(zmWaveOpen(path.c_str(), 0), -1) << c.name;
    EXPECT_FALSE(zmWaveDeviceOpen()) << c.name;
  }
  EXPECT_EQ(zmWaveOpen((folder + "/missing.wav").c_str(), 0), -1);
  EXPECT_TRUE(events("Wave").empty());
}

TEST_F(WaveTest, TheShippedSoundsPlayWholeAndAudible) {
  char programDir[512];
  ASSERT_GT(zmGetModuleDirName(programDir, sizeof programDir), 0);
  for (const char* name : {"alert.wav", "man_slow.wav", "man_middle.wav", "man_fast.wav", "man_turn.wav"}) {
    platform::clearRecordedEvents();
    std::string path = std::string(programDir) + name;
    FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr) << path;
    std::fseek(file, 0, SEEK_END);
    long dataBytes = std::ftell(file) - 44;  // after the plain 44-byte header
    std::fclose(file);
    int voice = zmWaveOpen(path.c_str(), 0);
    ASSERT_EQ(voice, 0) << name;
    zmWavePlay(voice);
    runTicks(150);
    EXPECT_EQ(countOf(events("Wave"), "write 4048"), int((dataBytes + kBlockBytes - 1) / kBlockBytes)) << name;
    int loudest = 0;
    for (const std::string& level : events("WaveLevel")) loudest = std::max(loudest, std::stoi(level));
    EXPECT_GT(loudest, 3000) << name;
    EXPECT_FALSE(zmWaveDeviceOpen()) << name;
  }
}

}  // namespace
