// One X11 selection of text (CLIPBOARD, or PRIMARY): text this program offers is served to
// other clients from a window of its own; another client's text is asked for and waited on.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace win::core {

class TextSelection {
 public:
  // Every call but WaitForText needs the connection's lock.
  TextSelection(Display* display, const char* selection_name);
  ~TextSelection();
  TextSelection(const TextSelection&) = delete;
  TextSelection& operator=(const TextSelection&) = delete;

  ::Window window() const { return window_; }
  void Offer(const std::string& utf8);
  // Who holds the selection; for another client, its text is asked for, to be waited on.
  enum class Holder { Own, Nobody, Other };
  Holder Ask();
  // Without the connection's lock (the reader takes it to read the answer): the other
  // client's text, empty when it gave none in time. meanwhile() runs every few milliseconds
  // while it waits.
  std::string WaitForText(std::chrono::milliseconds patience,
                          const std::function<void()>& meanwhile);
  // Selection events for the selection's window.
  void Handle(const XEvent& event);

 private:
  void Answer(const XSelectionRequestEvent& request);
  void Receive(const XSelectionEvent& notice);

  Display* display_;
  ::Window window_;
  Atom selection_, targets_, utf8_string_, property_;
  std::string offered_;

  std::mutex answer_mutex_;
  std::condition_variable answered_;
  std::uint64_t asked_ = 0;
  std::uint64_t received_ = 0;
  std::string answer_;
};

}  // namespace win::core
