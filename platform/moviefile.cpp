// platform/moviefile.cpp -- the tracks' factories, forwarded to the movie
// module; see moviefile.h.
#include "platform/moviefile.h"

#include "platform/ownmodule.h"

namespace platform {
namespace {

const MovieDecoders* decoders() { return ownModuleTable<MovieDecoders>(kMovieModule, kMovieDecodersEntry); }

}  // namespace

std::unique_ptr<PictureTrack> openPictureTrack(const char* path) {
  const MovieDecoders* module = decoders();
  return module != nullptr ? module->openPictureTrack(path) : nullptr;
}

std::unique_ptr<SoundTrack> openSoundTrack(const char* path) {
  const MovieDecoders* module = decoders();
  return module != nullptr ? module->openSoundTrack(path) : nullptr;
}

}  // namespace platform
