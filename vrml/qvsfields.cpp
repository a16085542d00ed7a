// vrml/qvsfields.cpp -- reading and writing the single-valued field types.
#include "vrml/qvsfields.h"

#include <charconv>
#include <cstdio>

#include "core/memory.h"
#include "core/report.h"
#include "vrml/qvinput.h"
#include "vrml/qvreaderror.h"

void qvWriteFloat(std::string& out, float f) {
  char text[32];
  auto result = std::to_chars(text, text + sizeof text, f);
  out.append(text, result.ptr);
}

namespace {

template <int N> bool readFloats(QvInput* in, float* values) {
  for (int i = 0; i < N; ++i)
    if (!in->read(values[i])) return false;
  return true;
}

void writeFloats(std::string& out, const float* values, int n) {
  for (int i = 0; i < n; ++i) {
    if (i) out += ' ';
    qvWriteFloat(out, values[i]);
  }
}

void writeQuoted(std::string& out, const char* text) {
  out += '"';
  for (const char* p = text; *p; ++p) {
    if (*p == '"') out += '\\';
    out += *p;
  }
  out += '"';
}

}  // namespace

// ------------------------------------------------------------ plain values

bool QvSFFloat::readValue(QvInput* in) { return in->read(value); }
void QvSFFloat::writeValue(std::string& out, int32_t) const { qvWriteFloat(out, value); }

bool QvSFLong::readValue(QvInput* in) {
  long l;
  if (!in->read(l)) return false;
  value = static_cast<int32_t>(l);
  return true;
}
void QvSFLong::writeValue(std::string& out, int32_t) const { out += std::to_string(value); }

bool QvSFVec2f::readValue(QvInput* in) { return readFloats<2>(in, value); }
void QvSFVec2f::writeValue(std::string& out, int32_t) const { writeFloats(out, value, 2); }

bool QvSFVec3f::readValue(QvInput* in) { return readFloats<3>(in, value); }
void QvSFVec3f::writeValue(std::string& out, int32_t) const { writeFloats(out, value, 3); }

bool QvSFColor::readValue(QvInput* in) { return readFloats<3>(in, value); }
void QvSFColor::writeValue(std::string& out, int32_t) const { writeFloats(out, value, 3); }

bool QvSFRotation::readValue(QvInput* in) { return readFloats<3>(in, axis) && in->read(angle); }
void QvSFRotation::writeValue(std::string& out, int32_t) const {
  writeFloats(out, axis, 3);
  out += ' ';
  qvWriteFloat(out, angle);
}

bool QvSFMatrix::readValue(QvInput* in) { return readFloats<16>(in, &value[0][0]); }
void QvSFMatrix::writeValue(std::string& out, int32_t) const { writeFloats(out, &value[0][0], 16); }

bool QvSFString::readValue(QvInput* in) { return in->read(value); }
void QvSFString::writeValue(std::string& out, int32_t) const { writeQuoted(out, value.getString()); }

// ------------------------------------------------------------------ SFBool

bool QvSFBool::readValue(QvInput* in) {
  int i;
  if (in->read(i)) {
    value = i;
    if (i == 0 || i == 1) return true;
    QvReadError::post(kQvReadErrorLevel, in, "Illegal value for QvSFBool: %d (must be 0 or 1)", i);
    return false;
  }
  QvName name;
  if (!in->read(name, true)) return false;
  if (name == "TRUE") {
    value = 1;
    return true;
  }
  if (name == "FALSE") {
    value = 0;
    return true;
  }
  QvReadError::post(kQvReadErrorLevel, in, "Unknown value (\"%s\") for QvSFBool (must be TRUE or FALSE)",
                    name.getString());
  return false;
}

void QvSFBool::writeValue(std::string& out, int32_t) const {
  out += value == 1 ? "TRUE" : value == 0 ? "FALSE" : std::to_string(value);
}

// ---------------------------------------------------------- SFEnum, SFBitMask

void QvSFEnum::setEnums(int32_t count, const int32_t* values, const QvName* names) {
  entryCount = count;
  entryValues = values;
  entryNames = names;
}

bool QvSFEnum::valueOfName(const QvName& name, int32_t& out) const {
  for (int32_t i = 0; i < entryCount; ++i) {
    if (entryNames[i] == name) {
      out = entryValues[i];
      return true;
    }
  }
  return false;
}

bool QvSFEnum::readValue(QvInput* in) {
  QvName name;
  if (!in->read(name, true)) return false;
  if (valueOfName(name, value)) return true;
  QvReadError::post(kQvReadErrorLevel, in, "Unknown QvSFEnum enumeration value \"%s\"", name.getString());
  return false;
}

void QvSFEnum::writeValue(std::string& out, int32_t) const {
  for (int32_t i = 0; i < entryCount; ++i) {
    if (entryValues[i] == value) {
      out += entryNames[i].getString();
      return;
    }
  }
  out += std::to_string(value);
}

bool QvSFBitMask::readValue(QvInput* in) {
  value = 0;
  char c = kQvEndOfInput;
  if (!in->read(c)) return false;
  QvName name;
  if (c != '(') {
    in->putBack(c);
    if (!in->read(name, true)) return false;
    if (valueOfName(name, value)) return true;
    QvReadError::post(kQvReadErrorLevel, in, "Unknown QvSFBitMask bit mask value \"%s\"", name.getString());
    return false;
  }
  for (;;) {
    if (!in->read(name, true)) return false;
    if (!name.isEmpty()) {
      int32_t bits;
      if (valueOfName(name, bits)) value |= bits;
      else QvReadError::post(kQvReadErrorLevel, in, "Unknown QvSFBitMask bit mask value \"%s\"", name.getString());
    }
    if (!in->read(c)) {
      QvReadError::post(kQvReadErrorLevel, in, "EOF reached before '%c' in QvSFBitMask value", ')');
      return false;
    }
    if (c == ')') return true;
    if (c != '|') {
      QvReadError::post(kQvReadErrorLevel, in, "Expected '%c' or '%c', got '%c' in QvSFBitMask value", '|',
                        ')', c);
      return false;
    }
  }
}

void QvSFBitMask::writeValue(std::string& out, int32_t) const {
  out += '(';
  int32_t named = 0;
  for (int32_t i = 0; i < entryCount; ++i) {
    int32_t bits = entryValues[i];
    if (bits != 0 && (value & bits) == bits && (named & bits) != bits) {
      if (named) out += " |";
      out += ' ';
      out += entryNames[i].getString();
      named |= bits;
    }
  }
  if (value & ~named) out += (named ? " | " : " ") + std::to_string(value & ~named);
  out += " )";
}

// ----------------------------------------------------------------- SFImage

QvSFImage::~QvSFImage() {
  zmFree(pixels);
  pixels = nullptr;
}

bool QvSFImage::readValue(QvInput* in) {
  if (!in->read(width) || !in->read(height) || !in->read(components)) return false;
  zmFree(pixels);
  pixels = nullptr;

  int64_t pixelCount = static_cast<int64_t>(width) * height;
  bool validSize = width >= 0 && height >= 0 && pixelCount <= kMaxPixels &&
                   components >= 0 && components <= 4 && (components > 0 || pixelCount == 0);
  if (!validSize) {
    QvReadError::post(kQvReadErrorLevel, in, "Invalid SFImage size %d x %d with %d components",
                      width, height, components);
    return false;
  }
  if (pixelCount == 0) return true;
  pixels = static_cast<unsigned char*>(zmMalloc(static_cast<size_t>(pixelCount * components)));
  if (pixels == nullptr) {
    zmReportMessage("%s: %s", "QvSFImage::readValue()", "Couldn't allocate memory for unsigned char[].");
    return false;
  }
  unsigned char* byte = pixels;
  for (int64_t i = 0; i < pixelCount; ++i) {
    unsigned long pixel;
    if (!in->read(pixel)) return false;
    for (int j = components - 1; j >= 0; --j) *byte++ = (pixel >> (8 * j)) & 0xFF;
  }
  return true;
}

void QvSFImage::writeValue(std::string& out, int32_t maxValues) const {
  out += std::to_string(width) + ' ' + std::to_string(height) + ' ' + std::to_string(components);
  if (pixels == nullptr) return;
  int64_t pixelCount = static_cast<int64_t>(width) * height;
  for (int64_t i = 0; i < pixelCount; ++i) {
    if (i == maxValues) {
      out += " ...";
      return;
    }
    unsigned long pixel = 0;
    for (int j = 0; j < components; ++j) pixel = pixel << 8 | pixels[i * components + j];
    char text[24];
    std::snprintf(text, sizeof text, " 0x%lx", pixel);
    out += text;
  }
}
