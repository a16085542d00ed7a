// tests/vrmlwrite/nodes_test.cpp -- exact text of each node kind the writer
// puts out, for small objects made directly in the scene core.
#include <cmath>

#include "core/event.h"
#include "core/strings.h"
#include "core/transform.h"
#include "tests/vrmlwrite/writer_fixture.h"
#include "vrmlwrite/qvdumps.h"

namespace {

template <typename T>
T* allocValues(int32_t count) {
  return static_cast<T*>(zmMalloc(sizeof(T) * static_cast<size_t>(count)));
}

// The VRML Material defaults, one value per list, as the reader leaves them.
void setDefaultMaterial(ZmMaterial* m) {
  auto color = [](ZmMFColor* list, float v) {
    list->count = 1;
    list->values = allocValues<ZmSFColor>(1);
    list->values[0] = {v, v, v};
  };
  auto scalar = [](ZmMFFloat* list, float v) {
    list->count = 1;
    list->values = allocValues<float>(1);
    list->values[0] = v;
  };
  m->count = 1;
  color(&m->ambient_color, 0.2f);
  color(&m->diffuse_color, 0.8f);
  color(&m->specular_color, 0);
  color(&m->emmisive_color, 0);
  scalar(&m->shininess, 0.2f);
  scalar(&m->transparency, 0);
}

void defaultShapes(ZmLeaf* chain) {
  for (ZmLeaf* leaf = chain; leaf != nullptr; leaf = leaf->next)
    setDefaultMaterial(zmOwnLeafMaterial(static_cast<ZmShape*>(leaf)));
}

ZmFace* newFace(std::initializer_list<ZmVec3> points) {
  ZmFace* face = zmNewFaceLeaf();
  face->vertex.count = static_cast<int32_t>(points.size());
  face->vertex.values = allocValues<ZmVec3>(face->vertex.count);
  int i = 0;
  for (const ZmVec3& p : points) face->vertex.values[i++] = p;
  setDefaultMaterial(zmOwnLeafMaterial(face));
  return face;
}

}  // namespace

class NodesTest : public WriterTest {
 protected:
  // A plain top object: all attribute flags set, so no Attributes node. A
  // plain nested object is newObj's: not mobile, as the reader makes it.
  ZmObj* plainObj(ZmVRMLType type, const char* name = nullptr) {
    ZmObj* object = newTopObj(type, name);
    object->obj_flags |= ZM_OBJ_MOBILE;
    return object;
  }
};

TEST_F(NodesTest, CubeWritesOnlyItsNonDefaultSizes) {
  ZmObj* cube = plainObj(ZM_VRML_CUBE, "box");
  ZmLeaf* faces = zmNewCubeLeaf(3, 2, 0.5f);
  defaultShapes(faces);
  zmAddLeaf(cube, 0, faces);
  EXPECT_EQ(dumpObject(cube), "# S Cube\nDEF box Cube{\n\twidth  3\n\tdepth  0.5\n}\n# E Cube\n");

  ZmObj* unit = plainObj(ZM_VRML_CUBE);
  ZmLeaf* unitFaces = zmNewCubeLeaf(2, 2, 2);
  defaultShapes(unitFaces);
  zmAddLeaf(unit, 0, unitFaces);
  EXPECT_EQ(dumpObject(unit), "# S Cube\nCube{}\n# E Cube\n");
}

TEST_F(NodesTest, ShapeWithoutLeavesWritesItsFrameOnly) {
  EXPECT_EQ(dumpObject(plainObj(ZM_VRML_SPHERE)), "# S Sphere\n# E Sphere\n");
}

TEST_F(NodesTest, ConeAndCylinderParts) {
  ZmObj* cone = plainObj(ZM_VRML_CONE);
  ZmLeaf* side = zmNewConeLeaf(ZM_PARTS_SIDES, 1.0006f, 2);
  defaultShapes(side);
  zmAddLeaf(cone, 0, side);
  EXPECT_EQ(dumpObject(cone), "# S Cone\nCone{\n\tparts        SIDES\n\tbottomRadius 1.0006\n}\n# E Cone\n");

  ZmObj* cylinder = plainObj(ZM_VRML_CYLINDER);
  ZmLeaf* parts = zmNewCylinderLeaf(ZM_PARTS_SIDES | ZM_PARTS_TOP, 1, 1, 2);
  defaultShapes(parts);
  zmAddLeaf(cylinder, 0, parts);
  EXPECT_EQ(dumpObject(cylinder), "# S Cylinder\nCylinder{\n\tparts  ( SIDES | TOP )\n}\n# E Cylinder\n");

  ZmObj* full = plainObj(ZM_VRML_CYLINDER);
  ZmLeaf* all = zmNewCylinderLeaf(ZM_PARTS_ALL, 2, 2, 2);
  defaultShapes(all);
  zmAddLeaf(full, 0, all);
  EXPECT_EQ(dumpObject(full), "# S Cylinder\nCylinder{\n\tradius 2\n}\n# E Cylinder\n");
}

TEST_F(NodesTest, FaceSetOfTwoTrianglesNumbersItsPointsOverAllFaces) {
  ZmObj* set = plainObj(ZM_VRML_INDEXED_FACE_SET, "tris");
  ZmFace* a = newFace({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
  ZmFace* b = newFace({{1, 1, 0}, {2, 1, 0.5f}, {1, 2, 0}});
  a->next = b;
  zmAddLeaf(set, 0, a);
  EXPECT_EQ(dumpObject(set),
            "# S IndexedFaceSet\n"
            "TextureCoordinate2{\n}\n"  // empty lists are not the default
            "Normal{\n}\n"
            "Coordinate3{\n"
            "\tpoint [\n"
            "\t 0 0 0,\n"
            "\t 1 0 0,\n"
            "\t 0 1 0,\n"
            "\t 1 1 0.0,\n"
            "\t 2 1 0.5,\n"
            "\t 1 2 0.0,\n"
            "\t]\n"
            "}\n"
            "DEF tris IndexedFaceSet{\n"
            "\tcoordIndex [0, 1, 2, -1,\n"
            "\t3, 4, 5, -1 ]\n"
            "\ttextureCoordIndex [0, 1, 2, -1,\n"
            "\t3, 4, 5, -1 ]\n"
            "}\n"
            "# E IndexedFaceSet\n");
}

// Every polyline of a line set goes into one node over one Coordinate3: a
// node each would read back as as many objects. The reader's stand-in
// normals (1 1 1 where the world gives none) and all-zero texture points
// are not the world's and are left out.
TEST_F(NodesTest, LineSetWritesAllItsPolylinesInOneNode) {
  auto polyline = [](std::initializer_list<ZmVec3> points, int32_t materials) {
    ZmLine* line = zmNewLineLeaf();
    setDefaultMaterial(zmOwnLeafMaterial(line));
    line->vertex.count = static_cast<int32_t>(points.size());
    line->vertex.values = allocValues<ZmVec3>(line->vertex.count);
    line->normal.count = line->vertex.count;
    line->normal.values = allocValues<ZmVec3>(line->vertex.count);
    line->texture.uv.count = line->vertex.count;
    line->texture.uv.values = allocValues<ZmVec2>(line->vertex.count);
    int i = 0;
    for (const ZmVec3& p : points) {
      line->vertex.values[i] = p;
      line->normal.values[i] = {1, 1, 1};
      line->texture.uv.values[i++] = {0, 0};
    }
    line->materialBinding = 7;
    line->normalBinding = 7;
    zmOwnLeafMaterial(line)->count = materials;
    return line;
  };
  ZmObj* set = plainObj(ZM_VRML_INDEXED_LINE_SET);
  ZmLine* first = polyline({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, 3);
  first->next = polyline({{2, 2, 2}, {3, 2, 2}}, 2);
  zmAddLeaf(set, 0, first);
  EXPECT_EQ(dumpObject(set),
            "# S IndexedLineSet\n"
            "Material{\n"
            "\tambientColor  [ 0.2 0.2 0.2,\n\t                0.2 0.2 0.2,\n\t                0.2 0.2 0.2,\n"
            "\t                0.2 0.2 0.2,\n\t                0.2 0.2 0.2 ]\n"
            "\tdiffuseColor  [ 0.8 0.8 0.8,\n\t                0.8 0.8 0.8,\n\t                0.8 0.8 0.8,\n"
            "\t                0.8 0.8 0.8,\n\t                0.8 0.8 0.8 ]\n"
            "\tspecularColor [ 0 0 0,\n\t                0 0 0,\n\t                0 0 0,\n"
            "\t                0 0 0,\n\t                0 0 0 ]\n"
            "\temissiveColor [ 0 0 0,\n\t                0 0 0,\n\t                0 0 0,\n"
            "\t                0 0 0,\n\t                0 0 0 ]\n"
            "\tshininess     [ 0.2, 0.2, 0.2,\n\t                0.2, 0.2 ]\n"
            "\ttransparency  [ 0, 0, 0,\n\t                0, 0 ]\n"
            "}\n"
            "MaterialBinding{\n\tvalue  PER_VERTEX_INDEXED\n}\n"
            "Coordinate3{\n\tpoint [\n\t 0 0 0,\n\t 1 0 0,\n\t 1 1 0,\n\t 2 2 2,\n\t 3 2 2,\n\t]\n}\n"
            "IndexedLineSet{\n"
            "\tcoordIndex        [0, 1, 2, -1,\n"
            "\t3, 4, -1 ]\n"
            "\tmaterialIndex     [0, 1, 2, -1,\n"
            "\t3, 4, -1 ]\n"
            "}\n"
            "# E IndexedLineSet\n");

  // Normals of the world's own are kept, each polyline's in turn, and so
  // are texture points.
  static_cast<ZmLine*>(first->next)->normal.values[1] = {0, 0, 1};
  first->texture.uv.values[2] = {0.5f, 1};
  const std::string text = dumpObject(set);
  EXPECT_NE(text.find("Normal{\n\tvector [ 1 1 1,\n\t         1 1 1,\n\t         1 1 1,\n\t         1 1 1,\n"
                      "\t         0 0 1 ]\n}\nNormalBinding{\n\tvalue  PER_VERTEX_INDEXED\n}\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\tnormalIndex       [0, 1, 2, -1,\n\t3, 4, -1 ]\n"), std::string::npos) << text;
  EXPECT_NE(text.find("TextureCoordinate2{\n\tpoint [ 0.0 0,\n\t        0.0 0,\n\t        0.5 1,\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("\ttextureCoordIndex [0, 1, 2, -1,\n\t3, 4, -1 ]\n"), std::string::npos) << text;
}

TEST_F(NodesTest, MaterialWritesOnlyListsOffTheirDefaults) {
  ZmObj* sphere = plainObj(ZM_VRML_SPHERE);
  ZmSphere* leaf = zmNewSphereLeaf();
  leaf->radius = 1;
  setDefaultMaterial(zmOwnLeafMaterial(leaf));
  ZmMFColor& diffuse = zmOwnLeafMaterial(leaf)->diffuse_color;
  zmFree(diffuse.values);
  diffuse.count = 2;
  diffuse.values = allocValues<ZmSFColor>(2);
  diffuse.values[0] = {0.8f, 0.8f, 0.8f};
  diffuse.values[1] = {1, 0.5f, 0.25f};
  zmOwnLeafMaterial(leaf)->transparency.values[0] = 0.5f;
  zmAddLeaf(sphere, 0, leaf);
  EXPECT_EQ(dumpObject(sphere),
            "# S Sphere\n"
            "Material{\n"
            "\tdiffuseColor  [ 0.8 0.8 0.80,\n"
            "\t                1.0 0.5 0.25 ]\n"
            "\ttransparency  0.5\n"
            "}\n"
            "Sphere{}\n"
            "# E Sphere\n");
}

TEST_F(NodesTest, TexturesMoviesAndMasks) {
  ZmTextureImage image = zmNoTextureImage;
  ZmTexture texture = {&image, {}};
  image.wrapS = 1;
  startCapture();
  zmDumpTexture2(dump, &texture);
  image.file = standInUrl("/tmp/a.bmp");
  image.mask = standInUrl("C:\\m.bmp");
  zmDumpTexture2(dump, &texture);
  ZmTextureMovie movie = {1, 64, 128, 8.0f, nullptr, 0, 0, 0};
  char sound[] = "a.wav";
  movie.soundFile = sound;
  image.movie = &movie;
  zmDumpTexture2(dump, &texture);
  EXPECT_EQ(captured(),
            "Texture2{\n\twrapS    CLAMP\n}\n"
            "TransparentTexture2{\n"
            "\tfilename     \"file:///tmp/a.bmp\"\n"
            "\tmaskFilename \"file:///C|/m.bmp\"\n"
            "\twrapS        CLAMP\n"
            "}\n"
            "Movie2{\n"
            "\tfilename \"file:///tmp/a.bmp\"\n"
            "\toption   \"framesPerSec 8, width 64, sound\\\"a.wav\\\"\"\n"
            "}\n");
}

TEST_F(NodesTest, LightsWriteTheirFieldsAndFixedLocation) {
  ZmObj* point = plainObj(ZM_VRML_POINT_LIGHT);
  zmAddLeaf(point, 0, zmNewPointLight());
  EXPECT_EQ(dumpObject(point),
            "# S PointLight\nPointLight{\n"
            "\tlocation    0 0 0 # CAUTION! It's different from the VRML default.\n"
            "}\n# E PointLight\n");

  ZmObj* spot = plainObj(ZM_VRML_SPOT_LIGHT, "lamp");
  ZmSpotLight* leaf = zmNewSpotLight();
  leaf->on = 0;
  leaf->intensity = 0.5f;
  leaf->color[1] = 0.25f;
  leaf->cutOffAngle = 0.7853982f;
  leaf->dropOffRate = 0.1f;
  zmAddLeaf(spot, 0, leaf);
  EXPECT_EQ(dumpObject(spot),
            "# S SpotLight\nDEF lamp SpotLight{\n"
            "\ton          FALSE\n"
            "\tintensity   0.5\n"
            "\tcolor       1 0.25 1\n"
            "\tlocation    0 0 0 # CAUTION! It's different from the VRML default.\n"
            "\tdropOffRate 0.1\n"
            "\tcutOffAngle 0.7853982\n"  // not the float of the default, 0.785398
            "}\n# E SpotLight\n");
}

TEST_F(NodesTest, CameraWritesOneNodePerLeaf) {
  ZmObj* camera = plainObj(ZM_VRML_PERSPECTIVE_CAMERA, "view");
  ZmPerspectiveCamera* first = zmNewPerspectiveCameraLeaf();
  ZmPerspectiveCamera* second = zmNewPerspectiveCameraLeaf();
  second->focalDistance = 10;
  second->heightAngle = 0.5f;
  first->next = second;
  zmAddLeaf(camera, 0, first);
  const char* fixed =
      "\tposition      0 0 0 # CAUTION! It's different from the VRML default.\n"
      "\t# 'orientation' is realized above.\n";
  EXPECT_EQ(dumpObject(camera), std::string("# S PerspectiveCamera\nDEF view PerspectiveCamera{\n") + fixed +
                                    "}\nDEF view PerspectiveCamera{\n" + fixed +
                                    "\tfocalDistance 10\n\theightAngle   0.5\n}\n# E PerspectiveCamera\n");
}

TEST_F(NodesTest, TransformsAreWrittenRelativeToTheLastOnTheLevel) {
  ZmObj* group = plainObj(ZM_VRML_GROUP);
  group->localRT.t = {0, 3, 0};
  ZmObj* a = newObj(ZM_VRML_INFO);
  ZmObj* b = newObj(ZM_VRML_INFO);
  ZmObj* c = newObj(ZM_VRML_INFO);
  for (ZmObj* child : {a, b, c}) zmAddChild(group, child);
  a->localRT.t = {1, 0, 0.5f};
  a->scale[0] = a->scale[1] = a->scale[2] = 2;
  b->localRT = a->localRT;
  zmRTIdentity(&c->localRT);
  ZmVec3 zAxis = {0, 0, 1};
  zmMat3FromAxisAngle(&zAxis, 1.25, c->localRT.m);
  c->localRT.t = {1, 0, 0.5f};
  EXPECT_EQ(dumpObject(group),
            "# S Group\nTranslation{ translation 0 3 0 }\nGroup{\n"
            "\t# S Info\n\tTranslation{ translation 1 0 0.5 }\n\tScale{ scaleFactor 2 2 2 }\n"
            "\tScale{ scaleFactor 0.5 0.5 0.5 }\n\t# E Info\n"
            "\t# S Info\n\t# E Info\n"
            "\t# S Info\n\tRotation{ rotation 0 0 1 1.25 }\n\t# E Info\n"
            "}\n# E Group\n");
}

TEST_F(NodesTest, TurnsAboutSeveralAxesKeepTheirTrueAxis) {
  ZmObj* info = plainObj(ZM_VRML_INFO);
  ZmVec3 axis = {0.6f, 0.8f, 0};
  zmMat3FromAxisAngle(&axis, 1.0, info->localRT.m);
  EXPECT_EQ(dumpObject(info), "# S Info\nRotation{ rotation 0.6 0.8 0 1 }\n# E Info\n");
}

// Small offsets and turns are kept, each number written to the last digit
// its float needs; what is below float rounding (a millionth) is none.
TEST_F(NodesTest, SeparatorsGetTheirOwnLevelAndSmallValuesAreKept) {
  ZmObj* outer = plainObj(ZM_VRML_SEPARATOR);
  ZmObj* inner = newObj(ZM_VRML_INFO);
  ZmObj* rounding = newObj(ZM_VRML_INFO);
  zmAddChild(outer, inner);
  zmAddChild(outer, rounding);
  outer->localRT.t = {0, -0.0004f, 0};
  ZmVec3 xAxis = {1, 0, 0}, yAxis = {0, 1, 0};
  zmMat3FromAxisAngle(&xAxis, 0.0003, inner->localRT.m);
  rounding->localRT = inner->localRT;
  ZmRT wobble;
  zmRTIdentity(&wobble);
  zmMat3FromAxisAngle(&yAxis, 2e-7, wobble.m);
  wobble.t = {3e-7f, 0, 0};
  zmRTMult(&inner->localRT, &wobble, &rounding->localRT);
  EXPECT_EQ(dumpObject(outer),
            "# S Separator\nTranslation{ translation 0 -0.0004 0 }\nSeparator{\n"
            "\t# S Info\n\tRotation{ rotation 1 0 0 0.0003 }\n\t# E Info\n"
            "\t# S Info\n\t# E Info\n}\n# E Separator\n");
  // An empty one is written, so that its object comes back.
  EXPECT_EQ(dumpObject(plainObj(ZM_VRML_SEPARATOR)), "# S Separator\nSeparator{}\n# E Separator\n");
}

TEST_F(NodesTest, UnsupportedTypesWriteNothing) {
  EXPECT_EQ(dumpObject(plainObj(ZM_VRML_TRANSFORM)), "");
  EXPECT_TRUE(sawMessage("zmDumpZmObj(): 'Transform' is non-supported ZmObj type."));
  EXPECT_EQ(dumpObject(plainObj(0)), "");
  EXPECT_TRUE(sawMessage("zmDumpZmObj(): No output is done for zmNULLVRMLType."));
}

TEST_F(NodesTest, GroupingNodesLODSwitchAndWWW) {
  ZmObj* lod = plainObj(ZM_VRML_LOD);
  auto* record = static_cast<ZmLOD*>(zmMalloc(sizeof(ZmLOD)));
  record->rangeCount = 2;
  record->ranges = allocValues<float>(2);
  record->ranges[0] = 10;
  record->ranges[1] = 20.5f;
  record->centerY = 1;
  zmRegisterObjExtension(lod, zmLODNode, reinterpret_cast<intptr_t>(record));
  zmAddChild(lod, newObj(ZM_VRML_INFO));
  EXPECT_EQ(dumpObject(lod),
            "# S LOD\nLOD{\n\trange  [10, 20.5]\n\tcenter 0 1 0\n\t# S Info\n\t# E Info\n}\n# E LOD\n");

  EXPECT_EQ(dumpObject(plainObj(ZM_VRML_SWITCH)), "# S Switch\nSwitch{}\n# E Switch\n");

  ZmObj* inlined = plainObj(ZM_VRML_WWW_INLINE);
  zmRegisterObjExtension(inlined, zmWWWInline, reinterpret_cast<intptr_t>(standInUrl("http://h/w.wrl")));
  EXPECT_EQ(dumpObject(inlined),
            "# S WWWInline\nWWWInline{\n\tname \"http://h/w.wrl\"\n"
            "\t# 'bboxSize'   is unsupported yet.\n\t# 'bboxCenter' is unsupported yet.\n}\n# E WWWInline\n");
}

TEST_F(NodesTest, AmbientSoundBoundingBox) {
  ZmObj* sound = plainObj(ZM_VRML_AMBIENT_SOUND);
  auto* leaf = static_cast<ZmSoundLeaf*>(zmNewShape(ZM_LEAF_SOUND));
  leaf->autoPlay = 1;
  leaf->loop = 0;
  zmAddLeaf(sound, 0, leaf);
  sound->boundingCube.local_min = {1, 1, 1};
  sound->boundingCube.local_max = {3, 3, 3};
  EXPECT_EQ(dumpObject(sound),
            "# S AmbientSound\nAmbientSound{\n\tbboxSize   4 4 4\n\tbboxCenter 1 1 1\n"
            "\tloop       FALSE\n}\n# E AmbientSound\n");
}

TEST_F(NodesTest, ExtensionBlockAheadOfTheNode) {
  ZmObj* sphere = newTopObj(ZM_VRML_SPHERE);
  ZmSphere* leaf = zmNewSphereLeaf();
  leaf->radius = 1;
  setDefaultMaterial(zmOwnLeafMaterial(leaf));
  zmAddLeaf(sphere, 0, leaf);
  sphere->comment[3] = static_cast<char*>(zmMalloc(5));
  std::snprintf(sphere->comment[3], 5, "note");
  sphere->obj_flags &= ~ZM_OBJ_GRASP;

  auto* script = static_cast<ZmScriptNodeData*>(zmMalloc(sizeof(ZmScriptNodeData)));
  script->word = 1;
  zmRegisterObjExtension(sphere, zmScriptNode, reinterpret_cast<intptr_t>(script));

  char userData[] = "u", function[] = "onKey", native[] = "cb";
  ZmEventHandler nativeHandler = {nullptr, 4, ZM_EVENT_PICK, userData, native, nullptr, nullptr};
  ZmEventHandler handler = {&nativeHandler, 1, ZM_EVENT_KEY | ZM_EVENT_DELETE_WORLD, userData, function,
                            nullptr, nullptr};
  sphere->eventHandlers = &handler;
  char tick[] = "tick";
  char empty[] = "";
  ZmTimeOutHandlerList task = {nullptr, sphere, 5, empty, tick, 0, 0, 500, 1, nullptr};
  world->timeOutQueue = &task;

  std::string text = dumpObject(sphere);
  zmDeleteObjExtension(sphere, zmScriptNode);
  zmFree(script);
  sphere->eventHandlers = nullptr;
  world->timeOutQueue = nullptr;
  EXPECT_EQ(text,
            "# S Sphere\n"
            "Script{\n\tscriptType TCL\n}\n"
            "Attributes{\n\tcomment   \"note\"\n\tgrasp     FALSE\n\tmobile    FALSE\n"
            "\tbackface  FALSE\n}\n"
            "EventHandler{\n\teventType  ( KEY | DELETE_WORLD )\n\tuserData   \"u\"\n"
            "\tfunction   \"onKey\"\n\tscriptType TCL\n}\n"
            "PeriodicTask{\n\tmillisecond 500\n\tfunction    \"tick\"\n\tscriptType  INLINE\n}\n"
            "Sphere{}\n"
            "# E Sphere\n");
}

TEST_F(NodesTest, EventTypeTexts) {
  struct Case {
    uint32_t mask;
    const char* text;
  } cases[] = {
      {ZM_EVENT_KEY, "KEY"},
      {ZM_EVENT_BUTTON_UP, "BUTTON_UP"},
      {ZM_EVENT_LEFT_BUTTON_DOWN, "LEFT_BUTTON_DOWN"},
      {0, ""},
      {ZM_EVENT_LEFT_BUTTON_UP | ZM_EVENT_RIGHT_BUTTON_UP, "( LEFT_BUTTON_UP | RIGHT_BUTTON_UP )"},
      {ZM_EVENT_BUTTON_UP | ZM_EVENT_LEFT_BUTTON_DOWN, "( BUTTON_UP | LEFT_BUTTON_DOWN )"},
      {ZM_EVENT_KEY | ZM_EVENT_BUTTON,
       "( KEY | LEFT_BUTTON_UP | LEFT_BUTTON_DOWN | MIDDLE_BUTTON_UP | MIDDLE_BUTTON_DOWN | RIGHT_BUTTON_UP | "
       "RIGHT_BUTTON_DOWN )"},
  };
  ZmObj* object = newTopObj(ZM_VRML_INFO);
  char text[] = "";
  for (const Case& c : cases) {
    ZmEventHandler handler = {nullptr, 0, c.mask, text, text, nullptr, nullptr};
    object->eventHandlers = &handler;
    startCapture();
    zmDumpEventHandler(dump, object);
    std::string out = captured();
    object->eventHandlers = nullptr;
    EXPECT_NE(out.find(std::string("\teventType  ") + c.text + "\n"), std::string::npos) << out;
  }
}

TEST_F(NodesTest, NestedObjectsSayWhatAReadingWouldChange) {
  // A nested object read without an Attributes node is not mobile; an
  // Attributes node makes it mobile unless it says otherwise.
  struct Case {
    uint32_t cleared, set;
    const char* attributes;
  } cases[] = {
      {0, 0, ""},
      {0, ZM_OBJ_MOBILE, "\tAttributes{\n\t}\n"},
      {ZM_OBJ_GRASP, 0, "\tAttributes{\n\t\tgrasp     FALSE\n\t\tmobile    FALSE\n\t}\n"},
  };
  for (const Case& c : cases) {
    ZmObj* group = plainObj(ZM_VRML_GROUP);
    ZmObj* child = newObj(ZM_VRML_INFO);
    child->obj_flags = (child->obj_flags & ~c.cleared) | c.set;
    zmAddChild(group, child);
    EXPECT_EQ(dumpObject(group),
              std::string("# S Group\nGroup{\n\t# S Info\n") + c.attributes + "\t# E Info\n}\n# E Group\n")
        << c.cleared << " " << c.set;
  }
}

TEST_F(NodesTest, TransformSeparatorAndText) {
  ZmObj* keeper = plainObj(ZM_VRML_TRANSFORM_SEPARATOR, "keep");
  ZmObj* text = newObj(ZM_VRML_ASCII_TEXT, "words");
  ZmAsciiText* leaf = zmNewAsciiTextLeaf();
  leaf->string = zmStrdup("say \"hi\"");
  leaf->justification = 2;
  leaf->spacing = 1.5f;
  leaf->width = 4;
  zmAddLeaf(text, 0, leaf);
  zmAddChild(keeper, text);
  text->localRT.t = {0, 1, 0};
  EXPECT_EQ(dumpObject(keeper),
            "# S TransformSeparator\nDEF keep TransformSeparator{\n"
            "\t# S AsciiText\n\tTranslation{ translation 0 1 0 }\n\tDEF words AsciiText{\n"
            "\t\tstring        \"say \\\"hi\\\"\"\n\t\tspacing       1.5\n\t\tjustification RIGHT\n"
            "\t\twidth         4\n\t}\n\t# E AsciiText\n"
            "}\n# E TransformSeparator\n");
  // Several strings, one a line, are written as the list they were read as.
  zmFree(leaf->string);
  leaf->string = zmStrdup("one\ntwo");
  EXPECT_NE(dumpObject(text).find("\tstring        [ \"one\", \"two\" ]\n"), std::string::npos);

  // At their defaults: the short forms, and an empty TransformSeparator is
  // still written so that reading it back makes its object.
  ZmObj* plainText = plainObj(ZM_VRML_ASCII_TEXT);
  zmAddLeaf(plainText, 0, zmNewAsciiTextLeaf());
  EXPECT_EQ(dumpObject(plainText), "# S AsciiText\nAsciiText{}\n# E AsciiText\n");
  EXPECT_EQ(dumpObject(plainObj(ZM_VRML_TRANSFORM_SEPARATOR)),
            "# S TransformSeparator\nTransformSeparator{}\n# E TransformSeparator\n");
}

TEST_F(NodesTest, ScalingTransformsAreWrittenWhole) {
  // A transform that scales (here z alone) is no turn and shift: it is
  // written as a matrix, and the next object's is taken relative to it.
  ZmObj* group = plainObj(ZM_VRML_GROUP);
  ZmObj* flat = newObj(ZM_VRML_INFO);
  ZmObj* same = newObj(ZM_VRML_INFO);
  ZmObj* moved = newObj(ZM_VRML_INFO);
  for (ZmObj* child : {flat, same, moved}) zmAddChild(group, child);
  flat->localRT.m[8] = 0.5f;
  flat->localRT.t = {1, 0, 2};
  same->localRT = flat->localRT;
  moved->localRT.t = {0, 0, 1};
  EXPECT_EQ(dumpObject(group),
            "# S Group\nGroup{\n"
            "\t# S Info\n\tMatrixTransform{ matrix 1 0 0 0 0 1 0 0 0 0 0.5 0 1 0 2 1 }\n\t# E Info\n"
            "\t# S Info\n\t# E Info\n"
            "\t# S Info\n\tMatrixTransform{ matrix 1 0 0 0 0 1 0 0 0 0 2 0 -1 0 -2 1 }\n\t# E Info\n"
            "}\n# E Group\n");

  // Scaled in z alone, with no shift to give it away, it is still written.
  ZmObj* flattened = plainObj(ZM_VRML_INFO);
  flattened->localRT.m[8] = 0.5f;
  EXPECT_EQ(dumpObject(flattened), "# S Info\nMatrixTransform{ matrix 1 0 0 0 0 1 0 0 0 0 0.5 0 0 0 0 1 }\n# E Info\n");
}

TEST_F(NodesTest, FaceSetMaterialsPerFaceAndPerVertexKeepTheirIndices) {
  auto colored = [](std::initializer_list<ZmVec3> points, std::initializer_list<float> reds) {
    ZmFace* face = newFace(points);
    ZmMFColor& diffuse = zmOwnLeafMaterial(face)->diffuse_color;
    zmFree(diffuse.values);
    diffuse.count = static_cast<int32_t>(reds.size());
    diffuse.values = allocValues<ZmSFColor>(diffuse.count);
    int i = 0;
    for (float red : reds) diffuse.values[i++] = {red, 0, 0};
    return face;
  };
  struct Case {
    int32_t binding;
    const char* material;
    const char* index;
  } cases[] = {
      {5, "[ 0.1 0 0,\n\t                0.2 0 0 ]", "\tmaterialIndex [0, 1]\n"},
      {7, "[ 0.1 0 0,\n\t                0.1 0 0,\n\t                0.1 0 0,\n\t                0.2 0 0,\n"
          "\t                0.3 0 0,\n\t                0.3 0 0 ]",
       "\tmaterialIndex [0, 1, 2, -1,\n\t3, 4, 5, -1 ]\n"},
  };
  for (const Case& c : cases) {
    ZmObj* set = plainObj(ZM_VRML_INDEXED_FACE_SET);
    // The second face is short of entries: its last one stands in.
    ZmFace* first = c.binding == 5 ? colored({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0.1f})
                                   : colored({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0.1f, 0.1f, 0.1f});
    ZmFace* second = c.binding == 5 ? colored({{1, 1, 0}, {2, 1, 0}, {1, 2, 0}}, {0.2f})
                                    : colored({{1, 1, 0}, {2, 1, 0}, {1, 2, 0}}, {0.2f, 0.3f});
    first->materialBinding = second->materialBinding = c.binding;
    first->next = second;
    zmAddLeaf(set, 0, first);
    std::string text = dumpObject(set);
    EXPECT_NE(text.find(std::string("\tdiffuseColor  ") + c.material + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find(std::string("\t3, 4, 5, -1 ]\n") + c.index + "\ttextureCoordIndex"), std::string::npos)
        << text;
  }
}
