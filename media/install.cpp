// media/install.cpp -- the media layer's service records; see install.h.
#include "media/install.h"

#include "core/hooks.h"
#include "media/bodies.h"
#include "media/movie.h"
#include "media/sound.h"
#include "viewer/hooks.h"
#include "vrml/hooks.h"

void zmInstallMediaHooks() {
  static constexpr ZmCoreMedia core{
      .deleteSoundLeaf = zmDeleteSoundLeaf,
      .pause3DMovie = [](ZmObj* object) { zmPause3DMovie(object); },
      .kinDeleteBodyAndPos = zmKinDeleteBodyAndPos,
      .soundSetWorld = zmSoundSetWorld,
  };
  static constexpr ZmVrmlMedia vrml{
      .newMovie = zmNewTextureMovie,
      .deleteTextureMovie = zmDeleteTextureMovie,
      .kinNew = zmKinNew,
      .newSoundLeaf = zmNewSoundLeaf,
      .addSoundObj = zmAddSoundObj,
  };
  static constexpr ZmViewerMedia viewer{
      .setTextureMovie = zmSetTextureMovie,
      .playSpotSoundByName = zmPlaySpotSoundByName,
      .stopSoundByName = zmStopSoundByName,
      .kinNextPosture = zmKinNextPosture,
      .kinPrevPosture = zmKinPrevPosture,
  };
  coreMedia.provide(core);
  vrmlMedia.provide(vrml);
  viewerMedia.provide(viewer);
}
