#include "engine/buffer_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

namespace {

constexpr std::int32_t kRunsItemSize = 2048;

std::uintptr_t Address(void* item) { return reinterpret_cast<std::uintptr_t>(item); }

std::uintptr_t BlockBaseOf(void* item) {
  MEMORY_BASIC_INFORMATION info{};
  VirtualQuery(item, &info, sizeof(info));
  return reinterpret_cast<std::uintptr_t>(info.AllocationBase);
}

TEST(BufferPool, TakesTheLastItemFirstThenWalksDownThenGrows) {
  BufferPool* pool = BufferPool::Create(kRunsItemSize);
  EXPECT_EQ(pool->itemSize, 2048);
  EXPECT_EQ(pool->blockSize, 131072);
  void* first = BufferPool::Take(pool);
  ASSERT_NE(first, nullptr);
  const std::uintptr_t base = BlockBaseOf(first);
  EXPECT_EQ(Address(first), base + 129024);

  for (std::int32_t k = 62; k >= 0; --k) {
    void* item = BufferPool::Take(pool);
    ASSERT_EQ(Address(item), base + static_cast<std::uintptr_t>(k) * 2048) << k;
    std::memset(item, 0xAB, 2048);  // the whole item belongs to the taker
  }

  void* sixtyFifth = BufferPool::Take(pool);
  ASSERT_NE(sixtyFifth, nullptr);
  const std::uintptr_t secondBase = BlockBaseOf(sixtyFifth);
  EXPECT_NE(secondBase, base);
  EXPECT_EQ(Address(sixtyFifth), secondBase + 129024);
  BufferPool::Destroy(pool);
}

TEST(BufferPool, GiveThenTakeReturnsTheSameItem) {
  BufferPool* pool = BufferPool::Create(kRunsItemSize);
  void* a = BufferPool::Take(pool);
  void* b = BufferPool::Take(pool);
  BufferPool::Give(pool, a);
  BufferPool::Give(pool, b);
  EXPECT_EQ(BufferPool::Take(pool), b);
  EXPECT_EQ(BufferPool::Take(pool), a);
  BufferPool::Destroy(pool);
}

// 2999 rounds to 3000 (3008 on 64-bit, where list entries need 16-byte
// alignment); either way the 196,608-byte block holds 65 whole items.
TEST(BufferPool, OddSizeFillsTheGranularityRoundedBlock) {
  BufferPool* pool = BufferPool::Create(2999);
  const std::int32_t itemSize = sizeof(void*) == 8 ? 3008 : 3000;
  EXPECT_EQ(pool->itemSize, itemSize);
  EXPECT_EQ(pool->blockSize, 196608);

  void* last = BufferPool::Take(pool);
  const std::uintptr_t base = BlockBaseOf(last);
  EXPECT_EQ(Address(last), base + 64u * itemSize);
  EXPECT_LE(Address(last) + itemSize, base + 196608);
  for (std::int32_t k = 63; k >= 0; --k) {
    void* item = BufferPool::Take(pool);
    ASSERT_EQ(Address(item), base + static_cast<std::uintptr_t>(k) * itemSize) << k;
    ASSERT_EQ(Address(item) % MEMORY_ALLOCATION_ALIGNMENT, 0u);
  }
  EXPECT_NE(BlockBaseOf(BufferPool::Take(pool)), base);
  BufferPool::Destroy(pool);
}

TEST(BufferPool, TinyOrInvalidSizesStillGiveUsableItems) {
  for (std::int32_t requested : {0, -7, 1}) {
    BufferPool* pool = BufferPool::Create(requested);
    ASSERT_NE(pool, nullptr);
    EXPECT_GE(pool->itemSize, static_cast<std::int32_t>(sizeof(SLIST_ENTRY)));
    void* a = BufferPool::Take(pool);
    void* b = BufferPool::Take(pool);
    EXPECT_NE(a, b);
    BufferPool::Destroy(pool);
  }
  EXPECT_EQ(BufferPool::Create(0x7FFFFFF0), nullptr);  // block size would overflow
}

// Each thread stamps the items it holds with its own mark and checks they
// are intact before giving them back: an item handed to two threads at
// once, or a free-list link overwriting a taken item, shows up as a foreign mark.
TEST(BufferPool, ManyThreadsTakeAndGiveAtOnce) {
  BufferPool* pool = BufferPool::Create(kRunsItemSize);
  constexpr int kThreads = 8;
  constexpr int kRounds = 2000;
  constexpr int kHeld = 20;
  std::atomic<int> corrupted{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const auto mark = static_cast<std::uint8_t>(t + 1);
      void* held[kHeld];
      for (int round = 0; round < kRounds; ++round) {
        for (void*& item : held) {
          item = BufferPool::Take(pool);
          std::memset(item, mark, kRunsItemSize);
        }
        if (round % 64 == 0) std::this_thread::yield();
        for (void* item : held) {
          const auto* bytes = static_cast<const std::uint8_t*>(item);
          if (bytes[0] != mark || bytes[kRunsItemSize - 1] != mark) ++corrupted;
          BufferPool::Give(pool, item);
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(corrupted.load(), 0);

  // Every item is free again and distinct: taking them all yields no repeat.
  std::set<void*> seen;
  for (int i = 0; i < kThreads * kHeld; ++i) EXPECT_TRUE(seen.insert(BufferPool::Take(pool)).second);
  BufferPool::Destroy(pool);
}

}  // namespace
