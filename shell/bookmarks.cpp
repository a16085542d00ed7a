// shell/bookmarks.cpp -- the bookmark list, its file and thumbnails, and the
// menu entries; see bookmarks.h. The dialog is in bookmarkdialog.cpp.
#include "shell/bookmarks.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/camera.h"
#include "core/clocale.h"
#include "core/memory.h"
#include "core/report.h"
#include "core/strings.h"
#include "core/transform.h"
#include "core/world.h"
#include "loading/filetype.h"
#include "platform/lasterror.h"
#include "platform/winuser.h"
#include "shell/dibfile.h"
#include "viewer/hooks.h"
#include "viewer/person.h"

namespace {

constexpr const char* kHeader =
    "<TITLE>Personal 3D Bookmarks</TITLE>\n"
    "<H1>Personal 3D Bookmarks</H1>\n"
    "<DL><P>\n";
constexpr const char* kClosing = "</DL><P>\n";
constexpr const char* kLineFormat =
    "\t<DT><A HREF=\"%s\" LOC=\"%f %f %f %f %f %f %f %f %f %f %f %f\">%s\n";
constexpr int kHeaderLines = 3;

// The program-wide list.
struct BookmarkList {
  ZmBookmark* first = nullptr;
  ZmBookmark* last = nullptr;
  int count = 0;
  std::string path;  // of "landmark.htm", formed when first needed
} bookmarks;

// The user folder's path of a file; empty when there is no user folder.
std::string userFile(const char* name) {
  char folder[4096];
  if (zmGetUserDirName(folder, sizeof folder) == 0) return "";
  return std::string(folder) + name;
}

const std::string& bookmarkFilePath() {
  if (bookmarks.path.empty()) bookmarks.path = userFile("landmark.htm");
  return bookmarks.path;
}

// The twelve numbers of a line, in file order, from and to a camera.
void cameraToNumbers(const ZmRT& camera, float numbers[12]) {
  const float* m = camera.m;
  const float values[12] = {camera.t.x, camera.t.y, camera.t.z, m[0], m[3], m[6], m[1], m[4], m[7], m[2], m[5], m[8]};
  std::memcpy(numbers, values, sizeof values);
}

ZmRT numbersToCamera(const float n[12]) {
  return ZmRT{{n[3], n[6], n[9], n[4], n[7], n[10], n[5], n[8], n[11]}, {n[0], n[1], n[2]}};
}

/*
 * matchLine --
 *   Walks the format and the line together. At "%f" or "%s" the line's
 *   characters up to the format's next character are one conversion (a
 *   float, or a text); any other format character passes one line
 *   character without comparing it.
 * Results:
 *   The conversions made when either reaches its end; -1 when the line ends
 *   inside a conversion.
 */
int matchLine(const char* format, const std::string& line, std::vector<std::string>* texts, std::vector<float>* numbers) {
  ZmCLocaleScope cLocale;
  size_t at = 0;
  int conversions = 0;
  while (*format != '\0' && at < line.size()) {
    if (format[0] == '%' && (format[1] == 'f' || format[1] == 's')) {
      const size_t end = line.find(format[2], at);
      if (format[2] == '\0' || end == std::string::npos) return -1;
      const std::string text = line.substr(at, end - at);
      if (format[1] == 's')
        texts->push_back(text);
      else
        numbers->push_back(std::strtof(text.c_str(), nullptr));
      conversions++;
      at = end;
      format += 2;
    } else {
      format++;
      at++;
    }
  }
  return conversions;
}

// Reads one line with its line feed, of any length; false at the end.
bool readLine(FILE* file, std::string* line) {
  line->clear();
  int c;
  while ((c = getc(file)) != EOF) {
    line->push_back((char)c);
    if (c == '\n') return true;
  }
  return !line->empty();
}

ZmBookmark* newBookmark(const char* url, const char* title, const ZmRT& camera) {
  auto* bookmark = static_cast<ZmBookmark*>(zmMalloc(sizeof(ZmBookmark)));
  if (bookmark == nullptr) return nullptr;
  bookmark->url = zmStrdup(url);
  bookmark->title = zmStrdup(title);
  bookmark->camera = camera;
  if (bookmark->url != nullptr && bookmark->title != nullptr) return bookmark;
  zmFree(bookmark->url);
  zmFree(bookmark->title);
  zmFree(bookmark);
  return nullptr;
}

void freeBookmark(ZmBookmark* bookmark) {
  zmFree(bookmark->title);
  zmFree(bookmark->url);
  zmFree(bookmark);
}

void append(ZmBookmark* bookmark) {
  bookmark->next = nullptr;
  if (bookmarks.last != nullptr)
    bookmarks.last->next = bookmark;
  else
    bookmarks.first = bookmark;
  bookmarks.last = bookmark;
  bookmarks.count++;
}

// A line feed in a text would end its line early and lose the bookmarks
// after it at the next reading.
std::string oneLine(const char* text) {
  std::string line = text;
  for (char& c : line)
    if (c == '\n' || c == '\r') c = ' ';
  return line;
}

bool writeBookmarks(FILE* file) {
  if (bookmarks.first == nullptr) return true;
  ZmCLocaleScope cLocale;
  if (fputs(kHeader, file) < 0) return false;
  for (const ZmBookmark* b = bookmarks.first; b != nullptr; b = b->next) {
    float n[12];
    cameraToNumbers(b->camera, n);
    if (fprintf(file, kLineFormat, oneLine(b->url).c_str(), n[0], n[1], n[2], n[3], n[4], n[5], n[6], n[7], n[8],
                n[9], n[10], n[11], oneLine(b->title).c_str()) < 0)
      return false;
  }
  return fputs(kClosing, file) >= 0;
}

}  // namespace

ZmBookmark* zmReadBookmark() {
  zmFreeBookmarks();
  const std::string& path = bookmarkFilePath();  // formed here, kept for the saving
  if (path.empty()) {
    zmReportWarning("zmReadBookmark: zmGetModuleDirname failed");
    return nullptr;
  }
  FILE* file = fopen(path.c_str(), "r");
  if (file == nullptr) return nullptr;
  std::string line;
  for (int skipped = 0; skipped < kHeaderLines && readLine(file, &line); skipped++) {
  }
  while (readLine(file, &line) && line != kClosing && line != "</DL><P>") {
    std::vector<std::string> texts;
    std::vector<float> numbers;
    if (matchLine(kLineFormat, line, &texts, &numbers) < 0 || texts.size() != 2 || numbers.size() != 12) break;
    ZmBookmark* bookmark = newBookmark(texts[0].c_str(), texts[1].c_str(), numbersToCamera(numbers.data()));
    if (bookmark == nullptr) {
      zmReportError("zmAddBookmark: zmMalloc failed");
      break;
    }
    append(bookmark);
  }
  fclose(file);
  return bookmarks.first;
}

int zmSaveBookmark() {
  const std::string& path = bookmarkFilePath();
  const std::string temporary = path + ".new";
  FILE* file = path.empty() ? nullptr : fopen(temporary.c_str(), "w");
  if (file == nullptr) {
    zmReportWarning("zmSaveBookmark: can not open bookmark file");
    return -1;
  }
  bool written = writeBookmarks(file) && fflush(file) == 0;
  written = fclose(file) == 0 && written;
  if (written && rename(temporary.c_str(), path.c_str()) == 0) return 0;
  unlink(temporary.c_str());
  zmReportError("zmSaveBookmark: maybe disk full, %s", path.c_str());
  return -1;
}

int zmSetBookmark(ZmBookmark* bookmark, ZmWorld* world, ZmObj* camera) {
  if (world->name == nullptr) {
    zmReportError("zmSetBookmark: url is NULL");
    return -1;
  }
  const ZmRT* frame = zmGetWRT(camera);
  if (frame == nullptr) return -1;
  char title[1024];
  {
    ZmCLocaleScope cLocale;
    snprintf(title, sizeof title, "%s(%f,%f,%f)", world->title != nullptr ? world->title : "Unknown World", frame->t.x,
             frame->t.y, frame->t.z);
  }
  char* url = zmStrdup(world->name);
  char* copied = zmStrdup(title);
  if (url == nullptr || copied == nullptr) {
    zmFree(url);
    zmFree(copied);
    return -1;
  }
  zmFree(bookmark->url);
  zmFree(bookmark->title);
  bookmark->url = url;
  bookmark->title = copied;
  bookmark->camera = *frame;
  return 0;
}

const char* zmAddBookmark(ZmWorld* world) {
  if (world == nullptr) {
    zmReportWarning("zmAddBookmark: NULL world");
    return nullptr;
  }
  ZmObj* camera = zmGetActiveCamera(world);
  if (camera == nullptr) {
    zmReportWarning("zmAddBookmark: NULL camera");
    return nullptr;
  }
  auto* bookmark = static_cast<ZmBookmark*>(zmMalloc(sizeof(ZmBookmark)));
  if (bookmark == nullptr) {
    zmReportError("zmAddBookmark: zmMalloc failed");
    return nullptr;
  }
  if (zmSetBookmark(bookmark, world, camera) != 0) {
    freeBookmark(bookmark);
    return nullptr;
  }
  append(bookmark);
  return bookmark->title;
}

int zmGetBookmarkCount() { return bookmarks.count; }

ZmBookmark* zmGetBookmark(int position, ZmBookmark** previous) {
  if (position < 0 || position >= bookmarks.count) return nullptr;
  ZmBookmark* before = nullptr;
  ZmBookmark* bookmark = bookmarks.first;
  for (int i = 0; i < position; i++) {
    before = bookmark;
    bookmark = bookmark->next;
  }
  if (previous != nullptr) *previous = before;
  return bookmark;
}

std::string zmBookmarkThumbnailPath(int position) {
  char name[32];
  snprintf(name, sizeof name, "mark%02d.bmp", position);
  return userFile(name);
}

int zmDeleteBookmark(int position) {
  ZmBookmark* previous;
  ZmBookmark* bookmark = zmGetBookmark(position, &previous);
  if (bookmark == nullptr) return -1;
  if (previous != nullptr)
    previous->next = bookmark->next;
  else
    bookmarks.first = bookmark->next;
  if (bookmarks.last == bookmark) bookmarks.last = previous;
  freeBookmark(bookmark);
  const int formerCount = bookmarks.count--;
  unlink(zmBookmarkThumbnailPath(position).c_str());
  for (int later = position + 1; later < formerCount; later++)
    rename(zmBookmarkThumbnailPath(later).c_str(), zmBookmarkThumbnailPath(later - 1).c_str());
  return 0;
}

void zmFreeBookmarks() {
  while (bookmarks.first != nullptr) {
    ZmBookmark* next = bookmarks.first->next;
    freeBookmark(bookmarks.first);
    bookmarks.first = next;
  }
  bookmarks.last = nullptr;
  bookmarks.count = 0;
  bookmarks.path.clear();  // the next reading looks the file up again
}

int zmCaptureBookmarkThumbnail(HWND view) {
  RECT client;
  if (bookmarks.count == 0 || !GetClientRect(view, &client)) return -1;
  const int width = (client.right - client.left) / 2;
  const int height = (client.bottom - client.top) / 2;
  if (width < 1 || height < 1) return -1;
  HDC source = GetDC(view);
  if (source == nullptr) return -1;
  HDC memory = CreateCompatibleDC(source);
  HBITMAP picture = CreateCompatibleBitmap(source, width, height);
  HGDIOBJ previous = SelectObject(memory, picture);
  SetStretchBltMode(memory, COLORONCOLOR);
  BOOL copied = StretchBlt(memory, 0, 0, width, height, source, 0, 0, client.right - client.left,
                           client.bottom - client.top, SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
  ReleaseDC(view, source);
  BITMAPINFOHEADER* dib = copied ? zmBitmapToDib(picture, BI_RGB, 0, nullptr) : nullptr;
  DeleteObject(picture);
  if (dib == nullptr) return -1;
  const DWORD code = zmWriteDibFile(zmBookmarkThumbnailPath(bookmarks.count - 1).c_str(), dib);
  zmFree(dib);
  switch (code) {
    case 0: return 0;
    case ERROR_PATH_NOT_FOUND: return -8;
    case ERROR_DISK_FULL: return -10;
    default: return -1;
  }
}

std::vector<ZmBookmarkMenuEntry> zmBookmarkMenuEntries() {
  std::vector<ZmBookmarkMenuEntry> entries;
  int id = 1;
  for (const ZmBookmark* b = bookmarks.first; b != nullptr && id <= ZM_MAX_BOOKMARK_MENU_ENTRIES; b = b->next)
    entries.push_back({id++, b->title});
  return entries;
}

int zmGoToBookmark(int position, int (*goToUrl)(const char* url, const ZmRT* camera)) {
  ZmBookmark* bookmark = zmGetBookmark(position, nullptr);
  if (bookmark == nullptr) return -1;
  ZmWorld* world = zmGetCurrentWorld();
  if (world != nullptr && world->name != nullptr && std::strcmp(world->name, bookmark->url) == 0)
    return zmPlacePersonAtCamera(world->person, &bookmark->camera);
  return goToUrl(bookmark->url, &bookmark->camera);
}

