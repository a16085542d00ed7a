// vrml/qvstring.cpp -- texts, interned names, the dictionary and pointer
// lists of the VRML reader.
#include "vrml/qvstring.h"

#include <cstring>
#include <string>

#include "core/memory.h"
#include "core/report.h"
#include "core/strings.h"
#include "vrml/qvnames.h"

// ---------------------------------------------------------------- QvString

namespace {
constexpr char emptyText[] = "";
}

QvString::QvString() : string(staticStorage), storageSize(0) { staticStorage[0] = '\0'; }

QvString::QvString(const char* s) : QvString() { *this = s; }

QvString::QvString(const QvString& s) : QvString() { *this = s.getString(); }

QvString::~QvString() { makeEmpty(true); }

int32_t QvString::getLength() const { return static_cast<int32_t>(std::strlen(string)); }

bool QvString::ownsPointer(const char* s) const {
  if (s >= staticStorage && s < staticStorage + kStaticSize) return true;
  return string != staticStorage && s >= string && s < string + storageSize;
}

void QvString::makeEmpty(bool freeOld) {
  if (string != staticStorage && freeOld) zmFree(string);
  string = staticStorage;
  storageSize = 0;
  staticStorage[0] = '\0';
}

QvString& QvString::operator=(const char* s) {
  if (s == nullptr) s = emptyText;
  if (s == string) return *this;
  if (ownsPointer(s)) {
    QvString copy(s);
    return *this = copy.getString();
  }
  size_t size = std::strlen(s) + 1;
  if (size < static_cast<size_t>(kStaticSize)) {
    makeEmpty(true);
  } else if (string == staticStorage || static_cast<size_t>(storageSize) < size) {
    if (size > INT32_MAX) {
      zmReportMessage("%s: %s", "QvString::operator=()", "Couldn't allocate memory for char[].");
      makeEmpty(true);
      return *this;
    }
    char* block = static_cast<char*>(zmMalloc(size));
    makeEmpty(true);
    if (block == nullptr) {
      zmReportMessage("%s: %s", "QvString::operator=()", "Couldn't allocate memory for char[].");
      return *this;
    }
    string = block;
    storageSize = static_cast<int32_t>(size);
  }
  std::memcpy(string, s, size);
  return *this;
}

QvString& QvString::operator=(const QvString& s) { return *this = s.getString(); }

QvString& QvString::operator+=(const char* s) {
  if (s == nullptr) return *this;
  if (ownsPointer(s)) {
    QvString copy(s);
    return *this += copy.getString();
  }
  size_t add = std::strlen(s);
  if (add > INT32_MAX || !expand(static_cast<int32_t>(add))) return *this;
  std::memcpy(string + std::strlen(string), s, add + 1);
  return *this;
}

// The heap block grows at least geometrically, so a text gathered chunk by
// chunk is copied a bounded number of times per byte.
bool QvString::expand(int32_t bySize) {
  size_t length = std::strlen(string);
  size_t needed = length + static_cast<size_t>(bySize) + 1;
  if (needed < static_cast<size_t>(kStaticSize)) return true;
  if (string != staticStorage && static_cast<size_t>(storageSize) >= needed) return true;
  size_t grown = string == staticStorage ? needed : static_cast<size_t>(storageSize) * 2;
  if (grown < needed) grown = needed;
  if (grown > INT32_MAX) grown = needed;
  char* block = needed > INT32_MAX ? nullptr : static_cast<char*>(zmMalloc(grown));
  if (block == nullptr) {
    zmReportMessage("%s: %s", "QvString::expand()", "Couldn't allocate memory for char[].");
    return false;
  }
  std::memcpy(block, string, length + 1);
  if (string != staticStorage) zmFree(string);
  string = block;
  storageSize = static_cast<int32_t>(grown);
  return true;
}

uint32_t QvString::hash(const char* s) {
  uint32_t total = 0;
  int shift = 0;
  for (; *s; ++s) {
    int32_t c = static_cast<signed char>(*s);
    total ^= static_cast<uint32_t>(c) << shift;
    shift += 5;
    if (shift > 24) shift -= 24;
  }
  return total;
}

// ------------------------------------------------------------- QvNameEntry

namespace {

constexpr uint32_t kNameBuckets = 1999;

QvNameTables nameTables;  // see vrml/qvnames.h

const char* storeNameText(const char* s, size_t size) {
  QvNameStore& names = nameTables.interned;
  if (size >= static_cast<size_t>(kQvNameChunkSize)) return zmStrdup(s);
  if (names.currentChunk == nullptr || static_cast<size_t>(names.currentChunk->bytesLeft) < size) {
    auto* chunk = static_cast<QvNameChunk*>(zmMalloc(sizeof(QvNameChunk)));
    if (chunk == nullptr) {
      zmReportMessage("%s: %s", "QvNameEntry::insert()",
                      "Couldn't allocate memory for struct QvNameChunk.");
      return nullptr;
    }
    chunk->curByte = chunk->mem;
    chunk->bytesLeft = kQvNameChunkSize;
    chunk->next = names.currentChunk;
    names.currentChunk = chunk;
  }
  char* text = names.currentChunk->curByte;
  std::memcpy(text, s, size);
  names.currentChunk->curByte += size;
  names.currentChunk->bytesLeft -= static_cast<int32_t>(size);
  return text;
}

// Gives back the bytes just taken for a name whose entry could not be made.
void releaseNameText(const char* text, size_t size) {
  QvNameStore& names = nameTables.interned;
  if (size >= static_cast<size_t>(kQvNameChunkSize)) {
    zmFree(const_cast<char*>(text));
  } else if (names.currentChunk && names.currentChunk->curByte - size == text) {
    names.currentChunk->curByte -= size;
    names.currentChunk->bytesLeft += static_cast<int32_t>(size);
  }
}

}  // namespace

QvNameTables& qvNameTables() { return nameTables; }

void QvNameEntry::initClass() {
  QvNameStore& names = nameTables.interned;
  if (names.table) return;
  names.table = static_cast<QvNameEntry**>(zmMalloc(kNameBuckets * sizeof(QvNameEntry*)));
  if (names.table == nullptr)
    zmReportMessage("%s: %s", "QvNameEntry::initClass()",
                    "Couldn't allocate memory for QvNameEntry.");
}

bool QvNameEntry::isEqual(const char* s) const {
  return string[0] == s[0] && std::strcmp(string, s) == 0;
}

const QvNameEntry* QvNameEntry::insert(const char* s) {
  QvNameStore& names = nameTables.interned;
  uint32_t h = QvString::hash(s);
  initClass();
  if (names.table == nullptr) return nullptr;
  QvNameEntry*& bucket = names.table[h % kNameBuckets];
  for (QvNameEntry* e = bucket; e; e = e->next)
    if (e->hashValue == h && e->isEqual(s)) return e;
  size_t size = std::strlen(s) + 1;
  const char* text = storeNameText(s, size);
  if (text == nullptr) return nullptr;
  auto* entry = static_cast<QvNameEntry*>(zmMalloc(sizeof(QvNameEntry)));
  if (entry == nullptr) {
    releaseNameText(text, size);
    zmReportMessage("%s: %s", "QvNameEntry::insert()", "Couldn't allocate memory for QvNameEntry.");
    return nullptr;
  }
  *entry = {text, h, bucket};
  bucket = entry;
  return entry;
}

// ------------------------------------------------------------------ QvName

QvName::QvName() : QvName("") {}

QvName::QvName(const char* s) : entry(QvNameEntry::insert(s ? s : "")) {}

QvName::QvName(const QvString& s) : QvName(s.getString()) {}

const char* QvName::getString() const { return entry ? entry->string : emptyText; }

int32_t QvName::getLength() const {
  if (entry == nullptr || entry->string == nullptr) {
    zmReportWarning("%s : %s", "QvName::getLength()", "pointer to string is NULL.");
    return 0;
  }
  return static_cast<int32_t>(std::strlen(entry->string));
}

bool QvName::operator==(const char* s) const { return std::strcmp(getString(), s ? s : "") == 0; }

namespace {
bool isAsciiLetter(int ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'); }
bool isAsciiDigit(int ch) { return ch >= '0' && ch <= '9'; }
}  // namespace

bool QvName::isIdentStartChar(int ch) { return isAsciiLetter(ch) || ch == '_'; }

bool QvName::isIdentChar(int ch) { return isAsciiLetter(ch) || isAsciiDigit(ch) || ch == '_'; }

bool QvName::isNodeNameStartChar(int ch) { return isIdentStartChar(ch); }

bool QvName::isNodeNameChar(int ch) {
  ch &= 0xFF;
  if (isAsciiLetter(ch) || isAsciiDigit(ch)) return true;
  if (ch <= ' ' || ch == 0x7F) return false;  // white space and control characters
  return std::strchr("+'\"\\{}", ch) == nullptr;
}

// ------------------------------------------------------------------ QvDict

QvDict::QvDict(int32_t entries) : tableSize(entries > 0 ? entries : 1), buckets(nullptr) {
  buckets = static_cast<QvDictEntry**>(zmMalloc(tableSize * sizeof(QvDictEntry*)));
  if (buckets == nullptr) {
    tableSize = 0;
    zmReportMessage("%s: %s", "QvDict::QvDict()", "Couldn't allocate memory for QvDictEntry.");
  }
}

QvDict::~QvDict() {
  clear();
  zmFree(buckets);
}

QvDictEntry** QvDict::bucketOf(uintptr_t key) const {
  return tableSize ? &buckets[key % static_cast<uintptr_t>(tableSize)] : nullptr;
}

void QvDict::clear() {
  for (int32_t i = 0; i < tableSize; ++i) {
    for (QvDictEntry* e = buckets[i]; e;) {
      QvDictEntry* next = e->next;
      zmFree(e);
      e = next;
    }
    buckets[i] = nullptr;
  }
}

bool QvDict::enter(uintptr_t key, void* value) {
  QvDictEntry** link = bucketOf(key);
  if (link == nullptr) return false;
  for (; *link; link = &(*link)->next) {
    if ((*link)->key == key) {
      (*link)->value = value;
      return false;
    }
  }
  auto* entry = static_cast<QvDictEntry*>(zmMalloc(sizeof(QvDictEntry)));
  if (entry == nullptr) {
    zmReportMessage("%s: %s", "QvDict::enter()", "Couldn't allocate memory for QvDictEntry.");
    return false;
  }
  *entry = {key, value, nullptr};
  *link = entry;
  return true;
}

bool QvDict::find(uintptr_t key, void*& value) const {
  QvDictEntry** link = bucketOf(key);
  for (QvDictEntry* e = link ? *link : nullptr; e; e = e->next) {
    if (e->key == key) {
      value = e->value;
      return true;
    }
  }
  value = nullptr;
  return false;
}

bool QvDict::remove(uintptr_t key) {
  QvDictEntry** link = bucketOf(key);
  if (link == nullptr) return false;
  for (; *link; link = &(*link)->next) {
    if ((*link)->key == key) {
      QvDictEntry* gone = *link;
      *link = gone->next;
      zmFree(gone);
      return true;
    }
  }
  return false;
}

// ----------------------------------------------------------------- QvPList

QvPList::QvPList() : list(nullptr), count(0), capacity(0) {}

QvPList::~QvPList() { zmFree(list); }

bool QvPList::expand(int32_t size) {
  int64_t grown = capacity == 0 ? 4 : capacity;
  while (grown < size) grown *= 2;
  if (grown >= INT32_MAX) grown = size;
  void** block = static_cast<void**>(zmMalloc((static_cast<size_t>(grown) + 1) * sizeof(void*)));
  if (block == nullptr) {
    zmReportMessage("%s: %s", "QvPList::expand()", "Couldn't allocate memory for void *[].");
    return false;
  }
  if (count > 0) std::memcpy(block, list, count * sizeof(void*));
  zmFree(list);
  list = block;
  capacity = static_cast<int32_t>(grown);
  return true;
}

bool QvPList::append(void* ptr) {
  if (count + 1 > capacity && (count == INT32_MAX - 1 || !expand(count + 1))) return false;
  list[count++] = ptr;
  return true;
}

int32_t QvPList::find(const void* ptr) const {
  for (int32_t i = 0; i < count; ++i)
    if (list[i] == ptr) return i;
  return -1;
}

void QvPList::remove(int32_t index) {
  if (index < 0 || index >= count) return;
  std::memmove(list + index, list + index + 1, (count - index - 1) * sizeof(void*));
  --count;
}

void QvPList::truncate(int32_t n) {
  if (n < 0) return;
  if (n > capacity && !expand(n)) return;
  count = n;
}

QvNodeList::~QvNodeList() { truncate(0); }

QvChildList::~QvChildList() { truncate(0); }

// --------------------------------------------------------------- utilities

char* zmPFconvCR(const char* s) {
  if (s == nullptr) {
    zmReportWarning("%s: Invalid argument.", "zmPFconvCR");
    return nullptr;
  }
  size_t pairs = 0;
  for (const char* p = s; p[0]; ++p)
    if (p[0] == '\\' && p[1] == 'n') ++pairs;
  if (pairs == 0) {
    char* copy = zmStrdup(s);
    if (copy == nullptr) zmReportWarning("%s: cannot allocate memory for buffer.", "zmPFconvCR");
    return copy;
  }
  char* out = static_cast<char*>(zmMalloc(std::strlen(s) - pairs + 1));
  if (out == nullptr) {
    zmReportWarning("%s: cannot allocate memory for buffer.", "zmPFconvCR");
    return nullptr;
  }
  char* o = out;
  for (const char* p = s; *p; ++p) {
    if (*p == '\\' && p[1] != '\0') {
      ++p;
      *o++ = *p == 'n' ? '\n' : *p;
    } else {
      *o++ = *p;  // an ordinary character, or a backslash that ends the text
    }
  }
  *o = '\0';
  return out;
}

const char* qvFAbs2UrlOfFileName(const char* path) {
  static std::string url;
  url = "file://";
  if (path == nullptr) path = "";
  if (path[0] != '/' && path[0] != '\\') url += '/';
  for (const char* p = path; *p; ++p) url += *p == '\\' ? '/' : *p == ':' ? '|' : *p;
  return url.c_str();
}
