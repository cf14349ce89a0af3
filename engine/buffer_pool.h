// BufferPool: fixed-size items carved from VirtualAlloc'd blocks, handed
// out and back with single interlocked list operations from any thread.
// The control block is the pool; the functions work on it.
#pragma once

#include <windows.h>

#include <cstdint>

struct alignas(MEMORY_ALLOCATION_ALIGNMENT) BufferPool {
  static constexpr std::int32_t kItemsPerBlock = 64;
  // Item sizes are rounded up to this: a free item carries a list link,
  // which the platform wants aligned (8 bytes on 32-bit, 16 on 64-bit).
  static constexpr std::int32_t kItemAlignment = MEMORY_ALLOCATION_ALIGNMENT;

  std::int32_t itemSize;
  SLIST_HEADER freeItems;
  std::int32_t blockSize;
  SLIST_HEADER blocks;

  static BufferPool* Create(std::int32_t requestedItemSize);
  static void* Take(BufferPool* pool);  // null when no block can be reserved
  static void* Grow(BufferPool* pool);  // called by Take only
  static void Give(BufferPool* pool, void* item);
  static void Destroy(BufferPool* pool);
};
