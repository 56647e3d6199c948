// The keyboard under X11: the program's hot keys grabbed on the root window, whatever the lock
// keys, and each key event read as the model's key presses and typed characters.
#pragma once

#include <windows.h>

#include <X11/Xlib.h>

#include <set>

#include "x11/connection.h"
#include "x11/input_method.h"

namespace win::core {

// A key event as read off the connection, to be routed once the lock is given back.
struct ReadKey {
  TypedKey typed;
  KeySym unshifted = NoSymbol;
  bool repeat = false;
};

class Keyboard {
 public:
  // Every call but Route needs the connection's lock.
  explicit Keyboard(const Connection& connection) : connection_(connection) {}

  // False when the key has no code here or another client holds the combination.
  bool Grab(UINT modifiers, UINT virtual_key);
  void Ungrab(UINT modifiers, UINT virtual_key);

  // Through the window's input context, null without one.
  ReadKey Read(const XKeyEvent& key, XIC context);
  // Without the lock: a hot key on the root window, else key presses and characters.
  void Route(const XKeyEvent& key, const ReadKey& read) const;

 private:
  bool GrabAllLockStates(KeyCode code, unsigned int state, bool grab);

  const Connection& connection_;
  std::set<KeyCode> keys_down_;
};

}  // namespace win::core
