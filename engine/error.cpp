// engine/error.cpp -- the sticky error number.
#include "engine/error.h"

#include "engine/librarystate.h"

int RwGetAndClearError() {
  int& stickyError = rwLibraryState().stickyError;
  int number = stickyError;
  stickyError = rwErrNone;
  return number;
}

int RwGetError() { return rwLibraryState().stickyError; }

int RwSetError(int number) {
  RwRestoreError(number);
  return number;
}

int RwRestoreError(int number) {
  int& stickyError = rwLibraryState().stickyError;
  int stored = number > rwErrorCap ? rwErrorCap : number;
  if (stickyError == rwErrNone) stickyError = stored;
  return stored;
}
