// What a long lesson must not grow in the test's own process, the program's.
#pragma once

#include <malloc.h>
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>

namespace e2e {

// The whole heap the process has in use, small blocks and mapped ones, less what the
// in-process lesson service's database holds: its page cache grows with the reports it keeps,
// and the service is the test's stand-in, not part of the program.
inline std::int64_t ProgramHeap() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<std::int64_t>(info.uordblks + info.hblkhd) - sqlite3_memory_used();
}

inline int OpenFiles() {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++count;
  }
  return count - 1;  // the iterator's own
}

inline int Threads() {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
    (void)entry;
    ++count;
  }
  return count;
}

}  // namespace e2e
