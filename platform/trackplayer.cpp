// platform/trackplayer.cpp -- a video's sound track on the wave-out device;
// see trackplayer.h.
#include "platform/trackplayer.h"

#include <algorithm>

namespace platform {

namespace {

// How far the sound may be off the picture before it is moved: less than
// anyone hears, more than the rounding of sample times to milliseconds.
constexpr int64_t kSlackMs = 20;

}  // namespace

SoundTrackPlayer::~SoundTrackPlayer() {
  if (!device_) return;
  waveOutReset(device_);
  for (Block& block : blocks_) waveOutUnprepareHeader(device_, &block.header, sizeof(WAVEHDR));
  waveOutClose(device_);
}

bool SoundTrackPlayer::open(const char* path, HWND window) {
  track_ = openSoundTrack(path);
  if (!track_) return false;
  if (waveOutOpen(&device_, WAVE_MAPPER, &track_->format(), reinterpret_cast<DWORD_PTR>(window), 0,
                  CALLBACK_WINDOW) != MMSYSERR_NOERROR) {
    device_ = nullptr;
    return false;
  }
  for (Block& block : blocks_) {
    block.header.lpData = block.data;
    block.header.dwBufferLength = kBlockBytes;
    waveOutPrepareHeader(device_, &block.header, sizeof(WAVEHDR));
  }
  return true;
}

void SoundTrackPlayer::play(int64_t positionMs) {
  playing_ = device_ != nullptr;
  writeBlocks(positionMs);
}

void SoundTrackPlayer::stop() {
  if (!playing_) return;
  playing_ = false;
  waveOutReset(device_);
}

void SoundTrackPlayer::onBlockDone(int64_t positionMs) { writeBlocks(positionMs); }

bool SoundTrackPlayer::finished() const { return !device_ || (trackEnded_ && blocksQueued() == 0); }

size_t SoundTrackPlayer::blocksQueued() const {
  return size_t(std::count_if(blocks_.begin(), blocks_.end(),
                              [](const Block& block) { return (block.header.dwFlags & WHDR_INQUEUE) != 0; }));
}

// Every block that is not queued gets the next samples. Done notices may
// come late, or twice for a block after a stop, so the queued flag, not
// the notice, says which blocks are free.
void SoundTrackPlayer::writeBlocks(int64_t positionMs) {
  if (!playing_) return;
  if (blocksQueued() == 0) followPicture(positionMs);  // what is written now plays now
  for (Block& block : blocks_) {
    if (trackEnded_) return;
    if (block.header.dwFlags & WHDR_INQUEUE) continue;
    size_t bytes = track_->read(block.data, kBlockBytes);
    block.header.dwBufferLength = DWORD(bytes);
    // A device that refuses a block is given up like a track at its end,
    // so the picture does not wait for it.
    trackEnded_ = bytes == 0 || waveOutWrite(device_, &block.header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR;
  }
}

void SoundTrackPlayer::followPicture(int64_t positionMs) {
  int64_t soundAt = track_->positionMs();
  if (soundAt > positionMs + kSlackMs) {
    if (track_->seekTo(positionMs)) trackEnded_ = false;
  } else if (soundAt < positionMs - kSlackMs) {
    track_->skipTo(positionMs);
  }
}

}  // namespace platform
