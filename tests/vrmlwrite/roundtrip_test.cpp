// tests/vrmlwrite/roundtrip_test.cpp -- the world file, and worlds read,
// written and read again.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <vector>

#include "core/bounds.h"
#include "tests/vrmlwrite/writer_fixture.h"

namespace {

// What scenedump sums up of a world: objects, face leaves and the box of
// the top objects' cubes in world coordinates.
struct WorldSummary {
  long objects = 0;
  long faces = 0;
  long points = 0;  // of faces, polylines and point sets
  bool hasBox = false;
  ZmVec3 lo{}, hi{};
};

void countObject(ZmObj* object, WorldSummary& summary) {
  ++summary.objects;
  for (ZmLeaf* leaf = object->leaf; leaf != nullptr; leaf = leaf->next) {
    if (leaf->kind == ZM_LEAF_FACE) {
      ++summary.faces;
      summary.points += static_cast<ZmFace*>(leaf)->vertex.count;
    } else if (leaf->kind == ZM_LEAF_LINE) {
      summary.points += static_cast<ZmLine*>(leaf)->vertex.count;
    } else if (leaf->kind == ZM_LEAF_POINT_SET) {
      summary.points += static_cast<ZmPointSet*>(leaf)->vertex.count;
    }
  }
  ZmChildList* cursor = object->child;
  while (ZmObj* child = zmGetNextChild(&cursor)) countObject(child, summary);
}

WorldSummary summarize(ZmWorld* world) {
  WorldSummary summary;
  for (ZmTopObjList* node = world->topObjects; node != nullptr; node = node->next) {
    countObject(node->object, summary);
    const ZmBoundingCube* cube = zmGetBoundingCube(node->object);
    if (cube == nullptr) continue;
    const ZmVec3& a = cube->p_local_min;
    const ZmVec3& b = cube->p_local_max;
    if (!summary.hasBox) {
      summary.lo = a;
      summary.hi = b;
      summary.hasBox = true;
      continue;
    }
    summary.lo = {std::min(summary.lo.x, a.x), std::min(summary.lo.y, a.y), std::min(summary.lo.z, a.z)};
    summary.hi = {std::max(summary.hi.x, b.x), std::max(summary.hi.y, b.y), std::max(summary.hi.z, b.z)};
  }
  return summary;
}

void expectNear(const ZmVec3& a, const ZmVec3& b, const char* what) {
  // The file holds three decimals.
  EXPECT_NEAR(a.x, b.x, 2e-3) << what;
  EXPECT_NEAR(a.y, b.y, 2e-3) << what;
  EXPECT_NEAR(a.z, b.z, 2e-3) << what;
}

// The file without its Attributes nodes: an Attributes node that carries
// only leaf flags of a child is taken by the reader as all its defaults, so
// it may vanish on the next writing.
std::string withoutAttributes(const std::string& text) {
  std::string kept, line;
  bool inside = false;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    line = text.substr(start, end - start + 1);
    start = end + 1;
    if (line.find("Attributes{") != std::string::npos) inside = true;
    if (!inside) kept += line;
    if (inside && line.find('}') != std::string::npos) inside = false;
  }
  return kept;
}

// Two writings of one world agree: the same lines, and every number within
// a millionth (of itself, or absolutely below 1): a transform the writer
// works out carries float rounding, which the next writing may round
// again, but nothing may wander further.
void expectSameWriting(const std::string& again, const std::string& first) {
  std::istringstream a(again), b(first);
  std::string wordA, wordB;
  while (true) {
    const bool moreA = static_cast<bool>(a >> wordA), moreB = static_cast<bool>(b >> wordB);
    ASSERT_EQ(moreA, moreB) << "one writing is longer\n" << again << "\n---\n" << first;
    if (!moreA) return;
    char* endA = nullptr;
    char* endB = nullptr;
    const double x = std::strtod(wordA.c_str(), &endA), y = std::strtod(wordB.c_str(), &endB);
    if (*endA == '\0' && *endB == '\0' && endA != wordA.c_str() && endB != wordB.c_str())
      ASSERT_NEAR(x, y, 1e-6 * std::max(1.0, std::fabs(y))) << wordA << " against " << wordB << "\n" << again;
    else
      ASSERT_EQ(wordA, wordB) << again << "\n---\n" << first;
  }
}

const char kHeader[] =
    "#VRML V1.0 ascii\n#\n# this file is generated from ZM objects.\n"
    "# objects keep their order; transforms are written relative to the last one.\n\n";

}  // namespace

class RoundTripTest : public WriterTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(RoundTripTest, WrittenWorldReadsBackTheSame) {
  std::string source = std::string(LUMENFOLD_SOURCE_DIR) + "/tests/vrml/data/worlds/" + GetParam();
  ASSERT_EQ(parseVRMLIntoWorld(source.c_str(), world), 0);
  WorldSummary before = summarize(world);

  std::string written = tempPath("first");
  zmDumpZmWorld(world, written.c_str());
  ZmWorld* again = zmNewWorld("again.wrl");
  zmSetCurrentWorld(again);
  int parsed = parseVRMLIntoWorld(written.c_str(), again);
  WorldSummary after = summarize(again);

  // Written again, the world gives the same nodes once more: nothing drifts.
  std::string second = tempPath("second");
  zmDumpZmWorld(again, second.c_str());
  ZmWorld* third = zmNewWorld("third.wrl");
  zmSetCurrentWorld(third);
  EXPECT_EQ(parseVRMLIntoWorld(second.c_str(), third), 0);
  std::string last = tempPath("third");
  zmDumpZmWorld(third, last.c_str());
  zmSetCurrentWorld(world);
  EXPECT_EQ(zmDeleteWorld(again), 0);
  EXPECT_EQ(zmDeleteWorld(third), 0);

  std::string messages;
  for (const std::string& m : writerMessages) messages += m + "\n";
  ASSERT_EQ(parsed, 0) << readFile(written) << messages;
  EXPECT_EQ(after.objects, before.objects) << readFile(written);
  EXPECT_EQ(after.faces, before.faces);
  ASSERT_EQ(after.hasBox, before.hasBox);
  if (before.hasBox) {
    expectNear(after.lo, before.lo, "box minimum");
    expectNear(after.hi, before.hi, "box maximum");
  }
  expectSameWriting(withoutAttributes(readFile(last)), withoutAttributes(readFile(second)));
}

INSTANTIATE_TEST_SUITE_P(Worlds, RoundTripTest,
                         ::testing::Values("three_cubes.wrl", "transforms.wrl", "group_transform.wrl",
                                           "faceset_quad_triangle.wrl",
                                           "lights_cameras.wrl", "material_scope.wrl",
                                           "textures.wrl", "behaviour.wrl", "scales.wrl"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           return name.substr(0, name.find('.'));
                         });

using WorldFileTest = WriterTest;

TEST_F(WorldFileTest, EmptyWorldGivesHeaderAndOneSeparator) {
  std::string path = tempPath("empty");
  zmDumpZmWorld(world, path.c_str());
  EXPECT_EQ(readFile(path), std::string(kHeader) + "Separator{\n}\n");
}

TEST_F(WorldFileTest, SettingsBecomeInfoNodes) {
  world->title = static_cast<char*>(zmMalloc(8));
  std::snprintf(world->title, 8, "My \"W\"");
  world->viewerSpeed = 0.5f;
  world->backgroundColor[2] = -0.0004f;
  world->backgroundImage = standInUrl("sky.gif");
  world->server = static_cast<char*>(zmMalloc(12));
  std::snprintf(world->server, 12, "host:5000");
  std::string path = tempPath("info");
  zmDumpZmWorld(world, path.c_str());
  world->backgroundImage = nullptr;
  EXPECT_EQ(readFile(path), std::string(kHeader) +
                                "Separator{\n"
                                "\tDEF Title Info{ string \"My \"W\"\" }\n"
                                "\tDEF ViewerSpeed Info{ string \"0.5\" }\n"
                                "\tDEF BackgroundColor Info{ string \"0 0 -0.0004\" }\n"
                                "\tDEF BackgroundTexture Info{ string \"sky.gif\" }\n"
                                "\tDEF ZmServer Info{ string \"host:5000\" }\n"
                                "}\n");
}

TEST_F(WorldFileTest, AvatarAndAuthoringHelpersAreLeftOut) {
  auto plain = [this](ZmVRMLType type, const char* name) {
    ZmObj* object = newObj(type, name);
    object->obj_flags |= ZM_OBJ_MOBILE;
    return object;
  };
  ZmObj* avatar = plain(ZM_VRML_GROUP, "me");
  zmAddTopObject(avatar, "a.wrl");
  world->person = avatar;
  ZmObj* floor = plain(ZM_VRML_SEPARATOR, nullptr);
  zmAddChild(floor, newObj(ZM_VRML_INFO, "ZmAuthoringFloor"));
  zmAddTopObject(floor, "a.wrl");
  ZmObj* kept = plain(ZM_VRML_SEPARATOR, "ZmAuthoringCamera");
  zmAddChild(kept, newObj(ZM_VRML_INFO, "other"));
  zmAddTopObject(kept, "a.wrl");

  std::string path = tempPath("skip");
  zmDumpZmWorld(world, path.c_str());
  world->person = nullptr;
  EXPECT_EQ(readFile(path), std::string(kHeader) +
                                "Separator{\n"
                                "\t# S Separator\n\tDEF ZmAuthoringCamera Separator{\n"
                                "\t\t# S Info\n\t\t# E Info\n\t}\n\t# E Separator\n"
                                "}\n");
}

TEST_F(WorldFileTest, FileProblemsAreReported) {
  zmDumpZmWorld(world, "");
  EXPECT_TRUE(sawMessage("zmSFdumpFileOpen: filename is null."));
  zmDumpZmWorld(world, "/nonexistent-folder/x.wrl");
  EXPECT_TRUE(sawMessage("zmSFdumpFileOpen: cannot open the dump '/nonexistent-folder/x.wrl' file."));

  std::string path = tempPath("replace");
  FILE* fp = std::fopen(path.c_str(), "wb");
  std::fputs(std::string(5000, 'x').c_str(), fp);
  std::fclose(fp);
  zmDumpZmWorld(world, path.c_str());
  EXPECT_EQ(readFile(path), std::string(kHeader) + "Separator{\n}\n");
}

TEST_F(WorldFileTest, LongTextsStayWhole) {
  std::string longTitle(2000, 't');
  world->title = static_cast<char*>(zmMalloc(longTitle.size() + 1));
  std::snprintf(world->title, longTitle.size() + 1, "%s", longTitle.c_str());
  std::string path = tempPath("long");
  zmDumpZmWorld(world, path.c_str());
  EXPECT_NE(readFile(path).find("\tDEF Title Info{ string \"" + longTitle + "\" }\n"), std::string::npos);
}

// Every world of the project that reads, written and read back: the same
// objects, faces and points, and the same box to a millionth of its
// diagonal. Names in a world are found beside it, as the tools find them,
// and the written world names its inlines and images so that they are
// found from wherever it lies.
namespace {

std::string worldFolder;
std::map<std::string, std::string> localFiles;

const char* localFileBesideTheWorld(ZmUrlHash* entry) {
  const std::string& url = entry->url;
  std::string path = url.rfind("file://", 0) == 0 ? url.substr(7) : url[0] == '/' ? url : worldFolder + url;
  return localFiles.emplace(url, path).first->second.c_str();
}

std::vector<std::string> projectWorlds() {
  std::vector<std::string> worlds;
  for (const char* folder : {"tests", "examples"})
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(std::string(LUMENFOLD_SOURCE_DIR) + "/" + folder))
      if (entry.path().extension() == ".wrl") worlds.push_back(entry.path().string());
  std::sort(worlds.begin(), worlds.end());
  return worlds;
}

}  // namespace

class EveryWorldTest : public WriterTest {
 protected:
  // The world read into a fresh world of its own (current while it is read).
  ZmWorld* readInto(const std::string& file, int* parsed) {
    worldFolder = file.substr(0, file.rfind('/') + 1);
    ZmWorld* into = zmNewWorld(file.c_str());
    zmSetCurrentWorld(into);
    ZmId first = -10000, last = -1;
    zmSetIdCounter(&first, &last, 0);
    *parsed = parseVRMLIntoWorld(file.c_str(), into);
    return into;
  }

  // Reads, writes and reads back one world; false when the reader does not
  // read it in the first place.
  bool keepsItsGeometry(const std::string& file) {
    int parsed = 0;
    ZmWorld* read = readInto(file, &parsed);
    const WorldSummary before = summarize(read);
    const std::string written = tempPath("every");
    if (parsed == 0) {
      EXPECT_EQ(zmDumpZmWorld(read, written.c_str()), 0);
    }
    zmSetCurrentWorld(world);
    zmDeleteWorld(read);
    if (parsed != 0) return false;

    ZmWorld* again = readInto(written, &parsed);
    const WorldSummary after = summarize(again);
    zmSetCurrentWorld(world);
    zmDeleteWorld(again);
    EXPECT_EQ(parsed, 0) << readFile(written);
    EXPECT_EQ(after.objects, before.objects) << readFile(written);
    EXPECT_EQ(after.faces, before.faces);
    EXPECT_EQ(after.points, before.points);
    EXPECT_EQ(after.hasBox, before.hasBox);
    if (!before.hasBox || !after.hasBox) return true;
    const double dx = before.hi.x - before.lo.x, dy = before.hi.y - before.lo.y, dz = before.hi.z - before.lo.z;
    const double tolerance = 1e-6 * std::sqrt(dx * dx + dy * dy + dz * dz);
    for (const auto& [got, want] : {std::pair{after.lo, before.lo}, std::pair{after.hi, before.hi}}) {
      EXPECT_NEAR(got.x, want.x, tolerance);
      EXPECT_NEAR(got.y, want.y, tolerance);
      EXPECT_NEAR(got.z, want.z, tolerance);
    }
    return true;
  }
};

TEST_F(EveryWorldTest, WrittenAndReadBackKeepsObjectsFacesPointsAndBox) {
  vrmlHooks.loading->getLocalFile = localFileBesideTheWorld;
  vrmlHooks.loading->getLocalNameOfWWW = [](ZmObj* object, int type, const char** localFile) {
    auto* entry = reinterpret_cast<ZmUrlHash*>(zmGetObjExtension(object, type));
    if (entry == nullptr) return -1;
    *localFile = localFileBesideTheWorld(entry);
    return 0;
  };
  int kept = 0;
  for (const std::string& file : projectWorlds()) {
    SCOPED_TRACE(file);
    kept += keepsItsGeometry(file) ? 1 : 0;
  }
  EXPECT_GT(kept, 50) << "worlds read and written";
}
