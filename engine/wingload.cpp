// engine/wingload.cpp -- the optional WinG library.
#include "engine/wingload.h"

const char* const rwWinGEntryNames[10] = {
    "WinGCreateDC",          "WinGRecommendDIBFormat",    "WinGCreateBitmap",        "WinGGetDIBPointer",
    "WinGGetDIBColorTable",  "WinGSetDIBColorTable",      "WinGCreateHalftonePalette", "WinGCreateHalftoneBrush",
    "WinGBitBlt",            "WinGStretchBlt",
};

namespace {

HMODULE wingModule = nullptr;
RwWinGLibrary wing = {};

template <class Entry>
void take(Entry& slot, FARPROC address) {
  // Through the generic function type, as the library's real types are ours to know.
  slot = reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(address));
}

}  // namespace

int RwLoadWinGLibrary() {
  RwReleaseWinGLibrary();
  // This platform's loader answers null for a library it does not provide;
  // there is no error code below 32 to tell apart.
  HMODULE module = LoadLibraryA("wing32.dll");
  if (!module) return 0;
  FARPROC found[10];
  for (int i = 0; i < 10; ++i) {
    found[i] = GetProcAddress(module, rwWinGEntryNames[i]);
    if (!found[i]) {
      FreeLibrary(module);
      return 0;
    }
  }
  take(wing.createDC, found[0]);
  take(wing.recommendDIBFormat, found[1]);
  take(wing.createBitmap, found[2]);
  take(wing.getDIBPointer, found[3]);
  take(wing.getDIBColorTable, found[4]);
  take(wing.setDIBColorTable, found[5]);
  take(wing.createHalftonePalette, found[6]);
  take(wing.createHalftoneBrush, found[7]);
  take(wing.bitBlt, found[8]);
  take(wing.stretchBlt, found[9]);
  wingModule = module;
  return 1;
}

void RwReleaseWinGLibrary() {
  if (wingModule) FreeLibrary(wingModule);
  wingModule = nullptr;
  wing = {};
}

const RwWinGLibrary* RwWinG() { return wingModule ? &wing : nullptr; }
