// vrml/qvsfields.h -- the single-valued field types of the VRML reader.
//
// Owns: QvSFBitMask, QvSFBool, QvSFColor, QvSFEnum, QvSFFloat, QvSFImage,
// QvSFLong, QvSFMatrix, QvSFRotation, QvSFString, QvSFVec2f, QvSFVec3f: what
// each holds and how it reads its value. QvSFImage owns its pixels and
// QvSFString its text.
// It does not own the enum tables that QvSFEnum and QvSFBitMask look names
// up in: they are borrowed from the node class's QvFieldData and live for
// the program.
#ifndef LUMENFOLD_VRML_QVSFIELDS_H
#define LUMENFOLD_VRML_QVSFIELDS_H

#include <cstdint>

#include "vrml/qvfield.h"

class QvSFBool : public QvSField {
 public:
  bool readValue(QvInput* in) override;
  void writeValue(std::string& out, int32_t maxValues = INT32_MAX) const override;
  int32_t value = 0;  // 0 = FALSE, 1 = TRUE
};

class QvSFColor : public QvSField {
 public:
  bool readValue(QvInput* in) override;
  void writeValue(std::string& out, int32_t maxValues = INT32_MAX) const override;
  float value[3] = {0, 0, 0};  // red, green, blue
};

class QvSFEnum : public QvSField {
 public:
  bool readValue(QvInput* in) override;
  void writeValue(std::string& out, int32_t maxValues = INT32_MAX) const override;
  void setEnums(int32_t count, const int32_t* values, const QvName* names);
  bool valueOfName(const QvName& name, int32_t& out) const;

  int32_t value = 0;
  int32_t entryCount = 0;
  const int32_t* entryValues = nullptr;
  const QvName* entryNames = nullptr;
};

class QvSFBitMask : public QvSFEnum {
 public:
  bool readValue(QvInput* in) override;
  void writeValue(std::string& out, int32_t maxValues = INT32_MAX) const override;
};

class QvSFFloat : public QvSField {
 public:
  bool readValue(QvInput* in) override;
  void writeValue(std::string& out, int32_t maxValues = INT32_MAX) const override;
  float value = 0;
};

class QvSFImage : public QvSField {
 public:
  // Largest image accepted, in pixels: a bigger one is a read error.
  static constexpr int64_t kMaxPixels = 16 * 1024 * 1024;

  ~QvSFImage() override;
  bool readValue(QvInput* in) override;
  void writeValue(std::string& out, int32_t maxValues = INT32_MAX) const override;

  int16_t width = 0;
  int16_t height = 0;
  int32_t components = 0;           // bytes per pixel
  unsigned char* pixels = nullptr;  // width x height x components bytes, owned
};

class QvSFLong : public QvSField {
 public:
  bool readValue(QvInput* in) override;
  void writeValue(std::string& out, int32_t maxValues = INT32_MAX) const override;
  int32_t value = 0;
};

class QvSFMatrix : public QvSField {
 public:
  bool readValue(QvInput* in) override;
  void writeValue(std::string& out, int32_t maxValues = INT32_MAX) const override;
  float value[4][4] = {};  // rows in the order read
};

class QvSFRotation : public QvSField {
 public:
  bool readValue(QvInput* in) override;
  void writeValue(std::string& out, int32_t maxValues = INT32_MAX) const override;
  float axis[3] = {0, 0, 0};  // as read, not normalised
  float angle = 0;            // radians
};

class QvSFString : public QvSField {
 public:
  bool readValue(QvInput* in) override;
  void writeValue(std::string& out, int32_t maxValues = INT32_MAX) const override;
  QvString value;
};

class QvSFVec2f : public QvSField {
 public:
  bool readValue(QvInput* in) override;
  void writeValue(std::string& out, int32_t maxValues = INT32_MAX) const override;
  float value[2] = {0, 0};
};

class QvSFVec3f : public QvSField {
 public:
  bool readValue(QvInput* in) override;
  void writeValue(std::string& out, int32_t maxValues = INT32_MAX) const override;
  float value[3] = {0, 0, 0};
};

// Appends a float as the shortest text that reads back to it.
void qvWriteFloat(std::string& out, float f);

#endif
