// vrml/texture.h -- the texture records of shape leaves, from the state.
//
// Owns: filling a shape leaf's ZmTexture from the pending Texture2,
// TransparentTexture2, Movie2, Texture2Transform and TextureCoordinate2
// elements of the traversal state: image and mask URL entries (through the
// loading layer's zmWwwLoadFile hook), wrapping, the 2-D texture transform,
// texture coordinates and the movie record (through media's hooks).
// It does not own the texture nodes (vrml/qvnodes.h), the URL table, nor
// the movie's playing.
#ifndef LUMENFOLD_VRML_TEXTURE_H
#define LUMENFOLD_VRML_TEXTURE_H

#include "core/vecmath.h"

class QvState;
struct ZmMFVec2f;
struct ZmTexture;
struct ZmUrlHash;

/*
 * setZmTexture --
 *   Transform, coordinates, then the image: a movie when a Movie2 is
 *   pending, else a TransparentTexture2 when no Texture2 is, else the
 *   Texture2 (both at once leave the texture without an image). Elements
 *   stay pending for the following shapes, except failed movies.
 */
void setZmTexture(QvState* state, ZmTexture* texture);
// The image step of setZmTexture alone, for leaves that make their own
// texture coordinates (face and line sets) and need not copy the state's.
void setZmTextureImage(QvState* state, ZmTexture* texture);
void setZmTransparentTexture(QvState* state, ZmTexture* texture);
// The transform and image steps for one of the leaves made from one node
// (the faces of a face set): a share of the image part of `sibling`, an
// earlier leaf of the node, else (no sibling, or one whose part holds a
// movie, which is never shared) both steps from the state.
void setZmTextureImageOf(QvState* state, ZmTexture* texture, const ZmTexture* sibling);
// setZmTexture2Transform into the texture's image part, made its own only
// when a Texture2Transform is pending.
void setZmTextureTransform(QvState* state, ZmTexture* texture);
// The texture transform of the top Texture2Transform element; unchanged
// when there is none.
void setZmTexture2Transform(QvState* state, ZmRT2* transform);
// The top TextureCoordinate2's points, or the default. 0, or -5 when even
// the default could not be made.
int setZmTextureCoordinate2(QvState* state, ZmMFVec2f* uv);
// One pair (0, 0). 0, or -5 (reported).
int setDefaultTextureCoordinate2(ZmMFVec2f* uv);
// 0 when the texture became a movie texture, -1 otherwise.
int setZmTextureMovie(QvState* state, ZmTexture* texture);
bool hasTransparentTexture2(QvState* state);
// The URL-table entry of url in the current world, or null (reported).
ZmUrlHash* callZmWwwLoadFile(const char* className, const char* url);

#endif
