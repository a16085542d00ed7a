// engine/damage.cpp -- damaged-rectangle lists.
#include "engine/damage.h"

#include <algorithm>

#include "engine/error.h"
#include "engine/pool.h"
#include "engine/poolrecords.h"

namespace {

struct Box {
  int32_t left, top, right, bottom;  // right and bottom exclusive
};

Box boxOf(const RwRect& rect) { return {rect.x, rect.y, rect.x + rect.width, rect.y + rect.height}; }
Box boxOf(const RwDamagedRect& record) {
  return {record.x, record.y, record.x + record.width, record.y + record.height};
}

void store(RwDamagedRect& record, const Box& box) {
  record.x = box.left;
  record.y = box.top;
  record.width = box.right - box.left;
  record.height = box.bottom - box.top;
}

// Touching edges count as disjoint.
bool disjoint(const Box& a, const Box& b) {
  return b.right <= a.left || b.bottom <= a.top || b.left >= a.right || b.top >= a.bottom;
}

bool inside(const Box& inner, const Box& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// The parts of x outside y, in order: above, below, then left and right of
// what remains between them.
struct Parts {
  Box boxes[4];
  int count = 0;
};

Parts cut(const Box& x, const Box& y) {
  Parts parts;
  if (x.top < y.top) parts.boxes[parts.count++] = {x.left, x.top, x.right, y.top};
  if (x.bottom > y.bottom) parts.boxes[parts.count++] = {x.left, y.bottom, x.right, x.bottom};
  int32_t top = std::max(x.top, y.top);
  int32_t bottom = std::min(x.bottom, y.bottom);
  if (x.left < y.left) parts.boxes[parts.count++] = {x.left, top, y.left, bottom};
  if (x.right > y.right) parts.boxes[parts.count++] = {y.right, top, x.right, bottom};
  return parts;
}

RwDamagedRect* add(RwDamagedRect* list, const Box& box) {
  if (box.right - box.left < 1 || box.bottom - box.top < 1) return list;
  if (!list) {
    auto* record = static_cast<RwDamagedRect*>(RwAllocRecord(rwPoolRecords().damagedRects));
    if (!record) return nullptr;  // error 3 is set; the rectangle is dropped
    record->next = nullptr;
    store(*record, box);
    return record;
  }
  Box listed = boxOf(*list);
  if (disjoint(listed, box)) {
    list->next = add(list->next, box);
    return list;
  }
  if (inside(box, listed)) return list;
  if (inside(listed, box)) {
    RwDamagedRect* rest = list->next;
    RwFreeRecord(rwPoolRecords().damagedRects, list);
    return add(rest, box);
  }
  Parts outside = cut(box, listed);
  if (outside.count == 3) {
    // The new rectangle crosses a whole side: trim the listed one instead.
    store(*list, cut(listed, box).boxes[0]);
    list->next = add(list->next, box);
    return list;
  }
  for (int i = 0; i < outside.count; ++i) list->next = add(list->next, outside.boxes[i]);
  return list;
}

}  // namespace

RwDamagedRect* RwAddDamagedRect(RwDamagedRect* list, const RwRect* rect) {
  if (!rect) {
    RwSetError(rwErrInvalidArgument);
    return list;
  }
  return add(list, boxOf(*rect));
}

RwDamagedRect* RwFreeDamagedRects(RwDamagedRect* list) {
  RwPool* pool = rwPoolRecords().damagedRects;
  while (list) {
    RwDamagedRect* next = list->next;
    RwFreeRecord(pool, list);
    list = next;
  }
  return nullptr;
}

int RwOpenDamagedRectModule() {
  RwPool*& pool = rwPoolRecords().damagedRects;
  pool = RwCreatePool("metarectlist", sizeof(RwDamagedRect));
  if (!pool) RwSetError(rwErrOutOfMemory);
  return pool ? 1 : 0;
}

int RwCloseDamagedRectModule() {
  RwPool*& pool = rwPoolRecords().damagedRects;
  RwDestroyPool(pool);
  pool = nullptr;
  return 1;
}
