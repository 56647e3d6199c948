// The real lesson service on a free loopback port, for the length of a scope: a fresh
// database with one lesson placed on the given media servers (none: on none), the client's
// API address pointed at it, stopped at the end.
// Also a loopback port where nothing listens, and shorthands for the service's faults.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <thread>
#include <variant>

#include "tests/support/scoped_env.h"
#include "tools/lesson-service/lesson_server.h"
#include "tools/lesson-service/lesson_store.h"

namespace testing_support {

class RunningLessonService {
 public:
  explicit RunningLessonService(FaultPlan faults = {}, LessonOptions lesson = {},
                                MediaServers media_servers = {}) {
    auto opened = LessonStore::Open((folder_.path() / "lessons.db").string());
    if (auto* reason = std::get_if<std::string>(&opened)) {
      ADD_FAILURE() << *reason;
      return;
    }
    store_ = std::move(std::get<std::unique_ptr<LessonStore>>(opened));
    created_ = store_->CreateLesson(lesson);
    server_ = std::make_unique<LessonServer>(*store_, std::move(faults), std::move(media_servers));
    port_ = server_->Bind("127.0.0.1", 0);
    EXPECT_GT(port_, 0) << "no free loopback port";
    base_ = "http://127.0.0.1:" + std::to_string(port_);
    api_base_ = std::make_unique<ScopedEnv>("QUORVEL_API_BASE", base_);
    serving_ = std::thread([this] { server_->Serve(); });
  }

  ~RunningLessonService() {
    if (server_) server_->Stop();
    if (serving_.joinable()) serving_.join();
  }

  RunningLessonService(const RunningLessonService&) = delete;
  RunningLessonService& operator=(const RunningLessonService&) = delete;

  const std::string& base() const { return base_; }
  std::string Url(const std::string& path) const { return base_ + path; }
  int port() const { return port_; }
  LessonStore& store() { return *store_; }
  const CreatedLesson& lesson() const { return created_; }
  const std::string& CodeOf(Role role) const {
    for (size_t i = 0; i < kRoles.size(); ++i) {
      if (kRoles[i] == role) return created_.codes[i];
    }
    return created_.codes[0];
  }

 private:
  TempDir folder_;
  std::unique_ptr<LessonStore> store_;
  CreatedLesson created_;
  std::unique_ptr<LessonServer> server_;
  int port_ = -1;
  std::string base_;
  std::unique_ptr<ScopedEnv> api_base_;
  std::thread serving_;
};

// A loopback port bound but not listening, so a connection to it is refused.
class RefusingPort {
 public:
  RefusingPort() {
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ADD_FAILURE() << "cannot reserve a loopback port";
    }
    port_ = ntohs(address.sin_port);
  }
  ~RefusingPort() {
    if (socket_ >= 0) ::close(socket_);
  }
  RefusingPort(const RefusingPort&) = delete;
  RefusingPort& operator=(const RefusingPort&) = delete;
  std::string Url(const char* path) const { return base() + path; }
  std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }

 private:
  int socket_ = -1;
  int port_ = 0;
};

// A fault that answers with exactly this body.
inline Fault BodyFault(std::string body) {
  Fault fault;
  fault.kind = FaultKind::kBody;
  fault.text = std::move(body);
  return fault;
}

inline Fault SimpleFault(FaultKind kind, long long number = 0) {
  Fault fault;
  fault.kind = kind;
  fault.number = number;
  return fault;
}

}  // namespace testing_support
