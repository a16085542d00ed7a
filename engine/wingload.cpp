// engine/wingload.cpp -- the optional WinG library.
#include "engine/wingload.h"

#include "engine/devicestate.h"

const char* const rwWinGEntryNames[10] = {
    "WinGCreateDC",          "WinGRecommendDIBFormat",    "WinGCreateBitmap",        "WinGGetDIBPointer",
    "WinGGetDIBColorTable",  "WinGSetDIBColorTable",      "WinGCreateHalftonePalette", "WinGCreateHalftoneBrush",
    "WinGBitBlt",            "WinGStretchBlt",
};

namespace {

template <class Entry>
void take(Entry& slot, FARPROC address) {
  // Through the generic function type, as the library's real types are ours to know.
  slot = reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(address));
}

}  // namespace

int RwLoadWinGLibrary() {
  RwDeviceState::LoadedWinG& loaded = rwDeviceState().winG;
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
  take(loaded.entries.createDC, found[0]);
  take(loaded.entries.recommendDIBFormat, found[1]);
  take(loaded.entries.createBitmap, found[2]);
  take(loaded.entries.getDIBPointer, found[3]);
  take(loaded.entries.getDIBColorTable, found[4]);
  take(loaded.entries.setDIBColorTable, found[5]);
  take(loaded.entries.createHalftonePalette, found[6]);
  take(loaded.entries.createHalftoneBrush, found[7]);
  take(loaded.entries.bitBlt, found[8]);
  take(loaded.entries.stretchBlt, found[9]);
  loaded.module = module;
  return 1;
}

void RwReleaseWinGLibrary() {
  RwDeviceState::LoadedWinG& loaded = rwDeviceState().winG;
  if (loaded.module) FreeLibrary(loaded.module);
  loaded.module = nullptr;
  loaded.entries = {};
}

const RwWinGLibrary* RwWinG() {
  RwDeviceState::LoadedWinG& loaded = rwDeviceState().winG;
  return loaded.module ? &loaded.entries : nullptr;
}
