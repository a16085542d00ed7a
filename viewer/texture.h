// viewer/texture.h -- the texture record of shape leaves, the queue of
// texture requests made while a world is read, and the mapping of texture
// images onto the engine polygons of each leaf kind.
//
// Owns: initialising and releasing `ZmTexture` (the core's initTexture and
// deleteTexture hooks), the program-wide pending-texture queue and its
// texture-loading flag (kept in the rendering record, viewer/renderstate.h), the appliers per leaf kind with their texture
// coordinates (box projection for solids, the file's coordinates under the
// texture transform for faces), and stepping the frames of a movie texture.
// It does not own the URL table (reached through the core's getLocalFile
// and releaseUrlHashEntry hooks, which the loading layer fills), the engine
// textures (shared by name in the engine's dictionary), nor the movie
// records, which media makes and frees.
#ifndef LUMENFOLD_VIEWER_TEXTURE_H
#define LUMENFOLD_VIEWER_TEXTURE_H

#include <cstdint>

struct RwClump;
struct RwPolygon;
struct ZmLeaf;
struct ZmObj;
struct ZmTexture;
struct ZmUrlHash;

// Texture modes of every polygon the viewer touches: lit and foreshortened.
constexpr intptr_t zmViewerTextureModes = 3;
constexpr int32_t zmMaxPendingTextures = 1024;

void zmInitTexture(ZmTexture* texture);
// Releases the UV array and the leaf's share of the image part; the last
// share releases the image and mask entries and the movie record.
void zmDeleteTexture(ZmTexture* texture);

// 0, or -1 (with the fatal-error report) when 1024 objects wait already.
int zmVFaddPendingTextures(ZmObj* object);
// Empties the queue and turns texture loading off (requests are queued).
void zmVFclearPendingTextures();
// Turns texture loading on and applies every queued object's textures in
// queue order; failures are warned and skipped. 0. The queue is kept.
int zmVFloadAllPendingTextures();
int32_t zmVFcountPendingTextures();

/*
 * zmRenderSetObjTexture --
 *   Applies the textures of the object's leaves by the kind of its first
 *   leaf, or queues the object while texture loading is off.
 * Results:
 *   0, or -1 after a warning. The polygons already textured stay so.
 */
int zmRenderSetObjTexture(ZmObj* object);
// The same for one leaf; queues the leaf's owner while loading is off.
int zmRenderSetLeafTexture(ZmLeaf* leaf);

// Appliers per leaf kind; 0 or -1 after their warning.
int zmRwSetAsciiTextTexture(ZmLeaf* leaf);
int zmRwSetConeSideTexture(ZmLeaf* leaf);
int zmRwSetCircleTexture(ZmLeaf* leaf);
int zmRwSetCylinderSideTexture(ZmLeaf* leaf);
int zmRwSetSphereTexture(ZmLeaf* leaf);
int zmRwSetConeTexture(ZmLeaf* leaf);      // walks the chain: sides and bottoms
int zmRwSetCylinderTexture(ZmLeaf* leaf);  // walks the chain: side and caps
int zmRwSetFaceSetTexture(ZmLeaf* leaf);   // every face of the chain, to the first failure
// Applies the texture transform to the leaf's coordinates once (the
// transform is reset to identity) and maps the image onto its polygon.
int zmRwSetFaceTexture(ZmLeaf* leaf);

// Box projection of the object's bounding cube into the face's UV array.
int zmSetDefaultUVFace(ZmLeaf* leaf);
// Box projection of the clump's bounds onto its vertices; returns the clump.
RwClump* zmRwSetDefaultUVClump(RwClump* clump);
// Hands the face's coordinates, shifted into the engine's 0..32 range and
// with v turned upside down, to its polygon; the polygon, or null.
RwPolygon* zmRwTexturizePolygon(RwPolygon* polygon, ZmTexture* texture);

// The engine texture of the object's first leaf shows its next frame, or
// the given frame; 0 or -1 after a warning.
/*
 * zmViewerMovieFormat --
 *   Whether the entry's image is a movie texture: frames of 128 x 128 stacked
 *   in an image 128 wide and a multiple of 128 (more than one frame) high.
 * Results:
 *   0 with frame width and height 128, the frame count, the rate 4 and the
 *   entry in those out arguments that are not null; -1 otherwise (warned
 *   when the file cannot be opened).
 */
int zmViewerMovieFormat(ZmUrlHash* entry, int32_t* width, int32_t* height, int32_t* frames, float* rate,
                        ZmUrlHash** movie);
int zmRenderVideoNextFrame(ZmObj* object);
int zmRenderVideoSetFrame(ZmObj* object, intptr_t frame);

#endif
