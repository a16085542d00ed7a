// Articulated bodies: the body file's sections, the object tree built from
// them and the postures it is moved through.
#include <cmath>
#include <string>
#include <vector>

#include "core/leaf.h"
#include "core/memory.h"
#include "core/transform.h"
#include "media/bodies.h"
#include "vrml/parse.h"
#include "tests/media/body_fixture.h"

namespace {

// ---- The fixture body, and an independent reference for its poses ----------

struct Site {
  const char* name;
  double t[3];
  double angles[3];  // degrees
};

struct Segment {
  const char* name;
  std::vector<Site> sites;  // the first is the inbound one
};

const std::vector<Segment> kSegments = {
    {"hips", {{"base", {0, 0, 0}, {0, 0, 0}}, {"left", {-0.2, -0.1, 0.05}, {0, 0, 10}}, {"right", {0.2, -0.1, 0}, {0, 5, 0}}}},
    {"lthigh", {{"top", {0, 0, 0}, {10, 0, 0}}, {"knee", {0, -0.45, 0.02}, {0, 0, 0}}}},
    {"rthigh", {{"top", {0.01, 0, 0}, {0, 0, -5}}, {"knee", {0, -0.45, 0}, {0, 0, 0}}, {"toe", {0.05, -0.5, 0.1}, {0, 0, 0}}}},
};
const double kRootXfm[6] = {0, 1, 0, 0, 90, 0};
constexpr int kColumns = 12;
constexpr int kLeftColumn = 7;    // drives lthigh from columns 6, 7, 8
constexpr int kRightColumn = 10;  // drives rthigh from columns 9, 10, 11
const std::vector<std::vector<double>> kFrames = {
    {0.0, 1.0, 0.1, 5, 10, 0, 20, -5, 3, -15, 0, 7},
    {0.0, 1.02, 0.3, -3, 12, 4, 35, 2, -1, -30, 6, 0},
    {0.1, 1.0, 0.5, 0, 15, -2, 10, 0, 12, 5, -8, 2},
};

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

std::string xfm(const double t[3], const double a[3]) {
  std::string line = "xfm";
  for (int i = 0; i < 3; ++i) line += " " + number(t[i]);
  for (int i = 0; i < 3; ++i) line += " " + number(a[i]);
  return line;
}

std::string fixtureText() {
  std::string text = "# a walking fixture\nbgnbody\nname walker\n";
  for (const Segment& segment : kSegments) {
    text += "bgnsegment\nname " + std::string(segment.name) + "\nscale 1 1 1\n";
    for (const Site& site : segment.sites)
      text += "bgnsite\nname " + std::string(site.name) + "\n" + xfm(site.t, site.angles) + "\nendsite\n";
    text += "endsegment\n";
  }
  text += "root hips.base\n" + xfm(kRootXfm, kRootXfm + 3) + "\n";
  text += "bgnjoint\nname j_left\nconnect hips.left lthigh.top\nendjoint\n";
  text += "bgnjoint\nname j_right\nconnect hips.right rthigh.top\nendjoint\n";
  text += "bgnhandle\nname h\nendhandle\nendbody\n";
  text += "bgncapture\nbgninput\nname in\nfile " + std::to_string(kColumns) + "\nfilename walk.mov\nendinput\n";
  text += "bgntarget\nobject body walker x y 0\nendtarget\n";
  text += "bgntarget\nobject joint hips.j_left x y " + std::to_string(kLeftColumn) + "\nendtarget\n";
  text += "bgntarget\nobject joint hips.j_right x y " + std::to_string(kRightColumn) + "\nendtarget\n";
  text += "endcapture\n";
  for (const auto& frame : kFrames) {
    std::string line;
    for (double value : frame) line += (line.empty() ? "" : " ") + number(value);
    text += line + "\n";
  }
  return text;
}

// Row-vector matrices in double, composed from the elementary turns.
struct M3 {
  double m[3][3];
};

M3 times(const M3& a, const M3& b) {  // a first, then b
  M3 c{};
  for (int r = 0; r < 3; ++r)
    for (int k = 0; k < 3; ++k)
      for (int j = 0; j < 3; ++j) c.m[r][j] += a.m[r][k] * b.m[k][j];
  return c;
}

M3 transposed(const M3& a) {
  M3 t{};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) t.m[r][c] = a.m[c][r];
  return t;
}

M3 turn(const double degrees[3]) {
  const double pi = 3.141592653589793;
  const double x = degrees[0] * pi / 180, y = degrees[1] * pi / 180, z = degrees[2] * pi / 180;
  const M3 rx = {{{1, 0, 0}, {0, std::cos(x), std::sin(x)}, {0, -std::sin(x), std::cos(x)}}};
  const M3 ry = {{{std::cos(y), 0, -std::sin(y)}, {0, 1, 0}, {std::sin(y), 0, std::cos(y)}}};
  const M3 rz = {{{std::cos(z), std::sin(z), 0}, {-std::sin(z), std::cos(z), 0}, {0, 0, 1}}};
  return times(times(rz, ry), rx);
}

struct V3 {
  double x, y, z;
};

V3 apply(const V3& p, const M3& r, const V3& t) {
  return {p.x * r.m[0][0] + p.y * r.m[1][0] + p.z * r.m[2][0] + t.x,
          p.x * r.m[0][1] + p.y * r.m[1][1] + p.z * r.m[2][1] + t.y,
          p.x * r.m[0][2] + p.y * r.m[1][2] + p.z * r.m[2][2] + t.z};
}

V3 minus(const double a[3], const double b[3]) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }

// The world point of site `siteIndex` of a thigh at frame f, the root left
// where the root transform puts it.
V3 expectedSite(int thigh, int siteIndex, int f) {
  const Segment& hips = kSegments[0];
  const Segment& segment = kSegments[thigh];
  const M3 rootTurn = times(transposed(turn(hips.sites[0].angles)), turn(&kFrames[f][3]));
  const V3 rootAt = {kRootXfm[0], kRootXfm[1], kRootXfm[2]};
  const Site& outbound = hips.sites[thigh];  // left for 1, right for 2
  const Site& inbound = segment.sites[0];
  const int column = thigh == 1 ? kLeftColumn : kRightColumn;
  const M3 local = times(times(transposed(turn(inbound.angles)), turn(&kFrames[f][column - 1])), turn(outbound.angles));
  const M3 world = times(local, rootTurn);
  const V3 origin = apply(minus(outbound.t, hips.sites[0].t), rootTurn, rootAt);
  return apply(minus(segment.sites[siteIndex].t, inbound.t), world, origin);
}

// The world point of a bone's vertex i.
V3 boneVertex(ZmObj* segmentObject, int i) {
  ZmObj* bone = segmentObject->child->object;
  const ZmLeaf* leaf = bone->leaf;
  const ZmVec3& v = leaf->kind == ZM_LEAF_LINE ? static_cast<const ZmLine*>(leaf)->vertex.values[i]
                                               : static_cast<const ZmFace*>(leaf)->vertex.values[i];
  ZmVec3 out;
  zmRTTransformPoint(zmGetWRT(bone), &v, &out);
  return {out.x, out.y, out.z};
}

void expectNear(const V3& actual, const V3& expected, const std::string& what) {
  EXPECT_NEAR(actual.x, expected.x, 1e-5) << what;
  EXPECT_NEAR(actual.y, expected.y, 1e-5) << what;
  EXPECT_NEAR(actual.z, expected.z, 1e-5) << what;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) text.replace(at, from.size(), to);
  return text;
}

class BodyTest : public BodyMediaTest {
 protected:
  // Loads the text as a body without a skin; the top object or null.
  ZmObj* load(const std::string& text) {
    const std::string path = writeFile("body" + std::to_string(++files) + ".wkn", text);
    ZmObj* top = nullptr;
    if (zmNewZmObj(world, &top, 1) != 0) return nullptr;
    if (zmKinNew(world, path.c_str(), nullptr, &top) != 0) return nullptr;
    loaded.push_back(top);
    return top;
  }

  // The bodies are top objects of no world: the test frees them.
  void TearDown() override {
    for (ZmObj* top : loaded) zmDeleteZmObj(top);
    BodyMediaTest::TearDown();
  }

  std::vector<ZmObj*> loaded;

  static ZmVec3 rootAt(ZmObj* top) { return zmGetWRT(top)->t; }

  int files = 0;
};

// ---- The fixture --------------------------------------------------------------

TEST_F(BodyTest, EveryFrameGivesTheJointPositionsOfTheMotion) {
  ZmObj* top = load(fixtureText());
  ASSERT_NE(top, nullptr) << allReports();
  ZmObj* left = zmFindObjInSubtree(top, "lthigh");
  ZmObj* right = zmFindObjInSubtree(top, "rthigh");
  ASSERT_NE(left, nullptr);
  ASSERT_NE(right, nullptr);
  for (int f = 0; f < int(kFrames.size()); ++f) {
    ASSERT_EQ(zmKinSetFrame(top, f), 0);
    const std::string at = "frame " + std::to_string(f);
    expectNear(boneVertex(left, 0), expectedSite(1, 0, f), at + ": left hip joint");
    expectNear(boneVertex(left, 1), expectedSite(1, 1, f), at + ": left knee");
    expectNear(boneVertex(right, 0), expectedSite(2, 0, f), at + ": right hip joint");
    expectNear(boneVertex(right, 1), expectedSite(2, 1, f), at + ": right knee");
    expectNear(boneVertex(right, 2), expectedSite(2, 2, f), at + ": right toe");
    const ZmVec3 root = rootAt(top);
    expectNear({root.x, root.y, root.z}, {kRootXfm[0], kRootXfm[1], kRootXfm[2]}, at + ": the root stays");
    int32_t frame = -1;
    EXPECT_EQ(zmKinGetFrame(top, &frame), 0);
    EXPECT_EQ(frame, f);
  }
}

TEST_F(BodyTest, BonesFollowTheOutboundSitesOfTheirSegment) {
  ZmObj* top = load(fixtureText());
  ASSERT_NE(top, nullptr) << allReports();
  const struct {
    const char* bone;
    int32_t kind;
    int32_t points;
  } cases[] = {{"hips.bone", ZM_LEAF_FACE, 3}, {"lthigh.bone", ZM_LEAF_LINE, 2}, {"rthigh.bone", ZM_LEAF_FACE, 3}};
  for (const auto& c : cases) {
    ZmObj* bone = zmFindObjInSubtree(top, c.bone);
    ASSERT_NE(bone, nullptr) << c.bone;
    ASSERT_NE(bone->leaf, nullptr) << c.bone;
    EXPECT_EQ(bone->leaf->kind, c.kind) << c.bone;
    const int32_t points = c.kind == ZM_LEAF_LINE ? static_cast<ZmLine*>(bone->leaf)->vertex.count
                                                  : static_cast<ZmFace*>(bone->leaf)->vertex.count;
    EXPECT_EQ(points, c.points) << c.bone;
  }
}

TEST_F(BodyTest, PosturesStepTheRootAlongTheCapturedPath) {
  ZmObj* top = load(fixtureText());
  ASSERT_NE(top, nullptr) << allReports();
  // Each next posture moves by the step into its frame: the root walks the
  // captured positions, and wraps to the first frame by its step again.
  const int frames = int(kFrames.size());
  V3 at = {kRootXfm[0], kRootXfm[1], kRootXfm[2]};
  V3 previous = at;
  for (int n = 0; n <= frames; ++n) {
    ASSERT_EQ(zmKinNextPosture(top), 0);
    const int f = n % frames;
    const V3 from = f == 0 ? V3{kRootXfm[0], kRootXfm[1], kRootXfm[2]} : V3{kFrames[f - 1][0], kFrames[f - 1][1], kFrames[f - 1][2]};
    at = {at.x + kFrames[f][0] - from.x, at.y + kFrames[f][1] - from.y, at.z + kFrames[f][2] - from.z};
    const ZmVec3 root = rootAt(top);
    expectNear({root.x, root.y, root.z}, at, "next posture " + std::to_string(n));
    previous = at;
  }
  // Back from frame 0 enters the last frame and takes its step back.
  ASSERT_EQ(zmKinPrevPosture(top), 0);
  const int last = frames - 1;
  const V3 back = {previous.x - (kFrames[last][0] - kFrames[last - 1][0]),
                   previous.y - (kFrames[last][1] - kFrames[last - 1][1]),
                   previous.z - (kFrames[last][2] - kFrames[last - 1][2])};
  const ZmVec3 root = rootAt(top);
  expectNear({root.x, root.y, root.z}, back, "previous posture");
  int32_t frame = -1;
  ASSERT_EQ(zmKinGetFrame(top, &frame), 0);
  EXPECT_EQ(frame, last);
}

TEST_F(BodyTest, AFrameOutsideTheMotionIsAWarningAndMovesNothing) {
  ZmObj* top = load(fixtureText());
  ASSERT_NE(top, nullptr) << allReports();
  ASSERT_EQ(zmKinSetFrame(top, 1), 0);
  ZmObj* left = zmFindObjInSubtree(top, "lthigh");
  const ZmRT before = *zmGetWRT(left);
  for (int frame : {-1, int(kFrames.size()), 1000}) {
    reports().clear();
    EXPECT_EQ(zmKinSetFrame(top, frame), -4) << frame;
    EXPECT_TRUE(reported("KinSetFrame: out of range (max_frame = 3)")) << allReports();
    const ZmRT after = *zmGetWRT(left);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(after.m[i], before.m[i]) << frame;
  }
}

// ---- What the file may hold -----------------------------------------------------

TEST_F(BodyTest, FileVariantsAreHandledOrRefusedWithTheirWarning) {
  const std::string base = fixtureText();
  const std::string longWord(150, 'w');
  const struct {
    const char* what;
    std::string text;
    bool loads;
    const char* report;        // a text the load reports, or null
    const char* absentObject;  // a segment the tree must not have, or null
  } cases[] = {
      {"carriage-return line ends", replaced(base, "\n", "\r\n"), false, "Kinemation bod file seems corrupted. 0", nullptr},
      {"comments: a header and a site's seven words",
       "# Kinemation body\n# written by hand\n" +
           replaced(base, "name knee\nxfm 0 -0.45 0.02 0 0 0\nendsite", "name knee\nxfm 0 -0.45 0.02 0 0 0\n# a b c d e f g\nendsite"),
       true, nullptr, nullptr},
      {"a site comment of six words", replaced(base, "name knee\nxfm 0 -0.45 0.02 0 0 0\nendsite", "name knee\nxfm 0 -0.45 0.02 0 0 0\n# a b c d e f\nendsite"),
       false, "Kinemation bod file has incorrect segment declaration.", nullptr},
      {"an unknown joint site ends the joints",
       replaced(replaced(base, "connect hips.right rthigh.top", "connect hips.right rthigh.nosuch"),
                "bgntarget\nobject joint hips.j_right x y 10\nendtarget\n", ""),
       true, nullptr, "rthigh"},
      {"a joint back to the root", replaced(base, "bgnhandle", "bgnjoint\nname loop\nconnect lthigh.knee hips.base\nendjoint\nbgnhandle"),
       false, "Kinemation bod file has incorrect tree structure.", nullptr},
      {"a joint cycle below the root",
       replaced(base, "bgnhandle", "bgnjoint\nname loop\nconnect lthigh.knee rthigh.top\nendjoint\nbgnhandle"), false,
       "Kinemation bod file has incorrect tree structure.", nullptr},
      {"a column one past the last angle", replaced(base, "hips.j_right x y 10", "hips.j_right x y 11"), true,
       "column 11 of joint j_right is outside the frame", nullptr},
      {"a column far outside the frame", replaced(base, "hips.j_right x y 10", "hips.j_right x y 4000"), true,
       "column 4000 of joint j_right is outside the frame", nullptr},
      {"a column among the root's", replaced(base, "hips.j_right x y 10", "hips.j_right x y 5"), true,
       "column 5 of joint j_right is outside the frame", nullptr},
      {"a trailing empty line", base + "\n", false, "zmKinNew: zmLoadMov failed.", nullptr},
      {"no motion at all", base.substr(0, base.find("endcapture\n") + 11), false, "zmLineCount: incorrect mov data.", nullptr},
      {"a frame too narrow for the root", replaced(base, "file 12", "file 4"), false, "cannot hold the root's six", nullptr},
      {"words longer than the buffer", replaced(base, "scale 1 1 1", "scale " + longWord + " 1 1"), true, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    ASSERT_NE(c.text, base) << c.what << ": the edit found nothing to change";
    reports().clear();
    const int32_t before = world->objectCount;
    ZmObj* top = load(c.text);
    EXPECT_EQ(top != nullptr, c.loads) << c.what << ": " << allReports();
    if (c.report != nullptr) {
      EXPECT_TRUE(reported(c.report)) << c.what << ": " << allReports();
    }
    if (top == nullptr) {
      EXPECT_EQ(world->objectCount, before) << c.what << ": a failed load leaves no object";
      continue;
    }
    if (c.absentObject != nullptr) {
      EXPECT_EQ(zmFindObjInSubtree(top, c.absentObject), nullptr) << c.what;
    }
    for (int f = 0; f < int(kFrames.size()); ++f) EXPECT_EQ(zmKinSetFrame(top, f), 0) << c.what;
  }
}

TEST_F(BodyTest, AWordLongerThanTheBufferIsCutAtNinetyNineBytes) {
  ZmObj* top = load(replaced(fixtureText(), "name walker", "name " + std::string(150, 'w')));
  ASSERT_NE(top, nullptr) << allReports();
  ZmKinBody* body = nullptr;
  ZmKinPosition* position = nullptr;
  ASSERT_EQ(zmKinGetBodyAndPos(top, &body, &position), 0);
  EXPECT_EQ(std::string(body->name), std::string(99, 'w'));
}

// ---- Failure paths ----------------------------------------------------------------

// Every allocation of a load fails in turn: under the sanitizers a record
// freed twice or left behind fails the run, and no object stays.
TEST_F(BodyTest, AFailedLoadFreesEachRecordOnce) {
  const std::string path = writeFile("body.wkn", fixtureText());
  bool loaded = false;
  for (long n = 0; !loaded && n < 5000; ++n) {
    const int32_t before = world->objectCount;
    ZmObj* top = nullptr;
    zmFailAllocationsAfter(n);
    const int made = zmNewZmObj(world, &top, 1);
    const int result = made == 0 ? zmKinNew(world, path.c_str(), nullptr, &top) : -1;
    zmFailAllocationsAfter(-1);
    if (result == 0) {
      loaded = true;
      zmDeleteZmObj(top);
    } else {
      EXPECT_EQ(top, nullptr) << n;
    }
    EXPECT_EQ(world->objectCount, before) << "after " << n << " allocations";
  }
  EXPECT_TRUE(loaded);
}

}  // namespace

namespace {

// ---- A world that names a body ----------------------------------------------------

class BodyWorldTest : public BodyMediaTest {};

// The example world: its Kinemation Info loads walker.wkn with the world's
// own Separators as the skin, and the walk moves the body forward.
TEST_F(BodyWorldTest, AKinemationInfoTurnsTheWorldIntoItsBody) {
  const std::string examples = std::string(LUMENFOLD_SOURCE_DIR) + "/examples/";
  baseFolder() = examples;
  const std::string file = examples + "walker.wrl";
  ASSERT_EQ(parseVRMLIntoWorld(file.c_str(), world), 0) << allReports();
  ASSERT_EQ(world->topObjectCount, 1) << allReports();
  ZmObj* top = world->topObjects->object;
  int32_t frames = 0;
  ASSERT_EQ(zmKinGetMaxFrame(top, &frames), 0);
  EXPECT_EQ(frames, 16);
  // Every segment wears the skin part named after it, where the skin put it.
  for (const char* segment : {"hips", "chest", "lthigh", "lshin", "rthigh", "rshin"}) {
    ZmObj* object = std::string(segment) == "hips" ? top : zmFindObjInSubtree(top, segment);
    ASSERT_NE(object, nullptr) << segment;
    ASSERT_NE(object->child, nullptr) << segment;
    EXPECT_EQ(zmFindObjInSubtree(top, (std::string(segment) + ".bone").c_str()), nullptr) << segment;
  }
  ZmObj* shin = zmFindObjInSubtree(top, "lshin");
  ZmObj* shinPart = shin->child->object;
  // At rest a part is where the skin put it: the example's Separators
  // carry no transform of their own, so every part's world transform is
  // the identity, whatever segment it now hangs from.
  const ZmRT rest = *zmGetWRT(shinPart);
  ZmRT identity;
  zmRTIdentity(&identity);
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(rest.m[i], identity.m[i], 1e-5) << i;
  EXPECT_NEAR(rest.t.x, 0, 1e-5);
  EXPECT_NEAR(rest.t.y, 0, 1e-5);
  EXPECT_NEAR(rest.t.z, 0, 1e-5);
  const float startZ = zmGetWRT(top)->t.z;
  const float shinStartZ = zmGetWRT(shin)->t.z;
  for (int step = 0; step < frames; ++step) ASSERT_EQ(zmKinNextPosture(top), 0);
  // One stride: frame 0's step plus the fifteen steps to the last frame.
  EXPECT_LT(zmGetWRT(top)->t.z, startZ - 0.8f);
  EXPECT_LT(zmGetWRT(shin)->t.z, shinStartZ - 0.8f) << "the shin walked with the body";
}

TEST_F(BodyWorldTest, ANewTopObjectJoinsTheWorldBuiltInTheViewer) {
  ViewerForWorld viewer(world);
  ASSERT_TRUE(viewer.open);
  const std::string path = writeFile("top.wkn", fixtureText());
  ZmObj* top = nullptr;
  ASSERT_EQ(zmKinNewTopObject(world, path.c_str(), nullptr, &top), 0) << allReports();
  ASSERT_EQ(world->topObjectCount, 1);
  EXPECT_EQ(world->topObjects->object, top);
  EXPECT_EQ(zmKinNextPosture(top), 0);
  // A file that cannot be read leaves the world as it was.
  const int32_t objects = world->objectCount;
  EXPECT_NE(zmKinNewTopObject(world, (path + ".missing").c_str(), nullptr, &top), 0);
  EXPECT_EQ(world->topObjectCount, 1);
  EXPECT_EQ(world->objectCount, objects);
  zmSetCurrentWorld(nullptr);
  zmDeleteWorld(world);  // before the engine closes
  world = nullptr;
}

}  // namespace
