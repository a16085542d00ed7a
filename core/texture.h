// core/texture.h -- the texture record of shape leaves.
//
// Owns: `ZmTexture` (a leaf's own texture coordinates and a pointer to its
// image part), `ZmTextureImage` (the image and mask entries, the texture
// transform, the wrap modes and the movie), the movie's control record, and
// the sharing of one image part between the leaves of a face set, with the
// copy a leaf makes of it before a write.
// It does not own what the parts stand for: the viewer initialises and
// releases a leaf's texture (zmInitTexture, zmDeleteTexture, reached through
// core/hooks.h), the URL table owns the image entries and media the movie.
//
// Every face of a face set has the same image, transform and wrap modes;
// holding them once per face set keeps a big face set's records small. An
// image part is read-only while shared: whoever writes into one first makes
// it the leaf's own with zmOwnTextureImage. A part that carries a movie is
// never shared, so the movie stays one leaf's.
#ifndef LUMENFOLD_CORE_TEXTURE_H
#define LUMENFOLD_CORE_TEXTURE_H

#include <cstdint>

#include "core/fields.h"
#include "core/vecmath.h"

struct ZmTimeOutHandlerList;
struct ZmUrlHash;

// A movie texture's control record. Media makes and frees it (core/hooks.h);
// the VRML builder sets the first five fields from a Movie2 node.
struct ZmTextureMovie {
  int32_t playing;      // 1: plays by itself
  int32_t width;        // texture size in pixels
  int32_t height;
  float framesPerSec;
  char* soundFile;      // owned, or null
  int32_t frame;        // media's own from here on
  int32_t loop;
  float speed;
  int32_t paused;                   // 1 after a pause
  int32_t frameCount;               // 0 until the movie file tells
  ZmTimeOutHandlerList* stepper;    // the time-out stepping the frames while playing, or null
};

struct ZmTextureImage {
  ZmUrlHash* file;        // the image's URL-table entry, null: untextured
  ZmUrlHash* mask;        // the mask image's entry, or null
  ZmRT2 transform;        // identity at creation
  uint32_t wrapS;         // 0 repeat, 1 clamp
  uint32_t wrapT;
  ZmTextureMovie* movie;  // owned by media, or null
};

struct ZmTexture {
  const ZmTextureImage* image;  // never null; zmNoTextureImage until set
  ZmMFVec2f uv;                 // owned texture coordinates (see below)
};
// The texture coordinates are the leaf's own list, but faces with equal
// ones (every face of an untextured set) may hold shares of one list
// (zmShareBlock): whoever writes into them in place first makes them its
// own with zmOwnBlock.

// The image part of a new texture: no image, no mask, the identity
// transform, no movie. Shared by every texture that has none of its own.
extern const ZmTextureImage zmNoTextureImage;

/*
 * zmOwnTextureImage --
 *   Makes the texture's image part its own before a write: a shared part
 *   (or the default) is replaced by a copy that only this texture holds.
 * Results:
 *   The part to write into; null when the copy cannot be had, the texture
 *   then unchanged.
 */
ZmTextureImage* zmOwnTextureImage(ZmTexture* texture);

/*
 * zmShareTextureImage --
 *   Gives `to`, which still has the default part (a new leaf's), a share of
 *   the image part of `from`.
 * Results:
 *   0; -1 when the part of `from` carries a movie or `to` has a part of its
 *   own (nothing shared), or when a copy could not be had.
 */
int zmShareTextureImage(ZmTexture* to, const ZmTexture* from);

/*
 * zmDropTextureImage --
 *   Gives up the texture's share of its image part; the texture then has
 *   the default part.
 * Results:
 *   The part when this was its last share: the caller releases what it
 *   holds and frees it with zmFree. Else null.
 */
ZmTextureImage* zmDropTextureImage(ZmTexture* texture);

#endif
