// media/soundsystem.h -- the sound system's record (private to media/).
//
// Owns: SoundSystem, the program-wide state of the sound scheduler and of
// the two outputs it drives. They are one system: the scheduler decides
// what plays and starts and stops it on the outputs, and pausing, resuming
// and leaving a world act on all three at once. Each module writes only its
// own member: `scheduler` media/sound.cpp, `wave` media/wave.cpp, `midi`
// media/midi.cpp. The record itself is defined in media/sound.cpp. It does
// not own the sound leaves (core) nor the devices' stand-ins (platform).
#ifndef LUMENFOLD_MEDIA_SOUNDSYSTEM_H
#define LUMENFOLD_MEDIA_SOUNDSYSTEM_H

#include <array>
#include <memory>

#include "core/leaf.h"
#include "platform/windows.h"

struct ZmWorld;

// ---- the scheduler (media/sound.cpp) ---------------------------------------

constexpr int kSoundChannelTypes = 4;  // channel types 0 to 3 (media/sound.h)

// The lists are chained through the leaves' own link fields; the playing
// lists hold what the outputs play.
struct SoundScheduler {
  ZmWorld* world = nullptr;                          // the world whose sounds are scheduled
  ZmSoundLeaf* candidates = nullptr;                 // state 1, loudest first
  ZmSoundLeaf* selection[kSoundChannelTypes] = {};  // this pass's choice per type
  ZmSoundLeaf* playing[kSoundChannelTypes] = {};    // what the last pass started
  bool channelOn[kSoundChannelTypes] = {false, true, false, true};  // MIDI files never play
  int limit[kSoundChannelTypes] = {0, 1, 1, 16};
};

// ---- the wave player (media/wave.cpp) --------------------------------------

constexpr int kWaveVoiceCount = 1;
constexpr int kWaveBlockCount = 16;
constexpr LONG kWaveBlockBytes = 4048;

enum WaveVoiceState { kWaveVoiceFree = 0, kWaveVoicePlaying = 2, kWaveVoiceFinished = 3 };

struct WaveVoice {
  int state = kWaveVoiceFree;
  LONG dataStart = 0;  // file position of the first sample byte
  LONG current = 0;
  LONG dataEnd = 0;
  WAVEFORMATEX format{};
  HMMIO file = nullptr;
  unsigned volume = 256;
  int loop = 0;
};

struct WaveBlock {
  WAVEHDR header;
  std::array<char, kWaveBlockBytes> data;
  bool withDevice;  // written and not yet taken back
};

struct WavePlayer {
  std::array<WaveVoice, kWaveVoiceCount> voices;
  HWAVEOUT device = nullptr;
  std::unique_ptr<std::array<WaveBlock, kWaveBlockCount>> blocks;  // made once
  std::array<char, kWaveBlockBytes> readBuffer;
  int head = 0;    // the oldest filled block
  int queued = 0;  // blocks with the device
  int filled = 0;  // blocks holding data not yet played (queued included)
  int playing = 0; // voices in state 2
};

// ---- the MIDI output (media/midi.cpp) --------------------------------------

enum MidiOutState { kMidiClosed = 0, kMidiOpen = 1, kMidiFailed = 2 };

struct MidiOut {
  int state = kMidiClosed;
  HMIDIOUT handle = nullptr;
};

struct SoundSystem {
  SoundScheduler scheduler;
  WavePlayer wave;
  MidiOut midi;
};
SoundSystem& soundSystem();

#endif
