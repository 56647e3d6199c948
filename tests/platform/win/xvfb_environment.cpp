#include "tests/platform/win/xvfb_environment.h"

#include <gtest/gtest.h>
// X11 after the test framework: its macros (None, Bool) would break the framework's names.
#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

extern char** environ;

namespace win_test {

namespace {

constexpr const char* kServer = "/usr/bin/Xvfb";

class XvfbEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!std::filesystem::exists(kServer)) return;
    for (int attempt = 0; attempt < 20 && pid_ == 0; ++attempt) {
      int number = 100 + static_cast<int>((getpid() + attempt * 7) % 400);
      if (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number)) ||
          std::filesystem::exists("/tmp/.X" + std::to_string(number) + "-lock")) {
        continue;
      }
      Start(number);
    }
  }

  // The server ends by itself (-terminate) once this process's last connection closes, at
  // exit: killing it earlier would take the window system's connection down mid-run.

  bool running() const { return pid_ != 0; }
  const std::string& display() const { return display_; }

 private:
  void Start(int number) {
    const std::string name = ":" + std::to_string(number);
    const char* argv[] = {kServer, name.c_str(), "-screen", "0", "1280x800x24", "-nolisten", "tcp",
                          "-terminate", nullptr};
    pid_t pid = 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    bool spawned = posix_spawn(&pid, kServer, &actions, nullptr, const_cast<char**>(argv), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!spawned) return;
    // Bounded wait for the server to take connections.
    for (int i = 0; i < 300; ++i) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) return;  // it gave up (display taken)
      if (Display* display = XOpenDisplay(name.c_str())) {
        keep_alive_ = display;  // held to the end: the server lives as long as this process
        pid_ = pid;
        display_ = name;
        ::setenv("DISPLAY", name.c_str(), 1);
        ::unsetenv("QUORVEL_HEADLESS");
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
  }

  pid_t pid_ = 0;
  std::string display_;
  Display* keep_alive_ = nullptr;
};

XvfbEnvironment* const g_environment = static_cast<XvfbEnvironment*>(
    ::testing::AddGlobalTestEnvironment(new XvfbEnvironment()));

}  // namespace

bool XvfbRunning() { return g_environment->running(); }
std::string XvfbDisplay() { return g_environment->display(); }

}  // namespace win_test
