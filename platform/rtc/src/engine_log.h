// The engine's log: one line per noteworthy call and event, written to the file that the
// "rtc.log_file" parameter names. Nothing is written before a file is set.
#pragma once

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

namespace rtc {

class EngineLog {
 public:
  // Appends to path from now on; ERR_FAILED (and the old file kept) when it cannot be opened.
  int Open(const std::string& path);
  // printf-style; thread-safe.
  void Write(const char* format, ...) __attribute__((format(printf, 2, 3)));

 private:
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::mutex mutex_;
  std::unique_ptr<std::FILE, FileCloser> file_;
};

}  // namespace rtc
