#include "x11/text_selection.h"

#include <X11/Xatom.h>

namespace win::core {

TextSelection::TextSelection(Display* display, const char* selection_name)
    : display_(display),
      window_(XCreateSimpleWindow(display, DefaultRootWindow(display), -10, -10, 1, 1, 0, 0, 0)),
      selection_(XInternAtom(display, selection_name, False)),
      targets_(XInternAtom(display, "TARGETS", False)),
      utf8_string_(XInternAtom(display, "UTF8_STRING", False)),
      property_(XInternAtom(display, "_QUORVEL_SELECTION", False)) {}

TextSelection::~TextSelection() { XDestroyWindow(display_, window_); }

void TextSelection::Offer(const std::string& utf8) {
  offered_ = utf8;
  XSetSelectionOwner(display_, selection_, window_, CurrentTime);
  XFlush(display_);
}

TextSelection::Holder TextSelection::Ask() {
  const ::Window owner = XGetSelectionOwner(display_, selection_);
  if (owner == window_) return Holder::Own;
  if (owner == None) return Holder::Nobody;
  {
    std::lock_guard<std::mutex> lock(answer_mutex_);
    ++asked_;
  }
  XDeleteProperty(display_, window_, property_);
  XConvertSelection(display_, selection_, utf8_string_, property_, window_, CurrentTime);
  XFlush(display_);
  return Holder::Other;
}

std::string TextSelection::WaitForText(std::chrono::milliseconds patience,
                                       const std::function<void()>& meanwhile) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  std::unique_lock<std::mutex> lock(answer_mutex_);
  while (!answered_.wait_for(lock, std::chrono::milliseconds(5),
                             [&] { return received_ >= asked_; })) {
    if (std::chrono::steady_clock::now() >= deadline) return "";
    lock.unlock();
    meanwhile();
    lock.lock();
  }
  return answer_;
}

void TextSelection::Handle(const XEvent& event) {
  if (event.type == SelectionRequest) Answer(event.xselectionrequest);
  if (event.type == SelectionNotify) Receive(event.xselection);
}

void TextSelection::Answer(const XSelectionRequestEvent& request) {
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = request.requestor;
  reply.xselection.selection = request.selection;
  reply.xselection.target = request.target;
  reply.xselection.time = request.time;
  reply.xselection.property = None;  // refused, unless a target below is served
  // Clients too old to name a property get none: the request is refused.
  if (request.property != None && request.selection == selection_) {
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

void TextSelection::Receive(const XSelectionEvent& notice) {
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
