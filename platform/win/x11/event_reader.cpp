#include "x11/event_reader.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <vector>

namespace win::core {

EventReader::EventReader(Display* display, std::mutex& lock,
                         std::function<void(const XEvent&)> handle)
    : display_(display), lock_(lock), handle_(std::move(handle)) {
  if (pipe2(wake_pipe_, O_NONBLOCK | O_CLOEXEC) != 0) wake_pipe_[0] = wake_pipe_[1] = -1;
  thread_ = std::thread([this] { Run(); });
}

EventReader::~EventReader() {
  Stop();
  if (thread_.joinable()) thread_.join();
  for (int fd : wake_pipe_) {
    if (fd >= 0) close(fd);
  }
}

void EventReader::Wake() {
  if (wake_pipe_[1] < 0) return;
  char byte = 0;
  (void)!write(wake_pipe_[1], &byte, 1);
}

void EventReader::Stop() {
  stopping_ = true;
  Wake();
}

void EventReader::Run() {
  const int connection = ConnectionNumber(display_);
  while (!stopping_) {
    std::vector<XEvent> events;
    {
      std::lock_guard<std::mutex> lock(lock_);
      while (!stopping_ && XPending(display_) > 0) {
        XEvent event{};
        XNextEvent(display_, &event);
        // The input method's own traffic, and keys it takes while composing.
        if (XFilterEvent(&event, None)) continue;
        events.push_back(event);
      }
    }
    for (const XEvent& event : events) handle_(event);
    if (!events.empty()) continue;
    pollfd waits[2] = {{connection, POLLIN, 0}, {wake_pipe_[0], POLLIN, 0}};
    poll(waits, wake_pipe_[0] >= 0 ? 2 : 1, -1);
    char drained[64];
    while (wake_pipe_[0] >= 0 && read(wake_pipe_[0], drained, sizeof(drained)) > 0) {
    }
  }
}

}  // namespace win::core
