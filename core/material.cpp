// core/material.cpp -- materials of shape leaves; see material.h.
#include "core/material.h"

#include <cstring>
#include <type_traits>

#include "core/hooks.h"
#include "core/leaf.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"

void zmInitMaterial(ZmMaterial* material) { memset(material, 0, sizeof *material); }

template <typename List>
static void freeAttribute(const List& list, const char* failure) {
  if (list.count != 0 && list.values == nullptr) zmReportWarning("%s", failure);
  zmFree(list.values);
}

void zmDeleteMaterial(ZmMaterial* material) {
  freeAttribute(material->ambient_color, "zmDeleteMaterial: ambient_color is invalid\n");
  freeAttribute(material->diffuse_color, "zmDeleteMaterial: diffuse_color is invalid\n");
  freeAttribute(material->specular_color, "zmDeleteMaterial: specular_color is invalid\n");
  freeAttribute(material->emmisive_color, "zmDeleteMaterial: emmisive_color is invalid\n");
  freeAttribute(material->shininess, "zmDeleteMaterial: shininess is invalid\n");
  freeAttribute(material->transparency, "zmDeleteMaterial: transparency is invalid\n");
  freeAttribute(material->specularpower, "zmDeleteMaterial: specularpower is invalid\n");
}

template <typename List>
static bool shareAttribute(List* to, const List& from) {
  using Element = std::remove_pointer_t<decltype(to->values)>;
  *to = {};
  if (from.values == nullptr || from.count <= 0) return true;
  to->values = static_cast<Element*>(zmShareBlock(from.values, from.count * sizeof(Element)));
  if (to->values == nullptr) return false;
  to->count = from.count;
  return true;
}

int zmShareMaterial(ZmMaterial* to, const ZmMaterial* from) {
  zmDeleteMaterial(to);
  zmInitMaterial(to);
  const bool shared = shareAttribute(&to->ambient_color, from->ambient_color) &&
                      shareAttribute(&to->diffuse_color, from->diffuse_color) &&
                      shareAttribute(&to->specular_color, from->specular_color) &&
                      shareAttribute(&to->emmisive_color, from->emmisive_color) &&
                      shareAttribute(&to->shininess, from->shininess) &&
                      shareAttribute(&to->transparency, from->transparency) &&
                      shareAttribute(&to->specularpower, from->specularpower);
  if (!shared) {
    zmDeleteMaterial(to);
    zmInitMaterial(to);
    return -1;
  }
  to->count = from->count;
  return 0;
}

// ---- Records shared between leaves -----------------------------------------

const ZmMaterial zmNoMaterial = {};

ZmMaterial* zmNewMaterialRecord() { return static_cast<ZmMaterial*>(zmSlabMalloc(sizeof(ZmMaterial))); }

const ZmMaterial* zmShareMaterialRecord(const ZmMaterial* record) {
  if (record == &zmNoMaterial) return record;
  auto* shared = static_cast<ZmMaterial*>(zmShareBlock(const_cast<ZmMaterial*>(record), sizeof(ZmMaterial)));
  if (shared == nullptr || shared == record) return shared;
  // A heap record takes no second owner: its copy must hold shares of the
  // lists rather than the same pointers.
  zmInitMaterial(shared);
  if (zmShareMaterial(shared, record) == 0) return shared;
  zmFree(shared);
  return nullptr;
}

void zmReleaseMaterialRecord(const ZmMaterial* record) {
  if (record == nullptr || record == &zmNoMaterial) return;
  auto* mine = const_cast<ZmMaterial*>(record);
  if (!zmIsSharedBlock(mine)) zmDeleteMaterial(mine);
  zmFree(mine);
}

ZmMaterial* zmOwnLeafMaterial(ZmShape* shape) {
  const ZmMaterial* record = shape->material;
  if (record != &zmNoMaterial && !zmIsSharedBlock(record)) return const_cast<ZmMaterial*>(record);
  ZmMaterial* own = zmNewMaterialRecord();
  if (own == nullptr) return nullptr;
  if (zmShareMaterial(own, record) != 0) {
    zmFree(own);
    return nullptr;
  }
  zmReleaseMaterialRecord(record);
  shape->material = own;
  return own;
}

int zmSetLeafMaterialRecord(ZmShape* shape, const ZmMaterial* record) {
  zmReleaseMaterialRecord(shape->material);
  const ZmMaterial* shared = zmShareMaterialRecord(record);
  shape->material = shared != nullptr ? shared : &zmNoMaterial;
  return shared != nullptr ? 0 : -1;
}

// ---- Colour lists -------------------------------------------------------------

ZmSFColor* zmNewColorArray(int32_t n) {
  return static_cast<ZmSFColor*>(zmMalloc(n * sizeof(ZmSFColor)));
}

ZmMFColor* zmNewZmMFColor(int32_t n) {
  ZmMFColor* list = static_cast<ZmMFColor*>(zmMalloc(sizeof(ZmMFColor)));
  ZmSFColor* colours = list ? zmNewColorArray(n) : nullptr;
  if (colours == nullptr) {
    zmFree(list);
    zmReportError("zmNewZmMFColor: zmMalloc failed\n");
    return nullptr;
  }
  list->count = n;
  list->values = colours;
  return list;
}

void zmDeleteZmMFColorList(ZmMFColor* list) {
  if (list == nullptr) return;
  zmFree(list->values);
  zmFree(list);
}

void zmSetZmMFColorAt(ZmMFColor* list, int32_t i, float r, float g, float b) {
  list->values[i] = {r, g, b};
}

void zmGetZmMFColorAt(ZmMFColor* list, int32_t i, float* r, float* g, float* b) {
  *r = list->values[i].r;
  *g = list->values[i].g;
  *b = list->values[i].b;
}

// The attribute's list in a material record, for colours (1 to 4) or
// floats (5, 6); null for other attributes.
static ZmMFColor ZmMaterial::*colourAttribute(int attribute) {
  switch (attribute) {
    case ZM_MATERIAL_AMBIENT: return &ZmMaterial::ambient_color;
    case ZM_MATERIAL_DIFFUSE: return &ZmMaterial::diffuse_color;
    case ZM_MATERIAL_SPECULAR: return &ZmMaterial::specular_color;
    case ZM_MATERIAL_EMISSIVE: return &ZmMaterial::emmisive_color;
    default: return nullptr;
  }
}

static ZmMFFloat ZmMaterial::*floatAttribute(int attribute) {
  switch (attribute) {
    case ZM_MATERIAL_SHININESS: return &ZmMaterial::shininess;
    case ZM_MATERIAL_TRANSPARENCY: return &ZmMaterial::transparency;
    default: return nullptr;
  }
}

/*
 * Copies `source` into `target`, reallocating when the counts differ.
 * An empty source leaves {0, null}; a failed allocation leaves {0, null}
 * too, never a count without an array. False when the allocation failed.
 */
template <typename List>
static bool copyAttribute(List* target, const List* source) {
  using Element = std::remove_pointer_t<decltype(target->values)>;
  int32_t count = source->count > 0 ? source->count : 0;
  if (count != target->count || (count > 0 && target->values == nullptr)) {
    zmFree(target->values);
    *target = {};
    if (count == 0) return true;
    target->values = static_cast<Element*>(zmSlabMalloc(count * sizeof(Element)));
    if (target->values == nullptr) return false;
    target->count = count;
  }
  if (count == 0) return true;
  // The array may be shared with other leaves (zmShareMaterial).
  Element* own = static_cast<Element*>(zmOwnBlock(target->values));
  if (own == nullptr) {
    zmFree(target->values);
    *target = {};
    return false;
  }
  target->values = own;
  memcpy(target->values, source->values, count * sizeof(Element));
  return true;
}

// The shared steps of the colour and float setters.
template <typename List>
static int setLeafAttribute(ZmLeaf* leaf, const List* list, List ZmMaterial::*(*attributeOf)(int),
                            int attribute, const char* function) {
  if (!zmIsShapeLeaf(leaf)) {
    zmReportWarning("%s: LeafType is invalid\n", function);
    return -1;
  }
  List ZmMaterial::*member = attributeOf(attribute);
  if (member == nullptr) {
    zmReportWarning("%s: attribute is invalid\n", function);
    return -1;
  }
  ZmMaterial* material = zmOwnLeafMaterial(static_cast<ZmShape*>(leaf));
  if (material == nullptr || !copyAttribute(&(material->*member), list)) {
    zmReportError("%s : zmMalloc Failure\n", function);
    return -1;
  }
  return zmReapplyLeafMaterial(leaf);
}

int zmSetLeafMaterialColor(ZmLeaf* leaf, const ZmMFColor* colours, int attribute) {
  return setLeafAttribute(leaf, colours, colourAttribute, attribute, "zmSetLeafMaterialColor");
}

int zmSetLeafMaterialFloat(ZmLeaf* leaf, const ZmMFFloat* floats, int attribute) {
  return setLeafAttribute(leaf, floats, floatAttribute, attribute, "zmSetLeafMaterialFloat");
}

int zmSetLeafMaterial(ZmLeaf* leaf, const void* list, int attribute) {
  if (attribute >= ZM_MATERIAL_AMBIENT && attribute <= ZM_MATERIAL_EMISSIVE) {
    return zmSetLeafMaterialColor(leaf, static_cast<const ZmMFColor*>(list), attribute);
  }
  if (attribute == ZM_MATERIAL_SHININESS || attribute == ZM_MATERIAL_TRANSPARENCY) {
    return zmSetLeafMaterialFloat(leaf, static_cast<const ZmMFFloat*>(list), attribute);
  }
  zmReportWarning("zmSetLeafMaterial: attribute is invalid\n");
  return -1;
}

int zmSetObjLeafMaterial(ZmObj* object, const void* list, int attribute) {
  if (!zmIsShapeObj(object)) return 0;
  for (ZmLeaf* leaf = object->leaf; leaf; leaf = leaf->next) {
    if (zmSetLeafMaterial(leaf, list, attribute) != 0) return -1;
  }
  return 0;
}

int zmSetSubtreeLeafMaterial(ZmObj* object, const void* list, int attribute) {
  if (zmSetObjLeafMaterial(object, list, attribute) != 0) return -1;
  for (ZmChildList* node = object->child; node; node = node->next) {
    if (node->object && zmSetSubtreeLeafMaterial(node->object, list, attribute) != 0) return -1;
  }
  return 0;
}

void* zmGetLeafMaterial(ZmLeaf* leaf, int attribute) {
  if (!zmIsShapeLeaf(leaf)) return nullptr;
  auto* material = const_cast<ZmMaterial*>(static_cast<ZmShape*>(leaf)->material);
  if (ZmMFColor ZmMaterial::*colours = colourAttribute(attribute)) return &(material->*colours);
  if (ZmMFFloat ZmMaterial::*floats = floatAttribute(attribute)) return &(material->*floats);
  zmReportWarning("zmGetLeafMaterial: attribute is invalid\n");
  return nullptr;
}

void* zmGetObjLeafMaterial(ZmObj* object, int attribute) {
  for (ZmLeaf* leaf = object->leaf; leaf; leaf = leaf->next) {
    if (void* found = zmGetLeafMaterial(leaf, attribute)) return found;
  }
  return nullptr;
}

void* zmGetSubtreeLeafMaterial(ZmObj* object, int attribute) {
  if (void* found = zmGetObjLeafMaterial(object, attribute)) return found;
  for (ZmChildList* node = object->child; node; node = node->next) {
    if (node->object == nullptr) continue;
    if (void* found = zmGetSubtreeLeafMaterial(node->object, attribute)) return found;
  }
  return nullptr;
}

int zmReapplyLeafMaterial(ZmLeaf* leaf) {
  return coreViewer().renderSetMaterial(leaf);
}

int zmReapplyObjMaterial(ZmObj* object) {
  if (!zmIsShapeObj(object)) return 0;
  for (ZmLeaf* leaf = object->leaf; leaf; leaf = leaf->next) {
    if (zmReapplyLeafMaterial(leaf) != 0) return -1;
  }
  return 0;
}

int zmReapplyObjAndChildrenMaterial(ZmObj* object) {
  if (zmReapplyObjMaterial(object) != 0) return -1;
  for (ZmChildList* node = object->child; node; node = node->next) {
    if (node->object && zmReapplyObjMaterial(node->object) != 0) return -1;
  }
  return 0;
}

// The 36 fixed-attribute forms.
#define ZM_MATERIAL_FORMS(Name, attribute, List)                                             \
  int zmSetLeaf##Name(ZmLeaf* leaf, const List* list) {                                      \
    return zmSetLeafMaterial(leaf, list, attribute);                                         \
  }                                                                                          \
  int zmSetObj##Name(ZmObj* object, const List* list) {                                      \
    return zmSetObjLeafMaterial(object, list, attribute);                                    \
  }                                                                                          \
  int zmSetSubtree##Name(ZmObj* object, const List* list) {                                  \
    return zmSetSubtreeLeafMaterial(object, list, attribute);                                \
  }                                                                                          \
  List* zmGetLeaf##Name(ZmLeaf* leaf) { return static_cast<List*>(zmGetLeafMaterial(leaf, attribute)); } \
  List* zmGetObj##Name(ZmObj* object) {                                                      \
    return static_cast<List*>(zmGetObjLeafMaterial(object, attribute));                     \
  }                                                                                          \
  List* zmGetSubtree##Name(ZmObj* object) {                                                  \
    return static_cast<List*>(zmGetSubtreeLeafMaterial(object, attribute));                  \
  }

ZM_MATERIAL_FORMS(AmbientColor, ZM_MATERIAL_AMBIENT, ZmMFColor)
ZM_MATERIAL_FORMS(DiffuseColor, ZM_MATERIAL_DIFFUSE, ZmMFColor)
ZM_MATERIAL_FORMS(SpecularColor, ZM_MATERIAL_SPECULAR, ZmMFColor)
ZM_MATERIAL_FORMS(EmissiveColor, ZM_MATERIAL_EMISSIVE, ZmMFColor)
ZM_MATERIAL_FORMS(Shininess, ZM_MATERIAL_SHININESS, ZmMFFloat)
ZM_MATERIAL_FORMS(Transparency, ZM_MATERIAL_TRANSPARENCY, ZmMFFloat)
