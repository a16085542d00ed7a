// loading/gzip.cpp -- unpacking gzip files in the program, with zlib.
#include "loading/gzip.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "core/dirs.h"
#include "core/report.h"
#include "loading/filetype.h"

namespace {

// A few bytes of gzip can stand for gigabytes; no unpacked file may grow
// past this.
uint64_t unpackLimit = ZM_GZIP_DEFAULT_LIMIT;

constexpr size_t kChunk = 64 << 10;
// The main window is served at most once per this many milliseconds.
constexpr DWORD kPumpIntervalMs = 100;
// zlib's window bits for a gzip stream and nothing else: a file that is not
// gzip must fail rather than be copied as it is.
constexpr int kGzipOnly = 15 + 16;

enum class Unpacked { whole, failed, tooLarge };

bool isSeparator(char c) { return c == '/' || c == '\\'; }

// Offset of the file name part of a path.
size_t baseNameStart(const char* path) {
  size_t start = 0;
  for (size_t i = 0; path[i] != '\0'; i++)
    if (isSeparator(path[i])) start = i + 1;
  return start;
}

const char* typeExtension(uint32_t type) {
  switch (type) {
    case 4: return ".wrl";
    case 8: return ".gif";
    case 7: return ".jpg";
    case 0: return ".bmp";
    case 5: return ".tcl";
    case 2: return ".avi";
    case 3: return ".wav";
    case 6: return ".wkn";
    default: return "";
  }
}

// Copies `text` into out; false when it does not fit.
bool copyName(char* out, size_t outSize, const char* text) {
  int length = std::snprintf(out, outSize, "%s", text);
  return length >= 0 && (size_t)length < outSize;
}

// The unpacked name's place: the user folder (the program's own folder is
// read-only here) plus the source's base name for flag 0, the source itself
// otherwise. False after its error.
bool placeName(int flag, const char* source, char* out, size_t outSize) {
  const char* base = source + baseNameStart(source);
  if (*base == '\0') {
    zmReportError("MakeGzipName: invalid filename");
    return false;
  }
  if (flag != 0) return copyName(out, outSize, source);
  char userDir[MAX_PATH];
  if (zmGetUserDirName(userDir, sizeof userDir) == 0) {
    zmReportError("MakeGzipName: zmGetModuleDirName failed");
    return false;
  }
  int length = std::snprintf(out, outSize, "%s%s", userDir, base);
  return length >= 0 && (size_t)length < outSize;
}

void reportFailure(const char* reason) { zmReportError("%s : %s", "Decompress()", reason); }

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

struct InflateEnd {
  void operator()(z_stream* stream) const { inflateEnd(stream); }
};

// Serves at most one of the window's messages at once and then whenever
// the last was served kPumpIntervalMs ago or more, so that the frame timer
// and the user's input go on during a long unpack.
class MessagePump {
 public:
  explicit MessagePump(HWND window) : window_(window) {}
  void serve() {
    if (served_ && GetTickCount() - last_ < kPumpIntervalMs) return;
    served_ = true;
    last_ = GetTickCount();
    MSG message;
    if (PeekMessageA(&message, window_, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }

 private:
  HWND window_;
  bool served_ = false;
  DWORD last_ = 0;
};

// Unpacks every gzip member of `in` into `out`, writing at most `limit`
// bytes. Bytes after the last member that do not start another are ignored.
Unpacked inflateMembers(FILE* in, FILE* out, uint64_t limit, MessagePump& pump) {
  z_stream stream = {};
  if (inflateInit2(&stream, kGzipOnly) != Z_OK) return Unpacked::failed;
  std::unique_ptr<z_stream, InflateEnd> ending(&stream);
  std::unique_ptr<unsigned char[]> input(new unsigned char[kChunk]);
  std::unique_ptr<unsigned char[]> output(new unsigned char[kChunk]);
  uint64_t written = 0;
  int status = Z_OK;
  for (;;) {
    if (stream.avail_in == 0) {
      stream.avail_in = (uInt)std::fread(input.get(), 1, kChunk, in);
      stream.next_in = input.get();
      if (stream.avail_in == 0)
        return std::ferror(in) || status != Z_STREAM_END ? Unpacked::failed : Unpacked::whole;
    }
    if (status == Z_STREAM_END) {
      if (stream.next_in[0] != 0x1f) return Unpacked::whole;
      inflateReset(&stream);
    }
    stream.next_out = output.get();
    stream.avail_out = kChunk;
    status = inflate(&stream, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) return Unpacked::failed;
    const size_t produced = kChunk - stream.avail_out;
    if (produced > limit - written) return Unpacked::tooLarge;
    if (std::fwrite(output.get(), 1, produced, out) != produced) return Unpacked::failed;
    written += produced;
    pump.serve();
  }
}

Unpacked unpack(HWND window, const char* source, const char* target, uint64_t limit) {
  File in(std::fopen(source, "rb"));
  if (!in) return Unpacked::failed;
  File out(std::fopen(target, "wb"));
  if (!out) return Unpacked::failed;
  MessagePump pump(window);
  Unpacked result = inflateMembers(in.get(), out.get(), limit, pump);
  if (std::fclose(out.release()) != 0 && result == Unpacked::whole) result = Unpacked::failed;
  return result;
}

}  // namespace

char* MakeGzipName(int flag, const char* source, char* out, size_t outSize, uint32_t type) {
  if (source == nullptr || out == nullptr || outSize == 0) return nullptr;
  if (!placeName(flag, source, out, outSize)) {
    out[0] = '\0';
    return nullptr;
  }
  // Only the base name is searched: a '.', '~' or '_' in a folder name
  // must not rename the folder.
  size_t base = baseNameStart(out);
  char* extension = std::strrchr(out + base, '.');
  if (extension == nullptr) {
    // A base name without '.' has no ".gz" to cut. Cutting at the start, as
    // for other names, would leave only the type's extension (or, for a
    // type without one, the source itself, overwritten while it is read),
    // so such a name is refused.
    zmReportError("MakeGzipName: invalid filename");
    out[0] = '\0';
    return nullptr;
  }
  *extension = '\0';
  for (char* p = extension; p > out + base;) {
    p--;
    if (*p == '.' || *p == '~' || *p == '_') {
      *p = '.';
      return out;
    }
  }
  size_t length = std::strlen(out);
  const char* typeName = typeExtension(type);
  if (length + std::strlen(typeName) >= outSize) {
    out[0] = '\0';
    return nullptr;
  }
  std::memcpy(out + length, typeName, std::strlen(typeName) + 1);
  return out;
}

int Decompress(int flag, HWND window, const char* source, char* out, size_t outSize, uint32_t type) {
  if (source == nullptr || out == nullptr || outSize == 0) return ZM_GZIP_FAILED;
  if (MakeGzipName(flag, source, out, outSize, type) == nullptr) return ZM_GZIP_FAILED;
  const Unpacked result = unpack(window, source, out, unpackLimit);
  if (result == Unpacked::whole) return 0;
  // What was written before the failure is not the file; nothing may take
  // it for the unpacked world later.
  std::remove(out);
  out[0] = '\0';
  if (result == Unpacked::tooLarge) {
    // A hostile or broken file, not a fault of the program: it is refused
    // and the world goes on without it.
    zmReportMessage("%s : %s: unpacked file too large", "Decompress()", source);
  } else {
    reportFailure("gzip failure");
  }
  return ZM_GZIP_FAILED;
}

void zmSetUnpackLimit(uint64_t bytes) { unpackLimit = bytes; }
uint64_t zmGetUnpackLimit() { return unpackLimit; }
