// The real program on a private X server: a second copy raises and activates the first one,
// minimised or behind another program's window, and ends without a window of its own; the
// drag-full-windows option is off while the program runs and back after a normal exit, also
// one that a termination signal asked for, which saves the settings too.
#include <windows.h>

#include <gtest/gtest.h>
// X11 after the test framework: its macros (None, Bool) would break the framework's names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "handles/x11.h"
#include "tests/platform/win/xvfb_environment.h"
#include "tests/support/scoped_env.h"
#include "tests/support/needs.h"

extern char** environ;

using testing_support::ScopedEnv;
using testing_support::TempDir;

namespace {

constexpr const char* kMainClass = "QUORVEL_MAIN";
// Bounds for waiting on the other processes: watchdogs, not measures.
constexpr auto kPatience = std::chrono::seconds(20);

// Polls until done() holds or the patience runs out; whether it held.
bool WaitFor(const std::function<bool()>& done) {
  const auto give_up = std::chrono::steady_clock::now() + kPatience;
  while (!done()) {
    if (std::chrono::steady_clock::now() > give_up) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// One run of the program; killed if the test ends while it still runs.
class Program {
 public:
  explicit Program(const char* option = nullptr) : Program(QUORVEL_PROGRAM_PATH, option, "") {}
  // path's copy of the program, its standard error into error_file unless that is empty.
  Program(const std::string& path, const char* option, const std::string& error_file) {
    const char* argv[] = {path.c_str(), option, nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!error_file.empty()) {
      posix_spawn_file_actions_addopen(&actions, 2, error_file.c_str(), O_WRONLY | O_CREAT, 0600);
    }
    if (posix_spawn(&pid_, path.c_str(), &actions, nullptr, const_cast<char**>(argv), environ) !=
        0) {
      pid_ = 0;
    }
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Program() {
    if (pid_ == 0) return;
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool started() const { return pid_ != 0; }
  void Signal(int signal_number) const { kill(pid_, signal_number); }
  // The exit code once the program has ended by itself, -1 when it did not in time.
  int WaitForExit() {
    int status = 0;
    const bool ended = WaitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; });
    if (!ended) return -1;
    pid_ = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = 0;
};

class RealProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    QUORVEL_NEEDS(win_test::XvfbRunning(), win_test::XvfbProblem());
    screen_.reset(XOpenDisplay(win_test::XvfbDisplay().c_str()));
    ASSERT_NE(screen_, nullptr);
    // The program's own engine with devices of its configuration, and a lesson service that
    // answers nothing, so the program waits on its login view.
    const std::filesystem::path rtc = home_.path() / "rtc.json";
    std::ofstream(rtc) << R"({"channel": "simulated", "real_devices": false,
        "cameras": [{"id": "cam-a", "name": "Desk camera"}],
        "microphones": [{"id": "mic-a", "name": "Desk microphone"}],
        "speakers": [{"id": "spk-a", "name": "Desk speaker"}]})";
    env_.push_back(std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", home_.path().string()));
    env_.push_back(std::make_unique<ScopedEnv>("QUORVEL_RTC_CONFIG", rtc.string()));
    env_.push_back(std::make_unique<ScopedEnv>("QUORVEL_API_BASE", "http://127.0.0.1:9"));
  }

  // The top-level X windows of the main window's class, as any client sees them.
  std::vector<::Window> MainWindows() {
    Display* d = screen_.get();
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    std::vector<::Window> found;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return found;
    for (unsigned int i = 0; i < count; ++i) {
      XClassHint hint{};
      if (!XGetClassHint(d, children[i], &hint)) continue;
      if (hint.res_name != nullptr && std::string(hint.res_name) == kMainClass) {
        found.push_back(children[i]);
      }
      XFree(hint.res_name);
      XFree(hint.res_class);
    }
    XFree(children);
    return found;
  }
  bool Mapped(::Window window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(screen_.get(), window, &attributes) != 0 &&
           attributes.map_state == IsViewable;
  }
  // Whether window is the last mapped window in the root's stacking order.
  bool OnTop(::Window window) {
    Display* d = screen_.get();
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return false;
    ::Window top = 0;
    for (unsigned int i = 0; i < count; ++i) {
      if (Mapped(children[i])) top = children[i];
    }
    XFree(children);
    return top == window;
  }
  // The main window as the program's window calls see it.
  HWND FindMain() {
    HWND found = nullptr;
    WaitFor([&] { return (found = FindWindowW(L"QUORVEL_MAIN", nullptr)) != nullptr; });
    return found;
  }
  // The first copy's main window, through the window calls and as the X window it shows.
  void WaitForFirstWindow(HWND& running, ::Window& native) {
    running = FindMain();
    ASSERT_NE(running, nullptr);
    ASSERT_TRUE(WaitFor([&] { return MainWindows().size() == 1 && Mapped(MainWindows()[0]); }));
    native = MainWindows()[0];
  }
  // As the window manager asks: the only close another client can ask for.
  void RequestClose(::Window window) {
    Display* d = screen_.get();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    XSendEvent(d, window, False, NoEventMask, &event);
    XFlush(d);
  }
  std::string DragOptionFile() const {
    std::ifstream in(home_.path() / "quorvel-system" / "drag-full-windows");
    std::string value;
    in >> value;
    return value;
  }

  handles::DisplayPtr screen_;
  TempDir home_;
  std::vector<std::unique_ptr<ScopedEnv>> env_;
};

TEST_F(RealProgram, ASecondCopyRaisesAndActivatesTheMinimisedFirstAndEndsWithoutAWindow) {
  Program first;
  ASSERT_TRUE(first.started());
  HWND running = nullptr;
  ::Window native = 0;
  ASSERT_NO_FATAL_FAILURE(WaitForFirstWindow(running, native));
  // Unmapped by another client, as a window manager minimises.
  XUnmapWindow(screen_.get(), native);
  XSync(screen_.get(), False);
  ASSERT_TRUE(WaitFor([&] { return !Mapped(native); }));

  // Activation requests go to the root window, for the window manager: the test listens.
  Display* d = screen_.get();
  XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
  XSync(d, False);
  const Atom active = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);

  Program second;
  ASSERT_TRUE(second.started());
  EXPECT_EQ(second.WaitForExit(), 0);
  EXPECT_TRUE(WaitFor([&] { return Mapped(native); }));
  EXPECT_TRUE(OnTop(native));
  bool activated = false;
  EXPECT_TRUE(WaitFor([&] {
    while (XPending(d) > 0) {
      XEvent event{};
      XNextEvent(d, &event);
      if (event.type == ClientMessage && event.xclient.message_type == active &&
          event.xclient.window == native) {
        activated = true;
      }
    }
    return activated;
  }));
  EXPECT_EQ(MainWindows().size(), 1u);

  RequestClose(native);
  EXPECT_EQ(first.WaitForExit(), 0);
}

TEST_F(RealProgram, ASecondCopyBringsTheFirstAboveAnotherProgramsWindow) {
  Program first;
  ASSERT_TRUE(first.started());
  HWND running = nullptr;
  ::Window native = 0;
  ASSERT_NO_FATAL_FAILURE(WaitForFirstWindow(running, native));
  // Another program's window over the whole screen.
  Display* d = screen_.get();
  const ::Window cover = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1280, 800, 0, 0, 0);
  XMapRaised(d, cover);
  XSync(d, False);
  ASSERT_TRUE(WaitFor([&] { return OnTop(cover); }));

  Program second;
  ASSERT_TRUE(second.started());
  EXPECT_EQ(second.WaitForExit(), 0);
  EXPECT_TRUE(WaitFor([&] { return OnTop(native); }));
  EXPECT_EQ(MainWindows().size(), 1u);
  XDestroyWindow(d, cover);
  XSync(d, False);

  RequestClose(native);
  EXPECT_EQ(first.WaitForExit(), 0);
}

TEST_F(RealProgram, OnlyTheCopyThatRunsWritesTheSettingsFile) {
  const std::filesystem::path settings = home_.path() / "Quorvel" / "app.conf";
  for (const char* option : {"--help", "--version"}) {
    Program answer(option);
    ASSERT_TRUE(answer.started());
    EXPECT_EQ(answer.WaitForExit(), 0);
  }
  Program first;
  ASSERT_TRUE(first.started());
  HWND running = nullptr;
  ::Window native = 0;
  ASSERT_NO_FATAL_FAILURE(WaitForFirstWindow(running, native));
  Program second;
  ASSERT_TRUE(second.started());
  EXPECT_EQ(second.WaitForExit(), 0);
  EXPECT_FALSE(std::filesystem::exists(settings));
  RequestClose(native);
  EXPECT_EQ(first.WaitForExit(), 0);
  EXPECT_TRUE(std::filesystem::exists(settings));
}

TEST_F(RealProgram, TheDragOptionIsOffWhileItRunsAndBackOnAfterANormalExit) {
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, SPIF_UPDATEINIFILE));
  ASSERT_EQ(DragOptionFile(), "1");
  Program program;
  ASSERT_TRUE(program.started());
  HWND running = nullptr;
  ::Window native = 0;
  ASSERT_NO_FATAL_FAILURE(WaitForFirstWindow(running, native));
  EXPECT_TRUE(WaitFor([&] { return DragOptionFile() == "0"; }));
  RequestClose(native);
  EXPECT_EQ(program.WaitForExit(), 0);
  EXPECT_EQ(DragOptionFile(), "1");
}

TEST_F(RealProgram, ATerminationSignalEndsItAsANormalExitSavingTheSettings) {
  const std::filesystem::path settings = home_.path() / "Quorvel" / "app.conf";
  for (int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
    std::filesystem::remove(settings);
    ASSERT_TRUE(SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, SPIF_UPDATEINIFILE));
    Program program;
    ASSERT_TRUE(program.started());
    HWND running = nullptr;
    ::Window native = 0;
    ASSERT_NO_FATAL_FAILURE(WaitForFirstWindow(running, native));
    ASSERT_TRUE(WaitFor([&] { return DragOptionFile() == "0"; }));
    program.Signal(signal_number);
    EXPECT_EQ(program.WaitForExit(), 0) << signal_number;
    EXPECT_EQ(DragOptionFile(), "1") << signal_number;
    EXPECT_TRUE(std::filesystem::exists(settings)) << signal_number;
  }
}

TEST_F(RealProgram, WithoutItsSkinItRunsWithEmptyWindowsAndSaysWhy) {
  // A copy of the program beside an empty skin folder.
  const std::filesystem::path folder = home_.path() / "bare";
  std::filesystem::create_directories(folder / "skin");
  std::filesystem::copy_file(QUORVEL_PROGRAM_PATH, folder / "quorvel");
  const std::filesystem::path errors = home_.path() / "errors.txt";
  Program program((folder / "quorvel").string(), nullptr, errors.string());
  ASSERT_TRUE(program.started());
  HWND running = nullptr;
  ::Window native = 0;
  ASSERT_NO_FATAL_FAILURE(WaitForFirstWindow(running, native));
  // Past the engine's start and the bars built behind the login view.
  std::this_thread::sleep_for(std::chrono::seconds(2));
  ASSERT_EQ(MainWindows().size(), 1u);
  std::ifstream in(errors);
  const std::string said((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(said.find("cannot open skin archive"), std::string::npos) << said;
  RequestClose(native);
  EXPECT_EQ(program.WaitForExit(), 0);
}

}  // namespace
