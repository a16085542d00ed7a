// engine/texdict.h -- texture dictionaries.
//
// Owns: the pool "texturedictlist", the dictionary records and their entries
// (a heap copy of each base name with its texture), and the library's stack
// of dictionaries: lookups search it from the top down, new entries go into
// the top dictionary.
// It does not own the textures themselves (engine/texture.h), which it only
// lists; destroying a dictionary's textures is the texture module's close.
#ifndef LUMENFOLD_ENGINE_TEXDICT_H
#define LUMENFOLD_ENGINE_TEXDICT_H

#include <cstdint>

struct RwTexture;

struct RwTextureDictionaryEntry {
  char* name;          // base name, heap copy
  RwTexture* texture;
};

struct RwTextureDictionary {
  RwTextureDictionaryEntry* entries;
  intptr_t capacity;
  intptr_t count;
};

// Makes the pool and the stack and pushes one dictionary of 8 entries.
int RwOpenTextureDictionaries();
// Frees the entries, dictionaries, stack and pool (not the textures).
void RwCloseTextureDictionaries();

// A new empty dictionary on top of the stack, or null (error 3).
RwTextureDictionary* RwPushTextureDictionary();
// Takes the top dictionary off the stack (never the first); the caller must
// have destroyed its textures. 1, or 0 with error 1.
int RwPopTextureDictionary();
RwTextureDictionary* RwTopTextureDictionary();
intptr_t RwTextureDictionaryDepth();
// Dictionary depth-th from the bottom (0 the first), or null.
RwTextureDictionary* RwTextureDictionaryAt(intptr_t depth);

// The first texture under the base name (case ignored), searching from the top.
RwTexture* RwLookUpTexture(const char* baseName);
// The entry index of the texture in its dictionary, or -1.
intptr_t RwTextureEntryIndex(const RwTextureDictionary* dictionary, const RwTexture* texture);
// Removes entry index (its name freed, later entries move down).
void RwRemoveTextureEntry(RwTextureDictionary* dictionary, intptr_t index);
// The top dictionary's entry of that base name, or -1.
intptr_t RwTopEntryNamed(const char* baseName);
// Appends {copy of the name, texture} to the top dictionary; 1, or 0 (error 3).
int RwAppendTextureEntry(const char* baseName, RwTexture* texture);

#endif
