// platform/moviefile.h -- the picture and the sound track of a video file,
// decoded with FFmpeg's libraries, for the MCI window stand-in (vfw.h).
//
// Owns: the reading and decoding of one stream of a file per track, the
// conversion of pictures to 32-bit BGR rows and of sound to 16-bit PCM in
// one or two channels at the file's own rate, and the times of both in
// milliseconds from the start of their stream. Each track opens the file on
// its own, so picture and sound are read at their own pace and the sound
// can be sought without disturbing the picture. It does not own showing the
// frames nor playing the samples.
#ifndef LUMENFOLD_PLATFORM_MOVIEFILE_H
#define LUMENFOLD_PLATFORM_MOVIEFILE_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/mmsystem.h"

struct SwsContext;
struct SwrContext;

namespace platform {

class DecodedStream;

// The picture of a video file, frame by frame.
class PictureTrack {
 public:
  PictureTrack();
  ~PictureTrack();

  // False when the file cannot be read or holds no video stream that can
  // be decoded.
  bool open(const char* path);

  int width() const;
  int height() const;
  // Milliseconds between frames from the stream's rate; 40 when unknown.
  unsigned frameIntervalMs() const;

  // The next frame into `bgr` (width * height pixels) and the time it is
  // due; false at the end or on a frame that cannot be decoded.
  bool next(std::vector<uint32_t>* bgr, int64_t* dueMs);

 private:
  std::unique_ptr<DecodedStream> stream_;
  SwsContext* scaler_ = nullptr;
  int64_t lastDueMs_ = -1;
};

// The sound track of a video file as 16-bit PCM bytes.
class SoundTrack {
 public:
  SoundTrack();
  ~SoundTrack();

  // False when the file holds no sound stream that can be decoded.
  bool open(const char* path);

  // Mono or stereo, 16 bits, at the stream's rate.
  const WAVEFORMATEX& format() const { return format_; }

  // Up to `size` bytes of whole sample frames into `out`; 0 at the end.
  size_t read(char* out, size_t size);

  // The time of the next sample read gives.
  int64_t positionMs() const;

  // Drops samples until the position reaches `ms` (or the end).
  void skipTo(int64_t ms);

  // Goes back (or forward) to `ms`; false when the file cannot be sought,
  // the position staying as it was then.
  bool seekTo(int64_t ms);

 private:
  // Decodes one more frame onto the pending bytes; with the flag its time
  // stamp sets the position (the first frame after a seek).
  bool decodeMore(bool takeTimeFromFrame = false);
  void consume(size_t bytes);

  std::unique_ptr<DecodedStream> stream_;
  SwrContext* converter_ = nullptr;
  WAVEFORMATEX format_{};
  std::vector<char> pending_;  // converted bytes not yet read
  size_t pendingAt_ = 0;
  int64_t nextSample_ = 0;  // index, from the stream's start, of pending_[pendingAt_]
};

}  // namespace platform

#endif
