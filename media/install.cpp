// media/install.cpp -- the media layer's service records; see install.h.
#include "media/install.h"

#include "core/hooks.h"
#include "media/bodies.h"
#include "media/movie.h"
#include "media/sound.h"
#include "viewer/hooks.h"
#include "vrml/hooks.h"

namespace {

void pauseMovie(ZmObj* object) { zmPause3DMovie(object); }

constexpr ZmCoreMedia kCoreMedia{
    .deleteSoundLeaf = zmDeleteSoundLeaf,
    .pause3DMovie = pauseMovie,
    .kinDeleteBodyAndPos = zmKinDeleteBodyAndPos,
    .soundSetWorld = zmSoundSetWorld,
};
constexpr ZmVrmlMedia kVrmlMedia{
    .newMovie = zmNewTextureMovie,
    .deleteTextureMovie = zmDeleteTextureMovie,
    .kinNew = zmKinNew,
    .newSoundLeaf = zmNewSoundLeaf,
    .addSoundObj = zmAddSoundObj,
};

constexpr ZmViewerMedia kViewerMedia{
    .setTextureMovie = zmSetTextureMovie,
    .playSpotSoundByName = zmPlaySpotSoundByName,
    .stopSoundByName = zmStopSoundByName,
    .kinNextPosture = zmKinNextPosture,
    .kinPrevPosture = zmKinPrevPosture,
};

}  // namespace

void zmInstallMediaHooks() {
  coreMedia.provide(kCoreMedia);
  vrmlMedia.provide(kVrmlMedia);
  viewerMedia.provide(kViewerMedia);
}
