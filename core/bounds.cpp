// core/bounds.cpp -- bounding-cube validity marks; see bounds.h.
#include "core/bounds.h"

#include "core/object.h"

void zmInvalidateBoundingCube(ZmObj* obj) {
  if ((obj->obj_flags & ZM_OBJ_PARENT_CUBE_VALID) == 0) return;
  obj->obj_flags &= ~ZM_OBJ_PARENT_CUBE_VALID;
  if (obj->parent != nullptr) zmInvalidateBoundingCubeUp(obj->parent);
}

void zmInvalidateBoundingCubeUp(ZmObj* obj) {
  while (obj != nullptr && (obj->obj_flags & ZM_OBJ_LOCAL_CUBE_VALID) != 0) {
    obj->obj_flags &= ~ZM_OBJ_LOCAL_CUBE_VALID;
    if ((obj->obj_flags & ZM_OBJ_PARENT_CUBE_VALID) == 0) return;
    obj->obj_flags &= ~ZM_OBJ_PARENT_CUBE_VALID;
    obj = obj->parent;
  }
}

void zmResetBoundingCube(ZmObj* obj) { zmInvalidateBoundingCubeUp(obj); }
