// media/bodyinstall.cpp -- the body and movie hook slots; see bodyinstall.h.
#include "media/bodyinstall.h"

#include "core/hooks.h"
#include "media/bodies.h"
#include "media/movie.h"
#include "viewer/hooks.h"
#include "vrml/hooks.h"

namespace {

void pauseMovie(ZmObj* object) { zmPause3DMovie(object); }

}  // namespace

void zmInstallBodyAndMovieHooks() {
  zmCoreMediaHooks.pause3DMovie = pauseMovie;
  zmCoreMediaHooks.kinDeleteBodyAndPos = zmKinDeleteBodyAndPos;
  zmVrmlMediaHooks.newMovie = zmNewTextureMovie;
  zmVrmlMediaHooks.deleteTextureMovie = zmDeleteTextureMovie;
  zmVrmlMediaHooks.kinNew = zmKinNew;
  zmViewerMediaHooks.setTextureMovie = zmSetTextureMovie;
}
