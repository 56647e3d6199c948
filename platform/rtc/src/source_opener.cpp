#include "source_opener.h"

#include <utility>

namespace rtc {

SourceOpener::SourceOpener() : thread_([this] { Run(); }) {}

SourceOpener::~SourceOpener() { Stop(); }

void SourceOpener::Request(Open open, Done done) {
  std::optional<Job> replaced;  // let go of once the lock is released
  std::lock_guard<std::mutex> lock(mutex_);
  replaced = std::exchange(pending_, Job{std::move(open), std::move(done)});
  changed_.notify_one();
}

void SourceOpener::LetGo(std::shared_ptr<VideoSource> source) {
  if (!source) return;
  std::lock_guard<std::mutex> lock(mutex_);
  let_go_.push_back(std::move(source));
  changed_.notify_one();
}

void SourceOpener::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    pending_.reset();
    changed_.notify_one();
  }
  if (thread_.joinable()) thread_.join();
}

bool SourceOpener::Stopping() {
  std::lock_guard<std::mutex> lock(mutex_);
  return stopping_;
}

void SourceOpener::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || pending_ || !let_go_.empty(); });
    if (stopping_) return;
    std::vector<std::shared_ptr<VideoSource>> closing = std::exchange(let_go_, {});
    std::optional<Job> job = std::exchange(pending_, std::nullopt);
    lock.unlock();
    // The lock is not held while closing, opening or handing over: a camera may take a while,
    // and done may make the next request.
    closing.clear();
    if (job) {
      std::string error;
      std::unique_ptr<VideoSource> source = job->open(error);
      if (!Stopping()) job->done(std::move(source), error);
    }
    job.reset();
    lock.lock();
  }
}

}  // namespace rtc
