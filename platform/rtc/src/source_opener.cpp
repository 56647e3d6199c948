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

void SourceOpener::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    pending_.reset();
    changed_.notify_one();
  }
  if (thread_.joinable()) thread_.join();
}

void SourceOpener::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || pending_; });
    if (stopping_) return;
    Job job = std::move(*pending_);
    pending_.reset();
    lock.unlock();
    // The lock is not held while opening, handing over or closing: done may make the next
    // request, and a closing camera may take a while.
    std::string error;
    std::unique_ptr<VideoSource> source = job.open(error);
    lock.lock();
    bool stopped = stopping_;
    lock.unlock();
    if (!stopped) job.done(std::move(source), error);
    source.reset();
    job = Job{};
    lock.lock();
    if (stopped) return;
  }
}

}  // namespace rtc
