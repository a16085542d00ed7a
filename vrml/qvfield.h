// vrml/qvfield.h -- the field framework of the VRML reader.
//
// Owns: the field base classes (QvField, QvSField for one value, QvMField for
// a list of values with its list syntax and geometric growth), the registry
// that makes a field object from a VRML field type name, and QvFieldData,
// the per-class table of field names, their places in the node, and the
// named values of enumerated and bit-mask types, with the reading of a
// node's fields by name and of a "fields [ ... ]" declaration.
// It does not own the concrete field types (vrml/qvsfields.h,
// vrml/qvmfields.h) nor the nodes (vrml/qvnode.h).
#ifndef LUMENFOLD_VRML_QVFIELD_H
#define LUMENFOLD_VRML_QVFIELD_H

#include <cstdint>
#include <string>

#include "vrml/qvstring.h"

class QvInput;
class QvNode;

class QvField {
 public:
  enum Flags : uint32_t { kDefault = 0x1, kIgnored = 0x2 };

  QvField() = default;
  QvField(const QvField&) = delete;
  QvField& operator=(const QvField&) = delete;
  virtual ~QvField();
  // Reads one value at the current position; reports its own syntax errors.
  virtual bool readValue(QvInput* in) = 0;
  // Appends the value as VRML text (for dumps and tests); lists and images
  // show at most maxValues values, then "...".
  virtual void writeValue(std::string& out, int32_t maxValues = INT32_MAX) const = 0;

  void setDefault(bool on) { flags = on ? flags | kDefault : flags & ~kDefault; }
  void setIgnored(bool on) { flags = on ? flags | kIgnored : flags & ~kIgnored; }
  bool isDefault() const { return flags & kDefault; }
  bool isIgnored() const { return flags & kIgnored; }
  // The node that owns the field; the field is marked default again.
  void setContainer(QvNode* node);
  QvNode* getContainer() const { return container; }

  // Reads the value after the field's name has been read.
  bool read(QvInput* in, const QvName& name);

  // A new field of the named type, or null (reported).
  static QvField* createInstanceFromName(const QvName& typeName);

 private:
  uint32_t flags = kDefault;
  QvNode* container = nullptr;
};

class QvSField : public QvField {};

class QvMField : public QvField {
 public:
  int32_t num = 0;     // number of values
  int32_t maxNum = 0;  // number of values the block holds

  // A single value, or values in brackets separated by commas.
  bool readValue(QvInput* in) override;
  // Makes the field hold newNum values; growing is geometric. False when
  // memory ran out: the block and the count are then unchanged.
  virtual bool growValues(int32_t newNum);
  // Makes the block hold exactly newNum values (num = maxNum = newNum); a
  // count below 1 frees it. False (reported) when memory ran out: the block
  // and the count are then unchanged.
  virtual bool allocValues(int32_t newNum) = 0;
  virtual bool readOneValue(QvInput* in, int32_t index) = 0;

 protected:
  // Enlarges the block to capacity values; num is unchanged.
  virtual bool reserveValues(int32_t capacity) = 0;
};

struct QvFieldEntry {
  QvName name;
  intptr_t offset;  // place of the field object relative to the node object
};

struct QvEnumEntry {
  explicit QvEnumEntry(const QvName& type);
  ~QvEnumEntry();
  bool grow();

  QvName typeName;
  int32_t num = 0;        // values stored
  int32_t arraySize = 0;  // slots allocated
  int32_t* vals = nullptr;
  QvName* names = nullptr;
};

class QvFieldData {
 public:
  QvFieldData() = default;
  ~QvFieldData();
  QvFieldData(const QvFieldData&) = delete;
  QvFieldData& operator=(const QvFieldData&) = delete;

  void addField(QvNode* defObject, const char* name, const QvField* field);
  int32_t getNumFields() const { return fields.getLength(); }
  const QvName& getFieldName(int32_t index) const;
  QvField* getField(const QvNode* object, int32_t index) const;
  // Index of the field object of that node in this table, or -1.
  int32_t findField(const QvNode* object, const QvField* field) const;

  void addEnumValue(const char* typeName, const char* valName, int32_t value);
  void getEnumData(const char* typeName, int32_t& num, const int32_t*& vals,
                   const QvName*& names) const;

  // Reads the declaration after the keyword "fields".
  bool readFieldTypes(QvInput* in, QvNode* object);
  // Reads a node's field values up to the first name that is no field.
  bool read(QvInput* in, QvNode* object, bool errorOnUnknownField) const;
  bool read(QvInput* in, QvNode* object, const QvName& fieldName, bool& foundName) const;

 private:
  QvEnumEntry* findEnum(const QvName& typeName) const;
  QvPList fields;  // QvFieldEntry*, in registration order
  QvPList enums;   // QvEnumEntry*
};

// The name of text without leading and trailing white space.
QvName stripWhite(const char* text);

#endif
