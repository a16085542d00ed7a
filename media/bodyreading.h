// media/bodyreading.h -- the record of the body file being read (private to
// media/).
//
// Owns: BodyFileReading, what loading one articulated body keeps between
// the calls that read its file. One body file is read at a time, so the
// record is program-wide: media/bodies.cpp sets `loading` around a whole
// load (zmKinNew), and media/bodyfile.cpp's section readers share `words`
// and `columnMap` within it. The record is defined in media/bodyfile.cpp.
// It does not own the body records (media/bodyfile.h) nor the objects a
// body is shown with (media/bodies.h).
#ifndef LUMENFOLD_MEDIA_BODYREADING_H
#define LUMENFOLD_MEDIA_BODYREADING_H

#include <cstddef>
#include <cstdint>

struct ZmKinSegment;

constexpr size_t kBodyWordBuffer = 100;  // a word keeps at most 99 bytes

// The word reader, shared by the section readers.
struct BodyWordReader {
  char buffer[kBodyWordBuffer];  // the last word read
  bool pushedBack;               // the next read returns the buffer again
};

// The column map: which segment each column of a frame drives. It lives
// from the capture input block to the end of the motion read.
struct BodyColumnMap {
  ZmKinSegment** segments;  // zmMalloc'ed, `count` entries
  int32_t count;
};

struct BodyFileReading {
  // Set while a body loads: a skin file naming a body must not load it
  // again, nor may a second load take the reader over.
  bool loading;
  BodyWordReader words;
  BodyColumnMap columnMap;
};
BodyFileReading& bodyFileReading();

#endif
