// Opens and closes video sources on a thread of its own, so that a camera that is slow to
// open (its device, its pipeline's start, its first caps) or to close holds up no call of the
// engine.
//
// Only the newest request counts: one made before the previous one started replaces it. The
// result goes to the request's done on the opener's thread. Sources let go of before a
// request are closed before it opens, so that a device is free to be opened again. Stop waits
// for an open that runs and drops its result; nothing is called after it returns.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

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
  // Closed here once no one else holds it (the video thread may, for the rest of its frame).
  void LetGo(std::shared_ptr<VideoSource> source);
  void Stop();

 private:
  struct Job {
    Open open;
    Done done;
  };
  void Run();
  bool Stopping();

  std::mutex mutex_;
  std::condition_variable changed_;
  bool stopping_ = false;
  std::optional<Job> pending_;
  std::vector<std::shared_ptr<VideoSource>> let_go_;
  std::thread thread_;
};

}  // namespace rtc
