// Scene objects: ids, deletion order, extensions, arrays, names and paths.
#include "tests/core/scene_fixture.h"

#include <cstring>

#include "core/hash.h"
#include "core/event.h"
#include "core/objvalue.h"

using ObjectTest = SceneTest;

TEST_F(ObjectTest, IdsComeFromTheRangeAndTheStackHasFiveLevels) {
  ZmObj* first = make("first");
  ZmObj* second = make("second");
  EXPECT_EQ(first->id, -10000);
  EXPECT_EQ(second->id, -9999);
  EXPECT_EQ(world->objectCount, 2);

  ZmId low = -20000, high = -10001;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(zmPushIdCounter(&low, &high, 0), 0) << i;
  EXPECT_EQ(zmPushIdCounter(&low, &high, 0), -1);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(zmPopIdCounter(), 0);
  EXPECT_EQ(zmPopIdCounter(), -1);
  ZmId bad = 5, badEnd = 4;
  EXPECT_EQ(zmSetIdCounter(&bad, &badEnd, 0), -1);
  EXPECT_EQ(make("third")->id, -9998);  // the base range went on

  // Request-only: no id unless asked for one, and id 0 is never found.
  ZmId r0 = 100, r1 = 200;
  ASSERT_EQ(zmSetIdCounter(&r0, &r1, 1), 0);
  ZmObj* plain = make("plain");
  EXPECT_EQ(plain->id, 0);
  ZmId none = 0;
  EXPECT_EQ(zmGetZmObjById(world, &none), nullptr);
  ZmObj* asked = nullptr;
  ASSERT_EQ(zmNewZmObj(world, &asked, 1), 0);
  ASSERT_EQ(zmAddTopObject(asked, nullptr), 0);
  EXPECT_EQ(asked->id, 100);
}

TEST_F(ObjectTest, UsedUpRanges) {
  // The base range ends at -1: then next is the null id and objects come
  // without an id.
  ZmId first = -2, last = -1;
  ASSERT_EQ(zmSetIdCounter(&first, &last, 0), 0);
  EXPECT_EQ(make("a")->id, -2);
  EXPECT_EQ(make("b")->id, -1);
  EXPECT_EQ(make("c")->id, 0);

  // An inline range: the 10,001st creation is refused with -6.
  ZmId low = -20000, high = -10001;
  ASSERT_EQ(zmPushIdCounter(&low, &high, 0), 0);
  ZmObj* object = nullptr;
  for (int i = 0; i < 10000; ++i) {
    ASSERT_EQ(zmNewZmObj(world, &object, 0), 0);
    ASSERT_EQ(zmAddTopObject(object, nullptr), 0);
  }
  EXPECT_EQ(object->id, -10001);
  int before = world->objectCount;
  object = nullptr;
  EXPECT_EQ(zmNewZmObj(world, &object, 0), -6);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(world->objectCount, before);
  ZmId id = -15000;
  ASSERT_NE(zmGetZmObjById(world, &id), nullptr);
  EXPECT_EQ(zmGetZmObjById(world, &id)->id, -15000);
  ASSERT_EQ(zmPopIdCounter(), 0);
}

TEST_F(ObjectTest, LookupsAfterDeletionsAndSharedIds) {
  ZmObj* a = make("a");
  ZmObj* b = make("b");
  ZmObj* c = make("c");
  ZmId idB = b->id, idC = c->id;
  ASSERT_EQ(zmDeleteZmObj(b), 0);
  EXPECT_EQ(zmGetZmObjById(world, &idB), nullptr);
  EXPECT_EQ(zmGetZmObjById(world, &idC), c);

  // A server id equal to a's: deleting a must remove a's entry, not the
  // first entry under that key.
  ZmId shared = a->id;
  ASSERT_EQ(zmObjAssignId(c, &shared), 0);
  EXPECT_EQ(zmGetZmObjById(world, &idC), nullptr);  // re-keyed
  EXPECT_EQ(zmGetZmObjById(world, &shared), a);     // the first added wins
  ASSERT_EQ(zmDeleteZmObj(a), 0);
  EXPECT_EQ(zmGetZmObjById(world, &shared), c);
  EXPECT_EQ(world->objectCount, 1);
}

// The names along a child list or the top-object list, and the same list
// walked backwards from its tail, so that both links are checked.
template <typename Node>
static std::vector<std::string> namesOf(Node* first, Node* last) {
  std::vector<std::string> forward, backward;
  for (Node* node = first; node; node = node->next) forward.push_back(sceneNameOf(node->object));
  for (Node* node = last; node; node = node->previous) backward.insert(backward.begin(), sceneNameOf(node->object));
  EXPECT_EQ(forward, backward);
  return forward;
}

TEST_F(ObjectTest, RemovalsAnywhereKeepTheOrderOfChildrenTopObjectsAndIds) {
  struct Case {
    std::vector<int> deleted;  // positions among a, b, c, d, in deletion order
    std::vector<std::string> left;
  };
  const Case cases[] = {
      {{0}, {"b", "c", "d", "e"}},
      {{2}, {"a", "b", "d", "e"}},
      {{3}, {"a", "b", "c", "e"}},
      {{3, 0, 1}, {"c", "e"}},
      {{0, 1, 2, 3}, {"e"}},
  };
  const char* names[] = {"a", "b", "c", "d"};
  for (const Case& test : cases) {
    ZmObj* parent = make("parent");
    std::vector<ZmObj*> children, tops;
    for (const char* name : names) children.push_back(make(name, parent));
    for (const char* name : names) tops.push_back(make(name));
    for (int position : test.deleted) {
      ZmId childId = children[position]->id;
      ASSERT_EQ(zmDeleteZmObj(children[position]), 0);
      ASSERT_EQ(zmDeleteZmObj(tops[position]), 0);
      EXPECT_EQ(zmGetZmObjById(world, &childId), nullptr);
    }
    // An append after the removals must land behind the remaining tail.
    make("e", parent);
    make("e");
    EXPECT_EQ(namesOf(parent->child, parent->childTail), test.left);
    std::vector<std::string> topsLeft = {"parent"};
    topsLeft.insert(topsLeft.end(), test.left.begin(), test.left.end());
    EXPECT_EQ(namesOf(world->topObjects, world->topObjectsTail), topsLeft);
    EXPECT_EQ(world->topObjectCount, static_cast<int32_t>(topsLeft.size()));
    for (ZmChildList* node = parent->child; node; node = node->next) {
      EXPECT_EQ(zmGetZmObjById(world, &node->object->id), node->object);
    }
    while (world->topObjects != nullptr) ASSERT_EQ(zmDeleteZmObj(world->topObjects->object), 0);
  }
}

TEST_F(ObjectTest, RemovingAnObjectFromAListItIsNotInChangesNothing) {
  ZmObj* parent = make("parent");
  ZmObj* child = make("child", parent);
  EXPECT_EQ(zmRemoveTopObject(world, child), -1);
  EXPECT_EQ(zmRemoveTopObject(world, parent), 0);
  EXPECT_EQ(zmRemoveTopObject(world, parent), -1);
  EXPECT_EQ(world->topObjects, nullptr);
  EXPECT_EQ(world->topObjectCount, 0);
  ASSERT_EQ(zmRemoveChild(child), 0);
  EXPECT_EQ(zmRemoveChild(child), -1);
  EXPECT_EQ(fatalTexts(), std::vector<std::string>{"zmDeleteZmObj: inconsistent object hierarchy.\n"});
  EXPECT_EQ(parent->child, nullptr);
  EXPECT_EQ(parent->childTail, nullptr);
  ASSERT_EQ(zmAddTopObject(parent, nullptr), 0);  // the world deletes it and its child
  ASSERT_EQ(zmAddChild(parent, child), 0);
}

#ifndef NDEBUG
// A head, tail or count out of step with the nodes is a broken world, not
// bad input: removing from it stops, naming the function.
TEST_F(ObjectTest, ListsOutOfStepWithTheirHeadsAndCountsStopLoudly) {
  ZmObj* first = make("first");
  ZmObj* second = make("second");
  ZmTopObjList* head = world->topObjects;
  world->topObjects = head->next;  // the first node is left out of the head
  EXPECT_DEATH(zmRemoveTopObject(world, first), "^unlinkNode: a node without a neighbour .* is its list's head");
  world->topObjects = head;
  const int32_t count = world->topObjectCount;
  world->topObjectCount = 0;
  EXPECT_DEATH(zmRemoveTopObject(world, second), "^zmRemoveTopObject: the world counts every top object");
  world->topObjectCount = count;
  const int32_t objects = world->objectCount;
  world->objectCount = 0;
  EXPECT_DEATH(zmDeleteZmObj(second), "^deleteZmObjTree: the world counts every live object");
  world->objectCount = objects;
}
#endif

TEST_F(ObjectTest, ObjectsAndLeavesBuiltInTheWorldsSlabAreDeletedOneByOne) {
  ZmSlab* before = zmUseSlab(zmGetWorldSlab(world));
  ZmObj* parent = make("parent");
  ZmObj* child = make("child", parent);
  zmAddLeaf(child, 0, zmNewCubeLeaf(1, 2, 3));
  zmAddLeaf(parent, 0, zmNewConeLeaf(ZM_PARTS_ALL, 1, 2));
  zmUseSlab(before);
  ZmId childId = child->id;
  ASSERT_EQ(zmDeleteZmObj(child), 0);
  EXPECT_EQ(zmGetZmObjById(world, &childId), nullptr);
  EXPECT_EQ(parent->child, nullptr);
  // The rest goes with the world; its slab with it.
  ASSERT_EQ(zmClearWorld(world), 0);
  EXPECT_EQ(world->slab, nullptr);
}

TEST_F(ObjectTest, DeletingAParentCallsUpwardsInOrderThenClearsEverything) {
  ZmObj* parent = make("parent");
  ZmObj* child = make("child", parent);
  ZmObj* grandchild = make("grandchild", child);
  ZmObj* sibling = make("sibling", parent);
  zmAddLeaf(child, 0, zmNewSphereLeaf());
  ZmEventHandler handler = {};
  child->eventHandlers = &handler;
  child->eventMask = 0x8;
  child->vrmlType = ZM_VRML_SWITCH;
  int32_t* which = static_cast<int32_t*>(zmMalloc(sizeof(int32_t)));
  ASSERT_EQ(zmRegisterObjExtension(child, zmSwitchWhichChild, reinterpret_cast<intptr_t>(which)), 0);
  ASSERT_EQ(zmRegisterObjExtension(child, zmRenderBoundingBox, 1), 0);
  ASSERT_EQ(zmRegisterObjExtension(child, zmKinemationBody, 1), 0);
  int32_t value = 7;
  ZmObjValue* named = static_cast<ZmObjValue*>(zmMalloc(sizeof(ZmObjValue)));
  named->name = zmStrdup("count");
  named->value = zmAllocObjValue(ZM_VALUE_INT, &value);
  ASSERT_EQ(zmRegisterObjExtension(child, zmObjectValue, reinterpret_cast<intptr_t>(named)), 0);
  ZmId ids[] = {parent->id, child->id, grandchild->id, sibling->id};
  world->rendering = reinterpret_cast<RenderingStruct*>(world);  // any non-null record
  sceneCalls.clear();

  ASSERT_EQ(zmDeleteZmObj(parent), 0);
  world->rendering = nullptr;

  const std::vector<std::string> expected = {
      "destroyObjInViewer parent",
      // children first, depth first, then each object's own contents
      "deleteObjTimeOutHandler grandchild", "deleteObjLabels grandchild",
      "rwRemoveObjFromTransferedObjList grandchild",
      "deleteObjTimeOutHandler child", "deleteAllEventHandler child", "pause3DMovie child",
      "kinDeleteBodyAndPos child", "renderDeleteBoundingBoxInViewer child",
      "deleteObjLabels child", "rwRemoveObjFromTransferedObjList child",
      "deleteObjTimeOutHandler sibling", "deleteObjLabels sibling",
      "rwRemoveObjFromTransferedObjList sibling",
      "deleteObjTimeOutHandler parent", "deleteObjLabels parent",
      "rwRemoveObjFromTransferedObjList parent",
  };
  EXPECT_EQ(sceneCalls, expected);
  for (ZmId id : ids) EXPECT_EQ(zmGetZmObjById(world, &id), nullptr) << id;
  EXPECT_EQ(world->objectCount, 0);
  EXPECT_EQ(world->topObjectCount, 0);
  EXPECT_EQ(world->topObjects, nullptr);
  // The records stay readable and hold nothing.
  for (ZmObj* gone : {parent, child, grandchild, sibling}) {
    EXPECT_EQ(gone->id, 0);
    EXPECT_EQ(gone->child, nullptr);
    EXPECT_EQ(gone->leaf, nullptr);
    EXPECT_EQ(gone->extensions, nullptr);
    EXPECT_EQ(gone->eventHandlers, nullptr);
    EXPECT_EQ(gone->eventMask, 0u);
    EXPECT_EQ(gone->comment[1], nullptr);
    EXPECT_EQ(gone->world, world);
  }
}

TEST_F(ObjectTest, RendererRefusalKeepsTheTree) {
  ZmObj* parent = make("parent");
  make("child", parent);
  hooks.viewer->destroyObjInViewer = [](ZmObj*) { return -1; };
  EXPECT_EQ(zmDeleteZmObj(parent), -1);
  EXPECT_EQ(sceneMessages, std::vector<std::string>{"zmDeleteZmObj: fail to delete RW structure."});
  EXPECT_EQ(world->objectCount, 2);
  EXPECT_NE(parent->child, nullptr);
  EXPECT_EQ(world->topObjects->object, parent);
  hooks.viewer->destroyObjInViewer = kCoreViewerDefaults.destroyObjInViewer;
}

TEST_F(ObjectTest, CutAndClearKeepWhatTheyShould) {
  ZmObj* parent = make("parent");
  ZmObj* child = make("child", parent);
  ZmObj* grandchild = make("grandchild", child);
  ASSERT_EQ(zmCutZmObj(child), 0);
  EXPECT_EQ(parent->child, nullptr);
  EXPECT_EQ(child->parent, parent);  // left as it was
  EXPECT_EQ(child->child->object, grandchild);
  ASSERT_EQ(zmClearZmObjContents(child), 0);
  EXPECT_EQ(child->comment[1], nullptr);
  EXPECT_EQ(child->id, 0);
  EXPECT_EQ(child->child->object, grandchild);
  // Appending after the cut keeps the parent's list whole.
  ASSERT_EQ(zmAddTopObject(child, nullptr), 0);
  ZmObj* late = make("late", parent);
  EXPECT_EQ(parent->child->object, late);

  // Taking a child that is not in its parent's list is an inconsistency.
  ZmObj* stray = make("stray");
  stray->parent = parent;
  zmTurnOffFlag(2);
  EXPECT_EQ(zmRemoveChild(stray), -1);
  stray->parent = nullptr;
}

TEST_F(ObjectTest, ExtensionsAndTheirCopies) {
  ZmObj* a = make("a");
  ZmObj* b = make("b");
  EXPECT_EQ(zmRegisterObjExtension(a, zmAuthInfoId, 11), 0);
  EXPECT_EQ(zmRegisterObjExtension(a, zmAuthInfoId, 12), -1);
  EXPECT_EQ(zmRegisterObjExtension(nullptr, zmAuthInfoId, 12), -1);
  EXPECT_EQ(zmGetObjExtension(a, zmAuthInfoId), 11);
  EXPECT_EQ(zmDeleteObjExtension(a, zmAuthInfoId), 0);
  EXPECT_EQ(zmDeleteObjExtension(a, zmAuthInfoId), -1);

  ZmLOD* lod = static_cast<ZmLOD*>(zmMalloc(sizeof(ZmLOD)));
  lod->rangeCount = 2;
  lod->ranges = static_cast<float*>(zmMalloc(2 * sizeof(float)));
  lod->ranges[1] = 9.5f;
  ASSERT_EQ(zmRegisterObjExtension(a, zmLODNode, reinterpret_cast<intptr_t>(lod)), 0);
  ZmScriptNodeData* script = static_cast<ZmScriptNodeData*>(zmMalloc(sizeof(ZmScriptNodeData)));
  script->script = zmStrdup("proc x {} {}");
  script->word = 1;
  ASSERT_EQ(zmRegisterObjExtension(a, zmScriptNode, reinterpret_cast<intptr_t>(script)), 0);

  ZmObjExtension* lodExt = a->extensions;
  ZmObjExtension* scriptExt = lodExt->next;
  EXPECT_EQ(allocAndCopyZmObjExtensionForLOD(b, lodExt), 0);
  EXPECT_EQ(allocAndCopyZmObjExtensionForScript(b, scriptExt), 0);
  EXPECT_EQ(allocAndCopyZmObjExtensionForLOD(b, scriptExt), -1);
  EXPECT_EQ(allocAndCopyZmObjExtensionForLOD(b, lodExt), -1);  // b has one already
  EXPECT_EQ(sceneMessages, std::vector<std::string>{"allocAndCopyZmObjExtensionForLOD : not LOD."});
  ZmLOD* copy = reinterpret_cast<ZmLOD*>(zmGetObjExtension(b, zmLODNode));
  EXPECT_NE(copy->ranges, lod->ranges);
  EXPECT_EQ(copy->ranges[1], 9.5f);
  auto* scriptCopy = reinterpret_cast<ZmScriptNodeData*>(zmGetObjExtension(b, zmScriptNode));
  EXPECT_STREQ(scriptCopy->script, "proc x {} {}");
  EXPECT_NE(scriptCopy->script, script->script);

  // The script records are the caller's: free them before the objects go.
  for (ZmScriptNodeData* s : {script, scriptCopy}) {
    zmFree(s->script);
    zmFree(s);
  }
  // LOD records are the object's to free (zmDeleteObjExtension).
  EXPECT_EQ(zmDeleteObjExtension(a, zmLODNode), 0);
  EXPECT_EQ(zmDeleteObjExtension(b, zmLODNode), 0);
}

TEST_F(ObjectTest, ObjectArraysHoldEachObjectOnce) {
  ZmObj* a = make("a");
  ZmObj* b = make("b");
  ZmMFObj array = {};
  EXPECT_EQ(zmRemoveObjToZmMFObj(&array, a), -1);
  EXPECT_EQ(sceneMessages.back(), "zmRemoveObjToZmMFObj: try to remove obj from empty zmMFobj");
  EXPECT_EQ(zmAddZmObjToZmMFObj(&array, a), 0);
  EXPECT_EQ(zmAddZmObjToZmMFObj(&array, a), 0);
  EXPECT_EQ(zmAddZmObjToZmMFObj(&array, b), 0);
  ASSERT_EQ(array.count, 2);
  EXPECT_EQ(zmRemoveObjToZmMFObj(&array, a), 0);
  ASSERT_EQ(array.count, 1);
  EXPECT_EQ(array.objs[0], b);
  EXPECT_EQ(zmRemoveObjToZmMFObj(&array, a), 0);  // absent: no change
  EXPECT_EQ(zmRemoveObjToZmMFObj(&array, b), 0);
  EXPECT_EQ(array.count, 0);
  EXPECT_EQ(array.objs, nullptr);
}

TEST_F(ObjectTest, NamesAndPaths) {
  zmSetCurrentWorld(world);
  ZmObj* a = make("a");
  ZmObj* b = make("b", a);
  ZmObj* c = make("c", b);
  ZmObj* d = make("d", a);
  ZmObj* e = make("e", d);
  EXPECT_EQ(zmNameObject(a, a->comment[1]), a->comment[1]);  // its own name may be passed
  EXPECT_TRUE(zmObjNameIs(a, "a"));

  struct { const char* path; ZmObj* found; } paths[] = {
      {"", a}, {"b.c", c}, {"b..c", c}, {".b.c", c}, {"b.c.", c}, {"b.x", nullptr}, {"d.e", e},
  };
  for (const auto& p : paths) EXPECT_EQ(zmGetChildObjByPath(a, p.path), p.found) << p.path;
  EXPECT_EQ(zmGetChildObjByPath(c, "x"), nullptr);
  EXPECT_EQ(zmGetTopObjByPath("a.b.c"), c);
  EXPECT_EQ(zmGetTopObjByPath("a"), a);
  EXPECT_EQ(zmGetTopObjByPath(".a"), nullptr);
  EXPECT_EQ(zmGetTopObjByPath(""), nullptr);

  EXPECT_EQ(zmGetObjByName(a, "e"), e);  // a has children: its subtree
  EXPECT_EQ(zmGetObjByName(c, "c"), c);  // a leaf object: itself
  EXPECT_EQ(zmGetObjByName(c, "e"), nullptr);  // c has no following sibling
  EXPECT_EQ(zmGetObjByName(e, "e"), e);
  make("f", d);
  EXPECT_EQ(zmGetObjByName(e, "f")->comment[1], std::string("f"));  // a following sibling
  zmSetCurrentWorld(nullptr);
}

TEST(VRMLTypes, NamesAndCodes) {
  EXPECT_EQ(zmGetVRMLTypeByName("LOD"), 11);
  EXPECT_EQ(zmGetVRMLTypeByName("AmbientSound"), 1);
  EXPECT_EQ(zmGetVRMLTypeByName("WWWInline"), 36);
  EXPECT_EQ(zmGetVRMLTypeByName("KinJoint"), 38);
  EXPECT_EQ(zmGetVRMLTypeByName("lod"), 0);
  EXPECT_STREQ(zmGetVRMLTypeName(27), "Switch");
  EXPECT_STREQ(zmGetVRMLTypeName(37), "AsciiText");
  EXPECT_EQ(zmGetVRMLTypeName(39), nullptr);
  EXPECT_EQ(zmGetVRMLTypeName(0), nullptr);
}
