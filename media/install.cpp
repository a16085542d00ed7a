// media/install.cpp -- the media layer's hook slots; see install.h.
#include "media/install.h"

#include "core/hooks.h"
#include "media/bodies.h"
#include "media/bodyinstall.h"
#include "media/sound.h"
#include "viewer/hooks.h"
#include "vrml/hooks.h"

void zmInstallMediaHooks() {
  zmCoreMediaHooks.deleteSoundLeaf = zmDeleteSoundLeaf;
  zmCoreMediaHooks.soundSetWorld = zmSoundSetWorld;
  zmVrmlMediaHooks.newSoundLeaf = zmNewSoundLeaf;
  zmVrmlMediaHooks.addSoundObj = zmAddSoundObj;
  zmViewerMediaHooks.playSpotSoundByName = zmPlaySpotSoundByName;
  zmViewerMediaHooks.stopSoundByName = zmStopSoundByName;
  zmViewerMediaHooks.kinNextPosture = zmKinNextPosture;
  zmViewerMediaHooks.kinPrevPosture = zmKinPrevPosture;
  zmInstallBodyAndMovieHooks();
}
