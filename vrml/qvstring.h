// vrml/qvstring.h -- the VRML reader's small value types.
//
// Owns: QvString (a growable text that keeps short texts in place), QvName
// and QvNameEntry (interned names: one shared copy per distinct text, kept
// for the life of the program in the reader's name tables, vrml/qvnames.h), QvDict (a hash dictionary from a pointer-sized
// key to a pointer), QvPList with its node-list forms QvNodeList and
// QvChildList, and two text utilities for the script and world-setting nodes
// (zmPFconvCR, qvFAbs2UrlOfFileName).
// It does not own what the dictionaries and lists point to: values and list
// entries belong to their callers, and a node list never deletes a node.
#ifndef LUMENFOLD_VRML_QVSTRING_H
#define LUMENFOLD_VRML_QVSTRING_H

#include <cstdint>

class QvNode;

class QvString {
 public:
  QvString();
  QvString(const char* s);
  QvString(const QvString& s);
  ~QvString();

  const char* getString() const { return string; }
  int32_t getLength() const;
  QvString& operator=(const char* s);
  QvString& operator=(const QvString& s);
  QvString& operator+=(const char* s);

  // Back to the empty in-place text; a heap block is freed when freeOld.
  void makeEmpty(bool freeOld = true);

  // Makes room for bySize more characters. Returns false (reported) when
  // memory ran out; the string is then unchanged.
  bool expand(int32_t bySize);

  static uint32_t hash(const char* s);

 private:
  static constexpr int32_t kStaticSize = 256;
  // True when s points into this string's own storage: assigning or
  // appending it must copy it first, or the write would overwrite the text
  // while it is being read.
  bool ownsPointer(const char* s) const;

  char* string;           // the current text
  int32_t storageSize;    // size of the heap block when the text lives there
  char staticStorage[kStaticSize];
};

struct QvNameEntry {
  const char* string;   // the interned text, never freed
  uint32_t hashValue;   // QvString::hash of the text
  QvNameEntry* next;    // the following entry of the same bucket

  static void initClass();
  // The entry of s, made on first use; null (reported) when memory ran out.
  static const QvNameEntry* insert(const char* s);
  bool isEqual(const char* s) const;
};

class QvName {
 public:
  QvName();
  QvName(const char* s);
  QvName(const QvString& s);

  const char* getString() const;
  int32_t getLength() const;
  bool isEmpty() const { return getString()[0] == '\0'; }
  // The address that identifies the name (the key of the reader's dictionaries).
  uintptr_t key() const { return reinterpret_cast<uintptr_t>(getString()); }

  bool operator==(const char* s) const;
  bool operator==(const QvName& n) const { return entry == n.entry; }
  bool operator!=(const QvName& n) const { return entry != n.entry; }

  static bool isIdentStartChar(int ch);
  static bool isIdentChar(int ch);
  static bool isNodeNameStartChar(int ch);
  static bool isNodeNameChar(int ch);

 private:
  const QvNameEntry* entry;
};

struct QvDictEntry {
  uintptr_t key;
  void* value;
  QvDictEntry* next;
};

class QvDict {
 public:
  explicit QvDict(int32_t entries = 251);
  ~QvDict();
  QvDict(const QvDict&) = delete;
  QvDict& operator=(const QvDict&) = delete;

  void clear();
  // True when a new entry was made; false when the key was there (its value
  // replaced) or memory ran out (reported).
  bool enter(uintptr_t key, void* value);
  bool find(uintptr_t key, void*& value) const;
  bool remove(uintptr_t key);
  // Calls f(key, value) for every entry, bucket by bucket.
  template <class F> void forEach(F f) const {
    for (int32_t i = 0; i < tableSize; ++i)
      for (QvDictEntry* e = buckets[i]; e; e = e->next) f(e->key, e->value);
  }

 private:
  QvDictEntry** bucketOf(uintptr_t key) const;
  int32_t tableSize;
  QvDictEntry** buckets;
};

class QvPList {
 public:
  QvPList();
  virtual ~QvPList();
  QvPList(const QvPList&) = delete;
  QvPList& operator=(const QvPList&) = delete;

  // False (reported) when the list could not grow; the pointer is then not added.
  bool append(void* ptr);
  int32_t find(const void* ptr) const;
  void remove(int32_t index);
  int32_t getLength() const { return count; }
  void* operator[](int32_t index) const { return list[index]; }
  // Sets the count to n, growing the array first when n exceeds the capacity.
  void truncate(int32_t n);
  int32_t getCapacity() const { return capacity; }

 protected:
  bool expand(int32_t size);
  void** list;
  int32_t count;
  int32_t capacity;
};

class QvNodeList : public QvPList {
 public:
  ~QvNodeList() override;
  void truncate(int32_t n) { count = n < count ? n : count; }
  QvNode* operator[](int32_t index) const { return static_cast<QvNode*>(list[index]); }
};

class QvChildList : public QvNodeList {
 public:
  ~QvChildList() override;
};

/*
 * zmPFconvCR --
 *   A copy of s in which backslash-n becomes a line feed and a backslash
 *   before any other character stands for that character. A backslash that
 *   ends the text is kept.
 * Results:
 *   A new text (free it with zmFree), or null (reported) for a null s or when
 *   memory runs out. A text without backslash-n is copied unchanged.
 */
char* zmPFconvCR(const char* s);

// The file URL of a path, in a buffer that the next call overwrites.
const char* qvFAbs2UrlOfFileName(const char* path);

#endif
