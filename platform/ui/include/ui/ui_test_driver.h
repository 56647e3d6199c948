// Drives windows of the library the way a user would, for tests: finds windows by class and
// controls by name, clicks, types, picks drop-down items, moves sliders, presses hotkey
// combinations, answers the next modal box, reads control state and saves screenshots.
//
// Input is sent through each window's procedure (so HandleCustomMessage, hit testing and
// the controls all run as for real input); everything returns false when the window or
// control is missing, hidden or disabled, instead of acting on something else.
#pragma once

#include <ui/ui.h>

#include <functional>
#include <string>

namespace ui {

class CUiDriver {
 public:
  // A live window of the library with that class (child windows too), or null.
  static HWND FindWindowByClass(LPCTSTR class_name);
  static CPaintManagerUI* ManagerOf(HWND window);
  static CControlUI* FindControl(HWND window, LPCTSTR name);

  // Lays the window out now, so that controls have their places.
  static void Layout(HWND window);
  // Press and release at the centre of the control.
  static bool Click(HWND window, LPCTSTR name);
  static bool ClickAt(HWND window, POINT client_point);
  // Focuses the control and types each character.
  static bool Type(HWND window, LPCTSTR name, const std::wstring& text);
  // Focuses the control and presses one key with modifiers held (ModifierKey flags).
  static bool PressKey(HWND window, LPCTSTR name, UINT virtual_key, WORD modifiers = 0);
  // The same for a hotkey field: the combination lands in it.
  static bool PressHotKey(HWND window, LPCTSTR name, UINT virtual_key, WORD modifiers);
  // Opens the drop-down list with a click, scrolls the item into its pop-up and clicks it.
  static bool PickItem(HWND window, LPCTSTR combo_name, int index);
  // Turns the mouse wheel over the open pop-up of the list (positive: away from the user).
  static bool ScrollDropDown(HWND window, LPCTSTR combo_name, int notches);
  // Whether the open pop-up of the list shows the item whole, and which item it highlights.
  static bool DropDownShows(HWND window, LPCTSTR combo_name, int index);
  static int DropDownHighlight(HWND window, LPCTSTR combo_name);
  // Moves the mouse onto the control, as a hover does.
  static bool Hover(HWND window, LPCTSTR name);
  // The text of the window's hover tooltip on show, empty when none is.
  static CUiString ToolTipText(HWND window);
  // Drags the slider's thumb to where value lies.
  static bool MoveSlider(HWND window, LPCTSTR name, int value);
  // The next modal loop to start gets a click on its control of that name.
  static void AnswerNextModal(LPCTSTR button_name);
  // The next modal loop to start gets the key, on whatever control has its keyboard.
  static void AnswerNextModalByKey(UINT virtual_key);

  static CUiString GetText(HWND window, LPCTSTR name);
  static bool IsVisible(HWND window, LPCTSTR name);
  static bool IsEnabled(HWND window, LPCTSTR name);
  static CUiString GetAttribute(HWND window, LPCTSTR name, LPCTSTR attribute);

  // Paints what is pending and writes the window as a PNG file.
  static bool SaveScreenshot(HWND window, const std::string& path);
  // Dispatches what is queued for this thread (at most max_messages), without waiting.
  static int Pump(int max_messages = 10000);

  // Receives every diagnostic line of the library until called with an empty function.
  static void WatchProblems(std::function<void(const std::wstring&)> sink);

 private:
  static bool SendKey(HWND window, UINT virtual_key, WORD modifiers);
};

}  // namespace ui
