// platform/moviefile.h -- the picture and the sound track of a video file,
// for the MCI window stand-in (vfw.h).
//
// Owns: the tracks' interfaces and their factories, which decode with
// FFmpeg's libraries in the movie module (platform/modules/moviedecoder.cpp,
// loaded on first use: ownmodule.h). A track converts pictures to 32-bit
// BGR rows and sound to 16-bit PCM in one or two channels at the file's own
// rate, and gives the times of both in milliseconds from the start of
// their stream. Each track opens the file on its own, so picture and sound
// are read at their own pace and the sound can be sought without
// disturbing the picture. It does not own showing the frames nor playing
// the samples.
#ifndef LUMENFOLD_PLATFORM_MOVIEFILE_H
#define LUMENFOLD_PLATFORM_MOVIEFILE_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/mmsystem.h"

namespace platform {

// The picture of a video file, frame by frame.
class PictureTrack {
 public:
  virtual ~PictureTrack() = default;

  virtual int width() const = 0;
  virtual int height() const = 0;
  // Milliseconds between frames from the stream's rate; 40 when unknown.
  virtual unsigned frameIntervalMs() const = 0;

  // The next frame into `bgr` (width * height pixels) and the time it is
  // due; false at the end or on a frame that cannot be decoded.
  virtual bool next(std::vector<uint32_t>* bgr, int64_t* dueMs) = 0;
};

// The sound track of a video file as 16-bit PCM bytes.
class SoundTrack {
 public:
  virtual ~SoundTrack() = default;

  // Mono or stereo, 16 bits, at the stream's rate.
  virtual const WAVEFORMATEX& format() const = 0;

  // Up to `size` bytes of whole sample frames into `out`; 0 at the end.
  virtual size_t read(char* out, size_t size) = 0;

  // The time of the next sample read gives.
  virtual int64_t positionMs() const = 0;

  // Drops samples until the position reaches `ms` (or the end).
  virtual void skipTo(int64_t ms) = 0;

  // Goes back (or forward) to `ms`; false when the file cannot be sought,
  // the position staying as it was then.
  virtual bool seekTo(int64_t ms) = 0;
};

// The picture of `path`; null when the file cannot be read, holds no video
// stream that can be decoded, or the movie module cannot be loaded.
std::unique_ptr<PictureTrack> openPictureTrack(const char* path);

// The sound of `path`; null when the file holds no sound stream that can be
// decoded or the movie module cannot be loaded.
std::unique_ptr<SoundTrack> openSoundTrack(const char* path);

// What the movie module hands over: the factories above, same results.
struct MovieDecoders {
  std::unique_ptr<PictureTrack> (*openPictureTrack)(const char* path);
  std::unique_ptr<SoundTrack> (*openSoundTrack)(const char* path);
};

constexpr const char* kMovieModule = "movies";
constexpr const char* kMovieDecodersEntry = "lumenfoldMovieDecoders";

}  // namespace platform

// The movie module's entry, named by kMovieDecodersEntry.
extern "C" const platform::MovieDecoders lumenfoldMovieDecoders;

#endif
