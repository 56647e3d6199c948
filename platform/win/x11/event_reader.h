// The thread that reads the X connection: it sleeps on the connection's socket and on a
// wake-up pipe, takes the events Xlib has queued, and hands each on without the lock.
#pragma once

#include <X11/Xlib.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace win::core {

class EventReader {
 public:
  // Reads from now on, taking lock (the connection's) only while it reads; handle runs on the
  // reader's thread.
  EventReader(Display* display, std::mutex& lock, std::function<void(const XEvent&)> handle);
  ~EventReader();
  EventReader(const EventReader&) = delete;
  EventReader& operator=(const EventReader&) = delete;

  // From any thread: events wait in Xlib's queue, read off the socket by another call.
  void Wake();
  // From any thread, the reader's own included: no more reading (the connection has gone).
  void Stop();

 private:
  void Run();

  Display* const display_;
  std::mutex& lock_;
  const std::function<void(const XEvent&)> handle_;
  int wake_pipe_[2] = {-1, -1};
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace win::core
