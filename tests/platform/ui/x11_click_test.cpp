// Under a real X server: a click sent with xdotool on a real button of a real window raises
// "click". The test starts its own Xvfb on a free display and never touches the user's.
#include <fcntl.h>
#include <gtest/gtest.h>

#include "tests/support/needs.h"
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "ui_test_support.h"

namespace {

bool Exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

std::string FindProgram(const char* name) {
  for (const char* folder : {"/usr/bin/", "/usr/local/bin/", "/bin/"}) {
    if (Exists(std::string(folder) + name)) return std::string(folder) + name;
  }
  return {};
}

class XvfbServer {
 public:
  bool Start(const std::string& program) {
    for (int display = 90; display < 140; ++display) {
      const std::string socket = "/tmp/.X11-unix/X" + std::to_string(display);
      if (Exists(socket) || Exists("/tmp/.X" + std::to_string(display) + "-lock")) continue;
      const std::string name = ":" + std::to_string(display);
      pid_ = fork();
      if (pid_ == 0) {
        // Quiet, and gone by itself once its last client (this test) has gone (-terminate).
        const int null_device = open("/dev/null", O_RDWR);
        dup2(null_device, STDIN_FILENO);
        dup2(null_device, STDOUT_FILENO);
        dup2(null_device, STDERR_FILENO);
        execl(program.c_str(), program.c_str(), name.c_str(), "-screen", "0", "1280x800x24",
              "-nolisten", "tcp", "-terminate", static_cast<char*>(nullptr));
        _exit(127);
      }
      for (int wait = 0; wait < 100 && !Exists(socket); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      if (!Exists(socket)) {
        Stop();
        continue;
      }
      display_ = name;
      return true;
    }
    return false;
  }
  // Once the window system holds a connection, stopping the server under it would end this
  // process; the server then ends with the connection instead.
  void LeaveToTheLastClient() { pid_ = -1; }
  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  ~XvfbServer() { Stop(); }
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// Dispatches messages for up to timeout, until done says so.
template <typename Done>
bool PumpUntil(Done done, std::chrono::milliseconds timeout) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    ui::CUiDriver::Pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

}  // namespace

TEST(X11Window, ARealClickOnARealButtonRaisesClick) {
  const std::string xvfb = FindProgram("Xvfb");
  QUORVEL_NEEDS(!xvfb.empty(), "Xvfb is not installed");
  const std::string xdotool = FindProgram("xdotool");
  ASSERT_FALSE(xdotool.empty()) << "xdotool is needed to click";
  XvfbServer server;
  ASSERT_TRUE(server.Start(xvfb));
  setenv("DISPLAY", server.display().c_str(), 1);
  unsetenv("QUORVEL_HEADLESS");
  ASSERT_FALSE(win::headless::Active());

  ui_test::UseSkin(L"orbs.en");
  ui_test::LayoutWindow window(L"gallery.xml", L"QvX11Gallery");
  window.Create(nullptr, L"gallery", WS_VISIBLE | WS_POPUP, 0, 100, 100, 640, 480);
  const HWND hwnd = window.GetHWND();
  server.LeaveToTheLastClient();
  ASSERT_NE(hwnd, nullptr);
  ui::CUiDriver::Layout(hwnd);
  PumpUntil([] { return false; }, std::chrono::milliseconds(300));

  const RECT button = window.Find(L"push_button")->GetPos();
  POINT target{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
  ClientToScreen(hwnd, &target);
  const std::string command = "DISPLAY=" + server.display() + " " + xdotool + " mousemove " +
                              std::to_string(target.x) + " " + std::to_string(target.y) +
                              " click 1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_TRUE(
      PumpUntil([&] { return window.HasNote(L"click", L"push_button"); }, std::chrono::seconds(5)));
  DestroyWindow(hwnd);
}
