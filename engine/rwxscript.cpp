// engine/rwxscript.cpp -- the model-script interpreter: the loop and the
// keyword table.
#include "engine/rwxscript.h"

#include <cstring>
#include <vector>

#include "engine/clump.h"
#include "engine/error.h"
#include "engine/library.h"
#include "engine/material.h"
#include "engine/matrix.h"
#include "engine/modelling.h"
#include "engine/path.h"
#include "engine/polygon.h"
#include "engine/primitives.h"
#include "engine/rasters.h"
#include "engine/rwxtoken.h"
#include "engine/shapefile.h"
#include "engine/shapereaderstate.h"

namespace {

// Handler results.
constexpr int failed = 0;
constexpr int goOn = 1;
constexpr int complete = 2;

constexpr size_t keywordSize = 25;        // 24 characters
constexpr size_t prototypeNameSize = 32;  // 31 characters
constexpr size_t includeNameSize = 512;   // 511 characters
constexpr size_t textureNameSize = 1023;  // 1022 characters

int fail(int number) {
  RwSetError(number);
  return failed;
}

int statusOf(bool ok) { return ok ? goOn : failed; }

bool isComment(const char* token) { return token[0] == '#'; }

// A word token that is not a comment.
bool readWord(std::FILE* stream, char* word, size_t size) {
  return RwReadToken(stream, word, size) == 1 && !isComment(word);
}

// ---- option words

struct WordValue {
  const char* word;
  intptr_t value;
};

template <size_t N>
bool lookUp(const WordValue (&table)[N], const char* word, intptr_t* value) {
  for (const WordValue& entry : table) {
    if (RwSameNameNoCase(entry.word, word)) {
      *value = entry.value;
      return true;
    }
  }
  return false;
}

// Reads one option word of the table; `unknown` is the error for another.
template <size_t N>
bool readOption(std::FILE* stream, const WordValue (&table)[N], int unknown, intptr_t* value) {
  char word[rwArgumentWordSize];
  if (RwReadArguments(stream, "s", word) != 1) return fail(rwErrBadArguments);
  return lookUp(table, word, value) || fail(unknown);
}

constexpr WordValue hintWords[] = {{"container", rwContainer}, {"hs", rwHiddenSurface}, {"editable", rwEditable}};
constexpr WordValue textureModeWords[] = {
    {"lit", rwTextureLit}, {"foreshorten", rwTextureForeshorten}, {"filter", rwTextureFilter}};
constexpr WordValue onOff[] = {{"on", 2}, {"off", 1}};
constexpr WordValue ditheringWords[] = {{"on", 1}, {"off", 2}, {"auto", 3}};
constexpr WordValue geometryWords[] = {{"pointcloud", rwPointCloud}, {"wireframe", rwWireframe}, {"solid", rwSolid}};
constexpr WordValue lightWords[] = {{"facet", rwFacet}, {"vertex", rwVertex}};
constexpr WordValue alignmentWords[] = {{"null", 1}, {"none", 1}, {"zorientx", 2}, {"zorienty", 3}, {"xyz", 4}};

// The ORed values of the words up to the line's end or a comment; "null"
// (0) must stand alone.
template <size_t N>
bool readWordList(std::FILE* stream, const WordValue (&table)[N], int unknown, int empty, intptr_t* value) {
  char word[rwArgumentWordSize];
  int words = 0;
  bool sawNull = false;
  *value = 0;
  while (readWord(stream, word, sizeof word)) {
    intptr_t bits;
    if (sawNull) return fail(unknown);
    if (RwSameNameNoCase(word, "null")) {
      if (words > 0) return fail(unknown);
      sawNull = true;
    } else if (lookUp(table, word, &bits)) {
      *value |= bits;
    } else {
      return fail(unknown);
    }
    ++words;
  }
  return words > 0 || fail(empty);
}

// ---- state the keywords act on

RwClump* currentClump() {
  RwClump* clump = RwCurrentDefinitionClump();
  if (!clump) RwSetError(rwErrOutsideClump);
  return clump;
}

RwMaterial* writableMaterial() { return RwWritableCurrentMaterial(); }

// The depth an end keyword may pop down to: what the innermost open
// bracket (clump definition, model, or the script itself) started from.
struct StackDepths {
  intptr_t ctm, joint, material;
};

StackDepths popFloors() {
  const RwParseContext* context = RwCurrentParseContext();
  if (const RwCreationContext* definition = context->lastDefinition) {
    return {definition->savedCTMDepth + 1, definition->savedJointDepth + 1, definition->savedMaterialDepth + 1};
  }
  if (context->modelling) {
    return {context->savedCTMDepth + 1, context->savedJointDepth + 1, context->savedMaterialDepth + 1};
  }
  return {context->openingCTMDepth, context->openingJointDepth, context->openingMaterialDepth};
}

bool readMatrix(std::FILE* stream, RwMatrix* matrix) {
  float e[16];
  int read = RwReadArguments(stream, "ffffffffffffffff", &e[0], &e[1], &e[2], &e[3], &e[4], &e[5], &e[6], &e[7], &e[8],
                             &e[9], &e[10], &e[11], &e[12], &e[13], &e[14], &e[15]);
  if (read != 16) return fail(rwErrBadArguments);
  for (int i = 0; i < 16; ++i) RwSetMatrixElement(matrix, i / 4, i % 4, e[i]);
  return true;
}

// ---- brackets

int modelBegin(std::FILE*) { return statusOf(RwModelBegin()); }
int modelEnd(std::FILE*) { return RwModelEnd() ? complete : failed; }
int clumpBegin(std::FILE*) { return statusOf(RwClumpBegin()); }

int clumpEnd(std::FILE*) {
  if (!RwClumpEnd(nullptr)) return failed;
  const RwParseContext* context = RwCurrentParseContext();
  return !context->modelling && !context->lastDefinition ? complete : goOn;
}

int protoBegin(std::FILE* stream) {
  char name[prototypeNameSize];
  if (!readWord(stream, name, sizeof name)) return fail(rwErrBadArguments);
  return statusOf(RwProtoBegin(name));
}

int protoEnd(std::FILE*) { return statusOf(RwProtoEnd()); }

int protoInstanceAs(std::FILE* stream, int takeMaterial) {
  char name[prototypeNameSize];
  if (!readWord(stream, name, sizeof name)) return fail(rwErrBadArguments);
  return statusOf(RwProtoInstance(name, takeMaterial));
}

int protoInstance(std::FILE* stream) { return protoInstanceAs(stream, 0); }
int protoInstanceGeometry(std::FILE* stream) { return protoInstanceAs(stream, 1); }

int includeAs(std::FILE* stream, int takeMaterial) {
  char name[includeNameSize];
  if (!readWord(stream, name, sizeof name)) return fail(rwErrBadArguments);
  if (!RwCurrentClumpDefinition()) return fail(rwErrOutsideClump);
  RwClump* shape = RwReadShape(name);
  if (!shape) return failed;
  if (RwAddModellingPart(shape, takeMaterial)) return goOn;
  RwDestroyClump(shape);
  return failed;
}

int include(std::FILE* stream) { return includeAs(stream, 0); }
int includeGeometry(std::FILE* stream) { return includeAs(stream, 1); }

// ---- vertices and polygons

struct VertexClauses {
  bool hasUV = false;
  float u = 0, v = 0;
  bool hasNormal = false;
  RwVector normal = {0, 0, 0};
};

bool readVertexClauses(std::FILE* stream, VertexClauses* clauses) {
  char word[rwArgumentWordSize];
  while (readWord(stream, word, sizeof word)) {
    if (RwSameNameNoCase(word, "uv")) {
      if (RwReadArguments(stream, "ff", &clauses->u, &clauses->v) != 2) return fail(rwErrBadArguments);
      clauses->hasUV = true;
    } else if (RwSameNameNoCase(word, "normal")) {
      RwVector& n = clauses->normal;
      if (RwReadArguments(stream, "fff", &n.x, &n.y, &n.z) != 3) return fail(rwErrBadArguments);
      clauses->hasNormal = true;
    } else {
      return fail(rwErrBadWord);
    }
  }
  return true;
}

int vertex(std::FILE* stream) {
  RwClump* clump = currentClump();
  if (!clump) return failed;
  RwVector position;
  VertexClauses clauses;
  if (RwReadArguments(stream, "fff", &position.x, &position.y, &position.z) != 3) return fail(rwErrBadArguments);
  if (!readVertexClauses(stream, &clauses)) return failed;
  const RwMatrix* ctm = RwGetCTM();
  RwTransformPoint(&position, ctm);
  intptr_t index = RwAddModelVertexToClump(clump, position.x, position.y, position.z);
  if (!index) return failed;
  RwVertexAt(clump->vertexArray, index)->flags |= rwVertexDeferred;
  if (clauses.hasNormal) {
    RwVector normal;
    RwTransformNormal(&normal, &clauses.normal, ctm);
    if (!RwSetVertexNormal(clump, index, &normal)) return failed;
  }
  if (clauses.hasUV && !rwModellingTextureLinks().setVertexTextureCoords(clump, index, clauses.u, clauses.v)) {
    return failed;
  }
  return goOn;
}

// The optional "tag t" clause of a polygon line.
bool readPolygonTag(std::FILE* stream, int32_t* tag) {
  char word[rwArgumentWordSize];
  if (!readWord(stream, word, sizeof word)) return true;
  if (!RwSameNameNoCase(word, "tag")) return fail(rwErrBadWord);
  return RwReadIntegerArgument(stream, tag) || fail(rwErrBadArguments);
}

// A polygon of `count` vertices, or of the count the line gives first (0).
int polygonOf(std::FILE* stream, int32_t count) {
  RwClump* clump = currentClump();
  if (!clump) return failed;
  if (count == 0) {
    if (!RwReadIntegerArgument(stream, &count)) return fail(rwErrBadArguments);
    // A polygon of the wrong size is skipped and reading goes on.
    if (count < 3 || count > rwLargestShapePolygon) {
      RwSetError(count < 3 ? rwErrTooFewVertices : rwErrTooManyVertices);
      return goOn;
    }
  }
  std::vector<int32_t> indices(static_cast<size_t>(count));
  for (int32_t& index : indices) {
    if (!RwReadIntegerArgument(stream, &index)) return fail(rwErrBadArguments);
  }
  int32_t tag = 0;
  if (!readPolygonTag(stream, &tag)) return failed;
  RwPolygon* polygon;
  if (!RwAddModelPolygon(clump, count, indices.data(), &polygon)) return failed;
  if (polygon) RwSetPolygonTag(polygon, static_cast<int16_t>(tag));
  return goOn;
}

int triangle(std::FILE* stream) { return polygonOf(stream, 3); }
int quad(std::FILE* stream) { return polygonOf(stream, 4); }
int polygon(std::FILE* stream) { return polygonOf(stream, 0); }

// ---- primitives

// A primitive too large to make is skipped, as a polygon of too many
// vertices is, and reading goes on with its error number pending; any
// other failure ends the script. An error already pending stays the one
// reported (the first wins).
template <typename Make>
int primitiveStatus(Make make) {
  const int pending = RwGetAndClearError();
  const bool made = make() != 0;
  const int raised = RwGetAndClearError();
  RwSetError(pending != rwErrNone ? pending : raised);
  return made || raised == rwErrTooManyVertices ? goOn : failed;
}

int block(std::FILE* stream) {
  float w, h, d;
  if (RwReadArguments(stream, "fff", &w, &h, &d) != 3) return fail(rwErrBadArguments);
  return primitiveStatus([&] { return RwBlock(w, h, d); });
}

int cylinder(std::FILE* stream) {
  float height, bottom, top;
  int32_t facets;
  if (RwReadArguments(stream, "fffd", &height, &bottom, &top, &facets) != 4) return fail(rwErrBadArguments);
  return primitiveStatus([&] { return RwCylinder(height, bottom, top, facets); });
}

template <int (*Make)(float, float, intptr_t)>
int heightRadiusFacets(std::FILE* stream) {
  float height, radius;
  int32_t facets;
  if (RwReadArguments(stream, "ffd", &height, &radius, &facets) != 3) return fail(rwErrBadArguments);
  return primitiveStatus([&] { return Make(height, radius, facets); });
}

template <int (*Make)(float, intptr_t)>
int radiusSubdivision(std::FILE* stream) {
  float radius;
  int32_t subdivision;
  if (RwReadArguments(stream, "fd", &radius, &subdivision) != 2) return fail(rwErrBadArguments);
  return primitiveStatus([&] { return Make(radius, subdivision); });
}

// ---- the current clump

int tag(std::FILE* stream) {
  RwClump* clump = currentClump();
  int32_t value;
  if (!clump) return failed;
  if (!RwReadIntegerArgument(stream, &value)) return fail(rwErrBadArguments);
  return statusOf(RwSetClumpTag(clump, value));
}

template <RwClump* (*Apply)(RwClump*, uintptr_t)>
int hintList(std::FILE* stream) {
  RwClump* clump = currentClump();
  intptr_t hints;
  if (!clump) return failed;
  if (!readWordList(stream, hintWords, rwErrScriptName53, rwErrScriptNameMissing58, &hints)) return failed;
  return statusOf(Apply(clump, static_cast<uintptr_t>(hints)));
}

int axisAlignment(std::FILE* stream) {
  RwClump* clump = currentClump();
  intptr_t alignment;
  if (!clump) return failed;
  if (!readOption(stream, alignmentWords, rwErrAlignmentWord, &alignment)) return failed;
  clump->alignment = alignment;
  return goOn;
}

int trace(std::FILE* stream) {
  intptr_t setting;
  if (!readOption(stream, onOff, rwErrScriptWord52, &setting)) return failed;
  RwSetModellingTag(setting);
  return goOn;
}

// ---- materials

int materialBegin(std::FILE*) { return statusOf(RwPushCurrentMaterial()); }

int materialEnd(std::FILE*) {
  if (RwCurrentMaterialDepth() <= popFloors().material) return fail(rwErrNotModelling);
  return statusOf(RwPopCurrentMaterial());
}

int color(std::FILE* stream) {
  float r, g, b;
  if (RwReadArguments(stream, "fff", &r, &g, &b) != 3) return fail(rwErrBadArguments);
  return statusOf(RwSetMaterialColor(writableMaterial(), r, g, b));
}

template <RwMaterial* (*Set)(RwMaterial*, float)>
int materialValue(std::FILE* stream) {
  float value;
  if (!RwReadFloatArgument(stream, &value)) return fail(rwErrBadArguments);
  return statusOf(Set(writableMaterial(), value));
}

// The first word is read as a plain word, which may lie on a later line.
bool readPlainWord(std::FILE* stream, char* word, size_t size) {
  int c;
  do {
    c = std::fgetc(stream);
  } while (c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r');
  size_t length = 0;
  for (; c != EOF && c != ' ' && c != '\t' && c != '\n' && c != '\v' && c != '\f' && c != '\r';
       c = std::fgetc(stream)) {
    if (length + 1 < size) word[length++] = static_cast<char>(c);
  }
  if (c != EOF) std::ungetc(c, stream);
  word[length] = '\0';
  return length > 0;
}

int surface(std::FILE* stream) {
  char word[rwArgumentWordSize];
  if (!readPlainWord(stream, word, sizeof word)) return fail(rwErrBadArguments);
  if (std::strcmp(word, "Intrinsic") == 0) return goOn;
  float ambient, diffuse, specular;
  if (!RwParseFloat(word, &ambient) || RwReadArguments(stream, "ff", &diffuse, &specular) != 2) {
    return fail(rwErrBadArguments);
  }
  return statusOf(RwSetMaterialSurface(writableMaterial(), ambient, diffuse, specular));
}

int geometrySampling(std::FILE* stream) {
  intptr_t sampling;
  if (!readOption(stream, geometryWords, rwErrGeometrySamplingWord, &sampling)) return failed;
  return statusOf(RwSetMaterialGeometrySampling(writableMaterial(), sampling));
}

int lightSampling(std::FILE* stream) {
  intptr_t sampling;
  if (!readOption(stream, lightWords, rwErrLightSamplingWord, &sampling)) return failed;
  return statusOf(RwSetMaterialLightSampling(writableMaterial(), sampling));
}

// ---- textures

// Reads the named texture (and its mask) through the texture module; null
// with the module's error when it fails.
RwTexture* namedTexture(const char* name, const char* mask) {
  const RwModellingTextureLinks& links = rwModellingTextureLinks();
  RwTexture* texture = links.getNamedTexture(name);
  if (!texture || !mask[0]) return texture;
  RwRaster* raster = links.readRasterTexture(mask);
  if (!raster) return nullptr;
  bool masked = links.setTextureMask(texture, raster) != nullptr;
  RwDestroyRaster(raster);
  return masked ? texture : nullptr;
}

int texture(std::FILE* stream) {
  std::vector<char> name(textureNameSize), mask(textureNameSize, '\0');
  if (!readWord(stream, name.data(), name.size())) return fail(rwErrBadArguments);
  char word[rwArgumentWordSize];
  if (readWord(stream, word, sizeof word)) {
    if (!RwSameNameNoCase(word, "mask")) return fail(rwErrBadWord);
    if (!readWord(stream, mask.data(), mask.size())) return fail(rwErrBadArguments);
  }
  RwMaterial* material = writableMaterial();
  if (!material) return failed;
  if (RwSameNameNoCase(name.data(), "null")) return statusOf(RwSetMaterialTexture(material, nullptr));
  // Without a texture module the material keeps its texture.
  if (!rwModellingTextureLinks.provided()) return goOn;
  RwTexture* found = namedTexture(name.data(), mask.data());
  return statusOf(found && RwSetMaterialTexture(material, found));
}

template <RwMaterial* (*Apply)(RwMaterial*, intptr_t)>
int textureModeList(std::FILE* stream) {
  intptr_t modes;
  if (!readWordList(stream, textureModeWords, rwErrScriptName57, rwErrScriptNameMissing59, &modes)) return failed;
  return statusOf(Apply(writableMaterial(), modes));
}

// The word is checked even while no texture module takes the setting.
int textureDithering(std::FILE* stream) {
  intptr_t value;
  if (!readOption(stream, ditheringWords, rwErrScriptWord67, &value)) return failed;
  return statusOf(rwModellingTextureLinks().dithering.set(value));
}

int textureGammaCorrection(std::FILE* stream) {
  intptr_t value;
  if (!readOption(stream, onOff, rwErrScriptWord68, &value)) return failed;
  return statusOf(rwModellingTextureLinks().gammaCorrection.set(value));
}

// ---- transforms and joints

int transformBegin(std::FILE*) { return statusOf(RwPushCTM()); }

int transformEnd(std::FILE*) {
  if (RwCTMDepth() <= popFloors().ctm) return fail(rwErrNotModelling);
  return statusOf(RwPopCTM());
}

int translate(std::FILE* stream) {
  float x, y, z;
  if (RwReadArguments(stream, "fff", &x, &y, &z) != 3) return fail(rwErrBadArguments);
  return statusOf(RwTranslateCTM(x, y, z));
}

int scale(std::FILE* stream) {
  float x, y, z;
  if (RwReadArguments(stream, "fff", &x, &y, &z) != 3) return fail(rwErrBadArguments);
  return statusOf(RwScaleCTM(x, y, z));
}

template <int (*Rotate)(float, float, float, float)>
int rotation(std::FILE* stream) {
  float x, y, z, angle;
  if (RwReadArguments(stream, "ffff", &x, &y, &z, &angle) != 4) return fail(rwErrBadArguments);
  return statusOf(Rotate(x, y, z, angle));
}

int identity(std::FILE*) { return statusOf(RwIdentityMatrix(RwGetCTM())); }
int transform(std::FILE* stream) { return statusOf(readMatrix(stream, RwGetCTM())); }

int jointBegin(std::FILE*) { return statusOf(RwPushJointMatrix()); }

int jointEnd(std::FILE*) {
  if (RwJointDepth() <= popFloors().joint) return fail(rwErrNotModelling);
  return statusOf(RwPopJointMatrix());
}

int identityJoint(std::FILE*) { return statusOf(RwIdentityMatrix(RwJointMatrix())); }
int transformJoint(std::FILE* stream) { return statusOf(readMatrix(stream, RwJointMatrix())); }

// ---- the keyword table

struct Keyword {
  const char* word;
  int (*handler)(std::FILE* stream);
};

constexpr Keyword keywords[] = {
    {"modelbegin", modelBegin},
    {"modelend", modelEnd},
    {"clumpbegin", clumpBegin},
    {"clumpend", clumpEnd},
    {"protobegin", protoBegin},
    {"protoend", protoEnd},
    {"protoinstance", protoInstance},
    {"protoinstancegeometry", protoInstanceGeometry},
    {"vertex", vertex},
    {"vertexext", vertex},
    {"triangle", triangle},
    {"triangleext", triangle},
    {"quad", quad},
    {"quadext", quad},
    {"polygon", polygon},
    {"polygonext", polygon},
    {"block", block},
    {"include", include},
    {"includegeometry", includeGeometry},
    {"cylinder", cylinder},
    {"cone", heightRadiusFacets<RwCone>},
    {"disc", heightRadiusFacets<RwDisc>},
    {"sphere", radiusSubdivision<RwSphere>},
    {"hemisphere", radiusSubdivision<RwHemisphere>},
    {"tag", tag},
    {"trace", trace},
    {"hints", hintList<RwSetClumpFlags>},
    {"addhint", hintList<RwOrClumpFlags>},
    {"removehint", hintList<RwClearClumpFlags>},
    {"axisalignment", axisAlignment},
    {"materialbegin", materialBegin},
    {"materialend", materialEnd},
    {"color", color},
    {"ambient", materialValue<RwSetMaterialAmbient>},
    {"diffuse", materialValue<RwSetMaterialDiffuse>},
    {"specular", materialValue<RwSetMaterialSpecular>},
    {"surface", surface},
    {"geometrysampling", geometrySampling},
    {"lightsampling", lightSampling},
    {"texture", texture},
    {"textureext", texture},
    {"texturemode", textureModeList<RwSetMaterialTextureModes>},
    {"texturemodes", textureModeList<RwSetMaterialTextureModes>},
    {"addtexturemode", textureModeList<RwAddMaterialTextureModes>},
    {"removetexturemode", textureModeList<RwRemoveMaterialTextureModes>},
    {"opacity", materialValue<RwSetMaterialOpacity>},
    {"texturedithering", textureDithering},
    {"texturegammacorrection", textureGammaCorrection},
    {"transformbegin", transformBegin},
    {"translate", translate},
    {"scale", scale},
    {"rotate", rotation<RwRotateCTM>},
    {"identity", identity},
    {"transform", transform},
    {"transformend", transformEnd},
    {"jointtransformbegin", jointBegin},
    {"rotatejoint", rotation<RwRotateJoint>},
    {"identityjoint", identityJoint},
    {"transformjoint", transformJoint},
    {"jointtransformend", jointEnd},
};
static_assert(std::size(keywords) == 60);

void lowerAscii(char* word) {
  for (; *word; ++word) {
    if (*word >= 'A' && *word <= 'Z') *word = static_cast<char>(*word - 'A' + 'a');
  }
}

int runKeyword(std::FILE* stream, char* word) {
  lowerAscii(word);
  for (const Keyword& keyword : keywords) {
    if (std::strcmp(keyword.word, word) == 0) return keyword.handler(stream);
  }
  return fail(rwErrBadWord);
}

// Reads lines until a keyword completes the script or one fails.
int interpretLines(std::FILE* stream, RwParseContext* context) {
  int status = goOn;
  while (status == goOn) {
    ++context->lineCount;
    char word[keywordSize];
    int read = RwReadToken(stream, word, sizeof word);
    if (read < 0) return fail(rwErrBadArguments);
    if (read == 1 && !isComment(word)) status = runKeyword(stream, word);
    if (status == goOn) RwSkipLine(stream);
  }
  return status;
}

}  // namespace

RwClump* RwInterpretScript(std::FILE* stream) {
  if (!stream) {
    RwSetError(rwErrInvalidArgument);
    return nullptr;
  }
  if (RwScriptNestingDepth() >= rwLargestScriptNesting) {
    RwSetError(rwErrInvalidArgument);
    return nullptr;
  }
  RwParseContext* context = RwBeginParseContext();
  if (!context) return nullptr;
  int status = interpretLines(stream, context);
  if (status == complete && !context->result) status = fail(rwErrNoClump);
  rwShapeReaderState().failureLine = status == complete ? 0 : context->lineCount;
  return RwEndParseContext(context, status == complete);
}

intptr_t RwGetScriptFailureLine() { return rwShapeReaderState().failureLine; }
