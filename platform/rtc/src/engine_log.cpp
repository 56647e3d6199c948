#include "engine_log.h"

#include <sys/time.h>

#include <cstdarg>
#include <ctime>

#include "rtc/rtc_base.h"

namespace rtc {

int EngineLog::Open(const std::string& path) {
  handles::File file(std::fopen(path.c_str(), "a"));
  if (!file) return ERR_FAILED;
  std::lock_guard<std::mutex> lock(mutex_);
  file_ = std::move(file);
  return ERR_OK;
}

void EngineLog::Write(const char* format, ...) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!file_) return;
  timeval now{};
  gettimeofday(&now, nullptr);
  std::tm local{};
  localtime_r(&now.tv_sec, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  std::fprintf(file_.get(), "%s.%03ld ", stamp, static_cast<long>(now.tv_usec / 1000));
  va_list args;
  va_start(args, format);
  std::vfprintf(file_.get(), format, args);
  va_end(args);
  std::fputc('\n', file_.get());
  std::fflush(file_.get());
}

}  // namespace rtc
