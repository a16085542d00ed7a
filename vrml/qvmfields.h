// vrml/qvmfields.h -- the multi-valued field types of the VRML reader.
//
// Owns: QvMFColor, QvMFFloat, QvMFLong, QvMFVec2f and QvMFVec3f: their value
// blocks (allocated through the core's allocator, owned by the field, null
// when the list is empty) and the reading of one element; and QvMFString,
// whose texts live in a vector. A new field holds one zeroed element (an
// empty text) until its node writes the default.
// It does not own the list syntax nor the growth policy (QvMField in
// vrml/qvfield.h).
#ifndef LUMENFOLD_VRML_QVMFIELDS_H
#define LUMENFOLD_VRML_QVMFIELDS_H

#include <cstdint>
#include <vector>

#include "vrml/qvfield.h"

// A list of elements of N components of type T; `values` holds N x num of
// them, element after element.
template <class T, int N> class QvMFieldOf : public QvMField {
 public:
  // failureText: the allocation-failure report, naming the type.
  explicit QvMFieldOf(const char* failureText) : allocFailureText(failureText) { allocValues(1); }
  ~QvMFieldOf() override;
  bool allocValues(int32_t newNum) override;
  bool readOneValue(QvInput* in, int32_t index) override;
  void writeValue(std::string& out, int32_t maxValues = INT32_MAX) const override;

  T* values = nullptr;

 protected:
  bool reserveValues(int32_t capacity) override;

 private:
  const char* allocFailureText;
  bool resizeBlock(int32_t count);
};

class QvMFColor : public QvMFieldOf<float, 3> {
 public:
  QvMFColor() : QvMFieldOf<float, 3>("Couldn't allocate memory for MFColor.") {}
};
class QvMFFloat : public QvMFieldOf<float, 1> {
 public:
  QvMFFloat() : QvMFieldOf<float, 1>("Couldn't allocate memory for MFFloat.") {}
};
class QvMFLong : public QvMFieldOf<int32_t, 1> {
 public:
  QvMFLong() : QvMFieldOf<int32_t, 1>("Couldn't allocate memory for MFLong.") {}
};
class QvMFVec2f : public QvMFieldOf<float, 2> {
 public:
  QvMFVec2f() : QvMFieldOf<float, 2>("Couldn't allocate memory for MFVec2f.") {}
};
class QvMFVec3f : public QvMFieldOf<float, 3> {
 public:
  QvMFVec3f() : QvMFieldOf<float, 3>("Couldn't allocate memoery for MFVec3f.") {}
};

// A list of texts, each read as an SFString is.
class QvMFString : public QvMField {
 public:
  QvMFString() { allocValues(1); }
  bool allocValues(int32_t newNum) override;
  bool readOneValue(QvInput* in, int32_t index) override;
  void writeValue(std::string& out, int32_t maxValues = INT32_MAX) const override;

  std::vector<QvString> values;

 protected:
  bool reserveValues(int32_t capacity) override;
};

extern template class QvMFieldOf<float, 1>;
extern template class QvMFieldOf<float, 2>;
extern template class QvMFieldOf<float, 3>;
extern template class QvMFieldOf<int32_t, 1>;

#endif
