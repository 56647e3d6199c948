// Quorvel's media server as scripts/media-server starts it, on a free port of a local address
// (loopback unless told otherwise) for the length of a scope, stopped at its end. Janus's
// output goes to a file, so that a test can look at what it logged. The child process it runs
// in is of use for other programs a test starts, too.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/scoped_env.h"

extern char** environ;

namespace testing_support {

// A program run with its standard output and error in a file and the test's environment plus
// the given "NAME=value" entries; ended with SIGTERM at the end of the scope, or with SIGKILL
// when it has not ended ten seconds after.
class ChildProcess {
 public:
  ChildProcess(std::vector<std::string> arguments, const std::string& output_path,
               const std::vector<std::string>& environment = {}) {
    std::vector<std::string> entries = environment;
    for (char** entry = environ; *entry != nullptr; ++entry) entries.emplace_back(*entry);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output_path.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const int spawned = ::posix_spawn(&pid_, arguments.front().c_str(), &actions, nullptr,
                                      Pointers(arguments).data(), Pointers(entries).data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
      pid_ = -1;
      ADD_FAILURE() << "cannot start " << arguments.front() << ": " << std::strerror(spawned);
    }
  }

  ~ChildProcess() { Stop(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // False once the program has ended.
  bool Running() {
    if (pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = -1;
    return pid_ > 0;
  }

  // -1 once it has ended or never started.
  pid_t pid() const { return pid_; }

  // SIGTERM, then waits for the end; false when it took SIGKILL.
  bool Stop() {
    if (pid_ <= 0) return true;
    ::kill(pid_, SIGTERM);
    for (int poll = 0; poll < 1000; ++poll) {
      if (!Running()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
    return false;
  }

 private:
  static std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
  }

  pid_t pid_ = -1;
};

class RunningMediaServer {
 public:
  static bool Installed() {
    std::istringstream folders(std::getenv("PATH") ? std::getenv("PATH") : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
      if (::access((folder + "/janus").c_str(), X_OK) == 0) return true;
    }
    return false;
  }

  explicit RunningMediaServer(const std::string& admin_key, std::string host = "127.0.0.1")
      : host_(std::move(host)) {
    // Another process may take the free port before Janus binds it: then start again.
    constexpr int kAttempts = 3;
    for (int attempt = 0; attempt < kAttempts && !ready_; ++attempt) Start(admin_key);
    EXPECT_TRUE(ready_) << "the media server did not start:\n" << Log();
  }

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

  int FreePort() const {
    int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    ::inet_pton(AF_INET, host_.c_str(), &address.sin_addr);
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
    process_.reset();
    const std::string port = std::to_string(FreePort());
    process_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/bin/bash", QUORVEL_MEDIA_SERVER_SCRIPT, "--port", port, "--host",
                                 host_, "--dir", (folder_.path() / "config").string(),
                                 "--admin-key", admin_key},
        log_path());
    const std::string base = "http://" + host_ + ":" + port;
    url_ = base + "/janus";
    httplib::Client client(base);
    client.set_connection_timeout(1);
    // A bound for a machine under load, not a measure of speed.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline && process_->Running()) {
      auto info = client.Get("/janus/info");
      if (info && info->status == 200) {
        ready_ = true;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }

  const std::string host_;
  TempDir folder_;
  // Ended before its folder goes.
  std::unique_ptr<ChildProcess> process_;
  bool ready_ = false;
  std::string url_;
};

}  // namespace testing_support
