// viewer/material.cpp -- scene materials to engine polygon materials.
#include "viewer/material.h"

#include <cstddef>

#include "core/leaf.h"
#include "core/material.h"
#include "core/memory.h"
#include "core/report.h"
#include "engine/clump.h"
#include "engine/material.h"
#include "engine/polygon.h"

namespace {

// Cached face-set materials live in the clump's integer tag while the set is
// being built (the clump has no data word yet).
enum FaceTag : intptr_t { faceOwnMaterial = 0, faceSetFirst = 1, faceSetMiddle = 2, faceSetLast = 3 };

int fail(const char* operation, const char* text) {
  zmReportError("%s : %s", operation, text);
  return -1;
}

// Element i of a list, the last element standing for all higher indices.
template <typename T>
const T* elementAt(const T* values, int32_t count, int32_t i) {
  if (count <= 0 || values == nullptr) return nullptr;
  return &values[i < count ? i : count - 1];
}

ZmSFColor colorAt(const ZmMFColor& list, int32_t i) {
  const ZmSFColor* c = elementAt(list.values, list.count, i);
  return c ? *c : ZmSFColor{0.0f, 0.0f, 0.0f};
}

float floatAt(const ZmMFFloat& list, int32_t i) {
  const ZmSFFloat* f = elementAt(list.values, list.count, i);
  return f ? *f : 0.0f;
}

float channelSum(const ZmSFColor& c) { return c.r + c.g + c.b; }

ZmShape* shapeOf(ZmLeaf* leaf) { return static_cast<ZmShape*>(leaf); }

intptr_t samplingByFlag(ZmLeaf* leaf) { return (shapeOf(leaf)->leafFlags & ZM_LEAF_GOURAUD) ? 2 : 1; }

// Element 0 with the given sampling over every polygon of the leaf's clump.
int setWholeClump(ZmLeaf* leaf, intptr_t sampling, const char* operation) {
  auto* clump = static_cast<RwClump*>(leaf->rendering);
  if (clump == nullptr) return 0;
  ZmRwMaterial record = {};
  record.sampling = sampling;
  if (zmRwCalcMaterial(&record, shapeOf(leaf)->material, 0) != 0) return -1;
  if (zmRwSetMaterialToClump(clump, &record) == nullptr)
    return fail(operation, "cannot set material to all polygons in clump");
  return 0;
}

int zmRenderSetAsciiTextMaterial(ZmLeaf*) { return 0; }

int zmRenderSetConeSideMaterial(ZmLeaf* leaf) {
  return setWholeClump(leaf, samplingByFlag(leaf), "zmRenderSetConeSideMaterial()");
}

int zmRenderSetCylinderSideMaterial(ZmLeaf* leaf) {
  return setWholeClump(leaf, samplingByFlag(leaf), "zmRenderSetCylinderSideMaterial()");
}

int zmRenderSetSphereMaterial(ZmLeaf* leaf) {
  return setWholeClump(leaf, samplingByFlag(leaf), "zmRenderSetSphereMaterial()");
}

int zmRenderSetCircleMaterial(ZmLeaf* leaf) { return setWholeClump(leaf, 1, "zmRenderSetCircleMaterial()"); }

int setTaggedChild(RwClump* parent, intptr_t tag, ZmRwMaterial* record, const char* operation) {
  RwClump* child = RwFindTaggedClump(parent, tag);
  if (child == nullptr) return fail(operation, "cannot find tagged clump");
  if (zmRwSetMaterialToClump(child, record) == nullptr)
    return fail(operation, "cannot set material to all polygons in clump");
  return 0;
}

int zmRenderSetLineMaterial(ZmLeaf* leaf) {
  auto* clump = static_cast<RwClump*>(leaf->rendering);
  if (clump == nullptr) return 0;
  auto* line = static_cast<ZmLine*>(leaf);
  const ZmMaterial* material = line->material;
  ZmRwMaterial record = {};
  record.sampling = 1;
  for (int32_t i = 0; i < line->vertex.count - 1; i++) {
    int result = 0;
    switch (line->materialBinding) {
      case 6: case 7: result = zmRwCalcMeanMaterial(&record, material, i, 2); break;
      case 2: case 3: result = zmRwCalcMaterial(&record, material, i); break;
      default: result = i == 0 ? zmRwCalcMaterial(&record, material, 0) : 0; break;
    }
    if (result != 0) return -1;
    if (RwFindTaggedClump(clump, i) == nullptr) continue;  // a zero-length segment, left out
    if (setTaggedChild(clump, i, &record, "zmRenderSetLineMaterial()") != 0) return -1;
  }
  return 0;
}

int zmRenderSetPointSetMaterial(ZmLeaf* leaf) {
  auto* clump = static_cast<RwClump*>(leaf->rendering);
  if (clump == nullptr) return 0;
  auto* points = static_cast<ZmPointSet*>(leaf);
  const bool overall = points->materialBinding == 0 || points->materialBinding == 1;
  ZmRwMaterial record = {};
  record.sampling = 1;
  for (int32_t i = 0; i < points->vertex.count; i++) {
    if ((!overall || i == 0) && zmRwCalcMaterial(&record, points->material, overall ? 0 : i) != 0) return -1;
    if (setTaggedChild(clump, i, &record, "zmRenderSetPointSetMaterial()") != 0) return -1;
  }
  return 0;
}

// What a face set with one material parks in its clump's tag while it is
// built: the computed values, and the engine material of the set's first
// face, which the later faces share instead of each copying it (a copy per
// polygon costs a heap record and a cache line per triangle drawn). A face
// changed later gets a private copy from the engine's setters. The values
// come first: an unfinished set frees the record as a plain block.
struct ParkedFaceMaterial {
  ZmRwMaterial values;
  RwMaterial* shared;
};

int computeFaceMaterial(ZmLeaf* leaf, ZmRwMaterial* record) {
  record->sampling = samplingByFlag(leaf);
  auto* face = static_cast<ZmFace*>(leaf);
  const bool perVertex = face->materialBinding == 6 || face->materialBinding == 7;
  return perVertex ? zmRwCalcMeanMaterial(record, face->material, 0, face->vertex.count)
                   : zmRwCalcMaterial(record, face->material, 0);
}

// A middle or last face of a set being built takes the parked material.
int shareParkedMaterial(RwPolygon* polygon, RwClump* clump, intptr_t tag, const char* operation) {
  auto* parked = reinterpret_cast<ParkedFaceMaterial*>(RwGetClumpTag(clump));
  if (parked == nullptr) return fail(operation, "cannot get material argument");
  if (RwAssignPolygonMaterial(polygon, parked->shared) == 0) {
    // The set's build stops here: the tag must not keep a freed record.
    RwSetClumpTag(clump, 0);
    zmFree(parked);
    return fail(operation, "cannot set material");
  }
  if (tag == faceSetLast) {
    RwSetClumpTag(clump, 0);
    zmFree(parked);
  }
  return 0;
}

/*
 * zmRenderSetFaceMaterial --
 *   While the face builder runs (the clump has no data word), the first face
 *   of a set with one material computes it and parks it in the clump's tag;
 *   the middle faces share it and the last face shares it and frees the
 *   parked record. Faces with a material of their own, and every face once
 *   the set is built, compute a fresh record and free it after use.
 */
int zmRenderSetFaceMaterial(ZmLeaf* leaf) {
  const char* operation = "zmRenderSetFaceMaterial()";
  auto* polygon = static_cast<RwPolygon*>(leaf->rendering);
  if (polygon == nullptr) return 0;
  RwClump* clump = RwGetPolygonClump(polygon);
  if (clump == nullptr) return -1;
  const bool building = RwGetClumpData(clump) == 0;
  const intptr_t tag = RwGetPolygonTag(polygon);
  if (building && (tag == faceSetMiddle || tag == faceSetLast))
    return shareParkedMaterial(polygon, clump, tag, operation);

  auto* record = static_cast<ParkedFaceMaterial*>(zmMalloc(sizeof(ParkedFaceMaterial)));
  if (record == nullptr) {
    zmReportError("%s : %s", operation, "cannot allocate memory");
    return -5;
  }
  if (computeFaceMaterial(leaf, &record->values) != 0) {
    zmFree(record);
    return -1;
  }
  if (zmRwSetMaterialToPolygon(polygon, &record->values) == nullptr) {
    zmFree(record);
    return fail(operation, "cannot set material");
  }
  // A set of one face has a first face and no last one: nothing would ever
  // take the parked record back, so it is not parked.
  const bool moreFacesFollow = static_cast<ZmFace*>(leaf)->next != nullptr;
  if (building && tag == faceSetFirst && moreFacesFollow) {
    record->shared = RwGetPolygonMaterial(polygon);
    if (RwSetClumpTag(clump, reinterpret_cast<intptr_t>(record)) == nullptr) {
      zmFree(record);
      return fail(operation, "cannot memorize calculated material");
    }
    return 0;
  }
  zmFree(record);
  return 0;
}

using MaterialSetter = int (*)(ZmLeaf*);

constexpr MaterialSetter materialSetters[11] = {
    zmRenderSetAsciiTextMaterial,     // 1 AsciiText
    zmRenderSetConeSideMaterial,      // 2 cone side
    zmRenderSetCircleMaterial,        // 3 cone bottom
    zmRenderSetCylinderSideMaterial,  // 4 cylinder side
    zmRenderSetCircleMaterial,        // 5 cylinder bottom cap
    zmRenderSetCircleMaterial,        // 6 cylinder top cap
    zmRenderSetCircleMaterial,        // 7 disc
    zmRenderSetFaceMaterial,          // 8 face
    zmRenderSetLineMaterial,          // 9 line set
    zmRenderSetPointSetMaterial,      // 10 point set
    zmRenderSetSphereMaterial,        // 11 sphere
};

}  // namespace

int zmGetShapeMaterialIndex(int32_t kind) { return kind >= 1 && kind <= 11 ? kind - 1 : -1; }

int zmRenderSetMaterial(ZmLeaf* leaf) {
  const char* operation = "zmRenderSetMaterial()";
  const int index = leaf ? zmGetShapeMaterialIndex(leaf->kind) : -1;
  if (index < 0) return fail(operation, "invalid shape type");
  if (materialSetters[index](leaf) != 0) return fail(operation, "cannot set material to the rendering structure");
  return 0;
}

int zmRwCalcMaterial(ZmRwMaterial* out, const ZmMaterial* material, int32_t index) {
  if (material->count == 0)
    return fail("zmRwCalcMaterial()", "max element number of material attributes is set to zero");
  const int32_t i = index % material->count;
  const ZmSFColor a = colorAt(material->ambient_color, i);
  const ZmSFColor d = colorAt(material->diffuse_color, i);
  const ZmSFColor s = colorAt(material->specular_color, i);
  const ZmSFColor e = colorAt(material->emmisive_color, i);
  out->ambient = channelSum(a) * 0.25f + channelSum(e) * 0.25f;
  out->diffuse = channelSum(d) * 0.25f;
  out->specular = channelSum(s) * 0.25f;
  const ZmSFColor c = {e.r + d.r + a.r, e.g + d.g + a.g, e.b + d.b + a.b};
  float brightest = c.r;
  if (c.g > brightest) brightest = c.g;
  if (c.b > brightest) brightest = c.b;
  if (brightest > 0.0f) {
    const float scale = 1.0f / brightest;
    out->red = c.r * scale;
    out->green = c.g * scale;
    out->blue = c.b * scale;
  } else {
    out->red = out->green = out->blue = 0.0f;
  }
  out->opacity = 1.0f - floatAt(material->transparency, i);
  return 0;
}

int zmRwCalcMeanMaterial(ZmRwMaterial* out, const ZmMaterial* material, int32_t first, int32_t count) {
  if (count == 0) return fail("zmRwCalcMeanMaterial()", "the number of vertex is zero");
  ZmSFColor sums[4] = {};
  float transparency = 0.0f;
  const ZmMFColor* lists[4] = {&material->ambient_color, &material->diffuse_color, &material->specular_color,
                               &material->emmisive_color};
  for (int32_t i = first; i < first + count; i++) {
    for (int k = 0; k < 4; k++) {
      const ZmSFColor c = colorAt(*lists[k], i);
      sums[k].r += c.r;
      sums[k].g += c.g;
      sums[k].b += c.b;
    }
    transparency += floatAt(material->transparency, i);
  }
  const float n = static_cast<float>(count);
  ZmSFColor means[4];
  for (int k = 0; k < 4; k++) means[k] = {sums[k].r / n, sums[k].g / n, sums[k].b / n};
  float meanTransparency = transparency / n;
  ZmMaterial single = {};
  single.count = 1;
  single.ambient_color = {1, &means[0]};
  single.diffuse_color = {1, &means[1]};
  single.specular_color = {1, &means[2]};
  single.emmisive_color = {1, &means[3]};
  single.transparency = {1, &meanTransparency};
  return zmRwCalcMaterial(out, &single, 0) == 0 ? 0 : -1;
}

RwPolygon* zmRwSetMaterialToPolygon(RwPolygon* polygon, ZmRwMaterial* m) {
  const char* operation = "zmRwSetMaterialToPolygon()";
  if (RwSetPolygonSurface(polygon, m->ambient, m->diffuse, m->specular) == nullptr) {
    fail(operation, "cannot set polygon surface");
    return nullptr;
  }
  if (RwSetPolygonColor(polygon, m->red, m->green, m->blue) == nullptr) {
    fail(operation, "cannot set polygon color");
    return nullptr;
  }
  if (RwSetPolygonOpacity(polygon, m->opacity) == nullptr) {
    fail(operation, "cannot set polygon opacity");
    return nullptr;
  }
  if (RwSetPolygonLightSampling(polygon, m->sampling) == nullptr) {
    fail(operation, "cannot set polygon light sampling");
    return nullptr;
  }
  return polygon;
}

RwClump* zmRwSetMaterialToClump(RwClump* clump, ZmRwMaterial* material) {
  return RwForAllPolygonsInClumpWithValue(
      clump,
      [](RwPolygon* polygon, intptr_t value) {
        return zmRwSetMaterialToPolygon(polygon, reinterpret_cast<ZmRwMaterial*>(value));
      },
      reinterpret_cast<intptr_t>(material));
}
