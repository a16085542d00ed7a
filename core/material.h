// core/material.h -- the material record of shape leaves and its operations.
//
// Owns: `ZmMaterial` (lists of ambient, diffuse, specular and emissive
// colours and of shininess, transparency and specular power, one entry per
// material index), its release, the sharing of one record between leaves,
// the colour lists scripts pass around, and setting or getting one
// attribute on a leaf, on an object's leaves or on a subtree. Every change
// is handed to the renderer again (core/hooks.h).
// It does not own the leaves (core/leaf.h) nor the engine materials.
//
// Invariant: an attribute's count is 0 exactly when its array is null.
//
// The faces of one face set have one material between them: a shape leaf
// points at a record that other leaves may share, read-only while they do.
// Whoever writes into a leaf's material first makes the record the leaf's
// own (zmOwnLeafMaterial); the copy shares the lists it has not changed.
#ifndef LUMENFOLD_CORE_MATERIAL_H
#define LUMENFOLD_CORE_MATERIAL_H

#include <cstdint>

#include "core/fields.h"

struct ZmLeaf;
struct ZmObj;
struct ZmShape;

struct ZmMaterial {
  int32_t count;             // number of material entries (the longest list)
  ZmMFColor ambient_color;
  ZmMFColor diffuse_color;
  ZmMFColor specular_color;
  ZmMFColor emmisive_color;
  ZmMFFloat shininess;
  ZmMFFloat transparency;
  ZmMFFloat specularpower;
};

// Attribute numbers (specular power has none).
enum {
  ZM_MATERIAL_AMBIENT = 1,
  ZM_MATERIAL_DIFFUSE = 2,
  ZM_MATERIAL_SPECULAR = 3,
  ZM_MATERIAL_EMISSIVE = 4,
  ZM_MATERIAL_SHININESS = 5,
  ZM_MATERIAL_TRANSPARENCY = 6,
};

void zmInitMaterial(ZmMaterial* material);  // zero-fills
// Frees the seven arrays; a count without an array is warned about
// ("zmDeleteMaterial: ambient_color is invalid\n", ...).
void zmDeleteMaterial(ZmMaterial* material);

/*
 * zmShareMaterial --
 *   Empties `to`, then gives it the lists of `from`: the same arrays when
 *   they are carved from a slab (each leaf frees them as its own; the
 *   memory goes with the last), else copies. Every writer into a leaf's
 *   lists (the setters here, the copies of core/fields.h) makes an array
 *   its own first (zmOwnBlock), so a change never reaches the other leaves.
 * Results:
 *   0; -1 when a copy could not be had, `to` then left empty.
 */
int zmShareMaterial(ZmMaterial* to, const ZmMaterial* from);

// ---- Records shared between leaves -----------------------------------------

// The empty record of every new shape leaf, shared by all that have no
// material of their own.
extern const ZmMaterial zmNoMaterial;

// A zero-filled record carved from the slab in use (zmSlabMalloc), its
// creator its one owner; null when memory runs out.
ZmMaterial* zmNewMaterialRecord();
/*
 * zmShareMaterialRecord --
 *   Another owner for `record`.
 * Results:
 *   `record` itself when it is zmNoMaterial or carved from a slab; else a
 *   new record sharing its lists (zmShareMaterial). Null when that cannot
 *   be had.
 */
const ZmMaterial* zmShareMaterialRecord(const ZmMaterial* record);
// One owner fewer; the last frees the lists and the record. zmNoMaterial
// and null are ignored.
void zmReleaseMaterialRecord(const ZmMaterial* record);
/*
 * zmOwnLeafMaterial --
 *   Makes a shape leaf's material record its own before a write: a shared
 *   record (or zmNoMaterial) is replaced by a copy sharing its lists.
 * Results:
 *   The record to write into; null when the copy cannot be had, the leaf
 *   then unchanged.
 */
ZmMaterial* zmOwnLeafMaterial(ZmShape* shape);
// The leaf gives up its record and shares `record`; 0, or -1 when no copy
// could be had (the leaf then has zmNoMaterial).
int zmSetLeafMaterialRecord(ZmShape* shape, const ZmMaterial* record);

// ---- Colour lists -------------------------------------------------------------

ZmSFColor* zmNewColorArray(int32_t n);  // n zero colours
// A list of n zero colours; null with "zmNewZmMFColor: zmMalloc failed\n".
ZmMFColor* zmNewZmMFColor(int32_t n);
void zmDeleteZmMFColorList(ZmMFColor* list);
// Write or read colour i (0 <= i < count; the caller checks).
void zmSetZmMFColorAt(ZmMFColor* list, int32_t i, float r, float g, float b);
void zmGetZmMFColorAt(ZmMFColor* list, int32_t i, float* r, float* g, float* b);

/*
 * zmSetLeafMaterialColor, zmSetLeafMaterialFloat --
 *   Copies a list into a shape leaf's attribute (1 to 4 colours, 5 and 6
 *   floats), resizing its array when the count changes, then re-applies the
 *   material to the renderer.
 * Results:
 *   That of the renderer; -1 with a warning for a leaf that is no shape or
 *   a wrong attribute (nothing changed), -1 with an error when the new
 *   array cannot be had (the attribute is then empty: count 0, no array).
 *   An empty list leaves the attribute empty without allocating.
 */
int zmSetLeafMaterialColor(ZmLeaf* leaf, const ZmMFColor* colours, int attribute);
int zmSetLeafMaterialFloat(ZmLeaf* leaf, const ZmMFFloat* floats, int attribute);
// Dispatches by attribute: `list` is a ZmMFColor for 1 to 4, a ZmMFFloat for
// 5 and 6; others warn "zmSetLeafMaterial: attribute is invalid\n", -1.
int zmSetLeafMaterial(ZmLeaf* leaf, const void* list, int attribute);
// Every leaf of the object's chain when its first leaf is a shape; -1 at
// the first failure, else 0.
int zmSetObjLeafMaterial(ZmObj* object, const void* list, int attribute);
// The object, then each child's subtree, depth first.
int zmSetSubtreeLeafMaterial(ZmObj* object, const void* list, int attribute);

// The address of a shape leaf's {count, array} pair of the attribute: a
// ZmMFColor for 1 to 4, a ZmMFFloat for 5 and 6, to read only (the record
// may be shared; the setters above write). Null for other leaves; a
// wrong attribute warns "zmGetLeafMaterial: attribute is invalid\n".
void* zmGetLeafMaterial(ZmLeaf* leaf, int attribute);
void* zmGetObjLeafMaterial(ZmObj* object, int attribute);
void* zmGetSubtreeLeafMaterial(ZmObj* object, int attribute);

int zmReapplyLeafMaterial(ZmLeaf* leaf);
int zmReapplyObjMaterial(ZmObj* object);
int zmReapplyObjAndChildrenMaterial(ZmObj* object);  // direct children only

// The fixed-attribute forms.
int zmSetLeafAmbientColor(ZmLeaf* leaf, const ZmMFColor* list);
int zmSetObjAmbientColor(ZmObj* object, const ZmMFColor* list);
int zmSetSubtreeAmbientColor(ZmObj* object, const ZmMFColor* list);
ZmMFColor* zmGetLeafAmbientColor(ZmLeaf* leaf);
ZmMFColor* zmGetObjAmbientColor(ZmObj* object);
ZmMFColor* zmGetSubtreeAmbientColor(ZmObj* object);
int zmSetLeafDiffuseColor(ZmLeaf* leaf, const ZmMFColor* list);
int zmSetObjDiffuseColor(ZmObj* object, const ZmMFColor* list);
int zmSetSubtreeDiffuseColor(ZmObj* object, const ZmMFColor* list);
ZmMFColor* zmGetLeafDiffuseColor(ZmLeaf* leaf);
ZmMFColor* zmGetObjDiffuseColor(ZmObj* object);
ZmMFColor* zmGetSubtreeDiffuseColor(ZmObj* object);
int zmSetLeafSpecularColor(ZmLeaf* leaf, const ZmMFColor* list);
int zmSetObjSpecularColor(ZmObj* object, const ZmMFColor* list);
int zmSetSubtreeSpecularColor(ZmObj* object, const ZmMFColor* list);
ZmMFColor* zmGetLeafSpecularColor(ZmLeaf* leaf);
ZmMFColor* zmGetObjSpecularColor(ZmObj* object);
ZmMFColor* zmGetSubtreeSpecularColor(ZmObj* object);
int zmSetLeafEmissiveColor(ZmLeaf* leaf, const ZmMFColor* list);
int zmSetObjEmissiveColor(ZmObj* object, const ZmMFColor* list);
int zmSetSubtreeEmissiveColor(ZmObj* object, const ZmMFColor* list);
ZmMFColor* zmGetLeafEmissiveColor(ZmLeaf* leaf);
ZmMFColor* zmGetObjEmissiveColor(ZmObj* object);
ZmMFColor* zmGetSubtreeEmissiveColor(ZmObj* object);
int zmSetLeafShininess(ZmLeaf* leaf, const ZmMFFloat* list);
int zmSetObjShininess(ZmObj* object, const ZmMFFloat* list);
int zmSetSubtreeShininess(ZmObj* object, const ZmMFFloat* list);
ZmMFFloat* zmGetLeafShininess(ZmLeaf* leaf);
ZmMFFloat* zmGetObjShininess(ZmObj* object);
ZmMFFloat* zmGetSubtreeShininess(ZmObj* object);
int zmSetLeafTransparency(ZmLeaf* leaf, const ZmMFFloat* list);
int zmSetObjTransparency(ZmObj* object, const ZmMFFloat* list);
int zmSetSubtreeTransparency(ZmObj* object, const ZmMFFloat* list);
ZmMFFloat* zmGetLeafTransparency(ZmLeaf* leaf);
ZmMFFloat* zmGetObjTransparency(ZmObj* object);
ZmMFFloat* zmGetSubtreeTransparency(ZmObj* object);

#endif
