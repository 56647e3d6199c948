// Termination signals as console control events. The signal handler only writes the signal's
// number to a pipe, the one thing it may safely do; a reader thread calls the handlers.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <mutex>
#include <thread>
#include <vector>

#include "system/session_end.h"
#include "win/system.h"

namespace {

constexpr std::array<int, 3> kSignals = {SIGINT, SIGHUP, SIGTERM};
constexpr char kStopReading = 0;
constexpr char kLogoff = 0x7f;  // above every signal number

int g_write_end = -1;  // read by the signal handler

void OnSignal(int signal_number) {
  const char byte = static_cast<char>(signal_number);
  // Nothing to do when the pipe is full: a request is already on its way.
  [[maybe_unused]] ssize_t written = write(g_write_end, &byte, 1);
}

DWORD ControlTypeOf(int signal_number) {
  switch (signal_number) {
    case kLogoff:
      return CTRL_LOGOFF_EVENT;
    case SIGINT:
      return CTRL_C_EVENT;
    case SIGHUP:
      return CTRL_CLOSE_EVENT;
    default:
      return CTRL_SHUTDOWN_EVENT;
  }
}

class ConsoleControl {
 public:
  ~ConsoleControl() {
    std::lock_guard<std::mutex> lock(lifecycle_);
    if (reader_.joinable()) Stop();
  }

  bool Add(PHANDLER_ROUTINE handler) {
    std::lock_guard<std::mutex> lock(lifecycle_);
    if (!reader_.joinable() && !Start()) return false;
    {
      std::lock_guard<std::mutex> handlers_lock(handlers_mutex_);
      handlers_.push_back(handler);
    }
    if (logoff_pending_) Send(kLogoff);
    logoff_pending_ = false;
    return true;
  }

  // Without a handler to hear it, the logoff waits for the first one.
  void Logoff() {
    std::lock_guard<std::mutex> lock(lifecycle_);
    if (reader_.joinable()) {
      Send(kLogoff);
    } else {
      logoff_pending_ = true;
    }
  }

  bool Remove(PHANDLER_ROUTINE handler) {
    std::lock_guard<std::mutex> lock(lifecycle_);
    {
      std::lock_guard<std::mutex> handlers_lock(handlers_mutex_);
      auto found = std::find(handlers_.rbegin(), handlers_.rend(), handler);
      if (found == handlers_.rend()) return false;
      handlers_.erase(std::next(found).base());
      if (!handlers_.empty()) return true;
    }
    Stop();
    return true;
  }

 private:
  bool Start() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    fcntl(ends[1], F_SETFL, O_NONBLOCK);
    read_end_ = ends[0];
    g_write_end = ends[1];
    struct sigaction action {};
    action.sa_handler = OnSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
      sigaction(kSignals[i], &action, &previous_[i]);
    }
    reader_ = std::thread([this] { Read(); });
    return true;
  }

  void Stop() {
    for (std::size_t i = 0; i < kSignals.size(); ++i)
      sigaction(kSignals[i], &previous_[i], nullptr);
    Send(kStopReading);
    reader_.join();
    close(read_end_);
    close(g_write_end);
    read_end_ = -1;
    g_write_end = -1;
  }

  static void Send(char byte) { [[maybe_unused]] ssize_t written = write(g_write_end, &byte, 1); }

  void Read() {
    char byte = 0;
    while (read(read_end_, &byte, 1) == 1 && byte != kStopReading) {
      // An unheard logoff has nothing to end: the program is past its window or has none.
      if (!Handle(byte) && byte != kLogoff) {
        // Nobody took it: the signal does what it would have done without handlers.
        signal(byte, SIG_DFL);
        raise(byte);
      }
    }
  }

  bool Handle(int signal_number) {
    std::lock_guard<std::mutex> lock(handlers_mutex_);
    for (auto it = handlers_.rbegin(); it != handlers_.rend(); ++it) {
      if ((*it)(ControlTypeOf(signal_number))) return true;
    }
    return false;
  }

  std::mutex lifecycle_;  // the reader's start and stop
  std::mutex handlers_mutex_;
  std::vector<PHANDLER_ROUTINE> handlers_;
  std::array<struct sigaction, kSignals.size()> previous_{};
  std::thread reader_;
  int read_end_ = -1;
  bool logoff_pending_ = false;  // under lifecycle_
};

ConsoleControl& TheConsoleControl() {
  static ConsoleControl control;
  return control;
}

}  // namespace

namespace win::system {

void DeliverLogoff() { TheConsoleControl().Logoff(); }

}  // namespace win::system

BOOL SetConsoleCtrlHandler(PHANDLER_ROUTINE handler, BOOL add) {
  if (handler == nullptr) return FALSE;
  ConsoleControl& control = TheConsoleControl();
  return (add ? control.Add(handler) : control.Remove(handler)) ? TRUE : FALSE;
}
