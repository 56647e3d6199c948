// The clipboard as the X11 CLIPBOARD selection: text this program offers is served to other
// clients from a window of its own; another client's text is asked for and waited on.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace win::core {

class SelectionClipboard {
 public:
  // Every call but WaitForText needs the connection's lock.
  explicit SelectionClipboard(Display* display);
  ~SelectionClipboard();
  SelectionClipboard(const SelectionClipboard&) = delete;
  SelectionClipboard& operator=(const SelectionClipboard&) = delete;

  ::Window window() const { return window_; }
  void Offer(const std::string& utf8);
  // Who holds the clipboard; for another client, its text is asked for, to be waited on.
  enum class Holder { Own, Nobody, Other };
  Holder Ask();
  // Without the connection's lock (the reader takes it to read the answer): the other
  // client's text, empty when it gave none in time.
  std::string WaitForText(std::chrono::milliseconds patience);
  // Selection events for the clipboard's window.
  void Handle(const XEvent& event);

 private:
  void Answer(const XSelectionRequestEvent& request);
  void Receive(const XSelectionEvent& notice);

  Display* display_;
  ::Window window_;
  Atom clipboard_, targets_, utf8_string_, property_;
  std::string offered_;

  std::mutex answer_mutex_;
  std::condition_variable answered_;
  std::uint64_t asked_ = 0;
  std::uint64_t received_ = 0;
  std::string answer_;
};

}  // namespace win::core
