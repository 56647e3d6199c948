// What the desktop shows of a top-level window beside its picture: the program it belongs to
// and the icon its task bar entry carries.
#pragma once

#include <windows.h>

#include <X11/Xlib.h>

#include <string>

namespace win::core {

// WM_CLASS: the instance is the window's class in the model (what FindWindowW looks for across
// processes), the class is the program's: its file's name with a capital, as the desktop entry
// names it in StartupWMClass, so that every window of the program groups under it.
void SetClassHint(Display* display, ::Window id, const std::wstring& class_name);
// The model's class of another window, from its WM_CLASS instance.
std::wstring ModelClassOf(Display* display, ::Window id);

// _NET_WM_ICON: every picture of the icon, or no property for a null one.
void SetIconProperty(Display* display, ::Window id, HICON icon);

}  // namespace win::core
