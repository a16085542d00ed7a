// vrmlwrite/qvdumps.cpp -- number texts, default tests, headers, words,
// field lines and aligned lists of the VRML writer.
#include "vrmlwrite/qvdumps.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/clocale.h"
#include "core/event.h"
#include "vrmlwrite/hooks.h"
#include "core/leaf.h"
#include "core/object.h"
#include "core/report.h"
#include "core/world.h"
#include "vrml/qvstring.h"
#include "vrmlwrite/qvdump.h"

std::string dumpVFormat(const char* format, va_list args) {
  ZmCLocaleScope cLocale;
  va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(nullptr, 0, format, again);
  va_end(again);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
  return text;
}

namespace {

void resetColumn(DumpContext& dump, int column) { dump.columns[column] = {0, 0}; }

void measureValue(DumpContext& dump, int column, float value) {
  std::string text = dumpFloatText(value);
  if (dumpIntWidth(text) > dump.columns[column].intWidth) dump.columns[column].intWidth = dumpIntWidth(text);
  if (dumpDecWidth(text) > dump.columns[column].decWidth) dump.columns[column].decWidth = dumpDecWidth(text);
}

// The characters a value of the column takes: its whole part, the point
// and its decimals.
int columnWidth(DumpContext& dump, int column) {
  const DumpColumn& c = dump.columns[column];
  return c.decWidth > 0 ? c.intWidth + c.decWidth + 1 : c.intWidth;
}

// The value with the column's decimals (zeros added to its own), right-
// aligned in the column's width: the layout of "%W.Pf", without the
// rounding that would change the value.
std::string columnText(DumpContext& dump, int column, float value) {
  std::string text = dumpFloatText(value);
  const int decimals = dump.columns[column].decWidth;
  if (decimals > 0 && dumpDecWidth(text) == 0) text += '.';
  text.append(static_cast<size_t>(decimals - dumpDecWidth(text)), '0');
  const int width = columnWidth(dump, column);
  if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<size_t>(width) - text.size(), ' ');
  return text;
}

// Lists written after a bracket keep one blank after it.
void keepBlankAfterBracket(DumpContext& dump, float firstX) {
  if (columnText(dump, 0, firstX)[0] != ' ') dump.columns[0].intWidth += 1;
}

bool sameFloat(float value, QvTdouble expected) { return !dumpIsNotEqual(value, expected); }

// The comparison of the transforms the writer works out: equal to six
// decimals, whatever the sign of a difference below that.
bool nearFloat(float value, QvTdouble expected) { return std::fabs(value - expected) < 5e-7; }

// Whether the reader, which takes a number as a double and keeps a float,
// gets `value` back from the text.
bool readsBackAs(const std::string& text, float value) {
  double read = 0.0;
  const char* end = text.data() + text.size();
  return std::from_chars(text.data(), end, read).ptr == end && static_cast<float>(read) == value;
}

bool hasBlankOrTab(const char* name) { return std::strpbrk(name, " \t") != nullptr; }

// Writes the lines of a bracketed list: first line label + open + item 0,
// continuation lines indented to the open bracket's end, "," between lines
// and close after the last.
template <typename ItemText>
void dumpBracketedLines(DumpContext& dump, int32_t count, const char* label, const char* open, const char* close,
                        const char* lineEnd, ItemText itemText) {
  std::string lead = std::string(label) + open;
  std::string blanks(lead.size(), ' ');
  for (int32_t i = 0; i < count; i++) {
    const char* end = i + 1 < count ? lineEnd : close;
    dumpPrintf(dump, "%s%s%s", i == 0 ? lead.c_str() : blanks.c_str(), itemText(i).c_str(), end);
  }
}

const char* const bindingWords[] = {"DEFAULT",  "OVERALL",          "PER_PART",   "PER_PART_INDEXED",
                                    "PER_FACE", "PER_FACE_INDEXED", "PER_VERTEX", "PER_VERTEX_INDEXED"};

}  // namespace

// ---- Numbers ----------------------------------------------------------------

QvTdouble zmDumpFloat2Double(float value, QvTdouble* out) {
  if (out == nullptr) {
    zmReportWarning("zmDumpFloat2Double(): argument pointer to QvTdouble is null.");
    return 0.0;
  }
  // Exactly, not rounded to seven digits: a float may need nine to come
  // back as itself, and the writer prints it with all it needs.
  *out = static_cast<QvTdouble>(value);
  return *out;
}

QvTdouble dumpToDouble(float value) {
  QvTdouble converted = 0.0;
  return zmDumpFloat2Double(value, &converted);
}

std::string dumpFloatText(float value) {
  char buffer[128];
  const std::to_chars_result shortest =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  std::string text(buffer, shortest.ptr);
  // The fewest decimals that give the float back read as a float; read as
  // a double and then kept as a float, a text at the edge between two
  // floats may need one more.
  for (int decimals = dumpDecWidth(text) + 1; !readsBackAs(text, value) && decimals <= 60; ++decimals) {
    const std::to_chars_result longer =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    text.assign(buffer, longer.ptr);
  }
  return text;
}

std::string dumpNumberText(QvTdouble value) { return dumpFloatText(static_cast<float>(value)); }

int dumpIntWidth(const std::string& text) {
  size_t point = text.find('.');
  return static_cast<int>(point == std::string::npos ? text.size() : point);
}

int dumpDecWidth(const std::string& text) {
  size_t point = text.find('.');
  return point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
}

// ---- Equality ------------------------------------------------------------------

bool dumpIsNotEqual(QvTdouble a, QvTdouble b) {
  // As the texts written: -0.0004 differs from 0, and so does -0, each
  // reading back as itself.
  return dumpNumberText(a) != dumpNumberText(b);
}

bool dumpIsEqualVec3f(float x, float y, float z, QvTdouble a, QvTdouble b, QvTdouble c) {
  return sameFloat(x, a) && sameFloat(y, b) && sameFloat(z, c);
}

bool dumpIsNearVec3f(float x, float y, float z, QvTdouble a, QvTdouble b, QvTdouble c) {
  return nearFloat(x, a) && nearFloat(y, b) && nearFloat(z, c);
}

bool dumpIsDefaultMFFloat(const ZmMFFloat* list, QvTdouble value) {
  return list->count == 1 && sameFloat(list->values[0], value);
}

bool dumpIsDefaultMFColor(const ZmMFColor* list, QvTdouble r, QvTdouble g, QvTdouble b) {
  if (list->count != 1) return false;
  const ZmSFColor& c = list->values[0];
  return dumpIsEqualVec3f(c.r, c.g, c.b, r, g, b);
}

bool dumpIsDefaultMFVec2f(const ZmMFVec2f* list, QvTdouble x, QvTdouble y) {
  return list->count == 1 && sameFloat(list->values[0].x, x) && sameFloat(list->values[0].y, y);
}

bool dumpIsDefaultMFVec3f(const ZmMFVec3f* list, QvTdouble x, QvTdouble y, QvTdouble z) {
  if (list->count != 1) return false;
  const ZmVec3& v = list->values[0];
  return dumpIsEqualVec3f(v.x, v.y, v.z, x, y, z);
}

bool dumpIsNoRotation(int x, int y, int z, QvTdouble angle) {
  return x == 0 && y == 0 && z == 0 && nearFloat(static_cast<float>(angle), 0.0);
}

bool dumpIsIdentityRT(const ZmRT* rt) {
  static const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  for (int i = 0; i < 9; i++)
    if (!nearFloat(rt->m[i], identity[i])) return false;
  return dumpIsNearVec3f(rt->t.x, rt->t.y, rt->t.z, 0, 0, 0);
}

bool dumpIsNoScript(ZmObj* object) { return zmGetObjExtension(object, zmScriptNode) == 0; }

bool dumpIsDefaultAttributes(ZmObj* object) {
  const char* comment = object->comment[3];
  const uint32_t all = ZM_OBJ_VISIBLE | ZM_OBJ_GRASP | ZM_OBJ_SOLID | ZM_OBJ_COLLISION | ZM_OBJ_MOBILE;
  // A nested object read without an Attributes node is not mobile, and any
  // Attributes node would make it mobile unless it says otherwise.
  const uint32_t wanted = object->parent != nullptr ? all & ~ZM_OBJ_MOBILE : all;
  return (comment == nullptr || comment[0] == '\0') && (object->obj_flags & all) == wanted;
}

bool dumpIsNoEventHandler(ZmObj* object) { return object->eventHandlers == nullptr; }

bool dumpIsNoTimeOutHandler(ZmObj* object) {
  return object->world != nullptr && object->world->timeOutQueue == nullptr;
}

bool dumpIsDefaultCone(ZmLeaf* first) {
  if (first->next == nullptr) return false;
  float radius, height;
  if (first->kind == ZM_LEAF_CONE_SIDE) {
    radius = static_cast<ZmConeSide*>(first)->bottom_radius;
    height = static_cast<ZmConeSide*>(first)->height;
  } else {
    radius = static_cast<ZmCircle*>(first)->radius;
    height = static_cast<ZmCircle*>(first)->height;
  }
  return sameFloat(radius, 1.0) && sameFloat(height, 2.0);
}

bool dumpIsDefaultCube(ZmLeaf* firstFace) {
  const ZmMFVec3f& points = static_cast<ZmFace*>(firstFace)->vertex;
  if (points.count < 3) return false;
  const ZmVec3& corner = points.values[2];
  auto twice = [](float half) { return 2.0 * dumpToDouble(half); };
  return !dumpIsNotEqual(twice(corner.x), 2.0) && !dumpIsNotEqual(twice(corner.y), 2.0) &&
         !dumpIsNotEqual(twice(corner.z), 2.0);
}

bool dumpIsDefaultCylinder(ZmLeaf* first) {
  auto defaultSize = [](float radius, float height) {
    return sameFloat(radius, 1.0) && sameFloat(height, 2.0);
  };
  switch (first->kind) {
    case ZM_LEAF_CYLINDER_SIDE: {
      auto* side = static_cast<ZmCylinderSide*>(first);
      return first->next != nullptr && first->next->next != nullptr &&
             defaultSize(side->bottom_radius, side->height);
    }
    case ZM_LEAF_CYLINDER_TOP:
    case ZM_LEAF_CYLINDER_BOTTOM: {
      int32_t otherCap = first->kind == ZM_LEAF_CYLINDER_TOP ? ZM_LEAF_CYLINDER_BOTTOM : ZM_LEAF_CYLINDER_TOP;
      if (first->next == nullptr || first->next->kind == otherCap) return false;
      auto* cap = static_cast<ZmCircle*>(first);
      return defaultSize(cap->radius, cap->height);
    }
    default:
      return true;
  }
}

bool dumpIsDefaultSphere(ZmLeaf* sphere) {
  return sameFloat(static_cast<ZmSphere*>(sphere)->radius, 1.0);
}

// ---- Headers, words and field lines -----------------------------------------

void zmDumpEmptyNode(DumpContext& dump, const char* name, const char* typeName) {
  if (name == nullptr || name[0] == '\0')
    dumpPrintf(dump, "%s{}", typeName);
  else if (hasBlankOrTab(name))
    dumpPrintf(dump, "DEF \"%s\" %s{}", name, typeName);
  else
    dumpPrintf(dump, "DEF %s %s{}", name, typeName);
}

void zmDumpNodeBegin(DumpContext& dump, const char* name, const char* typeName) {
  if (name == nullptr || name[0] == '\0')
    dumpPrintf(dump, "%s{", typeName);
  else if (hasBlankOrTab(name))
    dumpPrintf(dump, "DEF \"%s\" %s{", name, typeName);
  else
    dumpPrintf(dump, "DEF %s %s{", name, typeName);
}

void zmDumpBoolean(DumpContext& dump, int32_t value, const char* label) {
  if (value == 0)
    dumpPrintf(dump, "%sFALSE", label);
  else if (value == 1)
    dumpPrintf(dump, "%sTRUE", label);
  else
    zmReportWarning("zmDumpBoolean() : invalid value.");
}

void zmDumpWrapType(DumpContext& dump, int32_t value, const char* label) {
  if (value == 0)
    dumpPrintf(dump, "%sREPEAT", label);
  else if (value == 1)
    dumpPrintf(dump, "%sCLAMP", label);
  else
    zmReportWarning("zmDumpWrapType() : invalid wrap type.");
}

void zmDumpBindingType(DumpContext& dump, int32_t value, const char* label) {
  if (value < 0 || value > 7) {
    zmReportWarning("zmDumpBindingType() : invalid binding type.");
    return;
  }
  dumpPrintf(dump, "%s  %s", label, bindingWords[value]);
}

void zmDumpParts(DumpContext& dump, const char* label, const char* operation, int32_t parts) {
  const char* word = parts == ZM_PARTS_ALL      ? "ALL"
                     : parts == ZM_PARTS_SIDES  ? "SIDES"
                     : parts == ZM_PARTS_TOP    ? "TOP"
                     : parts == ZM_PARTS_BOTTOM ? "BOTTOM"
                                                : nullptr;
  if (word == nullptr) {
    zmReportWarning("%s() : invalid parts.", operation);
    return;
  }
  dumpPrintf(dump, "%s%s", label, word);
}

void zmDumpSFFloat(DumpContext& dump, const char* label, QvTdouble value) {
  dumpPrintf(dump, "%s%s", label, dumpNumberText(value).c_str());
}

void zmDumpSFColor(DumpContext& dump, const float values[3], const char* label) { zmDumpSFVec3f(dump, values, label); }

void zmDumpSFVec3f(DumpContext& dump, const float values[3], const char* label) {
  dumpPrintf(dump, "%s%s %s %s", label, dumpFloatText(values[0]).c_str(), dumpFloatText(values[1]).c_str(),
             dumpFloatText(values[2]).c_str());
}

// ---- Column-aligned lists ----------------------------------------------------

void dumpMeasureMFFloat(DumpContext& dump, const ZmMFFloat* list) {
  for (int column = 0; column < 3 && column < list->count; column++) resetColumn(dump, column);
  for (int32_t i = 0; i < list->count; i++) measureValue(dump, i % 3, list->values[i]);
}

void dumpMeasureMFColor(DumpContext& dump, const ZmMFColor* list) {
  for (int column = 0; column < 3; column++) resetColumn(dump, column);
  for (int32_t i = 0; i < list->count; i++) {
    measureValue(dump, 0, list->values[i].r);
    measureValue(dump, 1, list->values[i].g);
    measureValue(dump, 2, list->values[i].b);
  }
}

void dumpMeasureMFVec2f(DumpContext& dump, const ZmMFVec2f* list) {
  for (int column = 0; column < 2; column++) resetColumn(dump, column);
  for (int32_t i = 0; i < list->count; i++) {
    measureValue(dump, 0, list->values[i].x);
    measureValue(dump, 1, list->values[i].y);
  }
}

void dumpMeasureMFVec3f(DumpContext& dump, const ZmMFVec3f* list) {
  for (int column = 0; column < 3; column++) resetColumn(dump, column);
  for (int32_t i = 0; i < list->count; i++) {
    measureValue(dump, 0, list->values[i].x);
    measureValue(dump, 1, list->values[i].y);
    measureValue(dump, 2, list->values[i].z);
  }
}

void zmDumpMFFloat(DumpContext& dump, const ZmMFFloat* list, const char* label) {
  if (list->count <= 0) return;
  dumpMeasureMFFloat(dump, list);
  if (list->count == 1) {
    dumpPrintf(dump, "%s%s", label, columnText(dump, 0, list->values[0]).c_str());
    return;
  }
  int32_t lines = (list->count + 2) / 3;
  dumpBracketedLines(dump, lines, label, "[ ", " ]", ",", [&](int32_t line) {
    std::string text;
    for (int32_t i = line * 3; i < list->count && i < line * 3 + 3; i++) {
      if (i > line * 3) text += ", ";
      text += columnText(dump, i % 3, list->values[i]);
    }
    return text;
  });
}

void zmDumpMFColor(DumpContext& dump, const ZmMFColor* list, const char* label) {
  if (list->count <= 0) return;
  dumpMeasureMFColor(dump, list);
  dumpBracketedLines(dump, list->count, label, "[ ", " ]", ",", [&](int32_t i) {
    const ZmSFColor& c = list->values[i];
    return columnText(dump, 0, c.r) + " " + columnText(dump, 1, c.g) + " " + columnText(dump, 2, c.b);
  });
}

void zmDumpMFVec2f(DumpContext& dump, const ZmMFVec2f* list, const char* label) {
  if (list->count <= 0) return;
  dumpMeasureMFVec2f(dump, list);
  keepBlankAfterBracket(dump, list->values[0].x);
  dumpBracketedLines(dump, list->count, label, " [", " ]", ",", [&](int32_t i) {
    return columnText(dump, 0, list->values[i].x) + " " + columnText(dump, 1, list->values[i].y);
  });
}

void zmDumpMFVec3f(DumpContext& dump, const ZmMFVec3f* list, const char* label) {
  if (list->count <= 0) return;
  dumpMeasureMFVec3f(dump, list);
  keepBlankAfterBracket(dump, list->values[0].x);
  auto itemText = [&](int32_t i) {
    const ZmVec3& v = list->values[i];
    return columnText(dump, 0, v.x) + " " + columnText(dump, 1, v.y) + " " + columnText(dump, 2, v.z);
  };
  if (label == nullptr)
    dumpBracketedLines(dump, list->count, "", "", ",", ",", itemText);
  else
    dumpBracketedLines(dump, list->count, label, " [", " ]", ",", itemText);
}

// ---- URLs ----------------------------------------------------------------------

void dumpAbs2UrlOfFileName(DumpContext& dump, ZmUrlHash* entry, const char* label) {
  if (entry == nullptr) return;
  const char* local = vrmlLoading().getLocalFile(entry);
  if (local == nullptr) {
    zmReportWarning("dumpAbs2UrlOfFileName(): zmGetLocalFile() failed.");
    return;
  }
  if (local[0] == '\0') return;
  dumpPrintf(dump, "%s\"%s\"", label, qvFAbs2UrlOfFileName(local));
}

void dumpInlineName(DumpContext& dump, ZmObj* object) {
  const char* url = nullptr;
  if (writerLoading().getUrlNameOfWWW(object, zmWWWInline, &url) != 0 || url == nullptr || url[0] == '\0') return;
  const char* colon = std::strchr(url, ':');
  const bool relative = colon == nullptr || std::strcspn(url, "/\\") < static_cast<size_t>(colon - url);
  auto* entry = reinterpret_cast<ZmUrlHash*>(zmGetObjExtension(object, zmWWWInline));
  const char* local = relative && entry != nullptr ? vrmlLoading().getLocalFile(entry) : nullptr;
  if (local != nullptr && local[0] != '\0')
    dumpPrintf(dump, "name \"%s\"", qvFAbs2UrlOfFileName(local));
  else
    dumpPrintf(dump, "name \"%s\"", url);
}

void zmDumpWWWName(DumpContext& dump, ZmObj* object, int kind) {
  const char* url = nullptr;
  int result = writerLoading().getUrlNameOfWWW(object, kind, &url);
  if (result == 0 && url != nullptr && url[0] != '\0') dumpPrintf(dump, "name \"%s\"", url);
}
