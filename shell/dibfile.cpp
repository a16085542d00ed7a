// shell/dibfile.cpp -- BMP files, packed DIBs and bitmaps; see dibfile.h.
#include "shell/dibfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/dirs.h"
#include "core/memory.h"
#include "core/report.h"
#include "loading/bmpfile.h"
#include "platform/lasterror.h"
#include "platform/winuser.h"

namespace {

constexpr DWORD kInfoSize = sizeof(BITMAPINFOHEADER);  // 40
constexpr DWORD kFileHeaderSize = 14;

bool writtenDepth(WORD bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 24; }

// Bytes of the pixel rows of a header: DWORD-aligned rows, height of them.
uint64_t rowBytes(LONG width, LONG height, WORD bits) {
  uint64_t row = ((uint64_t)(uint32_t)width * bits + 31) / 32 * 4;
  return row * (uint64_t)(uint32_t)(height < 0 ? -height : height);
}

struct FileCloser {
  FILE* file;
  ~FileCloser() {
    if (file != nullptr) fclose(file);
  }
};

struct MapHolder {
  unsigned char* map = nullptr;
  ~MapHolder() { zmFree(map); }
};

// The system code that the real interface gives for the failure in errno.
DWORD systemCodeOf(int error) {
  switch (error) {
    case ENOENT: case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case ENOSPC: case EDQUOT: return ERROR_DISK_FULL;
    case EACCES: case EPERM: case EROFS: case EISDIR: return ERROR_ACCESS_DENIED;
    default: return ERROR_WRITE_FAULT;
  }
}

long fileLength(FILE* file) {
  struct stat status;
  return fstat(fileno(file), &status) == 0 ? (long)status.st_size : -1;
}

// The header and colour map of the open file, with or without its "BM"
// file header; the offset of the pixel rows (0: they follow the map).
bool readHeaders(FILE* file, ZmBmpInfo* info, uint32_t* pixelOffset) {
  char type[2] = {0, 0};
  bool fileHeader = fread(type, 1, 2, file) == 2 && type[0] == 'B' && type[1] == 'M';
  rewind(file);
  if (!fileHeader) {
    *pixelOffset = 0;
    return zmReadBMPInfoOnly(file, info) == 0;
  }
  ZmBmpFileHeader header = {};
  if (zmReadBMPInfoHeader(file, &header, info) != 0) return false;
  *pixelOffset = header.dataOffset;
  return true;
}

}  // namespace

DWORD zmDibNumColors(const BITMAPINFOHEADER* header) {
  WORD bits;
  if (header->biSize == sizeof(BITMAPCOREHEADER)) {
    bits = reinterpret_cast<const BITMAPCOREHEADER*>(header)->bcBitCount;
  } else {
    if (header->biClrUsed != 0) return header->biClrUsed;
    bits = header->biBitCount;
  }
  switch (bits) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

DWORD zmDibColorTableSize(const BITMAPINFOHEADER* header) {
  return zmDibNumColors(header) * (header->biSize == sizeof(BITMAPCOREHEADER) ? 3 : 4);
}

void zmCompleteDibHeader(BITMAPINFOHEADER* header) {
  if (header->biSizeImage == 0) header->biSizeImage = (DWORD)rowBytes(header->biWidth, header->biHeight, header->biBitCount);
  if (header->biClrUsed == 0) header->biClrUsed = zmDibNumColors(header);
}

void* zmDibBits(BITMAPINFOHEADER* dib) {
  return reinterpret_cast<char*>(dib) + dib->biSize + zmDibColorTableSize(dib);
}

BITMAPINFOHEADER* zmReadDibFile(const char* path) {
  if (path == nullptr || zmIsNotRegularFile(path)) return nullptr;
  FileCloser file{fopen(path, "rb")};
  if (file.file == nullptr) return nullptr;
  ZmBmpInfo info = {};
  MapHolder map;
  uint32_t pixelOffset = 0;
  bool headersRead = readHeaders(file.file, &info, &pixelOffset);
  map.map = info.colormap;
  if (!headersRead) return nullptr;
  if (info.compression != BI_RGB) {
    zmReportWarning("zmReadDibFile: compressed pictures are not read [%s]\n", path);
    return nullptr;
  }
  const uint64_t rows = rowBytes(info.width, info.height, info.bitCount);
  if ((info.imageSize != 0 && info.imageSize < rows) || rows > ZM_BMP_MAX_PIXEL_BYTES) {
    zmReportWarning("zmReadDibFile: the image size does not fit the picture [%s]\n", path);
    return nullptr;
  }
  // A table in front of 24-bit rows is optional and not kept.
  const DWORD colours = info.bitCount < 24 ? (info.colorsUsed != 0 ? info.colorsUsed : 1u << info.bitCount) : 0;
  if (info.bitCount == 24 && info.colorsUsed != 0 && pixelOffset == 0) {
    if (info.colorsUsed > 256 || fseek(file.file, (long)info.colorsUsed * 4, SEEK_CUR) != 0) return nullptr;
  }
  if (pixelOffset != 0 && fseek(file.file, (long)pixelOffset, SEEK_SET) != 0) return nullptr;
  const long at = ftell(file.file);
  const long length = fileLength(file.file);
  if (at < 0 || length < 0 || (uint64_t)at + rows > (uint64_t)length) {
    zmReportWarning("zmReadDibFile: the pixel rows run past the end of the file [%s]\n", path);
    return nullptr;
  }
  auto* dib = static_cast<BITMAPINFOHEADER*>(zmMalloc(kInfoSize + colours * 4 + rows));
  if (dib == nullptr) return nullptr;
  *dib = BITMAPINFOHEADER{kInfoSize, info.width, info.height, 1, info.bitCount, BI_RGB, (DWORD)rows,
                          info.xPelsPerMeter, info.yPelsPerMeter, colours, info.colorsImportant};
  if (colours != 0) std::memcpy(dib + 1, info.colormap, colours * 4);
  if (fread(zmDibBits(dib), 1, rows, file.file) != rows) {
    zmFree(dib);
    return nullptr;
  }
  return dib;
}

DWORD zmWriteDibFile(const char* path, const BITMAPINFOHEADER* dib) {
  if (dib == nullptr) return ERROR_INVALID_HANDLE;
  if (dib->biSize != kInfoSize || !writtenDepth(dib->biBitCount) || dib->biCompression != BI_RGB ||
      dib->biWidth < 1 || dib->biHeight < 1 || (dib->biBitCount == 24 && dib->biClrUsed != 0) ||
      dib->biClrUsed > (1u << dib->biBitCount))
    return ERROR_BAD_FORMAT;
  const DWORD table = zmDibColorTableSize(dib);
  const uint64_t rows = rowBytes(dib->biWidth, dib->biHeight, dib->biBitCount);
  if (kFileHeaderSize + kInfoSize + table + rows > UINT32_MAX) return ERROR_BAD_FORMAT;
  ZmBmpInfo info = {kInfoSize, dib->biWidth, dib->biHeight, 1, dib->biBitCount, BI_RGB, (uint32_t)rows,
                    dib->biXPelsPerMeter, dib->biYPelsPerMeter, dib->biClrUsed, dib->biClrImportant,
                    const_cast<unsigned char*>(reinterpret_cast<const unsigned char*>(dib + 1))};
  ZmBmpFileHeader header = {"BM", (uint32_t)(kFileHeaderSize + kInfoSize + table + rows), 0, 0,
                            kFileHeaderSize + kInfoSize + table};

  int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return systemCodeOf(errno);
  FILE* file = fdopen(fd, "wb");
  if (file == nullptr) {
    int error = errno;
    close(fd);
    unlink(path);
    return systemCodeOf(error);
  }
  errno = 0;
  const auto* bits = reinterpret_cast<const char*>(dib + 1) + table;
  bool written = zmWriteBMPHeaders(file, &header, &info) == 0 && fwrite(bits, 1, rows, file) == rows &&
                 fflush(file) == 0;
  int error = errno;
  // Only a file of our own making is removed: never a device named as the
  // target.
  struct stat status;
  bool regular = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
  if (fclose(file) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written) return 0;
  if (regular) unlink(path);
  return systemCodeOf(error);
}

BITMAPINFOHEADER* zmBitmapToDib(HBITMAP bitmap, DWORD compression, WORD bitsPerPixel, HPALETTE palette) {
  BITMAP description;
  if (bitmap == nullptr || GetObjectA(bitmap, sizeof description, &description) == 0) return nullptr;
  if (bitsPerPixel == 0) {
    int depth = description.bmPlanes * description.bmBitsPixel;
    bitsPerPixel = (depth == 1 || depth == 2 || depth == 4 || depth == 8) ? (WORD)depth : 24;
  }
  BITMAPINFOHEADER header = {kInfoSize, description.bmWidth, description.bmHeight, 1, bitsPerPixel, compression};
  auto* dib = static_cast<BITMAPINFOHEADER*>(zmMalloc(kInfoSize + zmDibColorTableSize(&header)));
  if (dib == nullptr) return nullptr;
  *dib = header;

  HDC screen = GetDC(nullptr);
  HPALETTE chosen = palette != nullptr ? palette : static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  HPALETTE previous = SelectPalette(screen, chosen, FALSE);
  RealizePalette(screen);
  bool done = false;
  if (GetDIBits(screen, bitmap, 0, (UINT)header.biHeight, nullptr, reinterpret_cast<BITMAPINFO*>(dib),
                DIB_RGB_COLORS) != 0) {
    if (dib->biSizeImage == 0) {
      uint64_t size = rowBytes(dib->biWidth, dib->biHeight, dib->biBitCount);
      dib->biSizeImage = (DWORD)(compression != BI_RGB ? size * 3 / 2 : size);
    }
    auto* grown = static_cast<BITMAPINFOHEADER*>(
        zmRealloc(dib, kInfoSize + zmDibColorTableSize(dib) + dib->biSizeImage));
    if (grown != nullptr) {
      dib = grown;
      done = GetDIBits(screen, bitmap, 0, (UINT)dib->biHeight, zmDibBits(dib), reinterpret_cast<BITMAPINFO*>(dib),
                       DIB_RGB_COLORS) != 0;
    }
  }
  if (previous != nullptr) SelectPalette(screen, previous, FALSE);
  ReleaseDC(nullptr, screen);
  if (done) {
    zmCompleteDibHeader(dib);  // as a DIB read from a file: its colour count stated
    return dib;
  }
  zmFree(dib);
  return nullptr;
}

HBITMAP zmDibToBitmap(const BITMAPINFOHEADER* dib, HPALETTE palette) {
  if (dib == nullptr) return nullptr;
  HDC screen = GetDC(nullptr);
  HPALETTE previous = nullptr;
  if (palette != nullptr) {
    previous = SelectPalette(screen, palette, FALSE);
    RealizePalette(screen);
  }
  const void* bits = zmDibBits(const_cast<BITMAPINFOHEADER*>(dib));
  HBITMAP bitmap =
      CreateDIBitmap(screen, dib, CBM_INIT, bits, reinterpret_cast<const BITMAPINFO*>(dib), DIB_RGB_COLORS);
  if (previous != nullptr) SelectPalette(screen, previous, FALSE);
  ReleaseDC(nullptr, screen);
  return bitmap;
}
