// vrml/qvmfields.cpp -- value blocks and element readers of the list fields.
#include "vrml/qvmfields.h"

#include <new>

#include "core/memory.h"
#include "core/report.h"
#include "vrml/qvinput.h"
#include "vrml/qvsfields.h"

namespace {

bool readComponent(QvInput* in, float& f) { return in->read(f); }

bool readComponent(QvInput* in, int32_t& i) {
  long l;
  if (!in->read(l)) return false;
  i = static_cast<int32_t>(l);
  return true;
}

void writeComponent(std::string& out, float f) { qvWriteFloat(out, f); }
void writeComponent(std::string& out, int32_t i) { out += std::to_string(i); }

}  // namespace

template <class T, int N> QvMFieldOf<T, N>::~QvMFieldOf() {
  zmFree(values);
  values = nullptr;
}

// Resizes the block to count elements; on failure the block stays as it was.
template <class T, int N> bool QvMFieldOf<T, N>::resizeBlock(int32_t count) {
  size_t bytes = static_cast<size_t>(count) * N * sizeof(T);
  T* block = static_cast<T*>(values ? zmRealloc(values, bytes) : zmMalloc(bytes));
  if (block == nullptr) {
    zmReportError("%s : %s", "allocValues()", allocFailureText);
    return false;
  }
  values = block;
  return true;
}

template <class T, int N> bool QvMFieldOf<T, N>::allocValues(int32_t newNum) {
  if (newNum < 1) {
    if (values == nullptr) zmReportWarning("%s : %s", "allocValues()", "newNum is 0 value.");
    zmFree(values);
    values = nullptr;
    num = maxNum = 0;
    return true;
  }
  if (!resizeBlock(newNum)) return false;
  num = maxNum = newNum;
  return true;
}

template <class T, int N> bool QvMFieldOf<T, N>::reserveValues(int32_t capacity) {
  if (!resizeBlock(capacity)) return false;
  maxNum = capacity;
  return true;
}

template <class T, int N> bool QvMFieldOf<T, N>::readOneValue(QvInput* in, int32_t index) {
  T* element = values + static_cast<size_t>(index) * N;
  for (int i = 0; i < N; ++i)
    if (!readComponent(in, element[i])) return false;
  return true;
}

template <class T, int N>
void QvMFieldOf<T, N>::writeValue(std::string& out, int32_t maxValues) const {
  out += '[';
  for (int32_t i = 0; i < num; ++i) {
    if (i == maxValues) {
      out += " ... (" + std::to_string(num) + " values)";
      break;
    }
    out += i ? ", " : " ";
    for (int k = 0; k < N; ++k) {
      if (k) out += ' ';
      writeComponent(out, values[static_cast<size_t>(i) * N + k]);
    }
  }
  out += " ]";
}

template class QvMFieldOf<float, 1>;
template class QvMFieldOf<float, 2>;
template class QvMFieldOf<float, 3>;
template class QvMFieldOf<int32_t, 1>;

// ----------------------------------------------------------------- MFString

bool QvMFString::allocValues(int32_t newNum) {
  if (!reserveValues(newNum < 1 ? 0 : newNum)) return false;
  num = maxNum;
  return true;
}

bool QvMFString::reserveValues(int32_t capacity) {
  try {
    values.resize(capacity);
  } catch (const std::bad_alloc&) {
    zmReportError("%s : %s", "allocValues()", "Couldn't allocate memory for MFString.");
    return false;
  }
  maxNum = capacity;
  return true;
}

bool QvMFString::readOneValue(QvInput* in, int32_t index) { return in->read(values[index]); }

void QvMFString::writeValue(std::string& out, int32_t maxValues) const {
  out += '[';
  for (int32_t i = 0; i < num; ++i) {
    if (i == maxValues) {
      out += " ... (" + std::to_string(num) + " values)";
      break;
    }
    out += i ? ", " : " ";
    QvSFString text;
    text.value = values[i];
    text.writeValue(out);
  }
  out += " ]";
}
