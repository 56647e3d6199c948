// What the classroom's windows ask of the window that holds them. The main window is the one
// implementation in the program; the classroom's own tests give a small recording one. This
// keeps the classroom below the application shell: it never names the main window.
#pragma once

#include <windows.h>

#include <string>

class MeetingView;

class ClassroomShell {
 public:
  // The owner of the classroom's message boxes and dialogs.
  virtual HWND shell_window() const = 0;
  // True while the classroom, not the login view, is shown.
  virtual bool in_classroom() const = 0;
  // Null until the shell has built it.
  virtual MeetingView* meeting_view() = 0;
  // Ends the lesson's windows and shows the login view again.
  virtual void LeaveClassroom() = 0;
  // The control bar comes back when the mouse moves over the classroom.
  virtual void ShowControlBarIfHidden() = 0;
  // While the alarm bar counts down to the start, an empty main tile shows no offline badge.
  virtual bool alarm_bar_visible() const = 0;
  // The meeting view's leave hides the lesson's bars and the floating tip.
  virtual void HideLessonBars() = 0;
  // The tip over the top of the classroom (network warnings): shown with a text and placed, or
  // hidden.
  virtual void ShowFloatTip(const std::wstring& text) = 0;
  virtual void HideFloatTip() = 0;
  // The notice box over the shell window, gone by itself after a while, or lasting until
  // hidden.
  virtual void ShowNotice(const std::wstring& text) = 0;
  virtual void ShowLastingNotice(const std::wstring& text) = 0;
  virtual void HideNotice() = 0;

 protected:
  ~ClassroomShell() = default;
};
