// Opens video sources on a thread of its own, so that a camera that is slow to open (its
// device, its pipeline's start, its first caps) holds up no call of the engine.
//
// Only the newest request counts: one made before the previous one started replaces it. The
// result goes to the request's done on the opener's thread. Stop waits for an open that runs
// and drops its result; nothing is called after it returns.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "video_source.h"

namespace rtc {

class SourceOpener {
 public:
  // Null, with the reason in error, when the source cannot be opened.
  using Open = std::function<std::unique_ptr<VideoSource>(std::string& error)>;
  using Done = std::function<void(std::unique_ptr<VideoSource> source, const std::string& error)>;

  SourceOpener();
  ~SourceOpener();
  SourceOpener(const SourceOpener&) = delete;
  SourceOpener& operator=(const SourceOpener&) = delete;

  void Request(Open open, Done done);
  void Stop();

 private:
  struct Job {
    Open open;
    Done done;
  };
  void Run();

  std::mutex mutex_;
  std::condition_variable changed_;
  bool stopping_ = false;
  std::optional<Job> pending_;
  std::thread thread_;
};

}  // namespace rtc
