// Typed text through the X input method: the user's keyboard layout with its dead keys and
// compose sequences, and an input method server's text (Chinese through fcitx or ibus) when
// one runs. Without an input method the core lookup still gives the layout's characters.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <string>
#include <type_traits>

namespace win::core {

struct InputContextCloser {
  void operator()(XIC context) const { XDestroyIC(context); }
};
using InputContextPtr = std::unique_ptr<std::remove_pointer_t<XIC>, InputContextCloser>;

// What a key press typed: its key symbol, and the text in UTF-8 (empty for a key that types
// nothing, or while an input method composes).
struct TypedKey {
  KeySym symbol = NoSymbol;
  std::string text;
};

// The method opens with the first context asked for, at a window's first focus rather than at
// start: opening it reads the locale's whole compose table, which costs as much as painting
// the first window.
class InputMethod {
 public:
  explicit InputMethod(Display* display) : display_(display) {}
  ~InputMethod();
  InputMethod(const InputMethod&) = delete;
  InputMethod& operator=(const InputMethod&) = delete;

  // A context for a top-level window, null without an input method. The window must also
  // select the events the context filters. The first call opens the user's input method
  // under the user's character type locale (else C.UTF-8); none when the server offers none.
  InputContextPtr CreateContext(::Window window, long* filter_events);
  // A key press through the window's context (or the core lookup without one); a release
  // through the core lookup, which is all a release needs.
  static TypedKey Lookup(XIC context, const XKeyEvent& key);

 private:
  Display* display_;
  bool opened_ = false;  // tried, whether or not there was one
  XIM method_ = nullptr;
};

}  // namespace win::core
