// The allocator and the string and memory wrappers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "core/memory.h"
#include "core/report.h"
#include "core/strings.h"
#include "tests/hook_guard.h"

namespace {

std::vector<std::string> notified;

int recordNotify(const char* text) {
  notified.push_back(text);
  return 0;
}

// Warnings reach a recorder in place of the notify window.
class MemoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zmResetReportStateForTest();
    notified.clear();
    shellHooks->notifyMessage = recordNotify;
  }
  void TearDown() override { zmResetReportStateForTest(); }

  ServiceGuard<ZmCoreMessages> shellHooks{coreMessages};
};

bool allZero(const void* block, size_t size) {
  const unsigned char* bytes = static_cast<const unsigned char*>(block);
  for (size_t i = 0; i < size; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

TEST_F(MemoryTest, MallocGivesZeroFilledBlocksAndRefusesSizeZero) {
  void* block = zmMalloc(64);
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(allZero(block, 64));
  zmFree(block);

  EXPECT_EQ(zmMalloc(0), nullptr);
  EXPECT_EQ(notified, std::vector<std::string>{"zmMalloc: arguemnt size is 0 value."});
}

TEST_F(MemoryTest, ReallocOfNullGivesAZeroFilledBlock) {
  void* block = zmRealloc(nullptr, 16);
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(allZero(block, 16));
  zmFree(block);
}

TEST_F(MemoryTest, ReallocToZeroWarnsAndLeavesTheBlockUsable) {
  char* block = static_cast<char*>(zmMalloc(8));
  ASSERT_NE(block, nullptr);
  strcpy(block, "kept");
  EXPECT_EQ(zmRealloc(block, 0), nullptr);
  EXPECT_EQ(notified, std::vector<std::string>{"zmRealloc: argument size is 0 value."});
  EXPECT_STREQ(block, "kept");
  zmFree(block);
}

TEST_F(MemoryTest, ReallocKeepsTheContentsWhenGrowing) {
  char* block = static_cast<char*>(zmMalloc(4));
  ASSERT_NE(block, nullptr);
  memcpy(block, "abc", 4);
  char* grown = static_cast<char*>(zmRealloc(block, 4096));
  ASSERT_NE(grown, nullptr);
  EXPECT_STREQ(grown, "abc");
  zmFree(grown);
}

TEST_F(MemoryTest, SizeZeroIsSilentWithWarningsOff) {
  zmTurnOffFlagByName("warning");
  EXPECT_EQ(zmMalloc(0), nullptr);
  EXPECT_TRUE(notified.empty());
}

// ---- Slabs ------------------------------------------------------------------------------

// A slab in use for the test's span, deleted afterwards.
class SlabTest : public MemoryTest {
 protected:
  void SetUp() override {
    MemoryTest::SetUp();
    slab = zmNewSlab();
    ASSERT_NE(slab, nullptr);
    EXPECT_EQ(zmUseSlab(slab), nullptr);
  }
  void TearDown() override {
    EXPECT_EQ(zmUseSlab(nullptr), slab);
    zmDeleteSlab(slab);
    MemoryTest::TearDown();
  }
  ZmSlab* slab = nullptr;
};

TEST_F(SlabTest, BlocksAreZeroFilledDistinctAndSpanManyChunks) {
  // Enough blocks of odd sizes to need several chunks; each is written in
  // full, so an overlap shows as a changed pattern.
  std::vector<std::pair<unsigned char*, size_t>> blocks;
  for (size_t i = 0; i < 20000; ++i) {
    size_t size = 1 + (i * 37) % 300;
    auto* block = static_cast<unsigned char*>(zmSlabMalloc(size));
    ASSERT_NE(block, nullptr);
    ASSERT_TRUE(allZero(block, size)) << i;
    ASSERT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(void*), 0u) << i;
    memset(block, static_cast<int>(i & 0xff), size);
    blocks.emplace_back(block, size);
  }
  for (size_t i = 0; i < blocks.size(); ++i) {
    for (size_t k = 0; k < blocks[i].second; ++k) ASSERT_EQ(blocks[i].first[k], i & 0xff) << i;
  }
  for (auto& [block, size] : blocks) zmFree(block);  // harmless: the slab keeps the memory
}

TEST_F(MemoryTest, ASlabCarvedFromADeletedSlabsChunksGivesZeroFilledBlocks) {
  // The first slab's blocks are written all over, then the slab goes; a new
  // slab takes its chunks again and must still hand out cleared blocks. The
  // last round starts from chunks fresh from the heap again.
  for (int round = 0; round < 3; ++round) {
    if (round == 2) zmReleaseSpareChunks();
    ZmSlab* slab = zmNewSlab();
    ASSERT_NE(slab, nullptr);
    zmUseSlab(slab);
    for (size_t i = 0; i < 5000; ++i) {
      size_t size = 8 + (i * 53) % 400;
      auto* block = static_cast<unsigned char*>(zmSlabMalloc(size));
      ASSERT_NE(block, nullptr);
      ASSERT_TRUE(allZero(block, size)) << "round " << round << ", block " << i;
      memset(block, 0xa5, size);
    }
    zmUseSlab(nullptr);
    zmDeleteSlab(slab);
  }
}

// A world of a few hundred thousand faces grows its slab into chunks of
// several megabytes, which come straight from the system rather than the
// heap. They too must give cleared blocks when new and when reused, and the
// heap blocks that only they point at are still held (the leak checker of
// the sanitized build looks).
TEST_F(MemoryTest, SlabsOfManyMegabytesGiveClearedBlocksAndHoldHeapBlocks) {
  constexpr size_t kBlock = 256;
  constexpr size_t kBlocks = (24u << 20) / kBlock;
  for (int round = 0; round < 3; ++round) {
    if (round == 2) zmReleaseSpareChunks();
    ZmSlab* slab = zmNewSlab();
    ASSERT_NE(slab, nullptr);
    zmUseSlab(slab);
    std::vector<void**> holders;
    for (size_t i = 0; i < kBlocks; ++i) {
      auto* block = static_cast<unsigned char*>(zmSlabMalloc(kBlock));
      ASSERT_NE(block, nullptr);
      ASSERT_TRUE(allZero(block, kBlock)) << "round " << round << ", block " << i;
      memset(block, 0x5a, kBlock);
      if (i % 4096 == 0) holders.push_back(reinterpret_cast<void**>(block));
    }
    zmUseSlab(nullptr);
    for (void** holder : holders) *holder = zmMalloc(32);
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
#endif
    for (void** holder : holders) zmFree(*holder);
    zmDeleteSlab(slab);
  }
}

TEST_F(SlabTest, ReallocMovesASlabBlockToTheHeapKeepingItsContents) {
  struct Case {
    size_t from, to;
  };
  for (const Case& c : {Case{12, 4096}, Case{40, 8}, Case{24, 24}}) {
    auto* block = static_cast<unsigned char*>(zmSlabMalloc(c.from));
    ASSERT_NE(block, nullptr);
    for (size_t k = 0; k < c.from; ++k) block[k] = static_cast<unsigned char>(k + 1);
    auto* moved = static_cast<unsigned char*>(zmRealloc(block, c.to));
    ASSERT_NE(moved, nullptr);
    for (size_t k = 0; k < std::min(c.from, c.to); ++k) ASSERT_EQ(moved[k], k + 1) << c.from << " to " << c.to;
    zmFree(moved);  // a heap block now: a leak or a wrong free shows under the sanitizers
  }
}

TEST_F(MemoryTest, LargeBlocksAndBlocksWithoutASlabInUseOutliveTheSlab) {
  ZmSlab* slab = zmNewSlab();
  ASSERT_NE(slab, nullptr);
  zmUseSlab(slab);
  auto* large = static_cast<char*>(zmSlabMalloc(1 << 20));
  ASSERT_NE(large, nullptr);
  EXPECT_TRUE(allZero(large, 1 << 20));
  EXPECT_EQ(zmSlabMalloc(0), nullptr);
  EXPECT_EQ(notified, std::vector<std::string>{"zmMalloc: arguemnt size is 0 value."});
  EXPECT_EQ(zmUseSlab(nullptr), slab);
  auto* plain = static_cast<char*>(zmSlabMalloc(16));
  ASSERT_NE(plain, nullptr);
  zmUseSlab(slab);
  ASSERT_NE(zmSlabMalloc(16), nullptr);
  zmDeleteSlab(slab);  // also stops it being in use
  EXPECT_EQ(zmUseSlab(nullptr), nullptr);
  // Both are heap blocks: using them now is sound (the sanitizers check).
  large[(1 << 20) - 1] = 1;
  plain[15] = 1;
  zmFree(large);
  zmFree(plain);
}

TEST_F(SlabTest, FreeingASlabBlockTwiceStops) {
  void* block = zmSlabMalloc(32);
  zmFree(block);
  EXPECT_DEATH(zmFree(block), "zmFree: slab block .* freed twice");
}

// ---- Shared blocks ----------------------------------------------------------------------

TEST_F(SlabTest, ASharedBlockLastsUntilItsLastOwnerFreesIt) {
  auto* block = static_cast<char*>(zmSlabMalloc(24));
  ASSERT_NE(block, nullptr);
  strcpy(block, "shared");
  ASSERT_EQ(zmShareBlock(block, 24), block);
  ASSERT_EQ(zmShareBlock(block, 24), block);
  zmFree(block);
  zmFree(block);
  EXPECT_STREQ(block, "shared");  // the third owner still reads it: not fenced off yet
  zmFree(block);
  EXPECT_DEATH(zmFree(block), "zmFree: slab block .* freed twice");
}

TEST_F(SlabTest, OwningASharedBlockCopiesItAndLeavesTheOthersTheirs) {
  auto* block = static_cast<char*>(zmSlabMalloc(16));
  ASSERT_NE(block, nullptr);
  strcpy(block, "before");
  ASSERT_EQ(zmShareBlock(block, 16), block);
  auto* mine = static_cast<char*>(zmOwnBlock(block));
  ASSERT_NE(mine, nullptr);
  ASSERT_NE(mine, block);
  EXPECT_STREQ(mine, "before");
  strcpy(mine, "after");
  EXPECT_STREQ(block, "before");
  // The other owner is now the only one: it writes in place, and one free
  // is its last.
  EXPECT_EQ(zmOwnBlock(block), block);
  zmFree(block);
  EXPECT_DEATH(zmFree(block), "freed twice");
  zmFree(mine);
}

TEST_F(MemoryTest, SharingAHeapBlockGivesACopy) {
  auto* block = static_cast<char*>(zmMalloc(8));
  ASSERT_NE(block, nullptr);
  strcpy(block, "heap");
  auto* other = static_cast<char*>(zmShareBlock(block, 8));
  ASSERT_NE(other, nullptr);
  EXPECT_NE(other, block);
  EXPECT_STREQ(other, "heap");
  EXPECT_EQ(zmOwnBlock(block), block);
  EXPECT_EQ(zmShareBlock(nullptr, 8), nullptr);
  EXPECT_EQ(zmOwnBlock(nullptr), nullptr);
  zmFree(block);
  zmFree(other);  // both are heap blocks: the sanitizers catch a leak or a double free
}

#ifndef NDEBUG
TEST_F(SlabTest, AFreedBlockTakesNoOwnerAgain) {
  void* block = zmSlabMalloc(16);
  ASSERT_NE(block, nullptr);
  zmFree(block);
  EXPECT_DEATH(zmShareBlock(block, 16), "^zmShareBlock: only a block that still has an owner takes another");
  EXPECT_DEATH(zmOwnBlock(block), "^zmOwnBlock: only an owner makes a block its own");
}
#endif

TEST_F(SlabTest, AFailedCopyLeavesTheSharedBlockWithItsOwner) {
  auto* block = static_cast<char*>(zmSlabMalloc(16));
  ASSERT_NE(block, nullptr);
  ASSERT_EQ(zmShareBlock(block, 16), block);
  zmFailAllocationsAfter(0);
  EXPECT_EQ(zmOwnBlock(block), nullptr);
  zmFailAllocationsAfter(-1);
  // Still two owners: two frees are sound, a third is not.
  zmFree(block);
  zmFree(block);
  EXPECT_DEATH(zmFree(block), "freed twice");
}

#if defined(__SANITIZE_ADDRESS__)
TEST_F(SlabTest, AFreedSlabBlockIsFencedOff) {
  auto* block = static_cast<volatile char*>(zmSlabMalloc(32));
  zmFree(const_cast<char*>(block));
  EXPECT_DEATH(block[0] = 1, "use-after-poison");
}

TEST_F(SlabTest, WritingPastASlabBlockIsCaught) {
  auto* block = static_cast<volatile char*>(zmSlabMalloc(20));
  block[19] = 1;
  EXPECT_DEATH(block[20] = 1, "use-after-poison");
  zmFree(const_cast<char*>(block));
}
#endif

TEST(StringsTest, Equality) {
  struct Case {
    const char* a;
    const char* b;
    int equal;
    int caseEqual;
  };
  const Case cases[] = {
      {"abc", "abc", 1, 1},     {"abc", "ABC", 0, 1},  {"abc", "abd", 0, 0},  {"ab", "abc", 0, 0},
      {"", "", 1, 1},           {"a[", "A{", 0, 0},    {"\xc4", "\xe4", 0, 0},  {nullptr, nullptr, 1, 1},
      {nullptr, "", 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(zmStrEq(c.a, c.b), c.equal) << (c.a ? c.a : "null") << " / " << (c.b ? c.b : "null");
    EXPECT_EQ(zmStrCaseEq(c.a, c.b), c.caseEqual) << (c.a ? c.a : "null") << " / " << (c.b ? c.b : "null");
  }
}

TEST(StringsTest, BoundedCopyAndConcatenation) {
  char padded[6];
  memset(padded, 'x', sizeof padded);
  EXPECT_EQ(zmStrncpy(padded, "ab", 5), padded);
  EXPECT_EQ(0, memcmp(padded, "ab\0\0\0x", 6));

  char unterminated[4] = {'x', 'x', 'x', 'x'};
  zmStrncpy(unterminated, "abcdef", 3);
  EXPECT_EQ(0, memcmp(unterminated, "abcx", 4));

  char joined[8] = "ab";
  EXPECT_EQ(zmStrncat(joined, "cdefgh", 3), joined);
  EXPECT_STREQ(joined, "abcde");

  EXPECT_LT(zmStrncmp("abcX", "abdY", 3), 0);
  EXPECT_EQ(zmStrncmp("abcX", "abcY", 3), 0);
}

TEST(StringsTest, StrdupCopiesThroughTheAllocator) {
  char* copy = zmStrdup("world.wrl");
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy, "world.wrl");
  zmFree(copy);
  EXPECT_EQ(zmStrdup(nullptr), nullptr);
}

TEST(StringsTest, MemoryFunctions) {
  EXPECT_EQ(zmMemcmp(nullptr, nullptr, 0), 0);
  EXPECT_EQ(zmMemEq("ab\0c", "ab\0c", 4), 1);
  EXPECT_EQ(zmMemEq("ab\0c", "ab\0d", 4), 0);
  EXPECT_GT(zmMemcmp("\xff", "\x01", 1), 0);  // bytes compare unsigned

  char overlap[] = "abcdef";
  EXPECT_EQ(zmMemmove(overlap + 2, overlap, 4), overlap + 2);
  EXPECT_STREQ(overlap, "ababcd");
}

}  // namespace

TEST_F(MemoryTest, InjectedFaultsRefuseEveryAllocationAfterTheCount) {
  zmFailAllocationsAfter(2);
  void* first = zmMalloc(8);
  char* second = zmStrdup("ab");  // a copy counts as one allocation
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(zmMalloc(8), nullptr);
  EXPECT_EQ(zmRealloc(first, 64), nullptr);  // the old block stays the caller's
  EXPECT_EQ(zmRealloc(nullptr, 8), nullptr);
  EXPECT_EQ(zmStrdup("c"), nullptr);
  EXPECT_TRUE(notified.empty()) << "a refused allocation is reported by its caller";
  zmFailAllocationsAfter(-1);
  void* grown = zmRealloc(first, 64);
  EXPECT_NE(grown, nullptr);
  zmFree(grown);
  zmFree(second);
}
