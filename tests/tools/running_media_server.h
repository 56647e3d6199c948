// Quorvel's media server as scripts/media-server starts it, on a free loopback port for the
// length of a scope, stopped at its end. Janus's output goes to a file, so that a test can
// look at what it logged.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/scoped_env.h"

namespace testing_support {

class RunningMediaServer {
 public:
  static bool Installed() {
    std::istringstream folders(std::getenv("PATH") ? std::getenv("PATH") : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
      if (::access((folder + "/janus").c_str(), X_OK) == 0) return true;
    }
    return false;
  }

  explicit RunningMediaServer(const std::string& admin_key) {
    // Another process may take the free port before Janus binds it: then start again.
    constexpr int kAttempts = 3;
    for (int attempt = 0; attempt < kAttempts && !ready_; ++attempt) Start(admin_key);
    EXPECT_TRUE(ready_) << "the media server did not start:\n" << Log();
  }

  ~RunningMediaServer() { Stop(); }
  RunningMediaServer(const RunningMediaServer&) = delete;
  RunningMediaServer& operator=(const RunningMediaServer&) = delete;

  bool ready() const { return ready_; }
  const std::string& url() const { return url_; }
  std::string Log() const {
    std::ifstream file(log_path());
    return std::string(std::istreambuf_iterator<char>(file), {});
  }

 private:
  std::string log_path() const { return (folder_.path() / "janus.log").string(); }

  static int FreeLoopbackPort() {
    int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(probe, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      port = ntohs(address.sin_port);
    }
    ::close(probe);
    return port;
  }

  void Start(const std::string& admin_key) {
    Stop();
    const std::string port = std::to_string(FreeLoopbackPort());
    const std::string config = (folder_.path() / "config").string();
    const std::string log = log_path();
    pid_ = ::fork();
    if (pid_ == 0) {
      int output = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (output < 0 || ::dup2(output, STDOUT_FILENO) < 0 || ::dup2(output, STDERR_FILENO) < 0) {
        ::_exit(126);
      }
      ::execl("/bin/bash", "bash", QUORVEL_MEDIA_SERVER_SCRIPT, "--port", port.c_str(), "--host",
              "127.0.0.1", "--dir", config.c_str(), "--admin-key", admin_key.c_str(), nullptr);
      ::_exit(127);
    }
    url_ = "http://127.0.0.1:" + port + "/janus";
    httplib::Client client("http://127.0.0.1:" + port);
    client.set_connection_timeout(1);
    // A bound for a machine under load, not a measure of speed.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        return;
      }
      auto info = client.Get("/janus/info");
      if (info && info->status == 200) {
        ready_ = true;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }

  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    for (int poll = 0; poll < 1000; ++poll) {
      if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  TempDir folder_;
  pid_t pid_ = -1;
  bool ready_ = false;
  std::string url_;
};

}  // namespace testing_support
