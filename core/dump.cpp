// core/dump.cpp -- debug dumps of scene objects; see dump.h.
#include "core/dump.h"

#include <cstdarg>
#include <cstdio>

#include "core/clocale.h"
#include "core/event.h"
#include "core/leaf.h"
#include "core/object.h"
#include "core/objvalue.h"
#include "core/report.h"
#include "core/world.h"

namespace {

constexpr int kTclScript = 1;  // the script type of a procedure of the embedded Tcl interpreter

void appendf(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));
void appendf(std::string& text, const char* format, ...) {
  ZmCLocaleScope cLocale;
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (length > 0) {
    const size_t start = text.size();
    text.resize(start + static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data() + start, static_cast<size_t>(length) + 1, format, again);
    text.resize(start + static_cast<size_t>(length));
  }
  va_end(again);
}

const void* address(const void* p) { return p; }

void appendVec3(std::string& text, const char* label, const ZmVec3& v) {
  appendf(text, "%s = (%f, %f, %f)\n", label, v.x, v.y, v.z);
}

void appendFunction(std::string& text, int32_t scriptType, const void* function) {
  if (scriptType == kTclScript) {
    appendf(text, "  function = (Tcl) %s\n", static_cast<const char*>(function));
  } else {
    text += "  script type = unsupported??\n";
  }
}

void appendUserData(std::string& text, const char* userData) {
  if (userData != nullptr) {
    appendf(text, "  user data = %s\n", userData);
  } else {
    text += "  user data = null\n";
  }
}

// The child number a Switch extension holds: Switch and LOD objects keep it
// in an owned word, others in the data word itself.
int switchNumber(const ZmObj* owner, intptr_t data) {
  const bool keepsWord = owner->vrmlType == ZM_VRML_SWITCH || owner->vrmlType == ZM_VRML_LOD;
  if (keepsWord) return data != 0 ? *reinterpret_cast<const int32_t*>(data) : 0;
  return static_cast<int>(data);
}

// Sends a long text to the notify window in chunks the reporter can hold,
// cut after a newline where one falls inside the chunk.
int warnInChunks(const std::string& text) {
  constexpr size_t kChunk = ZM_REPORT_BUFFER - 1;
  int result = 0;
  size_t start = 0;
  do {
    size_t length = text.size() - start;
    if (length > kChunk) {
      const size_t newline = text.rfind('\n', start + kChunk - 1);
      length = (newline != std::string::npos && newline >= start) ? newline + 1 - start : kChunk;
    }
    result = zmReportWarning("%s", text.substr(start, length).c_str());
    start += length;
  } while (start < text.size());
  return result;
}

int deliver(const char* fileName, const std::string& text, const char* who) {
  if (fileName == nullptr) return warnInChunks(text);
  FILE* file = std::fopen(fileName, "a");
  if (file == nullptr) {
    zmReportWarning("%s : can not open '%s'.", who, fileName);
    return -1;
  }
  std::fprintf(file, "%s", text.c_str());
  return std::fclose(file);
}

}  // namespace

void zmDumpConeSide(std::string& text, ZmConeSide* side) {
  appendf(text, "<pConeSide = %p>\n", address(side));
  appendf(text, "bottom_radius = %f\n", side->bottom_radius);
  appendf(text, "height = %f\n", side->height);
  appendf(text, "rendering = %p\n", side->rendering);
}

void zmDumpCircle(std::string& text, ZmCircle* circle) {
  appendf(text, "<pCircle = %p>\n", address(circle));
  appendf(text, "radius = %f\n", circle->radius);
  appendf(text, "rendering = %p\n", circle->rendering);
}

void zmDumpFace(std::string& text, ZmFace* face) {
  appendf(text, "<pFace = %p>\n", address(face));
  appendf(text, "&normal = %p\n", address(&face->normal));
  appendf(text, "&orthogonal_normal_valid = %p\n", address(&face->orthogonal_normal_valid));
  appendf(text, "&face_type = %p\n", address(&face->face_type));
  appendf(text, "&vertex = %p\n", address(&face->vertex));
  for (int32_t i = 0; i < face->vertex.count; ++i) {
    const ZmVec3& v = face->vertex.values[i];
    appendf(text, "vertex[%d] = (%f, %f, %f)\n", i, v.x, v.y, v.z);
  }
}

void zmDumpLeaf(std::string& text, ZmLeaf* leaf) {
  switch (leaf->kind) {
    case ZM_LEAF_CONE_SIDE: zmDumpConeSide(text, static_cast<ZmConeSide*>(leaf)); break;
    case ZM_LEAF_CONE_BOTTOM:
    case ZM_LEAF_CYLINDER_BOTTOM:
    case ZM_LEAF_CYLINDER_TOP:
    case ZM_LEAF_DISC: zmDumpCircle(text, static_cast<ZmCircle*>(leaf)); break;
    case ZM_LEAF_FACE: zmDumpFace(text, static_cast<ZmFace*>(leaf)); break;
    default: text += "<a ZmLeaf .... (dump routine does not support yet)>\n"; break;
  }
}

void zmDumpObjectValues(std::string& text, ZmObjValue* first) {
  for (ZmObjValue* value = first; value != nullptr; value = value->next) {
    if (value->type == ZM_VALUE_STRING) {
      appendf(text, "    %s : %s\n", value->name, value->value ? static_cast<const char*>(value->value) : "");
    } else {
      text += "    unsupported value type!!!\n";
    }
  }
}

void zmDumpExtensions(std::string& text, const ZmObj* owner, ZmObjExtension* first) {
  for (ZmObjExtension* extension = first; extension != nullptr; extension = extension->next) {
    const void* data = reinterpret_cast<const void*>(extension->data);
    switch (extension->type) {
      case zmKinemationBody: appendf(text, "  zmKinemationBody = %p\n", data); break;
      case zmKinemationSegment: appendf(text, "  zmKinemationSegment = %p\n", data); break;
      case zmKinemationPosition: appendf(text, "  zmKinemationPosition = %p\n", data); break;
      case zmRenderBoundingBox: appendf(text, "  zmRenderBoundingBox = %p\n", data); break;
      case zmSwitchWhichChild:
        appendf(text, "  zmSwitchWhichChild = %d\n", switchNumber(owner, extension->data));
        break;
      case zmAuthInfoId: appendf(text, "  zmAuthInfoId = %p\n", data); break;
      case zmScriptNode: appendf(text, "  zmScriptNode = %p\n", data); break;
      case zmObjectValue:
        text += "  zmObjectValue:\n";
        zmDumpObjectValues(text, reinterpret_cast<ZmObjValue*>(extension->data));
        break;
      case zmLODNode: appendf(text, "  zmLODNode = %d\n", static_cast<int>(extension->data)); break;
      default: text += "  undefined extension type!!!\n"; break;
    }
  }
}

void zmDumpEventHandlers(std::string& text, ZmEventHandler* first) {
  for (ZmEventHandler* handler = first; handler != nullptr; handler = handler->next) {
    appendFunction(text, handler->scriptType, handler->function);
    appendf(text, "  event type = %x\n", handler->eventMask);
    appendUserData(text, handler->userData);
  }
}

void zmDumpTimeOutHandlers(std::string& text, ZmObj* object, ZmTimeOutHandlerList* first) {
  for (ZmTimeOutHandlerList* entry = first; entry != nullptr; entry = entry->next) {
    if (entry->object != object) continue;
    appendFunction(text, entry->scriptType, entry->function);
    appendUserData(text, entry->userData);
    appendf(text, "  expire = %d sec %d milli_sec\n", static_cast<int>(entry->dueSec),
            static_cast<int>(entry->dueMsec));
    appendf(text, "  cycle = %d\n", static_cast<int>(entry->interval));
    switch (entry->taskType) {
      case 0: text += "  task type = sporadic\n"; break;
      case 1: text += "  task type = periodic\n"; break;
      default: text += "  task type = undefined\n"; break;
    }
  }
}

std::string zmDumpZmObj(ZmObj* object) {
  std::string text;
  appendf(text, "<pZmObj = %p>\n", address(object));
  appendf(text, "id = %d\n", object->id);
  appendf(text, "world = %p\n", address(object->world));
  appendf(text, "parent = %p\n", address(object->parent));
  appendf(text, "child = %p\n", address(object->child));
  text += "event handlers:\n";
  zmDumpEventHandlers(text, object->eventHandlers);
  for (int i = 0; i < 4; ++i) {
    if (object->comment[i] != nullptr) {
      appendf(text, "comment[%d] = '%s'\n", i, object->comment[i]);
    } else {
      appendf(text, "comment[%d] = null\n", i);
    }
  }
  const ZmBoundingCube& cube = object->boundingCube;
  appendVec3(text, "boundingCube.local_min", cube.local_min);
  appendVec3(text, "boundingCube.local_max", cube.local_max);
  appendVec3(text, "boundingCube.p_local_min", cube.p_local_min);
  appendVec3(text, "boundingCube.p_local_max", cube.p_local_max);
  text += "extensions:\n";
  zmDumpExtensions(text, object, object->extensions);
  appendf(text, "obj_flags = %x\n", object->obj_flags);
  appendf(text, "rendering = %p\n", object->rendering);
  text += "timeout handlers:\n";
  if (object->world != nullptr) zmDumpTimeOutHandlers(text, object, object->world->timeOutQueue);
  for (ZmLeaf* leaf = object->leaf; leaf != nullptr; leaf = leaf->next) zmDumpLeaf(text, leaf);
  return text;
}

int zmDebugDumpMessage(const char* fileName, const char* text) {
  return deliver(fileName, text ? text : "", "zmDebugDumpMessage");
}

int zmDebugDumpZmObj(const char* fileName, ZmObj* object) {
  return deliver(fileName, zmDumpZmObj(object), "zmDebugDumpZmObj");
}
