// vrml/qvfield.cpp -- field protocol, list syntax, field tables and the
// field type registry.
#include "vrml/qvfield.h"

#include <cstring>
#include <new>

#include "core/report.h"
#include "vrml/qvinput.h"
#include "vrml/qvmfields.h"
#include "vrml/qvnode.h"
#include "vrml/qvreaderror.h"
#include "vrml/qvsfields.h"

// ------------------------------------------------------------------ QvField

QvField::~QvField() = default;

void QvField::setContainer(QvNode* node) {
  container = node;
  setDefault(true);
}

bool QvField::read(QvInput* in, const QvName& name) {
  setIgnored(false);
  char c = kQvEndOfInput;
  if (in->read(c) && c == '~') {
    setDefault(true);
    setIgnored(true);
    return true;
  }
  setDefault(false);
  in->putBack(c);
  if (!readValue(in)) {
    QvReadError::post(kQvReadErrorLevel, in, "Couldn't read value for field \"%s\"",
                      name.getString());
    return false;
  }
  if (in->read(c)) {
    if (c == '~') setIgnored(true);
    else in->putBack(c);
  }
  return true;
}

namespace {

template <class T> QvField* makeField() { return new (std::nothrow) T; }

struct FieldType {
  const char* name;
  QvField* (*make)();
};

constexpr FieldType kFieldTypes[] = {
    {"MFColor", makeField<QvMFColor>},     {"MFFloat", makeField<QvMFFloat>},
    {"MFLong", makeField<QvMFLong>},       {"MFVec2f", makeField<QvMFVec2f>},
    {"MFVec3f", makeField<QvMFVec3f>},     {"SFBitMask", makeField<QvSFBitMask>},
    {"SFBool", makeField<QvSFBool>},       {"SFColor", makeField<QvSFColor>},
    {"SFEnum", makeField<QvSFEnum>},       {"SFFloat", makeField<QvSFFloat>},
    {"SFImage", makeField<QvSFImage>},     {"SFLong", makeField<QvSFLong>},
    {"SFMatrix", makeField<QvSFMatrix>},   {"SFRotation", makeField<QvSFRotation>},
    {"SFString", makeField<QvSFString>},   {"SFVec2f", makeField<QvSFVec2f>},
    {"SFVec3f", makeField<QvSFVec3f>},
};

}  // namespace

QvField* QvField::createInstanceFromName(const QvName& typeName) {
  QvField* field = nullptr;
  for (const FieldType& type : kFieldTypes) {
    if (typeName == type.name) {
      field = type.make();
      break;
    }
  }
  if (field == nullptr)
    zmReportMessage("%s: %s", "QvField::createInstanceFromName()",
                    "Couldn't allocate memory for QvField.");
  return field;
}

// ----------------------------------------------------------------- QvMField

bool QvMField::growValues(int32_t newNum) {
  if (newNum == num) return true;
  if (newNum < num) return allocValues(newNum);
  if (newNum > maxNum) {
    int64_t capacity = static_cast<int64_t>(maxNum) * 2;
    if (capacity < newNum) capacity = newNum;
    if (capacity > INT32_MAX) capacity = INT32_MAX;
    if (!reserveValues(static_cast<int32_t>(capacity))) return false;
  }
  num = newNum;
  return true;
}

bool QvMField::readValue(QvInput* in) {
  char c = kQvEndOfInput;
  if (!in->read(c) || c != '[') {
    in->putBack(c);
    return growValues(1) && readOneValue(in, 0);
  }
  int32_t i = 0;
  if (!in->read(c) || c != ']') {
    in->putBack(c);
    for (;;) {
      if (i == INT32_MAX || (i >= num && !growValues(i + 1))) return false;
      if (!readOneValue(in, i) || !in->read(c)) {
        QvReadError::post(kQvReadErrorLevel, in, "Couldn't read value %d of field", i + 1);
        return false;
      }
      ++i;
      if (c != ',') break;
      if (!in->read(c)) continue;  // the missing value is reported above
      if (c == ']') break;
      in->putBack(c);
    }
    if (c != ']') {
      QvReadError::post(kQvReadErrorLevel, in,
                        "Expected '%c' or '%c' but got '%c' while reading value %d", ',', ']', c, i);
      return false;
    }
  }
  if (i < num && !growValues(i)) return false;
  // The list is read: give back what the geometric growth reserved.
  if (maxNum > num) allocValues(num);
  return true;
}

// --------------------------------------------------------------- QvEnumEntry

namespace {
constexpr int32_t kEnumSlots = 6;
}

QvEnumEntry::QvEnumEntry(const QvName& type) : typeName(type) {
  vals = new (std::nothrow) int32_t[kEnumSlots];
  if (vals == nullptr) {
    zmReportMessage("%s: %s", "QvEnumEntry::QvEnumEntry()", "Couldn't allocate memory for long[].");
    return;
  }
  names = new (std::nothrow) QvName[kEnumSlots];
  if (names == nullptr) {
    zmReportMessage("%s: %s", "QvEnumEntry::QvEnumEntry()", "Couldn't allocate memory for QvName[].");
    return;
  }
  arraySize = kEnumSlots;
}

QvEnumEntry::~QvEnumEntry() {
  delete[] vals;
  delete[] names;
}

bool QvEnumEntry::grow() {
  int32_t size = arraySize + kEnumSlots;
  auto* newVals = new (std::nothrow) int32_t[size];
  if (newVals == nullptr) {
    zmReportMessage("%s: %s", "QvFieldData::addEnumValue()", "Couldn't allocate memory for long[].");
    return false;
  }
  auto* newNames = new (std::nothrow) QvName[size];
  if (newNames == nullptr) {
    delete[] newVals;
    zmReportMessage("%s: %s", "QvFieldData::addEnumValue()", "Couldn't allocate memory for QvName[].");
    return false;
  }
  for (int32_t i = 0; i < num; ++i) {
    newVals[i] = vals[i];
    newNames[i] = names[i];
  }
  delete[] vals;
  delete[] names;
  vals = newVals;
  names = newNames;
  arraySize = size;
  return true;
}

// -------------------------------------------------------------- QvFieldData

QvFieldData::~QvFieldData() {
  for (int32_t i = 0; i < fields.getLength(); ++i) delete static_cast<QvFieldEntry*>(fields[i]);
  for (int32_t i = 0; i < enums.getLength(); ++i) delete static_cast<QvEnumEntry*>(enums[i]);
}

void QvFieldData::addField(QvNode* defObject, const char* name, const QvField* field) {
  auto* entry = new (std::nothrow) QvFieldEntry{
      QvName(name), reinterpret_cast<intptr_t>(field) - reinterpret_cast<intptr_t>(defObject)};
  if (entry && !fields.append(entry)) delete entry;
}

const QvName& QvFieldData::getFieldName(int32_t index) const {
  return static_cast<QvFieldEntry*>(fields[index])->name;
}

QvField* QvFieldData::getField(const QvNode* object, int32_t index) const {
  intptr_t offset = static_cast<QvFieldEntry*>(fields[index])->offset;
  return reinterpret_cast<QvField*>(reinterpret_cast<intptr_t>(object) + offset);
}

int32_t QvFieldData::findField(const QvNode* object, const QvField* field) const {
  for (int32_t i = 0; i < fields.getLength(); ++i)
    if (getField(object, i) == field) return i;
  return -1;
}

QvEnumEntry* QvFieldData::findEnum(const QvName& typeName) const {
  for (int32_t i = 0; i < enums.getLength(); ++i) {
    auto* entry = static_cast<QvEnumEntry*>(enums[i]);
    if (entry->typeName == typeName) return entry;
  }
  return nullptr;
}

void QvFieldData::addEnumValue(const char* typeName, const char* valName, int32_t value) {
  QvName type = stripWhite(typeName);
  QvName name = stripWhite(valName);
  QvEnumEntry* entry = findEnum(type);
  if (entry == nullptr) {
    entry = new (std::nothrow) QvEnumEntry(type);
    if (entry == nullptr || entry->arraySize == 0 || !enums.append(entry)) {
      if (entry == nullptr)
        zmReportMessage("%s: %s", "QvFieldData::addEnumValue()",
                        "Couldn't allocate memory for QvEnumEntry.");
      delete entry;
      return;
    }
  }
  if (entry->num == entry->arraySize && !entry->grow()) return;
  entry->vals[entry->num] = value;
  entry->names[entry->num] = name;
  ++entry->num;
}

void QvFieldData::getEnumData(const char* typeName, int32_t& num, const int32_t*& vals,
                              const QvName*& names) const {
  QvEnumEntry* entry = findEnum(stripWhite(typeName));
  num = entry ? entry->num : 0;
  vals = entry ? entry->vals : nullptr;
  names = entry ? entry->names : nullptr;
}

bool QvFieldData::readFieldTypes(QvInput* in, QvNode* object) {
  char c = kQvEndOfInput;
  if (!in->read(c) || c != '[') return false;
  if (!in->read(c)) return false;
  if (c == ']') return true;
  in->putBack(c);

  bool create = !object->isBuiltIn && getNumFields() == 0;
  for (;;) {
    QvName typeName, fieldName;
    if (!in->read(typeName, true) || typeName.isEmpty() || !in->read(fieldName, true) ||
        fieldName.isEmpty())
      return false;
    if (create) {
      QvField* field = QvField::createInstanceFromName(typeName);
      if (field) {
        object->addDeclaredField(fieldName, field);
      } else {
        QvReadError::post(kQvReadErrorLevel, in, "Unknown field type \"%s\" of field \"%s\" skipped",
                          typeName.getString(), fieldName.getString());
      }
    }
    if (!in->read(c)) return false;
    if (c == ']') return true;
    if (c != ',') return false;
    if (!in->read(c)) return false;
    if (c == ']') return true;
    in->putBack(c);
  }
}

bool QvFieldData::read(QvInput* in, QvNode* object, bool errorOnUnknownField) const {
  if (getNumFields() == 0) return true;
  for (;;) {
    QvName name;
    if (!in->read(name, true) || name.isEmpty()) return true;
    bool found;
    if (!read(in, object, name, found)) return false;
    if (found) continue;
    if (!errorOnUnknownField) {
      in->putBack(name.getString());
      return true;
    }
    QvReadError::post(kQvReadErrorLevel, in, "Unknown field \"%s\"", name.getString());
  }
}

bool QvFieldData::read(QvInput* in, QvNode* object, const QvName& fieldName,
                       bool& foundName) const {
  foundName = false;
  for (int32_t i = 0; i < fields.getLength(); ++i) {
    if (getFieldName(i) != fieldName) continue;
    foundName = true;
    QvField* field = getField(object, i);
    if (!field->read(in, fieldName)) return false;
    object->addFieldInOrder(field);
    return true;
  }
  return true;
}

// ------------------------------------------------------------------ names

QvName stripWhite(const char* text) {
  auto isBlank = [](char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
  };
  if (text == nullptr) return QvName("");
  const char* first = text;
  while (*first && isBlank(*first)) ++first;
  if (*first == '\0') return QvName("");
  const char* end = first + std::strlen(first);  // one past the last character
  if (!isBlank(end[-1])) return QvName(first);
  while (isBlank(end[-1])) --end;
  char buffer[500];
  size_t length = static_cast<size_t>(end - first);
  if (length > sizeof buffer - 1) {
    zmReportWarning("stripWhite(): buffer 500 size is overflow.");
    length = sizeof buffer - 1;
  }
  std::memcpy(buffer, first, length);
  buffer[length] = '\0';
  return QvName(buffer);
}
