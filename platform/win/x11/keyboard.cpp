#include "x11/keyboard.h"

#include <X11/XKBlib.h>

#include <string>

#include "core/input.h"
#include "core/text_utf8.h"
#include "x11/keymap.h"

namespace win::core {

bool Keyboard::GrabAllLockStates(KeyCode code, unsigned int state, bool grab) {
  // Caps Lock and Num Lock must not hide the combination.
  const unsigned int extras[] = {0, LockMask, Mod2Mask, LockMask | Mod2Mask};
  Display* d = connection_.display;
  ForgetLastError();
  for (unsigned int extra : extras) {
    if (grab) {
      XGrabKey(d, code, state | extra, connection_.root, True, GrabModeAsync, GrabModeAsync);
    } else {
      XUngrabKey(d, code, state | extra, connection_.root);
    }
  }
  XSync(d, False);
  return !ErrorSinceForgotten();
}

bool Keyboard::Grab(UINT modifiers, UINT virtual_key) {
  KeySym symbol = KeySymOfVirtualKey(virtual_key);
  if (symbol == NoSymbol) return false;
  KeyCode code = XKeysymToKeycode(connection_.display, symbol);
  if (code == 0) return false;
  const unsigned int state = StateOfModifiers(modifiers);
  if (GrabAllLockStates(code, state, true)) return true;
  // Another client holds it: give back what this one got.
  GrabAllLockStates(code, state, false);
  return false;
}

void Keyboard::Ungrab(UINT modifiers, UINT virtual_key) {
  KeySym symbol = KeySymOfVirtualKey(virtual_key);
  KeyCode code = symbol == NoSymbol ? 0 : XKeysymToKeycode(connection_.display, symbol);
  if (code != 0) GrabAllLockStates(code, StateOfModifiers(modifiers), false);
}

ReadKey Keyboard::Read(const XKeyEvent& key, XIC context) {
  ReadKey read;
  read.typed = InputMethod::Lookup(context, key);
  // Detectable auto-repeat: a held key presses again without releasing. An input method's
  // text comes without a key.
  if (key.keycode != 0) {
    const auto code = static_cast<KeyCode>(key.keycode);
    if (key.type == KeyPress) {
      read.repeat = !keys_down_.insert(code).second;
    } else {
      keys_down_.erase(code);
    }
    read.unshifted = XkbKeycodeToKeysym(connection_.display, code, 0, 0);
  }
  return read;
}

void Keyboard::Route(const XKeyEvent& key, const ReadKey& read) const {
  UINT virtual_key = VirtualKeyOfKeySym(read.typed.symbol);
  if (virtual_key == 0) virtual_key = VirtualKeyOfKeySym(read.unshifted);
  const UINT modifiers = ModifiersOfState(key.state);
  if (key.window == connection_.root) {
    if (key.type == KeyPress && virtual_key != 0) RouteHotKey(modifiers, virtual_key, read.repeat);
    return;
  }
  SetModifiers(modifiers);
  const std::string& text = read.typed.text;
  std::wstring characters;
  for (wchar_t c : FromUtf8(text)) {
    if (c >= L' ' && c != 0x7F) characters += c;
  }
  if (virtual_key == VK_RETURN || virtual_key == VK_BACK) {
    characters = text.empty() ? L"" : std::wstring(1, static_cast<wchar_t>(text[0]));
  }
  const bool down = key.type == KeyPress;
  std::size_t next = 0;
  if (virtual_key != 0) {
    RouteKey(virtual_key, down, down && !characters.empty() ? characters[next++] : 0, read.repeat);
  }
  // What the key's own message cannot carry: an input method's text, a character without a key.
  for (; down && next < characters.size(); ++next) {
    RouteKey(VK_PACKET, true, characters[next], false);
    RouteKey(VK_PACKET, false, 0, false);
  }
}

}  // namespace win::core
