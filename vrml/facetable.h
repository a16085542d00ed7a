// vrml/facetable.h -- the working tables of IndexedFaceSet and IndexedLineSet.
//
// Owns: QvFaceTable and its twin QvLineTable, which gather for one node's
// conversion the state's coordinates, normals, materials and texture
// coordinates, the bindings and vertex ordering in force, split the node's
// coordIndex into polygons (faces or polylines) and give every polygon and
// vertex the coordinate, material, normal and texture-coordinate index it
// carries into its leaf; and the copies of those data that one polygon
// hands its leaf (carved from the world's slab, owned by the leaf from then
// on; the one-entry material records, and equal texture coordinates of
// neighbouring polygons, are shared between the leaves).
// The tables share one implementation, QvGeometryTable; the two classes
// differ in their message texts, in what a short polygon is, and in the
// normal that stands in for a missing one.
// It does not own the nodes, the state, nor the leaves and the objects they
// hang on (vrml/faceset.h, vrml/lineset.h).
//
// A table lives for the conversion of one node; everything in it comes from
// the plain heap and is freed with it (its shares of material records and
// texture coordinates included). Every index that reaches a leaf is
// checked against its array here: a vertex whose coordinate index was
// refused keeps -1 and is left out of its leaf, texture-coordinate indices
// are clamped to the table's list, and a negative material index selects
// material record 0.
#ifndef LUMENFOLD_VRML_FACETABLE_H
#define LUMENFOLD_VRML_FACETABLE_H

#include <cstdint>
#include <memory>

#include "core/fields.h"
#include "core/memory.h"

class QvMFLong;
class QvState;
struct QvTableTexts;
struct ZmMaterial;
struct ZmShape;

// Face-table binding codes. The leaves only ever receive 1, 5 or 7: the
// material and normal steps turn 4 into 5 and 6 into 7.
enum : int32_t {
  QV_BIND_REFUSED = 0,            // not read from the state yet
  QV_BIND_OVERALL = 1,
  QV_BIND_PER_FACE = 4,
  QV_BIND_PER_FACE_INDEXED = 5,
  QV_BIND_PER_VERTEX = 6,
  QV_BIND_PER_VERTEX_INDEXED = 7,
};

// The tables' working arrays come from the program's allocator, which
// faults large ones in by the megabyte.
struct QvTableFree {
  void operator()(void* block) const { zmFree(block); }
};
template <class T> using QvTableArray = std::unique_ptr<T[], QvTableFree>;

// The four index lists of an IndexedFaceSet or IndexedLineSet node.
struct QvIndexLists {
  const QvMFLong& coordIndex;
  const QvMFLong& materialIndex;
  const QvMFLong& normalIndex;
  const QvMFLong& textureCoordIndex;
};

class QvGeometryTable {
 public:
  // One face or polyline: the coordIndex entries from `start` up to the
  // next -1. Its vertices are taken counter-clockwise: vertex i is entry
  // start + i, or start + numVertices - 1 - i under a CLOCKWISE ShapeHints.
  // A vertex whose coordinate index is refused is left out of its leaf.
  // The table keeps nothing per vertex unless materials or listed normals
  // are bound per vertex, so a big face set costs one record per polygon.
  struct Polygon {
    int32_t start = 0;        // position of its first entry in coordIndex
    int32_t numVertices = 0;  // entries in coordIndex, refused ones included
    int32_t materialIndex = -1;
    // The listed normal it takes by face; -1: its calculated one, which is
    // worked out when its leaf is filled (a big set keeps no normals).
    int32_t normal = -1;
  };
  struct Material {
    float ambient[3] = {0.2f, 0.2f, 0.2f};
    float diffuse[3] = {0.8f, 0.8f, 0.8f};
    float specular[3] = {0, 0, 0};
    float emissive[3] = {0, 0, 0};
    float shininess = 0.2f;
    float transparency = 0;
    float specularPower = 0;
  };

  // Gives back the table's shares of the material records and texture
  // coordinates its leaves hold.
  virtual ~QvGeometryTable();
  QvGeometryTable(const QvGeometryTable&) = delete;
  QvGeometryTable& operator=(const QvGeometryTable&) = delete;

  // The conversion runs these in this order and stops at the first that
  // does not give 0. Each reports its own failures in the table's words.
  // init reads the state: bindings, ShapeHints, coordinates, normals,
  // materials, texture coordinates (all run); 0, or -1 when one failed.
  int init(QvState* state);
  // Splits coordIndex into polygons; 0, or -5 when memory runs out. The
  // lists are read again while leaves are filled, so they must outlive
  // the table's use.
  int initPolygons(const QvIndexLists& lists);
  // Material index of every polygon or vertex by the binding; 0 or -1. An
  // index list left at its default means the polygons in order (per face)
  // or coordIndex (per vertex); a short list is read round again.
  int setMaterialsOfPolygonsOrVertices(const QvIndexLists& lists);
  // Normal of every polygon or vertex by the binding; 0 or -1.
  int setNormalsOfPolygonsOrVertices(const QvIndexLists& lists);
  // Texture-coordinate index of every vertex; always 0.
  int setTexCoordIndices(const QvIndexLists& lists);

  // The five steps above in order, for the node's lists. At the first that
  // does not give 0 the matching text of stepFailures is warned and that
  // result returned; else 0.
  int build(QvState* state, const QvIndexLists& lists, const char* const stepFailures[5]);

  // Material record index modulo numMaterials; negative indices give 0.
  const Material& getMaterial(int32_t index) const;

  // ---- What one polygon hands its leaf. Only vertices with a coordinate
  // go into the lists, in stored order. A list whose allocation fails is
  // reported with failText (fn for the material) and left empty.

  // The vertices with a coordinate.
  int32_t countUsableVertices(const Polygon& polygon) const;
  // True when the polygon has enough usable vertices for a leaf: three for
  // a face, one for a polyline.
  bool makesLeaf(const Polygon& polygon) const;
  // One (u, v) per vertex: by its texture-coordinate index when the node
  // gave a textureCoordIndex, else by its coordinate index, clamped. A
  // small polygon whose pairs equal those of the polygon filled before
  // shares that one's list (untextured sets have (0, 0) everywhere).
  void fillUv(const Polygon& polygon, ZmMFVec2f* uv, const char* failText);
  // One material entry (codes 1 and 5) or one per vertex (code 7). The
  // one-entry record of a material is made once and shared by every leaf
  // that uses it.
  void fillMaterial(const Polygon& polygon, ZmShape* leaf, const char* fn);
  // One normal (codes 1 and 5) or one per vertex (code 7).
  void fillNormals(const Polygon& polygon, ZmMFVec3f* normals, const char* failText) const;
  void fillVertices(const Polygon& polygon, ZmMFVec3f* vertices, const char* failText) const;

  QvTableArray<Polygon> polygons;
  int32_t numPolygons = 0;
  QvTableArray<float> texCoords;  // (u, v) pairs
  int32_t numTexCoords = 0;
  QvTableArray<float> coords;     // (x, y, z) triples
  int32_t numCoords = 0;
  QvTableArray<float> normals;    // (x, y, z) triples
  int32_t numNormals = 0;
  int32_t clockwise = 0;               // 1: CLOCKWISE vertex ordering
  int32_t convex = 1;                  // 1: CONVEX face type (or no ShapeHints)
  int32_t materialBinding = QV_BIND_REFUSED;
  int32_t normalBinding = QV_BIND_REFUSED;
  QvTableArray<Material> materials;
  int32_t numMaterials = 0;
  bool useTexCoordIndices = false;     // the node's textureCoordIndex does not start with -1

 protected:
  explicit QvGeometryTable(const QvTableTexts& texts);

  // Whether a polygon that the file gives no normal for has one of its own;
  // a warning when it has none, whose normal is then (0, 0, 0).
  virtual bool checkCalculableNormal(const Polygon& polygon) const = 0;
  // That normal, or (0, 0, 0) when there is none.
  virtual void calcNormal(const Polygon& polygon, float out[3]) const = 0;
  // Faces warn about fewer than three vertices and need three usable ones
  // for a leaf; polylines need one and do not warn.
  virtual bool isFaceTable() const = 0;

  const QvTableTexts& texts;

  // The coordinate index of vertex i, -1 when refused.
  int32_t coordOf(const Polygon& polygon, int32_t i) const;

 private:
  const QvMFLong* coordIndex = nullptr;          // the node's lists, from initPolygons
  const QvMFLong* textureCoordIndex = nullptr;
  // By position in coordIndex, only under per-vertex bindings: the material
  // index, and the index of a listed normal (-1: the polygon's normal).
  QvTableArray<int32_t> vertexMaterials;
  QvTableArray<int32_t> vertexNormals;
  // By material index: the one-entry records that leaves share (null
  // until first used); the table holds one share of each.
  QvTableArray<ZmMaterial*> sharedMaterials;
  // The texture coordinates fillUv made last, for the next polygon to
  // share (the table holds one share), and their count.
  ZmSFVec2f* lastUv = nullptr;
  int32_t lastUvCount = 0;

  int setMaterialBindingFrom(QvState* state);
  int setNormalBindingFrom(QvState* state);
  int setShapeHintsFrom(QvState* state);
  int setCoords(QvState* state);
  int setNormals(QvState* state);
  int setMaterials(QvState* state);
  int setDefaultMaterial();
  int setTexCoords(QvState* state);
  int setDefaultTexCoord();
  void checkCoordIndices(const Polygon& polygon);

  void setMaterialsPerFaceIndexed(const QvMFLong& materialIndex);
  int setMaterialsPerVertexIndexed(const QvMFLong& materialIndex);
  int setMaterialsPerVertex();
  bool allocateVertexMaterials();
  // The shared lists of material record `index` (as getMaterial picks it),
  // made on first use; null when memory runs out (reported).
  const ZmMaterial* sharedMaterial(int32_t index, const char* fn);
  int setNormalsPerFace();
  int setNormalsPerFaceIndexed(const QvMFLong& normalIndex);
  int setNormalsPerVertex(const QvMFLong& normalIndex, bool indexed);

  // The own position of vertex i: the coordIndex entry it came from, so
  // that per-vertex lists reach the vertex they were written for.
  int32_t ownOffset(const Polygon& polygon, int32_t i) const;
  int32_t positionOf(const Polygon& polygon, int32_t i) const { return polygon.start + ownOffset(polygon, i); }
  // The normal of vertex i: its listed one, else `calculated`, its polygon's.
  const float* vertexNormalOf(const Polygon& polygon, int32_t i, const float* calculated) const;
  int32_t texCoordIndexOf(const Polygon& polygon, int32_t i) const;
  // The (u, v) of vertex i, whose coordinate index is k.
  ZmSFVec2f uvOf(const Polygon& polygon, int32_t i, int32_t k) const;
  // Whether the polygon's n pairs are those of lastUv, bit for bit.
  bool repeatsLastUv(const Polygon& polygon, int32_t n) const;
  int32_t clampTexCoord(int32_t index) const;
  const float* normalAt(int32_t index) const { return &normals[3 * index]; }
};

// The working table of one IndexedFaceSet.
class QvFaceTable : public QvGeometryTable {
 public:
  QvFaceTable();
  // A face needs three usable vertices for a normal; warns with fewer.
  bool checkCalculableNormal(const Polygon& face) const override;
  // The unit normal of the first three usable vertices, (0, 0, 0) when they
  // are collinear or fewer.
  void calcNormal(const Polygon& face, float out[3]) const override;

 protected:
  bool isFaceTable() const override { return true; }
};

// The working table of one IndexedLineSet.
class QvLineTable : public QvGeometryTable {
 public:
  QvLineTable();
  // Every polyline has one; one of fewer than two vertices warns.
  bool checkCalculableNormal(const Polygon& line) const override;
  // Always (1, 1, 1), unnormalised.
  void calcNormal(const Polygon& line, float out[3]) const override;

 protected:
  bool isFaceTable() const override { return false; }
};

// The number of polygons in coordIndex: one per -1, plus one when the last
// entry is not -1; none for an empty list.
int32_t countPolygons(const QvMFLong& coordIndex);
// The entries from position up to the next -1 or the end.
int32_t countVerticesAt(const QvMFLong& coordIndex, int32_t position);

#endif
