// vrml/qvstate.cpp -- the element stacks of the traversal.
#include "vrml/qvstate.h"

#include <new>

#include "core/memory.h"
#include "core/report.h"
#include "vrml/qvnodes.h"

namespace {

constexpr const char* kStackNames[QV_STACK_COUNT] = {
    "Coordinate3", "MaterialBinding", "Material", "NormalBinding", "Normal", "ShapeHints",
    "TransparentTexture2", "Texture2", "Texture2Transformation", "TextureCoordinate2",
    "WWWAnchor", "WWWInline", "WorldRT", "LocalRT", "Script", "Attributes", "EventHandler",
    "SporadicTask", "PeriodicTask", "CalendarTask", "Scale", "Movie2",
};

const char* urlOf(const QvNode* node) {
  if (const auto* anchor = dynamic_cast<const QvWWWAnchor*>(node)) return anchor->name.value.getString();
  if (const auto* inlined = dynamic_cast<const QvWWWInline*>(node)) return inlined->name.value.getString();
  return "";
}

}  // namespace

// --------------------------------------------------------------- QvElement

QvElement::QvElement() { zmRTIdentity(&matrix); }

void QvElement::copyFrom(const QvElement* other) {
  depth = other->depth;
  next = other->next;
  node = other->node;
  matrix = other->matrix;
  for (int i = 0; i < 3; ++i) scale[i] = other->scale[i];
}

void QvElement::print() const { zmDebugPrint("QvElement::print", "\t\tElement"); }

void QvElement::printRT() const {
  const char* fn = "QvElement::printRT";
  zmDebugPrint(fn, "\t\t\tR0\t\tR1\t\tR2\t\tT");
  const float* m = matrix.m;
  zmDebugPrint(fn, "\t\tx\t%f\t%f\t%f\t%f", m[0], m[3], m[6], matrix.t.x);
  zmDebugPrint(fn, "\t\ty\t%f\t%f\t%f\t%f", m[1], m[4], m[7], matrix.t.y);
  zmDebugPrint(fn, "\t\tz\t%f\t%f\t%f\t%f", m[2], m[5], m[8], matrix.t.z);
  zmDebugPrint(fn, "\t\t \t%f\t%f\t%f\t%f", 0.0, 0.0, 0.0, 1.0);
}

void QvElement::printWWWAnchor() const {
  zmDebugPrint("QvElement::printWWWAnchor", "\t\tURL = '%s'", urlOf(node));
}

void QvElement::printWWWInline() const {
  zmDebugPrint("QvElement::printWWWInline", "\t\tURL = '%s'", urlOf(node));
}

// ----------------------------------------------------------------- QvState

QvState::QvState(ZmWorld* w) : world(w) {
  const char* fn = "QvState::QvState()";
  stacks = static_cast<QvElement**>(zmMalloc(QV_STACK_COUNT * sizeof(QvElement*)));
  if (stacks == nullptr) {
    zmReportMessage("%s: %s", fn, "Couldn't allocate memory for QvElement*[].");
    return;
  }
  QvElement* worldRT = new (std::nothrow) QvElement;
  if (worldRT == nullptr) {
    zmReportMessage("%s: %s", fn, "Couldn't allocate memory for QvElement of worldRT.");
    zmFree(stacks);
    stacks = nullptr;
    return;
  }
  QvElement* localRT = new (std::nothrow) QvElement;
  if (localRT == nullptr) {
    zmReportMessage("%s: %s", fn, "Couldn't allocate memory for QvElement of localRT.");
    delete worldRT;
    zmFree(stacks);
    stacks = nullptr;
    return;
  }
  addElement(QV_WORLD_RT, worldRT);
  addElement(QV_LOCAL_RT, localRT);
}

// Everything still pushed goes, the depth-0 elements included: nothing can
// read them once the state is gone.
QvState::~QvState() {
  if (stacks == nullptr) return;
  while (depth >= 1) pop();
  for (int32_t i = 0; i < QV_STACK_COUNT; ++i)
    while (stacks[i]) popElement(i);
  zmFree(stacks);
}

void QvState::push() { ++depth; }

void QvState::pop() {
  --depth;
  for (int32_t i = 0; i < QV_STACK_COUNT; ++i)
    while (stacks[i] && stacks[i]->depth > depth) popElement(i);
}

void QvState::addElement(int32_t index, QvElement* element) {
  element->depth = depth;
  element->next = stacks[index];
  stacks[index] = element;
}

void QvState::popElement(int32_t index) {
  QvElement* top = stacks[index];
  stacks[index] = top->next;
  delete top;
}

QvElement* QvState::getTopElement(int32_t index) const { return stacks[index]; }

QvNode* QvState::getTopNode(int32_t index) const {
  return stacks[index] ? stacks[index]->node : nullptr;
}

bool QvState::pushNode(int32_t index, QvNode* node) {
  QvElement* element = new (std::nothrow) QvElement;
  if (element == nullptr) return false;
  element->node = node;
  addElement(index, element);
  return true;
}

void QvState::print() const {
  const char* fn = "QvState::print";
  for (int32_t i = 0; i < QV_STACK_COUNT; ++i) {
    zmDebugPrint(fn, "\tStack [%2d] (%s):", i, kStackNames[i]);
    if (stacks[i] == nullptr) zmDebugPrint(fn, "\t\tNULL");
    for (const QvElement* e = stacks[i]; e; e = e->next) {
      if (i == QV_WORLD_RT || i == QV_LOCAL_RT) e->printRT();
      else if (i == QV_WWW_ANCHOR) e->printWWWAnchor();
      else if (i == QV_WWW_INLINE) e->printWWWInline();
      else e->print();
    }
  }
}
