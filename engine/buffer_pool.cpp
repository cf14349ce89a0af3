#include "engine/buffer_pool.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace {

// The record of one reserved block, kept on the pool's blocks list.
struct alignas(MEMORY_ALLOCATION_ALIGNMENT) BlockRecord {
  SLIST_ENTRY link;
  void* base;
};

// unit is a power of two.
std::int64_t RoundUp(std::int64_t value, std::int64_t unit) { return (value + unit - 1) & ~(unit - 1); }

std::uint8_t* ItemAt(void* base, std::int32_t itemSize, std::int32_t index) {
  return static_cast<std::uint8_t*>(base) + static_cast<std::size_t>(index) * static_cast<std::size_t>(itemSize);
}

}  // namespace

BufferPool* BufferPool::Create(std::int32_t requestedItemSize) {
  // A free item holds its list link, so it is at least one list entry long
  // and aligned like one (a multiple of 8 bytes, 16 on 64-bit Windows).
  const std::int64_t itemSize =
      RoundUp(std::max<std::int64_t>(requestedItemSize, sizeof(SLIST_ENTRY)), kItemAlignment);
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  const std::int64_t blockSize = RoundUp(itemSize * kItemsPerBlock, system.dwAllocationGranularity);
  if (blockSize > std::numeric_limits<std::int32_t>::max()) return nullptr;  // sizes are 32-bit

  auto* pool = static_cast<BufferPool*>(LocalAlloc(LPTR, sizeof(BufferPool)));
  if (pool == nullptr) return nullptr;
  pool->itemSize = static_cast<std::int32_t>(itemSize);
  InitializeSListHead(&pool->freeItems);
  pool->blockSize = static_cast<std::int32_t>(blockSize);
  InitializeSListHead(&pool->blocks);
  return pool;
}

void* BufferPool::Take(BufferPool* pool) {
  if (pool == nullptr) return nullptr;
  if (PSLIST_ENTRY item = InterlockedPopEntrySList(&pool->freeItems)) return item;
  return Grow(pool);
}

void* BufferPool::Grow(BufferPool* pool) {
  void* base = VirtualAlloc(nullptr, static_cast<SIZE_T>(pool->blockSize), MEM_RESERVE | MEM_COMMIT,
                            PAGE_READWRITE);
  if (base == nullptr) return nullptr;
  auto* record = static_cast<BlockRecord*>(LocalAlloc(LPTR, sizeof(BlockRecord)));
  if (record == nullptr) {  // leave the pool as it was
    VirtualFree(base, 0, MEM_RELEASE);
    return nullptr;
  }
  record->base = base;

  // Pushed in rising address order, so later takes go from the top down.
  const std::int32_t last = pool->blockSize / pool->itemSize - 1;
  for (std::int32_t k = 0; k < last; ++k) {
    InterlockedPushEntrySList(&pool->freeItems, reinterpret_cast<PSLIST_ENTRY>(ItemAt(base, pool->itemSize, k)));
  }
  InterlockedPushEntrySList(&pool->blocks, &record->link);
  return ItemAt(base, pool->itemSize, last);
}

void BufferPool::Give(BufferPool* pool, void* item) {
  if (pool == nullptr || item == nullptr) return;
  InterlockedPushEntrySList(&pool->freeItems, static_cast<PSLIST_ENTRY>(item));
}

void BufferPool::Destroy(BufferPool* pool) {
  if (pool == nullptr) return;
  // The free list is not walked: its entries live inside these blocks.
  while (PSLIST_ENTRY entry = InterlockedPopEntrySList(&pool->blocks)) {
    auto* record = reinterpret_cast<BlockRecord*>(entry);
    VirtualFree(record->base, 0, MEM_RELEASE);
    LocalFree(record);
  }
  LocalFree(pool);
}
