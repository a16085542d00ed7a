// engine/texdict.cpp -- texture dictionaries and their stack.
#include "engine/texdict.h"

#include <cstring>

#include "engine/appearancerecords.h"
#include "engine/error.h"
#include "engine/path.h"
#include "engine/pool.h"

namespace {

constexpr intptr_t firstStackCapacity = 4;
constexpr intptr_t firstEntryCapacity = 8;

template <typename T>
bool grow(T** array, intptr_t* capacity, intptr_t wanted) {
  auto* grown = static_cast<T*>(RwEngineRealloc(*array, static_cast<size_t>(wanted) * sizeof(T)));
  if (!grown) return false;
  *array = grown;
  *capacity = wanted;
  return true;
}

void destroyDictionary(RwTextureDictionary* dictionary) {
  for (intptr_t i = 0; i < dictionary->count; ++i) RwEngineFree(dictionary->entries[i].name);
  RwEngineFree(dictionary->entries);
  RwFreeRecord(rwAppearanceRecords().dictionaries.pool, dictionary);
}

intptr_t indexNamed(const RwTextureDictionary* dictionary, const char* baseName) {
  for (intptr_t i = 0; i < dictionary->count; ++i) {
    if (RwSameNameNoCase(dictionary->entries[i].name, baseName)) return i;
  }
  return -1;
}

}  // namespace

int RwOpenTextureDictionaries() {
  RwAppearanceRecords::DictionaryModule& dictionaries = rwAppearanceRecords().dictionaries;
  dictionaries.pool = RwCreatePool("texturedictlist", sizeof(RwTextureDictionary));
  if (!dictionaries.pool || !grow(&dictionaries.stack, &dictionaries.capacity, firstStackCapacity)) {
    RwSetError(rwErrOutOfMemory);
    return 0;
  }
  return RwPushTextureDictionary() ? 1 : 0;
}

void RwCloseTextureDictionaries() {
  RwAppearanceRecords::DictionaryModule& dictionaries = rwAppearanceRecords().dictionaries;
  while (dictionaries.depth > 0) destroyDictionary(dictionaries.stack[--dictionaries.depth]);
  RwEngineFree(dictionaries.stack);
  dictionaries.stack = nullptr;
  dictionaries.capacity = 0;
  RwDestroyPool(dictionaries.pool);
  dictionaries.pool = nullptr;
}

RwTextureDictionary* RwPushTextureDictionary() {
  RwAppearanceRecords::DictionaryModule& dictionaries = rwAppearanceRecords().dictionaries;
  if (dictionaries.depth == dictionaries.capacity &&
      !grow(&dictionaries.stack, &dictionaries.capacity, dictionaries.capacity + dictionaries.capacity / 2)) {
    RwSetError(rwErrOutOfMemory);
    return nullptr;
  }
  auto* dictionary = static_cast<RwTextureDictionary*>(RwAllocRecord(dictionaries.pool));
  if (!dictionary) {
    RwSetError(rwErrOutOfMemory);
    return nullptr;
  }
  *dictionary = {};
  if (!grow(&dictionary->entries, &dictionary->capacity, firstEntryCapacity)) {
    RwFreeRecord(dictionaries.pool, dictionary);
    RwSetError(rwErrOutOfMemory);
    return nullptr;
  }
  dictionaries.stack[dictionaries.depth++] = dictionary;
  return dictionary;
}

int RwPopTextureDictionary() {
  RwAppearanceRecords::DictionaryModule& dictionaries = rwAppearanceRecords().dictionaries;
  if (dictionaries.depth <= 1 || dictionaries.stack[dictionaries.depth - 1]->count > 0) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  destroyDictionary(dictionaries.stack[--dictionaries.depth]);
  return 1;
}

RwTextureDictionary* RwTopTextureDictionary() {
  RwAppearanceRecords::DictionaryModule& dictionaries = rwAppearanceRecords().dictionaries;
  return dictionaries.depth > 0 ? dictionaries.stack[dictionaries.depth - 1] : nullptr;
}

intptr_t RwTextureDictionaryDepth() { return rwAppearanceRecords().dictionaries.depth; }

RwTextureDictionary* RwTextureDictionaryAt(intptr_t depth) {
  RwAppearanceRecords::DictionaryModule& dictionaries = rwAppearanceRecords().dictionaries;
  return depth >= 0 && depth < dictionaries.depth ? dictionaries.stack[depth] : nullptr;
}

RwTexture* RwLookUpTexture(const char* baseName) {
  RwAppearanceRecords::DictionaryModule& dictionaries = rwAppearanceRecords().dictionaries;
  for (intptr_t d = dictionaries.depth - 1; d >= 0; --d) {
    intptr_t index = indexNamed(dictionaries.stack[d], baseName);
    if (index >= 0) return dictionaries.stack[d]->entries[index].texture;
  }
  return nullptr;
}

intptr_t RwTextureEntryIndex(const RwTextureDictionary* dictionary, const RwTexture* texture) {
  for (intptr_t i = 0; dictionary && i < dictionary->count; ++i) {
    if (dictionary->entries[i].texture == texture) return i;
  }
  return -1;
}

void RwRemoveTextureEntry(RwTextureDictionary* dictionary, intptr_t index) {
  RwEngineFree(dictionary->entries[index].name);
  std::memmove(dictionary->entries + index, dictionary->entries + index + 1,
               static_cast<size_t>(dictionary->count - index - 1) * sizeof(RwTextureDictionaryEntry));
  --dictionary->count;
}

intptr_t RwTopEntryNamed(const char* baseName) {
  RwTextureDictionary* top = RwTopTextureDictionary();
  return top ? indexNamed(top, baseName) : -1;
}

int RwAppendTextureEntry(const char* baseName, RwTexture* texture) {
  RwTextureDictionary* top = RwTopTextureDictionary();
  size_t nameBytes = std::strlen(baseName) + 1;
  auto* name = static_cast<char*>(RwEngineAlloc(nameBytes));
  bool room = top && (top->count < top->capacity || grow(&top->entries, &top->capacity, top->capacity + top->capacity / 2));
  if (!name || !room) {
    RwEngineFree(name);
    RwSetError(rwErrOutOfMemory);
    return 0;
  }
  std::memcpy(name, baseName, nameBytes);
  top->entries[top->count++] = {name, texture};
  return 1;
}
