// platform/trackplayer.h -- a video file's sound track played through the
// wave-out device, in step with the picture, for the MCI window stand-in
// (vfw.h).
//
// Owns: the sound track (moviefile.h), one wave-out device opened in its
// format, and the ring of blocks written to it. The device's MM_WOM_DONE
// notices go to the window given at opening, whose procedure hands them
// back here. It does not own the media clock: the caller says where the
// picture stands whenever the sound may have to follow it.
//
// Keeping in step: the sound starts where the picture stands when playing
// starts, and whenever the device has run dry (the program's one thread was
// busy for longer than the blocks last), the samples that should have
// played meanwhile are skipped. A stop throws away what is queued; playing
// again seeks the track back to the picture.
#ifndef LUMENFOLD_PLATFORM_TRACKPLAYER_H
#define LUMENFOLD_PLATFORM_TRACKPLAYER_H

#include <array>
#include <cstdint>
#include <memory>

#include "platform/mmsystem.h"
#include "platform/moviefile.h"
#include "platform/wintypes.h"

namespace platform {

class SoundTrackPlayer {
 public:
  SoundTrackPlayer() = default;
  SoundTrackPlayer(const SoundTrackPlayer&) = delete;
  SoundTrackPlayer& operator=(const SoundTrackPlayer&) = delete;
  ~SoundTrackPlayer();  // stops and closes the device

  // Opens the sound track of `path` and a wave-out device for it that
  // notifies `window`. False when the file has no sound that can be played;
  // the player then stays silent and counts as finished.
  bool open(const char* path, HWND window);

  // Plays from the picture's position `positionMs`.
  void play(int64_t positionMs);
  // Stops at once; what was queued is thrown away.
  void stop();
  // A block has played (MM_WOM_DONE): the next ones are written.
  void onBlockDone(int64_t positionMs);

  // Nothing is left to play: no sound at all, or its end has played.
  bool finished() const;

 private:
  // Whole 16-bit frames of one or two channels.
  static constexpr DWORD kBlockBytes = 4096;
  // With that many blocks the device holds at most what the ALSA stream's
  // buffer takes (alsapcm.cpp).
  static constexpr size_t kBlocks = 16;

  struct Block {
    WAVEHDR header{};
    char data[kBlockBytes];
  };

  void writeBlocks(int64_t positionMs);
  void followPicture(int64_t positionMs);
  size_t blocksQueued() const;

  std::unique_ptr<SoundTrack> track_;  // null when the file has no sound that can be played
  HWAVEOUT device_ = nullptr;
  std::array<Block, kBlocks> blocks_{};
  bool playing_ = false;
  bool trackEnded_ = false;
};

}  // namespace platform

#endif
