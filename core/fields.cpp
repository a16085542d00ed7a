// core/fields.cpp -- typed arrays that hold field values.
//
// The five numeric multi-valued types share one set of templates; each
// public function only names its type and the texts it reports with.
#include "core/fields.h"

#include <cstddef>
#include <type_traits>

#include "core/memory.h"
#include "core/report.h"

namespace {

// A zero-filled array of n elements, or null: silently for n < 1, with the
// allocation message naming `function` and `type` when memory runs out.
void* newArray(int32_t n, size_t elementSize, const char* function, const char* type) {
  if (n < 1) return nullptr;
  void* array = zmMalloc(size_t(n) * elementSize);
  if (array == nullptr) zmReportMessage("%s: cannot allocate memory for %s.", function, type);
  return array;
}

template <typename Element>
Element* newSingleValued(int32_t n, const char* function, const char* type) {
  return static_cast<Element*>(newArray(n, sizeof(Element), function, type));
}

// The texts one multi-valued type reports with.
struct MultiNames {
  const char* newRecord;   // "zmGFnewMFColor"
  const char* recordType;  // "ZmMFColor"
  const char* newValues;   // "zmGFnewSFColor"
  const char* valueType;   // "ZmSFColor"
  const char* copy;        // "zmGFcopyMFColor"
  const char* newCopy;     // "zmGFnewCopyMFColor"
};

constexpr MultiNames kColorNames = {"zmGFnewMFColor", "ZmMFColor", "zmGFnewSFColor",
                                    "ZmSFColor",      "zmGFcopyMFColor", "zmGFnewCopyMFColor"};
constexpr MultiNames kFloatNames = {"zmGFnewMFFloat", "ZmMFFloat", "zmGFnewSFFloat",
                                    "ZmSFFloat",      "zmGFcopyMFFloat", "zmGFnewCopyMFFloat"};
constexpr MultiNames kInt32Names = {"zmGFnewMFInt32", "ZmMFInt32", "zmGFnewSFInt32",
                                    "ZmSFInt32",      "zmGFcopyMFInt32", "zmGFnewCopyMFInt32"};
constexpr MultiNames kVec2fNames = {"zmGFnewMFVec2f", "ZmMFVec2f", "zmGFnewSFVec2f",
                                    "ZmSFVec2f",      "zmGFcopyMFVec2f", "zmGFnewCopyMFVec2f"};
constexpr MultiNames kVec3fNames = {"zmGFnewMFVec3f", "ZmMFVec3f", "zmGFnewSFVec3f",
                                    "ZmSFVec3f",      "zmGFcopyMFVec3f", "zmGFnewCopyMFVec3f"};

template <typename Record>
using ElementOf = std::remove_pointer_t<decltype(Record::values)>;

template <typename Record>
void initRecord(Record* record) {
  if (record == nullptr) return;
  record->count = 0;
  record->values = nullptr;
}

template <typename Record>
void clearRecord(Record* record) {
  if (record == nullptr) return;
  zmFree(record->values);
  initRecord(record);
}

template <typename Record>
void deleteRecord(Record* record) {
  clearRecord(record);
  zmFree(record);
}

// A record that failed to get its values is freed rather than handed out
// with a count its (missing) array cannot back.
template <typename Record>
Record* newRecord(int32_t n, const MultiNames& names) {
  auto* record = static_cast<Record*>(zmMalloc(sizeof(Record)));
  if (record == nullptr) {
    zmReportMessage("%s: cannot allocate memory for %s.", names.newRecord, names.recordType);
    return nullptr;
  }
  if (n < 1) return record;
  record->values = newSingleValued<ElementOf<Record>>(n, names.newValues, names.valueType);
  if (record->values == nullptr) {
    zmFree(record);
    return nullptr;
  }
  record->count = n;
  return record;
}

template <typename Element>
void copyElements(const Element* from, int32_t n, Element* to) {
  for (int32_t i = 0; i < n; ++i) to[i] = from[i];
}

template <typename Record>
int copyRecord(Record* target, const Record* source, const MultiNames& names) {
  if (target == nullptr || source == nullptr) {
    zmReportWarning("%s: Invalid argument.", names.copy);
    return -1;
  }
  if (source->count <= 0 || source->values == nullptr) {
    zmReportWarning("%s: Invalid argument's pSrc.", names.copy);
    return -1;
  }
  using Element = ElementOf<Record>;
  if (source->count > target->count || target->values == nullptr) {
    // zmRealloc keeps the old block when it fails, so the target stays whole.
    void* grown = zmRealloc(target->values, size_t(source->count) * sizeof(Element));
    if (grown == nullptr) return -1;
    target->values = static_cast<Element*>(grown);
  } else {
    // The target's array may be shared with other records (zmShareBlock).
    void* own = zmOwnBlock(target->values);
    if (own == nullptr) return -1;
    target->values = static_cast<Element*>(own);
  }
  copyElements(source->values, source->count, target->values);
  target->count = source->count;
  return 0;
}

template <typename Record>
Record* newCopyRecord(const Record* source, const MultiNames& names) {
  if (source == nullptr) {
    zmReportWarning("%s: Invalid argument.", names.newCopy);
    return nullptr;
  }
  // A source with a count but no array has nothing to give.
  const int32_t n = source->values != nullptr ? source->count : 0;
  Record* copy = newRecord<Record>(n, names);
  if (copy != nullptr && n > 0) copyElements(source->values, n, copy->values);
  return copy;
}

}  // namespace

// ---- Single-valued new ------------------------------------------------------

ZmSFBitMask* zmGFnewSFBitMask(int32_t n) {
  return newSingleValued<ZmSFBitMask>(n, "zmGFnewSFBitMask", "ZmSFBitMask");
}
ZmSFBool* zmGFnewSFBool(int32_t n) { return newSingleValued<ZmSFBool>(n, "zmGFnewSFBool", "ZmSFBool"); }
ZmSFColor* zmGFnewSFColor(int32_t n) {
  return newSingleValued<ZmSFColor>(n, "zmGFnewSFColor", "ZmSFColor");
}
ZmSFFloat* zmGFnewSFFloat(int32_t n) {
  return newSingleValued<ZmSFFloat>(n, "zmGFnewSFFloat", "ZmSFFloat");
}
ZmSFImage* zmGFnewSFImage(int32_t n) {
  return newSingleValued<ZmSFImage>(n, "zmGFnewSFImage", "ZmSFImage");
}
ZmSFInt32* zmGFnewSFInt32(int32_t n) {
  return newSingleValued<ZmSFInt32>(n, "zmGFnewSFInt32", "ZmSFInt32");
}
ZmSFMatrix* zmGFnewSFMatrix(int32_t n) {
  return newSingleValued<ZmSFMatrix>(n, "zmGFnewSFMatrix", "ZmSFMatrix");
}
ZmSFRotation* zmGFnewSFRotation(int32_t n) {
  return newSingleValued<ZmSFRotation>(n, "zmGFnewSFRotation", "ZmSFRotation");
}
ZmSFTime* zmGFnewSFTime(int32_t n) { return newSingleValued<ZmSFTime>(n, "zmGFnewSFTime", "ZmSFTime"); }
ZmSFVec2f* zmGFnewSFVec2f(int32_t n) {
  return newSingleValued<ZmSFVec2f>(n, "zmGFnewSFVec2f", "ZmSFVec2f");
}
ZmSFVec3f* zmGFnewSFVec3f(int32_t n) {
  return newSingleValued<ZmSFVec3f>(n, "zmGFnewSFVec3f", "ZmSFVec3f");
}

// ---- Single-valued delete -----------------------------------------------------

void zmGFdeleteSFBitMask(ZmSFBitMask* array) { zmFree(array); }
void zmGFdeleteSFBool(ZmSFBool* array) { zmFree(array); }
void zmGFdeleteSFColor(ZmSFColor* array) { zmFree(array); }
void zmGFdeleteSFFloat(ZmSFFloat* array) { zmFree(array); }
void zmGFdeleteSFImage(ZmSFImage* array) { zmFree(array); }
void zmGFdeleteSFInt32(ZmSFInt32* array) { zmFree(array); }
void zmGFdeleteSFMatrix(ZmSFMatrix* array) { zmFree(array); }
void zmGFdeleteSFRotation(ZmSFRotation* array) { zmFree(array); }
void zmGFdeleteSFTime(ZmSFTime* array) { zmFree(array); }
void zmGFdeleteSFVec2f(ZmSFVec2f* array) { zmFree(array); }
void zmGFdeleteSFVec3f(ZmSFVec3f* array) { zmFree(array); }

// ---- Single-valued set ----------------------------------------------------------

void zmGFsetSFColor(ZmSFColor* element, float r, float g, float b) {
  if (element != nullptr) *element = {r, g, b};
}

void zmGFsetSFImage(ZmSFImage* element, uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3) {
  if (element != nullptr) *element = {{w0, w1, w2, w3}};
}

void zmGFsetSFRotation(ZmSFRotation* element, float x, float y, float z, float angle) {
  if (element != nullptr) *element = {x, y, z, angle};
}

void zmGFsetSFVec2f(ZmSFVec2f* element, float x, float y) {
  if (element != nullptr) *element = {x, y};
}

void zmGFsetSFVec3f(ZmSFVec3f* element, float x, float y, float z) {
  if (element != nullptr) *element = {x, y, z};
}

// ---- Multi-valued numeric types -------------------------------------------------

ZmMFColor* zmGFnewMFColor(int32_t n) { return newRecord<ZmMFColor>(n, kColorNames); }
ZmMFFloat* zmGFnewMFFloat(int32_t n) { return newRecord<ZmMFFloat>(n, kFloatNames); }
ZmMFInt32* zmGFnewMFInt32(int32_t n) { return newRecord<ZmMFInt32>(n, kInt32Names); }
ZmMFVec2f* zmGFnewMFVec2f(int32_t n) { return newRecord<ZmMFVec2f>(n, kVec2fNames); }
ZmMFVec3f* zmGFnewMFVec3f(int32_t n) { return newRecord<ZmMFVec3f>(n, kVec3fNames); }

void zmGFinitMFColor(ZmMFColor* record) { initRecord(record); }
void zmGFinitMFFloat(ZmMFFloat* record) { initRecord(record); }
void zmGFinitMFInt32(ZmMFInt32* record) { initRecord(record); }
void zmGFinitMFVec2f(ZmMFVec2f* record) { initRecord(record); }
void zmGFinitMFVec3f(ZmMFVec3f* record) { initRecord(record); }

void zmGFclearMFColor(ZmMFColor* record) { clearRecord(record); }
void zmGFclearMFFloat(ZmMFFloat* record) { clearRecord(record); }
void zmGFclearMFInt32(ZmMFInt32* record) { clearRecord(record); }
void zmGFclearMFVec2f(ZmMFVec2f* record) { clearRecord(record); }
void zmGFclearMFVec3f(ZmMFVec3f* record) { clearRecord(record); }

void zmGFdeleteMFColor(ZmMFColor* record) { deleteRecord(record); }
void zmGFdeleteMFFloat(ZmMFFloat* record) { deleteRecord(record); }
void zmGFdeleteMFInt32(ZmMFInt32* record) { deleteRecord(record); }
void zmGFdeleteMFVec2f(ZmMFVec2f* record) { deleteRecord(record); }
void zmGFdeleteMFVec3f(ZmMFVec3f* record) { deleteRecord(record); }

int zmGFcopyMFColor(ZmMFColor* target, const ZmMFColor* source) {
  return copyRecord(target, source, kColorNames);
}
int zmGFcopyMFFloat(ZmMFFloat* target, const ZmMFFloat* source) {
  return copyRecord(target, source, kFloatNames);
}
int zmGFcopyMFInt32(ZmMFInt32* target, const ZmMFInt32* source) {
  return copyRecord(target, source, kInt32Names);
}
int zmGFcopyMFVec2f(ZmMFVec2f* target, const ZmMFVec2f* source) {
  return copyRecord(target, source, kVec2fNames);
}
int zmGFcopyMFVec3f(ZmMFVec3f* target, const ZmMFVec3f* source) {
  return copyRecord(target, source, kVec3fNames);
}

ZmMFColor* zmGFnewCopyMFColor(const ZmMFColor* source) { return newCopyRecord(source, kColorNames); }
ZmMFFloat* zmGFnewCopyMFFloat(const ZmMFFloat* source) { return newCopyRecord(source, kFloatNames); }
ZmMFInt32* zmGFnewCopyMFInt32(const ZmMFInt32* source) { return newCopyRecord(source, kInt32Names); }
ZmMFVec2f* zmGFnewCopyMFVec2f(const ZmMFVec2f* source) { return newCopyRecord(source, kVec2fNames); }
ZmMFVec3f* zmGFnewCopyMFVec3f(const ZmMFVec3f* source) { return newCopyRecord(source, kVec3fNames); }

// ---- ZmMFString -------------------------------------------------------------------

ZmMFString* zmGFnewMFString() {
  auto* record = static_cast<ZmMFString*>(zmMalloc(sizeof(ZmMFString)));
  if (record == nullptr) {
    zmReportMessage("%s: cannot allocate memory for ZmMFString.", "zmGFnewMFString");
  }
  return record;
}

void zmGFinitMFString(ZmMFString* record) { initRecord(record); }

void zmGFclearMFString(ZmMFString* record) {
  if (record == nullptr) return;
  for (int32_t i = record->count - 1; i >= 0 && record->values != nullptr; --i) {
    zmFree(record->values[i]);
    record->values[i] = nullptr;
  }
  // The array goes even when the count is 0, so a record never leaks it.
  zmFree(record->values);
  initRecord(record);
}

void zmGFdeleteMFString(ZmMFString* record) {
  zmGFclearMFString(record);
  zmFree(record);
}

int zmGFaddMFString(ZmMFString* record, char* string) {
  if (record == nullptr) return -1;
  const size_t slots = size_t(record->count) + 1;
  void* grown = zmRealloc(record->values, slots * sizeof(char*));
  if (grown == nullptr) {
    zmReportMessage("%s: cannot allocate memory for strings of ZmMFString.", "zmGFaddMFString");
    return -5;
  }
  record->values = static_cast<char**>(grown);
  record->values[record->count++] = string;
  return 0;
}
