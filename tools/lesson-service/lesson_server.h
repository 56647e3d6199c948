// The lesson service over HTTP: answers POSTs on the six paths (and their redirect targets)
// with JSON, logs every request body it receives, and applies the fault plan.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "tools/lesson-service/fault_plan.h"
#include "tools/lesson-service/lesson_api.h"
#include "tools/lesson-service/lesson_store.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

class LessonServer {
 public:
  LessonServer(LessonStore& store, FaultPlan faults, MediaServers media_servers = {});
  ~LessonServer();
  LessonServer(const LessonServer&) = delete;
  LessonServer& operator=(const LessonServer&) = delete;

  // Binds and listens; port 0 takes any free port. The port bound, or -1 when it cannot.
  int Bind(const std::string& host, int port);
  // Answers requests until Stop; returns at once if Bind did not succeed.
  void Serve();
  // Ends Serve, waking stalled and delayed answers first, whether Serve has reached its
  // loop yet or not. Safe from any thread; later calls do nothing.
  void Stop();

 private:
  void Handle(const std::string& path, const httplib::Request& request, httplib::Response& response,
              bool apply_faults);
  // Waits until the deadline or Stop; false when stopped.
  bool WaitUnlessStopped(std::chrono::milliseconds duration);

  LessonStore& store_;
  LessonApi api_;
  FaultPlan faults_;
  std::unique_ptr<httplib::Server> http_;
  std::mutex stop_mutex_;
  std::condition_variable stop_signal_;
  bool stopping_ = false;
  bool serving_ = false;  // Serve is inside the library's loop, or about to enter it
};
