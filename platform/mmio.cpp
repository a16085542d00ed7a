// platform/mmio.cpp -- the multimedia file calls over plain files: opening
// for reading, positioned reads, and walking RIFF chunks.
//
// Each open file keeps the chunks descended into and not yet ascended from,
// so that a read stops at the end of the innermost one, as a chunk reader
// expects. Chunk headers are little-endian in the file whatever the host.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/handletable.h"
#include "platform/mmstate.h"

namespace {

using platform::MmioFile;
using platform::OpenChunk;

MmioFile* findFile(HMMIO mmio) { return platform::multimedia().files.find(mmio); }

UINT openErrorFor(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return MMIOERR_FILENOTFOUND;
    case EACCES:
    case EPERM:
      return MMIOERR_ACCESSDENIED;
    default:
      return MMIOERR_CANNOTOPEN;
  }
}

bool readLittleEndian32(FILE* file, DWORD* value) {
  unsigned char bytes[4];
  if (std::fread(bytes, 1, 4, file) != 4) return false;
  *value = DWORD(bytes[0]) | DWORD(bytes[1]) << 8 | DWORD(bytes[2]) << 16 | DWORD(bytes[3]) << 24;
  return true;
}

struct ChunkHeader {
  FOURCC id = 0;
  DWORD size = 0;
  FOURCC formType = 0;  // RIFF and LIST chunks only
  bool hasForm = false;
};

// Reads the header of the chunk at `pos` when it lies wholly before `limit`.
bool readChunkHeader(MmioFile& mmio, long pos, long limit, ChunkHeader* header) {
  if (pos + 8 > limit || std::fseek(mmio.file, pos, SEEK_SET) != 0) return false;
  if (!readLittleEndian32(mmio.file, &header->id) || !readLittleEndian32(mmio.file, &header->size))
    return false;
  header->hasForm = header->id == FOURCC_RIFF || header->id == FOURCC_LIST;
  if (!header->hasForm) return true;
  return header->size >= 4 && pos + 12 <= limit && readLittleEndian32(mmio.file, &header->formType);
}

bool matches(const ChunkHeader& header, const MMCKINFO& wanted, UINT flags) {
  if (flags & MMIO_FINDRIFF) return header.id == FOURCC_RIFF && header.formType == wanted.fccType;
  if (flags & MMIO_FINDLIST) return header.id == FOURCC_LIST && header.formType == wanted.fccType;
  if (flags & MMIO_FINDCHUNK) return header.id == wanted.ckid;
  return true;
}

}  // namespace

HMMIO mmioOpenA(LPSTR fileName, LPMMIOINFO info, DWORD flags) {
  auto& files = platform::multimedia().files;
  auto fail = [info](UINT error) -> HMMIO {
    if (info != nullptr) info->wErrorRet = error;
    return nullptr;
  };
  if (fileName == nullptr) return fail(MMIOERR_FILENOTFOUND);
  if (flags & (MMIO_WRITE | MMIO_READWRITE)) return fail(MMIOERR_ACCESSDENIED);
  FILE* file = std::fopen(fileName, "rb");
  if (file == nullptr) return fail(openErrorFor(errno));
  // A folder opens for reading on Linux but reads nothing.
  struct stat status;
  if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) {
    std::fclose(file);
    return fail(MMIOERR_CANNOTOPEN);
  }
  HMMIO handle = files.add(MmioFile{file, long(status.st_size), {}});
  if (info != nullptr) info->wErrorRet = MMSYSERR_NOERROR;
  return reinterpret_cast<HMMIO>(handle);
}

MMRESULT mmioClose(HMMIO mmio, UINT) {
  auto& files = platform::multimedia().files;
  MmioFile* file = findFile(mmio);
  if (file == nullptr) return MMSYSERR_INVALHANDLE;
  std::fclose(file->file);
  files.remove(mmio);
  return MMSYSERR_NOERROR;
}

LONG mmioRead(HMMIO mmio, HPSTR buffer, LONG count) {
  MmioFile* file = findFile(mmio);
  if (file == nullptr || count < 0 || (buffer == nullptr && count > 0)) return -1;
  long pos = std::ftell(file->file);
  if (pos < 0) return -1;
  if (!file->chunks.empty()) {
    long end = file->chunks.back().dataEnd;
    if (pos >= end) return 0;
    if (count > end - pos) count = LONG(end - pos);
  }
  size_t got = std::fread(buffer, 1, size_t(count), file->file);
  if (got < size_t(count) && std::ferror(file->file)) {
    std::clearerr(file->file);
    return -1;
  }
  return LONG(got);
}

LONG mmioSeek(HMMIO mmio, LONG offset, int origin) {
  MmioFile* file = findFile(mmio);
  if (file == nullptr) return -1;
  if (origin != SEEK_SET && origin != SEEK_CUR && origin != SEEK_END) return -1;
  if (std::fseek(file->file, offset, origin) != 0) return -1;
  return LONG(std::ftell(file->file));
}

// The search walks sibling chunks from the position; a chunk whose declared
// size runs past the limit ends it. A chunk found whose data run past the
// end of the file is still entered: its reads then come up short, which the
// reader sees.
MMRESULT mmioDescend(HMMIO mmio, LPMMCKINFO ck, LPCMMCKINFO parent, UINT flags) {
  MmioFile* file = findFile(mmio);
  if (file == nullptr) return MMSYSERR_INVALHANDLE;
  if (ck == nullptr) return MMSYSERR_INVALPARAM;
  long start = std::ftell(file->file);
  long limit = file->size;
  if (parent != nullptr) limit = std::min<long>(limit, long(parent->dwDataOffset) + long(parent->cksize));
  long pos = start;
  ChunkHeader header;
  while (readChunkHeader(*file, pos, limit, &header)) {
    if (matches(header, *ck, flags)) {
      ck->ckid = header.id;
      ck->cksize = header.size;
      ck->fccType = header.hasForm ? header.formType : 0;
      ck->dwDataOffset = DWORD(pos + 8);
      ck->dwFlags = 0;
      file->chunks.push_back(OpenChunk{pos + 8, pos + 8 + long(header.size)});
      return MMSYSERR_NOERROR;  // the position is past the header (and form type)
    }
    pos += 8 + long(header.size) + long(header.size & 1);
  }
  std::fseek(file->file, start, SEEK_SET);
  return MMIOERR_CHUNKNOTFOUND;
}

MMRESULT mmioAscend(HMMIO mmio, LPMMCKINFO ck, UINT) {
  MmioFile* file = findFile(mmio);
  if (file == nullptr) return MMSYSERR_INVALHANDLE;
  if (ck == nullptr) return MMSYSERR_INVALPARAM;
  long dataStart = long(ck->dwDataOffset);
  for (size_t i = file->chunks.size(); i-- > 0;) {
    if (file->chunks[i].dataStart == dataStart) {
      file->chunks.resize(i);  // leaving a chunk leaves those inside it too
      break;
    }
  }
  long end = dataStart + long(ck->cksize) + long(ck->cksize & 1);
  if (std::fseek(file->file, end, SEEK_SET) != 0) return MMIOERR_CANNOTSEEK;
  return MMSYSERR_NOERROR;
}
