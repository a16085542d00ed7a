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

constexpr ZmVrmlMedia kVrmlMedia{
    .newMovie = zmNewTextureMovie,
    .deleteTextureMovie = zmDeleteTextureMovie,
    .kinNew = zmKinNew,
    .newSoundLeaf = zmNewSoundLeaf,
    .addSoundObj = zmAddSoundObj,
};

}  // namespace

void zmInstallMediaHooks() {
  zmCoreMediaHooks.deleteSoundLeaf = zmDeleteSoundLeaf;
  zmCoreMediaHooks.soundSetWorld = zmSoundSetWorld;
  zmCoreMediaHooks.pause3DMovie = pauseMovie;
  zmCoreMediaHooks.kinDeleteBodyAndPos = zmKinDeleteBodyAndPos;
  vrmlMedia.provide(kVrmlMedia);
  zmViewerMediaHooks.playSpotSoundByName = zmPlaySpotSoundByName;
  zmViewerMediaHooks.stopSoundByName = zmStopSoundByName;
  zmViewerMediaHooks.kinNextPosture = zmKinNextPosture;
  zmViewerMediaHooks.kinPrevPosture = zmKinPrevPosture;
  zmViewerMediaHooks.setTextureMovie = zmSetTextureMovie;
}
