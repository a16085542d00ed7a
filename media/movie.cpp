// media/movie.cpp -- movie textures; see movie.h.
#include "media/movie.h"

#include <cmath>
#include <cstdint>

#include "core/leaf.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "media/timeouthooks.h"
#include "viewer/api.h"

namespace {

constexpr float kStoppedSpeed = 0.0001f;  // below this |speed| nothing steps the frames
constexpr double kLongestInterval = 2147483647.0;  // ms, about 24 days

ZmTexture* firstTexture(ZmObj* object) {
  ZmLeaf* leaf = object != nullptr ? object->leaf : nullptr;
  if (leaf == nullptr || !zmIsShapeLeaf(leaf)) return nullptr;
  return &static_cast<ZmShape*>(leaf)->texture;
}

ZmTextureMovie* movieOf(ZmObj* object) {
  ZmTexture* texture = firstTexture(object);
  return texture != nullptr && texture->image->file != nullptr ? texture->image->movie : nullptr;
}

void stepForward(ZmObj* object, ZmTextureMovie* movie) {
  const int32_t next = movie->frame + 1;
  if (movie->frameCount > 0 && next >= movie->frameCount) {
    if (!movie->loop) {
      zmPause3DMovie(object);  // stays on its last frame
      return;
    }
    movie->frame = 0;
  } else {
    movie->frame = next;
  }
  zmViewerVideoNextFrame(object);
}

void stepBack(ZmObj* object, ZmTextureMovie* movie) {
  movie->frame -= 1;
  if (movie->frame < 0) {
    if (movie->frameCount >= 1) {
      movie->frame = movie->frameCount - 1;
    } else {
      movie->frame = 0;
      if (!movie->loop) zmPause3DMovie(object);
    }
  }
  zmViewerVideoSetFrame(object, movie->frame);
}

// The time-out's function: one step in the direction of the speed. 1 (the
// time-out ends) when the object has no movie any more.
int stepFrame(ZmObj* object, ZmEvent*, const char*) {
  ZmTextureMovie* movie = movieOf(object);
  if (movie == nullptr) return 1;
  if (movie->speed >= 0) {
    stepForward(object, movie);
  } else {
    stepBack(object, movie);
  }
  return 0;
}

}  // namespace

ZmTextureMovie* zmNewTextureMovie() {
  auto* movie = static_cast<ZmTextureMovie*>(zmMalloc(sizeof(ZmTextureMovie)));
  if (movie == nullptr) return nullptr;
  movie->playing = 1;
  movie->width = 128;
  movie->height = 128;
  movie->framesPerSec = 4.0f;
  movie->loop = 1;
  movie->speed = 1.0f;
  return movie;
}

void zmDeleteTextureMovie(ZmTextureMovie* movie) {
  if (movie == nullptr) {
    zmReportWarning("zmDeleteTextureMovie: NULL specified\n");
    return;
  }
  zmFree(movie->soundFile);
  zmFree(movie);
}

void zmSetTextureMovie(ZmObj* object) {
  ZmTexture* texture = firstTexture(object);
  if (texture == nullptr || texture->image->file == nullptr) return;
  ZmTextureMovie* movie = texture->image->movie;
  if (movie == nullptr) {
    int32_t width = 0, height = 0, frames = 0;
    float rate = 0;
    ZmUrlHash* frameImage = nullptr;
    if (zmViewerGetMovieFormat(texture->image->file, &width, &height, &frames, &rate, &frameImage) != 0) return;
    // The movie is this leaf's alone: the other faces keep their image.
    ZmTextureImage* image = zmOwnTextureImage(texture);
    movie = image != nullptr ? zmNewTextureMovie() : nullptr;
    if (movie == nullptr) {
      zmReportError("zmSetTextureMovie: can't allocate the movie record.");
      return;
    }
    movie->width = width;
    movie->height = height;
    movie->frameCount = frames;
    movie->framesPerSec = rate;
    image->file = frameImage;
    image->movie = movie;
  } else if (movie->frameCount == 0) {
    if (zmViewerGetMovieFormat(texture->image->file, nullptr, nullptr, &movie->frameCount, nullptr, nullptr) != 0)
      return;
  }
  if (movie->playing) zmPlay3DMovie(object);
}

int zmPlay3DMovie(ZmObj* object) {
  ZmTextureMovie* movie = movieOf(object);
  if (movie == nullptr) return -1;
  const double speed = std::fabs(double(movie->speed));
  zmPause3DMovie(object);
  if (!(movie->framesPerSec > 0)) {
    zmReportWarning("zmPlay3DMovie: a movie of %g frames a second cannot play.", double(movie->framesPerSec));
    return -1;
  }
  movie->paused = 0;
  if (speed < kStoppedSpeed) return 0;
  const double interval = std::trunc(1000.0 / double(movie->framesPerSec) / speed);
  movie->stepper =
      mediaScript().addTimeOutHandler(object, uint32_t(std::fmin(interval, kLongestInterval)), stepFrame, 1);
  return movie->stepper != nullptr ? 0 : -1;
}

int zmPause3DMovie(ZmObj* object) {
  ZmTextureMovie* movie = movieOf(object);
  if (movie == nullptr) return -1;
  movie->paused = 1;
  if (movie->stepper == nullptr) return -1;
  mediaScript().removeTimeOutHandler(object, movie->stepper);
  movie->stepper = nullptr;
  return 0;
}

int zmSet3DMovieSpeed(ZmObj* object, float speed) {
  ZmTextureMovie* movie = movieOf(object);
  if (movie == nullptr) return -1;
  movie->speed = speed;
  if (!movie->paused) zmPlay3DMovie(object);
  return 0;
}

float zmGet3DMovieSpeed(ZmObj* object) {
  const ZmTextureMovie* movie = movieOf(object);
  return movie != nullptr ? movie->speed : -1.0f;
}

int zmSet3DMovieFrame(ZmObj* object, int n) {
  ZmTextureMovie* movie = movieOf(object);
  if (movie == nullptr) return -1;
  if (movie->frameCount <= 0) return 0;  // nothing to show before the count is known
  movie->frame = n < 0 ? 0 : n > movie->frameCount - 1 ? movie->frameCount - 1 : n;
  zmViewerVideoSetFrame(object, movie->frame);
  return 0;
}

int zmGet3DMovieFrame(ZmObj* object) {
  const ZmTextureMovie* movie = movieOf(object);
  return movie != nullptr ? movie->frame : -1;
}

int zmGet3DMovieFrameNum(ZmObj* object) {
  const ZmTextureMovie* movie = movieOf(object);
  return movie != nullptr ? movie->frameCount : -1;
}

int zmGet3DMovieLoop(ZmObj* object) {
  const ZmTextureMovie* movie = movieOf(object);
  return movie != nullptr ? movie->loop : 0;
}

void zmSet3DMovieLoop(ZmObj* object, int loop) {
  if (ZmTextureMovie* movie = movieOf(object)) movie->loop = loop;
}

int zmSet3DMovieNextFrame(ZmObj* object) {
  ZmTextureMovie* movie = movieOf(object);
  if (movie == nullptr) return -1;
  stepForward(object, movie);
  return 0;
}

int zmSet3DMoviePrevFrame(ZmObj* object) {
  ZmTextureMovie* movie = movieOf(object);
  if (movie == nullptr) return -1;
  stepBack(object, movie);
  return 0;
}
