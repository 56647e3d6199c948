#include "x11/input_method.h"

#include <X11/Xlocale.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <clocale>
#include <vector>

namespace win::core {

namespace {

// The input method takes its character set from the locale when it opens; the program's own
// locale is put back at once, so no other part of it sees the change.
XIM OpenUnderUserLocale(Display* display) {
  const char* current = std::setlocale(LC_CTYPE, nullptr);
  const std::string kept = current != nullptr ? current : "C";
  XIM method = nullptr;
  for (const char* locale : {"", "C.UTF-8"}) {
    if (std::setlocale(LC_CTYPE, locale) == nullptr || !XSupportsLocale()) continue;
    XSetLocaleModifiers("");
    method = XOpenIM(display, nullptr, nullptr, nullptr);
    if (method == nullptr) {
      // The user's named server is not there: the built-in method still composes.
      XSetLocaleModifiers("@im=none");
      method = XOpenIM(display, nullptr, nullptr, nullptr);
    }
    if (method != nullptr) break;
  }
  std::setlocale(LC_CTYPE, kept.c_str());
  return method;
}

}  // namespace

InputMethod::~InputMethod() {
  if (method_ != nullptr) XCloseIM(method_);
}

InputContextPtr InputMethod::CreateContext(::Window window, long* filter_events) {
  *filter_events = 0;
  if (!opened_) {
    opened_ = true;
    method_ = OpenUnderUserLocale(display_);
  }
  if (method_ == nullptr) return nullptr;
  XIC context = XCreateIC(method_, XNInputStyle, XIMPreeditNothing | XIMStatusNothing,
                          XNClientWindow, window, XNFocusWindow, window, nullptr);
  if (context == nullptr) return nullptr;
  XGetICValues(context, XNFilterEvents, filter_events, nullptr);
  return InputContextPtr(context);
}

TypedKey InputMethod::Lookup(XIC context, const XKeyEvent& key) {
  TypedKey typed;
  XKeyEvent copy = key;
  if (context == nullptr || key.type != KeyPress) {
    char text[32] = {};
    const int length = XLookupString(&copy, text, sizeof(text) - 1, &typed.symbol, nullptr);
    typed.text.assign(text, static_cast<std::size_t>(std::max(length, 0)));
    return typed;
  }
  std::vector<char> text(64);
  Status status = 0;
  int length = Xutf8LookupString(context, &copy, text.data(), static_cast<int>(text.size()),
                                 &typed.symbol, &status);
  if (status == XBufferOverflow) {
    text.resize(static_cast<std::size_t>(length) + 1);
    length = Xutf8LookupString(context, &copy, text.data(), static_cast<int>(text.size()),
                               &typed.symbol, &status);
  }
  if (status == XLookupChars || status == XLookupBoth) {
    typed.text.assign(text.data(), static_cast<std::size_t>(std::max(length, 0)));
  }
  if (status != XLookupKeySym && status != XLookupBoth) typed.symbol = NoSymbol;
  return typed;
}

}  // namespace win::core
