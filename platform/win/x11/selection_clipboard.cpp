#include "x11/selection_clipboard.h"

#include <X11/Xatom.h>

namespace win::core {

SelectionClipboard::SelectionClipboard(Display* display)
    : display_(display),
      window_(XCreateSimpleWindow(display, DefaultRootWindow(display), -10, -10, 1, 1, 0, 0, 0)),
      clipboard_(XInternAtom(display, "CLIPBOARD", False)),
      targets_(XInternAtom(display, "TARGETS", False)),
      utf8_string_(XInternAtom(display, "UTF8_STRING", False)),
      property_(XInternAtom(display, "_QUORVEL_CLIPBOARD", False)) {}

SelectionClipboard::~SelectionClipboard() { XDestroyWindow(display_, window_); }

void SelectionClipboard::Offer(const std::string& utf8) {
  offered_ = utf8;
  XSetSelectionOwner(display_, clipboard_, window_, CurrentTime);
  XFlush(display_);
}

SelectionClipboard::Holder SelectionClipboard::Ask() {
  const ::Window owner = XGetSelectionOwner(display_, clipboard_);
  if (owner == window_) return Holder::Own;
  if (owner == None) return Holder::Nobody;
  {
    std::lock_guard<std::mutex> lock(answer_mutex_);
    ++asked_;
  }
  XDeleteProperty(display_, window_, property_);
  XConvertSelection(display_, clipboard_, utf8_string_, property_, window_, CurrentTime);
  XFlush(display_);
  return Holder::Other;
}

std::string SelectionClipboard::WaitForText(std::chrono::milliseconds patience) {
  std::unique_lock<std::mutex> lock(answer_mutex_);
  if (!answered_.wait_for(lock, patience, [&] { return received_ >= asked_; })) return "";
  return answer_;
}

void SelectionClipboard::Handle(const XEvent& event) {
  if (event.type == SelectionRequest) Answer(event.xselectionrequest);
  if (event.type == SelectionNotify) Receive(event.xselection);
}

void SelectionClipboard::Answer(const XSelectionRequestEvent& request) {
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = request.requestor;
  reply.xselection.selection = request.selection;
  reply.xselection.target = request.target;
  reply.xselection.time = request.time;
  reply.xselection.property = None;  // refused, unless a target below is served
  // Clients too old to name a property get none: the request is refused.
  if (request.property != None && request.selection == clipboard_) {
    if (request.target == targets_) {
      Atom offered[] = {targets_, utf8_string_};
      XChangeProperty(display_, request.requestor, request.property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(offered), 2);
      reply.xselection.property = request.property;
    } else if (request.target == utf8_string_) {
      XChangeProperty(display_, request.requestor, request.property, utf8_string_, 8,
                      PropModeReplace, reinterpret_cast<const unsigned char*>(offered_.data()),
                      static_cast<int>(offered_.size()));
      reply.xselection.property = request.property;
    }
  }
  XSendEvent(display_, request.requestor, False, NoEventMask, &reply);
  XFlush(display_);
}

void SelectionClipboard::Receive(const XSelectionEvent& notice) {
  std::string text;
  if (notice.property != None) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long left = 0;
    unsigned char* data = nullptr;
    // Up to 1 MiB of text; a larger transfer (INCR) is not taken.
    if (XGetWindowProperty(display_, window_, notice.property, 0, 1 << 18, True, AnyPropertyType,
                           &type, &format, &count, &left, &data) == Success &&
        data != nullptr) {
      if (type == utf8_string_ && format == 8) text.assign(reinterpret_cast<char*>(data), count);
      XFree(data);
    }
  }
  std::lock_guard<std::mutex> lock(answer_mutex_);
  answer_ = std::move(text);
  received_ = asked_;
  answered_.notify_all();
}

}  // namespace win::core
