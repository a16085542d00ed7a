// vrml/qvstate.h -- the traversal state of the scene builder.
//
// Owns: QvState, the 22 element stacks that carry what the nodes read so far
// mean for the nodes that follow (pending properties, the world and local
// matrices), with the levels that grouping nodes open and close; the nodes
// on the current path of the traversal, so that a node that contains itself
// is passed over rather than converted for ever; and QvElement, one entry of
// a stack. The state owns its elements; an element
// never owns its node (the nodes belong to the parse, vrml/parse.h).
// It does not own the traversal itself (vrml/traverse.h) nor the world it
// builds into.
#ifndef LUMENFOLD_VRML_QVSTATE_H
#define LUMENFOLD_VRML_QVSTATE_H

#include <cstdint>

#include "core/vecmath.h"
#include "vrml/qvnode.h"

struct ZmWorld;

// Stack indices, in the order the state prints and pops them.
enum QvStackIndex : int32_t {
  QV_COORDINATE3 = 0,
  QV_MATERIAL_BINDING = 1,
  QV_MATERIAL = 2,
  QV_NORMAL_BINDING = 3,
  QV_NORMAL = 4,
  QV_SHAPE_HINTS = 5,
  QV_TRANSPARENT_TEXTURE2 = 6,
  QV_TEXTURE2 = 7,
  QV_TEXTURE2_TRANSFORM = 8,
  QV_TEXTURE_COORDINATE2 = 9,
  QV_WWW_ANCHOR = 10,
  QV_WWW_INLINE = 11,
  QV_WORLD_RT = 12,   // transform from the current frame to the world
  QV_LOCAL_RT = 13,   // transform accumulated since the last object level
  QV_SCRIPT = 14,
  QV_ATTRIBUTES = 15,
  QV_EVENT_HANDLER = 16,
  QV_SPORADIC_TASK = 17,
  QV_PERIODIC_TASK = 18,
  QV_CALENDAR_TASK = 19,
  QV_SCALE = 20,
  QV_MOVIE2 = 21,
  QV_STACK_COUNT = 22,
};

class QvElement {
 public:
  QvElement();
  virtual ~QvElement() = default;
  QvElement(const QvElement&) = delete;
  QvElement& operator=(const QvElement&) = delete;

  // Copies depth, next, node, matrix and scale; the push that follows
  // resets depth and next.
  void copyFrom(const QvElement* other);

  virtual void print() const;
  virtual void printRT() const;
  virtual void printWWWAnchor() const;
  virtual void printWWWInline() const;

  int32_t depth = -1;          // the state's depth when pushed
  QvElement* next = nullptr;   // the element below on the same stack
  QvNode* node = nullptr;      // not owned; null on the matrix stacks
  ZmRT matrix;                 // identity when made
  float scale[3] = {1, 1, 1};
};

class QvState {
 public:
  /*
   * QvState --
   *   Keeps the world and pushes the identity on the world and local matrix
   *   stacks at depth 0.
   * Side effects:
   *   When memory runs out the failure is reported ("QvState::QvState(): ...")
   *   and isUsable() answers false; such a state must not be traversed with.
   */
  explicit QvState(ZmWorld* world);
  ~QvState();
  QvState(const QvState&) = delete;
  QvState& operator=(const QvState&) = delete;

  bool isUsable() const { return stacks != nullptr; }
  ZmWorld* getWorld() const { return world; }
  int32_t getDepth() const { return depth; }

  void push();  // opens a level
  // Closes a level: every element pushed inside it is destroyed.
  void pop();
  // Pushes the element (the state takes it over) at the current depth.
  void addElement(int32_t index, QvElement* element);
  // Destroys the top element of a non-empty stack, whatever its depth.
  void popElement(int32_t index);
  QvElement* getTopElement(int32_t index) const;
  // The node of the top element, or null.
  QvNode* getTopNode(int32_t index) const;

  // Debug listing of all stacks through zmDebugPrint.
  void print() const;

  // Makes a new element with a node and pushes it; false when memory ran out.
  bool pushNode(int32_t index, QvNode* node);

  // The nodes being converted, outermost first.
  QvNodePath& getPath() { return path; }

 private:
  QvNodePath path;
  int32_t depth = 0;
  QvElement** stacks = nullptr;  // QV_STACK_COUNT tops, owned
  ZmWorld* world;
};

#endif
