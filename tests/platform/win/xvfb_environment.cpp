#include "tests/platform/win/xvfb_environment.h"

#include <gtest/gtest.h>
// X11 after the test framework: its macros (None, Bool) would break the framework's names.
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

extern char** environ;

namespace win_test {

namespace {

constexpr const char* kServer = "/usr/bin/Xvfb";

class XvfbEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (std::filesystem::exists(kServer)) {
      Start();
    } else {
      problem_ = "Xvfb is not installed";
    }
  }

  // The server ends by itself (-terminate) once this process's last connection closes, at
  // exit at the latest: killing it would take the window system's connection down mid-run.
  void TearDown() override {
    if (keep_alive_ != nullptr) XCloseDisplay(keep_alive_);
    keep_alive_ = nullptr;
  }

  bool running() const { return pid_ != 0; }
  const std::string& display() const { return display_; }
  const std::string& problem() const { return problem_; }

 private:
  // The server picks a free display itself and writes its number to the pipe, so that test
  // programs running side by side never share a server.
  void Start() {
    int number_pipe[2];
    problem_ = "Xvfb could not be started";
    if (pipe(number_pipe) != 0) return;
    const char* argv[] = {kServer,       "-displayfd", "3",   "-screen",    "0",
                          "1280x800x24", "-nolisten",  "tcp", "-terminate", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, number_pipe[1], 3);
    pid_t pid = 0;
    bool spawned =
        posix_spawn(&pid, kServer, &actions, nullptr, const_cast<char**>(argv), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(number_pipe[1]);
    std::string number;
    pollfd wait_for_number{number_pipe[0], POLLIN, 0};
    // Bounded: a server that says nothing within ten seconds is not used.
    while (spawned && poll(&wait_for_number, 1, 10000) > 0) {
      char c = 0;
      if (read(number_pipe[0], &c, 1) != 1 || c == '\n') break;
      number += c;
    }
    close(number_pipe[0]);
    if (!spawned) return;
    const std::string name = ":" + number;
    problem_ = number.empty() ? "Xvfb gave no display number within 10 s"
                              : "the display Xvfb started, " + name + ", cannot be opened";
    Display* display = number.empty() ? nullptr : XOpenDisplay(name.c_str());
    if (display == nullptr) {
      kill(pid, SIGKILL);
      int status = 0;
      waitpid(pid, &status, 0);
      return;
    }
    keep_alive_ = display;  // held to the end of the tests, so that the server outlives them
    pid_ = pid;
    display_ = name;
    problem_.clear();
    ::setenv("DISPLAY", name.c_str(), 1);
    ::unsetenv("QUORVEL_HEADLESS");
  }

  pid_t pid_ = 0;
  std::string display_;
  std::string problem_;
  Display* keep_alive_ = nullptr;
};

XvfbEnvironment* const g_environment =
    static_cast<XvfbEnvironment*>(::testing::AddGlobalTestEnvironment(new XvfbEnvironment()));

}  // namespace

bool XvfbRunning() { return g_environment->running(); }
std::string XvfbDisplay() { return g_environment->display(); }
std::string XvfbProblem() { return g_environment->problem(); }

}  // namespace win_test
