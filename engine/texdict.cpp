// engine/texdict.cpp -- texture dictionaries and their stack.
#include "engine/texdict.h"

#include <cstring>

#include "engine/error.h"
#include "engine/path.h"
#include "engine/pool.h"

namespace {

constexpr intptr_t firstStackCapacity = 4;
constexpr intptr_t firstEntryCapacity = 8;

// The dictionary module: its records and the stack of current dictionaries.
struct DictionaryModule {
  RwPool* pool = nullptr;  // "texturedictlist"
  RwTextureDictionary** stack = nullptr;
  intptr_t capacity = 0;
  intptr_t depth = 0;
};
DictionaryModule module;

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
  RwFreeRecord(module.pool, dictionary);
}

intptr_t indexNamed(const RwTextureDictionary* dictionary, const char* baseName) {
  for (intptr_t i = 0; i < dictionary->count; ++i) {
    if (RwSameNameNoCase(dictionary->entries[i].name, baseName)) return i;
  }
  return -1;
}

}  // namespace

int RwOpenTextureDictionaries() {
  module.pool = RwCreatePool("texturedictlist", sizeof(RwTextureDictionary));
  if (!module.pool || !grow(&module.stack, &module.capacity, firstStackCapacity)) {
    RwSetError(rwErrOutOfMemory);
    return 0;
  }
  return RwPushTextureDictionary() ? 1 : 0;
}

void RwCloseTextureDictionaries() {
  while (module.depth > 0) destroyDictionary(module.stack[--module.depth]);
  RwEngineFree(module.stack);
  module.stack = nullptr;
  module.capacity = 0;
  RwDestroyPool(module.pool);
  module.pool = nullptr;
}

RwTextureDictionary* RwPushTextureDictionary() {
  if (module.depth == module.capacity && !grow(&module.stack, &module.capacity, module.capacity + module.capacity / 2)) {
    RwSetError(rwErrOutOfMemory);
    return nullptr;
  }
  auto* dictionary = static_cast<RwTextureDictionary*>(RwAllocRecord(module.pool));
  if (!dictionary) {
    RwSetError(rwErrOutOfMemory);
    return nullptr;
  }
  *dictionary = {};
  if (!grow(&dictionary->entries, &dictionary->capacity, firstEntryCapacity)) {
    RwFreeRecord(module.pool, dictionary);
    RwSetError(rwErrOutOfMemory);
    return nullptr;
  }
  module.stack[module.depth++] = dictionary;
  return dictionary;
}

int RwPopTextureDictionary() {
  if (module.depth <= 1 || module.stack[module.depth - 1]->count > 0) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  destroyDictionary(module.stack[--module.depth]);
  return 1;
}

RwTextureDictionary* RwTopTextureDictionary() {
  return module.depth > 0 ? module.stack[module.depth - 1] : nullptr;
}

intptr_t RwTextureDictionaryDepth() { return module.depth; }

RwTextureDictionary* RwTextureDictionaryAt(intptr_t depth) {
  return depth >= 0 && depth < module.depth ? module.stack[depth] : nullptr;
}

RwTexture* RwLookUpTexture(const char* baseName) {
  for (intptr_t d = module.depth - 1; d >= 0; --d) {
    intptr_t index = indexNamed(module.stack[d], baseName);
    if (index >= 0) return module.stack[d]->entries[index].texture;
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
