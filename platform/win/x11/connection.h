// What every part of the X11 backend shares: the server's connection, the atoms it names
// things by, and the last error the server sent.
#pragma once

#include <X11/Xlib.h>

#include <memory>

#include "handles/x11.h"

namespace win::core {

using handles::DisplayPtr;

struct Atoms {
  explicit Atoms(Display* display);
  Atom wm_protocols, wm_delete, net_wm_name, utf8_string, net_active, net_wm_state,
      net_wm_state_above, net_wm_pid, net_workarea, motif_hints, quorvel_message;
};

// Every call of the parts needs the backend's lock of the connection.
struct Connection {
  explicit Connection(Display* connected)
      : display(connected), root(DefaultRootWindow(connected)), atoms(connected) {}
  Display* display;
  ::Window root;
  Atoms atoms;
};

// X errors arrive asynchronously: once recorded, the calls that can fail forget the last one,
// sync, and look.
void ForgetLastError();
bool ErrorSinceForgotten();
void RecordErrors();

// Asks the window manager to activate a window (its own or another program's) and raises it.
void SendActivate(const Connection& connection, ::Window id);

}  // namespace win::core
