// Virtual-key codes and X key symbols, both ways.
#pragma once

#include <windows.h>

#include <X11/Xlib.h>

namespace win::core {

// NoSymbol for a code that has no key here.
KeySym KeySymOfVirtualKey(UINT virtual_key);
// 0 for a key that has no virtual-key code here.
UINT VirtualKeyOfKeySym(KeySym symbol);
// MOD_* flags from an X modifier state, and back.
UINT ModifiersOfState(unsigned int state);
unsigned int StateOfModifiers(UINT modifiers);

}  // namespace win::core
