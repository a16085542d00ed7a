// fuzz/bookmark.cpp -- the bookmark file and a thumbnail, as the program
// reads them from the user folder: the list read, its menu entries made,
// written back and read again, and the first bookmark's thumbnail read and
// made into a bitmap.
//
// The input's first two bytes (little-endian) give the length of the
// bookmark file; the rest is the thumbnail. A bookmark file that was read
// is written so that the same bookmarks read back.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/memory.h"
#include "core/report.h"
#include "fuzz/harness.h"
#include "platform/windows.h"
#include "shell/bookmarks.h"
#include "shell/dibfile.h"

namespace {

void startLayers() {
  fuzz::adoptPrivateFolderAsHome();
  zmTurnOffFlag(ZM_FLAG_WARNING);
  zmTurnOffFlag(ZM_FLAG_ERROR);
}

void readThumbnail() {
  BITMAPINFOHEADER* dib = zmReadDibFile(zmBookmarkThumbnailPath(0).c_str());
  if (dib == nullptr) return;
  if (HBITMAP bitmap = zmDibToBitmap(dib, nullptr)) DeleteObject(bitmap);
  zmFree(dib);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = (startLayers(), true);
  (void)started;
  if (size < 2) return 0;
  const size_t listSize = std::min<size_t>(size - 2, data[0] | data[1] << 8);
  fuzz::writeInput("landmark.htm", data + 2, listSize);
  fuzz::writeInput("mark00.bmp", data + 2 + listSize, size - 2 - listSize);
  zmReadBookmark();
  const int count = zmGetBookmarkCount();
  zmBookmarkMenuEntries();
  if (zmSaveBookmark() == 0) {
    zmReadBookmark();
    if (zmGetBookmarkCount() != count) std::abort();
  }
  readThumbnail();
  zmFreeBookmarks();
  fuzz::clearPrivateFolder();
  return 0;
}
