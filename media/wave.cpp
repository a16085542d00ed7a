// media/wave.cpp -- the wave player; see wave.h.
//
// The blocks form a ring. Starting at `head`, the first `queued` blocks are
// with the device and the next `filled - queued` wait to be written; the
// rest are free. A block comes back when the device marks it WHDR_DONE, so
// notices that arrive late (after a reset) or merged change nothing twice.
#include "media/wave.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

#include "core/apphandles.h"
#include "media/soundsystem.h"

namespace {

WaveBlock& blockAt(int offset) {
  WavePlayer& player = soundSystem().wave;
  return (*player.blocks)[(player.head + offset) % kWaveBlockCount];
}

bool validIndex(int voice) { return voice >= 0 && voice < kWaveVoiceCount; }

void closeVoiceFile(WaveVoice& voice) {
  if (voice.file != nullptr) mmioClose(voice.file, 0);
  voice.file = nullptr;
}

// ---- Reading the file -------------------------------------------------------

// Descends to the data of a WAVE file; fills the voice's format, file and
// data span. False (with the file closed) when the file is not one.
bool openWaveFile(const char* fileName, WaveVoice& voice) {
  HMMIO file = mmioOpenA(const_cast<LPSTR>(fileName), nullptr, MMIO_READ | MMIO_ALLOCBUF);
  if (file == nullptr) return false;
  MMCKINFO riff{}, chunk{};
  riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
  bool ok = mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF) == MMSYSERR_NOERROR;
  chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
  ok = ok && mmioDescend(file, &chunk, &riff, MMIO_FINDCHUNK) == MMSYSERR_NOERROR;
  // The 16-byte start of the format: tag, channels, rates, alignment, bits.
  constexpr LONG kFormatBytes = 16;
  WAVEFORMATEX format{};
  LONG wanted = std::min<LONG>(LONG(chunk.cksize), kFormatBytes);
  ok = ok && mmioRead(file, reinterpret_cast<HPSTR>(&format), wanted) == wanted && wanted > 0;
  ok = ok && mmioAscend(file, &chunk, 0) == MMSYSERR_NOERROR;
  chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
  ok = ok && mmioDescend(file, &chunk, &riff, MMIO_FINDCHUNK) == MMSYSERR_NOERROR;
  LONG start = ok ? mmioSeek(file, 0, SEEK_CUR) : -1;
  LONG fileEnd = start >= 0 ? mmioSeek(file, 0, SEEK_END) : -1;
  if (fileEnd < 0 || mmioSeek(file, start, SEEK_SET) != start) {
    mmioClose(file, 0);
    return false;
  }
  format.cbSize = 0;
  voice.format = format;
  voice.file = file;
  voice.dataStart = voice.current = start;
  // A data chunk may claim more than the file holds: play what is there.
  voice.dataEnd = LONG(std::min<int64_t>(int64_t(start) + chunk.cksize, fileEnd));
  return true;
}

// Copies n bytes of the read buffer into `out`, scaled by the volume
// (256 = unchanged).
void copyScaled(const WaveVoice& voice, const char* in, char* out, LONG n) {
  if (voice.format.wBitsPerSample == 8) {
    for (LONG i = 0; i < n; ++i) {
      int sample = int(uint8_t(in[i])) - 128;
      out[i] = char(uint8_t(std::clamp(((sample * int(voice.volume)) >> 8) + 128, 0, 255)));
    }
    return;
  }
  for (LONG i = 0; i + 1 < n; i += 2) {
    int16_t sample;
    std::memcpy(&sample, in + i, 2);
    auto scaled = int16_t(std::clamp((int32_t(sample) * int32_t(voice.volume)) >> 8, -32768, 32767));
    std::memcpy(out + i, &scaled, 2);
  }
  if (n % 2 != 0) out[n - 1] = 0;
}

// The silence of the voice's format.
char silenceByte(const WaveVoice& voice) { return voice.format.wBitsPerSample == 8 ? char(0x80) : 0; }

// At the end of the data a looping voice goes back to its first sample,
// another one is finished.
void wrapOrFinish(WaveVoice& voice) {
  bool canWrap = voice.loop && voice.dataEnd > voice.dataStart &&
                 mmioSeek(voice.file, voice.dataStart, SEEK_SET) == voice.dataStart;
  if (canWrap) {
    voice.current = voice.dataStart;
  } else {
    voice.state = kWaveVoiceFinished;
  }
}

/*
 * fillBlock --
 *   Fills one block from the playing voice: its next bytes scaled, a
 *   looping voice's first bytes again right after its last, silence after
 *   the end of the data. A read that comes up short ends the data where the
 *   file ends.
 * Results:
 *   True when the block received data.
 */
bool fillBlock(WaveVoice& voice, WaveBlock& block) {
  WavePlayer& player = soundSystem().wave;
  LONG used = 0;
  while (used < kWaveBlockBytes && voice.state == kWaveVoicePlaying) {
    LONG wanted = std::min(voice.dataEnd - voice.current, kWaveBlockBytes - used);
    LONG got = wanted > 0 ? mmioRead(voice.file, player.readBuffer.data(), wanted) : 0;
    if (got < 0) got = 0;
    if (got < wanted) voice.dataEnd = voice.current + got;
    copyScaled(voice, player.readBuffer.data(), block.data.data() + used, got);
    voice.current += got;
    used += got;
    if (voice.current >= voice.dataEnd) wrapOrFinish(voice);
    if (got == 0) break;
  }
  std::memset(block.data.data() + used, silenceByte(voice), size_t(kWaveBlockBytes - used));
  block.header.dwBufferLength = DWORD(kWaveBlockBytes);
  return used > 0;
}

// Fills free blocks while the voice plays and gives data.
void fillBlocks() {
  WavePlayer& player = soundSystem().wave;
  WaveVoice& voice = player.voices[0];
  while (player.filled < kWaveBlockCount && voice.state == kWaveVoicePlaying) {
    if (!fillBlock(voice, blockAt(player.filled))) break;
    ++player.filled;
  }
}

// ---- The device -------------------------------------------------------------

// Takes every queued block back from the device at once.
void resetDevice() {
  WavePlayer& player = soundSystem().wave;
  if (player.device == nullptr) return;
  if (player.queued > 0) waveOutReset(player.device);
  for (WaveBlock& block : *player.blocks) block.withDevice = false;
  player.queued = 0;
  player.filled = 0;
}

int closeDevice() {
  WavePlayer& player = soundSystem().wave;
  if (player.device == nullptr) return 0;
  resetDevice();
  for (WaveBlock& block : *player.blocks) waveOutUnprepareHeader(player.device, &block.header, sizeof(WAVEHDR));
  if (waveOutClose(player.device) != MMSYSERR_NOERROR) return -1;
  player.device = nullptr;
  player.head = 0;
  return 0;
}

bool openDevice(const WAVEFORMATEX& format) {
  WavePlayer& player = soundSystem().wave;
  HWND window = zmGetMainHwnd();
  if (window == nullptr) return false;
  if (!player.blocks) {
    player.blocks = std::make_unique<std::array<WaveBlock, kWaveBlockCount>>();
    std::memset(player.blocks->data(), 0, sizeof(*player.blocks));
  }
  if (waveOutOpen(&player.device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(window), 0,
                  CALLBACK_WINDOW) != MMSYSERR_NOERROR) {
    player.device = nullptr;
    return false;
  }
  for (WaveBlock& block : *player.blocks) {
    block.header = {};
    block.header.dwFlags = WHDR_DONE;
    block.header.lpData = block.data.data();
    block.header.dwBufferLength = DWORD(kWaveBlockBytes);
    block.withDevice = false;
    waveOutPrepareHeader(player.device, &block.header, sizeof(WAVEHDR));
    block.header.dwBufferLength = 0;
  }
  player.head = player.queued = player.filled = 0;
  return true;
}

// Frees a voice. `cut` also takes its queued blocks back from the device at
// once (a stop); without it they play out (the end of the data).
void releaseVoice(WaveVoice& voice, bool cut) {
  WavePlayer& player = soundSystem().wave;
  closeVoiceFile(voice);
  voice.state = kWaveVoiceFree;
  --player.playing;
  if (cut) resetDevice();
}

void releaseFinishedVoices() {
  WavePlayer& player = soundSystem().wave;
  for (WaveVoice& voice : player.voices)
    if (voice.state == kWaveVoiceFinished) releaseVoice(voice, false);
}

// Queues the filled blocks; then frees the finished voices.
int writeBlocks() {
  WavePlayer& player = soundSystem().wave;
  int result = 0;
  while (player.queued < player.filled) {
    WaveBlock& block = blockAt(player.queued);
    if (waveOutWrite(player.device, &block.header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
      result = -1;
      break;
    }
    block.withDevice = true;
    ++player.queued;
  }
  releaseFinishedVoices();
  // Nothing plays and nothing is queued, so no notice will come to close
  // the device: close it now, or the next file would play in this one's
  // format.
  if (player.playing == 0 && player.filled == 0) closeDevice();
  return result;
}

// Takes back, in ring order, every block the device has finished.
void takeBackDoneBlocks() {
  WavePlayer& player = soundSystem().wave;
  while (player.queued > 0) {
    WaveBlock& block = blockAt(0);
    if (!block.withDevice || !(block.header.dwFlags & WHDR_DONE)) break;
    block.withDevice = false;
    block.header.dwBufferLength = 0;
    player.head = (player.head + 1) % kWaveBlockCount;
    --player.queued;
    --player.filled;
  }
}

}  // namespace

int zmWaveOpen(const char* fileName, int loop) {
  WavePlayer& player = soundSystem().wave;
  if (fileName == nullptr) return -1;
  WaveVoice opened;
  if (!openWaveFile(fileName, opened)) return -1;
  if (player.device == nullptr && !openDevice(opened.format)) {
    closeVoiceFile(opened);
    return -1;
  }
  for (int index = 0; index < kWaveVoiceCount; ++index) {
    WaveVoice& voice = player.voices[index];
    if (voice.state != kWaveVoiceFree) continue;
    voice = opened;
    voice.state = kWaveVoicePlaying;
    voice.volume = 256;
    voice.loop = loop;
    ++player.playing;
    return index;
  }
  closeVoiceFile(opened);
  return -1;
}

int zmWavePlay(int voice) {
  WavePlayer& player = soundSystem().wave;
  if (!validIndex(voice) || player.voices[voice].state == kWaveVoiceFree || player.device == nullptr) return -1;
  fillBlocks();
  return writeBlocks();
}

int zmWaveStop(int voice) {
  WavePlayer& player = soundSystem().wave;
  if (!validIndex(voice) || player.voices[voice].state == kWaveVoiceFree) return -1;
  releaseVoice(player.voices[voice], true);
  if (player.playing == 0) closeDevice();
  return 0;
}

int zmWaveIsPlaying(int voice) {
  WavePlayer& player = soundSystem().wave;
  if (!validIndex(voice)) return -1;
  return player.voices[voice].state == kWaveVoicePlaying ? 1 : 0;
}

int zmWaveSetVolume(int voice, unsigned volume) {
  WavePlayer& player = soundSystem().wave;
  if (!validIndex(voice)) return -1;
  unsigned previous = player.voices[voice].volume;
  player.voices[voice].volume = volume;
  return int(previous);
}

int zmWaveCloseIdle() { return soundSystem().wave.playing == 0 ? closeDevice() : 0; }

LRESULT zmWaveOnDone(HWND, UINT message) {
  WavePlayer& player = soundSystem().wave;
  if (message != MM_WOM_DONE || player.device == nullptr) return 0;
  takeBackDoneBlocks();
  releaseFinishedVoices();
  fillBlocks();
  writeBlocks();
  if (player.playing == 0 && player.queued == 0 && player.filled == 0) closeDevice();
  return 0;
}

void zmWaveShutdown() {
  WavePlayer& player = soundSystem().wave;
  resetDevice();
  for (WaveVoice& voice : player.voices)
    if (voice.state != kWaveVoiceFree) releaseVoice(voice, false);
  closeDevice();
  player.blocks.reset();
}

bool zmWaveDeviceOpen() { return soundSystem().wave.device != nullptr; }
