#include "tests/media/allocation_counter.h"

#include <cstdlib>
#include <new>

namespace {

thread_local long allocations = 0;
thread_local long frees = 0;

void* TryAllocate(std::size_t size) noexcept {
  ++allocations;
  return std::malloc(size == 0 ? 1 : size);
}

void* Allocate(std::size_t size) {
  if (void* block = TryAllocate(size)) return block;
  throw std::bad_alloc();
}

void Free(void* block) {
  if (block == nullptr) return;
  ++frees;
  std::free(block);
}

}  // namespace

namespace media_test {

AllocationCount ThreadAllocations() { return {allocations, frees}; }

}  // namespace media_test

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return TryAllocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return TryAllocate(size); }
void operator delete(void* block) noexcept { Free(block); }
void operator delete[](void* block) noexcept { Free(block); }
void operator delete(void* block, std::size_t) noexcept { Free(block); }
void operator delete[](void* block, std::size_t) noexcept { Free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Free(block); }
