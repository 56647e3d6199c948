// Counts the heap allocations and frees of the calling thread, so a test can tell that a call
// allocated nothing, or freed all it allocated.
#pragma once

#include <cstddef>

namespace media_test {

struct AllocationCount {
  long allocations;
  long frees;
};

AllocationCount ThreadAllocations();

}  // namespace media_test
