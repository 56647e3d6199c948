#include "x11/keymap.h"

#include <X11/keysym.h>

#include <array>
#include <utility>

namespace win::core {

namespace {

// The first pair of a code is the symbol it is sent as.
constexpr std::array<std::pair<UINT, KeySym>, 43> kKeys{{
    {VK_BACK, XK_BackSpace},
    {VK_TAB, XK_Tab},
    {VK_RETURN, XK_Return},
    {VK_ESCAPE, XK_Escape},
    {VK_SPACE, XK_space},
    {VK_PRIOR, XK_Page_Up},
    {VK_NEXT, XK_Page_Down},
    {VK_END, XK_End},
    {VK_HOME, XK_Home},
    {VK_LEFT, XK_Left},
    {VK_UP, XK_Up},
    {VK_RIGHT, XK_Right},
    {VK_DOWN, XK_Down},
    {VK_INSERT, XK_Insert},
    {VK_DELETE, XK_Delete},
    {VK_SHIFT, XK_Shift_L},
    {VK_SHIFT, XK_Shift_R},
    {VK_CONTROL, XK_Control_L},
    {VK_CONTROL, XK_Control_R},
    {VK_MENU, XK_Alt_L},
    {VK_MENU, XK_Alt_R},
    {VK_LWIN, XK_Super_L},
    {VK_LWIN, XK_Super_R},
    {VK_RETURN, XK_KP_Enter},
    {VK_OEM_1, XK_semicolon},
    {VK_OEM_PLUS, XK_equal},
    {VK_OEM_COMMA, XK_comma},
    {VK_OEM_MINUS, XK_minus},
    {VK_OEM_PERIOD, XK_period},
    {VK_OEM_2, XK_slash},
    {VK_OEM_3, XK_grave},
    {VK_OEM_4, XK_bracketleft},
    {VK_OEM_5, XK_backslash},
    {VK_OEM_6, XK_bracketright},
    {VK_OEM_7, XK_apostrophe},
    {VK_OEM_102, XK_less},
    {VK_MULTIPLY, XK_KP_Multiply},
    {VK_ADD, XK_KP_Add},
    {VK_SUBTRACT, XK_KP_Subtract},
    {VK_DECIMAL, XK_KP_Decimal},
    {VK_DIVIDE, XK_KP_Divide},
    {VK_HOME, XK_KP_Home},
    {VK_END, XK_KP_End},
}};

}  // namespace

KeySym KeySymOfVirtualKey(UINT virtual_key) {
  if (virtual_key >= 'A' && virtual_key <= 'Z') return XK_a + (virtual_key - 'A');
  if (virtual_key >= '0' && virtual_key <= '9') return XK_0 + (virtual_key - '0');
  if (virtual_key >= VK_F1 && virtual_key <= VK_F24) return XK_F1 + (virtual_key - VK_F1);
  if (virtual_key >= VK_NUMPAD0 && virtual_key <= VK_NUMPAD0 + 9) {
    return XK_KP_0 + (virtual_key - VK_NUMPAD0);
  }
  for (const auto& [code, symbol] : kKeys) {
    if (code == virtual_key) return symbol;
  }
  return NoSymbol;
}

UINT VirtualKeyOfKeySym(KeySym symbol) {
  if (symbol >= XK_a && symbol <= XK_z) return static_cast<UINT>('A' + (symbol - XK_a));
  if (symbol >= XK_A && symbol <= XK_Z) return static_cast<UINT>('A' + (symbol - XK_A));
  if (symbol >= XK_0 && symbol <= XK_9) return static_cast<UINT>('0' + (symbol - XK_0));
  if (symbol >= XK_F1 && symbol <= XK_F24) return static_cast<UINT>(VK_F1 + (symbol - XK_F1));
  if (symbol >= XK_KP_0 && symbol <= XK_KP_9) {
    return static_cast<UINT>(VK_NUMPAD0 + (symbol - XK_KP_0));
  }
  for (const auto& [code, named] : kKeys) {
    if (named == symbol) return code;
  }
  return 0;
}

UINT ModifiersOfState(unsigned int state) {
  UINT modifiers = 0;
  if ((state & Mod1Mask) != 0) modifiers |= MOD_ALT;
  if ((state & ControlMask) != 0) modifiers |= MOD_CONTROL;
  if ((state & ShiftMask) != 0) modifiers |= MOD_SHIFT;
  if ((state & Mod4Mask) != 0) modifiers |= MOD_WIN;
  return modifiers;
}

unsigned int StateOfModifiers(UINT modifiers) {
  unsigned int state = 0;
  if ((modifiers & MOD_ALT) != 0) state |= Mod1Mask;
  if ((modifiers & MOD_CONTROL) != 0) state |= ControlMask;
  if ((modifiers & MOD_SHIFT) != 0) state |= ShiftMask;
  if ((modifiers & MOD_WIN) != 0) state |= Mod4Mask;
  return state;
}

}  // namespace win::core
