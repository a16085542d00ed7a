// engine/error.cpp -- the sticky error number.
#include "engine/error.h"

namespace {

int stickyError = rwErrNone;  // 0: no error pending

}  // namespace

int RwGetAndClearError() {
  int number = stickyError;
  stickyError = rwErrNone;
  return number;
}

int RwGetError() { return stickyError; }

int RwSetError(int number) {
  RwRestoreError(number);
  return number;
}

int RwRestoreError(int number) {
  int stored = number > rwErrorCap ? rwErrorCap : number;
  if (stickyError == rwErrNone) stickyError = stored;
  return stored;
}
