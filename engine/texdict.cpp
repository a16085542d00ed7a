// engine/texdict.cpp -- texture dictionaries and their stack.
#include "engine/texdict.h"

#include <cstring>

#include "engine/error.h"
#include "engine/path.h"
#include "engine/pool.h"

namespace {

constexpr intptr_t firstStackCapacity = 4;
constexpr intptr_t firstEntryCapacity = 8;

RwPool* dictionaryPool = nullptr;  // "texturedictlist"
RwTextureDictionary** stack = nullptr;
intptr_t stackCapacity = 0;
intptr_t stackDepth = 0;

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
  RwFreeRecord(dictionaryPool, dictionary);
}

intptr_t indexNamed(const RwTextureDictionary* dictionary, const char* baseName) {
  for (intptr_t i = 0; i < dictionary->count; ++i) {
    if (RwSameNameNoCase(dictionary->entries[i].name, baseName)) return i;
  }
  return -1;
}

}  // namespace

int RwOpenTextureDictionaries() {
  dictionaryPool = RwCreatePool("texturedictlist", sizeof(RwTextureDictionary));
  if (!dictionaryPool || !grow(&stack, &stackCapacity, firstStackCapacity)) {
    RwSetError(rwErrOutOfMemory);
    return 0;
  }
  return RwPushTextureDictionary() ? 1 : 0;
}

void RwCloseTextureDictionaries() {
  while (stackDepth > 0) destroyDictionary(stack[--stackDepth]);
  RwEngineFree(stack);
  stack = nullptr;
  stackCapacity = 0;
  RwDestroyPool(dictionaryPool);
  dictionaryPool = nullptr;
}

RwTextureDictionary* RwPushTextureDictionary() {
  if (stackDepth == stackCapacity && !grow(&stack, &stackCapacity, stackCapacity + stackCapacity / 2)) {
    RwSetError(rwErrOutOfMemory);
    return nullptr;
  }
  auto* dictionary = static_cast<RwTextureDictionary*>(RwAllocRecord(dictionaryPool));
  if (!dictionary) {
    RwSetError(rwErrOutOfMemory);
    return nullptr;
  }
  *dictionary = {};
  if (!grow(&dictionary->entries, &dictionary->capacity, firstEntryCapacity)) {
    RwFreeRecord(dictionaryPool, dictionary);
    RwSetError(rwErrOutOfMemory);
    return nullptr;
  }
  stack[stackDepth++] = dictionary;
  return dictionary;
}

int RwPopTextureDictionary() {
  if (stackDepth <= 1 || stack[stackDepth - 1]->count > 0) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  destroyDictionary(stack[--stackDepth]);
  return 1;
}

RwTextureDictionary* RwTopTextureDictionary() { return stackDepth > 0 ? stack[stackDepth - 1] : nullptr; }

intptr_t RwTextureDictionaryDepth() { return stackDepth; }

RwTextureDictionary* RwTextureDictionaryAt(intptr_t depth) {
  return depth >= 0 && depth < stackDepth ? stack[depth] : nullptr;
}

RwTexture* RwLookUpTexture(const char* baseName) {
  for (intptr_t d = stackDepth - 1; d >= 0; --d) {
    intptr_t index = indexNamed(stack[d], baseName);
    if (index >= 0) return stack[d]->entries[index].texture;
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
