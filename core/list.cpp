// core/list.cpp -- the generic singly linked list and the LRU list.
#include "core/list.h"

#include <cstdlib>

#include "core/memory.h"
#include "platform/fatal.h"

int zmNewListNode(ZmListNode** node, intptr_t value) {
  if (node == nullptr) return 0;
  ZmListNode* made = static_cast<ZmListNode*>(malloc(sizeof(ZmListNode)));
  if (made == nullptr) return 0;
  made->value = value;
  made->next = nullptr;
  *node = made;
  return 1;
}

void zmFreeListNode(ZmListNode** node) {
  if (node == nullptr || *node == nullptr) return;
  free(*node);
  *node = nullptr;
}

int zmInitList(ZmListNode** head) {
  if (head == nullptr) return 0;
  *head = nullptr;
  return 1;
}

int zmIsEmptyList(ZmListNode* first) { return first == nullptr; }

ZmListNode* zmGetNextInList(ZmListNode* first, ZmListNode* node) { return node == nullptr ? first : node->next; }

int zmPushToList(ZmListNode** head, intptr_t value) {
  ZmListNode* node = nullptr;
  if (head == nullptr || value == 0 || !zmNewListNode(&node, value)) return 0;
  node->next = *head;
  *head = node;
  return 1;
}

int zmAppendToList(ZmListNode** head, intptr_t value) {
  ZmListNode* node = nullptr;
  if (head == nullptr || value == 0 || !zmNewListNode(&node, value)) return 0;
  ZmListNode** link = head;
  while (*link != nullptr) link = &(*link)->next;
  *link = node;
  return 1;
}

int zmRemoveFromList(ZmListNode** head, ZmListNode** node) {
  if (head == nullptr || *head == nullptr || node == nullptr || *node == nullptr) return 0;
  for (ZmListNode** link = head; *link != nullptr; link = &(*link)->next) {
    if (*link == *node) {
      *link = (*node)->next;
      zmFreeListNode(node);
      return 1;
    }
  }
  return 0;
}

int zmFindInList(ZmListNode* first, intptr_t key, ZmListMatchProc match, ZmListNode** node) {
  if (first == nullptr || key == 0 || match == nullptr || node == nullptr) return 0;
  for (ZmListNode* at = first; at != nullptr; at = at->next) {
    if (match(key, at->value) == 0) {
      *node = at;
      return 1;
    }
  }
  *node = nullptr;
  return 0;
}

void zmForEachInList(ZmListNode* first, ZmListEachProc callback) {
  if (callback == nullptr) return;
  for (ZmListNode* at = first; at != nullptr; at = at->next) {
    if (callback(at->value) == 0) return;
  }
}

// Reverses the links so that the last node comes first; the list must be
// freed from its tail, and a singly linked list only walks forward.
static ZmListNode* reversed(ZmListNode* first) {
  ZmListNode* done = nullptr;
  while (first != nullptr) {
    ZmListNode* next = first->next;
    first->next = done;
    done = first;
    first = next;
  }
  return done;
}

void zmDeleteList(ZmListNode** head, ZmListFreeProc callback) {
  if (head == nullptr) return;
  ZmListNode* node = reversed(*head);
  *head = nullptr;
  while (node != nullptr) {
    ZmListNode* next = node->next;
    if (callback != nullptr) callback(node->value);
    zmFreeListNode(&node);
    node = next;
  }
}

ZmLruList* zmNewLruList(int capacity, ZmListMatchProc match, ZmListFreeProc freeValue) {
  if (capacity < 1 || match == nullptr) return nullptr;
  ZmLruList* list = static_cast<ZmLruList*>(zmMalloc(sizeof(ZmLruList)));
  if (list == nullptr) return nullptr;
  list->capacity = capacity;
  list->match = match;
  list->freeValue = freeValue;
  return list;
}

// Unlinks the node and frees it, handing its value to the free callback.
static void dropLruNode(ZmLruList* list, ZmListNode* node) {
  intptr_t value = node->value;
  const int removed = zmRemoveFromList(&list->first, &node);
  ZM_ASSERT(removed && list->count > 0, "the dropped node is one of the values the LRU list counts");
  list->count--;
  if (list->freeValue != nullptr) list->freeValue(value);
}

static ZmListNode* lastNode(ZmListNode* first) {
  while (first->next != nullptr) first = first->next;
  return first;
}

int zmAddToLruList(ZmLruList* list, intptr_t value) {
  if (list == nullptr) return 0;
  ZM_ASSERT(list->count >= 0 && list->count <= list->capacity, "an LRU list holds at most its capacity");
  if (!zmPushToList(&list->first, value)) return 0;
  list->count++;
  if (list->count > list->capacity) dropLruNode(list, lastNode(list->first));
  return 1;
}

// Moves a node of the list to its front.
static void moveToFront(ZmLruList* list, ZmListNode* node) {
  if (list->first == node) return;
  ZmListNode* before = list->first;
  while (before->next != node) before = before->next;
  before->next = node->next;
  node->next = list->first;
  list->first = node;
}

intptr_t zmFindInLruList(ZmLruList* list, intptr_t key) {
  ZmListNode* node = nullptr;
  if (list == nullptr || !zmFindInList(list->first, key, list->match, &node)) return 0;
  moveToFront(list, node);
  return node->value;
}

int zmRemoveFromLruList(ZmLruList* list, intptr_t key) {
  ZmListNode* node = nullptr;
  if (list == nullptr || !zmFindInList(list->first, key, list->match, &node)) return 0;
  dropLruNode(list, node);
  return 1;
}

void zmDeleteLruList(ZmLruList* list) {
  if (list == nullptr) return;
  while (list->first != nullptr) dropLruNode(list, list->first);
  zmFree(list);
}
