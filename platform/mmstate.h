// platform/mmstate.h -- the multimedia devices' one record: the open wave
// and MIDI devices, the sound output behind them and the open multimedia
// files. Private to the modules that implement mmsystem.h; program code
// never includes it.
//
// Owns the record's layout; each member is written by one module:
//   waveDevices  waveout.cpp    the open wave-out handles and their queued buffers
//   waveOutput   alsapcm.cpp    the ALSA device sounds go to, and its open streams
//   midiDevices  midiout.cpp    the open MIDI-out handle
//   synthesiser  midisynth.cpp  the synthesiser module's functions, once chosen
//   files        mmio.cpp       the open multimedia files and their chunks
// They are one family of calls (mmsystem.h), opened and closed by the
// program's sound code together.
#ifndef LUMENFOLD_PLATFORM_MMSTATE_H
#define LUMENFOLD_PLATFORM_MMSTATE_H

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "platform/handletable.h"
#include "platform/midisynth.h"
#include "platform/mmsystem.h"

namespace platform {

struct AlsaStream;

// ---- waveout.cpp

struct QueuedBuffer {
  WAVEHDR* header;
  uint64_t endMs;  // on platform::clockMs(), when its last byte has played
};

struct WaveDevice {
  HWND window = nullptr;  // MM_WOM_* go here; null for CALLBACK_NULL
  WAVEFORMATEX format{};
  DWORD volume = 0xFFFFFFFF;
  std::deque<QueuedBuffer> queue;
  UINT_PTR timerId = 0;  // the windowless timer waiting for queue.front(), or 0
  // The play position: playing started at anchorMs, and the buffers written
  // since then hold bytesSinceAnchor bytes. Ends are computed from the total,
  // so rounding never accumulates.
  uint64_t anchorMs = 0;
  uint64_t bytesSinceAnchor = 0;
  AlsaStream* alsa = nullptr;  // where the samples are heard, or null
};

// ---- alsapcm.cpp

// The wave output: the device sounds go to and the streams open on it.
struct WaveOutput {
  std::string chosenDevice;  // empty: wave output stays silent
  int openStreams = 0;
};

// ---- midiout.cpp

// The device keeps no state of its own: the table only tells the open
// handle from stale ones and refuses a second opening.
struct MidiDevice {};

// ---- mmio.cpp

struct OpenChunk {
  long dataStart;
  long dataEnd;
};

struct MmioFile {
  FILE* file = nullptr;
  long size = 0;
  std::vector<OpenChunk> chunks;  // innermost last
};

struct Multimedia {
  HandleTable<HWAVEOUT, WaveDevice> waveDevices{1};
  WaveOutput waveOutput;
  HandleTable<HMIDIOUT, MidiDevice> midiDevices{1, 1, 1};
  // The module's functions once a soundfont has been chosen with it: until
  // then there is no synthesiser to forward to, and the module stays unloaded.
  const MidiSynthFunctions* synthesiser = nullptr;
  HandleTable<HMMIO, MmioFile> files{1};
};

Multimedia& multimedia();

}  // namespace platform

#endif
