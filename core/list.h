// core/list.h -- the generic singly linked list and the LRU list built on it.
//
// Owns: list nodes (taken from and returned to the system allocator by these
// functions) and the LRU list record. It does not own the values: a value is
// a word chosen by the user of the list (a pointer or an integer) and is
// never freed here, only handed to the user's callback on destruction.
//
// A list is held by a head pointer (null when empty) that its user owns; the
// functions that change a list take the address of that head pointer, the
// others take its value ("first").
#ifndef LUMENFOLD_CORE_LIST_H
#define LUMENFOLD_CORE_LIST_H

#include <cstdint>

struct ZmListNode {
  intptr_t value;    // the user's word
  ZmListNode* next;  // null at the tail
};

// Answers 0 when the value is the one the key looks for (as strcmp does).
typedef int (*ZmListMatchProc)(intptr_t key, intptr_t value);
// Answers 0 to stop the walk.
typedef int (*ZmListEachProc)(intptr_t value);
// Disposes of a value as its list goes away.
typedef void (*ZmListFreeProc)(intptr_t value);

// A new node {value, null} in *node. 1; 0 when node is null or memory runs
// out.
int zmNewListNode(ZmListNode** node, intptr_t value);
// Frees *node and sets it to null; a null address or node does nothing.
void zmFreeListNode(ZmListNode** node);

// Sets *head to null. 1; 0 when head is null.
int zmInitList(ZmListNode** head);
// 1 when the list is empty.
int zmIsEmptyList(ZmListNode* first);
// The node after `node`; with a null node, the first. Iteration starts with a
// null node and ends at null.
ZmListNode* zmGetNextInList(ZmListNode* first, ZmListNode* node);

// A new node with the value becomes the first (push) or the last (append).
// 1; 0 when head is null, value is 0 or memory runs out.
int zmPushToList(ZmListNode** head, intptr_t value);
int zmAppendToList(ZmListNode** head, intptr_t value);

/*
 * zmRemoveFromList --
 *   Unlinks *node from the list and frees it.
 * Results:
 *   1, with *node set to null. 0 when an argument, the list or *node is null
 *   or the node is not in this list; nothing is then changed or freed.
 */
int zmRemoveFromList(ZmListNode** head, ZmListNode** node);

/*
 * zmFindInList --
 *   Calls match(key, value) for each node from the first.
 * Results:
 *   1 with the first node whose match answers 0 in *node; 0 with *node null
 *   when none matches. 0 with *node untouched when any argument is null or
 *   the key is 0.
 */
int zmFindInList(ZmListNode* first, intptr_t key, ZmListMatchProc match, ZmListNode** node);

// Calls callback(value) for each node from the first and stops after the
// first call that answers 0. Nothing happens when either argument is null.
void zmForEachInList(ZmListNode* first, ZmListEachProc callback);

// Frees every node, the last first, handing each value to the callback (when
// one is given) just before its node goes; *head is null afterwards.
void zmDeleteList(ZmListNode** head, ZmListFreeProc callback);

// A list of at most `capacity` values, the most recently added or found
// first. When an addition makes it overfull, the least recently used value
// is dropped and handed to the free callback.
struct ZmLruList {
  ZmListNode* first;           // most recently used first
  int count;                   // values held, at most capacity
  int capacity;                // at least 1
  ZmListMatchProc match;       // finds a value by key
  ZmListFreeProc freeValue;    // disposes of dropped values; may be null
};

// A new empty LRU list (free it with zmDeleteLruList); null when capacity is
// below 1, match is null or memory runs out.
ZmLruList* zmNewLruList(int capacity, ZmListMatchProc match, ZmListFreeProc freeValue);

// The value becomes the most recent. 1; 0 when the list is null, the value
// is 0 or memory runs out (the value is then not taken over).
int zmAddToLruList(ZmLruList* list, intptr_t value);

// The first value that the key matches, which becomes the most recent; 0
// when none matches, the list or match is null or the key is 0.
intptr_t zmFindInLruList(ZmLruList* list, intptr_t key);

// Drops the first value that the key matches, handing it to the free
// callback. 1; 0 when none matches, the list is null or the key is 0.
int zmRemoveFromLruList(ZmLruList* list, intptr_t key);

// Hands every value to the free callback, most recent first, and frees the
// list; null is ignored.
void zmDeleteLruList(ZmLruList* list);

#endif
