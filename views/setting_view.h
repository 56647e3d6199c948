// The modal settings dialog of a lesson: the computer's output volume, the camera, the
// microphone, the local preview's mirror mode and the camera-switch shortcut. Device, mirror
// and volume changes take effect at once; volume, mirror mode and shortcut are written to the
// settings file when any of its buttons closes it, cancel included (nothing is undone).
//
// Made with new for each opening and deleting itself on its final message: the meeting view
// creates it as an owned pop-up, centres it, runs ShowModal and never touches it again. A new
// camera is announced with UM_CAMERA_RESTARTED to the owner, a new shortcut with
// UM_HOTKEY_CHANGED to the main window.
#pragma once

#include <ui/ui.h>

#include <string>

class DataHolder;
class MediaEngine;

class SettingView : public ui::WindowImplBase {
 public:
  SettingView(DataHolder& holder, MediaEngine& media);

 protected:
  // Only the dialog itself ends its life, on its final message.
  ~SettingView() override = default;

  ui::LPCTSTR GetWindowClassName() const override;
  void OnFinalMessage(HWND window) override;
  void InitWindow() override;
  ui::CUiString GetSkinFile() override;
  void Notify(ui::TNotifyUI& msg) override;
  LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

 private:
  void SaveAndClose(UINT result);
  void ApplyCameraAndMirror();
  void ApplyMicrophone();
  void AnnounceHotkey();

  DataHolder& holder_;
  MediaEngine& media_;
  // The layout's controls, owned by its tree; any may be missing.
  ui::CSliderUI* volume_slider_ = nullptr;
  ui::CComboUI* camera_list_ = nullptr;
  ui::CComboUI* microphone_list_ = nullptr;
  ui::CComboUI* mirror_list_ = nullptr;
  ui::CHotKeyUI* hotkey_field_ = nullptr;
  ui::CControlUI* hotkey_hint_ = nullptr;
  ui::CControlUI* hotkey_refused_ = nullptr;
  // The field's last combination that was not refused, which a refused one gives way to, and
  // the one before it, for a combination the desktop refuses (UM_HOTKEY_REFUSED).
  std::wstring accepted_hotkey_;
  std::wstring previous_hotkey_;
  // The selections made while the lists are filled raise "itemselect" too; they change nothing.
  bool initialised_ = false;
};
