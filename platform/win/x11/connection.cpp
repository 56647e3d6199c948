#include "x11/connection.h"

#include <atomic>

namespace win::core {

namespace {

std::atomic<int> g_last_error{0};

int RecordError(Display*, XErrorEvent* event) {
  g_last_error = event->error_code;
  return 0;
}

}  // namespace

Atoms::Atoms(Display* d)
    : wm_protocols(XInternAtom(d, "WM_PROTOCOLS", False)),
      wm_delete(XInternAtom(d, "WM_DELETE_WINDOW", False)),
      net_wm_name(XInternAtom(d, "_NET_WM_NAME", False)),
      utf8_string(XInternAtom(d, "UTF8_STRING", False)),
      net_active(XInternAtom(d, "_NET_ACTIVE_WINDOW", False)),
      net_wm_state(XInternAtom(d, "_NET_WM_STATE", False)),
      net_wm_state_above(XInternAtom(d, "_NET_WM_STATE_ABOVE", False)),
      net_wm_pid(XInternAtom(d, "_NET_WM_PID", False)),
      net_workarea(XInternAtom(d, "_NET_WORKAREA", False)),
      motif_hints(XInternAtom(d, "_MOTIF_WM_HINTS", False)),
      quorvel_message(XInternAtom(d, "_QUORVEL_MESSAGE", False)) {}

void ForgetLastError() { g_last_error = 0; }
bool ErrorSinceForgotten() { return g_last_error.load() != 0; }
void RecordErrors() { XSetErrorHandler(RecordError); }

void SendActivate(const Connection& connection, ::Window id) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = id;
  event.xclient.message_type = connection.atoms.net_active;
  event.xclient.format = 32;
  event.xclient.data.l[0] = 1;  // from an application
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(connection.display, connection.root, False,
             SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XRaiseWindow(connection.display, id);
}

}  // namespace win::core
