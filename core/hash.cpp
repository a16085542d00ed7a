// core/hash.cpp -- chained hash tables; see hash.h.
#include "core/hash.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "core/memory.h"
#include "core/report.h"

uint32_t zmHashString(const void* key) {
  const signed char* bytes = static_cast<const signed char*>(key);
  uint32_t sum = 0;  // unsigned so that the wrap-around is defined
  for (uint32_t k = 1; bytes[k - 1] != 0; ++k) {
    sum += static_cast<uint32_t>(static_cast<int32_t>(bytes[k - 1])) * k * k * k;
  }
  int32_t signedSum = static_cast<int32_t>(sum);
  return signedSum < 0 ? 0u - sum : sum;
}

uint32_t zmHashId(const void* key) {
  int32_t id;
  memcpy(&id, key, sizeof id);
  uint32_t square = static_cast<uint32_t>(id) * static_cast<uint32_t>(id);
  return static_cast<uint32_t>(static_cast<int32_t>(square) % 500);
}

int zmNewHash(uint32_t bucketCount, ZmHash** table, ZmHashProc hashFunction) {
  ZmHash* made = static_cast<ZmHash*>(zmMalloc(sizeof(ZmHash)));
  ZmHashEntry** buckets = static_cast<ZmHashEntry**>(zmMalloc(bucketCount * sizeof(ZmHashEntry*)));
  ZmHashEntry** tails = static_cast<ZmHashEntry**>(zmMalloc(bucketCount * sizeof(ZmHashEntry*)));
  if (made == nullptr || buckets == nullptr || tails == nullptr) {
    zmFree(made);
    zmFree(buckets);
    zmFree(tails);
    zmReportError("zmNewHash: Memory Allocation Failed.");
    return -5;
  }
  made->bucketCount = bucketCount;
  made->buckets = buckets;
  made->hashFunction = hashFunction;
  made->bucketTails = tails;
  *table = made;
  return 0;
}

uint32_t zmHashIndex(ZmHash* table, const void* key) {
  return table->hashFunction(key) % table->bucketCount;
}

int zmNewHashEntry(ZmHash* table, const void* key, uint32_t keyLength, void* value) {
  return zmAddHashEntry(table, key, keyLength, value) ? 0 : -5;
}

ZmHashEntry* zmAddHashEntry(ZmHash* table, const void* key, uint32_t keyLength, void* value) {
  constexpr size_t kKeyAt = offsetof(ZmHashEntry, keyLength) + sizeof(uint32_t);
  ZmHashEntry* entry = static_cast<ZmHashEntry*>(zmMalloc(std::max(sizeof(ZmHashEntry), kKeyAt + keyLength)));
  if (entry == nullptr) {
    zmReportError("zmNewHashEntry: Memory Allocation Failed.");
    return nullptr;
  }
  entry->key = reinterpret_cast<char*>(entry) + kKeyAt;
  memcpy(entry->key, key, keyLength);
  entry->keyLength = keyLength;
  entry->value = value;
  uint32_t index = zmHashIndex(table, key);
  entry->previous = table->bucketTails[index];
  if (table->buckets[index] == nullptr) {
    table->buckets[index] = entry;
  } else {
    table->bucketTails[index]->next = entry;
  }
  table->bucketTails[index] = entry;
  return entry;
}

static bool keyMatches(const ZmHashEntry* entry, const void* key) {
  return memcmp(entry->key, key, entry->keyLength) == 0;
}

int zmGetHashValue(ZmHash* table, const void* key, void** value) {
  for (ZmHashEntry* entry = table->buckets[zmHashIndex(table, key)]; entry; entry = entry->next) {
    if (keyMatches(entry, key)) {
      *value = entry->value;
      return 0;
    }
  }
  return -1;
}

int zmGetHashKeyByValue(ZmHash* table, void* value, void** key) {
  for (uint32_t i = 0; i < table->bucketCount; ++i) {
    for (ZmHashEntry* entry = table->buckets[i]; entry; entry = entry->next) {
      if (entry->value == value) {
        *key = entry->key;
        return 0;
      }
    }
  }
  return -1;
}

// Unlinks `entry` from its chain in bucket `index` and frees it with its
// key copy.
static void unlinkEntry(ZmHash* table, uint32_t index, ZmHashEntry* entry) {
  if (entry->previous == nullptr) {
    table->buckets[index] = entry->next;
  } else {
    entry->previous->next = entry->next;
  }
  if (entry->next == nullptr) {
    table->bucketTails[index] = entry->previous;
  } else {
    entry->next->previous = entry->previous;
  }
  zmFree(entry);
}

void zmRemoveHashEntry(ZmHash* table, ZmHashEntry* entry) {
  unlinkEntry(table, zmHashIndex(table, entry->key), entry);
}

// Removes the first entry of the key's bucket that matches the key and, when
// `anyValue` is false, holds `value`. 0, or -1 when none does.
static int removeMatching(ZmHash* table, const void* key, bool anyValue, void* value) {
  uint32_t index = zmHashIndex(table, key);
  for (ZmHashEntry* entry = table->buckets[index]; entry; entry = entry->next) {
    if (keyMatches(entry, key) && (anyValue || entry->value == value)) {
      unlinkEntry(table, index, entry);
      return 0;
    }
  }
  return -1;
}

void zmDeleteHashEntry(ZmHash* table, const void* key) {
  if (table != nullptr) removeMatching(table, key, true, nullptr);
}

int zmDeleteHashEntryByValue(ZmHash* table, const void* key, void* value) {
  if (table == nullptr) return -1;
  return removeMatching(table, key, false, value);
}

int zmForEachHashValue(ZmHash* table, ZmHashValueProc callback, void* argument) {
  for (uint32_t i = 0; i < table->bucketCount; ++i) {
    for (ZmHashEntry* entry = table->buckets[i]; entry; entry = entry->next) {
      if (callback(entry->value, argument) == 0) return -1;
    }
  }
  return 0;
}

int zmSweepHash(ZmHash* table, ZmHashValueProc callback, void* argument) {
  for (uint32_t i = 0; i < table->bucketCount; ++i) {
    ZmHashEntry* entry = table->buckets[i];
    while (entry != nullptr) {
      ZmHashEntry* next = entry->next;
      int answer = callback(entry->value, argument);
      if (answer == ZM_SWEEP_REMOVE || answer == ZM_SWEEP_REMOVE_AND_STOP) {
        unlinkEntry(table, i, entry);
        if (answer == ZM_SWEEP_REMOVE_AND_STOP) return -1;
      } else if (answer != ZM_SWEEP_KEEP) {
        return -1;
      }
      entry = next;
    }
  }
  return 0;
}

void zmDeleteHash(ZmHash* table) {
  if (table == nullptr) return;
  for (uint32_t i = 0; i < table->bucketCount; ++i) {
    ZmHashEntry* entry = table->buckets[i];
    while (entry != nullptr) {
      ZmHashEntry* next = entry->next;
      zmFree(entry);
      entry = next;
    }
  }
  zmFree(table->buckets);
  zmFree(table->bucketTails);
  zmFree(table);
}
