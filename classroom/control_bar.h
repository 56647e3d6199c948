// The strip of lesson commands over the lower part of the classroom: hang up, change layout,
// share the screen, mute the microphone, open the settings.
//
// The main window owns it, creates it hidden, places it and resets it for each lesson; the
// meeting view shows it when the mouse moves over the classroom. It hides itself 3 s after the
// cursor has left it (TIMER_CONTROL_BAR_HIDE), checking again every 3 s while the cursor rests
// on it. It keeps no lesson state: the microphone and sharing flags are the meeting view's, and
// a missing meeting view makes "mute" and "setting" do nothing beyond resetting the mute images.
#pragma once

#include <ui/ui.h>

#include <string>

class ClassroomShell;
class MediaEngine;

class ControlBar : public ui::WindowImplBase {
 public:
  ControlBar(ClassroomShell& shell, MediaEngine& media);

  // The microphone-on images on the mute button, and "share_screen" shown exactly when the
  // lesson allows sharing.
  void ResetForLesson(bool screen_sharing_allowed);

 protected:
  ui::LPCTSTR GetWindowClassName() const override;
  void OnFinalMessage(HWND window) override;
  void InitWindow() override;
  ui::CUiString GetSkinFile() override;
  LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
  LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
  void Notify(ui::TNotifyUI& msg) override;

 private:
  enum class Microphone { On, Off };

  void SetMuteImages(Microphone microphone);
  // Asks with the message box of that layout, modal over the shell; true when confirmed.
  bool Confirm(const wchar_t* layout);
  // The point, in screen coordinates, lies inside the client area and not on its edge.
  bool StrictlyInside(POINT point) const;
  void RestartHideTimer();
  void HideUnlessCursorInside();
  void OnHangUp();
  void OnShareScreen();
  void OnMute();
  void OnSetting();

  ClassroomShell& shell_;
  MediaEngine& media_;
  std::wstring layout_ = L"control_bar.xml";
  // The layout's, owned by its tree.
  ui::CControlUI* share_screen_ = nullptr;
  ui::CControlUI* mute_ = nullptr;
};
