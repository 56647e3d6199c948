// The engine's log: one line per noteworthy call and event, written to the file that the
// "rtc.log_file" parameter names. Nothing is written before a file is set.
#pragma once

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "handles/file.h"

namespace rtc {

class EngineLog {
 public:
  // Appends to path from now on; ERR_FAILED (and the old file kept) when it cannot be opened.
  int Open(const std::string& path);
  // printf-style; thread-safe.
  void Write(const char* format, ...) __attribute__((format(printf, 2, 3)));

 private:
  std::mutex mutex_;
  handles::File file_;
};

}  // namespace rtc
