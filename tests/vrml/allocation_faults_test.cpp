// A small world built again and again with the allocator failing after one
// more allocation each time: every run reports what it could not make or
// builds the whole world, and nothing leaks (the sanitizer checks at exit).
#include <algorithm>

#include "tests/vrml/builder_fixture.h"

namespace {

const char kWorld[] =
    "DEF Title Info { string \"faults\" }\n"
    "Separator {\n"
    "  Material { diffuseColor [ 1 0 0, 0 1 0 ] }\n"
    "  MaterialBinding { value PER_FACE }\n"
    "  Coordinate3 { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] }\n"
    "  DEF Quad IndexedFaceSet { coordIndex [ 0, 1, 2, -1, 0, 2, 3, -1 ] }\n"
    "  Attributes { comment \"note\" grasp FALSE }\n"
    "  DEF Box Cube { width 2 }\n"
    "  Group { Translation { translation 1 0 0 } DEF Ball Sphere { } }\n"
    "  DEF Lines IndexedLineSet { coordIndex [ 0, 1, 2 ] }\n"
    "  DEF Words AsciiText { string \"hi\" }\n"
    "}\n";

struct Built {
  long objects = 0, leaves = 0;
  bool operator==(const Built&) const = default;
};

void count(ZmObj* object, Built& built) {
  ++built.objects;
  for (ZmLeaf* leaf = object->leaf; leaf; leaf = leaf->next) ++built.leaves;
  ZmChildList* cursor = object->child;
  while (ZmObj* child = zmGetNextChild(&cursor)) count(child, built);
}

class AllocationFaults : public BuilderTest {
 protected:
  void TearDown() override {
    zmFailAllocationsAfter(-1);
    BuilderTest::TearDown();
  }

  Built buildWith(long allocations, int* result) {
    ZmWorld* fresh = zmNewWorld("faults.wrl");
    zmSetCurrentWorld(fresh);
    zmFailAllocationsAfter(allocations);
    *result = parseVRMLIntoWorld(file.c_str(), fresh);
    zmFailAllocationsAfter(-1);
    Built built;
    for (ZmTopObjList* node = fresh->topObjects; node; node = node->next) count(node->object, built);
    zmSetCurrentWorld(world);
    EXPECT_EQ(zmDeleteWorld(fresh), 0);
    return built;
  }

  std::string file;
};

}  // namespace

TEST_F(AllocationFaults, EveryShortageIsReportedUntilTheWholeWorldIsBuilt) {
  file = fileWith(kWorld);
  int result = -1;
  const Built whole = buildWith(-1, &result);
  ASSERT_EQ(result, 0);
  ASSERT_GE(whole.objects, 6);
  const std::vector<std::string> messagesOfAFullBuild = builderMessages;
  // True when the run said something a full build does not say.
  auto reportedAShortage = [&messagesOfAFullBuild] {
    for (const std::string& message : builderMessages)
      if (std::find(messagesOfAFullBuild.begin(), messagesOfAFullBuild.end(), message) == messagesOfAFullBuild.end())
        return true;
    return false;
  };

  long allocations = 0;
  for (;; ++allocations) {
    ASSERT_LT(allocations, 100000) << "the build never succeeded";
    builderMessages.clear();
    const Built built = buildWith(allocations, &result);
    if (result == 0 && built == whole && builderMessages == messagesOfAFullBuild) break;
    EXPECT_TRUE(reportedAShortage())
        << "a build short of memory said nothing, after " << allocations << " allocations (result " << result
        << ", " << built.objects << " objects)";
  }
  EXPECT_GT(allocations, 10);
}
