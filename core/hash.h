// core/hash.h -- chained hash tables with byte-compared keys.
//
// Owns: the `ZmHash` table, its buckets and its entries together with each
// entry's copy of the key. It does not own the values: an entry's value is a
// word chosen by the user of the table, never freed here. The world's object
// id table, the URL tables, articulated bodies and the multi-user client are
// built on it.
//
// Equal keys may coexist; lookups find the one added first. New entries go
// to the end of their bucket's chain, reached through a tail pointer so that
// an insertion costs the same however long the chain has grown.
#ifndef LUMENFOLD_CORE_HASH_H
#define LUMENFOLD_CORE_HASH_H

#include <cstdint>

typedef uint32_t (*ZmHashProc)(const void* key);

// The key copy follows keyLength in the entry's own block, so that an id
// table's entry takes no more than a heap block of 48 bytes. The copy is
// aligned to 4 bytes only: read wider keys from it with memcpy.
struct ZmHashEntry {
  ZmHashEntry* next;
  ZmHashEntry* previous;  // null at the head of its chain
  void* key;              // the copy of the key bytes
  void* value;
  uint32_t keyLength;
};

struct ZmHash {
  uint32_t bucketCount;
  ZmHashEntry** buckets;      // first entry of each chain
  ZmHashProc hashFunction;
  ZmHashEntry** bucketTails;  // last entry of each chain
};

// Sum of c*k*k*k over the bytes c (signed) at 1-based positions k, in
// wrapping 32-bit arithmetic, then its absolute value.
uint32_t zmHashString(const void* key);
// id*id (wrapping) remainder 500, signed, handed back as unsigned.
uint32_t zmHashId(const void* key);

// A table of bucketCount (at least 1) empty chains in *table. 0, or -5 with
// the error "zmNewHash: Memory Allocation Failed.".
int zmNewHash(uint32_t bucketCount, ZmHash** table, ZmHashProc hashFunction);

// The bucket of a key: the hash modulo the bucket count.
uint32_t zmHashIndex(ZmHash* table, const void* key);

// Appends an entry holding a copy of keyLength key bytes. 0, or -5 with the
// error "zmNewHashEntry: Memory Allocation Failed.".
int zmNewHashEntry(ZmHash* table, const void* key, uint32_t keyLength, void* value);

// zmNewHashEntry that hands back the entry, for zmRemoveHashEntry; null
// after the same error.
ZmHashEntry* zmAddHashEntry(ZmHash* table, const void* key, uint32_t keyLength, void* value);

// Unlinks and frees an entry of the table, without a walk. The entry must
// be in this table.
void zmRemoveHashEntry(ZmHash* table, ZmHashEntry* entry);

// The value of the first entry of the key's bucket whose stored key equals
// the key over the stored length, in *value. 0, or -1 when there is none.
int zmGetHashValue(ZmHash* table, const void* key, void** value);

// The stored key of the first entry (bucket order, then chain order) whose
// value is `value`, in *key (the entry's own copy). 0, or -1.
int zmGetHashKeyByValue(ZmHash* table, void* value, void** key);

// Removes the first entry of the key's bucket whose key matches; a null
// table or a missing key does nothing.
void zmDeleteHashEntry(ZmHash* table, const void* key);

// Removes the entry whose key matches and whose value is `value`, leaving
// other entries under the same key alone. 0, or -1 when there is none.
int zmDeleteHashEntryByValue(ZmHash* table, const void* key, void* value);

typedef int (*ZmHashValueProc)(void* value, void* argument);

// callback(value, argument) for every entry in bucket order, then chain
// order. -1 as soon as a call answers 0, else 0.
int zmForEachHashValue(ZmHash* table, ZmHashValueProc callback, void* argument);

// Sweep answers: what to do with the entry just shown.
enum {
  ZM_SWEEP_REMOVE = 0,           // remove it and go on
  ZM_SWEEP_REMOVE_AND_STOP = 1,  // remove it and stop (result -1)
  ZM_SWEEP_KEEP = 2,             // keep it and go on
};

/*
 * zmSweepHash --
 *   callback(value, argument) for every entry in bucket, then chain order;
 *   the answer (ZM_SWEEP_*) decides what happens to the entry. Any other
 *   answer keeps the entry and stops.
 * Results:
 *   0 after the last entry; -1 when stopped.
 * Side effects:
 *   Removed entries and their key copies are freed, never their values.
 */
int zmSweepHash(ZmHash* table, ZmHashValueProc callback, void* argument);

// Frees every entry, the buckets and the table (not the values); null does
// nothing.
void zmDeleteHash(ZmHash* table);

#endif
