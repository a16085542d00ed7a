// vrmlwrite/qvdumps.h -- how the VRML writer prints values.
//
// Owns: the writer's number texts (the fewest decimals that read back as
// the same float), the equality tests on those numbers with which node
// writers leave out defaults (exact for fields, to six decimals for the
// transforms the writer computes), node headers, enumeration words, single
// field lines and the column-aligned value lists (with the column widths
// they measure, kept in the dump's context). Everything is written through dumpPrintf
// (vrmlwrite/qvdump.h). It does not own the dump file, the indentation or
// the node writers.
//
// Every number is printed in the "C" locale, whatever the process locale.
#ifndef LUMENFOLD_VRMLWRITE_QVDUMPS_H
#define LUMENFOLD_VRMLWRITE_QVDUMPS_H

#include <cstdarg>
#include <cstdint>
#include <string>

#include "core/fields.h"
#include "core/vecmath.h"

struct ZmObj;
struct ZmLeaf;
struct ZmUrlHash;
struct DumpContext;

// The reader's double type; every number the writer prints passes through it.
typedef double QvTdouble;

// ---- Numbers ----------------------------------------------------------------

/*
 * zmDumpFloat2Double --
 *   The float as a double, exactly: a number written from it reads back as
 *   the same float.
 * Results:
 *   The converted double, also stored in *out. A null out warns
 *   "zmDumpFloat2Double(): argument pointer to QvTdouble is null." and
 *   gives 0.
 */
QvTdouble zmDumpFloat2Double(float value, QvTdouble* out);
QvTdouble dumpToDouble(float value);  // the same, for callers that only want the value
// printf into a string that grows to fit, in the "C" locale.
std::string dumpVFormat(const char* format, va_list args);
// The float in plain decimals ("0.1", "2", "-0.0003", "1.2499999"): the
// fewest that read back, as the reader reads them, as the same float.
std::string dumpFloatText(float value);
// The text of a value the writer worked out in double: that of the float the
// reader would keep of it.
std::string dumpNumberText(QvTdouble value);
int dumpIntWidth(const std::string& text);  // characters before the first '.'
int dumpDecWidth(const std::string& text);  // characters after it (0: none)

// ---- Equality ------------------------------------------------------------------

// Fields: two values are equal when the reader would keep the same float of
// each (so -0.0004 differs from 0, and 0.1f equals 0.1).
bool dumpIsNotEqual(QvTdouble a, QvTdouble b);
bool dumpIsEqualVec3f(float x, float y, float z, QvTdouble a, QvTdouble b, QvTdouble c);
// Transforms the writer works out carry the rounding of float arithmetic:
// they count as equal to six decimals, so that a level's rounding is never
// written as a transform of its own.
bool dumpIsNearVec3f(float x, float y, float z, QvTdouble a, QvTdouble b, QvTdouble c);
bool dumpIsDefaultMFFloat(const ZmMFFloat* list, QvTdouble value);
bool dumpIsDefaultMFColor(const ZmMFColor* list, QvTdouble r, QvTdouble g, QvTdouble b);
bool dumpIsDefaultMFVec2f(const ZmMFVec2f* list, QvTdouble x, QvTdouble y);
bool dumpIsDefaultMFVec3f(const ZmMFVec3f* list, QvTdouble x, QvTdouble y, QvTdouble z);
bool dumpIsNoRotation(int x, int y, int z, QvTdouble angle);  // the angle to six decimals
bool dumpIsIdentityRT(const ZmRT* rt);                        // to six decimals
bool dumpIsNoScript(ZmObj* object);
// True when no Attributes node is needed: no comment, and the flags a
// reading without one gives (a nested object is then not mobile).
bool dumpIsDefaultAttributes(ZmObj* object);
bool dumpIsNoEventHandler(ZmObj* object);
bool dumpIsNoTimeOutHandler(ZmObj* object);
bool dumpIsDefaultCone(ZmLeaf* first);
bool dumpIsDefaultCube(ZmLeaf* firstFace);
bool dumpIsDefaultCylinder(ZmLeaf* first);
bool dumpIsDefaultSphere(ZmLeaf* sphere);

// ---- Headers, words and field lines -----------------------------------------

// "DEF name Type{}" / "DEF \"my name\" Type{}" / "Type{}" (null or empty name).
void zmDumpEmptyNode(DumpContext& dump, const char* name, const char* typeName);
// The same without the closing brace; the caller raises the level.
void zmDumpNodeBegin(DumpContext& dump, const char* name, const char* typeName);
// Each writes "label WORD", or nothing with a warning for a value outside
// its table.
void zmDumpBoolean(DumpContext& dump, int32_t value, const char* label);
void zmDumpWrapType(DumpContext& dump, int32_t value, const char* label);
void zmDumpBindingType(DumpContext& dump, int32_t value, const char* label);
void zmDumpParts(DumpContext& dump, const char* label, const char* operation, int32_t parts);
void zmDumpSFFloat(DumpContext& dump, const char* label, QvTdouble value);
void zmDumpSFColor(DumpContext& dump, const float values[3], const char* label);
void zmDumpSFVec3f(DumpContext& dump, const float values[3], const char* label);

// ---- Column-aligned lists (nothing for an empty list) ------------------------

// Every value of a column shows as many decimals as the longest of them
// (zeros added) and stands right-aligned in the column's width, so the
// values read back unchanged. Three values a line, ", " between them; a list
// of several values is bracketed ("label[ a, b, c," ... "d ]") so that the
// file stays VRML 1.0.
void zmDumpMFFloat(DumpContext& dump, const ZmMFFloat* list, const char* label);
void zmDumpMFColor(DumpContext& dump, const ZmMFColor* list, const char* label);
void zmDumpMFVec2f(DumpContext& dump, const ZmMFVec2f* list, const char* label);
// With a null label the lines carry no brackets and all end with ",".
void zmDumpMFVec3f(DumpContext& dump, const ZmMFVec3f* list, const char* label);
void dumpMeasureMFFloat(DumpContext& dump, const ZmMFFloat* list);
void dumpMeasureMFColor(DumpContext& dump, const ZmMFColor* list);
void dumpMeasureMFVec2f(DumpContext& dump, const ZmMFVec2f* list);
void dumpMeasureMFVec3f(DumpContext& dump, const ZmMFVec3f* list);

// ---- URLs ---------------------------------------------------------------------

// label "file:///..." of the entry's local file; nothing for a null entry or
// an empty name; the warning "dumpAbs2UrlOfFileName(): zmGetLocalFile()
// failed." when no local file can be had.
void dumpAbs2UrlOfFileName(DumpContext& dump, ZmUrlHash* entry, const char* label);
// name "url" of the object's WWW extension (9 inline, 10 anchor), when it
// has a non-empty URL.
void zmDumpWWWName(DumpContext& dump, ZmObj* object, int kind);
// The same for an inline, whose relative name is written as the URL of the
// file it was read from: the written world may be put in another folder
// than the world read, and its inline must still be found.
void dumpInlineName(DumpContext& dump, ZmObj* object);

#endif
