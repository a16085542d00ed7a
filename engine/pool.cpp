// engine/pool.cpp -- record pools over shared pages, and the engine's heap.
#include "engine/pool.h"

#include <cstdlib>
#include <cstring>

#include "engine/error.h"

namespace {

// The pool module: the reported state and the test's failure countdown.
struct PoolModule {
  RwPoolState state = {};
  intptr_t allocationsLeft = -1;  // negative: never fail
};
PoolModule pools;

bool allocationAllowed() {
  if (pools.allocationsLeft < 0) return true;
  if (pools.allocationsLeft == 0) return false;
  --pools.allocationsLeft;
  return true;
}

// Links are stored with memcpy: a record need not be pointer-aligned.
void* readLink(const void* at) {
  void* link;
  std::memcpy(&link, at, sizeof link);
  return link;
}

void writeLink(void* at, const void* link) { std::memcpy(at, &link, sizeof link); }

unsigned char* takePage() {
  auto* page = static_cast<unsigned char*>(RwEngineAlloc(rwPoolPageBytes));
  if (page) ++pools.state.pagesAllocated;
  return page;
}

// Links a fresh page into the pool and threads its records into the free list.
bool growPool(RwPool* pool) {
  unsigned char* page = takePage();
  if (!page) return false;
  writeLink(page + rwPoolPageLinkOffset, pool->pages);
  pool->pages = page;
  ++pool->pageCount;
  for (size_t i = 0; i < pool->recordsPerPage; ++i) {
    unsigned char* record = page + i * pool->recordSize;
    bool last = i + 1 == pool->recordsPerPage;
    writeLink(record, last ? pool->freeList : record + pool->recordSize);
  }
  pool->freeList = page;
  return true;
}

void freePageList(unsigned char* page) {
  while (page) {
    auto* previous = static_cast<unsigned char*>(readLink(page + rwPoolPageLinkOffset));
    RwEngineFree(page);
    page = previous;
  }
}

}  // namespace

const RwPoolState& RwGetPoolState() { return pools.state; }

RwPool* RwCreatePool(const char* name, intptr_t recordSize) {
  if (recordSize < 1 || recordSize > static_cast<intptr_t>(rwPoolPageRecordBytes)) return nullptr;
  auto* pool = static_cast<RwPool*>(RwEngineAlloc(sizeof(RwPool)));
  if (!pool) return nullptr;
  pool->name = name;
  pool->recordSize = recordSize < static_cast<intptr_t>(rwPoolSmallestRecord)
                         ? rwPoolSmallestRecord
                         : static_cast<size_t>(recordSize);
  pool->recordsPerPage = rwPoolPageRecordBytes / pool->recordSize;
  if (pools.state.tail) {
    pools.state.tail->next = pool;
  } else {
    pools.state.head = pool;
  }
  pools.state.tail = pool;
  ++pools.state.poolCount;
  return pool;
}

void* RwAllocRecord(RwPool* pool) {
  if (!pool) {
    RwSetError(rwErrInvalidArgument);
    return nullptr;
  }
  if (!pool->freeList && !growPool(pool)) {
    RwSetError(rwErrOutOfMemory);
    return nullptr;
  }
  void* record = pool->freeList;
  pool->freeList = readLink(record);
  ++pool->recordsInUse;
  return record;
}

void RwFreeRecord(RwPool* pool, void* record) {
  if (!pool || !record || pool->recordsInUse == 0) return;
  writeLink(record, pool->freeList);
  pool->freeList = record;
  --pool->recordsInUse;
}

void RwDestroyPool(RwPool*) {}

int RwFreeAllPools() {
  RwPool* pool = pools.state.head;
  while (pool) {
    RwPool* next = pool->next;
    freePageList(pool->pages);
    RwEngineFree(pool);
    pool = next;
  }
  pools.state = {};
  return 0;
}

void* RwEngineAlloc(size_t bytes) {
  if (!allocationAllowed()) return nullptr;
  return std::calloc(1, bytes ? bytes : 1);
}

void* RwEngineRealloc(void* block, size_t bytes) {
  if (!allocationAllowed()) return nullptr;
  return std::realloc(block, bytes ? bytes : 1);
}

void RwEngineFree(void* block) { std::free(block); }

void RwFailAllocationsAfter(intptr_t count) { pools.allocationsLeft = count; }
