// vrml/qvnames.h -- the reader's name tables (private to vrml/).
//
// Owns: QvNameTables, the two tables the reader keeps for the life of the
// program and fills by name: the interned name texts (`interned`, written
// by vrml/qvstring.cpp for QvName) and the dictionary from an interned name
// to the nodes that carry it (`nodesByName`, written by vrml/qvnode.cpp
// for DEF and USE). The dictionary's keys are the interned entries, so the
// two live and die together. The record is defined in vrml/qvstring.cpp.
// It does not own the nodes the dictionary lists, nor anything of a parse
// (vrml/session.h).
#ifndef LUMENFOLD_VRML_QVNAMES_H
#define LUMENFOLD_VRML_QVNAMES_H

#include <cstdint>

class QvDict;
struct QvNameEntry;

constexpr int32_t kQvNameChunkSize = 4000;

// A block that short name texts are carved from.
struct QvNameChunk {
  char mem[kQvNameChunkSize];
  char* curByte;
  int32_t bytesLeft;
  QvNameChunk* next;
};

struct QvNameStore {
  QvNameEntry** table = nullptr;        // the hash buckets
  QvNameChunk* currentChunk = nullptr;  // where new texts are carved from
};

struct QvNameTables {
  QvNameStore interned;
  QvDict* nodesByName = nullptr;  // interned name text -> QvPList* of the nodes carrying it
};
QvNameTables& qvNameTables();

#endif
